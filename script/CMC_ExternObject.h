// What an extension module hands back to the runtime: its factory for script objects
// of types the engine does not know. Not a script object; the module supplies every
// body. The engine never calls the first two operations.
#pragma once
#include <cstdint>

class CXArchive;
class CMElement;
class CMC_Object;
class CMC_ObjectsContainer;

class CMC_ExternObject {
public:
    CMC_ExternObject() = default;
    CMC_ExternObject(const CMC_ExternObject&) = default;
    CMC_ExternObject& operator=(const CMC_ExternObject&) = default;

    virtual void reserved1() = 0;
    virtual void reserved2() = 0;
    // A new object for a definition element of the module's own type, or null.
    virtual CMC_Object* resolveExtern(CMC_ObjectsContainer* scene, CMElement* element) = 0;
    // A new object read from a scene binary (the archive at its data), or null.
    virtual CMC_Object* serializeExtern(int32_t type, CXArchive* archive) = 0;

protected:
    // Modules own their interface object; the engine never deletes it.
    ~CMC_ExternObject() = default;
};
