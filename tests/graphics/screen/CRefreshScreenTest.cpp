#include "graphics/screen/CRefreshScreen.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "graphics/screen/CDirectDrawSurface.h"
#include "graphics/screen/CRefreshRegion.h"
#include "graphics/screen/CValidationQuene.h"
#include "platform/Display.h"
#include "platform/Presenter.h"
#include "shell/CWindow.h"

namespace {

constexpr uint16_t kRed = 0xF800;
constexpr uint16_t kGreen = 0x07E0;
constexpr uint16_t kSentinel = 0x1234;

class DisplayWindow : public CWindow {
public:
    explicit DisplayWindow(CXSize size) { m_screenSize = size; }
};

// Records the clipping rectangle of every draw.
struct CountingObject : CGraphicsObject {
    CountingObject(CWindow* w, CXSize size) : CGraphicsObject(w, size, 16) {}
    void Redraw() override {
        clips.push_back(GetClippingRect());
        CGraphicsObject::Redraw();
    }
    std::vector<CXRect> clips;
};

void fill(CGraphicsObject& g, uint16_t v) {
    auto* p = reinterpret_cast<uint16_t*>(g.GetDataPtr());
    for (int i = 0; i < g.Width() * g.Height(); ++i) p[i] = v;
}

void giveAlpha(CGraphicsObject& g, const std::vector<uint8_t>& values) {
    char* a = new char[values.size()];
    std::memcpy(a, values.data(), values.size());
    g.AlphaChannel(a);
    g.GetChannelSize(3) = static_cast<int>(values.size());
}

struct RefreshScreenTest : testing::Test {
    RefreshScreenTest() : scope(system) { open(CXSize(64, 48)); }

    void open(CXSize size) {
        window.reset();
        window = std::make_unique<DisplayWindow>(size);
        ASSERT_EQ(window->CreateSurface(nullptr), 0);
    }
    CRefreshScreen& screen() { return *window->GetRefreshScreenInterface(); }
    CDirectDrawSurface& back() { return *window->GetBackBuffer(); }
    uint16_t at(int x, int y) { return reinterpret_cast<uint16_t*>(back().GetDataPtr())[y * back().Width() + x]; }
    bool pass() {
        bool reset = false;
        return screen().Redraw(&back(), window->GetSurface(), &reset);
    }
    void paintBack(uint16_t v) {
        CColor c(static_cast<short>(v), CM_RGB16);
        back().Fill(&c);
    }
    uint16_t grey() { return static_cast<uint16_t>(CColor(7, 7, 7).GetInBPP(16)); }

