// Parameters of an effect: its type code and the ONEATTIME switch. Each effect's
// parameter class checks its own names first and hands any other to this base.
#pragma once

#include "foundation/CXString.h"

class CFilterParams {
public:
    // Type codes of the effects.
    static constexpr int kFade = 1;
    static constexpr int kFadeOut = 2;
    static constexpr int kPath = 4;
    static constexpr int kWater = 5;
    static constexpr int kWaving = 300;

    explicit CFilterParams(int type) : m_type(type) {}
    virtual ~CFilterParams() = default;
    CFilterParams(const CFilterParams&) = delete;
    CFilterParams& operator=(const CFilterParams&) = delete;

    // "ONEATTIME" reads the value as a boolean; other names are ignored.
    virtual void setProperty(const CXString& name, const CXString& value);

    int getType() const { return m_type; }
    bool isOneAtTime() const { return m_oneAtTime; }

private:
    int m_type;
    bool m_oneAtTime = false;
};

// Truncation toward zero as the 32-bit conversion does it: NaN and values outside
// the int range give INT32_MIN (whose low 8 bits are 0).
int filterTruncate(double v);
