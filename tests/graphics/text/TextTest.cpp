#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "graphics/core/CGraphicsUnit.h"
#include "graphics/text/CFontCollection.h"
#include "graphics/input/CEditBox6.h"
#include "graphics/text/CMultilineText6.h"
#include "graphics/text/CText6.h"
#include "graphics/text/CTextFormatCode.h"
#include "support/TempDir.h"
#include "tests/graphics/text/TextFixtures.h"

using textfix::loadFont;
using textfix::pixel;

namespace {

// A STANDARD and a BOLD font of one family and size: 5-pixel glyphs (advance 7),
// space 4 (advance 6), height 8; bold glyphs have a hole in row 4.
struct Fonts {
    std::shared_ptr<CSimpleFont6> plain = loadFont(textfix::blockFont(textfix::textLetters(), 5, 8), "Sans");
    std::shared_ptr<CSimpleFont6> bold =
        loadFont(textfix::blockFont(textfix::textLetters(), 5, 8, true), "Sans", "BOLD");
    std::shared_ptr<CFontCollection> collection = std::make_shared<CFontCollection>(nullptr);
    Fonts() {
        collection->addFont(plain);
        collection->addFont(bold);
    }
};

// The codes as text: T(run) S(style,text) C(colour) B E(width,name,text) and tab as H.
struct CodeText : CText6 {
    using CText6::CText6;
    std::string describe(const Fonts& f) const {
        std::string out;
        for (const CTextFormatCode& c : getCodes()) {
            switch (c.getMode()) {
            case CTextFormatCode::kText: out += "T(" + std::string(c.getText().c_str()) + ")"; break;
            case CTextFormatCode::kStyle:
                out += std::string("S(") + (c.getFont() == f.bold.get() ? "BOLD" : "STANDARD") + "," +
                       c.getText().c_str() + ")";
                break;
            case CTextFormatCode::kColor: out += "C(" + std::to_string(c.getColor()) + ")"; break;
            case CTextFormatCode::kBreak: out += "B"; break;
            case CTextFormatCode::kTab: out += "H"; break;
            case CTextFormatCode::kEditBox:
                out += "E(" + std::to_string(c.getWidth()) + "," + c.getName().c_str() + "," + c.getText().c_str() + ")";
                break;
            }
        }
        return out;
    }
};

struct RecordingUnit : CGraphicsUnit {
    bool isActive() override { return true; }
    bool wasInitiallyUpdated() override { return true; }
    void onTimer(intptr_t) override {}
    bool onInitialUpdate() override { return true; }
    void onCanvasRefreshed() override {}
    CEditBox6* addEditBox(std::shared_ptr<CSimpleFont6> font, CXRect rect, int priority, CXString text) override {
        auto* box = new CEditBox6(nullptr, this, font, rect, priority, text);
        added.push_back({font.get(), rect, text.c_str(), box});
        return box;
    }
    void removeEditBox(CEditBox6* box) override { removed.push_back(box); }
    void activateEditBox(CEditBox6*) override {}
    bool onStartDragging(CGraphicsObject*, CXPoint, CControl*) override { return false; }
    bool isDragging() override { return false; }
    void setRetCode(int) override {}
    struct Added {
        CSimpleFont6* font;
        CXRect rect;
        std::string text;
        CEditBox6* box;
    };
    std::vector<Added> added;
    std::vector<CEditBox6*> removed;
};

}  // namespace

