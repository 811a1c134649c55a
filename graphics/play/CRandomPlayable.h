// Starts registered playables at random moments. Each registration (an entry) has a
// rate, the average number of starts a minute, and a burst bound; a one-second timer
// of the window counts the idle entries down and starts one when its count runs out,
// if the notifiers allow it. A finished play is repeated one second later while the
// burst lasts or a notifier asks for it; then a new countdown and burst are drawn.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/CTimerNotificator.h"
#include "foundation/CXObject.h"
#include "foundation/CXString.h"
#include "graphics/play/CPlayable.h"
#include "graphics/play/CRandomPlayableNotifier.h"

class CGraphicsUnit;
class CRandomPlayable;
class CXTimer;

class CRandomPlayableEntry : public CXObject, public CPlayableObserver {
public:
    // Observes the playable and draws its first countdown and burst.
    CRandomPlayableEntry(CRandomPlayable* owner, CPlayable* playable, double rate, int period, CXString event);
    // Stops observing the playable (when it still exists).
    ~CRandomPlayableEntry() override;
    CRandomPlayableEntry(const CRandomPlayableEntry&) = delete;
    CRandomPlayableEntry& operator=(const CRandomPlayableEntry&) = delete;

    virtual bool isPlaying();
    // Null once the playable is deleted.
    virtual CPlayable* getPlayable();
    // The plays of this burst so far.
    virtual int getSeqTime();
    // The second's step: counts down while idle and starts the playable at 0.
    virtual void tick();
    bool onPlayableFinished(CPlayable* playable) override;

    int getCountdown() const { return m_countdown; }
    int getBurst() const { return m_burst; }
    double getRate() const { return m_rate; }
    int getPeriod() const { return m_period; }
    const CXString& getEvent() const { return m_event; }

private:
    // A new countdown (1 to 60 / rate seconds; none for a rate of 0 or below), a new
    // burst (0 to period - 2) and no plays.
    void initialize();
    void start();

    CRandomPlayable* m_owner;
    CPlayable* m_playable;
    std::shared_ptr<const bool> m_alive;
    double m_rate;
    int32_t m_period;
    int32_t m_countdown = 0;
    int32_t m_burst = 0;
    int32_t m_count = 0;
    CXString m_event;
};

class CRandomPlayable : public CXObject, public CTimerNotificator {
public:
    // Puts its one-second timer on the window's timer list.
    CRandomPlayable(CWindow* window, CGraphicsUnit* unit);
    ~CRandomPlayable() override;
    CRandomPlayable(const CRandomPlayable&) = delete;
    CRandomPlayable& operator=(const CRandomPlayable&) = delete;

    // A new entry; the same playable twice makes two entries.
    virtual void add(CPlayable* playable, double rate, int period, CXString event);
    // Deletes the playable's first entry.
    virtual void remove(CPlayable* playable);
    void addNotifier(CRandomPlayableNotifier* notifier);
    void removeNotifier(CRandomPlayableNotifier* notifier);
    // Asks every notifier in order; the last answer, false when there is none.
    bool notify(CRandomPlayableEntry* entry, bool started);
    // Ticks every entry.
    void onTimer(intptr_t id) override;
    // Stops the timer and the notifiers at once and deletes the player now, or at the
    // end of its step when one runs (a script raised by a start may leave the scene
    // and so dispose of the player whose step raised it).
    static void dispose(CRandomPlayable* player);

    int getCount() const { return static_cast<int>(m_entries.size()); }
    CRandomPlayableEntry* getEntry(int index) const;
    CGraphicsUnit* getUnit() const { return m_unit; }

    // Keeps entries removed while it lives until the outermost one ends, so an entry
    // whose notifier removes it finishes its own step first; a player disposed of
    // meanwhile is deleted then too.
    class Walk {
    public:
        explicit Walk(CRandomPlayable* owner) : m_owner(owner) { ++owner->m_walking; }
        ~Walk();
        Walk(const Walk&) = delete;
        Walk& operator=(const Walk&) = delete;

    private:
        CRandomPlayable* m_owner;
    };

private:
    CGraphicsUnit* m_unit;
    CXTimer* m_timer = nullptr;
    std::vector<std::unique_ptr<CRandomPlayableEntry>> m_entries;
    std::vector<std::unique_ptr<CRandomPlayableEntry>> m_removed;
    std::vector<CRandomPlayableNotifier*> m_notifiers;
    int m_walking = 0;
    bool m_disposed = false;
};
