// Growable array of plain pointers. The container never owns its elements: destroying
// it frees the slots only. It doubles when the count exceeds capacity × load factor, so
// with a load factor below 1 it is never full.
#pragma once
#include <cstdint>

#include "foundation/CXObject.h"
#include "foundation/CXString.h"

class CXArray : public CXObject {
protected:
    // Doubles the capacity; false when the storage cannot grow any further.
    virtual bool doubleSize();

public:
    static constexpr int32_t kDefaultCapacity = 101;
    static constexpr float kDefaultLoadFactor = 0.75f;
    // No engine container comes near this; it keeps a wild index from asking for gigabytes.
    static constexpr int32_t kMaxCapacity = 1 << 27;

    CXArray();
    // A capacity below 1 is taken as 1; a load factor that is not positive as 0.75.
    CXArray(int capacity, float loadFactor);
    ~CXArray() override;
    CXArray(const CXArray&) = delete;
    CXArray& operator=(const CXArray&) = delete;

    // A new container of the same class, capacity and load factor with the same pointers.
    CXObject* clone() override;

    virtual void add(void* p);
    // Appends all of other's elements in order (other may be this very array).
    virtual void add(CXArray* other);
    // The first slot holding oldP gets p; true when found.
    virtual bool replace(void* oldP, void* p);
    // Stores p at i (inside the capacity, growing as needed; the count does not change)
    // and returns the previous pointer; null for a negative i.
    virtual void* setAt(int i, void* p);
    // Inserts p before position i; positions past the end are taken as the end, and a
    // negative position inserts nothing.
    virtual void insertAt(int i, void* p);
    virtual void remove(void* p);
    virtual void removeAt(int i);
    virtual int find(void* p);
    virtual bool contains(void* p);
    // Whether some element, read as a CXString, equals s ignoring case.
    virtual bool containsString(CXString s);
    // Count 0; the slots keep their contents.
    virtual void removeAll();
    // The element as a string, or null for i outside 0..count-1.
    virtual CXString* stringAt(int i);
    // The pointer in slot i (past the count too); null outside the slots.
    virtual void* operator[](int i);

    int32_t getCount() const { return m_count; }
    int32_t getCapacity() const { return m_capacity; }
    float getLoadFactor() const { return m_loadFactor; }
    bool isEmpty() const { return m_count == 0; }
    // Read access without the virtual call; null outside the slots.
    void* at(int i) const { return (i >= 0 && i < m_capacity) ? m_data[i] : nullptr; }

protected:
    // Replaces this container's slots, count and load factor with a copy of source's.
    void copyStateFrom(const CXArray& source);
    // Grows until slot m_count exists; false when that is impossible.
    bool makeRoomForOne();
    // The growth test after an element has been stored.
    bool exceedsLoad(int32_t count) const;
    // Moves slots [i, count) one place up and stores p at i; the caller has made room.
    void shiftUpAndStore(int i, void* p);

    float m_loadFactor;
    void** m_data;
    int32_t m_capacity;
    int32_t m_count;
};
