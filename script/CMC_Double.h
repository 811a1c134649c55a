// The script's DOUBLE: a named 64-bit floating-point value with a default.
#pragma once

#include "script/CMC_ValueBase.h"

class CMC_Double : public CMC_ValueBase<CMC_Double, double, CMC_Variable::kDouble> {
    using Base = CMC_ValueBase<CMC_Double, double, kDouble>;
    friend Base;

public:
    // By name, in the pool's form (name, pool index), or from a definition.
    using Base::Base;
    // A value named "temp".
    explicit CMC_Double(double value);
    ~CMC_Double() override;

    using CMC_Variable::compare;
    CXString toString() override;
    void inc() override;
    void dec() override;
    int compare(CMC_Variable* other) override;
    int getBufferLen() override;
    void netstore(void* buffer) override;
    void netrestore(void* buffer) override;
    void fromString(CXString text) override;

    // Half away from zero; outside the 32-bit range (or NaN) INT32_MIN.
    static int round(double value);

private:
    // The operator code applied to two values (calculate).
    static double combine(double a, double b, int op);
};