TEST(CTextFormatCode, ParsesTheInlineCodes) {
    Fonts f;
    struct Case {
        const char* text;
        const char* codes;
    };
    const Case cases[] = {
        {"Hello <B>World<B>!", "T(Hello )S(BOLD,<B>)T(World)S(STANDARD,<B>)T(!)"},
        {"<b>x", "S(BOLD,<b>)T(x)"},
        {"<bold>", "T(bold>)"},
        {"a|b", "T(a)BT(b)"},
        {"a\r\nb", "T(a)BT(b)"},
        {"a<b<B>c", "T(a<b)S(BOLD,<B>)T(c)"},
        {"x<y", "T(x<y)"},
        {"z<COLOR31>", "T(z)C(31)"},
        {"z<COLOR255,0,0>x<COLOR>", "T(z)C(-2048)T(x)C(0)"},
        {"z<COLOR255,255>", "T(z)C(-32)"},
        {"z<COLOR1,2>", "T(z)C(0)"},  // blue missing: 0
        {"<I>x<U>y", "T(x)T(y)"},      // no ITALIC or UNDERLINE font: no code
        {"<E,40,name,init>", "E(40,name,init)"},
        {"<E,40>", "E(40,,)"},
        {"a\tb", "T(a        b)"},  // tabs are spaces before parsing
    };
    for (const Case& c : cases) {
        CodeText text(nullptr, false, nullptr);
        text.setFont(f.collection);
        text.setColor(0);  // no colour wrapping, to see the codes alone
        text.setText(CXString(c.text));
        EXPECT_EQ(text.describe(f), c.codes) << c.text;
    }
    EXPECT_EQ(CTextFormatCode(15, CTextFormatCode::kColor, CXString("255,0,0")).getColor(), 0x7C00);
    EXPECT_EQ(CTextFormatCode(16, CTextFormatCode::kColor, CXString("255,0,0")).getColor(), -2048);
    EXPECT_EQ(CTextFormatCode(15, CTextFormatCode::kColor, CXString("255,255")).getColor(), 32736);
    EXPECT_EQ(CTextFormatCode(15, CTextFormatCode::kColor, CXString("31")).getColor(), 31);
}

TEST(CText6, ColourWrappingAndTabs) {
    Fonts f;
    EXPECT_EQ(CText6::convTab(CXString("a\tb")), CXString("a        b"));
    CText6 text(nullptr, false, nullptr);
    EXPECT_EQ(text.getColoruredText(CXString("abc"), 65535), CXString("<COLOR65535>abc<COLOR>"));
    EXPECT_EQ(text.getColoruredText(CXString("abc"), 0), CXString("abc"));
    EXPECT_EQ(text.getColoruredText(CXString("<COLOR5>abc<COLOR>"), 7), CXString("<COLOR7>abc<COLOR>"));
    text.setFont(f.collection);
    text.setText(CXString("a\tb"));
    EXPECT_EQ(text.getText(), CXString("<COLOR65535>a        b<COLOR>"));
    // A single font takes no colour code: four 5-pixel letters are 28 wide.
    CText6 single(nullptr, false, nullptr);
    single.setFont(f.plain);
    single.setText(CXString("abcd"));
    single.setColor(0x1234);
    EXPECT_EQ(single.getText(), CXString("abcd"));
    EXPECT_EQ(single.getLength(), 28);
    EXPECT_EQ(single.Width(), 28);
    // No font, or a collection without a base font: nothing parsed, nothing measured.
    CText6 none(nullptr, false, nullptr);
    none.setText(CXString("a<B>b"));
    EXPECT_EQ(none.getLength(), 0);
    EXPECT_TRUE(none.getCodes().empty());
    none.setFont(std::make_shared<CFontCollection>(nullptr));
    EXPECT_TRUE(none.getCodes().empty());
    none.Redraw();
}

