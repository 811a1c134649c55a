// One property of a definition element: a key and a value text as the
// definition-file reader stored them. The typed getters convert the text on
// every call; nothing is cached and nothing is checked.
#pragma once
#include <cstdint>

#include "foundation/CXObject.h"
#include "foundation/CXPoint.h"
#include "foundation/CXRect.h"
#include "foundation/CXSize.h"
#include "foundation/CXString.h"

class CXArray;

class CMProperty : public CXObject {
public:
    CMProperty();
    explicit CMProperty(const CXString& name);
    CMProperty(const CXString& name, const CXString& value);
    ~CMProperty() override;

    // True for another property whose name equals this one's exactly.
    bool equals(CXObject* other) override;

    CXString getName() const { return m_name; }
    void setName(const CXString& name) { m_name = name; }
    CXString getValue() const { return m_value; }
    void setValue(const CXString& value) { m_value = value; }

    // atoi rule (saturating at 32 bits); "12abc" is 12, "abc" is 0.
    int32_t getIntValue() const;
    // True exactly when the text reads "TRUE" in upper case.
    bool getBoolValue() const;
    double getDoubleValue() const;
    // The text split at ", \n\r" without empty items: a new array of new
    // strings that the caller releases with CXString::releaseToVector.
    CXArray* getListValue() const;
    // The first two list items as ints; missing ones are 0.
    CXSize getSizeValue() const;
    CXPoint getPointValue() const;
    // The first four list items as left, top, right, bottom; missing ones are 0.
    CXRect getRectValue() const;

    // The conversions above on any text (shared with the element's getters).
    static CXSize sizeOf(const CXString& text);
    static CXRect rectOf(const CXString& text);

private:
    CXString m_name;
    CXString m_value;
};
