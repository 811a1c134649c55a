// Base of the timed effects. The effect's timer fires once per frame from the
// window's timer list; each tick steps every running record and tells the
// observers of starts, steps and finishes.
#pragma once

#include "foundation/CTimerNotificator.h"
#include "media/filters/CGraphicsFilter.h"

class CFilterObserver;

class CAnimatedFilter : public CGraphicsFilter, public CTimerNotificator {
public:
    // Adds a 1 ms timer, the effect's address as its id, to the window's list.
    CAnimatedFilter(CWindow* window, CFilterParams* params);
    // Removes the timer; the observers are not deleted.
    ~CAnimatedFilter() override;

    void addTarget(CFilterTarget* target) override;

    // The running flag of the graphic's record; false when it is not linked.
    virtual bool isRunning(CGraphicsObject* graphic);
    virtual void startTarget(CFilterTarget* target);
    // Nothing when the graphic is running or not linked; else observers hear
    // onFilterStarted, then the record prepares and runs.
    virtual void start(CGraphicsObject* graphic);
    virtual void stopTarget(CFilterTarget* target);
    // Nothing when the graphic is not running; else the flag is cleared, then
    // observers hear onFilterFinished.
    virtual void stop(CGraphicsObject* graphic);
    // One step on one running record; true when the effect has finished for it.
    virtual bool step(CFilterTarget* target, CFilterParams* params) = 0;

    // The tick: each running record in list order ticks and steps.
    void onTimer(intptr_t id) override;

    void addObserver(CFilterObserver* observer);
    void removeObserver(CFilterObserver* observer);

private:
    enum class Event { Started, Tick, Finished };
    // Tells each observer while the record is still linked: a behaviour that
    // unlinks it ends the round.
    void notify(Event event, CFilterTarget* target);

    CXArray* m_observers;
};
