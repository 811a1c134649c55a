// CANVAS, CANVAS_OBSERVER, PATTERN, SCROLL and VIRTUALGRAPHICSOBJECT through the
// interpreter: their methods, pointer events and lifetimes, and their serialised parts.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "foundation/CXArchive.h"
#include "graphics/canvas/CCanvas.h"
#include "graphics/canvas/CPattern.h"
#include "graphics/canvas/CVirtualGraphicsObject.h"
#include "graphics/core/CGraphicsObject.h"
#include "graphics/image/CImage.h"
#include "graphics/image/CImageFile.h"
#include "graphics/screen/CDirectDrawSurface.h"
#include "graphics/screen/CRefreshScreen.h"
#include "graphics/screen/CValidationQuene.h"
#include "media/CMC_Canvas.h"
#include "media/CMC_CanvasObserver.h"
#include "media/CMC_Image.h"
#include "media/CMC_Pattern.h"
#include "media/CMC_Scroll.h"
#include "media/CMC_VirtualGraphicsObject.h"
#include "scene/CMC_Keyboard.h"
#include "scene/CMC_Scene.h"
#include "script/CMC_Array.h"
#include "script/CMC_Variable.h"
#include "script/CMElement.h"
#include "shell/CWindow.h"
#include "shell/CUnit6.h"
#include "support/DefaultUnitStage.h"
#include "support/ScriptTestSupport.h"
#include "support/TempDir.h"

namespace {

// A picture file of one colour and alpha, placed at (x, y).
void writePicture(const std::string& name, int w, int h, int x, int y, uint16_t colour, uint8_t alpha) {
    CGraphicsObject g(nullptr, CXSize(w, h), 16);
    std::vector<uint16_t> pixels(static_cast<size_t>(w * h), colour);
    std::memcpy(g.GetDataPtr(), pixels.data(), pixels.size() * 2);
    char* plane = new char[static_cast<size_t>(w * h)];
    std::memset(plane, alpha, static_cast<size_t>(w * h));
    g.AlphaChannel(plane);
    g.SetPosition(x, y);
    g.Save(CXString(name.c_str()), COMPRESSION_NONE);
}

template <class T>
T* named(CMC_ObjectsContainer* scene, const char* name) {
    return dynamic_cast<T*>(scene->getObject(CXString(name)));
}

std::string evaluate(CMC_ObjectsContainer* scene, const std::string& statement, const std::string& expression) {
    test::runCode(scene, ("R^SET(\"\");" + statement + "R^SET(" + expression + ");").c_str());
    return test::textValue(scene, "R");
}

std::string arrayText(CMC_ObjectsContainer* scene, const char* name) {
    auto* array = named<CMC_Array>(scene, name);
    if (!array) return "<none>";
    std::string text;
    for (int i = 0; array->get(i); ++i) text += (i ? "," : "") + std::string(array->get(i)->toString().c_str());
    return text;
}

CGraphicsObject* imageOf(CMC_ObjectsContainer* scene, const char* name) {
    auto* image = named<CMC_Image>(scene, name);
    return image ? image->getImage() : nullptr;
}

// A saved picture file read back: its size and the pixel at (x, y).
struct Saved {
    CXSize size;
    uint16_t pixel = 0;
};
Saved readSaved(CWindow* window, const char* name, int x = 0, int y = 0) {
    CImageFile file(window);
    file.Load(CXString(name));
    std::unique_ptr<CGraphicsObject> g(file.getObject());
    Saved saved;
    if (!g || g->LastError() != 0) return saved;
    saved.size = g->Size();
    if (x < saved.size.cx && y < saved.size.cy)
        saved.pixel = reinterpret_cast<uint16_t*>(g->GetDataPtr())[y * g->GetPitch() + x];
    return saved;
}

class CanvasObjects : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(world.enableDisplay(CXSize(200, 100)));
        writePicture("red.img", 10, 10, 5, 5, 0xF800, 255);
        writePicture("blue.img", 20, 10, 30, 40, 0x001F, 255);
        writePicture("clear.img", 20, 20, 0, 0, 0x07E0, 0);
    }
    CMC_ObjectsContainer* load(const test::Lines& lines) {
        test::Lines all = {"OBJECT=R", "R:TYPE=STRING", "R:VALUE=", "OBJECT=ARR", "ARR:TYPE=ARRAY"};
        test::append(all, lines);
        return world.loadScene("canvas.cnv", all);
    }

    test::ScriptWorld world;
    test::ScopedCurrentDirectory here{world.dir().path()};
};

// ---- CANVAS ---------------------------------------------------------------------------

TEST_F(CanvasObjects, CanvasRemembersImagesForRecreateAndCapture) {
    auto* scene = load({"OBJECT=C", "C:TYPE=CANVAS", "C:WIDTH=50", "C:HEIGHT=40", "C:PRIORITY=3",
                        "C:BACKGROUND=TRUE", "C:ALPHA=TRUE", "OBJECT=A", "A:TYPE=IMAGE", "A:FILENAME=red.img",
                        "A:VISIBLE=TRUE", "OBJECT=B", "B:TYPE=IMAGE", "B:FILENAME=blue.img", "B:VISIBLE=TRUE"});
    ASSERT_NE(scene, nullptr);
    auto* canvas = named<CMC_Canvas>(scene, "C");
    ASSERT_NE(canvas, nullptr);
    EXPECT_EQ(world.screen()->GetPriority(canvas->getCanvas()), 3);
    test::runCode(scene, "C^ADD(\"A\", 5);C^ADD(\"A\", 6);C^ADD(\"B\");");
    EXPECT_EQ(canvas->getAddedNames().size(), 2u);
    EXPECT_EQ(canvas->getCanvas()->getPriorityOf(imageOf(scene, "A")), 5);
    test::runCode(scene, "C^REMOVE(\"A\");C^RECREATE(60, 30, TRUE, TRUE, 2, FALSE);");
    CCanvas* recreated = canvas->getCanvas();
    EXPECT_EQ(recreated->Size(), CXSize(60, 30));
    EXPECT_EQ(recreated->getPriorityOf(imageOf(scene, "A")), 2);
    EXPECT_EQ(world.screen()->GetPriority(recreated), 2);
    EXPECT_EQ(evaluate(scene, "", "C^GETWIDTH()"), "60");
    EXPECT_EQ(evaluate(scene, "", "C^GETNUMVISIBLEPIXELS()"), "0");
    // CAPTURE deletes the remembered objects through the trash, each once.
    test::runCode(scene, "C^CAPTURE();");
    EXPECT_FALSE(test::hasObject(scene, "A"));
    EXPECT_FALSE(test::hasObject(scene, "B"));
    world.frames(1);
    EXPECT_TRUE(canvas->getAddedNames().empty());
    EXPECT_EQ(canvas->getCanvas()->getObjects()->getCount(), 1);
    test::runCode(scene, "C^RECREATE(1, 2);");  // short lists do nothing
    EXPECT_EQ(canvas->getCanvas()->Size(), CXSize(60, 30));
}

