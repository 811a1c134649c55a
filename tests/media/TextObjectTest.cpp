// FONT and TEXT: definitions, methods through the interpreter, the serialised parts and
// what the screen shows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/CXArchive.h"
#include "graphics/screen/CRefreshScreen.h"
#include "graphics/screen/CValidationQuene.h"
#include "graphics/text/CFontCollection.h"
#include "graphics/text/CMultilineText6.h"
#include "media/CMC_Font.h"
#include "media/CMC_Text.h"
#include "media/CMC_Text_Runner.h"
#include "platform/Presenter.h"
#include "support/ScriptTestSupport.h"
#include "support/TempDir.h"
#include "tests/graphics/text/TextFixtures.h"

namespace {

struct TextWorld : ::testing::Test {
    test::ScriptWorld world;
    test::ScopedCurrentDirectory here{world.dir().path()};

    void writeFonts() {
        world.dir().write("std.fnt", textfix::blockFont(textfix::textLetters(), 5, 8));
        world.dir().write("bold.fnt", textfix::blockFont(textfix::textLetters(), 5, 8, true));
        world.dir().write("big.fnt", textfix::blockFont(textfix::textLetters(), 6, 12));
    }

    test::TestScene* scene(const std::vector<std::string>& more) {
        writeFonts();
        std::vector<std::string> lines = {"OBJECT=R", "R:TYPE=STRING", "OBJECT=F", "F:TYPE=FONT",
                                          "F:DEF_SANS_STANDARD_10=std.fnt", "F:DEF_SANS_BOLD_10=bold.fnt"};
        lines.insert(lines.end(), more.begin(), more.end());
        return world.loadScene("s.cnv", lines);
    }

    static std::string evaluate(CMC_ObjectsContainer* s, const std::string& statement, const std::string& expression) {
        test::runCode(s, ("R^SET(\"\");" + statement + "R^SET(" + expression + ");").c_str());
        return test::textValue(s, "R");
    }

    static CMC_Text* text(CMC_ObjectsContainer* s, const char* name) {
        return dynamic_cast<CMC_Text*>(s->getObject(CXString(name)));
    }
    static CMC_Font* font(CMC_ObjectsContainer* s, const char* name) {
        return dynamic_cast<CMC_Font*>(s->getObject(CXString(name)));
    }
};

test::Lines textLines(const char* name, const std::string& rect, const test::Lines& more = {}) {
    // The first of two equal keys answers: the extra ones go first.
    test::Lines props = more;
    test::append(props, {"FONT=F", "RECT=" + rect, "HJUSTIFY=LEFT", "VJUSTIFY=TOP", "TEXT=Hello World"});
    return test::object(name, "TEXT", props);
}

}  // namespace

TEST_F(TextWorld, FontLoadsItsDefinitionsInOrder) {
    writeFonts();
    auto* s = world.loadScene("s.cnv", {"OBJECT=R", "R:TYPE=STRING", "OBJECT=F", "F:TYPE=FONT",
                                        "F:DEF_A_N_10=std.fnt", "F:DEF_A_B_12=big.fnt", "F:DEF_A_X=none.fnt",
                                        "OBJECT=E", "E:TYPE=FONT"});
    ASSERT_NE(s, nullptr);
    CMC_Font* f = font(s, "F");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(f->getFontsList().size(), 3u);
    EXPECT_EQ(f->getFontsList()[1]->getFamily(), CXString("A"));
    EXPECT_EQ(f->getFontsList()[1]->getStyle(), CXString("B"));
    EXPECT_EQ(f->getFontsList()[1]->getSize(), 12);
    EXPECT_EQ(f->getFontsList()[2]->getLetterCount(), 0);  // a file that did not load still counts
    EXPECT_EQ(f->getFont()->getBaseFont(), f->getFontsList()[0].get());
    EXPECT_EQ(evaluate(s, "", "F^GETHEIGHT()"), "8");
    EXPECT_EQ(evaluate(s, "", "E^GETHEIGHT()"), "");  // no base font: no value
    test::runCode(s, "F^SETSTYLE(\"BOLD\"); F^SETFAMILY(\"ARIAL\"); F^SETSIZE(3); F^SETCOLOR(1, 2);");
    EXPECT_EQ(f->getFont()->getFamily(), CXString("BOLD"));
    EXPECT_EQ(f->getFont()->getStyle(), CXString("ARIAL"));
    EXPECT_EQ(f->getFont()->getSize(), 3);
    EXPECT_EQ(f->getFont()->getDefColor(), 0xFFFF);  // SETCOLOR short of arguments

    // The binary keeps the labels, not the letters.
    const std::string bytes = test::archiveBytes([&](CXArchive& ar) { f->serialize(&ar); });
    CMC_Font back(s);
    test::readArchive(bytes, [&](CXArchive& ar) { back.serialize(&ar); });
    ASSERT_EQ(back.getFontsList().size(), 3u);
    EXPECT_EQ(back.getFontsList()[1]->getStyle(), CXString("B"));
    EXPECT_EQ(back.getFontsList()[1]->getSize(), 12);
    EXPECT_EQ(back.getFontsList()[0]->getLetterCount(), 0);
    EXPECT_EQ(back.getFont()->getBaseFont(), back.getFontsList()[0].get());
    EXPECT_EQ(test::archiveBytes([&](CXArchive& ar) { back.serialize(&ar); }), bytes);
}

