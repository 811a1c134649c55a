#include "script/CMC_String.h"

#include <cstring>

namespace {
// Byte order as unsigned values, with case; a text that ends first is smaller.
int orderOf(const CXString& a, const CXString& b) {
    int result = std::strcmp(a.c_str(), b.c_str());
    return result < 0 ? -1 : (result > 0 ? 1 : 0);
}

bool equalIgnoringCase(CXString a, CXString b) { return a.Upper() == b.Upper(); }
} // namespace

CMC_String::CMC_String(CXString name, CXString value) : Base(name) { m_value = m_default = value; }

CMC_String::~CMC_String() = default;

CXObject* CMC_String::clone() {
    auto* copy = new CMC_String(getName(), m_value);
    copy->setCloneFlag(true);
    return copy;
}

CXString CMC_String::combine(CXString a, const CXString& b, int op) {
    if (op == kAdd) a += b;
    return a;
}

CXString CMC_String::toString() { return m_value; }

void CMC_String::inc() {}

void CMC_String::dec() {}

bool CMC_String::equals(CMC_Variable* other) {
    CXString value;
    return take(other, &value) && equalIgnoringCase(m_value, value);
}

int CMC_String::compare(CMC_Variable* other) {
    CXString value;
    return take(other, &value) ? orderOf(m_value, value) : -1;
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

void CMC_String::fromString(CXString text) { m_value = text; }

void CMC_String::lower() {
    m_value.Lower();
    onChange(true);
}

void CMC_String::upper() {
    m_value.Upper();
    onChange(true);
}
