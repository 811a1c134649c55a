// The engine dialog (a draggable group over a background) and the DIALOG script
// object: priorities, showing and hiding, the drag of its strip through the default
// unit, members destroyed before it, the methods by the type of the named object, and
// the object read back from a scene image.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "foundation/CXArchive.h"
#include "foundation/CXVector.h"
#include "graphics/core/CGraphicsObject.h"
#include "graphics/image/CImage.h"
#include "graphics/input/CButton.h"
#include "graphics/input/CHotSpot.h"
#include "graphics/play/CAnimo6.h"
#include "graphics/screen/CRefreshScreen.h"
#include "graphics/text/CMultilineText6.h"
#include "media/CMC_Animo.h"
#include "media/CMC_Button.h"
#include "media/CMC_Image.h"
#include "media/CMC_Text.h"
#include "platform/Input.h"
#include "platform/Png.h"
#include "scene/CMC_Dialog.h"
#include "scene/CMC_Scene.h"
#include "scene/CXDialog.h"
#include "script/CMC_Runner.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_String.h"
#include "script/CMC_VariableFactory.h"
#include "shell/CApplication.h"
#include "shell/CUnit6.h"
#include "support/DefaultUnitStage.h"
#include "support/ScriptTestSupport.h"
#include "support/TempDir.h"
#include "tools/AnimationBuilder.h"

namespace {

void writePicture(const std::string& name, int w, int h, int x, int y, uint16_t colour) {
    CGraphicsObject g(nullptr, CXSize(w, h), 16);
    const std::vector<uint16_t> pixels(static_cast<size_t>(w * h), colour);
    std::memcpy(g.GetDataPtr(), pixels.data(), pixels.size() * 2);
    g.SetPosition(x, y);
    g.Save(CXString(name.c_str()), COMPRESSION_NONE);
}

// A world with a display, an application and the default unit entered; a 100 x 60
// background at (40, 50) and a second one at (200, 10), a member picture at (60, 90),
// a button picture at (100, 130), an animation, a text, an integer, a BUTTON over the
// button picture and a DIALOG D.
class Dialogs : public ::testing::Test {
protected:
    Dialogs() {
        EXPECT_TRUE(world.enableDisplay(CXSize(320, 200)));
        writePicture("bg.img", 100, 60, 40, 50, 0x1111);
        writePicture("bg2.img", 80, 40, 200, 10, 0x2222);
        writePicture("m.img", 20, 10, 60, 90, 0x3333);
        writePicture("b.img", 20, 10, 100, 130, 0x4444);
        platform::PngPicture frame;
        frame.width = 8;
        frame.height = 6;
        for (int i = 0; i < 48; ++i) frame.pixels.insert(frame.pixels.end(), {0, 0, 255, 255});
        std::string error;
        EXPECT_TRUE(platform::writePng(world.dir().native("f0.png"), frame, &error)) << error;
        world.dir().write("anim.txt", "fps 10\nframe f0.png\nevent idle\n  frames 0\nend\n");
        EXPECT_TRUE(tools::buildAnimation(world.dir().native("anim.txt"), world.dir().native("anim.ann"),
                                          tools::AnimationOptions(), &error))
            << error;
    }

