#include "script/CMC_Object.h"

#include <cstring>
#include <string>
#include <typeinfo>
#include <utility>
#include <vector>

#include "foundation/CFile.h"
#include "foundation/CHashtable.h"
#include "foundation/CStringHashCode.h"
#include "foundation/CXArchive.h"
#include "foundation/CXArray.h"
#include "foundation/CXPair.h"
#include "foundation/CXVector.h"
#include "script/CMC_Behaviour.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_Variable.h"
#include "script/CMC_VariableFactory.h"
#include "script/CMElement.h"

namespace {

constexpr int kHandlerTableCapacity = 101;
constexpr int kCloneTableCapacity = 11;
constexpr int kListCapacity = 101;
constexpr float kLoadFactor = 0.75f;

// The one key every object's handler look-up reuses, so that raising an event builds no
// key. It is in use only inside the table's get, which hashes and compares texts and
// calls nothing back, so a handler raising events from inside a raise finds it free.
// Never deleted: objects may still look handlers up while the program exits.
CStringHashCode& handlerLookupKey() {
    static auto* key = new CStringHashCode(CXString());
    return *key;
}

// Key texts of finished raises, kept with their buffers so that the caret rule builds
// its keys without allocating. Only the host thread raises events. Never deleted, as the
// look-up key above.
struct SpareKeys {
    static constexpr int kCount = 8;
    static constexpr int kLargest = 256;
    // The first `count` hold buffers; the others were handed out.
    CXString keys[kCount];
    int count = kCount;
};

SpareKeys& spareKeys() {
    static auto* spare = new SpareKeys();
    return *spare;
}

// A key with a buffer when one is spare; its text is for the caller to set.
CXString takeKey() {
    SpareKeys& spare = spareKeys();
    if (spare.count == 0) return CXString();
    return std::move(spare.keys[--spare.count]);
}

// Keeps the buffer of a key whose raise is over; `key` is left without one.
void keepKey(CXString& key) {
    SpareKeys& spare = spareKeys();
    if (spare.count < SpareKeys::kCount && key.getCapacity() > 0 && key.getCapacity() <= SpareKeys::kLargest)
        spare.keys[spare.count++] = std::move(key);
}

struct TypeWord {
    int32_t id;
    const char* word;  // getTypeId's word
    const char* text;  // typeToString's text; null: the decimal id
};

constexpr TypeWord kTypeWords[] = {
    {1, "INTEGER", "INTEGER"},
    {2, "STRING", "STRING"},
    {3, "BOOL", "BOOL"},
    {4, "DOUBLE", "DOUBLE"},
    {5, "VARIABLE", nullptr},
    {10, "CONDITION", "CONDITION"},
    {11, "COMPLEXCONDITION", "COMPLEX CONDITION"},
    {12, "EXPRESSION", "EXPRESSION"},
    {13, "BEHAVIOUR", "BEHAVIOUR"},
    {100, "MOUSE", "MOUSE"},
    {101, "KEYBOARD", "KEYBOARD"},
    {102, "RANDOM", "RANDOM"},
    {103, "CANVASOBSERVER", "CANVAS OBSERVER"},
    {1000, "APPLICATION", "APPLICATION"},
    {1001, "EPISODE", "EPISODE"},
    {1002, "SCENE", "SCENE"},
    {2000, "ANIMO", "ANIMO"},
    {2001, "BUTTON", "BUTTON"},
    {2002, "FONT", "FONT"},
    {2004, "SEQUENCE", "SEQUENCE"},
    {2005, "SOUND", "SOUND"},
    {2006, "TEXT", "TEXT"},
    {2007, "TIMER", "TIMER"},
    {2008, "IMAGE", "IMAGE"},
    {2009, "EDITBOX", nullptr},
    {2010, "NETPEER", "NETPEER"},
    {2011, "NETSERVER", nullptr},
    {2012, "NETCLIENT", nullptr},
    {2013, "DIALOG", "DIALOG"},
    {2014, "FILTER", "FILTER"},
    {2015, "STATICFILTER", nullptr},
    {2016, "VECTOR", nullptr},
    {2017, "PATH", nullptr},
    {2018, "FIFO", nullptr},
    {2019, "LIFO", nullptr},
    {2020, "CANVAS", nullptr},
    {2021, "PATTERN", nullptr},
    {2022, "SCROLL", nullptr},
    {3000, "GROUP", nullptr},
    {3001, "ARRAY", "ARRAY"},
    {3002, "STRUCTURE", nullptr},
    {3003, "DATABASE", nullptr},
    {3004, "CLASS", nullptr},
    {3005, "VIRTUAL_GRAPHICSOBJECT", nullptr},
    {3006, "MULTIARRAY", nullptr},
    {10003, "MATRIX", nullptr},
    {10060, "SWF", nullptr},
};

// Bytes left to read in the archive's file.
int64_t bytesLeft(CXArchive* archive) {
    CFile* file = archive->getFile();
    return file ? static_cast<int64_t>(file->Length()) - file->Tell() : 0;
}

// One 32-bit number; false when the data ends first. The end of the data is told by
// the bytes left, the same on files and memory streams (whose end-of-file flags differ).
bool readNumber(CXArchive* archive, int* value) {
    if (bytesLeft(archive) < 4) return false;
    *archive >> value;
    return true;
}

// One length-prefixed text; false when its bytes are not all there.
bool readText(CXArchive* archive, CXString* text) {
    int n = 0;
    if (!readNumber(archive, &n) || n < 0 || n > bytesLeft(archive)) return false;
    std::string body(static_cast<size_t>(n), '\0');
    if (n > 0 && archive->getFile()->Read(body.data(), n) != n) return false;
    *text = CXString(body.data(), n);
    return true;
}

// Whether two texts have the same length and bytes (keys are short: a plain loop).
bool sameText(const CXString& a, const CXString& b) {
    const int length = a.getLength();
    if (b.getLength() != length) return false;
    const char* p = a.c_str();
    const char* q = b.c_str();
    for (int i = 0; i < length; ++i)
        if (p[i] != q[i]) return false;
    return true;
}

CXString* stringAt(CXArray* list, int i) { return static_cast<CXString*>(list->at(i)); }

// The entries of a handler list, so that handlers may change the list while they run.
std::vector<CXTriple*> entriesOf(CXVector* list) {
    std::vector<CXTriple*> out;
    out.reserve(static_cast<size_t>(list->getCount()));
    for (int i = 0; i < list->getCount(); ++i) out.push_back(static_cast<CXTriple*>(list->at(i)));
    return out;
}

// Whether a key of the table holds a "^".
bool hasCaretKey(CHashtable* table) {
    CXVector* keys = table->getKeys();
    bool found = false;
    for (int i = 0; keys && !found && i < keys->getCount(); ++i)
        found = std::strchr(static_cast<CStringHashCode*>(keys->at(i))->getText(), '^') != nullptr;
    delete keys;
    return found;
}

// The keys of a handler table in the table's order (a copy of each text).
std::vector<CXString> keysOf(CHashtable* table) {
    std::vector<CXString> out;
    CXVector* keys = table ? table->getKeys() : nullptr;
    if (!keys) return out;
    for (int i = 0; i < keys->getCount(); ++i) out.push_back(static_cast<CStringHashCode*>(keys->at(i))->getString());
    delete keys;
    return out;
}

// An entry whose target is a placeholder made while reading a scene binary; the
// entry owns it. Deleting an entry never looks at its target, which may be gone.
class PlaceholderEntry : public CXTriple {
public:
    PlaceholderEntry(CMC_Object* placeholder, CXArray* arguments) : CXTriple(placeholder, arguments, nullptr) {}
};

// A handler entry whose target its container found by name: the name and the container
// removal count when it was found, so that the entry finds the name again after any
// removal instead of keeping a pointer to an object that may be gone.
class NamedEntry final : public CXTriple {
public:
    NamedEntry(CMC_Object* target, CXArray* arguments, CMC_ObjectsContainer* scope, const CXString& targetName)
        : CXTriple(target, arguments, scope), name(targetName), generation(CMC_ObjectsContainer::getRemovalCount()) {}
    CXString name;
    uint32_t generation;
};

}  // namespace

