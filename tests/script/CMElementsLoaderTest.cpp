#include "script/CMElementsLoader.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/CTextCoder.h"
#include "foundation/CTextFileReader.h"
#include "script/CMElement.h"
#include "shell/CCommandLine6.h"
#include "shell/CWindow.h"
#include "support/TempDir.h"

namespace {

// One line per element: NAME{KEY=VALUE;...}[CHILD,...], in list order.
std::string dump(CMElements* list) {
    if (!list) return "<null>";
    std::string out;
    for (int i = 0; i < list->getCount(); ++i) {
        CMElement* e = list->getAt(i);
        out += e->getName().c_str();
        out += '{';
        CMProperties* props = e->getProperties();
        for (int k = 0; k < props->getCount(); ++k) {
            if (k) out += ';';
            out += props->getAt(k)->getName().c_str();
            out += '=';
            out += props->getAt(k)->getValue().c_str();
        }
        out += '}';
        CMElements* children = e->getChildren();
        if (children->getCount()) {
            out += '[';
            for (int k = 0; k < children->getCount(); ++k) {
                if (k) out += ',';
                out += children->getAt(k)->getName().c_str();
            }
            out += ']';
        }
        out += '\n';
    }
    return out;
}

// Loads a definition text held in memory.
std::unique_ptr<CMElements> parse(std::string text) {
    CTextFileReader reader(nullptr, text.data(), static_cast<int>(text.size()));
    return std::unique_ptr<CMElements>(CMElementsLoader::load(nullptr, &reader));
}

std::string dumpOf(const std::string& text) { return dump(parse(text).get()); }

// The logical lines of a text, as the reader joins them.
std::vector<std::string> logicalLines(std::string text) {
    CTextFileReader reader(nullptr, text.data(), static_cast<int>(text.size()));
    CTextCoder coder(nullptr, &reader, true);
    std::vector<std::string> lines;
    while (!coder._eof()) lines.push_back(CMElementsLoader::getLine(&coder).c_str());
    return lines;
}

// A small scene: objects, a class import, continued lines, handlers with caret
// keys, inline definitions and a tree made with ADD and APPLY.
const char* const kScene =
    "# scene S1\n"
    "OBJECT=SCORE\n"
    "SCORE:TYPE=INTEGER\n"
    "SCORE:VALUE=10\n"
    "SCORE:ONCHANGED^20=BEH_WIN\n"
    "OBJECT=TITLE\n"
    "TITLE:TYPE=STRING\n"
    "TITLE:VALUE=Hello \xB3/\n"
    "\tworld\n"
    "IMPORT=INTRO\n"
    "INTRO:ADD=TITLE\n"
    "TITLE:APPLY=SCORE\n"
    "DEF:BEH_WIN(TYPE=BEHAVIOUR | CODE={SCORE^set(0);})\n"
    "SCORE:ONCLICK^LEFT\n"
    "!\n"
    "SCORE:LOST=1\n";

const char* const kSceneElements =
    "SCORE{TYPE=INTEGER;VALUE=10;ONCHANGED^20=BEH_WIN;ONCLICK^LEFT=}\n"
    "TITLE{TYPE=STRING;VALUE=Hello \xB3world}[INTRO,SCORE]\n"
    "INTRO{TYPE=SEQUENCE}\n"
    "BEH_WIN{TYPE=BEHAVIOUR;CODE={SCORE^set(0);}}\n";

}  // namespace

TEST(CMElementsLoaderTest, StatementsInOrder) {
    // Each step adds one line to the text before it and states the whole result.
    struct Step {
        const char* line;
        const char* elements;
    } steps[] = {
        {"", ""},
        {":=::", ""},
        {"#OBJECT=A", ""},
        {"A:X=1", ""},
        {"OBJECT=A", "A{}\n"},
        {"OBJECT=A", "A{}\n"},
        {"A:TYPE=INTEGER", "A{TYPE=INTEGER}\n"},
        {"A:TYPE=STRING", "A{TYPE=INTEGER;TYPE=STRING}\n"},
        {"A:VALUE", "A{TYPE=INTEGER;TYPE=STRING;VALUE=}\n"},
        {"A:VALUE=5", "A{TYPE=INTEGER;TYPE=STRING;VALUE=;VALUE=5}\n"},
        {"A=LIST:1:2:3", "A{TYPE=INTEGER;TYPE=STRING;VALUE=;VALUE=5;LIST=1 2 3}\n"},
        {"IMPORT=S", "A{TYPE=INTEGER;TYPE=STRING;VALUE=;VALUE=5;LIST=1 2 3}\nS{TYPE=SEQUENCE}\n"},
        {"S:ADD=A", "A{TYPE=INTEGER;TYPE=STRING;VALUE=;VALUE=5;LIST=1 2 3}[S]\nS{TYPE=SEQUENCE}\n"},
        {"A:APPLY=S", "A{TYPE=INTEGER;TYPE=STRING;VALUE=;VALUE=5;LIST=1 2 3}[S,S]\nS{TYPE=SEQUENCE}\n"},
        {"S:ADD=NONE", "A{TYPE=INTEGER;TYPE=STRING;VALUE=;VALUE=5;LIST=1 2 3}[S,S]\nS{TYPE=SEQUENCE}\n"},
        {"!", "A{TYPE=INTEGER;TYPE=STRING;VALUE=;VALUE=5;LIST=1 2 3}[S,S]\nS{TYPE=SEQUENCE}\n"},
        {"OBJECT=B", "A{TYPE=INTEGER;TYPE=STRING;VALUE=;VALUE=5;LIST=1 2 3}[S,S]\nS{TYPE=SEQUENCE}\n"},
    };
    std::string text;
    for (const Step& step : steps) {
        text += step.line;
        text += '\n';
        EXPECT_EQ(dumpOf(text), step.elements) << "after line '" << step.line << "'";
    }
}

