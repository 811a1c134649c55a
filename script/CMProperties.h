// The properties of one definition element in the order they were read. The
// list owns its properties: destroying it, or removing one, deletes them.
// Duplicate keys are allowed; look-ups return the first match.
#pragma once
#include <cstdint>

#include "foundation/CXString.h"
#include "foundation/CXVector.h"
#include "script/CMProperty.h"

class CMProperties : public CXVector {
public:
    CMProperties();
    ~CMProperties() override;
    CMProperties(const CMProperties&) = delete;
    CMProperties& operator=(const CMProperties&) = delete;

    // The first property whose name equals key exactly, or null.
    CMProperty* get(const CXString& key) const;
    bool contains(const CXString& key) const { return get(key) != nullptr; }
    // The property at i (0..count-1), else null.
    CMProperty* getAt(int i) const;

    // Takes the property out and deletes it; a pointer that is not in the
    // list is left alone.
    void remove(void* p) override;
    void remove(CXObject* p) { remove(static_cast<void*>(p)); }
};
