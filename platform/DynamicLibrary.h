// Loading shared libraries at run time (the engine's extension modules): open a
// library file, look up its exported symbols, close it. Engine code reaches the
// loader only through dynamicLibraries(), so tests can install a FakeDynamicLibraries
// that serves libraries from a table and records what was asked.
//
// Paths are engine paths (see FileSystem.h); the system loader translates them to
// native paths and loads a relative path from the current directory, never from the
// system's library search path.
#pragma once
#include <map>
#include <string>
#include <vector>

namespace platform {

class IDynamicLibraries {
public:
    virtual ~IDynamicLibraries() = default;
    // The library at the path, loaded (or its count of users raised); null when it
    // cannot be loaded.
    virtual void* open(const char* enginePath) = 0;
    // The address of an exported symbol of an open library; null when it has none.
    virtual void* symbol(void* library, const char* name) = 0;
    // Gives up one use of a library that open returned; nothing for null.
    virtual void close(void* library) = 0;
};

// dlopen (symbols resolved at once, kept local to the library), dlsym and dlclose.
class SystemDynamicLibraries : public IDynamicLibraries {
public:
    void* open(const char* enginePath) override;
    void* symbol(void* library, const char* name) override;
    void close(void* library) override;
    // The loader's message for the last failure (empty when none).
    static std::string lastError();
};

// Libraries served from a table of paths and symbols. Every path asked for is
// recorded, with the current directory at that moment; opens and closes are counted.
class FakeDynamicLibraries : public IDynamicLibraries {
public:
    struct Library {
        std::map<std::string, void*> symbols;
        int openCount = 0;   // opens that succeeded
        int closeCount = 0;  // closes
    };

    // Makes a library available under an engine path (compared exactly).
    Library& add(const std::string& enginePath, std::map<std::string, void*> symbols);
    // The library added under the path, or null.
    Library* find(const std::string& enginePath);

    void* open(const char* enginePath) override;
    void* symbol(void* library, const char* name) override;
    void close(void* library) override;

    // Every path passed to open, in order, and the current directory at each call.
    std::vector<std::string> requests;
    std::vector<std::string> directories;
    // Every symbol name looked up, in order.
    std::vector<std::string> lookups;

private:
    std::map<std::string, Library> m_libraries;
};

// The loader in force; the system one unless a test installed another.
IDynamicLibraries& dynamicLibraries();
// Installs a loader (not owned); null restores the system one.
void setDynamicLibraries(IDynamicLibraries* libraries);

// Installs a loader for the lifetime of the guard.
class ScopedDynamicLibraries {
public:
    explicit ScopedDynamicLibraries(IDynamicLibraries& libraries) : m_prev(&dynamicLibraries()) {
        setDynamicLibraries(&libraries);
    }
    ~ScopedDynamicLibraries() { setDynamicLibraries(m_prev); }
    ScopedDynamicLibraries(const ScopedDynamicLibraries&) = delete;
    ScopedDynamicLibraries& operator=(const ScopedDynamicLibraries&) = delete;

private:
    IDynamicLibraries* m_prev;
};

}  // namespace platform
