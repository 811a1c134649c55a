// The engine-side half of a running scene: what the scene puts on screen and plays
// while it runs. It names itself after the scene entered, keeps the background file
// name, the scene's resources (a manager nested in the application's general one)
// and the music it plays, carries the activity and first-update flags, and makes
// timer calls on the window's timer list on its own behalf. While a scene runs it
// listens to the keys (Tab steps through its edit boxes) and to the mouse (a drag of a
// graphic by a control goes on and ends), and hears the controls of the scene. Its
// random player (made on entry, deleted on leaving) starts the animations scripts
// register at random moments.
#pragma once
#include <cstdint>
#include <vector>

#include "graphics/core/CGraphicsObject.h"
#include "graphics/core/CGraphicsUnit.h"
#include "graphics/input/CEditBox6.h"
#include "graphics/input/CControl.h"
#include "graphics/input/CMouseListener.h"
#include "graphics/play/CPlayable.h"
#include "graphics/play/CRandomPlayableNotifier.h"
#include "foundation/CXObject.h"
#include "foundation/CXPoint.h"
#include "foundation/CXString.h"

class CAnimo6;
class CApplication;
class CMElement;
class CMElements;
class CRandomPlayable;
class CRefreshScreen;
class CResourcesManager;
class CWindow;
class CXArray;

// What a unit asks of the scene it runs.
class CUnitScene {
public:
    // Whether entering the scene asked for its music (false when the scene before
    // played the same one).
    virtual bool shouldMusicBeStarted() = 0;
    // The music the scene plays (its own, else its parents').
    virtual CXString getMusicFilename() = 0;

protected:
    ~CUnitScene() = default;
};

