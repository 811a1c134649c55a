// COMPLEXCONDITION (type 11): joins two named condition objects with AND or OR. The two
// are found by name at every evaluation, so they may be declared later or replaced,
// and may themselves be complex conditions.
#pragma once
#include <cstdint>

#include "foundation/CXString.h"
#include "script/CMC_BasicCondition.h"

class CMElement;
class CMC_ObjectsContainer;

class CMC_ComplexCondition : public CMC_BasicCondition {
public:
    static constexpr int kType = 11;
    enum : int32_t { kAnd = 1, kOr = 2 };

    // Reads "OPERATOR", "CONDITION1", "CONDITION2".
    CMC_ComplexCondition(CMC_ObjectsContainer* container, CMElement* element);
    // An empty complex condition named "temp" (filled by a scene binary).
    explicit CMC_ComplexCondition(CMC_ObjectsContainer* container);
    ~CMC_ComplexCondition() override;
    CMC_ComplexCondition(const CMC_ComplexCondition&) = delete;
    CMC_ComplexCondition& operator=(const CMC_ComplexCondition&) = delete;

    // The common part, then the two condition names and the operator text.
    void serialize(CXArchive* archive) override;
    // AND asks the second condition only when the first holds, OR only when it does
    // not; the inner ones always raise their own events. A missing condition (or one
    // that leads back to this one while it is being asked) gives false without events.
    bool valid(bool raise) override;

    // Sets the code from the operator text ("AND" 1, "OR" 2; others keep it).
    void resolveOperator();
    int getOperatorCode() const { return m_code; }
    CXString getCondition1() const { return m_condition1Name; }
    CXString getCondition2() const { return m_condition2Name; }

private:
    CXString m_condition1Name;
    CXString m_condition2Name;
    CXString m_operatorText;
    int32_t m_code = kAnd;
    bool m_asking = false;
};
