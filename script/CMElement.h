// One element of a definition file: a name, its properties (key and value
// texts in the order read) and its child elements. Elements are plain data;
// script objects take their settings from them through the typed getters,
// and a missing key gives the getter's fixed default.
#pragma once
#include <cstdint>

#include "foundation/CXObject.h"
#include "foundation/CXPoint.h"
#include "foundation/CXRect.h"
#include "foundation/CXSize.h"
#include "foundation/CXString.h"
#include "script/CMElements.h"
#include "script/CMProperties.h"
#include "script/CMProperty.h"

class CXArray;

class CMElement : public CXObject {
public:
    explicit CMElement(const CXString& name);
    // Deletes the properties and the children list, not the children.
    ~CMElement() override;
    CMElement(const CMElement&) = delete;
    CMElement& operator=(const CMElement&) = delete;

    CXString getName() const { return m_name; }
    void setName(const CXString& name) { m_name = name; }
    CMProperties* getProperties() const { return m_properties; }
    CMElements* getChildren() const { return m_children; }

    // Appends a child; repeats are allowed.
    void addChild(CMElement* child);
    // Appends key with an empty value unless the key exists already.
    void addProperty(const CXString& key);
    // Always appends, also when the key exists (the older one keeps answering).
    void addProperty(const CXString& key, const CXString& value);
    // The first property of that key gets the value; nothing when there is none.
    void setProperty(const CXString& key, const CXString& value);
    // Removes and deletes the first property of that key, if any.
    void removeProperty(const CXString& key);
    void removeAll();

    // Exact key match.
    bool isPropertyAvailable(const CXString& key) const;
    // The key is upper-cased first, so only upper-case keys are found this way.
    bool hasProperty(const CXString& key) const;

    // Typed getters on the first property of the key; the defaults apply when
    // there is none: "", 0, false, 0.0, null, (0, 0), (0, 0), (0, 0, 0, 0).
    CXString getPropertyValue(const CXString& key) const;
    int32_t getPropertyIntValue(const CXString& key) const;
    bool getPropertyBoolValue(const CXString& key) const;
    double getPropertyDoubleValue(const CXString& key) const;
    // A new array of new strings (release with CXString::releaseToVector), or null.
    CXArray* getPropertyListValue(const CXString& key) const;
    CXPoint getPropertyPointValue(const CXString& key) const;
    CXSize getPropertySizeValue(const CXString& key) const;
    CXRect getPropertyRectValue(const CXString& key) const;

private:
    CXString m_name;
    CMProperties* m_properties;
    CMElements* m_children;
};
