// An integer extent: width (cx) and height (cy).
#pragma once
#include <cstdint>

#include "foundation/CXObject.h"
#include "foundation/CXPoint.h"

class CXSize {
public:
    CXSize() = default;
    explicit CXSize(int v) : cx(v), cy(v) {}
    CXSize(int w, int h) : cx(w), cy(h) {}

    bool operator==(CXSize s) const { return cx == s.cx && cy == s.cy; }
    bool operator!=(CXSize s) const { return !(*this == s); }

    // The area, cx + cy and |cx| + |cy|; results beyond the int range saturate.
    int mul() const { return saturate32(static_cast<int64_t>(cx) * cy); }
    int Sum() const { return addSat(cx, cy); }
    // Zero exactly when both extents are zero (callers use it to detect an empty size).
    int AbsSum() const { return addSat(absolute(cx), absolute(cy)); }

    int32_t cx = 0;
    int32_t cy = 0;
};
