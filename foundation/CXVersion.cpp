#include "foundation/CXVersion.h"

#include "foundation/CStringTokenizer.h"
#include "foundation/Crt.h"

namespace {
CXVersion g_currentVersion(CXVersion::kVondrelWeb, 1, 0, 7);
} // namespace

CXVersion::CXVersion(int type, int major, int minor, int build)
    : m_type(type), m_major(major), m_minor(minor), m_build(build) {}

CXVersion::CXVersion(CXString text) {
    if (!text.IsString()) return;
    CStringTokenizer tokens(text, CXString("."));
    // Above '@' as a signed byte: an ASCII letter or one of the signs after 'Z'.
    if (static_cast<signed char>(text.GetAt(0)) > 0x40) {
        const CXString word = tokens.nextToken();
        m_type = kX;
        if (word == "Q") m_type = kVondrel;
        else if (word == "QJ") m_type = kVondrelWeb;
    }
    int32_t* numbers[] = {&m_major, &m_minor, &m_build};
    for (int32_t* number : numbers) {
        if (!tokens.hasMoreTokens()) break;
        *number = tokens.nextToken().toNumber();
    }
}

CXString CXVersion::toString() const {
    const char* word = m_type == kX ? "X" : m_type == kVondrel ? "Vondrel" : "Vondrel WEB";
    char buffer[96];
    crt::formatText(buffer, sizeof buffer, "%s.%d.%d.%d", word, m_major, m_minor, m_build);
    return CXString(buffer);
}

bool CXVersion::verify(const CXVersion* required) const {
    if (!required || required->m_type == kNone) return true;
    if (m_type != kX && m_type != required->m_type) return false;
    if (m_major != required->m_major) return m_major > required->m_major;
    return m_minor >= required->m_minor;
}

CXVersion* CXVersion::getCurrentVersion() { return &g_currentVersion; }
