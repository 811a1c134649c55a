// The video layer: the real system over the test videos (frame times, colour fields in
// both layouts, seeks, sound at the mix format, MS Video 1), hand-made AVI files from
// the tools' writer, and the files that must not open or must end early.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/Video.h"
#include "support/MovieFixtures.h"
#include "tools/AviWriter.h"

namespace {

std::unique_ptr<platform::IVideo> openBytes(const std::string& bytes,
                                            platform::PixelLayout layout = platform::PixelLayout::Rgb565,
                                            platform::VideoAudioFormat audio = {0, 0}) {
    platform::LibavVideoSystem system;
    return system.open(std::make_unique<platform::MemoryVideoInput>(
                           "v", reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()),
                       layout, audio);
}

std::vector<platform::VideoFrame> allFrames(platform::IVideo& video) {
    std::vector<platform::VideoFrame> frames;
    platform::VideoFrame frame;
    while (frames.size() < 1000 && video.nextFrame(&frame)) frames.push_back(frame);
    return frames;
}

TEST(Video, CountFramesCarryTheirNumberInTheRedFieldAtTheirTimes) {
    for (const auto layout : {platform::PixelLayout::Rgb565, platform::PixelLayout::Rgb555}) {
        auto video = openBytes(test::movieFixtureBytes("count.avi"), layout);
        ASSERT_NE(video, nullptr);
        EXPECT_EQ(video->width(), 16);
        EXPECT_EQ(video->height(), 16);
        EXPECT_FALSE(video->hasAudio());
        const auto frames = allFrames(*video);
        ASSERT_EQ(frames.size(), 30u);
        for (uint16_t n = 0; n < 30; ++n) {
            SCOPED_TRACE(n);
            EXPECT_EQ(frames[n].time, n * platform::kVideoSecond / 10);
            ASSERT_EQ(frames[n].pixels.size(), 256u);
            // Red 8 N and blue 255 − 8 N truncate to N and 31 − N, green 0, undithered.
            const uint16_t expected = layout == platform::PixelLayout::Rgb565 ? uint16_t(n << 11 | (31 - n))
                                                                              : uint16_t(n << 10 | (31 - n));
            EXPECT_EQ(frames[n].pixels.front(), expected);
            EXPECT_EQ(frames[n].pixels.back(), expected);
        }
    }
}

TEST(Video, SeeksLandOnTheFirstFrameAtOrAfterTheTime) {
    auto video = openBytes(test::movieFixtureBytes("count.avi"));
    ASSERT_NE(video, nullptr);
    platform::VideoFrame frame;
    struct Case {
        int64_t time;
        int64_t expected;  // −1: the stream ends
    };
    for (const Case c : {Case{15000000, 15000000}, Case{14500000, 15000000}, Case{0, 0}, Case{29000000, 29000000},
                         Case{3000000000, -1}, Case{20000000, 20000000}}) {
        SCOPED_TRACE(c.time);
        video->seek(c.time);
        if (c.expected < 0) {
            EXPECT_FALSE(video->nextFrame(&frame));
            continue;
        }
        ASSERT_TRUE(video->nextFrame(&frame));
        EXPECT_EQ(frame.time, c.expected);
        EXPECT_EQ(frame.pixels[0] >> 11, c.expected / 1000000);
    }
}

TEST(Video, MpegClipGivesItsFramesAndItsSoundAtTheMixFormat) {
    auto video = openBytes(test::movieFixtureBytes("clip.mpg"), platform::PixelLayout::Rgb565, {22050, 2});
    ASSERT_NE(video, nullptr);
    EXPECT_EQ(video->width(), 32);
    EXPECT_EQ(video->height(), 32);
    ASSERT_TRUE(video->hasAudio());
    const auto frames = allFrames(*video);
    ASSERT_GE(frames.size(), 45u);
    EXPECT_EQ(frames.front().time, 0);
    for (size_t i = 1; i < frames.size(); ++i) EXPECT_GT(frames[i].time, frames[i - 1].time);
    std::vector<int16_t> samples(2 * 22050 * 3);
    const int32_t got = video->readAudio(samples.data(), 22050 * 3);
    // About two seconds of the tone, in both channels.
    EXPECT_GT(got, 22050);
    int peak = 0;
    for (int32_t i = 0; i < got * 2; ++i) peak = std::max(peak, std::abs(int(samples[size_t(i)])));
    EXPECT_GT(peak, 1000);
    EXPECT_EQ(samples[1000], samples[1001]);  // mono made stereo
}

// After a seek the sound starts where the pictures do, though the file is entered at
// a key frame before the time: what is left of the 2 s tone is what follows the time.
TEST(Video, SoundAfterASeekStartsAtTheTimeSought) {
    auto video = openBytes(test::movieFixtureBytes("clip.mpg"), platform::PixelLayout::Rgb565, {22050, 1});
    ASSERT_NE(video, nullptr);
    std::vector<int16_t> samples(22050 * 3);
    for (const int64_t ms : {0, 700, 1200}) {
        SCOPED_TRACE(ms);
        ASSERT_TRUE(video->seek(ms * 10000));
        const auto frames = allFrames(*video);
        ASSERT_FALSE(frames.empty());
        EXPECT_GE(frames.front().time, ms * 10000);
        const int32_t got = video->readAudio(samples.data(), 22050 * 3);
        // Within a frame (40 ms) and the codec's block of 1152 samples.
        EXPECT_NEAR(got, (2000 - ms) * 22050 / 1000, 882 + 1152);
    }
}

TEST(Video, MsVideo1Decodes) {
    auto video = openBytes(test::movieFixtureBytes("msvc.avi"));
    ASSERT_NE(video, nullptr);
    EXPECT_EQ(video->width(), 32);
    const auto frames = allFrames(*video);
    EXPECT_EQ(frames.size(), 30u);
}

TEST(Video, TheToolsRawAviPlaysBack) {
    std::vector<std::string> frames;
    for (int n = 0; n < 3; ++n) {
        std::string frame;
        for (int i = 0; i < 4 * 3; ++i) frame += std::string{char(0), char(0), char(n * 8 + (i < 4 ? 0 : 128))};
        frames.push_back(frame);
    }
    auto video = openBytes(tools::rawAvi(4, 3, 5, frames));
    ASSERT_NE(video, nullptr);
    const auto decoded = allFrames(*video);
    ASSERT_EQ(decoded.size(), 3u);
    EXPECT_EQ(decoded[2].time, 4000000);
    EXPECT_EQ(decoded[2].pixels[0], 2 << 11);          // top row: red 16
    EXPECT_EQ(decoded[2].pixels[4], (16 + 2) << 11);  // second row: red 144
}

TEST(Video, FilesThatMustNotOpen) {
    const std::string count = test::movieFixtureBytes("count.avi");
    const std::string wide = tools::rawAvi(9000, 1, 5, {std::string(9000 * 3, '\x10')});
    ASSERT_FALSE(wide.empty());
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"empty", ""},
        {"garbage", std::string(5000, '\x5A')},
        {"header cut", count.substr(0, 200)},
        {"no picture", test::movieFixtureBytes("tone.avi")},
        {"wider than 8192", wide},
    };
    for (const auto& [name, bytes] : cases) EXPECT_EQ(openBytes(bytes), nullptr) << name;
}

