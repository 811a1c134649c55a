#include "graphics/screen/CSecondaryDisplay.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "graphics/core/CColor.h"
#include "graphics/screen/CDirectDrawSurface.h"
#include "graphics/screen/CSurface.h"
#include "platform/Clock.h"
#include "platform/Display.h"
#include "shell/CCommandLine6.h"
#include "shell/CWindow.h"

namespace {

uint16_t pixelOf(platform::IDisplaySurface* surface, int x, int y) {
    platform::SurfaceMemory memory;
    surface->lock(&memory);
    surface->unlock();
    return reinterpret_cast<const uint16_t*>(memory.bits + y * memory.pitch)[x];
}

// A distinct screen colour for each frame number.
CColor colourOf(int n) {
    return CColor(static_cast<uint8_t>((n & 31) << 3), static_cast<uint8_t>(((n >> 5) & 63) << 2), 0x80);
}

// A windowed engine window mirrored on a placeholder second window, on a software display
// and a manual clock; frames of 16 ms unless a test steps otherwise.
struct Mirror : testing::Test {
    Mirror() : displayScope(displays), clockScope(clock) {}
    ~Mirror() override { window.reset(); }

    void open(const char* options, CXSize size = CXSize(32, 24), uint64_t start = 0) {
        window.reset();
        base = start;
        clock.set(base);
        commandLine = std::make_unique<CCommandLine6>(options);
        window = std::make_unique<CWindow>(nullptr, commandLine.get(), nullptr, size, nullptr, CWindow::exePath, true);
        ASSERT_EQ(window->CreateSurface(&placeholder), 0);
        window->OnActivateApp(true);
        ASSERT_NE(mirror(), nullptr);
        ASSERT_NE(mirror()->getSurface(), nullptr);
    }
    CSecondaryDisplay* mirror() const { return window->getSecondaryDisplay(); }
    platform::IDisplaySurface* second() const { return mirror()->getSurface()->GetPrimaryBufferInterface(); }
    platform::IDisplaySurface* first() const { return window->GetSurface()->GetPrimaryBufferInterface(); }

    // One frame at base + t ms; with a change the whole screen takes a new colour first.
    // What the first screen shows is kept by time.
    void frame(uint32_t t, bool change) {
        clock.set(base + t);
        if (change) {
            CColor c = colourOf(++changes);
            window->SetBackground(&c);
            window->Invalidate();
        }
        window->Tick();
        shown[t] = pixelOf(first(), 3, 3);
    }
    uint16_t secondPixel(int x = 3, int y = 3) const { return pixelOf(second(), x, y); }
    // Paints the second screen over, to see whether anything is drawn on it again.
    void scribble() { second()->colorFill(nullptr, 0x1234); }

