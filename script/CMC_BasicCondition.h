// The common base of the condition objects CONDITION and COMPLEXCONDITION: the events
// "ONRUNTIMESUCCESS" and "ONRUNTIMEFAILED" that an evaluation may raise, and `valid`.
#pragma once

#include "foundation/CXString.h"
#include "script/CMC_Object.h"

class CMElement;
class CMC_ObjectsContainer;

class CMC_BasicCondition : public CMC_Object {
public:
    static constexpr int kSuccessEventIndex = 3;
    static constexpr int kFailedEventIndex = 4;

    // No handlers.
    CMC_BasicCondition(CXString name, int type);
    // The common part from the element, then its handlers.
    CMC_BasicCondition(CMC_ObjectsContainer* container, CMElement* element, int type);
    ~CMC_BasicCondition() override;
    CMC_BasicCondition(const CMC_BasicCondition&) = delete;
    CMC_BasicCondition& operator=(const CMC_BasicCondition&) = delete;

    // "ONINIT", "ONDONE", "ONSIGNAL", "ONRUNTIMESUCCESS", "ONRUNTIMEFAILED".
    CXString** getBehavioursList() override;
    // The common object part only.
    void serialize(CXArchive* archive) override;

    // Whether the condition holds now; with `raise`, the success or failed event runs.
    virtual bool valid(bool raise) = 0;

protected:
    // Raises "ONRUNTIMESUCCESS" (result true) or "ONRUNTIMEFAILED" (false): each
    // handler's behaviour runs with this condition as its object, the handler's own
    // arguments and the condition test on. The handlers are those attached when the
    // event is raised, so a handler that detaches itself while it runs is safe.
    void raiseResult(bool result);
};
