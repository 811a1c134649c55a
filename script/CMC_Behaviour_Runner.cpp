#include "script/CMC_Behaviour_Runner.h"

#include <cstdint>
#include <cstring>
#include <optional>
#include <typeinfo>

#include "foundation/CXArray.h"
#include "foundation/CXVector.h"
#include "script/CMC_Behaviour.h"
#include "script/CMC_Integer.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_StepBudget.h"
#include "script/CMC_String.h"
#include "script/CMC_Variable.h"
#include "script/CMC_VariableFactory.h"

namespace {

constexpr float kLoadFactor = 0.75f;

// The text a value passes to a called behaviour: a variable's text, or for any other
// script object its name.
CXString argumentText(CMC_Runner* runner, CXVector* values, int i) {
    CXObject* raw = values->at(i);
    if (!raw) return CXString();
    if (CMC_Runner::asVariable(raw)) return runner->getParameterText(values, i);
    if (auto* object = dynamic_cast<CMC_Object*>(raw)) return object->getName();
    return CXString();
}

// Whether the text names a script object of the container that is not a plain value.
bool namesObject(CMC_ObjectsContainer* container, const char* text) {
    CMC_Object* named = container ? container->getObject(text) : nullptr;
    return named && (named->getType() < 0 || named->getType() > 4);
}

CXString* quotedIfObject(CMC_ObjectsContainer* container, const CXString& text) {
    if (namesObject(container, text.c_str())) return new CXString(CXString("\"") + text + "\"");
    return new CXString(text);
}

// Whether the `n` bytes at `a` and `b` are the same (texts of a few characters).
bool sameBytes(const char* a, const char* b, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (a[i] != b[i]) return false;
    return true;
}

// The decimal text of an INTEGER as its conversion to STRING writes it, into `out`.
const char* decimal(int32_t value, char (&out)[16]) {
    char* end = out + sizeof out - 1;
    *end = '\0';
    char* p = end;
    uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    do {
        *--p = static_cast<char>('0' + magnitude % 10u);
        magnitude /= 10u;
    } while (magnitude != 0u);
    if (value < 0) *--p = '-';
    return p;
}

}  // namespace

void CMC_Behaviour_Runner::prepareMthHashSet() {
    CMC_Runner::prepareMthHashSet();
    putMethod("RUN", kRun);
    putMethod("RUNC", kRunC);
    putMethod("RUNLOOPED", kRunLooped);
    putMethod("BREAK", kBreak);
    putMethod("ENABLE", kEnable);
    putMethod("DISABLE", kDisable);
}

CMC_Variable* CMC_Behaviour_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                        CXVector* arguments) {
    auto* behaviour = target && &typeid(*target) == &typeid(CMC_Behaviour) ? static_cast<CMC_Behaviour*>(target)
                                                                            : dynamic_cast<CMC_Behaviour*>(target);
    if (!behaviour) return CMC_Runner::run(id, target, container, arguments);
    switch (id) {
    case kRun:
        return run(behaviour, container, arguments, false);
    case kRunC:
        return run(behaviour, container, arguments, true);
    case kRunLooped:
        return runLooped(behaviour, container, arguments);
    case kBreak:
        behaviour->_break();
        return nullptr;
    case kEnable:
        behaviour->enable(true);
        return nullptr;
    case kDisable:
        behaviour->enable(false);
        return nullptr;
    default:
        return CMC_Runner::run(id, target, container, arguments);
    }
}

CXArray* CMC_Behaviour_Runner::getParams(CMC_ObjectsContainer* container, CXVector* arguments) {
    if (!arguments) return nullptr;
    const int count = arguments->getCount();
    auto* params = new CXArray(count > 0 ? count : 1, kLoadFactor);
    for (int i = 0; i < count; ++i) params->add(quotedIfObject(container, argumentText(this, arguments, i)));
    return params;
}

CMC_Behaviour_Runner::~CMC_Behaviour_Runner() {
    for (CXArray* params : m_params) CXString::releaseToVector(params);
}

bool CMC_Behaviour_Runner::namesObjectAt(int position, CMC_ObjectsContainer* container, const char* text,
                                         size_t length) {
    if (position >= kNameChecks) return namesObject(container, text);
    NameCheck& check = m_nameChecks[position];
    const uint32_t changes = CMC_ObjectsContainer::getChangeCount();
    if (check.valid && check.scope == container && check.changes == changes && check.text.size() == length &&
        sameBytes(check.text.data(), text, length))
        return check.names;
    check.names = namesObject(container, text);
    check.text.assign(text, length);
    check.scope = container;
    check.changes = changes;
    check.valid = true;
    return check.names;
}

