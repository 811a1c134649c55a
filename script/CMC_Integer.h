// The script's INTEGER: a named 32-bit signed value with a default. Arithmetic
// wraps in two's complement.
#pragma once
#include <cstdint>

#include "script/CMC_ValueBase.h"

class CMC_Integer : public CMC_ValueBase<CMC_Integer, int32_t, CMC_Variable::kInteger> {
    using Base = CMC_ValueBase<CMC_Integer, int32_t, kInteger>;
    friend Base;

public:
    // By name, in the pool's form (name, pool index), or from a definition.
    using Base::Base;
    // A value named "temp".
    explicit CMC_Integer(int value);
    ~CMC_Integer() override;

    using CMC_Variable::compare;
    CXString toString() override;
    void inc() override;
    void dec() override;
    int compare(CMC_Variable* other) override;
    int getBufferLen() override;
    void netstore(void* buffer) override;
    void netrestore(void* buffer) override;
    void fromString(CXString text) override;
    // The operator code applied to two values (calculate; the runner's INTEGER path).
    static int32_t combine(int32_t a, int32_t b, int op);
};
