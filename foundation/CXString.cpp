#include "foundation/CXString.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/Crt.h"

namespace {

constexpr int kSlack = 32;

// Windows-1250 letter pairs beyond ASCII (upper, lower).
constexpr unsigned char kPolishPairs[][2] = {
    {0x8C, 0x9C}, {0x8F, 0x9F}, {0xA3, 0xB3}, {0xA5, 0xB9}, {0xAF, 0xBF},
    {0xC6, 0xE6}, {0xCA, 0xEA}, {0xD1, 0xF1}, {0xD3, 0xF3},
};

struct CaseTables {
    unsigned char upper[256];
    unsigned char lower[256];
    bool isUpper[256];
    bool isLower[256];

    constexpr CaseTables() : upper(), lower(), isUpper(), isLower() {
        for (int i = 0; i < 256; ++i) {
            upper[i] = lower[i] = static_cast<unsigned char>(i);
            isUpper[i] = isLower[i] = false;
        }
        for (int c = 'A'; c <= 'Z'; ++c) {
            lower[c] = static_cast<unsigned char>(c + 32);
            upper[c + 32] = static_cast<unsigned char>(c);
            isUpper[c] = true;
            isLower[c + 32] = true;
        }
        for (const auto& pair : kPolishPairs) {
            lower[pair[0]] = pair[1];
            upper[pair[1]] = pair[0];
            isUpper[pair[0]] = true;
            isLower[pair[1]] = true;
        }
    }
};

constexpr CaseTables kCase;

unsigned char byte(char c) { return static_cast<unsigned char>(c); }

int textLength(const char* s) { return s ? static_cast<int>(std::strlen(s)) : 0; }

int newCapacity(int length) { return length < kSlack ? kSlack : length + kSlack; }

void formatTo(CXString& target, const char* fmt, ...) __attribute__((format(printf, 2, 3)));

void formatTo(CXString& target, const char* fmt, ...) {
    char buffer[256];
    va_list args;
    va_start(args, fmt);
    va_list again;
    va_copy(again, args);
    const int n = crt::vformatText(buffer, sizeof buffer, fmt, args);
    va_end(args);
    if (n < static_cast<int>(sizeof buffer)) {
        va_end(again);
        target = buffer;
        return;
    }
    // Longer than the fixed buffer: format again with room for all of it.
    std::vector<char> large(static_cast<size_t>(n) + 1);
    crt::vformatText(large.data(), large.size(), fmt, again);
    va_end(again);
    target = large.data();
}

}  // namespace

// ---- storage ----

void CXString::allocate(int capacity) {
    // One byte beyond the capacity always holds the terminator, even when a
    // text fills the whole capacity (FillWith).
    m_data = new char[static_cast<size_t>(capacity) + 1];
    m_data[0] = '\0';
    m_capacity = capacity;
    m_length = 0;
}

void CXString::reallocate(int capacity) {
    char* old = m_data;
    const int keep = std::min(m_length, capacity);
    m_data = new char[static_cast<size_t>(capacity) + 1];
    if (old) std::memcpy(m_data, old, static_cast<size_t>(keep));
    m_data[keep] = '\0';
    m_length = keep;
    m_capacity = capacity;
    delete[] old;
}

void CXString::ensureBuffer() {
    if (!m_data) allocate(kSlack);
}

void CXString::ensureFits(int length) {
    ensureBuffer();
    if (length > m_capacity) reallocate(length + kSlack);
}

// Text assignment: a fresh buffer of n + 32 when n reaches the capacity. `s` may
// point into this string's own buffer.
void CXString::assignText(const char* s, int n) {
    if (!m_data || n >= m_capacity) {
        char* old = m_data;
        m_data = new char[static_cast<size_t>(n + kSlack) + 1];
        std::memcpy(m_data, s, static_cast<size_t>(n));
        m_capacity = n + kSlack;
        delete[] old;
    } else {
        std::memmove(m_data, s, static_cast<size_t>(n));
    }
    m_data[n] = '\0';
    m_length = n;
}

