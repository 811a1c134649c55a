// String key of the method and name tables: a text with its hash cached. Texts compare
// byte for byte, with case.
#pragma once
#include <cstdint>

#include "foundation/CXObject.h"
#include "foundation/CXString.h"

class CStringHashCode : public CXObject {
public:
    explicit CStringHashCode(CXString text);
    CStringHashCode(const CStringHashCode& other);
    CStringHashCode& operator=(const CStringHashCode& other);
    ~CStringHashCode() override;

    int getHashcode() override { return m_hash; }
    // True when other is a CStringHashCode with the same text.
    bool equals(CXObject* other) override;

    // Replaces the text and recomputes the hash; null is taken as the empty text. The
    // buffer keeps 64 bytes to spare, so short look-up names reuse it.
    void set(const char* text);
    CXString getString() const { return CXString(m_text); }
    const char* getText() const { return m_text; }

    // Sum over positions i of (1 << (i mod 16)) + (i + 1) × the character as a signed
    // byte, wrapping in 32 bits.
    static int32_t hashOf(const char* text);

private:
    static constexpr int32_t kSpare = 64;

    int32_t m_hash;
    char* m_text;
    int32_t m_bufferSize;
};
