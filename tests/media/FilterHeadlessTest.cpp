// The timed effects on a headless display, frame by frame: a FILTER fading an
// IMAGE in, with its events, and a FILTER walking an ANIMO along a PATH.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "graphics/core/CGraphicsObject.h"
#include "graphics/play/CAnimo6.h"
#include "media/CMC_Animo.h"
#include "scene/CMC_Scene.h"
#include "shell/CApplication.h"
#include "support/ScriptTestSupport.h"
#include "support/TempDir.h"
#include "tools/AnimationBuilder.h"
#include "platform/Png.h"

namespace {

class FilterHeadless : public ::testing::Test {
protected:
    FilterHeadless() : here(world.dir().path()) {
        world.enableDisplay(CXSize(80, 60));
        application = std::make_unique<CApplication>(world.window(), CXString(), CXString(), nullptr);
        CGraphicsObject g(nullptr, CXSize(20, 10), 16);
        std::vector<uint16_t> white(200, 0xFFFF);
        std::memcpy(g.GetDataPtr(), white.data(), 400);
        char* plane = new char[200];
        std::memset(plane, 255, 200);
        g.AlphaChannel(plane);
        g.SetPosition(10, 10);
        g.Save(CXString("white.img"), COMPRESSION_NONE);
        platform::PngPicture image;
        image.width = image.height = 4;
        for (int p = 0; p < 16; ++p) image.pixels.insert(image.pixels.end(), {255, 255, 0, 255});
        std::string error;
        EXPECT_TRUE(platform::writePng(world.dir().native("f0.png"), image, &error)) << error;
        world.dir().write("anim.txt", "fps 10\nframe f0.png\nevent idle\n  frames 0\nend\n");
        EXPECT_TRUE(tools::buildAnimation(world.dir().native("anim.txt"), world.dir().native("anim.ann"),
                                          tools::AnimationOptions(), &error))
            << error;
        defScene = std::make_unique<CMC_Scene>(world.window(), CMC_Scene::kType);
    }
    ~FilterHeadless() override {
        world.applicationStep();
        defScene.reset();
        CMC_Scene::doneDefUnit();
        application.reset();
    }

    test::ScriptWorld world;
    test::ScopedCurrentDirectory here;
    std::unique_ptr<CApplication> application;
    std::unique_ptr<CMC_Scene> defScene;
};

TEST_F(FilterHeadless, FadeInShowsTheImageStepByStep) {
    auto* scene = world.loadScene("fade.cnv", {
                                                  "OBJECT=LOG", "LOG:TYPE=STRING", "LOG:VALUE=",                       //
                                                  "OBJECT=R", "R:TYPE=STRING", "R:VALUE=",                             //
                                                  "OBJECT=IMG", "IMG:TYPE=IMAGE", "IMG:FILENAME=white.img",            //
                                                  "IMG:VISIBLE=TRUE", "IMG:TOCANVAS=TRUE",                             //
                                                  "OBJECT=F", "F:TYPE=FILTER", "F:ACTION=FADEIN",                      //
                                                  "F:ONSTARTED={LOG^ADD(\"s\");}",                                     //
                                                  "F:ONFINISHED^IMG={LOG^ADD(\"f\");}",
                                              });
    ASSERT_NE(scene, nullptr);
    test::runCode(scene, "{IMG^HIDE();}");
    world.frames(1);
    const uint64_t empty = world.frontBufferHash();
    test::runCode(scene, "{IMG^SHOW();}");
    world.frames(1);
    const uint64_t shown = world.frontBufferHash();
    ASSERT_NE(empty, shown);

    test::runCode(scene, "{F^SETPROPERTY(\"SPEED\", \"64\");F^LINK(\"IMG\");F^START(\"IMG\");}");
    std::vector<std::string> opacities;
    for (int i = 0; i < 6 && test::textValue(scene, "LOG").find('f') == std::string::npos; ++i) {
        world.frames(1);
        test::runCode(scene, "{R^SET(IMG^GETOPACITY());}");
        opacities.push_back(test::textValue(scene, "R"));
    }
    EXPECT_EQ(test::textValue(scene, "LOG"), "sf");
    EXPECT_EQ(opacities, (std::vector<std::string>{"64", "128", "192", "255"}));
    world.frames(1);
    EXPECT_EQ(world.frontBufferHash(), shown);
}

TEST_F(FilterHeadless, PathWalksAnAnimation) {
    auto* scene = world.loadScene("path.cnv", {
                                                  "OBJECT=LOG", "LOG:TYPE=STRING", "LOG:VALUE=",                        //
                                                  "OBJECT=V", "V:TYPE=VECTOR", "V:SIZE=2", "V:VALUE=6,4",            //
                                                  "OBJECT=P", "P:TYPE=PATH", "P:NODES=V",                              //
                                                  "OBJECT=A", "A:TYPE=ANIMO", "A:FILENAME=anim.ann",                   //
                                                  "A:VISIBLE=TRUE", "A:TOCANVAS=TRUE",                                 //
                                                  "OBJECT=F", "F:TYPE=FILTER", "F:ACTION=PATH",                        //
                                                  "F:ONFINISHED={LOG^ADD(\"f\");}",
                                              });
    ASSERT_NE(scene, nullptr);
    auto* animo = dynamic_cast<CMC_Animo*>(scene->getObject(CXString("A")));
    ASSERT_NE(animo, nullptr);
    animo->getAnimo()->setPosition(CXPoint(0, 0));
    world.frames(1);
    const uint64_t start = world.frontBufferHash();
    test::runCode(scene, "{F^SETPROPERTY(\"PATHDEF\", \"P\");F^LINK(\"A\");F^START(\"A\");}");
    std::vector<CXPoint> positions;
    std::set<uint64_t> hashes{start};
    for (int i = 0; i < 20 && test::textValue(scene, "LOG").empty(); ++i) {
        world.frames(1);
        positions.push_back(animo->getAnimo()->getPosition());
        hashes.insert(world.frontBufferHash());
    }
    EXPECT_EQ(test::textValue(scene, "LOG"), "f");
    ASSERT_FALSE(positions.empty());
    EXPECT_EQ(positions.back().x, 6);
    EXPECT_EQ(positions.back().y, 4);
    // The picture moved on the screen along the way.
    EXPECT_GE(hashes.size(), 4u);
}

}  // namespace
