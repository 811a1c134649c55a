#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <memory>

#include "graphics/play/CFrameSoundFactory.h"
#include "platform/Audio.h"
#include "platform/Clock.h"
#include "shell/CApplication.h"
#include "shell/CSound4.h"
#include "shell/CSoundManager.h"
#include "shell/CWindow.h"
#include "support/TempDir.h"

namespace {

// 22050 Hz mono 16-bit PCM of the given length: 44.1 bytes a millisecond.
std::string pcmWav(uint32_t dataBytes) {
    auto put32 = [](std::string& s, uint32_t v) { for (int i = 0; i < 4; ++i) s += char((v >> (8 * i)) & 0xFF); };
    std::string s = "RIFF";
    put32(s, 36 + dataBytes);
    s += "WAVEfmt ";
    put32(s, 16);
    s += std::string("\x01\x00\x01\x00", 4);
    put32(s, 22050);
    put32(s, 44100);
    s += std::string("\x02\x00\x10\x00", 4);
    s += "data";
    put32(s, dataBytes);
    return s + std::string(dataBytes, '\x10');
}

struct Recorder : CPlayableObserver {
    std::vector<std::pair<int, int>> heard;  // (code, frame)
    const int* frame = nullptr;
    CSound4* deleteOnFinish = nullptr;
    bool onPlayableStarted(CPlayable*) override { heard.emplace_back(1, *frame); return true; }
    bool onPlayableFinished(CPlayable*) override {
        heard.emplace_back(3, *frame);
        if (deleteOnFinish) {
            CSound4* s = deleteOnFinish;
            deleteOnFinish = nullptr;
            delete s;
        }
        return true;
    }
    bool onPlayableResumed(CPlayable*) override { heard.emplace_back(4, *frame); return true; }
};

struct SoundFixture : ::testing::Test {
    platform::ManualClock clock{0};
    platform::ScopedClock clockScope{clock};
    platform::ManualAudioSystem audio;
    platform::ScopedAudio audioScope{audio};
    test::TempDir dir;
    CWindow window;
    CApplication application{&window, CXString(), CXString(), nullptr};
    Recorder recorder;
    int frame = 0;

    void SetUp() override {
        recorder.frame = &frame;
        dir.write("hit.wav", pcmWav(4410));  // 100 ms
    }
    // One frame of 16 ms through the window's tick.
    void step(int frames = 1) {
        for (int i = 0; i < frames; ++i) {
            clock.advance(16);
            ++frame;
            window.Tick();
        }
    }
    CSound4* sound(bool flush = false) {
        auto* s = new CSound4(&window, dir.engine("hit.wav").c_str(), flush, false);
        s->addNotifier(&recorder);
        return s;
    }
    using Heard = std::vector<std::pair<int, int>>;
};

}  // namespace

TEST_F(SoundFixture, FinishIsReportedInTheFirstFrameAfterTheEnd) {
    CSound4* s = sound();
    EXPECT_EQ(application.getSoundManager()->getCount(), 1);
    s->play();
    EXPECT_EQ(s->getStatus(), 1);
    step(6);  // 96 ms
    EXPECT_EQ(recorder.heard, (Heard{{1, 0}}));
    step(3);
    EXPECT_EQ(recorder.heard, (Heard{{1, 0}, {3, 7}}));  // 112 ms is the first frame at or after 100
    EXPECT_EQ(s->getStatus(), 1);  // ending by itself leaves the status
    delete s;
    EXPECT_EQ(application.getSoundManager()->getCount(), 0);
}

