// IMAGE: the method table through the interpreter, pointer and collision events,
// sharing and lifetimes of engine images, and the serialised part.
#include "media/CMC_Image.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "foundation/CResourcesManager.h"
#include "foundation/CXArchive.h"
#include "graphics/image/CImage.h"
#include "graphics/input/CCollisionInspector.h"
#include "graphics/screen/CRefreshScreen.h"
#include "media/CMC_Image_Runner.h"
#include "media/CSharedImage.h"
#include "platform/Input.h"
#include "scene/CMC_Scene.h"
#include "script/CMC_Array.h"
#include "script/CMC_Double.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_TypeTable.h"
#include "script/CMC_VariableFactory.h"
#include "script/CMElement.h"
#include "script/CMElements.h"
#include "shell/CUnit6.h"
#include "support/ScriptTestSupport.h"
#include "support/TempDir.h"

namespace {

// Writes an image file of 16-bit pixels (row by row) with an alpha plane.
void writeImage(const std::string& name, int w, int h, int x, int y, const std::vector<uint16_t>& pixels,
                const std::vector<uint8_t>& alpha, bool packed = false) {
    CGraphicsObject g(nullptr, CXSize(w, h), 16);
    std::memcpy(g.GetDataPtr(), pixels.data(), pixels.size() * 2);
    char* plane = new char[alpha.size()];
    std::memcpy(plane, alpha.data(), alpha.size());
    g.AlphaChannel(plane);
    g.SetPosition(x, y);
    if (packed) g.Compress(COMPRESSION_RLE);
    g.Save(CXString(name.c_str()), packed ? COMPRESSION_RLE : COMPRESSION_NONE);
}

// A 31 x 11 picture at (10, 20): its first row starts with magenta (alpha 255), green
// (alpha 0x40) and the smallest grey (alpha 0); the rest is 0x1234, opaque.
void writeTestPicture(const std::string& name, bool packed) {
    std::vector<uint16_t> pixels(31 * 11, 0x1234);
    std::vector<uint8_t> alpha(31 * 11, 0xFF);
    pixels[0] = 0xF81F;
    pixels[1] = 0x07E0;
    alpha[1] = 0x40;
    pixels[2] = 0x0821;
    alpha[2] = 0;
    writeImage(name, 31, 11, 10, 20, pixels, alpha, packed);
}

// A square of one colour.
void writeSquare(const std::string& name, int side, int x, int y, uint16_t colour) {
    writeImage(name, side, side, x, y, std::vector<uint16_t>(side * side, colour),
               std::vector<uint8_t>(side * side, 0xFF));
}

CMC_Image* imageNamed(CMC_ObjectsContainer* scene, const char* name) {
    return dynamic_cast<CMC_Image*>(scene->getObject(CXString(name)));
}

// Runs `statement` and then stores `expression` into the variable R through the
// interpreter; R's text.
std::string evaluate(CMC_ObjectsContainer* scene, const std::string& statement, const std::string& expression) {
    test::runCode(scene, ("R^SET(\"\");" + statement + "R^SET(" + expression + ");").c_str());
    return test::textValue(scene, "R");
}

std::string arrayText(CMC_ObjectsContainer* scene, const char* name) {
    auto* array = dynamic_cast<CMC_Array*>(scene->getObject(CXString(name)));
    if (!array) return "<none>";
    std::string text;
    for (int i = 0; array->get(i); ++i) text += (i ? "," : "") + std::string(array->get(i)->toString().c_str());
    return text;
}

// ---- methods ------------------------------------------------------------------------

class ImageMethods : public ::testing::Test {
protected:
    void SetUp() override {
        writeTestPicture("pic.img", false);
        writeTestPicture("packed.img", true);
        scene = world.loadScene("methods.cnv", {
            "OBJECT=R", "R:TYPE=STRING", "R:VALUE=",
            "OBJECT=ARR", "ARR:TYPE=ARRAY",
            "OBJECT=IMG", "IMG:TYPE=IMAGE", "IMG:FILENAME=pic.img", "IMG:VISIBLE=TRUE",
            "OBJECT=PK", "PK:TYPE=IMAGE", "PK:FILENAME=packed.img", "PK:VISIBLE=TRUE",
            "OBJECT=EMPTY", "EMPTY:TYPE=IMAGE", "EMPTY:FILENAME=missing.img",
        });
        ASSERT_NE(scene, nullptr);
        ASSERT_NE(imageNamed(scene, "IMG"), nullptr);
    }