TEST_F(TextWorld, ColoursPackForTheScreenDepth) {
    struct Case {
        int depth;
        const char* fontWhite;
        const char* fontRed;
        const char* textGreen;
    };
    for (const Case c : {Case{15, "32767", "31744", "992"}, Case{16, "-1", "-2048", "2016"}}) {
        test::ScriptWorld depthWorld;
        test::ScopedCurrentDirectory there(depthWorld.dir().path());
        depthWorld.displaySystem().windowedDepth = c.depth;
        ASSERT_TRUE(depthWorld.enableDisplay());
        depthWorld.dir().write("std.fnt", textfix::blockFont(textfix::textLetters(), 5, 8));
        test::Lines lines = {"OBJECT=F", "F:TYPE=FONT", "F:DEF_S_STANDARD_1=std.fnt"};
        test::append(lines, textLines("T", "0,0,100,100"));
        auto* s = depthWorld.loadScene("s.cnv", lines);
        ASSERT_NE(s, nullptr);
        CMC_Font* f = font(s, "F");
        test::runCode(s, "F^SETCOLOR(255, 255, 255);");
        EXPECT_EQ(std::to_string(f->getFont()->getDefColor()), c.fontWhite);
        EXPECT_EQ(std::to_string(f->getFontsList()[0]->getDefColor()), c.fontWhite);
        test::runCode(s, "F^SETCOLOR(255, 0, 0);");
        EXPECT_EQ(std::to_string(f->getFont()->getDefColor()), c.fontRed);
        test::runCode(s, "T^SETCOLOR(0, 255, 0);");
        CMultilineText6* g = text(s, "T")->getText();
        EXPECT_EQ(std::to_string(g->getColor()), c.textGreen);
        EXPECT_EQ(g->getText(), CXString("<COLOR") + c.textGreen + ">Hello World<COLOR>");
    }
}