void CXString::appendText(const char* s, int n) {
    if (n <= 0) return;
    ensureBuffer();
    const int length = m_length + n;
    if (length < m_capacity) {
        std::memmove(m_data + m_length, s, static_cast<size_t>(n));
    } else {
        char* old = m_data;
        m_data = new char[static_cast<size_t>(length + kSlack) + 1];
        std::memcpy(m_data, old, static_cast<size_t>(m_length));
        std::memcpy(m_data + m_length, s, static_cast<size_t>(n));
        m_capacity = length + kSlack;
        delete[] old;
    }
    m_data[length] = '\0';
    m_length = length;
}

// A part written into this string: a fresh buffer of n + 32 when the capacity
// is not above n. `s` may point into this string's own buffer.
void CXString::setPart(const char* s, int n) {
    if (!m_data || m_capacity <= n) {
        char* old = m_data;
        m_data = new char[static_cast<size_t>(n + kSlack) + 1];
        std::memcpy(m_data, s, static_cast<size_t>(n));
        m_capacity = n + kSlack;
        delete[] old;
    } else {
        std::memmove(m_data, s, static_cast<size_t>(n));
    }
    m_data[n] = '\0';
    m_length = n;
}

// Single-character and number appends double the capacity once the length
// comes within `reserve` of it; a capacity too small to double into the
// needed length (after FillWith of a few characters) gets needed + 32.
void CXString::growForAppend(int reserve, int needed) {
    ensureBuffer();
    if (m_length < m_capacity - reserve) return;
    int capacity = m_capacity * 2;
    if (capacity < needed) capacity = needed + kSlack;
    reallocate(capacity);
}

// ---- construction and assignment ----

CXString::CXString() { allocate(kSlack); }

CXString::CXString(const char* s) : CXString(s, textLength(s)) {}

CXString::CXString(const char* s, int n) {
    int length = 0;
    if (s && n > 0) {
        const void* end = std::memchr(s, '\0', static_cast<size_t>(n));
        length = end ? static_cast<int>(static_cast<const char*>(end) - s) : n;
    }
    allocate(newCapacity(length));
    if (length > 0) std::memcpy(m_data, s, static_cast<size_t>(length));
    m_data[length] = '\0';
    m_length = length;
}

CXString::CXString(const CXString& other) {
    allocate(other.m_data ? std::max(other.m_capacity, other.m_length) : kSlack);
    std::memcpy(m_data, other.c_str(), static_cast<size_t>(other.m_length) + 1);
    m_length = other.m_length;
}

CXString::CXString(CXString&& other) noexcept
    : m_length(other.m_length), m_capacity(other.m_capacity), m_data(other.m_data) {
    other.m_data = nullptr;
    other.m_length = 0;
    other.m_capacity = 0;
}

CXString::CXString(int c) {
    allocate(kSlack);
    const char ch = static_cast<char>(c & 0xFF);
    if (ch != '\0') {
        m_data[0] = ch;
        m_data[1] = '\0';
        m_length = 1;
    }
}

CXString::~CXString() { delete[] m_data; }

CXString& CXString::operator=(const CXString& other) {
    if (this == &other) return *this;
    if (!other.m_data) {
        ensureBuffer();
        m_data[0] = '\0';
        m_length = 0;
        return *this;
    }
    ensureBuffer();
    if (other.m_capacity > m_capacity) {
        delete[] m_data;
        allocate(other.m_length + kSlack);
    }
    ensureFits(other.m_length);
    std::memcpy(m_data, other.m_data, static_cast<size_t>(other.m_length) + 1);
    m_length = other.m_length;
    return *this;
}

CXString& CXString::operator=(CXString&& other) noexcept {
    std::swap(m_length, other.m_length);
    std::swap(m_capacity, other.m_capacity);
    std::swap(m_data, other.m_data);
    return *this;
}

