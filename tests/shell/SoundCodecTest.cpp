#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/CFile.h"
#include "platform/FileSystem.h"
#include "shell/CSoundCodec.h"
#include "shell/CWAVFile.h"
#include "support/TempDir.h"

namespace {

void put16(std::string& s, uint16_t v) { s += char(v & 0xFF); s += char(v >> 8); }
void put32(std::string& s, uint32_t v) { for (int i = 0; i < 4; ++i) s += char((v >> (8 * i)) & 0xFF); }

struct Wav {
    uint16_t tag = 1;
    uint32_t fmtSize = 16;
    std::string before;           // chunks between the RIFF header and "fmt "
    std::string data = "\x01\x02\x03\x04";
    int64_t declaredData = -1;    // -1: the data's own size
    bool endBeforeFmt = false;

    std::string bytes() const {
        std::string s = "RIFF";
        put32(s, 0);  // not checked
        s += "WAVE";
        s += before;
        if (endBeforeFmt) return s;
        s += "fmt ";
        put32(s, fmtSize);
        std::string f;
        put16(f, tag);
        put16(f, 1);
        put32(f, 22050);
        put32(f, 44100);
        put16(f, 2);
        put16(f, 16);
        put16(f, 0);
        f.resize(fmtSize, '\x07');
        if (fmtSize >= 18) f[16] = f[17] = 0;
        s += f;
        s += "data";
        put32(s, declaredData < 0 ? uint32_t(data.size()) : uint32_t(declaredData));
        return s + data;
    }
};

struct SoundCodecTest : ::testing::Test {
    test::TempDir dir;
    void SetUp() override { CSoundCodec::init_codecs(); }
    void TearDown() override {
        CSoundCodec::done_codecs();
        CSoundCodec_ADPCM::done();
    }
};

}  // namespace

