#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "foundation/CXArchive.h"
#include "foundation/CXVector.h"
#include "graphics/core/CGraphicsObject.h"
#include "graphics/input/CButton.h"
#include "graphics/input/CEditBox6.h"
#include "graphics/screen/CRefreshScreen.h"
#include "graphics/text/CMultilineText6.h"
#include "media/CMC_Button.h"
#include "media/CMC_EditBox.h"
#include "platform/Audio.h"
#include "platform/Input.h"
#include "scene/CMC_Scene.h"
#include "script/CMC_Runner.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_String.h"
#include "script/CMC_VariableFactory.h"
#include "shell/CApplication.h"
#include "shell/CUnit6.h"
#include "shell/CWAVFile.h"
#include "support/DefaultUnitStage.h"
#include "support/ScriptTestSupport.h"
#include "support/TempDir.h"
#include "tests/graphics/text/TextFixtures.h"

namespace {

// A world with a display, the manual audio device, an application, the default unit
// entered, three 40 x 20 pictures of their own colour, a 100 ms sound and a font.
class ControlObjects : public ::testing::Test {
protected:
    ControlObjects() {
        EXPECT_TRUE(world.enableDisplay());
        const uint16_t colours[] = {0x1111, 0x2222, 0x3333, 0x4444};
        const char* names[] = {"std.img", "move.img", "click.img", "off.img"};
        for (int i = 0; i < 4; ++i) {
            CGraphicsObject image(nullptr, CXSize(40, 20), 16);
            const std::vector<uint16_t> pixels(800, colours[i]);
            std::memcpy(image.GetDataPtr(), pixels.data(), pixels.size() * 2);
            image.Save(CXString(names[i]), COMPRESSION_NONE);
        }
        world.dir().write("std.fnt", textfix::blockFont("abcdel", 5, 12));
        world.dir().mkdir("wavs");
        const platform::WaveFormat format{platform::kWaveFormatPcm, 1, 22050, 44100, 2, 16, 0};
        CWAVFile wav;
        EXPECT_EQ(wav.open(world.dir().native("wavs/hit.wav").c_str(), &format, 2), CWAVFile::kOk);
        const std::vector<uint8_t> samples(4410, 0x10);
        uint32_t written = 0;
        EXPECT_EQ(wav.write(4410, samples.data(), &written), CWAVFile::kOk);
        EXPECT_EQ(wav.close(), CWAVFile::kOk);
        world.window()->SetSoundFXPath(CXString(world.dir().engine("wavs").c_str()));
        stage = std::make_unique<test::DefaultUnitStage>(world);
    }

    CMC_ObjectsContainer* load(test::Lines lines) {
        const test::Lines common = {
            "OBJECT=LOG",         "LOG:TYPE=STRING",     "LOG:VALUE=",          "OBJECT=R",
            "R:TYPE=STRING",      "OBJECT=STD",          "STD:TYPE=IMAGE",      "STD:FILENAME=std.img",
            "STD:TOCANVAS=TRUE",  "STD:VISIBLE=TRUE",    "STD:PRIORITY=5",      "OBJECT=MOVE",
            "MOVE:TYPE=IMAGE",    "MOVE:FILENAME=move.img", "MOVE:TOCANVAS=TRUE", "MOVE:VISIBLE=TRUE",
            "MOVE:PRIORITY=5",    "OBJECT=CLICK",        "CLICK:TYPE=IMAGE",    "CLICK:FILENAME=click.img",
            "CLICK:TOCANVAS=TRUE", "CLICK:VISIBLE=TRUE", "CLICK:PRIORITY=5",   "OBJECT=OFF",
            "OFF:TYPE=IMAGE",     "OFF:FILENAME=off.img", "OBJECT=S",          "S:TYPE=SOUND",
            "S:FILENAME=hit.wav", "S:PRELOAD=TRUE",      "OBJECT=F",            "F:TYPE=FONT",
            "F:DEF_A_STANDARD_10=std.fnt"};
        test::Lines all = common;
        test::append(all, lines);
        return stage->keep(world.loadScene("controls.cnv", all));
    }
    static test::Lines logging(const std::string& name, std::initializer_list<const char*> events) {
        test::Lines lines;
        for (const char* e : events) lines.push_back(name + ":" + e + "={LOG^ADD(\"" + e + "\");}");
        return lines;
    }
    void pointer(int x, int y) { stage->pointer(x, y); }
    void left(bool down) { stage->left(down); }
    void key(uint32_t scan) {
        world.input().keyboard().push(scan, platform::kPressed);
        world.frame(16);
        world.input().keyboard().push(scan, 0);
        world.frame(16);
    }
    int plays() {
        int n = 0;
        for (const std::string& call : audio.calls())
            if (call.find(" play") != std::string::npos) ++n;
        return n;
    }
    static std::string call(CMC_ObjectsContainer* scene, const char* object, const char* method,
                            std::initializer_list<const char*> arguments = {}) {
        CMC_Object* target = scene->getObject(CXString(object));
        if (!target) return "<no object>";
        CXVector list(8, 0.75f);
        for (const char* a : arguments)
            list.add(static_cast<CXObject*>(CMC_VariableFactory::newString(CXString(a))));
        CMC_Runner* runner = CMC_RunnerFactory::getRunner(target->getType());
        return test::valueText(runner->run(CXString(method), target, scene, arguments.size() ? &list : nullptr));
    }
    template <class T>
    static T* named(CMC_ObjectsContainer* scene, const char* name) {
        return dynamic_cast<T*>(scene->getObject(CXString(name)));
    }
    static std::string text(CXString s) { return s.c_str(); }