TEST(CText6, JustifiesInItsRectangle) {
    Fonts f;
    CText6 text(nullptr, false, nullptr);
    text.setFont(f.plain);
    text.setText(CXString("aallllll"));  // 2 x 7 + 6 x 6 = 50
    ASSERT_EQ(text.Width(), 50);
    text.setJustify(CXRect(10, 20, 111, 40), JUSTIFY_CENTER, JUSTIFY_BOTTOM);
    EXPECT_EQ(text.GetPosition(), CXPoint(35, 32));
    text.setJustify(CXRect(10, 20, 11, 40), JUSTIFY_CENTER, JUSTIFY_CENTER);  // (1 - 50) / 2 = -24
    EXPECT_EQ(text.GetPosition(), CXPoint(-14, 26));
    text.setJustify(CXRect(10, 20, 110, 40), JUSTIFY_RIGHT, JUSTIFY_TOP);
    EXPECT_EQ(text.GetPosition(), CXPoint(60, 20));
    text.setJustify(CXRect(10, 20, 110, 40), JUSTIFY_TOP, JUSTIFY_LEFT);  // words of the other axis leave it
    EXPECT_EQ(text.GetPosition(), CXPoint(60, 20));
    text.Move(5, 1);
    EXPECT_EQ(text.getjustifyRect(), CXRect(15, 21, 115, 41));
    // Rectangles at the ends of the range place the text without overflow; far off any
    // screen nothing is drawn.
    const CXRect huge(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX);
    text.setJustify(huge, JUSTIFY_CENTER, JUSTIFY_CENTER);
    EXPECT_EQ(text.GetPosition(), CXPoint(-26, -5));
    text.setJustify(huge, JUSTIFY_RIGHT, JUSTIFY_BOTTOM);
    EXPECT_EQ(text.GetPosition(), CXPoint(INT32_MAX - 50, INT32_MAX - 8));
    text.Redraw();
    CMultilineText6 boxes(nullptr, false, nullptr);
    boxes.setJustify(CXRect(INT32_MAX - 10, INT32_MAX - 10, INT32_MAX, INT32_MAX), JUSTIFY_LEFT, JUSTIFY_TOP);
    boxes.setFont(f.collection);
    boxes.setText(CXString("a b <E,40,n>|c d e f g h"));
    boxes.Redraw();
    CText6 loose(nullptr, false, nullptr);
    loose.SetPosition(3, 4);
    loose.Move(2, 2);
    EXPECT_EQ(loose.GetPosition(), CXPoint(5, 6));
}

TEST(CText6, DrawsLetterByLetterInsideItsClipping) {
    Fonts f;
    CGraphicsObject dst(nullptr, CXSize(40, 8), 16);
    CText6 text(nullptr, false, nullptr);
    text.setFont(f.collection);
    text.setText(CXString("abc"));
    text.SetDestiny(&dst);
    text.SetClippingRect(CXRect(14, 0, 21, 8));  // only "c" (14..18)
    text.Redraw();
    for (int x = 0; x < 40; ++x) EXPECT_EQ(pixel(dst, x, 0), x >= 14 && x <= 18 ? 0xFFFF : 0) << x;
    // Part of a letter: "b" cut to its last two columns.
    CGraphicsObject dst2(nullptr, CXSize(40, 8), 16);
    text.SetDestiny(&dst2);
    text.SetClippingRect(CXRect(10, 0, 12, 8));
    text.Redraw();
    for (int x = 0; x < 40; ++x) EXPECT_EQ(pixel(dst2, x, 0), x >= 10 && x <= 11 ? 0xFFFF : 0) << x;
    EXPECT_EQ(f.plain->GetClippingRect(), CXRect(0, 0, 0, 0));
}

TEST(CText6, WordsFollowTheDrawing) {
    Fonts f;
    CGraphicsObject dst(nullptr, CXSize(80, 8), 16);
    CText6 text(nullptr, false, nullptr);
    text.setFont(f.collection);
    text.setText(CXString("a b<B>c"));
    EXPECT_EQ(text.count_words(), 3);
    EXPECT_EQ(text.getWordAt(0), CXString("a"));
    EXPECT_EQ(text.getWordAt(1), CXString("b"));
    EXPECT_EQ(text.getWordAt(2), CXString("c"));
    EXPECT_EQ(text.getWordAt(3), CXString(""));
    // Undrawn records are empty.
    EXPECT_EQ(text.getWordAtXY(CXPoint(0, 0)), -1);
    EXPECT_EQ(text.getWordWidth(5), 0);
    EXPECT_EQ(text.getWordPosition(-1), CXPoint(-1, -1));

    text.setText(CXString("ab cd ab"));
    text.SetDestiny(&dst);
    text.setWordColor(1, 0x0F0F);
    text.Redraw();
    // "ab" 0..13, the space and "cd" 14..33 in the word's colour, then "ab" again white.
    EXPECT_EQ(pixel(dst, 0, 0), 0xFFFF);
    EXPECT_EQ(pixel(dst, 20, 0), 0x0F0F);
    EXPECT_EQ(pixel(dst, 27, 0), 0x0F0F);
    EXPECT_EQ(pixel(dst, 40, 0), 0xFFFF);
    EXPECT_EQ(text.getWordAtXY(CXPoint(3, 100)), 0);
    EXPECT_EQ(text.getWordAtXY(CXPoint(22, 0)), 1);
    EXPECT_EQ(text.getWordAtXY(CXPoint(-1, 0)), -1);
    EXPECT_EQ(text.getWordAtXY(CXPoint(60, 0)), -1);
    EXPECT_EQ(text.getWordWidth(0), 13);
    EXPECT_EQ(text.search(CXString("ab"), 0), 0);
    EXPECT_EQ(text.search(CXString("ab"), 1), 2);
    EXPECT_EQ(text.search(CXString("zz"), 0), -1);
    // The font's colour is put back after drawing.
    EXPECT_EQ(f.plain->getColor(), f.collection->getColor());
}