    platform::SoftwareDisplaySystem displays;
    platform::ScopedDisplaySystem displayScope;
    platform::ManualClock clock;
    platform::ScopedClock clockScope;
    std::unique_ptr<CCommandLine6> commandLine;
    std::unique_ptr<CWindow> window;
    char placeholder = 0;
    uint64_t base = 0;
    int changes = 0;
    std::map<uint32_t, uint16_t> shown;
};

TEST_F(Mirror, CreateSurfaceMirrorsOnlyWithASecondWindow) {
    open("-window -delay 1000");
    EXPECT_EQ(mirror()->getWindow(), &placeholder);
    EXPECT_EQ(mirror()->getDelay(), 1000);
    EXPECT_EQ(mirror()->getSurface()->GetScreenSize(), CXSize(32, 24));
    EXPECT_EQ(mirror()->getSurface()->GetBPP(), window->GetBpp());
    // The first copy shows at the first redraw, long before its delay.
    frame(0, true);
    EXPECT_EQ(secondPixel(), shown[0]);
    EXPECT_EQ(secondPixel(31, 23), shown[0]);

    // A new display replaces the mirror; without a second window there is none, nor full screen.
    ASSERT_EQ(window->CreateSurface(nullptr), 0);
    EXPECT_EQ(window->getSecondaryDisplay(), nullptr);
    ASSERT_EQ(window->CreateSurface(&placeholder), 0);
    ASSERT_NE(window->getSecondaryDisplay(), nullptr);
    ASSERT_EQ(window->SetDisplayMode(CXSize(0, 0), 16), 0);
    EXPECT_EQ(window->getSecondaryDisplay(), nullptr);
    window->Tick();
}

// A change every 16 ms frame, delay 1000: each frame the second screen shows the newest
// copy older than the delay; the copy of 160 shows at 1168, not at 1152. The same across
// the 32-bit wrap of the millisecond clock.
TEST_F(Mirror, AChangeEachFrameShowsTheDelayLater) {
    for (uint64_t start : {uint64_t{0}, uint64_t{0xFFFFFE00u}}) {
        shown.clear();
        open("-window -delay 1000", CXSize(32, 24), start);
        for (uint32_t t = 0; t <= 1400; t += 16) {
            frame(t, true);
            uint32_t expected = 0;
            for (uint32_t older = 0; older + 1000 < t; older += 16) expected = older;
            ASSERT_EQ(secondPixel(), shown[expected]) << "start " << start << " at " << t;
            if (t == 1152) {
                EXPECT_NE(secondPixel(), shown[160]);
            }
            if (t == 1168) {
                EXPECT_EQ(secondPixel(), shown[160]);
            }
        }
        // One copy per frame waits: a second's worth and the newest due one.
        EXPECT_LE(mirror()->getQueuedCount(), 1000 / 16 + 3);
    }
}

TEST_F(Mirror, AStillScreenShowsItsLastCopiesTheDelayLater) {
    open("-window -delay 1000");
    frame(0, true);
    frame(160, true);
    EXPECT_EQ(secondPixel(), shown[0]);
    // No third copy comes: the change of 160 still shows once its delay has passed.
    for (uint32_t t = 176; t <= 1152; t += 16) frame(t, false);
    EXPECT_EQ(secondPixel(), shown[0]) << "not before the delay";
    for (uint32_t t = 1168; t <= 4000; t += 16) frame(t, false);
    EXPECT_EQ(secondPixel(), shown[160]);
    // The newest due copy stays queued and is drawn again each frame.
    EXPECT_EQ(mirror()->getQueuedCount(), 1);
    scribble();
    frame(4016, false);
    EXPECT_EQ(secondPixel(), shown[160]);
}

// Parts of the back buffer, each of its own colour, queued at once.
struct Parts {
    explicit Parts(CWindow& w) : window(w) {}
    void queue(int n, CXRect rect) {
        CColor c = colourOf(n);
        window.GetBackBuffer()->Fill(rect, &c);
        colours.push_back(static_cast<uint16_t>(c.GetInBPP(16)));
        window.getSecondaryDisplay()->update(window.GetBackBuffer(), &rect);
    }
    CWindow& window;
    std::vector<uint16_t> colours;
};

TEST_F(Mirror, ADueBacklogIsDrawnAndDiscardedAtOnce) {
    open("-window -delay 1000");
    Parts parts(*window);
    // Ten copies of ten columns, each 3 pixels wide, at 0, 16, ... 144 ms.
    for (int i = 0; i < 10; ++i) {
        clock.set(16 * i);
        parts.queue(i, CXRect(3 * i, 0, 3 * i + 3, 24));
    }
    EXPECT_EQ(mirror()->getQueuedCount(), 10);
    scribble();
    clock.set(5000);
    mirror()->redraw();
    // All ten are due: nine drawn and gone, the tenth drawn and kept.
    EXPECT_EQ(mirror()->getQueuedCount(), 1);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(secondPixel(3 * i + 1, 10), parts.colours[i]) << i;
    // Copies not yet due wait behind it.
    clock.set(5000 - 1000);
    parts.queue(10, CXRect(0, 0, 3, 24));
    clock.set(5000);
    scribble();
    mirror()->redraw();
    EXPECT_EQ(secondPixel(1, 10), 0x1234) << "the eleventh is not due";
    EXPECT_EQ(secondPixel(3 * 9 + 1, 10), parts.colours[9]);
    EXPECT_EQ(mirror()->getQueuedCount(), 2);
    mirror()->redraw();
    EXPECT_EQ(mirror()->getQueuedCount(), 2);

    // Rectangles are cut to the source; ones without area are not queued.
    CXRect outside(40, 0, 50, 5), flat(2, 2, 2, 9), wide(-5, 20, 90, 30);
    mirror()->update(window->GetBackBuffer(), &outside);
    mirror()->update(window->GetBackBuffer(), &flat);
    EXPECT_EQ(mirror()->getQueuedCount(), 2);
    mirror()->update(window->GetBackBuffer(), &wide);
    EXPECT_EQ(mirror()->getQueuedCount(), 3);
    const int64_t wideBytes = int64_t{32} * 4 * 2 + CSecondaryDisplay::kEntryOverhead;
    EXPECT_EQ(mirror()->getQueuedBytes(), 2 * (3 * 24 * 2 + CSecondaryDisplay::kEntryOverhead) + wideBytes);
}

TEST_F(Mirror, PastTheCapTheOldestAreDrawnAndDiscardedEarly) {
    // Whole copies of 1024 x 512 at 16 bits: a MiB and the entry's share each.
    open("-window -delay 100000", CXSize(1024, 512));
    const CXRect whole(0, 0, 1024, 512);
    const int64_t each = int64_t{1024} * 512 * 2 + CSecondaryDisplay::kEntryOverhead;
    const int fit = static_cast<int>(CSecondaryDisplay::kMaxQueuedBytes / each);
    Parts parts(*window);
    for (int i = 0; i < fit; ++i) parts.queue(i, whole);
    EXPECT_EQ(mirror()->getQueuedCount(), fit);
    EXPECT_EQ(mirror()->getQueuedBytes(), fit * each);
    EXPECT_EQ(secondPixel(), 0) << "nothing drawn below the cap";

    parts.queue(fit, whole);
    EXPECT_EQ(mirror()->getQueuedCount(), fit);
    EXPECT_EQ(secondPixel(), parts.colours[0]);
    parts.queue(fit + 1, whole);
    EXPECT_EQ(secondPixel(), parts.colours[1]);
    EXPECT_LE(mirror()->getQueuedBytes(), CSecondaryDisplay::kMaxQueuedBytes);
}

TEST_F(Mirror, ReleaseDiscardsTheQueueWithoutDrawing) {
    open("-window -delay 1000");
    for (uint32_t t = 0; t <= 160; t += 16) frame(t, true);
    ASSERT_EQ(mirror()->getQueuedCount(), 11);
    platform::IDisplaySurface* kept = second();
    kept->addRef();
    scribble();
    clock.set(5000);  // every copy due
    window->release();
    EXPECT_EQ(window->getSecondaryDisplay(), nullptr);
    EXPECT_EQ(pixelOf(kept, 3, 3), 0x1234);
    kept->release();
    // The sanitizer run reports any copy left behind.
}

}  // namespace
