#include "script/CMC_ValueBase.h"

#include <type_traits>

#include "foundation/CXArchive.h"
#include "foundation/Crt.h"
#include "script/CMC_Bool.h"
#include "script/CMC_Double.h"
#include "script/CMC_Integer.h"
#include "script/CMC_String.h"
#include "script/CMC_VariableFactory.h"
#include "script/CMElement.h"

namespace {

// The conversions between the basic types (the text form is each type's toString).
int32_t toInteger(int32_t v) { return v; }
int32_t toInteger(double v) { return CMC_Double::round(v); }
int32_t toInteger(bool v) { return v ? 1 : 0; }
int32_t toInteger(const CXString& v) { return crt::atoi(v.c_str()); }
double toDouble(int32_t v) { return static_cast<double>(v); }
double toDouble(double v) { return v; }
double toDouble(bool v) { return v ? 1.0 : 0.0; }
double toDouble(const CXString& v) { return crt::atof(v.c_str()); }
bool toBool(int32_t v) { return v != 0; }
bool toBool(double v) { return v != 0.0; }
bool toBool(bool v) { return v; }
// "true" in any case.
bool toBool(const CXString& v) { return CXString(v).Upper() == "TRUE"; }

// A definition property read as the value's type.
void readProperty(CMElement* element, const char* key, int32_t* out) {
    *out = element->getPropertyIntValue(CXString(key));
}
void readProperty(CMElement* element, const char* key, double* out) {
    *out = element->getPropertyDoubleValue(CXString(key));
}
void readProperty(CMElement* element, const char* key, bool* out) {
    *out = element->getPropertyBoolValue(CXString(key));
}
void readProperty(CMElement* element, const char* key, CXString* out) {
    *out = element->getPropertyValue(CXString(key));
}

// A pooled temporary of the type.
template <class T>
T* allocTemp();
template <>
CMC_Integer* allocTemp<CMC_Integer>() { return CMC_VariableFactory::allocInteger(); }
template <>
CMC_Double* allocTemp<CMC_Double>() { return CMC_VariableFactory::allocDouble(); }
template <>
CMC_Bool* allocTemp<CMC_Bool>() { return CMC_VariableFactory::allocBool(); }
template <>
CMC_String* allocTemp<CMC_String>() { return CMC_VariableFactory::allocString(); }

} // namespace

template <class D, class V, int T>
CMC_ValueBase<D, V, T>::CMC_ValueBase(CMC_ObjectsContainer* container, CMElement* element)
    : CMC_Variable(container, element, T) {
    if (!element) return;
    readProperty(element, "VALUE", &m_value);
    if (element->getPropertyValue(CXString("DEFAULT")).IsString())
        readProperty(element, "DEFAULT", &m_default);
    else
        m_default = m_value;
}

template <class D, class V, int T>
bool CMC_ValueBase<D, V, T>::take(CMC_Variable* other, V* out) {
    if (!other) return false;
    if (other->getType() == T) {
        if (D* same = valueCast<D>(other)) {
            *out = same->m_value;
            return true;
        }
    }
    CMC_Variable* converted = other->convert(T);
    D* source = valueCast<D>(converted);
    if (source) *out = source->m_value;
    if (converted != other) CMC_Object::flush(converted);
    return source != nullptr;
}

template <class D, class V, int T>
CXObject* CMC_ValueBase<D, V, T>::clone() {
    auto* copy = new D(getName());
    copy->setCloneFlag(true);
    copy->m_value = m_value;
    copy->onChange(false);
    return copy;
}

template <class D, class V, int T>
void CMC_ValueBase<D, V, T>::serialize(CXArchive* archive) {
    CMC_Variable::serialize(archive);
    if (archive->isStoring()) {
        *archive << m_value;
        *archive << m_default;
    } else {
        *archive >> &m_value;
        *archive >> &m_default;
    }
}

