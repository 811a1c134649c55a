#include <gtest/gtest.h>

#include <cstring>

#include "platform/Audio.h"
#include "platform/Clock.h"

using namespace platform;

namespace {

const WaveFormat kMono16{kWaveFormatPcm, 1, 22050, 44100, 2, 16, 0};
constexpr uint32_t kCtrl = kBufferCtrlFrequency | kBufferCtrlPan | kBufferCtrlVolume | kBufferExactCursor;

struct AudioFixture : ::testing::Test {
    ManualClock clock{1000};
    ScopedClock clockScope{clock};
    ManualAudioSystem system;
    ScopedAudio audioScope{system};
    std::unique_ptr<IAudioDevice> device;

    void SetUp() override { ASSERT_EQ(audio().createDevice(&device), kAudioOk); }

    std::unique_ptr<IAudioBuffer> make(uint32_t bytes, const WaveFormat& f = kMono16, uint32_t flags = kCtrl) {
        std::unique_ptr<IAudioBuffer> b;
        BufferDesc d{flags, bytes, &f};
        EXPECT_EQ(device->createBuffer(d, &b), kAudioOk);
        return b;
    }
    static uint32_t cursor(IAudioBuffer& b) {
        uint32_t p = 0xFFFFFFFF;
        EXPECT_EQ(b.getCurrentPosition(&p, nullptr), kAudioOk);
        return p;
    }
    static uint32_t status(IAudioBuffer& b) {
        uint32_t s = 0xFFFFFFFF;
        EXPECT_EQ(b.getStatus(&s), kAudioOk);
        return s;
    }
};

}  // namespace

TEST_F(AudioFixture, SwitchesFailDeviceAndPrimary) {
    system.setFailDevice(true);
    std::unique_ptr<IAudioDevice> d2;
    EXPECT_NE(audio().createDevice(&d2), kAudioOk);
    EXPECT_EQ(d2, nullptr);

    std::unique_ptr<IAudioBuffer> primary;
    system.setFailPrimary(true);
    EXPECT_EQ(device->createBuffer({kBufferPrimary | kBufferCtrlVolume | kBufferCtrlPan, 0, nullptr}, &primary), kAudioFailed);
    EXPECT_EQ(primary, nullptr);
    system.setFailPrimary(false);
    ASSERT_EQ(device->createBuffer({kBufferPrimary | kBufferCtrlVolume | kBufferCtrlPan, 0, nullptr}, &primary), kAudioOk);

    // The primary's format is the mix format; one the device cannot play is refused and kept.
    EXPECT_EQ(primary->setFormat(kMono16), kAudioOk);
    WaveFormat bad = kMono16;
    bad.blockAlign = 4;
    EXPECT_EQ(primary->setFormat(bad), kAudioBadFormat);
    WaveFormat got;
    ASSERT_EQ(primary->getFormat(&got), kAudioOk);
    EXPECT_EQ(got.samplesPerSec, 22050u);
    EXPECT_EQ(got.blockAlign, 2);
    void* p = nullptr;
    uint32_t n = 0;
    EXPECT_EQ(primary->lock(0, 4, &p, &n, nullptr, nullptr, 0), kAudioInvalidCall);
}

