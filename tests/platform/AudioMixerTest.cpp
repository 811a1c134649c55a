#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/Audio.h"
#include "platform/AudioMixer.h"

using namespace platform;

namespace {

std::vector<uint8_t> pcm16(std::initializer_list<int> samples) {
    std::vector<uint8_t> b;
    for (int s : samples) {
        b.push_back(static_cast<uint8_t>(s & 0xFF));
        b.push_back(static_cast<uint8_t>((s >> 8) & 0xFF));
    }
    return b;
}

std::vector<int> samples16(const std::vector<uint8_t>& b) {
    std::vector<int> out;
    for (size_t i = 0; i + 1 < b.size(); i += 2) out.push_back(static_cast<int16_t>(b[i] | b[i + 1] << 8));
    return out;
}

MixSource source(const std::vector<uint8_t>& data, uint16_t channels = 1, uint16_t bits = 16,
                 uint32_t rate = 22050) {
    MixSource s;
    s.data = data.data();
    s.bytes = static_cast<uint32_t>(data.size());
    s.channels = channels;
    s.bits = bits;
    s.rate = rate;
    s.playing = true;
    return s;
}

// Mixes frames of the sources at the format; 16-bit output comes back as samples,
// 8-bit as the bytes.
std::vector<int> mix(const MixFormat& f, std::vector<MixSource*> sources, uint32_t frames) {
    AudioMixer mixer;
    std::vector<uint8_t> out(size_t(frames) * f.channels * (f.bits / 8), 0xAA);
    mixer.mix(f, sources.data(), sources.size(), out.data(), frames);
    if (f.bits == 16) return samples16(out);
    return std::vector<int>(out.begin(), out.end());
}

constexpr MixFormat kMono16{1, 16, 22050};
constexpr MixFormat kStereo16{2, 16, 22050};

}  // namespace

TEST(AudioMixer, GainPanAndFormats) {
    EXPECT_EQ(gainQ15(0), 32768);
    EXPECT_EQ(gainQ15(-2000), 3277);
    EXPECT_EQ(gainQ15(-10000), 0);
    EXPECT_EQ(gainQ15(-600), 16423);  // about a half

    const auto loud = pcm16({10000, -10000, 32767, -32768});
    struct Case {
        const char* what;
        MixFormat out;
        int32_t volume;
        int32_t pan;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {"unity", kMono16, 0, 0, {10000, -10000, 32767, -32768}},
        {"-2000 is a tenth", kMono16, -2000, 0, {1000, -1000, 3277, -3277}},
        {"-10000 is silence", kMono16, -10000, 0, {0, 0, 0, 0}},
        {"mono output ignores pan", kMono16, 0, -10000, {10000, -10000, 32767, -32768}},
        {"centre", kStereo16, 0, 0, {10000, 10000, -10000, -10000, 32767, 32767, -32768, -32768}},
        {"pan left -2000 cuts the right", kStereo16, 0, -2000, {10000, 1000, -10000, -1000, 32767, 3277, -32768, -3277}},
        {"pan right 10000 silences the left", kStereo16, 0, 10000, {0, 10000, 0, -10000, 0, 32767, 0, -32768}},
        {"volume and pan multiply", kStereo16, -2000, 2000, {100, 1000, -100, -1000, 328, 3277, -328, -3277}},
    };
    for (const Case& c : cases) {
        MixSource s = source(loud);
        s.volume = c.volume;
        s.pan = c.pan;
        const std::vector<int> got = mix(c.out, {&s}, 4);
        ASSERT_EQ(got.size(), c.expected.size()) << c.what;
        for (size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], c.expected[i], 1) << c.what << " " << i;
    }

    // 8-bit sources are unsigned about 128; 8-bit output likewise.
    const std::vector<uint8_t> eight{128, 192, 64, 255, 0};
    MixSource s8 = source(eight, 1, 8);
    EXPECT_EQ(mix(kMono16, {&s8}, 5), (std::vector<int>{0, 16384, -16384, 32512, -32768}));
    const auto sixteen = pcm16({0, 16384, -16384, 32767, -32768});
    MixSource s16 = source(sixteen);
    EXPECT_EQ(mix({1, 8, 22050}, {&s16}, 5), (std::vector<int>{128, 192, 64, 255, 0}));

    // Stereo sources keep their sides on stereo output and average on mono output.
    const auto sides = pcm16({1000, 3000, -2000, 4000});
    MixSource st = source(sides, 2);
    EXPECT_EQ(mix(kStereo16, {&st}, 2), (std::vector<int>{1000, 3000, -2000, 4000}));
    st = source(sides, 2);
    EXPECT_EQ(mix(kMono16, {&st}, 2), (std::vector<int>{2000, 1000}));
}

