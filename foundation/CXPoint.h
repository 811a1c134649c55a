// An integer point: a position on the screen or in an object's own coordinates.
#pragma once
#include <cstdint>

// Geometry arithmetic saturates at the int32 range rather than overflowing, so
// coordinates read from hostile files cannot cause undefined behaviour.
inline int32_t saturate32(int64_t v) {
    return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : static_cast<int32_t>(v);
}
inline int32_t addSat(int32_t a, int32_t b) { return saturate32(static_cast<int64_t>(a) + b); }
inline int32_t subSat(int32_t a, int32_t b) { return saturate32(static_cast<int64_t>(a) - b); }

class CXPoint {
public:
    CXPoint() = default;
    CXPoint(int px, int py) : x(px), y(py) {}

    CXPoint operator+(int d) const { return CXPoint(addSat(x, d), addSat(y, d)); }
    CXPoint operator-(int d) const { return CXPoint(subSat(x, d), subSat(y, d)); }
    CXPoint operator+(CXPoint p) const { return CXPoint(addSat(x, p.x), addSat(y, p.y)); }
    CXPoint operator-(CXPoint p) const { return CXPoint(subSat(x, p.x), subSat(y, p.y)); }
    bool operator==(CXPoint p) const { return x == p.x && y == p.y; }
    bool operator!=(CXPoint p) const { return !(*this == p); }

    int32_t x = 0;
    int32_t y = 0;
};