TEST_F(AudioFixture, BufferCreationRefusesWhatTheDeviceRefuses) {
    struct Case { uint16_t tag, channels, bits, align; uint32_t rate, bytes; int32_t result; };
    const Case cases[] = {
        {1, 1, 16, 2, 22050, 4, kAudioOk},
        {1, 2, 8, 2, 44100, 100, kAudioOk},
        {1, 1, 16, 2, 22050, 3, kAudioInvalidParam},          // below the minimum size
        {1, 1, 16, 2, 22050, 0, kAudioInvalidParam},          // empty data
        {2, 1, 16, 2, 22050, 100, kAudioBadFormat},           // not PCM
        {1, 3, 16, 6, 22050, 100, kAudioBadFormat},
        {1, 1, 12, 2, 22050, 100, kAudioBadFormat},
        {1, 1, 16, 2, 99, 100, kAudioBadFormat},
        {1, 1, 16, 4, 22050, 100, kAudioBadFormat},           // inconsistent block
    };
    for (const Case& c : cases) {
        WaveFormat f{c.tag, c.channels, c.rate, c.rate * c.align, c.align, c.bits, 0};
        std::unique_ptr<IAudioBuffer> b;
        EXPECT_EQ(device->createBuffer({kCtrl, c.bytes, &f}, &b), c.result) << c.tag << " " << c.channels << " " << c.bits << " " << c.bytes;
        EXPECT_EQ(b != nullptr, c.result == kAudioOk);
    }
    std::unique_ptr<IAudioBuffer> b;
    EXPECT_EQ(device->createBuffer({kCtrl, 100, nullptr}, &b), kAudioInvalidParam);
}

TEST_F(AudioFixture, OutOfRangeSettingsAreRefusedAndKept) {
    auto b = make(1000);
    struct Case { const char* what; int64_t value; bool ok; };
    const Case cases[] = {
        {"vol", -10000, true}, {"vol", 0, true}, {"vol", -10001, false}, {"vol", 1, false},
        {"pan", -10000, true}, {"pan", 10000, true}, {"pan", -10001, false}, {"pan", 10001, false},
        {"freq", 100, true}, {"freq", 200000, true}, {"freq", 0, true}, {"freq", 99, false},
        {"freq", 200001, false}, {"freq", 0x80000000LL, false},
    };
    for (const Case& c : cases) {
        const std::string w = c.what;
        int32_t before = 0, after = 0;
        uint32_t fb = 0, fa = 0;
        int32_t r;
        if (w == "vol") {
            b->setVolume(-5000);
            r = b->setVolume(static_cast<int32_t>(c.value));
            b->getVolume(&after);
            before = -5000;
        } else if (w == "pan") {
            b->setPan(300);
            r = b->setPan(static_cast<int32_t>(c.value));
            b->getPan(&after);
            before = 300;
        } else {
            b->setFrequency(11025);
            r = b->setFrequency(static_cast<uint32_t>(c.value));
            b->getFrequency(&fa);
            fb = 11025;
        }
        EXPECT_EQ(r, c.ok ? kAudioOk : kAudioInvalidParam) << w << " " << c.value;
        if (w == "freq") {
            const uint32_t expect = c.value == 0 ? 22050u : static_cast<uint32_t>(c.value);
            EXPECT_EQ(fa, c.ok ? expect : fb) << c.value;
        } else {
            EXPECT_EQ(after, c.ok ? c.value : before) << w << " " << c.value;
        }
    }
    // Controls not asked for at creation are unavailable.
    auto plain = make(1000, kMono16, 0);
    EXPECT_EQ(plain->setVolume(-100), kAudioControlUnavailable);
    EXPECT_EQ(plain->setFrequency(11025), kAudioControlUnavailable);
}

TEST_F(AudioFixture, LockWrapsIntoTwoParts) {
    auto b = make(100);
    void *p1 = nullptr, *p2 = nullptr;
    uint32_t n1 = 0, n2 = 0;
    ASSERT_EQ(b->lock(80, 50, &p1, &n1, &p2, &n2, 0), kAudioOk);
    EXPECT_EQ(n1, 20u);
    EXPECT_EQ(n2, 30u);
    ASSERT_NE(p2, nullptr);
    EXPECT_EQ(static_cast<uint8_t*>(p1) - static_cast<uint8_t*>(p2), 80);
    std::memset(p1, 0xAB, n1);
    std::memset(p2, 0xCD, n2);
    EXPECT_EQ(b->unlock(p1, n1, p2, n2), kAudioOk);

    ASSERT_EQ(b->lock(0, 0, &p1, &n1, &p2, &n2, kLockEntireBuffer), kAudioOk);
    EXPECT_EQ(n1, 100u);
    EXPECT_EQ(n2, 0u);
    EXPECT_EQ(p2, nullptr);
    const uint8_t* d = static_cast<uint8_t*>(p1);
    EXPECT_EQ(d[29], 0xCD);
    EXPECT_EQ(d[30], 0);
    EXPECT_EQ(d[80], 0xAB);
    uint8_t foreign[4];
    EXPECT_EQ(b->unlock(foreign, 4, nullptr, 0), kAudioInvalidParam);

    EXPECT_EQ(b->lock(100, 1, &p1, &n1, &p2, &n2, 0), kAudioInvalidParam);
    EXPECT_EQ(b->lock(0, 101, &p1, &n1, &p2, &n2, 0), kAudioInvalidParam);
}

