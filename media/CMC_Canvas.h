// The CANVAS script type (2020): an off-screen drawing surface (an engine canvas) on
// the screen, into which scripts put other objects' graphics, stamp, erase and
// capture pictures, and which can act as a simple button.
//
// The canvas remembers the names of the IMAGE and TEXT objects ADD put on it, each
// once; RECREATE puts them back and CAPTURE may delete them, both looking the names up
// anew (a name no IMAGE or TEXT answers any more is skipped), so clones and deleted
// objects are never touched twice. Deleted objects go through the global trash: the
// caller may be one of their handlers.
#pragma once
#include <vector>

#include "foundation/CXSize.h"
#include "foundation/CXString.h"
#include "script/CMC_Object.h"
#include "shell/CMouseListener.h"

class CCanvas;
class CMElement;
class CMC_ObjectsContainer;
class CRefreshScreen;
class CWindow;

class CMC_Canvas : public CMC_Object, public CMouseListener {
public:
    static constexpr int kType = 2020;
    enum : int { kOnFocusOn = 3, kOnFocusOff = 4, kOnClick = 5, kOnRelease = 6 };

    // Wraps a canvas (owned; may be null, as for the scene binary's prototype), named
    // "temp"; the canvas is cleared.
    CMC_Canvas(CMC_ObjectsContainer* container, CCanvas* canvas);
    CMC_Canvas(CMC_ObjectsContainer* container, CMElement* element);
    ~CMC_Canvas() override;
    CMC_Canvas(const CMC_Canvas&) = delete;
    CMC_Canvas& operator=(const CMC_Canvas&) = delete;

    using CMC_Object::clone;
    CXObject* clone() override;
    CXString** getBehavioursList() override;
    bool verifyBehaviour(CXString key) override;
    void initializeBehaviours(CMC_ObjectsContainer* container, CMElement* element) override;
    void serialize(CXArchive* archive) override;

    using CMC_Object::done;
    // Releases the surface and forgets the names.
    virtual void done();
    // A new surface on the screen at the priority; unless empty the remembered objects
    // come back on it at that priority.
    virtual void create(CXSize size, bool alpha, bool background, int priority, bool empty);
    // Puts the named object's graphics on the canvas at the priority.
    virtual void add(CXString name, int priority);
    // Flattens the picture into the background; with deleteAdded the remembered objects
    // leave the scene through the global trash. The names are forgotten.
    virtual void capture(bool deleteAdded);
    virtual void setAsButton(bool asButton, bool activeCursor) {
        m_asButton = asButton;
        m_activeCursor = activeCursor;
    }

    bool onMouseMove(CXPoint point) override;
    using CMouseListener::onClick;
    bool onClick(int button, CXPoint point) override;
    using CMouseListener::onRelease;
    bool onRelease(int button, CXPoint point) override;

    CCanvas* getCanvas() const { return m_canvas; }
    CWindow* getWindow() const;
    CRefreshScreen* screen() const;
    const std::vector<CXString>& getAddedNames() const { return m_addedNames; }
    bool isListening() const { return m_mouseListening; }
    bool isFocused() const { return m_focused; }
    bool isButton() const { return m_asButton; }
    bool getActiveCursor() const { return m_activeCursor; }

private:
    // The remembered object of a name: an IMAGE or TEXT of the owning container.
    CMC_Object* rememberedObject(const CXString& name);
    bool gate(bool flagSet);
    void dropCanvas();

    CWindow* m_window = nullptr;
    CCanvas* m_canvas = nullptr;
    std::vector<CXString> m_addedNames;
    bool m_mouseListening = false;
    bool m_focused = false;
    bool m_asButton = true;
    bool m_activeCursor = true;
};
