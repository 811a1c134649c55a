// One extension module of a scene: loads the module's library from the executable's
// folder, hands it the scene's container, keeps the interface object it returns, and
// at the end lets it clean up and unloads it. The library contract (file names,
// entries) is in CMC_ModuleExports.h. Nothing is reported: a library that cannot be
// loaded leaves an empty module object.
#pragma once
#include <string>
#include <vector>

#include "foundation/CXObject.h"
#include "foundation/CXString.h"
#include "script/CMC_ModuleExports.h"

class CMC_ObjectsContainer;

class CMC_DLLExModuleInterface : public CXObject {
public:
    // Loads the library (the current directory is the executable's folder meanwhile
    // and is restored afterwards), then calls create with the container and
    // getModuleInterface.
    CMC_DLLExModuleInterface(CXString name, CMC_ObjectsContainer* container);
    // release (only when an interface object was obtained), then unloads the library.
    ~CMC_DLLExModuleInterface() override;
    CMC_DLLExModuleInterface(const CMC_DLLExModuleInterface&) = delete;
    CMC_DLLExModuleInterface& operator=(const CMC_DLLExModuleInterface&) = delete;

    // The module's interface object, or null.
    CMC_ExternObject* getModuleInterface() const { return m_interface; }
    // The name as given.
    CXString getName() const { return m_name; }
    // Whether the library was loaded.
    bool isLoaded() const { return m_module != nullptr; }

    // The engine paths tried for a module name, in order: a name without a dot or
    // ending in ".dll" gives "<base>.so" and "lib<base>.so", any other name itself;
    // a relative name is placed in `folder`.
    static std::vector<std::string> libraryPaths(const CXString& name, const CXString& folder);

private:
    CXString m_name;
    CMC_ExternObject* m_interface = nullptr;
    void* m_module = nullptr;
    CMC_ModuleCreate m_create = nullptr;
    CMC_ModuleRelease m_release = nullptr;
    CMC_ModuleGetInterface m_getInterface = nullptr;
};