    platform::ManualAudioSystem audio;
    platform::ScopedAudio audioScope{audio};
    test::ScriptWorld world;
    test::ScopedCurrentDirectory here{world.dir().path()};
    std::unique_ptr<test::DefaultUnitStage> stage;
};

}  // namespace

TEST_F(ControlObjects, AButtonOverImagesRaisesItsEventsAndPlaysItsSounds) {
    test::Lines lines = {"OBJECT=B",         "B:TYPE=BUTTON",     "B:GFXSTANDARD=STD", "B:GFXONMOVE=MOVE",
                         "B:GFXONCLICK=CLICK", "B:SNDONMOVE=S",   "B:SNDONCLICK=S",    "B:ENABLE=TRUE",
                         "B:RECT=0,0,40,20"};
    test::append(lines, logging("B", {"ONFOCUSON", "ONCLICKED", "ONRELEASED", "ONACTION", "ONFOCUSOFF"}));
    CMC_ObjectsContainer* s = load(lines);
    ASSERT_NE(s, nullptr);
    pointer(200, 150);
    const uint64_t idle = world.frontBufferHash();
    const int before = plays();
    pointer(10, 10);
    const uint64_t over = world.frontBufferHash();
    EXPECT_NE(over, idle) << "the on-move picture shows";
    left(true);
    EXPECT_NE(world.frontBufferHash(), over) << "the on-click picture shows";
    left(false);
    EXPECT_EQ(world.frontBufferHash(), over);
    pointer(200, 150);
    EXPECT_EQ(world.frontBufferHash(), idle);
    EXPECT_EQ(test::textValue(s, "LOG"), "ONFOCUSONONCLICKEDONRELEASEDONACTIONONFOCUSOFF");
    EXPECT_EQ(plays() - before, 2) << "the on-move sound, then the click";
}

TEST_F(ControlObjects, AnEditBoxTakesTheFocusCharactersAndEnter) {
    test::Lines lines = {"OBJECT=E", "E:TYPE=EDITBOX", "E:FONT=F", "E:RECT=0,100,100,140", "E:TEXT=",
                         "E:CURSOR=OFF"};
    test::append(lines, logging("E", {"ONFOCUSON", "ONCHANGED", "ONENTER"}));
    CMC_ObjectsContainer* s = load(lines);
    ASSERT_NE(s, nullptr);
    CEditBox6* box = named<CMC_EditBox>(s, "E")->getEditBox();
    ASSERT_NE(box, nullptr);
    pointer(10, 110);
    const uint64_t empty = world.frontBufferHash();
    left(true);
    left(false);
    EXPECT_TRUE(box->isActive());
    key(30);  // A
    key(48);  // B
    key(28);  // Enter
    EXPECT_EQ(text(box->getText()), "ab|");
    EXPECT_EQ(call(s, "E", "GETTEXT"), "ab|");
    EXPECT_EQ(test::textValue(s, "LOG"), "ONFOCUSONONCHANGEDONCHANGEDONENTER");
    EXPECT_NE(world.frontBufferHash(), empty) << "the typed letters show";
}