    test::ScriptWorld world;
    test::ScopedCurrentDirectory here{world.dir().path()};
    CMC_ObjectsContainer* scene = nullptr;
};

TEST_F(ImageMethods, TableOfResults) {
    ASSERT_EQ(imageNamed(scene, "PK")->getImage()->GetCompression(), COMPRESSION_RLE);
    struct Row {
        const char* statement;
        const char* expression;
        const char* expected;
    };
    const Row rows[] = {
        // Opacity keeps the low 8 bits.
        {"IMG^SETOPACITY(300);", "IMG^GETOPACITY()", "44"},
        {"IMG^SETOPACITY(256);", "IMG^GETOPACITY()", "0"},
        {"IMG^SETOPACITY(-1);", "IMG^GETOPACITY()", "255"},
        {"IMG^SETOPACITY();", "IMG^GETOPACITY()", "255"},  // missing: nothing
        // Overlap by percentage of the own box; 0 % holds for disjoint boxes.
        {"", "IMG^ISNEAR(0, 0, 1, 1, 0)", "TRUE"},
        {"", "IMG^ISNEAR(10, 20, 41, 31, 100)", "TRUE"},
        {"", "IMG^ISNEAR(10, 20, 40, 31, 100)", "FALSE"},
        {"", "IMG^ISNEAR(10, 20, 25, 31, 50)", "FALSE"},
        {"", "IMG^ISNEAR(10, 20, 26, 31, 50)", "TRUE"},
        {"", "IMG^ISNEAR(PK, 100)", "TRUE"},
        {"", "IMG^ISNEAR(NOBODY, 0)", "FALSE"},
        {"", "EMPTY^ISNEAR(500, 500, 501, 501, 100)", "TRUE"},  // a zero-area box is near
        {"", "IMG^ISNEAR(10, 20, 41)", "FALSE"},
        // Alpha and pixel words read signed, plain or packed, 0 outside.
        {"", "IMG^GETALPHA(10, 20)", "-1"},
        {"", "IMG^GETALPHA(11, 20)", "64"},
        {"", "IMG^GETALPHA(12, 20)", "0"},
        {"", "PK^GETALPHA(10, 20)", "-1"},
        {"", "PK^GETALPHA(11, 20)", "64"},
        {"", "IMG^GETALPHA(9, 20)", "0"},
        {"", "IMG^GETALPHA(41, 20)", "0"},
        {"", "IMG^GETALPHA(10)", "0"},
        {"", "IMG^GETPIXEL(10, 20)", "-2017"},
        {"", "PK^GETPIXEL(11, 20)", "2016"},
        {"", "IMG^GETPIXEL(10, 31)", "0"},
        // Channels scaled to 0-255.
        {"", "IMG^GETCOLORRAT(10, 20)", "255"},
        {"", "IMG^GETCOLORGAT(10, 20)", "0"},
        {"", "IMG^GETCOLORBAT(10, 20)", "255"},
        {"", "PK^GETCOLORGAT(11, 20)", "255"},
        {"", "IMG^GETCOLORRAT(12, 20)", "8"},
        {"", "IMG^GETCOLORGAT(12, 20)", "4"},
        {"", "IMG^GETCOLORBAT(12, 20)", "8"},
        {"", "IMG^GETCOLORRAT(0, 0)", "0"},
        {"", "IMG^GETCOLORRAT(10)", "0"},
        // Position, size and centre ((X + W) / 2).
        {"", "IMG^GETCENTERX()", "20"},
        {"", "IMG^GETCENTERY()", "15"},
        {"IMG^SETPOSITION(5);", "IMG^GETPOSITIONX()", "10"},  // missing: nothing
        {"IMG^MOVE(1, 2);", "IMG^GETPOSITIONY()", "22"},
        {"IMG^RESETPOSITION();", "IMG^GETPOSITIONX()", "10"},
        {"", "IMG^ISAT(10, 20, TRUE)", "TRUE"},
        {"", "IMG^ISAT(12, 20, TRUE)", "FALSE"},
        {"", "IMG^ISAT(12, 20)", "FALSE"},  // missing: FALSE
        {"", "IMG^GETPRIORITY()", "-1"},
        {"IMG^HIDE();", "IMG^ISVISIBLE()", "FALSE"},
        {"IMG^SHOW();", "IMG^ISVISIBLE()", "TRUE"},
        // The file failed to load: an empty image, all results empty.
        {"", "EMPTY^GETWIDTH()", "0"},
        {"", "EMPTY^GETALPHA(0, 0)", "0"},
        {"", "IMG^SETSCALEFACTOR(2)", ""},  // no value
    };
    for (const Row& row : rows)
        EXPECT_EQ(evaluate(scene, row.statement, row.expression), row.expected) << row.statement << row.expression;
}

TEST_F(ImageMethods, AnchorColourListsSlidesAndColourReplacement) {
    CImage* image = imageNamed(scene, "IMG")->getImage();
    test::runCode(scene, "IMG^SETANCHOR(\"CENTER\");");
    EXPECT_EQ(image->getAnchor(), CXPoint(25, 25));
    test::runCode(scene, "IMG^SETANCHOR(\"center\");");
    EXPECT_EQ(image->getAnchor(), CXPoint(0, 0));
    test::runCode(scene, "IMG^SETANCHOR(3, 4);");
    EXPECT_EQ(image->getAnchor(), CXPoint(3, 4));
    test::runCode(scene, "IMG^SETANCHOR(0, 0);");

    // R, G, B scaled and the alpha byte, in that order; four zeros outside.
    test::runCode(scene, "IMG^GETCOLORAT(11, 20, ARR); IMG^GETCOLORAT(0, 0, ARR); IMG^GETCOLORAT(11, 20);");
    EXPECT_EQ(arrayText(scene, "ARR"), "0,255,0,64,0,0,0,0");

    // A motion into the opaque picture is turned off it, first one way, then the other;
    // the two components are appended as numbers.
    auto* array = dynamic_cast<CMC_Array*>(scene->getObject(CXString("ARR")));
    ASSERT_NE(array, nullptr);
    auto component = [&](int i) {
        auto* value = dynamic_cast<CMC_Double*>(array->get(i));
        return value ? value->getValue() : 1e300;
    };
    test::runCode(scene, "ARR^REMOVEALL(); IMG^GETSLIDECOMPS(0, 20, 5, 15, ARR);");
    EXPECT_NEAR(component(0), -11.325376972476857, 1e-9);  // the first turn lands on it, the other not
    EXPECT_NEAR(component(1), 12.227575974373204, 1e-9);
    test::runCode(scene, "ARR^REMOVEALL(); IMG^GETSLIDECOMPS(0, 8, 20, 10, ARR);");
    EXPECT_NEAR(component(0), 4.530150788990743, 1e-9);
    EXPECT_NEAR(component(1), 4.8910303897492815, 1e-9);
    // From inside, every turn stays on it: the 90th is given.
    test::runCode(scene, "ARR^REMOVEALL(); IMG^GETSLIDECOMPS(0, 8, 20, 25, ARR); IMG^GETSLIDECOMPS(0, 8, 20, 25, NOBODY);");
    EXPECT_NEAR(component(0), -5.706474154113152e-07, 1e-12);
    EXPECT_NEAR(component(1), -1.7914182436696877e-07, 1e-12);
    EXPECT_EQ(array->get(2), nullptr);

    // 5-6-5 display (no display: 16 bits): pure green becomes white, packed or not.
    EXPECT_EQ(evaluate(scene, "IMG^REPLACECOLOR(0, 0, 255, 0, 255, 255, 255);", "IMG^GETPIXEL(11, 20)"), "-1");
    EXPECT_EQ(evaluate(scene, "PK^REPLACECOLOR(0, 0, 255, 0, 255, 255, 255);", "PK^GETPIXEL(11, 20)"), "-1");
    EXPECT_EQ(imageNamed(scene, "PK")->getImage()->GetCompression(), COMPRESSION_RLE);
    // Argument 0 is not read.
    EXPECT_EQ(evaluate(scene, "IMG^REPLACECOLOR(99, 255, 0, 255, 0, 0, 255);", "IMG^GETPIXEL(10, 20)"), "31");
    EXPECT_EQ(evaluate(scene, "IMG^REPLACECOLOR(0, 0, 0, 255, 0, 0);", "IMG^GETPIXEL(10, 20)"), "31");
}

TEST(ImageMethods555, ReplaceColourPacksForTheDisplay) {
    test::ScriptWorld world;
    test::ScopedCurrentDirectory here(world.dir().path());
    world.displaySystem().windowedDepth = 15;
    ASSERT_TRUE(world.enableDisplay());
    ASSERT_EQ(world.screen()->GetBpp(), 15);
    writeTestPicture("pic.img", false);
    auto* scene = world.loadScene("s.cnv", {"OBJECT=R", "R:TYPE=STRING", "OBJECT=IMG", "IMG:TYPE=IMAGE",
                                            "IMG:FILENAME=pic.img", "IMG:TOCANVAS=TRUE", "IMG:PRIORITY=3"});
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(evaluate(scene, "", "IMG^GETPIXEL(11, 20)"), std::to_string(0x03E0));
    EXPECT_EQ(evaluate(scene, "", "IMG^GETCOLORGAT(11, 20)"), "255");
    EXPECT_EQ(evaluate(scene, "IMG^REPLACECOLOR(0, 0, 255, 0, 255, 255, 255);", "IMG^GETPIXEL(11, 20)"), "32767");
    EXPECT_EQ(evaluate(scene, "IMG^SETPRIORITY(7);", "IMG^GETPRIORITY()"), "7");
    EXPECT_EQ(imageNamed(scene, "IMG")->getPriority(), 3);
}

TEST_F(ImageMethods, LinkSharesTheBuffersAndDropsWithTheirOwner) {
    writeSquare("red.img", 4, 0, 0, 0xF800);
    test::runCode(scene, "EMPTY^LOAD(\"red.img\");");
    ASSERT_EQ(evaluate(scene, "", "EMPTY^GETPIXEL(0, 0)"), std::to_string(static_cast<int16_t>(0xF800)));
    // IMG takes PK's buffers and size; a change through PK shows in IMG.
    test::runCode(scene, "IMG^SETPOSITION(0, 0); IMG^LINK(PK);");
    EXPECT_EQ(evaluate(scene, "", "IMG^GETWIDTH()"), "31");
    EXPECT_EQ(evaluate(scene, "", "IMG^GETPIXEL(1, 0)"), "2016");
    test::runCode(scene, "PK^REPLACECOLOR(0, 0, 255, 0, 255, 0, 0);");
    EXPECT_EQ(evaluate(scene, "", "IMG^GETPIXEL(1, 0)"), std::to_string(static_cast<int16_t>(0xF800)));
    // PK loads another file: its old image goes, and the link with it.
    test::runCode(scene, "PK^LOAD(\"red.img\");");
    EXPECT_EQ(evaluate(scene, "", "IMG^GETWIDTH()"), "0");
    EXPECT_EQ(evaluate(scene, "", "IMG^GETPIXEL(0, 0)"), "0");
    // Unknown names and other types do nothing.
    test::runCode(scene, "IMG^LINK(NOBODY); IMG^LINK(R); IMG^LINK();");
    EXPECT_EQ(evaluate(scene, "", "IMG^GETWIDTH()"), "0");
    // A link to EMPTY, then IMG loads its own file: the link ends, the picture is its own.
    test::runCode(scene, "IMG^LINK(EMPTY); IMG^LOAD(\"pic.img\");");
    EXPECT_EQ(evaluate(scene, "", "IMG^GETPIXEL(10, 20)"), "-2017");
}

TEST_F(ImageMethods, AlphaMergesAndDrawingOnto) {
    // A 2 x 2 mask: alpha 0 at its top left, 0x80 elsewhere.
    writeImage("mask.img", 2, 2, 0, 0, std::vector<uint16_t>(4, 0), {0x00, 0x80, 0x80, 0x80});
    test::runCode(scene, "EMPTY^LOAD(\"mask.img\"); IMG^SETPOSITION(0, 0);");
    // The mask's alpha is copied in at (3, 0); the next merge with it restores that first.
    test::runCode(scene, "IMG^MERGEALPHA(3, 0, EMPTY);");
    EXPECT_EQ(evaluate(scene, "", "IMG^GETALPHA(3, 0)"), "0");
    EXPECT_EQ(evaluate(scene, "", "IMG^GETALPHA(4, 1)"), "-128");
    test::runCode(scene, "IMG^MERGEALPHA(20, 0, EMPTY);");
    EXPECT_EQ(evaluate(scene, "", "IMG^GETALPHA(3, 0)"), "-1");
    EXPECT_EQ(evaluate(scene, "", "IMG^GETALPHA(20, 0)"), "0");
    // Missing arguments, unknown names and the image itself change nothing.
    test::runCode(scene, "IMG^MERGEALPHA(0, 0); IMG^MERGEALPHA(0, 0, NOBODY); IMG^MERGEALPHA(0, 0, IMG);");
    test::runCode(scene, "IMG^MERGEALPHA2(0, 0, IMG, TRUE);");
    EXPECT_EQ(evaluate(scene, "", "IMG^GETALPHA(1, 0)"), "64");
    // MERGEALPHA2 with RESET: all opaque first, then the mask's non-zero values.
    test::runCode(scene, "IMG^MERGEALPHA2(0, 0, EMPTY, TRUE);");
    EXPECT_EQ(evaluate(scene, "", "IMG^GETALPHA(2, 0)"), "-1");
    EXPECT_EQ(evaluate(scene, "", "IMG^GETALPHA(1, 1)"), "-128");

    // DRAWONTO: the named graphic takes this image in once.
    CImage* target = imageNamed(scene, "PK")->getImage();
    test::runCode(scene, "EMPTY^DRAWONTO(PK, 3); EMPTY^DRAWONTO(PK); EMPTY^DRAWONTO(NOBODY); IMG^DRAWONTO(IMG);");
    ASSERT_NE(target->getChildren(), nullptr);
    EXPECT_EQ(imageNamed(scene, "IMG")->getImage()->getChildren(), nullptr);
}

TEST_F(ImageMethods, ClonesOwnTheirCopiesOfPackedAndPlainPictures) {
    test::runCode(scene, "PK^SETPOSITION(5, 6); PK^CLONE(1); IMG^CLONE(1); PK^LOAD(\"pic.img\"); IMG^LOAD(\"missing.img\");");
    CMC_Image* packedClone = imageNamed(scene, "PK_1");
    ASSERT_NE(packedClone, nullptr);
    EXPECT_EQ(packedClone->getImage()->GetCompression(), COMPRESSION_RLE);
    EXPECT_EQ(evaluate(scene, "", "PK_1^GETPIXEL(6, 6)"), "2016");
    EXPECT_EQ(evaluate(scene, "", "PK_1^GETALPHA(6, 6)"), "64");
    EXPECT_EQ(evaluate(scene, "", "IMG_1^GETPIXEL(10, 20)"), "-2017");
    EXPECT_EQ(evaluate(scene, "", "IMG_1^ISVISIBLE()"), "TRUE");
    EXPECT_EQ(evaluate(scene, "", "IMG^GETWIDTH()"), "0");
    // A clone's LOAD lets its copy go.
    test::runCode(scene, "IMG_1^LOAD(\"packed.img\");");
    EXPECT_EQ(evaluate(scene, "", "IMG_1^GETALPHA(11, 20)"), "64");
}

// ---- pointer and collisions ---------------------------------------------------------

class RecordingInput : public platform::InputSystem {
public:
    void setCursor(platform::CursorHandle cursor) override {
        calls.push_back(cursor);
        InputSystem::setCursor(cursor);
    }
    std::vector<platform::CursorHandle> calls;
};

platform::CursorHandle const kMainCursor = reinterpret_cast<platform::CursorHandle>(0x1000);
platform::CursorHandle const kActiveCursor = reinterpret_cast<platform::CursorHandle>(0x2000);

class ImagePointer : public ::testing::Test {
protected:
    ImagePointer() { window.SetActiveCursor(kActiveCursor); }
    ~ImagePointer() override { scene.unload(); }

