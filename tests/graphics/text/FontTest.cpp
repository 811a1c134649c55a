#include <gtest/gtest.h>

#include <cstring>

#include "foundation/CFile.h"
#include "graphics/play/CAnimo.h"
#include "graphics/text/CFont5.h"
#include "graphics/text/CFontCollection.h"
#include "graphics/text/CSimpleFont6.h"
#include "graphics/text/CText6.h"
#include "support/TempDir.h"
#include "tests/graphics/text/TextFixtures.h"

using textfix::loadFont;
using textfix::pixel;

TEST(CSimpleFont6, MeasuresTheTwoLetterFont) {
    auto font = loadFont(textfix::fontAL());
    ASSERT_EQ(font->getLetterCount(), 2);
    EXPECT_EQ(CText6::getLength(font.get(), CXString("A<")), 6);
    EXPECT_EQ(CText6::getLength(font.get(), CXString("A@")), 6);  // @ is looked up as <
    EXPECT_EQ(CText6::getLength(font.get(), CXString("AA")), 5);  // kerning (A, A) is 1
    EXPECT_EQ(CText6::getLength(font.get(), CXString(" ")), 2);   // no "l": a space is 0 wide
    EXPECT_EQ(CText6::getLength(font.get(), CXString("~")), 3);
    EXPECT_EQ(font->getRealLetterWidth('x'), 0);
    EXPECT_EQ(font->getKerning('A', 'A'), 1);
}

TEST(CSimpleFont6, DrawsOneGlyphOfTheStripAndKeepsItsClipping) {
    auto font = loadFont(textfix::fontAL());
    CGraphicsObject dst(nullptr, CXSize(20, 1), 16);
    font->SetDestiny(&dst);
    font->setColor(0x1234);
    EXPECT_EQ(font->drawLetter(13, 0, 0, '<'), 3);
    EXPECT_EQ(font->GetPosition(), CXPoint(10, 0));
    EXPECT_EQ(font->GetClippingRect(), CXRect(0, 0, 0, 0));
    for (int x = 0; x < 20; ++x) EXPECT_EQ(pixel(dst, x, 0), x == 13 ? 0x1234 : 0) << x;
    // A kept clipping rectangle in glyph coordinates cuts the glyph away and survives.
    font->SetClippingRect('A', CXRect(5, 0, 6, 1));
    const CXRect kept = font->GetClippingRect();
    EXPECT_EQ(kept, CXRect(5, 0, 6, 1));
    font->drawLetter(2, 0, 0, 'A');
    EXPECT_EQ(pixel(dst, 2, 0), 0);
    EXPECT_EQ(font->GetClippingRect(), kept);
    // Without a glyph nothing is drawn and the advance is 2.
    EXPECT_EQ(font->drawLetter(0, 0, 0, 'Q'), 2);
}

TEST(CSimpleFont6, CopiesDrawTheSameGlyphsAfterTheSourceIsGone) {
    auto source = std::make_unique<CSimpleFont6>(*loadFont(textfix::fontAL()));
    source->setColor(0x0F0F);
    CSimpleFont6 copy(*source);
    source.reset();
    CGraphicsObject dst(nullptr, CXSize(20, 1), 16);
    copy.SetDestiny(&dst);
    EXPECT_EQ(copy.drawLetter(13, 0, 0, '<'), 3);
    EXPECT_EQ(pixel(dst, 13, 0), 0x0F0F);
}

TEST(CSimpleFont6, BadFilesLeaveTheFontEmpty) {
    const std::string good = textfix::fontAL();
    for (size_t n = 0; n < good.size(); ++n) {
        std::string part = good.substr(0, n);
        auto font = loadFont(part);
        EXPECT_NE(font->LastError(), 0) << n;
        EXPECT_EQ(font->getLetterCount(), 0) << n;
        EXPECT_EQ(font->getLetterWidth(0, 'A'), 0) << n;
    }
    struct Case {
        int offset;
        int32_t value;
    };
    for (const Case c : {Case{16, 0}, Case{16, 257}, Case{16, -1}, Case{4, -4}, Case{4, 65536}, Case{8, 70000},
                         Case{16, 3}, Case{4, 0x7FFFFFFF}}) {
        std::string bad = good;
        for (int i = 0; i < 4; ++i) bad[static_cast<size_t>(c.offset + i)] = static_cast<char>(c.value >> (8 * i));
        auto font = loadFont(bad);
        EXPECT_NE(font->LastError(), 0) << c.offset << " " << c.value;
        EXPECT_EQ(font->getLetterCount(), 0);
    }
    // Offsets past the cell are clamped: ink stays in the glyph's own cell.
    std::string wide = good;
    wide[26] = 100;  // left offset of "A"
    auto font = loadFont(wide);
    ASSERT_EQ(font->LastError(), 0);
    EXPECT_EQ(font->getRealLetterWidth('A'), 0);
    EXPECT_EQ(font->getRealLetterWidth('<'), 1);
    // A file that does not open is the images' error.
    test::TempDir dir;
    CSimpleFont6 missing(nullptr, CXString(dir.native("none.fnt").c_str()));
    EXPECT_EQ(missing.LastError(), CFile::kErrorNotFound);
}

namespace {

// A 5 x 5 frame with a 3-wide bar in the row (columns 1 to 3), and its border of
// `border` (cleared by create).
CGraphicsObject barFrame(int row, int size = 5) {
    CGraphicsObject g(nullptr, CXSize(size, size), 16);
    auto* alpha = new char[static_cast<size_t>(size) * size]();
    for (int x = 1; x <= 3; ++x) alpha[row * size + x] = static_cast<char>(0xFF);
    alpha[0] = static_cast<char>(0xFF);  // a border pixel, cleared
    g.AlphaChannel(alpha);
    g.GetChannelSize(3) = size * size;
    return g;
}

void addBar(CAnimo& a, int row, int size = 5) {
    CGraphicsObject g = barFrame(row, size);
    a.AddFrame(&g);
}

}  // namespace

