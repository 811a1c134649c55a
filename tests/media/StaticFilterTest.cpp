// The static effects COLORCHANNEL, GRAYSCALE, BLUR and NEGATIVE: their pixel
// vectors at depths 16 and 15, and link with undo on plain and packed graphics.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "graphics/core/CGraphicsObject.h"
#include "media/CFilterTarget.h"
#include "media/CStaticFilters.h"

namespace {

std::unique_ptr<CGraphicsObject> makeGraphic(int w, int h, int bpp, const std::vector<uint16_t>& pixels,
                                             const std::vector<uint8_t>& alpha = {}) {
    auto g = std::make_unique<CGraphicsObject>(nullptr, CXSize(w, h), bpp);
    std::memcpy(g->GetDataPtr(), pixels.data(), pixels.size() * 2);
    if (!alpha.empty()) {
        char* plane = new char[alpha.size()];
        std::memcpy(plane, alpha.data(), alpha.size());
        g->AlphaChannel(plane);
    }
    return g;
}

std::vector<uint16_t> pixelsOf(CGraphicsObject* g) {
    std::vector<uint16_t> out(static_cast<size_t>(g->Width()) * g->Height());
    std::memcpy(out.data(), g->GetDataPtr(), out.size() * 2);
    return out;
}

std::unique_ptr<CStaticGraphicsFilter> makeFilter(const std::string& action) {
    if (action == "COLORCHANNEL") return std::make_unique<CColorChannelFilter>(nullptr);
    if (action == "GRAYSCALE") return std::make_unique<CGrayScaleFilter>(nullptr);
    if (action == "BLUR") return std::make_unique<CBlurFilter>(nullptr);
    return std::make_unique<CNegativeFilter>(nullptr);
}

TEST(StaticFilterTest, PixelVectorsAtBothDepths) {
    struct Case {
        const char* action;
        const char* channels;
        int bpp;
        uint16_t in;
        uint16_t out;
    } cases[] = {
        {"COLORCHANNEL", "RB", 16, 0xFFFF, 0xF81F}, {"COLORCHANNEL", "RB", 15, 0x7FFF, 0x7C1F},
        {"COLORCHANNEL", "", 16, 0xFFFF, 0x0000},   {"COLORCHANNEL", "rgb", 16, 0xFFFF, 0x0000},
        {"COLORCHANNEL", nullptr, 16, 0x1234, 0x1234}, {"COLORCHANNEL", "G", 15, 0x7FFF, 0x03E0},
        {"NEGATIVE", nullptr, 16, 0x1234, 0xEDCB},  {"NEGATIVE", nullptr, 15, 0x1234, 0x6DCB},
        {"GRAYSCALE", nullptr, 16, 0xFFFF, 0xFFDF}, {"GRAYSCALE", nullptr, 15, 0x7FFF, 0x7FFF},
        {"GRAYSCALE", nullptr, 16, 0xF800, 0x528A},  // (31 + 0 + 0) / 3 = 10 in every field
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.action) + " " + (c.channels ? c.channels : "-") + " " + std::to_string(c.bpp));
        auto filter = makeFilter(c.action);
        if (c.channels) filter->setProperty("CHANNELS", c.channels);
        auto g = makeGraphic(2, 1, c.bpp, {c.in, c.in});
        filter->applyToGraphics(g.get(), true);
        EXPECT_EQ(pixelsOf(g.get()), (std::vector<uint16_t>{c.out, c.out}));
    }
}