TEST(CMElementsLoaderTest, SeparatorsAndBlanks) {
    struct Case {
        const char* text;
        const char* elements;
    } cases[] = {
        {"OBJECT:A\nA=KEY:V\n", "A{KEY=V}\n"},
        {"OBJECT=A\nA:FILENAME=C:\\x.ann\n", "A{FILENAME=C \\x.ann}\n"},
        {"OBJECT=A\nA:TEXT=a==b\n", "A{TEXT=a b}\n"},
        {"OBJECT=A\nA:TEXT=x  y\n", "A{TEXT=x  y}\n"},
        {"OBJECT=A\nA:KEY = V\n", "A{KEY = V}\n"},
        {"OBJECT = A\n", ""},
        {"object=A\n", ""},
        {"OBJECT=A\nA:add=B\n", "A{add=B}\n"},
        // A statement may follow another on the same line.
        {"OBJECT=A=Z\n", "A{}\n"},
        {"OBJECT=A=OBJECT=B\n", "A{}\nB{}\n"},
        {"OBJECT=A:A:X=1\n", "A{X=1}\n"},
        {"IMPORT=A:A:X\n", "A{TYPE=SEQUENCE;X=}\n"},
        {"OBJECT=A\nOBJECT=A:A:X=1\n", "A{}\n"},
        {"OBJECT=A\nOBJECT=B\nA:ADD=B:B:Y=2\n", "A{}\nB{Y=2}[A]\n"},
        // A bare or short line keeps the coder's line feed, which is a separator.
        {"OBJECT=A\nA:X\nX\n", "A{X=}\n"},
        {"\n\nOBJECT=A\n\n", "A{}\n"},
        // TABs vanish; blanks at both ends are trimmed, inner blanks stay.
        {"OBJECT=A\nA:\tX=1\n", "A{X=1}\n"},
        {"   OBJECT=A  \n  #OBJECT=B\n", "A{}\n"},
        {"OBJECT=A\nA:X=1 \n", "A{X=1}\n"},
        {"   !\nOBJECT=A\n", ""},
        // Line ends written as CR LF read like LF ones.
        {"OBJECT=A\r\nA:X=1\r\nIMPORT=S\r\n", "A{X=1}\nS{TYPE=SEQUENCE}\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(dumpOf(c.text), c.elements) << c.text;
}

TEST(CMElementsLoaderTest, Definitions) {
    struct Case {
        const char* text;
        const char* elements;
    } cases[] = {
        {"DEF:FLAG(TYPE=BOOL | VALUE = TRUE)\n", "FLAG{TYPE=BOOL;VALUE=TRUE}\n"},
        {"DEF::SND(X=1)\n", ":SND{X=1}\n"},
        {"DEF:SND (X=1)\n", "SND {X=1}\n"},
        {"DEF:C(CODE=f(a=b)|X=(1))\n", "C{CODE=f(a=b);X=(1)}\n"},
        {"DEF:E()\n", "E{}\n"},
        {"DEF:E(||A=1||)\n", "E{A=1}\n"},
        // A definition always adds an element; look-ups keep finding the first.
        {"OBJECT=A\nDEF:A(X=1)\nA:Y=2\n", "A{Y=2}\nA{X=1}\n"},
        // Rough edges: no "(" declares nothing, no ")" runs to the end of the
        // line, a part without "=" is a key without a value.
        {"DEF:NOTHING\n", ""},
        {"DEF:OPEN(A=1|B=2\n", "OPEN{A=1;B=2}\n"},
        {"DEF:K(FLAG | A=1)\n", "K{FLAG=;A=1}\n"},
        {"DEF:R)(A=1\n", "R){A=1}\n"},
        {"DEF\n", ""},
        {"def:A(X=1)\n", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(dumpOf(c.text), c.elements) << c.text;
}

TEST(CMElementsLoaderTest, LogicalLines) {
    using Lines = std::vector<std::string>;
    EXPECT_EQ(logicalLines("A:TEXT=ab/\ncd\nX\n"), (Lines{"A:TEXT=abcd", "X\n"}));
    // "c" and its line feed make a short line, which keeps the line feed.
    EXPECT_EQ(logicalLines("a/b\nc\n"), (Lines{"abc\n"}));
    EXPECT_EQ(logicalLines("a /\n  b\n"), (Lines{"a   b"}));
    EXPECT_EQ(logicalLines("\t\tA\t:X\n"), (Lines{"A:X"}));
    EXPECT_EQ(logicalLines("#note /\nOBJECT=A\nOBJECT=B\n"), (Lines{"#note OBJECT=A", "OBJECT=B"}));
    EXPECT_EQ(logicalLines("\n"), (Lines{"\n"}));
    // A "/" on the last line ends the joining at the end of the text.
    EXPECT_EQ(logicalLines("a/\nb/\n"), (Lines{"ab"}));

    // A comment with "/" swallows the following line.
    EXPECT_EQ(dumpOf("# see a/b\nOBJECT=A\nOBJECT=B\n"), "B{}\n");
}

TEST(CMElementsLoaderTest, LongContinuedRunsStayLinear) {
    std::string text = "OBJECT=A\nA:V=";
    for (int i = 0; i < 20000; ++i) text += "xy/\n";
    text += "z\n";
    std::unique_ptr<CMElements> list = parse(text);
    ASSERT_EQ(list->getCount(), 1);
    EXPECT_EQ(list->getAt(0)->getPropertyValue("V").getLength(), 40001);
}

TEST(CMElementsLoaderTest, FilesPlainCodedAndMissing) {
    test::TempDir dir;
    dir.write("S1.cnv", kScene);
    std::string crlf;
    for (const char* p = kScene; *p; ++p) {
        if (*p == '\n') crlf += '\r';
        crlf += *p;
    }
    dir.write("S2.cnv", crlf);
    dir.write("EMPTY.cnv", "");

    std::unique_ptr<CMElements> plain(CMElementsLoader::load(nullptr, CXString(dir.engine("S1.cnv").c_str())));
    EXPECT_EQ(dump(plain.get()), kSceneElements);
    std::unique_ptr<CMElements> windows(CMElementsLoader::load(nullptr, CXString(dir.engine("S2.cnv").c_str())));
    EXPECT_EQ(dump(windows.get()), kSceneElements);

    std::unique_ptr<CMElements> empty(CMElementsLoader::load(nullptr, CXString(dir.engine("EMPTY.cnv").c_str())));
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->getCount(), 0);
    EXPECT_EQ(CMElementsLoader::load(nullptr, CXString(dir.engine("NONE.cnv").c_str())), nullptr);

    // Without a command line asking for them no side copies are written.
    EXPECT_FALSE(dir.exists("S1.cnv.coded"));
    EXPECT_FALSE(dir.exists("S1.cnv.decoded"));
    EXPECT_FALSE(CMElementsLoader::save(CXString(dir.engine("OUT.cnv").c_str()), plain.get()));
    EXPECT_FALSE(dir.exists("OUT.cnv"));
}

TEST(CMElementsLoaderTest, CommandLineWritesSideCopies) {
    test::TempDir dir;
    dir.write("S1.cnv", kScene);
    CWindow window;
    CCommandLine6 code("-code");
    window.setCommandLineIfc(&code);

    std::unique_ptr<CMElements> plain(CMElementsLoader::load(&window, CXString(dir.engine("S1.cnv").c_str())));
    EXPECT_EQ(dump(plain.get()), kSceneElements);
    ASSERT_TRUE(dir.exists("S1.cnv.coded"));
    EXPECT_FALSE(dir.exists("S1.cnv.decoded"));
    const std::string coded = dir.read("S1.cnv.coded");
    EXPECT_EQ(coded.rfind("{<C:6>}\n", 0), 0u) << coded;
    EXPECT_EQ(coded.find("OBJECT"), std::string::npos);

    // The coded copy reads to the same elements, and "decode" turns it back.
    CCommandLine6 both("-code /decode");
    window.setCommandLineIfc(&both);
    std::unique_ptr<CMElements> fromCoded(
        CMElementsLoader::load(&window, CXString(dir.engine("S1.cnv.coded").c_str())));
    EXPECT_EQ(dump(fromCoded.get()), kSceneElements);
    ASSERT_TRUE(dir.exists("S1.cnv.coded.decoded"));
    EXPECT_FALSE(dir.exists("S1.cnv.coded.coded"));  // a coded file is not coded twice
    dir.write("BACK.cnv", dir.read("S1.cnv.coded.decoded"));
    std::unique_ptr<CMElements> back(CMElementsLoader::load(nullptr, CXString(dir.engine("BACK.cnv").c_str())));
    EXPECT_EQ(dump(back.get()), kSceneElements);

    window.setCommandLineIfc(nullptr);
}
