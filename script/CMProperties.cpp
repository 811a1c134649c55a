#include "script/CMProperties.h"

CMProperties::CMProperties() : CXVector(101, 0.75f) {}

CMProperties::~CMProperties() {
    for (int i = 0; i < getCount(); ++i) delete getAt(i);
    removeAll();
}

CMProperty* CMProperties::get(const CXString& key) const {
    for (int i = 0; i < getCount(); ++i) {
        CMProperty* property = getAt(i);
        if (property && property->getName().equals(key)) return property;
    }
    return nullptr;
}

CMProperty* CMProperties::getAt(int i) const {
    if (i < 0 || i >= getCount()) return nullptr;
    return static_cast<CMProperty*>(at(i));
}

void CMProperties::remove(void* p) {
    if (!p || find(p) == -1) return;
    CXVector::remove(p);
    delete static_cast<CMProperty*>(static_cast<CXObject*>(p));
}