TEST_F(AudioFixture, CursorsFollowTheManualClock) {
    // 22050 Hz mono 16-bit: 44100 bytes a second; 4410 bytes is 100 ms.
    auto once = make(4410);
    auto loop = make(4410);
    ASSERT_EQ(once->play(false), kAudioOk);
    ASSERT_EQ(loop->play(true), kAudioOk);
    EXPECT_EQ(status(*loop), kStatusPlaying | kStatusLooping);
    clock.advance(50);
    EXPECT_EQ(cursor(*once), 2204u);  // whole blocks
    EXPECT_EQ(status(*once), kStatusPlaying);
    clock.advance(49);
    EXPECT_EQ(status(*once), kStatusPlaying);
    clock.advance(1);
    EXPECT_EQ(status(*once), 0u);  // a one-shot stops at its end
    EXPECT_EQ(cursor(*once), 0u);
    clock.advance(30);
    EXPECT_EQ(cursor(*loop), 1322u);  // 130 ms wrapped
    EXPECT_EQ(status(*loop), kStatusPlaying | kStatusLooping);

    // A doubled frequency doubles the speed from the moment it is set.
    ASSERT_EQ(loop->setFrequency(44100), kAudioOk);
    clock.advance(10);
    EXPECT_EQ(cursor(*loop), 1322u + 882u);

    // Stop keeps the cursor; play continues from it; setCurrentPosition moves it.
    ASSERT_EQ(loop->stop(), kAudioOk);
    clock.advance(500);
    EXPECT_EQ(cursor(*loop), 2204u);
    EXPECT_EQ(loop->setCurrentPosition(101), kAudioOk);
    EXPECT_EQ(cursor(*loop), 100u);
    EXPECT_EQ(loop->setCurrentPosition(4410), kAudioInvalidParam);
    EXPECT_EQ(cursor(*loop), 100u);

    const auto calls = system.callsStartingWith("buffer 1 ");
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front(), "buffer 1 play once");
    const auto refused = system.callsStartingWith("buffer 2 setCurrentPosition 4410");
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0], "buffer 2 setCurrentPosition 4410 -> 0x80070057");
}

TEST(Audio, NullSystemIsTheDefaultAndPlaysSilently) {
    std::unique_ptr<IAudioDevice> device;
    ASSERT_EQ(audio().createDevice(&device), kAudioOk);
    std::unique_ptr<IAudioBuffer> b;
    ASSERT_EQ(device->createBuffer({kCtrl, 4410000, &kMono16}, &b), kAudioOk);
    device.reset();  // buffers outlive the device
    ASSERT_EQ(b->play(false), kAudioOk);
    uint32_t s = 0;
    ASSERT_EQ(b->getStatus(&s), kAudioOk);
    EXPECT_EQ(s, kStatusPlaying);  // 100 seconds of sound are not over yet
}

TEST_F(AudioFixture, RecordingCanBeTurnedOff) {
    system.clearCalls();
    system.setRecording(false);
    auto b = make(64);
    b->play(false);
    EXPECT_TRUE(system.calls().empty());
    system.setRecording(true);
    b->stop();
    EXPECT_EQ(system.calls(), (std::vector<std::string>{"buffer 1 stop"}));
}