TEST(AudioMixer, SourcesAddAndClipToTheSampleRange) {
    const auto high = pcm16({30000, -30000, 1000});
    MixSource a = source(high);
    MixSource b = source(high);
    EXPECT_EQ(mix(kMono16, {&a, &b}, 3), (std::vector<int>{32767, -32768, 2000}));
    a = source(high);
    b = source(high);
    EXPECT_EQ(mix({1, 8, 22050}, {&a, &b}, 3), (std::vector<int>{255, 0, 135}));
    // Stopped sources add nothing and stay where they are.
    a = source(high);
    a.playing = false;
    a.position = uint64_t(1) << 32;
    EXPECT_EQ(mix(kMono16, {&a}, 3), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(a.position, uint64_t(1) << 32);
}

TEST(AudioMixer, FrequencyIsAStepThroughTheSource) {
    const auto ramp = pcm16({0, 100, 200, 300, 400, 500, 600, 700});
    // Twice the mix rate takes every other frame.
    MixSource fast = source(ramp, 1, 16, 44100);
    EXPECT_EQ(mix(kMono16, {&fast}, 3), (std::vector<int>{0, 200, 400}));
    EXPECT_EQ(fast.cursorBytes(), 12u);
    EXPECT_TRUE(fast.playing);
    // Half the mix rate interpolates between frames.
    MixSource slow = source(ramp, 1, 16, 11025);
    EXPECT_EQ(mix(kMono16, {&slow}, 5), (std::vector<int>{0, 50, 100, 150, 200}));
    EXPECT_EQ(slow.cursorBytes(), 4u);
    // A ratio of 3/4 against a 48000 mix: frames at 0, 0.75, 1.5, 2.25.
    MixSource odd = source(ramp, 1, 16, 36000);
    EXPECT_EQ(mix({1, 16, 48000}, {&odd}, 4), (std::vector<int>{0, 75, 150, 225}));
}

TEST(AudioMixer, OneShotsStopAtTheirEndAndLoopsWrap) {
    const auto four = pcm16({1, 2, 3, 4});
    MixSource once = source(four);
    EXPECT_EQ(mix(kMono16, {&once}, 6), (std::vector<int>{1, 2, 3, 4, 0, 0}));
    EXPECT_FALSE(once.playing);
    EXPECT_EQ(once.position, 0u);
    // Ending exactly with the block stops it at once.
    once = source(four);
    mix(kMono16, {&once}, 4);
    EXPECT_FALSE(once.playing);

    MixSource loop = source(four);
    loop.looping = true;
    EXPECT_EQ(mix(kMono16, {&loop}, 6), (std::vector<int>{1, 2, 3, 4, 1, 2}));
    EXPECT_TRUE(loop.playing);
    EXPECT_EQ(loop.cursorBytes(), 4u);
    // A loop far shorter than one step still wraps inside itself.
    loop = source(four, 1, 16, 200000);
    loop.looping = true;
    mix({1, 16, 8000}, {&loop}, 3);
    EXPECT_LT(loop.cursorBytes(), 8u);
    EXPECT_TRUE(loop.playing);
}

namespace {

// The real device with its output in the test's hands: render() is called here.
class TestOutputSystem : public MixingAudioSystem {
public:
    ~TestOutputSystem() override { detach(); }
    bool failOpen = false;
    int opens = 0;
    int closes = 0;
    WaveFormat opened{};
    bool isOpen = false;

    std::vector<int> pull(uint32_t frames) {
        const WaveFormat f = mixFormat();
        std::vector<uint8_t> out(size_t(frames) * f.blockAlign);
        render(out.data(), static_cast<uint32_t>(out.size()));
        return samples16(out);
    }

protected:
    bool openOutput(const WaveFormat& f) override {
        if (failOpen) return false;
        if (isOpen && f.channels == opened.channels && f.samplesPerSec == opened.samplesPerSec &&
            f.bitsPerSample == opened.bitsPerSample) {
            return true;
        }
        ++opens;
        opened = f;
        isOpen = true;
        return true;
    }
    void closeOutput() override {
        if (isOpen) ++closes;
        isOpen = false;
    }
};

constexpr WaveFormat kMonoFormat{kWaveFormatPcm, 1, 22050, 44100, 2, 16, 0};
constexpr uint32_t kCtrl = kBufferCtrlFrequency | kBufferCtrlPan | kBufferCtrlVolume | kBufferExactCursor;

std::unique_ptr<IAudioBuffer> makeBuffer(IAudioDevice& d, const std::vector<uint8_t>& bytes,
                                         const WaveFormat& f = kMonoFormat) {
    std::unique_ptr<IAudioBuffer> b;
    EXPECT_EQ(d.createBuffer({kCtrl, static_cast<uint32_t>(bytes.size()), &f}, &b), kAudioOk);
    if (!b) return b;
    void* p1 = nullptr;
    uint32_t n1 = 0;
    EXPECT_EQ(b->lock(0, static_cast<uint32_t>(bytes.size()), &p1, &n1, nullptr, nullptr, 0), kAudioOk);
    std::memcpy(p1, bytes.data(), n1);
    EXPECT_EQ(b->unlock(p1, n1, nullptr, 0), kAudioOk);
    return b;
}

uint32_t statusOf(IAudioBuffer& b) {
    uint32_t s = 0xFFFF;
    b.getStatus(&s);
    return s;
}

uint32_t cursorOf(IAudioBuffer& b) {
    uint32_t p = 0xFFFF;
    b.getCurrentPosition(&p, nullptr);
    return p;
}

}  // namespace

TEST(MixingAudio, ThePrimaryFormatSetsTheMixAndCursorsFollowTheMix) {
    TestOutputSystem system;
    std::unique_ptr<IAudioDevice> device;
    ASSERT_EQ(system.createDevice(&device), kAudioOk);
    EXPECT_EQ(system.opens, 1);
    EXPECT_EQ(system.opened.channels, 2);

    std::unique_ptr<IAudioBuffer> primary;
    ASSERT_EQ(device->createBuffer({kBufferPrimary | kBufferCtrlVolume, 0, nullptr}, &primary), kAudioOk);
    ASSERT_EQ(primary->setFormat(kMonoFormat), kAudioOk);
    EXPECT_EQ(system.opens, 2);
    EXPECT_EQ(system.closes, 1);
    EXPECT_EQ(system.opened.channels, 1);
    WaveFormat bad = kMonoFormat;
    bad.blockAlign = 4;
    EXPECT_EQ(primary->setFormat(bad), kAudioBadFormat);
    EXPECT_EQ(system.mixFormat().channels, 1);

    auto buffer = makeBuffer(*device, pcm16({10000, 20000, 30000, -10000, 5}));
    ASSERT_TRUE(buffer);
    // Not playing: silence, the cursor stays.
    EXPECT_EQ(system.pull(2), (std::vector<int>{0, 0}));
    EXPECT_EQ(cursorOf(*buffer), 0u);

    ASSERT_EQ(buffer->setVolume(-2000), kAudioOk);
    EXPECT_EQ(buffer->setVolume(1), kAudioInvalidParam);
    ASSERT_EQ(buffer->play(false), kAudioOk);
    EXPECT_EQ(statusOf(*buffer), kStatusPlaying);
    EXPECT_EQ(system.pull(2), (std::vector<int>{1000, 2000}));
    EXPECT_EQ(cursorOf(*buffer), 4u);
    ASSERT_EQ(buffer->stop(), kAudioOk);
    EXPECT_EQ(system.pull(1), (std::vector<int>{0}));
    EXPECT_EQ(cursorOf(*buffer), 4u);
    ASSERT_EQ(buffer->setVolume(0), kAudioOk);
    ASSERT_EQ(buffer->play(false), kAudioOk);
    EXPECT_EQ(system.pull(4), (std::vector<int>{30000, -10000, 5, 0}));
    EXPECT_EQ(statusOf(*buffer), 0u);
    EXPECT_EQ(cursorOf(*buffer), 0u);

    // Looped at twice the rate: every other frame, round and round.
    ASSERT_EQ(buffer->setFrequency(44100), kAudioOk);
    EXPECT_EQ(buffer->setFrequency(99), kAudioInvalidParam);
    uint32_t hz = 0;
    buffer->getFrequency(&hz);
    EXPECT_EQ(hz, 44100u);
    ASSERT_EQ(buffer->setCurrentPosition(2), kAudioOk);
    ASSERT_EQ(buffer->play(true), kAudioOk);
    EXPECT_EQ(statusOf(*buffer), kStatusPlaying | kStatusLooping);
    EXPECT_EQ(system.pull(4), (std::vector<int>{20000, -10000, 10000, 30000}));
    ASSERT_EQ(buffer->setFrequency(0), kAudioOk);
    buffer->getFrequency(&hz);
    EXPECT_EQ(hz, 22050u);

    // The last device closes the output and stops what played; buffers outlive it.
    device.reset();
    EXPECT_FALSE(system.isOpen);
    EXPECT_EQ(statusOf(*buffer), 0u);
    EXPECT_EQ(buffer->play(false), kAudioFailed);
    EXPECT_EQ(statusOf(*buffer), 0u);
    // A format set without a device waits for the next one.
    const WaveFormat stereo8{kWaveFormatPcm, 2, 11025, 22050, 2, 8, 0};
    EXPECT_EQ(primary->setFormat(stereo8), kAudioOk);
    EXPECT_FALSE(system.isOpen);
    ASSERT_EQ(system.createDevice(&device), kAudioOk);
    EXPECT_TRUE(system.isOpen);
    EXPECT_EQ(system.opened.bitsPerSample, 8);
    EXPECT_EQ(system.opened.samplesPerSec, 11025u);
    primary.reset();
    buffer.reset();
}

TEST(MixingAudio, LocksWrapAndWriteBackOnlyOnUnlock) {
    TestOutputSystem system;
    std::unique_ptr<IAudioDevice> device;
    ASSERT_EQ(system.createDevice(&device), kAudioOk);
    std::unique_ptr<IAudioBuffer> primary;
    ASSERT_EQ(device->createBuffer({kBufferPrimary, 0, nullptr}, &primary), kAudioOk);
    ASSERT_EQ(primary->setFormat(kMonoFormat), kAudioOk);
    auto buffer = makeBuffer(*device, pcm16({1, 2, 3, 4}));

    void *p1 = nullptr, *p2 = nullptr;
    uint32_t n1 = 0, n2 = 0;
    ASSERT_EQ(buffer->lock(4, 8, &p1, &n1, &p2, &n2, 0), kAudioOk);
    EXPECT_EQ(n1, 4u);
    EXPECT_EQ(n2, 4u);
    ASSERT_NE(p2, nullptr);
    // The locked bytes hold what is there.
    EXPECT_EQ(samples16({static_cast<uint8_t*>(p1), static_cast<uint8_t*>(p1) + 4}), (std::vector<int>{3, 4}));
    const auto fresh = pcm16({7, 8, 5, 6});
    std::memcpy(p1, fresh.data(), 4);
    std::memcpy(p2, fresh.data() + 4, 4);
    // Until the unlock the mix plays the old bytes.
    buffer->play(false);
    EXPECT_EQ(system.pull(4), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(buffer->unlock(p1, n1, p2, n2 + 1), kAudioInvalidParam);
    int foreign = 0;
    EXPECT_EQ(buffer->unlock(&foreign, 2, nullptr, 0), kAudioInvalidParam);
    ASSERT_EQ(buffer->unlock(p1, n1, p2, n2), kAudioOk);
    EXPECT_EQ(buffer->unlock(p1, n1, p2, n2), kAudioInvalidParam);
    buffer->play(false);
    EXPECT_EQ(system.pull(4), (std::vector<int>{5, 6, 7, 8}));
    EXPECT_EQ(buffer->lock(8, 2, &p1, &n1, nullptr, nullptr, 0), kAudioInvalidParam);
    EXPECT_EQ(primary->lock(0, 2, &p1, &n1, nullptr, nullptr, 0), kAudioInvalidCall);
}

TEST(MixingAudio, DevicesAndBuffersOutliveTheSystemSilently) {
    auto system = std::make_unique<TestOutputSystem>();
    std::unique_ptr<IAudioDevice> device;
    ASSERT_EQ(system->createDevice(&device), kAudioOk);
    auto buffer = makeBuffer(*device, pcm16({1, 2, 3, 4}));
    ASSERT_EQ(buffer->play(true), kAudioOk);
    std::unique_ptr<IAudioBuffer> primary;
    ASSERT_EQ(device->createBuffer({kBufferPrimary, 0, nullptr}, &primary), kAudioOk);
    system.reset();
    EXPECT_EQ(statusOf(*buffer), 0u);
    EXPECT_EQ(buffer->play(false), kAudioFailed);
    EXPECT_EQ(primary->setFormat(kMonoFormat), kAudioFailed);
    buffer.reset();
    primary.reset();
    device.reset();
}

TEST(MixingAudio, NoOutputGivesNoDevice) {
    TestOutputSystem system;
    system.failOpen = true;
    std::unique_ptr<IAudioDevice> device;
    EXPECT_EQ(system.createDevice(&device), kAudioNoDriver);
    EXPECT_EQ(device, nullptr);
    system.failOpen = false;
    EXPECT_EQ(system.createDevice(&device), kAudioOk);
}

TEST(MixingAudio, HostCallsAreSafeAgainstTheOutputThread) {
    TestOutputSystem system;
    std::unique_ptr<IAudioDevice> device;
    ASSERT_EQ(system.createDevice(&device), kAudioOk);
    std::vector<uint8_t> tone(4000);
    for (size_t i = 0; i < tone.size(); ++i) tone[i] = static_cast<uint8_t>(i * 7);
    std::atomic<bool> done{false};
    std::thread output([&] {
        std::vector<uint8_t> block(1024);
        while (!done) system.render(block.data(), static_cast<uint32_t>(block.size()));
    });
    for (int round = 0; round < 200; ++round) {
        auto buffer = makeBuffer(*device, tone);
        ASSERT_TRUE(buffer);
        buffer->play(round % 2 == 0);
        void *p1 = nullptr, *p2 = nullptr;
        uint32_t n1 = 0, n2 = 0;
        ASSERT_EQ(buffer->lock(0, 1000, &p1, &n1, &p2, &n2, kLockFromWriteCursor), kAudioOk);
        std::memset(p1, 0, n1);
        if (p2) std::memset(p2, 0, n2);
        ASSERT_EQ(buffer->unlock(p1, n1, p2, n2), kAudioOk);
        buffer->setVolume(-(round * 37 % 10000));
        buffer->setPan(round * 91 % 20001 - 10000);
        buffer->setFrequency(8000 + round * 100);
        statusOf(*buffer);
        cursorOf(*buffer);
        if (round % 3 == 0) buffer->stop();
        // Deleted while it may be playing.
    }
    done = true;
    output.join();
}

// SDL's dummy driver consumes the mix on its own thread at the real rate.
TEST(SdlAudio, PlaysThroughTheDummyDriverAndFailsWithoutADriver) {
    const char* saved = std::getenv("SDL_AUDIODRIVER");
    const std::string previous = saved ? saved : "";
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    {
        SdlAudioSystem none;
        EXPECT_FALSE(none.open());
        EXPECT_FALSE(none.error().empty());
        std::unique_ptr<IAudioDevice> device;
        EXPECT_NE(none.createDevice(&device), kAudioOk);
    }
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    {
        SdlAudioSystem speakers;
        ASSERT_TRUE(speakers.open()) << speakers.error();
        std::unique_ptr<IAudioDevice> device;
        ASSERT_EQ(speakers.createDevice(&device), kAudioOk);
        std::unique_ptr<IAudioBuffer> primary;
        ASSERT_EQ(device->createBuffer({kBufferPrimary, 0, nullptr}, &primary), kAudioOk);
        ASSERT_EQ(primary->setFormat(kMonoFormat), kAudioOk);
        // A twentieth of a second, played once: it ends by itself.
        auto buffer = makeBuffer(*device, std::vector<uint8_t>(2206, 0x10));
        ASSERT_EQ(buffer->play(false), kAudioOk);
        for (int i = 0; i < 500 && statusOf(*buffer) != 0; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_EQ(statusOf(*buffer), 0u);
        buffer.reset();
        primary.reset();
        device.reset();
    }
    if (saved) setenv("SDL_AUDIODRIVER", previous.c_str(), 1);
    else unsetenv("SDL_AUDIODRIVER");
}
