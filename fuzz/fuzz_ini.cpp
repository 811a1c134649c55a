// INI text rules: the input is "section\nkey\nvalue\n" followed by the file's
// text. After a write, a lookup must return the value written.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "foundation/IniFile.h"

namespace {

std::string takeLine(const std::string& s, size_t* at) {
    const size_t nl = s.find('\n', *at);
    const size_t end = nl == std::string::npos ? s.size() : nl;
    std::string line = s.substr(*at, end - *at);
    *at = nl == std::string::npos ? s.size() : nl + 1;
    return line;
}

std::string trimmed(const std::string& s) {
    size_t a = 0;
    size_t b = s.size();
    while (a < b && (s[a] == ' ' || s[a] == '\t' || s[a] == '\r')) ++a;
    while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t' || s[b - 1] == '\r')) --b;
    return s.substr(a, b - a);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    size_t at = 0;
    const std::string section = takeLine(input, &at);
    const std::string key = takeLine(input, &at);
    const std::string value = takeLine(input, &at);
    const std::string text = input.substr(at);

    std::string found;
    IniFile::lookup(text, section, key, &found);
    const std::string after = IniFile::withValue(text, section, key, value);

    // Names that the file syntax can carry must read back what was written.
    const std::string s = trimmed(section);
    const std::string k = trimmed(key);
    const bool plain = s.find_first_of("[]\r\n") == std::string::npos && !k.empty() &&
                       k.find_first_of("=[;\r\n") == std::string::npos && k[0] != '[' &&
                       value.find('\r') == std::string::npos && text.find('\0') == std::string::npos;
    if (plain) {
        std::string back;
        if (!IniFile::lookup(after, section, key, &back)) std::abort();
        std::string v = trimmed(value);
        if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0]) v = v.substr(1, v.size() - 2);
        if (v.size() > IniFile::kMaxValue) v.resize(IniFile::kMaxValue);
        if (back != v) std::abort();
    }
    return 0;
}
