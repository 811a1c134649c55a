#include "script/CMElements.h"

#include "script/CMElement.h"

CMElements::CMElements(bool owning) : CXVector(101, 0.75f), m_owning(owning) {}

CMElements::~CMElements() {
    if (m_owning) release();
    removeAll();
}

CMElement* CMElements::get(const CXString& name) const {
    for (int i = 0; i < getCount(); ++i) {
        CMElement* element = getAt(i);
        if (element && element->getName().equals(name)) return element;
    }
    return nullptr;
}

CMElement* CMElements::getAt(int i) const {
    if (i < 0 || i >= getCount()) return nullptr;
    return static_cast<CMElement*>(at(i));
}

void CMElements::remove(void* p) {
    if (!p || find(p) == -1) return;
    CXVector::remove(p);
    delete static_cast<CMElement*>(static_cast<CXObject*>(p));
}

void CMElements::release() {
    for (int i = 0; i < getCount(); ++i) delete getAt(i);
    removeAll();
}
