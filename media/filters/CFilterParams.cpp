#include "media/filters/CFilterParams.h"

#include <cmath>
#include <cstdint>

void CFilterParams::setProperty(const CXString& name, const CXString& value) {
    if (name == CXString("ONEATTIME")) m_oneAtTime = value.toBool();
}

int filterTruncate(double v) {
    if (!(v > -2147483649.0 && v < 2147483648.0)) return INT32_MIN;
    return static_cast<int>(v);
}
