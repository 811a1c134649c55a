// The base of every script object: a name, a numeric type id, the container that
// holds it, an optional script class, clones, and the event machinery (the event list
// of its type with one flag per event, and handler entries kept per event key).
//
// Handler entries are CXTriple(target, arguments, scope): the behaviour to run (held
// as a CMC_Object*), an owned CXArray of owned CXString* arguments or null, and the
// container that attached the entry or null.
//
// Derived classes that override one of the overloaded virtuals (clone, onSignal,
// done) should say `using CMC_Object::clone;` (and so on) to keep the other forms.
#pragma once
#include <cstdint>
#include <initializer_list>

#include "foundation/CXObject.h"
#include "foundation/CXString.h"

class CHashtable;
class CXArchive;
class CXArray;
class CXTriple;
class CXVector;
class CMElement;
class CMC_Behaviour;
class CMC_Class;
class CMC_ObjectsContainer;
class CMC_Runner;
class CMC_Variable;

class CMC_Object : public CXObject {
public:
    // Position of "ONINIT" and "ONDONE" in every event list that has them.
    static constexpr int kInitEventIndex = 0;
    static constexpr int kDoneEventIndex = 1;

    // No scene, no handlers; override-signals on.
    CMC_Object(CXString name, int type);
    // Name from the element, scene = container. The derived constructor reads its own
    // properties and then calls initializeBehaviours(container, element).
    CMC_Object(CMC_ObjectsContainer* container, CMElement* element, int type);
    // Copies the name, type, flags, scene, class and clone counter. The owned parts
    // (event list, flags, handlers, temporary behaviour list) are not shared: the copy
    // starts without them and clone(CMC_Object*) gives a clone its own copies.
    CMC_Object(const CMC_Object& other);
    CMC_Object& operator=(const CMC_Object&) = delete;
    // Raises "ONDONE" when handled and prepareDelete() has not done so already; then
    // frees the event list, flags, handler entries (with their arguments), the table
    // and the temporary behaviour list (not the behaviours in it).
    ~CMC_Object() override;

    // The name.
    CXString toString() override;

    virtual void init();
    virtual bool doneFirst();
    virtual bool done(bool flag);
    virtual void setScene(CMC_ObjectsContainer* scene);
    virtual CMC_ObjectsContainer* getScene();
    virtual int getClonesNo();
    // The number after the last "_" when that "_" is neither first nor last; else 0.
    virtual int getCloneIdx();
    // Advances the clone counter; NAME_<counter>.
    virtual CXString getCloneName();
    using CXObject::clone;
    // Completes a copy made by clone() as a clone of this object and adds it to the scene.
    virtual void clone(CMC_Object* copy);
    // `count` clones; nothing when clone() gives null or there is no scene to own them.
    virtual void clone(int count);
    virtual void resetClones();
    virtual void flush();
    // Position of the first event name that the key begins with; -1 when none.
    virtual int getBehaviourIndex(CXString key);
    // With an element: attaches its handlers. With null: resolves the placeholders
    // that a scene binary left, by name through the container.
    virtual void initializeBehaviours(CMC_ObjectsContainer* container, CMElement* element);
    // A new null-terminated array of new strings (see makeBehavioursList); null here.
    virtual CXString** getBehavioursList();
    virtual CMC_Runner* getRunner();
    virtual bool verifyBehaviour(CXString key);
    // Takes ownership of `arguments`.
    virtual void addBehaviour(CXString key, CMC_Behaviour* target, CXArray* arguments,
                              CMC_ObjectsContainer* scope);
    virtual void removeBehaviour(CXString key, CMC_ObjectsContainer* scope);
    virtual void removeBehaviourForce(CXString key);
    virtual void removeAllBehaviours();
    virtual CXVector* getBehaviour(CXString key);
    virtual CXTriple* getSingleBehaviour(CXString key, int i);
    virtual CXVector* getTmpBehList();
    virtual CMC_Class* getClass();
    virtual void setClass(CMC_Class* cls);
    // Runs the behaviours under exactly `key` (with `arguments` in place of each
    // entry's own); true when the key has at least one entry.
    virtual bool onSignal(CXString key, CXArray* arguments);
    virtual bool onSignal(CXString key);
    // The caret rule: raises EVENT^ARGUMENT and, when no handler list took that key,
    // the plain EVENT. True when either was taken.
    bool onSignal(const CXString& event, const CXString& argument);
    // The name and the handler entries; reads or writes by the archive's direction.
    virtual void serialize(CXArchive* archive);
    // Drops every entry whose scope is `scope`; emptied lists leave the table.
    virtual void onSceneDone(CMC_ObjectsContainer* scope);
    // Whether an entry was attached by `scope` (a scene whose elements merged into this
    // object).
    bool hasHandlersOf(CMC_ObjectsContainer* scope);
    // Writes the common part as serialize does, with only the entries that `scope`
    // attached: the record of a scene whose elements merged into this object.
    void storeHandlersOf(CXArchive* archive, CMC_ObjectsContainer* scope);
    // Attaches the entries that a scene image left on this object (placeholders) to
    // `target`, with the behaviours `scope` finds by name and `scope` as the entries'
    // scope, as the definition's merge into `target` did.
    void mergeHandlersInto(CMC_Object* target, CMC_ObjectsContainer* scope);

