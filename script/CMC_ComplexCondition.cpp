#include "script/CMC_ComplexCondition.h"

#include "foundation/CXArchive.h"
#include "script/CMC_Nesting.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMElement.h"

CMC_ComplexCondition::CMC_ComplexCondition(CMC_ObjectsContainer* container, CMElement* element)
    : CMC_BasicCondition(container, element, kType) {
    if (element) {
        m_operatorText = element->getPropertyValue(CXString("OPERATOR"));
        m_condition1Name = element->getPropertyValue(CXString("CONDITION1"));
        m_condition2Name = element->getPropertyValue(CXString("CONDITION2"));
    }
    resolveOperator();
}

CMC_ComplexCondition::CMC_ComplexCondition(CMC_ObjectsContainer* container)
    : CMC_BasicCondition(CXString("temp"), kType) {
    setScene(container);
}

CMC_ComplexCondition::~CMC_ComplexCondition() = default;

void CMC_ComplexCondition::resolveOperator() {
    if (m_operatorText == "AND")
        m_code = kAnd;
    else if (m_operatorText == "OR")
        m_code = kOr;
}

void CMC_ComplexCondition::serialize(CXArchive* archive) {
    CMC_BasicCondition::serialize(archive);
    if (!archive) return;
    if (archive->isStoring()) {
        *archive << m_condition1Name << m_condition2Name << m_operatorText;
    } else {
        *archive >> &m_condition1Name >> &m_condition2Name >> &m_operatorText;
        resolveOperator();
    }
}

bool CMC_ComplexCondition::valid(bool raise) {
    // Asked again while it is being asked: a chain of conditions that leads back here.
    if (m_asking) return false;
    CMC_RunDepth depth;
    if (!depth.entered()) return false;
    CMC_ObjectsContainer* scope = getScene();
    const auto find = [scope](const CXString& name) {
        return scope ? dynamic_cast<CMC_BasicCondition*>(scope->getObject(name)) : nullptr;
    };
    CMC_BasicCondition* first = find(m_condition1Name);
    if (!first || !find(m_condition2Name)) return false;

    m_asking = true;
    bool result = false;
    if (m_code == kAnd || m_code == kOr) {
        result = first->valid(true);
        if (result == (m_code == kAnd)) {
            // Found again: the first condition's events may have replaced the second.
            CMC_BasicCondition* second = find(m_condition2Name);
            result = second && second->valid(true);
        }
    }
    m_asking = false;
    if (raise) raiseResult(result);
    return result;
}