TEST_F(ControlObjects, ButtonDefinitionsReadTheirRectanglesGraphicsAndSounds) {
    for (const char* rect : {"10,20,110,60", "10 20 110 60", "10.20.110.60", "10|20|110|60"}) {
        CMC_ObjectsContainer* s = load({"OBJECT=B", "B:TYPE=BUTTON", std::string("B:RECT=") + rect, "B:PRIORITY=9"});
        ASSERT_NE(s, nullptr);
        CButton* b = named<CMC_Button>(s, "B")->getButton();
        EXPECT_EQ(b->GetActiveRect(), CXRect(10, 20, 110, 60)) << rect;
        EXPECT_EQ(b->getPriority(), 9);
        EXPECT_FALSE(b->IsEnabled()) << "no ENABLE: disabled";
        stage->unloadKept();
    }
    CMC_ObjectsContainer* s = load({"OBJECT=B", "B:TYPE=BUTTON", "B:RECT=STD", "B:PRIORITY=9", "B:SNDONMOVE=S",
                                    "B:GFXSTANDARD=STD", "OBJECT=C", "C:TYPE=BUTTON", "C:RECT=OFF", "C:PRIORITY=9"});
    ASSERT_NE(s, nullptr);
    auto* b = named<CMC_Button>(s, "B");
    EXPECT_EQ(b->getButton()->GetActiveRect(), CXRect(0, 0, 40, 20));
    EXPECT_EQ(b->getPriority(), 5) << "the graphic's drawing priority";
    EXPECT_EQ(named<CMC_Button>(s, "C")->getPriority(), -1) << "a graphic off the screen";
    EXPECT_NE(b->getButton()->GetSOOnMove(), nullptr) << "a sound without a graphic";
    EXPECT_EQ(b->getButton()->GetOnMove(), nullptr);
    EXPECT_FALSE(b->getButton()->GetStandard()->isVisible()) << "disabled hides the standard graphic";
}

