// Root of every image effect, timed and static: the list of linked graphics (one
// CFilterTarget each, owned), the parameter object (owned) and the window.
#pragma once

#include "foundation/CXString.h"

class CFilterParams;
class CFilterTarget;
class CGraphicsObject;
class CMC_Object;
class CWindow;
class CXArray;

class CGraphicsFilter {
public:
    // Takes the parameter object.
    CGraphicsFilter(CWindow* window, CFilterParams* params);
    // Removes and deletes every record without calling the overridable
    // unlinkTarget: a family that restores on unlink calls unlinkAll itself.
    virtual ~CGraphicsFilter();
    CGraphicsFilter(const CGraphicsFilter&) = delete;
    CGraphicsFilter& operator=(const CGraphicsFilter&) = delete;

    // Unlinks every record of a copy of the list through unlinkTarget.
    virtual void unlinkAll();
    // Under ONEATTIME unlinks every record first; a graphic that was not linked
    // gets a record. A second link of a linked graphic changes nothing, except
    // that under ONEATTIME it leaves nothing linked.
    virtual void link(CGraphicsObject* graphic, CMC_Object* owner);
    virtual void addTarget(CFilterTarget* target) = 0;
    virtual void unlink(CGraphicsObject* graphic);
    // Removes the record from the list and deletes it; nothing for null or a
    // record not in the list.
    virtual void unlinkTarget(CFilterTarget* target);
    virtual CFilterTarget* getOrCreateTarget(CGraphicsObject* graphic, CMC_Object* owner);
    // The first record of the graphic, or null.
    virtual CFilterTarget* findTarget(CGraphicsObject* graphic);
    virtual CFilterTarget* createTarget(CGraphicsObject* graphic, CMC_Object* owner) = 0;

    // Hands the pair to the parameter object, when there is one.
    void setProperty(const CXString& name, const CXString& value);

    // The record's graphic is being destroyed: the record leaves the list and is
    // deleted at once, with no event and nothing restored.
    void dropTarget(CFilterTarget* target);

    CFilterParams* getParams() const { return m_params; }
    CWindow* getWindow() const { return m_window; }
    int getTargetCount() const;
    CFilterTarget* getTarget(int i) const;
    bool hasTarget(CFilterTarget* target) const;

protected:
    // Appends a non-null record.
    void appendTarget(CFilterTarget* target);

private:
    CXArray* m_targets;
    CFilterParams* m_params;
    CWindow* m_window;
};
