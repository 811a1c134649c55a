// Streamed music on the manual device and the manual refill timer: the bytes the
// buffer holds after each refill against the file's data, the loops counted, the end
// of unlooped music, big-file entries, the files that cannot stream and the window's
// music members; and a close that meets a refill on the real timer thread.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "foundation/CBigFile.h"
#include "foundation/CFile.h"
#include "foundation/CLanguageOSVer.h"
#include "graphics/play/CFrameSoundFactory.h"
#include "platform/Audio.h"
#include "platform/Clock.h"
#include "platform/PeriodicTimer.h"
#include "shell/CApplication.h"
#include "shell/CBackgroundMusic.h"
#include "shell/CSndStream.h"
#include "shell/CSound4.h"
#include "shell/CStreamedWAV.h"
#include "shell/CWindow.h"
#include "support/TempDir.h"

namespace {

void put16(std::string& s, uint32_t v) { for (int i = 0; i < 2; ++i) s += char((v >> (8 * i)) & 0xFF); }
void put32(std::string& s, uint32_t v) { for (int i = 0; i < 4; ++i) s += char((v >> (8 * i)) & 0xFF); }

struct WavLayout {
    uint16_t tag = 1;
    uint16_t bits = 8;
    uint32_t rate = 1000;  // 8-bit mono at 1000 Hz: a byte a millisecond, a 1200-byte buffer
    uint32_t fmtSize = 16;
    std::string tail;      // a chunk after the data
};

std::string wav(const std::string& data, const WavLayout& layout = WavLayout()) {
    const uint16_t align = static_cast<uint16_t>(layout.bits / 8 ? layout.bits / 8 : 1);
    std::string fmt;
    put16(fmt, layout.tag);
    put16(fmt, 1);
    put32(fmt, layout.rate);
    put32(fmt, layout.rate * align);
    put16(fmt, align);
    put16(fmt, layout.bits);
    fmt.resize(layout.fmtSize, '\0');
    std::string body = "WAVEfmt ";
    put32(body, layout.fmtSize);
    body += fmt + "data";
    put32(body, static_cast<uint32_t>(data.size()));
    body += data + layout.tail;
    std::string s = "RIFF";
    put32(s, static_cast<uint32_t>(body.size()));
    return s + body;
}

// Every byte tells its index in the data; none is the 8-bit silence 0x80.
std::string numbered(size_t length) {
    std::string data;
    for (size_t i = 0; i < length; ++i) {
        const unsigned v = static_cast<unsigned>(i % 254) + 1;
        data += static_cast<char>(v >= 0x80 ? v + 1 : v);
    }
    return data;
}

std::vector<uint8_t> bufferBytes(platform::IAudioBuffer* buffer, uint32_t size) {
    void* p1 = nullptr;
    void* p2 = nullptr;
    uint32_t n1 = 0, n2 = 0;
    if (!buffer || buffer->lock(0, size, &p1, &n1, &p2, &n2, 0) != platform::kAudioOk) return {};
    std::vector<uint8_t> out(static_cast<uint8_t*>(p1), static_cast<uint8_t*>(p1) + n1);
    buffer->unlock(p1, n1, p2, n2);
    return out;
}

// Which byte of the endless stream of written bytes each buffer position holds: the
// opening fill writes bytes 0..size-1, every refill the next ones from its offset.
struct Model {
    explicit Model(uint32_t size) : index(size) {
        for (uint32_t i = 0; i < size; ++i) index[i] = i;
        next = size;
    }
    // Records a refill; true when it wrote the first byte of a new copy of the data.
    bool refill(uint32_t offset, uint32_t bytes, int64_t dataLength) {
        bool restarted = false;
        for (uint32_t i = 0; i < bytes; ++i) {
            if (next % dataLength == 0) restarted = true;
            index[(offset + i) % index.size()] = next++;
        }
        return restarted;
    }
    std::vector<int64_t> index;
    int64_t next;
};

struct Stream : ::testing::Test {
    platform::ManualClock clock{5000};
    platform::ScopedClock clockScope{clock};
    platform::ManualAudioSystem audio;
    platform::ScopedAudio audioScope{audio};
    platform::ManualPeriodicTimer timer;
    platform::ScopedPeriodicTimer timerScope{timer};
    test::TempDir dir;
    CWindow window;