// The handler lists (or misses) of the last keys raised, by the keys' texts.
struct CMC_Object::RaisedLists {
    static constexpr int kSize = 4;
    CXString keys[kSize];
    CXVector* lists[kSize] = {};
    int count = 0;
    int next = 0;
    // Whether a key of the table holds a "^"; -1 until asked.
    int caretKeys = -1;
};

// ---- construction -------------------------------------------------------------------

CMC_Object::CMC_Object(CXString name, int type) : m_name(name), m_type(type) {}

CMC_Object::CMC_Object(CMC_ObjectsContainer* container, CMElement* element, int type)
    : m_name(element ? element->getName() : CXString()), m_type(type), m_scene(container) {}

CMC_Object::CMC_Object(const CMC_Object& other)
    : CXObject(other),
      m_name(other.m_name),
      m_type(other.m_type),
      m_isClone(other.m_isClone),
      m_isTemporary(other.m_isTemporary),
      m_overrideSignals(other.m_overrideSignals),
      m_scene(other.m_scene),
      m_class(other.m_class),
      m_clonesNo(other.m_clonesNo) {}

CMC_Object::~CMC_Object() {
    // Deleted by another owner while the trash held it: the trash lets go.
    if (m_inTrash) CMC_Behaviour::removeFromTrash(this);
    if (!m_doneRaised && isEventHandled(kDoneEventIndex)) {
        m_doneRaised = true;
        CMC_Object::onSignal(CXString("ONDONE"));
    }
    flushBehList();
    deleteHandlerTable();
    delete m_tmpBehaviours;
    m_tmpBehaviours = nullptr;
    flushRetired();
    delete m_retired;
    delete m_raisedLists;
}