TEST_F(SoundFixture, PauseResumeAndStop) {
    CSound4* s = sound();
    s->pause();  // not playing: nothing
    s->resume();
    EXPECT_EQ(s->getStatus(), 0);
    s->play();
    step(3);  // 48 ms: 2116 bytes played
    s->pause();
    EXPECT_EQ(s->getStatus(), 2);
    step(20);  // a paused sound is never reported
    s->resume();
    EXPECT_EQ(s->getStatus(), 1);
    ASSERT_FALSE(audio.callsStartingWith("buffer 1 setCurrentPosition").empty());
    EXPECT_EQ(audio.callsStartingWith("buffer 1 setCurrentPosition").back(), "buffer 1 setCurrentPosition 2116");
    step(3);  // 48 ms more: 4 ms left
    EXPECT_EQ(recorder.heard, (Heard{{1, 0}, {4, 23}}));
    step(1);
    EXPECT_EQ(recorder.heard, (Heard{{1, 0}, {4, 23}, {3, 27}}));

    // stop(false): no finish; stop(true): the next frame reports it.
    recorder.heard.clear();
    s->play();
    s->stop(false);
    step(10);
    EXPECT_EQ(recorder.heard, (Heard{{1, 27}}));
    s->play();
    step(1);
    s->stop(true);
    EXPECT_EQ(s->getStatus(), 0);
    step(1);
    EXPECT_EQ(recorder.heard, (Heard{{1, 27}, {1, 37}, {3, 39}}));
    // Play(bool) starts without the manager: no finish is reported for it.
    s->Play(false);
    step(10);
    EXPECT_EQ(recorder.heard.size(), 4u);
    delete s;
}

TEST_F(SoundFixture, SoundDeletedDuringItsOwnFinish) {
    CSound4* a = sound();
    CSound4* b = sound();
    recorder.deleteOnFinish = a;
    a->play();
    b->play();
    step(7);
    EXPECT_EQ(recorder.heard, (Heard{{1, 0}, {1, 0}, {3, 7}, {3, 7}}));
    EXPECT_EQ(application.getSoundManager()->getCount(), 1);
    EXPECT_EQ(application.getSoundManager()->getEntryCount(), 1);
    delete b;
}

TEST_F(SoundFixture, FlushAfterPlayedReloadsAndSettingsPassUnchanged) {
    CSound4* s = sound(true);
    s->play();
    step(7);
    EXPECT_FALSE(s->hasBuffer());
    s->play();
    EXPECT_TRUE(s->hasBuffer());
    EXPECT_EQ(audio.callsStartingWith("device createBuffer 4410").size(), 2u);
    // Passed unchanged; the device refuses what lies out of range and keeps its value.
    s->setVolume(-2000);
    s->setVolume(-10001);
    s->setFrequency(-5);
    EXPECT_EQ(s->getVolume(), -10001);
    ASSERT_EQ(audio.callsStartingWith("buffer 2 setVolume -10001").size(), 1u);
    EXPECT_EQ(audio.callsStartingWith("buffer 2 setVolume -10001")[0], "buffer 2 setVolume -10001 -> 0x80070057");
    EXPECT_EQ(audio.callsStartingWith("buffer 2 setFrequency").size(), 1u);
    delete s;
}

TEST_F(SoundFixture, LoadFailures) {
    dir.write("a.spx", pcmWav(4410));
    dir.write("b.SPX", pcmWav(4410));
    dir.write("empty.wav", pcmWav(0));
    dir.write("adpcm.wav", [] { std::string w = pcmWav(4410); w[20] = 3; return w; }());
    CSound4 s(&window, dir.engine("a.spx").c_str(), false, false);
    EXPECT_TRUE(s.load());
    for (const char* name : {"b.SPX", "missing.wav", "empty.wav", "adpcm.wav"}) {
        EXPECT_FALSE(s.Load(dir.engine(name).c_str())) << name;
        EXPECT_FALSE(s.hasBuffer()) << name;
    }
}

TEST(Sound, WithoutADeviceSoundsDoNothing) {
    platform::ManualClock clock{0};
    platform::ScopedClock clockScope{clock};
    platform::ManualAudioSystem audio;
    platform::ScopedAudio audioScope{audio};
    test::TempDir dir;
    dir.write("hit.wav", pcmWav(4410));
    audio.setFailDevice(true);
    {
        CWindow window;
        CApplication application(&window, CXString(), CXString(), nullptr);
        CSound4 s(&window, dir.engine("hit.wav").c_str(), false, true);
        EXPECT_FALSE(s.load());
        s.play();
        EXPECT_FALSE(s.isPlaying());
        EXPECT_EQ(window.LastError(), 0);
    }
    audio.setFailDevice(false);
    audio.setFailPrimary(true);
    CWindow window;
    CSound4 s(&window, dir.engine("hit.wav").c_str(), false, false);
    EXPECT_EQ(window.LastError(), CWindow::kErrorSound);
}

