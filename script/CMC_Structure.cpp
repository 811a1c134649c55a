#include "script/CMC_Structure.h"

#include <cstring>

#include "foundation/CStringTokenizer.h"
#include "foundation/CXVector.h"
#include "script/CMC_Behaviour_Entry.h"
#include "script/CMC_Bool.h"
#include "script/CMC_Double.h"
#include "script/CMC_Integer.h"
#include "script/CMC_String.h"
#include "script/CMC_TypeTable.h"
#include "script/CMElement.h"

namespace {

constexpr int kFieldsCapacity = 101;
constexpr float kFieldsLoadFactor = 0.75f;

// "NAME|FIELD" in statements reaches the field object through its STRUCT.
CMC_Variable* fieldOf(CMC_Object* structure, const CXString& field) {
    auto* record = dynamic_cast<CMC_Structure*>(structure);
    return record ? record->getField(field) : nullptr;
}

[[maybe_unused]] const bool kRegistered = [] {
    CMC_Behaviour_Entry::registerFieldGetter(&fieldOf);
    return CMC_TypeTable::registerType(
        "STRUCT", [](CMC_ObjectsContainer* c, CMElement* e) -> CMC_Object* { return new CMC_Structure(c, e); });
}();

}  // namespace

CMC_Structure::CMC_Structure(CXString name)
    : CMC_Variable(name, kType), m_fields(new CXVector(kFieldsCapacity, kFieldsLoadFactor)) {}

CMC_Structure::CMC_Structure(CMC_ObjectsContainer* container, CMElement* element)
    : CMC_Variable(container, element, kType), m_fields(new CXVector(kFieldsCapacity, kFieldsLoadFactor)) {
    if (element) declareFields(element->getPropertyValue(CXString("FIELDS")));
}

CMC_Structure::~CMC_Structure() {
    flush();
    delete m_fields;
}

void CMC_Structure::declareFields(const CXString& fields) {
    CStringTokenizer items(fields, CXString(","));
    while (items.hasMoreTokens()) {
        const CXString item = items.nextToken();
        const int open = item.Find('<');
        const int close = item.Find('>');
        if (open < 0 || close <= open) continue;
        declare(getName() + "_" + item.Left(open), item.Mid(open + 1, close));
    }
}

void CMC_Structure::declare(CXString name, CXString type) {
    CMC_Variable* field = nullptr;
    if (type.equalsIgnoreCase(CXString("BOOL")))
        field = new CMC_Bool(name);
    else if (type.equalsIgnoreCase(CXString("DOUBLE")))
        field = new CMC_Double(name);
    else if (type.equalsIgnoreCase(CXString("INTEGER")))
        field = new CMC_Integer(name);
    else if (type.equalsIgnoreCase(CXString("STRING")))
        field = new CMC_String(name);
    if (field) m_fields->add(static_cast<CXObject*>(field));
}

void CMC_Structure::map(CMC_Structure* other) {
    flush();
    if (other && other != this) {
        for (int i = 0; i < other->getFieldCount(); ++i) m_fields->add(static_cast<CXObject*>(other->getField(i)));
    }
    // Mapping onto itself would make the list borrow fields that flush just deleted:
    // the list stays empty, and nothing is owned either way.
    m_mapped = true;
}

void CMC_Structure::flush() {
    if (!m_mapped) {
        for (int i = 0; i < m_fields->getCount(); ++i) delete getField(i);
    }
    m_fields->removeAll();
}

CXString** CMC_Structure::getBehavioursList() { return makeBehavioursList({"ONINIT", "ONDONE", "ONSIGNAL"}); }

int CMC_Structure::getFieldCount() const { return m_fields->getCount(); }

CMC_Variable* CMC_Structure::getField(int i) const {
    if (i < 0 || i >= m_fields->getCount()) return nullptr;
    return static_cast<CMC_Variable*>(m_fields->at(i));
}