void CMC_Object::prepareDelete() {
    if (m_doneRaised) return;
    m_doneRaised = true;
    if (isEventHandled(kDoneEventIndex)) onSignal(CXString("ONDONE"));
}

void CMC_Object::destroy(CMC_Object* object) {
    if (!object) return;
    object->prepareDelete();
    delete object;
}

void CMC_Object::dispose(CMC_Object* object) {
    if (!object || object->m_disposed) return;
    object->m_disposed = true;
    object->onDispose();
    object->prepareDelete();
    CMC_Behaviour::addToTrash(object);
}

void CMC_Object::disposeQuietly(CMC_Object* object) {
    if (!object || object->m_disposed) return;
    object->m_doneRaised = true;
    dispose(object);
}

CXString CMC_Object::toString() { return m_name; }

// ---- life cycle ---------------------------------------------------------------------

void CMC_Object::init() {
    if (isEventHandled(kInitEventIndex)) onSignal(CXString("ONINIT"));
}

bool CMC_Object::doneFirst() { return false; }

bool CMC_Object::done(bool flag) {
    (void)flag;
    if (isEventHandled(kDoneEventIndex)) onSignal(CXString("ONDONE"));
    return true;
}

void CMC_Object::setScene(CMC_ObjectsContainer* scene) { m_scene = scene; }
CMC_ObjectsContainer* CMC_Object::getScene() { return m_scene; }
CMC_Runner* CMC_Object::getRunner() { return nullptr; }
CMC_Class* CMC_Object::getClass() { return m_class; }
void CMC_Object::setClass(CMC_Class* cls) { m_class = cls; }
void CMC_Object::flush() {}
CXVector* CMC_Object::getTmpBehList() { return m_tmpBehaviours; }

// ---- clones -------------------------------------------------------------------------

int CMC_Object::getClonesNo() { return m_clonesNo; }

int CMC_Object::getCloneIdx() {
    const int last = m_name.FindLast('_');
    if (last <= 0 || last == m_name.getLength() - 1) return 0;
    return CXString::toNumber(m_name.Right(last + 1));
}

CXString CMC_Object::getCloneName() {
    ++m_clonesNo;
    return m_name + "_" + CXString::toString(static_cast<int>(m_clonesNo));
}

void CMC_Object::resetClones() { m_clonesNo = 0; }

void CMC_Object::clone(int count) {
    // A clone belongs to the scene it is added to; without one nobody would own it.
    if (!m_scene) return;
    for (int i = 0; i < count; ++i) {
        CXObject* made = clone();
        if (!made) return;
        CMC_Object* copy = dynamic_cast<CMC_Object*>(made);
        if (!copy) {
            delete made;
            return;
        }
        clone(copy);
    }
}