TEST_F(CanvasObjects, CanvasListensOnlyForPointerKeysAndCapturesFromAHandler) {
    auto* scene = load({"OBJECT=C", "C:TYPE=CANVAS", "C:WIDTH=50", "C:HEIGHT=40", "C:BACKGROUND=TRUE",
                        "C:ONCLICK^LEFT={R^SET(\"left\");}", "OBJECT=D", "D:TYPE=CANVAS", "D:WIDTH=5",
                        "D:HEIGHT=5", "D:ONFOCUSON^X={R^SET(\"x\");}", "D:ONINIT={R^SET(\"i\");}", "OBJECT=A",
                        "A:TYPE=IMAGE", "A:FILENAME=red.img", "A:VISIBLE=TRUE",
                        "A:ASBUTTON=TRUE", "A:ONCLICK={C^ADD(\"A\");C^CAPTURE();}"});
    ASSERT_NE(scene, nullptr);
    auto* c = named<CMC_Canvas>(scene, "C");
    auto* d = named<CMC_Canvas>(scene, "D");
    EXPECT_TRUE(c->isListening());
    EXPECT_FALSE(d->isListening());
    EXPECT_TRUE(c->onClick(0, CXPoint(10, 10)));
    EXPECT_EQ(test::textValue(scene, "R"), "left");
    EXPECT_FALSE(c->onClick(0, CXPoint(60, 10)));
    // The image's own handler captures it: it leaves the scene and dies at the step's end.
    auto* image = named<CMC_Image>(scene, "A");
    EXPECT_TRUE(image->onClick(0, CXPoint(7, 7)));
    EXPECT_FALSE(test::hasObject(scene, "A"));
    world.frames(2);
    EXPECT_EQ(c->getCanvas()->getObjects()->getCount(), 1);
}

TEST_F(CanvasObjects, TwoClonesCaptureOnceEachAndACanvasNeverHoldsItself) {
    auto* scene = load({"OBJECT=C", "C:TYPE=CANVAS", "C:WIDTH=50", "C:HEIGHT=40", "C:BACKGROUND=TRUE",
                        "OBJECT=A", "A:TYPE=IMAGE", "A:FILENAME=red.img", "A:VISIBLE=TRUE"});
    ASSERT_NE(scene, nullptr);
    test::runCode(scene, "C^ADD(\"A\");C^CLONE(2);C^ADD(\"C\");");
    auto* c = named<CMC_Canvas>(scene, "C");
    EXPECT_FALSE(c->getCanvas()->contains(c->getCanvas()));
    auto* first = named<CMC_Canvas>(scene, "C_1");
    auto* second = named<CMC_Canvas>(scene, "C_2");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(first->getCanvas()->contains(imageOf(scene, "A")));
    test::runCode(scene, "C_1^CAPTURE();C_2^CAPTURE();C^CAPTURE();");
    EXPECT_FALSE(test::hasObject(scene, "A"));
    world.frames(2);
    world.frames(2);
}

TEST_F(CanvasObjects, AnImageRemovedWhileHeldLeavesEveryHolder) {
    auto* scene = load({"OBJECT=C", "C:TYPE=CANVAS", "C:WIDTH=50", "C:HEIGHT=40", "OBJECT=P", "P:TYPE=PATTERN",
                        "P:WIDTH=100", "P:HEIGHT=60", "P:GRIDX=20", "P:GRIDY=20", "P:TOCANVAS=TRUE",
                        "P:VISIBLE=TRUE", "OBJECT=S", "S:TYPE=SCROLL", "S:VIEWPORT=0,0,100,100", "OBJECT=V",
                        "V:TYPE=VIRTUALGRAPHICSOBJECT", "V:TOCANVAS=TRUE", "V:VISIBLE=TRUE", "OBJECT=A",
                        "A:TYPE=IMAGE", "A:FILENAME=red.img", "A:VISIBLE=TRUE", "OBJECT=B", "B:TYPE=IMAGE",
                        "B:FILENAME=blue.img"});
    ASSERT_NE(scene, nullptr);
    test::runCode(scene,
                  "C^ADD(\"A\");P^ADD(\"a\", 1, 1, \"A\", 0);S^ADD(\"A\");V^SETSOURCE(\"A\");V^SETMASK(\"B\");"
                  "V^SETSOURCE(\"B\");V^SETMASK(\"A\");");
    auto* image = named<CMC_Image>(scene, "A");
    ASSERT_TRUE(scene->removeObject(image));
    delete image;
    EXPECT_EQ(named<CMC_Canvas>(scene, "C")->getCanvas()->getObjects()->getCount(), 0);
    EXPECT_EQ(named<CMC_Pattern>(scene, "P")->getPattern()->get(1, 1, 0), nullptr);
    EXPECT_TRUE(named<CMC_Scroll>(scene, "S")->getObjects().empty());
    EXPECT_EQ(named<CMC_VirtualGraphicsObject>(scene, "V")->getEngine()->getMask(), nullptr);
    test::runCode(scene, "S^SCROLLUP(3);");
    world.frames(2);
}

