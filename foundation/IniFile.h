// INI files with the semantics of the Win32 private-profile functions:
//   - section and key names are compared ignoring case (ASCII and the Polish
//     letters of Windows-1250) after trimming blanks; the first of duplicate
//     sections or keys wins;
//   - a value is the text after the first "=", trimmed of blanks and tabs, with
//     one pair of enclosing quotes (" or ') removed;
//   - lines whose first non-blank character is ";" are comments; lines without
//     "=" are ignored by lookups and kept by writes;
//   - writing replaces the first matching key in place, adds a missing key at
//     the end of its section, and a missing section at the end of the file;
//     every other line, and the file's line-end style, stays as it was.
// Files are read and written through the platform file layer (engine paths);
// a write goes to a temporary file in the same folder that then replaces the
// original, so a reader never sees a half-written file.
#pragma once
#include <string>

class IniFile {
public:
    // Longest value a read returns (the engine's 10240-byte buffer, terminator included).
    static constexpr size_t kMaxValue = 10239;

    // The value of section/key in the file; false (value untouched) when the
    // file, section or key is missing.
    static bool getString(const char* path, const char* section, const char* key, std::string* value);
    // The value's leading decimal number; def when missing.
    static int getInt(const char* path, const char* section, const char* key, int def);
    // Writes section/key = value, creating the file, section and key as needed.
    // A failure leaves the file as it was; reason (when given) gets the cause.
    static bool putString(const char* path, const char* section, const char* key, const char* value,
                          std::string* reason = nullptr);

    // The same rules over the text of a file.
    static bool lookup(const std::string& text, const std::string& section, const std::string& key,
                       std::string* value);
    static std::string withValue(const std::string& text, const std::string& section, const std::string& key,
                                 const std::string& value);
};
