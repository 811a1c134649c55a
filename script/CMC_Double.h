// The script's DOUBLE: a named 64-bit floating-point value with a default.
#pragma once

#include "script/CMC_Variable.h"

class CMC_Double : public CMC_Variable {
public:
    explicit CMC_Double(CXString name);
    // The pool's form.
    CMC_Double(CXString name, int poolIndex);
    // A value named "temp".
    explicit CMC_Double(double value);
    CMC_Double(CMC_ObjectsContainer* container, CMElement* element);
    ~CMC_Double() override;

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

    double getValue() const { return m_value; }
    // Assigns without change notification (the change step runs with false).
    void setValue(double value);
    double getDefault() const { return m_default; }

    // Half away from zero; outside the 32-bit range (or NaN) INT32_MIN.
    static int round(double value);

private:
    double m_value = 0.0;
    double m_default = 0.0;
};
