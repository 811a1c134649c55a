// The script's STRUCT (type id 3002): a record of typed fields (INTEGER, STRING, BOOL,
// DOUBLE), each a value object named STRUCTNAME_FIELD and found by the part of its name
// after the last "_". A definition element declares the fields in "FIELDS" as
// NAME<TYPE> items separated by ",". The record's text form is the fields' texts joined
// by "|".
//
// A STRUCT owns its fields unless it was mapped onto another STRUCT (map), in which case
// it shows that STRUCT's field objects themselves and never deletes them. Fields are not
// registered in any container.
#pragma once
#include <cstdint>

#include "foundation/CXString.h"
#include "script/CMC_Variable.h"

class CXVector;

class CMC_Structure : public CMC_Variable {
public:
    static constexpr int kType = 3002;

    // No fields, not mapped, not pooled.
    explicit CMC_Structure(CXString name);
    // The variable part from the element, then the fields of its "FIELDS" property.
    CMC_Structure(CMC_ObjectsContainer* container, CMElement* element);
    // Deletes the fields unless mapped.
    ~CMC_Structure() override;

    // A new STRUCT of the same name with the same field declarations and values.
    CXObject* clone() override;
    using CMC_Object::clone;
    // The fields' texts joined by "|".
    CXString toString() override;
    // Deletes the fields unless mapped, then empties the list.
    void flush() override;
    using CMC_Variable::flush;
    // "ONINIT", "ONDONE", "ONSIGNAL".
    CXString** getBehavioursList() override;

    using CMC_Variable::compare;
    using CMC_Variable::equals;
    // Field i from field i of another STRUCT, for the fields both have.
    void set(CMC_Variable* other) override;
    void clear() override;
    void swap(CMC_Variable* a, CMC_Variable* b) override;
    void inc() override;
    void dec() override;
    bool equals(CMC_Variable* other) override;
    int compare(CMC_Variable* other) override;
    // No conversion: null for every type.
    CMC_Variable* convert(int type) override;
    // This STRUCT itself, unchanged.
    CMC_Variable* calculate(CMC_Variable* other, int op) override;
    void setDefault(CMC_Variable* other) override;
    void resetINI() override;
    int getBufferLen() override;
    void netstore(void* buffer) override;
    void netrestore(void* buffer) override;
    // Each field's tagged form in order; nothing of the STRUCT itself.
    void store(CXArchive* archive) override;
    // Each field's bare value in order.
    void restore(CXArchive* archive) override;
    // Tokens split at "|" and line feeds (empty ones vanish) set the fields in order.
    void fromString(CXString text) override;

    // Appends a new field of the type word (BOOL, DOUBLE, INTEGER, STRING, any case)
    // under the full name; any other word declares nothing.
    virtual void declare(CXString name, CXString type);
    // Shows the other STRUCT's field objects (shared): own fields are deleted first.
    virtual void map(CMC_Structure* other);

    int getFieldCount() const;
    // Field i, null outside 0..count-1.
    CMC_Variable* getField(int i) const;
    // The first field whose short name (after the last "_") equals `name` exactly.
    CMC_Variable* getField(const CXString& name) const;
    void setField(int i, CMC_Variable* value);
    void setField(const CXString& name, CMC_Variable* value);
    bool isMapped() const { return m_mapped; }

    // The part of a field's full name after its last "_" (all of it without one).
    static CXString shortName(const CXString& fullName);

private:
    void declareFields(const CXString& fields);

    CXVector* m_fields;
    bool m_mapped = false;
};
