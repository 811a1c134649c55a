// A window's list of polled timers. The window fires it once per frame from its
// tick; each due timer calls back a scene unit, the window or a CTimerNotificator.
// A timer's schedule stays anchored to its start: it is due whenever
// start + interval * (count + 1) has been reached, fires at most once per pass,
// and so catches up after a long frame one firing per frame without drifting.
#pragma once
#include <cstdint>

#include "foundation/CXObject.h"

class CTimerUnit;
class CWindowServices;
class CTimerNotificator;
class CXVector;

class CTimerObject : public CXObject {
public:
    CTimerObject(intptr_t id, uint32_t interval, CTimerUnit* unit, bool askUnit, CWindowServices* window,
                 CTimerNotificator* notificator);

    intptr_t getId() const { return m_id; }
    uint32_t getInterval() const { return m_interval; }
    // A new interval keeps start and count: the next firing falls at
    // start + interval * (count + 1).
    void setInterval(uint32_t interval) { m_interval = interval; }
    int32_t getCount() const { return m_count; }
    uint32_t getStart() const { return m_start; }
    bool isRemoved() const { return m_removed; }
    bool isPaused() const { return m_paused; }
    CTimerUnit* getUnit() const { return m_unit; }
    CWindowServices* getWindow() const { return m_window; }
    CTimerNotificator* getNotificator() const { return m_notificator; }

private:
    friend class CXTimer;

    // Whether the timer is due at tick count `now`.
    bool isDue(uint32_t now) const;
    // Milliseconds until the next firing, 0 when it is already due.
    uint32_t remaining(uint32_t now) const;

    intptr_t m_id;
    uint32_t m_interval;
    int32_t m_count = 0;
    uint32_t m_start;
    // Time that was left to the next firing when the timer was paused.
    uint32_t m_pauseValue = 0;
    CTimerUnit* m_unit;
    CWindowServices* m_window;
    CTimerNotificator* m_notificator;
    bool m_askUnit;
    bool m_removed = false;
    bool m_paused = false;
};

class CXTimer : public CXObject {
public:
    explicit CXTimer(CWindowServices* window);
    ~CXTimer() override;
    CXTimer(const CXTimer&) = delete;
    CXTimer& operator=(const CXTimer&) = delete;

    // New timers start now with count 0. Ids are not tested for uniqueness.
    void add(intptr_t id, unsigned int interval, CTimerUnit* unit, bool askUnit);
    void add(intptr_t id, unsigned int interval, CWindowServices* window);
    void add(intptr_t id, unsigned int interval, CTimerNotificator* notificator);

    // The first timer of that id that is not flagged removed, or null. (An id
    // taken from an address may come back for a new object before the old
    // timer is dropped.)
    CTimerObject* find(intptr_t id);
    // Flags the first live timer of that id: it never fires again and is deleted by
    // the next domodal.
    void remove(intptr_t id);
    // Restarts the first live timer of that id from now with count 0.
    void reset(intptr_t id);

    // pause records each timer's remaining time to its next firing; resume
    // restarts every paused timer so that it fires after that remaining time and
    // then keeps its period. Pausing an already paused timer keeps its first
    // record; timers that were not paused are not touched by resume.
    void pause();
    void resume();

    // The switch shared by every timer list; while it is off no list fires or
    // drops anything.
    static void enable(bool on);
    static bool isEnabled();

    // One polling pass; returns 0.
    int domodal();

    // Number of timers in the list, removed ones included until they are dropped.
    int getSize() const;

private:
    void append(CTimerObject* timer);

    CXVector* m_timers;
    CXVector* m_working;
    bool m_polling = false;
};