    platform::SoftwareDisplaySystem system;
    platform::ScopedDisplaySystem scope;
    std::unique_ptr<DisplayWindow> window;
};

TEST_F(RefreshScreenTest, FirstPassPaintsAllOnceThenAnEmptyRegionPaintsNothing) {
    screen().SetBackground(static_cast<CColor*>(nullptr));  // (7, 7, 7)
    CountingObject a(window.get(), CXSize(8, 8)), hidden(window.get(), CXSize(8, 8));
    fill(a, kRed);
    a.SetPosition(4, 4);
    screen().put(&a, 1);
    screen().put(&hidden, 2);
    hidden.Hide();

    EXPECT_TRUE(pass());
    EXPECT_EQ(a.clips.size(), 1u);
    EXPECT_TRUE(hidden.clips.empty());
    EXPECT_EQ(at(0, 0), grey());
    EXPECT_EQ(at(4, 4), kRed);
    EXPECT_EQ(at(11, 11), kRed);
    EXPECT_EQ(at(12, 12), grey());
    EXPECT_EQ(screen().getRefreshCounter(), 1);
    EXPECT_EQ(screen().getRefreshDestiny(), &back());

    screen().validate();
    paintBack(kSentinel);
    EXPECT_FALSE(pass());
    EXPECT_EQ(screen().getRefreshCounter(), 2);
    EXPECT_EQ(a.clips.size(), 1u);
    EXPECT_EQ(at(4, 4), kSentinel);
    EXPECT_FALSE(screen().getQueue()->elementAt(0)->isDrawn());
}

TEST_F(RefreshScreenTest, AnObjectIsDrawnOncePerDirtyRectangleClippedToIt) {
    CountingObject a(window.get(), CXSize(8, 8));
    a.SetPosition(4, 4);
    screen().put(&a, 0);
    pass();
    screen().validate();

    struct Case {
        std::vector<CXRect> dirty;
        std::vector<CXRect> clips;
    };
    const Case cases[] = {
        {{CXRect(4, 4, 8, 12), CXRect(8, 4, 12, 12)}, {CXRect(0, 0, 4, 8), CXRect(4, 0, 8, 8)}},
        {{CXRect(0, 0, 20, 20), CXRect(30, 30, 40, 40)}, {CXRect(0, 0, 8, 8)}},
        {{CXRect(10, 10, 40, 40)}, {CXRect(6, 6, 8, 8)}},
    };
    for (const Case& c : cases) {
        a.clips.clear();
        for (CXRect r : c.dirty) screen().Invalidate(&r);
        EXPECT_TRUE(pass());
        EXPECT_EQ(a.clips, c.clips);
        EXPECT_TRUE(a.GetClippingRect().IsEmpty()) << "the object's own rectangle is restored";
        screen().validate();
    }
}

TEST_F(RefreshScreenTest, NothingIsDrawnOutsideTheDirtyRegion) {
    screen().SetBackground(static_cast<CColor*>(nullptr));
    CGraphicsObject clipped(window.get(), CXSize(8, 8), 16);
    fill(clipped, kRed);
    clipped.SetPosition(4, 4);
    clipped.SetClippingRect(CXRect(0, 0, 4, 4));  // its own: the top-left quarter
    screen().put(&clipped, 0);
    pass();
    screen().validate();

    paintBack(kSentinel);
    CXRect dirty(6, 6, 12, 12);
    screen().Invalidate(&dirty);
    pass();
    EXPECT_EQ(at(6, 6), kRed);
    EXPECT_EQ(at(7, 7), kRed);
    EXPECT_EQ(at(5, 5), kSentinel) << "inside the object's own rectangle but outside the region";
    EXPECT_EQ(at(9, 9), grey());
    EXPECT_EQ(clipped.GetClippingRect(), CXRect(0, 0, 4, 4));
    screen().validate();

    // A partly invalidated object brings its whole box in before the background.
    CGraphicsObject b(window.get(), CXSize(10, 10), 16);
    fill(b, kGreen);
    b.SetPosition(30, 20);
    screen().put(&b, 1);
    pass();
    screen().validate();
    paintBack(kSentinel);
    CXRect corner(30, 20, 32, 22);
    b.Invalidate(&corner);
    EXPECT_TRUE(pass());
    EXPECT_EQ(at(39, 29), kGreen);
    EXPECT_EQ(at(40, 30), kSentinel);
    bool covered = false;
    CRefreshRegion* list = screen().getRefreshList();
    for (int i = 0; i < list->getCount(); ++i)
        if (list->rectAt(i) && list->rectAt(i)->IsInRect(39, 29)) covered = true;
    EXPECT_TRUE(covered) << "the box joins the region, so it is presented";
}

TEST_F(RefreshScreenTest, RegistrationPrioritiesAndFlags) {
    CGraphicsObject a(window.get(), CXSize(4, 4), 16), b(window.get(), CXSize(4, 4), 16),
        c(window.get(), CXSize(4, 4), 16), stranger(window.get(), CXSize(4, 4), 16);
    screen().put(&a, 5);
    screen().put(&b, 5);
    screen().put(&c, 1);
    screen().put(&a, 9);  // already registered: nothing changes
    EXPECT_EQ(screen().GetPriority(&a), 5);
    EXPECT_EQ(screen().getIndex(&c), 0);
    EXPECT_EQ(screen().getIndex(&a), 1);
    EXPECT_TRUE(screen().SetFlags(&a, 1));
    screen().SetPriority(&a, 5);  // behind its equals, flags back to 0
    EXPECT_EQ(screen().getIndex(&a), 2);
    EXPECT_EQ(screen().GetFlags(&a), 0);
    EXPECT_FALSE(screen().SetFlags(&stranger, 1));
    EXPECT_EQ(screen().GetPriority(&stranger), -1);
    EXPECT_EQ(screen().getIndex(&stranger), -1);
    EXPECT_EQ(a.GetCanvas(), &screen());

    screen() >> &a;
    EXPECT_EQ(screen().getIndex(&a), -1);
    EXPECT_EQ(a.GetCanvas(), nullptr);
    screen().Empty();
    EXPECT_EQ(screen().getQueue()->getCount(), 0);
    EXPECT_EQ(b.GetCanvas(), nullptr);
    // With the canvas gone, objects that were taken out change safely.
    window.reset();
    b.Invalidate();
    c.Move(1, 1);
}

TEST_F(RefreshScreenTest, GrayScaleFlagTurnsEachPassGrey) {
    CGraphicsObject a(window.get(), CXSize(4, 4), 16);
    fill(a, kRed);
    screen().put(&a, 0);
    EXPECT_TRUE(screen().SetFlags(nullptr, CRefreshScreen::kGrayScale));
    pass();
    const uint16_t p = at(0, 0);
    EXPECT_EQ(p & 0x1F, (p >> 11) & 0x1F);
    EXPECT_NE(p, kRed);
}

TEST_F(RefreshScreenTest, PickingByPriorityBoundsVisibilityAndAlpha) {
    CGraphicsObject low(window.get(), CXSize(10, 10), 16), high(window.get(), CXSize(10, 10), 16),
        later(window.get(), CXSize(10, 10), 16), holed(window.get(), CXSize(10, 10), 16);
    std::vector<uint8_t> alpha(100, 255);
    alpha[0] = 0;  // (0, 0) of the object is transparent
    giveAlpha(holed, alpha);
    high.SetPosition(20, 0);
    later.SetPosition(20, 0);
    holed.SetPosition(40, 0);
    screen().put(&low, 1);
    screen().put(&high, 7);
    screen().put(&later, 7);
    screen().put(&holed, 3);

    struct Case {
        int x, y;
        bool visibleOnly;
        int minP, maxP;
        bool ignoreAlpha;
        CGraphicsObject* expected;
    };
    const Case cases[] = {
        {5, 5, true, -1, -1, false, &low},
        {25, 5, true, -1, -1, false, &later},  // equal priorities: the later one
        {25, 5, true, 8, -1, false, nullptr},
        {25, 5, true, -1, 6, false, nullptr},
        {5, 5, true, 1, 1, false, &low},
        {40, 0, true, -1, -1, false, nullptr},  // transparent pixel
        {40, 0, true, -1, -1, true, &holed},
        {41, 0, true, -1, -1, false, &holed},
        {60, 60, true, -1, -1, true, nullptr},
    };
    for (const Case& c : cases)
        EXPECT_EQ(screen().getGraphicsAt(c.x, c.y, c.visibleOnly, c.minP, c.maxP, c.ignoreAlpha), c.expected)
            << c.x << "," << c.y;
    later.Hide();
    EXPECT_EQ(screen().getGraphicsAt(25, 5, true, -1, -1, false), &high);
    EXPECT_EQ(screen().getGraphicsAt(25, 5, false, -1, -1, false), &later);
}

TEST_F(RefreshScreenTest, ScrollingBackgroundWraps) {
    open(CXSize(800, 600));
    auto* image = new CDirectDrawSurface(window.get(), CXSize(1600, 600), 16, false);
    auto* px = reinterpret_cast<uint16_t*>(image->GetDataPtr());
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 1600; ++x) px[y * 1600 + x] = static_cast<uint16_t>(x);
    screen().setBackground(image);
    EXPECT_EQ(screen().getScrollMode(), 1);
    image->SetPosition(-10, 0);
    pass();
    EXPECT_EQ(image->GetPosition(), CXPoint(1590, 0));
    EXPECT_EQ(at(0, 0), 1590);
    EXPECT_EQ(at(9, 599), 1599);
    EXPECT_EQ(at(10, 0), 0);
    EXPECT_EQ(at(799, 300), 789);

