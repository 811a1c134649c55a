#include "graphics/image/CImage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "ImageTestSupport.h"
#include "support/TempDir.h"
#include "foundation/CFile.h"
#include "foundation/CLZWCompression.h"
#include "foundation/CLZWCompression2.h"
#include "graphics/screen/CRefreshScreen.h"
#include "script/CMElement.h"
#include "shell/CWindow.h"

using namespace imgtest;

namespace {

struct TestWindow : CWindow {
    explicit TestWindow(CRefreshScreen* screen = nullptr) { m_refreshScreen = screen; }
};

Bytes packWith(bool lzo, const Bytes& plain) {
    int length = 0;
    Bytes copy = plain;
    char* block = lzo ? CLZWCompression2(copy.data(), static_cast<int>(copy.size())).compress(length)
                      : CLZWCompression(copy.data(), static_cast<int>(copy.size())).compress(length);
    Bytes out(block, static_cast<size_t>(length));
    delete[] block;
    return out;
}
Bytes lzo(const Bytes& plain) { return packWith(true, plain); }
Bytes lzw(const Bytes& plain) { return packWith(false, plain); }

std::unique_ptr<CImage> fromBytes(Bytes bytes) {
    auto image = std::make_unique<CImage>(nullptr);
    CFile_Stream stream(bytes.data(), static_cast<int>(bytes.size()));
    image->Load(&stream);
    return image;
}

std::vector<uint16_t> pixelsOf(CGraphicsObject& g) {
    std::vector<uint16_t> out(static_cast<size_t>(g.Width()) * g.Height());
    if (g.GetDataPtr()) std::memcpy(out.data(), g.GetDataPtr(), out.size() * 2);
    return out;
}

Bytes alphaOf(CGraphicsObject& g) {
    return g.AlphaChannel() ? Bytes(g.AlphaChannel(), static_cast<size_t>(g.Width()) * g.Height()) : Bytes();
}

void expectEmptyFailure(CImage& image) {
    EXPECT_NE(image.LastError(), 0);
    EXPECT_EQ(image.Width(), 0);
    EXPECT_EQ(image.Height(), 0);
    EXPECT_EQ(image.GetDataPtr(), nullptr);
    EXPECT_EQ(image.AlphaChannel(), nullptr);
    EXPECT_FALSE(image.isLoaded());
}

// The 46-byte file of a 2 x 1 image at depth 16: pixels 0xF800 and 0x001F, alpha
// 255 and 128, at (3, 4).
const Bytes kSmallPik = pik(2, 1, 16, 4, 0, 2, 3, 4, words({0xF800, 0x001F}), "\xFF\x80");
// A 4 x 1 image of 0x1234, opaque, run-length packed.
const Bytes kPackedPik = pik(4, 1, 16, 8, 4, 2, 0, 0, "\x84\x34\x12", "\x84\xFF");

}  // namespace

struct FileCase {
    const char* name;
    Bytes bytes;
    int width, height, bpp;
    CXPoint position;
    std::vector<uint16_t> pixels;
    Bytes alpha;
};

TEST(CImage, ReadsEveryLayout) {
    const Bytes raw4 = words({0x1111, 0x2222, 0x3333, 0x4444});
    const Bytes plane4("\x01\x02\x03\x04", 4);
    const std::vector<uint16_t> px4 = {0x1111, 0x2222, 0x3333, 0x4444};
    const FileCase cases[] = {
        {"pik code 0", kSmallPik, 2, 1, 16, {3, 4}, {0xF800, 0x001F}, "\xFF\x80"},
        {"pik depth code 4", pik(1, 1, 4, 2, 0, 0, 0, 0, words({0xABCD}), ""), 1, 1, 16, {0, 0}, {0xABCD}, ""},
        {"pik depth code 2", pik(1, 1, 2, 2, 0, 0, 0, 0, words({0x7FFF}), ""), 1, 1, 15, {0, 0}, {0x7FFF}, ""},
        {"pik code 0 short data is LZO", pik(2, 2, 16, 8, 0, 0, -1, 2, lzo(raw4), ""), 2, 2, 16, {-1, 2}, px4, ""},
        {"pik code 2 with alpha", pik(2, 2, 16, 8, 2, static_cast<int>(lzo(plane4).size()), 0, 0, lzo(raw4), lzo(plane4)),
         2, 2, 16, {0, 0}, px4, plane4},
        {"nvi code 2 with alpha",
         nvi(2, 2, 16, static_cast<int>(lzw(raw4).size()), static_cast<int>(lzw(plane4).size()), 5, -6, 2, lzw(raw4), lzw(plane4)),
         2, 2, 16, {5, -6}, px4, plane4},
        {"nvi code 2 without alpha", nvi(2, 2, 15, static_cast<int>(lzw(raw4).size()), 0, 0, 0, 2, lzw(raw4), ""), 2, 2, 15,
         {0, 0}, px4, ""},
        {"nvi code 0", nvi(2, 2, 16, 8, 4, 1, 1, 0, raw4, plane4), 2, 2, 16, {1, 1}, px4, plane4},
        {"older with alpha", older(2, 2, 4 | 0x400, raw4, plane4), 2, 2, 16, {0, 0}, px4, plane4},
        {"older without alpha", older(2, 2, 2, raw4, ""), 2, 2, 15, {0, 0}, px4, ""},
        {"PIK and a non-zero byte is the older layout", older(2, 2, 4, raw4, "", "PIKX"), 2, 2, 16, {0, 0}, px4, ""},
    };
    for (const FileCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto image = fromBytes(c.bytes);
        ASSERT_EQ(image->LastError(), 0);
        EXPECT_EQ(image->Width(), c.width);
        EXPECT_EQ(image->Height(), c.height);
        EXPECT_EQ(image->GetBpp(), c.bpp);
        EXPECT_EQ(image->GetPosition(), c.position);
        EXPECT_EQ(image->GetCompression(), COMPRESSION_NONE);
        EXPECT_EQ(pixelsOf(*image), c.pixels);
        EXPECT_EQ(alphaOf(*image), c.alpha);
    }
}

