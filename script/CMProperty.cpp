#include "script/CMProperty.h"

#include "foundation/CXArray.h"

namespace {

// Item i of a list as an int; 0 when the list is shorter.
int32_t intItem(CXArray* items, int i) {
    CXString* item = items->stringAt(i);
    return item ? item->toNumber() : 0;
}

}  // namespace

CMProperty::CMProperty() = default;

CMProperty::CMProperty(const CXString& name) : m_name(name) {}

CMProperty::CMProperty(const CXString& name, const CXString& value) : m_name(name), m_value(value) {}

CMProperty::~CMProperty() = default;

bool CMProperty::equals(CXObject* other) {
    auto* property = dynamic_cast<CMProperty*>(other);
    return property && property->m_name.equals(m_name);
}

int32_t CMProperty::getIntValue() const { return m_value.toNumber(); }

bool CMProperty::getBoolValue() const {
    CXString upper = m_value;
    return upper.Upper().equals("TRUE");
}

double CMProperty::getDoubleValue() const { return m_value.toDouble(); }

CXArray* CMProperty::getListValue() const { return m_value.toVector(CXString(", \n\r")); }

CXSize CMProperty::getSizeValue() const { return sizeOf(m_value); }

CXPoint CMProperty::getPointValue() const {
    const CXSize size = sizeOf(m_value);
    return CXPoint(size.cx, size.cy);
}

CXRect CMProperty::getRectValue() const { return rectOf(m_value); }

CXSize CMProperty::sizeOf(const CXString& text) {
    CXArray* items = text.toVector(CXString(", \n\r"));
    const CXSize size(intItem(items, 0), intItem(items, 1));
    CXString::releaseToVector(items);
    return size;
}

CXRect CMProperty::rectOf(const CXString& text) {
    CXArray* items = text.toVector(CXString(", \n\r"));
    const CXRect rect(intItem(items, 0), intItem(items, 1), intItem(items, 2), intItem(items, 3));
    CXString::releaseToVector(items);
    return rect;
}
