// The eight static effects: their pixel vectors at depths 16 and 15, and link
// with undo on plain and packed graphics.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "graphics/core/CGraphicsObject.h"
#include "foundation/Crt.h"
#include "graphics/core/ImageLibrary.h"
#include "media/filters/CDisplacementFilters.h"
#include "media/filters/CFilterTarget.h"
#include "media/filters/CRotateFilter.h"
#include "media/filters/CScaleFilter.h"
#include "media/filters/CStaticFilters.h"

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
    if (action == "ROTATE") return std::make_unique<CRotateFilter>(nullptr);
    if (action == "SCALE") return std::make_unique<CScaleFilter>(nullptr);
    if (action == "RANDOMJITTER") return std::make_unique<CRandomJitterFilter>(nullptr);
    if (action == "WAVES") return std::make_unique<CWavesFilter>(nullptr);
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

// The effect's sums square by square, for comparison with the sliding sums.
std::vector<uint16_t> blurByTheSquare(const std::vector<uint16_t>& in, int w, int h, int size) {
    std::vector<uint16_t> out = in;
    const int k = size / 2;
    const int q = size * size - 1;
    const CPixelLayout l = CPixelLayout::ofDepth(16);
    for (int y = k; y < h - k; ++y) {
        for (int x = k; x < w - k; ++x) {
            uint16_t s[3] = {0, 0, 0};
            for (int dy = -k; dy <= k; ++dy) {
                for (int dx = -k; dx <= k; ++dx) {
                    if (dx == 0 && dy == 0) continue;
                    const uint16_t v = in[static_cast<size_t>((y + dy) * w + x + dx)];
                    s[0] = static_cast<uint16_t>(s[0] + l.red(v));
                    s[1] = static_cast<uint16_t>(s[1] + l.green(v));
                    s[2] = static_cast<uint16_t>(s[2] + l.blue(v));
                }
            }
            const uint16_t c = in[static_cast<size_t>(y * w + x)];
            out[static_cast<size_t>(y * w + x)] =
                l.pack((l.red(c) + s[0] / q) / 2, (l.green(c) + s[1] / q) / 2, (l.blue(c) + s[2] / q) / 2);
        }
    }
    return out;
}

