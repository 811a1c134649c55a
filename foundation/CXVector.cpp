#include "foundation/CXVector.h"

#include <new>

CXVector::CXVector() : CXArray() {}

CXVector::CXVector(int capacity, float loadFactor) : CXArray(capacity, loadFactor) {}

CXVector::~CXVector() { m_count = 0; }

bool CXVector::doubleSize() {
    if (m_capacity > kMaxCapacity / 2) return false;
    const int32_t newCapacity = m_capacity * 2;
    void** slots = new (std::nothrow) void*[newCapacity]();
    if (!slots) return false;
    for (int32_t i = 0; i < m_count; ++i) slots[i] = m_data[i];
    delete[] m_data;
    m_data = slots;
    m_capacity = newCapacity;
    return true;
}

CXObject* CXVector::clone() {
    auto* copy = new CXVector(m_capacity, m_loadFactor);
    copy->copyStateFrom(*this);
    return copy;
}

void* CXVector::setAt(int i, void* p) {
    if (i < 0 || i >= m_count) return nullptr;
    void* previous = m_data[i];
    m_data[i] = p;
    return previous;
}

void CXVector::copyInto(CXVector* target) {
    if (!target || target == this) return;
    while (target->m_capacity < m_count || target->exceedsLoad(m_count)) {
        if (!target->doubleSize()) break;
    }
    if (target->m_capacity < m_count) return;
    for (int32_t i = 0; i < m_count; ++i) target->m_data[i] = m_data[i];
    target->m_count = m_count;
}
