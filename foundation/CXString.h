// The engine's string: an owning, growable, NUL-terminated 8-bit (Windows-1250)
// text passed by value. Case rules know the Polish letters of the code page;
// conversions follow the Windows C runtime (see foundation/Crt.h).
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>

class CXPoint;
class CXRect;
class CXArray;

class CXString {
public:
    // Empty, capacity 32.
    CXString();
    // Copy of `s`; null gives the empty string. Capacity 32, or length + 32
    // from 32 characters on.
    CXString(const char* s);
    // The first `n` characters of `s` (fewer when `s` ends earlier).
    CXString(const char* s, int n);
    CXString(const CXString& other);
    // The moved-from string is left empty (without a buffer until next written).
    CXString(CXString&& other) noexcept;
    // The one-character text with code `c` (low byte); 0 gives the empty string.
    explicit CXString(int c);
    virtual ~CXString();

    CXString& operator=(const CXString& other);
    CXString& operator=(CXString&& other) noexcept;
    // Null changes nothing.
    CXString& operator=(const char* s);
    CXString& operator=(char c);
    CXString& operator=(int value);
    // Nine significant digits, printf's general format.
    CXString& operator=(double value);

    CXString& operator+=(const CXString& s);
    CXString& operator+=(const char* s);
    CXString& operator+=(char c);
    CXString& operator+=(int value);

    friend CXString operator+(const CXString& a, const char* b);
    friend CXString operator+(const char* a, const CXString& b);
    friend CXString operator+(const CXString& a, const CXString& b);

    // Raw access.
    const char* c_str() const { return m_data ? m_data : ""; }
    int getLength() const { return m_length; }
    int getCapacity() const { return m_capacity; }

    // The character at `i`; -1 is the last one. Outside the text: 0.
    char GetAt(int i) const;
    char lastChar() const { return GetAt(-1); }
    bool IsString() const { return m_length > 0; }
    // Every character a lower / upper-case letter (true for the empty text).
    bool IsLower() const;
    bool IsUpper() const;
    // Whether the character at `i` is an upper-case letter (false outside the text).
    bool IsUpper(int i) const;

    // Windows-1250 case mapping in place: ASCII letters and the nine Polish pairs.
    CXString& Lower();
    CXString& Upper();
    static char toLowerChar(char c);
    static char toUpperChar(char c);
    static bool isLowerChar(char c);
    static bool isUpperChar(char c);

    // Remove the leading / trailing / both runs of `c` only.
    CXString& LTrim(char c);
    CXString& RTrim(char c);
    CXString& AllTrim(char c);

    // Sub-strings; positions are clamped to the text.
    CXString Left(int n) const;
    // Characters from `from` up to, not including, `to`.
    CXString Mid(int from, int to) const;
    // Characters from index `from` to the end.
    CXString Right(int from) const;
    void left(int n, CXString* out) const;
    void mid(int from, int to, CXString* out) const;
    void right(int from, CXString* out) const;
    CXString& left(int n);
    CXString& mid(int from, int to);
    CXString& right(int from);
    // `n` copies of `c`; the capacity becomes `n`.
    CXString& FillWith(char c, int n);

    // Searches; -1 when nothing is found. Positions are clamped to the text.
    int Find(char c, int from = 0) const;
    // Last index before `from`; a negative `from` means the whole text.
    int FindLast(char c, int from = -1) const;
    int FindSubString(const CXString& s, int from = 0) const;
    virtual int indexOf(const CXString& s, int from = 0) const;
    // First index at or after `from` holding any character of `set`.
    virtual int findOneOf(const CXString& set, int from = 0) const;
    virtual int getCount(char c) const;
    bool startsWith(const CXString& s) const;
    bool endsWith(const CXString& s) const;

    bool equals(const CXString& other) const;
    bool equalsIgnoreCase(const CXString& other) const;

    // printf-style formatting (CXString arguments as their characters); the
    // result replaces the text. Longer results than 255 bytes are kept whole.
    CXString& Format(const char* fmt, int a);
    CXString& Format(const char* fmt, int a, int b);
    CXString& Format(const char* fmt, const CXString& a);
    CXString& Format(const char* fmt, const CXString& a, int b);
    CXString& Format(const char* fmt, const CXString& a, int b, const CXString& c);
    CXString& Format(const char* fmt, const CXString& a, int b, int c);

    // Number conversions in the Windows C runtime's manner (Crt.h).
    // isNumber: atoi gives non-zero, so "0" is no number.
    bool isNumber() const;
    int toNumber() const;
    static int toNumber(const CXString& s);
    int32_t toLong() const;
    static int32_t toLong(const CXString& s);
    double toDouble() const;
    static double toDouble(const CXString& s);
    // "true" in any case.
    bool toBool() const;
    static bool toBool(const CXString& s);
    // "TRUE" / "FALSE".
    static CXString toString(bool value);
    static CXString toString(int value);
    // Fixed notation with five decimals; 0 gives "0".
    static CXString toString(double value);

    // Tokenising conversions (defined with the tokenizer).
    // First two / four tokens split at ".|, ", each through atoi; missing ones 0.
    CXPoint toPoint() const;
    CXRect toRect() const;
    // A new array of new strings, one per token; the caller owns both
    // (release with releaseToVector).
    CXArray* toVector() const;
    CXArray* toVector(const CXString& separators) const;
    static void releaseToVector(CXArray* vector);
    // Token `n` (from 0) split at " \n\t"; empty when there are fewer.
    CXString getWord(int n) const;

    // Every `a` becomes `b` in place.
    CXString& Replace(char a, char b);
    // A copy with every occurrence of `what` (scanning left to right, not
    // overlapping) replaced by `with`. An empty `what` replaces nothing.
    CXString replace(const CXString& what, const CXString& with) const;
    // This text becomes the text from `from` on, with its first `what` replaced.
    CXString& replaceOnce(const CXString& what, const CXString& with, int from = 0);
    // Removes every "<tag ... >" stretch; an unclosed one and the rest stay.
    CXString& removeTag(const CXString& tag);
    // Whether this file name fits a filter with "?" and "*".
    bool FilterFits(const CXString& filter) const;

private:
    void allocate(int capacity);
    void reallocate(int capacity);
    void ensureBuffer();
    void ensureFits(int length);
    void assignText(const char* s, int n);
    void appendText(const char* s, int n);
    void setPart(const char* s, int n);
    void growForAppend(int reserve, int needed);

    int32_t m_length = 0;
    int32_t m_capacity = 0;
    char* m_data = nullptr;
};

bool operator==(const CXString& a, const CXString& b);
bool operator==(const CXString& a, const char* b);
bool operator==(const char* a, const CXString& b);
bool operator!=(const CXString& a, const CXString& b);
bool operator!=(const CXString& a, const char* b);
bool operator!=(const char* a, const CXString& b);
// Byte order (unsigned), for ordered containers.
bool operator<(const CXString& a, const CXString& b);

template <>
struct std::hash<CXString> {
    size_t operator()(const CXString& s) const noexcept;
};