TEST(CMultilineText6, WrapsWithBothFontKinds) {
    Fonts f;
    for (bool collection : {false, true}) {
        CMultilineText6 text(nullptr, false, nullptr);
        text.setJustify(CXRect(0, 0, 50, 100), JUSTIFY_LEFT, JUSTIFY_TOP);
        if (collection)
            text.setFont(f.collection);
        else
            text.setFont(f.plain);
        text.setText(CXString("aaa&NBSP;bbb ccc"));
        ASSERT_EQ(text.getLineCount(), 2) << collection;
        EXPECT_EQ(text.getLine(0)->getLength(), 48);
        EXPECT_EQ(text.getLine(1)->getLength(), 21);
        EXPECT_EQ(text.Width(), 48);
        EXPECT_EQ(text.Height(), 8 + 8 - 2);
        if (!collection) {
            EXPECT_EQ(text.getLine(0)->getText(), CXString("aaa bbb"));
            EXPECT_EQ(text.getLine(1)->getText(), CXString("ccc"));
        } else {
            EXPECT_EQ(text.getNumWords(), 3);
            EXPECT_EQ(text.getWordAt(2), CXString("ccc"));
        }
    }
    // A first word wider than the rectangle: an empty line before it.
    CMultilineText6 narrow(nullptr, false, nullptr);
    narrow.setJustify(CXRect(0, 0, 10, 100), JUSTIFY_LEFT, JUSTIFY_TOP);
    narrow.setFont(f.plain);
    narrow.setText(CXString("aaaa bb"));
    ASSERT_EQ(narrow.getLineCount(), 3);
    EXPECT_EQ(narrow.getLine(0)->getText(), CXString(""));
    EXPECT_EQ(narrow.getLine(1)->getText(), CXString("aaaa"));
}

TEST(CMultilineText6, BreaksStylesAndLineSpacing) {
    Fonts f;
    CMultilineText6 text(nullptr, false, nullptr);
    text.setJustify(CXRect(0, 0, 100, 100), JUSTIFY_LEFT, JUSTIFY_TOP);
    text.setFont(f.collection);
    text.setText(CXString("A|B"));
    ASSERT_EQ(text.getLineCount(), 3);
    EXPECT_EQ(text.getLine(1), nullptr);
    EXPECT_EQ(text.getHeight(), 2 * 8 - 4);
    text.Redraw();
    EXPECT_EQ(text.getLine(2)->GetPosition().y - text.getLine(0)->GetPosition().y, 8 - 4);

    text.setJustify(CXRect(0, 0, 30, 100), JUSTIFY_LEFT, JUSTIFY_TOP);
    text.setText(CXString("<B>aaa bbb<B>"));
    ASSERT_EQ(text.getLineCount(), 2);
    const auto& codes = text.getLine(1)->getCodes();
    ASSERT_GE(codes.size(), 3u);
    EXPECT_EQ(codes[1].getMode(), CTextFormatCode::kStyle);
    EXPECT_EQ(codes[1].getFont(), f.bold.get());
    EXPECT_EQ(codes[2].getText(), CXString("bbb"));

    // Words over lines: the overlap answers from the lower line.
    text.setText(CXString("aaa bbb"));
    text.Redraw();
    EXPECT_EQ(text.getNumWords(), 2);
    EXPECT_EQ(text.getWordAtXY(CXPoint(2, 6)), 1);
    EXPECT_EQ(text.getWordAtXY(CXPoint(2, 1)), 0);
    EXPECT_EQ(text.search(CXString("bbb"), 0), 1);
    EXPECT_EQ(text.getWordPosition(1).y, 4);
    EXPECT_EQ(text.getWordWidth(7), 0);
    EXPECT_EQ(text.getWordAt(7), CXString(""));
    // A new font measures the new split.
    text.setFont(f.plain);
    EXPECT_EQ(text.getLineCount(), 2);
    EXPECT_EQ(text.Width(), 21);
}

