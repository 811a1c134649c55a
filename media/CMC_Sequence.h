// SEQUENCE (type 2004): plays the tree of a sequence file (FILENAME), loaded at its
// initialisation or at the first use after that. The start and end of the whole tree
// raise "ONSTARTED" and "ONFINISHED"; those of its elements "ONSTARTED^NAME" and
// "ONFINISHED^NAME" (the element's name in upper case). The binary image keeps the
// file name; the tree is loaded again from it.
#pragma once
#include <cstdint>
#include <memory>

#include "foundation/CXString.h"
#include "graphics/play/CPlayable.h"
#include "media/sequence/CMultimediaSequenceCreator.h"
#include "scene/CMC_SequenceHolder.h"
#include "script/CMC_Object.h"

class CMElement;
class CMC_ObjectsContainer;
class CXArchive;

class CMC_Sequence : public CMC_Object, public CPlayableObserver, public CMC_SequenceHolder {
public:
    static constexpr int kType = 2004;
    enum : int { kOnStarted = 3, kOnFinished = 4 };

    CMC_Sequence(CMC_ObjectsContainer* container, CMElement* element);
    // The binary scene reader's prototype "temp": serialize reads the file name.
    explicit CMC_Sequence(CMC_ObjectsContainer* container);
    ~CMC_Sequence() override;
    CMC_Sequence(const CMC_Sequence&) = delete;
    CMC_Sequence& operator=(const CMC_Sequence&) = delete;

    // Loads the tree with the default unit's resources manager, then ONINIT.
    void init() override;
    bool doneFirst() override;
    // With true the tree goes.
    using CMC_Object::done;
    bool done(bool flag) override;
    CXString** getBehavioursList() override;
    void serialize(CXArchive* archive) override;
    // A SEQUENCE has no copy.
    using CMC_Object::clone;
    CXObject* clone() override { return nullptr; }

    // The tree's root, loading it first when there is none and a file is named (which
    // raises ONINIT); null when the file gives none.
    CPlayable* getSequence();
    // The root as it is, without loading.
    CPlayable* getSequencedPlayable() override { return current(); }
    CXString getFileName() const { return m_fileName; }

    bool onPlayableStarted(CPlayable* playable) override;
    bool onPlayableFinished(CPlayable* playable) override;

protected:
    void onDispose() override;

private:
    CPlayable* current() const { return m_alive && *m_alive ? m_sequence : nullptr; }
    // Takes this object off every playable of the tree and lets the tree go: deleted
    // at the next application step (code of the tree may be running now), or at once
    // from the destructor.
    void releaseSequence(bool now);
    void raise(int index, const char* event, CPlayable* playable);

    CWindow* m_window = nullptr;
    CPlayable* m_sequence = nullptr;
    std::shared_ptr<const bool> m_alive;
    CMultimediaSequenceCreator::Made m_made;
    CXString m_fileName;
};
