// PATH: moves a graphic node by node along a script PATH, each node a displacement
// from where the previous one ended, DENSITY pixels of path length per step, one
// step every SPEED frames. SPEED 0 or less counts as 1; a node that gives no
// positive, finite step count (length 0) or that is not a VECTOR is covered in one
// step; a PATHDEF that names no PATH, a path without nodes or a node index past
// them makes the step do nothing.
#pragma once

#include <cstdint>

#include "media/filters/CAnimatedFilter.h"
#include "media/filters/CFilterParams.h"
#include "media/filters/CFilterTarget.h"
#include "media/filters/CFilterTickState.h"

class CMC_ObjectsContainer;

class CPathFilterParams : public CFilterParams {
public:
    CPathFilterParams() : CFilterParams(kPath) {}
    // "SPEED" (integer), "PATHDEF" (copied), "LOOPED" (boolean); others to the base.
    void setProperty(const CXString& name, const CXString& value) override;

    int32_t getSpeed() const { return m_speed; }
    const CXString& getPathDef() const { return m_pathDef; }
    bool isLooped() const { return m_looped; }

private:
    int32_t m_speed = 1;
    CXString m_pathDef;
    bool m_looped = false;
};

class CPathTickState : public CFilterTickState {
public:
    int32_t startX = 0;
    int32_t startY = 0;
    double offsetX = 0.0;
    double offsetY = 0.0;
    int32_t node = 0;
};

class CPathFilterTarget : public CFilterTarget {
public:
    CPathFilterTarget(CGraphicsFilter* filter, CGraphicsObject* graphic, CMC_Object* owner);
    // On: the segment starts at the graphic's position; node and offsets stay.
    void setRunning(CFilterParams* params, bool on) override;
    CPathTickState* pathState() const { return static_cast<CPathTickState*>(getState()); }
};

class CPathFilter : public CAnimatedFilter {
public:
    // The path is looked up by name in the container at every step.
    CPathFilter(CWindow* window, CMC_ObjectsContainer* container);
    CFilterTarget* createTarget(CGraphicsObject* graphic, CMC_Object* owner) override;
    bool step(CFilterTarget* target, CFilterParams* params) override;

private:
    CMC_ObjectsContainer* m_container;
};
