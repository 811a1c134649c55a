#include "script/CMC_DLLExModuleInterface.h"

#include "foundation/CEngineEnv.h"
#include "platform/DynamicLibrary.h"
#include "platform/FileSystem.h"

namespace {

bool isAbsolute(const std::string& path) {
    return !path.empty() && (path[0] == '\\' || path[0] == '/' || (path.size() > 1 && path[1] == ':'));
}

// The entry under its decorated name, else under its plain one.
template <class Entry>
Entry findEntry(void* module, const char* decorated, const char* plain) {
    platform::IDynamicLibraries& libraries = platform::dynamicLibraries();
    void* address = libraries.symbol(module, decorated);
    if (!address) address = libraries.symbol(module, plain);
    return reinterpret_cast<Entry>(address);
}

}  // namespace

std::vector<std::string> CMC_DLLExModuleInterface::libraryPaths(const CXString& name, const CXString& folder) {
    std::vector<std::string> out;
    std::string text = name.c_str();
    if (text.empty()) return out;
    std::vector<std::string> files;
    const bool hasDot = text.find('.') != std::string::npos;
    const bool isDll = text.size() > 4 && CXString(text.c_str() + text.size() - 4).equalsIgnoreCase(CXString(".dll"));
    if (!hasDot || isDll) {
        const std::string base = isDll ? text.substr(0, text.size() - 4) : text;
        // "lib" goes before the file part, after any folders.
        const size_t slash = base.find_last_of("\\/");
        const size_t at = slash == std::string::npos ? 0 : slash + 1;
        files.push_back(base + ".so");
        files.push_back(base.substr(0, at) + "lib" + base.substr(at) + ".so");
    } else {
        files.push_back(text);
    }
    std::string prefix;
    if (folder.IsString()) {
        prefix = folder.c_str();
        if (prefix.back() != '\\' && prefix.back() != '/') prefix += '\\';
    }
    for (const std::string& file : files) out.push_back(isAbsolute(file) ? file : prefix + file);
    return out;
}

CMC_DLLExModuleInterface::CMC_DLLExModuleInterface(CXString name, CMC_ObjectsContainer* container) : m_name(name) {
    platform::IDynamicLibraries& libraries = platform::dynamicLibraries();

    // The module is loaded with the executable's folder as the current directory
    // and the directory is put back whatever happened.
    const std::string previous = platform::getCurrentDirectory();
    const CXString folder = CEngineEnv::executableFolder();
    if (folder.IsString()) platform::setCurrentDirectory(folder.c_str());
    for (const std::string& path : libraryPaths(name, folder)) {
        m_module = libraries.open(path.c_str());
        if (m_module) break;
    }
    if (!previous.empty()) platform::setCurrentDirectory(previous.c_str());
    if (!m_module) return;

    m_create = findEntry<CMC_ModuleCreate>(m_module, kModuleCreateDecorated, kModuleCreateName);
    m_release = findEntry<CMC_ModuleRelease>(m_module, kModuleReleaseDecorated, kModuleReleaseName);
    m_getInterface = findEntry<CMC_ModuleGetInterface>(m_module, kModuleInterfaceDecorated, kModuleInterfaceName);
    if (m_create) m_create(container);
    if (m_getInterface) m_interface = m_getInterface();
}

CMC_DLLExModuleInterface::~CMC_DLLExModuleInterface() {
    if (m_interface && m_release) m_release();
    m_interface = nullptr;
    m_create = nullptr;
    m_release = nullptr;
    m_getInterface = nullptr;
    if (m_module) platform::dynamicLibraries().close(m_module);
    m_module = nullptr;
}
