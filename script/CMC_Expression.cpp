#include "script/CMC_Expression.h"

#include "foundation/CXArray.h"
#include "script/CMC_Behaviour.h"
#include "script/CMC_Behaviour_Entry.h"
#include "script/CMC_Nesting.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_String.h"
#include "script/CMC_VariableFactory.h"
#include "script/CMElement.h"

namespace {

constexpr int kItemCapacity = 101;
constexpr float kItemLoadFactor = 0.75f;
// An operand whose value is itself an expression is followed this deep at most.
constexpr int kMaxNesting = 32;

const char kOperatorChars[] = "+-*@%";

// A statement result as a value: null for nothing, a control code or an object that
// is not a value.
CMC_Variable* asValue(CMC_Object* result) {
    if (!result || CMC_Behaviour::controlCode(result) != 0) return nullptr;
    return dynamic_cast<CMC_Variable*>(result);
}

}  // namespace

// One item: an operand (its text, and after init its statement) or an operator code.
struct CMC_Expression::Item {
    bool isOperator = false;
    int32_t code = 0;
    CXString text;
    CMC_Behaviour_Entry* statement = nullptr;
};

CMC_Expression::CMC_Expression(CMC_ObjectsContainer* container, CMElement* element)
    : CMC_Variable(container, element, kExpression), m_still(true) {
    m_items = new CXArray(kItemCapacity, kItemLoadFactor);
    const CXString operand1 = element ? element->getPropertyValue(CXString("OPERAND1")) : CXString();
    const CXString op = element ? element->getPropertyValue(CXString("OPERATOR")) : CXString();
    const CXString operand2 = element ? element->getPropertyValue(CXString("OPERAND2")) : CXString();
    appendOperand(operand1);
    appendOperator(resolveOp(op));
    appendOperand(operand2);
    makeOperandBehaviour(container);
}

CMC_Expression::CMC_Expression(CMC_ObjectsContainer* container, CXString text)
    : CMC_Variable(CXString("temp"), kExpression), m_still(false) {
    setScene(container);
    m_items = new CXArray(kItemCapacity, kItemLoadFactor);
    splitText(text);
    makeOperandBehaviour(container);
    init();
}

CMC_Expression::~CMC_Expression() {
    // Statements refer to the operand behaviour: they go first.
    for (int i = 0; i < m_items->getCount(); ++i) {
        auto* item = static_cast<Item*>(m_items->at(i));
        delete item->statement;
        delete item;
    }
    delete m_items;
    CMC_Object::destroy(m_operandBehaviour);
    releaseResult();
}

void CMC_Expression::makeOperandBehaviour(CMC_ObjectsContainer* container) {
    m_operandBehaviour = new CMC_Behaviour(container, CXString("temp"), CXString());
}

void CMC_Expression::appendOperand(const CXString& text) {
    auto* item = new Item();
    item->text = text;
    m_items->add(item);
}

void CMC_Expression::appendOperator(int code) {
    auto* item = new Item();
    item->isOperator = true;
    item->code = code;
    m_items->add(item);
}

int CMC_Expression::resolveOp(const CXString& text) {
    static const struct {
        const char* symbol;
        const char* word;
    } kOps[] = {{"+", "ADD"}, {"-", "SUB"}, {"*", "MUL"}, {"@", "DIV"}, {"%", "MOD"}};
    for (int i = 0; i < 5; ++i)
        if (text == kOps[i].symbol || text == kOps[i].word) return i + 1;
    return 0;
}

