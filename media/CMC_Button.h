// The BUTTON script type (2001): a clickable area with a standard graphic, graphics for
// the pointer over it and for the press, an accent graphic, sounds for the pointer
// coming over it and for the click, and optional dragging. The engine button (owned)
// does the clicking; this object builds it from the names of other objects of its
// container (resolved once, when it is built), listens to it and raises the script
// events, keeps the scene's dragged name current during a drag, and writes and reads
// its creation-time configuration in the scene binary.
#pragma once
#include <cstdint>

#include "foundation/CXString.h"
#include "graphics/input/CControl.h"
#include "scene/CMC_ButtonHolder.h"
#include "script/CMC_Object.h"

class CButton;
class CMElement;
class CMC_Scene;

class CMC_Button : public CMC_Object, public CControlNotifier, public CMC_ButtonHolder {
public:
    static constexpr int kType = 2001;
    // Positions in the event list.
    enum : int {
        kOnFocusOn = 3,
        kOnFocusOff = 4,
        kOnPaused = 5,
        kOnClicked = 6,
        kOnReleased = 7,
        kOnAction = 8,
        kOnStartDragging = 9,
        kOnDragging = 10,
        kOnEndDragging = 11,
    };

    // The prototype: no engine button until a scene binary fills it.
    explicit CMC_Button(CMC_ObjectsContainer* container);
    // Wraps an engine button (owned from now on) under a name; its ENABLE, DRAGGABLE
    // and PRIORITY are the engine button's.
    CMC_Button(CMC_ObjectsContainer* container, CButton* button, CXString name);
    CMC_Button(CMC_ObjectsContainer* container, CMElement* element);
    ~CMC_Button() override;
    CMC_Button(const CMC_Button&) = delete;
    CMC_Button& operator=(const CMC_Button&) = delete;

    using CMC_Object::clone;
    // "cloned", wrapping a copy of the engine button; the names stay empty.
    CXObject* clone() override;
    CXString** getBehavioursList() override;
    void serialize(CXArchive* archive) override;

    CButton* getButton() const override { return m_button; }
    CXString getAccentName() const { return m_accentName; }
    CXString getStandardName() const { return m_standardName; }
    CXString getOnMoveName() const { return m_onMoveName; }
    CXString getOnClickName() const { return m_onClickName; }
    CXString getStandardSoundName() const { return m_standardSoundName; }
    CXString getOnMoveSoundName() const { return m_onMoveSoundName; }
    CXString getOnClickSoundName() const { return m_onClickSoundName; }
    CXString getDragName() const { return m_dragName; }
    CXString getRectText() const { return m_rectText; }
    bool isEnabledAtCreation() const { return m_enabled; }
    bool isDraggable() const { return m_draggable; }
    int getPriority() const { return m_priority; }

    // ---- engine button's notices ----
    void onControlFocusOn(CControl* control, CXPoint p) override;
    void onControlFocusOff(CControl* control, CXPoint p) override;
    void onControlClicked(CControl* control, CXPoint p) override;
    void onControlReleased(CControl* control, CXPoint p) override;
    void onControlAction(CControl* control, CXPoint p) override;
    void onStartDragging(CControl* control, CXPoint p) override;
    void onDragging(CControl* control, CXPoint p) override;
    void onEndDragging(CControl* control, CXPoint p) override;

private:
    // Builds and configures the engine button from the fields (an earlier one goes).
    void createButton();
    void raise(int index, const char* event);
    CMC_Scene* scene();

    CButton* m_button = nullptr;
    CXString m_accentName;
    CXString m_standardName;
    CXString m_onMoveName;
    CXString m_onClickName;
    CXString m_standardSoundName;
    CXString m_onMoveSoundName;
    CXString m_onClickSoundName;
    CXString m_dragName;
    CXString m_rectText;
    bool m_enabled = false;
    bool m_draggable = false;
    int32_t m_priority = 0;
};