CXString& CXString::operator=(const char* s) {
    if (s) assignText(s, textLength(s));
    return *this;
}

CXString& CXString::operator=(char c) {
    ensureFits(1);
    m_data[0] = c;
    m_data[c != '\0' ? 1 : 0] = '\0';
    m_length = c != '\0' ? 1 : 0;
    return *this;
}

CXString& CXString::operator=(int value) {
    char text[16];
    const int n = crt::formatText(text, sizeof text, "%d", value);
    assignText(text, n);
    return *this;
}

CXString& CXString::operator=(double value) {
    char text[64];
    const int n = crt::formatGeneral(text, sizeof text, value, 9);
    assignText(text, std::min(n, static_cast<int>(sizeof text) - 1));
    return *this;
}

// ---- appending ----

CXString& CXString::operator+=(const CXString& s) {
    appendText(s.c_str(), s.m_length);
    return *this;
}

CXString& CXString::operator+=(const char* s) {
    appendText(s, textLength(s));
    return *this;
}

CXString& CXString::operator+=(char c) {
    if (c == '\0') return *this;
    growForAppend(2, m_length + 1);
    m_data[m_length++] = c;
    m_data[m_length] = '\0';
    return *this;
}

CXString& CXString::operator+=(int value) {
    char text[16];
    const int n = crt::formatText(text, sizeof text, "%d", value);
    growForAppend(20, m_length + n);
    std::memcpy(m_data + m_length, text, static_cast<size_t>(n) + 1);
    m_length += n;
    return *this;
}

CXString operator+(const CXString& a, const char* b) {
    std::string text(a.c_str(), static_cast<size_t>(a.getLength()));
    if (b) text += b;
    return CXString(text.c_str(), static_cast<int>(text.size()));
}

CXString operator+(const char* a, const CXString& b) {
    std::string text(a ? a : "");
    text.append(b.c_str(), static_cast<size_t>(b.getLength()));
    return CXString(text.c_str(), static_cast<int>(text.size()));
}

CXString operator+(const CXString& a, const CXString& b) {
    std::string text(a.c_str(), static_cast<size_t>(a.getLength()));
    text.append(b.c_str(), static_cast<size_t>(b.getLength()));
    return CXString(text.c_str(), static_cast<int>(text.size()));
}

// ---- access and tests ----

char CXString::GetAt(int i) const {
    if (i == -1) i = m_length - 1;
    if (i < 0 || i >= m_length) return '\0';
    return m_data[i];
}

bool CXString::IsLower() const {
    for (int i = 0; i < m_length; ++i)
        if (!kCase.isLower[byte(m_data[i])]) return false;
    return true;
}

bool CXString::IsUpper() const {
    for (int i = 0; i < m_length; ++i)
        if (!kCase.isUpper[byte(m_data[i])]) return false;
    return true;
}

bool CXString::IsUpper(int i) const { return i >= 0 && i < m_length && kCase.isUpper[byte(m_data[i])]; }

char CXString::toLowerChar(char c) { return static_cast<char>(kCase.lower[byte(c)]); }
char CXString::toUpperChar(char c) { return static_cast<char>(kCase.upper[byte(c)]); }
bool CXString::isLowerChar(char c) { return kCase.isLower[byte(c)]; }
bool CXString::isUpperChar(char c) { return kCase.isUpper[byte(c)]; }

CXString& CXString::Lower() {
    for (int i = 0; i < m_length; ++i) m_data[i] = toLowerChar(m_data[i]);
    return *this;
}

CXString& CXString::Upper() {
    for (int i = 0; i < m_length; ++i) m_data[i] = toUpperChar(m_data[i]);
    return *this;
}

// ---- trimming ----

