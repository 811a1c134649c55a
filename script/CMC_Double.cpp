#include "script/CMC_Double.h"

#include <cmath>
#include <cstring>

#include "foundation/Crt.h"

namespace {
// A double as a 32-bit integer: whole numbers outside the range, infinities and
// NaN give INT32_MIN.
int32_t toInt32(double whole) {
    if (!(whole >= -2147483648.0 && whole <= 2147483647.0)) return INT32_MIN;
    return static_cast<int32_t>(whole);
}

// The remainder of the two values truncated to 32-bit integers, with the sign
// of the dividend; 0 for a zero divisor and for INT32_MIN by -1.
double remainderOf(double a, double b) {
    int32_t dividend = toInt32(std::trunc(a));
    int32_t divisor = toInt32(std::trunc(b));
    if (divisor == 0 || divisor == -1) return 0.0;
    return static_cast<double>(dividend % divisor);
}
} // namespace

CMC_Double::CMC_Double(double value) : Base(CXString("temp")) { m_value = m_default = value; }

CMC_Double::~CMC_Double() = default;

int CMC_Double::round(double value) {
    double whole = std::trunc(value);
    if (std::fabs(value - whole) >= 0.5) whole += value > 0 ? 1.0 : -1.0;
    return toInt32(whole);
}

// An unknown code keeps the left value.
double CMC_Double::combine(double a, double b, int op) {
    switch (op) {
    case kAdd: return a + b;
    case kSub: return a - b;
    case kMul: return a * b;
    case kDiv: return a / b;
    case kMod: return remainderOf(a, b);
    default: return a;
    }
}

CXString CMC_Double::toString() { return CXString::toString(m_value); }

void CMC_Double::inc() {
    m_value += 1.0;
    onChange(true);
}

void CMC_Double::dec() {
    m_value -= 1.0;
    onChange(true);
}

int CMC_Double::compare(CMC_Variable* other) {
    double value = 0.0;
    if (!take(other, &value)) return -1;
    return m_value == value ? 0 : (m_value > value ? 1 : -1);
}

int CMC_Double::getBufferLen() { return 12; }

void CMC_Double::netstore(void* buffer) {
    putInt32(buffer, 0, kDouble);
    uint64_t bits = 0;
    std::memcpy(&bits, &m_value, sizeof bits);
    auto* bytes = static_cast<unsigned char*>(buffer) + 4;
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<unsigned char>(bits >> (8 * i));
}

void CMC_Double::netrestore(void* buffer) {
    const auto* bytes = static_cast<const unsigned char*>(buffer) + 4;
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) bits |= static_cast<uint64_t>(bytes[i]) << (8 * i);
    std::memcpy(&m_value, &bits, sizeof bits);
}

void CMC_Double::fromString(CXString text) { m_value = crt::atof(text.c_str()); }