void CMC_Object::clone(CMC_Object* copy) {
    if (!copy || copy == this) return;
    copy->m_isClone = true;
    copy->setScene(m_scene);
    copy->setName(getCloneName());

    // The clone gets its own copy of the event list and flags.
    copy->flushBehList();
    if (m_eventList) {
        int n = 0;
        while (m_eventList[n]) ++n;
        copy->m_eventList = new CXString*[n + 1];
        for (int i = 0; i < n; ++i) copy->m_eventList[i] = new CXString(*m_eventList[i]);
        copy->m_eventList[n] = nullptr;
    }
    if (m_eventCount > 0 && m_eventFlags) {
        copy->m_eventCount = m_eventCount;
        copy->m_eventFlags = new uint8_t[m_eventCount];
        std::memcpy(copy->m_eventFlags, m_eventFlags, static_cast<size_t>(m_eventCount));
    }

    if (m_handlers && m_handlers->getSize() > 0) {
        copy->deleteHandlerTable();
        copy->m_handlers = new CHashtable(kCloneTableCapacity, kLoadFactor, true);
        for (const CXString& key : keysOf(m_handlers)) {
            if (key == "ONINIT") continue;
            CXVector* list = findList(key);
            if (!list) continue;
            CXVector* copied = new CXVector(list->getCount() > 0 ? list->getCount() : 1, kLoadFactor);
            for (CXTriple* entry : entriesOf(list)) {
                CXArray* arguments = copyArguments(entryArguments(entry));
                if (dynamic_cast<PlaceholderEntry*>(entry))
                    copied->add(makePlaceholderEntry(entryTarget(entry)->getName(), arguments));
                else
                    copied->add(copy->newEntry(currentTarget(entry), arguments, entryScope(entry)));
            }
            copy->m_handlers->put(new CStringHashCode(key), copied);
            copy->forgetRaisedLists();
            copy->verifyBehaviour(key);
        }
        if (copy->m_handlers->getSize() == 0) copy->deleteHandlerTable();
    }

    if (m_scene) m_scene->addObject(copy);
}

// ---- event list and flags -----------------------------------------------------------

CXString** CMC_Object::getBehavioursList() { return nullptr; }

CXString** CMC_Object::makeBehavioursList(std::initializer_list<const char*> names) {
    CXString** list = new CXString*[names.size() + 1];
    size_t i = 0;
    for (const char* name : names) list[i++] = new CXString(name);
    list[i] = nullptr;
    return list;
}

void CMC_Object::freeBehavioursList(CXString** list) {
    if (!list) return;
    for (int i = 0; list[i]; ++i) delete list[i];
    delete[] list;
}

void CMC_Object::flushBehList() {
    freeBehavioursList(m_eventList);
    m_eventList = nullptr;
    delete[] m_eventFlags;
    m_eventFlags = nullptr;
    m_eventCount = 0;
}

bool CMC_Object::prepareEventList() {
    if (!m_eventList) m_eventList = getBehavioursList();
    if (!m_eventList) return false;
    if (!m_eventFlags) {
        int n = 0;
        while (m_eventList[n]) ++n;
        m_eventCount = n;
        m_eventFlags = new uint8_t[n > 0 ? n : 1]();
    }
    return true;
}

void CMC_Object::setEventFlag(int index) {
    if (m_eventFlags && index >= 0 && index < m_eventCount) m_eventFlags[index] = 1;
}

int CMC_Object::getBehaviourIndex(CXString key) {
    if (!m_eventList) return -1;
    for (int i = 0; m_eventList[i]; ++i)
        if (key.startsWith(*m_eventList[i])) return i;
    return -1;
}

int CMC_Object::getSignalIndex(CXString key) {
    if (!m_eventList) return -1;
    const int caret = key.Find('^');
    const CXString event = caret >= 0 ? key.Left(caret) : key;
    for (int i = 0; m_eventList[i]; ++i)
        if (event == *m_eventList[i]) return i;
    return -1;
}

// ---- handler entries ----------------------------------------------------------------

CXTriple* CMC_Object::makeEntry(CMC_Object* target, CXArray* arguments, CMC_ObjectsContainer* scope) {
    return new CXTriple(target, arguments, scope);
}

CXTriple* CMC_Object::makePlaceholderEntry(const CXString& behaviourName, CXArray* arguments) {
    CMC_Object* placeholder = new CMC_Object(behaviourName, 0);
    placeholder->m_isPlaceholder = true;
    return new PlaceholderEntry(placeholder, arguments);
}

