// The elements of one sequence file while it is read: named entries with a type, a
// file name, an event and the playable made at their TYPE line, and the links between
// them. Links that would make a cycle, put the root under another element or nest the
// tree deeper than kMaxDepth are refused, so a hostile file cannot make a tree that
// plays or deletes itself without end.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/CXObject.h"
#include "foundation/CXString.h"

class CMC_ObjectsContainer;
class CPlayable;
class CPlayableObserver;
class CResourcesManager;
class CSpeakingAnimation;
class CWindow;

struct _tse_entry {
    CXString name;
    // 0 none yet, 1 SIMPLE, 2 SEQUENCE, 3 SPEAKING.
    int32_t type = 0;
    CXString fileName;
    CXString event;
    CPlayable* playable = nullptr;
    // Indices of the entries linked under this one, and of those it is linked under.
    std::vector<int> children;
    std::vector<int> parents;
    // The playable was made by the tree (not shared through a resources manager).
    bool owned = false;
};

class CTreeSequenceElements : public CXObject {
public:
    enum : int32_t { kNone = 0, kSimple = 1, kSequence = 2, kSpeaking = 3 };
    static constexpr int kMaxDepth = 32;
    // Entries at most; later NAME lines add none.
    static constexpr int kMaxEntries = 4096;

    CTreeSequenceElements(CWindow* window, CResourcesManager* resources);
    // Frees the entries; the playables live on.
    ~CTreeSequenceElements() override;
    CTreeSequenceElements(const CTreeSequenceElements&) = delete;
    CTreeSequenceElements& operator=(const CTreeSequenceElements&) = delete;

    // The container of the scene the window shows (its unit's scene); null when none.
    static CMC_ObjectsContainer* currentScene(CWindow* window);

    _tse_entry* find(CXString name);
    bool contains(CXString name) { return find(name) != nullptr; }
    void add(CXString name);
    void setType(CXString name, CXString value);
    void setFileName(CXString name, CXString value);
    void setEvent(CXString name, CXString value);
    // Makes the entry's playable by its type and gives it the generic observer.
    void create(_tse_entry* entry, CPlayableObserver* observer);
    void create(CPlayableObserver* observer);
    CPlayable* createSequence(_tse_entry* entry);
    CPlayable* createSpeaking(_tse_entry* entry);
    CPlayable* createSimple(_tse_entry* entry);

    void setMode(CXString name, CXString value);
    void setWaitMode(CXString name, bool wait);
    void addSequenceEvent(CXString name, CXString event, CXString parameter);
    void setAnimoFN(CXString name, CXString file);
    void setWAVFN(CXString name, CXString value);
    void setStarting(CXString name, bool on);
    void setEnding(CXString name, bool on);
    void setPrefix(CXString name, CXString prefix);
    void show(CXString name);
    void hide(CXString name);
    // Links the element under the parent (a sequence); refused as described above.
    void add(CXString name, CXString parentName);
    void setSequence(CXString, CXString, CXString) {}
    void setToSay(CXString, CXString) {}

    // The root's name: it is never linked under another element.
    void setRootName(CXString name) { m_rootName = name; }
    int getCount() const { return static_cast<int>(m_entries.size()); }
    _tse_entry* at(int index) const { return m_entries[static_cast<size_t>(index)].get(); }

private:
    int indexOf(const CXString& name) const;
    // The speaking animation of the entry, or null.
    CSpeakingAnimation* speaking(CXString name);
    // Longest chain of links above the entry, and below it.
    int depthAbove(int index, std::vector<int>& memo) const;
    int heightBelow(int index, std::vector<int>& memo) const;
    bool reaches(int from, int to, std::vector<char>& seen) const;

    CWindow* m_window;
    CResourcesManager* m_resources;
    std::vector<std::unique_ptr<_tse_entry>> m_entries;
    CXString m_rootName;
};
