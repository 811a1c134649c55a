// A vector kept in the order of its elements' compare: a new element goes before the
// first element e for which e->compare(new) is 1 or more, so equal elements keep their
// order of insertion.
#pragma once

#include "foundation/CXVector.h"

class CSortedVector : public CXVector {
public:
    explicit CSortedVector(int capacity = kDefaultCapacity);

    CXObject* clone() override;

    // Sorted insertion (the element is a CXObject*). A null element goes to the end.
    void add(void* p) override;
    // Adds other's elements one by one, each in its sorted place.
    void add(CXArray* other) override;
    using CXVector::add;

    // A new sorted vector (capacity = count) filled from this one's last element to its
    // first; elements that compare equal come out in reverse order. The caller owns it.
    CSortedVector* reverse();
};