CXString& CXString::LTrim(char c) {
    if (c == '\0' || m_length == 0) return *this;
    int n = 0;
    while (n < m_length && m_data[n] == c) ++n;
    if (n > 0) {
        std::memmove(m_data, m_data + n, static_cast<size_t>(m_length - n) + 1);
        m_length -= n;
    }
    return *this;
}

CXString& CXString::RTrim(char c) {
    if (c == '\0') return *this;
    while (m_length > 0 && m_data[m_length - 1] == c) --m_length;
    if (m_data) m_data[m_length] = '\0';
    return *this;
}

CXString& CXString::AllTrim(char c) {
    RTrim(c);
    return LTrim(c);
}

// ---- sub-strings ----

CXString CXString::Left(int n) const { return CXString(c_str(), std::clamp(n, 0, m_length)); }

CXString CXString::Mid(int from, int to) const {
    const int f = std::clamp(from, 0, m_length);
    const int t = std::clamp(to, f, m_length);
    return CXString(c_str() + f, t - f);
}

CXString CXString::Right(int from) const {
    const int f = std::clamp(from, 0, m_length);
    return CXString(c_str() + f, m_length - f);
}

void CXString::left(int n, CXString* out) const {
    if (out) out->setPart(c_str(), std::clamp(n, 0, m_length));
}

void CXString::mid(int from, int to, CXString* out) const {
    if (!out) return;
    const int f = std::clamp(from, 0, m_length);
    const int t = std::clamp(to, f, m_length);
    out->setPart(c_str() + f, t - f);
}

void CXString::right(int from, CXString* out) const {
    if (!out) return;
    const int f = std::clamp(from, 0, m_length);
    out->setPart(c_str() + f, m_length - f);
}

CXString& CXString::left(int n) {
    left(n, this);
    return *this;
}

CXString& CXString::mid(int from, int to) {
    mid(from, to, this);
    return *this;
}

CXString& CXString::right(int from) {
    right(from, this);
    return *this;
}

CXString& CXString::FillWith(char c, int n) {
    n = std::max(n, 0);
    delete[] m_data;
    allocate(n);
    if (c != '\0') {
        std::memset(m_data, c, static_cast<size_t>(n));
        m_data[n] = '\0';
        m_length = n;
    }
    return *this;
}

// ---- searching ----

int CXString::Find(char c, int from) const {
    for (int i = std::max(from, 0); i < m_length; ++i)
        if (m_data[i] == c) return i;
    return -1;
}

int CXString::FindLast(char c, int from) const {
    const int end = from < 0 ? m_length : std::min(from, m_length);
    for (int i = end - 1; i >= 0; --i)
        if (m_data[i] == c) return i;
    return -1;
}

int CXString::FindSubString(const CXString& s, int from) const {
    const int f = std::clamp(from, 0, m_length);
    const char* hit = std::strstr(c_str() + f, s.c_str());
    return hit ? static_cast<int>(hit - c_str()) : -1;
}

int CXString::indexOf(const CXString& s, int from) const {
    const int f = std::max(from, 0);
    if (s.m_length == 0) return f <= m_length ? f : -1;
    const char first = s.m_data[0];
    for (int i = f; i <= m_length - s.m_length; ++i) {
        if (m_data[i] == first && std::memcmp(m_data + i, s.m_data, static_cast<size_t>(s.m_length)) == 0) return i;
    }
    return -1;
}

int CXString::findOneOf(const CXString& set, int from) const {
    if (set.m_length == 0) return -1;
    for (int i = std::max(from, 0); i < m_length; ++i)
        if (std::memchr(set.m_data, m_data[i], static_cast<size_t>(set.m_length))) return i;
    return -1;
}

int CXString::getCount(char c) const {
    int count = 0;
    for (int i = 0; i < m_length; ++i)
        if (m_data[i] == c) ++count;
    return count;
}

bool CXString::startsWith(const CXString& s) const {
    return s.m_length <= m_length && std::memcmp(c_str(), s.c_str(), static_cast<size_t>(s.m_length)) == 0;
}