    // Wider and taller wraps both ways; a static background starts scrolling once moved.
    auto* big = new CDirectDrawSurface(window.get(), CXSize(900, 700), 16, false);
    screen().setBackground(big);
    EXPECT_EQ(screen().getScrollMode(), 3);
    screen().SetBackground(static_cast<CColor*>(nullptr));
    EXPECT_EQ(screen().getScrollMode(), 0);
    EXPECT_EQ(screen().getBackgroundIfc()->Size(), CXSize(800, 600));
    screen().getBackgroundIfc()->SetPosition(5, 0);
    screen().Invalidate(static_cast<CXRect*>(nullptr));
    pass();
    EXPECT_EQ(screen().getScrollMode(), 1);
    EXPECT_EQ(at(799, 0), grey());
}

// The kept background image leaves the background surface's restoring before it goes.
struct ImageScreen : CRefreshScreen {
    using CRefreshScreen::CRefreshScreen;
    void keepImage(CGraphicsObject* g) {
        m_backgroundImage = g;
        SetBackground(g);
    }
};

TEST_F(RefreshScreenTest, FlushDeletesTheImageAndTheBackgroundForgetsIt) {
    ImageScreen canvas(window.get(), false);
    auto* image = new CGraphicsObject(window.get(), CXSize(64, 48), 16);
    fill(*image, kGreen);
    canvas.keepImage(image);
    CDirectDrawSurface* background = canvas.getBackgroundIfc();
    ASSERT_NE(background, nullptr);
    EXPECT_EQ(background->getApplied(), image);
    canvas.flush();
    EXPECT_EQ(background->getApplied(), nullptr);
    // A lost background is restored without drawing the deleted image.
    platform::SoftwareDisplaySystem::loseSurface(background->GetDirectDrawSurfaceInterface());
    canvas.Redraw(&back(), nullptr, nullptr);
}