TEST(StaticFilterTest, BlurAgreesWithSquareBySquareSumsIncludingWrappedOnes) {
    // Size 41 sums 1680 green values of 63: beyond 16 bits, so the sums wrap.
    const int w = 50, h = 45;
    std::vector<uint16_t> in(static_cast<size_t>(w * h));
    uint32_t seed = 12345;
    for (uint16_t& v : in) {
        seed = seed * 1103515245u + 12345u;
        v = static_cast<uint16_t>(seed >> 16) | 0x07E0;
    }
    for (int size : {2, 3, 4, 7, 41}) {
        SCOPED_TRACE(size);
        CBlurFilter blur(nullptr);
        blur.setProperty("SIZE", std::to_string(size).c_str());
        auto g = makeGraphic(w, h, 16, in);
        blur.applyToGraphics(g.get(), true);
        EXPECT_EQ(pixelsOf(g.get()), blurByTheSquare(in, w, h, size));
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
    for (const char* action :
         {"COLORCHANNEL", "GRAYSCALE", "BLUR", "NEGATIVE", "ROTATE", "SCALE", "RANDOMJITTER", "WAVES"}) {
        for (bool packed : {false, true}) {
            for (bool undo : {false, true}) {
                SCOPED_TRACE(std::string(action) + (packed ? " packed" : " plain") + (undo ? " undo" : ""));
                auto filter = makeFilter(action);
                filter->setProperty("CHANNELS", "G");
                filter->setProperty("SIZE", "2");
                filter->setProperty("ANGLE", "90");
                filter->setProperty("FACTORX", "2");
                filter->setProperty("MAXJITTER", "3");
                filter->setProperty("OFFSET", "1");
                if (undo) filter->setProperty("CANUNDO", "TRUE");
                auto g = picture(packed);
                filter->link(g.get(), nullptr);
                ASSERT_EQ(g->GetCompression(), COMPRESSION_NONE);
                const std::vector<uint16_t> changed = pixelsOf(g.get());
                const CXSize changedSize = g->Size();
                const CXPoint changedAt = g->getPosition();
                // Jitter may happen to draw no move at all.
                if (std::string(action) != "RANDOMJITTER") {
                    EXPECT_NE(changed, original);
                }
                filter->unlink(g.get());
                EXPECT_EQ(filter->getTargetCount(), 0);
                // NEGATIVE works in place: only a packed original comes back.
                const bool restores = undo && (packed || std::string(action) != "NEGATIVE");
                if (restores) {
                    EXPECT_EQ(g->GetCompression(), packed ? COMPRESSION_RLE : COMPRESSION_NONE);
                    EXPECT_EQ(storedPixels(g.get()), original);
                    EXPECT_EQ(g->getPosition().x, 5);
                    EXPECT_EQ(g->Width(), 4);
                    EXPECT_EQ(g->Height(), 3);
                } else {
                    EXPECT_EQ(pixelsOf(g.get()), changed);
                    EXPECT_EQ(g->Size().cx, changedSize.cx);
                    EXPECT_EQ(g->getPosition().x, changedAt.x);
                }
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

std::vector<uint8_t> alphaOf(CGraphicsObject* g) {
    const char* a = g->AlphaChannel();
    return a ? std::vector<uint8_t>(a, a + static_cast<size_t>(g->Width()) * g->Height()) : std::vector<uint8_t>();
}

TEST(StaticFilterTest, RotateTurnsAboutTheCentreWithTheEffectsConstant) {
    // 0 degrees keeps picture, size and place.
    CRotateFilter none(nullptr);
    auto g = makeGraphic(4, 2, 16, {1, 2, 3, 4, 5, 6, 7, 8});
    g->SetPosition(10, 10);
    none.applyToGraphics(g.get(), true);
    EXPECT_EQ(pixelsOf(g.get()), (std::vector<uint16_t>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(g->getPosition().x, 10);

    // 90 degrees with the constant (a little under a right angle) and truncation.
    for (int bpp : {16, 15}) {
        CRotateFilter quarter(nullptr);
        quarter.setProperty("ANGLE", "90");
        auto r = makeGraphic(4, 2, bpp, {1, 2, 3, 4, 5, 6, 7, 8});
        r->SetPosition(10, 10);
        quarter.applyToGraphics(r.get(), true);
        ASSERT_EQ(r->Width(), 2);
        ASSERT_EQ(r->Height(), 4);
        EXPECT_EQ(pixelsOf(r.get()), (std::vector<uint16_t>{5, 1, 5, 2, 6, 7, 0, 7}));
        EXPECT_EQ(r->getPosition().x, 11);
        EXPECT_EQ(r->getPosition().y, 9);
        EXPECT_EQ(r->AlphaChannel(), nullptr);  // none before, none after
    }

    // Transparent sources stay 0; SMOOTH 1 averages fields and alpha with the
    // right, lower and lower-right neighbours, the last row and column kept.
    CRotateFilter smooth(nullptr);
    smooth.setProperty("SMOOTH", "1");
    auto a = makeGraphic(2, 2, 16, {0x001F, 0x001F, 0x07E0, 0x001F}, {255, 0, 255, 255});
    smooth.applyToGraphics(a.get(), true);
    EXPECT_EQ(pixelsOf(a.get()), (std::vector<uint16_t>{(31 * 2 / 4) | (63 / 4) << 5, 0, 0x07E0, 0x001F}));
    EXPECT_EQ(alphaOf(a.get()), (std::vector<uint8_t>{(255 * 3) / 4, 0, 255, 255}));

    // A NaN angle leaves the graphic.
    CRotateFilter nan(nullptr);
    nan.setProperty("ANGLE", "nan");
    auto n = makeGraphic(4, 2, 16, {1, 2, 3, 4, 5, 6, 7, 8});
    nan.applyToGraphics(n.get(), true);
    EXPECT_EQ(n->Width(), 4);
}

TEST(StaticFilterTest, ScaleNearestAndByCentre) {
    const uint16_t A = 0x1111, B = 0x2222, C = 0x3333, D = 0x4444;
    CScaleFilter twice(nullptr);
    twice.setProperty("FACTORX", "2");
    auto g = makeGraphic(2, 2, 16, {A, B, C, D}, {1, 2, 3, 4});
    g->SetPosition(7, 7);
    twice.applyToGraphics(g.get(), true);
    ASSERT_EQ(g->Width(), 4);
    ASSERT_EQ(g->Height(), 2);
    EXPECT_EQ(pixelsOf(g.get()), (std::vector<uint16_t>{A, A, B, B, C, C, D, D}));
    EXPECT_EQ(alphaOf(g.get()), (std::vector<uint8_t>{1, 1, 2, 2, 3, 3, 4, 4}));
    EXPECT_EQ(g->getPosition().x, 7);

    // Factor 1 keeps the picture.
    CScaleFilter same(nullptr);
    auto s = makeGraphic(2, 2, 16, {A, B, C, D});
    same.applyToGraphics(s.get(), true);
    EXPECT_EQ(pixelsOf(s.get()), (std::vector<uint16_t>{A, B, C, D}));

    // Half of 8 x 4 by the centre moves by a quarter of the size.
    CScaleFilter half(nullptr);
    half.setProperty("FACTORX", "0.5");
    half.setProperty("FACTORY", "0.5");
    half.setProperty("BYCENTER", "TRUE");
    auto b = makeGraphic(8, 4, 16, std::vector<uint16_t>(32, A));
    b->SetPosition(0, 0);
    half.applyToGraphics(b.get(), true);
    EXPECT_EQ(b->Width(), 4);
    EXPECT_EQ(b->Height(), 2);
    EXPECT_EQ(b->getPosition().x, 2);
    EXPECT_EQ(b->getPosition().y, 1);

    // Sizes below 1 or above 8192, and NaN, leave the graphic.
    for (const char* factor : {"0", "0.1", "-2", "5000", "nan"}) {
        SCOPED_TRACE(factor);
        CScaleFilter bad(nullptr);
        bad.setProperty("FACTORX", factor);
        auto k = makeGraphic(2, 2, 16, {A, B, C, D});
        bad.applyToGraphics(k.get(), true);
        EXPECT_EQ(k->Width(), 2);
        EXPECT_EQ(pixelsOf(k.get()), (std::vector<uint16_t>{A, B, C, D}));
    }
}

TEST(StaticFilterTest, ScaleResamplesThroughTheImageLibrary) {
    imagelib::start();
    // A plain colour stays within one step of each field at both depths, with
    // every filter; the alpha plane is resampled with it.
    struct Depth {
        int bpp;
        uint16_t colour;
    } depths[] = {{16, static_cast<uint16_t>(20 << 11 | 40 << 5 | 10)}, {15, static_cast<uint16_t>(20 << 10 | 25 << 5 | 10)}};
    for (const Depth& d : depths) {
        const CPixelLayout l = CPixelLayout::ofDepth(d.bpp);
        for (int smooth = 1; smooth <= 9; ++smooth) {
            SCOPED_TRACE(std::to_string(d.bpp) + " smooth " + std::to_string(smooth));
            CScaleFilter filter(nullptr);
            filter.setProperty("SMOOTH", std::to_string(smooth).c_str());
            filter.setProperty("FACTORX", "1.5");
            filter.setProperty("FACTORY", "0.5");
            auto g = makeGraphic(6, 4, d.bpp, std::vector<uint16_t>(24, d.colour), std::vector<uint8_t>(24, 200));
            filter.applyToGraphics(g.get(), true);
            ASSERT_EQ(g->Width(), 9);
            ASSERT_EQ(g->Height(), 2);
            for (uint16_t v : pixelsOf(g.get())) {
                EXPECT_LE(std::abs(l.red(v) - l.red(d.colour)), 1);
                EXPECT_LE(std::abs(l.green(v) - l.green(d.colour)), 1);
                EXPECT_LE(std::abs(l.blue(v) - l.blue(d.colour)), 1);
            }
            for (uint8_t a : alphaOf(g.get())) EXPECT_LE(std::abs(a - 200), 2);
        }
    }
    EXPECT_EQ(CScaleFilter::resamplingFilter(1), 0x2602);
    EXPECT_EQ(CScaleFilter::resamplingFilter(8), 0x2609);
    EXPECT_EQ(CScaleFilter::resamplingFilter(100), 0x2609);
}

TEST(StaticFilterTest, DisplacementEffects) {
    const std::vector<uint16_t> ramp = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    // WAVES 0, 0 and jitter of 1 or none move nothing.
    for (const char* action : {"WAVES", "RANDOMJITTER"}) {
        for (const char* amount : {"0", "1", "-4"}) {
            SCOPED_TRACE(std::string(action) + " " + amount);
            auto filter = makeFilter(action);
            filter->setProperty("AMPLITUDE", "0");
            filter->setProperty("MAXJITTER", amount);
            auto g = makeGraphic(3, 3, 16, ramp, {1, 2, 3, 4, 5, 6, 7, 8, 9});
            filter->applyToGraphics(g.get(), true);
            EXPECT_EQ(pixelsOf(g.get()), ramp);
        }
    }
    // WAVES: OFFSET moves columns, the alpha plane with them; the sine moves rows.
    CWavesFilter waves(nullptr);
    waves.setProperty("AMPLITUDE", "0");
    waves.setProperty("OFFSET", "1");
    auto g = makeGraphic(3, 3, 16, ramp, {1, 2, 3, 4, 5, 6, 7, 8, 9});
    waves.applyToGraphics(g.get(), true);
    EXPECT_EQ(pixelsOf(g.get()), (std::vector<uint16_t>{2, 3, 4, 5, 6, 7, 8, 9, 9}));
    EXPECT_EQ(alphaOf(g.get()), (std::vector<uint8_t>{2, 3, 4, 5, 6, 7, 8, 9, 9}));
    // DENSITY pi/2 with AMPLITUDE 1: column 1 takes the row below.
    CWavesFilter sine(nullptr);
    sine.setProperty("AMPLITUDE", "1");
    sine.setProperty("DENSITY", "1.5707963267948966");
    auto s = makeGraphic(3, 3, 16, ramp);
    sine.applyToGraphics(s.get(), true);
    EXPECT_EQ(pixelsOf(s.get()), (std::vector<uint16_t>{1, 5, 3, 4, 8, 6, 7, 8, 9}));

    // RANDOMJITTER 2 draws -1 .. 1 from the runtime's generator; every pixel
    // comes from a neighbour or itself.
    crt::srand(7);
    CRandomJitterFilter jitter(nullptr);
    jitter.setProperty("MAXJITTER", "3");
    auto j = makeGraphic(3, 3, 16, ramp, std::vector<uint8_t>(9, 9));
    char* alphaBefore = j->AlphaChannel();
    jitter.applyToGraphics(j.get(), true);
    EXPECT_EQ(j->AlphaChannel(), alphaBefore);
    EXPECT_NE(pixelsOf(j.get()), ramp);
    for (uint16_t v : pixelsOf(j.get())) EXPECT_TRUE(v >= 1 && v <= 9);
}

}  // namespace
