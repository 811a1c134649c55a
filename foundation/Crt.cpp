#include "foundation/Crt.h"

#include <algorithm>
#include <atomic>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <string>

namespace crt {
namespace {

locale_t cLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

// Switches the calling thread to the C locale for one formatting or parsing call.
class CLocaleScope {
public:
    CLocaleScope() {
        const locale_t c = cLocale();
        if (c) m_previous = uselocale(c);
    }
    ~CLocaleScope() {
        if (m_previous) uselocale(m_previous);
    }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    locale_t m_previous = static_cast<locale_t>(nullptr);
};

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::atomic<uint32_t> g_randState{1};

}  // namespace

int32_t atoi(const char* text) {
    if (!text) return 0;
    const char* p = text;
    while (isBlank(*p)) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    // Magnitudes beyond 2^31 saturate either way, so accumulation stops there.
    constexpr int64_t kLimit = int64_t{1} << 31;
    int64_t value = 0;
    for (; isDigit(*p); ++p) {
        if (value <= kLimit) value = value * 10 + (*p - '0');
    }
    if (negative) return value >= kLimit ? INT32_MIN : static_cast<int32_t>(-value);
    return value > INT32_MAX ? INT32_MAX : static_cast<int32_t>(value);
}

int32_t atol(const char* text) { return atoi(text); }

double atof(const char* text) {
    if (!text) return 0.0;
    const char* p = text;
    while (isBlank(*p)) ++p;
    const char* start = p;
    if (*p == '+' || *p == '-') ++p;
    bool digits = false;
    while (isDigit(*p)) {
        ++p;
        digits = true;
    }
    if (*p == '.') {
        ++p;
        while (isDigit(*p)) {
            ++p;
            digits = true;
        }
    }
    if (!digits) return 0.0;
    if (*p == 'e' || *p == 'E') {
        const char* e = p + 1;
        if (*e == '+' || *e == '-') ++e;
        if (isDigit(*e)) {
            while (isDigit(*e)) ++e;
            p = e;
        }
    }
    // Only the validated prefix reaches strtod, so it cannot take hex or "inf".
    const std::string number(start, p);
    return strtod_l(number.c_str(), nullptr, cLocale());
}

int rand() {
    uint32_t state = g_randState.load(std::memory_order_relaxed);
    uint32_t next;
    do {
        next = state * 214013u + 2531011u;
    } while (!g_randState.compare_exchange_weak(state, next, std::memory_order_relaxed));
    return static_cast<int>((next >> 16) & 0x7FFFu);
}

void srand(uint32_t seed) { g_randState.store(seed, std::memory_order_relaxed); }

int vformatText(char* buffer, size_t size, const char* format, va_list args) {
    if (!format) {
        if (buffer && size > 0) buffer[0] = '\0';
        return 0;
    }
    CLocaleScope scope;
    const int n = std::vsnprintf(size > 0 ? buffer : nullptr, buffer ? size : 0, format, args);
    if (n < 0 && buffer && size > 0) buffer[0] = '\0';
    return n < 0 ? 0 : n;
}

int formatText(char* buffer, size_t size, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int n = vformatText(buffer, size, format, args);
    va_end(args);
    return n;
}

int formatGeneral(char* buffer, size_t size, double value, int precision) {
    precision = std::clamp(precision, 0, 40);
    char text[96];
    int n = formatText(text, sizeof text, "%.*g", precision, value);
    // Widen the exponent to three digits: "1e+20" becomes "1e+020".
    if (char* e = std::strchr(text, 'e')) {
        char* digits = e + 1;
        if (*digits == '+' || *digits == '-') ++digits;
        const int count = static_cast<int>(std::strlen(digits));
        if (count < 3) {
            const int pad = 3 - count;
            std::memmove(digits + pad, digits, static_cast<size_t>(count) + 1);
            std::memset(digits, '0', static_cast<size_t>(pad));
            n += pad;
        }
    }
    if (buffer && size > 0) {
        const size_t copy = std::min(size - 1, static_cast<size_t>(n));
        std::memcpy(buffer, text, copy);
        buffer[copy] = '\0';
    }
    return n;
}

int fcvt(double value, int decimals, char* digits, size_t size, int* decimalPoint, bool* negative) {
    decimals = std::clamp(decimals, 0, 1000);
    if (negative) *negative = std::signbit(value);
    std::string full;
    int intLength = 0;
    if (std::isfinite(value)) {
        // A double has at most 1074 binary fraction digits, so 1100 decimals
        // print its exact value: the digit after the last kept place decides
        // the rounding with no earlier rounding in between.
        char text[1500];
        formatText(text, sizeof text, "%.1100f", value < 0 ? -value : value);
        const char* point = std::strchr(text, '.');
        const std::string integer(static_cast<const char*>(text), point);
        const char* fraction = point + 1;  // 1100 digits, more than `decimals`
        full = integer + std::string(fraction, static_cast<size_t>(decimals));
        if (fraction[decimals] >= '5') {
            int i = static_cast<int>(full.size()) - 1;
            for (; i >= 0 && full[static_cast<size_t>(i)] == '9'; --i) full[static_cast<size_t>(i)] = '0';
            if (i >= 0)
                ++full[static_cast<size_t>(i)];
            else
                full.insert(full.begin(), '1');
        }
        intLength = static_cast<int>(full.size()) - decimals;
        const size_t zeros = std::min(full.find_first_not_of('0'), full.size());
        full.erase(0, zeros);
        intLength -= static_cast<int>(zeros);
    }
    if (decimalPoint) *decimalPoint = intLength;
    if (digits && size > 0) {
        const size_t copy = std::min(size - 1, full.size());
        std::memcpy(digits, full.data(), copy);
        digits[copy] = '\0';
    }
    return static_cast<int>(full.size());
}

}  // namespace crt