TEST_F(RefreshScreenTest, ObserversHearPassesAndFocus) {
    struct Log : CCanvasObserver {
        void onInitialUpdate() override { codes += '0'; }
        void onUpdate() override { codes += '1'; }
        void onUpdated() override { codes += '2'; }
        void onFocusOn() override { codes += '3'; }
        void onFocusOff() override { codes += '4'; }
        void onInitialUpdated() override { codes += '5'; }
        std::string codes;
    } log;
    CGraphicsObject a(window.get(), CXSize(4, 4), 16);
    screen().addNotifier(&log);
    window->OnActivateApp(true);
    pass();  // the flag is off
    EXPECT_EQ(log.codes, "");
    screen().enableNotifyFlag(true);
    pass();  // nothing registered
    screen().put(&a, 0);
    pass();
    window->OnActivateApp(false);
    window->OnActivateApp(true);
    for (int code : {0, 5, 6}) screen().notify(code);
    EXPECT_EQ(log.codes, "124305");
    screen().removeNotifier(&log);
    pass();
    EXPECT_EQ(log.codes, "124305");
}

TEST_F(RefreshScreenTest, CatchCopiesTheSnapshotSource) {
    EXPECT_EQ(screen()._catch(), nullptr);
    auto* source = new CDirectDrawSurface(window.get(), CXSize(64, 48), 16, false);
    CColor red(static_cast<short>(kRed), CM_RGB16);
    source->Fill(&red);
    screen().setSnapshotSource(source);
    CDirectDrawSurface* copy = screen()._catch();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(reinterpret_cast<uint16_t*>(copy->GetDataPtr())[63 + 47 * 64], kRed);
    EXPECT_EQ(screen()._catch(), copy);
    screen()._release();
}