    // Builds the definition's objects into the scene on this test's window.
    void build(const std::vector<std::string>& lines) {
        CMElements* elements = world.loadDefinition("pointer.cnv", lines);
        ASSERT_NE(elements, nullptr);
        delete CMC_TypeTable::resolveObjects(&scene, elements);
        delete elements;
    }
    std::string cursorCalls() {
        std::string text;
        for (platform::CursorHandle c : input.calls) text += c == kMainCursor ? "M" : c == kActiveCursor ? "A" : "?";
        input.calls.clear();
        return text;
    }

    test::ScriptWorld world;
    test::ScopedCurrentDirectory here{world.dir().path()};
    RecordingInput input;
    platform::ScopedInput scopedInput{input};
    CWindow window{nullptr, nullptr, nullptr, CXSize(320, 200), kMainCursor, CXString(), true};
    test::TestScene scene{"SCENE", &window};
};

TEST_F(ImagePointer, TableOfGatesEventsCursorAndAnswer) {
    writeSquare("sq.img", 10, 100, 100, 0x1234);
    struct Row {
        bool button;
        bool visible;
        const char* handlers;  // c: ONCLICK, r: ONCLICK^RIGHT, u: ONRELEASE, f: ONFOCUSON, o: ONFOCUSOFF
        int x, y;
        int mouseButton;
        const char* expectedLog;  // events after move, press, release
        const char* expectedCursor;
        bool expectedAnswer;
    };
    const Row rows[] = {
        {true, true, "cufo", 105, 105, 0, "fcu", "AM", true},
        {true, true, "cufo", 95, 105, 0, "", "", false},            // outside
        {false, true, "cufo", 105, 105, 0, "", "", false},          // not a button
        {true, false, "cufo", 105, 105, 0, "", "", false},          // hidden
        {true, true, "uf", 105, 105, 0, "fu", "A", false},          // no ONCLICK: the press goes on
        {true, true, "r", 105, 105, 0, "", "M", true},              // ONCLICK^LEFT, ONCLICK unhandled: taken
        {true, true, "r", 105, 105, 2, "r", "M", true},
        {true, true, "c", 105, 105, 7, "c", "M", true},             // no name: ONCLICK^ then ONCLICK
        {true, true, "f", 109, 109, 0, "f", "A", false},            // last pixel inside
        {true, true, "f", 110, 105, 0, "", "", false},              // right edge outside
        {true, true, "", 105, 105, 0, "", "", false},               // not listening
        {true, true, "cufo", 0, 0, 0, "", "", false},               // the file failed to load
    };
    int n = 0;
    for (const Row& row : rows) {
        const std::string name = "B" + std::to_string(n++);
        const bool missing = &row == &rows[std::size(rows) - 1];
        std::vector<std::string> lines = {"OBJECT=" + name, name + ":TYPE=IMAGE",
                                          name + ":FILENAME=" + (missing ? "missing.img" : "sq.img"),
                                          name + ":VISIBLE=" + (row.visible ? "TRUE" : "FALSE"),
                                          name + ":ASBUTTON=" + (row.button ? "TRUE" : "FALSE")};
        if (n == 1) lines.insert(lines.begin(), {"OBJECT=LOG", "LOG:TYPE=STRING", "LOG:VALUE="});
        for (const char* h = row.handlers; *h; ++h) {
            switch (*h) {
            case 'c': lines.push_back(name + ":ONCLICK={LOG^ADD(\"c\");}"); break;
            case 'r': lines.push_back(name + ":ONCLICK^RIGHT={LOG^ADD(\"r\");}"); break;
            case 'u': lines.push_back(name + ":ONRELEASE={LOG^ADD(\"u\");}"); break;
            case 'f': lines.push_back(name + ":ONFOCUSON={LOG^ADD(\"f\");}"); break;
            case 'o': lines.push_back(name + ":ONFOCUSOFF={LOG^ADD(\"o\");}"); break;
            }
        }
        build(lines);
        CMC_Image* image = imageNamed(&scene, name.c_str());
        ASSERT_NE(image, nullptr) << name;
        EXPECT_EQ(image->isListening(), *row.handlers != 0) << name;
        test::runCode(&scene, "LOG^SET(\"\");");
        cursorCalls();
        const CXPoint p(row.x, row.y);
        EXPECT_FALSE(image->onMouseMove(p)) << name;
        const bool answer = image->onClick(row.mouseButton, p);
        EXPECT_FALSE(image->onRelease(row.mouseButton, p)) << name;
        EXPECT_EQ(answer, row.expectedAnswer) << name;
        EXPECT_EQ(test::textValue(&scene, "LOG"), row.expectedLog) << name;
        EXPECT_EQ(cursorCalls(), row.expectedCursor) << name;
        // Leaving ends the focus with ONFOCUSOFF and the main cursor.
        if (std::string(row.expectedLog).find('f') != std::string::npos) {
            image->onMouseMove(CXPoint(0, 0));
            EXPECT_FALSE(image->isFocused()) << name;
            EXPECT_EQ(cursorCalls(), "M") << name;
        }
        // Done: the window no longer calls it.
        image->done(true);
        EXPECT_FALSE(image->isListening()) << name;
    }
}

TEST_F(ImagePointer, OverlappingListenersByPriorityAndSetAsButton) {
    writeSquare("sq.img", 10, 100, 100, 0x1234);
    build({"OBJECT=LOG", "LOG:TYPE=STRING", "LOG:VALUE=",
           "OBJECT=LOW", "LOW:TYPE=IMAGE", "LOW:FILENAME=sq.img", "LOW:VISIBLE=TRUE", "LOW:ASBUTTON=TRUE",
           "LOW:PRIORITY=1", "LOW:ONCLICK={LOG^ADD(\"l\");}", "LOW:ONRELEASE={LOG^ADD(\"L\");}",
           "OBJECT=HIGH", "HIGH:TYPE=IMAGE", "HIGH:FILENAME=sq.img", "HIGH:VISIBLE=TRUE", "HIGH:ASBUTTON=FALSE",
           "HIGH:PRIORITY=9", "HIGH:ONCLICK={LOG^ADD(\"h\");}", "HIGH:ONRELEASE={LOG^ADD(\"H\");}"});
    // Not a button: the press passes to the lower listener.
    window.OnLButtonDown(CXPoint(105, 105), 0);
    window.OnLButtonUp(CXPoint(105, 105), 0);
    EXPECT_EQ(test::textValue(&scene, "LOG"), "lL");
    // SETASBUTTON(TRUE, FALSE): the higher one takes the press, both see the release,
    // and the cursor stays.
    test::runCode(&scene, "LOG^SET(\"\"); HIGH^SETASBUTTON(TRUE, FALSE);");
    cursorCalls();
    window.OnLButtonDown(CXPoint(105, 105), 0);
    window.OnLButtonUp(CXPoint(105, 105), 0);
    EXPECT_EQ(test::textValue(&scene, "LOG"), "hHL");
    EXPECT_EQ(cursorCalls(), "");
    EXPECT_FALSE(imageNamed(&scene, "HIGH")->getCursorOnHover());

    // A clone registers with its own priority 0 and stays silent until it is a button.
    test::runCode(&scene, "LOG^SET(\"\"); LOW^CLONE(1);");
    CMC_Image* clone = imageNamed(&scene, "LOW_1");
    ASSERT_NE(clone, nullptr);
    EXPECT_TRUE(clone->isListening());
    EXPECT_EQ(clone->getPriority(), 0);
    EXPECT_FALSE(clone->isButton());
    EXPECT_FALSE(clone->onClick(0, CXPoint(105, 105)));
    EXPECT_EQ(test::textValue(&scene, "LOG"), "");
}

TEST(ImageCollisions, ReportedByNameInBothOrders) {
    test::ScriptWorld world;
    test::ScopedCurrentDirectory here(world.dir().path());
    writeSquare("a.img", 10, 0, 0, 0x1111);
    writeSquare("b.img", 10, 100, 0, 0x2222);
    world.writeDefinition("COL.cnv", {
        "OBJECT=LOG", "LOG:TYPE=STRING", "LOG:VALUE=",
        "OBJECT=A", "A:TYPE=IMAGE", "A:FILENAME=a.img", "A:VISIBLE=TRUE", "A:MONITORCOLLISION=TRUE",
        "A:ONCOLLISION^B={LOG^ADD(\"[ab]\");}", "A:ONCOLLISIONFINISHED={LOG^ADD(\"[f\");LOG^ADD($1);LOG^ADD($2);LOG^ADD(\"]\");}",
        "OBJECT=B", "B:TYPE=IMAGE", "B:FILENAME=b.img", "B:VISIBLE=TRUE", "B:MONITORCOLLISION=TRUE",
        "B:ONCOLLISION={LOG^ADD(\"[\");LOG^ADD($1);LOG^ADD($2);LOG^ADD(\"]\");}",
    });
    {
        std::unique_ptr<CMElement> element(test::makeElement("COL", {{"TYPE", "SCENE"}}));
        CMC_Scene scene(world.window(), nullptr, element.get(), CMC_Scene::kType);
        scene.loadCnv();
        CMC_Image* a = imageNamed(&scene, "A");
        ASSERT_NE(a, nullptr);
        CCollisionInspector* inspector = world.window()->getCollisionInspectorInterface();
        EXPECT_TRUE(inspector->isMonitored(a->getImage()));
        world.frame();
        // A moves onto B: A's caret handler; B ignores a report whose first graphic is not its own.
        test::runCode(&scene, "A^SETPOSITION(95, 0);");
        world.frame();
        EXPECT_EQ(test::textValue(&scene, "LOG"), "[ab]");
        test::runCode(&scene, "LOG^SET(\"\"); A^SETPOSITION(0, 0);");
        world.frame();
        EXPECT_EQ(test::textValue(&scene, "LOG"), "[fAB]");
        // B moves onto A: plain ONCOLLISION with both names.
        test::runCode(&scene, "LOG^SET(\"\"); B^MOVE(-95, 0);");
        world.frame();
        EXPECT_EQ(test::textValue(&scene, "LOG"), "[BA]");
        // Done: no longer watched, no longer told.
        CImage* aImage = a->getImage();
        a->done(true);
        EXPECT_FALSE(inspector->isMonitored(aImage));  // compared by address only: the image is gone
        test::runCode(&scene, "LOG^SET(\"\"); B^MOVE(95, 0);");
        world.frame();
        EXPECT_EQ(test::textValue(&scene, "LOG"), "");
    }
    CMC_Scene::doneDefUnit();
}

// ---- sharing and lifetimes ----------------------------------------------------------

class ImageSharing : public ::testing::Test {
protected:
    void SetUp() override {
        writeSquare("a.img", 4, 0, 0, 0x1111);
        writeSquare("b.img", 4, 0, 0, 0x2222);
        writeSquare("c.img", 4, 0, 0, 0x3333);
    }
    void TearDown() override {
        scene.reset();
        CMC_Scene::doneDefUnit();
    }
    void load(const std::vector<std::string>& lines) {
        world.writeDefinition("SH.cnv", lines);
        element.reset(test::makeElement("SH", {{"TYPE", "SCENE"}}));
        scene = std::make_unique<CMC_Scene>(world.window(), nullptr, element.get(), CMC_Scene::kType);
        scene->loadCnv();
    }
    static CResourcesManager* manager() { return CMC_Scene::getDefUnit()->getResourcesManager(); }

