// A version record: an edition type and major, minor and build numbers. Games
// state the engine version they need; the engine compares it with its own.
#pragma once
#include <cstdint>

#include "foundation/CXString.h"

class CXVersion {
public:
    // Edition types.
    enum { kNone = 0, kX = 1, kVondrel = 2, kVondrelWeb = 3 };

    CXVersion(int type, int major, int minor, int build);
    // Parses "WORD.major.minor.build": a first token that starts with a letter is
    // the edition word ("Q" type 2, "QJ" type 3, any other type 1); the numbers
    // follow, missing ones 0. Empty parts between dots are skipped.
    explicit CXVersion(CXString text);
    CXVersion(const CXVersion&) = default;
    CXVersion& operator=(const CXVersion&) = default;

    int getType() const { return m_type; }
    int getMajor() const { return m_major; }
    int getMinor() const { return m_minor; }
    int getBuild() const { return m_build; }

    // "<edition word>.<major>.<minor>.<build>"; the word is "X" for type 1,
    // "Vondrel" for type 2 and "Vondrel WEB" otherwise.
    CXString toString() const;

    // Whether this version satisfies the required one: any version satisfies a
    // required type 0 (and a null requirement); otherwise the types must match
    // unless this is type 1, and major.minor must be at least the required one.
    // The build is not compared.
    bool verify(const CXVersion* required) const;

    // The engine's own version (type 3, 1.0, build 7).
    static CXVersion* getCurrentVersion();

private:
    int32_t m_type = 0;
    int32_t m_major = 0;
    int32_t m_minor = 0;
    int32_t m_build = 0;
};
