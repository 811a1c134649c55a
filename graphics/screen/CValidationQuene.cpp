#include "graphics/screen/CValidationQuene.h"

int CValidationElement::compare(CXObject* other) {
    auto* e = dynamic_cast<CValidationElement*>(other);
    return e && e->m_priority < m_priority ? 1 : 0;
}

CValidationQuene::CValidationQuene() : CSortedVector(kDefaultCapacity) {}

CValidationQuene::~CValidationQuene() { removeAll(); }

void CValidationQuene::add(CGraphicsObject* object, int priority, int) {
    CSortedVector::add(static_cast<CXObject*>(new CValidationElement(object, priority)));
}

int CValidationQuene::getIndex(CGraphicsObject* object) {
    for (int i = 0; i < m_count; ++i)
        if (elementAt(i)->getObject() == object) return i;
    return -1;
}

CValidationElement* CValidationQuene::find(CGraphicsObject* object) { return elementAt(getIndex(object)); }

CValidationElement* CValidationQuene::first() {
    m_cursor = 0;
    return elementAt(0);
}

CValidationElement* CValidationQuene::next() {
    ++m_cursor;
    return elementAt(m_cursor);
}

CValidationElement* CValidationQuene::prev() {
    --m_cursor;
    return elementAt(m_cursor);
}

void CValidationQuene::clearMarks() {
    for (int i = 0; i < m_count; ++i) elementAt(i)->setDrawn(false);
}

void CValidationQuene::remove(CGraphicsObject* object) {
    const int i = getIndex(object);
    if (i < 0) return;
    CValidationElement* e = elementAt(i);
    removeAt(i);
    delete e;
}

void CValidationQuene::removeAll() {
    for (int i = 0; i < m_count; ++i) delete elementAt(i);
    CSortedVector::removeAll();
}