TEST(CImage, RunLengthImageStaysPackedUntilUnpacked) {
    auto image = fromBytes(kPackedPik);
    ASSERT_EQ(image->LastError(), 0);
    EXPECT_EQ(image->GetCompression(), COMPRESSION_RLE);
    image->unpack();
    ASSERT_EQ(image->GetCompression(), COMPRESSION_NONE);
    EXPECT_EQ(pixelsOf(*image), (std::vector<uint16_t>{0x1234, 0x1234, 0x1234, 0x1234}));
    EXPECT_EQ(alphaOf(*image), Bytes(4, '\xFF'));
}

TEST(CImage, RunLengthImageDrawsItsPixels) {
    // A picture kept packed from its file is drawn as its plain form would be,
    // alpha included, and goes back to its packed planes when flushed.
    auto image = fromBytes(kPackedPik);
    ASSERT_EQ(image->GetCompression(), COMPRESSION_RLE);
    image->SetPosition(CXPoint(1, 0));
    CGraphicsObject canvas(nullptr, CXSize(6, 1), 16);
    std::memcpy(canvas.GetDataPtr(), words({7, 7, 7, 7, 7, 7}).data(), 12);
    image->redraw(&canvas);
    EXPECT_EQ(pixelsOf(canvas), (std::vector<uint16_t>{7, 0x1234, 0x1234, 0x1234, 0x1234, 7}));
    EXPECT_EQ(image->GetCompression(), COMPRESSION_NONE);
    image->Flush();
    EXPECT_EQ(image->GetDataPtr(), nullptr);
}

TEST(CImage, CopiesOwnTheirPixelsAndOutliveTheSource) {
    // Each way of copying, from a plain and from a run-length packed picture: the copy
    // draws the source's pixels after the source is gone.
    using Make = CImage* (*)(CImage*);
    const std::pair<const char*, Make> ways[] = {
        {"clone", [](CImage* s) { return static_cast<CImage*>(s->clone()); }},
        {"from a graphics object", [](CImage* s) { return new CImage(nullptr, static_cast<CGraphicsObject*>(s)); }},
    };
    for (const auto& [name, make] : ways) {
        for (const Bytes& file : {kSmallPik, kPackedPik}) {
            SCOPED_TRACE(name);
            auto source = fromBytes(file);
            ASSERT_EQ(source->LastError(), 0);
            const bool packed = source->GetCompression() == COMPRESSION_RLE;
            std::unique_ptr<CImage> copy(make(source.get()));
            EXPECT_TRUE(copy->ownsBuffers());
            EXPECT_NE(copy->GetDataPtr(), source->GetDataPtr());
            EXPECT_NE(copy->AlphaChannel(), source->AlphaChannel());
            source.reset();
            copy->SetPosition(CXPoint(0, 0));
            CGraphicsObject canvas(nullptr, CXSize(4, 1), 16);
            copy->redraw(&canvas);
            const std::vector<uint16_t> expected = packed ? std::vector<uint16_t>{0x1234, 0x1234, 0x1234, 0x1234}
                                                          : std::vector<uint16_t>{0xF800, 0x001F, 0, 0};
            EXPECT_EQ(pixelsOf(canvas)[0], expected[0]);
            EXPECT_EQ(pixelsOf(*copy), std::vector<uint16_t>(expected.begin(), expected.begin() + copy->Width()));
        }
    }
}

