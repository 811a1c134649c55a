#include "platform/DynamicLibrary.h"

#include <dlfcn.h>

#include <utility>

#include "platform/FileSystem.h"

namespace platform {

namespace {

IDynamicLibraries* g_libraries = nullptr;

SystemDynamicLibraries& systemLibraries() {
    static SystemDynamicLibraries instance;
    return instance;
}

thread_local std::string t_lastError;

void noteError() {
    const char* message = dlerror();
    t_lastError = message ? message : "";
}

}  // namespace

// ---- system loader -------------------------------------------------------------

void* SystemDynamicLibraries::open(const char* enginePath) {
    if (!enginePath || !*enginePath) return nullptr;
    std::string native = toNativePath(enginePath);
    // A name without a separator would make dlopen search the system's library path.
    if (native.find('/') == std::string::npos) native = "./" + native;
    dlerror();
    void* handle = dlopen(native.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) noteError();
    return handle;
}

void* SystemDynamicLibraries::symbol(void* library, const char* name) {
    if (!library || !name) return nullptr;
    dlerror();
    void* address = dlsym(library, name);
    if (!address) noteError();
    return address;
}

void SystemDynamicLibraries::close(void* library) {
    if (library) dlclose(library);
}

std::string SystemDynamicLibraries::lastError() { return t_lastError; }

// ---- fake loader ---------------------------------------------------------------

FakeDynamicLibraries::Library& FakeDynamicLibraries::add(const std::string& enginePath,
                                                         std::map<std::string, void*> symbols) {
    Library& library = m_libraries[enginePath];
    library.symbols = std::move(symbols);
    return library;
}

FakeDynamicLibraries::Library* FakeDynamicLibraries::find(const std::string& enginePath) {
    auto it = m_libraries.find(enginePath);
    return it == m_libraries.end() ? nullptr : &it->second;
}

void* FakeDynamicLibraries::open(const char* enginePath) {
    const std::string path = enginePath ? enginePath : "";
    requests.push_back(path);
    directories.push_back(getCurrentDirectory());
    Library* library = find(path);
    if (!library) return nullptr;
    ++library->openCount;
    return library;
}

void* FakeDynamicLibraries::symbol(void* library, const char* name) {
    lookups.emplace_back(name ? name : "");
    if (!library || !name) return nullptr;
    auto* lib = static_cast<Library*>(library);
    auto it = lib->symbols.find(name);
    return it == lib->symbols.end() ? nullptr : it->second;
}

void FakeDynamicLibraries::close(void* library) {
    if (library) ++static_cast<Library*>(library)->closeCount;
}

// ---- the loader in force -------------------------------------------------------

IDynamicLibraries& dynamicLibraries() { return g_libraries ? *g_libraries : systemLibraries(); }

void setDynamicLibraries(IDynamicLibraries* libraries) { g_libraries = libraries; }

}  // namespace platform
