// Growable vector of CXObject pointers. Elements are stored as CXObject* (so look-ups
// through the CXObject* overloads are right for classes with several bases); the vector
// never owns them.
#pragma once
#include <cstdint>

#include "foundation/CXArray.h"

class CXVector : public CXArray {
protected:
    // Doubles the capacity, copying only the elements in use.
    bool doubleSize() override;

public:
    CXVector();
    CXVector(int capacity, float loadFactor);
    ~CXVector() override;

    CXObject* clone() override;

    using CXArray::add;
    void add(CXObject* p) { add(static_cast<void*>(p)); }

    using CXArray::replace;
    bool replace(CXObject* oldP, CXObject* p) { return replace(static_cast<void*>(oldP), static_cast<void*>(p)); }

    // Replaces the element at i (0..count-1) and returns the previous one; null otherwise.
    void* setAt(int i, void* p) override;
    CXObject* setAt(int i, CXObject* p) { return static_cast<CXObject*>(setAt(i, static_cast<void*>(p))); }

    using CXArray::insertAt;
    void insertAt(int i, CXObject* p) { insertAt(i, static_cast<void*>(p)); }

    using CXArray::remove;
    void remove(CXObject* p) { remove(static_cast<void*>(p)); }

    using CXArray::find;
    int find(CXObject* p) { return find(static_cast<void*>(p)); }

    using CXArray::contains;
    bool contains(CXObject* p) { return contains(static_cast<void*>(p)); }

    // The element at i; null outside the slots.
    CXObject* at(int i) const { return static_cast<CXObject*>(CXArray::at(i)); }

    // Copies this vector's elements into target (grown as needed) and sets its count.
    virtual void copyInto(CXVector* target);

private:
    // A vector holds objects, not strings.
    using CXArray::containsString;
    using CXArray::stringAt;
};