TEST_F(SoundFixture, RandomSoundPlaysOneOfItsMembers) {
    dir.write("other.wav", pcmWav(44100));
    CRandomSound4 none(&window, CXString(""), false, false);
    EXPECT_EQ(none.getCount(), 0);
    none.Play();
    EXPECT_FALSE(none.IsPlaying());

    const std::string names = dir.engine("hit.wav") + ";" + dir.engine("other.wav");
    CRandomSound4 r(&window, names.c_str(), false, true);
    ASSERT_EQ(r.getCount(), 2);
    EXPECT_EQ(application.getSoundManager()->getCount(), 2);  // the members joined, not the holder
    r.setVolume(-300);
    EXPECT_EQ(audio.callsStartingWith("buffer 1 setVolume -300").size(), 1u);
    EXPECT_EQ(audio.callsStartingWith("buffer 2 setVolume -300").size(), 1u);
    r.Play();
    ASSERT_NE(r.getCurrent(), nullptr);
    EXPECT_TRUE(r.IsPlaying());
    r.Stop();
    EXPECT_FALSE(r.IsPlaying());
}

TEST_F(SoundFixture, ApplicationMakesFrameSoundsSoundEffects) {
    CFrameSoundFactory* factory = CFrameSoundFactory::get();
    ASSERT_NE(factory, nullptr);
    std::unique_ptr<CPlayable> one(factory->createSound(&window, dir.engine("hit.wav").c_str(), false));
    ASSERT_NE(dynamic_cast<CSound4*>(one.get()), nullptr);
    EXPECT_TRUE(static_cast<CSound4*>(one.get())->hasBuffer());  // preloaded
    const std::string two = dir.engine("hit.wav") + ";" + dir.engine("hit.wav");
    std::unique_ptr<CPlayable> pick(factory->createSound(&window, two.c_str(), true));
    ASSERT_NE(dynamic_cast<CRandomSound4*>(pick.get()), nullptr);
    EXPECT_EQ(static_cast<CRandomSound4*>(pick.get())->getCount(), 2);
}

namespace {

// The mixing device with the test as its output.
class PulledOutput : public platform::MixingAudioSystem {
public:
    ~PulledOutput() override { detach(); }

protected:
    bool openOutput(const platform::WaveFormat&) override { return true; }
    void closeOutput() override {}
};

}  // namespace

TEST(SoundOnTheMixer, AnEffectIsMixedAtTheSoundsFormatAndFinishesWhenMixedToItsEnd) {
    platform::ManualClock clock{0};
    platform::ScopedClock clockScope{clock};
    PulledOutput output;
    platform::ScopedAudio audioScope{output};
    test::TempDir dir;
    dir.write("hit.wav", pcmWav(4410));
    CWindow window;
    CApplication application{&window, CXString(), CXString(), nullptr};
    Recorder recorder;
    int frame = 0;
    recorder.frame = &frame;
    auto* s = new CSound4(&window, dir.engine("hit.wav").c_str(), false, false);
    s->addNotifier(&recorder);
    // The sounds' primary buffer sets the mix: mono 16-bit at 22050 Hz.
    EXPECT_EQ(output.mixFormat().channels, 1);
    EXPECT_EQ(output.mixFormat().samplesPerSec, 22050u);
    s->play();
    // Applied to the buffer play has loaded.
    s->setVolume(-2000);
    std::vector<uint8_t> block(2 * 2000);
    output.render(block.data(), uint32_t(block.size()));
    EXPECT_EQ(int16_t(block[0] | block[1] << 8), 411);  // 0x1010 at a tenth
    ++frame;
    window.Tick();
    EXPECT_TRUE(s->IsPlaying());
    output.render(block.data(), uint32_t(block.size()));
    // 2205 frames of sound, then silence.
    EXPECT_EQ(int16_t(block[2 * 204] | block[2 * 204 + 1] << 8), 411);
    EXPECT_EQ(int16_t(block[2 * 205] | block[2 * 205 + 1] << 8), 0);
    EXPECT_FALSE(s->IsPlaying());
    ++frame;
    window.Tick();
    EXPECT_EQ(recorder.heard, (std::vector<std::pair<int, int>>{{1, 0}, {3, 2}}));
    delete s;
}