CXTriple* CMC_Object::newEntry(CMC_Object* target, CXArray* arguments, CMC_ObjectsContainer* scope) {
    CMC_ObjectsContainer* lookup = scope ? scope : m_scene;
    if (target && lookup && !target->isPlaceholder() && lookup->getObject(target->getNameRef()) == target)
        return new NamedEntry(target, arguments, scope, target->getName());
    return makeEntry(target, arguments, scope);
}

CMC_Object* CMC_Object::currentTarget(CXTriple* entry) {
    // An exact type test: raising runs this for every entry.
    auto* named = entry && typeid(*entry) == typeid(NamedEntry) ? static_cast<NamedEntry*>(entry) : nullptr;
    const uint32_t removals = CMC_ObjectsContainer::getRemovalCount();
    if (!named || (named->generation == removals && entryTarget(entry))) return entryTarget(entry);
    named->generation = removals;
    CMC_ObjectsContainer* lookup = entryScope(entry) ? entryScope(entry) : m_scene;
    CMC_Object* found = lookup ? lookup->getObject(named->name) : nullptr;
    entry->setFirst(found);
    return found;
}

CMC_Object* CMC_Object::entryTarget(CXTriple* entry) {
    return entry ? static_cast<CMC_Object*>(entry->getFirst()) : nullptr;
}

CXArray* CMC_Object::entryArguments(CXTriple* entry) {
    return entry ? static_cast<CXArray*>(entry->getSecond()) : nullptr;
}

CMC_ObjectsContainer* CMC_Object::entryScope(CXTriple* entry) {
    return entry ? static_cast<CMC_ObjectsContainer*>(entry->getThird()) : nullptr;
}

CXArray* CMC_Object::copyArguments(CXArray* arguments) {
    if (!arguments) return nullptr;
    const int n = arguments->getCount();
    CXArray* out = new CXArray(n > 0 ? n : 1, kLoadFactor);
    for (int i = 0; i < n; ++i) {
        CXString* s = stringAt(arguments, i);
        out->add(new CXString(s ? *s : CXString()));
    }
    return out;
}

void CMC_Object::deleteEntry(CXTriple* entry) {
    if (!entry) return;
    CXString::releaseToVector(entryArguments(entry));
    if (dynamic_cast<PlaceholderEntry*>(entry)) delete entryTarget(entry);
    delete entry;
}

void CMC_Object::retireEntry(CXTriple* entry) {
    if (!entry) return;
    if (m_raiseDepth == 0) {
        deleteEntry(entry);
        return;
    }
    if (!m_retired) m_retired = new CXVector(kListCapacity, kLoadFactor);
    m_retired->add(entry);
}

void CMC_Object::flushRetired() {
    if (!m_retired) return;
    for (int i = 0; i < m_retired->getCount(); ++i) deleteEntry(static_cast<CXTriple*>(m_retired->at(i)));
    m_retired->removeAll();
}

CXVector* CMC_Object::findList(const CXString& key) {
    if (!m_handlers) return nullptr;
    CStringHashCode& probe = handlerLookupKey();
    probe.set(key.c_str());
    return static_cast<CXVector*>(m_handlers->get(&probe));
}

CXVector* CMC_Object::findRaisedList(const CXString& key) {
    if (!m_handlers) return nullptr;
    if (!m_raisedLists) m_raisedLists = new RaisedLists;
    RaisedLists& raised = *m_raisedLists;
    // A caret key (up to its terminator, as the table reads it) misses a table without
    // any: events raised with changing arguments (a tick count) stay out of the memo.
    if (raised.caretKeys < 0) raised.caretKeys = hasCaretKey(m_handlers) ? 1 : 0;
    if (raised.caretKeys == 0 && std::strchr(key.c_str(), '^')) return nullptr;
    // Whole texts compare: two keys the table takes as one (equal up to a terminator
    // inside) are only remembered apart.
    for (int i = 0; i < raised.count; ++i)
        if (sameText(raised.keys[i], key)) return raised.lists[i];
    CXVector* list = findList(key);
    const int slot = raised.next;
    raised.keys[slot] = key;
    raised.lists[slot] = list;
    raised.next = (slot + 1) % RaisedLists::kSize;
    if (raised.count < RaisedLists::kSize) ++raised.count;
    return list;
}

void CMC_Object::forgetRaisedLists() {
    if (!m_raisedLists) return;
    m_raisedLists->count = 0;
    m_raisedLists->next = 0;
    m_raisedLists->caretKeys = -1;
}