TEST_F(TextWorld, PlacementAndQueries) {
    test::Lines lines;
    test::append(lines, textLines("T", "10,10,110,60", {"TOCANVAS=TRUE", "PRIORITY=4"}));
    test::append(lines, textLines("U", "T"));
    test::append(lines, test::object("N", "TEXT", {"FONT=NOBODY", "TEXT=abc"}));
    auto* s = scene(lines);
    ASSERT_NE(s, nullptr);
    CMultilineText6* t = text(s, "T")->getText();
    CMultilineText6* u = text(s, "U")->getText();
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->getjustifyRect(), CXRect(10, 10, 110, 60));
    // "Hello World" is 73 wide: one line.
    EXPECT_EQ(t->getLineCount(), 1);
    EXPECT_EQ(u->getjustifyRect(), t->GetBoundingBox());
    const CXRect before = u->getjustifyRect();
    test::runCode(s, "T^MOVE(5, 5);");
    EXPECT_EQ(t->getjustifyRect(), CXRect(15, 15, 115, 65));
    EXPECT_EQ(u->getjustifyRect(), before);  // named at construction only
    test::runCode(s, "T^SETPOSITION(0, 0);");
    EXPECT_EQ(t->getjustifyRect(), CXRect(0, 0, 100, 50));
    test::runCode(s, "T^SETRECT(1, 2); T^SETRECT(1, 2, 3);");
    EXPECT_EQ(t->getjustifyRect(), CXRect(0, 0, 100, 50));
    test::runCode(s, "T^SETRECT(5, 6, 200, 100);");
    EXPECT_EQ(t->getjustifyRect(), CXRect(5, 6, 200, 100));
    test::runCode(s, "T^SETJUSTIFY(0, 0, 200, 100, \"RIGHT\", \"BOTTOM\");");
    EXPECT_EQ(t->GetPosition(), CXPoint(200 - 73, 100 - 8));
    EXPECT_EQ(evaluate(s, "", "T^GETPOSITIONX()"), std::to_string(200 - 73));
    EXPECT_EQ(evaluate(s, "", "T^GETWIDTH()"), "73");
    EXPECT_EQ(evaluate(s, "", "T^ISNEAR(0, 0, 800, 600, 100)"), "TRUE");
    EXPECT_EQ(evaluate(s, "", "T^ISNEAR(NOBODY, 50)"), "FALSE");
    test::runCode(s, "T^SETCLIPPING(10, 10, 10, 200);");
    EXPECT_TRUE(t->GetClippingRect().IsEmpty());
    EXPECT_EQ(evaluate(s, "", "T^GETNUMWORDS()"), "2");
    EXPECT_EQ(evaluate(s, "", "T^GETWORDAT(1)"), "World");
    EXPECT_EQ(evaluate(s, "", "T^GETWORDAT(9)"), "");
    EXPECT_EQ(evaluate(s, "", "T^SEARCH(\"World\", 0)"), "1");
    EXPECT_EQ(evaluate(s, "", "T^GETWORDWIDTH(9)"), "0");
    EXPECT_EQ(evaluate(s, "", "T^GETNAME()"), "T");
    test::runCode(s, "T^SETPRIORITY(9); U^SETPRIORITY(9);");
    EXPECT_EQ(world.screen() ? world.screen()->GetPriority(u) : -1, -1);
    // A FONT naming no object: a working object that draws nothing.
    CMultilineText6* n = text(s, "N")->getText();
    EXPECT_EQ(n->getFont(), nullptr);
    EXPECT_EQ(n->Width(), 0);
    test::runCode(s, "N^SETFONT(F); N^SETTEXT(\"ab\");");
    EXPECT_EQ(n->Width(), 14);
    test::runCode(s, "N^SETFONT(NOBODY); N^SETTEXT(); N^SETWORDCOLOR(1, 2);");
    EXPECT_EQ(n->getLineCount(), 0);
}

TEST_F(TextWorld, SetTextDoubleCutsAfterThePoint) {
    struct Case {
        const char* value;
        int decimals;
        const char* cut;
    };
    for (const Case c : {Case{"3.14159", 2, "3.14"}, Case{"3.14159", 0, "3."}, Case{"3.14159", -1, "3.14159"},
                         Case{"3.14159", 9, "3.14159"}, Case{"12", 2, "12"}})
        EXPECT_EQ(CMC_Text_Runner::cutDecimals(CXString(c.value), c.decimals), CXString(c.cut)) << c.value;
    auto* s = scene(textLines("T", "0,0,300,100"));
    ASSERT_NE(s, nullptr);
    test::runCode(s, "R^SET(\"3.14159\"); T^SETTEXTDOUBLE(R, 2);");
    EXPECT_EQ(test::textValue(s, "R"), "3.14");
    EXPECT_EQ(text(s, "T")->getText()->getWordAt(0), CXString("3.14"));
    test::runCode(s, "T^SETTEXTDOUBLE(\"2.5\", 0);");
    EXPECT_EQ(text(s, "T")->getText()->getWordAt(0), CXString("2."));
}

