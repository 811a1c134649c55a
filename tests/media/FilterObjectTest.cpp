// FILTER through scripts: its events in their caret and plain forms, its methods,
// an unknown ACTION, the binary image and an IMAGE removed while it fades.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "foundation/CXArchive.h"
#include "graphics/core/CGraphicsObject.h"
#include "media/filters/CAnimatedFilter.h"
#include "media/CMC_Filter.h"
#include "support/ScriptTestSupport.h"
#include "support/TempDir.h"

namespace {

void writePicture(const std::string& name) {
    CGraphicsObject g(nullptr, CXSize(4, 3), 16);
    std::memset(g.GetDataPtr(), 0x5A, 4 * 3 * 2);
    g.Save(CXString(name.c_str()), COMPRESSION_NONE);
}

class FilterObjectTest : public ::testing::Test {
protected:
    void load(const char* action) {
        writePicture("pic.img");
        scene = world.loadScene("filter.cnv", {
                                                  "OBJECT=LOG", "LOG:TYPE=STRING", "LOG:VALUE=",                  //
                                                  "OBJECT=R", "R:TYPE=STRING", "R:VALUE=",                        //
                                                  "OBJECT=IMG", "IMG:TYPE=IMAGE", "IMG:FILENAME=pic.img",         //
                                                  "OBJECT=F", "F:TYPE=FILTER", std::string("F:ACTION=") + action,  //
                                                  "F:ONSTARTED^IMG={LOG^ADD(\"s\");}",                            //
                                                  "F:ONTICK={LOG^ADD(\"t\");}",                                   //
                                                  "F:ONFINISHED={LOG^ADD(\"f\");}",
                                              });
        ASSERT_NE(scene, nullptr);
    }
    std::string eval(const std::string& expression) {
        test::runCode(scene, ("R^SET(" + expression + ");").c_str());
        return test::textValue(scene, "R");
    }

    test::ScriptWorld world;
    test::ScopedCurrentDirectory here{world.dir().path()};
    test::TestScene* scene = nullptr;
};

TEST_F(FilterObjectTest, FadeInRaisesItsEventsAndEnds) {
    load("FADEIN");
    test::runCode(scene, "{F^SETPROPERTY(\"SPEED\", \"100\");F^LINK(\"IMG\");F^LINK(\"IMG\");F^START(\"IMG\");}");
    EXPECT_EQ(eval("IMG^GETOPACITY()"), "0");
    EXPECT_EQ(eval("F^ISRUNNING(\"IMG\")"), "TRUE");
    EXPECT_EQ(eval("F^ISRUNNING(\"NOBODY\")"), "FALSE");
    world.frames(4);
    EXPECT_EQ(test::textValue(scene, "LOG"), "sttf");
    EXPECT_EQ(eval("IMG^GETOPACITY()"), "255");
    EXPECT_EQ(eval("F^ISRUNNING(\"IMG\")"), "FALSE");
    // START again begins at START; STOP raises the finish.
    test::runCode(scene, "{LOG^SET(\"\");F^START(\"IMG\");F^STOP(\"IMG\");F^STOP(\"IMG\");F^UNLINK(\"IMG\");F^START(\"IMG\");}");
    world.frames(2);
    EXPECT_EQ(test::textValue(scene, "LOG"), "sf");
    EXPECT_EQ(eval("IMG^GETOPACITY()"), "0");
}

TEST_F(FilterObjectTest, UnknownActionDoesNothing) {
    load("Fadein");
    auto* filter = dynamic_cast<CMC_Filter*>(scene->getObject("F"));
    ASSERT_NE(filter, nullptr);
    EXPECT_EQ(filter->getFilter(), nullptr);
    test::runCode(scene, "{F^LINK(\"IMG\");F^START(\"IMG\");}");
    world.frames(2);
    EXPECT_EQ(eval("F^ISRUNNING(\"IMG\")"), "FALSE");
    EXPECT_EQ(test::textValue(scene, "LOG"), "");
}

TEST_F(FilterObjectTest, ImageRemovedWhileFading) {
    load("FADEOUT");
    test::runCode(scene, "{F^LINK(\"IMG\");F^START(\"IMG\");}");
    world.frames(2);
    ASSERT_TRUE(scene->deleteObject(scene->getObject("IMG")));
    world.frames(3);
    auto* filter = dynamic_cast<CMC_Filter*>(scene->getObject("F"));
    ASSERT_NE(filter, nullptr);
    EXPECT_EQ(filter->getFilter()->getTargetCount(), 0);
    // The removed image lives until the next flush, after that frame's tick; then
    // it leaves the effect with no finish.
    EXPECT_EQ(test::textValue(scene, "LOG"), "sttt");
}

TEST_F(FilterObjectTest, ImageRemovedWhileWavingOrRippling) {
    for (const char* action : {"WAVING", "WATER"}) {
        SCOPED_TRACE(action);
        load(action);
        test::runCode(scene, "{F^LINK(\"IMG\");F^START(\"IMG\");}");
        world.frames(12);  // WAVING has saved its undistorted buffers
        ASSERT_TRUE(scene->deleteObject(scene->getObject("IMG")));
        world.frames(3);
        auto* filter = dynamic_cast<CMC_Filter*>(scene->getObject("F"));
        ASSERT_NE(filter, nullptr);
        EXPECT_EQ(filter->getFilter()->getTargetCount(), 0);
    }
}

TEST_F(FilterObjectTest, BinaryImageKeepsOnlyTheAction) {
    load("PATH");
    auto* filter = dynamic_cast<CMC_Filter*>(scene->getObject("F"));
    ASSERT_NE(filter, nullptr);
    test::runCode(scene, "{F^SETPROPERTY(\"SPEED\", \"5\");F^LINK(\"IMG\");}");
    const std::string bytes = test::archiveBytes([&](CXArchive& a) { filter->serialize(&a); });
    CMC_Filter copy(scene);
    test::readArchive(bytes, [&](CXArchive& a) { copy.serialize(&a); });
    EXPECT_EQ(std::string(copy.getAction().c_str()), "PATH");
    ASSERT_NE(copy.getFilter(), nullptr);
    EXPECT_EQ(copy.getFilter()->getTargetCount(), 0);
    EXPECT_EQ(std::string(copy.toString().c_str()), "Filter");
}

}  // namespace
