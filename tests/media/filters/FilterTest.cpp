// The timed effect framework (records, links, the tick and its observers, graphics
// destroyed under an effect) and the fades and PATH.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/CXTimer.h"
#include "graphics/core/CGraphicsObject.h"
#include "media/filters/CAnimatedFilter.h"
#include "media/filters/CFadeFilter.h"
#include "media/filters/CFilterObserver.h"
#include "media/filters/CFilterParams.h"
#include "media/filters/CFilterTarget.h"
#include "media/filters/CFilterTickState.h"
#include "media/filters/CPathFilter.h"
#include "media/filters/CWaterFilter.h"
#include "media/filters/CWavingFilter.h"
#include "script/CMC_ObjectsContainer.h"
#include "shell/CWindow.h"
#include "support/ScriptTestSupport.h"

namespace {

// Finishes a record after `length` steps; counts the steps it took.
class CountingFilter : public CAnimatedFilter {
public:
    CountingFilter(CWindow* window, int length) : CAnimatedFilter(window, new CFilterParams(99)), m_length(length) {}
    CFilterTarget* createTarget(CGraphicsObject* graphic, CMC_Object* owner) override {
        return new CFilterTarget(this, graphic, owner, new CFilterTickState());
    }
    bool step(CFilterTarget* target, CFilterParams*) override {
        ++steps;
        return target->getState()->getTicks() >= m_length;
    }
    int steps = 0;

private:
    int m_length;
};

// Records every event as "started:NAME", "tick:NAME:TICKS", "finished:NAME".
class Recorder : public CFilterObserver {
public:
    void onFilterStarted(CFilterTarget* t, CAnimatedFilter* f) override {
        events.push_back("started:" + name(t));
        if (onStarted) onStarted(t, f);
    }
    void onFilterTick(CFilterTarget* t, CAnimatedFilter* f) override {
        events.push_back("tick:" + name(t) + ":" + std::to_string(t->getState()->getTicks()));
        if (onTick) onTick(t, f);
    }
    void onFilterFinished(CFilterTarget* t, CAnimatedFilter*) override { events.push_back("finished:" + name(t)); }

    static std::string name(CFilterTarget* t) { return t->getOwnerName().c_str(); }
    std::vector<std::string> events;
    std::function<void(CFilterTarget*, CAnimatedFilter*)> onStarted;
    std::function<void(CFilterTarget*, CAnimatedFilter*)> onTick;
};

class FilterTest : public ::testing::Test {
protected:
    void SetUp() override {
        scene = world.loadScene("filters.cnv", {
                                                   "OBJECT=A", "A:TYPE=INTEGER", "A:VALUE=0",  //
                                                   "OBJECT=B", "B:TYPE=INTEGER", "B:VALUE=0",
                                               });
        ASSERT_NE(scene, nullptr);
    }

    std::unique_ptr<CGraphicsObject> graphic(int w = 4, int h = 4) {
        return std::make_unique<CGraphicsObject>(world.window(), CXSize(w, h), 16);
    }
    CMC_Object* owner(const char* name) { return scene->getObject(name); }

