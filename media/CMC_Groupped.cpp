#include "media/CMC_Groupped.h"

#include <cstdint>
#include <limits>

#include "foundation/CXVector.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_TypeTable.h"

namespace {

constexpr int kListCapacity = 101;
constexpr float kLoadFactor = 0.75f;

const bool g_registered =
    CMC_TypeTable::registerType("GROUP",
                                [](CMC_ObjectsContainer* container, CMElement* element) -> CMC_Object* {
                                    return new CMC_Groupped(container, element);
                                }) &&
    CMC_TypeTable::registerAdder(CMC_Groupped::kType, [](CMC_Object* group, CMC_Object* item) {
        if (auto* g = dynamic_cast<CMC_Groupped*>(group)) g->add(item);
    });

int32_t clampToInt(int64_t value) {
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

}  // namespace

CMC_Groupped::CMC_Groupped(CMC_ObjectsContainer* container, CMElement* element)
    : CMC_Object(container, element, kType), m_members(new CXVector(kListCapacity, kLoadFactor)) {
    (void)g_registered;
    initializeBehaviours(container, element);
}

CMC_Groupped::CMC_Groupped(CXString name, CMC_ObjectsContainer* container)
    : CMC_Object(name, kType), m_members(new CXVector(kListCapacity, kLoadFactor)) {
    setScene(container);
}

CMC_Groupped::~CMC_Groupped() {
    m_members->removeAll();
    delete m_members;
}

CXString** CMC_Groupped::getBehavioursList() { return makeBehavioursList({"ONINIT", "ONDONE", "ONSIGNAL"}); }

// ---- members --------------------------------------------------------------------

void CMC_Groupped::add(CMC_Object* object) {
    if (!object || object == this || m_members->contains(object)) return;
    m_members->add(object);
}

void CMC_Groupped::remove(CMC_Object* object) {
    if (object) m_members->remove(object);
}

bool CMC_Groupped::contains(CMC_Object* object) { return object && m_members->contains(object); }

void CMC_Groupped::removeAll() { m_members->removeAll(); }

CMC_Object* CMC_Groupped::get(int index) {
    if (index < 0 || index >= m_members->getCount()) return nullptr;
    return static_cast<CMC_Object*>(m_members->at(index));
}

int CMC_Groupped::getCount() const { return m_members->getCount(); }

void CMC_Groupped::addClones(CXString name, int first, int last) {
    CMC_ObjectsContainer* container = getScene();
    if (!container) return;
    for (int64_t i = first; i <= last; ++i) {
        CMC_Object* object = container->getObject(name + "_" + CXString::toString(static_cast<int>(i)));
        if (object && object != this) m_members->add(object);
    }
}

CXObject* CMC_Groupped::clone() {
    auto* copy = new CMC_Groupped(CXString("cloned"), getScene());
    for (int i = 0; i < m_members->getCount(); ++i) copy->m_members->add(m_members->at(i));
    return copy;
}

CXString CMC_Groupped::toString() {
    CXString text;
    for (int i = 0; i < m_members->getCount(); ++i) {
        if (i > 0) text += ',';
        if (CMC_Object* member = get(i)) text += member->toString();
    }
    return text;
}

// ---- marker ---------------------------------------------------------------------

CMC_Object* CMC_Groupped::next(int step) {
    const int count = getCount();
    if (count <= 0) return nullptr;
    int64_t marker = static_cast<int64_t>(m_marker) + step;
    if (marker >= count) marker %= count;
    m_marker = clampToInt(marker);
    return get(m_marker);
}

CMC_Object* CMC_Groupped::prev(int step) {
    const int count = getCount();
    if (count <= 0) return nullptr;
    int64_t marker = static_cast<int64_t>(m_marker) - step;
    if (marker < 0) marker = (marker % count + count) % count;
    m_marker = clampToInt(marker);
    return get(m_marker);
}

void CMC_Groupped::resetMarker() { m_marker = -1; }

int CMC_Groupped::getMarkerPos() { return m_marker; }

void CMC_Groupped::setMarkerPos(int position) {
    if (position < -1) position = -1;
    const int count = getCount();
    m_marker = position >= count ? count - 1 : position;
}