bool CXString::endsWith(const CXString& s) const {
    return s.m_length <= m_length &&
           std::memcmp(c_str() + (m_length - s.m_length), s.c_str(), static_cast<size_t>(s.m_length)) == 0;
}

// ---- comparison ----

bool CXString::equals(const CXString& other) const {
    return m_length == other.m_length && std::memcmp(c_str(), other.c_str(), static_cast<size_t>(m_length)) == 0;
}

bool CXString::equalsIgnoreCase(const CXString& other) const {
    if (m_length != other.m_length) return false;
    for (int i = 0; i < m_length; ++i)
        if (toUpperChar(m_data[i]) != toUpperChar(other.m_data[i])) return false;
    return true;
}

bool operator==(const CXString& a, const CXString& b) { return a.equals(b); }
bool operator==(const CXString& a, const char* b) { return std::strcmp(a.c_str(), b ? b : "") == 0; }
bool operator==(const char* a, const CXString& b) { return b == a; }
bool operator!=(const CXString& a, const CXString& b) { return !(a == b); }
bool operator!=(const CXString& a, const char* b) { return !(a == b); }
bool operator!=(const char* a, const CXString& b) { return !(b == a); }

bool operator<(const CXString& a, const CXString& b) {
    const int n = std::min(a.getLength(), b.getLength());
    const int c = std::memcmp(a.c_str(), b.c_str(), static_cast<size_t>(n));
    return c != 0 ? c < 0 : a.getLength() < b.getLength();
}

size_t std::hash<CXString>::operator()(const CXString& s) const noexcept {
    uint64_t h = 14695981039346656037ull;
    for (const char* p = s.c_str(); *p; ++p) h = (h ^ static_cast<unsigned char>(*p)) * 1099511628211ull;
    return static_cast<size_t>(h);
}

// ---- formatting ----

CXString& CXString::Format(const char* fmt, int a) {
    formatTo(*this, fmt, a);
    return *this;
}

CXString& CXString::Format(const char* fmt, int a, int b) {
    formatTo(*this, fmt, a, b);
    return *this;
}

CXString& CXString::Format(const char* fmt, const CXString& a) {
    const CXString copy(a);  // the target may be an argument
    formatTo(*this, fmt, copy.c_str());
    return *this;
}

CXString& CXString::Format(const char* fmt, const CXString& a, int b) {
    const CXString copy(a);
    formatTo(*this, fmt, copy.c_str(), b);
    return *this;
}

CXString& CXString::Format(const char* fmt, const CXString& a, int b, const CXString& c) {
    const CXString copyA(a), copyC(c);
    formatTo(*this, fmt, copyA.c_str(), b, copyC.c_str());
    return *this;
}

CXString& CXString::Format(const char* fmt, const CXString& a, int b, int c) {
    const CXString copy(a);
    formatTo(*this, fmt, copy.c_str(), b, c);
    return *this;
}

// ---- conversions ----

bool CXString::isNumber() const { return crt::atoi(c_str()) != 0; }
int CXString::toNumber() const { return crt::atoi(c_str()); }
int CXString::toNumber(const CXString& s) { return crt::atoi(s.c_str()); }
int32_t CXString::toLong() const { return crt::atol(c_str()); }
int32_t CXString::toLong(const CXString& s) { return crt::atol(s.c_str()); }
double CXString::toDouble() const { return crt::atof(c_str()); }
double CXString::toDouble(const CXString& s) { return crt::atof(s.c_str()); }
bool CXString::toBool() const { return equalsIgnoreCase("TRUE"); }
bool CXString::toBool(const CXString& s) { return s.equalsIgnoreCase("true"); }

CXString CXString::toString(bool value) { return CXString(value ? "TRUE" : "FALSE"); }

