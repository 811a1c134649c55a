#include "script/CMC_Double.h"

#include <cmath>
#include <cstring>

#include "foundation/CXArchive.h"
#include "foundation/Crt.h"
#include "script/CMC_Bool.h"
#include "script/CMC_Integer.h"
#include "script/CMC_String.h"
#include "script/CMC_VariableFactory.h"
#include "script/CMElement.h"

namespace {
// A double as a 32-bit integer: whole numbers outside the range, infinities and
// NaN give INT32_MIN.
int32_t toInt32(double whole) {
    if (!(whole >= -2147483648.0 && whole <= 2147483647.0)) return INT32_MIN;
    return static_cast<int32_t>(whole);
}

// The remainder of the two values truncated to 32-bit integers, with the sign
// of the dividend; 0 for a zero divisor and for INT32_MIN by -1.
double remainderOf(double a, double b) {
    int32_t dividend = toInt32(std::trunc(a));
    int32_t divisor = toInt32(std::trunc(b));
    if (divisor == 0 || divisor == -1) return 0.0;
    return static_cast<double>(dividend % divisor);
}
} // namespace

CMC_Double::CMC_Double(CXString name) : CMC_Variable(name, kDouble) {}

CMC_Double::CMC_Double(CXString name, int poolIndex) : CMC_Variable(name, kDouble, poolIndex) {}

CMC_Double::CMC_Double(double value)
    : CMC_Variable(CXString("temp"), kDouble), m_value(value), m_default(value) {}

CMC_Double::CMC_Double(CMC_ObjectsContainer* container, CMElement* element)
    : CMC_Variable(container, element, kDouble) {
    if (!element) return;
    m_value = element->getPropertyDoubleValue(CXString("VALUE"));
    if (element->getPropertyValue(CXString("DEFAULT")).IsString())
        m_default = element->getPropertyDoubleValue(CXString("DEFAULT"));
    else
        m_default = m_value;
}

CMC_Double::~CMC_Double() = default;

int CMC_Double::round(double value) {
    double whole = std::trunc(value);
    if (std::fabs(value - whole) >= 0.5) whole += value > 0 ? 1.0 : -1.0;
    return toInt32(whole);
}

CXObject* CMC_Double::clone() {
    auto* copy = new CMC_Double(getName());
    copy->setCloneFlag(true);
    copy->m_value = m_value;
    copy->onChange(false);
    return copy;
}

CXString CMC_Double::toString() { return CXString::toString(m_value); }

void CMC_Double::serialize(CXArchive* archive) {
    CMC_Variable::serialize(archive);
    if (archive->isStoring()) {
        *archive << m_value;
        *archive << m_default;
    } else {
        *archive >> &m_value;
        *archive >> &m_default;
    }
}

void CMC_Double::setValue(double value) {
    m_value = value;
    onChange(false);
}

void CMC_Double::set(CMC_Variable* other) {
    CMC_Variable* release = nullptr;
    bool changed = false;
    if (CMC_Double* source = takeAs<CMC_Double>(other, kDouble, &release)) {
        double value = source->m_value;
        changed = value != m_value;
        m_value = value;
    }
    CMC_Object::flush(release);
    onChange(changed);
}

void CMC_Double::clear() {
    bool changed = m_value != 0.0;
    m_value = 0.0;
    onChange(changed);
}

void CMC_Double::swap(CMC_Variable* a, CMC_Variable* b) {
    // Callers pass DOUBLE values; anything else is read through its conversion.
    CMC_Variable* releaseA = nullptr;
    CMC_Variable* releaseB = nullptr;
    CMC_Double* first = takeAs<CMC_Double>(a, kDouble, &releaseA);
    double firstValue = first ? first->m_value : 0.0;
    CMC_Object::flush(releaseA);
    CMC_Double* second = takeAs<CMC_Double>(b, kDouble, &releaseB);
    double secondValue = second ? second->m_value : 0.0;
    CMC_Object::flush(releaseB);
    bool changed = false;
    if (first && second) {
        double value = m_value == firstValue ? secondValue : firstValue;
        changed = value != m_value;
        m_value = value;
    }
    onChange(changed);
}