    test::ScriptWorld world;
    test::TestScene* scene = nullptr;
};

TEST_F(FilterTest, EventsFollowStartStepsAndFinish) {
    CountingFilter filter(world.window(), 3);
    Recorder rec;
    filter.addObserver(&rec);
    auto g = graphic();
    filter.link(g.get(), owner("A"));
    filter.onTimer(0);  // linked but not running: nothing
    filter.start(g.get());
    filter.start(g.get());  // already running: no second event
    EXPECT_TRUE(filter.isRunning(g.get()));
    filter.onTimer(0);
    filter.onTimer(0);
    filter.onTimer(0);
    filter.onTimer(0);
    EXPECT_EQ(rec.events, (std::vector<std::string>{"started:A", "tick:A:1", "tick:A:2", "finished:A"}));
    EXPECT_EQ(filter.steps, 3);
    EXPECT_FALSE(filter.isRunning(g.get()));
    EXPECT_EQ(filter.getTargetCount(), 1);

    // STOP of a stopped graphic raises nothing; a new START keeps the tick count.
    filter.stop(g.get());
    filter.start(g.get());
    filter.onTimer(0);
    EXPECT_EQ(rec.events.back(), "finished:A");
    EXPECT_EQ(filter.findTarget(g.get())->getState()->getTicks(), 4);
    // A script STOP finishes too.
    CountingFilter endless(world.window(), 1000);
    endless.addObserver(&rec);
    endless.link(g.get(), owner("B"));
    endless.start(g.get());
    endless.stop(g.get());
    EXPECT_EQ(rec.events.back(), "finished:B");
}

TEST_F(FilterTest, LinksAndOneAtATime) {
    CountingFilter filter(world.window(), 5);
    auto a = graphic();
    auto b = graphic();
    filter.link(a.get(), owner("A"));
    filter.link(a.get(), owner("A"));
    EXPECT_EQ(filter.getTargetCount(), 1);
    filter.unlink(b.get());  // never linked
    filter.link(nullptr, owner("B"));
    EXPECT_EQ(filter.getTargetCount(), 1);
    filter.start(b.get());  // not linked
    EXPECT_FALSE(filter.isRunning(b.get()));

    filter.setProperty("ONEATTIME", "TRUE");
    filter.link(b.get(), owner("B"));
    ASSERT_EQ(filter.getTargetCount(), 1);
    EXPECT_EQ(filter.getTarget(0)->getGraphic(), b.get());
    filter.link(b.get(), owner("B"));  // a re-link under ONEATTIME leaves nothing
    EXPECT_EQ(filter.getTargetCount(), 0);
}

TEST_F(FilterTest, WindowTimerTicksOncePerFrameUntilTheEffectGoes) {
    CXTimer* timers = world.window()->GetTimerInterface();
    auto g = graphic();
    auto filter = std::make_unique<CountingFilter>(world.window(), 100);
    EXPECT_NE(timers->find(reinterpret_cast<intptr_t>(filter.get())), nullptr);
    filter->link(g.get(), owner("A"));
    filter->start(g.get());
    world.frames(3);
    EXPECT_EQ(filter->steps, 3);
    const intptr_t id = reinterpret_cast<intptr_t>(filter.get());
    filter.reset();
    EXPECT_EQ(timers->find(id), nullptr);
    world.frames(2);
}

TEST_F(FilterTest, DestroyedGraphicLeavesAtOnceWithoutEvents) {
    CountingFilter a(world.window(), 100);
    CFadeInFilter b(world.window());
    Recorder rec;
    a.addObserver(&rec);
    b.addObserver(&rec);
    auto g = graphic();
    auto other = graphic();
    a.link(g.get(), owner("A"));
    a.link(other.get(), owner("B"));
    b.link(g.get(), owner("A"));
    a.start(g.get());
    b.start(g.get());
    rec.events.clear();
    g.reset();
    EXPECT_EQ(a.getTargetCount(), 1);
    EXPECT_EQ(b.getTargetCount(), 0);
    a.onTimer(0);
    b.onTimer(0);
    EXPECT_TRUE(rec.events.empty());
    // The survivor still works, and leaves no observer behind on its graphic.
    a.start(other.get());
    a.onTimer(0);
    EXPECT_EQ(rec.events, (std::vector<std::string>{"started:B", "tick:B:1"}));
    a.unlink(other.get());
    other->Invalidate();
}

TEST_F(FilterTest, ObserverUnlinkingDuringItsEventEndsTheRound) {
    CountingFilter filter(world.window(), 100);
    Recorder rec;
    Recorder second;
    filter.addObserver(&rec);
    filter.addObserver(&second);
    auto a = graphic();
    auto b = graphic();
    filter.link(a.get(), owner("A"));
    filter.link(b.get(), owner("B"));
    filter.start(a.get());
    filter.start(b.get());
    rec.onTick = [&](CFilterTarget* t, CAnimatedFilter* f) { f->unlink(t->getGraphic()); };
    filter.onTimer(0);
    // The second observer hears of neither record: each left in the first's handler.
    EXPECT_EQ(second.events, (std::vector<std::string>{"started:A", "started:B"}));
    EXPECT_EQ(filter.getTargetCount(), 0);

    // Unlinked from inside ONSTARTED: the record is gone before it would run.
    filter.link(a.get(), owner("A"));
    rec.onStarted = [&](CFilterTarget* t, CAnimatedFilter* f) { f->unlink(t->getGraphic()); };
    filter.start(a.get());
    EXPECT_EQ(filter.getTargetCount(), 0);
}

// ---- fades ----

struct FadeRun {
    int steps = 0;
    bool finished = false;
};

FadeRun runToEnd(CAnimatedFilter& filter, CGraphicsObject* g, int limit) {
    FadeRun run;
    for (; run.steps < limit && filter.isRunning(g); ++run.steps) filter.onTimer(0);
    run.finished = !filter.isRunning(g);
    return run;
}

TEST_F(FilterTest, FadesReachTheirEndInCountedSteps) {
    struct Case {
        const char* action;
        const char* start;
        const char* end;
        const char* speed;
        int steps;
        int opacityAtStart;
        int opacityAtEnd;
    } cases[] = {
        {"FADEIN", nullptr, nullptr, nullptr, 2550, 0, 255},
        {"FADEOUT", nullptr, nullptr, nullptr, 2550, 255, 0},
        {"FADEIN", "300", "200", nullptr, 1, 300 & 0xFF, 200},  // above END: ends at once at END
        {"FADEOUT", "10", "20", nullptr, 1, 10, 20},
        {"FADEIN", "0", "100", "10", 10, 0, 100},
        {"FADEIN", "0", "1", "0.3", 4, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.action) + " " + (c.start ? c.start : "-") + " " + (c.end ? c.end : "-"));
        std::unique_ptr<CFadeFilter> filter;
        if (std::string(c.action) == "FADEIN")
            filter = std::make_unique<CFadeInFilter>(world.window());
        else
            filter = std::make_unique<CFadeOutFilter>(world.window());
        if (c.start) filter->setProperty("START", c.start);
        if (c.end) filter->setProperty("END", c.end);
        if (c.speed) filter->setProperty("SPEED", c.speed);
        Recorder rec;
        filter->addObserver(&rec);
        auto g = graphic();
        g->SetOpacity(77);
        filter->link(g.get(), owner("A"));
        filter->start(g.get());
        EXPECT_EQ(g->GetOpacity(), c.opacityAtStart);
        const FadeRun run = runToEnd(*filter, g.get(), 5000);
        EXPECT_TRUE(run.finished);
        EXPECT_EQ(run.steps, c.steps);
        EXPECT_EQ(g->GetOpacity(), c.opacityAtEnd);
        EXPECT_EQ(rec.events.back(), "finished:A");
        EXPECT_EQ(static_cast<int>(rec.events.size()), c.steps + 1);  // started, ticks, finished
    }
}