TEST(CImage, EveryTruncationFailsCleanly) {
    const Bytes raw4 = words({0x1111, 0x2222, 0x3333, 0x4444});
    const Bytes plane4("\x01\x02\x03\x04", 4);
    const Bytes jpeg = solidJpeg(2, 2, 255, 255, 255);
    const Bytes fixtures[] = {
        kSmallPik,
        kPackedPik,
        pik(2, 2, 16, 8, 2, static_cast<int>(lzo(plane4).size()), 0, 0, lzo(raw4), lzo(plane4)),
        pik(2, 2, 16, static_cast<int>(jpeg.size()), 5, static_cast<int>(lzo(plane4).size()), 0, 0, jpeg, lzo(plane4)),
        nvi(2, 2, 16, 8, 4, 0, 0, 0, raw4, plane4),
        nvi(2, 2, 16, static_cast<int>(lzw(raw4).size()), static_cast<int>(lzw(plane4).size()), 0, 0, 2, lzw(raw4), lzw(plane4)),
        older(2, 2, 4 | 0x400, raw4, plane4),
    };
    for (const Bytes& whole : fixtures) {
        ASSERT_EQ(fromBytes(whole)->LastError(), 0);
        for (size_t n = 0; n < whole.size(); ++n) {
            SCOPED_TRACE(n);
            auto image = fromBytes(whole.substr(0, n));
            expectEmptyFailure(*image);
        }
    }
}

TEST(CImage, CorruptHeadersFail) {
    const Bytes raw1 = words({0x1234});
    const Bytes jpeg = solidJpeg(2, 2, 0, 0, 0);
    const std::pair<const char*, Bytes> cases[] = {
        {"negative width", pik(-1, 1, 16, 2, 0, 0, 0, 0, raw1, "")},
        {"width above 8192", pik(8193, 1, 16, 2, 0, 0, 0, 0, raw1, "")},
        {"negative height", pik(1, -2, 16, 2, 0, 0, 0, 0, raw1, "")},
        {"negative alpha count", pik(1, 1, 16, 2, 0, -1, 0, 0, raw1, "")},
        {"alpha count beyond the file", pik(1, 1, 16, 2, 0, 9, 0, 0, raw1, "\xFF")},
        {"alpha plane not width x height", pik(1, 1, 16, 2, 0, 2, 0, 0, raw1, "\xFF\xFF")},
        {"code 1", pik(1, 1, 16, 2, 1, 0, 0, 0, raw1, "")},
        {"code 7", pik(1, 1, 16, 2, 7, 0, 0, 0, raw1, "")},
        {"LZO block of another size", pik(2, 1, 16, 4, 2, 0, 0, 0, lzo(raw1), "")},
        {"run-length planes too short", pik(4, 1, 16, 8, 4, 0, 0, 0, "\x83\x34\x12", "")},
        {"run-length planes too long", pik(2, 1, 16, 4, 4, 0, 0, 0, "\x84\x34\x12", "")},
        {"JPEG length 0", pik(2, 2, 16, 0, 5, 0, 0, 0, jpeg, "")},
        {"JPEG length beyond the pixels", pik(2, 2, 16, static_cast<int>(jpeg.size()) + 1, 5, 0, 0, 0, jpeg, "")},
        {"JPEG at depth 24", pik(2, 2, 24, static_cast<int>(jpeg.size()), 5, 0, 0, 0, jpeg, "")},
        {"nvi count beyond the file", nvi(1, 1, 16, 3, 0, 0, 0, 0, raw1, "")},
        {"nvi negative count", nvi(1, 1, 16, -2, 0, 0, 0, 0, raw1, "")},
        {"nvi code 3", nvi(1, 1, 16, 2, 0, 0, 0, 3, raw1, "")},
        {"nvi raw plane short", nvi(2, 1, 16, 2, 0, 0, 0, 0, raw1, "")},
        {"nvi LZW of another size", nvi(2, 1, 16, static_cast<int>(lzw(raw1).size()), 0, 0, 0, 2, lzw(raw1), "")},
        {"older negative width", older(-2, 1, 4, words({1, 2}), "")},
        {"older alpha plane larger than the file", older(100, 100, 4 | 0x400, raw1, "")},
        {"header only", Bytes("PIK\0", 4)},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        auto image = fromBytes(bytes);
        expectEmptyFailure(*image);
    }
}