TEST_F(CanvasObjects, CanvasDrawsClearsFadesAndSaves) {
    auto* scene = load({"OBJECT=C", "C:TYPE=CANVAS", "C:WIDTH=50", "C:HEIGHT=40", "C:PRIORITY=3",
                        "C:BACKGROUND=TRUE", "C:ALPHA=TRUE", "OBJECT=A", "A:TYPE=IMAGE", "A:FILENAME=red.img",
                        "A:VISIBLE=TRUE"});
    ASSERT_NE(scene, nullptr);
    auto* canvas = named<CMC_Canvas>(scene, "C");
    auto pixelOf = [](CGraphicsObject* g, int x, int y) {
        return reinterpret_cast<uint16_t*>(g->GetDataPtr())[y * g->GetPitch() + x];
    };
    // DRAW stamps the image into the background at the place given, not at its own.
    test::runCode(scene, "C^DRAW(\"A\", 2, 3);C^DRAW(\"NOBODY\", 0, 0);");
    CGraphicsObject* background = canvas->getCanvas()->getBackground();
    ASSERT_NE(background, nullptr);
    EXPECT_EQ(pixelOf(background, 2, 3), 0xF800);
    EXPECT_EQ(pixelOf(background, 11, 12), 0xF800);
    EXPECT_EQ(pixelOf(background, 12, 13), 0);
    EXPECT_EQ(evaluate(scene, "", "C^GETNUMVISIBLEPIXELS()"), "100");
    // CLEAR takes the children off and zeroes the background too.
    test::runCode(scene, "C^ADD(\"A\");C^CLEAR();");
    EXPECT_FALSE(canvas->getCanvas()->contains(imageOf(scene, "A")));
    EXPECT_EQ(pixelOf(background, 2, 3), 0);
    EXPECT_EQ(evaluate(scene, "", "C^GETNUMVISIBLEPIXELS()"), "0");
    test::runCode(scene, "C^SETOPACITY(300);");
    EXPECT_EQ(canvas->getCanvas()->GetOpacity(), 300 & 0xFF);

    // SAVE: a rectangle is cut from a copy; scale factors without one shrink the canvas itself.
    test::runCode(scene, "C^SETOPACITY(255);C^DRAW(\"A\", 0, 0);C^ADD(\"A\");");
    world.frame();
    struct Row {
        const char* statement;
        const char* file;
        CXSize saved;
        CXSize after;
    };
    const Row rows[] = {
        {"C^SAVE(\"cut.img\", 0.5, 0.5, 0, 0, 20, 10);", "cut.img", CXSize(10, 5), CXSize(50, 40)},
        {"C^SAVE(\"flat.img\", 1.0, 1.0, 5, 5, 5, 30);", "flat.img", CXSize(50, 40), CXSize(50, 40)},
        {"C^SAVE(\"half.img\", 0.5, 0.5);", "half.img", CXSize(25, 20), CXSize(25, 20)},
    };
    for (const Row& row : rows) {
        test::runCode(scene, row.statement);
        const Saved saved = readSaved(world.window(), row.file, 1, 1);
        EXPECT_EQ(saved.size, row.saved) << row.statement;
        EXPECT_EQ(saved.pixel, 0xF800) << row.statement;
        EXPECT_EQ(canvas->getCanvas()->Size(), row.after) << row.statement;
    }
    world.frame();
}

TEST_F(CanvasObjects, CanvasButtonFocusClickAndRelease) {
    auto* scene = load({"OBJECT=LOG", "LOG:TYPE=STRING", "LOG:VALUE=", "OBJECT=C", "C:TYPE=CANVAS", "C:WIDTH=50",
                        "C:HEIGHT=40", "C:ONFOCUSON={LOG^ADD(\"+\");}", "C:ONFOCUSOFF={LOG^ADD(\"-\");}",
                        "C:ONCLICK={LOG^ADD(\"c\");}", "C:ONRELEASE^RIGHT={LOG^ADD(\"R\");}",
                        "C:ONRELEASE={LOG^ADD(\"r\");}", "OBJECT=K", "K:TYPE=CANVAS", "K:WIDTH=50", "K:HEIGHT=40",
                        "K:ONCLICK={LOG^ADD(\"k\");}"});
    ASSERT_NE(scene, nullptr);
    auto* c = named<CMC_Canvas>(scene, "C");
    auto* k = named<CMC_Canvas>(scene, "K");
    struct Step {
        const char* statement;  // run first, then LOG is emptied
        char event;             // m move, c click, r release
        int button, x, y;
        bool answer;
        const char* log;        // LOG afterwards
    };
    const Step steps[] = {
        {"", 'm', 0, 10, 10, false, "+"},
        {"", 'm', 0, 20, 10, false, "+"},
        {"", 'r', 0, 20, 10, false, "+r"},     // no ONRELEASE^LEFT: the plain form
        {"", 'r', 2, 20, 10, false, "+rR"},    // the caret form took it
        {"", 'r', 0, 80, 10, false, "+rR"},
        {"", 'c', 0, 20, 10, true, "+rRc"},
        {"", 'm', 0, 80, 10, false, "+rRc-"},
        {"C^SETASBUTTON(FALSE);", 'm', 0, 10, 10, false, ""},
        {"", 'c', 0, 10, 10, false, ""},
        {"", 'r', 0, 10, 10, false, ""},
        {"C^SETASBUTTON(TRUE, FALSE);", 'm', 0, 10, 10, false, "+"},
        {"C^HIDE();", 'm', 0, 80, 10, false, ""},  // hidden: no ONFOCUSOFF, still focused
        {"C^SHOW();", 'm', 0, 10, 10, false, ""},
        {"", 'm', 0, 80, 10, false, "-"},
    };
    for (const Step& step : steps) {
        if (*step.statement) test::runCode(scene, (std::string(step.statement) + "LOG^SET(\"\");").c_str());
        const CXPoint p(step.x, step.y);
        const bool answer = step.event == 'm'   ? c->onMouseMove(p)
                            : step.event == 'c' ? c->onClick(step.button, p)
                                                : c->onRelease(step.button, p);
        EXPECT_EQ(answer, step.answer) << step.statement << step.event << step.x;
        EXPECT_EQ(test::textValue(scene, "LOG"), step.log) << step.statement << step.event << step.x;
    }
    EXPECT_TRUE(c->isListening());
    // Entering changes the cursor only with the active cursor on.
    int activeShape = 0;
    const auto active = static_cast<platform::CursorHandle>(&activeShape);
    world.window()->SetActiveCursor(active);
    world.input().setCursor(nullptr);
    test::runCode(scene, "C^SETASBUTTON(TRUE, FALSE);");
    c->onMouseMove(CXPoint(10, 10));
    EXPECT_EQ(world.input().cursor(), nullptr);
    c->onMouseMove(CXPoint(80, 10));
    test::runCode(scene, "C^SETASBUTTON(TRUE);");
    c->onMouseMove(CXPoint(10, 10));
    EXPECT_EQ(world.input().cursor(), active);
    // With only ONCLICK, moves raise nothing; the click does.
    test::runCode(scene, "LOG^SET(\"\");");
    k->onMouseMove(CXPoint(10, 10));
    k->onMouseMove(CXPoint(80, 10));
    EXPECT_TRUE(k->onClick(0, CXPoint(10, 10)));
    EXPECT_EQ(test::textValue(scene, "LOG"), "k");
}

// ---- CANVAS_OBSERVER -------------------------------------------------------------------

