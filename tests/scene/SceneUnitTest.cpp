// The default unit across a scene change on a drawn game: leaving a scene frees the
// background picture the screen kept, while the application's graphics stay on screen
// and music the next scene shares plays on; the scene's list of monitored graphics
// forgets one that is destroyed; leaving a scene deletes every edit box once.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "graphics/core/CColor.h"
#include "graphics/core/CGraphicsObject.h"
#include "graphics/input/CEditBox6.h"
#include "graphics/image/CImage.h"
#include "graphics/input/CCollisionInspector.h"
#include "graphics/screen/CRefreshScreen.h"
#include "graphics/screen/CSurface.h"
#include "media/CMC_EditBox.h"
#include "platform/Presenter.h"
#include "scene/CMC_Application.h"
#include "shell/CUnit6.h"
#include "shell/CWindow.h"
#include "support/HeadlessGame.h"
#include "support/ScriptTestSupport.h"
#include "tests/graphics/text/TextFixtures.h"

namespace {

// APP shows a red 8 x 8 IMAGE at (0, 0); EP plays S1 (a blue background) and S2
// (none), both to the music "loop.wav".
struct SceneUnit : ::testing::Test, test::HeadlessGame {
    SceneUnit() {
        dir.write("GAME/Dane/application.def",
                  test::definitionText({"OBJECT=APP", "APP:TYPE=APPLICATION", "APP:EPISODES=EP", "OBJECT=EP", "EP:TYPE=EPISODE",
                          "EP:SCENES=S1,S2", "OBJECT=S1", "S1:TYPE=SCENE", "S1:PATH=S1", "S1:BACKGROUND=bg.img",
                          "S1:MUSIC=loop.wav", "OBJECT=S2", "S2:TYPE=SCENE", "S2:PATH=S2", "S2:MUSIC=loop.wav"}));
        dir.write("GAME/Dane/APP.cnv", test::definitionText({"OBJECT=AI", "AI:TYPE=IMAGE", "AI:FILENAME=red.img", "AI:TOCANVAS=TRUE",
                                               "AI:VISIBLE=TRUE", "AI:PRIORITY=1"}));
        dir.write("GAME/Dane/S1/S1.cnv", test::definitionText({"OBJECT=N", "N:TYPE=INTEGER"}));
        dir.write("GAME/Dane/S2/S2.cnv", test::definitionText({"OBJECT=N", "N:TYPE=INTEGER"}));
        picture("GAME/Dane/red.img", CXSize(8, 8), CColor(255, 0, 0));
        picture("GAME/Dane/S1/bg.img", CXSize(64, 48), CColor(0, 0, 255));
        dir.write("loop.wav", test::millisecondWav(500));
    }
    void picture(const std::string& name, CXSize size, CColor colour) {
        CGraphicsObject g(nullptr, size, 16);
        g.Fill(&colour);
        g.Save(CXString(dir.engine(name).c_str()), COMPRESSION_NONE);
    }
    // The shown frame's colour at the point.
    std::vector<int> shown(int x, int y) {
        platform::RgbFrame frame;
        CSurface* surface = window->GetSurface();
        if (!surface || !platform::readFrame(surface->GetPrimaryBufferInterface(), frame)) return {};
        const uint8_t* p = &frame.rgb[(static_cast<size_t>(y) * static_cast<size_t>(frame.width) + x) * 3];
        return {p[0], p[1], p[2]};
    }
    size_t musicStarts() { return audio.callsStartingWith("device createBuffer").size(); }
    void frames(int n) {
        for (int i = 0; i < n; ++i) frame();
    }
};

const std::vector<int> kRed{255, 0, 0};
const std::vector<int> kBlue{0, 0, 255};

TEST_F(SceneUnit, LeavingFreesTheBackgroundPictureAndKeepsTheApplicationsImageAndMusic) {
    startGame("GAME", CXSize(64, 48));
    ASSERT_NE(app(), nullptr);
    frames(3);
    CRefreshScreen* screen = window->GetRefreshScreenInterface();
    ASSERT_NE(screen, nullptr);
    EXPECT_NE(screen->getBackgroundImage(), nullptr);
    EXPECT_EQ(shown(2, 2), kRed);
    EXPECT_EQ(shown(40, 30), kBlue);
    ASSERT_TRUE(window->isMusicPlaying());
    EXPECT_EQ(musicStarts(), 1u);

    test::runCode(playing(), "EP^GOTO(\"S2\");");
    frames(3);
    ASSERT_NE(playing(), nullptr);
    EXPECT_STREQ(playing()->getName().c_str(), "S2");
    EXPECT_EQ(screen->getBackgroundImage(), nullptr) << "the picture S1 kept is freed";
    EXPECT_EQ(shown(2, 2), kRed) << "the application's image still draws";
    ASSERT_EQ(shown(40, 30).size(), 3u);
    EXPECT_NE(shown(40, 30), kBlue);
    EXPECT_TRUE(window->isMusicPlaying()) << "the shared music plays on";
    EXPECT_EQ(musicStarts(), 1u);
    EXPECT_TRUE(box.boxes.empty());
}

TEST_F(SceneUnit, ADestroyedMonitoredGraphicLeavesTheScenesList) {
    startGame();
    CMC_Scene* scene = playing();
    ASSERT_NE(scene, nullptr);
    CCollisionInspector* inspector = window->getCollisionInspectorInterface();
    auto kept = std::make_unique<CImage>(window.get());
    auto* gone = new CImage(window.get());
    scene->monitorCollisions(kept.get(), false, nullptr);
    scene->monitorCollisions(gone, true, nullptr);
    ASSERT_EQ(scene->getMonitoredObjects().size(), 2u);
    delete gone;
    EXPECT_EQ(scene->getMonitoredObjects(), std::vector<CGraphicsObject*>{kept.get()});
    EXPECT_EQ(inspector->getMonitoredCount(), 1);
    // The scenes go before the graphic they still list, and stop watching it.
    stopGame();
}

// Fields whose texts hold fields of their own: the application's (one given its text
// at load, one by a script, so the inner field stands before and after the outer one
// in the unit's list) and the scene's. Leaving the scene deletes each once, and the
// objects that held them forget them.
TEST_F(SceneUnit, LeavingDeletesEveryEditBoxOnce) {
    dir.write("GAME/Dane/std.fnt", textfix::blockFont(textfix::textLetters(), 5, 8));
    const std::vector<std::string> font = {"OBJECT=F", "F:TYPE=FONT", "F:DEF_A_STANDARD_10=std.fnt"};
    auto field = [](const char* name, const char* rect, const char* text) {
        return std::vector<std::string>{std::string("OBJECT=") + name, std::string(name) + ":TYPE=EDITBOX",
                                        std::string(name) + ":FONT=F", std::string(name) + ":RECT=" + rect,
                                        std::string(name) + ":TEXT=" + text};
    };
    std::vector<std::string> application = font;
    test::append(application, field("AE", "0,0,200,20", "a<E,20,n,x>b"));
    test::append(application, field("AL", "0,20,200,40", ""));
    test::append(application, {"OBJECT=LATER", "LATER:TYPE=STRING", "LATER:VALUE=e<E,20,n,z>f"});
    dir.write("GAME/Dane/APP.cnv", test::definitionText(application));
    std::vector<std::string> scene = {"OBJECT=N", "N:TYPE=INTEGER"};
    test::append(scene, field("SE", "0,40,200,60", "c<E,20,n,y>d"));
    dir.write("GAME/Dane/S1/S1.cnv", test::definitionText(scene));
    startGame("GAME", CXSize(64, 48));
    ASSERT_NE(app(), nullptr);
    test::runCode(app(), "AL^SETTEXT(LATER);");
    CUnit6* unit = window->getCurrentUnit();
    ASSERT_NE(unit, nullptr);
    ASSERT_EQ(unit->getEditBoxes().size(), 6u);
    unit->activateEditBox(unit->getEditBoxes().back());
    frames(2);

    test::runCode(playing(), "EP^GOTO(\"S2\");");
    frames(2);
    EXPECT_STREQ(playing()->getName().c_str(), "S2");
    EXPECT_TRUE(unit->getEditBoxes().empty());
    EXPECT_EQ(unit->getCurrentEditBox(), nullptr);
    for (const char* name : {"AE", "AL"}) {
        auto* held = dynamic_cast<CMC_EditBox*>(app()->getObject(CXString(name)));
        ASSERT_NE(held, nullptr) << name;
        EXPECT_EQ(held->getEditBox(), nullptr) << name;
    }
    test::runCode(app(), "AL^SETTEXT(\"g\");");
    frames(2);
    stopGame();
}

}  // namespace
