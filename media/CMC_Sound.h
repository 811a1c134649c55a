// The SOUND script type (2005): a sound effect read from a WAV file. It wraps one
// CSound4 and watches it, raising "ONSTARTED", "ONFINISHED" and "ONRESUMED" when the
// sound starts, ends or resumes. The sounds of a scene's SOUND objects are shared
// through the default unit's resources manager by file name (letter case ignored), so
// every object naming one file hears the same sound; any other SOUND owns its sound.
//
// An object stops watching its sound, and gives a shared one back, when it is
// finished (done), handed to the global trash, or deleted, whichever comes first, so
// no report of the sound reaches an object that is gone and no reference outlives the
// unit that holds the sound.
#pragma once
#include <cstdint>
#include <memory>

#include "foundation/CXString.h"
#include "graphics/play/CPlayable.h"
#include "script/CMC_Object.h"

class CMElement;
class CMC_ObjectsContainer;
class CResourcesManager;
class CSound4;
class CXArchive;

class CMC_Sound : public CMC_Object, public CPlayableObserver {
public:
    static constexpr int kType = 2005;
    // Event indices in the event list.
    enum : int { kOnStarted = 3, kOnFinished = 4, kOnResumed = 5 };

    // From a definition: FILENAME, PRELOAD and FLUSHAFTERPLAYED; the sound is made
    // (also for an empty name) before the handlers are attached.
    CMC_Sound(CMC_ObjectsContainer* container, CMElement* element);
    // "temp", without a sound and with both flags off: a scene binary fills it, and
    // CREATE makes it.
    explicit CMC_Sound(CMC_ObjectsContainer* container);
    ~CMC_Sound() override;
    CMC_Sound(const CMC_Sound&) = delete;
    CMC_Sound& operator=(const CMC_Sound&) = delete;

    // Lets go of the sound (see above), then the common finish (ONDONE).
    using CMC_Object::done;
    bool done(bool flag) override;
    CXString** getBehavioursList() override;
    // The common part, then the sound's file name, PRELOAD and FLUSHAFTERPLAYED;
    // reading builds the sound from the name as the element form does.
    void serialize(CXArchive* archive) override;

    bool onPlayableStarted(CPlayable* playable) override;
    bool onPlayableFinished(CPlayable* playable) override;
    bool onPlayableResumed(CPlayable* playable) override;

    // The wrapped sound; null for a prototype never filled, and once a shared sound
    // went with its manager's flush (a scene left while this object lived on).
    CSound4* getSound() const { return (m_soundAlive && *m_soundAlive) ? m_sound : nullptr; }
    bool isShared() const { return m_shared; }
    bool getPreload() const { return m_preload; }
    bool getFlushAfterPlayed() const { return m_flushAfterPlayed; }

    // The script's conversions to the device's units, without overflow: volume
    // (v - 800) * 4 hundredths of a decibel, -3100 or lower silent (-10000); pan
    // (v - 400) * 2, -3100 or lower full left, 3100 or higher full right.
    static int32_t convertVolume(int32_t value);
    static int32_t convertPan(int32_t value);

protected:
    void onDispose() override;

private:
    // Builds the sound for the name: shared through the default unit's manager inside
    // a scene, else owned. A name under the sound-effects folder already is kept.
    void initSound(CXString name);
    // Stops watching the sound and gives it back (shared) or deletes it (owned).
    void releaseSound();
    // The manager that shares the sounds of this object's scene, or null.
    CResourcesManager* sceneManager();
    bool raise(int index, const char* event);

    CSound4* m_sound = nullptr;
    // The sound's own flag, cleared when it is deleted (by a flushed manager too).
    std::shared_ptr<const bool> m_soundAlive;
    bool m_preload = false;
    bool m_flushAfterPlayed = false;
    // The sound came from the manager (one of its references is ours).
    bool m_shared = false;
};
