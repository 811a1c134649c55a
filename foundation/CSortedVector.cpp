#include "foundation/CSortedVector.h"

CSortedVector::CSortedVector(int capacity) : CXVector(capacity, kDefaultLoadFactor) {}

CXObject* CSortedVector::clone() {
    auto* copy = new CSortedVector(m_capacity);
    copy->copyStateFrom(*this);
    return copy;
}

void CSortedVector::add(void* p) {
    auto* object = static_cast<CXObject*>(p);
    if (object) {
        for (int32_t i = 0; i < m_count; ++i) {
            auto* element = static_cast<CXObject*>(m_data[i]);
            if (element && element->compare(object) >= 1) {
                insertAt(i, p);
                return;
            }
        }
    }
    CXVector::add(p);
}

void CSortedVector::add(CXArray* other) {
    if (!other) return;
    // A snapshot: other may be this very vector.
    const int32_t n = other->getCount();
    void** items = new void*[n > 0 ? n : 1];
    for (int32_t i = 0; i < n; ++i) items[i] = other->at(i);
    for (int32_t i = 0; i < n; ++i) add(items[i]);
    delete[] items;
}

CSortedVector* CSortedVector::reverse() {
    auto* result = new CSortedVector(m_count);
    for (int32_t i = m_count - 1; i >= 0; --i) result->add(m_data[i]);
    return result;
}