TEST(CImage, JpegPixelsOfCodeFive) {
    const Bytes plane4("\x01\x02\x03\x04", 4);
    const Bytes jpeg = solidJpeg(2, 2, 255, 255, 255);
    const int n = static_cast<int>(jpeg.size());
    auto image = fromBytes(pik(2, 2, 16, n, 5, static_cast<int>(lzo(plane4).size()), 7, 8, jpeg, lzo(plane4)));
    ASSERT_EQ(image->LastError(), 0);
    EXPECT_EQ(image->GetCompression(), COMPRESSION_NONE);
    EXPECT_EQ(pixelsOf(*image), std::vector<uint16_t>(4, 0xFFFF));
    EXPECT_EQ(alphaOf(*image), plane4);
    // At depth 15, and with the stream followed by padding inside the pixel bytes.
    image = fromBytes(pik(2, 2, 15, n, 5, 0, 0, 0, jpeg + Bytes(3, '\0'), ""));
    ASSERT_EQ(image->LastError(), 0);
    EXPECT_EQ(pixelsOf(*image), std::vector<uint16_t>(4, 0x7FFF));
    // The picture must have the header's size.
    expectEmptyFailure(*fromBytes(pik(3, 2, 16, n, 5, 0, 0, 0, jpeg, "")));
    expectEmptyFailure(*fromBytes(pik(2, 2, 16, 20, 5, 0, 0, 0, jpeg, "")));
}

TEST(CImage, WriterGivesTheFileByteForByte) {
    test::TempDir dir;
    CGraphicsObject g(nullptr, CXSize(2, 1), 16);
    std::memcpy(g.GetDataPtr(), words({0xF800, 0x001F}).data(), 4);
    char* alpha = new char[2]{'\xFF', '\x80'};
    g.AlphaChannel(alpha);
    g.SetPosition(3, 4);
    g.Save(CXString(dir.engine("small.img").c_str()), COMPRESSION_NONE);
    EXPECT_EQ(dir.read("small.img"), kSmallPik);
    // Labels of data that is written plain become 0, so the file reads back.
    for (_compression label : {COMPRESSION_LZO, COMPRESSION_LZO_RLE, COMPRESSION_RLE, COMPRESSION_JPEG}) {
        g.Save(CXString(dir.engine("label.img").c_str()), label);
        EXPECT_EQ(dir.read("label.img"), kSmallPik);
    }
    CImage back(nullptr, CXString(dir.engine("small.img").c_str()));
    ASSERT_EQ(back.LastError(), 0);
    EXPECT_EQ(pixelsOf(back), (std::vector<uint16_t>{0xF800, 0x001F}));
    EXPECT_EQ(alphaOf(back), Bytes("\xFF\x80", 2));
    EXPECT_EQ(back.GetPosition(), CXPoint(3, 4));
}

TEST(CImage, WriterKeepsRunLengthPackingForCodeFour) {
    test::TempDir dir;
    CGraphicsObject g(nullptr, CXSize(4, 1), 16);
    std::memcpy(g.GetDataPtr(), words({0x1234, 0x1234, 0x1234, 0x1234}).data(), 8);
    g.AlphaChannel(new char[4]{'\xFF', '\xFF', '\xFF', '\xFF'});
    g.Compress(COMPRESSION_RLE);
    ASSERT_EQ(g.GetCompression(), COMPRESSION_RLE);
    g.Save(CXString(dir.engine("packed.img").c_str()), COMPRESSION_RLE);
    EXPECT_EQ(dir.read("packed.img"), kPackedPik);
    // Saved with code 0 the packed object is written plain.
    g.Save(CXString(dir.engine("plain.img").c_str()), COMPRESSION_NONE);
    EXPECT_EQ(dir.read("plain.img"), pik(4, 1, 16, 8, 0, 4, 0, 0, words({0x1234, 0x1234, 0x1234, 0x1234}), Bytes(4, '\xFF')));
    EXPECT_EQ(g.GetCompression(), COMPRESSION_RLE);
    EXPECT_EQ(g.GetChannelSize(3), 2);
}

