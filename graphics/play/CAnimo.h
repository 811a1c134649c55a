// The engine's animation: a graphics object whose pixels are at any moment those
// of one of its frames, and a playable that the animation manager steps at the
// animation's rate. Frames are grouped into named events (frame lists with loop
// rules); playing an event shows its frames in turn, moves the animation by
// per-position steps, changes opacity, plays frame sounds and tells observers.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/CXString.h"
#include "graphics/core/CGraphicsObject.h"
#include "graphics/play/CPlayable.h"

class CAnimationManager;
class CFile;
class CFrame;

// An event: a list of frame numbers with loop and playback settings.
struct _annEventInfo3 {
    CXString name;
    std::vector<uint16_t> frames;
    uint16_t loopStart = 0;
    // 0: the event does not loop.
    uint16_t loopEnd = 0;
    // 0: loop for ever.
    uint16_t loopCount = 0;
    uint16_t loopCounter = 0;
    int32_t fps = 15;
    int32_t flags = 0;
    uint8_t opacity = 255;
    int16_t reserved55 = 0;
    uint8_t reserved57 = 0;
    uint8_t reserved58 = 0;

    int count() const { return static_cast<int>(frames.size()); }
};

// What one position of an event does: its name, a step of the animation, an
// opacity and a sound.
struct _anmFrameInfo3 {
    bool hasName = false;
    CXString name;
    bool hasText = false;
    CXString text;
    int16_t dx = 0;
    int16_t dy = 0;
    int32_t reserved12 = -1;
    bool hasSound = false;
    CXString sound;
    int32_t reserved20 = 0;
    // 255: the event's opacity.
    uint8_t opacity = 255;
    uint8_t reserved25 = 0;
};

enum _animoevent : int32_t {};

enum _astatus : int32_t { ASTATUS_PLAYING = 0, ASTATUS_STOPPED = 1, ASTATUS_PAUSED = 2 };
enum _direction : int32_t { DIRECTION_FORWARD = 0, DIRECTION_BACKWARD = 1 };

class CAnimo : public CGraphicsObject, public CPlayable {
public:
    // Animation flags (bits 8-23 of the flag word) and event flags.
    static constexpr int32_t kEventHideOnStop = 0x100;
    static constexpr int32_t kEventPingPong = 0x20000;
    static constexpr int32_t kNoInterrupt = 0x40000;
    static constexpr int32_t kKeepSoundOnStop = 0x80000;
    static constexpr int32_t kLoopWhileSound = 0x100000;
    static constexpr int32_t kNewFormat = 0x200000;
    static constexpr int32_t kStreamedSounds = 0x400000;
    static constexpr int32_t kChainEvents = 0x800000;
    // The error Load(CXString) gives for a file that does not open or fails a check.
    static constexpr int kErrLoad = 2000;
    // The playable type of animations.
    static constexpr int kPlayableType = 2;
    static const char* const kDefaultAuthor;

    explicit CAnimo(CWindow* window);
    CAnimo(CWindow* window, CXString name);
    // Shares the source's frames and sounds; event and frame records are its own.
    CAnimo(CAnimo& other);
    CAnimo& operator=(const CAnimo&) = delete;
    ~CAnimo() override;

    // ---- added virtual operations ----
    virtual int GetNOF();
    // -1: the current frame; null past the end.
    virtual CFrame* GetFrame(int frame);
    // Old-family chunks: 0 "EXT", 1 "SEQ", 2 "POS". Non-zero when the chunk is bad.
    virtual int ReadChunk(CFile* file, int chunk);
    virtual int LoadNew(CFile* file);
    virtual void clearLastRefreshed();
    virtual int GetStatus();
    virtual bool IsPlaying();
    virtual int GetFPS();
    virtual void Continue();
    virtual void Play(CXString event, int position, int unused);
    virtual void Play(_animoevent event, int position, int unused);
    virtual void Play();
    virtual void Stop();
    virtual void StopNoNotify();
    virtual void Pause();
    virtual void Resume();
    virtual int Current();
    virtual bool Prev();
    virtual bool Next();
    virtual void Seek(int frame);
    virtual void playReverse(CXString name, int start);

