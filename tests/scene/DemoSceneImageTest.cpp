// The demo's scenes written as binary images come back whole: every object written is
// read (MOUSE and KEYBOARD among them), and the copy writes the same bytes.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "foundation/CXArchive.h"
#include "scene/CMC_Scene.h"
#include "script/CMElement.h"
#include "support/ScriptTestSupport.h"
#include "support/TempDir.h"

#ifdef VONDREL_SOURCE_DIR

namespace {

TEST(DemoSceneImages, EveryObjectWrittenReadsBack) {
    test::ScriptWorld world;
    const std::string data = std::string(VONDREL_SOURCE_DIR) + "/demo/game/Dane";
    struct Scene {
        const char* name;
        const char* folder;
    };
    for (const Scene& s : {Scene{"TITLE", "/TITLE"}, Scene{"ROOM", "/ROOM"}, Scene{"SHOWCASE", ""}}) {
        test::ScopedCurrentDirectory here(data + s.folder);
        std::unique_ptr<CMElement> element(test::makeElement(s.name, {{"TYPE", "SCENE"}}));
        auto scene = std::make_unique<CMC_Scene>(world.window(), nullptr, element.get(), CMC_Scene::kType);
        scene->loadCnv();
        ASSERT_GT(scene->getElementsNo(), 1) << s.name;
        const std::string bytes = test::archiveBytes([&](CXArchive& a) { scene->writeImage(&a); });
        constexpr size_t kCountAt = 12;  // after three empty texts
        ASSERT_GE(bytes.size(), kCountAt + 4);
        int32_t count = 0;
        std::memcpy(&count, bytes.data() + kCountAt, 4);
        EXPECT_GT(count, 0) << s.name;
        auto copy = std::make_unique<CMC_Scene>(world.window(), CMC_Scene::kType);
        test::readArchive(bytes, [&](CXArchive& a) { copy->readImage(&a); });
        EXPECT_EQ(copy->getElementsNo(), count + 1) << s.name;  // the objects and the scene itself
        EXPECT_EQ(test::archiveBytes([&](CXArchive& a) { copy->writeImage(&a); }), bytes) << s.name;
        copy.reset();
        scene.reset();
        world.applicationStep();
    }
    CMC_Scene::doneDefUnit();
}

}  // namespace

#endif