// Operands run up to the next operator character outside square brackets: an
// operator inside "[...]" belongs to the operand. An unbalanced "[" takes the rest of
// the text; a leading or doubled operator leaves an empty operand; a text that ends
// with an operator ends with that operator (an even number of items).
void CMC_Expression::splitText(const CXString& text) {
    const CXString operators(kOperatorChars);
    const int length = text.getLength();
    if (length == 0) {
        appendOperand(CXString());
        return;
    }
    int pos = 0;
    int n = 0;
    while (pos < length) {
        if (n % 2 == 0) {
            // The brackets of the candidate operand are counted as it grows, so a long
            // operand costs one pass.
            int end = pos - 1;
            int scanned = pos;
            int opening = 0;
            int closing = 0;
            for (;;) {
                end = text.findOneOf(operators, end + 1);
                if (end < 0) end = length;
                for (; scanned < end; ++scanned) {
                    const char c = text.GetAt(scanned);
                    if (c == '[') ++opening;
                    else if (c == ']') ++closing;
                }
                if (end >= length || opening == closing) break;
            }
            appendOperand(text.Mid(pos, end));
            pos = end;
        } else {
            appendOperator(resolveOp(CXString(static_cast<int>(static_cast<unsigned char>(text.GetAt(pos))))));
            ++pos;
        }
        ++n;
    }
}

void CMC_Expression::init() {
    CMC_Object::init();
    parseOperands();
}

void CMC_Expression::parseOperands() {
    if (m_initialized) return;
    m_initialized = true;
    for (int i = 0; i < m_items->getCount(); ++i) {
        auto* item = static_cast<Item*>(m_items->at(i));
        if (!item->isOperator && !item->statement)
            item->statement = new CMC_Behaviour_Entry(m_operandBehaviour, item->text);
    }
}

int CMC_Expression::getItemCount() const { return m_items->getCount(); }

CXString CMC_Expression::getOperandText(int n) const {
    if (n < 0 || 2 * n >= m_items->getCount()) return CXString();
    return static_cast<const Item*>(m_items->at(2 * n))->text;
}

int CMC_Expression::getOperatorCode(int i) const {
    if (i < 0 || i >= m_items->getCount()) return 0;
    const auto* item = static_cast<const Item*>(m_items->at(i));
    return item->isOperator ? item->code : 0;
}

// ---- calculation -----------------------------------------------------------------------

CMC_Variable* CMC_Expression::evaluateOperand(int i) {
    if (i < 0 || i >= m_items->getCount()) return nullptr;
    auto* item = static_cast<Item*>(m_items->at(i));
    if (item->isOperator || !item->statement) return nullptr;
    CMC_Variable* value = asValue(item->statement->run(this, nullptr));
    // An operand that names this very expression would calculate it forever.
    return value == this ? nullptr : value;
}

void CMC_Expression::release(CMC_Variable* value, bool owned) {
    if (owned && value && CMC_VariableFactory::isInitialized()) CMC_Object::flush(value);
}

void CMC_Expression::releaseResult() {
    // A pooled result from before the last clearing of the pools may belong to
    // someone else now.
    if (m_resultPooled && m_resultGeneration == CMC_VariableFactory::generation())
        release(m_result, true);
    m_result = nullptr;
    m_resultPooled = false;
}

void CMC_Expression::calculate() {
    // Calculating again from inside this calculation (an operand that leads back
    // here) keeps the last result.
    if (m_calculating) return;
    CMC_RunDepth depth;
    if (!depth.entered()) return;
    // An element-built expression used before the scene initialised it.
    parseOperands();
    m_calculating = true;
    releaseResult();

    CMC_Variable* result = evaluateOperand(0);
    bool owned = result && result->isPooled();
    if (!result) {
        // An operand without a value counts as an empty text.
        result = CMC_VariableFactory::allocString();
        static_cast<CMC_String*>(result)->setValue(CXString());
        owned = true;
    }
    const int count = m_items->getCount();
    for (int i = 1; i + 1 < count; i += 2) {
        const int code = getOperatorCode(i);
        CMC_Variable* right = evaluateOperand(i + 1);
        if (!right) continue;
        CMC_Variable* next = (code >= kAdd && code <= kMod) ? result->calculate(right, code) : nullptr;
        if (right != result) release(right, right->isPooled());
        if (!next || next == result) continue;
        release(result, owned);
        result = next;
        owned = result->isPooled();
    }
    m_result = result;
    m_resultPooled = owned;
    m_resultGeneration = CMC_VariableFactory::generation();
    m_calculating = false;
}

