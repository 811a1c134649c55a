// The PATTERN script type (2021): an engine pattern (a grid of cells in layers, each
// showing another object's graphic) on stage, with pointer events for the grid as a
// whole.
#pragma once
#include <cstdint>

#include "script/CMC_Object.h"
#include "shell/CMouseListener.h"

class CMElement;
class CMC_ObjectsContainer;
class CPattern;
class CRefreshScreen;
class CWindow;

class CMC_Pattern : public CMC_Object, public CMouseListener {
public:
    static constexpr int kType = 2021;
    enum : int { kOnFocusOn = 3, kOnFocusOff = 4, kOnClick = 5, kOnRelease = 6 };

    CMC_Pattern(CMC_ObjectsContainer* container, CMElement* element);
    // The prototype of a scene binary: "temp", no grid until serialize reads one.
    explicit CMC_Pattern(CMC_ObjectsContainer* container);
    ~CMC_Pattern() override;
    CMC_Pattern(const CMC_Pattern&) = delete;
    CMC_Pattern& operator=(const CMC_Pattern&) = delete;

    bool doneFirst() override { return true; }
    // Empties the grid, then the common done.
    bool done(bool flag) override;
    CXString** getBehavioursList() override;
    bool verifyBehaviour(CXString key) override;
    void initializeBehaviours(CMC_ObjectsContainer* container, CMElement* element) override;
    void serialize(CXArchive* archive) override;

    void setAsButton(bool asButton, bool cursor) {
        m_asButton = asButton;
        m_cursorOnHover = cursor;
    }

    bool onMouseMove(CXPoint point) override;
    using CMouseListener::onClick;
    bool onClick(int button, CXPoint point) override;
    using CMouseListener::onRelease;
    bool onRelease(int button, CXPoint point) override;

    CPattern* getPattern() const { return m_pattern; }
    CWindow* getWindow() const { return m_window; }
    bool isListening() const { return m_listening; }
    bool isFocused() const { return m_focused; }
    int getCellWidth() const { return m_cellWidth; }
    int getCellHeight() const { return m_cellHeight; }

private:
    CRefreshScreen* screen() const;
    bool gate(bool flagSet);
    // Builds the grid from the fields and the layer count (negative sizes as 0).
    void build(int layers);

    CWindow* m_window = nullptr;
    CPattern* m_pattern = nullptr;
    bool m_listening = false;
    bool m_focused = false;
    bool m_asButton = true;
    bool m_cursorOnHover = true;
    int32_t m_width = 0;
    int32_t m_height = 0;
    int32_t m_cellWidth = 1;
    int32_t m_cellHeight = 1;
};
