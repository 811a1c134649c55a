#include "script/CMC_Behaviour_Entry.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <typeinfo>
#include <utility>
#include <vector>

#include "foundation/CXArray.h"
#include "foundation/CXVector.h"
#include "script/CMC_Behaviour.h"
#include "script/CMC_Bool.h"
#include "script/CMC_Double.h"
#include "script/CMC_Expression.h"
#include "script/CMC_Integer.h"
#include "script/CMC_Nesting.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_Runner.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_StepBudget.h"
#include "script/CMC_String.h"
#include "script/CMC_Variable.h"
#include "script/CMC_VariableFactory.h"

uint32_t CMC_Behaviour_Entry::s_inlineCounter = 0;

namespace {

constexpr int kVectorCapacity = 101;
constexpr float kLoadFactor = 0.75f;
constexpr int kClassType = 3004;

CMC_Behaviour_Entry::FieldGetter s_fieldGetter = nullptr;

bool holds(const CXString& text, char c) { return text.Find(c) >= 0; }

// The container a statement of `owner` runs in (what container() gives, bound here
// rather than through the library's exported symbol).
inline CMC_ObjectsContainer* sceneOf(CMC_Behaviour* owner) { return owner ? owner->getScene() : nullptr; }

// Whether the `n` bytes at `a` and `b` are the same (names and numbers: a few bytes).
bool sameBytes(const char* a, const char* b, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (a[i] != b[i]) return false;
    return true;
}

// For a text that is just "$N": the argument index N - 1; else -1.
int32_t paramIndexOf(const CXString& text) {
    if (text.getLength() != 2 || text.GetAt(0) != '$') return -1;
    const int index = static_cast<int>(static_cast<unsigned char>(text.GetAt(1))) - '1';
    return index >= 0 ? index : -1;
}

// The text after one leading double quote, if there is one.
bool opensBlock(const CXString& text) {
    const int at = text.GetAt(0) == '"' ? 1 : 0;
    return text.GetAt(at) == '{';
}

// A value held by a container under its own name (a script object, not a made value).
bool isRegistered(CMC_ObjectsContainer* container, CMC_Object* object) {
    return container && object && container->getObject(object->getName()) == object;
}

}  // namespace

// ---- splitting ------------------------------------------------------------------------

CMC_Behaviour_Entry** CMC_Behaviour_Entry::getCodeLines(CMC_Behaviour* owner, const CXString& code) {
    std::vector<CXString> lines;
    std::string line;
    int depth = 0;
    const int length = code.getLength();
    for (int i = 0; i < length; ++i) {
        const char c = code.GetAt(i);
        if (c == '(') {
            ++depth;
        } else if (c == ')') {
            --depth;
        } else if (c == ';' && depth == 0) {
            lines.emplace_back(line.c_str(), static_cast<int>(line.size()));
            line.clear();
            continue;
        } else if (c == ' ') {
            continue;
        }
        line += c;
    }
    // Text after the last ";" at depth 0 is not a statement.
    auto** result = new CMC_Behaviour_Entry*[lines.size() + 1];
    for (size_t i = 0; i < lines.size(); ++i) result[i] = new CMC_Behaviour_Entry(owner, lines[i]);
    result[lines.size()] = nullptr;
    return result;
}

void CMC_Behaviour_Entry::freeCodeLines(CMC_Behaviour_Entry** lines, bool releaseInline) {
    if (!lines) return;
    for (int i = 0; lines[i]; ++i) {
        lines[i]->releaseTempBeh(releaseInline);
        delete lines[i];
    }
    delete[] lines;
}

// ---- parsing ----------------------------------------------------------------------------

CMC_Behaviour_Entry::CMC_Behaviour_Entry(CMC_Behaviour* owner, CXString line, TextOnly)
    : CMC_Object(CXString("code"), kType), m_line(std::move(line)), m_owner(owner) {
    if (m_line.lastChar() == ';') m_line = m_line.Left(m_line.getLength() - 1);
    m_unusable = true;
    m_hasParams = holds(m_line, '$');
    m_paramIndex = paramIndexOf(m_line);
}