    test::ScriptWorld world;
    test::ScopedCurrentDirectory here{world.dir().path()};
    std::unique_ptr<CMElement> element;
    std::unique_ptr<CMC_Scene> scene;
};

TEST_F(ImageSharing, OneFileInAnyCaseIsOneImageUntilTheLastIsDone) {
    load({"OBJECT=R", "R:TYPE=STRING", "OBJECT=X", "X:TYPE=IMAGE", "X:FILENAME=a.img",
          "OBJECT=Y", "Y:TYPE=IMAGE", "Y:FILENAME=A.IMG"});
    CMC_Image* x = imageNamed(scene.get(), "X");
    CMC_Image* y = imageNamed(scene.get(), "Y");
    ASSERT_NE(x, nullptr);
    ASSERT_NE(y, nullptr);
    CImage* shared = x->getImage();
    EXPECT_EQ(y->getImage(), shared);
    EXPECT_EQ(manager()->getSize(), 1);
    EXPECT_EQ(manager()->getCount(shared), 2);
    // A change through one shows in the other.
    test::runCode(scene.get(), "X^REPLACECOLOR(0, 16, 32, 136, 0, 0, 0);");
    EXPECT_EQ(evaluate(scene.get(), "", "Y^GETPIXEL(0, 0)"), "0");
    // An empty name makes X an image of its own (kept by the manager too); the shared
    // one stays with Y.
    test::runCode(scene.get(), "X^LOAD(\"\");");
    EXPECT_NE(x->getImage(), shared);
    EXPECT_EQ(manager()->getCount(shared), 1);
    EXPECT_EQ(manager()->getSize(), 2);
    x->done(true);
    EXPECT_EQ(manager()->getSize(), 1);
    EXPECT_EQ(y->getImage()->Width(), 4);
    y->done(true);
    EXPECT_EQ(manager()->getSize(), 0);
}

TEST_F(ImageSharing, EachReferenceIsReleasedOnce) {
    ASSERT_TRUE(world.enableDisplay());
    load({"OBJECT=R", "R:TYPE=STRING", "OBJECT=A", "A:TYPE=IMAGE", "A:FILENAME=a.img", "A:TOCANVAS=TRUE",
          "A:VISIBLE=TRUE", "OBJECT=B", "B:TYPE=IMAGE", "B:FILENAME=b.img", "B:TOCANVAS=TRUE", "B:VISIBLE=TRUE"});
    CMC_Image* a = imageNamed(scene.get(), "A");
    CMC_Image* b = imageNamed(scene.get(), "B");
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    CImage* bImage = b->getImage();
    test::runCode(scene.get(), "A^CLONE(1);");
    CMC_Image* clone = imageNamed(scene.get(), "A_1");
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(a->getHeldReferences(), 2);
    EXPECT_EQ(manager()->getCount(a->getImage()), 2);
    EXPECT_NE(clone->getImage(), a->getImage());

    // A lets a.img go with its clone's reference; the clone's copy stays whole.
    test::runCode(scene.get(), "A^LOAD(\"b.img\");");
    EXPECT_EQ(a->getImage(), bImage);
    EXPECT_EQ(manager()->getSize(), 1);
    EXPECT_EQ(manager()->getCount(bImage), 2);
    EXPECT_EQ(evaluate(scene.get(), "", "A_1^GETPIXEL(0, 0)"), std::to_string(0x1111));
    // The clone's copy stands on the screen at the source's priority and is drawn.
    EXPECT_EQ(world.screen()->GetPriority(clone->getImage()), 0);
    test::runCode(scene.get(), "A_1^SETPOSITION(50, 50);");
    world.frames(2);

    // A third file: only A's own reference on b.img goes; B's image lives on.
    test::runCode(scene.get(), "A^LOAD(\"c.img\");");
    EXPECT_EQ(manager()->getCount(bImage), 1);
    EXPECT_EQ(b->getImage(), bImage);
    EXPECT_EQ(evaluate(scene.get(), "", "B^GETPIXEL(0, 0)"), std::to_string(0x2222));
    world.frames(2);

    // Every object done: the manager holds nothing.
    scene->unload();
    EXPECT_EQ(manager()->getSize(), 0);
}

TEST_F(ImageSharing, AManagerFlushedUnderTheObjectIsForgotten) {
    load({"OBJECT=R", "R:TYPE=STRING", "OBJECT=A", "A:TYPE=IMAGE", "A:FILENAME=a.img", "A:MONITORCOLLISION=TRUE"});
    CMC_Image* a = imageNamed(scene.get(), "A");
    ASSERT_NE(a, nullptr);
    manager()->flush();
    EXPECT_EQ(a->getImage(), nullptr);
    EXPECT_EQ(evaluate(scene.get(), "", "A^GETWIDTH()"), "0");
    test::runCode(scene.get(), "A^LOAD(\"b.img\");");
    EXPECT_EQ(evaluate(scene.get(), "", "A^GETPIXEL(0, 0)"), std::to_string(0x2222));
}

TEST_F(ImageSharing, SceneImageCreateAndGraphicsNames) {
    load({"OBJECT=R", "R:TYPE=STRING", "OBJECT=A", "A:TYPE=IMAGE", "A:FILENAME=a.img", "A:ASBUTTON=TRUE",
          "A:PRIORITY=4", "A:VISIBLE=TRUE", "A:ONCLICK={R^SET(\"c\");}"});
    CMC_Image* a = imageNamed(scene.get(), "A");
    ASSERT_NE(a, nullptr);
    // NAME and NAME!... find the engine image; the engine image names its object.
    EXPECT_EQ(scene->getGraphicsObject(CXString("A")), a->getImage());
    EXPECT_EQ(scene->getGraphicsObject(CXString("A!X")), a->getImage());
    EXPECT_EQ(scene->getGraphicsObjectName(a->getImage(), true), CXString("A"));

    // The scene's binary image holds the IMAGE under its type code and reads it back.
    const std::string bytes = test::archiveBytes([&](CXArchive& archive) { scene->writeImage(&archive); });
    EXPECT_NE(bytes.find(test::le32(CMC_Image::kType) + test::archiveString("A")), std::string::npos);
    auto copy = std::make_unique<CMC_Scene>(world.window(), CMC_Scene::kType);
    test::readArchive(bytes, [&](CXArchive& archive) { copy->readImage(&archive); });
    CMC_Image* back = imageNamed(copy.get(), "A");
    ASSERT_NE(back, nullptr);
    EXPECT_TRUE(back->isButton());
    EXPECT_EQ(back->getPriority(), 4);
    EXPECT_TRUE(back->isListening());
    EXPECT_EQ(back->getImage(), a->getImage());  // one file, one shared image
    EXPECT_EQ(manager()->getCount(a->getImage()), 2);
    copy.reset();
    EXPECT_EQ(manager()->getCount(a->getImage()), 1);

    // CREATE makes an empty IMAGE that LOAD fills.
    test::runCode(scene.get(), "@CREATE(\"IMAGE\",\"NEW\");");
    CMC_Image* made = imageNamed(scene.get(), "NEW");
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->getImage(), nullptr);
    EXPECT_EQ(evaluate(scene.get(), "NEW^LOAD(\"b.img\");", "NEW^GETPIXEL(0, 0)"), std::to_string(0x2222));
    scene->unload();
    EXPECT_EQ(manager()->getSize(), 0);
}