    CXString path(const char* name) { return CXString(dir.engine(name).c_str()); }
    // Time passes, then the refills due run.
    void step(uint32_t ms) {
        clock.advance(ms);
        timer.runDue();
    }
    // Steps the stream, checking after each refill that every buffer byte is the
    // data's byte the model says (silence past the data's end unless looped), and
    // that a loop was counted for exactly the refills that started the data again.
    // A model given carries on from where an earlier call left the stream.
    void playAndCheck(CSndStream& stream, const std::string& data, bool looped, const std::vector<uint32_t>& steps,
                      Model* carried = nullptr) {
        const uint32_t size = stream.GetBufferSize();
        Model fresh(size);
        Model& model = carried ? *carried : fresh;
        const auto expected = [&](int64_t i) -> uint8_t {
            if (looped) return static_cast<uint8_t>(data[static_cast<size_t>(i % int64_t(data.size()))]);
            return i < int64_t(data.size()) ? static_cast<uint8_t>(data[static_cast<size_t>(i)]) : 0x80;
        };
        int row = 0;
        for (uint32_t ms : steps) {
            SCOPED_TRACE("step " + std::to_string(row++) + " of " + std::to_string(ms) + " ms");
            const uint32_t before = stream.GetNextWriteOffset();
            const int loopsBefore = window.getPendingMusicLoops();
            step(ms);
            const uint32_t written = (stream.GetNextWriteOffset() + size - before) % size;
            const bool restarted = model.refill(before, written, int64_t(data.size()));
            EXPECT_EQ(stream.GetProgress(), model.next - size);
            EXPECT_EQ(window.getPendingMusicLoops() - loopsBefore, looped && restarted ? 1 : 0);
            if (!stream.IsPlaying()) break;
            const std::vector<uint8_t> bytes = bufferBytes(stream.getBuffer(), size);
            ASSERT_EQ(bytes.size(), size);
            int wrong = 0;
            for (uint32_t p = 0; p < size && wrong < 3; ++p)
                if (bytes[p] != expected(model.index[p])) {
                    ADD_FAILURE() << "byte " << p << " holds " << int(bytes[p]) << ", expected stream byte "
                                  << model.index[p];
                    ++wrong;
                }
        }
    }
};

TEST_F(Stream, LoopedFileShorterThanTheBufferRepeatsWithoutGapOrRepeat) {
    const std::string data = numbered(250);
    dir.write("loop.wav", wav(data));
    CSndStream stream(&window, path("loop.wav"));
    ASSERT_EQ(stream.LastError(), 0);
    ASSERT_EQ(stream.GetBufferSize(), 1200u);
    // The opening fill repeats the data four and a fifth times and counts no loop.
    const std::vector<uint8_t> opening = bufferBytes(stream.getBuffer(), 1200);
    ASSERT_EQ(opening.size(), 1200u);
    for (uint32_t p = 0; p < 1200; ++p) ASSERT_EQ(opening[p], uint8_t(data[p % 250])) << p;

    stream.Play(true);
    EXPECT_TRUE(stream.IsPlaying());
    EXPECT_TRUE(stream.isTimerRunning());
    EXPECT_EQ(window.getPendingMusicLoops(), 0);
    // Refills of every size: on time, late, too early for the timer, several copies
    // of the data in one refill, one ending exactly at the data's end.
    playAndCheck(stream, data, true, {50, 50, 70, 30, 20, 300, 50, 10, 40, 50, 50, 50, 250, 100, 400, 50, 50});
    EXPECT_TRUE(stream.IsPlaying());
    EXPECT_GT(window.getPendingMusicLoops(), 3);

    // Without an application the tick drops the loops.
    window.Tick();
    EXPECT_EQ(window.getPendingMusicLoops(), 0);
}

TEST_F(Stream, UnloopedMusicEndsInSilenceAndStopsPlaying) {
    struct Case {
        size_t length;
        uint32_t heardFor;  // milliseconds after which IsPlaying is false
    };
    // Longer than the buffer, ending inside a refill (heard to the refill after it), and
    // shorter than the buffer: heard once, not repeated.
    for (const Case& c : {Case{2975, 3000}, Case{500, 500}}) {
        SCOPED_TRACE(c.length);
        const std::string data = numbered(c.length);
        dir.write("once.wav", wav(data));
        CSndStream stream(&window, path("once.wav"));
        ASSERT_EQ(stream.LastError(), 0);
        stream.Play(false);
        const uint32_t steps = (c.heardFor - 50) / 50;
        playAndCheck(stream, data, false, std::vector<uint32_t>(steps, 50));
        EXPECT_TRUE(stream.IsPlaying());
        step(50);
        EXPECT_FALSE(stream.IsPlaying());
        EXPECT_TRUE(stream.DonePlaying());
        EXPECT_EQ(window.getPendingMusicLoops(), 0);
        // The buffer goes on over silence.
        for (int i = 0; i < 30; ++i) step(50);
        const std::vector<uint8_t> bytes = bufferBytes(stream.getBuffer(), 1200);
        EXPECT_EQ(bytes, std::vector<uint8_t>(1200, 0x80));
        EXPECT_FALSE(stream.IsPlaying());
    }
}

TEST_F(Stream, EmptyDataPlaysSilence) {
    dir.write("empty.wav", wav(""));
    for (bool loop : {true, false}) {
        SCOPED_TRACE(loop);
        CSndStream stream(&window, path("empty.wav"));
        ASSERT_EQ(stream.LastError(), 0);
        stream.Play(loop);
        for (int i = 0; i < 40; ++i) step(50);
        EXPECT_EQ(bufferBytes(stream.getBuffer(), 1200), std::vector<uint8_t>(1200, 0x80));
        EXPECT_EQ(window.getPendingMusicLoops(), 0);
        EXPECT_FALSE(stream.IsPlaying());
    }
}

TEST_F(Stream, SixteenBitSilenceAndTheDataChunksEnd) {
    // What follows the data chunk is not sound; 16-bit silence is 0.
    WavLayout layout;
    layout.bits = 16;
    layout.tail = "LIST" + std::string("\x04\x00\x00\x00", 4) + "\x7F\x7F\x7F\x7F";
    const std::string data(400, '\x11');
    dir.write("tail.wav", wav(data, layout));
    CSndStream stream(&window, path("tail.wav"));
    ASSERT_EQ(stream.LastError(), 0);
    EXPECT_EQ(stream.GetBufferSize(), 2400u);
    EXPECT_EQ(stream.GetBitsPerSample(), 16);
    stream.Play(false);
    const std::vector<uint8_t> bytes = bufferBytes(stream.getBuffer(), 2400);
    std::vector<uint8_t> expected(2400, 0);
    std::fill(expected.begin(), expected.begin() + 400, 0x11);
    EXPECT_EQ(bytes, expected);
}

TEST_F(Stream, FilesThatCannotStreamGiveAnErrorCode) {
    WavLayout adpcm;
    adpcm.tag = 2;
    WavLayout shortFmt;
    shortFmt.fmtSize = 14;
    WavLayout deep;
    deep.bits = 24;
    struct Case {
        const char* name;
        std::string bytes;
        int code;
    };
    const Case cases[] = {
        {"text.wav", "plain text, not a RIFF file at all", CStreamedWAV::kErrorFormat},
        {"adpcm.wav", wav(std::string(100, '\1'), adpcm), CStreamedWAV::kErrorFormat},
        {"short.wav", wav(std::string(100, '\1'), shortFmt), CStreamedWAV::kErrorFormat},
        {"nodata.wav", wav("").substr(0, 36), CStreamedWAV::kErrorFormat},
        {"deep.wav", wav(std::string(300, '\1'), deep), CStreamedWAV::kErrorBuffer},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dir.write(c.name, c.bytes);
        CSndStream stream(&window, path(c.name));
        EXPECT_EQ(stream.LastError(), c.code);
        EXPECT_EQ(stream.getBuffer(), nullptr);
        stream.Play(true);
        EXPECT_FALSE(stream.IsPlaying());
        EXPECT_FALSE(stream.isTimerRunning());
    }
    CSndStream missing(&window, path("missing.wav"));
    EXPECT_EQ(missing.LastError(), CStreamedWAV::kErrorNotFound);

    // Without a device no buffer can be made.
    dir.write("good.wav", wav(numbered(100)));
    CSound4::DestroySoundBuffer();
    CSndStream noDevice(&window, path("good.wav"));
    EXPECT_EQ(noDevice.LastError(), CStreamedWAV::kErrorBuffer);
}

TEST_F(Stream, BigFileEntryStreamsWhileOtherFilesAreRead) {
    const std::string data = numbered(700);
    dir.write("pack/MUSIC/LOOP.WAV", wav(data));
    dir.write("pack/OTHER.TXT", "other file bytes");
    dir.write("pack/ZLAST.TXT", "the last one");
    ASSERT_TRUE(CBigFile().Create(CXString(dir.engine("pack").c_str()), CXString("GAME"), path("game.big")));
    CFile::openBigFile(path("game.big"));
    CBigFile* big = CFile::getBigFileIfc();
    ASSERT_NE(big, nullptr);
    struct Closer {
        ~Closer() { CFile::closeBigFile(); }
    } closer;
    {
        CSndStream stream(&window, CXString("MUSIC\\LOOP.WAV"));
        ASSERT_EQ(stream.LastError(), 0);
        stream.Play(true);
        CFile* shared = big->GetFile();
        Model model(stream.GetBufferSize());
        int row = 0;
        for (const char* name : {"OTHER.TXT", "ZLAST.TXT", "OTHER.TXT", "ZLAST.TXT", "OTHER.TXT", "ZLAST.TXT"}) {
            SCOPED_TRACE(row++);
            // The host thread reads part of another entry; refills in between leave
            // its position alone.
            ASSERT_GE(big->Seek(CXString(name)), 0);
            char head[5] = {};
            ASSERT_EQ(shared->Read(head, 4), 4);
            const int at = big->Tell();
            playAndCheck(stream, data, true, {50, 120, 50, 300}, &model);
            EXPECT_EQ(big->Tell(), at);
            char rest[3] = {};
            ASSERT_EQ(shared->Read(rest, 2), 2);
            EXPECT_EQ(std::string(head) + rest, std::string(name[0] == 'O' ? "other " : "the la"));
        }
        EXPECT_GT(window.getPendingMusicLoops(), 0);
    }
}

TEST_F(Stream, StopPauseResumeAndCloseEndTheRefills) {
    const std::string data = numbered(5000);
    dir.write("long.wav", wav(data));
    CSndStream stream(&window, path("long.wav"));
    stream.Play(true);
    for (int i = 0; i < 20; ++i) step(50);  // one second heard
    EXPECT_EQ(timer.count(), 1);
    stream.Pause();
    EXPECT_EQ(timer.count(), 0);
    EXPECT_FALSE(stream.IsPlaying());
    const uint32_t offset = stream.GetNextWriteOffset();
    step(500);
    EXPECT_EQ(stream.GetNextWriteOffset(), offset);

    // Reading went 2200 bytes ahead of the start: it goes back by two buffers, to 0.
    stream.Resume();
    EXPECT_TRUE(stream.IsPlaying());
    EXPECT_FALSE(stream.IsLooped());
    EXPECT_EQ(bufferBytes(stream.getBuffer(), 1200), std::vector<uint8_t>(data.begin(), data.begin() + 1200));

    stream.Close();
    EXPECT_FALSE(stream.isOpened());
    EXPECT_EQ(stream.getBuffer(), nullptr);
    EXPECT_EQ(timer.count(), 0);
    stream.Close();
    step(100);
    EXPECT_FALSE(stream.IsPlaying());

    // A timer that refuses leaves the music playing its buffer without refills.
    timer.setFailAdd(true);
    CSndStream unrefreshed(&window, path("long.wav"));
    unrefreshed.Play(true);
    EXPECT_FALSE(unrefreshed.isTimerRunning());
    EXPECT_TRUE(unrefreshed.IsPlaying());
    timer.setFailAdd(false);
}

TEST_F(Stream, WindowMusicMembers) {
    dir.write("a.wav", wav(numbered(600)));
    const CXString savedRoot = CWindow::rootPath;
    CWindow::rootPath = CXString(dir.engine().c_str());
    CBackgroundMusic* music = window.getMusicInterface();
    ASSERT_NE(music, nullptr);

    window.StartMusic(CXString(), true);
    EXPECT_FALSE(window.isMusicPlaying());
    EXPECT_EQ(music->getStream(), nullptr);

    // Each start makes a new streaming buffer.
    auto buffersMade = [&] { return audio.callsStartingWith("device createBuffer").size(); };
    window.StartMusic(CXString("a.wav"), true);
    ASSERT_TRUE(window.isMusicPlaying());
    EXPECT_EQ(window.getMusicFileName(), CWindow::rootPath + "a.wav");
    EXPECT_EQ(buffersMade(), 1u);

    // The same name goes on; another spelling of it starts it again.
    window.StartMusic(CXString("a.wav"), true);
    EXPECT_EQ(buffersMade(), 1u);
    window.StartMusic(CXString("A.WAV"), true);
    ASSERT_TRUE(window.isMusicPlaying());
    EXPECT_EQ(buffersMade(), 2u);
    EXPECT_EQ(window.getMusicFileName(), CWindow::rootPath + "A.WAV");
    EXPECT_EQ(timer.count(), 1);

    // Values pass unchanged; the buffer refuses what is out of range and keeps its own.
    window.setMusicVolume(-2000);
    EXPECT_EQ(window.getMusicVolume(), -2000);
    window.setMusicVolume(100);
    EXPECT_EQ(window.getMusicVolume(), -2000);
    window.setMusicPan(-300);
    window.setMusicFreq(2000);
    std::vector<std::string> calls = audio.callsStartingWith("buffer 2 setVolume");
    for (const char* prefix : {"buffer 2 setPan", "buffer 2 setFrequency"})
        for (const std::string& call : audio.callsStartingWith(prefix)) calls.push_back(call);
    EXPECT_EQ(calls, (std::vector<std::string>{"buffer 2 setVolume -2000", "buffer 2 setVolume 100 -> 0x80070057",
                                               "buffer 2 setPan -300", "buffer 2 setFrequency 2000"}));

    // A missing file plays nothing and the old music is gone.
    window.StartMusic(CXString("none.wav"), true);
    EXPECT_FALSE(window.isMusicPlaying());
    EXPECT_EQ(music->LastError(), CStreamedWAV::kErrorNotFound);

    // Music off: nothing starts.
    window.MusicOn(false);
    window.StartMusic(CXString("a.wav"), true);
    EXPECT_FALSE(window.isMusicPlaying());
    window.MusicOn(true);
    window.StartMusic(CXString("a.wav"), false);
    EXPECT_TRUE(window.isMusicPlaying());
    window.StopMusic();
    EXPECT_FALSE(window.isMusicPlaying());
    EXPECT_EQ(timer.count(), 0);
    CWindow::rootPath = savedRoot;
}

TEST_F(Stream, MusicNamesLieInTheStartFolderOrUnderTheGamesFolders) {
    // A music name follows the folder the engine started in; a name under one of the
    // game's standard folders is also found in the game's folder (the disc path), so
    // the game's music plays wherever the host was started.
    struct GameWindow : CWindow {
        explicit GameWindow(CLanguageOSVer* language) { m_language = language; }
    };
    CLanguageOSVer language;
    GameWindow game(&language);
    dir.write("start/here.wav", wav(numbered(600)));
    dir.write("game/Wavs/music.wav", wav(numbered(600)));
    dir.write("game/top.wav", wav(numbered(600)));
    const CXString savedRoot = CWindow::rootPath;
    const CXString savedCd = CWindow::getCDPath();
    CWindow::rootPath = CXString((dir.engine("start") + "\\").c_str());
    CWindow::setCDPath(CXString((dir.engine("game") + "\\").c_str()));
    struct Case {
        const char* name;
        bool plays;
    } cases[] = {{"here.wav", true}, {"Wavs\\music.wav", true}, {"WAVS\\MUSIC.WAV", true}, {"top.wav", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        game.StartMusic(CXString(c.name), true);
        EXPECT_EQ(game.isMusicPlaying(), c.plays);
        game.StopMusic();
    }
    CWindow::rootPath = savedRoot;
    CWindow::setCDPath(savedCd);
}

TEST_F(Stream, AnimationsGetStreamedSoundsFromTheFactory) {
    CApplication application(&window, CXString(), CXString(), nullptr);
    CFrameSoundFactory* factory = CFrameSoundFactory::get();
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(factory->createStream(&window, path("missing.wav")), nullptr);
    dir.write("voice.wav", wav(numbered(300)));
    std::unique_ptr<CPlayable> sound(factory->createStream(&window, path("voice.wav")));
    ASSERT_NE(sound, nullptr);
    sound->play();
    EXPECT_TRUE(sound->isPlaying());
    for (int i = 0; i < 5; ++i) step(50);
    EXPECT_TRUE(sound->isPlaying());
    step(50);
    EXPECT_FALSE(sound->isPlaying());
    // Played again, it starts from the beginning.
    sound->play();
    EXPECT_TRUE(sound->isPlaying());
    sound->setVolume(-500);
    EXPECT_EQ(static_cast<CStreamedSound*>(sound.get())->getStream()->getVolume(), -500);
    sound->stop(false);
    EXPECT_FALSE(sound->isPlaying());
    EXPECT_EQ(timer.count(), 0);
}

// ---- the real timer thread ----------------------------------------------------------

// Buffers whose lock, when a refill thread calls it, waits at a gate the test opens.
struct Gate {
    std::mutex mutex;
    std::condition_variable changed;
    std::thread::id host = std::this_thread::get_id();
    bool entered = false;
    bool open = false;
    std::vector<std::string> log;

    void note(const std::string& line) {
        std::lock_guard<std::mutex> lock(mutex);
        log.push_back(line);
    }
};

class GateBuffer : public platform::IAudioBuffer {
public:
    GateBuffer(std::unique_ptr<platform::IAudioBuffer> inner, Gate& gate) : m_inner(std::move(inner)), m_gate(gate) {}
    ~GateBuffer() override { m_gate.note("released"); }
    int32_t lock(uint32_t o, uint32_t b, void** p1, uint32_t* n1, void** p2, uint32_t* n2, uint32_t f) override {
        if (std::this_thread::get_id() != m_gate.host) {
            std::unique_lock<std::mutex> lock(m_gate.mutex);
            if (!m_gate.entered) {
                m_gate.entered = true;
                m_gate.log.push_back("refill waits");
                m_gate.changed.notify_all();
                m_gate.changed.wait(lock, [this] { return m_gate.open; });
            }
        }
        return m_inner->lock(o, b, p1, n1, p2, n2, f);
    }
    int32_t unlock(void* p1, uint32_t n1, void* p2, uint32_t n2) override {
        if (std::this_thread::get_id() != m_gate.host) m_gate.note("refill unlocks");
        return m_inner->unlock(p1, n1, p2, n2);
    }
    int32_t play(bool looping) override { return m_inner->play(looping); }
    int32_t stop() override { return m_inner->stop(); }
    int32_t getStatus(uint32_t* s) override { return m_inner->getStatus(s); }
    int32_t getCurrentPosition(uint32_t* p, uint32_t* w) override { return m_inner->getCurrentPosition(p, w); }
    int32_t setCurrentPosition(uint32_t p) override { return m_inner->setCurrentPosition(p); }
    int32_t setVolume(int32_t v) override { return m_inner->setVolume(v); }
    int32_t getVolume(int32_t* v) override { return m_inner->getVolume(v); }
    int32_t setPan(int32_t p) override { return m_inner->setPan(p); }
    int32_t getPan(int32_t* p) override { return m_inner->getPan(p); }
    int32_t setFrequency(uint32_t hz) override { return m_inner->setFrequency(hz); }
    int32_t getFrequency(uint32_t* hz) override { return m_inner->getFrequency(hz); }
    int32_t setFormat(const platform::WaveFormat& f) override { return m_inner->setFormat(f); }
    int32_t getFormat(platform::WaveFormat* f) override { return m_inner->getFormat(f); }

private:
    std::unique_ptr<platform::IAudioBuffer> m_inner;
    Gate& m_gate;
};

class GateDevice : public platform::IAudioDevice {
public:
    GateDevice(std::unique_ptr<platform::IAudioDevice> inner, Gate& gate) : m_inner(std::move(inner)), m_gate(gate) {}
    int32_t setCooperativeLevel(uint32_t level) override { return m_inner->setCooperativeLevel(level); }
    int32_t createBuffer(const platform::BufferDesc& desc, std::unique_ptr<platform::IAudioBuffer>* out) override {
        const int32_t r = m_inner->createBuffer(desc, out);
        if (r == platform::kAudioOk && !(desc.flags & platform::kBufferPrimary))
            *out = std::make_unique<GateBuffer>(std::move(*out), m_gate);
        return r;
    }

private:
    std::unique_ptr<platform::IAudioDevice> m_inner;
    Gate& m_gate;
};

// The silent device on the real clock, its streaming buffers gated.
class GateAudio : public platform::IAudioSystem {
public:
    explicit GateAudio(Gate& gate) : m_gate(gate) {}
    int32_t createDevice(std::unique_ptr<platform::IAudioDevice>* out) override {
        const int32_t r = m_null.createDevice(out);
        if (r == platform::kAudioOk) *out = std::make_unique<GateDevice>(std::move(*out), m_gate);
        return r;
    }

private:
    platform::NullAudioSystem m_null;
    Gate& m_gate;
};

TEST(StreamThread, CloseDuringARefillWaitsForIt) {
    Gate gate;
    GateAudio audio(gate);
    platform::ScopedAudio audioScope(audio);
    platform::ThreadPeriodicTimer timer;
    platform::ScopedPeriodicTimer timerScope(timer);
    test::TempDir dir;
    dir.write("loop.wav", wav(numbered(300)));
    CWindow window;
    {
        CSndStream stream(&window, CXString(dir.engine("loop.wav").c_str()));
        ASSERT_EQ(stream.LastError(), 0);
        stream.Play(true);
        {
            std::unique_lock<std::mutex> lock(gate.mutex);
            ASSERT_TRUE(gate.changed.wait_for(lock, std::chrono::seconds(10), [&] { return gate.entered; }));
        }
        // The refill is inside its lock; the gate opens while Close waits.
        std::thread opener([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            std::lock_guard<std::mutex> lock(gate.mutex);
            gate.log.push_back("gate opens");
            gate.open = true;
            gate.changed.notify_all();
        });
        stream.Close();
        gate.note("closed");
        opener.join();
        stream.Close();
        EXPECT_FALSE(stream.isOpened());
        EXPECT_EQ(timer.count(), 0);
    }
    std::lock_guard<std::mutex> lock(gate.mutex);
    EXPECT_EQ(gate.log, (std::vector<std::string>{"refill waits", "gate opens", "refill unlocks", "released", "closed"}));
    EXPECT_GE(timer.runs(), 1u);
}

TEST(StreamThread, CloseWaitsForARefillRunByHandOnAnotherThread) {
    Gate gate;
    GateAudio audio(gate);
    platform::ScopedAudio audioScope(audio);
    platform::ManualPeriodicTimer timer;
    platform::ScopedPeriodicTimer timerScope(timer);
    test::TempDir dir;
    dir.write("loop.wav", wav(numbered(300)));
    CWindow window;
    {
        CSndStream stream(&window, CXString(dir.engine("loop.wav").c_str()));
        ASSERT_EQ(stream.LastError(), 0);
        stream.Play(true);
        // The real clock moves the play cursor; the refill then writes and waits at the gate.
        std::thread refill([&] {
            for (int i = 0; i < 1000; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                stream.TimeFunc();
                std::lock_guard<std::mutex> lock(gate.mutex);
                if (gate.entered) break;
            }
        });
        {
            std::unique_lock<std::mutex> lock(gate.mutex);
            ASSERT_TRUE(gate.changed.wait_for(lock, std::chrono::seconds(10), [&] { return gate.entered; }));
        }
        std::thread opener([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            std::lock_guard<std::mutex> lock(gate.mutex);
            gate.log.push_back("gate opens");
            gate.open = true;
            gate.changed.notify_all();
        });
        stream.Close();
        gate.note("closed");
        opener.join();
        refill.join();
        // A refill after the close finds no stream to write.
        stream.TimeFunc();
    }
    std::lock_guard<std::mutex> lock(gate.mutex);
    EXPECT_EQ(gate.log, (std::vector<std::string>{"refill waits", "gate opens", "refill unlocks", "released", "closed"}));
}

}  // namespace
