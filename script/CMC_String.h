// The script's STRING: a named Windows-1250 text with a default.
#pragma once

#include "script/CMC_Variable.h"

class CMC_String : public CMC_Variable {
public:
    explicit CMC_String(CXString name);
    // The pool's form.
    CMC_String(CXString name, int poolIndex);
    // Value and default both `value`.
    CMC_String(CXString name, CXString value);
    CMC_String(CMC_ObjectsContainer* container, CMElement* element);
    ~CMC_String() override;

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
    // Ignoring case (Windows-1250).
    bool equals(CMC_Variable* other) override;
    // Unsigned byte order, with case.
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

    virtual void lower();
    virtual void upper();

    CXString getValue() const { return m_value; }
    // The change step runs with whether the text changed.
    void setValue(CXString value);
    CXString getDefault() const { return m_default; }

private:
    CXString m_value;
    CXString m_default;
};