CMC_Behaviour_Entry::CMC_Behaviour_Entry(CMC_Behaviour* owner, CXString line)
    : CMC_Object(CXString("code"), kType), m_line(std::move(line)), m_owner(owner) {
    m_bindGeneration = CMC_ObjectsContainer::getRemovalCount();
    // Nested arguments are statements parsed here in turn: past the cap they stay
    // unparsed and give nothing.
    CMC_ParseDepth depth;
    if (!depth.entered()) {
        m_unusable = true;
        return;
    }
    if (m_line.lastChar() == ';') m_line = m_line.Left(m_line.getLength() - 1);
    m_hasParams = holds(m_line, '$');
    m_paramIndex = paramIndexOf(m_line);
    CMC_ObjectsContainer* scope = sceneOf(m_owner);
    int open = m_line.Find('(');
    const char first = m_line.GetAt(0);
    const int length = m_line.getLength();

    if (first == '@') {
        m_isCall = true;
        if (open < 0) {
            m_unusable = true;
            return;
        }
        m_methodName = m_line.Mid(1, open);
        m_object = owner;
        m_runner = CMC_RunnerFactory::getRunner(0);
        if (!m_runner && owner) m_runner = owner->getRunner();
        m_methodId = m_runner ? m_runner->resolveMethod(m_methodName) : -1;
    } else if (first == '*') {
        m_isCall = true;
        m_isReference = true;
        const int bracket = m_line.Find(']');
        const int afterBracket = bracket >= 0 ? bracket + 1 : 0;
        int caret = m_line.Find('^', afterBracket);
        if (afterBracket < open)
            open = caret >= 0 ? m_line.Find('(', caret) : -1;
        else
            caret = m_line.Find('^');
        if (caret < 0 || open < 0 || open < caret) {
            m_unusable = true;
            return;
        }
        m_objectName = m_line.Mid(1, caret);
        if (m_objectName.GetAt(0) == '[') {
            m_referenceSource =
                new CMC_Expression(scope, m_objectName.Mid(1, m_objectName.getLength() - 1));
            m_ownsReferenceSource = true;
        } else if (scope) {
            m_referenceSource = scope->getObject(m_objectName);
            m_holdsNamed = true;
        }
        m_methodName = m_line.Mid(caret + 1, open);
    } else if (m_line.startsWith("THIS")) {
        m_isCall = true;
        m_isThis = true;
        if (open < 0) {
            m_unusable = true;
            return;
        }
        m_methodName = m_line.Mid(5, open);
    } else if (first == '[') {
        CXString inner = m_line.Mid(1, length - 1);
        m_valueText = "XXX";
        if (holds(inner, '$')) {
            m_valueText = CXString("[") + inner + "]";
            return;
        }
        m_valueObject = new CMC_Expression(scope, inner);
        m_ownsValueObject = true;
        return;
    } else {
        const int caret = m_line.Find('^');
        if (first == '"' || caret < 0) {
            // A value statement: a named object, or a text read at run time.
            CMC_Object* named = scope ? scope->getObject(m_line) : nullptr;
            m_valueText = m_line;
            if (named && !named->isTemporary()) {
                m_valueObject = named;
                m_valueNamed = true;
                m_holdsNamed = true;
            } else {
                // A number or a quoted text is read as its literal without a name
                // look-up on every run (no script names a variable like that).
                m_literalOnly = !holds(m_line, '$') && !holds(m_line, '|') &&
                                (first == '"' || CMC_Variable::isNumber(m_line));
                if (holds(m_line, '|') && !holds(m_line, '$')) splitFieldName(m_line);
            }
            return;
        }
        m_isCall = true;
        m_objectName = m_line.Left(caret);
        if (open < 0 || open < caret) {
            m_unusable = true;
            return;
        }
        m_methodName = m_line.Mid(caret + 1, open);
        if (holds(m_objectName, '$')) {
            m_nameHasParams = true;
        } else if (holds(m_objectName, '|')) {
            splitFieldName(m_objectName);
        } else {
            m_holdsNamed = true;
            bindTarget(scope ? scope->getObject(m_objectName) : nullptr);
        }
    }
    parseArguments(open);
}

void CMC_Behaviour_Entry::parseArguments(int open) {
    // The arguments run from after the "(" to before the line's last character. They
    // are found by positions in the line; only each argument's own text is copied.
    const int length = m_line.getLength();
    const int from = std::min(open + 1, length);
    const int to = std::max(length - 1, from);
    if (to <= from) return;
    m_values = new CXVector(kVectorCapacity, kLoadFactor);
    m_nested = new CXVector(kVectorCapacity, kLoadFactor);
    const char* text = m_line.c_str();
    int depth = 0;
    int start = from;
    for (int i = from; i < to; ++i) {
        const char c = text[i];
        if (c == '(') ++depth;
        else if (c == ')') --depth;
        const bool last = i == to - 1;
        if (!(c == ',' && depth == 0) && !last) continue;
        // The last character ends the last argument and belongs to it (unless a ",").
        const int end = (last && !(c == ',' && depth == 0)) ? to : i;
        CXString argument = m_line.Mid(start, end);
        start = i + 1;
        if (argument.IsString()) addArgument(std::move(argument));
    }
}