    // ---- CGraphicsObject ----
    void DeCompress() override;
    void DeCompressRLE2() override;
    CXPoint getCenterPoint() override;
    void setPosition(CXPoint p) override;
    void SetPosition(CXPoint p) override;
    void SetPosition(int x, int y) override;
    void Move(CXPoint d) override;
    void Move(int dx, int dy) override;
    void Flush() override;
    uint8_t GetPixel(_channel channel, CXPoint p) override;
    using CGraphicsObject::GetPixel;
    // The shown frame's pixels as they are now (its buffers change as it is unpacked,
    // packed or reworked); the alpha pointer is brought up to date with them.
    char* GetDataPtr() override;
    void Redraw() override;
    void redraw(CGraphicsObject* destination) override;
    void Visible(bool visible) override;
    int Load(CXString name) override;
    int Load(CFile* file) override;
    void Save(CXString name, _compression compression) override;
    void Save(CFile* file, _compression compression) override;
    CXPoint getPosition() override;
    CXPoint GetPosition() override;
    CXRect GetBoundingBox() override;
    CXRect GetAbsoluteBoundingBox() override;
    CGraphicsObject* getDrawn() override;

    // ---- CPlayable ----
    void play() override;
    using CPlayable::play;
    void stop(bool notifyObservers) override;
    void pause() override;
    void resume() override;
    bool isPlaying() override;
    void seek(int position) override;
    int previous() override;
    int next() override;
    int getFPS() override;
    void move(int dx, int dy) override;
    using CPlayable::move;
    void setPosition(int x, int y) override;
    void SetGlobalPosition(int x, int y) override;
    using CPlayable::SetGlobalPosition;
    bool isVisible() override;
    void setVisibility(bool visible) override;
    void show() override;
    void hide() override;
    void alwaysOnTop() override;

    CWindow* getWindow() const { return CGraphicsObject::getWindow(); }
    CXString getFileName() override { return CPlayable::getFileName(); }

    // ---- frames and events ----
    CFrame* AddFrame(CGraphicsObject* object);
    // The frame shown at the first position whose name equals the text (case ignored).
    CFrame* getFrame(CXString name);
    bool RemoveFrame(int frame);
    void RemoveFrame(int event, int position);
    void ExchangeFrames(int event, int a, int b);
    void RemoveAllFrames(int event);
    // Appends a copy of the record with default frame records and no sounds.
    void AddEvent(const _annEventInfo3& event);
    void RemoveEvent(int event);
    void RemoveAllEvents();
    // Replaces a position's sound (the animation shares ownership of it).
    void UpdateSoundFX(int event, int position, CPlayable* sound);
    void ClearWAVEntry(int event, int position);
    CPlayable* getSoundFX(int event, int position);

    void SetEventFrame(int event, int position);
    void SetEventFrame(CXString event, int position);
    int SetEventFrame(int event, CXString name);
    void SetFrame(int frame);
    void Set(int frame, bool notifyTick);
    void updateWithCurrentFrame();
    void Convert(int bpp);

    int GetEventNo(CXString name);
    int GetEventNo(int event);
    int resolveEventName(CXString name);
    int getFrameNo(CXString name);
    int GetNOFInEvent(int event);
    int GetNOFInEvent(CXString name);
    _annEventInfo3* GetEventInfo(int event);
    _anmFrameInfo3* GetFrameInfo(int position);
    _anmFrameInfo3* GetFrameInfo(int event, int position);
    // The record of a position (-1: current event), made with default values where
    // the event has none; null outside the event's positions.
    _anmFrameInfo3* GetOrAddFrameInfo(int event, int position);
    int GetFrameNo();
    int GetFrameNo(int event, int positionCode);
    int GetFrameNo(int event, CXString name);
    CFrame* GetEventFrame(int event, int position);
    CXString GetEventName(int event);
    CXString getCurrentEventName();
    CXString getFrameName(int event, int position);
    CXString GetName(int event, int position, CXString text);
    int getFirstEvent();
    int GetLoop(int event, CXPoint* loop);
    int GetCurrentFrameInSequence() const { return m_positionInSequence; }
    CXPoint getCurrFramePosition();
    bool isInside(int x, int y, bool useAlpha);

