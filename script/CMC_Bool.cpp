#include "script/CMC_Bool.h"

CMC_Bool::CMC_Bool(bool value) : Base(CXString("temp")) { m_value = m_default = value; }

CMC_Bool::~CMC_Bool() = default;

bool CMC_Bool::combine(bool a, bool b, int op) {
    if (op == kAdd) return a && b;
    if (op == kMul) return a || b;
    return a;
}

CXString CMC_Bool::toString() { return CXString::toString(m_value); }

void CMC_Bool::toggle() {
    m_value = !m_value;
    onChange(true);
}

void CMC_Bool::swap(CMC_Variable*, CMC_Variable*) { toggle(); }

void CMC_Bool::inc() { toggle(); }

void CMC_Bool::dec() { toggle(); }

int CMC_Bool::compare(CMC_Variable* other) {
    bool value = false;
    if (!take(other, &value)) return -1;
    return value == m_value ? 0 : (m_value ? 1 : -1);
}

int CMC_Bool::getBufferLen() { return 5; }

void CMC_Bool::netstore(void* buffer) {
    putInt32(buffer, 0, kBool);
    static_cast<unsigned char*>(buffer)[4] = m_value ? 1 : 0;
}

void CMC_Bool::netrestore(void* buffer) { m_value = static_cast<const unsigned char*>(buffer)[4] == 1; }

void CMC_Bool::fromString(CXString text) { m_value = CXString::toBool(text); }