void CMC_Behaviour_Entry::addArgument(CXString argument) {
    CMC_ObjectsContainer* scope = sceneOf(m_owner);
    CXObject* value = nullptr;
    CMC_Behaviour_Entry* nested = nullptr;
    const char first = argument.GetAt(0);
    if (first == '[' && !holds(argument, '$')) {
        auto* expression = new CMC_Expression(scope, argument.Mid(1, argument.getLength() - 1));
        m_owned.push_back(expression);
        value = expression;
    } else if (first == '@' || holds(argument, '$') || holds(argument, '^')) {
        if (opensBlock(argument)) {
            bool hasParams = false;
            CMC_Variable* name = makeInlineBehaviour(argument, "temp", "temp", &hasParams);
            if (name) {
                m_owned.push_back(name);
                value = name;
                if (hasParams) m_argumentsFixed = false;
            }
        } else if (holds(argument, '$')) {
            // Parsed afresh from its filled text at every run (computeArgument): only
            // the text is kept.
            nested = new CMC_Behaviour_Entry(m_owner, std::move(argument), TextOnly{});
        } else {
            nested = new CMC_Behaviour_Entry(m_owner, std::move(argument));
        }
    } else if (first == '&') {
        const CXString name = argument.Right(1);
        value = referenceArgument(name);
        m_referenceArguments.emplace_back(m_values->getCount(), name);
        m_holdsNamed = true;
    } else {
        nested = new CMC_Behaviour_Entry(m_owner, std::move(argument));
    }
    if (nested) m_argumentsFixed = false;
    m_values->add(value);
    m_nested->add(static_cast<CXObject*>(nested));
}

CMC_Variable* CMC_Behaviour_Entry::makeInlineBehaviour(const CXString& text, const char* prefix,
                                                       const char* valueName, bool* codeHasParams) {
    CMC_ObjectsContainer* scope = sceneOf(m_owner);
    if (!scope) return nullptr;
    const int cut = text.GetAt(0) == '"' ? 2 : 1;
    const CXString code = text.Mid(cut, text.getLength() - cut);
    if (codeHasParams) *codeHasParams = holds(code, '$');
    const CXString name = CXString(prefix) + "_" + CXString::toString(nextInlineNumber());
    auto* behaviour = new CMC_Behaviour(scope, name, code);
    behaviour->init();
    scope->addObject(behaviour);
    return new CMC_String(CXString(valueName), name);
}

CXObject* CMC_Behaviour_Entry::referenceArgument(const CXString& name) {
    CMC_ObjectsContainer* scope = sceneOf(m_owner);
    if (CMC_Variable* variable = scope ? scope->getVariable(name) : nullptr) return variable;
    // No such variable: the callee gets a copy of the literal, owned here.
    CMC_Variable* literal = CMC_Variable::resolve(name);
    CXObject* copy = literal ? literal->clone() : nullptr;
    CMC_Object::flush(literal, false);
    if (copy) m_owned.push_back(copy);
    return copy;
}

int CMC_Behaviour_Entry::nextInlineNumber() {
    // Kept to the non-negative int range: past the largest number it starts again at 0.
    const int number = static_cast<int>(s_inlineCounter & 0x7FFFFFFFu);
    s_inlineCounter = static_cast<uint32_t>(number) + 1u;
    return number;
}

CMC_Runner* CMC_Behaviour_Entry::runnerFor(CMC_Object* target) {
    if (!target) return nullptr;
    if (CMC_Runner* runner = CMC_RunnerFactory::getRunner(target->getType())) return runner;
    return target->getRunner();
}

void CMC_Behaviour_Entry::bindTarget(CMC_Object* target) {
    if (target && target->isTemporary()) target = nullptr;
    const bool same = target && target == m_object && m_runner == runnerFor(target);
    m_object = target;
    if (same) return;
    m_runner = target ? runnerFor(target) : nullptr;
    m_methodId = m_runner ? m_runner->resolveMethod(m_methodName) : -1;
}

CMC_Runner* CMC_Behaviour_Entry::runnerAndMethod(CMC_Object* target, int32_t* id) {
    CMC_Runner* runner = runnerFor(target);
    if (runner && runner != m_runner) {
        m_runner = runner;
        m_methodId = runner->resolveMethod(m_methodName);
    }
    *id = runner ? m_methodId : -1;
    return runner;
}