class CUnit6 : public CXObject,
               public CGraphicsUnit,
               public CControlNotifier,
               public CPlayableObserver,
               public CKeyListener,
               public CMouseListener,
               public CRandomPlayableNotifier {
public:
    // The unit's place among the window's mouse listeners.
    static constexpr int kMousePriority = 100000;
    static constexpr int kKeyTab = 15;
    // The drag's graphic is drawn at this priority while it moves.
    static constexpr int kDraggingPriority = 10000;
    // The canvas priority of an element that asks to be always on top.
    static constexpr int kAlwaysOnTopPriority = 1000;

    // Creates the unit's resources manager and nests it in the application's general
    // one when the window has an application.
    CUnit6(CWindow* window, CXString name);
    // Deletes the edit boxes it still holds (and the random player of a scene never left).
    ~CUnit6() override;
    CUnit6(const CUnit6&) = delete;
    CUnit6& operator=(const CUnit6&) = delete;

    // A scene is entered with this unit; `parent` hands on its music name. The unit
    // makes its random player, sets the background and listens to keys and to the
    // mouse (once, however often it is entered). Returns true.
    virtual bool initialize(CUnitScene* scene, CUnit6* parent);
    // The first redraw after entering: the scene's music starts (unforced).
    bool onInitialUpdate() override;
    // Every later redraw of the screen; does nothing here.
    void onCanvasRefreshed() override {}
    // ---- edit boxes ----
    // A new box of this unit, given the unit's cursor when one is set.
    CEditBox6* addEditBox(std::shared_ptr<CSimpleFont6> font, CXRect rect, int priority, CXString text) override;
    // Out of the list (not deleted); the current box when it is this one goes too. A
    // box deleted by anyone leaves the list this way.
    void removeEditBox(CEditBox6* box) override;
    // The current box loses the focus; the box (when not null) becomes current and gets it.
    void activateEditBox(CEditBox6* box) override;
    // The text cursor handed to boxes made from now on.
    virtual void setCursor(CGraphicsObject* cursor) { m_cursor = cursor; }
    CGraphicsObject* getCursor() const { return m_cursor; }
    // The current box's place in the list; -1 without one.
    virtual int getCurrentEditBoxIndex();
    // The next (previous) enabled box after (before) the current one, cyclically, gets
    // the focus; nothing without a current box or when the search comes back to it.
    virtual void nextEditBox();
    virtual void prevEditBox();
    CEditBox6* getCurrentEditBox() const { return m_currentEditBox; }
    const std::vector<CEditBox6*>& getEditBoxes() const { return m_editBoxes; }
    bool wasInitiallyUpdated() override;
    // True once a return code is set.
    virtual bool domodal();
    // The scene is left: a drag ends without notice, the screen lets go of the
    // background picture it kept and shows none, the random player goes with its
    // registrations, the unit stops listening, lets go of the scene and flushes its
    // resources. What else is on the screen stays (the application's graphics). The
    // music keeps playing; the scene decides whether it stops.
    virtual bool done(CUnitScene* scene, CUnit6* parent);
    virtual CWindow* getWindow() { return m_window; }
    // The window's refresh screen as it is now (a display mode change makes a new one).
    virtual CRefreshScreen* getCanvas();
    virtual CRefreshScreen* getRefreshScreenInterface() { return getCanvas(); }
    bool isActive() override;
    // Ends the unit's frames with return code 1.
    void exit() { m_retCode = 1; }
    // Starts `name` (the scene's music when null), looping, unless the scene asked
    // for no start and `force` is off. An empty name starts nothing, and a name that
    // plays already (the same name in any letter case) goes on.
    virtual void startMusic(const char* name, bool force);
    virtual void stopMusic();
    virtual CXString getMusicFileName() { return m_musicFileName; }
    virtual CXString getBackgroundFileName() { return m_backgroundFileName; }
    // Hands the background to the screen when the screen takes one.
    virtual void setBackground();
    // Called by a due unit timer; does nothing here.
    void onTimer(intptr_t id) override;
    virtual CResourcesManager* getResourcesManager() { return m_resources; }
    // Sees the definition elements of the scene before its objects are built;
    // returns them unchanged.
    virtual CMElements* resolveObjects(CUnitScene* scene, CMElements* elements);
    // No box is current, every box is deleted (the texts and objects that hold one hear
    // it first and forget it) and the list is empty.
    virtual void flushEditBoxes();
    // A control of the scene tells the unit of itself; does nothing here.
    virtual void onNotify(CControl* control);
    // The dragging control goes: the drag goes on without it.
    void onControlDestroyed(CControl* control) override;

    // ---- dragging ----
    // The graphic moves with the pointer for the control: drawn at kDraggingPriority,
    // its priority and position kept to be restored; the control hears the start.
    using CControlNotifier::onStartDragging;
    bool onStartDragging(CGraphicsObject* object, CXPoint point, CControl* control) override;
    // A step of the drag: the graphic moves by the pointer's way since the last step;
    // the control hears it. The dragging flag.
    using CControlNotifier::onDragging;
    virtual bool onDragging(CXPoint point);
    // The drag ends: the graphic's priority comes back, the control is enabled and hears
    // the end with the graphic's position.
    using CControlNotifier::onEndDragging;
    virtual bool onEndDragging(CXPoint point);
    // The dragged graphic goes back where the drag began. A graphic destroyed while it
    // is dragged is forgotten: the drag's later steps and its end leave it alone.
    void bringBackDraggingObjectPosition(CXPoint point);
    // True: a click ends a drag; false (the default): a release does.
    void setDraggingMode(bool clickEnds) { m_draggingMode = clickEnds; }
    bool getDraggingMode() const { return m_draggingMode; }
    bool isDragging() override { return m_dragging; }
    CGraphicsObject* getDraggedObject() const { return m_draggedObject; }
    CControl* getDraggedControl() const { return m_draggedControl; }

    // ---- input ----
    // Tab: the next edit box (with either Shift key, the previous one).
    void onKeyDown(int key) override;
    bool onMouseMove(CXPoint point) override;
    using CMouseListener::onClick;
    bool onClick(CXPoint point) override;
    using CMouseListener::onRelease;
    bool onRelease(CXPoint point) override;
    bool isListening() const { return m_listening; }
    // Registers the playable with the random player: `probability` starts a minute on
    // average, bursts bounded by `period`, the event to play (empty: any event of an
    // animation). Nothing outside a scene.
    virtual void addRandomPlayable(CPlayable* playable, double probability, int period, CXString event);
    // Drops the playable's first registration; nothing outside a scene.
    virtual void removeRandomPlayable(CPlayable* playable);
    // The random player of the scene running; null outside one.
    CRandomPlayable* getRandomPlayable() const { return m_randomPlayable; }

    void setActivity(bool active) { m_active = active; }
    void setUnitName(CXString name) { m_unitName = name; }
    CXString getUnitName() { return m_unitName; }
    void setBackgroundFileName(CXString name) { m_backgroundFileName = name; }
    void setRetCode(int code) override { m_retCode = code; }
    int getRetCode() const { return m_retCode; }
    // The return path, kept for the unit's users (the unit itself puts nothing in it).
    CXArray* getRetPath() { return m_retPath; }
    CUnitScene* getScene() const { return m_scene; }

    // Adds a timer of the window's list that calls this unit (asking isActive and
    // wasInitiallyUpdated first when askUnit is set) / removes it.
    void setTimer(intptr_t id, unsigned int interval, bool askUnit);
    void killTimer(intptr_t id);

protected:
    // Hears the dragged graphic's destruction and the deletion of the unit's boxes.
    class Watch : public CInvalidateObserver, public CEditBoxNotifier {
    public:
        explicit Watch(CUnit6* owner) : m_owner(owner) {}
        void onInvalidate(CGraphicsObject*, CXRect*) override {}
        void onDestroy(CGraphicsObject* object) override;
        void onEditBoxDestroyed(CEditBox6* box) override { m_owner->removeEditBox(box); }

    private:
        CUnit6* m_owner;
    };
    // The dragged graphic (null: none) and its watch.
    void setDraggedObject(CGraphicsObject* object);

    // Puts the animation on the canvas when the element's TOCANVAS is true, at priority
    // 1000 with ALWAYSONTOP true, else at the element's PRIORITY.
    void putOnCanvas(CAnimo6* animation, CMElement* element);

    CXString m_unitName;
    bool m_initiallyUpdated = false;
    CWindow* m_window = nullptr;
    bool m_active = false;
    CApplication* m_application = nullptr;
    CXString m_backgroundFileName;
    CUnitScene* m_scene = nullptr;
    int m_retCode = 0;
    CResourcesManager* m_resources = nullptr;
    CXString m_musicFileName;
    CXArray* m_retPath = nullptr;
    CRandomPlayable* m_randomPlayable = nullptr;
    bool m_listening = false;
    // The drag in progress.
    bool m_dragging = false;
    bool m_draggingMode = false;
    int32_t m_savedPriority = 0;
    CXPoint m_lastPoint;
    CXPoint m_startPosition;
    CControl* m_draggedControl = nullptr;
    CGraphicsObject* m_draggedObject = nullptr;
    // The edit boxes (owned) and the one with the focus.
    CGraphicsObject* m_cursor = nullptr;
    std::vector<CEditBox6*> m_editBoxes;
    CEditBox6* m_currentEditBox = nullptr;
    Watch m_watch{this};
};
