// Builds playable trees: from a sequence file (a text of element lines: NAME, TYPE,
// FILENAME, EVENT, MODE, SEQEVENT, WAIT, ADD and the speaking keys) or from
// definition elements. The element named after the file is the root; the elements
// that no parent holds go with it, or at once when the file has no root.
#pragma once
#include <memory>
#include <utility>
#include <vector>

#include "foundation/CXObject.h"
#include "foundation/CXString.h"

class CMElements;
class CPlayable;
class CPlayableObserver;
class CResourcesManager;
class CWindow;

class CMultimediaSequenceCreator : public CXObject {
public:
    // What a load made: every playable of the file (made or shared) with its life
    // flag, so that the caller can take its observer off those that outlive the tree,
    // and whether the root is a shared resource (a sound a resources manager holds),
    // which the manager deletes, not the caller.
    struct Made {
        std::vector<std::pair<CPlayable*, std::shared_ptr<const bool>>> playables;
        bool rootShared = false;
    };

    // Stores load's result; the destructor deletes it unless keepPlayable is set.
    CMultimediaSequenceCreator(CWindow* window, CXString fileName, CResourcesManager* resources,
                               CPlayableObserver* observer, bool keepPlayable);
    ~CMultimediaSequenceCreator() override;
    CMultimediaSequenceCreator(const CMultimediaSequenceCreator&) = delete;
    CMultimediaSequenceCreator& operator=(const CMultimediaSequenceCreator&) = delete;

    // The root of the file's tree (owned by the caller), every playable of it told of
    // `observer`; null when no element is named like the file (without folder and
    // extension). A root that is a shared resource (a sound a resources manager holds)
    // belongs to the manager.
    static CPlayable* load(CWindow* window, CXString fileName, CResourcesManager* resources,
                           CPlayableObserver* observer, Made* made = nullptr);
    // The playable of the named element and, under it, those of its children.
    static CPlayable* create(CWindow* window, CMElements* elements, CXString name);
    // Levels of elements create follows at most.
    static constexpr int kMaxCreateDepth = 32;
    // Playables one create makes at most; the children past it are left out.
    static constexpr int kMaxCreated = 4096;
    // There is no sequence writer: false.
    static bool save(CPlayable* playable, CXString fileName);
    // The parameter character of a child index: 0-8 '1'-'9', 9-33 'A'-'Y', 34 on 'a'
    // on (8-bit arithmetic).
    static char getParameter(int n);

    CPlayable* getPlayable() const { return m_playable; }

private:
    CPlayable* m_playable;
    bool m_keepPlayable;
    bool m_rootShared = false;
};
