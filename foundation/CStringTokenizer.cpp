#include "foundation/CStringTokenizer.h"

#include <cstring>

CStringTokenizer::CStringTokenizer(CXString text, CXString separators)
    : m_text(new char[text.getLength() + 1]), m_length(text.getLength()), m_separators(separators) {
    std::memcpy(m_text, text.c_str(), static_cast<size_t>(m_length));
    m_text[m_length] = '\0';
    readToken();
}

CStringTokenizer::~CStringTokenizer() { delete[] m_text; }

bool CStringTokenizer::hasMoreTokens() { return m_nextToken.IsString(); }

CXString CStringTokenizer::nextToken() {
    CXString token = m_nextToken;
    readToken();
    return token;
}

bool CStringTokenizer::isSeparator(char c) const {
    const char* set = m_separators.c_str();
    for (int i = 0; i < m_separators.getLength(); ++i)
        if (set[i] == c) return true;
    return false;
}

void CStringTokenizer::readToken() {
    int begin = m_position;
    while (begin < m_length && isSeparator(m_text[begin])) ++begin;
    int end = begin;
    while (end < m_length && !isSeparator(m_text[end])) ++end;
    m_nextToken = CXString(m_text + begin, end - begin);
    m_position = end;
}
