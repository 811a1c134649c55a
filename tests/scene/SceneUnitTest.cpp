// The default unit across a scene change on a drawn game: leaving a scene frees the
// background picture the screen kept, while the application's graphics stay on screen
// and music the next scene shares plays on; the scene's list of monitored graphics
// forgets one that is destroyed.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "graphics/core/CColor.h"
#include "graphics/core/CGraphicsObject.h"
#include "graphics/image/CImage.h"
#include "graphics/input/CCollisionInspector.h"
#include "graphics/screen/CRefreshScreen.h"
#include "graphics/screen/CSurface.h"
#include "platform/Presenter.h"
#include "scene/CMC_Application.h"
#include "shell/CWindow.h"
#include "support/HeadlessGame.h"
#include "support/ScriptTestSupport.h"

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

}  // namespace