TEST_F(ImageSharing, ClippingSavingAndDeferredLoading) {
    load({"OBJECT=R", "R:TYPE=STRING", "OBJECT=A", "A:TYPE=IMAGE", "A:FILENAME=a.img", "A:VISIBLE=TRUE",
          "OBJECT=D", "D:TYPE=IMAGE", "D:FILENAME=b.img", "D:PRELOAD=FALSE"});
    EXPECT_EQ(evaluate(scene.get(), "A^SETCLIPPING(1, 1, 3, 3);", "A^ISAT(0, 0, FALSE)"), "FALSE");
    EXPECT_EQ(evaluate(scene.get(), "", "A^ISAT(2, 2, FALSE)"), "TRUE");
    EXPECT_EQ(evaluate(scene.get(), "A^SETCLIPPING(1, 1);", "A^ISAT(2, 2, FALSE)"), "TRUE");  // missing: nothing
    EXPECT_EQ(evaluate(scene.get(), "A^CLEARCLIPPING();", "A^ISAT(0, 0, FALSE)"), "TRUE");
    // Deferred: only the name until the engine shows it.
    CMC_Image* d = imageNamed(scene.get(), "D");
    ASSERT_NE(d, nullptr);
    EXPECT_FALSE(d->getImage()->isLoaded());
    EXPECT_EQ(evaluate(scene.get(), "", "D^GETWIDTH()"), "0");
    d->getImage()->show();
    EXPECT_EQ(evaluate(scene.get(), "", "D^GETPIXEL(0, 0)"), std::to_string(0x2222));
    // SAVE writes the picture; another object reads it back.
    test::runCode(scene.get(), "A^FLIPH(); A^SAVE(\"saved.img\"); D^LOAD(\"saved.img\");");
    EXPECT_EQ(evaluate(scene.get(), "", "D^GETPIXEL(3, 3)"), std::to_string(0x1111));
    EXPECT_EQ(evaluate(scene.get(), "", "D^GETWIDTH()"), "4");
}

