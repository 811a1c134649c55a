#include "foundation/CResourcesManager.h"

#include "foundation/CFileResolver.h"
#include "foundation/CXArray.h"
#include "foundation/CXVector.h"

namespace {

struct CResourcesEntry {
    CXString name;
    CFileResolver* resolver;
    int32_t count;
};

CResourcesManager::ReleaseHook g_releaseHook = nullptr;

}  // namespace

void CResourcesManager::setReleaseHook(ReleaseHook hook) { g_releaseHook = hook; }

CResourcesManager::ReleaseHook CResourcesManager::getReleaseHook() { return g_releaseHook; }

CResourcesManager::CResourcesManager(CWindow* window)
    : m_entries(new CXArray(CXArray::kDefaultCapacity, CXArray::kDefaultLoadFactor)),
      m_nested(new CXVector(CXArray::kDefaultCapacity, CXArray::kDefaultLoadFactor)),
      m_window(window) {}

CResourcesManager::~CResourcesManager() {
    flush();
    delete m_entries;
    delete m_nested;
}

void CResourcesManager::add(CFileResolver* resolver) {
    if (!resolver) return;
    m_entries->add(new CResourcesEntry{resolver->getFileName(), resolver, 1});
}

void CResourcesManager::insertAt(CFileResolver* resolver, int index) {
    if (!resolver) return;
    m_entries->insertAt(index, new CResourcesEntry{resolver->getFileName(), resolver, 1});
}

void CResourcesManager::add(CResourcesManager* nested) {
    // A cycle would make lookups loop; a manager nested twice would be searched twice.
    if (!nested || nested->reaches(this) || m_nested->contains(nested)) return;
    m_nested->add(nested);
}

void CResourcesManager::remove(CResourcesManager* nested) { m_nested->remove(nested); }

bool CResourcesManager::contains(CFileResolver* resolver) { return getCount(resolver) > 0; }

bool CResourcesManager::reaches(const CResourcesManager* manager) const {
    if (manager == this) return true;
    for (int i = 0; i < m_nested->getCount(); ++i)
        if (static_cast<const CResourcesManager*>(m_nested->at(i))->reaches(manager)) return true;
    return false;
}

CResourcesManager* CResourcesManager::holderOf(CFileResolver* resolver) {
    if (contains(resolver)) return this;
    for (int i = 0; i < m_nested->getCount(); ++i)
        if (CResourcesManager* holder = static_cast<CResourcesManager*>(m_nested->at(i))->holderOf(resolver))
            return holder;
    return nullptr;
}

int CResourcesManager::getSize() const { return m_entries->getCount(); }

int CResourcesManager::getCount(CFileResolver* resolver) const {
    for (int i = 0; i < m_entries->getCount(); ++i) {
        auto* e = static_cast<CResourcesEntry*>(m_entries->at(i));
        if (e->resolver == resolver) return e->count;
    }
    return 0;
}

CFileResolver* CResourcesManager::get(CXString name) {
    name.Lower();
    for (int i = 0; i < m_entries->getCount(); ++i) {
        auto* e = static_cast<CResourcesEntry*>(m_entries->at(i));
        if (e->name.equalsIgnoreCase(name)) {
            ++e->count;
            return e->resolver;
        }
    }
    for (int i = 0; i < m_nested->getCount(); ++i) {
        auto* nested = static_cast<CResourcesManager*>(m_nested->at(i));
        if (CFileResolver* found = nested->get(name)) return found;
    }
    return nullptr;
}

void CResourcesManager::releaseObject(CFileResolver* resolver) {
    if (g_releaseHook && g_releaseHook(m_window, resolver)) return;
    delete resolver;
}

bool CResourcesManager::remove(CFileResolver* resolver) {
    CResourcesManager* holder = holderOf(resolver);
    if (holder && holder != this) return holder->remove(resolver);
    for (int i = 0; i < m_entries->getCount(); ++i) {
        auto* e = static_cast<CResourcesEntry*>(m_entries->at(i));
        if (e->resolver != resolver) continue;
        if (--e->count > 0) return false;
        m_entries->removeAt(i);
        delete e;
        // The same object added twice lives on in its other entry.
        if (contains(resolver)) return false;
        releaseObject(resolver);
        return true;
    }
    return false;
}

void CResourcesManager::flush() {
    for (int i = 0; i < m_nested->getCount(); ++i) static_cast<CResourcesManager*>(m_nested->at(i))->flush();
    m_nested->removeAll();
    // Take the list first: deleting an object may call back into the manager.
    const int count = m_entries->getCount();
    CResourcesEntry** entries = new CResourcesEntry*[count > 0 ? count : 1];
    for (int i = 0; i < count; ++i) entries[i] = static_cast<CResourcesEntry*>(m_entries->at(i));
    m_entries->removeAll();
    for (int i = 0; i < count; ++i) {
        // An object added twice is deleted once.
        bool seen = false;
        for (int j = 0; j < i && !seen; ++j) seen = entries[j]->resolver == entries[i]->resolver;
        if (!seen) releaseObject(entries[i]->resolver);
    }
    for (int i = 0; i < count; ++i) delete entries[i];
    delete[] entries;
}
