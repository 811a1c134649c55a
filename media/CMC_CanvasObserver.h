// The CANVAS_OBSERVER script type (103): the scripts' handle on the window's screen
// canvas. It raises the screen's pass and focus events, finds the script object seen at
// a point, sets and moves the screen's background, puts graphics on the screen or takes
// them off, and saves a picture of the screen.
#pragma once
#include "foundation/CXString.h"
#include "graphics/screen/CRefreshScreen.h"
#include "script/CMC_Object.h"

class CMElement;
class CMC_ObjectsContainer;

class CMC_CanvasObserver : public CMC_Object, public CCanvasObserver {
public:
    static constexpr int kType = 103;
    enum : int {
        kOnInitialUpdate = 3,
        kOnUpdate = 4,
        kOnUpdated = 5,
        kOnWindowFocusOn = 6,
        kOnWindowFocusOff = 7,
        kOnInitialUpdated = 8,
    };

    // The prototype of a scene binary, named "tempCANVAS".
    explicit CMC_CanvasObserver(CMC_ObjectsContainer* container);
    CMC_CanvasObserver(CMC_ObjectsContainer* container, CMElement* element);
    ~CMC_CanvasObserver() override;
    CMC_CanvasObserver(const CMC_CanvasObserver&) = delete;
    CMC_CanvasObserver& operator=(const CMC_CanvasObserver&) = delete;

    CXString** getBehavioursList() override;

    CRefreshScreen* getCanvas() const { return m_screen; }
    // The screen's notification flag: it switches the events of every observer.
    void enableNotify(bool enable);
    // The script name of the object seen at the point; empty when none.
    CXString getGraphicsAt(CMC_ObjectsContainer* container, int x, int y, bool visibleOnly, int minPriority,
                           int maxPriority, bool ignoreAlpha, bool searchParents);

    void onInitialUpdate() override { raise(kOnInitialUpdate, "ONINITIALUPDATE"); }
    void onInitialUpdated() override { raise(kOnInitialUpdated, "ONINITIALUPDATED"); }
    void onUpdate() override { raise(kOnUpdate, "ONUPDATE"); }
    void onUpdated() override { raise(kOnUpdated, "ONUPDATED"); }
    void onFocusOn() override { raise(kOnWindowFocusOn, "ONWINDOWFOCUSON"); }
    void onFocusOff() override { raise(kOnWindowFocusOff, "ONWINDOWFOCUSOFF"); }

private:
    void raise(int index, const char* event) {
        if (isEventHandled(index)) onSignal(CXString(event));
    }

    CRefreshScreen* m_screen = nullptr;
};