TEST_F(SoundCodecTest, HeaderScanAndPcmDecode) {
    struct Case {
        const char* what;
        Wav wav;
        bool scans;          // the header scan finds "fmt "
        int32_t tag;
        bool codec;          // the table has a codec for it
        std::string decoded; // "-" when the codec gives no data
    };
    std::string odd = "LIST";
    put32(odd, 3);
    odd += "abc";  // odd size, no pad byte
    Wav w;
    const Case cases[] = {
        {"pcm", w, true, 1, true, "\x01\x02\x03\x04"},
        {"tag 0", [] { Wav x; x.tag = 0; return x; }(), true, 0, false, ""},
        {"tag 3", [] { Wav x; x.tag = 3; return x; }(), true, 3, false, ""},
        {"tag 0x8000", [] { Wav x; x.tag = 0x8000; return x; }(), true, -32768, false, ""},
        {"odd chunk", [&] { Wav x; x.before = odd; return x; }(), true, 1, true, "\x01\x02\x03\x04"},
        {"ends before fmt", [&] { Wav x; x.before = odd; x.endBeforeFmt = true; return x; }(), false, 0, false, ""},
        {"fmt 14", [] { Wav x; x.fmtSize = 14; return x; }(), true, 1, true, "-"},
        {"fmt 18", [] { Wav x; x.fmtSize = 18; return x; }(), true, 1, true, "\x01\x02\x03\x04"},
        {"fmt 40", [] { Wav x; x.fmtSize = 40; return x; }(), true, 1, true, "\x01\x02\x03\x04"},
        {"short data", [] { Wav x; x.data = "\x01\x02\x03\x04\x05"; x.declaredData = 100; return x; }(), true, 1, true, "\x01\x02\x03\x04"},
        {"data past 2 GB", [] { Wav x; x.declaredData = 0xFFFFFFF0; return x; }(), true, 1, true, "\x01\x02\x03\x04"},
        {"no data chunk", [] { Wav x; x.data.clear(); x.declaredData = 0; return x; }(), true, 1, true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dir.write("a.wav", c.wav.bytes());
        CFile file(nullptr, dir.engine("a.wav").c_str(), CFile::kReadBinary);
        ASSERT_EQ(file.LastError(), 0);
        int32_t tag = 12345;
        ASSERT_EQ(CSoundCodec::readFormatTag(&file, &tag), c.scans);
        if (!c.scans) continue;
        EXPECT_EQ(tag, c.tag);
        EXPECT_EQ(file.Tell(), 0);
        CSoundCodec* codec = CSoundCodec::getCodec(tag);
        ASSERT_EQ(codec != nullptr, c.codec);
        if (!codec) continue;
        codec->decode(&file);
        CDataBuffer* data = codec->getBufferIfc();
        if (c.decoded == "-") {
            EXPECT_EQ(data, nullptr);
            continue;
        }
        ASSERT_NE(data, nullptr);
        EXPECT_EQ(std::string(data->getBuffer(), size_t(data->getCount())), c.decoded);
        EXPECT_EQ(codec->getDesc()->samplesPerSec, 22050u);
        EXPECT_EQ(codec->getDesc()->blockAlign, 2);
        codec->flush();
        EXPECT_EQ(codec->getBufferIfc(), nullptr);
    }
}

TEST_F(SoundCodecTest, AdpcmDecodesThroughTheLibraryTable) {
    // A second of a 441 Hz tone, written as ADPCM by the library.
    const int frames = 22050;
    std::vector<short> tone(frames);
    for (int i = 0; i < frames; ++i) tone[i] = short(8000 * std::sin(i * 2 * M_PI * 441 / 22050));
    SF_INFO info{};
    info.samplerate = 22050;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_MS_ADPCM;
    SNDFILE* out = sf_open(dir.native("tone.wav").c_str(), SFM_WRITE, &info);
    ASSERT_NE(out, nullptr);
    sf_writef_short(out, tone.data(), frames);
    sf_close(out);

    CFile file(nullptr, dir.engine("TONE.WAV").c_str(), CFile::kReadBinary);
    ASSERT_EQ(file.LastError(), 0);
    int32_t tag = 0;
    ASSERT_TRUE(CSoundCodec::readFormatTag(&file, &tag));
    ASSERT_EQ(tag, 2);
    CSoundCodec* codec = CSoundCodec::getCodec(2);
    ASSERT_NE(codec, nullptr);
    codec->decode(&file);
    ASSERT_NE(codec->getBufferIfc(), nullptr);
    const platform::WaveFormat& f = *codec->getDesc();
    EXPECT_EQ(f.formatTag, 1);
    EXPECT_EQ(f.channels, 1);
    EXPECT_EQ(f.samplesPerSec, 22050u);
    EXPECT_EQ(f.bitsPerSample, 16);
    EXPECT_EQ(f.blockAlign, 2);
    EXPECT_EQ(f.avgBytesPerSec, 44100u);
    EXPECT_TRUE(platform::isPlayableFormat(f));
    ASSERT_GE(codec->getBufferIfc()->getCount(), frames * 2);
    const short* pcm = reinterpret_cast<const short*>(codec->getBufferIfc()->getBuffer());
    double err = 0;
    for (int i = 1000; i < 2000; ++i) err += std::abs(pcm[i] - tone[i]);
    EXPECT_LT(err / 1000, 400);  // close to the tone, as ADPCM goes
    codec->flush();

    // An empty table stands for a decoder that cannot be loaded: no data.
    const SndEntries saved = CSoundCodec_ADPCM::library();
    CSoundCodec_ADPCM::library() = SndEntries{};
    CSoundCodec_ADPCM::done();
    codec->decode(&file);
    EXPECT_EQ(codec->getBufferIfc(), nullptr);
    CSoundCodec_ADPCM::library() = saved;
    // A file the decoder cannot open: no data either.
    dir.write("bad.wav", Wav{}.bytes().substr(0, 30));
    CFile bad(nullptr, dir.engine("bad.wav").c_str(), CFile::kReadBinary);
    codec->decode(&bad);
    EXPECT_EQ(codec->getBufferIfc(), nullptr);
}

TEST(SoundCodecTable, InitAndDonePairBalanceAndTheLastDoneEmptiesIt) {
    EXPECT_EQ(CSoundCodec::getCodec(1), nullptr);
    CSoundCodec::init_codecs();
    CSoundCodec* pcm = CSoundCodec::getCodec(1);
    ASSERT_NE(pcm, nullptr);
    // A second user (an overlapping application) shares the table; its done leaves it.
    CSoundCodec::init_codecs();
    EXPECT_EQ(CSoundCodec::getCodec(1), pcm);
    CSoundCodec::done_codecs();
    EXPECT_EQ(CSoundCodec::getCodec(1), pcm);
    EXPECT_NE(CSoundCodec::getCodec(2), nullptr);
    CSoundCodec::done_codecs();
    EXPECT_EQ(CSoundCodec::getCodec(1), nullptr);
    EXPECT_EQ(CSoundCodec::getCodec(2), nullptr);
    // A done without its init changes nothing; the next init builds the table again.
    CSoundCodec::done_codecs();
    CSoundCodec::init_codecs();
    EXPECT_NE(CSoundCodec::getCodec(1), nullptr);
    CSoundCodec::done_codecs();
    EXPECT_EQ(CSoundCodec::getCodec(1), nullptr);
}

// A recording that does not fit never takes the old file's place: the write and the
// close report it, and no temporary stays.
TEST(WAVFile, AFullDiskKeepsTheOldFileAndLeavesNoTemporary) {
    test::TempDir dir;
    const platform::WaveFormat pcm{1, 1, 22050, 44100, 2, 16, 0};
    dir.write("rec.wav", "the old recording");
    platform::setFreeSpaceLimit(100);
    CWAVFile w;
    ASSERT_EQ(w.open(dir.engine("rec.wav").c_str(), &pcm, CWAVFile::kModeWrite), CWAVFile::kOk);
    const std::vector<uint8_t> samples(64, 0x55);
    uint32_t written = 0;
    EXPECT_EQ(w.write(64, samples.data(), &written), CWAVFile::kFailed);
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(w.close(), CWAVFile::kFailed);
    platform::clearFreeSpaceLimit();
    EXPECT_EQ(dir.read("rec.wav"), "the old recording");
    EXPECT_FALSE(dir.hasTemporaryOf("rec.wav"));
    // Until it is closed whole, the old file stays too.
    ASSERT_EQ(w.open(dir.engine("rec.wav").c_str(), &pcm, CWAVFile::kModeWrite), CWAVFile::kOk);
    ASSERT_EQ(w.write(64, samples.data(), &written), CWAVFile::kOk);
    EXPECT_EQ(dir.read("rec.wav"), "the old recording");
    ASSERT_EQ(w.close(), CWAVFile::kOk);
    EXPECT_EQ(dir.read("rec.wav").size(), 56u + 64u);
    EXPECT_FALSE(dir.hasTemporaryOf("rec.wav"));
}

TEST(WAVFile, WritesPaddedChunksAndReadsThemBack) {
    test::TempDir dir;
    const platform::WaveFormat pcm{1, 1, 22050, 44100, 2, 16, 0};
    for (uint32_t n : {2u, 3u}) {
        SCOPED_TRACE(n);
        const std::string name = "w" + std::to_string(n) + ".wav";
        {
            CWAVFile w;
            ASSERT_EQ(w.open(dir.engine(name).c_str(), &pcm, CWAVFile::kModeWrite), CWAVFile::kOk);
            const uint8_t bytes[3] = {0x11, 0x22, 0x33};
            uint32_t written = 99;
            ASSERT_EQ(w.write(n, bytes, &written), CWAVFile::kOk);
            EXPECT_EQ(written, n);
            ASSERT_EQ(w.close(), CWAVFile::kOk);
        }
        const std::string s = dir.read(name);
        ASSERT_EQ(s.size(), n == 2 ? 58u : 60u);
        auto u32 = [&](size_t at) { uint32_t v; std::memcpy(&v, s.data() + at, 4); return v; };
        EXPECT_EQ(s.substr(0, 4), "RIFF");
        EXPECT_EQ(u32(4), s.size() - 8);
        EXPECT_EQ(s.substr(12, 4), "fmt ");
        EXPECT_EQ(u32(16), 16u);
        EXPECT_EQ(s.substr(36, 4), "fact");
        EXPECT_EQ(u32(44), 0u);
        EXPECT_EQ(s.substr(48, 4), "data");
        EXPECT_EQ(u32(52), n);
        EXPECT_EQ(s.substr(56), std::string("\x11\x22\x33", n) + (n == 2 ? "" : std::string(1, '\0')));

        CWAVFile r;
        ASSERT_EQ(r.open(dir.engine(name).c_str(), nullptr, CWAVFile::kModeRead), CWAVFile::kOk);
        EXPECT_EQ(r.getSize(), n);
        ASSERT_NE(r.getFormat(), nullptr);
        EXPECT_EQ(r.getFormat()->samplesPerSec, 22050u);
    }

    // A non-PCM record is written whole with its extra bytes and read back.
    const platform::WaveFormat adpcm{2, 1, 22050, 11155, 512, 4, 2};
    const uint8_t extra[2] = {0xF4, 0x01};
    CWAVFile w;
    ASSERT_EQ(w.open(dir.engine("x.wav").c_str(), &adpcm, CWAVFile::kModeWrite, extra), CWAVFile::kOk);
    ASSERT_EQ(w.close(), CWAVFile::kOk);
    EXPECT_EQ(dir.read("x.wav").size(), 12u + 8 + 20 + 12 + 8);
    CWAVFile r;
    ASSERT_EQ(r.open(dir.engine("x.wav").c_str(), nullptr, CWAVFile::kModeRead), CWAVFile::kOk);
    EXPECT_EQ(r.getFormat()->extraSize, 2);
    EXPECT_EQ(r.getExtra(), std::vector<uint8_t>(extra, extra + 2));
    EXPECT_EQ(r.getSize(), 0u);

    // Codes without a file, with missing arguments, and for a file that is not a WAV.
    CWAVFile none;
    uint32_t written = 0;
    const uint8_t b = 0;
    EXPECT_EQ(none.write(1, &b, &written), CWAVFile::kNoFile);
    EXPECT_EQ(none.close(), CWAVFile::kNoFile);
    EXPECT_EQ(none.open(nullptr, &pcm, CWAVFile::kModeRead), CWAVFile::kBadArgument);
    dir.write("not.wav", std::string("RIFX....WAVE"));
    EXPECT_EQ(none.open(dir.engine("not.wav").c_str(), nullptr, CWAVFile::kModeRead), CWAVFile::kFailed);
    CWAVFile w2;
    ASSERT_EQ(w2.open(dir.engine("y.wav").c_str(), &pcm, CWAVFile::kModeWrite), CWAVFile::kOk);
    EXPECT_EQ(w2.write(1, nullptr, &written), CWAVFile::kBadArgument);
}