void CMC_Object::deleteHandlerTable() {
    if (!m_handlers) return;
    const CXVector* lists = m_handlers->getElements();
    std::vector<CXVector*> owned;
    for (int i = 0; lists && i < lists->getCount(); ++i) owned.push_back(static_cast<CXVector*>(lists->at(i)));
    for (CXVector* list : owned) {
        for (CXTriple* entry : entriesOf(list)) retireEntry(entry);
        delete list;
    }
    delete m_handlers;
    m_handlers = nullptr;
    forgetRaisedLists();
}

bool CMC_Object::verifyBehaviour(CXString key) {
    (void)key;
    return true;
}

void CMC_Object::addBehaviour(CXString key, CMC_Behaviour* target, CXArray* arguments, CMC_ObjectsContainer* scope) {
    addEntry(key, target, arguments, scope);
}

void CMC_Object::addEntry(CXString key, CMC_Object* target, CXArray* arguments, CMC_ObjectsContainer* scope) {
    if (!verifyBehaviour(key)) {
        CXString::releaseToVector(arguments);
        return;
    }
    if (!m_handlers) m_handlers = new CHashtable(kHandlerTableCapacity, kLoadFactor, true);
    if (m_overrideSignals) removeBehaviourForce(key);
    setEventFlag(getSignalIndex(key));
    CXVector* list = findList(key);
    if (!list) {
        list = new CXVector(kListCapacity, kLoadFactor);
        m_handlers->put(new CStringHashCode(key), list);
        forgetRaisedLists();
    }
    list->add(newEntry(target, arguments, scope));
}

void CMC_Object::removeBehaviour(CXString key, CMC_ObjectsContainer* scope) {
    CXVector* list = findList(key);
    if (!list) return;
    for (CXTriple* entry : entriesOf(list)) {
        if (entryScope(entry) != scope) continue;
        list->remove(entry);
        retireEntry(entry);
    }
}

void CMC_Object::removeBehaviourForce(CXString key) {
    CXVector* list = findList(key);
    if (!list) return;
    for (CXTriple* entry : entriesOf(list)) retireEntry(entry);
    list->removeAll();
}

void CMC_Object::removeAllBehaviours() {
    flushBehList();
    deleteHandlerTable();
    delete m_tmpBehaviours;
    m_tmpBehaviours = nullptr;
}

CXVector* CMC_Object::getBehaviour(CXString key) { return findList(key); }

CXTriple* CMC_Object::getSingleBehaviour(CXString key, int i) {
    CXVector* list = findList(key);
    if (!list || i < 0 || i >= list->getCount()) return nullptr;
    return static_cast<CXTriple*>(list->at(i));
}

void CMC_Object::onSceneDone(CMC_ObjectsContainer* scope) {
    if (!m_handlers) return;
    for (const CXString& key : keysOf(m_handlers)) {
        CXVector* list = findList(key);
        if (!list) continue;
        for (CXTriple* entry : entriesOf(list)) {
            if (entryScope(entry) != scope) continue;
            list->remove(entry);
            retireEntry(entry);
        }
        if (list->getCount() == 0) {
            m_handlers->remove(list);
            forgetRaisedLists();
            delete list;
        }
    }
}

bool CMC_Object::hasHandlersOf(CMC_ObjectsContainer* scope) {
    for (const CXString& key : keysOf(m_handlers)) {
        CXVector* list = findList(key);
        for (int i = 0; list && i < list->getCount(); ++i)
            if (entryScope(static_cast<CXTriple*>(list->at(i))) == scope) return true;
    }
    return false;
}

void CMC_Object::storeHandlersOf(CXArchive* archive, CMC_ObjectsContainer* scope) {
    if (archive && archive->isStoring()) storeHandlers(archive, true, scope);
}

void CMC_Object::mergeHandlersInto(CMC_Object* target, CMC_ObjectsContainer* scope) {
    if (!target || !scope || target == this) return;
    if (!target->prepareEventList()) return;
    for (const CXString& key : keysOf(m_handlers)) {
        CXVector* list = findList(key);
        for (int i = 0; list && i < list->getCount(); ++i) {
            CXTriple* entry = static_cast<CXTriple*>(list->at(i));
            if (!dynamic_cast<PlaceholderEntry*>(entry)) continue;
            CMC_Object* found = scope->getObject(entryTarget(entry)->getName());
            const int index = target->getBehaviourIndex(key);
            if (!found || index == -1) continue;
            target->addEntry(key, found, copyArguments(entryArguments(entry)), scope);
            target->setEventFlag(index);
        }
    }
}

