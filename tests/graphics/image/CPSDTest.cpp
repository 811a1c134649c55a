#include "graphics/image/CPSD.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "ImageTestSupport.h"
#include "foundation/CFile.h"
#include "graphics/screen/CRefreshScreen.h"
#include "shell/CWindow.h"
#include "support/TempDir.h"

using namespace imgtest;

namespace {

struct TestWindow : CWindow {
    explicit TestWindow(CRefreshScreen* screen) { m_refreshScreen = screen; }
};

std::string fixturePath(const std::string& name) {
    const char* root = std::getenv("VONDREL_TEST_DATA");
    const std::string folder = root && *root ? root : std::string(VONDREL_SOURCE_DIR) + "/tests/data";
    return folder + "/" + name;
}

struct Channel {
    int id;
    int compression;
    Bytes data;
};

struct Layer {
    int top, left, bottom, right;
    std::vector<Channel> channels;
    std::string name;
    int extraBlocks = 0;
};

// A layered 8-bit RGB file with the given layer count field and colour-mode data.
Bytes psd(const std::vector<Layer>& layers, int countField, const Bytes& colourMode = "", int version = 1, int depth = 8,
          int mode = 3) {
    Bytes records;
    putBE16(records, countField);
    for (const Layer& l : layers) {
        for (int v : {l.top, l.left, l.bottom, l.right}) putBE32(records, static_cast<uint32_t>(v));
        putBE16(records, static_cast<int>(l.channels.size()));
        for (const Channel& c : l.channels) {
            putBE16(records, c.id);
            putBE32(records, static_cast<uint32_t>(2 + c.data.size()));
        }
        records += "8BIMnorm";
        records += Bytes("\xFF\x00\x00\x00", 4);
        putBE32(records, 0);  // extra length, not read
        putBE32(records, 0);  // mask data
        putBE32(records, 0);  // blending ranges
        Bytes name(1, static_cast<char>(l.name.size()));
        name += l.name;
        while (name.size() % 4) name += '\0';
        records += name;
        for (int i = 0; i < l.extraBlocks; ++i) {
            records += "8BIMluni";
            putBE32(records, 4);
            records += Bytes("\0\0\0\0", 4);
        }
    }
    for (const Layer& l : layers)
        for (const Channel& c : l.channels) {
            putBE16(records, c.compression);
            records += c.data;
        }
    Bytes b("8BPS");
    putBE16(b, version);
    b += Bytes(6, '\0');
    putBE16(b, 4);
    putBE32(b, 6);
    putBE32(b, 8);
    putBE16(b, depth);
    putBE16(b, mode);
    putBE32(b, static_cast<uint32_t>(colourMode.size()));
    b += colourMode;
    putBE32(b, 0);  // image resources
    Bytes layerInfo;
    putBE32(layerInfo, static_cast<uint32_t>(records.size()));
    layerInfo += records;
    putBE32(b, static_cast<uint32_t>(layerInfo.size()));
    return b + layerInfo;
}

std::unique_ptr<CPSD> fromBytes(Bytes bytes, CWindow* window = nullptr) {
    auto image = std::make_unique<CPSD>(window);
    CFile_Stream stream(bytes.data(), static_cast<int>(bytes.size()));
    image->Load(&stream);
    return image;
}

std::vector<uint16_t> pixelsOf(CGraphicsObject* g) {
    std::vector<uint16_t> out(static_cast<size_t>(g->Width()) * g->Height());
    if (g->GetDataPtr()) std::memcpy(out.data(), g->GetDataPtr(), out.size() * 2);
    return out;
}

Bytes alphaOf(CGraphicsObject* g) {
    return g->AlphaChannel() ? Bytes(g->AlphaChannel(), static_cast<size_t>(g->Width()) * g->Height()) : Bytes();
}

Bytes plane(int n, char v) { return Bytes(static_cast<size_t>(n), v); }

// Three layers: two "8BIM" blocks after the first record, differing channel counts
// (a mask channel among them), layer count field -3, 768 bytes of colour-mode data.
Bytes threeLayers() {
    const std::vector<Layer> layers = {
        {0, 0, 1, 2, {{0, 0, plane(2, '\xFF')}, {1, 0, plane(2, 0)}, {2, 0, plane(2, 0)}, {-1, 0, "\x10\x20"}}, "A", 2},
        {1, 1, 2, 2, {{0, 0, plane(1, 0)}, {1, 0, plane(1, 0)}, {2, 0, plane(1, '\xFF')}}, "Bee"},
        {0, 0, 2, 1,
         {{-2, 0, plane(2, 7)}, {0, 1, Bytes("\x00\x02\x00\x02\x00\xFF\x00\x00", 8)}, {1, 0, plane(2, 0)},
          {2, 0, plane(2, 0)}, {-1, 0, plane(2, '\xFF')}},
         "cc"},
    };
    return psd(layers, -3, plane(768, 3));
}

}  // namespace

