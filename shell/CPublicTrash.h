// The window's deferred-delete collector: objects that must outlive the call that
// finished them (a timed behaviour whose run ended inside its own tick) wait here and
// are deleted by the collector's timer once their to-delete flag is set.
#pragma once
#include <cstdint>

#include "foundation/CTimerNotificator.h"
#include "foundation/CXVector.h"

class CXTimer;

class CPublicTrash : public CXVector, public CTimerNotificator {
public:
    static constexpr unsigned int kInterval = 10000;

    // Registers the collector's timer (its own address as id) in `timers` (may be null).
    explicit CPublicTrash(CXTimer* timers);
    // Removes the timer and deletes the members still flagged to delete (nothing else
    // owns those any more); other members are left to their owners.
    ~CPublicTrash() override;
    CPublicTrash(const CPublicTrash&) = delete;
    CPublicTrash& operator=(const CPublicTrash&) = delete;

    // Deletes every member whose to-delete flag is set.
    void onTimer(intptr_t id) override;
    void collect();

private:
    CXTimer* m_timers;
};