TEST_F(CanvasObjects, ObserverNoticesFollowTheScreensFlag) {
    auto* scene = load({"OBJECT=N1", "N1:TYPE=INTEGER", "N1:VALUE=0", "OBJECT=N2", "N2:TYPE=INTEGER",
                        "N2:VALUE=0", "OBJECT=O1", "O1:TYPE=CANVAS_OBSERVER", "O1:ONUPDATE={N1^ADD(1);}",
                        "OBJECT=O2", "O2:TYPE=CANVAS_OBSERVER", "O2:ONUPDATED={N2^ADD(1);}", "OBJECT=A",
                        "A:TYPE=IMAGE", "A:FILENAME=red.img", "A:VISIBLE=TRUE", "A:TOCANVAS=TRUE"});
    ASSERT_NE(scene, nullptr);
    world.frames(3);
    EXPECT_EQ(test::intValue(scene, "N1"), 0);
    test::runCode(scene, "O2^ENABLENOTIFY(TRUE);");
    world.frames(3);
    EXPECT_EQ(test::intValue(scene, "N1"), 3);
    EXPECT_EQ(test::intValue(scene, "N2"), 3);
    test::runCode(scene, "O1^ENABLENOTIFY(FALSE);");
    world.frames(2);
    EXPECT_EQ(test::intValue(scene, "N2"), 3);
}

TEST_F(CanvasObjects, RedrawFromOnUpdateOnlyInvalidates) {
    auto* scene = load({"OBJECT=N", "N:TYPE=INTEGER", "N:VALUE=0", "OBJECT=O", "O:TYPE=CANVAS_OBSERVER",
                        "O:ONUPDATE={N^ADD(1);O^REDRAW();}", "OBJECT=A", "A:TYPE=IMAGE", "A:FILENAME=red.img",
                        "A:VISIBLE=TRUE", "A:TOCANVAS=TRUE"});
    ASSERT_NE(scene, nullptr);
    test::runCode(scene, "O^ENABLENOTIFY(TRUE);");
    world.frames(2);
    EXPECT_EQ(test::intValue(scene, "N"), 2);
}

TEST_F(CanvasObjects, ObserverFindsGraphicsAtAPoint) {
    auto* scene = load({"OBJECT=O", "O:TYPE=CANVAS_OBSERVER", "OBJECT=A", "A:TYPE=IMAGE", "A:FILENAME=red.img",
                        "A:VISIBLE=TRUE", "A:TOCANVAS=TRUE", "A:PRIORITY=1", "OBJECT=G", "G:TYPE=IMAGE",
                        "G:FILENAME=clear.img", "G:VISIBLE=TRUE", "G:TOCANVAS=TRUE", "G:PRIORITY=5"});
    ASSERT_NE(scene, nullptr);
    struct Row {
        const char* expression;
        const char* expected;
    };
    const Row rows[] = {
        {"O^GETGRAPHICSAT(7, 7, TRUE, -1)", "A"},            // four: no bounds; G's alpha is 0
        {"O^GETGRAPHICSAT(7, 7, TRUE, 2, 9)", "NULL"},       // five: both bounds
        {"O^GETGRAPHICSAT(7, 7, TRUE, -1, -1, TRUE)", "G"},  // six: alpha ignored
        {"O^GETGRAPHICSAT(150, 90)", "NULL"},
        {"O^GETGRAPHICSAT2(7, 7, TRUE, -1, -1, TRUE)", "G"},
        {"O^GETGRAPHICSAT(7)", "NULL"},
    };
    for (const Row& row : rows) EXPECT_EQ(evaluate(scene, "", row.expression), row.expected) << row.expression;
    CGraphicsObject stranger(world.window(), CXSize(10, 10), 16);
    world.screen()->put(&stranger, 50);
    EXPECT_EQ(evaluate(scene, "", "O^GETGRAPHICSAT(150, 90, FALSE, -1, -1, TRUE)"), "NULL");
    EXPECT_EQ(evaluate(scene, "", "O^GETGRAPHICSAT(1, 1, FALSE, -1, -1, TRUE)"), "UNKNOWN");
    *world.screen() >> &stranger;
}

TEST_F(CanvasObjects, ObserverPastesAndForgetsADestroyedBackground) {
    auto* scene = load({"OBJECT=O", "O:TYPE=CANVAS_OBSERVER", "OBJECT=A", "A:TYPE=IMAGE", "A:FILENAME=red.img", "A:VISIBLE=TRUE",
                        "A:TOCANVAS=TRUE", "OBJECT=B", "B:TYPE=IMAGE", "B:FILENAME=blue.img"});
    ASSERT_NE(scene, nullptr);
    // PASTE draws into the background and leaves the graphic's place and clipping.
    test::runCode(scene, "O^SETBACKGROUND(\"B\");");
    CDirectDrawSurface* background = world.screen()->getBackgroundIfc();
    ASSERT_NE(background, nullptr);
    CGraphicsObject* a = imageOf(scene, "A");
    a->SetClippingRect(CXRect(0, 0, 4, 4));
    test::runCode(scene, "O^PASTE(\"A\", 2, 3);");
    EXPECT_EQ(a->GetPosition(), CXPoint(5, 5));
    EXPECT_EQ(a->GetClippingRect(), CXRect(0, 0, 4, 4));
    EXPECT_EQ(reinterpret_cast<uint16_t*>(background->GetDataPtr())[3 * background->GetPitch() + 2], 0xF800);
    // A destroyed background graphic is no longer restored from.
    EXPECT_EQ(background->getApplied(), imageOf(scene, "B"));
    auto* b = named<CMC_Image>(scene, "B");
    ASSERT_TRUE(scene->removeObject(b));
    delete b;
    EXPECT_EQ(background->getApplied(), nullptr);
    world.frames(1);
}

