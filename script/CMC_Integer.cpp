#include "script/CMC_Integer.h"

#include <climits>

#include "foundation/CXArchive.h"
#include "foundation/Crt.h"
#include "script/CMC_Bool.h"
#include "script/CMC_Double.h"
#include "script/CMC_String.h"
#include "script/CMC_VariableFactory.h"
#include "script/CMElement.h"

namespace {
// Two's complement wrap-around without signed overflow.
int32_t wrap(uint32_t bits) { return static_cast<int32_t>(bits); }

int32_t apply(int32_t a, int32_t b, int op) {
    switch (op) {
    case CMC_Variable::kAdd: return wrap(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
    case CMC_Variable::kSub: return wrap(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
    case CMC_Variable::kMul: return wrap(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
    // Division by 0 gives 0; INT_MIN / -1 stays INT_MIN and its remainder is 0.
    case CMC_Variable::kDiv:
        if (b == 0) return 0;
        if (a == INT32_MIN && b == -1) return INT32_MIN;
        return a / b;
    case CMC_Variable::kMod:
        if (b == 0 || b == -1) return 0;
        return a % b;
    default: return a;
    }
}
} // namespace

CMC_Integer::CMC_Integer(CXString name) : CMC_Variable(name, kInteger) {}

CMC_Integer::CMC_Integer(CXString name, int poolIndex) : CMC_Variable(name, kInteger, poolIndex) {}

CMC_Integer::CMC_Integer(int value) : CMC_Variable(CXString("temp"), kInteger), m_value(value), m_default(value) {}

CMC_Integer::CMC_Integer(CMC_ObjectsContainer* container, CMElement* element)
    : CMC_Variable(container, element, kInteger) {
    if (!element) return;
    m_value = element->getPropertyIntValue(CXString("VALUE"));
    if (element->getPropertyValue(CXString("DEFAULT")).IsString())
        m_default = element->getPropertyIntValue(CXString("DEFAULT"));
    else
        m_default = m_value;
}

CMC_Integer::~CMC_Integer() = default;

CXObject* CMC_Integer::clone() {
    auto* copy = new CMC_Integer(getName());
    copy->setCloneFlag(true);
    copy->m_value = m_value;
    copy->onChange(false);
    return copy;
}

CXString CMC_Integer::toString() { return CXString::toString(static_cast<int>(m_value)); }

void CMC_Integer::serialize(CXArchive* archive) {
    CMC_Variable::serialize(archive);
    if (archive->isStoring()) {
        *archive << static_cast<int>(m_value);
        *archive << static_cast<int>(m_default);
    } else {
        int value = m_value;
        int byDefault = m_default;
        *archive >> &value;
        *archive >> &byDefault;
        m_value = value;
        m_default = byDefault;
    }
}

void CMC_Integer::setValue(int value) {
    m_value = value;
    onChange(false);
}

void CMC_Integer::set(CMC_Variable* other) {
    CMC_Variable* release = nullptr;
    bool changed = false;
    if (CMC_Integer* source = takeAs<CMC_Integer>(other, kInteger, &release)) {
        int32_t value = source->m_value;
        changed = value != m_value;
        m_value = value;
    }
    CMC_Object::flush(release);
    onChange(changed);
}

void CMC_Integer::clear() {
    bool changed = m_value != 0;
    m_value = 0;
    onChange(changed);
}

void CMC_Integer::swap(CMC_Variable* a, CMC_Variable* b) {
    // Callers pass INTEGER values; anything else is read through its conversion.
    CMC_Variable* releaseA = nullptr;
    CMC_Variable* releaseB = nullptr;
    CMC_Integer* first = takeAs<CMC_Integer>(a, kInteger, &releaseA);
    int32_t firstValue = first ? first->m_value : 0;
    CMC_Object::flush(releaseA);
    CMC_Integer* second = takeAs<CMC_Integer>(b, kInteger, &releaseB);
    int32_t secondValue = second ? second->m_value : 0;
    CMC_Object::flush(releaseB);
    bool changed = false;
    if (first && second) {
        int32_t value = m_value == firstValue ? secondValue : firstValue;
        changed = value != m_value;
        m_value = value;
    }
    onChange(changed);
}

void CMC_Integer::inc() {
    m_value = wrap(static_cast<uint32_t>(m_value) + 1u);
    onChange(true);
}

void CMC_Integer::dec() {
    m_value = wrap(static_cast<uint32_t>(m_value) - 1u);
    onChange(true);
}

bool CMC_Integer::equals(CMC_Variable* other) {
    CMC_Variable* release = nullptr;
    CMC_Integer* source = takeAs<CMC_Integer>(other, kInteger, &release);
    bool equal = source && source->m_value == m_value;
    CMC_Object::flush(release);
    return equal;
}

int CMC_Integer::compare(CMC_Variable* other) {
    CMC_Variable* release = nullptr;
    CMC_Integer* source = takeAs<CMC_Integer>(other, kInteger, &release);
    int result = 1;
    if (source) result = m_value < source->m_value ? -1 : (m_value > source->m_value ? 1 : 0);
    CMC_Object::flush(release);
    return result;
}

CMC_Variable* CMC_Integer::convert(int type) {
    switch (type) {
    case kInteger: return this;
    case kString: {
        // Releasing first is safe: the result comes from another pool.
        CMC_Object::flush(this);
        CMC_String* result = CMC_VariableFactory::allocString();
        result->setValue(toString());
        return result;
    }
    case kBool: {
        CMC_Object::flush(this);
        CMC_Bool* result = CMC_VariableFactory::allocBool();
        result->setValue(m_value != 0);
        return result;
    }
    case kDouble: {
        CMC_Object::flush(this);
        CMC_Double* result = CMC_VariableFactory::allocDouble();
        result->setValue(static_cast<double>(m_value));
        return result;
    }
    default: return nullptr;
    }
}

CMC_Variable* CMC_Integer::calculate(CMC_Variable* other, int op) {
    int32_t left = m_value;
    CMC_Integer* result = CMC_VariableFactory::allocInteger();
    CMC_Variable* operand = other ? other->convert(kInteger) : nullptr;
    // An operand without an INTEGER form leaves the left value.
    int32_t value = left;
    if (auto* right = dynamic_cast<CMC_Integer*>(operand)) value = apply(left, right->m_value, op);
    result->setValue(value);
    CMC_Object::flush(operand);
    return result;
}

void CMC_Integer::setDefault(CMC_Variable* other) {
    CMC_Variable* release = nullptr;
    if (CMC_Integer* source = takeAs<CMC_Integer>(other, kInteger, &release)) m_default = source->m_value;
    CMC_Object::flush(release);
}

void CMC_Integer::resetINI() {
    if (!isToIni()) return;
    m_value = m_default;
    onChange(true);
}

int CMC_Integer::getBufferLen() { return 8; }

void CMC_Integer::netstore(void* buffer) {
    putInt32(buffer, 0, kInteger);
    putInt32(buffer, 4, m_value);
}

void CMC_Integer::netrestore(void* buffer) { m_value = getInt32(buffer, 4); }

void CMC_Integer::store(CXArchive* archive) {
    *archive << static_cast<int>(kInteger);
    *archive << static_cast<int>(m_value);
}

void CMC_Integer::restore(CXArchive* archive) {
    int value = m_value;
    *archive >> &value;
    m_value = value;
}

void CMC_Integer::fromString(CXString text) { m_value = crt::atoi(text.c_str()); }
