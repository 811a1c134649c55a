#include "script/CMC_ObjectsContainer.h"

#include <cstring>
#include <unordered_set>
#include <utility>
#include <vector>

#include "foundation/CHashtable.h"
#include "foundation/CStringHashCode.h"
#include "foundation/CXVector.h"
#include "script/CMC_Behaviour.h"
#include "script/CMC_DownloadSource.h"
#include "script/CMC_Variable.h"
#include "script/CMElement.h"

namespace {

constexpr int kNameTableCapacity = 10001;
constexpr double kNameTableLoadFactor = 1.0;
constexpr int kObjectListCapacity = 1001;
constexpr int kDownloadListCapacity = 7;
constexpr int kVectorCapacity = 101;
constexpr float kLoadFactor = 0.75f;

std::vector<std::pair<int, CMC_ObjectsContainer::GraphicsAccessor>>& accessors() {
    static std::vector<std::pair<int, CMC_ObjectsContainer::GraphicsAccessor>> table;
    return table;
}

std::vector<CMC_Object*> snapshot(const CXVector* list) {
    std::vector<CMC_Object*> out;
    for (int i = 0; list && i < list->getCount(); ++i) out.push_back(static_cast<CMC_Object*>(list->at(i)));
    return out;
}

}  // namespace

CMC_ObjectsContainer::CMC_ObjectsContainer(CWindow* window, CMC_ObjectsContainer* parent, CMElement* element,
                                           int type)
    : CMC_Object(parent, element, type), m_window(window) {
    createTables();
}

CMC_ObjectsContainer::CMC_ObjectsContainer(CWindow* window, CMC_ObjectsContainer* parent, CXString name, int type)
    : CMC_Object(name, type), m_window(window) {
    setScene(parent);
    createTables();
}

void CMC_ObjectsContainer::createTables() {
    m_names = new CHashtable(kNameTableCapacity, kNameTableLoadFactor, true);
    m_objects = new CXVector(kObjectListCapacity, kLoadFactor);
    m_downloads = new CXVector(kDownloadListCapacity, kLoadFactor);
    m_lookupKey = new CStringHashCode(CXString("temp"));
    ++s_changes;
}

CMC_ObjectsContainer::~CMC_ObjectsContainer() {
    CMC_Behaviour::forgetTrashScene(this);
    ++s_changes;
    delete m_lookupKey;
    delete m_names;
    delete m_objects;
    // Download objects still listed outlive the container: they forget the list.
    for (int i = m_downloads->getCount() - 1; i >= 0; --i)
        if (auto* source = dynamic_cast<CMC_DownloadSource*>(m_downloads->at(i)))
            source->forgetDownloadList(m_downloads);
    delete m_downloads;
}

// ---- registration -------------------------------------------------------------------

void CMC_ObjectsContainer::drop(CMC_Object* object) {
    m_members.erase(object);
    m_dropped.push_back(static_cast<const void*>(static_cast<CXObject*>(object)));
    ++s_removals;
    ++s_changes;
}

void CMC_ObjectsContainer::settle() {
    if (m_dropped.empty()) return;
    const std::unordered_set<const void*> dropped(m_dropped.begin(), m_dropped.end());
    m_dropped.clear();
    // Both tables are rebuilt from the list in its order (the name table's insertion order).
    // Dropped entries may be deleted already: they are compared as addresses only.
    std::vector<CMC_Object*> kept;
    const CXArray* list = m_objects;
    for (int i = 0; i < list->getCount(); ++i) {
        void* entry = list->at(i);
        if (!dropped.count(entry)) kept.push_back(static_cast<CMC_Object*>(static_cast<CXObject*>(entry)));
    }
    auto* names = new CHashtable(kNameTableCapacity, kNameTableLoadFactor, true);
    m_objects->removeAll();
    for (CMC_Object* object : kept) {
        CStringHashCode*& key = m_members[object];
        key = new CStringHashCode(*key);
        names->put(key, object);
        m_objects->add(object);
    }
    delete m_names;
    m_names = names;
}

const CXVector* CMC_ObjectsContainer::getObjectList() const {
    const_cast<CMC_ObjectsContainer*>(this)->settle();
    return m_objects;
}

bool CMC_ObjectsContainer::unregister(CMC_Object* object) {
    settle();
    if (!object || !isMember(object)) return false;
    m_names->remove(object);
    m_objects->remove(object);
    m_members.erase(object);
    ++s_removals;
    ++s_changes;
    return true;
}

