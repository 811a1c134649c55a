// Watches chosen graphics objects and reports when two start or stop touching. An
// object that moves reports to onPositionChanged; once per frame tick tests only the
// objects that moved since the last tick against every other monitored object. Two
// objects touch when their bounding boxes overlap with width and height, refined by
// eight alpha samples when the mover's entry asks for it. The mover is always the
// first object of a notification.
//
// The inspector observes every object it watched: an object that is destroyed leaves
// at once, with its entry and every reference to it, and nobody is told.
#pragma once
#include <cstdint>
#include <vector>

#include "foundation/CXObject.h"
#include "foundation/CXRect.h"
#include "graphics/core/CGraphicsObject.h"

class CXArray;

class CCollisionObserver {
public:
    virtual ~CCollisionObserver() = default;
    virtual void onCollision(CGraphicsObject* mover, CGraphicsObject* other) = 0;
    virtual void onCollisionFinished(CGraphicsObject* mover, CGraphicsObject* other) = 0;
};

class CCollisionInspector : public CXObject, public CInvalidateObserver {
public:
    // Notification codes.
    static constexpr int kCollision = 1;
    static constexpr int kCollisionFinished = 2;

    CCollisionInspector();
    ~CCollisionInspector() override;
    CCollisionInspector(const CCollisionInspector&) = delete;
    CCollisionInspector& operator=(const CCollisionInspector&) = delete;

    // Tells every observer in order: 1 onCollision, 2 onCollisionFinished.
    virtual void notify(int code, CGraphicsObject* a, CGraphicsObject* b);
    // Whether one of eight points on a's rectangle edge lies in rb over an opaque
    // pixel of b's alpha plane; false for a compressed b or one without alpha.
    virtual bool checkAlphaCollision(CGraphicsObject* a, CXRect ra, CGraphicsObject* b, CXRect rb);
    // A monitored object has moved; it is tested at the next tick.
    virtual void onPositionChanged(CGraphicsObject* object);

    // Watches g (again, when it was removed; its alpha test then stays as it was).
    void addMonitoredObject(CGraphicsObject* g, bool alphaTest);
    // Stops testing g; its entry goes at the next tick after it moved.
    void removeMonitoredObject(CGraphicsObject* g);
    void addNotifier(CCollisionObserver* observer);
    void removeNotifier(CCollisionObserver* observer);
    void tick();

    bool isMonitored(CGraphicsObject* g);
    // Whether a's entry holds b among the objects it touches.
    bool isTouching(CGraphicsObject* a, CGraphicsObject* b);
    int getMonitoredCount() const { return static_cast<int>(m_monitored.size()); }

    // CInvalidateObserver: a destroyed object leaves at once.
    void onInvalidate(CGraphicsObject*, CXRect*) override {}
    void onDestroy(CGraphicsObject* object) override;

private:
    struct CMonitoredObject {
        CGraphicsObject* object;
        bool alphaTest;
        int32_t flags;
        std::vector<CGraphicsObject*> touching;
        bool active;
        bool dead;
    };
    static constexpr int32_t kQueued = 1;

    CMonitoredObject* find(CGraphicsObject* g);
    void watch(CGraphicsObject* g);
    static void forget(std::vector<CGraphicsObject*>& list, CGraphicsObject* g);

    std::vector<CMonitoredObject*> m_monitored;
    std::vector<CCollisionObserver*> m_observers;
    std::vector<CMonitoredObject*> m_moved;
    // Objects this inspector observes for their destruction.
    std::vector<CGraphicsObject*> m_watched;
    // Entries of destroyed objects while a tick walks; freed when it ends.
    std::vector<CMonitoredObject*> m_dead;
    int m_tickDepth = 0;
};