    CMC_ObjectsContainer* load(test::Lines more = {}) {
        test::Lines lines = {"OBJECT=BG",        "BG:TYPE=IMAGE",      "BG:FILENAME=bg.img",  "BG:TOCANVAS=TRUE",
                             "BG:VISIBLE=TRUE",  "BG:PRIORITY=3",      "OBJECT=BG2",          "BG2:TYPE=IMAGE",
                             "BG2:FILENAME=bg2.img", "BG2:TOCANVAS=TRUE", "BG2:VISIBLE=TRUE", "BG2:PRIORITY=3",
                             "OBJECT=M",         "M:TYPE=IMAGE",       "M:FILENAME=m.img",    "M:TOCANVAS=TRUE",
                             "M:VISIBLE=TRUE",   "M:PRIORITY=5",       "OBJECT=BSTD",         "BSTD:TYPE=IMAGE",
                             "BSTD:FILENAME=b.img", "BSTD:TOCANVAS=TRUE", "BSTD:VISIBLE=TRUE", "BSTD:PRIORITY=7",
                             "OBJECT=B",         "B:TYPE=BUTTON",      "B:GFXSTANDARD=BSTD",  "B:GFXONMOVE=BSTD",
                             "B:ENABLE=TRUE",    "OBJECT=A",           "A:TYPE=ANIMO",        "A:FILENAME=anim.ann",
                             "A:TOCANVAS=TRUE",  "A:VISIBLE=TRUE",     "A:PRIORITY=2",        "OBJECT=T",
                             "T:TYPE=TEXT",      "T:TEXT=hi",          "T:RECT=0,0,40,20",    "T:TOCANVAS=TRUE",
                             "T:PRIORITY=4",     "OBJECT=N",           "N:TYPE=INTEGER",      "N:VALUE=7",
                             "OBJECT=D",         "D:TYPE=DIALOG"};
        test::append(lines, more);
        return stage.keep(world.loadScene("dialog.cnv", lines));
    }
    static CXDialog* dialogOf(CMC_ObjectsContainer* s) {
        auto* d = dynamic_cast<CMC_Dialog*>(s->getObject(CXString("D")));
        return d ? d->getDialog() : nullptr;
    }
    static CGraphicsObject* image(CMC_ObjectsContainer* s, const char* name) {
        auto* i = dynamic_cast<CMC_Image*>(s->getObject(CXString(name)));
        return i ? i->getImage() : nullptr;
    }
    static CButton* button(CMC_ObjectsContainer* s, const char* name) {
        auto* b = dynamic_cast<CMC_Button*>(s->getObject(CXString(name)));
        return b ? b->getButton() : nullptr;
    }
    static void call(CMC_ObjectsContainer* s, const char* method, const char* argument = nullptr) {
        CMC_Object* target = s->getObject(CXString("D"));
        CXVector list(8, 0.75f);
        if (argument) list.add(static_cast<CXObject*>(CMC_VariableFactory::newString(CXString(argument))));
        CMC_RunnerFactory::getRunner(target->getType())->run(CXString(method), target, s, argument ? &list : nullptr);
    }
    int priority(CGraphicsObject* g) { return world.screen()->GetPriority(g); }
    void pointer(int x, int y) { stage.pointer(x, y); }
    void left(bool down) { stage.left(down); }
    static size_t hotSpots() { return CHotSpot::getList() ? static_cast<size_t>(CHotSpot::getList()->getCount()) : 0; }

    test::ScriptWorld world;
    test::ScopedCurrentDirectory here{world.dir().path()};
    test::DefaultUnitStage stage{world};
};

}  // namespace

TEST_F(Dialogs, TheBackgroundLiesAt100000AndEachMemberOnceAboveItsPriority) {
    CMC_ObjectsContainer* s = load();
    ASSERT_NE(s, nullptr);
    CXDialog* d = dialogOf(s);
    ASSERT_NE(d, nullptr);
    d->setBackground(image(s, "BG"));
    EXPECT_EQ(priority(image(s, "BG")), 100000);
    d->add(image(s, "M"));
    d->add(image(s, "M"));
    EXPECT_EQ(priority(image(s, "M")), 5 + 100001) << "the second add changes nothing";
    EXPECT_EQ(d->getGraphics().size(), 1u);
    // The button's picture serves as standard and on-move graphic: it rises once.
    d->add(button(s, "B"));
    d->add(button(s, "B"));
    EXPECT_EQ(priority(image(s, "BSTD")), 7 + 100001);
    EXPECT_EQ(d->getButtons().size(), 1u);
    // The strip lies over the background's top 30 rows and follows no graphic.
    ASSERT_NE(d->getDragButton(), nullptr);
    EXPECT_EQ(d->getDragButton()->GetActiveRect(), CXRect(40, 50, 140, 80));
    EXPECT_EQ(d->getLastDragPoint(), CXPoint(40, 50));
}

TEST_F(Dialogs, HideAndShowLeaveTheBackgroundHiddenAndTheStripFollows) {
    CMC_ObjectsContainer* s = load();
    ASSERT_NE(s, nullptr);
    test::runCode(s, "D^SETBACKGROUND(\"BG\");D^ADD(\"M\");D^ADD(\"B\");D^HIDE();");
    CButton* strip = dialogOf(s)->getDragButton();
    ASSERT_NE(strip, nullptr);
    EXPECT_FALSE(image(s, "M")->isVisible());
    EXPECT_FALSE(image(s, "BG")->isVisible());
    EXPECT_FALSE(button(s, "B")->IsEnabled());
    EXPECT_FALSE(strip->getHotSpot()->IsEnabled()) << "a hidden dialog takes no clicks";
    test::runCode(s, "D^SHOW();");
    EXPECT_TRUE(image(s, "M")->isVisible());
    EXPECT_TRUE(image(s, "BSTD")->isVisible());
    EXPECT_TRUE(button(s, "B")->IsEnabled());
    EXPECT_FALSE(image(s, "BG")->isVisible()) << "show leaves the background as it is";
    EXPECT_TRUE(strip->getHotSpot()->IsEnabled());
}