TEST_F(FilterTest, FadeOpacityFollowsTheIntegerPartAndRestartsFromStart) {
    CFadeInFilter filter(world.window());
    filter.setProperty("SPEED", "0.4");
    auto g = graphic();
    filter.link(g.get(), owner("A"));
    filter.start(g.get());
    std::vector<int> seen;
    for (int i = 0; i < 5; ++i) {
        filter.onTimer(0);
        seen.push_back(g->GetOpacity());
    }
    EXPECT_EQ(seen, (std::vector<int>{0, 0, 1, 1, 2}));
    filter.stop(g.get());
    EXPECT_EQ(g->GetOpacity(), 2);  // stopping restores nothing
    filter.start(g.get());
    EXPECT_EQ(g->GetOpacity(), 0);
    filter.onTimer(0);
    filter.onTimer(0);
    filter.onTimer(0);
    EXPECT_EQ(g->GetOpacity(), 1);
}

TEST_F(FilterTest, FadeInOutSwingsUntilStopped) {
    CFadeInOutFilter filter(world.window());
    filter.setProperty("START", "10");
    filter.setProperty("END", "12");
    filter.setProperty("SPEED", "1");
    Recorder rec;
    filter.addObserver(&rec);
    auto g = graphic();
    filter.link(g.get(), owner("A"));
    filter.start(g.get());
    std::vector<int> seen;
    for (int i = 0; i < 7; ++i) {
        filter.onTimer(0);
        seen.push_back(g->GetOpacity());
    }
    EXPECT_EQ(seen, (std::vector<int>{11, 12, 11, 10, 11, 12, 11}));
    EXPECT_TRUE(filter.isRunning(g.get()));

    // The defaults turn at 255 after 2550 steps, as the plain fade ends there.
    CFadeInOutFilter defaults(world.window());
    defaults.link(g.get(), owner("A"));
    defaults.start(g.get());
    for (int i = 0; i < 2550; ++i) defaults.onTimer(0);
    EXPECT_EQ(g->GetOpacity(), 255);
    defaults.onTimer(0);
    EXPECT_EQ(g->GetOpacity(), 254);
    EXPECT_TRUE(defaults.isRunning(g.get()));
    filter.stop(g.get());
    EXPECT_EQ(rec.events.back(), "finished:A");
}