TEST_F(TextWorld, SerialisedPartKeepsTheDefinitionAndTheChangedText) {
    test::Lines lines;
    test::append(lines, textLines("T", "10,10,110,60", {"TOCANVAS=TRUE", "VISIBLE=TRUE", "PRIORITY=4"}));
    ASSERT_TRUE(world.enableDisplay());
    auto* s = scene(lines);
    ASSERT_NE(s, nullptr);
    CMC_Text* t = text(s, "T");
    test::runCode(s, "T^SETTEXT(\"Bye\"); T^SETCOLOR(255, 0, 0); T^HIDE(); T^MOVE(3, 3);");
    const std::string common = test::archiveBytes([&](CXArchive& ar) { t->CMC_Object::serialize(&ar); });
    const std::string bytes = test::archiveBytes([&](CXArchive& ar) { t->serialize(&ar); });
    const std::string part = test::archiveString("TOP") + test::archiveString("LEFT") +
                             test::archiveString("10,10,110,60") + test::le32(4) + test::archiveString("F") +
                             std::string("\x01\x00", 2) + test::archiveString("<COLOR-2048>Bye<COLOR>");
    ASSERT_EQ(bytes.substr(0, common.size()), common);
    EXPECT_EQ(bytes.substr(common.size()), part);
    auto back = std::make_unique<CMC_Text>(s);
    test::readArchive(bytes, [&](CXArchive& ar) { back->serialize(&ar); });
    ASSERT_NE(back->getText(), nullptr);
    EXPECT_EQ(back->getText()->getjustifyRect(), CXRect(10, 10, 110, 60));
    EXPECT_FALSE(back->getText()->isVisible());
    EXPECT_EQ(world.screen()->GetPriority(back->getText()), 4);
    EXPECT_EQ(back->getText()->getWordAt(0), CXString("Bye"));
    EXPECT_EQ(test::archiveBytes([&](CXArchive& ar) { back->serialize(&ar); }), bytes);
    back.reset();
    world.frame();
}

TEST_F(TextWorld, TheScreenShowsBoldAndColouredWords) {
    ASSERT_TRUE(world.enableDisplay());
    auto* s = scene(textLines("T", "10,10,300,60",
                              {"TOCANVAS=TRUE", "VISIBLE=TRUE", "TEXT=Hello <B>big World<B>!"}));
    ASSERT_NE(s, nullptr);
    world.frame();
    platform::RgbFrame frame;
    ASSERT_TRUE(platform::readPng(world.frontBufferPng("text.png"), frame));
    auto at = [&frame](int x, int y) {
        const size_t i = (static_cast<size_t>(y) * frame.width + x) * 3;
        return std::vector<int>{frame.rgb[i], frame.rgb[i + 1], frame.rgb[i + 2]};
    };
    const std::vector<int> white{255, 255, 255};
    const std::vector<int> background = at(5, 5);
    ASSERT_NE(background, white);
    // A run's last space goes when it wraps, so "Hello" (33 wide) meets "big" at 43;
    // bold glyphs have a clear middle row (14). "World" starts at 70.
    EXPECT_EQ(at(10, 13), white);
    EXPECT_EQ(at(10, 14), white);
    EXPECT_EQ(at(43, 13), white);
    EXPECT_EQ(at(43, 14), background);
    EXPECT_EQ(at(70, 13), white);
    EXPECT_EQ(at(300, 13), background);

    test::runCode(s, "T^SETWORDCOLOR(1, 255, 0, 0); T^INVALIDATE();");
    world.frame();
    ASSERT_TRUE(platform::readPng(world.frontBufferPng("red.png"), frame));
    EXPECT_EQ(at(10, 13), white);
    EXPECT_EQ(at(43, 13), white);
    const std::vector<int> red = at(70, 13);
    EXPECT_GT(red[0], 200);
    EXPECT_EQ(red[1], 0);
    EXPECT_EQ(red[2], 0);
}