TEST_F(Dialogs, DraggingTheStripThroughTheDefaultUnitMovesTheGroupOnce) {
    for (bool backgroundIsMember : {false, true}) {
        SCOPED_TRACE(backgroundIsMember ? "background also a member" : "background alone");
        CMC_ObjectsContainer* s = load();
        ASSERT_NE(s, nullptr);
        CXDialog* d = dialogOf(s);
        CGraphicsObject* bg = image(s, "BG");
        d->setBackground(bg);
        d->add(image(s, "M"));
        d->add(button(s, "B"));
        if (backgroundIsMember) d->add(bg);
        const int bgPriority = priority(bg);
        pointer(60, 60);
        left(true);
        ASSERT_TRUE(CMC_Scene::getDefUnit()->isDragging());
        pointer(65, 67);
        left(false);
        EXPECT_FALSE(CMC_Scene::getDefUnit()->isDragging());
        EXPECT_EQ(bg->GetPosition(), CXPoint(45, 57));
        EXPECT_EQ(image(s, "M")->GetPosition(), CXPoint(65, 97));
        EXPECT_EQ(image(s, "BSTD")->GetPosition(), CXPoint(105, 137));
        EXPECT_EQ(d->getDragButton()->GetActiveRect(), CXRect(45, 57, 145, 87)) << "laid over the background again";
        EXPECT_EQ(priority(bg), bgPriority);
        EXPECT_TRUE(bg->isVisible());
        EXPECT_TRUE(d->getDragButton()->IsEnabled());
        stage.unloadKept();
        world.applicationStep();
    }
}

TEST_F(Dialogs, ASecondBackgroundReplacesTheStripAndLeavesTheFirstWhereItIs) {
    CMC_ObjectsContainer* s = load();
    ASSERT_NE(s, nullptr);
    CXDialog* d = dialogOf(s);
    const size_t before = hotSpots();
    d->setBackground(image(s, "BG"));
    EXPECT_EQ(hotSpots(), before + 1);
    d->setBackground(image(s, "BG2"));
    EXPECT_EQ(hotSpots(), before + 1) << "one strip";
    EXPECT_EQ(d->getDragButton()->GetActiveRect(), CXRect(200, 10, 280, 40));
    EXPECT_TRUE(image(s, "BG")->isVisible());
    EXPECT_EQ(priority(image(s, "BG")), 100000);
    // The same background again keeps it shown and in place.
    d->setBackground(image(s, "BG2"));
    EXPECT_EQ(hotSpots(), before + 1);
    EXPECT_TRUE(image(s, "BG2")->isVisible());
    EXPECT_EQ(priority(image(s, "BG2")), 100000);
    // A click on the first background's old strip drags nothing.
    pointer(60, 60);
    left(true);
    EXPECT_FALSE(CMC_Scene::getDefUnit()->isDragging());
    left(false);
}

TEST_F(Dialogs, MembersButtonsAndBackgroundDestroyedFirstLeaveTheDialog) {
    CMC_ObjectsContainer* s = load();
    ASSERT_NE(s, nullptr);
    test::runCode(s, "D^SETBACKGROUND(\"BG\");D^ADD(\"M\");D^ADD(\"B\");D^ADD(\"A\");");
    CXDialog* d = dialogOf(s);
    ASSERT_EQ(d->getGraphics().size(), 2u);
    ASSERT_EQ(d->getButtons().size(), 1u);
    for (const char* name : {"M", "B", "BG"}) ASSERT_TRUE(s->deleteObject(s->getObject(CXString(name)), false));
    world.applicationStep();
    EXPECT_EQ(d->getGraphics().size(), 1u) << "the animation stays";
    EXPECT_TRUE(d->getButtons().empty());
    EXPECT_EQ(d->getBackground(), nullptr);
    // Nothing below touches what went.
    test::runCode(s, "D^HIDE();D^SHOW();");
    d->move(3, 4);
    pointer(60, 60);
    left(true);
    EXPECT_FALSE(CMC_Scene::getDefUnit()->isDragging()) << "the strip of a background that went is off";
    pointer(70, 70);
    left(false);
    test::runCode(s, "D^SETBACKGROUND(\"BG2\");");
    EXPECT_EQ(d->getBackground(), image(s, "BG2"));
}