CMC_Variable* CMC_Expression::getResult() { return m_result; }

namespace {
// How deep value operations are passed on to results that are expressions
// themselves (host thread only); a chain that leads back around ends here.
int g_nesting = 0;
struct Nesting {
    Nesting() { ++g_nesting; }
    ~Nesting() { --g_nesting; }
    Nesting(const Nesting&) = delete;
    Nesting& operator=(const Nesting&) = delete;
    bool tooDeep() const { return g_nesting > kMaxNesting; }
};
}  // namespace

CMC_Variable* CMC_Expression::calculatedValue(CMC_Expression** inner) {
    calculate();
    *inner = nullptr;
    if (m_result && m_result->getType() == kExpression) {
        auto* expression = dynamic_cast<CMC_Expression*>(m_result);
        if (expression != this) *inner = expression;
        return nullptr;
    }
    return m_result;
}

CXObject* CMC_Expression::clone() {
    CMC_Expression* inner = nullptr;
    CMC_Variable* value = calculatedValue(&inner);
    if (inner) {
        Nesting nesting;
        return nesting.tooDeep() ? nullptr : inner->clone();
    }
    return value ? value->clone() : nullptr;
}

bool CMC_Expression::equals(CMC_Variable* other) {
    CMC_Expression* inner = nullptr;
    CMC_Variable* value = calculatedValue(&inner);
    if (inner) {
        Nesting nesting;
        return !nesting.tooDeep() && inner->equals(other);
    }
    if (!value || !other) return false;
    CMC_Variable* used = other;
    if (other->getType() != value->getType()) used = other->convert(value->getType());
    if (!used) return false;
    const bool equal = value->equals(used);
    if (used != other) CMC_Object::flush(used);
    return equal;
}

int CMC_Expression::compare(CMC_Variable* other) {
    CMC_Expression* inner = nullptr;
    CMC_Variable* value = calculatedValue(&inner);
    if (inner) {
        Nesting nesting;
        return nesting.tooDeep() ? -1 : inner->compare(other);
    }
    if (!value || !other) return -1;
    CMC_Variable* used = other;
    if (other->getType() != value->getType()) used = other->convert(value->getType());
    if (!used) return -1;
    const int order = value->compare(used);
    if (used != other) CMC_Object::flush(used);
    return order;
}

CMC_Variable* CMC_Expression::convert(int type) {
    CMC_Expression* inner = nullptr;
    CMC_Variable* value = calculatedValue(&inner);
    if (inner) {
        Nesting nesting;
        return nesting.tooDeep() ? nullptr : inner->convert(type);
    }
    if (!value) return nullptr;
    // Callers release what a conversion gives them, and a pooled value gives itself
    // back when it converts to another type: either way the result is no longer ours
    // to release (the pools are cleared at the next step).
    m_resultPooled = false;
    return value->convert(type);
}

CMC_Variable* CMC_Expression::calculate(CMC_Variable* other, int op) {
    CMC_Expression* inner = nullptr;
    CMC_Variable* value = calculatedValue(&inner);
    if (inner) {
        Nesting nesting;
        return nesting.tooDeep() ? nullptr : inner->calculate(other, op);
    }
    return value ? value->calculate(other, op) : nullptr;
}

CMC_Variable* CMC_Expression::detachResult() {
    calculate();
    m_resultPooled = false;
    return m_result;
}

// ---- an expression holds no value of its own --------------------------------------------

void CMC_Expression::set(CMC_Variable*) {}
void CMC_Expression::clear() {}
void CMC_Expression::swap(CMC_Variable*, CMC_Variable*) {}
void CMC_Expression::inc() {}
void CMC_Expression::dec() {}
void CMC_Expression::setDefault(CMC_Variable*) {}
void CMC_Expression::resetINI() {}
int CMC_Expression::getBufferLen() { return 0; }
void CMC_Expression::netstore(void*) {}
void CMC_Expression::netrestore(void*) {}
void CMC_Expression::store(CXArchive*) {}
void CMC_Expression::restore(CXArchive*) {}