// ---- serialised part ------------------------------------------------------------------

TEST(ImageSerialised, ButtonOnTheListVisiblePriorityFiveReadsBack) {
    test::ScriptWorld world;
    test::ScopedCurrentDirectory here(world.dir().path());
    ASSERT_TRUE(world.enableDisplay());
    writeSquare("a.img", 4, 2, 3, 0x1111);
    auto* scene = world.loadScene("s.cnv", {"OBJECT=I", "I:TYPE=IMAGE", "I:FILENAME=a.img", "I:TOCANVAS=TRUE",
                                            "I:VISIBLE=TRUE", "I:PRIORITY=5", "I:ASBUTTON=TRUE", "I:PRELOAD=TRUE"});
    ASSERT_NE(scene, nullptr);
    CMC_Image* image = imageNamed(scene, "I");
    ASSERT_NE(image, nullptr);
    const std::string bytes = test::archiveBytes([&](CXArchive& a) { image->serialize(&a); });
    const std::string common = test::archiveBytes([&](CXArchive& a) { image->CMC_Object::serialize(&a); });
    const std::string part("\x01\x00\x00\x05\x00\x00\x00" "a.img" "\x00\x01\x05\x00\x00\x00\x00\x01", 20);
    EXPECT_EQ(bytes, common + part);

    auto copy = std::make_unique<CMC_Image>(scene);
    copy->setScene(scene);
    test::readArchive(bytes, [&](CXArchive& a) { copy->serialize(&a); });
    EXPECT_EQ(copy->getName(), CXString("I"));
    EXPECT_TRUE(copy->isButton());
    EXPECT_EQ(copy->getPriority(), 5);
    EXPECT_TRUE(copy->getPreload());
    ASSERT_NE(copy->getImage(), nullptr);
    EXPECT_EQ(world.screen()->GetPriority(copy->getImage()), 5);
    EXPECT_TRUE(copy->getImage()->CGraphicsObject::isVisible());
    EXPECT_EQ(copy->getImage()->Width(), 4);
    EXPECT_EQ(copy->getImage()->GetPosition(), CXPoint(2, 3));
    EXPECT_EQ(test::archiveBytes([&](CXArchive& a) { copy->serialize(&a); }), bytes);

    // Off the list, hidden, released after use, not preloaded: field 5 true restores it off the list.
    const std::string off = common + std::string("\x00\x00\x00\x05\x00\x00\x00" "a.img" "\x01\x00\x02\x00\x00\x00\x01\x00", 20);
    auto second = std::make_unique<CMC_Image>(scene);
    second->setScene(scene);
    test::readArchive(off, [&](CXArchive& a) { second->serialize(&a); });
    ASSERT_NE(second->getImage(), nullptr);
    EXPECT_EQ(world.screen()->GetPriority(second->getImage()), -1);
    EXPECT_FALSE(second->getImage()->CGraphicsObject::isVisible());
    EXPECT_TRUE(second->getImage()->releaseAfterUse());
    EXPECT_FALSE(second->getImage()->isLoaded());
    EXPECT_EQ(test::archiveBytes([&](CXArchive& a) { second->serialize(&a); }), off);
}


