// One graphic linked to an effect: the graphic, the name of the script object it
// was linked through, the running flag and the effect's per-target state (owned).
//
// The record watches its graphic: when the graphic is destroyed, the effect drops
// the record at once (no events, saved buffers freed, nothing restored), so no step
// ever touches freed pixels.
#pragma once

#include "foundation/CXObject.h"
#include "foundation/CXString.h"
#include "graphics/core/CGraphicsObject.h"

class CFilterParams;
class CFilterTickState;
class CGraphicsFilter;
class CMC_Object;

class CFilterTarget : public CXObject, public CInvalidateObserver {
public:
    // Takes the state; the owner's name is kept, not the owner.
    CFilterTarget(CGraphicsFilter* filter, CGraphicsObject* graphic, CMC_Object* owner, CFilterTickState* state);
    ~CFilterTarget() override;
    CFilterTarget(const CFilterTarget&) = delete;
    CFilterTarget& operator=(const CFilterTarget&) = delete;

    // Sets the running flag; kinds of record prepare their state first when on.
    virtual void setRunning(CFilterParams* params, bool on);

    CGraphicsObject* getGraphic() const { return m_graphic; }
    CFilterTickState* getState() const { return m_state; }
    const CXString& getOwnerName() const { return m_ownerName; }
    bool isRunning() const { return m_running; }

    void onInvalidate(CGraphicsObject* object, CXRect* rect) override;
    void onDestroy(CGraphicsObject* object) override;

private:
    CGraphicsFilter* m_filter;
    CGraphicsObject* m_graphic;
    CFilterTickState* m_state;
    CXString m_ownerName;
    bool m_running = false;
};
