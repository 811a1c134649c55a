// The scene's step raises the download events of its INTERNET objects, and the list
// that holds them never points at a dead object or a dead list.
#include <gtest/gtest.h>

#include <memory>

#include "foundation/CXVector.h"
#include "net/CInternet.h"
#include "net/CMC_Internet.h"
#include "platform/Http.h"
#include "scene/CMC_Scene.h"
#include "script/CMElement.h"
#include "support/ScriptTestSupport.h"

namespace {

struct SceneDownloads : ::testing::Test {
    SceneDownloads() : scoped(http) {
        platform::ScriptedHttpSystem::Answer answer;
        answer.body = "x";
        http.setAnswer("http://h/f", answer);
    }
    // The shared default unit, made by the first scene, holds this world's window.
    ~SceneDownloads() override { CMC_Scene::doneDefUnit(); }
    platform::ScriptedHttpSystem http;
    platform::ScopedHttpSystem scoped;
    test::ScriptWorld world;
};

TEST_F(SceneDownloads, TheStepRaisesFinishedDownloads) {
    auto scene = std::make_unique<CMC_Scene>(world.window(), CMC_Scene::kType);
    std::unique_ptr<CMElement> element(test::makeElement("I", {{"TYPE", "INTERNET"}, {"SERVER", "h"}}));
    auto* internet = new CMC_Internet(scene.get(), element.get());
    scene->addObject(internet);
    auto* done = new test::RecordingBehaviour(scene.get(), "DONE");
    scene->addObject(done);
    internet->addBehaviour(CXString("ONDOWNLOADED"), done, nullptr, nullptr);
    ASSERT_TRUE(scene->getDownloadList()->contains(internet));
    internet->get(CXString("h&slashf"), CXString(world.dir().engine("f").c_str()));
    internet->getDownloader()->wait();
    EXPECT_EQ(done->count(), 0);
    scene->domodal();
    EXPECT_EQ(done->count(), 1);
    scene->domodal();
    EXPECT_EQ(done->count(), 1);
    EXPECT_EQ(world.dir().read("f"), "x");
    ASSERT_TRUE(scene->deleteObject(internet));
    EXPECT_EQ(scene->getDownloadList()->getCount(), 0);
    world.applicationStep();
}

TEST_F(SceneDownloads, ObjectOutlivingItsListForgetsIt) {
    auto container = std::make_unique<test::TestScene>("S");
    std::unique_ptr<CMElement> element(test::makeElement("I", {{"TYPE", "INTERNET"}, {"SERVER", "h"}}));
    auto internet = std::make_unique<CMC_Internet>(container.get(), element.get());
    EXPECT_TRUE(container->getDownloadList()->contains(internet.get()));
    container.reset();
    internet.reset();  // touches no deleted list
}

}  // namespace
