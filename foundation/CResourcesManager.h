// A reference-counted cache of file-backed objects keyed by file name (case
// ignored). A user asks `get` for an object already loaded under the name and
// shares it, or loads a new one and `add`s it; `remove` lets go, and the object
// is deleted when its last holder has let go. Nested managers are searched after
// the own entries (a scene's manager nests the application's).
#pragma once
#include <cstdint>

#include "foundation/CXObject.h"
#include "foundation/CXString.h"

class CFileResolver;
class CWindow;
class CXArray;
class CXVector;

class CResourcesManager : public CXObject {
public:
    // What is done to a shared object before the manager deletes it: the graphics
    // engine hides the playable and takes it off the window's refresh screen. True
    // when the hook has taken the object over and deletes it later itself (a playable
    // let go of while it tells its observers). None is installed by default.
    using ReleaseHook = bool (*)(CWindow* window, CFileResolver* resolver);
    static void setReleaseHook(ReleaseHook hook);
    static ReleaseHook getReleaseHook();

    explicit CResourcesManager(CWindow* window);
    // Flushes, then frees both lists.
    ~CResourcesManager() override;
    CResourcesManager(const CResourcesManager&) = delete;
    CResourcesManager& operator=(const CResourcesManager&) = delete;

    // A new entry under the resolver's current file name, count 1; the manager
    // owns the object from now on. No test for duplicates.
    void add(CFileResolver* resolver);
    void insertAt(CFileResolver* resolver, int index);
    // Nested managers (not owned). A manager that would make the nesting a
    // cycle (itself, or one that already reaches this one) is not added.
    void add(CResourcesManager* nested);
    void remove(CResourcesManager* nested);

    bool contains(CFileResolver* resolver);
    // The object added under the name (case ignored), its count raised; the own
    // entries first, then the nested managers depth first. Null when not found.
    CFileResolver* get(CXString name);
    // Lowers the count of the object's first entry, in the manager where get
    // would find it (the own entries, then the nested managers depth first), so
    // that a get through a nested manager is balanced by a remove here; at 0 the
    // object is taken off the screen and deleted (or handed to the release hook).
    // True only when it left the manager.
    bool remove(CFileResolver* resolver);
    // Empties the nested list (the managers stay) after flushing each, then takes
    // every own object off the screen and deletes it.
    void flush();

    // Number of own entries, and the count of the first entry holding the
    // resolver (0 when none).
    int getSize() const;
    int getCount(CFileResolver* resolver) const;
    // The manager holding the resolver's first entry (this one or a nested one),
    // searched as get searches; null when no manager reached from here holds it.
    CResourcesManager* holderOf(CFileResolver* resolver);

private:
    void releaseObject(CFileResolver* resolver);
    // Whether the manager is this one or nested in it at any depth.
    bool reaches(const CResourcesManager* manager) const;

    CXArray* m_entries;
    CXVector* m_nested;
    CWindow* m_window;
};
