// The script's BOOL: a named true/false value with a default.
#pragma once

#include "script/CMC_Variable.h"

class CMC_Bool : public CMC_Variable {
public:
    explicit CMC_Bool(CXString name);
    // Keeps a literal name from binding to the bool constructor.
    explicit CMC_Bool(const char* name) : CMC_Bool(CXString(name)) {}
    // The pool's form.
    CMC_Bool(CXString name, int poolIndex);
    // A value named "temp".
    explicit CMC_Bool(bool value);
    CMC_Bool(CMC_ObjectsContainer* container, CMElement* element);
    ~CMC_Bool() override;

    using CMC_Variable::compare;
    using CMC_Variable::equals;
    CXObject* clone() override;
    using CMC_Object::clone;
    CXString toString() override;
    void serialize(CXArchive* archive) override;

    void set(CMC_Variable* other) override;
    void clear() override;
    // Toggles (script method SWITCH); the arguments are not used.
    void swap(CMC_Variable* a, CMC_Variable* b) override;
    // Both toggle.
    void inc() override;
    void dec() override;
    bool equals(CMC_Variable* other) override;
    int compare(CMC_Variable* other) override;
    CMC_Variable* convert(int type) override;
    // ADD is AND, MUL is OR; the other codes keep this value.
    CMC_Variable* calculate(CMC_Variable* other, int op) override;
    void setDefault(CMC_Variable* other) override;
    void resetINI() override;
    int getBufferLen() override;
    void netstore(void* buffer) override;
    void netrestore(void* buffer) override;
    void store(CXArchive* archive) override;
    void restore(CXArchive* archive) override;
    void fromString(CXString text) override;

    bool getValue() const { return m_value; }
    // Assigns without change notification (the change step runs with false).
    void setValue(bool value);
    bool getDefault() const { return m_default; }

private:
    void toggle();

    bool m_value = false;
    bool m_default = false;
};
