// The script's BOOL: a named true/false value with a default.
#pragma once

#include "script/CMC_ValueBase.h"

class CMC_Bool : public CMC_ValueBase<CMC_Bool, bool, CMC_Variable::kBool> {
    using Base = CMC_ValueBase<CMC_Bool, bool, kBool>;
    friend Base;

public:
    // By name, in the pool's form (name, pool index), or from a definition.
    using Base::Base;
    // Keeps a literal name from binding to the bool constructor.
    explicit CMC_Bool(const char* name) : CMC_Bool(CXString(name)) {}
    // A value named "temp".
    explicit CMC_Bool(bool value);
    ~CMC_Bool() override;

    using CMC_Variable::compare;
    CXString toString() override;
    // Toggles (script method SWITCH); the arguments are not used.
    void swap(CMC_Variable* a, CMC_Variable* b) override;
    // Both toggle.
    void inc() override;
    void dec() override;
    int compare(CMC_Variable* other) override;
    int getBufferLen() override;
    void netstore(void* buffer) override;
    void netrestore(void* buffer) override;
    void fromString(CXString text) override;

private:
    // The operator code applied to two values (calculate): ADD is AND, MUL is OR;
    // the other codes keep the first.
    static bool combine(bool a, bool b, int op);
    void toggle();
};