bool CMC_ObjectsContainer::removeObject(CMC_Object* object) { return unregister(object); }

bool CMC_ObjectsContainer::deleteObject(CMC_Object* object) { return deleteObject(object, true); }

bool CMC_ObjectsContainer::deleteObject(CMC_Object* object, bool raiseDone) {
    // Applications, episodes and scenes belong to the game's structure, never to a
    // container that lists them.
    if (object && isContainerType(object->getType())) return false;
    if (!removeObject(object)) return false;
    if (raiseDone)
        dispose(object);
    else
        disposeQuietly(object);
    return true;
}

void CMC_ObjectsContainer::addObject(CMC_Object* object) {
    // A scene lists itself, so that scripts inside it name it; other containers do not.
    if (!object || (object == this && !isContainerType(getType()))) return;
    settle();
    CStringHashCode* key = new CStringHashCode(object->getName());
    CMC_Object* old = static_cast<CMC_Object*>(m_names->get(key));
    if (old == object) {
        delete key;
        return;
    }
    // The replaced object leaves the tables first; it is disposed of once its
    // successor is registered, so that its "ONDONE" finds the new one by name.
    if (old) removeObject(old);
    // The object may sit here under an earlier name; one entry per object.
    unregister(object);
    m_names->put(key, object);
    m_objects->add(object);
    m_members[object] = key;
    ++s_changes;
    // Still registered (a class may keep it): leave it alone rather than drop a live entry.
    if (old && !isMember(old) && !isContainerType(old->getType())) dispose(old);
}

// ---- look-up ------------------------------------------------------------------------

CMC_Object* CMC_ObjectsContainer::getObject(int index) {
    settle();
    if (index < 0 || index >= m_objects->getCount()) return nullptr;
    return static_cast<CMC_Object*>(m_objects->at(index));
}

CMC_Object* CMC_ObjectsContainer::findHere(const char* name) {
    if (!m_names) return nullptr;
    if (!m_dropped.empty()) settle();
    m_lookupKey->set(name);
    return static_cast<CMC_Object*>(m_names->get(m_lookupKey));
}

CMC_Object* CMC_ObjectsContainer::getObject(const char* name) { return lookup(name ? name : "", 0); }

CMC_Object* CMC_ObjectsContainer::lookup(const char* name, int depth) {
    if (CMC_Object* found = findHere(name)) return found;
    // A miss makes no text unless the name ends in "_0".
    const size_t length = std::strlen(name);
    if (length >= 2 && name[length - 2] == '_' && name[length - 1] == '0') {
        const CXString shorter(name, static_cast<int>(length - 2));
        if (CMC_Object* found = lookup(shorter.c_str(), depth)) return found;
    }
    if (m_parent && depth < kMaxLookupDepth) return m_parent->lookup(name, depth + 1);
    return nullptr;
}

CMC_Variable* CMC_ObjectsContainer::getVariable(const CXString& name) {
    CMC_Object* object = getObject(name);
    if (!object) return nullptr;
    if (!CMC_Variable::isValueType(object->getType())) return nullptr;
    return dynamic_cast<CMC_Variable*>(object);
}

int CMC_ObjectsContainer::getObjectId(CXString name) {
    settle();
    for (int i = 0; i < m_objects->getCount(); ++i)
        if (static_cast<CMC_Object*>(m_objects->at(i))->getName() == name) return i;
    return -1;
}

CXVector* CMC_ObjectsContainer::getObjectsOfType(int type) {
    CXVector* out = new CXVector(kVectorCapacity, kLoadFactor);
    settle();
    for (CMC_Object* object : snapshot(m_objects))
        if (object->getType() == type) out->add(object);
    return out;
}

int CMC_ObjectsContainer::getElementsNo() {
    settle();
    return m_names ? m_names->getSize() : 0;
}

// ---- graphics objects ---------------------------------------------------------------

void CMC_ObjectsContainer::registerGraphicsAccessor(int type, GraphicsAccessor accessor) {
    for (auto& entry : accessors())
        if (entry.first == type) {
            entry.second = accessor;
            return;
        }
    accessors().emplace_back(type, accessor);
}

CMC_ObjectsContainer::GraphicsAccessor CMC_ObjectsContainer::getGraphicsAccessor(int type) {
    for (auto& entry : accessors())
        if (entry.first == type) return entry.second;
    return nullptr;
}

