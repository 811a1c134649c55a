// The game's language: chosen once from the system locale, named by a
// three-letter sub-folder ("POL", "CZE", ...), and used to find the localised
// copy of a data file in that sub-folder beside the common file.
#pragma once
#include <cstdint>

#include "foundation/CXString.h"

class CWindowServices;

class CLanguageOSVer {
public:
    // Language numbers; kOther has no sub-folder.
    enum : int32_t {
        kPolish = 1,
        kCzech = 2,
        kBulgarian = 3,
        kRomanian = 4,
        kRussian = 5,
        kHungarian = 6,
        kSlovak = 7,
        kUkrainian = 8,
        kOther = 9,
    };

    // Reads the system's language code (platform::systemLanguageCode).
    CLanguageOSVer();
    // Language from the given system language code ("0415"), upper-cased first.
    explicit CLanguageOSVer(const CXString& systemCode);
    CLanguageOSVer(const CLanguageOSVer& other) = default;
    CLanguageOSVer& operator=(const CLanguageOSVer& other) = default;
    ~CLanguageOSVer() = default;

    int getLang() const { return m_language; }
    CXString getLanguageFolder() const { return m_folder; }
    void setWindowIfc(CWindowServices* window) { m_window = window; }

    // Switches to the language of the code (compared as given, not upper-cased;
    // an unknown code keeps the language), recomputes the folder and tells the
    // window's keyboard.
    void setLanguageFolder(CXString code);

    // The path with the language sub-folder put before its file name, when that
    // file exists; a name without "\" gets the sub-folder in front without any
    // test; otherwise, and without a language folder, the path itself.
    CXString getLocalFileName(CXString path) const;

private:
    void setFromCode(const CXString& code);
    CXString getSubFolder() const;

    int32_t m_language = kOther;
    CXString m_folder;
    CWindowServices* m_window = nullptr;
};
