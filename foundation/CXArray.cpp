#include "foundation/CXArray.h"

#include <cmath>
#include <new>

namespace {
int32_t sanitizeCapacity(int capacity) {
    if (capacity < 1) return 1;
    if (capacity > CXArray::kMaxCapacity) return CXArray::kMaxCapacity;
    return capacity;
}

float sanitizeLoadFactor(float loadFactor) {
    return (loadFactor > 0.0f && std::isfinite(loadFactor)) ? loadFactor : CXArray::kDefaultLoadFactor;
}
}  // namespace

CXArray::CXArray() : CXArray(kDefaultCapacity, kDefaultLoadFactor) {}

CXArray::CXArray(int capacity, float loadFactor)
    : m_loadFactor(sanitizeLoadFactor(loadFactor)),
      m_data(nullptr),
      m_capacity(sanitizeCapacity(capacity)),
      m_count(0) {
    m_data = new void*[m_capacity]();
}

CXArray::~CXArray() { delete[] m_data; }

bool CXArray::doubleSize() {
    if (m_capacity > kMaxCapacity / 2) return false;
    const int32_t newCapacity = m_capacity * 2;
    void** slots = new (std::nothrow) void*[newCapacity]();
    if (!slots) return false;
    for (int32_t i = 0; i < m_capacity; ++i) slots[i] = m_data[i];
    delete[] m_data;
    m_data = slots;
    m_capacity = newCapacity;
    return true;
}

bool CXArray::exceedsLoad(int32_t count) const {
    return static_cast<double>(count) > static_cast<double>(m_capacity) * static_cast<double>(m_loadFactor);
}

bool CXArray::makeRoomForOne() {
    while (m_count >= m_capacity) {
        if (!doubleSize()) return false;
    }
    return true;
}

void CXArray::shiftUpAndStore(int i, void* p) {
    for (int32_t k = m_count; k > i; --k) m_data[k] = m_data[k - 1];
    m_data[i] = p;
    ++m_count;
}

void CXArray::copyStateFrom(const CXArray& source) {
    void** slots = new void*[source.m_capacity]();
    for (int32_t i = 0; i < source.m_capacity; ++i) slots[i] = source.m_data[i];
    delete[] m_data;
    m_data = slots;
    m_capacity = source.m_capacity;
    m_count = source.m_count;
    m_loadFactor = source.m_loadFactor;
}

CXObject* CXArray::clone() {
    auto* copy = new CXArray(m_capacity, m_loadFactor);
    copy->copyStateFrom(*this);
    return copy;
}

void CXArray::add(void* p) {
    if (!makeRoomForOne()) return;
    m_data[m_count++] = p;
    if (exceedsLoad(m_count)) doubleSize();
}

void CXArray::add(CXArray* other) {
    if (!other) return;
    const int32_t n = other->m_count;
    const int64_t needed = static_cast<int64_t>(m_count) + n;
    if (needed > kMaxCapacity) return;
    while (exceedsLoad(static_cast<int32_t>(needed)) || needed > m_capacity) {
        if (!doubleSize()) break;
    }
    if (needed > m_capacity) return;
    // Read other's slots only now: other may be this array, whose storage may have moved.
    for (int32_t k = 0; k < n; ++k) m_data[m_count + k] = other->m_data[k];
    m_count += n;
}

bool CXArray::replace(void* oldP, void* p) {
    for (int32_t i = 0; i < m_count; ++i) {
        if (m_data[i] == oldP) {
            m_data[i] = p;
            return true;
        }
    }
    return false;
}

void* CXArray::setAt(int i, void* p) {
    if (i < 0 || i >= kMaxCapacity) return nullptr;
    while (static_cast<double>(i) >= static_cast<double>(m_capacity) * static_cast<double>(m_loadFactor)) {
        if (!doubleSize()) break;
    }
    if (i >= m_capacity) return nullptr;
    void* previous = m_data[i];
    m_data[i] = p;
    return previous;
}

void CXArray::insertAt(int i, void* p) {
    if (i < 0) return;
    if (i > m_count) i = m_count;
    if (!makeRoomForOne()) return;
    shiftUpAndStore(i, p);
    if (exceedsLoad(m_count)) doubleSize();
}

void CXArray::remove(void* p) {
    const int i = find(p);
    if (i != -1) removeAt(i);
}

void CXArray::removeAt(int i) {
    if (i < 0 || i >= m_count) return;
    for (int32_t k = i; k < m_count - 1; ++k) m_data[k] = m_data[k + 1];
    --m_count;
    m_data[m_count] = nullptr;
}

int CXArray::find(void* p) {
    for (int32_t i = 0; i < m_count; ++i) {
        if (m_data[i] == p) return i;
    }
    return -1;
}

bool CXArray::contains(void* p) { return find(p) != -1; }

bool CXArray::containsString(CXString s) {
    for (int32_t i = 0; i < m_count; ++i) {
        auto* text = static_cast<CXString*>(m_data[i]);
        if (text && s.equalsIgnoreCase(*text)) return true;
    }
    return false;
}

void CXArray::removeAll() { m_count = 0; }

CXString* CXArray::stringAt(int i) {
    if (i < 0 || i >= m_count) return nullptr;
    return static_cast<CXString*>(m_data[i]);
}

void* CXArray::operator[](int i) { return at(i); }
