#include "foundation/CStringHashCode.h"

#include <cstring>

int32_t CStringHashCode::hashOf(const char* text) {
    uint32_t hash = 0;
    for (uint32_t i = 0; text[i] != '\0'; ++i) {
        const auto c = static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(text[i])));
        hash += (1u << (i % 16)) + (i + 1) * c;
    }
    return static_cast<int32_t>(hash);
}

CStringHashCode::CStringHashCode(CXString text) : m_hash(0), m_text(nullptr), m_bufferSize(0) { set(text.c_str()); }

CStringHashCode::CStringHashCode(const CStringHashCode& other)
    : CXObject(other), m_hash(0), m_text(nullptr), m_bufferSize(0) {
    set(other.m_text);
}

CStringHashCode& CStringHashCode::operator=(const CStringHashCode& other) {
    if (this != &other) {
        CXObject::operator=(other);
        set(other.m_text);
    }
    return *this;
}

CStringHashCode::~CStringHashCode() { delete[] m_text; }

void CStringHashCode::set(const char* text) {
    if (!text) text = "";
    const size_t length = std::strlen(text);
    if (!m_text || length >= static_cast<size_t>(m_bufferSize)) {
        const auto size = static_cast<int32_t>(length + kSpare + 1);
        char* buffer = new char[size];
        delete[] m_text;
        m_text = buffer;
        m_bufferSize = size;
    }
    std::memmove(m_text, text, length + 1);
    m_hash = hashOf(m_text);
}

bool CStringHashCode::equals(CXObject* other) {
    auto* key = dynamic_cast<CStringHashCode*>(other);
    return key && std::strcmp(m_text, key->m_text) == 0;
}