TEST(ImageSerialised, WithoutPreloadKeyLoadsWhenReadBackAsItDidFromItsDefinition) {
    // No PRELOAD key loads at once; the stored flag says so, so the copy loads too.
    test::ScriptWorld world;
    test::ScopedCurrentDirectory here(world.dir().path());
    ASSERT_TRUE(world.enableDisplay());
    writeSquare("a.img", 4, 2, 3, 0x1111);
    auto* scene = world.loadScene("s.cnv", {"OBJECT=I", "I:TYPE=IMAGE", "I:FILENAME=a.img", "I:TOCANVAS=TRUE",
                                            "OBJECT=J", "J:TYPE=IMAGE", "J:FILENAME=a.img", "J:PRELOAD=FALSE"});
    ASSERT_NE(scene, nullptr);
    for (const char* name : {"I", "J"}) {
        CMC_Image* image = imageNamed(scene, name);
        ASSERT_NE(image, nullptr);
        const bool atOnce = std::string(name) == "I";
        EXPECT_EQ(image->getPreload(), atOnce) << name;
        const std::string bytes = test::archiveBytes([&](CXArchive& a) { image->serialize(&a); });
        auto copy = std::make_unique<CMC_Image>(scene);
        copy->setScene(scene);
        test::readArchive(bytes, [&](CXArchive& a) { copy->serialize(&a); });
        ASSERT_NE(copy->getImage(), nullptr);
        EXPECT_EQ(copy->getImage()->isLoaded(), atOnce) << name;
    }
}

}  // namespace
