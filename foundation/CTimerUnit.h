// What a window's timer list asks of a unit it calls back: whether the unit is
// ready (asked only for timers that want it) and the callback itself.
#pragma once
#include <cstdint>

class CTimerUnit {
public:
    virtual bool isActive() = 0;
    virtual bool wasInitiallyUpdated() = 0;
    virtual void onTimer(intptr_t id) = 0;

protected:
    ~CTimerUnit() = default;
};