TEST_F(Dialogs, SetBackgroundAndAddTakeWhatEachTypeOffers) {
    enum Expect { kNothing, kImage, kAnimation, kText, kButton };
    struct Case {
        const char* name;
        Expect background;  // after SETBACKGROUND
        Expect added;       // after ADD
    };
    const Case cases[] = {
        {"BG", kImage, kImage},     {"A", kAnimation, kAnimation}, {"T", kNothing, kText},
        {"B", kNothing, kButton},   {"N", kNothing, kNothing},     {"NOBODY", kNothing, kNothing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CMC_ObjectsContainer* s = load();
        ASSERT_NE(s, nullptr);
        auto* animo = dynamic_cast<CMC_Animo*>(s->getObject(CXString("A")));
        auto* text = dynamic_cast<CMC_Text*>(s->getObject(CXString("T")));
        ASSERT_TRUE(animo && animo->getAnimo() && text && text->getText());
        auto engineObject = [&](Expect e) -> void* {
            switch (e) {
            case kImage: return image(s, "BG");
            case kAnimation: return static_cast<CGraphicsObject*>(animo->getAnimo());
            case kText: return static_cast<CGraphicsObject*>(text->getText());
            case kButton: return button(s, "B");
            default: return nullptr;
            }
        };
        CXDialog* d = dialogOf(s);
        call(s, "SETBACKGROUND", c.name);
        EXPECT_EQ(static_cast<void*>(d->getBackground()), engineObject(c.background));
        call(s, "ADD", c.name);
        const bool graphic = c.added != kNothing && c.added != kButton;
        ASSERT_EQ(d->getGraphics().size(), graphic ? 1u : 0u);
        if (graphic) {
            EXPECT_EQ(static_cast<void*>(d->getGraphics()[0]), engineObject(c.added));
        }
        ASSERT_EQ(d->getButtons().size(), c.added == kButton ? 1u : 0u);
        if (c.added == kButton) {
            EXPECT_EQ(static_cast<void*>(d->getButtons()[0]), engineObject(c.added));
        }
        call(s, "ADD");  // no argument: nothing
        EXPECT_EQ(d->getGraphics().size() + d->getButtons().size(), c.added == kNothing ? 0u : 1u);
        stage.unloadKept();
        world.applicationStep();
    }
}

TEST_F(Dialogs, ThePrototypeHasNoEngineDialogAndItsMethodsDoNothing) {
    CMC_ObjectsContainer* s = load();
    ASSERT_NE(s, nullptr);
    s->deleteObject(s->getObject(CXString("D")), false);
    world.applicationStep();
    auto* prototype = new CMC_Dialog();
    EXPECT_EQ(prototype->getName(), CXString("temp"));
    EXPECT_EQ(prototype->getType(), CMC_Dialog::kType);
    EXPECT_EQ(prototype->getDialog(), nullptr);
    prototype->setName(CXString("D"));
    s->addObject(prototype);
    for (const char* method : {"SHOW", "HIDE", "SETBACKGROUND", "ADD"}) call(s, method, "BG");
    EXPECT_EQ(prototype->getDialog(), nullptr);
    EXPECT_TRUE(image(s, "BG")->isVisible());
}

TEST_F(Dialogs, ASceneImageHoldingADialogThenAnIntegerReadsBoth) {
    CMC_ObjectsContainer* s = load();
    ASSERT_NE(s, nullptr);
    // The records in this order: D, N, BG (the definition builds DIALOG last).
    std::string bytes = test::archiveString("") + test::archiveString("") + test::archiveString("") + test::le32(3);
    for (const char* name : {"D", "N", "BG"}) {
        CMC_Object* object = s->getObject(CXString(name));
        bytes += test::le32(object->getType());
        bytes += test::archiveBytes([&](CXArchive& a) { object->serialize(&a); });
    }
    auto copy = std::make_unique<CMC_Scene>(world.window(), CMC_Scene::kType);
    test::readArchive(bytes, [&](CXArchive& a) { copy->readImage(&a); });
    EXPECT_EQ(test::intValue(copy.get(), "N"), 7);
    auto* dialog = dynamic_cast<CMC_Dialog*>(copy->getObject(CXString("D")));
    ASSERT_NE(dialog, nullptr);
    ASSERT_NE(dialog->getDialog(), nullptr) << "made once its common part was read";
    CGraphicsObject* bg = image(copy.get(), "BG");
    ASSERT_NE(bg, nullptr);
    call(copy.get(), "SETBACKGROUND", "BG");
    EXPECT_EQ(dialog->getDialog()->getBackground(), bg);
    copy->unload();
    world.applicationStep();
}
