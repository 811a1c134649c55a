// The common base of everything that plays: animations, still images, sounds,
// sequences. A playable has a name, a play status, a list of named events each
// with a parameter text, visibility, position and sound settings, and observers
// that hear when it starts, ticks, finishes or resumes. The animation manager
// steps the playing ones through `next`.
#pragma once
#include <memory>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "foundation/CFileResolver.h"
#include "foundation/CXPoint.h"
#include "foundation/CXString.h"

class CAnimo;
class CPlayable;
class CWindow;
class CXArray;

// Told by a playable when it starts (1), shows a frame (2), finishes (3) or
// resumes (4). Observers are never owned by the playable that tells them.
class CPlayableObserver {
public:
    virtual ~CPlayableObserver() = default;
    virtual bool onPlayableStarted(CPlayable* playable);
    virtual bool onPlayableTick(CPlayable* playable);
    virtual bool onPlayableFinished(CPlayable* playable);
    virtual bool onPlayableResumed(CPlayable* playable);
};

// Named events in the order added; duplicates allowed.
class CPlayableEventList {
public:
    void add(const CXString& name, const CXString& parameter) { m_entries.emplace_back(name, parameter); }
    // The first entry named exactly `name`; false when none.
    bool setParameter(const CXString& name, const CXString& value);
    // The parameter of the first entry whose name equals `name` ignoring case.
    bool find(const CXString& name, CXString* parameter) const;
    int getCount() const { return static_cast<int>(m_entries.size()); }
    const CXString& nameAt(int i) const { return m_entries[static_cast<size_t>(i)].first; }
    const CXString& parameterAt(int i) const { return m_entries[static_cast<size_t>(i)].second; }

private:
    std::vector<std::pair<CXString, CXString>> m_entries;
};

class CPlayable : public CFileResolver {
public:
    // Notify codes.
    static constexpr int kStarted = 1;
    static constexpr int kTick = 2;
    static constexpr int kFinished = 3;
    static constexpr int kResumed = 4;
    // Status bits.
    static constexpr int kStatusPlaying = 1;
    static constexpr int kStatusPaused = 2;
    // Seek codes understood by every playable.
    static constexpr int kSeekBack = -3;
    static constexpr int kSeekForward = -4;

    explicit CPlayable(CWindow* window);
    // Copies get their own event list and an observer array with the same
    // observers.
    CPlayable(const CPlayable& other);
    CPlayable& operator=(const CPlayable& other);
    ~CPlayable() override;

    virtual void addChild(CPlayable* child);
    virtual void setParent(CPlayable* parent);
    // True when no parent is set.
    virtual bool isParent();
    virtual void substAnimation(CAnimo* animation);
    // The animation a wrapper plays (a sequence element, a speaking animation); null here.
    virtual CAnimo* getAnimation();
    virtual CXArray* getNotifiers();
    // Empties the observer array, then adds `observer`.
    virtual void setNotifier(CPlayableObserver* observer);
    // This when playing, else null.
    virtual CPlayable* getPlaying();
    virtual CXString getParam();
    // The parameter of the first event named `name` (case ignored); empty when none.
    virtual CXString getParameter(CXString name);
    virtual CXString getParameter();
    // stop(false), then the event's parameter becomes current and play() runs.
    virtual void play(CXString event);
    virtual void play() = 0;
    virtual void stop(bool notifyObservers) = 0;
    virtual void pause() = 0;
    virtual void resume() = 0;
    virtual bool onPlayableFinished(CPlayable* playable);
    virtual void onStarted();
    virtual void onFinished();
    virtual int getStatus();
    virtual bool isPlaying();
    virtual bool isPaused();
    virtual int getType();
    // A position, or kSeekBack / kSeekForward for one step.
    virtual void seek(int position) = 0;
    virtual int previous();
    virtual int next();
    virtual int getFPS();
    virtual void move(int dx, int dy);
    virtual void move(CXPoint d);
    virtual void setPosition(int x, int y);
    virtual void setPosition(CXPoint p);
    virtual void SetGlobalPosition(int x, int y);
    virtual void SetGlobalPosition(CXPoint p);
    virtual bool isVisible();
    virtual void setVisibility(bool visible);
    virtual void show();
    virtual void hide();
    virtual void alwaysOnTop();
    virtual CXString getLastPlayedEvent();
    // Tells every observer, then the generic one, over a copy of the list; an
    // observer removed during the walk is skipped. The last answer, true when
    // nobody was told.
    virtual bool notify(int code);
    virtual void setVolume(int volume);
    virtual void setPanning(int panning);
    virtual void setFrequency(int frequency);

    void setName(CXString name) { m_name = name; }
    CXString getName() const { return m_name; }
    void setParameter(CXString parameter) { m_parameter = parameter; }
    // Replaces the parameter of the first event named exactly `name`.
    void setParameter(CXString name, CXString value);
    void addEvent(CXString name, CXString parameter);
    CPlayableEventList* getEventList() const { return m_events; }
    void addNotifier(CPlayableObserver* observer);
    void removeNotifier(CPlayableObserver* observer);
    void clearNotifiers();
    void setGenericNotifier(CPlayableObserver* observer) { m_genericObserver = observer; }
    CPlayableObserver* getGenericNotifier() const { return m_genericObserver; }
    // A playable that goes with this one: deleted with it (after its own parts), unless
    // something else deleted it first. For the members of a tree that no parent holds.
    void adopt(CPlayable* playable);
    void setMode(int mode) { m_mode = mode; }
    int getMode() const { return m_mode; }
    void setWaitMode(bool wait) { m_waitMode = wait; }
    bool getWaitMode() const { return m_waitMode; }
    void addParent() { ++m_parents; }
    void subParent() { --m_parents; }
    int getParentsNo() const { return m_parents; }
    CPlayable* getParent() const { return m_parent; }
    CWindow* getWindow() const { return m_window; }
    int getVolume() const { return m_volume; }
    int getPanning() const { return m_panning; }
    int getFrequency() const { return m_frequency; }

    // Installs the resources manager's release step: a playable it lets go is
    // hidden and taken off the window's refresh screen before it is deleted.
    static void installReleaseHook();
    // Where the release step hands a playable let go of while it tells its observers
    // (the deleter deletes it once no code runs on it); without one it is deleted at once.
    using DeferredDelete = void (*)(CPlayable* playable);
    static void setDeferredDelete(DeferredDelete deleter);
    // Whether it is telling its observers now.
    bool isNotifying() const { return m_notifyDepth > 0; }

    // False once the playable is deleted: a holder that does not own it (a shared
    // resource), or a notification an observer may end by deleting it, tells from
    // it whether the pointer is still good.
    std::shared_ptr<const bool> aliveFlag() const { return m_alive; }

protected:
    int m_type = 0;
    int m_status = 0;
    int m_position = -1;
    CXString m_name;
    CWindow* m_window;
    bool m_waitMode = true;
    CXString m_parameter;
    CPlayableEventList* m_events;
    int m_mode = 1;
    int m_parents = 0;
    bool m_visible = true;
    CXString m_lastPlayedEvent;
    int m_volume = 0;
    int m_panning = 0;
    int m_frequency = 0;
    CPlayable* m_parent = nullptr;
    CPlayableObserver* m_genericObserver = nullptr;
    CXArray* m_observers;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    int m_notifyDepth = 0;

private:
    struct Adopted {
        CPlayable* playable;
        std::shared_ptr<const bool> alive;
    };
    std::vector<Adopted> m_adopted;
};