CGraphicsObject* CMC_ObjectsContainer::getGraphicsObject(CXString text) {
    if (!text.IsString()) return nullptr;
    CXString name = text;
    CXString frame;
    const int bang = text.Find('!');
    if (bang >= 0) {
        name = text.Left(bang);
        frame = text.Right(bang + 1);
    }
    CMC_Object* object = getObject(name);
    if (!object) return nullptr;
    GraphicsAccessor accessor = getGraphicsAccessor(object->getType());
    return accessor ? accessor(object, frame) : nullptr;
}

CXString CMC_ObjectsContainer::getGraphicsObjectName(CGraphicsObject* graphics, bool withParents) {
    return graphicsObjectName(graphics, withParents, 0);
}

CXString CMC_ObjectsContainer::graphicsObjectName(CGraphicsObject* graphics, bool withParents, int depth) {
    const CXString unknown("UNKNOWN");
    if (graphics && depth < kMaxLookupDepth) {
        settle();
        for (CMC_Object* object : snapshot(m_objects)) {
            const int type = object->getType();
            if (type == kClass) {
                CMC_ObjectsContainer* inner = dynamic_cast<CMC_ObjectsContainer*>(object);
                if (inner && inner != this && inner->graphicsObjectName(graphics, false, depth + 1) != unknown)
                    return object->getName();
                continue;
            }
            // Only the whole graphics object names its owner (never a single frame).
            if (type == 103) continue;
            GraphicsAccessor accessor = getGraphicsAccessor(type);
            if (accessor && accessor(object, CXString()) == graphics) return object->getName();
        }
        if (withParents && m_parent) return m_parent->graphicsObjectName(graphics, true, depth + 1);
    }
    return unknown;
}

// ---- scopes -------------------------------------------------------------------------

void CMC_ObjectsContainer::setParent(CMC_ObjectsContainer* parent) {
    if (m_parent) {
        if (m_parent->getParent()) removeObject(m_parent->getParent());
        removeObject(m_parent);
    }
    m_parent = parent;
    ++s_changes;
    if (parent) {
        if (parent->getParent() && parent->getParent() != this) addObject(parent->getParent());
        if (parent != this) addObject(parent);
    }
}

void CMC_ObjectsContainer::onSubSceneDone(CMC_ObjectsContainer* scene) {
    settle();
    for (CMC_Object* object : snapshot(m_objects))
        if (isMember(object)) object->onSceneDone(scene);
    if (m_parent) m_parent->onSubSceneDone(scene);
}

void CMC_ObjectsContainer::unload() { unloadObjects(false); }

void CMC_ObjectsContainer::unloadObjects(bool disposeObjects) {
    if (!m_names) return;
    settle();
    if (m_objects->getCount() > 0) {
        // Classes first, then the objects that ask to be finished early, then the rest.
        // Applications, episodes and scenes are finished by their own leaving.
        std::vector<CMC_Object*> objects;
        for (CMC_Object* object : snapshot(m_objects))
            if (!isContainerType(object->getType())) objects.push_back(object);
        for (CMC_Object* object : objects)
            if (isMember(object) && object->getType() == kClass) object->done(true);
        for (CMC_Object* object : objects)
            if (isMember(object) && object->getType() != kClass && object->doneFirst()) object->done(true);
        for (CMC_Object* object : objects)
            if (isMember(object) && object->getType() != kClass && !object->doneFirst())
                object->done(true);

        // Every "ONDONE" of the deletion runs while all the objects (and the behaviours
        // their handlers name) still exist; then they go.
        settle();
        objects = snapshot(m_objects);
        for (CMC_Object* object : objects)
            if (isMember(object) && !isContainerType(object->getType())) object->prepareDelete();
        settle();
        objects = snapshot(m_objects);
        for (CMC_Object* object : objects) {
            if (isContainerType(object->getType()) || !isMember(object)) continue;
            drop(object);
            if (disposeObjects)
                dispose(object);
            else
                destroy(object);
        }
    }
    delete m_names;
    m_names = new CHashtable(kNameTableCapacity, kNameTableLoadFactor, true);
    m_objects->removeAll();
    m_members.clear();
    m_dropped.clear();
    ++s_removals;
    ++s_changes;
    if (isEventHandled(kDoneEventIndex)) onSignal(CXString("ONDONE"));
}
