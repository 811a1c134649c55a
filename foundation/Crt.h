// C-runtime compatibility: number conversions, formatting and the pseudo-random
// generator behave like the 32-bit Windows C runtime the engine's data was made
// with, independent of the process locale and of the platform's `long`.
#pragma once
#include <cstdarg>
#include <cstddef>
#include <cstdint>

namespace crt {

// Decimal parse: leading blanks (space, \t \n \v \f \r) skipped, an optional
// sign, then digits up to the first non-digit; 0 when there are no digits.
// Saturates at INT32_MIN / INT32_MAX instead of overflowing.
int32_t atoi(const char* text);
int32_t atol(const char* text);

// Floating-point parse in the C locale: blanks, optional sign, digits with an
// optional "." fraction and an optional exponent. No hex floats, "inf" or "nan"
// (the Windows runtime reads none of them); 0 when no number starts the text.
// A null text gives 0 for all three parsers.
double atof(const char* text);

// The Windows runtime's generator: state = state * 214013 + 2531011, result
// bits 16..30. One process-wide state, 1 until srand is called.
inline constexpr int kRandMax = 32767;
int rand();
void srand(uint32_t seed);

// Bounded printf in the C locale: never writes more than `size` bytes (always
// NUL-terminated when size > 0) and returns the full length of the text, as
// vsnprintf does, so a caller can retry with a larger buffer.
int formatText(char* buffer, size_t size, const char* format, ...) __attribute__((format(printf, 3, 4)));
int vformatText(char* buffer, size_t size, const char* format, va_list args) __attribute__((format(printf, 3, 0)));

// printf's "%.<precision>g" in the C locale with the Windows runtime's
// exponent of at least three digits ("1e+020"). Bounded like formatText.
int formatGeneral(char* buffer, size_t size, double value, int precision);

// _fcvt: the digits of |value| rounded to `decimals` places after the point,
// without leading zeros (so possibly empty), written to `digits` (NUL-terminated,
// truncated to `size`). `*decimalPoint` is the position of the point relative to
// the first digit (0 or negative for values below 1), `*negative` the sign.
// Rounding works on the exact binary value and takes exact ties up
// (0.015625 to five places gives "1563", point -1).
// Returns the number of digits (which may exceed size - 1 when truncated).
// Infinite and NaN values give no digits.
int fcvt(double value, int decimals, char* digits, size_t size, int* decimalPoint, bool* negative);

}  // namespace crt
