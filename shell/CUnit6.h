// The engine-side half of a running scene. For now it carries what the timer
// list needs: the activity and initial-update flags, the timer callback and the
// window's timer calls made on its behalf.
#pragma once
#include <cstdint>

#include "foundation/CXObject.h"
#include "foundation/CXString.h"

class CWindow;

class CUnit6 : public CXObject {
public:
    CUnit6(CWindow* window, CXString name);
    ~CUnit6() override;

    virtual bool onInitialUpdate();
    virtual bool wasInitiallyUpdated();
    virtual CWindow* getWindow() { return m_window; }
    virtual bool isActive();
    // Called by a due unit timer; does nothing here.
    virtual void onTimer(intptr_t id);

    void setActivity(bool active) { m_active = active; }
    void setUnitName(CXString name) { m_unitName = name; }
    CXString getUnitName() { return m_unitName; }

    // Adds a timer of the window's list that calls this unit (asking isActive and
    // wasInitiallyUpdated first when askUnit is set) / removes it.
    void setTimer(intptr_t id, unsigned int interval, bool askUnit);
    void killTimer(intptr_t id);

protected:
    CXString m_unitName;
    bool m_initiallyUpdated = false;
    CWindow* m_window = nullptr;
    bool m_active = false;
};