// ---- attaching from a definition ----------------------------------------------------

void CMC_Object::initializeBehaviours(CMC_ObjectsContainer* container, CMElement* element) {
    delete m_tmpBehaviours;
    m_tmpBehaviours = new CXVector(kListCapacity, kLoadFactor);
    if (!prepareEventList()) return;

    if (!element) {
        // Placeholders left by a scene binary become the behaviours of their names.
        if (!m_handlers || !container) return;
        for (const CXString& key : keysOf(m_handlers)) {
            CXVector* list = findList(key);
            if (!list) continue;
            const int index = getBehaviourIndex(key);
            for (int i = 0; i < list->getCount(); ++i) {
                CXTriple* entry = static_cast<CXTriple*>(list->at(i));
                if (!dynamic_cast<PlaceholderEntry*>(entry)) continue;
                CMC_Object* found = container->getObject(entryTarget(entry)->getName());
                if (index == -1 || !found) continue;
                // The entry's arguments move to a plain entry; the placeholder goes.
                list->setAt(i, newEntry(found, entryArguments(entry), nullptr));
                entry->setSecond(nullptr);
                retireEntry(entry);
                setEventFlag(index);
            }
        }
        return;
    }

    CMProperties* properties = element->getProperties();
    for (int p = 0; properties && p < properties->getCount(); ++p) {
        CMProperty* property = properties->getAt(p);
        if (!property) continue;
        const CXString key = property->getName();
        for (int e = 0; m_eventList && m_eventList[e]; ++e) {
            if (!key.startsWith(*m_eventList[e])) continue;
            CXString value = property->getValue();
            if (!container || !value.IsString()) continue;
            value.AllTrim(' ');

            CMC_Object* target = nullptr;
            CXArray* arguments = nullptr;
            if (value.GetAt(0) == '{') {
                CXString name("beh_");
                if (container->getType() == CMC_ObjectsContainer::kClass) name += container->getName() + "_";
                name += m_name + "_" + key;
                CMC_Behaviour* inlined = new CMC_Behaviour(container, name, value);
                inlined->init();
                m_tmpBehaviours->add(static_cast<CMC_Object*>(inlined));
                container->addObject(inlined);
                target = inlined;
            } else {
                CXString name = value;
                const int open = value.Find('(');
                if (open >= 0) {
                    name = value.Left(open);
                    name.AllTrim(' ');
                    const int close = value.Find(')', open + 1);
                    CXString inside = close >= 0 ? value.Mid(open + 1, close) : value.Right(open + 1);
                    inside.AllTrim(' ');
                    arguments = inside.toVector();
                }
                target = container->getObject(name);
            }
            if (!target) {
                CXString::releaseToVector(arguments);
                continue;
            }
            addEntry(key, target, arguments, container);
            setEventFlag(e);
        }
    }
}

// ---- raising ------------------------------------------------------------------------

bool CMC_Object::raise(const CXString& key, CXArray* arguments, bool useOwn) {
    CXVector* list = findRaisedList(key);
    if (!list || list->getCount() == 0) return false;
    ++m_raiseDepth;
    bool first = true;
    // The entries as found now; a single handler (the common case) needs no copy of
    // the list.
    CXTriple* single = list->getCount() == 1 ? static_cast<CXTriple*>(list->at(0)) : nullptr;
    std::vector<CXTriple*> many;
    if (!single) many = entriesOf(list);
    CXTriple* const* entries = single ? &single : many.data();
    const size_t count = single ? 1 : many.size();
    for (size_t k = 0; k < count; ++k) {
        CXTriple* entry = entries[k];
        // A handler may have removed later entries (they wait in the retired list);
        // before the first one runs, the list is the one just found.
        if (!first) {
            CXVector* current = findRaisedList(key);
            if (!current || !current->contains(entry)) continue;
        }
        first = false;
        CMC_Object* target = currentTarget(entry);
        // An exact type test first: the cast's walk costs more than the rest of the look-up.
        CMC_Behaviour* behaviour = target && &typeid(*target) == &typeid(CMC_Behaviour)
                                       ? static_cast<CMC_Behaviour*>(target)
                                       : dynamic_cast<CMC_Behaviour*>(target);
        if (!behaviour) continue;
        behaviour->run(this, useOwn ? entryArguments(entry) : arguments, true);
    }
    if (--m_raiseDepth == 0) flushRetired();
    return true;
}