TEST(CMultilineText6, EditBoxesGoThroughTheUnit) {
    Fonts f;
    RecordingUnit unit;
    {
        CMultilineText6 text(nullptr, false, &unit);
        text.setJustify(CXRect(10, 20, 200, 100), JUSTIFY_LEFT, JUSTIFY_TOP);
        text.setFont(f.collection);
        text.setText(CXString("x<E,40,name,init>y"));
        ASSERT_EQ(unit.added.size(), 1u);
        EXPECT_EQ(unit.added[0].rect, CXRect(10 + 7 + 4, 20, 10 + 7 + 4 + 40, 28));
        EXPECT_EQ(unit.added[0].text, "init");
        ASSERT_EQ(text.getLineCount(), 1);
        const std::string line = text.getLine(0)->getText().c_str();
        EXPECT_NE(line.find("x ____y"), std::string::npos) << line;
        EXPECT_EQ(text.getEditBoxes().size(), 1u);
    }
    ASSERT_EQ(unit.removed.size(), 1u);
    EXPECT_EQ(unit.removed[0], unit.added[0].box);
    // A box wider than any screen is held to the cap, and its placeholder with it.
    {
        CMultilineText6 wide(nullptr, false, &unit);
        wide.setJustify(CXRect(0, 0, 100000, 100), JUSTIFY_LEFT, JUSTIFY_TOP);
        wide.setFont(f.collection);
        wide.setText(CXString("<E,2000000000,n>"));
        ASSERT_EQ(unit.added.size(), 2u);
        EXPECT_EQ(unit.added[1].rect.Width(), CTextFormatCode::kMaxEditBoxWidth);
    }
    // Without a unit no box is made.
    CMultilineText6 alone(nullptr, false, nullptr);
    alone.setFont(f.collection);
    alone.setText(CXString("x<E,40,name,init>y"));
    EXPECT_TRUE(alone.getEditBoxes().empty());
}

TEST(CMultilineText6, LoadTakesTheFilesLinesWithAnExtraLineFeedEach) {
    Fonts f;
    test::TempDir dir;
    dir.write("two.txt", "ab\ncd|\nef");
    dir.write("end.txt", "ab\n");
    struct Case {
        const char* file;
        const char* text;
        int words;
    };
    // The parser drops line feeds: lines run together except at "|".
    const Case cases[] = {
        {"two.txt", "ab\n\ncd|\n\nef\n", 2},
        {"end.txt", "ab\n\n\n", 1},  // the read at the end gives one more empty line
        {"missing.txt", "", 0},
    };
    for (const Case& c : cases) {
        CMultilineText6 text(nullptr, false, nullptr);
        text.setJustify(CXRect(0, 0, 100, 100), JUSTIFY_LEFT, JUSTIFY_TOP);
        text.setFont(f.collection);
        text.setText(CXString("old words"));
        EXPECT_EQ(text.Load(CXString(dir.engine(c.file).c_str())), 0) << c.file;
        EXPECT_EQ(text.getText(), CXString(c.text)) << c.file;
        EXPECT_EQ(text.getNumWords(), c.words) << c.file;
    }
}
