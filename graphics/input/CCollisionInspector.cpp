#include "graphics/input/CCollisionInspector.h"

#include <algorithm>

CCollisionInspector::CCollisionInspector() = default;

CCollisionInspector::~CCollisionInspector() {
    for (CGraphicsObject* g : m_watched) g->removeInvalidateObserver(this);
    for (CMonitoredObject* e : m_monitored) delete e;
    for (CMonitoredObject* e : m_dead) delete e;
}

CCollisionInspector::CMonitoredObject* CCollisionInspector::find(CGraphicsObject* g) {
    for (CMonitoredObject* e : m_monitored)
        if (e->object == g) return e;
    return nullptr;
}

void CCollisionInspector::forget(std::vector<CGraphicsObject*>& list, CGraphicsObject* g) {
    list.erase(std::remove(list.begin(), list.end(), g), list.end());
}

void CCollisionInspector::watch(CGraphicsObject* g) {
    if (std::find(m_watched.begin(), m_watched.end(), g) != m_watched.end()) return;
    m_watched.push_back(g);
    g->addInvalidateObserver(this);
}

void CCollisionInspector::addMonitoredObject(CGraphicsObject* g, bool alphaTest) {
    if (!g) return;
    if (CMonitoredObject* e = find(g)) {
        e->active = true;
        return;
    }
    m_monitored.push_back(new CMonitoredObject{g, alphaTest, 0, {}, true, false});
    watch(g);
}

void CCollisionInspector::removeMonitoredObject(CGraphicsObject* g) {
    if (CMonitoredObject* e = find(g)) e->active = false;
}

void CCollisionInspector::addNotifier(CCollisionObserver* observer) {
    if (observer && std::find(m_observers.begin(), m_observers.end(), observer) == m_observers.end())
        m_observers.push_back(observer);
}

void CCollisionInspector::removeNotifier(CCollisionObserver* observer) {
    m_observers.erase(std::remove(m_observers.begin(), m_observers.end(), observer), m_observers.end());
}

void CCollisionInspector::onPositionChanged(CGraphicsObject* object) {
    CMonitoredObject* e = find(object);
    if (!e || (e->flags & kQueued)) return;
    e->flags |= kQueued;
    m_moved.push_back(e);
}

void CCollisionInspector::notify(int code, CGraphicsObject* a, CGraphicsObject* b) {
    // A copy: observers may come and go while they are told.
    const std::vector<CCollisionObserver*> observers = m_observers;
    for (CCollisionObserver* o : observers) {
        if (std::find(m_observers.begin(), m_observers.end(), o) == m_observers.end()) continue;
        if (code == kCollision)
            o->onCollision(a, b);
        else if (code == kCollisionFinished)
            o->onCollisionFinished(a, b);
    }
}

void CCollisionInspector::onDestroy(CGraphicsObject* object) {
    forget(m_watched, object);
    for (CMonitoredObject* e : m_monitored) forget(e->touching, object);
    CMonitoredObject* entry = find(object);
    if (!entry) return;
    m_monitored.erase(std::remove(m_monitored.begin(), m_monitored.end(), entry), m_monitored.end());
    m_moved.erase(std::remove(m_moved.begin(), m_moved.end(), entry), m_moved.end());
    if (m_tickDepth > 0) {
        entry->dead = true;
        entry->active = false;
        entry->object = nullptr;
        m_dead.push_back(entry);
    } else {
        delete entry;
    }
}

