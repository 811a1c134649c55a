// A sound effect: a WAV file loaded whole into one secondary buffer and played,
// paused, resumed and stopped as a playable. A one-shot that ends by itself keeps
// status 1; the sound manager notices in the next frame and calls OnWAVFinished.
// The class also owns the process-wide audio device and primary buffer; without a
// device sounds do nothing and load() gives false.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/CXString.h"
#include "graphics/play/CPlayable.h"
#include "platform/Audio.h"

class CMElement;
class CSoundManager;
class CWindow;

class CSound4 : public CPlayable {
public:
    // A sound with no file; it does not join the sound manager.
    explicit CSound4(CWindow* window);
    // Joins the application's sound manager; loads at once when preload is set.
    CSound4(CWindow* window, CXString fileName, bool flushAfterPlayed, bool preload);
    // From a definition element: FILENAME in the sound-effects folder, loaded at once
    // when PRELOAD is set and the name is not empty; LOOP and FLUSHAFTERPLAYED. It does
    // not join the sound manager.
    CSound4(CWindow* window, CMElement* element);
    ~CSound4() override;
    CSound4(const CSound4&) = delete;
    CSound4& operator=(const CSound4&) = delete;

    // Playable operations.
    void play() override;  // from the beginning
    void stop(bool notify) override;
    void pause() override;
    void resume() override;
    bool isPlaying() override;
    void seek(int position) override;
    void setVolume(int volume) override;
    void setPanning(int panning) override;
    void setFrequency(int frequency) override;

    // Starts once or looped from the beginning; the sound manager does not learn of it.
    virtual void Play(bool loop);
    // Continues from the stored position (0 unless paused) and is reported when it ends.
    virtual void Play();
    virtual void Stop();
    virtual void Mute() {}
    virtual bool IsPlaying();
    virtual void OnWAVFinished();
    // Tells the observers as a playable does, and stops at once when one of them has
    // deleted the sound.

    bool load();
    bool Load(CXString fileName);
    // The name lives in the file-resolver part, under which resources managers keep it.
    void SetFileName(CXString fileName) { setFilename(fileName); }
    CXString GetFileName() { return getFileName(); }
    void Flush();
    void SetPosition(int position);
    bool hasBuffer() const { return m_buffer != nullptr; }
    void setLoop(bool loop) { m_loop = loop; }
    bool getLoop() const { return m_loop; }
    void setFlushAfterPlayed(bool flush) { m_flushAfterPlayed = flush; }

    static platform::IAudioDevice* CreateDirectSoundInterface(CWindow* window);
    static platform::IAudioBuffer* CreatePrimarySoundBuffer(CWindow* window);
    static void DestroySoundBuffer();
    // Makes animations' frame sounds sound effects (the application installs it).
    static void installFrameSoundFactory(bool install);
    static platform::IAudioDevice* getDevice() { return m_pDirectSound.get(); }

protected:
    CSoundManager* soundManager() const;

    std::unique_ptr<platform::IAudioBuffer> m_buffer;
    bool m_loop = false;
    bool m_flushAfterPlayed = false;
    bool m_notifyWhenFinished = true;
    uint32_t m_playPosition = 0;

    static std::unique_ptr<platform::IAudioDevice> m_pDirectSound;
    static std::unique_ptr<platform::IAudioBuffer> m_pDirectSoundPrimaryBuffer;
    static bool m_bSoundBufferCreated;
};

// Holds several sounds and plays one chosen at random each time.
class CRandomSound4 : public CSound4 {
public:
    // Names separated by ";"; a name without ":" lies in the sound-effects folder.
    CRandomSound4(CWindow* window, CXString names, bool flushAfterPlayed, bool preload);
    ~CRandomSound4() override;

    void setVolume(int volume) override;
    void setPanning(int panning) override;
    void setFrequency(int frequency) override;
    void Play(bool loop) override;
    void Play() override;
    void Stop() override;
    bool IsPlaying() override;

    int getCount() const { return static_cast<int>(m_sounds.size()); }
    CSound4* getCurrent() const { return m_current; }

private:
    std::vector<CSound4*> m_sounds;
    CSound4* m_current = nullptr;
};