TEST(CImage, WriterClipsToThePartInsideTheImage) {
    test::TempDir dir;
    CGraphicsObject g(nullptr, CXSize(3, 2), 16);
    std::memcpy(g.GetDataPtr(), words({1, 2, 3, 4, 5, 6}).data(), 12);
    g.AlphaChannel(new char[6]{1, 2, 3, 4, 5, 6});
    g.SetPosition(10, 20);
    g.SetClippingRect(1, 1, 3, 2);
    g.Save(CXString(dir.engine("part.img").c_str()), COMPRESSION_NONE);
    EXPECT_EQ(dir.read("part.img"), pik(2, 1, 16, 4, 0, 2, 11, 21, words({5, 6}), "\x05\x06"));
    // A rectangle reaching outside is clamped to the image.
    g.SetClippingRect(2, -5, 40, 40);
    g.Save(CXString(dir.engine("clamped.img").c_str()), COMPRESSION_NONE);
    EXPECT_EQ(dir.read("clamped.img"), pik(1, 2, 16, 4, 0, 2, 12, 20, words({3, 6}), "\x03\x06"));
    // A packed object's part is packed again for code 4.
    g.SetClippingRect(0, 0, 2, 1);
    g.Compress(COMPRESSION_RLE);
    g.Save(CXString(dir.engine("packedpart.img").c_str()), COMPRESSION_RLE);
    CImage back(nullptr, CXString(dir.engine("packedpart.img").c_str()));
    ASSERT_EQ(back.LastError(), 0);
    EXPECT_EQ(back.GetCompression(), COMPRESSION_RLE);
    back.unpack();
    EXPECT_EQ(pixelsOf(back), (std::vector<uint16_t>{1, 2}));
    EXPECT_EQ(alphaOf(back), Bytes("\x01\x02", 2));
}

TEST(CImage, LoadingByNameConvertsAndFailsToAnEmptyHiddenImage) {
    test::TempDir dir;
    dir.write("pic.img", pik(2, 2, 16, 8, 0, 0, 0, 0, words({0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF}), ""));
    dir.write("bad.img", kSmallPik.substr(0, 45));
    CRefreshScreen screen(nullptr, CXSize(8, 8), 15);
    TestWindow window(&screen);
    // Any letter case of the ending reads the engine's layout; converting takes the screen's depth.
    CImage image(&window, CXString(dir.engine("pic.img").c_str()));
    ASSERT_EQ(image.LastError(), 0);
    EXPECT_TRUE(image.isLoaded());
    EXPECT_EQ(image.GetBpp(), 15);
    EXPECT_EQ(pixelsOf(image), std::vector<uint16_t>(4, 0x7FFF));
    EXPECT_EQ(image.getFileName(), CXString(dir.engine("pic.img").c_str()));

    image.Visible(false);
    for (const char* name : {"missing.img", "bad.img"}) {
        SCOPED_TRACE(name);
        const int result = image.Load(CXString(dir.engine(name).c_str()), true);
        EXPECT_EQ(result, std::string(name) == "missing.img" ? CFile::kErrorNotFound : CImage::kErrBadFile);
        expectEmptyFailure(image);
        EXPECT_FALSE(image.isVisible());
    }
}

TEST(CImage, ScriptImageLoadsLazilyAndReleasesAfterUse) {
    test::TempDir dir;
    dir.write("lazy.IMG", kSmallPik);
    TestWindow window;
    CMElement element("IMG");
    element.addProperty("FILENAME", CXString(dir.engine("lazy.IMG").c_str()));
    element.addProperty("PRELOAD", "FALSE");
    element.addProperty("VISIBLE", "FALSE");
    element.addProperty("RELEASEAFTERUSE", "TRUE");
    CImage image(&window, &element);
    EXPECT_FALSE(image.isLoaded());
    EXPECT_EQ(image.GetDataPtr(), nullptr);
    EXPECT_FALSE(image.isVisible());
    EXPECT_TRUE(image.releaseAfterUse());
    image.show();
    EXPECT_TRUE(image.isLoaded());
    EXPECT_TRUE(image.isVisible());
    EXPECT_EQ(pixelsOf(image), (std::vector<uint16_t>{0xF800, 0x001F}));
    image.hide();
    EXPECT_FALSE(image.isLoaded());
    EXPECT_EQ(image.GetDataPtr(), nullptr);
    image.show();
    EXPECT_TRUE(image.isLoaded());

    // Without PRELOAD the image is loaded at once.
    CMElement eager("IMG");
    eager.addProperty("FILENAME", CXString(dir.engine("lazy.IMG").c_str()));
    eager.addProperty("VISIBLE", "TRUE");
    CImage loaded(&window, &eager);
    EXPECT_TRUE(loaded.isLoaded());
    EXPECT_TRUE(loaded.isVisible());
    // A copy has the bitmap but not the playable state.
    std::unique_ptr<CXObject> copy(loaded.clone());
    auto* image2 = dynamic_cast<CImage*>(copy.get());
    ASSERT_NE(image2, nullptr);
    EXPECT_EQ(pixelsOf(*image2), pixelsOf(loaded));
    EXPECT_FALSE(image2->isLoaded());
    EXPECT_EQ(image2->getFileName(), CXString());
}
