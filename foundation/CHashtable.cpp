#include "foundation/CHashtable.h"

#include <cmath>
#include <new>

#include "foundation/CXArray.h"

namespace {
CXVector* newList() { return new CXVector(CXArray::kDefaultCapacity, CXArray::kDefaultLoadFactor); }

CXVector* asList(CXObject* bucketEntry) { return static_cast<CXVector*>(bucketEntry); }
}  // namespace

CHashtable::CHashtable(int capacity, double loadFactor, bool deleteCollidedKeys)
    : m_capacity(0),
      m_count(0),
      m_loadFactor((loadFactor > 0.0 && std::isfinite(loadFactor)) ? loadFactor : 0.75),
      m_values(nullptr),
      m_keys(nullptr),
      m_collided(nullptr),
      m_deleteCollidedKeys(deleteCollidedKeys),
      m_insertionList(newList()) {
    if (capacity < 1) capacity = 1;
    if (capacity > CXArray::kMaxCapacity) capacity = CXArray::kMaxCapacity;
    allocateBuckets(capacity);
}

CHashtable::~CHashtable() {
    clear();
    freeBuckets();
    delete m_insertionList;
}

void CHashtable::allocateBuckets(int32_t capacity) {
    m_capacity = capacity;
    m_values = new CXObject*[capacity]();
    m_keys = new CXObject*[capacity]();
    m_collided = new uint8_t[capacity]();
}

void CHashtable::freeBuckets() {
    delete[] m_values;
    delete[] m_keys;
    delete[] m_collided;
    m_values = m_keys = nullptr;
    m_collided = nullptr;
}

int32_t CHashtable::bucketOf(int32_t hash) const {
    int32_t b = hash % m_capacity;
    return b < 0 ? b + m_capacity : b;
}

void CHashtable::insertEntry(CXObject* key, CXObject* value, int32_t hash) {
    const int32_t b = bucketOf(hash);
    if (m_collided[b]) {
        asList(m_keys[b])->add(key);
        asList(m_values[b])->add(value);
    } else if (!m_keys[b]) {
        m_keys[b] = key;
        m_values[b] = value;
    } else {
        CXVector* keys = newList();
        CXVector* values = newList();
        keys->add(m_keys[b]);
        values->add(m_values[b]);
        keys->add(key);
        values->add(value);
        m_keys[b] = keys;
        m_values[b] = values;
        m_collided[b] = 1;
    }
}

bool CHashtable::grow() {
    if (m_capacity > CXArray::kMaxCapacity / 2) return false;
    CXObject** oldValues = m_values;
    CXObject** oldKeys = m_keys;
    uint8_t* oldCollided = m_collided;
    const int32_t oldCapacity = m_capacity;
    allocateBuckets(oldCapacity * 2);
    // Rehash in old bucket order (list order inside a collision bucket), so entries with
    // equal keys keep their order. The insertion list is left as it is.
    for (int32_t b = 0; b < oldCapacity; ++b) {
        if (oldCollided[b]) {
            CXVector* keys = asList(oldKeys[b]);
            CXVector* values = asList(oldValues[b]);
            for (int32_t i = 0; i < keys->getCount(); ++i) {
                CXObject* key = keys->at(i);
                insertEntry(key, values->at(i), key->getHashcode());
            }
            delete keys;
            delete values;
        } else if (oldKeys[b]) {
            insertEntry(oldKeys[b], oldValues[b], oldKeys[b]->getHashcode());
        }
    }
    delete[] oldValues;
    delete[] oldKeys;
    delete[] oldCollided;
    return true;
}

void CHashtable::put(CXObject* key, CXObject* value) {
    if (!key) return;
    const int32_t hash = key->getHashcode();
    while (static_cast<double>(m_capacity) * m_loadFactor < static_cast<double>(m_count) + 1.0) {
        if (!grow()) break;
    }
    insertEntry(key, value, hash);
    ++m_count;
    m_insertionList->add(value);
}

CXObject* CHashtable::get(CXObject* key) {
    if (!key) return nullptr;
    const int32_t hash = key->getHashcode();
    const int32_t b = bucketOf(hash);
    if (m_collided[b]) {
        CXVector* keys = asList(m_keys[b]);
        for (int32_t i = 0; i < keys->getCount(); ++i) {
            CXObject* stored = keys->at(i);
            if (stored && stored->getHashcode() == hash && key->equals(stored)) return asList(m_values[b])->at(i);
        }
        return nullptr;
    }
    CXObject* stored = m_keys[b];
    if (stored && stored->getHashcode() == hash && key->equals(stored)) return m_values[b];
    return nullptr;
}

void CHashtable::remove(CXObject* value) {
    for (int32_t b = 0; b < m_capacity; ++b) {
        CXObject* key = nullptr;
        if (m_collided[b]) {
            CXVector* keys = asList(m_keys[b]);
            CXVector* values = asList(m_values[b]);
            const int i = values->find(value);
            if (i == -1) continue;
            key = keys->at(i);
            keys->removeAt(i);
            values->removeAt(i);
            if (values->getCount() == 0) {
                delete keys;
                delete values;
                m_keys[b] = m_values[b] = nullptr;
                m_collided[b] = 0;
            }
        } else if (m_keys[b] && m_values[b] == value) {
            key = m_keys[b];
            m_keys[b] = m_values[b] = nullptr;
        } else {
            continue;
        }
        m_insertionList->remove(value);
        --m_count;
        if (m_deleteCollidedKeys) delete key;
        return;
    }
}

bool CHashtable::contains(CXObject* value) { return m_insertionList->contains(value); }

CXVector* CHashtable::getKeys() {
    if (m_count == 0) return nullptr;
    auto* result = new CXVector(m_count, CXArray::kDefaultLoadFactor);
    for (int32_t b = 0; b < m_capacity; ++b) {
        if (m_collided[b]) {
            result->add(static_cast<CXArray*>(asList(m_keys[b])));
        } else if (m_keys[b]) {
            result->add(m_keys[b]);
        }
    }
    return result;
}

void CHashtable::clear() {
    for (int32_t b = 0; b < m_capacity; ++b) {
        if (m_collided[b]) {
            CXVector* keys = asList(m_keys[b]);
            if (m_deleteCollidedKeys) {
                for (int32_t i = 0; i < keys->getCount(); ++i) delete keys->at(i);
            }
            delete keys;
            delete asList(m_values[b]);
            m_collided[b] = 0;
        } else if (m_keys[b] && m_deleteCollidedKeys) {
            delete m_keys[b];
        }
        m_keys[b] = m_values[b] = nullptr;
    }
    m_insertionList->removeAll();
    m_count = 0;
}

CXObject* CHashtable::clone() {
    auto* copy = new CHashtable(m_capacity, m_loadFactor, false);
    for (int32_t b = 0; b < m_capacity; ++b) {
        if (m_collided[b]) {
            CXVector* keys = newList();
            CXVector* values = newList();
            keys->add(static_cast<CXArray*>(asList(m_keys[b])));
            values->add(static_cast<CXArray*>(asList(m_values[b])));
            copy->m_keys[b] = keys;
            copy->m_values[b] = values;
            copy->m_collided[b] = 1;
        } else {
            copy->m_keys[b] = m_keys[b];
            copy->m_values[b] = m_values[b];
        }
    }
    copy->m_count = m_count;
    copy->m_insertionList->add(static_cast<CXArray*>(m_insertionList));
    return copy;
}
