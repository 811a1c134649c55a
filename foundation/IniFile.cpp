#include "foundation/IniFile.h"

#include <cerrno>
#include <cstring>


#include <cstdio>
#include <vector>

#include "foundation/Crt.h"
#include "platform/FileSystem.h"

namespace {

struct Line {
    size_t begin;    // first byte of the line
    size_t end;      // one past its last byte before the line end
    size_t next;     // first byte of the following line
};

std::vector<Line> splitLines(const std::string& text) {
    std::vector<Line> lines;
    size_t at = 0;
    while (at < text.size()) {
        size_t nl = text.find('\n', at);
        const size_t next = nl == std::string::npos ? text.size() : nl + 1;
        size_t end = nl == std::string::npos ? text.size() : nl;
        if (end > at && text[end - 1] == '\r') --end;
        lines.push_back(Line{at, end, next});
        at = next;
    }
    return lines;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string trim(const std::string& s) {
    size_t a = 0;
    size_t b = s.size();
    while (a < b && isBlank(s[a])) ++a;
    while (b > a && isBlank(s[b - 1])) --b;
    return s.substr(a, b - a);
}

enum class Kind { Other, Section, Entry };

struct Parsed {
    Kind kind = Kind::Other;
    std::string name;   // section name or key, trimmed
    std::string value;  // raw text after "=" (entries)
};

Parsed parse(const std::string& text, const Line& line) {
    Parsed p;
    const std::string raw = text.substr(line.begin, line.end - line.begin);
    const std::string t = trim(raw);
    if (t.empty() || t[0] == ';') return p;
    if (t[0] == '[') {
        const size_t close = t.find(']');
        p.kind = Kind::Section;
        p.name = trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
        return p;
    }
    const size_t eq = raw.find('=');
    if (eq == std::string::npos) return p;
    p.kind = Kind::Entry;
    p.name = trim(raw.substr(0, eq));
    p.value = raw.substr(eq + 1);
    return p;
}

// Index range [first, last) of the lines of the first section with that name
// (the header excluded); false when there is none.
bool findSection(const std::string& text, const std::vector<Line>& lines, const std::string& section,
                 size_t* header, size_t* last) {
    const std::string wanted = trim(section);
    for (size_t i = 0; i < lines.size(); ++i) {
        const Parsed p = parse(text, lines[i]);
        if (p.kind != Kind::Section || !platform::equalsIgnoreCase(p.name, wanted)) continue;
        size_t j = i + 1;
        while (j < lines.size() && parse(text, lines[j]).kind != Kind::Section) ++j;
        *header = i;
        *last = j;
        return true;
    }
    return false;
}

std::string lineEnd(const std::string& text) {
    const size_t nl = text.find('\n');
    if (nl == std::string::npos) return "\r\n";
    return nl > 0 && text[nl - 1] == '\r' ? "\r\n" : "\n";
}

// A value or name is one line: anything from the first line break on is dropped.
std::string oneLine(const std::string& s) {
    const size_t cut = s.find_first_of("\r\n");
    return cut == std::string::npos ? s : s.substr(0, cut);
}

bool readWhole(const char* path, std::string* text) {
    FILE* f = platform::fopen(path, "rb");
    if (!f) return false;
    text->clear();
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text->append(buffer, n);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

}  // namespace

bool IniFile::lookup(const std::string& text, const std::string& section, const std::string& key,
                     std::string* value) {
    const std::vector<Line> lines = splitLines(text);
    size_t header = 0;
    size_t last = 0;
    if (!findSection(text, lines, section, &header, &last)) return false;
    const std::string wanted = trim(key);
    for (size_t i = header + 1; i < last; ++i) {
        const Parsed p = parse(text, lines[i]);
        if (p.kind != Kind::Entry || !platform::equalsIgnoreCase(p.name, wanted)) continue;
        std::string v = trim(p.value);
        if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0]) v = v.substr(1, v.size() - 2);
        if (v.size() > kMaxValue) v.resize(kMaxValue);
        if (value) *value = v;
        return true;
    }
    return false;
}

std::string IniFile::withValue(const std::string& text, const std::string& section, const std::string& key,
                               const std::string& value) {
    const std::vector<Line> lines = splitLines(text);
    const std::string eol = lineEnd(text);
    const std::string keyName = oneLine(trim(key));
    const std::string entryValue = oneLine(value);

    size_t header = 0;
    size_t last = 0;
    if (!findSection(text, lines, section, &header, &last)) {
        std::string out = text;
        if (!out.empty() && out.back() != '\n') out += eol;
        if (!out.empty() && !lines.empty() && !trim(text.substr(lines.back().begin, lines.back().end -
                                                                                    lines.back().begin)).empty())
            out += eol;
        out += "[" + oneLine(trim(section)) + "]" + eol + keyName + "=" + entryValue + eol;
        return out;
    }
    for (size_t i = header + 1; i < last; ++i) {
        const Parsed p = parse(text, lines[i]);
        if (p.kind != Kind::Entry || !platform::equalsIgnoreCase(p.name, keyName)) continue;
        return text.substr(0, lines[i].begin) + p.name + "=" + entryValue + text.substr(lines[i].end);
    }
    // A new key goes after the section's last non-blank line.
    size_t after = header;
    for (size_t i = header + 1; i < last; ++i)
        if (!trim(text.substr(lines[i].begin, lines[i].end - lines[i].begin)).empty()) after = i;
    const Line& anchor = lines[after];
    std::string out = text.substr(0, anchor.next);
    if (anchor.next == text.size() && text.back() != '\n') out += eol;  // the last line had no line end
    out += keyName + "=" + entryValue + eol;
    out += text.substr(anchor.next);
    return out;
}

bool IniFile::getString(const char* path, const char* section, const char* key, std::string* value) {
    if (!path || !*path || !section || !key) return false;
    std::string text;
    if (!readWhole(path, &text)) return false;
    return lookup(text, section, key, value);
}

int IniFile::getInt(const char* path, const char* section, const char* key, int def) {
    std::string value;
    if (!getString(path, section, key, &value)) return def;
    return crt::atoi(value.c_str());
}

bool IniFile::putString(const char* path, const char* section, const char* key, const char* value,
                        std::string* reason) {
    if (!path || !*path || !section || !key) return false;
    std::string text;
    if (!readWhole(path, &text)) {
        if (platform::exists(path)) {  // there, but unreadable: leave it alone
            if (reason) *reason = "it cannot be read";
            return false;
        }
        text.clear();
    }
    const std::string updated = withValue(text, section, key, value ? value : "");
    platform::WriteFailure failure;
    if (platform::writeFileAtomically(path, updated.data(), updated.size(), &failure)) return true;
    if (reason) *reason = std::strerror(failure.error ? failure.error : EIO);
    return false;
}