TEST_F(CanvasObjects, ObserverPutsTakesMovesRefreshesAndSaves) {
    auto* scene = load({"OBJECT=O", "O:TYPE=CANVAS_OBSERVER", "OBJECT=A", "A:TYPE=IMAGE", "A:FILENAME=red.img",
                        "A:VISIBLE=TRUE", "OBJECT=B", "B:TYPE=IMAGE", "B:FILENAME=blue.img", "OBJECT=D",
                        "D:TYPE=IMAGE", "D:FILENAME=blue.img", "D:VISIBLE=TRUE"});
    ASSERT_NE(scene, nullptr);
    CRefreshScreen* screen = world.screen();
    CGraphicsObject* a = imageOf(scene, "A");
    CGraphicsObject* d = imageOf(scene, "D");
    EXPECT_EQ(evaluate(scene, "", "O^GETBPP()"), "16");
    EXPECT_EQ(screen->GetPriority(a), -1);
    test::runCode(scene, "O^ADD(\"A\");O^ADD(\"A\", 5);O^ADD(\"D\", 7);O^ADD(\"NOBODY\");");
    EXPECT_EQ(screen->GetPriority(a), 1000);  // one argument: 1000; already there: kept
    EXPECT_EQ(screen->GetPriority(d), 7);
    test::runCode(scene, "O^REMOVE(\"D\");O^REMOVE(\"D\");O^REMOVE(\"NOBODY\");");
    EXPECT_EQ(screen->getIndex(d), -1);
    // Graphics on the screen at a negative priority are on it all the same.
    test::runCode(scene, "O^ADD(\"D\", -3);");
    EXPECT_EQ(screen->GetPriority(d), -3);
    test::runCode(scene, "O^ADD(\"D\", 4);");
    EXPECT_EQ(screen->GetPriority(d), -3);
    test::runCode(scene, "O^REMOVE(\"D\");");
    EXPECT_EQ(screen->getIndex(d), -1);

    // Without a background the background methods change nothing.
    test::runCode(scene, "O^MOVEBKG(3, 4);O^SETBKGPOS(1, 2);");
    test::runCode(scene, "O^SETBACKGROUND(\"B\");");
    CDirectDrawSurface* background = screen->getBackgroundIfc();
    ASSERT_NE(background, nullptr);
    const CXPoint at = background->getPosition();
    test::runCode(scene, "O^MOVEBKG(3, 4);");
    EXPECT_EQ(background->getPosition(), at + CXPoint(3, 4));
    test::runCode(scene, "O^SETBKGPOS(-2, 6);");
    EXPECT_EQ(background->getPosition(), CXPoint(-2, 6));
    test::runCode(scene, "O^SETBKGPOS(0, 0);");
    world.frames(2);

    // A paste into the background shows after REFRESH, not before.
    const uint64_t before = world.frontBufferHash();
    test::runCode(scene, "O^PASTE(\"A\", 2, 3);");
    world.frame();
    EXPECT_EQ(world.frontBufferHash(), before);
    test::runCode(scene, "O^REFRESH();");
    world.frame();
    EXPECT_NE(world.frontBufferHash(), before);

    // SAVE writes the last drawn picture, cut and scaled, and leaves the screen alone.
    struct Row {
        const char* statement;
        const char* file;
        CXSize size;
        int x, y;
        uint16_t pixel;
    };
    const Row rows[] = {
        {"O^SAVE(\"all.img\");", "all.img", CXSize(200, 100), 7, 7, 0xF800},
        {"O^SAVE(\"half.img\", 0.5, 0.5);", "half.img", CXSize(100, 50), 4, 4, 0xF800},
        {"O^SAVE(\"cut.img\", 1.0, 1.0, 4, 4, 24, 24);", "cut.img", CXSize(20, 20), 3, 3, 0xF800},
        {"O^SAVE(\"cuthalf.img\", 0.5, 1.0, 4, 4, 24, 24);", "cuthalf.img", CXSize(10, 20), 2, 3, 0xF800},
        {"O^SAVE(\"flat.img\", 1.0, 1.0, 10, 10, 10, 50);", "flat.img", CXSize(200, 100), 0, 0, 0},
    };
    const uint64_t shown = world.frontBufferHash();
    for (const Row& row : rows) {
        test::runCode(scene, row.statement);
        const Saved saved = readSaved(world.window(), row.file, row.x, row.y);
        EXPECT_EQ(saved.size, row.size) << row.statement;
        if (row.pixel) {
            EXPECT_EQ(saved.pixel, row.pixel) << row.statement;
        }
    }
    world.frame();
    EXPECT_EQ(world.frontBufferHash(), shown);
    EXPECT_EQ(screen->Width(), 200);
}

