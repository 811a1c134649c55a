#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "foundation/CFile.h"
#include "graphics/play/CAnimo.h"
#include "graphics/play/CFrame.h"
#include "graphics/play/CFrameSoundFactory.h"
#include "support/TempDir.h"
#include "tests/graphics/play/AnimationFixtures.h"
#include "tests/graphics/play/RecordingSounds.h"

namespace {

uint16_t pixelAt(CFrame* f, int i) {
    uint16_t v;
    std::memcpy(&v, f->GetDataPtr() + 2 * i, 2);
    return v;
}

std::vector<int> framesOf(CAnimo& a, int event) {
    const _annEventInfo3* ev = a.GetEventInfo(event);
    return ev ? std::vector<int>(ev->frames.begin(), ev->frames.end()) : std::vector<int>{};
}

struct FamilyRow {
    const char* name;
    std::string bytes;
    int compression;     // of the frames after loading
    bool newFormatFlag;  // 0x200000
    bool defaults;       // three "standard" events
    bool texts = true;   // author "Au" and description "De"
};

class CAnimoFamilies : public ::testing::TestWithParam<FamilyRow> {};

TEST_P(CAnimoFamilies, LoadFramesAndEvents) {
    const FamilyRow& row = GetParam();
    test::TempDir dir;
    dir.write("a.ani", row.bytes);
    CAnimo a(nullptr);
    ASSERT_EQ(a.Load(CXString(dir.engine("a.ani").c_str())), 0);
    ASSERT_EQ(a.GetNOF(), 2);
    CFrame* f0 = a.GetFrame(0);
    CFrame* f1 = a.GetFrame(1);
    EXPECT_EQ(f0->Width(), 2);
    EXPECT_EQ(f0->Height(), 1);
    EXPECT_EQ(f0->GetFramePosition(), CXPoint(3, 4));
    EXPECT_EQ(f1->Width(), 1);
    EXPECT_EQ(f1->GetFramePosition(), CXPoint(0, 0));
    EXPECT_EQ(f0->GetCompression(), row.compression);
    if (row.compression == COMPRESSION_NONE) {
        EXPECT_EQ(pixelAt(f0, 0), 0x001F);
        EXPECT_EQ(pixelAt(f0, 1), 0xF800);
        EXPECT_EQ(static_cast<uint8_t>(f0->AlphaChannel()[1]), 0x80);
        EXPECT_EQ(pixelAt(f1, 0), 0x07E0);
        EXPECT_EQ(f1->AlphaChannel(), nullptr);
    }
    EXPECT_EQ((a.GetAnimoFlags() & CAnimo::kNewFormat) != 0, row.newFormatFlag);
    EXPECT_EQ(a.Author().c_str(), std::string(row.texts ? "Au" : CAnimo::kDefaultAuthor));
    EXPECT_EQ(a.Description().c_str(), std::string(row.texts ? "De" : ""));
    if (row.defaults) {
        ASSERT_EQ(a.GetNOE(), 3);
        for (int e = 0; e < 3; ++e) EXPECT_STREQ(a.GetEventName(e).c_str(), "standard");
        EXPECT_EQ(framesOf(a, 0), (std::vector<int>{0, 1}));
        EXPECT_EQ(framesOf(a, 1), (std::vector<int>{0, 1}));
        EXPECT_EQ(framesOf(a, 2), (std::vector<int>{1, 0}));
        EXPECT_EQ(a.GetEventInfo(2)->fps, 15);
        EXPECT_EQ(a.GetEventInfo(2)->opacity, 255);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Families, CAnimoFamilies,
    ::testing::Values(FamilyRow{"NVI", animfix::nv("NVI"), 0, false, false},
                      FamilyRow{"NVplus", animfix::nv("NV+"), 0, true, false},
                      FamilyRow{"NVP", animfix::nv("NVP"), 0, true, false},
                      FamilyRow{"PAK0", animfix::pak(false), 0, false, true},
                      FamilyRow{"PAK2", animfix::pak(true), 0, false, false},
                      FamilyRow{"PIK", animfix::pik(), 0, false, true},
                      FamilyRow{"PI2", animfix::pi2(), 1, false, true, false},
                      FamilyRow{"PI3", animfix::pi3(), 0, false, true, false}),
    [](const ::testing::TestParamInfo<FamilyRow>& info) { return std::string(info.param.name); });

TEST(CAnimoFile, NewFamilyKeepsEventsRecordsAndHeaderFields) {
    test::TempDir dir;
    dir.write("a.ani", animfix::nv("NVP"));
    RecordingSoundFactory sounds;
    CAnimo a(nullptr);
    ASSERT_EQ(a.Load(CXString(dir.engine("a.ani").c_str())), 0);
    EXPECT_EQ(a.GetFPS(), 12);
    EXPECT_EQ(a.GetFlags(), 1);
    EXPECT_EQ(a.GetAnimoFlags(), 0x80000 | CAnimo::kNewFormat);
    EXPECT_EQ(a.GetOpacity(), 200);
    EXPECT_EQ(a.RandomFramesNumber(), 3);
    ASSERT_EQ(a.GetNOE(), 2);
    EXPECT_EQ(a.GetEventNo("WALK"), 0);
    EXPECT_EQ(framesOf(a, 0), (std::vector<int>{0, 1, 0}));
    CXPoint loop;
    EXPECT_EQ(a.GetLoop(0, &loop), 2);
    EXPECT_EQ(loop, CXPoint(1, 2));
    EXPECT_EQ(a.GetEventInfo(0)->flags, 0x100);
    EXPECT_EQ(a.GetNOFInEvent("idle"), 0);
    EXPECT_STREQ(a.getFrameName(0, 0).c_str(), "first");
    EXPECT_EQ(a.GetFrameInfo(0, 1)->dx, 2);
    EXPECT_EQ(a.GetFrameInfo(0, 1)->dy, -1);
    EXPECT_EQ(a.GetFrameInfo(0, 1)->opacity, 128);
    EXPECT_STREQ(a.GetName(0, 2, "Default").c_str(), "Frame 2");
    ASSERT_EQ(sounds.made.size(), 1u);
    EXPECT_EQ(sounds.made[0], "step.wav");
    EXPECT_NE(a.getSoundFX(0, 1), nullptr);
    EXPECT_EQ(a.getSoundFX(0, 0), nullptr);
}

TEST(CAnimoFile, StreamedSoundsMakeNoSoundObjects) {
    std::string bytes = animfix::nv("NVP");
    bytes[27 + 2] = 0x48;  // flag word 0x480001: streamed sounds
    test::TempDir dir;
    dir.write("a.ani", bytes);
    RecordingSoundFactory sounds;
    CAnimo a(nullptr);
    ASSERT_EQ(a.Load(CXString(dir.engine("a.ani").c_str())), 0);
    EXPECT_TRUE(sounds.made.empty());
    EXPECT_STREQ(a.GetFrameInfo(0, 1)->sound.c_str(), "step.wav");
}

TEST(CAnimoFile, PackedAndOldFamiliesKeepStepsAndPositions) {
    test::TempDir dir;
    dir.write("pak.ani", animfix::pak(true));
    dir.write("pi3.ani", animfix::pi3());
    CAnimo pak(nullptr);
    ASSERT_EQ(pak.Load(CXString(dir.engine("pak.ani").c_str())), 0);
    EXPECT_EQ(framesOf(pak, 0), (std::vector<int>{1, 0}));
    CXPoint loop;
    EXPECT_EQ(pak.GetLoop(0, &loop), 2);
    EXPECT_EQ(loop, CXPoint(1, 1));
    EXPECT_EQ(pak.GetFrameInfo(0, 0)->dx, 5);
    EXPECT_EQ(pak.GetFrameInfo(0, 0)->dy, -1);
    EXPECT_EQ(pak.GetEventInfo(1)->opacity, 255);

    CAnimo pi3(nullptr);
    ASSERT_EQ(pi3.Load(CXString(dir.engine("pi3.ani").c_str())), 0);
    EXPECT_EQ(pixelAt(pi3.GetFrame(0), 1), 0xF800);
    EXPECT_EQ(pi3.GetFrameInfo(0, 1)->dx, 7);
    EXPECT_EQ(pi3.GetFrameInfo(0, 1)->dy, 8);
    EXPECT_EQ(pi3.GetFrameInfo(0, 1)->opacity, 100);
    EXPECT_EQ(pi3.GetFrameInfo(1, 0), nullptr);
}

// The smallest complete file, byte for byte.
TEST(CAnimoWriter, WritesTheSmallestFileByteForByte) {
    test::TempDir dir;
    CAnimo a(nullptr);
    a.Author() = "";
    CGraphicsObject picture(nullptr, CXSize(1, 1), 16);
    picture.GetDataPtr()[0] = 0x1F;
    picture.GetChannelAlpha() = new char[1]{static_cast<char>(0xFF)};
    a.AddFrame(&picture);
    _annEventInfo3 event;
    event.name = "A";
    event.frames = {0};
    a.AddEvent(event);
    a.GetFrameInfo(0, 0)->hasName = true;
    a.GetFrameInfo(0, 0)->name = "A";
    a.Save(CXString(dir.engine("a.ani").c_str()), COMPRESSION_NONE);
    ASSERT_EQ(a.LastError(), 0);

    animfix::Bytes b;
    b.fixed("NVP", 4).i16(1).i16(16).i16(1).zeros(13).i32(15).i32(0).u8(255).i16(0).zeros(10);  // 0x00-0x2B
    b.i32(0).i32(0);                                                                           // 0x2C-0x33
    b.fixed("A", 32).i16(1).i32(1).i16(0).i16(0).i16(0).i16(0).i32(15).i32(0).u8(255).zeros(4).i32(0).i32(0);
    b.i16(0);                                                                        // 0x77-0x78
    b.i32(1).i32(0).i16(0).i16(0).i32(-1).i32(0).i32(0).u8(255).u8(0).i32(0);        // 0x79-0x96
    b.ztext("A");                                                                    // 0x97-0x9C
    b.raw(animfix::newFrameHeader(1, 1, 0, 0, 0, 2, 1, 52));                         // 0x9D-0xD0
    b.i16(0x001F).u8(0xFF);                                                          // 0xD1-0xD3
    ASSERT_EQ(b.s.size(), 212u);
    EXPECT_EQ(dir.read("a.ani"), b.s);
}

TEST(CAnimoWriter, RewritingKeepsTheBytesButTheNewFormatFlag) {
    for (_compression code : {COMPRESSION_NONE, COMPRESSION_RLE}) {
        SCOPED_TRACE(code);
        test::TempDir dir;
        {
            std::string source = animfix::nv("NVP");
            source[29] = 0x00;  // flag word 0x00001 before the reader adds 0x200000
            dir.write("in.ani", source);
        }
        CAnimo first(nullptr);
        ASSERT_EQ(first.Load(CXString(dir.engine("in.ani").c_str())), 0);
        first.Save(CXString(dir.engine("one.ani").c_str()), code);
        CAnimo second(nullptr);
        ASSERT_EQ(second.Load(CXString(dir.engine("one.ani").c_str())), 0);
        second.Save(CXString(dir.engine("two.ani").c_str()), code);
        const std::string one = dir.read("one.ani"), two = dir.read("two.ani");
        EXPECT_EQ(one, two);
        // The flag word: the animation flags OR'd with the object's low byte.
        EXPECT_EQ(static_cast<uint8_t>(one[29]), 0x20);
        EXPECT_EQ(static_cast<uint8_t>(one[27]), 0x01);
        EXPECT_EQ(second.GetFrame(0)->GetCompression(), code);
        if (code == COMPRESSION_RLE) second.GetFrame(0)->DeCompressRLE2();
        EXPECT_EQ(pixelAt(second.GetFrame(0), 1), 0xF800);
        EXPECT_EQ(static_cast<uint8_t>(second.GetFrame(0)->AlphaChannel()[1]), 0x80);
    }
}

TEST(CAnimoWriter, LzoRequestWritesPlainFramesLabelledZero) {
    test::TempDir dir;
    dir.write("in.ani", animfix::pi3());
    CAnimo a(nullptr);
    ASSERT_EQ(a.Load(CXString(dir.engine("in.ani").c_str())), 0);
    a.Save(CXString(dir.engine("out.ani").c_str()), COMPRESSION_LZO);
    const std::string out = dir.read("out.ani");
    const size_t frameHeaders = out.size() - 8 - 2 * 52;
    EXPECT_EQ(out[frameHeaders + 8], 0);
    CAnimo back(nullptr);
    ASSERT_EQ(back.Load(CXString(dir.engine("out.ani").c_str())), 0);
    EXPECT_EQ(pixelAt(back.GetFrame(1), 0), 0x07E0);
}

// Every cut of a valid file and a table of bad fields fail cleanly: error, an
// empty animation and the failure line.
std::vector<std::string> allFixtures() {
    return {animfix::nv("NVI"), animfix::nv("NV+"), animfix::nv("NVP"), animfix::pak(false),
            animfix::pak(true), animfix::pik(),     animfix::pi2(),     animfix::pi3()};
}

void expectFailure(const std::string& bytes) {
    CFile_Stream stream(const_cast<char*>(bytes.data()), static_cast<int>(bytes.size()));
    CAnimo a(nullptr);
    EXPECT_NE(a.Load(&stream), 0);
    EXPECT_EQ(a.GetNOF(), 0);
    EXPECT_EQ(a.GetNOE(), 0);
    EXPECT_EQ(a.Current(), -1);
}

TEST(CAnimoReader, EveryTruncationFails) {
    for (const std::string& full : allFixtures()) {
        SCOPED_TRACE(full.substr(0, 3));
        for (size_t n = 0; n < full.size(); ++n) expectFailure(full.substr(0, n));
    }
}

// A patch of bytes that may hold NULs.
#define B(s) std::string(s, sizeof(s) - 1)

TEST(CAnimoReader, CorruptFieldsFail) {
    struct Patch {
        const char* what;
        std::string base;
        size_t at;
        std::string bytes;
    };
    const std::string nvp = animfix::nv("NVP"), nvplus = animfix::nv("NV+"), pak = animfix::pak(true);
    const size_t nvpFrames = nvp.size() - 8 - 2 * 52;
    const size_t plusFrames = nvplus.size() - 8 - 2 * 32;
    const size_t pakFrames = pak.size() - 8 - 2 * 32;
    const Patch patches[] = {
        {"unknown signature", nvp, 0, B("NVX")},
        {"negative frame count", nvp, 4, B("\xFF\xFF")},
        {"negative event count", nvp, 8, B("\xFF\xFF")},
        {"unknown depth", nvp, 6, B("\x09\x00")},
        {"negative author length", nvp, 44, B("\xFF\xFF\xFF\xFF")},
        {"author longer than the file", nvp, 44, B("\x00\x00\x01\x00")},
        {"frame list longer than the file", nvp, 56 + 32, B("\xFF\xFF")},
        {"negative name length", nvp, 56 + 67 + 6 + 30, B("\xFE\xFF\xFF\xFF")},
        {"five channel sizes in a short header", nvplus, plusFrames + 14, B("\x05\x00")},
        {"ten channel sizes in a long header", nvp, nvpFrames + 14, B("\x0A\x00")},
        {"negative channel count", nvp, nvpFrames + 14, B("\xFF\xFF")},
        {"negative width", nvp, nvpFrames, B("\xFF\xFF")},
        {"frame above 8192", nvp, nvpFrames, B("\x01\x20")},
        {"data size above what a plain frame holds", nvp, nvpFrames + 10, B("\x06\x00\x00\x00")},
        {"data size past the file", nvp, nvpFrames + 10, B("\x00\x00\x00\x40")},
        {"negative data size", nvp, nvpFrames + 10, B("\xFF\xFF\xFF\xFF")},
        {"alpha size not the pixel count", nvp, nvpFrames + 28, B("\x01\x00\x00\x00")},
        {"negative alpha size", nvp, nvpFrames + 28, B("\xFF\xFF\xFF\xFF")},
        {"unknown compression", nvp, nvpFrames + 8, B("\x07\x00")},
        {"LZO frame that is not LZO", nvp, nvpFrames + 8, B("\x02\x00")},
        {"packed event count negative", pak, 392, B("\xFF\xFF")},
        {"packed frame list past the file", pak, 407 + 32, B("\xFF\x7F")},
        {"packed frame height above 8192", pak, pakFrames + 2, B("\x01\x20")},
        {"old text longer than the file", animfix::pik(), 15 + 4, B("\xFF\xFF\x00\x00")},
        {"old channel count above 4", animfix::pi2(), 12 + 12, B("\x05\x00\x00\x00")},
        {"old negative frame count", animfix::pi2(), 4, B("\xFE\xFF")},
        {"old unknown depth code", animfix::pi2(), 6, B("\x03\x00")},
        {"sequence longer than the file", animfix::pi3(), 15, B("\xFF\xFF\x00\x00")},
        {"LZO block of the wrong size", animfix::pi3(), 12 + 15 + 3 + 66 + 16, B("\x01\x00\x00\x00")},
    };
    for (const Patch& p : patches) {
        SCOPED_TRACE(p.what);
        std::string bytes = p.base;
        ASSERT_LE(p.at + p.bytes.size(), bytes.size());
        bytes.replace(p.at, p.bytes.size(), p.bytes);
        expectFailure(bytes);
    }
}

TEST(CAnimoReader, FailedLoadReportsAndLeavesTheAnimationEmpty) {
    test::TempDir dir;
    dir.write("good.ani", animfix::nv("NVP"));
    dir.write("bad.ani", animfix::nv("NVP").substr(0, 100));
    CAnimo a(nullptr);
    ASSERT_EQ(a.Load(CXString(dir.engine("good.ani").c_str())), 0);
    EXPECT_EQ(a.Current(), 0);
    EXPECT_NE(a.Load(CXString(dir.engine("bad.ani").c_str())), 0);
    EXPECT_EQ(a.GetNOF(), 0);
    EXPECT_FALSE(a.isLoaded());
    EXPECT_NE(a.Load(CXString(dir.engine("missing.ani").c_str())), 0);
}

TEST(CAnimoReader, FrameNumbersPastTheEndShowNothing) {
    std::string bytes = animfix::nv("NVP");
    bytes[56 + 67 + 2] = 9;  // position 1 of "walk" lists frame 9
    CFile_Stream stream(bytes.data(), static_cast<int>(bytes.size()));
    CAnimo a(nullptr);
    ASSERT_EQ(a.Load(&stream), 0);
    a.SetEventFrame(0, 0);
    EXPECT_EQ(a.Current(), 0);
    a.SetEventFrame(0, 1);
    EXPECT_EQ(a.Current(), 0);
    EXPECT_EQ(a.GetEventFrame(0, 1), nullptr);
    a.Play("walk", 0, 0);
    for (int i = 0; i < 8; ++i) a.next();
}

TEST(CAnimoReader, RunLengthFrameThatDoesNotFillDrawsNothing) {
    // One 2 x 1 frame at code 4 whose packed data is one literal word only.
    std::string bytes = animfix::nv("NVP");
    const size_t frames = bytes.size() - 8 - 2 * 52;
    std::string pixels = std::string("\x00\x1F\x00", 3);
    bytes = bytes.substr(0, frames) + animfix::newFrameHeader(2, 1, 3, 4, 4, 3, 0, 52) +
            animfix::newFrameHeader(1, 1, 0, 0, 0, 2, 0, 52) + pixels + animfix::frame1Pixels();
    CFile_Stream stream(bytes.data(), static_cast<int>(bytes.size()));
    CAnimo a(nullptr);
    ASSERT_EQ(a.Load(&stream), 0);
    CGraphicsObject screen(nullptr, CXSize(8, 8), 16);
    a.SetEventFrame(0, 0);
    a.redraw(&screen);
    for (int i = 0; i < 8 * 8 * 2; ++i) ASSERT_EQ(screen.GetDataPtr()[i], 0);
}

}  // namespace
