// The contract between the engine and an extension module: a shared library that a
// scene names in its "DLLS" list and that adds script object types of its own.
//
// File name. A module named "x.dll" or "x" is looked for as "x.so", then "libx.so";
// a name with any other dot is taken as it is. A relative name is found in the
// executable's folder.
//
// Entries. The library exports three functions. Each is looked up first under its
// decorated name and then under its plain name, so a module written in C++ simply
// exports the plain names with C linkage (VONDREL_MODULE_ENTRIES does that):
//
//   create              void (CMC_ObjectsContainer* scene)   once, right after loading
//   getModuleInterface  CMC_ExternObject* ()                 once, right after create
//   release             void ()                              once, before unloading; only
//                                                            when getModuleInterface gave
//                                                            an object
//
// The interface object (CMC_ExternObject.h) stays the module's: the engine never
// deletes it and forgets it before the library is unloaded. Objects that the module
// creates for the engine (resolveExtern, serializeExtern) belong to the scene, which
// may outlive the library, so their classes must be the engine's own or live outside
// the module.
//
// A module:
//
//   #include "script/CMC_ModuleExports.h"
//   class Factory : public CMC_ExternObject { ... };
//   static Factory g_factory;
//   static void start(CMC_ObjectsContainer* scene) { ... }
//   static void stop() { ... }
//   VONDREL_MODULE_ENTRIES(start, stop, &g_factory)
#pragma once
#include "script/CMC_ExternObject.h"

class CMC_ObjectsContainer;

// The entries' signatures.
using CMC_ModuleCreate = void (*)(CMC_ObjectsContainer* scene);
using CMC_ModuleRelease = void (*)();
using CMC_ModuleGetInterface = CMC_ExternObject* (*)();

// The names under which the entries are looked up, decorated first.
inline constexpr const char* kModuleCreateDecorated = "?create@@YAXPAVCMC_ObjectsContainer@@@Z";
inline constexpr const char* kModuleReleaseDecorated = "?release@@YAXXZ";
inline constexpr const char* kModuleInterfaceDecorated = "?getModuleInterface@@YAPAVCMC_ExternObject@@XZ";
inline constexpr const char* kModuleCreateName = "create";
inline constexpr const char* kModuleReleaseName = "release";
inline constexpr const char* kModuleInterfaceName = "getModuleInterface";

// Exports the three plain entry names from a module's source file. `createBody` and
// `releaseBody` are functions of the signatures above; `interfaceObject` is an
// expression giving the module's CMC_ExternObject* (or null).
#define VONDREL_MODULE_ENTRIES(createBody, releaseBody, interfaceObject)                                  \
    extern "C" __attribute__((visibility("default"))) void create(CMC_ObjectsContainer* scene) {         \
        createBody(scene);                                                                                \
    }                                                                                                     \
    extern "C" __attribute__((visibility("default"))) CMC_ExternObject* getModuleInterface() {           \
        return (interfaceObject);                                                                         \
    }                                                                                                     \
    extern "C" __attribute__((visibility("default"))) void release() { releaseBody(); }