CXString CXString::toString(int value) {
    char text[16];
    crt::formatText(text, sizeof text, "%d", value);
    return CXString(text);
}

CXString CXString::toString(double value) {
    if (value == 0.0) return CXString("0");
    if (std::isnan(value)) return CXString("nan");
    if (std::isinf(value)) return CXString(value < 0 ? "-inf" : "inf");
    char digits[400];
    int point = 0;
    bool negative = false;
    crt::fcvt(value, 5, digits, sizeof digits, &point, &negative);
    if (digits[0] == '\0') return CXString("0");
    std::string text;
    if (negative) text += '-';
    if (point < 1) {
        text += "0.";
        text.append(static_cast<size_t>(-point), '0');
        text += digits;
    } else {
        text.append(digits, static_cast<size_t>(point));
        text += '.';
        text += digits + point;
    }
    return CXString(text.c_str(), static_cast<int>(text.size()));
}

// ---- replacement and extraction ----

CXString& CXString::Replace(char a, char b) {
    if (a == '\0' || a == b) return *this;
    for (int i = 0; i < m_length; ++i) {
        if (m_data[i] == a) {
            m_data[i] = b;
            if (b == '\0') {  // the text now ends here
                m_length = i;
                break;
            }
        }
    }
    return *this;
}

CXString CXString::replace(const CXString& what, const CXString& with) const {
    if (what.m_length == 0) return *this;
    std::string text;
    const char* p = c_str();
    while (const char* hit = std::strstr(p, what.c_str())) {
        text.append(p, hit);
        text.append(with.c_str(), static_cast<size_t>(with.m_length));
        p = hit + what.m_length;
    }
    text += p;
    return CXString(text.c_str(), static_cast<int>(text.size()));
}

CXString& CXString::replaceOnce(const CXString& what, const CXString& with, int from) {
    const char* tail = c_str() + std::clamp(from, 0, m_length);
    std::string text(tail);
    if (what.m_length > 0) {
        const size_t hit = text.find(what.c_str(), 0, static_cast<size_t>(what.m_length));
        if (hit != std::string::npos)
            text.replace(hit, static_cast<size_t>(what.m_length), with.c_str(), static_cast<size_t>(with.m_length));
    }
    assignText(text.c_str(), static_cast<int>(text.size()));
    return *this;
}

CXString& CXString::removeTag(const CXString& tag) {
    if (m_length == 0) return *this;
    const std::string open = std::string("<") + tag.c_str();
    int read = 0;
    int write = 0;
    while (read < m_length) {
        const char* hit = std::strstr(m_data + read, open.c_str());
        const char* close = hit ? std::strchr(hit + open.size(), '>') : nullptr;
        // The text before the tag, or everything left when there is no
        // complete tag any more (an unclosed one stays as it is).
        const int end = close ? static_cast<int>(hit - m_data) : m_length;
        std::memmove(m_data + write, m_data + read, static_cast<size_t>(end - read));
        write += end - read;
        if (!close) break;
        read = static_cast<int>(close - m_data) + 1;
    }
    m_length = write;
    m_data[m_length] = '\0';
    return *this;
}

bool CXString::FilterFits(const CXString& filter) const {
    if (filter == "*" || filter == "*.*") return true;
    const int nameLength = m_length;
    const int filterLength = filter.m_length;
    int offset = 0;
    for (int i = 0; i < filterLength; ++i) {
        const int at = i + offset;
        const char f = filter.m_data[i];
        if (f == '*') {
            if (nameLength > filterLength) {
                // The star takes as many characters as the name is longer.
                offset = nameLength - filterLength;
                continue;
            }
            if (i == filterLength - 1) return true;
            if (at >= nameLength) return false;
            continue;
        }
        // Positions past the end of the name never match.
        if (at >= nameLength) return false;
        if (f != '?' && f != m_data[at]) return false;
    }
    // Without a star the name must be used up.
    return filterLength + offset == nameLength;
}