    CXString getName() const { return m_name; }
    // The name without a copy, for look-ups.
    const CXString& getNameRef() const { return m_name; }
    void setName(CXString name) { m_name = name; }
    int getType() const { return m_type; }
    bool isClone() const { return m_isClone; }
    // Value types mark the copies their clone() makes.
    void setCloneFlag(bool on) { m_isClone = on; }
    bool isTemporary() const { return m_isTemporary; }
    void setAsTemporary() { m_isTemporary = true; }
    void overideSignals(bool on) { m_overrideSignals = on; }
    bool isOverridingSignals() const { return m_overrideSignals; }

    // The key up to its first "^", compared exactly with each event name; -1 when none.
    int getSignalIndex(CXString key);
    // Whether the flag of event `index` exists and is set.
    bool isEventHandled(int index) const {
        return m_eventFlags && index >= 0 && index < m_eventCount && m_eventFlags[index] == 1;
    }
    int getEventCount() const { return m_eventCount; }
    // The event list fetched from getBehavioursList (null before the first fetch).
    CXString** getEventList() const { return m_eventList; }

    // Raises "ONDONE" (when handled) while the whole object still exists, so the
    // destructor does not raise it again. Owners call it right before deleting.
    void prepareDelete();
    // prepareDelete() and delete; nothing for null. Only for objects that no script
    // can be running or holding (owned helpers, the unload of a container at the end
    // of its life, where no script runs).
    static void destroy(CMC_Object* object);
    // The one way a script object dies while scripts may run: its "ONDONE" runs now,
    // while everything it names still exists, and the global trash deletes it at the
    // next application step. The caller has taken it out of its container's tables
    // (CMC_ObjectsContainer::deleteObject does both). Nothing for null or for an object
    // handed over already.
    static void dispose(CMC_Object* object);
    // dispose without "ONDONE" (a scene's REMOVE): the object is deleted at the next
    // application step and raises nothing, now or then.
    static void disposeQuietly(CMC_Object* object);
    bool isDisposed() const { return m_disposed; }

    // Returns a pooled temporary to its pool; values that are not pooled stay alone.
    static void flush(CMC_Variable* value, bool flag = false);
    // The type word of an id, or its decimal text.
    static CXString typeToString(int type);
    // The id of a type word (exact, with case); -1 for any other word.
    static int getTypeId(CXString word);
    // A new event list in the form getBehavioursList returns.
    static CXString** makeBehavioursList(std::initializer_list<const char*> names);
    // Deletes such a list with its strings; nothing for null.
    static void freeBehavioursList(CXString** list);