void CMC_Behaviour_Entry::splitFieldName(const CXString& text) {
    const int bar = text.Find('|');
    m_isFieldName = true;
    m_holdsNamed = true;
    m_structureName = text.Left(bar);
    m_fieldName = text.Right(bar + 1);
}

CMC_Variable* CMC_Behaviour_Entry::currentField() {
    CMC_Object* structure = m_structure;
    if (!structure) {
        CMC_ObjectsContainer* scope = sceneOf(m_owner);
        structure = scope ? scope->getObject(m_structureName) : nullptr;
        // A temporary may be deleted while still registered: it is found again each run.
        if (structure && !structure->isTemporary()) m_structure = structure;
    }
    return structure && s_fieldGetter ? s_fieldGetter(structure, m_fieldName) : nullptr;
}

void CMC_Behaviour_Entry::refreshBindings() {
    m_bindGeneration = CMC_ObjectsContainer::getRemovalCount();
    CMC_ObjectsContainer* scope = sceneOf(m_owner);
    // The structure of a field name is found again at its next use.
    m_structure = nullptr;
    if (m_valueNamed) {
        CMC_Object* named = scope ? scope->getObject(m_valueText) : nullptr;
        m_valueObject = (named && !named->isTemporary()) ? named : nullptr;
    } else if (m_isReference && !m_ownsReferenceSource) {
        m_referenceSource = scope ? scope->getObject(m_objectName) : nullptr;
    } else if (m_isCall && !m_isThis && !m_isReference && !m_nameHasParams && !m_isFieldName && m_object != m_owner) {
        bindTarget(scope ? scope->getObject(m_objectName) : nullptr);
    }
    // "&" arguments hold the variable itself; a copy made for a missing one stays.
    for (const auto& [slot, name] : m_referenceArguments) {
        CXObject* held = m_values->at(slot);
        if (held && owns(held)) continue;
        m_values->setAt(slot, referenceArgument(name));
    }
}

void CMC_Behaviour_Entry::forgetOwner() {
    m_owner = nullptr;
    for (int i = 0; m_nested && i < m_nested->getCount(); ++i)
        if (auto* nested = static_cast<CMC_Behaviour_Entry*>(m_nested->at(i))) nested->forgetOwner();
}

CMC_ObjectsContainer* CMC_Behaviour_Entry::container() const { return sceneOf(m_owner); }

int CMC_Behaviour_Entry::getArgumentCount() const { return m_values ? m_values->getCount() : 0; }

bool CMC_Behaviour_Entry::owns(CXObject* value) const {
    for (CXObject* owned : m_owned)
        if (owned == value) return true;
    return false;
}

// ---- destruction --------------------------------------------------------------------------

CMC_Behaviour_Entry::~CMC_Behaviour_Entry() {
    CMC_ObjectsContainer* scope = sceneOf(m_owner);
    // Inline behaviours made at parse time go with the statement when it releases them.
    for (int i = 0; m_values && i < m_values->getCount(); ++i) {
        auto* name = dynamic_cast<CMC_String*>(m_values->at(i));
        if (!m_releaseInline || !name || name->getName() != "temp" || !owns(name) || !scope) continue;
        CMC_Object* behaviour = scope->getObject(name->getValue());
        if (behaviour && dynamic_cast<CMC_Behaviour*>(behaviour)) scope->deleteObject(behaviour);
    }
    // Only what the statement made is deleted: variables held by reference and named
    // objects belong to their containers.
    for (CXObject* owned : m_owned) delete owned;
    m_owned.clear();
    for (int i = 0; m_nested && i < m_nested->getCount(); ++i) {
        auto* nested = static_cast<CMC_Behaviour_Entry*>(m_nested->at(i));
        // A run of this statement still in progress (its behaviour deleted by the
        // call) may hand one of them back as its result: they live until the next
        // application step, as other objects deleted while scripts run.
        if (nested && nested->m_literalCopy && m_activeRuns > 0) {
            CMC_Behaviour::addToTrash(nested->m_literalCopy);
            nested->m_literalCopy = nullptr;
        }
        delete nested;
    }
    delete m_nested;
    delete m_values;
    if (m_ownsValueObject) delete m_valueObject;
    m_valueObject = nullptr;
    delete m_literal;
    m_literal = nullptr;
    delete m_literalCopy;
    m_literalCopy = nullptr;
    if (m_ownsReferenceSource) delete m_referenceSource;
    m_referenceSource = nullptr;
}

// ---- parameters -----------------------------------------------------------------------------

