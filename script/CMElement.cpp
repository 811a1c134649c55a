#include "script/CMElement.h"

#include "foundation/CXArray.h"

CMElement::CMElement(const CXString& name)
    : m_name(name), m_properties(new CMProperties()), m_children(new CMElements(false)) {}

CMElement::~CMElement() {
    delete m_properties;
    delete m_children;
}

void CMElement::addChild(CMElement* child) { m_children->add(child); }

void CMElement::addProperty(const CXString& key) {
    if (!m_properties->contains(key)) m_properties->add(new CMProperty(key));
}

void CMElement::addProperty(const CXString& key, const CXString& value) {
    m_properties->add(new CMProperty(key, value));
}

void CMElement::setProperty(const CXString& key, const CXString& value) {
    if (CMProperty* property = m_properties->get(key)) property->setValue(value);
}

void CMElement::removeProperty(const CXString& key) {
    if (CMProperty* property = m_properties->get(key)) m_properties->remove(property);
}

void CMElement::removeAll() {
    while (m_properties->getCount() > 0) m_properties->remove(m_properties->getAt(0));
}

bool CMElement::isPropertyAvailable(const CXString& key) const { return m_properties->contains(key); }

bool CMElement::hasProperty(const CXString& key) const {
    CXString upper = key;
    upper.Upper();
    return isPropertyAvailable(upper);
}

CXString CMElement::getPropertyValue(const CXString& key) const {
    CMProperty* property = m_properties->get(key);
    return property ? property->getValue() : CXString();
}

int32_t CMElement::getPropertyIntValue(const CXString& key) const {
    CMProperty* property = m_properties->get(key);
    return property ? property->getIntValue() : 0;
}

bool CMElement::getPropertyBoolValue(const CXString& key) const {
    CMProperty* property = m_properties->get(key);
    return property ? property->getBoolValue() : false;
}

double CMElement::getPropertyDoubleValue(const CXString& key) const {
    CMProperty* property = m_properties->get(key);
    return property ? property->getDoubleValue() : 0.0;
}

CXArray* CMElement::getPropertyListValue(const CXString& key) const {
    CMProperty* property = m_properties->get(key);
    return property ? property->getListValue() : nullptr;
}

CXPoint CMElement::getPropertyPointValue(const CXString& key) const {
    CMProperty* property = m_properties->get(key);
    return property ? property->getPointValue() : CXPoint();
}

CXSize CMElement::getPropertySizeValue(const CXString& key) const {
    CMProperty* property = m_properties->get(key);
    return property ? property->getSizeValue() : CXSize();
}

CXRect CMElement::getPropertyRectValue(const CXString& key) const {
    CMProperty* property = m_properties->get(key);
    return property ? property->getRectValue() : CXRect();
}