TEST(CPSD, ReadsLayersMadeByImageMagick) {
    for (const char* name : {"psd/layers-raw.psd", "psd/layers-rle.psd"}) {
        SCOPED_TRACE(name);
        CPSD image(nullptr, CXString(fixturePath(name).c_str()));
        ASSERT_EQ(image.LastError(), 0);
        ASSERT_EQ(image.getLayerCount(), 2);
        EXPECT_EQ(image.Width(), 0);
        EXPECT_EQ(image.getSelectedIndex(), 0);
        EXPECT_EQ(image.GetLayerName(0), CXString("Red"));
        EXPECT_EQ(image.GetLayerName(1), CXString("Half Blue"));
        EXPECT_EQ(image.GetLayerRect(), CXRect(1, 2, 5, 5));
        CGraphicsObject* red = image.getLayer(0);
        EXPECT_EQ(red->GetBpp(), 16);
        EXPECT_EQ(red->GetPosition(), CXPoint(1, 2));
        EXPECT_EQ(red->getFileName(), CXString("Red"));
        EXPECT_EQ(pixelsOf(red), std::vector<uint16_t>(12, 0xF800));
        EXPECT_EQ(alphaOf(red), plane(12, '\xFF'));
        image.SelectLayer(1);
        EXPECT_EQ(image.GetLayerRect(), CXRect(5, 0, 8, 2));
        CGraphicsObject* blue = image.getSelectedLayer();
        EXPECT_EQ(blue->GetPosition(), CXPoint(5, 0));
        EXPECT_EQ(pixelsOf(blue), std::vector<uint16_t>(6, 0x001F));
        ASSERT_EQ(alphaOf(blue).size(), 6u);
        EXPECT_NEAR(static_cast<uint8_t>(alphaOf(blue)[0]), 128, 1);
    }
}

TEST(CPSD, ZipChannelsAreSkippedAndLeftEmpty) {
    CPSD image(nullptr, CXString(fixturePath("psd/layers-zip.psd").c_str()));
    ASSERT_EQ(image.LastError(), 0);
    ASSERT_EQ(image.getLayerCount(), 2);
    EXPECT_EQ(image.GetLayerName(1), CXString("Half Blue"));
    EXPECT_EQ(image.getLayer(1)->GetPosition(), CXPoint(5, 0));
    EXPECT_EQ(pixelsOf(image.getLayer(0)), std::vector<uint16_t>(12, 0));
    EXPECT_EQ(image.getLayer(0)->AlphaChannel(), nullptr);
}

TEST(CPSD, ByteBuiltLayers) {
    auto image = fromBytes(threeLayers());
    ASSERT_EQ(image->LastError(), 0);
    ASSERT_EQ(image->getLayerCount(), 3);
    EXPECT_EQ(image->GetLayerName(0), CXString("A"));
    EXPECT_EQ(image->GetLayerName(1), CXString("Bee"));
    EXPECT_EQ(image->GetLayerName(2), CXString("cc"));
    EXPECT_EQ(pixelsOf(image->getLayer(0)), std::vector<uint16_t>(2, 0xF800));
    EXPECT_EQ(alphaOf(image->getLayer(0)), Bytes("\x10\x20", 2));
    EXPECT_EQ(pixelsOf(image->getLayer(1)), std::vector<uint16_t>(1, 0x001F));
    EXPECT_EQ(image->getLayer(1)->AlphaChannel(), nullptr);
    // PackBits red rows (one literal each), the mask channel dropped.
    EXPECT_EQ(pixelsOf(image->getLayer(2)), (std::vector<uint16_t>{0xF800, 0}));
    EXPECT_EQ(alphaOf(image->getLayer(2)), plane(2, '\xFF'));
    // The screen's depth is taken after joining.
    CRefreshScreen screen(nullptr, CXSize(8, 8), 15);
    TestWindow window(&screen);
    image = fromBytes(threeLayers(), &window);
    EXPECT_EQ(image->getLayer(0)->GetBpp(), 15);
    EXPECT_EQ(pixelsOf(image->getLayer(0)), std::vector<uint16_t>(2, 0x7C00));
}