CXString CMC_Behaviour_Entry::fillParams(const CXString& text, CXArray* arguments) {
    const int count = arguments ? arguments->getCount() : 0;
    const int length = text.getLength();
    std::string out;
    out.reserve(static_cast<size_t>(length));
    for (int i = 0; i < length; ++i) {
        const char c = text.GetAt(i);
        if (c == '$' && i + 1 < length) {
            const int index = static_cast<int>(static_cast<unsigned char>(text.GetAt(i + 1))) - '1';
            if (index >= 0 && index < count) {
                auto* argument = static_cast<CXString*>(arguments->at(index));
                if (argument) out.append(argument->c_str(), static_cast<size_t>(argument->getLength()));
                ++i;
                continue;
            }
            // Not a parameter: "$" and the character after it are copied as they are.
            out += c;
            out += text.GetAt(i + 1);
            ++i;
            continue;
        }
        out += c;
    }
    return CXString(out.c_str(), static_cast<int>(out.size()));
}

CXString CMC_Behaviour_Entry::getStringValue(CMC_Object* value) {
    if (!value) return CXString();
    if (auto* text = dynamic_cast<CMC_String*>(value)) return text->getValue();
    auto* variable = dynamic_cast<CMC_Variable*>(value);
    if (!variable) return value->getName();
    CMC_Variable* converted = variable->convert(CMC_Variable::kString);
    CXString result;
    if (auto* text = dynamic_cast<CMC_String*>(converted)) result = text->getValue();
    if (converted && converted != variable) CMC_Object::flush(converted, false);
    return result;
}

void CMC_Behaviour_Entry::registerFieldGetter(FieldGetter getter) { s_fieldGetter = getter; }

CMC_Variable* CMC_Behaviour_Entry::getStructureField(CMC_ObjectsContainer* scope, const CXString& text) {
    const int bar = text.Find('|');
    if (!scope || bar < 0 || !s_fieldGetter) return nullptr;
    CMC_Object* structure = scope->getObject(text.Left(bar));
    if (!structure) return nullptr;
    return s_fieldGetter(structure, text.Right(bar + 1));
}

// ---- running --------------------------------------------------------------------------------

CMC_Object* CMC_Behaviour_Entry::run(CMC_Object* running, CXArray* arguments, bool resultUnused) {
    if (m_unusable || !CMC_StepBudget::take()) return nullptr;
    if (m_holdsNamed && m_bindGeneration != CMC_ObjectsContainer::getRemovalCount()) refreshBindings();
    if (m_valueObject) return m_valueObject;
    if (!m_isCall) return runValue(arguments);
    return runCall(running, arguments, resultUnused);
}

CMC_Object* CMC_Behaviour_Entry::runValue(CXArray* arguments) {
    CMC_ObjectsContainer* scope = sceneOf(m_owner);
    CMC_Object* result = nullptr;
    if (m_literalOnly) {
        // Straight to the literal below.
    } else if (m_isFieldName) {
        result = currentField();
    } else if (!holds(m_valueText, '$')) {
        // A miss stays a miss while no name changes anywhere.
        const uint32_t changes = CMC_ObjectsContainer::getChangeCount();
        if (scope && !(m_missKnown && m_missScope == scope && m_missChanges == changes)) {
            result = scope->getVariable(m_valueText);
            m_missKnown = !result;
            m_missScope = scope;
            m_missChanges = changes;
        }
    } else {
        const CXString filled = fillParams(m_valueText, arguments);
        if (filled.GetAt(0) == '[') {
            // The value outlives the expression as a pooled copy.
            auto* expression = new CMC_Expression(scope, filled.Mid(1, filled.getLength() - 1));
            expression->calculate();
            result = CMC_VariableFactory::copyVariable(expression->getResult());
            delete expression;
        } else {
            result = scope ? scope->getVariable(filled) : nullptr;
            if (!result) result = CMC_Variable::resolve(filled);
        }
    }
    if (!result) {
        // The line's literal is read once; each run hands out a pooled copy of it.
        if (!m_literal) {
            CMC_Variable* literal = CMC_Variable::resolve(m_line);
            m_literal = literal ? dynamic_cast<CMC_Variable*>(literal->clone()) : nullptr;
            CMC_Object::flush(literal, false);
        }
        result = CMC_VariableFactory::copyVariable(m_literal);
    }
    return result;
}

