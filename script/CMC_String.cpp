#include "script/CMC_String.h"

#include <cstring>

#include "foundation/CXArchive.h"
#include "foundation/Crt.h"
#include "script/CMC_Bool.h"
#include "script/CMC_Double.h"
#include "script/CMC_Integer.h"
#include "script/CMC_VariableFactory.h"
#include "script/CMElement.h"

namespace {
// Byte order as unsigned values, with case; a text that ends first is smaller.
int orderOf(const CXString& a, const CXString& b) {
    int result = std::strcmp(a.c_str(), b.c_str());
    return result < 0 ? -1 : (result > 0 ? 1 : 0);
}

bool equalIgnoringCase(CXString a, CXString b) { return a.Upper() == b.Upper(); }
} // namespace

CMC_String::CMC_String(CXString name) : CMC_Variable(name, kString) {}

CMC_String::CMC_String(CXString name, int poolIndex) : CMC_Variable(name, kString, poolIndex) {}

CMC_String::CMC_String(CXString name, CXString value)
    : CMC_Variable(name, kString), m_value(value), m_default(value) {}

CMC_String::CMC_String(CMC_ObjectsContainer* container, CMElement* element)
    : CMC_Variable(container, element, kString) {
    if (!element) return;
    m_value = element->getPropertyValue(CXString("VALUE"));
    CXString byDefault = element->getPropertyValue(CXString("DEFAULT"));
    m_default = byDefault.IsString() ? byDefault : m_value;
}

CMC_String::~CMC_String() = default;

CXObject* CMC_String::clone() {
    auto* copy = new CMC_String(getName(), m_value);
    copy->setCloneFlag(true);
    return copy;
}

CXString CMC_String::toString() { return m_value; }

void CMC_String::serialize(CXArchive* archive) {
    CMC_Variable::serialize(archive);
    if (archive->isStoring()) {
        *archive << m_value;
        *archive << m_default;
    } else {
        *archive >> &m_value;
        *archive >> &m_default;
    }
}

void CMC_String::setValue(CXString value) {
    bool changed = value != m_value;
    m_value = value;
    onChange(changed);
}

void CMC_String::set(CMC_Variable* other) {
    CMC_Variable* release = nullptr;
    bool changed = false;
    if (CMC_String* source = takeAs<CMC_String>(other, kString, &release)) {
        CXString value = source->m_value;
        changed = value != m_value;
        m_value = value;
    }
    CMC_Object::flush(release);
    onChange(changed);
}

void CMC_String::clear() {
    bool changed = m_value.IsString();
    m_value = CXString();
    onChange(changed);
}

void CMC_String::swap(CMC_Variable* a, CMC_Variable* b) {
    // Callers pass STRING values; anything else is read through its conversion.
    CMC_Variable* releaseA = nullptr;
    CMC_Variable* releaseB = nullptr;
    CMC_String* first = takeAs<CMC_String>(a, kString, &releaseA);
    CXString firstText = first ? first->m_value : CXString();
    CMC_Object::flush(releaseA);
    CMC_String* second = takeAs<CMC_String>(b, kString, &releaseB);
    CXString secondText = second ? second->m_value : CXString();
    CMC_Object::flush(releaseB);
    bool changed = false;
    if (first && second) {
        CXString value = m_value == firstText ? secondText : firstText;
        changed = value != m_value;
        m_value = value;
    }
    onChange(changed);
}

void CMC_String::inc() {}

void CMC_String::dec() {}

bool CMC_String::equals(CMC_Variable* other) {
    CMC_Variable* release = nullptr;
    CMC_String* source = takeAs<CMC_String>(other, kString, &release);
    bool equal = source && equalIgnoringCase(m_value, source->m_value);
    CMC_Object::flush(release);
    return equal;
}

int CMC_String::compare(CMC_Variable* other) {
    CMC_Variable* release = nullptr;
    CMC_String* source = takeAs<CMC_String>(other, kString, &release);
    int result = source ? orderOf(m_value, source->m_value) : -1;
    CMC_Object::flush(release);
    return result;
}

CMC_Variable* CMC_String::convert(int type) {
    switch (type) {
    case kString: return this;
    case kInteger: {
        // Releasing first is safe: the result comes from another pool.
        CMC_Object::flush(this);
        CMC_Integer* result = CMC_VariableFactory::allocInteger();
        result->setValue(crt::atoi(m_value.c_str()));
        return result;
    }
    case kBool: {
        CMC_Object::flush(this);
        CMC_Bool* result = CMC_VariableFactory::allocBool();
        result->setValue(equalIgnoringCase(m_value, CXString("true")));
        return result;
    }
    case kDouble: {
        CMC_Object::flush(this);
        CMC_Double* result = CMC_VariableFactory::allocDouble();
        result->setValue(crt::atof(m_value.c_str()));
        return result;
    }
    default: return nullptr;
    }
}

CMC_Variable* CMC_String::calculate(CMC_Variable* other, int op) {
    CXString text = m_value;
    CMC_String* result = CMC_VariableFactory::allocString();
    CMC_Variable* operand = other ? other->convert(kString) : nullptr;
    // Only ADD joins; the other codes, or an operand without a text form, keep the text.
    if (op == kAdd) {
        if (auto* right = dynamic_cast<CMC_String*>(operand)) text += right->m_value;
    }
    result->setValue(text);
    CMC_Object::flush(operand);
    return result;
}

void CMC_String::setDefault(CMC_Variable* other) {
    CMC_Variable* release = nullptr;
    if (CMC_String* source = takeAs<CMC_String>(other, kString, &release)) m_default = source->m_value;
    CMC_Object::flush(release);
}

void CMC_String::resetINI() {
    if (!isToIni()) return;
    m_value = m_default;
    onChange(true);
}

int CMC_String::getBufferLen() { return m_value.getLength() + 5; }

void CMC_String::netstore(void* buffer) {
    putInt32(buffer, 0, kString);
    auto* text = static_cast<char*>(buffer) + 4;
    std::memcpy(text, m_value.c_str(), static_cast<size_t>(m_value.getLength()));
    text[m_value.getLength()] = '\0';
}

// The form carries no length: the text runs to its zero byte, which the
// message reader guarantees.
void CMC_String::netrestore(void* buffer) { m_value = CXString(static_cast<const char*>(buffer) + 4); }

void CMC_String::store(CXArchive* archive) {
    *archive << static_cast<int>(kString);
    *archive << m_value;
}

void CMC_String::restore(CXArchive* archive) { *archive >> &m_value; }

void CMC_String::fromString(CXString text) { m_value = text; }

void CMC_String::lower() {
    m_value.Lower();
    onChange(true);
}

void CMC_String::upper() {
    m_value.Upper();
    onChange(true);
}
