// The objects registered on a canvas (or composed into a graphics object), in ascending
// drawing priority; equal priorities keep their order of arrival.
#pragma once
#include <cstdint>

#include "foundation/CSortedVector.h"

class CGraphicsObject;

class CValidationElement : public CXObject {
public:
    CValidationElement(CGraphicsObject* object, int priority) : m_object(object), m_priority(priority) {}

    // 1 when the other element's priority is lower than this one's, else 0.
    int compare(CXObject* other) override;

    CGraphicsObject* getObject() const { return m_object; }
    int getPriority() const { return m_priority; }
    bool isDrawn() const { return m_drawn; }
    void setDrawn(bool drawn) { m_drawn = drawn; }
    int getFlags() const { return m_flags; }
    void setFlags(int flags) { m_flags = flags; }
    bool isValid() const { return m_valid; }

private:
    bool m_valid = true;
    bool m_drawn = false;
    CGraphicsObject* m_object;  // not owned
    int32_t m_priority;
    int32_t m_flags = 0;
};

class CValidationQuene : public CSortedVector {
public:
    CValidationQuene();
    ~CValidationQuene() override;
    CValidationQuene(const CValidationQuene&) = delete;
    CValidationQuene& operator=(const CValidationQuene&) = delete;

    // A new element for the object, placed after every element of equal or lower priority.
    // The third argument is not used.
    void add(CGraphicsObject* object, int priority, int unused = 0);
    using CSortedVector::add;

    CValidationElement* find(CGraphicsObject* object);
    int getIndex(CGraphicsObject* object);
    using CSortedVector::find;

    // Walk with a cursor (-1 at creation): first() goes to 0; next() and prev() step and
    // answer null outside the list.
    CValidationElement* first();
    CValidationElement* next();
    CValidationElement* prev();

    CValidationElement* elementAt(int i) const {
        return i >= 0 && i < m_count ? static_cast<CValidationElement*>(at(i)) : nullptr;
    }

    void clearMarks();
    // Removes and deletes the object's first element; nothing when absent.
    void remove(CGraphicsObject* object);
    using CSortedVector::remove;
    // Deletes every element and empties the vector.
    void removeAll() override;

private:
    int32_t m_cursor = -1;
};
