#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "graphics/core/CGraphicsObject.h"
#include "graphics/input/CCollisionInspector.h"
#include "platform/Input.h"
#include "shell/CWindow.h"

namespace {

struct Observer : CCollisionObserver {
    void onCollision(CGraphicsObject* a, CGraphicsObject* b) override { log.push_back({1, a, b}); }
    void onCollisionFinished(CGraphicsObject* a, CGraphicsObject* b) override { log.push_back({2, a, b}); }
    struct Call {
        int code;
        CGraphicsObject* a;
        CGraphicsObject* b;
        bool operator==(const Call& o) const { return code == o.code && a == o.a && b == o.b; }
    };
    std::vector<Call> log;
};

class Collisions : public ::testing::Test {
protected:
    Collisions() {
        inspector = window.getCollisionInspectorInterface();
        inspector->addNotifier(&observer);
        for (CGraphicsObject* g : {&a, &b}) {
            g->setMonitorCollisions(true);
            inspector->addMonitoredObject(g, false);
        }
        b.SetPosition(100, 0);
        a.SetPosition(0, 0);
        inspector->tick();
    }
    platform::InputSystem input;
    platform::ScopedInput scopedInput{input};
    CWindow window;
    CCollisionInspector* inspector = nullptr;
    CGraphicsObject a{&window, CXSize(10, 10), 16};
    CGraphicsObject b{&window, CXSize(10, 10), 16};
    Observer observer;
};

TEST_F(Collisions, ASharedEdgeDoesNotTouchEnteringAndLeavingAreToldOnce) {
    a.SetPosition(90, 0);  // right edge on b's left edge
    window.Tick();
    EXPECT_TRUE(observer.log.empty());
    a.SetPosition(91, 0);
    window.Tick();
    a.SetPosition(92, 2);
    window.Tick();
    a.SetPosition(80, 0);
    window.Tick();
    EXPECT_EQ(observer.log, (std::vector<Observer::Call>{{1, &a, &b}, {2, &a, &b}}));
    EXPECT_FALSE(inspector->isTouching(&b, &a));
}

TEST_F(Collisions, BothMovingInOneFrameOnlyTheFirstMoverReports) {
    a.SetPosition(95, 0);
    b.SetPosition(96, 0);
    inspector->tick();
    EXPECT_EQ(observer.log, (std::vector<Observer::Call>{{1, &a, &b}}));
    EXPECT_TRUE(inspector->isTouching(&b, &a));
    // Removed monitoring: not tested, and gone after it moves.
    inspector->removeMonitoredObject(&a);
    a.SetPosition(0, 0);
    inspector->tick();
    EXPECT_EQ(observer.log.size(), 1u);
    EXPECT_FALSE(inspector->isMonitored(&a));
    EXPECT_EQ(inspector->getMonitoredCount(), 1);
    inspector->addMonitoredObject(&b, true);  // already there: one entry
    EXPECT_EQ(inspector->getMonitoredCount(), 1);
}

TEST_F(Collisions, AlphaSamplesOfTheMoverOnTheOthersPlane) {
    // b is opaque only in its middle column; the mover's samples are its corners,
    // edge middles and so on.
    char* alpha = new char[100];
    std::memset(alpha, 0, 100);
    for (int y = 0; y < 10; ++y) alpha[y * 10 + 5] = 1;
    b.AlphaChannel(alpha);
    b.GetChannelSize(3) = 100;
    CGraphicsObject c(&window, CXSize(4, 4), 16);
    c.setMonitorCollisions(true);
    inspector->addMonitoredObject(&c, true);
    const struct {
        int x;
        bool touch;
    } rows[] = {{100, false}, {101, false}, {102, true}, {103, true}, {104, false}, {105, true}, {107, false}};
    for (const auto& row : rows) {
        observer.log.clear();
        c.SetPosition(row.x, 2);
        inspector->tick();
        EXPECT_EQ(inspector->isTouching(&c, &b), row.touch) << row.x;
    }
    // Samples outside b's plane (b's box larger than its alpha) count as transparent.
    b.GetChannelSize(3) = 10;
    EXPECT_FALSE(inspector->checkAlphaCollision(&c, CXRect(103, 5, 107, 9), &b, CXRect(100, 0, 110, 10)));
    EXPECT_TRUE(inspector->checkAlphaCollision(&c, CXRect(103, 0, 107, 4), &b, CXRect(100, 0, 110, 10)));
}

TEST_F(Collisions, ADestroyedObjectLeavesAtOnceWithoutAFinishedNotification) {
    auto* d = new CGraphicsObject(&window, CXSize(10, 10), 16);
    d->setMonitorCollisions(true);
    inspector->addMonitoredObject(d, false);
    d->SetPosition(95, 0);
    inspector->tick();
    ASSERT_TRUE(inspector->isTouching(&b, d));
    d->SetPosition(96, 0);  // queued, then destroyed before the tick
    delete d;
    EXPECT_FALSE(inspector->isTouching(&b, d));
    EXPECT_EQ(inspector->getMonitoredCount(), 2);
    b.SetPosition(50, 50);
    inspector->tick();
    EXPECT_EQ(observer.log, (std::vector<Observer::Call>{{1, d, &b}}));
    // A removed observer is told nothing more.
    inspector->removeNotifier(&observer);
    a.SetPosition(1, 0);
    inspector->tick();
    EXPECT_EQ(observer.log.size(), 1u);
}

} // namespace