TEST(CPSD, BadFilesFailCleanly) {
    const Layer one = {0, 0, 1, 1, {{0, 0, plane(1, 1)}}, "x"};
    const std::pair<const char*, Bytes> cases[] = {
        {"signature", "8BPX" + psd({one}, 1).substr(4)},
        {"version 2", psd({one}, 1, "", 2)},
        {"16-bit channels", psd({one}, 1, "", 1, 16)},
        {"greyscale", psd({one}, 1, "", 1, 8, 1)},
        {"bottom above top", psd({{3, 0, 2, 1, {}, "bad"}}, 1)},
        {"right left of left", psd({{0, 5, 1, 4, {}, "bad"}}, 1)},
        {"wider than 8192", psd({{0, 0, 1, 8193, {}, "wide"}}, 1)},
        {"more layers than records", psd({one}, 2)},
        {"layers larger than 8192 x 8192 together", psd({{0, 0, 8192, 4096, {}, "a"}, {0, 0, 8192, 4097, {}, "b"}}, 2)},
        {"channel length beyond the file", psd({one}, 1).substr(0, psd({one}, 1).size() - 1)},
        {"PackBits row count above 32767", psd({{0, 0, 1, 1, {{0, 1, Bytes("\x80\x00\x00", 3)}}, "p"}}, 1)},
        {"PackBits rows overrunning the layer", psd({{0, 0, 1, 1, {{0, 1, Bytes("\x00\x03\x02\x01\x02\x03", 6)}}, "p"}}, 1)},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        auto image = fromBytes(bytes);
        EXPECT_NE(image->LastError(), 0);
        EXPECT_EQ(image->getLayerCount(), 0);
        EXPECT_EQ(image->getSelectedLayer(), nullptr);
    }
    const Bytes whole = threeLayers();
    for (size_t n = 0; n < whole.size(); ++n) {
        SCOPED_TRACE(n);
        auto image = fromBytes(whole.substr(0, n));
        EXPECT_NE(image->LastError(), 0);
        EXPECT_EQ(image->getLayerCount(), 0);
    }
    CPSD missing(nullptr, CXString("no-such-file.psd"));
    EXPECT_EQ(missing.LastError(), CFile::kErrorNotFound);
}

TEST(CPSD, SelectionAndPosition) {
    auto image = fromBytes(threeLayers());
    image->SelectLayer(CXString("bee"));
    EXPECT_EQ(image->getSelectedIndex(), 0);
    image->SelectLayer(CXString("Bee"));
    EXPECT_EQ(image->getSelectedIndex(), 1);
    EXPECT_EQ(image->GetLayerName(-1), CXString("Bee"));
    for (int index : {-2, 3, 100}) {
        image->SelectLayer(index);
        EXPECT_EQ(image->getSelectedIndex(), 1);
        EXPECT_EQ(image->GetLayerName(index), CXString(""));
    }
    EXPECT_EQ(image->GetLayerRect(), CXRect(1, 1, 2, 2));
    image->SetPosition(CXPoint(10, -5));
    EXPECT_EQ(image->GetLayerRect(), CXRect(10, 1, 11, 2));
    EXPECT_EQ(image->GetPosition(), CXPoint(10, -5));
    EXPECT_EQ(image->getSelectedLayer()->GetPosition(), CXPoint(10, -5));

    // It draws its selected layer where that layer is.
    image->SetPosition(CXPoint(1, 0));
    CGraphicsObject canvas(nullptr, CXSize(3, 2), 16);
    image->redraw(&canvas);
    EXPECT_EQ(pixelsOf(&canvas), (std::vector<uint16_t>{0, 0x001F, 0, 0, 0, 0}));
    EXPECT_EQ(image->getRect(), CXRect(1, 0, 2, 1));
}