TEST(StaticFilterTest, NegativeKeepsTransparentAndClippedPixelsAndUndoesItself) {
    CNegativeFilter filter(nullptr);
    const std::vector<uint16_t> before = {0x1234, 0x1234, 0x1234, 0x1234, 0x1234, 0x1234};
    auto g = makeGraphic(3, 2, 16, before, {255, 0, 255, 255, 255, 255});
    g->SetClippingRect(CXRect(0, 0, 2, 2));
    filter.applyToGraphics(g.get(), true);
    EXPECT_EQ(pixelsOf(g.get()), (std::vector<uint16_t>{0xEDCB, 0x1234, 0x1234, 0xEDCB, 0xEDCB, 0x1234}));
    filter.applyToGraphics(g.get(), true);
    EXPECT_EQ(pixelsOf(g.get()), before);

    // A clipping rectangle without width counts as the whole graphic; no alpha plane
    // counts as opaque.
    auto plain = makeGraphic(2, 1, 15, {0x0000, 0x7FFF});
    plain->SetClippingRect(CXRect(1, 0, 1, 1));
    filter.applyToGraphics(plain.get(), true);
    EXPECT_EQ(pixelsOf(plain.get()), (std::vector<uint16_t>{0x7FFF, 0x0000}));
}

TEST(StaticFilterTest, BlurMixesInnerPixelsAndKeepsTheBorder) {
    // Blue 31 amid zeros: (31 + 0) / 2.
    std::vector<uint16_t> dot(9, 0);
    dot[4] = 0x001F;
    auto g = makeGraphic(3, 3, 16, dot);
    CBlurFilter blur(nullptr);
    blur.applyToGraphics(g.get(), true);
    EXPECT_EQ(pixelsOf(g.get())[4], 0x000F);

    // The border keeps the former pixels; an inner pixel beside the bright one takes
    // a share of it through the mean: green (0 + 63 / 8) / 2 = 3.
    std::vector<uint16_t> field(16, 0);
    field[0] = 0x07E0;
    auto h = makeGraphic(4, 4, 16, field);
    blur.applyToGraphics(h.get(), true);
    std::vector<uint16_t> expected(16, 0);
    expected[0] = 0x07E0;
    expected[5] = 3 << 5;
    EXPECT_EQ(pixelsOf(h.get()), expected);

    // SIZE below 2, or a square wider than the picture, keeps the picture.
    for (const char* size : {"1", "0", "-3", "5", "100000"}) {
        SCOPED_TRACE(size);
        CBlurFilter other(nullptr);
        other.setProperty("SIZE", size);
        auto k = makeGraphic(3, 3, 16, dot);
        other.applyToGraphics(k.get(), true);
        EXPECT_EQ(pixelsOf(k.get()), dot);
    }
}

// A 4 x 3 picture with an alpha plane, packed when asked.
std::unique_ptr<CGraphicsObject> picture(bool packed) {
    auto g = makeGraphic(4, 3, 16,
                         {0x1234, 0xFFFF, 0x0001, 0x8000, 0x07E0, 0x001F, 0xF800, 0x0000, 0x4321, 0x0F0F, 0xF0F0, 0x5555},
                         {255, 255, 0, 255, 255, 255, 255, 255, 255, 0, 255, 255});
    g->SetPosition(5, 6);
    if (packed) g->Compress(COMPRESSION_RLE);
    return g;
}

std::vector<uint16_t> storedPixels(CGraphicsObject* g) {
    if (g->GetCompression() == COMPRESSION_RLE) {
        g->unpack();
        std::vector<uint16_t> out = pixelsOf(g);
        g->pack(true);
        return out;
    }
    return pixelsOf(g);
}

