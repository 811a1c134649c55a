// The CLASS script type (3004): a group of objects and behaviours written once in a
// class file under "$COMMON\CLASSES\" and instantiated by name at run time.
//
// A class object is what a definition file declares ("DEF": the class file, "BASE":
// base class files separated by ","); it reads no file and holds no objects. "NEW"
// makes an instance: a scope holding its own copies of the objects of every base
// file and then of the class file. A name declared again by a later file takes the
// plain name; the earlier object stays reachable as "SUPER_" + its name.
//
// Look-up: an instance searches itself, then its class object, then the class
// object's scene and that scene's parents. An instance is owned by the class object's
// scene, whichever container holds it.
#pragma once
#include <cstdint>
#include <vector>

#include "foundation/CXString.h"
#include "script/CMC_ObjectsContainer.h"

class CMElement;

class CMC_Class : public CMC_ObjectsContainer {
public:
    static constexpr int kType = 3004;

    // The class object of a definition element; `scene` owns it and is its look-up
    // parent. Reads "DEF" and "BASE" (empty when missing) and no file.
    CMC_Class(CMC_ObjectsContainer* scene, CMElement* element);
    // An instance of `classObject` named `name`, owned by `scene`: the objects of the
    // base files, then those of the class file. Not initialised.
    CMC_Class(CMC_ObjectsContainer* scene, CMC_Class* classObject, CXString name);
    // Unloads what the instance still holds (an instance replaced or deleted without
    // being finished would otherwise leave its objects behind) and detaches the
    // instances of a class object, which then look up from its scene.
    ~CMC_Class() override;
    CMC_Class(const CMC_Class&) = delete;
    CMC_Class& operator=(const CMC_Class&) = delete;

    // A new, initialised instance of this class object, not added to any container.
    CMC_Class* newInstance(CXString name);

    // Initialises a copy of the object list in order, then raises the own "ONINIT".
    void init() override;
    // Runs "DESTRUCTOR" (looked up from here), unloads the objects, then the common done.
    bool done(bool flag) override;
    // Registers the object; one already registered here under its name is renamed
    // "SUPER_" + name and registered again the same way.
    void addObject(CMC_Object* object) override;

    CXString getDefinition() const { return m_definition; }
    CXString getBases() const { return m_bases; }
    // The class object an instance was made from; null for a class object and for an
    // instance whose class object has gone.
    CMC_Class* getClassObject() const { return m_classObject; }

    // Method runs in progress on this object (the class runner counts them), and its
    // deletion (DELETE, or a replacement by name): its objects are unloaded and
    // disposed of at once when no method runs, else when the last one ends; the
    // emptied object itself is deleted at the next application step (the global
    // trash), as statements may still hold it. leaveMethod returns true when it
    // unloaded the object.
    void enterMethod() { ++m_methodDepth; }
    bool leaveMethod();
    void unloadAndDelete();
    // Set while "DELETE" runs the destructor, so a nested "DELETE" leaves it alone.
    bool isBeingDeleted() const { return m_beingDeleted; }
    void setBeingDeleted() { m_beingDeleted = true; }

private:
    // "$COMMON\CLASSES\" + name, resolved against the disc folder.
    CXString getClassPath(CXString name);
    // Reads one class file into this container.
    void import(CXString name);
    // Reads each file of a "," separated list in order.
    void import_base(CXString bases);
    // Unloads the objects (disposing of them) and disposes of the object.
    void finishDeletion();
    void onDispose() override;
    // Disposes of the objects and drops the handlers attached from here elsewhere.
    void releaseObjects();

    CXString m_definition;
    CXString m_bases;
    CMC_Class* m_classObject = nullptr;
    std::vector<CMC_Class*> m_instances;
    int32_t m_methodDepth = 0;
    bool m_deletePending = false;
    bool m_beingDeleted = false;
};