TEST_F(ControlObjects, ButtonMethodsChangeTheEngineButtonOnly) {
    CMC_ObjectsContainer* s = load({"OBJECT=B", "B:TYPE=BUTTON", "B:GFXSTANDARD=STD", "B:GFXONMOVE=MOVE",
                                    "B:SNDONMOVE=S", "B:ENABLE=TRUE", "B:RECT=0,0,40,20", "B:PRIORITY=3"});
    ASSERT_NE(s, nullptr);
    auto* object = named<CMC_Button>(s, "B");
    CButton* b = object->getButton();
    CGraphicsObject* standard = b->GetStandard();
    CGraphicsObject* onMove = b->GetOnMove();
    CRefreshScreen* screen = world.screen();

    EXPECT_EQ(call(s, "B", "SETRECT", {"MOVE"}), "<null>");
    EXPECT_EQ(b->GetActiveRect(), CXRect(0, 0, 40, 20));
    call(s, "B", "SETRECT", {"0", "0", "100", "50"});
    EXPECT_EQ(b->GetActiveRect(), CXRect(0, 0, 100, 50));
    call(s, "B", "SETRECT", {"1", "2"});
    EXPECT_EQ(b->GetActiveRect(), CXRect(0, 0, 100, 50)) << "too few arguments";
    call(s, "B", "SETRECT", {"NOTHING"});
    EXPECT_EQ(b->GetActiveRect(), CXRect(0, 0, 0, 0));

    call(s, "B", "SETONMOVE", {"NOTHING"});
    EXPECT_EQ(b->GetOnMove(), onMove);
    EXPECT_NE(b->GetSOOnMove(), nullptr);
    call(s, "B", "SETONCLICK", {"CLICK"});
    EXPECT_EQ(call(s, "B", "GETONCLICK"), "CLICK");
    EXPECT_EQ(call(s, "B", "GETONMOVE"), "MOVE");

    call(s, "B", "DISABLE");
    EXPECT_FALSE(standard->isVisible());
    call(s, "B", "ENABLE");
    EXPECT_TRUE(standard->isVisible());
    call(s, "B", "DISABLEBUTVISIBLE");
    EXPECT_TRUE(standard->isVisible());
    EXPECT_FALSE(b->IsEnabled());
    call(s, "B", "ENABLEDRAGGING");
    EXPECT_TRUE(b->IsDraggingEnabled());
    call(s, "B", "DISABLEDRAGGING");
    EXPECT_FALSE(b->IsDraggingEnabled());

    call(s, "B", "SETPRIORITY", {"7"});
    EXPECT_EQ(call(s, "B", "GETPRIORITY"), "7");
    EXPECT_EQ(object->getPriority(), 3) << "the stored PRIORITY keeps its creation value";
    call(s, "B", "SETPRIORITY");
    EXPECT_EQ(call(s, "B", "GETPRIORITY"), "7");

    call(s, "B", "SETSTD", {"CLICK"});
    EXPECT_EQ(screen->GetPriority(standard), -1) << "the old standard graphic leaves the screen";
    EXPECT_EQ(call(s, "B", "GETSTD"), "CLICK");
    call(s, "B", "ACCENT", {"MOVE", "TRUE"});
    EXPECT_EQ(b->GetAccent(), onMove);
    EXPECT_EQ(call(s, "B", "GETPRIORITY"), "5") << "an accent graphic's drawing priority";

    CGraphicsObject stranger(world.window(), CXSize(2, 2), 16);
    b->Set(&stranger, nullptr, true, false);
    EXPECT_EQ(call(s, "B", "GETSTD"), "UNKNOWN");
    b->Set(nullptr, nullptr, true, false);

    // SYN reads the mouse device: over the button the pointer is not outside.
    call(s, "B", "ENABLE");
    call(s, "B", "SETRECT", {"0", "0", "40", "20"});
    pointer(10, 10);
    call(s, "B", "SYN");
    EXPECT_FALSE(b->isPointerOutside());
    pointer(200, 10);
    call(s, "B", "SYN");
    EXPECT_TRUE(b->isPointerOutside());
    EXPECT_EQ(call(s, "B", "NOSUCHMETHOD"), "<null>");
}

TEST_F(ControlObjects, EditBoxMethods) {
    CMC_ObjectsContainer* s = load({"OBJECT=E", "E:TYPE=EDITBOX", "E:FONT=F", "E:RECT=10,20,110,60", "E:TEXT=ab",
                                    "E:PRIORITY=4", "OBJECT=N", "N:TYPE=EDITBOX", "N:FONT=NOFONT", "N:RECT=0,0,50,20",
                                    "N:ONENTER={LOG^ADD(\"enter\");}"});
    ASSERT_NE(s, nullptr);
    CEditBox6* e = named<CMC_EditBox>(s, "E")->getEditBox();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(world.screen()->GetPriority(e->getTextObject()), 4);
    call(s, "E", "ADDTEXT", {""});
    EXPECT_EQ(call(s, "E", "GETTEXT"), "ab");
    call(s, "E", "SETTEXT", {"x"});
    call(s, "E", "ADDTEXT", {"yz"});
    EXPECT_EQ(call(s, "E", "GETTEXT"), "xyz");
    call(s, "E", "SETCURSORPOS", {"99"});
    EXPECT_EQ(e->getCursorPos(), 3);
    call(s, "E", "ENABLENL", {"TRUE"});
    EXPECT_FALSE(e->isSingleLine());
    call(s, "E", "ENABLENL", {"FALSE"});
    EXPECT_TRUE(e->isSingleLine());
    call(s, "E", "SETREADONLY", {"TRUE"});
    EXPECT_TRUE(e->isLocked());
    call(s, "E", "SETCOLOR", {"255", "255", "255"});
    EXPECT_EQ(e->getTextObject()->getColor(), -1) << "all 16 bits on a 5-6-5 screen";
    call(s, "E", "MOVE", {"5", "5"});
    EXPECT_EQ(e->getBoundingRect(), CXRect(15, 25, 115, 65));
    call(s, "E", "SETPOSITION", {"0", "0"});
    EXPECT_EQ(e->getBoundingRect(), CXRect(0, 0, 100, 40));
    call(s, "E", "SETRECT", {"1", "2", "3", "4"});
    EXPECT_EQ(e->getBoundingRect(), CXRect(1, 2, 3, 4));
    call(s, "E", "SETPRIORITY", {"8"});
    EXPECT_EQ(world.screen()->GetPriority(e->getTextObject()), 8);
    call(s, "E", "DISABLE");
    EXPECT_FALSE(e->isEnabled());
    call(s, "E", "ENABLE");
    call(s, "E", "ACTIVE");
    EXPECT_TRUE(e->isActive());
    call(s, "E", "DEACTIVE");
    EXPECT_FALSE(e->isActive());
    call(s, "E", "MOVE", {"5"});
    EXPECT_EQ(e->getBoundingRect(), CXRect(1, 2, 3, 4)) << "too few arguments";

    // A box whose FONT finds nothing types with an empty font; only its ONENTER runs.
    CEditBox6* n = named<CMC_EditBox>(s, "N")->getEditBox();
    ASSERT_NE(n, nullptr);
    call(s, "N", "ACTIVE");
    n->onChar('a');
    n->onKeyDown(CEditBox6::kKeyEnter);
    n->onKeyDown(CEditBox6::kKeyEscape);
    EXPECT_EQ(text(n->getText()), "a|");
    EXPECT_EQ(test::textValue(s, "LOG"), "enter");
}

