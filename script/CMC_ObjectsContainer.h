// A named scope of script objects (the application, an episode, a scene, a script
// class). Objects are registered under their exact names; a name not found here is
// tried without a final "_0" and then, in full, in the look-up parent. The container
// finishes and deletes its objects in unload; its destructor deletes none of them.
#pragma once
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "foundation/CXString.h"
#include "script/CMC_Object.h"

class CGraphicsObject;
class CHashtable;
class CStringHashCode;
class CWindow;
class CXVector;
class CMElement;
class CMElements;
class CMC_Variable;

class CMC_ObjectsContainer : public CMC_Object {
public:
    // The engine object behind a script object of one type (NAME!FRAME passes the
    // frame name; empty otherwise), or null. The types that own graphics register one.
    using GraphicsAccessor = CGraphicsObject* (*)(CMC_Object* object, const CXString& frame);

    // Type ids of the containers that unload never deletes.
    enum : int32_t { kApplication = 1000, kEpisode = 1001, kScene = 1002, kClass = 3004 };

    CMC_ObjectsContainer(CWindow* window, CMC_ObjectsContainer* parent, CMElement* element, int type);
    CMC_ObjectsContainer(CWindow* window, CMC_ObjectsContainer* parent, CXString name, int type);
    // Deletes the tables and the look-up key, never the objects; objects waiting in
    // the global trash with this as their scene forget it.
    ~CMC_ObjectsContainer() override;
    CMC_ObjectsContainer(const CMC_ObjectsContainer&) = delete;
    CMC_ObjectsContainer& operator=(const CMC_ObjectsContainer&) = delete;

    // Unregisters without deleting; false when the object is not registered here.
    virtual bool removeObject(CMC_Object* object);
    // The one entry point for deleting a registered object while scripts may run:
    // unregisters it (look-ups stop finding it at once) and disposes of it
    // (CMC_Object::dispose: "ONDONE" now, deletion at the next application step).
    // False, and nothing done, when the object is not registered here or is an
    // application, episode or scene (no container deletes those).
    bool deleteObject(CMC_Object* object);
    // The same without "ONDONE" when `raiseDone` is false.
    bool deleteObject(CMC_Object* object, bool raiseDone);
    // Registers under the object's current name; an object of that name already
    // registered is unregistered and disposed of as deleteObject does (an application,
    // episode or scene is only unregistered). Re-adding an object that is registered
    // under its name does nothing. An application, episode or scene may register
    // itself; other containers never do.
    virtual void addObject(CMC_Object* object);
    // Tells every object that `scene` is done, then the parent.
    virtual void onSubSceneDone(CMC_ObjectsContainer* scene);
    // Finishes (done) and deletes the objects at once, passing over applications,
    // episodes and scenes; the container is empty and usable afterwards. Only where no
    // script runs (a container at the end of its life): an unload a script may have
    // started disposes of them (unloadObjects(true)), as leaving a scene does.
    virtual void unload();

    // Builds and registers the objects of a definition file here, kind by kind in the
    // type table's passes; returns a new plain list (the caller deletes it, not the
    // elements) of the elements for which no new object was registered.
    CMElements* resolveObjects(CMElements* elements);
    // Builds one object from an element without registering it; a new vector (the
    // caller's) holding it, or empty. With a group, the object's "beh_" handlers join it.
    CXVector* resolve(CMElement* element, CMC_Object* group);
    // Offers an element of a TYPE word the engine does not know to the extension
    // modules: the scene overrides it; the base hands it to its own scene (getScene)
    // and gives null when there is none.
    virtual CMC_Object* resolveEx(CMElement* element);

    // The object at a position of the registration order; null outside it.
    CMC_Object* getObject(int index);
    // Look-up by name through "_0" and the parent chain; null when not found.
    CMC_Object* getObject(const char* name);
    CMC_Object* getObject(const CXString& name) { return getObject(name.c_str()); }
    // getObject by name when the object is an INTEGER, STRING, BOOL or DOUBLE.
    CMC_Variable* getVariable(const CXString& name);
    // Position of the first object of that exact name here; -1 when none.
    int getObjectId(CXString name);
    // A new vector (the caller's) of this container's objects of a type id.
    CXVector* getObjectsOfType(int type);
    // Number of registered objects.
    int getElementsNo();
    // Grows whenever any container unregisters an object. Whoever keeps an object
    // found by name compares it to know when to look the name up again.
    static uint32_t getRemovalCount() { return s_removals; }
    // Grows whenever what a look-up by name may find changes anywhere: an object
    // registered or unregistered, a parent set, a container made or gone. A miss
    // stays a miss while it is the same.
    static uint32_t getChangeCount() { return s_changes; }
    // Objects in registration order (the container's own list).
    const CXVector* getObjectList() const;
    // The INTERNET objects created here, whose finished downloads the scene's step delivers.
    CXVector* getDownloadList() const { return m_downloads; }

    // The engine graphics object behind NAME or NAME!FRAME; null when none.
    CGraphicsObject* getGraphicsObject(CXString text);
    // The script name of the object whose graphics object this is, or "UNKNOWN".
    CXString getGraphicsObjectName(CGraphicsObject* graphics, bool withParents);
    static void registerGraphicsAccessor(int type, GraphicsAccessor accessor);
    static GraphicsAccessor getGraphicsAccessor(int type);

    // Unregisters the old parent (and its parent), stores the new one and registers
    // its parent and then it here.
    void setParent(CMC_ObjectsContainer* parent);
    CMC_ObjectsContainer* getParent() const { return m_parent; }
    // Sets the look-up parent without registering anything.
    void setLookupParent(CMC_ObjectsContainer* parent) {
        m_parent = parent;
        ++s_changes;
    }
    CWindow* getWindow() const { return m_window; }

    // Whether the type id is that of an application, episode or scene.
    static bool isContainerType(int type) { return type == kApplication || type == kEpisode || type == kScene; }

protected:
    // unload's work; with `dispose` the objects are disposed of (CMC_Object::dispose)
    // instead of deleted at once, for a container that goes while scripts run.
    void unloadObjects(bool dispose);

private:
    // Longest parent chain a look-up follows (a cycle of parents ends there).
    static constexpr int kMaxLookupDepth = 64;

    void createTables();
    CMC_Object* findHere(const char* name);
    CMC_Object* lookup(const char* name, int depth);
    CXString graphicsObjectName(CGraphicsObject* graphics, bool withParents, int depth);
    // Takes the object out of the name table and the list, if there.
    bool unregister(CMC_Object* object);
    bool isMember(const CMC_Object* object) const { return m_members.count(object) != 0; }
    // unload's removal of a member: it stops being a member at once, and leaves the list
    // and the name table at the next settle (a scan of the name table per object would
    // make an unload quadratic).
    void drop(CMC_Object* object);
    // Takes the dropped objects out of the list and the name table; every reader of
    // either calls it first, so nothing sees them there.
    void settle();

    CStringHashCode* m_lookupKey = nullptr;
    CXVector* m_objects = nullptr;
    // The objects in m_objects and their keys in m_names, for membership tests without
    // a scan of the list.
    std::unordered_map<const CMC_Object*, CStringHashCode*> m_members;
    // Entries of dropped objects still in m_objects and m_names (only while unload
    // deletes); the objects may be gone, so only their addresses are kept.
    std::vector<const void*> m_dropped;
    CXVector* m_downloads = nullptr;
    CHashtable* m_names = nullptr;
    CMC_ObjectsContainer* m_parent = nullptr;
    CWindow* m_window = nullptr;

    static inline uint32_t s_removals = 0;
    static inline uint32_t s_changes = 0;
};
