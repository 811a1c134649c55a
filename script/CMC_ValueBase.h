// The part the four basic value types (INTEGER, STRING, BOOL, DOUBLE) share: a value
// and a default of type V, and the operations that work alike for every type
// (assigning from any value through its conversion, clearing, swapping, equality,
// the conversions to the other types, the default and its INI reset, the archive
// forms, cloning). Each type adds its text form, inc/dec, order, operators and
// network form.
//
// The base declares no virtual functions of its own: the slots stay those of
// CMC_Variable. Its members are instantiated for the four types in CMC_ValueBase.cpp.
#pragma once

#include "script/CMC_Variable.h"

template <class Derived, class V, int TypeId>
class CMC_ValueBase : public CMC_Variable {
public:
    // The types take these constructors over (`using Base::Base`).
    explicit CMC_ValueBase(CXString name) : CMC_Variable(name, TypeId) {}
    // The pool's form.
    CMC_ValueBase(CXString name, int poolIndex) : CMC_Variable(name, TypeId, poolIndex) {}
    // VALUE, and DEFAULT where the definition gives one (else the value).
    CMC_ValueBase(CMC_ObjectsContainer* container, CMElement* element);

    using CMC_Variable::compare;
    using CMC_Variable::equals;
    // A new value of the same name holding this value, marked as a clone.
    CXObject* clone() override;
    using CMC_Object::clone;
    // The variable's part, then value and default.
    void serialize(CXArchive* archive) override;

    void set(CMC_Variable* other) override;
    void clear() override;
    // Callers pass values of this type; anything else is read through its conversion.
    // This value becomes b's when it equals a's, else a's.
    void swap(CMC_Variable* a, CMC_Variable* b) override;
    bool equals(CMC_Variable* other) override;
    CMC_Variable* convert(int type) override;
    // Derived::combine(left, right, op) over the operand's form of this type; an
    // operand without one keeps the left value.
    CMC_Variable* calculate(CMC_Variable* other, int op) override;
    void setDefault(CMC_Variable* other) override;
    void resetINI() override;
    void store(CXArchive* archive) override;
    void restore(CXArchive* archive) override;

    V getValue() const { return m_value; }
    // Assigns; the change step runs with false (for a STRING: with whether the text
    // changed).
    void setValue(V value);
    // Assigns as set does: the change step runs with whether the value changed.
    void assign(V value);
    V getDefault() const { return m_default; }

protected:
    // Reads the other value as this type: its own value when it is one, else its
    // conversion's, which goes back to its pool after reading. False when there is
    // nothing to read.
    static bool take(CMC_Variable* other, V* out);

    V m_value{};
    V m_default{};
};
