// The script's STRING: a named Windows-1250 text with a default.
#pragma once

#include "script/CMC_ValueBase.h"

class CMC_String : public CMC_ValueBase<CMC_String, CXString, CMC_Variable::kString> {
    using Base = CMC_ValueBase<CMC_String, CXString, kString>;
    friend Base;

public:
    // By name, in the pool's form (name, pool index), or from a definition.
    using Base::Base;
    // Value and default both `value`.
    CMC_String(CXString name, CXString value);
    ~CMC_String() override;

    using CMC_Variable::compare;
    using CMC_Variable::equals;
    // The copy's default is its value.
    CXObject* clone() override;
    using CMC_Object::clone;
    CXString toString() override;
    // Nothing: a text has no successor.
    void inc() override;
    void dec() override;
    // Ignoring case (Windows-1250).
    bool equals(CMC_Variable* other) override;
    // Unsigned byte order, with case.
    int compare(CMC_Variable* other) override;
    int getBufferLen() override;
    void netstore(void* buffer) override;
    void netrestore(void* buffer) override;
    void fromString(CXString text) override;

    virtual void lower();
    virtual void upper();

private:
    // Only ADD joins; the other codes keep the text.
    static CXString combine(CXString a, const CXString& b, int op);
};