    int GetNOE() const { return static_cast<int>(m_events.size()); }
    int GetCurrentEvent() const { return m_currentEvent; }
    void SetCurrentEvent(int event) { m_currentEvent = event; }
    int32_t GetAnimoFlags() const { return m_animoFlags; }
    void SetAnimoFlags(int32_t flags) { m_animoFlags = flags; }
    void SetFPS(int fps) { m_fps = fps < 1 ? 1 : fps; }
    void SetDirection(_direction d) { m_direction = d; }
    _direction GetDirection() const { return m_direction; }
    CXString& Author() { return m_author; }
    CXString& Description() { return m_description; }
    int16_t& RandomFramesNumber() { return m_randomFrames; }
    uint8_t getLoadAtStart() const { return m_loadAtStart; }
    void setLoadAtStart(uint8_t v) { m_loadAtStart = v; }
    CXPoint GetGlobalPosition() const { return m_globalPosition; }
    CPlayable* getCurrentFrameSound() const { return m_currentSound.get(); }
    void SetAttachedFilter(uint8_t flag, void* filter) { m_filterFlag = flag; m_filter = filter; }
    uint8_t GetAttachedFilter(void** filter) const { if (filter) *filter = m_filter; return m_filterFlag; }
    void SetAttachedChangeFilter(uint8_t flag, void* filter) { m_changeFilterFlag = flag; m_changeFilter = filter; }
    uint8_t GetAttachedChangeFilter(void** filter) const {
        if (filter) *filter = m_changeFilter;
        return m_changeFilterFlag;
    }

protected:
    struct EventSlot {
        std::unique_ptr<_annEventInfo3> info;
        // One per position, or empty when the event has no records.
        std::vector<std::unique_ptr<_anmFrameInfo3>> records;
        // One per position, or empty.
        std::vector<std::shared_ptr<CPlayable>> sounds;
    };

    // Reads an "NV" file (after its signature was recognised); non-zero on failure.
    int Load3(CFile* file);
    int LoadOld(CFile* file, int version);
    // Writes an "NVP" file; non-zero when a write fell short.
    int Save3(CFile* file, _compression compression);
    void buildDefaultEvents();
    void makeSounds();
    void PlaySoundFX(int event, int position);
    bool validFrame(int frame) const { return frame >= 0 && frame < static_cast<int>(m_frames.size()); }
    bool validEvent(int event) const { return event >= 0 && event < static_cast<int>(m_events.size()); }
    _anmFrameInfo3* record(int event, int position);
    void stopWithNotify();
    // The next event with positions after the current one; -1 when none.
    int nextEventWithPositions() const;
    void invalidateScreen(CXRect box);
    // Draws the current frame at a place onto the destination and leaves the
    // frame as it was; it becomes the last refreshed one.
    void drawCurrentFrame(CGraphicsObject* destination, CXPoint at);
    bool soundPlaying() const;
    CAnimationManager* manager() const;
    void registerWithManager();
    // The depth of the window's screen, 0 without one.
    int screenBpp() const;
    // Points the pixel and alpha pointers at the frame's buffers (none for null),
    // moving this animation's use from the frame shown before to it.
    void showBuffersOf(CFrame* frame);
    // The full path of a frame sound, as the window finds sound effects.
    CXString soundPath(const CXString& name) const;

    std::vector<EventSlot> m_events;
    std::shared_ptr<CPlayable> m_stream;
    int m_positionInSequence = 0;
    CXString m_author;
    CXString m_description;
    int m_currentFrame = -1;
    uint8_t m_loadAtStart = 0;
    int m_currentEvent = 0;
    int32_t m_animoFlags = 0;
    std::vector<std::shared_ptr<CFrame>> m_frames;
    CFrame* m_lastRefreshed = nullptr;
    // The frame the pixel and alpha pointers name; this animation is one of its users.
    CFrame* m_shownFrame = nullptr;
    CXPoint m_globalPosition;
    _astatus m_astatus = ASTATUS_STOPPED;
    _direction m_direction = DIRECTION_FORWARD;
    int m_lastPlayed = 0;
    int m_fps = 15;
    int16_t m_randomFrames = 0;
    uint8_t m_filterFlag = 0;
    uint8_t m_changeFilterFlag = 0;
    void* m_filter = nullptr;
    void* m_changeFilter = nullptr;
    std::shared_ptr<CPlayable> m_currentSound;
};