TEST(CSimpleFont6, CreateBuildsOffsetsAndKerningAndReadsBackEqual) {
    test::TempDir dir;
    CAnimo animation(nullptr);
    addBar(animation, 1);
    addBar(animation, 3);
    addBar(animation, 2);
    addBar(animation, 1, 7);  // larger than a cell: cut
    addBar(animation, 1);     // not named by the event: letter 0
    _annEventInfo3 event;
    event.name = "LETTERS";
    event.frames = {0, 1, 2, 3};
    animation.AddEvent(event);
    const char* names[] = {"a", "b", "c", "d"};
    for (int i = 0; i < 4; ++i) {
        _anmFrameInfo3* info = animation.GetOrAddFrameInfo(0, i);
        info->hasName = true;
        info->name = names[i];
    }
    CSimpleFont6 font(nullptr);
    const std::string path = dir.native("bars.fnt");
    ASSERT_TRUE(font.create(&animation, CXString(path.c_str())));
    ASSERT_EQ(font.getLetterCount(), 5);
    EXPECT_EQ(font.Width(), 25);
    EXPECT_EQ(font.Height(), 5);
    const CSimpleFont6::Tables* t = font.tables();
    EXPECT_EQ(std::string(t->letters.data(), 5), std::string("abcd\0", 5));
    EXPECT_EQ(t->left[0], 1);
    EXPECT_EQ(t->right[0], 1);
    EXPECT_EQ(font.getKerning('a', 'a'), 1);   // row 1 after row 1
    EXPECT_EQ(font.getKerning('a', 'b'), -2);  // row 3 after row 1
    EXPECT_EQ(font.getKerning('a', 'c'), 0);   // row 2 after row 1
    EXPECT_EQ(font.getKerning('a', 'd'), 1);   // the cut frame is a row-1 bar
    EXPECT_EQ(font.getLetterWidth('a', 'b'), 3 + 2);

    CSimpleFont6 back(nullptr, CXString(path.c_str()));
    ASSERT_EQ(back.LastError(), 0);
    EXPECT_EQ(back.tables()->letters, t->letters);
    EXPECT_EQ(back.tables()->kerning, t->kerning);
    EXPECT_EQ(back.tables()->left, t->left);
    EXPECT_EQ(back.tables()->right, t->right);
    EXPECT_EQ(std::memcmp(back.AlphaChannel(), font.AlphaChannel(), 25 * 5), 0);
    EXPECT_EQ(back.AlphaChannel()[0], 0);  // the border was cleared
    EXPECT_EQ(back.findLetter(0), -1);     // letter 0 is never found
}

TEST(CFontCollection, FindsByFamilyStyleAndSizeAndDrawsWithItsBase) {
    CFontCollection collection(nullptr);
    EXPECT_EQ(collection.getLetterWidth(0, 'a'), 0);
    EXPECT_EQ(collection.Height(), 0);
    auto plain = loadFont(textfix::blockFont("ab", 5, 8), "Sans", "STANDARD", 10);
    auto bold = loadFont(textfix::blockFont("ab", 6, 9), "Sans", "BOLD", 10);
    collection.addFont(plain);
    collection.addFont(bold);
    collection.addFont(plain);
    EXPECT_EQ(collection.getFonts().size(), 2u);
    EXPECT_EQ(collection.getBaseFont(), plain.get());
    EXPECT_EQ(collection.get(CXString("sans"), CXString("bold"), 10), bold.get());
    EXPECT_EQ(collection.get(CXString("Sans"), CXString("BOLD"), 12), nullptr);
    EXPECT_EQ(collection.getLetterWidth(0, 'a'), 5);
    EXPECT_EQ(collection.Height(), 8);
    collection.setColor(0x0123);
    EXPECT_EQ(plain->getColor(), 0x0123);
    EXPECT_EQ(pixel(*bold, 0, 0), 0x0123);
}

TEST(CFont5, ReadsItsAlphabetFromTheFirstEvent) {
    test::TempDir dir;
    CAnimo animation(nullptr);
    addBar(animation, 1);
    addBar(animation, 2, 7);
    addBar(animation, 3);
    _annEventInfo3 event;
    event.name = "E";
    event.frames = {0, 1};
    animation.AddEvent(event);
    for (int i = 0; i < 2; ++i) {
        _anmFrameInfo3* info = animation.GetOrAddFrameInfo(0, i);
        info->hasName = true;
        info->name = i == 0 ? "A" : "b";
    }
    const std::string path = dir.native("font5.ann");
    animation.Save(CXString(path.c_str()), COMPRESSION_NONE);
    CFont5 font(nullptr);
    ASSERT_TRUE(font.load(CXString(path.c_str())));
    EXPECT_EQ(font.getAlphabet(), CXString("Ab"));  // the alphabet ends with the event
    EXPECT_EQ(font.getLetterWidth('b'), 7);
    EXPECT_EQ(font.getAlphabetHeight(), 7);
    EXPECT_EQ(font.getLengthInPixels(CXString("A A"), 2), 3 * 5 + 4);
    EXPECT_EQ(font.getLengthInPixels(CXString("z"), 2), 2);
    CGraphicsObject dst(nullptr, CXSize(10, 10), 16);
    font.setDestiny(&dst);
    EXPECT_EQ(font.drawLetter(0, 0, 'z'), 0);
    EXPECT_EQ(font.drawLetter(0, 0, 'A'), 5);
    EXPECT_FALSE(font.load(CXString(dir.native("none.ann").c_str())));
}