// ---- PATH ----

class PathFilterTest : public FilterTest {
protected:
    void SetUp() override {
        scene = world.loadScene("pathfilter.cnv", {
                                                      "OBJECT=A", "A:TYPE=INTEGER", "A:VALUE=0",                //
                                                      "OBJECT=V1", "V1:TYPE=VECTOR", "V1:SIZE=2", "V1:VALUE=3,4",  //
                                                      "OBJECT=V2", "V2:TYPE=VECTOR", "V2:SIZE=2", "V2:VALUE=-2,0",  //
                                                      "OBJECT=Z", "Z:TYPE=VECTOR", "Z:SIZE=2", "Z:VALUE=0,0",      //
                                                      "OBJECT=W", "W:TYPE=VECTOR", "W:SIZE=1", "W:VALUE=2",        //
                                                      "OBJECT=P", "P:TYPE=PATH", "P:NODES=V1",                     //
                                                      "OBJECT=P2", "P2:TYPE=PATH", "P2:NODES=V1,V2",               //
                                                      "OBJECT=PZ", "PZ:TYPE=PATH", "PZ:NODES=Z,W,NOTHING",         //
                                                      "OBJECT=PE", "PE:TYPE=PATH",
                                                  });
        ASSERT_NE(scene, nullptr);
    }

    // Positions after each step, the step that finished (0 for none).
    std::vector<CXPoint> walk(CPathFilter& filter, CGraphicsObject* g, int steps, int* finishedAt) {
        std::vector<CXPoint> out;
        *finishedAt = 0;
        for (int i = 1; i <= steps; ++i) {
            filter.onTimer(0);
            out.push_back(g->getPosition());
            if (!*finishedAt && !filter.isRunning(g)) *finishedAt = i;
        }
        return out;
    }
    static std::vector<std::pair<int, int>> pairs(const std::vector<CXPoint>& points) {
        std::vector<std::pair<int, int>> out;
        for (const CXPoint& p : points) out.emplace_back(p.x, p.y);
        return out;
    }
};

TEST_F(PathFilterTest, WalksANodeAtItsDensity) {
    CPathFilter filter(world.window(), scene);
    filter.setProperty("PATHDEF", "P");
    Recorder rec;
    filter.addObserver(&rec);
    auto g = graphic();
    g->setPosition(CXPoint(10, 20));
    filter.link(g.get(), owner("A"));
    filter.start(g.get());
    int finished = 0;
    const auto at = walk(filter, g.get(), 7, &finished);
    EXPECT_EQ(pairs(at), (std::vector<std::pair<int, int>>{
                             {10, 20}, {11, 21}, {11, 22}, {12, 23}, {13, 24}, {13, 24}, {13, 24}}));
    EXPECT_EQ(finished, 5);
    EXPECT_EQ(rec.events.back(), "finished:A");
}

TEST_F(PathFilterTest, SpeedLoopsAndDegenerateNodes) {
    struct Case {
        const char* path;
        const char* speed;
        bool looped;
        int steps;
        std::vector<std::pair<int, int>> positions;
        int finishedAt;
    } cases[] = {
        // One step every third frame.
        {"P", "3", false, 9, {{0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {1, 1}, {1, 1}, {1, 1}, {1, 2}}, 0},
        // SPEED 0 and below count as 1.
        {"P", "0", false, 5, {{0, 0}, {1, 1}, {1, 2}, {2, 3}, {3, 4}}, 5},
        {"P", "-4", false, 5, {{0, 0}, {1, 1}, {1, 2}, {2, 3}, {3, 4}}, 5},
        // Two nodes, then from where they ended once looped.
        {"P2", "1", true, 9, {{0, 0}, {1, 1}, {1, 2}, {2, 3}, {3, 4}, {2, 4}, {1, 4}, {1, 4}, {2, 5}}, 0},
        {"P2", "1", false, 8, {{0, 0}, {1, 1}, {1, 2}, {2, 3}, {3, 4}, {2, 4}, {1, 4}, {1, 4}}, 7},
        // A zero node in one step, a one-component node (y missing counts 0), a node
        // that is no vector in one step.
        {"PZ", "1", false, 5, {{0, 0}, {1, 0}, {2, 0}, {2, 0}, {2, 0}}, 4},
        // No such path, a path without nodes: nothing moves, nothing ends.
        {"NOPE", "1", false, 3, {{0, 0}, {0, 0}, {0, 0}}, 0},
        {"PE", "1", false, 3, {{0, 0}, {0, 0}, {0, 0}}, 0},
        {"A", "1", false, 2, {{0, 0}, {0, 0}}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.path) + " speed " + c.speed);
        CPathFilter filter(world.window(), scene);
        filter.setProperty("PATHDEF", c.path);
        filter.setProperty("SPEED", c.speed);
        if (c.looped) filter.setProperty("LOOPED", "TRUE");
        auto g = graphic();
        filter.link(g.get(), owner("A"));
        filter.start(g.get());
        int finished = 0;
        EXPECT_EQ(pairs(walk(filter, g.get(), c.steps, &finished)), c.positions);
        EXPECT_EQ(finished, c.finishedAt);
    }
}