// Observers with handlers for every screen event, with or without notification: the
// first picture of the entered unit and the window's focus.
TEST_F(CanvasObjects, ObserverEventsOfTheFirstPictureAndTheFocus) {
    test::DefaultUnitStage stage(world);
    struct Case {
        bool notify;
        const char* first;  // after the first two frames
        const char* focus;  // after losing and regaining the focus, with a frame between
    };
    const Case cases[] = {
        {false, "I", "I"},
        {true, "iudIud", "iudIudfF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.notify);
        CUnit6 unit(world.window(), CXString("ROOM"));
        unit.initialize(nullptr, nullptr);
        world.window()->setCurrentUnit(&unit);
        auto* scene = load({"OBJECT=LOG", "LOG:TYPE=STRING", "LOG:VALUE=", "OBJECT=O", "O:TYPE=CANVAS_OBSERVER",
                            "O:ONINITIALUPDATE={LOG^ADD(\"i\");}", "O:ONINITIALUPDATED={LOG^ADD(\"I\");}",
                            "O:ONUPDATE={LOG^ADD(\"u\");}", "O:ONUPDATED={LOG^ADD(\"d\");}",
                            "O:ONWINDOWFOCUSON={LOG^ADD(\"F\");}", "O:ONWINDOWFOCUSOFF={LOG^ADD(\"f\");}",
                            "OBJECT=A", "A:TYPE=IMAGE", "A:FILENAME=red.img", "A:VISIBLE=TRUE", "A:TOCANVAS=TRUE"});
        ASSERT_NE(scene, nullptr);
        test::runCode(scene, c.notify ? "O^ENABLENOTIFY(TRUE);" : "O^ENABLENOTIFY(FALSE);");
        world.frames(2);
        EXPECT_EQ(test::textValue(scene, "LOG"), c.first);
        world.window()->OnActivateApp(false);
        world.frame();  // inactive: no pass
        world.window()->OnActivateApp(true);
        EXPECT_EQ(test::textValue(scene, "LOG"), c.focus);
        test::runCode(scene, "O^ENABLENOTIFY(FALSE);");
        scene->unload();
        world.window()->setCurrentUnit(nullptr);
        unit.done(nullptr, nullptr);
        world.applicationStep();
    }
}

// ---- PATTERN ---------------------------------------------------------------------------

TEST_F(CanvasObjects, PatternCellsInfoAndCoordinates) {
    auto* scene = load({"OBJECT=P", "P:TYPE=PATTERN", "P:WIDTH=100", "P:HEIGHT=60", "P:GRIDX=20", "P:GRIDY=20",
                        "P:LAYERS=2", "P:VISIBLE=TRUE", "P:TOCANVAS=TRUE", "OBJECT=Z", "Z:TYPE=PATTERN",
                        "Z:WIDTH=10", "Z:HEIGHT=10", "Z:GRIDX=0", "Z:LAYERS=-1", "OBJECT=A", "A:TYPE=IMAGE",
                        "A:FILENAME=red.img", "A:VISIBLE=TRUE", "OBJECT=B", "B:TYPE=IMAGE", "B:FILENAME=blue.img"});
    ASSERT_NE(scene, nullptr);
    auto* zero = named<CMC_Pattern>(scene, "Z")->getPattern();
    EXPECT_EQ(zero->getGrid(), CXSize(1, 1));
    EXPECT_EQ(zero->getLayers(), 1);
    EXPECT_EQ(zero->getColumns(), 10);
    test::runCode(scene, "P^SETPOSITION(10, 20);P^ADD(\"ra\", 2, 1, \"A\", 7);P^ADD(\"bl\", 2, 1, \"B\", 8, 1);");
    EXPECT_EQ(evaluate(scene, "", "P^GETALIASATCELL(2, 1)"), "ra");
    EXPECT_EQ(evaluate(scene, "", "P^GETALIASATCELL(2, 1, 1)"), "bl");
    EXPECT_EQ(evaluate(scene, "", "P^GETALIASATCELL(9, 1)"), "NULL");
    EXPECT_EQ(evaluate(scene, "", "P^GETGRAPHICSAT(55, 45, TRUE, TRUE)"), "B");
    EXPECT_EQ(evaluate(scene, "", "P^GETGRAPHICSAT(55, 45, TRUE, TRUE, 0)"), "A");
    EXPECT_EQ(evaluate(scene, "", "P^GETALIASAT(55, 45, TRUE, TRUE)"), "ra");
    EXPECT_EQ(evaluate(scene, "", "P^GETALIASAT(5, 5, TRUE, TRUE)"), "NULL");
    test::runCode(scene, "P^GETINFOAT(55, 45, TRUE, TRUE, \"ARR\");");
    EXPECT_EQ(arrayText(scene, "ARR"), "ra,2,1,10,10,55,45");
    test::runCode(scene, "ARR^REMOVEALL();");
    EXPECT_EQ(evaluate(scene, "", "P^GETCELLCORD(5, 25, \"ARR\")"), "FALSE");
    EXPECT_EQ(arrayText(scene, "ARR"), "0,0");
    test::runCode(scene, "P^REMOVE(\"ra\");P^REMOVE(2, 1, 1);");
    EXPECT_EQ(evaluate(scene, "", "P^GETALIASATCELL(2, 1)"), "NULL");
    EXPECT_EQ(evaluate(scene, "", "P^GETALIASATCELL(2, 1, 1)"), "NULL");
}

TEST_F(CanvasObjects, PatternTakesClicksOnItsBox) {
    auto* scene = load({"OBJECT=P", "P:TYPE=PATTERN", "P:WIDTH=100", "P:HEIGHT=60", "P:GRIDX=20", "P:GRIDY=20",
                        "P:VISIBLE=TRUE", "P:TOCANVAS=TRUE", "P:ONCLICK={R^SET(\"hit\");}"});
    ASSERT_NE(scene, nullptr);
    auto* pattern = named<CMC_Pattern>(scene, "P");
    EXPECT_TRUE(pattern->isListening());
    EXPECT_FALSE(pattern->onClick(0, CXPoint(150, 10)));
    EXPECT_TRUE(pattern->onClick(0, CXPoint(50, 10)));
    EXPECT_EQ(test::textValue(scene, "R"), "hit");
}

// Entering changes the cursor even with only an ONFOCUSON handler; a pattern with
// only ONRELEASE raises it on a release inside and lets the release go on.
TEST_F(CanvasObjects, PatternFocusAndRelease) {
    auto* scene = load({"OBJECT=LOG", "LOG:TYPE=STRING", "LOG:VALUE=", "OBJECT=P", "P:TYPE=PATTERN",
                        "P:WIDTH=100", "P:HEIGHT=60", "P:GRIDX=20", "P:GRIDY=20", "P:VISIBLE=TRUE",
                        "P:TOCANVAS=TRUE", "P:ONFOCUSON={LOG^ADD(\"+\");}", "OBJECT=Q", "Q:TYPE=PATTERN",
                        "Q:WIDTH=100", "Q:HEIGHT=60", "Q:GRIDX=20", "Q:GRIDY=20", "Q:VISIBLE=TRUE",
                        "Q:TOCANVAS=TRUE", "Q:ONRELEASE^MIDDLE={LOG^ADD(\"m\");}", "Q:ONRELEASE={LOG^ADD(\"r\");}"});
    ASSERT_NE(scene, nullptr);
    auto* p = named<CMC_Pattern>(scene, "P");
    auto* q = named<CMC_Pattern>(scene, "Q");
    int activeShape = 0;
    world.window()->SetActiveCursor(&activeShape);
    ASSERT_NE(world.input().cursor(), static_cast<platform::CursorHandle>(&activeShape));

    EXPECT_FALSE(p->onMouseMove(CXPoint(50, 30)));
    EXPECT_TRUE(p->isFocused());
    EXPECT_EQ(world.input().cursor(), static_cast<platform::CursorHandle>(&activeShape));
    EXPECT_FALSE(p->onMouseMove(CXPoint(60, 30)));
    EXPECT_FALSE(p->onMouseMove(CXPoint(150, 30)));
    EXPECT_FALSE(p->isFocused());
    EXPECT_EQ(test::textValue(scene, "LOG"), "+");
    EXPECT_FALSE(p->onRelease(0, CXPoint(50, 30)));  // no ONRELEASE handler
    EXPECT_FALSE(p->onClick(0, CXPoint(50, 30)));

    test::runCode(scene, "LOG^SET(\"\");");
    p->getPattern()->Visible(false);
    EXPECT_FALSE(q->onMouseMove(CXPoint(50, 30)));
    EXPECT_FALSE(q->isFocused());  // no focus handler: moves do nothing
    EXPECT_FALSE(q->onRelease(0, CXPoint(50, 30)));
    EXPECT_FALSE(q->onRelease(1, CXPoint(50, 30)));
    EXPECT_FALSE(q->onRelease(0, CXPoint(150, 30)));
    EXPECT_EQ(test::textValue(scene, "LOG"), "rm");
    // Hidden, the pattern hears nothing.
    EXPECT_FALSE(p->onMouseMove(CXPoint(50, 30)));
    EXPECT_EQ(test::textValue(scene, "LOG"), "rm");
}

// ---- SCROLL ----------------------------------------------------------------------------

TEST_F(CanvasObjects, ScrollClipsHidesAndMoves) {
    // A at (5, 5) 10 x 10; B at (30, 40) 20 x 10.
    auto* scene = load({"OBJECT=S", "S:TYPE=SCROLL", "S:VIEWPORT=10,0,40,45", "OBJECT=A", "A:TYPE=IMAGE",
                        "A:FILENAME=red.img", "A:VISIBLE=TRUE", "OBJECT=B", "B:TYPE=IMAGE", "B:FILENAME=blue.img",
                        "B:VISIBLE=TRUE", "OBJECT=T", "T:TYPE=IMAGE", "T:FILENAME=red.img", "T:VISIBLE=TRUE",
                        "OBJECT=O", "O:TYPE=IMAGE", "O:FILENAME=blue.img", "O:VISIBLE=TRUE"});
    ASSERT_NE(scene, nullptr);
    CGraphicsObject* a = imageOf(scene, "A");
    CGraphicsObject* b = imageOf(scene, "B");
    CGraphicsObject* t = imageOf(scene, "T");
    CGraphicsObject* o = imageOf(scene, "O");
    t->SetPosition(0, 0);   // right edge on the viewport's left edge
    o->SetPosition(100, 0);  // outside
    test::runCode(scene, "S^ADD(\"A\");S^ADD(\"B\");S^ADD(\"T\");S^ADD(\"O\");S^ADD(\"A\");");
    EXPECT_EQ(a->GetClippingRect(), CXRect(5, 0, 10, 10));  // straddling: the part inside
    EXPECT_EQ(b->GetClippingRect(), CXRect(0, 0, 10, 5));
    EXPECT_FALSE(t->isVisible());
    EXPECT_FALSE(o->isVisible());
    test::runCode(scene, "S^SCROLLLEFT(-10);");
    EXPECT_EQ(a->GetPosition(), CXPoint(25, 5));  // added twice: moved twice
    EXPECT_EQ(b->GetPosition(), CXPoint(40, 40));
    EXPECT_FALSE(b->isVisible());
    EXPECT_TRUE(t->isVisible());
    test::runCode(scene, "S^MOVE(0, 0);");
    EXPECT_EQ(named<CMC_Scroll>(scene, "S")->getViewport(), CXRect(10, 0, 40, 45));
    test::runCode(scene, "S^REMOVE(\"A\");");
    EXPECT_EQ(a->GetPosition(), CXPoint(25, 5));
    EXPECT_EQ(a->GetClippingRect(), CXRect());
}

// ---- VIRTUALGRAPHICSOBJECT -------------------------------------------------------------

TEST_F(CanvasObjects, VirtualObjectMethods) {
    auto* scene = load({"OBJECT=V", "V:TYPE=VIRTUALGRAPHICSOBJECT", "V:TOCANVAS=TRUE", "V:VISIBLE=TRUE",
                        "V:PRIORITY=4", "V:SOURCE=B", "OBJECT=A", "A:TYPE=IMAGE", "A:FILENAME=red.img",
                        "A:VISIBLE=TRUE", "OBJECT=B", "B:TYPE=IMAGE", "B:FILENAME=blue.img"});
    ASSERT_NE(scene, nullptr);
    auto* v = named<CMC_VirtualGraphicsObject>(scene, "V");
    CVirtualGraphicsObject* engine = v->getEngine();
    EXPECT_EQ(engine->getSource(), nullptr);  // SOURCE is kept, not applied
    EXPECT_EQ(world.screen()->GetPriority(engine), 4);
    struct Row {
        const char* statement;
        const char* expression;
        const char* expected;
    };
    const Row rows[] = {
        {"V^SETSOURCE(\"B\");", "V^GETWIDTH()", "20"},
        {"V^SETMASK(\"A\");", "V^GETWIDTH()", "10"},
        {"", "V^GETHEIGHT()", "10"},
        {"V^SETPOSITION(50, 60);", "V^GETPOSITIONX()", "50"},
        {"V^MOVE(1, 2);", "V^GETPOSITIONY()", "62"},
        {"V^HIDE();", "V^ISVISIBLE()", "FALSE"},
        {"V^SHOW();", "V^ISVISIBLE()", "TRUE"},
        {"", "V^ISINSIDE(52, 64, FALSE)", "TRUE"},
        {"", "V^ISINSIDE(52, 64, TRUE)", "TRUE"},
        {"", "V^ISINSIDE(49, 64, TRUE)", "FALSE"},
        {"", "V^ISNEAR(51, 62, 61, 72, 100)", "TRUE"},
        {"", "V^ISNEAR(\"NOBODY\", 0)", "FALSE"},
        {"", "V^ISNEAR(1, 2)", "FALSE"},
        {"V^SETCLIPPING(0, 0, 3, 3);", "V^GETWIDTH()", "10"},
        {"V^CLEARCLIPPING();V^SETPRIORITY(7);", "V^GETHEIGHT()", "10"},
        {"V^SETASBUTTON(FALSE, FALSE);V^INVALIDATE();", "V^ISVISIBLE()", "TRUE"},
        {"V^SETCLIPPING(\"NOBODY\");", "V^ISVISIBLE()", "TRUE"},
        {"V^MONITORCOLLISION(FALSE);V^REMOVEMONITORCOLLISION();", "V^ISVISIBLE()", "TRUE"},
        {"V^SETPOSITION(1);", "V^GETPOSITIONX()", "51"},
    };
    for (const Row& row : rows) EXPECT_EQ(evaluate(scene, row.statement, row.expression), row.expected) << row.statement;
    EXPECT_EQ(world.screen()->GetPriority(engine), 7);
    EXPECT_TRUE(v->isButton());
    EXPECT_FALSE(v->getCursor());
    EXPECT_EQ(engine->GetClippingRect(), CXRect());
    test::runCode(scene, "V^CLONE(1);");
    auto* clone = named<CMC_VirtualGraphicsObject>(scene, "V_1");
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->getEngine()->getSource(), imageOf(scene, "B"));
    EXPECT_EQ(world.screen()->GetPriority(clone->getEngine()), 7);
    world.frames(2);
}