void CCollisionInspector::tick() {
    if (m_tickDepth > 0) return;
    // The moved list is taken whole: objects that move while observers are told are
    // queued for the next tick.
    std::vector<CMonitoredObject*> moved;
    moved.swap(m_moved);
    ++m_tickDepth;
    for (CMonitoredObject* e : moved) {
        if (e->dead) continue;
        if (e->active) {
            const std::vector<CMonitoredObject*> others = m_monitored;
            for (CMonitoredObject* f : others) {
                if (e->dead || !e->active) break;
                if (f->dead || !f->active || f->object == e->object) continue;
                CGraphicsObject* a = e->object;
                CGraphicsObject* b = f->object;
                const CXRect boxA = a->GetBoundingBox();
                const CXRect boxB = b->GetBoundingBox();
                const CXRect common = boxA.Common(boxB);
                const bool touch = common.Width() > 0 && common.Height() > 0 &&
                                   (!e->alphaTest || checkAlphaCollision(a, boxA, b, boxB));
                const bool was = std::find(e->touching.begin(), e->touching.end(), b) != e->touching.end();
                if (touch && !was) {
                    e->touching.push_back(b);
                    if (std::find(f->touching.begin(), f->touching.end(), a) == f->touching.end())
                        f->touching.push_back(a);
                    notify(kCollision, a, b);
                } else if (!touch && was) {
                    forget(e->touching, b);
                    forget(f->touching, a);
                    notify(kCollisionFinished, a, b);
                }
            }
        }
        if (!e->dead) e->flags &= ~kQueued;
    }
    for (CMonitoredObject* e : moved) {
        if (e->dead || e->active) continue;
        // Queued again meanwhile: it leaves the next list too.
        m_moved.erase(std::remove(m_moved.begin(), m_moved.end(), e), m_moved.end());
        m_monitored.erase(std::remove(m_monitored.begin(), m_monitored.end(), e), m_monitored.end());
        delete e;
    }
    if (--m_tickDepth == 0) {
        for (CMonitoredObject* e : m_dead) delete e;
        m_dead.clear();
    }
}

bool CCollisionInspector::checkAlphaCollision(CGraphicsObject* a, CXRect ra, CGraphicsObject* b, CXRect rb) {
    if (!a || !b) return false;
    // The plane is read from the object that holds it (an animation's shown frame),
    // plain or run-length packed, never through pointers copied from it.
    CGraphicsObject* holder = b->getDrawn();
    if (!holder) return false;
    const _compression code = holder->GetCompression();
    if ((code != COMPRESSION_NONE && code != COMPRESSION_RLE) || !holder->AlphaChannel()) return false;
    const int64_t bw = holder->Width();
    const int64_t bh = holder->Height();
    const int64_t planeSize =
        code == COMPRESSION_NONE && holder->GetChannelSize(3) > 0 ? holder->GetChannelSize(3) : bw * bh;
    const int x = ra.left;
    const int y = ra.top;
    const int w = a->Width();
    const int h = a->Height();
    const CXPoint points[8] = {
        CXPoint(x, y),
        CXPoint(addSat(x, w / 2), y),
        CXPoint(addSat(x, w - 1), y),
        CXPoint(addSat(x, w - 1), addSat(y, h / 2)),
        CXPoint(addSat(x, w - 1), addSat(y, h - 1)),
        CXPoint(addSat(x, w / 2), addSat(y, h - 1)),
        CXPoint(x, addSat(y, h - 1)),
        CXPoint(x, addSat(y, h / 2)),
    };
    for (const CXPoint& p : points) {
        if (!rb.IsInRect(p)) continue;
        const int64_t px = static_cast<int64_t>(p.x) - rb.left;
        const int64_t py = static_cast<int64_t>(p.y) - rb.top;
        // A sample outside b's alpha plane counts as transparent.
        if (px < 0 || py < 0 || px >= bw || py >= bh) continue;
        const int64_t index = py * bw + px;
        if (index >= planeSize) continue;
        if (holder->GetPixel(CHANNEL_ALPHA, CXPoint(static_cast<int>(px), static_cast<int>(py))) != 0)
            return true;
    }
    return false;
}

bool CCollisionInspector::isMonitored(CGraphicsObject* g) {
    CMonitoredObject* e = find(g);
    return e && e->active;
}

bool CCollisionInspector::isTouching(CGraphicsObject* a, CGraphicsObject* b) {
    CMonitoredObject* e = find(a);
    return e && std::find(e->touching.begin(), e->touching.end(), b) != e->touching.end();
}
