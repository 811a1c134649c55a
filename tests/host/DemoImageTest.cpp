// The demo game written as binary images ("-2bin") plays its scripted session from
// them: the game, its episode and every scene come back and are entered from their
// images. The intro's MOVIE has no stored form, so there the session's click leads on.
// The scenes' keys, counters and texts are those of a run of the definition files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "host/Host.h"
#include "platform/MessageBox.h"
#include "platform/Presenter.h"
#include "shell/CWindow.h"
#include "support/TempDir.h"

#ifdef VONDREL_DEMO_GAME

namespace {

struct DemoImage : ::testing::Test {
    DemoImage() : scopedBox(box), savedExe(CWindow::exePath), savedCd(CWindow::getCDPath()),
                  savedRoot(CWindow::rootPath) {}
    ~DemoImage() override {
        CWindow::exePath = savedExe;
        CWindow::setCDPath(savedCd);
        CWindow::rootPath = savedRoot;
    }
    // A copy of the demo in the folder; runs start in it, as a game started from its
    // own folder does (its root path is then the game's, where images are written).
    std::string copy(const std::string& name) {
        const std::string game = dir.path() + "/" + name;
        std::filesystem::copy(VONDREL_DEMO_GAME, game, std::filesystem::copy_options::recursive);
        return game;
    }
    int run(const std::string& game, const std::string& dumps, bool toBinary) {
        test::ScopedCurrentDirectory here(game);
        const std::string session = std::string(VONDREL_SOURCE_DIR) + "/demo/session.txt";
        const std::string ini = dir.path() + "/" + dumps + ".ini";
        const std::string out = dir.path() + "/" + dumps;
        std::vector<const char*> argv = {"vondrel", "--headless", "--ini", ini.c_str(), "--dump-dir", out.c_str(),
                                         "--dump-every", "5", "-path", game.c_str()};
        if (toBinary) {
            argv.insert(argv.end(), {"--frames", "1", "-2bin"});
        } else {
            argv.insert(argv.end(), {"--frames", "300", "--input", session.c_str()});
        }
        return host::run(static_cast<int>(argv.size()), argv.data());
    }

    test::TempDir dir;
    platform::RecordedMessageBox box;
    platform::ScopedMessageBox scopedBox;
    CXString savedExe;
    CXString savedCd;
    CXString savedRoot;
};

TEST_F(DemoImage, PlaysFromItsImagesAsFromItsDefinitions) {
    const std::string text = copy("text");
    ASSERT_EQ(run(text, "fromText", false), 0);
    const std::string images = copy("images");
    ASSERT_EQ(run(images, "writing", true), 0);
    for (const char* file : {"Dane/application.bin", "Dane/SHOWCASE.bin", "Dane/MAIN.bin", "Dane/INTRO/INTRO.bin",
                             "Dane/TITLE/TITLE.bin", "Dane/ROOM/ROOM.bin"})
        ASSERT_TRUE(std::filesystem::exists(images + "/" + file)) << file;
    ASSERT_EQ(run(images, "fromImages", false), 0);
    EXPECT_TRUE(box.boxes.empty());
    // The door (a BUTTON over a stored IMAGE) and Enter on the title, and Left in the
    // room (handlers of the scenes' KEYBOARDs, merged into the application's) lead as
    // they do from the definitions: the room is entered twice.
    const std::string settings = dir.read("fromImages.ini");
    EXPECT_EQ(settings.rfind("[SHOWCASE]\r\nRUNS=1\r\nVISITS=2\r\n", 0), 0u) << settings;
    EXPECT_NE(settings.find("[TITLE]\r\nTime=2\r\nPlayed=3\r\n"), std::string::npos) << settings;
    EXPECT_NE(settings.find("[ROOM]\r\nTime=2\r\nPlayed=2\r\n"), std::string::npos) << settings;
    EXPECT_EQ(settings, dir.read("fromText.ini"));
    // The session ends at the same frame, and every frame on the way is the same: the
    // figure walks at its defined rate, which its file's own rate would not give.
    EXPECT_TRUE(dir.exists("fromImages/frame-000250.png"));
    EXPECT_FALSE(dir.exists("fromImages/frame-000255.png"));
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path() + "/fromText"))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    std::vector<std::string> imageNames;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path() + "/fromImages"))
        imageNames.push_back(entry.path().filename().string());
    std::sort(imageNames.begin(), imageNames.end());
    ASSERT_EQ(imageNames, names);
    std::vector<std::string> differing;
    for (const std::string& name : names)
        if (dir.read("fromImages/" + name) != dir.read("fromText/" + name)) differing.push_back(name);
    EXPECT_TRUE(differing.empty()) << differing.size() << " frames differ, first " << differing.front();
    // The room's counter (a TEXT) and the name typed into the title's EDITBOX show as
    // they do from the definitions: their FONT, read back from the application's image,
    // has its letters.
    struct Area {
        int frame, left, top, right, bottom;
    };
    for (const Area& a : {Area{60, 300, 150, 500, 250}, Area{80, 300, 150, 500, 250}, Area{100, 300, 150, 500, 250},
                          Area{240, 250, 540, 550, 570}}) {
        char name[32];
        std::snprintf(name, sizeof name, "/frame-%06d.png", a.frame);
        platform::RgbFrame text, images;
        ASSERT_TRUE(platform::readPng(dir.path() + "/fromText" + name, text));
        ASSERT_TRUE(platform::readPng(dir.path() + "/fromImages" + name, images));
        ASSERT_EQ(images.width, text.width);
        ASSERT_EQ(images.height, text.height);
        int differing = 0, inked = 0;
        for (int y = a.top; y < a.bottom; ++y)
            for (int x = a.left; x < a.right; ++x) {
                const size_t i = (static_cast<size_t>(y) * text.width + x) * 3;
                const size_t corner = (static_cast<size_t>(a.top) * text.width + a.left) * 3;
                differing += !std::equal(&text.rgb[i], &text.rgb[i] + 3, &images.rgb[i]);
                inked += !std::equal(&images.rgb[i], &images.rgb[i] + 3, &images.rgb[corner]);
            }
        EXPECT_EQ(differing, 0) << name;
        EXPECT_GT(inked, 0) << name;
    }
}

// An image that cannot be written fails the run, naming the file on stderr.
TEST_F(DemoImage, AnImageNotWrittenFailsTheRun) {
    const std::string images = copy("images");
    std::filesystem::create_directory(images + "/Dane/MAIN.bin");  // a folder where the image goes
    testing::internal::CaptureStderr();
    EXPECT_EQ(run(images, "writing", true), 1);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("scene image: "), std::string::npos) << errors;
    EXPECT_NE(errors.find("MAIN.bin is not written"), std::string::npos) << errors;
    EXPECT_TRUE(std::filesystem::exists(images + "/Dane/ROOM/ROOM.bin"));
}

}  // namespace

#endif