CMC_Object* CMC_Behaviour_Entry::computeArgument(CMC_Behaviour_Entry* nested, CMC_ObjectsContainer* scope,
                                                 CMC_Object* running, CXArray* arguments, bool own) {
    CMC_Object* value = nullptr;
    if (nested->m_hasParams) {
        // An argument that is just "$N" is the call's argument N itself: no text is made.
        const CXString* given = nullptr;
        const int index = nested->m_paramIndex;
        if (index >= 0 && arguments && index < arguments->getCount())
            given = static_cast<CXString*>(arguments->at(index));
        std::optional<CXString> made;
        if (!given) made.emplace(fillParams(nested->m_line, arguments));
        const CXString& filled = given ? *given : *made;
        const char first = filled.GetAt(0);
        if (nested->filledIsCached(scope, filled)) {
            // The text read last time, which named no variable and spelled an INTEGER.
            const int32_t number = nested->m_filledInteger;
            if (own)
                if (CMC_Variable* copy = nested->ownInteger(number)) return copy;
            return CMC_VariableFactory::newInteger(number);
        }
        if (first == '[') {
            value = new CMC_Expression(scope, filled.Mid(1, filled.getLength() - 1));
        } else if (first == '@' || holds(filled, '$') || holds(filled, '^')) {
            if (opensBlock(filled)) {
                value = makeInlineBehaviour(filled, "xtemp", "xtemp", nullptr);
            } else if (CMC_ParseDepth depth; depth.entered()) {
                // Statements made here from argument text nest like parsed ones: the
                // level past the parser's cap gives nothing.
                auto* temporary = new CMC_Behaviour_Entry(m_owner, filled);
                CMC_Behaviour::LifeGuard guard(m_owner);
                value = temporary->run(running, arguments);
                // Its behaviour gone, the statement must not reach for its container.
                if (!guard.alive()) temporary->forgetOwner();
                delete temporary;
            }
        } else {
            value = filledValue(nested, scope, filled);
        }
    } else if ((nested->m_literalOnly && nested->m_literal) || nested->givesLiteral(scope)) {
        // What the nested statement's run gives, without the walk through it: its step,
        // then a copy of its literal.
        if (!CMC_StepBudget::take()) return nullptr;
        if (own)
            if (CMC_Variable* copy = nested->literalArgument()) return copy;
        return CMC_VariableFactory::copyVariable(nested->m_literal);
    } else {
        value = nested->run(running, arguments);
    }
    // A control code is no argument.
    if (CMC_Behaviour::controlCode(value)) value = nullptr;
    return value;
}

CMC_Object* CMC_Behaviour_Entry::filledValue(CMC_Behaviour_Entry* nested, CMC_ObjectsContainer* scope,
                                             const CXString& filled) {
    const uint32_t changes = CMC_ObjectsContainer::getChangeCount();
    const auto length = static_cast<size_t>(filled.getLength());
    if (CMC_Variable* variable = scope ? scope->getVariable(filled) : nullptr) return variable;
    CMC_Variable* literal = CMC_Variable::resolve(filled);
    if (literal && &typeid(*literal) == &typeid(CMC_Integer)) {
        nested->m_filledText.assign(filled.c_str(), length);
        nested->m_filledScope = scope;
        nested->m_filledChanges = changes;
        nested->m_filledInteger = static_cast<CMC_Integer*>(literal)->getValue();
        nested->m_filledCached = true;
    }
    return literal;
}

bool CMC_Behaviour_Entry::givesLiteral(CMC_ObjectsContainer* scope) const {
    if (!m_literal) return false;
    if (m_literalOnly) return true;
    return !m_unusable && !m_isCall && !m_valueObject && !m_holdsNamed && !m_isFieldName && !m_hasParams &&
           m_missKnown && m_missScope == scope && m_missChanges == CMC_ObjectsContainer::getChangeCount();
}

bool CMC_Behaviour_Entry::filledIsCached(CMC_ObjectsContainer* scope, const CXString& filled) const {
    const auto length = static_cast<size_t>(filled.getLength());
    return m_filledCached && m_filledScope == scope && m_filledChanges == CMC_ObjectsContainer::getChangeCount() &&
           m_filledText.size() == length && sameBytes(m_filledText.data(), filled.c_str(), length);
}

CMC_Variable* CMC_Behaviour_Entry::ownInteger(int32_t value) {
    if (!m_literalCopy) m_literalCopy = new CMC_Integer(CXString("f"));
    if (&typeid(*m_literalCopy) != &typeid(CMC_Integer)) return nullptr;
    auto* copy = static_cast<CMC_Integer*>(m_literalCopy);
    if (copy->getValue() != value) copy->setValue(value);
    return copy;
}

