#include "script/CMC_Integer.h"

#include <climits>

#include "foundation/Crt.h"

namespace {
// Two's complement wrap-around without signed overflow.
int32_t wrap(uint32_t bits) { return static_cast<int32_t>(bits); }
} // namespace

CMC_Integer::CMC_Integer(int value) : Base(CXString("temp")) { m_value = m_default = value; }

CMC_Integer::~CMC_Integer() = default;

int32_t CMC_Integer::combine(int32_t a, int32_t b, int op) {
    switch (op) {
    case kAdd: return wrap(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
    case kSub: return wrap(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
    case kMul: return wrap(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
    // Division by 0 gives 0; INT_MIN / -1 stays INT_MIN and its remainder is 0.
    case kDiv:
        if (b == 0) return 0;
        if (a == INT32_MIN && b == -1) return INT32_MIN;
        return a / b;
    case kMod:
        if (b == 0 || b == -1) return 0;
        return a % b;
    default: return a;
    }
}

CXString CMC_Integer::toString() { return CXString::toString(static_cast<int>(m_value)); }

void CMC_Integer::inc() {
    m_value = wrap(static_cast<uint32_t>(m_value) + 1u);
    onChange(true);
}

void CMC_Integer::dec() {
    m_value = wrap(static_cast<uint32_t>(m_value) - 1u);
    onChange(true);
}

int CMC_Integer::compare(CMC_Variable* other) {
    int32_t value = 0;
    if (!take(other, &value)) return 1;
    return m_value < value ? -1 : (m_value > value ? 1 : 0);
}

int CMC_Integer::getBufferLen() { return 8; }

void CMC_Integer::netstore(void* buffer) {
    putInt32(buffer, 0, kInteger);
    putInt32(buffer, 4, m_value);
}

void CMC_Integer::netrestore(void* buffer) { m_value = getInt32(buffer, 4); }

void CMC_Integer::fromString(CXString text) { m_value = crt::atoi(text.c_str()); }