    // A new handler entry; it owns `arguments`.
    static CXTriple* makeEntry(CMC_Object* target, CXArray* arguments, CMC_ObjectsContainer* scope);
    // A new entry that owns a placeholder standing for the behaviour of that name.
    static CXTriple* makePlaceholderEntry(const CXString& behaviourName, CXArray* arguments);
    // Deletes a handler entry with its argument list (and its placeholder); never
    // touches any other target, which may be gone already.
    static void deleteEntry(CXTriple* entry);
    // The entry's target as a script object.
    static CMC_Object* entryTarget(CXTriple* entry);
    static CXArray* entryArguments(CXTriple* entry);
    static CMC_ObjectsContainer* entryScope(CXTriple* entry);
    // A new argument list of copies of the strings; null for null.
    static CXArray* copyArguments(CXArray* arguments);
    // Whether the object stands for a behaviour named in a scene binary, not yet found.
    bool isPlaceholder() const { return m_isPlaceholder; }

protected:
    // Called by dispose before "ONDONE": an object that holds other script objects
    // hands them over too. Nothing here.
    virtual void onDispose() {}
    // Frees the event list and the event flags.
    void flushBehList();
    // Fetches the event list when missing and creates zeroed flags for it; false
    // when the type has no list.
    bool prepareEventList();

    // Attaches one entry; the target may be any object (only behaviours run).
    void addEntry(CXString key, CMC_Object* target, CXArray* arguments, CMC_ObjectsContainer* scope);
    // A new handler entry. A target that the entry's scope (this object's scene when
    // none) finds by its name is held by name: after any container removal the entry
    // looks the name up again (see currentTarget). Other targets belong to the caller.
    CXTriple* newEntry(CMC_Object* target, CXArray* arguments, CMC_ObjectsContainer* scope);
    // The entry's target, looked up again by name when it was found by name and any
    // container has dropped an object since; null when the name finds nothing now.
    CMC_Object* currentTarget(CXTriple* entry);

private:
    // Deletes every handler entry, list and the table.
    void deleteHandlerTable();
    // Deletes an entry now, or after the outermost raise when one is running.
    void retireEntry(CXTriple* entry);
    void flushRetired();
    // Sets the flag at `index` when it lies inside the flags.
    void setEventFlag(int index);
    // The handler list of exactly `key`, or null.
    CXVector* findList(const CXString& key);
    // findList for raises: the lists (or misses) of the last few keys raised are
    // remembered until the table gains or loses a key.
    CXVector* findRaisedList(const CXString& key);
    // Forgets the remembered lists; called whenever a key enters or leaves the table.
    void forgetRaisedLists();
    // Runs the behaviours of `key` with `arguments` or, when useOwn, each entry's own.
    bool raise(const CXString& key, CXArray* arguments, bool useOwn);
    // Every entry, or only those of `scope` when `onlyScope`.
    void storeHandlers(CXArchive* archive, bool onlyScope = false, CMC_ObjectsContainer* scope = nullptr);
    void loadHandlers(CXArchive* archive);

    CXString m_name;
    int32_t m_type;
    bool m_isClone = false;
    bool m_isTemporary = false;
    bool m_overrideSignals = true;
    CXString** m_eventList = nullptr;
    CHashtable* m_handlers = nullptr;
    struct RaisedLists;
    RaisedLists* m_raisedLists = nullptr;
    CXVector* m_tmpBehaviours = nullptr;
    uint8_t* m_eventFlags = nullptr;
    int32_t m_eventCount = 0;
    CMC_ObjectsContainer* m_scene = nullptr;
    CMC_Class* m_class = nullptr;
    int32_t m_clonesNo = 0;
    bool m_doneRaised = false;
    bool m_isPlaceholder = false;
    // While handlers run, removed entries wait here so the running ones stay valid.
    int32_t m_raiseDepth = 0;
    CXVector* m_retired = nullptr;
    // Handed to dispose; and whether the global trash holds it now (the trash keeps
    // the flag, so that leaving it costs no search).
    bool m_disposed = false;
    bool m_inTrash = false;
    friend class CMC_Behaviour;
};