CMC_Variable* CMC_Behaviour_Entry::literalArgument() {
    if (!m_literalCopy) {
        const int type = CMC_Variable::basicValue(m_literal) ? m_literal->getType() : 0;
        const CXString name("f");
        switch (type) {
        case CMC_Variable::kInteger: m_literalCopy = new CMC_Integer(name); break;
        case CMC_Variable::kString: m_literalCopy = new CMC_String(name); break;
        case CMC_Variable::kBool: m_literalCopy = new CMC_Bool(name); break;
        case CMC_Variable::kDouble: m_literalCopy = new CMC_Double(name); break;
        default: return nullptr;
        }
    }
    // A runner seldom writes to an argument: an INTEGER copy that still holds the
    // literal is left as it is (its change step would find nothing to tell).
    if (&typeid(*m_literalCopy) == &typeid(CMC_Integer) &&
        static_cast<CMC_Integer*>(m_literalCopy)->getValue() == static_cast<CMC_Integer*>(m_literal)->getValue())
        return m_literalCopy;
    m_literalCopy->set(m_literal);
    return m_literalCopy;
}

void CMC_Behaviour_Entry::releaseComputed(CXObject* raw, CMC_Behaviour_Entry* nested) {
    // The common case, a pooled value, is known by its exact class.
    if (CMC_Variable* basic = CMC_Variable::basicValue(raw); basic && basic->isPooled()) {
        CMC_Object::flush(basic, false);
        return;
    }
    CMC_ObjectsContainer* scope = sceneOf(m_owner);
    // The registered object the argument gave last time: while no name changed
    // anywhere and it keeps its name, the look-up below finds it again.
    if (nested && nested->m_heldResult == raw && nested->m_heldScope == scope &&
        nested->m_heldChanges == CMC_ObjectsContainer::getChangeCount()) {
        const CXString& name = static_cast<const CMC_Object*>(raw)->getNameRef();
        if (nested->m_heldName.size() == static_cast<size_t>(name.getLength()) &&
            sameBytes(nested->m_heldName.data(), name.c_str(), nested->m_heldName.size()))
            return;
    }
    auto* value = dynamic_cast<CMC_Object*>(raw);
    if (!value) return;
    auto* variable = dynamic_cast<CMC_Variable*>(value);
    if (variable && variable->isPooled()) {
        CMC_Object::flush(variable, false);
        return;
    }
    // Objects that a container holds are never the statement's to delete.
    if (isRegistered(scope, value)) {
        if (nested) {
            nested->m_heldResult = raw;
            nested->m_heldScope = scope;
            nested->m_heldChanges = CMC_ObjectsContainer::getChangeCount();
            const CXString& name = value->getNameRef();
            nested->m_heldName.assign(name.c_str(), static_cast<size_t>(name.getLength()));
        }
        return;
    }
    if (value->isClone() && value->getType() != CMC_Variable::kExpression) {
        delete value;
        return;
    }
    if (auto* expression = dynamic_cast<CMC_Expression*>(value)) {
        if (!expression->isStill()) delete expression;
        return;
    }
    auto* text = dynamic_cast<CMC_String*>(value);
    if (text && text->getName().startsWith("xtemp")) {
        CMC_Object* behaviour = scope ? scope->getObject(text->getValue()) : nullptr;
        if (behaviour && dynamic_cast<CMC_Behaviour*>(behaviour)) scope->deleteObject(behaviour);
        delete text;
        return;
    }
}