template <class D, class V, int T>
void CMC_ValueBase<D, V, T>::setValue(V value) {
    bool changed = false;
    if constexpr (std::is_same_v<V, CXString>) changed = value != m_value;
    m_value = value;
    onChange(changed);
}

template <class D, class V, int T>
void CMC_ValueBase<D, V, T>::set(CMC_Variable* other) {
    V value{};
    bool changed = false;
    if (take(other, &value)) {
        changed = value != m_value;
        m_value = value;
    }
    onChange(changed);
}

template <class D, class V, int T>
void CMC_ValueBase<D, V, T>::assign(V value) {
    const bool changed = value != m_value;
    m_value = value;
    onChange(changed);
}

template <class D, class V, int T>
void CMC_ValueBase<D, V, T>::clear() {
    bool changed = m_value != V{};
    m_value = V{};
    onChange(changed);
}

template <class D, class V, int T>
void CMC_ValueBase<D, V, T>::swap(CMC_Variable* a, CMC_Variable* b) {
    V first{};
    V second{};
    const bool hasFirst = take(a, &first);
    const bool hasSecond = take(b, &second);
    bool changed = false;
    if (hasFirst && hasSecond) {
        V value = m_value == first ? second : first;
        changed = value != m_value;
        m_value = value;
    }
    onChange(changed);
}

template <class D, class V, int T>
bool CMC_ValueBase<D, V, T>::equals(CMC_Variable* other) {
    V value{};
    return take(other, &value) && value == m_value;
}

template <class D, class V, int T>
CMC_Variable* CMC_ValueBase<D, V, T>::convert(int type) {
    if (type == T) return this;
    if (!isValueType(type)) return nullptr;
    // Releasing first is safe: the result comes from another pool.
    CMC_Object::flush(this);
    switch (type) {
    case kInteger: return CMC_VariableFactory::newInteger(toInteger(m_value));
    case kString: return CMC_VariableFactory::newString(toString());
    case kBool: return CMC_VariableFactory::newBool(toBool(m_value));
    default: return CMC_VariableFactory::newDouble(toDouble(m_value));
    }
}

template <class D, class V, int T>
CMC_Variable* CMC_ValueBase<D, V, T>::calculate(CMC_Variable* other, int op) {
    // Read before allocating: this value may itself be a free pooled one.
    V left = m_value;
    D* result = allocTemp<D>();
    CMC_Variable* operand = other ? other->convert(T) : nullptr;
    V value = left;
    if (D* right = valueCast<D>(operand)) value = D::combine(left, right->m_value, op);
    result->setValue(value);
    CMC_Object::flush(operand);
    return result;
}

template <class D, class V, int T>
void CMC_ValueBase<D, V, T>::setDefault(CMC_Variable* other) {
    V value{};
    if (take(other, &value)) m_default = value;
}

template <class D, class V, int T>
void CMC_ValueBase<D, V, T>::resetINI() {
    if (!isToIni()) return;
    m_value = m_default;
    onChange(true);
}

// A BOOL's archive form is a 32-bit 0 or 1.
template <class D, class V, int T>
void CMC_ValueBase<D, V, T>::store(CXArchive* archive) {
    *archive << static_cast<int>(T);
    if constexpr (std::is_same_v<V, bool>)
        *archive << static_cast<int>(m_value ? 1 : 0);
    else
        *archive << m_value;
}

template <class D, class V, int T>
void CMC_ValueBase<D, V, T>::restore(CXArchive* archive) {
    if constexpr (std::is_same_v<V, bool>) {
        int value = m_value ? 1 : 0;
        *archive >> &value;
        m_value = value == 1;
    } else {
        *archive >> &m_value;
    }
}

template class CMC_ValueBase<CMC_Integer, int32_t, CMC_Variable::kInteger>;
template class CMC_ValueBase<CMC_Double, double, CMC_Variable::kDouble>;
template class CMC_ValueBase<CMC_Bool, bool, CMC_Variable::kBool>;
template class CMC_ValueBase<CMC_String, CXString, CMC_Variable::kString>;