TEST_F(ControlObjects, ClonesBinaryImagesAndRunTimeButtons) {
    CMC_ObjectsContainer* s = load({"OBJECT=B", "B:TYPE=BUTTON", "B:GFXSTANDARD=STD", "B:ENABLE=TRUE",
                                    "B:RECT=0,0,40,20", "B:PRIORITY=3", "B:SNDONCLICK=S", "OBJECT=E",
                                    "E:TYPE=EDITBOX", "E:FONT=F", "E:RECT=10,20,110,60", "E:TEXT=ab",
                                    "E:CURSOR=OFF"});
    ASSERT_NE(s, nullptr);
    auto* b = named<CMC_Button>(s, "B");
    std::unique_ptr<CMC_Button> copy(static_cast<CMC_Button*>(b->clone()));
    EXPECT_EQ(text(copy->getName()), "cloned");
    EXPECT_EQ(text(copy->getStandardName()), "");
    EXPECT_NE(copy->getButton(), b->getButton());
    EXPECT_EQ(copy->getButton()->GetStandard(), b->getButton()->GetStandard());
    copy.reset();
    EXPECT_EQ(b->getButton()->GetStandard()->Width(), 40) << "the copy freed nothing it shared";

    // The binary image keeps the creation-time configuration; a button read before its
    // graphics' owners has none of them.
    call(s, "B", "SETPRIORITY", {"7"});
    call(s, "B", "DISABLE");
    const std::string bytes = test::archiveBytes([&](CXArchive& a) { b->serialize(&a); });
    test::TestScene empty("EMPTY", world.window());
    CMC_Button early(&empty);
    early.setScene(&empty);
    test::readArchive(bytes, [&](CXArchive& a) { early.serialize(&a); });
    EXPECT_EQ(text(early.getStandardName()), "STD");
    EXPECT_TRUE(early.isEnabledAtCreation());
    EXPECT_EQ(early.getPriority(), 3);
    ASSERT_NE(early.getButton(), nullptr);
    EXPECT_EQ(early.getButton()->GetStandard(), nullptr);
    CMC_Button late(s);
    late.setScene(s);
    test::readArchive(bytes, [&](CXArchive& a) { late.serialize(&a); });
    EXPECT_EQ(late.getButton()->GetStandard(), b->getButton()->GetStandard());
    EXPECT_EQ(test::archiveBytes([&](CXArchive& a) { late.serialize(&a); }), bytes);

    auto* e = named<CMC_EditBox>(s, "E");
    call(s, "E", "SETTEXT", {"hello"});
    const std::string boxBytes = test::archiveBytes([&](CXArchive& a) { e->serialize(&a); });
    {
        CMC_EditBox restored(s);
        restored.setScene(s);
        test::readArchive(boxBytes, [&](CXArchive& a) { restored.serialize(&a); });
        ASSERT_NE(restored.getEditBox(), nullptr);
        EXPECT_EQ(text(restored.getEditBox()->getText()), "hello");
        EXPECT_EQ(restored.getEditBox()->getBoundingRect(), CXRect(10, 20, 110, 60));
        EXPECT_EQ(text(restored.getFontName()), "F");
        EXPECT_EQ(text(restored.getCursorName()), "OFF");
        EXPECT_EQ(world.screen()->GetPriority(restored.getEditBox()->getTextObject()), 0);
        EXPECT_EQ(test::archiveBytes([&](CXArchive& a) { restored.serialize(&a); }), boxBytes);
    }

    // Run-time creation: "BUTTON" exactly.
    stage->unitMaker->setName(CXString("RUN"));
    stage->unitMaker->createObject(CXString("button"), CXString("L"));
    EXPECT_EQ(stage->unitMaker->getObject(CXString("L")), nullptr);
    stage->unitMaker->createObject(CXString("BUTTON"), CXString("RB"));
    auto* made = dynamic_cast<CMC_Button*>(stage->unitMaker->getObject(CXString("RB")));
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->getButton()->IsEnabled());
    EXPECT_EQ(made->getButton()->getUnit(), CMC_Scene::getDefUnit());
    EXPECT_NE(made->getEventList(), nullptr) << "handlers were built";
}

