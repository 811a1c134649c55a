#include "script/CMC_Condition.h"

#include "foundation/CXArchive.h"
#include "script/CMC_Behaviour.h"
#include "script/CMC_Behaviour_Entry.h"
#include "script/CMC_Nesting.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_Variable.h"
#include "script/CMElement.h"

namespace {

// A statement or evaluator result as an object: null for nothing and for control codes.
CMC_Object* asObject(const void* result) {
    if (!result || CMC_Behaviour::controlCode(result) != 0) return nullptr;
    return reinterpret_cast<CMC_Object*>(const_cast<void*>(result));
}

// The same as a value: null for objects that are not values.
CMC_Variable* asValue(const void* result) { return dynamic_cast<CMC_Variable*>(asObject(result)); }

void release(CMC_Variable* value) {
    if (value) CMC_Object::flush(value);
}

// A equals / compares with B (already of A's type, or an expression) by codes 1 to 6.
bool compareByCode(CMC_Variable* a, CMC_Variable* b, int code) {
    switch (code) {
    case CMC_Condition::kEqual: return a->equals(b);
    case CMC_Condition::kNotEqual: return !a->equals(b);
    case CMC_Condition::kLess: return a->compare(b) < 0;
    case CMC_Condition::kLessEqual: return a->compare(b) <= 0;
    case CMC_Condition::kGreater: return a->compare(b) > 0;
    case CMC_Condition::kGreaterEqual: return a->compare(b) >= 0;
    default: return false;
    }
}

// The code of a condition object's OPERATOR word; 0 for any other word.
int objectWordToCode(const CXString& word) {
    static const char* const kWords[] = {"EQUAL", "NOTEQUAL", "LESS", "LESSEQUAL", "GREATER", "GREATEREQUAL",
                                         "INSTANCEOF"};
    for (int i = 0; i < 7; ++i)
        if (word == kWords[i]) return i + 1;
    return 0;
}

}  // namespace

CMC_Condition::CMC_Condition(CMC_ObjectsContainer* container, CMElement* element)
    : CMC_BasicCondition(container, element, kType) {
    if (element) {
        m_operatorText = element->getPropertyValue(CXString("OPERATOR"));
        m_operand1Text = element->getPropertyValue(CXString("OPERAND1"));
        m_operand2Text = element->getPropertyValue(CXString("OPERAND2"));
    }
    resolveCondition();
    makeOperandBehaviour();
}

CMC_Condition::CMC_Condition(CMC_ObjectsContainer* container) : CMC_BasicCondition(CXString("temp"), kType) {
    setScene(container);
}

CMC_Condition::~CMC_Condition() { deleteOperands(); }

void CMC_Condition::makeOperandBehaviour() {
    if (!m_operandBehaviour) m_operandBehaviour = new CMC_Behaviour(getScene(), CXString("temp"), CXString());
}

void CMC_Condition::deleteOperands() {
    // The statements refer to the operand behaviour: they go first.
    delete m_operand1;
    delete m_operand2;
    m_operand1 = nullptr;
    m_operand2 = nullptr;
    CMC_Object::destroy(m_operandBehaviour);
    m_operandBehaviour = nullptr;
}

void CMC_Condition::resolveCondition() {
    if (const int code = objectWordToCode(m_operatorText)) m_code = code;
}

void CMC_Condition::init() {
    CMC_Object::init();
    delete m_operand1;
    delete m_operand2;
    // A condition read from a scene binary, or initialised again after done, makes
    // its operand behaviour now.
    makeOperandBehaviour();
    m_operand1 = new CMC_Behaviour_Entry(m_operandBehaviour, m_operand1Text);
    m_operand2 = new CMC_Behaviour_Entry(m_operandBehaviour, m_operand2Text);
}

bool CMC_Condition::done(bool flag) {
    deleteOperands();
    return CMC_Object::done(flag);
}

void CMC_Condition::serialize(CXArchive* archive) {
    CMC_BasicCondition::serialize(archive);
    if (!archive) return;
    if (archive->isStoring()) {
        *archive << m_operand1Text << m_operand2Text << m_operatorText;
    } else {
        *archive >> &m_operand1Text >> &m_operand2Text >> &m_operatorText;
        resolveCondition();
    }
}