CXString CMC_Structure::shortName(const CXString& fullName) {
    const int bar = fullName.FindLast('_');
    return bar < 0 ? fullName : fullName.Right(bar + 1);
}

CMC_Variable* CMC_Structure::getField(const CXString& name) const {
    // Statements look fields up on every run: the short name is compared in place.
    const int wanted = name.getLength();
    for (int i = 0; i < m_fields->getCount(); ++i) {
        CMC_Variable* field = getField(i);
        const CXString& full = field->getNameRef();
        const int start = full.FindLast('_') + 1;
        if (full.getLength() - start != wanted) continue;
        if (std::memcmp(full.c_str() + start, name.c_str(), static_cast<size_t>(wanted)) == 0) return field;
    }
    return nullptr;
}

void CMC_Structure::setField(int i, CMC_Variable* value) {
    if (CMC_Variable* field = getField(i)) field->set(value);
}

void CMC_Structure::setField(const CXString& name, CMC_Variable* value) {
    if (CMC_Variable* field = getField(name)) field->set(value);
}

CXObject* CMC_Structure::clone() {
    auto* copy = new CMC_Structure(getName());
    copy->setCloneFlag(true);
    for (int i = 0; i < getFieldCount(); ++i) {
        CMC_Variable* field = getField(i);
        const int before = copy->getFieldCount();
        copy->declare(field->getName(), typeToString(field->getType()));
        // The copy starts from this record's values (a database row keeps the model's
        // value in every field its line does not reach).
        if (copy->getFieldCount() > before) copy->getField(before)->set(field);
    }
    return copy;
}

CXString CMC_Structure::toString() {
    CXString text;
    for (int i = 0; i < getFieldCount(); ++i) {
        if (i > 0) text += '|';
        text += getField(i)->toString();
    }
    return text;
}

void CMC_Structure::fromString(CXString text) {
    CStringTokenizer tokens(text, CXString("|\n"));
    for (int i = 0; i < getFieldCount() && tokens.hasMoreTokens(); ++i) getField(i)->fromString(tokens.nextToken());
}

void CMC_Structure::set(CMC_Variable* other) {
    auto* source = dynamic_cast<CMC_Structure*>(other);
    if (!source || source->getType() != kType) return;
    for (int i = 0; i < getFieldCount() && i < source->getFieldCount(); ++i) getField(i)->set(source->getField(i));
}

void CMC_Structure::clear() {
    for (int i = 0; i < getFieldCount(); ++i) getField(i)->clear();
}

void CMC_Structure::swap(CMC_Variable*, CMC_Variable*) {}

void CMC_Structure::inc() {}

void CMC_Structure::dec() {}

bool CMC_Structure::equals(CMC_Variable* other) {
    auto* source = dynamic_cast<CMC_Structure*>(other);
    if (!source || source->getType() != kType) return false;
    for (int i = 0; i < getFieldCount(); ++i) {
        CMC_Variable* theirs = source->getField(i);
        if (!theirs || !getField(i)->equals(theirs)) return false;
    }
    return true;
}

int CMC_Structure::compare(CMC_Variable*) { return 0; }

CMC_Variable* CMC_Structure::convert(int) { return nullptr; }

CMC_Variable* CMC_Structure::calculate(CMC_Variable*, int) { return this; }

void CMC_Structure::setDefault(CMC_Variable* other) {
    for (int i = 0; i < getFieldCount(); ++i) getField(i)->setDefault(other);
}

void CMC_Structure::resetINI() {
    for (int i = 0; i < getFieldCount(); ++i) getField(i)->resetINI();
}

int CMC_Structure::getBufferLen() { return 0; }

void CMC_Structure::netstore(void*) {}

void CMC_Structure::netrestore(void*) {}

void CMC_Structure::store(CXArchive* archive) {
    for (int i = 0; i < getFieldCount(); ++i) getField(i)->store(archive);
}

void CMC_Structure::restore(CXArchive* archive) {
    for (int i = 0; i < getFieldCount(); ++i) getField(i)->restore(archive);
}
