#include "foundation/CLanguageOSVer.h"

#include <cstdio>

#include "foundation/CWindowServices.h"
#include "platform/FileSystem.h"
#include "platform/Locale.h"

namespace {

// System language codes in the order they are compared.
struct CodeEntry {
    const char* code;
    int32_t language;
};
const CodeEntry kCodes[] = {
    {"0405", CLanguageOSVer::kCzech},     {"0402", CLanguageOSVer::kBulgarian},
    {"0418", CLanguageOSVer::kRomanian},  {"0419", CLanguageOSVer::kRussian},
    {"040E", CLanguageOSVer::kHungarian}, {"041B", CLanguageOSVer::kSlovak},
    {"0415", CLanguageOSVer::kPolish},    {"0422", CLanguageOSVer::kUkrainian},
};

const char* const kFolders[] = {"", "POL", "CZE", "BUL", "ROM", "RUS", "HUN", "SLO", "UKR"};

}  // namespace

CLanguageOSVer::CLanguageOSVer() : CLanguageOSVer(CXString(platform::systemLanguageCode().c_str())) {}

CLanguageOSVer::CLanguageOSVer(const CXString& systemCode) {
    CXString code(systemCode);
    code.Upper();
    if (code.IsString()) setFromCode(code);
    m_folder = getSubFolder();
}

void CLanguageOSVer::setFromCode(const CXString& code) {
    for (const CodeEntry& e : kCodes) {
        if (code == e.code) {
            m_language = e.language;
            return;
        }
    }
}

CXString CLanguageOSVer::getSubFolder() const {
    if (m_language >= kPolish && m_language <= kUkrainian) return CXString(kFolders[m_language]);
    return CXString();
}

void CLanguageOSVer::setLanguageFolder(CXString code) {
    if (code.IsString()) setFromCode(code);
    m_folder = getSubFolder();
    if (m_window) m_window->initKeyboardLanguage();
}

CXString CLanguageOSVer::getLocalFileName(CXString path) const {
    if (!m_folder.IsString()) return path;
    const int slash = path.FindLast('\\', -1);
    if (slash < 0) return m_folder + "\\" + path;
    const CXString candidate = path.Left(slash + 1) + m_folder + path.Right(slash);
    // The variant counts when it opens for reading; a binary open tests the same
    // without reading the file.
    if (FILE* f = platform::fopen(candidate.c_str(), "rb")) {
        std::fclose(f);
        return candidate;
    }
    return path;
}