// Incremental passes must leave what a full redraw paints: random changes, each with
// the invalidation its callers make, over overlapping alpha objects.
TEST_F(RefreshScreenTest, IncrementalPassesMatchAFullRedraw) {
    open(CXSize(320, 200));
    for (uint32_t seed : {1u, 2u, 3u, 4u}) {
        std::mt19937 rng(seed);
        auto rnd = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };

        // A background wider and taller than the canvas, so it scrolls both ways.
        auto* image = new CGraphicsObject(window.get(), CXSize(400, 260), 16);
        auto* ip = reinterpret_cast<uint16_t*>(image->GetDataPtr());
        for (int i = 0; i < 400 * 260; ++i) ip[i] = static_cast<uint16_t>(i * 2654435761u >> 9);
        screen().SetBackground(image);
        // The full redraw's surface; it outlives the objects, which keep it as their destiny.
        CDirectDrawSurface fresh(window.get(), CXSize(320, 200), 16, false);
        std::vector<std::unique_ptr<CGraphicsObject>> objects;
        for (int i = 0; i < 12; ++i) {
            const int w = rnd(8, 70), h = rnd(8, 70);
            auto g = std::make_unique<CGraphicsObject>(window.get(), CXSize(w, h), 16);
            auto* p = reinterpret_cast<uint16_t*>(g->GetDataPtr());
            for (int k = 0; k < w * h; ++k) p[k] = static_cast<uint16_t>(rng());
            if (i % 3 != 0) {
                std::vector<uint8_t> alpha(static_cast<size_t>(w) * h);
                for (auto& a : alpha) a = static_cast<uint8_t>(rnd(0, 2) == 0 ? 255 : rnd(0, 255));
                giveAlpha(*g, alpha);
            }
            if (i % 5 == 4) g->SetClippingRect(CXRect(2, 2, w - 2, h - 3));
            g->SetPosition(rnd(-30, 330), rnd(-30, 210));
            screen().put(g.get(), rnd(0, 3));
            objects.push_back(std::move(g));
        }
        auto full = [&] {
            CColor black(static_cast<short>(0), CM_RGB16);
            fresh.Fill(&black);
            screen().Invalidate(static_cast<CXRect*>(nullptr));
            bool reset = false;
            screen().Redraw(&fresh, nullptr, &reset);
            screen().validate();
            return platform::hashSurface(fresh.GetDirectDrawSurfaceInterface());
        };
        screen().Invalidate(static_cast<CXRect*>(nullptr));  // a new background
        pass();
        screen().validate();

        for (int step = 0; step < 150; ++step) {
            const int changes = rnd(1, 3);
            for (int c = 0; c < changes; ++c) {
                CGraphicsObject* g = objects[rnd(0, static_cast<int>(objects.size()) - 1)].get();
                switch (rnd(0, 6)) {
                case 0: g->Move(rnd(-12, 12), rnd(-12, 12)); break;
                case 1:
                    g->Invalidate();
                    g->SetPosition(rnd(-30, 330), rnd(-30, 210));
                    g->Invalidate();
                    break;
                case 2: g->Visible(!g->isVisible()); break;
                case 3:
                    screen().SetPriority(g, rnd(0, 3));
                    g->Invalidate();
                    break;
                case 4:
                    g->SetOpacity(static_cast<uint8_t>(rnd(0, 2) ? 255 : rnd(0, 255)));
                    g->Invalidate();
                    break;
                case 5: {
                    const int x = rnd(0, g->Width() - 1), y = rnd(0, g->Height() - 1);
                    CXRect part(x, y, std::min(g->Width(), x + rnd(1, 9)), std::min(g->Height(), y + rnd(1, 9)));
                    CColor colour(static_cast<short>(rng()), CM_RGB16);
                    g->Fill(part, &colour);
                    CXRect onScreen = part + g->GetPosition();
                    g->Invalidate(&onScreen);
                    break;
                }
                default:
                    screen().getBackgroundIfc()->SetPosition(rnd(-500, 500), rnd(-500, 500));
                    screen().Invalidate(static_cast<CXRect*>(nullptr));
                    break;
                }
            }
            pass();
            screen().validate();
            const uint64_t incremental = platform::hashSurface(back().GetDirectDrawSurfaceInterface());
            ASSERT_EQ(incremental, full()) << "seed " << seed << ", step " << step;
        }
        screen().Empty();
        screen().SetBackground(static_cast<CGraphicsObject*>(nullptr));
        delete image;
    }
}

}  // namespace

namespace {

// Deletes another observer when it hears of a pass.
struct RemovingObserver : CCanvasObserver {
    void onUpdate() override {
        ++updates;
        if (victim) {
            screen->removeNotifier(victim);
            victim = nullptr;
        }
    }
    CRefreshScreen* screen = nullptr;
    CCanvasObserver* victim = nullptr;
    int updates = 0;
};

TEST_F(RefreshScreenTest, AnObserverRemovedDuringANoticeIsNotTold) {
    RemovingObserver first, second;
    first.screen = &screen();
    first.victim = &second;
    screen().addNotifier(&first);
    screen().addNotifier(&second);
    screen().enableNotifyFlag(true);
    CGraphicsObject g(window.get(), CXSize(4, 4), 16);
    screen().put(&g, 1);
    pass();
    EXPECT_EQ(first.updates, 1);
    EXPECT_EQ(second.updates, 0);
    screen().removeNotifier(&first);
    screen() >> &g;
}

}  // namespace
