#include "platform/Locale.h"

#include <cstdlib>

namespace platform {

namespace {

struct Language {
    const char* tag;     // ISO 639-1
    const char* folder;  // the engine's language sub-folder
    const char* code;    // LOCALE_ILANGUAGE
};

const Language kLanguages[] = {
    {"pl", "POL", "0415"}, {"cs", "CZE", "0405"}, {"bg", "BUL", "0402"}, {"ro", "ROM", "0418"},
    {"ru", "RUS", "0419"}, {"hu", "HUN", "040E"}, {"sk", "SLO", "041B"}, {"uk", "UKR", "0422"},
    {"en", "", "0409"},    {"de", "", "0407"},    {"fr", "", "040C"},    {"it", "", "0410"},
    {"es", "", "040A"},    {"nl", "", "0413"},    {"pt", "", "0416"},    {"sv", "", "041D"},
};

std::string upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return s;
}

std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return s;
}

}  // namespace

std::string languageCodeFor(const std::string& name) {
    if (name.empty()) return std::string();
    if (name == "C" || name == "POSIX") return "0409";
    const std::string up = upper(name);
    for (const Language& l : kLanguages) {
        if (up == l.code || (l.folder[0] && up == l.folder)) return l.code;
    }
    // "pl_PL.UTF-8@euro", "sk-SK": the language is the part before "_", "-", "." and "@".
    const size_t end = name.find_first_of("_-.@");
    const std::string tag = lower(name.substr(0, end));
    for (const Language& l : kLanguages) {
        if (tag == l.tag) return l.code;
    }
    return std::string();
}

std::string systemLanguageCode() {
    if (const char* own = std::getenv("VONDREL_LANGUAGE"); own && *own) return languageCodeFor(own);
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (const char* value = std::getenv(var); value && *value) return languageCodeFor(value);
    }
    return "0409";
}

}  // namespace platform
