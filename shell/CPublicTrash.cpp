#include "shell/CPublicTrash.h"

#include "foundation/CXTimer.h"

CPublicTrash::CPublicTrash(CXTimer* timers) : CXVector(101, 0.75f), m_timers(timers) {
    if (m_timers) m_timers->add(reinterpret_cast<intptr_t>(this), kInterval, static_cast<CTimerNotificator*>(this));
}

CPublicTrash::~CPublicTrash() {
    if (m_timers) m_timers->remove(reinterpret_cast<intptr_t>(this));
    collect();
}

void CPublicTrash::onTimer(intptr_t) { collect(); }

void CPublicTrash::collect() {
    // A deleted member may take others out of the list, so the walk starts again
    // after each deletion.
    for (int i = 0; i < getCount();) {
        CXObject* member = at(i);
        if (member && member->isToDelete()) {
            removeAt(i);
            delete member;
            i = 0;
        } else {
            ++i;
        }
    }
}