TEST_F(PathFilterTest, RestartKeepsTheNodeAndStartsFromWhereTheGraphicIs) {
    CPathFilter filter(world.window(), scene);
    filter.setProperty("PATHDEF", "P2");
    auto g = graphic();
    filter.link(g.get(), owner("A"));
    filter.start(g.get());
    for (int i = 0; i < 5; ++i) filter.onTimer(0);  // first node done at (3, 4)
    filter.stop(g.get());
    g->setPosition(CXPoint(100, 100));
    filter.start(g.get());
    filter.onTimer(0);
    filter.onTimer(0);
    EXPECT_EQ(g->getPosition().x, 98);
    EXPECT_EQ(g->getPosition().y, 100);
    EXPECT_FALSE(filter.isRunning(g.get()));
}

// ---- WATER ----

std::vector<uint16_t> pixelsOf(CGraphicsObject* g) {
    std::vector<uint16_t> out(static_cast<size_t>(g->Width()) * g->Height());
    std::memcpy(out.data(), g->GetDataPtr(), out.size() * 2);
    return out;
}

// A w x h graphic whose pixel i holds i + 1; alpha 0 at `clear` (-1: none), no plane when asked.
std::unique_ptr<CGraphicsObject> numbered(CWindow* window, int w, int h, int clear, bool withAlpha = true) {
    auto g = std::make_unique<CGraphicsObject>(window, CXSize(w, h), 16);
    std::vector<uint16_t> pixels(static_cast<size_t>(w) * h);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint16_t>(i + 1);
    std::memcpy(g->GetDataPtr(), pixels.data(), pixels.size() * 2);
    if (withAlpha) {
        char* alpha = new char[pixels.size()];
        std::memset(alpha, 0xFF, pixels.size());
        if (clear >= 0) alpha[clear] = 0;
        g->AlphaChannel(alpha);
    }
    return g;
}

TEST_F(FilterTest, WaterRipplesFromItsCopyInsideThePicture) {
    // FACTOR 0 keeps the picture.
    {
        CWaterFilter water(world.window());
        water.setProperty("FACTOR", "0");
        auto g = numbered(world.window(), 7, 5, -1);
        const auto before = pixelsOf(g.get());
        water.link(g.get(), owner("A"));
        water.start(g.get());
        for (int i = 0; i < 60; ++i) water.onTimer(0);
        EXPECT_EQ(pixelsOf(g.get()), before);
    }
    // Large factors draw from the edges, never past them; alpha-0 pixels stay.
    for (const char* factor : {"1000", "-1000", "3", "1e300", "nan"}) {
        SCOPED_TRACE(factor);
        CWaterFilter water(world.window());
        water.setProperty("FACTOR", factor);
        auto g = numbered(world.window(), 6, 4, 9);
        water.link(g.get(), owner("A"));
        water.start(g.get());
        for (int i = 0; i < 52; ++i) {
            water.onTimer(0);
            const auto now = pixelsOf(g.get());
            EXPECT_EQ(now[9], 10);
            for (uint16_t v : now) EXPECT_TRUE(v >= 1 && v <= 24);
        }
    }
    // The ripple moves: FACTOR 3 on a 9 x 9 picture changes between frames.
    CWaterFilter water(world.window());
    water.setProperty("FACTOR", "3");
    auto g = numbered(world.window(), 9, 9, -1, false);
    water.link(g.get(), owner("A"));
    water.start(g.get());
    water.onTimer(0);
    const auto first = pixelsOf(g.get());
    water.onTimer(0);
    EXPECT_NE(pixelsOf(g.get()), first);
}