TEST_F(TextWorld, LoadWordPlacesOpacityClippingAndDrawOnto) {
    ASSERT_TRUE(world.enableDisplay());
    world.dir().write("lines.txt", "one two\r\nthree|\r\nfour\r\n");
    test::Lines lines;
    test::append(lines, textLines("T", "10,10,300,60", {"TOCANVAS=TRUE", "VISIBLE=TRUE"}));
    test::append(lines, test::object("C", "CANVAS", {"WIDTH=120", "HEIGHT=40", "PRIORITY=1"}));
    auto* s = scene(lines);
    ASSERT_NE(s, nullptr);
    CMultilineText6* t = text(s, "T")->getText();
    // Word places are those of the last drawing, in screen coordinates; a word starts
    // at the space before it. "Hello" is 33 wide, so "World" starts at 43. A word's
    // position adds the text's position once more; its y is its line's top plus the
    // text's y.
    struct Row {
        const char* statement;
        const char* expression;
        const char* expected;
    };
    const Row rows[] = {
        {"", "T^GETWORDPOSX(1)", "53"},
        {"", "T^GETWORDPOSY(1)", "20"},
        {"", "T^GETWORDPOSX(2)", "-1"},
        {"", "T^GETWORDPOSY(2)", "-1"},
        {"", "T^GETWORDATXY(52, 12)", "1"},
        {"", "T^GETWORDATXY(20, 12)", "0"},
        {"", "T^GETWORDATXY(52, 40)", "-1"},
        {"", "T^GETWORDATXY(120, 12)", "-1"},
        // The file's line feeds vanish: its lines run together except at "|".
        {"T^LOAD(\"lines.txt\");", "T^GETNUMWORDS()", "3"},
        {"", "T^GETWORDAT(1)", "twothree"},
        {"", "T^GETWORDAT(2)", "four"},
        {"T^INVALIDATE();", "T^GETWORDPOSX(2)", "20"},
        {"", "T^GETWORDPOSY(2)", "24"},       // the second line lies 8 - 4 lower
        {"", "T^GETWORDATXY(12, 16)", "2"},   // the lines' overlap: the lower line answers
        {"", "T^GETWORDATXY(12, 12)", "0"},
        {"T^LOAD(\"missing.txt\");", "T^GETNUMWORDS()", "0"},
    };
    for (const Row& row : rows) {
        test::runCode(s, row.statement);
        world.frame();
        EXPECT_EQ(evaluate(s, "", row.expression), row.expected) << row.expression;
    }

    test::runCode(s, "T^SETOPACITY(300);");
    EXPECT_EQ(t->GetOpacity(), 300 & 0xFF);
    test::runCode(s, "T^SETOPACITY(255);C^SETPOSITION(150, 100);T^SETCLIPPING(\"C\");");
    EXPECT_EQ(t->GetClippingRect(), CXRect(150, 100, 270, 140));
    test::runCode(s, "T^SETCLIPPING(\"NOBODY\");");
    EXPECT_EQ(t->GetClippingRect(), CXRect(150, 100, 270, 140));
    test::runCode(s, "T^CLEARCLIPPING();");
    EXPECT_EQ(t->GetClippingRect(), CXRect(0, 0, 0, 0));

    // Clipped in its own coordinates to the first 20 pixels: the rest of the line is gone.
    test::runCode(s, "T^SETTEXT(\"Hello World\");T^SETCLIPPING(0, 0, 20, 8);");
    world.frame();
    platform::RgbFrame frame;
    auto ink = [&frame](int left, int right) {
        int n = 0;
        for (int y = 10; y < 18; ++y)
            for (int x = left; x < right; ++x) {
                const size_t i = (static_cast<size_t>(y) * frame.width + x) * 3;
                n += frame.rgb[i] == 255 && frame.rgb[i + 1] == 255 && frame.rgb[i + 2] == 255;
            }
        return n;
    };
    ASSERT_TRUE(platform::readPng(world.frontBufferPng("clip.png"), frame));
    EXPECT_GT(ink(10, 30), 0);
    EXPECT_EQ(ink(30, 90), 0);
    test::runCode(s, "T^CLEARCLIPPING();T^INVALIDATE();");
    world.frame();
    ASSERT_TRUE(platform::readPng(world.frontBufferPng("whole.png"), frame));
    EXPECT_GT(ink(50, 83), 0);

    // DRAWONTO makes the text a child drawn into the canvas; the second argument changes nothing.
    CGraphicsObject* canvas = s->getGraphicsObject(CXString("C"));
    ASSERT_NE(canvas, nullptr);
    test::runCode(s, "T^DRAWONTO(\"NOBODY\");T^DRAWONTO(\"C\", 5);");
    ASSERT_NE(canvas->getChildren(), nullptr);
    EXPECT_NE(canvas->getChildren()->find(t), nullptr);
    EXPECT_GE(world.screen()->GetPriority(t), 0);  // still on the screen
    // SETPRIORITY acts on a text in the drawing queue whatever its priority there.
    test::runCode(s, "T^SETPRIORITY(-1);T^SETPRIORITY(6);");
    EXPECT_EQ(world.screen()->GetPriority(t), 6);
}
