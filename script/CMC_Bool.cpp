#include "script/CMC_Bool.h"

#include "foundation/CXArchive.h"
#include "script/CMC_Double.h"
#include "script/CMC_Integer.h"
#include "script/CMC_String.h"
#include "script/CMC_VariableFactory.h"
#include "script/CMElement.h"

CMC_Bool::CMC_Bool(CXString name) : CMC_Variable(name, kBool) {}

CMC_Bool::CMC_Bool(CXString name, int poolIndex) : CMC_Variable(name, kBool, poolIndex) {}

CMC_Bool::CMC_Bool(bool value) : CMC_Variable(CXString("temp"), kBool), m_value(value), m_default(value) {}

CMC_Bool::CMC_Bool(CMC_ObjectsContainer* container, CMElement* element) : CMC_Variable(container, element, kBool) {
    if (!element) return;
    m_value = m_default = element->getPropertyBoolValue(CXString("VALUE"));
    if (element->getPropertyValue(CXString("DEFAULT")).IsString())
        m_default = element->getPropertyBoolValue(CXString("DEFAULT"));
}

CMC_Bool::~CMC_Bool() = default;

CXObject* CMC_Bool::clone() {
    auto* copy = new CMC_Bool(getName());
    copy->setCloneFlag(true);
    copy->m_value = m_value;
    copy->onChange(false);
    return copy;
}

CXString CMC_Bool::toString() { return CXString::toString(m_value); }

void CMC_Bool::serialize(CXArchive* archive) {
    CMC_Variable::serialize(archive);
    if (archive->isStoring()) {
        *archive << m_value;
        *archive << m_default;
    } else {
        *archive >> &m_value;
        *archive >> &m_default;
    }
}

void CMC_Bool::setValue(bool value) {
    m_value = value;
    onChange(false);
}

void CMC_Bool::set(CMC_Variable* other) {
    CMC_Variable* release = nullptr;
    bool changed = false;
    if (CMC_Bool* source = takeAs<CMC_Bool>(other, kBool, &release)) {
        bool value = source->m_value;
        changed = value != m_value;
        m_value = value;
    }
    CMC_Object::flush(release);
    onChange(changed);
}

void CMC_Bool::clear() {
    bool changed = m_value;
    m_value = false;
    onChange(changed);
}

void CMC_Bool::toggle() {
    m_value = !m_value;
    onChange(true);
}

void CMC_Bool::swap(CMC_Variable*, CMC_Variable*) { toggle(); }

void CMC_Bool::inc() { toggle(); }

void CMC_Bool::dec() { toggle(); }

bool CMC_Bool::equals(CMC_Variable* other) {
    CMC_Variable* release = nullptr;
    CMC_Bool* source = takeAs<CMC_Bool>(other, kBool, &release);
    bool equal = source && source->m_value == m_value;
    CMC_Object::flush(release);
    return equal;
}

int CMC_Bool::compare(CMC_Variable* other) {
    CMC_Variable* release = nullptr;
    CMC_Bool* source = takeAs<CMC_Bool>(other, kBool, &release);
    int result = -1;
    if (source) result = source->m_value == m_value ? 0 : (m_value ? 1 : -1);
    CMC_Object::flush(release);
    return result;
}

CMC_Variable* CMC_Bool::convert(int type) {
    switch (type) {
    case kBool: return this;
    case kInteger: {
        // Releasing first is safe: the result comes from another pool.
        CMC_Object::flush(this);
        CMC_Integer* result = CMC_VariableFactory::allocInteger();
        result->setValue(m_value ? 1 : 0);
        return result;
    }
    case kString: {
        CMC_Object::flush(this);
        CMC_String* result = CMC_VariableFactory::allocString();
        result->setValue(toString());
        return result;
    }
    case kDouble: {
        CMC_Object::flush(this);
        CMC_Double* result = CMC_VariableFactory::allocDouble();
        result->setValue(m_value ? 1.0 : 0.0);
        return result;
    }
    default: return nullptr;
    }
}

CMC_Variable* CMC_Bool::calculate(CMC_Variable* other, int op) {
    bool left = m_value;
    CMC_Bool* result = CMC_VariableFactory::allocBool();
    CMC_Variable* operand = other ? other->convert(kBool) : nullptr;
    // ADD is AND and MUL is OR; every other code, and an operand without a BOOL
    // form, keeps the left value.
    bool value = left;
    if (auto* right = dynamic_cast<CMC_Bool*>(operand)) {
        if (op == kAdd) value = left && right->m_value;
        else if (op == kMul) value = left || right->m_value;
    }
    result->setValue(value);
    CMC_Object::flush(operand);
    return result;
}

void CMC_Bool::setDefault(CMC_Variable* other) {
    CMC_Variable* release = nullptr;
    if (CMC_Bool* source = takeAs<CMC_Bool>(other, kBool, &release)) m_default = source->m_value;
    CMC_Object::flush(release);
}

void CMC_Bool::resetINI() {
    if (!isToIni()) return;
    m_value = m_default;
    onChange(true);
}

int CMC_Bool::getBufferLen() { return 5; }

void CMC_Bool::netstore(void* buffer) {
    putInt32(buffer, 0, kBool);
    static_cast<unsigned char*>(buffer)[4] = m_value ? 1 : 0;
}

void CMC_Bool::netrestore(void* buffer) { m_value = static_cast<const unsigned char*>(buffer)[4] == 1; }

void CMC_Bool::store(CXArchive* archive) {
    *archive << static_cast<int>(kBool);
    *archive << static_cast<int>(m_value ? 1 : 0);
}

void CMC_Bool::restore(CXArchive* archive) {
    int value = m_value ? 1 : 0;
    *archive >> &value;
    m_value = value == 1;
}

void CMC_Bool::fromString(CXString text) { m_value = CXString::toBool(text); }
