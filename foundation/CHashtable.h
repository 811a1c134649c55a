// Hash table of CXObject keys and values, bucketed by the keys' getHashcode and matched
// with equals. A bucket holds one key and value, or (after a collision) two index-aligned
// vectors of keys and values. The table keeps every value in insertion order as well.
// Values are never deleted; keys are deleted only by a table that owns them.
#pragma once
#include <cstdint>

#include "foundation/CXObject.h"
#include "foundation/CXVector.h"

class CHashtable : public CXObject {
public:
    // A capacity below 1 is taken as 1 and a load factor that is not positive as 0.75.
    // deleteCollidedKeys: the table owns its keys and deletes them in remove and clear.
    CHashtable(int capacity, double loadFactor, bool deleteCollidedKeys);
    ~CHashtable() override;
    CHashtable(const CHashtable&) = delete;
    CHashtable& operator=(const CHashtable&) = delete;

    // Adds the entry; an equal key already present stays, and get keeps finding the
    // earlier entry. Before inserting, the table doubles (and rehashes) while capacity ×
    // load factor is below count + 1. A null key is ignored.
    void put(CXObject* key, CXObject* value);
    // The value of the first entry whose key has the key's hash and which key->equals.
    CXObject* get(CXObject* key);
    // Removes the first entry (in bucket order) holding this very value object.
    void remove(CXObject* value);
    // Whether this very value object is in the table.
    bool contains(CXObject* value);
    // A new vector of all keys in bucket order (the caller owns the vector, not the
    // keys); null when the table is empty.
    CXVector* getKeys();
    int getSize() const { return m_count; }
    // Empties the table; deletes the keys when the table owns them, never the values.
    void clear();
    // A table of the same capacity and load factor with the same entries (key and value
    // pointers) in the same buckets and insertion order. It shares the keys, so it does
    // not own them.
    CXObject* clone() override;

    // The values in insertion order (the table's own list).
    const CXVector* getElements() const { return m_insertionList; }
    const CXVector* getValues() const { return m_insertionList; }
    int32_t getCapacity() const { return m_capacity; }
    double getLoadFactor() const { return m_loadFactor; }
    bool ownsKeys() const { return m_deleteCollidedKeys; }

private:
    // Bucket of a hash: the non-negative remainder.
    int32_t bucketOf(int32_t hash) const;
    // Stores an entry in its bucket; count and insertion list are the caller's.
    void insertEntry(CXObject* key, CXObject* value, int32_t hash);
    // Doubles the buckets and rehashes in bucket order; false when it cannot grow.
    bool grow();
    void allocateBuckets(int32_t capacity);
    void freeBuckets();

    int32_t m_capacity;
    int32_t m_count;
    double m_loadFactor;
    CXObject** m_values;
    CXObject** m_keys;
    uint8_t* m_collided;
    bool m_deleteCollidedKeys;
    CXVector* m_insertionList;
};
