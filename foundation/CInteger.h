// A boxed 32-bit integer; its value is also its hash code. Used as the method ids in
// the runners' tables and as a key.
#pragma once
#include <cstdint>

#include "foundation/CXObject.h"
#include "foundation/CXString.h"

class CInteger : public CXObject {
public:
    CInteger() : m_value(0) {}
    explicit CInteger(int value) : m_value(value) {}
    // The leading number of the text (atoi), 0 when there is none.
    explicit CInteger(CXString text) : m_value(CXString::toNumber(text)) {}

    int getHashcode() override { return m_value; }
    // True when other is a CInteger of the same value.
    bool equals(CXObject* other) override;

    void parse(CXString text) { m_value = CXString::toNumber(text); }
    int toInt() const { return m_value; }
    // Wrap around at the ends of the 32-bit range.
    void increment() { m_value = static_cast<int32_t>(static_cast<uint32_t>(m_value) + 1u); }
    void decrement() { m_value = static_cast<int32_t>(static_cast<uint32_t>(m_value) - 1u); }

    using CXObject::toString;
    static CXString toString(int value) { return CXString::toString(value); }

private:
    int32_t m_value;
};