void CMC_Double::inc() {
    m_value += 1.0;
    onChange(true);
}

void CMC_Double::dec() {
    m_value -= 1.0;
    onChange(true);
}

bool CMC_Double::equals(CMC_Variable* other) {
    CMC_Variable* release = nullptr;
    CMC_Double* source = takeAs<CMC_Double>(other, kDouble, &release);
    bool equal = source && source->m_value == m_value;
    CMC_Object::flush(release);
    return equal;
}

int CMC_Double::compare(CMC_Variable* other) {
    CMC_Variable* release = nullptr;
    CMC_Double* source = takeAs<CMC_Double>(other, kDouble, &release);
    int result = -1;
    if (source) result = m_value == source->m_value ? 0 : (m_value > source->m_value ? 1 : -1);
    CMC_Object::flush(release);
    return result;
}

CMC_Variable* CMC_Double::convert(int type) {
    switch (type) {
    case kDouble: return this;
    case kInteger: {
        // Releasing first is safe: the result comes from another pool.
        CMC_Object::flush(this);
        CMC_Integer* result = CMC_VariableFactory::allocInteger();
        result->setValue(round(m_value));
        return result;
    }
    case kString: {
        CMC_Object::flush(this);
        CMC_String* result = CMC_VariableFactory::allocString();
        result->setValue(toString());
        return result;
    }
    case kBool: {
        CMC_Object::flush(this);
        CMC_Bool* result = CMC_VariableFactory::allocBool();
        result->setValue(m_value != 0.0);
        return result;
    }
    default: return nullptr;
    }
}

CMC_Variable* CMC_Double::calculate(CMC_Variable* other, int op) {
    double left = m_value;
    CMC_Double* result = CMC_VariableFactory::allocDouble();
    CMC_Variable* operand = other ? other->convert(kDouble) : nullptr;
    // An unknown code, or an operand without a DOUBLE form, keeps the left value.
    double value = left;
    if (auto* right = dynamic_cast<CMC_Double*>(operand)) {
        double r = right->m_value;
        switch (op) {
        case kAdd: value = left + r; break;
        case kSub: value = left - r; break;
        case kMul: value = left * r; break;
        case kDiv: value = left / r; break;
        case kMod: value = remainderOf(left, r); break;
        default: break;
        }
    }
    result->setValue(value);
    CMC_Object::flush(operand);
    return result;
}

void CMC_Double::setDefault(CMC_Variable* other) {
    CMC_Variable* release = nullptr;
    if (CMC_Double* source = takeAs<CMC_Double>(other, kDouble, &release)) m_default = source->m_value;
    CMC_Object::flush(release);
}

void CMC_Double::resetINI() {
    if (!isToIni()) return;
    m_value = m_default;
    onChange(true);
}

int CMC_Double::getBufferLen() { return 12; }

void CMC_Double::netstore(void* buffer) {
    putInt32(buffer, 0, kDouble);
    uint64_t bits = 0;
    std::memcpy(&bits, &m_value, sizeof bits);
    auto* bytes = static_cast<unsigned char*>(buffer) + 4;
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<unsigned char>(bits >> (8 * i));
}

void CMC_Double::netrestore(void* buffer) {
    const auto* bytes = static_cast<const unsigned char*>(buffer) + 4;
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) bits |= static_cast<uint64_t>(bytes[i]) << (8 * i);
    std::memcpy(&m_value, &bits, sizeof bits);
}

void CMC_Double::store(CXArchive* archive) {
    *archive << static_cast<int>(kDouble);
    *archive << m_value;
}

void CMC_Double::restore(CXArchive* archive) { *archive >> &m_value; }

void CMC_Double::fromString(CXString text) { m_value = crt::atof(text.c_str()); }