bool CMC_Condition::valid(bool raise) {
    // Not initialised (or done): nothing to compare.
    if (!m_operand1 || !m_operand2) return false;
    CMC_RunDepth depth;
    if (!depth.entered()) return false;
    CMC_Object* left = asObject(m_operand1->run(nullptr, nullptr));
    CMC_Object* right = asObject(m_operand2->run(nullptr, nullptr));
    auto* a = dynamic_cast<CMC_Variable*>(left);
    auto* b = dynamic_cast<CMC_Variable*>(right);
    bool result = false;
    if (m_code == kInstanceOf) {
        // The type test of the text form: the type word of the first operand's object
        // against the text of the second.
        result = left && right &&
                 CMC_Object::typeToString(left->getType()) == CMC_Behaviour_Entry::getStringValue(right);
        release(a);
        release(b);
    } else if (a && b) {
        CMC_Variable* c = b;
        if (a->getType() != CMC_Variable::kExpression && b->getType() != CMC_Variable::kExpression && a->getType() != b->getType()) {
            c = b->convert(a->getType());
            if (!c) {
                release(a);
                release(b);
                return false;
            }
        }
        result = compareByCode(a, c, m_code);
        release(a);
        if (c != b) release(c);
        release(b);
    } else {
        release(a);
        release(b);
    }
    if (raise) raiseResult(result);
    return result;
}

// ---- text conditions --------------------------------------------------------------------

int CMC_Condition::wordToCode(const CXString& word) {
    if (word == "_") return kEqual;
    if (word == "!_" || word == "<>") return kNotEqual;
    if (word == "<") return kLess;
    if (word == "<_") return kLessEqual;
    if (word == ">") return kGreater;
    if (word == ">_") return kGreaterEqual;
    if (word == "?") return kInstanceOf;
    return kEqual;
}

bool CMC_Condition::valid(CMC_ObjectsContainer* container, CXString left, CXString right, int code) {
    if (code == kInstanceOf) {
        CMC_Object* object = container ? container->getObject(left) : nullptr;
        return object && CMC_Object::typeToString(object->getType()) == right;
    }
    if (code < kEqual || code > kGreaterEqual) return false;
    CMC_Variable* rawA = CMC_Behaviour::resolveParameter(container, nullptr, left, nullptr);
    CMC_Variable* rawB = CMC_Behaviour::resolveParameter(container, nullptr, right, nullptr);
    CMC_Variable* a = asValue(rawA);
    CMC_Variable* b = asValue(rawB);
    const bool result = a && b && compareByCode(a, b, code);
    release(a);
    release(b);
    return result;
}

bool CMC_Condition::valid(CMC_ObjectsContainer* container, CXString text) {
    int code = 0;
    int operatorStart = -1;
    int operatorEnd = -1;  // the last character of the operator
    const int apostrophe = text.Find('\'');
    if (apostrophe >= 0) {
        code = kEqual;
        operatorStart = operatorEnd = apostrophe;
        const char before = apostrophe > 0 ? text.GetAt(apostrophe - 1) : '\0';
        if (before == '!' || before == '<' || before == '>') {
            code = before == '!' ? kNotEqual : before == '<' ? kLessEqual : kGreaterEqual;
            operatorStart = apostrophe - 1;
        }
    } else {
        static const struct {
            char c;
            int code;
        } kSingle[] = {{'<', kLess}, {'>', kGreater}, {'?', kInstanceOf}};
        for (const auto& op : kSingle) {
            const int at = text.Find(op.c);
            if (at >= 0) {
                code = op.code;
                operatorStart = operatorEnd = at;
                break;
            }
        }
    }
    // A text without any operator character compares nothing.
    if (code == 0) return false;
    return valid(container, text.Left(operatorStart), text.Right(operatorEnd + 1), code);
}

bool CMC_Condition::valid(CMC_ObjectsContainer* container, CXString operand1, CXString operand2, CXString word) {
    return valid(container, operand1, operand2, wordToCode(word));
}

// A text that holds "&&" is split at every "&&", one that holds only "||" at every
// "||"; the parts are evaluated left to right and no further than the result is
// known. A text that mixes the two is read as existing game scripts were written
// against: it is split at "&&" only, and the parts are evaluated until one holds,
// the result being that of the last part evaluated (a part that still holds "||" is
// one comparison whose right text runs on over the "||").
bool CMC_Condition::validJoined(CMC_ObjectsContainer* container, CXString text) {
    const bool hasAnd = text.FindSubString(CXString("&&")) >= 0;
    const bool hasOr = text.FindSubString(CXString("||")) >= 0;
    if (!hasAnd && !hasOr) return valid(container, text);
    const CXString joiner(hasAnd ? "&&" : "||");
    // "||" (alone or mixed) stops at the first part that holds, "&&" at the first
    // that does not.
    const bool stopWhen = hasOr;
    bool result = false;
    int start = 0;
    for (;;) {
        const int at = text.FindSubString(joiner, start);
        const CXString part = at >= 0 ? text.Mid(start, at) : text.Right(start);
        result = valid(container, part);
        if (result == stopWhen || at < 0) break;
        start = at + 2;
    }
    return result;
}