TEST_F(FilterTest, WaterUnpacksAPackedGraphic) {
    CWaterFilter water(world.window());
    auto g = numbered(world.window(), 5, 5, -1);
    const auto before = pixelsOf(g.get());
    g->Compress(COMPRESSION_RLE);
    water.setProperty("FACTOR", "0");
    water.link(g.get(), owner("A"));
    EXPECT_EQ(g->GetCompression(), COMPRESSION_NONE);
    water.start(g.get());
    water.onTimer(0);
    EXPECT_EQ(pixelsOf(g.get()), before);
    g.reset();  // destroyed while rippling
    water.onTimer(0);
    EXPECT_EQ(water.getTargetCount(), 0);
}

// ---- WAVING ----

// Counts the invalidations of a graphic: the effect invalidates only when it recomputes.
class InvalidationCounter : public CInvalidateObserver {
public:
    void onInvalidate(CGraphicsObject*, CXRect*) override { ++count; }
    void onDestroy(CGraphicsObject* g) override { g->removeInvalidateObserver(this); }
    int count = 0;
};

TEST_F(FilterTest, WavingRecomputesOnElevenOfEvery101Frames) {
    CWavingFilter waving(world.window());
    auto g = numbered(world.window(), 8, 6, -1);
    InvalidationCounter counter;
    g->addInvalidateObserver(&counter);
    waving.link(g.get(), owner("A"));
    waving.start(g.get());
    std::vector<int> recomputed;
    for (int step = 1; step <= 112; ++step) {
        const int before = counter.count;
        waving.onTimer(0);
        if (counter.count != before) recomputed.push_back(step);
    }
    EXPECT_EQ(recomputed, (std::vector<int>{1, 11, 21, 31, 41, 51, 61, 71, 81, 91, 101, 102, 112}));
    g->removeInvalidateObserver(&counter);
}

TEST_F(FilterTest, WavingDisplacesColumnsFromTheUndistortedPicture) {
    // AMPLITUDE 0 keeps the picture, with and without an alpha plane (none is made).
    for (bool withAlpha : {true, false}) {
        CWavingFilter waving(world.window());
        waving.setProperty("AMPLITUDE", "0");
        auto g = numbered(world.window(), 5, 4, -1, withAlpha);
        const auto before = pixelsOf(g.get());
        waving.link(g.get(), owner("A"));
        waving.start(g.get());
        for (int i = 0; i < 25; ++i) waving.onTimer(0);
        EXPECT_EQ(pixelsOf(g.get()), before);
        EXPECT_EQ(g->AlphaChannel() != nullptr, withAlpha);
    }
    // Column x moves by trunc(sin(x * DENSITY) * AMPLITUDE) rows at phase 0; the
    // second recomputation starts from the undistorted picture again, not the
    // distorted one. Unlinking keeps the last distorted picture.
    CWavingFilter waving(world.window());
    waving.setProperty("AMPLITUDE", "2");
    waving.setProperty("DENSITY", "1.5707963267948966");  // columns move 0, 2, 0, -2, 0 rows
    auto g = numbered(world.window(), 5, 4, -1);
    waving.link(g.get(), owner("A"));
    waving.start(g.get());
    waving.onTimer(0);
    const auto after = pixelsOf(g.get());
    // Pixel i holds i + 1; a source outside the buffer keeps the pixel itself.
    const std::vector<uint16_t> expected = {1, 12, 3, 4, 5,  //
                                            6, 17, 8, 9, 10,  //
                                            11, 12, 13, 4, 15,  //
                                            16, 17, 18, 9, 20};
    EXPECT_EQ(after, expected);
    for (int i = 0; i < 10; ++i) waving.onTimer(0);  // step 11: phase 10 adds 1 radian
    const auto second = pixelsOf(g.get());
    EXPECT_NE(second, after);
    waving.unlink(g.get());
    EXPECT_EQ(pixelsOf(g.get()), second);
    // Destroyed while waving: the saved buffers go with the record.
    waving.link(g.get(), owner("A"));
    waving.start(g.get());
    waving.onTimer(0);
    g.reset();
    EXPECT_EQ(waving.getTargetCount(), 0);
}

}  // namespace