CMC_Object* CMC_Behaviour_Entry::runCall(CMC_Object* running, CXArray* arguments, bool resultUnused) {
    CMC_ObjectsContainer* scope = sceneOf(m_owner);
    const int slots = m_values ? m_values->getCount() : 0;
    // Whatever the call does, this statement is not touched once its behaviour is gone.
    CMC_Behaviour::LifeGuard guard(m_owner);

    // Arguments computed for this run. A re-entrant run (the call below, or the
    // computation of an argument, running this statement again) uses a vector of its
    // own and pooled copies of literals, so the outer run's values survive.
    CXVector* values = m_values;
    CXVector* own = nullptr;
    const bool reentrant = m_activeRuns > 0;
    ++m_activeRuns;
    // Literal arguments handed over as their statements' own values (the first few
    // slots; further ones get pooled copies). Known here by address only, so that a
    // result can be told apart even after this statement is gone.
    constexpr int kOwnSlots = 8;
    const void* literalCopies[kOwnSlots];
    int literalCount = 0;
    const auto literalCopy = [&](const void* value) {
        for (int i = 0; i < literalCount; ++i)
            if (literalCopies[i] == value) return true;
        return false;
    };
    if (!m_argumentsFixed) {
        if (reentrant) {
            own = new CXVector(kVectorCapacity, kLoadFactor);
            for (int i = 0; i < slots; ++i) own->add(m_nested->at(i) ? nullptr : m_values->at(i));
            values = own;
        }
        const bool hasArguments = arguments && arguments->getCount() > 0;
        for (int i = 0; i < slots; ++i) {
            auto* nested = static_cast<CMC_Behaviour_Entry*>(m_nested->at(i));
            if (nested) {
                const bool mayOwn = !reentrant && literalCount < kOwnSlots;
                CMC_Object* value = computeArgument(nested, scope, running, arguments, mayOwn);
                if (!guard.alive()) {
                    delete own;
                    return nullptr;
                }
                if (mayOwn && value && value == nested->m_literalCopy)
                    literalCopies[literalCount++] = static_cast<CXObject*>(nested->m_literalCopy);
                values->setAt(i, static_cast<CXObject*>(value));
                continue;
            }
            // An inline behaviour holding "$" sees the caller's arguments.
            auto* name = dynamic_cast<CMC_String*>(values->at(i));
            if (!hasArguments || !name || name->getName() != "temp" || !scope) continue;
            if (auto* behaviour = dynamic_cast<CMC_Behaviour*>(scope->getObject(name->getValue())))
                behaviour->setParams(arguments);
        }
    }

    CMC_Object* target = nullptr;
    CMC_Runner* runner = nullptr;
    int id = -1;
    // Only a parameterised method name needs a text of its own; the bound path
    // touches no text.
    std::unique_ptr<CXString> filledMethod;
    if (m_nameHasParams) {
        const CXString name = fillParams(m_objectName, arguments);
        target = holds(name, '|') ? getStructureField(scope, name) : (scope ? scope->getObject(name) : nullptr);
        if (holds(m_methodName, '$')) filledMethod = std::make_unique<CXString>(fillParams(m_methodName, arguments));
        runner = runnerFor(target);
    } else if (m_isFieldName) {
        // Looked up now: the arguments just computed may have changed what it shows.
        target = currentField();
        runner = runnerAndMethod(target, &id);
    } else if (m_runner && m_object) {
        target = m_object;
        runner = m_runner;
        id = m_methodId;
    } else if (m_isThis) {
        if (scope && scope->getType() == kClassType) {
            target = scope;
            runner = CMC_RunnerFactory::getRunner(kClassType);
            if (!runner) runner = scope->getRunner();
        } else if (running) {
            target = running;
            runner = runnerFor(running);
        }
    } else if (m_isReference) {
        CMC_Variable* variable = nullptr;
        if (m_referenceSource || (scope && (variable = scope->getVariable(m_objectName)))) {
            const CXString name = getStringValue(m_referenceSource ? m_referenceSource : variable);
            target = (scope && name.IsString()) ? scope->getObject(name) : nullptr;
        }
        if (target)
            runner = target->getType() > 10000 ? target->getRunner() : CMC_RunnerFactory::getRunner(target->getType());
    } else {
        target = scope ? scope->getObject(m_objectName) : nullptr;
        runner = runnerFor(target);
    }

    CMC_Variable* result = nullptr;
    if (target && runner) {
        if (id == -1)
            result = runner->run(filledMethod ? *filledMethod : m_methodName, target, scope, values);
        else if (resultUnused)
            result = runner->runForEffect(id, target, scope, values);
        else
            result = runner->run(id, target, scope, values);
        // A method that hands back a literal argument gives what it would have given
        // with a pooled copy of it: a pooled copy.
        if (result && literalCopy(reinterpret_cast<CXObject*>(result)))
            result = CMC_VariableFactory::copyVariable(result);
        if (!guard.alive()) {
            delete own;
            return reinterpret_cast<CMC_Object*>(result);
        }
    }
    --m_activeRuns;

    // Computed values live for this run only; fixed values stay.
    if (!m_argumentsFixed) {
        for (int i = 0; i < slots; ++i) {
            if (!m_nested->at(i)) continue;
            CXObject* value = values->at(i);
            values->setAt(i, static_cast<CXObject*>(nullptr));
            if (value && value != reinterpret_cast<CXObject*>(result) && !literalCopy(value))
                releaseComputed(value, static_cast<CMC_Behaviour_Entry*>(m_nested->at(i)));
        }
    }
    delete own;
    return reinterpret_cast<CMC_Object*>(result);
}
