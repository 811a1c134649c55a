// The script's INTEGER: a named 32-bit signed value with a default. Arithmetic
// wraps in two's complement.
#pragma once
#include <cstdint>

#include "script/CMC_Variable.h"

class CMC_Integer : public CMC_Variable {
public:
    explicit CMC_Integer(CXString name);
    // The pool's form.
    CMC_Integer(CXString name, int poolIndex);
    // A value named "temp".
    explicit CMC_Integer(int value);
    CMC_Integer(CMC_ObjectsContainer* container, CMElement* element);
    ~CMC_Integer() override;

    using CMC_Variable::compare;
    using CMC_Variable::equals;
    CXObject* clone() override;
    using CMC_Object::clone;
    CXString toString() override;
    void serialize(CXArchive* archive) override;

    void set(CMC_Variable* other) override;
    void clear() override;
    void swap(CMC_Variable* a, CMC_Variable* b) override;
    void inc() override;
    void dec() override;
    bool equals(CMC_Variable* other) override;
    int compare(CMC_Variable* other) override;
    CMC_Variable* convert(int type) override;
    CMC_Variable* calculate(CMC_Variable* other, int op) override;
    void setDefault(CMC_Variable* other) override;
    void resetINI() override;
    int getBufferLen() override;
    void netstore(void* buffer) override;
    void netrestore(void* buffer) override;
    void store(CXArchive* archive) override;
    void restore(CXArchive* archive) override;
    void fromString(CXString text) override;

    int getValue() const { return m_value; }
    // Assigns without change notification (the change step runs with false).
    void setValue(int value);
    int getDefault() const { return m_default; }

private:
    int32_t m_value = 0;
    int32_t m_default = 0;
};