TEST_F(CanvasObjects, SceneCreatesVirtualObjectsAtRunTime) {
    {
        CMC_Scene scene(world.window(), CMC_Scene::kType);
        scene.setName(CXString("ROOM"));
        scene.createObject(CXString("vgo"), CXString("LOWER"));
        EXPECT_EQ(scene.getObjectId(CXString("LOWER")), -1);
        scene.createObject(CXString("VGO"), CXString("MADE"));
        auto* made = dynamic_cast<CMC_VirtualGraphicsObject*>(scene.getObject(CXString("MADE")));
        ASSERT_NE(made, nullptr);
        EXPECT_TRUE(made->getEngine()->isVisible());
        EXPECT_EQ(world.screen()->GetPriority(made->getEngine()), 0);
    }
    // The first scene made the shared default unit: it goes with this world's window.
    world.applicationStep();
    CMC_Scene::doneDefUnit();
}

// ---- serialised parts -----------------------------------------------------------------

std::string partOf(CMC_Object* object) {
    const std::string all = test::archiveBytes([&](CXArchive& a) { object->serialize(&a); });
    const std::string common = test::archiveBytes([&](CXArchive& a) { object->CMC_Object::serialize(&a); });
    return all.substr(common.size());
}

TEST_F(CanvasObjects, SerialisedPartsByteForByteAndBack) {
    test::TestScene scene("SCENE", world.window());
    CMC_Canvas canvas(&scene, new CCanvas(world.window(), CXSize(2, 3), 16, true, false));
    EXPECT_EQ(partOf(&canvas), std::string("\x02\0\0\0\x03\0\0\0\xFF\xFF\xFF\xFF\x01\x00", 14));

    auto* element = test::makeElement("P", {{"TYPE", "PATTERN"}, {"VISIBLE", "TRUE"}, {"TOCANVAS", "TRUE"},
                                             {"PRIORITY", "5"}, {"WIDTH", "100"}, {"HEIGHT", "60"},
                                             {"GRIDX", "20"}, {"GRIDY", "20"}, {"LAYERS", "2"}});
    CMC_Pattern pattern(&scene, element);
    delete element;
    const std::string patternBytes = partOf(&pattern);
    EXPECT_EQ(patternBytes, std::string("\x01\x05\0\0\0\x64\0\0\0\x3C\0\0\0\x14\0\0\0\x14\0\0\0\x02\0\0\0", 25));

    element = test::makeElement("S", {{"TYPE", "SCROLL"}, {"VIEWPORT", "10,20,110,220"}});
    CMC_Scroll scroll(&scene, element);
    delete element;
    EXPECT_EQ(partOf(&scroll), std::string("\x0A\0\0\0\x14\0\0\0\x6E\0\0\0\xDC\0\0\0", 16));

    // Read back through the prototypes.
    const std::string canvasAll = test::archiveBytes([&](CXArchive& a) { canvas.serialize(&a); });
    CMC_Canvas canvasBack(&scene, static_cast<CCanvas*>(nullptr));
    canvasBack.setScene(&scene);
    test::readArchive(canvasAll, [&](CXArchive& a) { canvasBack.serialize(&a); });
    ASSERT_NE(canvasBack.getCanvas(), nullptr);
    EXPECT_EQ(canvasBack.getCanvas()->Size(), CXSize(2, 3));
    EXPECT_NE(canvasBack.getCanvas()->AlphaChannel(), nullptr);
    EXPECT_EQ(canvasBack.getCanvas()->getBackground(), nullptr);
    EXPECT_EQ(world.screen()->GetPriority(canvasBack.getCanvas()), -1);

    const std::string patternAll = test::archiveBytes([&](CXArchive& a) { pattern.serialize(&a); });
    CMC_Pattern patternBack(&scene);
    patternBack.setScene(&scene);
    test::readArchive(patternAll, [&](CXArchive& a) { patternBack.serialize(&a); });
    ASSERT_NE(patternBack.getPattern(), nullptr);
    EXPECT_EQ(patternBack.getPattern()->getColumns(), 5);
    EXPECT_EQ(patternBack.getPattern()->getLayers(), 2);
    EXPECT_EQ(world.screen()->GetPriority(patternBack.getPattern()), 5);
    EXPECT_EQ(partOf(&patternBack), patternBytes);

    const std::string scrollAll = test::archiveBytes([&](CXArchive& a) { scroll.serialize(&a); });
    CMC_Scroll scrollBack(&scene);
    test::readArchive(scrollAll, [&](CXArchive& a) { scrollBack.serialize(&a); });
    EXPECT_EQ(scrollBack.getViewport(), CXRect(10, 20, 110, 220));
}