TEST(Video, ACutOrSpoiltStreamEndsEarly) {
    const std::string count = test::movieFixtureBytes("count.avi");
    auto cut = openBytes(count.substr(0, count.size() / 2));
    ASSERT_NE(cut, nullptr);
    const auto frames = allFrames(*cut);
    EXPECT_GT(frames.size(), 5u);
    EXPECT_LT(frames.size(), 30u);
    std::string mpeg = test::movieFixtureBytes("clip.mpg");
    for (size_t i = mpeg.size() / 3; i < mpeg.size(); i += 7) mpeg[i] = char(mpeg[i] ^ 0x55);
    if (auto spoilt = openBytes(mpeg)) {
        EXPECT_LT(allFrames(*spoilt).size(), 1000u);
    }
}

// Inputs the fuzzer found (tests/data/fuzz/movie), run as fuzz_movie runs them: the
// first byte chooses the layout (bit 0) and whether sound is decoded (bit 1).
TEST(Video, FuzzRegressions) {
    const char* root = std::getenv("VONDREL_TEST_DATA");
    const std::string folder = root && *root ? root : std::string(VONDREL_SOURCE_DIR) + "/tests/data";
    for (const char* name : {
             "sound-read-without-sound.bin",  // sound asked of a video opened without it divided by zero channels
             "sound-layout-changes.bin",      // an MPEG audio frame of another channel count overran the resampler
         }) {
        SCOPED_TRACE(name);
        std::ifstream in(folder + "/fuzz/movie/" + name, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_FALSE(bytes.empty());
        const bool sound = bytes[0] & 2;
        auto video = openBytes(bytes.substr(1), bytes[0] & 1 ? platform::PixelLayout::Rgb555 : platform::PixelLayout::Rgb565,
                               sound ? platform::VideoAudioFormat{22050, 2} : platform::VideoAudioFormat{0, 0});
        if (!video) continue;
        std::vector<int16_t> samples(2 * 4096);
        platform::VideoFrame frame;
        for (int i = 0; i < 40 && video->nextFrame(&frame); ++i) {
            EXPECT_EQ(frame.pixels.size(), size_t(video->width()) * size_t(video->height()));
            const int32_t got = video->readAudio(samples.data(), 4096);
            EXPECT_LE(got, 4096);
            if (!sound) {
                EXPECT_EQ(got, 0);
            }
        }
    }
}

TEST(Video, ScriptedSystemServesFramesAndFailures) {
    platform::ScriptedVideoSystem system;
    platform::ScriptedVideo scripted;
    scripted.width = 2;
    scripted.height = 1;
    scripted.times = {0, 400000, 800000};
    scripted.colours = {1, 2, 3};
    scripted.failAt = 2;
    system.add("Film.AVI", scripted);
    auto video = system.open(std::make_unique<platform::MemoryVideoInput>("C:\\game\\film.avi", nullptr, 0),
                             platform::PixelLayout::Rgb565, {});
    ASSERT_NE(video, nullptr);
    const auto frames = allFrames(*video);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[1].pixels, (std::vector<uint16_t>{2, 2}));
    EXPECT_EQ(system.open(std::make_unique<platform::MemoryVideoInput>("other.avi", nullptr, 0),
                          platform::PixelLayout::Rgb565, {}),
              nullptr);
    EXPECT_EQ(system.opens(), 2);
}

}  // namespace
