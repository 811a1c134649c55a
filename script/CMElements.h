// A list of definition elements. The reader's list owns its elements; an
// element's children list does not (the children belong to the reader's
// list). remove deletes the removed element in either kind of list.
#pragma once
#include <cstdint>

#include "foundation/CXString.h"
#include "foundation/CXVector.h"

class CMElement;

class CMElements : public CXVector {
public:
    explicit CMElements(bool owning);
    ~CMElements() override;
    CMElements(const CMElements&) = delete;
    CMElements& operator=(const CMElements&) = delete;

    bool isOwning() const { return m_owning; }

    // The first element whose name equals name exactly, or null.
    CMElement* get(const CXString& name) const;
    bool contains(const CXString& name) const { return get(name) != nullptr; }
    // The element at i; null outside 0..count-1.
    CMElement* getAt(int i) const;

    // Takes the element out and deletes it, owning list or not; a pointer that
    // is not in the list is left alone.
    void remove(void* p) override;
    void remove(CXObject* p) { remove(static_cast<void*>(p)); }

protected:
    // Deletes every element and empties the list.
    void release();

private:
    bool m_owning;
};