TEST(StaticFilterTest, UnlinkWithUndoRestoresPlainAndPackedGraphics) {
    const std::vector<uint16_t> original = pixelsOf(picture(false).get());
    for (const char* action : {"COLORCHANNEL", "GRAYSCALE", "BLUR", "NEGATIVE"}) {
        for (bool packed : {false, true}) {
            for (bool undo : {false, true}) {
                SCOPED_TRACE(std::string(action) + (packed ? " packed" : " plain") + (undo ? " undo" : ""));
                auto filter = makeFilter(action);
                filter->setProperty("CHANNELS", "G");
                filter->setProperty("SIZE", "2");
                if (undo) filter->setProperty("CANUNDO", "TRUE");
                auto g = picture(packed);
                filter->link(g.get(), nullptr);
                ASSERT_EQ(g->GetCompression(), COMPRESSION_NONE);
                const std::vector<uint16_t> changed = pixelsOf(g.get());
                EXPECT_NE(changed, original);
                filter->unlink(g.get());
                EXPECT_EQ(filter->getTargetCount(), 0);
                // NEGATIVE works in place: only a packed original comes back.
                const bool restores = undo && (packed || std::string(action) != "NEGATIVE");
                if (restores) {
                    EXPECT_EQ(g->GetCompression(), packed ? COMPRESSION_RLE : COMPRESSION_NONE);
                    EXPECT_EQ(storedPixels(g.get()), original);
                } else {
                    EXPECT_EQ(pixelsOf(g.get()), changed);
                }
                EXPECT_EQ(g->getPosition().x, 5);
                EXPECT_EQ(g->Width(), 4);
            }
        }
    }
}

TEST(StaticFilterTest, GraphicDestroyedOrEffectGoneWhileLinked) {
    // Destroyed under an undo record: the record goes with its saved buffers,
    // nothing is restored into freed memory.
    for (bool packed : {false, true}) {
        CColorChannelFilter filter(nullptr);
        filter.setProperty("CANUNDO", "TRUE");
        auto g = picture(packed);
        filter.link(g.get(), nullptr);
        g.reset();
        EXPECT_EQ(filter.getTargetCount(), 0);
    }
    // The effect going first detaches with its undo.
    const std::vector<uint16_t> original = pixelsOf(picture(false).get());
    auto g = picture(false);
    {
        CGrayScaleFilter filter(nullptr);
        filter.setProperty("CANUNDO", "TRUE");
        filter.link(g.get(), nullptr);
        EXPECT_NE(pixelsOf(g.get()), original);
    }
    EXPECT_EQ(pixelsOf(g.get()), original);
    g->Invalidate();  // no observer left behind
}

// Moves the graphic and gives it a fresh copy of its pixels, as an effect that
// changes geometry does.
class MovingFilter : public CStaticGraphicsFilter {
public:
    MovingFilter() : CStaticGraphicsFilter(nullptr, new CStaticFilterParams(999)) {}
    void applyToGraphics(CGraphicsObject* graphic, bool freeReplaced) override {
        CStaticGraphicsFilter::applyToGraphics(graphic, freeReplaced);
        if (!isWorkable(graphic)) return;
        const size_t bytes = static_cast<size_t>(graphic->Width()) * graphic->Height() * 2;
        char* copy = new char[bytes];
        std::memset(copy, 0x11, bytes);
        installPixels(graphic, copy, freeReplaced);
        graphic->Move(3, -2);
    }
    bool replacesPixels() const override { return true; }
    bool changesGeometry() const override { return true; }
};

TEST(StaticFilterTest, UndoInTheEffectsDestructorPutsGeometryBack) {
    const std::vector<uint16_t> original = pixelsOf(picture(false).get());
    auto g = picture(false);
    {
        MovingFilter filter;
        filter.setProperty("CANUNDO", "TRUE");
        filter.link(g.get(), nullptr);
        EXPECT_EQ(g->GetPosition().x, 8);
        EXPECT_EQ(g->GetPosition().y, 4);
    }
    EXPECT_EQ(g->GetPosition().x, 5);
    EXPECT_EQ(g->GetPosition().y, 6);
    EXPECT_EQ(pixelsOf(g.get()), original);
}

TEST(StaticFilterTest, ViewsOfOtherGraphicsAreLeftAlone) {
    auto source = picture(false);
    const std::vector<uint16_t> original = pixelsOf(source.get());
    CGraphicsObject view(nullptr, *source);
    CNegativeFilter negative(nullptr);
    CBlurFilter blur(nullptr);
    negative.link(&view, nullptr);
    blur.link(&view, nullptr);
    EXPECT_EQ(pixelsOf(source.get()), original);
    EXPECT_EQ(view.GetDataPtr(), source->GetDataPtr());
}

}  // namespace