bool CMC_Object::onSignal(CXString key) {
    const bool taken = raise(key, nullptr, true);
    keepKey(key);
    return taken;
}

bool CMC_Object::onSignal(CXString key, CXArray* arguments) {
    const bool taken = raise(key, arguments, false);
    keepKey(key);
    return taken;
}

bool CMC_Object::onSignal(const CXString& event, const CXString& argument) {
    // Both keys are built before either raise (a handler may change the texts passed
    // in), in spare buffers that the raises hand back.
    CXString plain = takeKey();
    plain = event;
    CXString key = takeKey();
    key = plain;
    key += '^';
    key += argument;
    if (onSignal(std::move(key))) {
        keepKey(plain);
        return true;
    }
    return onSignal(std::move(plain));
}

// ---- common part of the binary form -------------------------------------------------

void CMC_Object::serialize(CXArchive* archive) {
    if (!archive) return;
    if (archive->isStoring())
        storeHandlers(archive);
    else
        loadHandlers(archive);
}

void CMC_Object::storeHandlers(CXArchive* archive, bool onlyScope, CMC_ObjectsContainer* scope) {
    *archive << m_name;
    // Entries without a target have no behaviour name to store and are left out.
    std::vector<std::pair<CXString, CXTriple*>> records;
    for (const CXString& key : keysOf(m_handlers)) {
        CXVector* list = findList(key);
        for (int i = 0; list && i < list->getCount(); ++i) {
            CXTriple* entry = static_cast<CXTriple*>(list->at(i));
            if (onlyScope && entryScope(entry) != scope) continue;
            if (currentTarget(entry)) records.emplace_back(key, entry);
        }
    }
    *archive << static_cast<int>(records.size());
    for (auto& [key, entry] : records) {
        *archive << key;
        *archive << entryTarget(entry)->getName();
        CXArray* arguments = entryArguments(entry);
        const int n = arguments ? arguments->getCount() : 0;
        *archive << n;
        for (int i = 0; i < n; ++i) {
            CXString* s = stringAt(arguments, i);
            *archive << (s ? *s : CXString());
        }
    }
}

void CMC_Object::loadHandlers(CXArchive* archive) {
    CXString name;
    if (!readText(archive, &name)) return;
    m_name = name;
    int count = 0;
    if (!readNumber(archive, &count) || count <= 0) return;
    if (!m_handlers) m_handlers = new CHashtable(kHandlerTableCapacity, kLoadFactor, true);
    // Records are kept up to the end of the data; a record cut short is dropped.
    for (int r = 0; r < count; ++r) {
        CXString key, behaviour;
        int n = 0;
        if (!readText(archive, &key) || !readText(archive, &behaviour) || !readNumber(archive, &n)) return;
        CXArray* arguments = nullptr;
        if (n > 0) {
            arguments = new CXArray(1, kLoadFactor);
            for (int i = 0; i < n; ++i) {
                CXString text;
                if (!readText(archive, &text)) {
                    CXString::releaseToVector(arguments);
                    return;
                }
                arguments->add(new CXString(text));
            }
        }
        CXVector* list = findList(key);
        if (!list) {
            list = new CXVector(kListCapacity, kLoadFactor);
            m_handlers->put(new CStringHashCode(key), list);
            forgetRaisedLists();
        }
        list->add(makePlaceholderEntry(behaviour, arguments));
    }
}

// ---- statics ------------------------------------------------------------------------

void CMC_Object::flush(CMC_Variable* value, bool flag) {
    (void)flag;
    if (value && value->getPoolIndex() >= 0) CMC_VariableFactory::free(value);
}

CXString CMC_Object::typeToString(int type) {
    for (const TypeWord& t : kTypeWords)
        if (t.id == type && t.text) return CXString(t.text);
    return CXString::toString(type);
}

int CMC_Object::getTypeId(CXString word) {
    for (const TypeWord& t : kTypeWords)
        if (word == t.word) return t.id;
    return -1;
}
