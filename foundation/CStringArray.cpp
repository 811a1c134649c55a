#include "foundation/CStringArray.h"

#include "foundation/CXArray.h"

CStringArray::CStringArray(bool unique)
    : m_strings(new CXArray(CXArray::kDefaultCapacity, CXArray::kDefaultLoadFactor)), m_unique(unique) {}

CStringArray::~CStringArray() {
    removeAll();
    delete m_strings;
}

void CStringArray::add(CXString s) {
    if (m_unique && contains(s)) return;
    m_strings->add(new CXString(s));
}

void CStringArray::remove(CXString s) {
    // Walk from the end so that removal does not skip the following string.
    for (int i = m_strings->getCount() - 1; i >= 0; --i) {
        CXString* item = m_strings->stringAt(i);
        if (item && item->equals(s)) {
            m_strings->removeAt(i);
            delete item;
        }
    }
}

void CStringArray::removeAll() {
    for (int i = 0; i < m_strings->getCount(); ++i) delete m_strings->stringAt(i);
    m_strings->removeAll();
}

bool CStringArray::contains(CXString s) { return m_strings->containsString(s); }

int CStringArray::getSize() { return m_strings->getCount(); }

CXString* CStringArray::at(int i) { return m_strings->stringAt(i); }