// ---- lifetimes ------------------------------------------------------------------------

TEST_F(ControlObjects, AButtonForgetsASoundDeletedWhileItLives) {
    CMC_ObjectsContainer* s = load({"OBJECT=B", "B:TYPE=BUTTON", "B:GFXSTANDARD=STD", "B:SNDONMOVE=S",
                                    "B:SNDONCLICK=S", "B:ENABLE=TRUE", "B:RECT=0,0,40,20"});
    ASSERT_NE(s, nullptr);
    CButton* b = named<CMC_Button>(s, "B")->getButton();
    ASSERT_NE(b->GetSOOnClick(), nullptr);
    pointer(200, 150);
    ASSERT_TRUE(s->deleteObject(s->getObject(CXString("S"))));
    world.applicationStep();
    EXPECT_EQ(b->GetSOOnMove(), nullptr);
    EXPECT_EQ(b->GetSOOnClick(), nullptr);
    const int before = plays();
    pointer(10, 10);
    left(true);
    left(false);
    pointer(200, 150);
    EXPECT_EQ(plays(), before);
}

// The unit hears every button; a unit that goes first is neither told nor asked by them.
TEST_F(ControlObjects, ButtonsOutliveTheUnit) {
    test::Lines lines = {"OBJECT=B", "B:TYPE=BUTTON", "B:GFXSTANDARD=STD", "B:ENABLE=TRUE", "B:RECT=0,0,40,20"};
    test::append(lines, logging("B", {"ONCLICKED"}));
    CMC_ObjectsContainer* s = load(lines);
    ASSERT_NE(s, nullptr);
    CMC_Scene::doneDefUnit();
    pointer(10, 10);
    left(true);
    left(false);
    EXPECT_EQ(test::textValue(s, "LOG"), "ONCLICKED");
    stage->unloadKept();
    // The stage ends with a default unit.
    stage->unitMaker = std::make_unique<CMC_Scene>(world.window(), CMC_Scene::kType);
}

// A deleted field's pixels go at the next frame.
TEST_F(ControlObjects, ADeletedEditBoxLeavesTheScreen) {
    CMC_ObjectsContainer* s = load({"OBJECT=E", "E:TYPE=EDITBOX", "E:FONT=F", "E:RECT=0,100,100,140", "E:TEXT="});
    ASSERT_NE(s, nullptr);
    world.frame(16);
    const uint64_t empty = world.frontBufferHash();
    call(s, "E", "SETTEXT", {"abc"});
    world.frame(16);
    ASSERT_NE(world.frontBufferHash(), empty);
    ASSERT_TRUE(s->deleteObject(s->getObject(CXString("E"))));
    world.applicationStep();
    world.frame(16);
    EXPECT_EQ(world.frontBufferHash(), empty);
}
