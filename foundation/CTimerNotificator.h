// The interface of objects called back by a timer of a window's timer list.
#pragma once
#include <cstdint>

class CTimerNotificator {
public:
    virtual ~CTimerNotificator() = default;
    // Called when the timer of this id is due. Ids may be addresses, hence intptr_t.
    virtual void onTimer(intptr_t id) { (void)id; }
};
