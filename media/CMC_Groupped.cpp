#include "media/CMC_Groupped.h"

#include <cstdint>
#include <limits>

#include "foundation/CXVector.h"
#include "scene/CMC_Scene.h"
#include "scene/CMC_SceneBinary.h"
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
    }) &&
    CMC_SceneBinary::registerPrototype(CMC_Groupped::kType, [](CMC_Scene* scene) -> CMC_Object* {
        return new CMC_Groupped(CXString(), scene);
    }) &&
    CMC_ObjectGroup::registerMaker([](CXString name, CMC_ObjectsContainer* container) -> CMC_ObjectGroup* {
        return new CMC_Groupped(name, container);
    });

int32_t clampToInt(int64_t value) {
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

}  // namespace

CMC_Groupped::CMC_Groupped(CMC_ObjectsContainer* container, CMElement* element)
    : CMC_ObjectGroup(container, element, kType),
      m_members(new CXVector(kListCapacity, kLoadFactor)),
      m_generation(CMC_ObjectsContainer::getRemovalCount()) {
    (void)g_registered;
    initializeBehaviours(container, element);
}

CMC_Groupped::CMC_Groupped(CXString name, CMC_ObjectsContainer* container)
    : CMC_ObjectGroup(name, kType),
      m_members(new CXVector(kListCapacity, kLoadFactor)),
      m_generation(CMC_ObjectsContainer::getRemovalCount()) {
    setScene(container);
}

CMC_Groupped::~CMC_Groupped() {
    m_members->removeAll();
    delete m_members;
}

CXString** CMC_Groupped::getBehavioursList() { return makeBehavioursList({"ONINIT", "ONDONE", "ONSIGNAL"}); }

// ---- members --------------------------------------------------------------------

void CMC_Groupped::append(CMC_Object* object) {
    CMC_ObjectsContainer* container = getScene();
    const bool named = container && container->getObject(object->getNameRef()) == object;
    m_members->add(object);
    m_names.push_back({named ? object->getName() : CXString(), named});
}

void CMC_Groupped::removeAt(int index) {
    m_members->removeAt(index);
    m_names.erase(m_names.begin() + index);
}

void CMC_Groupped::refresh() {
    const uint32_t removals = CMC_ObjectsContainer::getRemovalCount();
    if (m_generation == removals) return;
    m_generation = removals;
    CMC_ObjectsContainer* container = getScene();
    for (int i = m_members->getCount() - 1; i >= 0; --i) {
        const MemberName& member = m_names[static_cast<size_t>(i)];
        if (!member.named) continue;
        CMC_Object* found = container ? container->getObject(member.name) : nullptr;
        if (found == m_members->at(i)) continue;
        // The name finds nothing, the group itself, or an object that is a member already.
        if (!found || found == this || m_members->contains(found)) {
            removeAt(i);
            continue;
        }
        m_members->setAt(i, found);
    }
}

void CMC_Groupped::add(CMC_Object* object) {
    refresh();
    if (!object || object == this || m_members->contains(object)) return;
    append(object);
}

void CMC_Groupped::remove(CMC_Object* object) {
    refresh();
    if (!object) return;
    for (int i = 0; i < m_members->getCount(); ++i) {
        if (m_members->at(i) != object) continue;
        removeAt(i);
        return;
    }
}

bool CMC_Groupped::contains(CMC_Object* object) {
    refresh();
    return object && m_members->contains(object);
}

void CMC_Groupped::removeAll() {
    m_members->removeAll();
    m_names.clear();
}

CMC_Object* CMC_Groupped::get(int index) {
    refresh();
    if (index < 0 || index >= m_members->getCount()) return nullptr;
    return static_cast<CMC_Object*>(m_members->at(index));
}

int CMC_Groupped::getCount() {
    refresh();
    return m_members->getCount();
}

CXVector* CMC_Groupped::getList() {
    refresh();
    return m_members;
}

void CMC_Groupped::addClones(CXString name, int first, int last) {
    CMC_ObjectsContainer* container = getScene();
    if (!container) return;
    refresh();
    for (int64_t i = first; i <= last; ++i) {
        CMC_Object* object = container->getObject(name + "_" + CXString::toString(static_cast<int>(i)));
        if (object && object != this) append(object);
    }
}

CXObject* CMC_Groupped::clone() {
    refresh();
    auto* copy = new CMC_Groupped(CXString("cloned"), getScene());
    for (int i = 0; i < m_members->getCount(); ++i) copy->m_members->add(m_members->at(i));
    copy->m_names = m_names;
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
