// The script-file loader: LOAD brings a file's objects into the calling container,
// initialised, and groups them under the file name; RELEASE finishes and removes
// them, clones included, leaving the container as it was.
#include "script/CMC_CNVLoader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "foundation/CXVector.h"
#include "media/CMC_Groupped.h"
#include "script/CMC_Behaviour.h"
#include "script/CMC_RunnerFactory.h"
#include "support/ScriptTestSupport.h"
#include "RunnerTestSupport.h"

namespace {

using Names = std::vector<std::string>;

Names namesOf(CMC_ObjectsContainer* container) {
    Names out;
    const CXVector* list = container->getObjectList();
    for (int i = 0; list && i < list->getCount(); ++i)
        out.emplace_back(static_cast<CMC_Object*>(list->at(i))->getName().c_str());
    std::sort(out.begin(), out.end());
    return out;
}

// The application holds the loader; the scene, below it, counts initialisations.
class LoaderFixture : public ::testing::Test {
protected:
    LoaderFixture()
        : app("APP", world.window(), CMC_ObjectsContainer::kApplication),
          inFolder(world.dir().path()) {
        loader = new CMC_CNVLoader(world.window(), &app);
        app.addObject(loader);
        world.writeDefinition("extra.cnv", {
            "OBJECT=EX_COUNT", "EX_COUNT:TYPE=INTEGER", "EX_COUNT:VALUE=1", "EX_COUNT:ONINIT=NOTE_INIT",
            "OBJECT=EX_BEH", "EX_BEH:TYPE=BEHAVIOUR", "EX_BEH:CODE={EX_COUNT^ADD(1);}",
            // Its ONDONE handler is a behaviour of the same file, finished before it.
            "OBJECT=EX_TEXT", "EX_TEXT:TYPE=STRING", "EX_TEXT:VALUE=hello", "EX_TEXT:ONINIT={INITS^ADD(10);}",
            "EX_TEXT:ONDONE=EX_BEH",
            "OBJECT=EX_CLOSE", "EX_CLOSE:TYPE=BEHAVIOUR",
            "EX_CLOSE:CODE={CNVLOADER^RELEASE(extra.cnv);EX_COUNT^ADD(5);}",
        });
        world.writeDefinition("empty.cnv", {"# nothing here"});
        scene = world.loadScene("scene.cnv", {
            "OBJECT=INITS", "INITS:TYPE=INTEGER", "INITS:VALUE=0",
            "OBJECT=NOTE_INIT", "NOTE_INIT:TYPE=BEHAVIOUR", "NOTE_INIT:CODE={INITS^ADD(1);}",
        });
        scene->setLookupParent(&app);
    }
    ~LoaderFixture() override {
        scene->unload();
        world.applicationStep();
    }

    test::ScriptWorld world;
    test::TestScene app;
    test::ScopedCurrentDirectory inFolder;
    CMC_CNVLoader* loader = nullptr;
    CMC_ObjectsContainer* scene = nullptr;
};

TEST_F(LoaderFixture, LoadThenReleaseLeavesTheSceneAsItWas) {
    const Names before = namesOf(scene);

    test::runCode(scene, "{CNVLOADER^LOAD(extra.cnv);}");
    EXPECT_EQ(loader->getScene(), scene);
    auto* group = dynamic_cast<CMC_Groupped*>(scene->getObject("extra.cnv"));
    ASSERT_NE(group, nullptr);
    for (const char* name : {"EX_COUNT", "EX_BEH", "EX_TEXT", "EX_CLOSE", "beh_EX_TEXT_ONINIT"})
        EXPECT_TRUE(group->contains(scene->getObject(name))) << name;
    EXPECT_EQ(group->getCount(), 5);
    EXPECT_EQ(test::intValue(scene, "INITS"), 11);

    // Loaded already: nothing changes.
    const Names loaded = namesOf(scene);
    test::runCode(scene, "{CNVLOADER^LOAD(extra.cnv);}");
    EXPECT_EQ(namesOf(scene), loaded);
    EXPECT_EQ(test::intValue(scene, "INITS"), 11);

    // Clones go with their object.
    test::runCode(scene, "{EX_COUNT^CLONE(3);}");
    EXPECT_TRUE(test::hasObject(scene, "EX_COUNT_3"));
    test::runCode(scene, "{CNVLOADER^RELEASE(extra.cnv);}");
    EXPECT_EQ(namesOf(scene), before);
    world.applicationStep();

    // Loaded afresh: new objects, initialised again.
    test::runCode(scene, "{CNVLOADER^LOAD(extra.cnv);}");
    EXPECT_EQ(test::intValue(scene, "INITS"), 22);
    EXPECT_EQ(test::intValue(scene, "EX_COUNT"), 1);
    EXPECT_EQ(namesOf(scene), loaded);

    // A behaviour of the file releases the file while it runs; the rest of its run
    // still finds its objects.
    test::runBehaviour(scene, "EX_CLOSE");
    EXPECT_EQ(namesOf(scene), before);
    world.applicationStep();
}

TEST_F(LoaderFixture, FilesThatGiveNothingAndNamesNotLoaded) {
    const Names before = namesOf(scene);
    test::runCode(scene, "{CNVLOADER^LOAD(missing.cnv);CNVLOADER^LOAD(empty.cnv);CNVLOADER^RELEASE(extra.cnv);}");
    EXPECT_EQ(namesOf(scene), before);

    // RELEASE needs the name exactly as LOAD had it.
    test::runCode(scene, "{CNVLOADER^LOAD(extra.cnv);CNVLOADER^RELEASE(EXTRA.CNV);}");
    EXPECT_TRUE(test::hasObject(scene, "EX_COUNT"));
}

TEST_F(LoaderFixture, ReleaseNeverDeletesWhatAParentScopeHolds) {
    CMC_Runner* runner = CMC_RunnerFactory::getRunner(CMC_CNVLoader::kType);
    ASSERT_NE(runner, nullptr);
    test::Args name({"extra.cnv"});
    runner->run(CXString("LOAD"), loader, &app, name.get());
    EXPECT_EQ(loader->getScene(), &app);
    ASSERT_GE(app.getObjectId(CXString("EX_COUNT")), 0);

    // The owner has moved to the scene, which finds the group only in its parent.
    loader->setScene(scene);
    runner->run(CXString("RELEASE"), loader, scene, name.get());
    EXPECT_GE(app.getObjectId(CXString("EX_COUNT")), 0);
    EXPECT_GE(app.getObjectId(CXString("extra.cnv")), 0);

    // From the application itself it goes.
    loader->setScene(&app);
    runner->run(CXString("RELEASE"), loader, &app, name.get());
    EXPECT_EQ(app.getObjectId(CXString("EX_COUNT")), -1);
    EXPECT_EQ(app.getObjectId(CXString("extra.cnv")), -1);
}

}  // namespace
