// A scene's BACKGROUND image is shown behind everything while the scene runs, and
// leaving for a scene without one takes it away.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/core/CColor.h"
#include "graphics/core/CGraphicsObject.h"
#include "host/Host.h"
#include "platform/MessageBox.h"
#include "platform/Presenter.h"
#include "shell/CWindow.h"
#include "support/TempDir.h"

namespace {

struct SceneBackground : ::testing::Test {
    SceneBackground() : start(dir.path()), scopedBox(box), savedExe(CWindow::exePath), savedCd(CWindow::getCDPath()) {
        // A red picture of the screen's size in the first scene's folder.
        dir.mkdir("GAME/Dane/S1");
        CGraphicsObject picture(nullptr, CXSize(64, 48), 16);
        CColor red(255, 0, 0);
        picture.Fill(&red);
        picture.Save(CXString(dir.engine("GAME/Dane/S1/bg.img").c_str()), COMPRESSION_NONE);
    }
    ~SceneBackground() override {
        CWindow::exePath = savedExe;
        CWindow::setCDPath(savedCd);
    }
    // Plays the game for a few frames; the colour of the last frame's middle.
    std::vector<int> middleAfterPlaying(const std::string& s1Code) {
        dir.write("GAME/Dane/application.def",
                  "OBJECT=APP\r\nAPP:TYPE=APPLICATION\r\nAPP:EPISODES=EP\r\nOBJECT=EP\r\nEP:TYPE=EPISODE\r\n"
                  "EP:SCENES=S1,S2\r\nOBJECT=S1\r\nS1:TYPE=SCENE\r\nS1:PATH=S1\r\nS1:BACKGROUND=bg.img\r\n"
                  "OBJECT=S2\r\nS2:TYPE=SCENE\r\nS2:PATH=S2\r\n");
        dir.write("GAME/Dane/S1/S1.cnv", "OBJECT=__INIT__\r\n__INIT__:TYPE=BEHAVIOUR\r\n__INIT__:CODE=" + s1Code + "\r\n");
        dir.mkdir("GAME/Dane/S2");
        test::ScopedCurrentDirectory here(dir.path());
        const std::string game = dir.path() + "/GAME", dumps = dir.path() + "/dumps";
        const char* argv[] = {"vondrel", "--headless", "--frames", "4", "--ini", "", "--dump-dir", dumps.c_str(),
                              "-window", "-res", "64", "48", "-path", game.c_str()};
        EXPECT_EQ(host::run(static_cast<int>(std::size(argv)), argv), 0);
        platform::RgbFrame frame;
        if (!platform::readPng(dumps + "/last.png", frame) || frame.width != 64) return {};
        const uint8_t* p = &frame.rgb[(static_cast<size_t>(24) * 64 + 32) * 3];
        return {p[0], p[1], p[2]};
    }
    test::TempDir dir;
    test::ScopedCurrentDirectory start;
    platform::RecordedMessageBox box;
    platform::ScopedMessageBox scopedBox;
    CXString savedExe;
    CXString savedCd;
};

TEST_F(SceneBackground, TheSceneShowsItsBackgroundUntilItIsLeft) {
    EXPECT_EQ(middleAfterPlaying("{}"), (std::vector<int>{255, 0, 0}));
    // Without a background the screen keeps no trace of the red picture.
    const std::vector<int> left = middleAfterPlaying("{EP^GOTO(\"S2\");}");
    ASSERT_EQ(left.size(), 3u);
    EXPECT_EQ(left[0], 0);
    EXPECT_TRUE(box.boxes.empty());
}

}  // namespace
