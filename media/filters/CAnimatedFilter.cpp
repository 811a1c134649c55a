#include "media/filters/CAnimatedFilter.h"

#include <vector>

#include "foundation/CXArray.h"
#include "foundation/CXTimer.h"
#include "media/filters/CFilterObserver.h"
#include "media/filters/CFilterTarget.h"
#include "media/filters/CFilterTickState.h"
#include "shell/CWindow.h"

CAnimatedFilter::CAnimatedFilter(CWindow* window, CFilterParams* params)
    : CGraphicsFilter(window, params), m_observers(new CXArray(101, 0.75f)) {
    if (window && window->GetTimerInterface())
        window->GetTimerInterface()->add(reinterpret_cast<intptr_t>(this), 1, static_cast<CTimerNotificator*>(this));
}

CAnimatedFilter::~CAnimatedFilter() {
    CWindow* window = getWindow();
    if (window && window->GetTimerInterface()) window->GetTimerInterface()->remove(reinterpret_cast<intptr_t>(this));
    delete m_observers;
}

void CAnimatedFilter::addTarget(CFilterTarget* target) { appendTarget(target); }

bool CAnimatedFilter::isRunning(CGraphicsObject* graphic) {
    CFilterTarget* t = findTarget(graphic);
    return t && t->isRunning();
}

void CAnimatedFilter::startTarget(CFilterTarget* target) {
    if (target) start(target->getGraphic());
}

void CAnimatedFilter::start(CGraphicsObject* graphic) {
    CFilterTarget* t = findTarget(graphic);
    if (!t || t->isRunning()) return;
    notify(Event::Started, t);
    // A behaviour of the event may have unlinked it.
    if (hasTarget(t) && !t->isRunning()) t->setRunning(getParams(), true);
}

void CAnimatedFilter::stopTarget(CFilterTarget* target) {
    if (target) stop(target->getGraphic());
}

void CAnimatedFilter::stop(CGraphicsObject* graphic) {
    CFilterTarget* t = findTarget(graphic);
    if (!t || !t->isRunning()) return;
    t->setRunning(getParams(), false);
    notify(Event::Finished, t);
}

void CAnimatedFilter::onTimer(intptr_t) {
    // A record unlinked by an event of an earlier one is passed over; one linked
    // during the tick waits for the next.
    std::vector<CFilterTarget*> round;
    for (int i = 0; i < getTargetCount(); ++i) round.push_back(getTarget(i));
    for (CFilterTarget* t : round) {
        if (!hasTarget(t) || !t->isRunning()) continue;
        t->getState()->tick();
        if (step(t, getParams())) {
            stop(t->getGraphic());
        } else {
            notify(Event::Tick, t);
        }
    }
}

void CAnimatedFilter::addObserver(CFilterObserver* observer) {
    if (observer && !m_observers->contains(observer)) m_observers->add(observer);
}

void CAnimatedFilter::removeObserver(CFilterObserver* observer) { m_observers->remove(observer); }

void CAnimatedFilter::notify(Event event, CFilterTarget* target) {
    std::vector<CFilterObserver*> list;
    for (int i = 0; i < m_observers->getCount(); ++i) list.push_back(static_cast<CFilterObserver*>(m_observers->at(i)));
    for (CFilterObserver* o : list) {
        if (!hasTarget(target) || !m_observers->contains(o)) continue;
        switch (event) {
        case Event::Started: o->onFilterStarted(target, this); break;
        case Event::Tick: o->onFilterTick(target, this); break;
        case Event::Finished: o->onFilterFinished(target, this); break;
        }
    }
}