// A scene image holds only the kinds it can read back: the VGO, which has no binary
// form, is left out and counted out, so everything after it is read, handlers too.
TEST_F(CanvasObjects, SceneImageLeavesOutKindsWithoutABinaryForm) {
    world.writeDefinition("SC.cnv", {"OBJECT=N1", "N1:TYPE=INTEGER", "N1:VALUE=1", "OBJECT=V",
                                     "V:TYPE=VIRTUALGRAPHICSOBJECT", "OBJECT=C", "C:TYPE=CANVAS", "C:WIDTH=20",
                                     "C:HEIGHT=20", "C:PRIORITY=2", "C:ONCLICK={N2^ADD(5);}", "OBJECT=KEYBOARD",
                                     "KEYBOARD:TYPE=KEYBOARD", "OBJECT=N2", "N2:TYPE=INTEGER", "N2:VALUE=2"});
    {
        std::unique_ptr<CMElement> element(test::makeElement("SC", {{"TYPE", "SCENE"}}));
        auto scene = std::make_unique<CMC_Scene>(world.window(), nullptr, element.get(), CMC_Scene::kType);
        scene->loadCnv();
        scene->onInit();
        const std::string bytes = test::archiveBytes([&](CXArchive& a) { scene->writeImage(&a); });
        ASSERT_GE(bytes.size(), 16u);
        int32_t count = 0;
        std::memcpy(&count, bytes.data() + 12, 4);
        int expected = 0;
        for (int i = 0; i < scene->getElementsNo(); ++i) {
            CMC_Object* object = scene->getObject(i);
            if (object && object != scene.get() && object->getType() != CMC_VirtualGraphicsObject::kType) ++expected;
        }
        EXPECT_EQ(count, expected);
        EXPECT_EQ(bytes.find(test::le32(CMC_VirtualGraphicsObject::kType)), std::string::npos);

        auto copy = std::make_unique<CMC_Scene>(world.window(), CMC_Scene::kType);
        test::readArchive(bytes, [&](CXArchive& a) { copy->readImage(&a); });
        copy->onInit();
        EXPECT_EQ(test::intValue(copy.get(), "N1"), 1);
        EXPECT_EQ(test::intValue(copy.get(), "N2"), 2);
        EXPECT_NE(named<CMC_Keyboard>(copy.get(), "KEYBOARD"), nullptr);
        EXPECT_FALSE(test::hasObject(copy.get(), "V"));
        auto* canvas = named<CMC_Canvas>(copy.get(), "C");
        ASSERT_NE(canvas, nullptr);
        EXPECT_EQ(world.screen()->GetPriority(canvas->getCanvas()), 2);
        EXPECT_TRUE(canvas->onClick(0, CXPoint(3, 3)));
        EXPECT_EQ(test::intValue(copy.get(), "N2"), 7);
        copy.reset();
        scene.reset();
    }
    world.applicationStep();
    CMC_Scene::doneDefUnit();
}

}  // namespace
