// The system locale as the engine asks for it: the language code that
// GetLocaleInfoA gives for LOCALE_ILANGUAGE ("0415" for Polish), taken here from
// the environment.
#pragma once
#include <string>

namespace platform {

// The language code of a locale name or language tag ("pl_PL.UTF-8", "cs",
// "sk-SK"), of a three-letter language folder code ("POL", "CZE", ...) or of a
// code already in the system's form ("0415"); case is ignored. "C" and "POSIX"
// are English ("0409"); an unknown language gives an empty text.
std::string languageCodeFor(const std::string& name);

// The process's language code: the variable VONDREL_LANGUAGE when it is set and
// not empty (the engine's own override, in any of the forms above), else the
// first non-empty of LC_ALL, LC_MESSAGES and LANG; English when none is set.
std::string systemLanguageCode();

}  // namespace platform