void CMC_Behaviour_Runner::fillParams(CXArray* params, CMC_ObjectsContainer* container, CXVector* arguments) {
    const int count = arguments->getCount();
    while (params->getCount() > count) {
        const int last = params->getCount() - 1;
        delete params->stringAt(last);
        params->removeAt(last);
    }
    for (int i = 0; i < count; ++i) {
        CXObject* raw = arguments->at(i);
        char digits[16];
        std::optional<CXString> text;
        const char* plain = nullptr;
        size_t length = 0;
        // An INTEGER's text is written here rather than through a pooled STRING.
        if (raw && &typeid(*raw) == &typeid(CMC_Integer)) {
            plain = decimal(static_cast<CMC_Integer*>(raw)->getValue(), digits);
            length = static_cast<size_t>(digits + sizeof digits - 1 - plain);
        } else {
            plain = text.emplace(argumentText(this, arguments, i)).c_str();
            length = std::strlen(plain);
        }
        if (i >= params->getCount()) params->add(new CXString());
        CXString* slot = params->stringAt(i);
        if (namesObjectAt(i, container, plain, length)) {
            *slot = "\"";
            *slot += plain;
            *slot += '"';
        } else if (static_cast<size_t>(slot->getLength()) != length || !sameBytes(slot->c_str(), plain, length)) {
            // The same text as the last call's stays as it is.
            *slot = plain;
        }
    }
}

CMC_Variable* CMC_Behaviour_Runner::returnVariable(CMC_ObjectsContainer* container) {
    if (!container) return nullptr;
    const uint32_t changes = CMC_ObjectsContainer::getChangeCount();
    if (container == m_returnMissScope && changes == m_returnMissChanges) return nullptr;
    CMC_Object* found = container->getObject("__RETURN__");
    if (!found) {
        m_returnMissScope = container;
        m_returnMissChanges = changes;
        return nullptr;
    }
    return &typeid(*found) == &typeid(CMC_String) ? static_cast<CMC_String*>(found) : dynamic_cast<CMC_Variable*>(found);
}

CMC_Variable* CMC_Behaviour_Runner::run(CMC_Behaviour* target, CMC_ObjectsContainer* container, CXVector* arguments,
                                        bool check) {
    CXArray* params = nullptr;
    if (arguments) {
        if (m_paramsDepth >= static_cast<int32_t>(m_params.size())) m_params.push_back(new CXArray(1, kLoadFactor));
        params = m_params[static_cast<size_t>(m_paramsDepth)];
        fillParams(params, container, arguments);
    }
    ++m_paramsDepth;
    const bool broke = target->run(nullptr, params, check);
    --m_paramsDepth;
    // A BREAK in the callee ends the caller too.
    if (broke) return CMC_Behaviour::asResult<CMC_Variable>(CMC_Behaviour::kBreak);
    CMC_Variable* returned = returnVariable(container);
    return returned ? CMC_VariableFactory::copyVariable(returned) : nullptr;
}

CMC_Variable* CMC_Behaviour_Runner::runLooped(CMC_Behaviour* target, CMC_ObjectsContainer* container,
                                              CXVector* arguments) {
    const int count = argumentCount(arguments);
    const int64_t start = getParameterInteger(arguments, 0)->getValue();
    const int64_t end = start + getParameterInteger(arguments, 1)->getValue();
    const int64_t step = count > 2 ? getParameterInteger(arguments, 2)->getValue() : 1;
    // A step that does not advance would only end through BREAK: nothing runs.
    if (step > 0 && start < end) {
        auto* params = new CXArray(count > 2 ? count - 1 : 1, kLoadFactor);
        auto* counter = new CXString();
        params->add(counter);
        for (int i = 2; i < count; ++i) params->add(quotedIfObject(container, argumentText(this, arguments, i)));
        for (int64_t i = start; i < end && CMC_StepBudget::take(); i += step) {
            *counter = CXString::toString(static_cast<int>(i));
            if (target->run(nullptr, params, true)) break;
        }
        CXString::releaseToVector(params);
    }
    return returnVariable(container);
}
