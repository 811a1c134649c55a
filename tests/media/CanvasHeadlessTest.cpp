// The canvas types seen on a headless display: a CANVAS composing an IMAGE and an
// ANIMO, captured, erased and saved as an image file that reads back; a VGO showing a
// picture through an animation frame.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "graphics/canvas/CCanvas.h"
#include "graphics/canvas/CVirtualGraphicsObject.h"
#include "graphics/core/CGraphicsObject.h"
#include "graphics/screen/CDirectDrawSurface.h"
#include "graphics/screen/CRefreshScreen.h"
#include "graphics/screen/CValidationQuene.h"
#include "media/CMC_Canvas.h"
#include "media/CMC_VirtualGraphicsObject.h"
#include "scene/CMC_Scene.h"
#include "shell/CApplication.h"
#include "support/ScriptTestSupport.h"
#include "support/TempDir.h"
#include "tools/AnimationBuilder.h"
#include "platform/Png.h"

namespace {

platform::PngPicture picture(int w, int h, uint8_t r, uint8_t g, uint8_t b, uint8_t alpha) {
    platform::PngPicture image;
    image.width = w;
    image.height = h;
    for (int i = 0; i < w * h; ++i) image.pixels.insert(image.pixels.end(), {r, g, b, i == 0 ? uint8_t(255) : alpha});
    return image;
}

void writePicture(const std::string& name, int w, int h, int x, int y, uint16_t colour, uint8_t alpha) {
    CGraphicsObject g(nullptr, CXSize(w, h), 16);
    std::vector<uint16_t> pixels(static_cast<size_t>(w * h), colour);
    std::memcpy(g.GetDataPtr(), pixels.data(), pixels.size() * 2);
    char* plane = new char[static_cast<size_t>(w * h)];
    std::memset(plane, alpha, static_cast<size_t>(w * h));
    g.AlphaChannel(plane);
    g.SetPosition(x, y);
    g.Save(CXString(name.c_str()), COMPRESSION_NONE);
}

uint32_t le32(const std::string& bytes, size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(bytes[at + static_cast<size_t>(i)]);
    return v;
}

class CanvasHeadless : public ::testing::Test {
protected:
    CanvasHeadless() : here(world.dir().path()) {
        world.enableDisplay(CXSize(100, 60));
        application = std::make_unique<CApplication>(world.window(), CXString(), CXString(), nullptr);
        std::string error;
        // Frame 0: 8 x 6 of pure blue, alpha 128 but its first pixel 255.
        EXPECT_TRUE(platform::writePng(world.dir().native("f0.png"), picture(8, 6, 0, 0, 255, 128), &error)) << error;
        world.dir().write("anim.txt", "fps 10\nframe f0.png\nevent idle\n  frames 0\nend\n");
        EXPECT_TRUE(tools::buildAnimation(world.dir().native("anim.txt"), world.dir().native("anim.ann"),
                                          tools::AnimationOptions(), &error))
            << error;
        writePicture("red.img", 10, 10, 0, 0, 0xF800, 255);
        writePicture("white.img", 30, 20, 0, 0, 0xFFFF, 255);
        writePicture("eraser.img", 4, 4, 0, 0, 0, 255);
        defScene = std::make_unique<CMC_Scene>(world.window(), CMC_Scene::kType);
    }
    ~CanvasHeadless() override {
        world.applicationStep();
        scene = nullptr;
        defScene.reset();
        CMC_Scene::doneDefUnit();
        application.reset();
    }
    uint16_t screenAt(int x, int y) {
        CDirectDrawSurface* drawn = world.screen()->getRefreshDestiny();
        return reinterpret_cast<uint16_t*>(drawn->GetDataPtr())[y * drawn->GetPitch() + x];
    }

    test::ScriptWorld world;
    test::ScopedCurrentDirectory here;
    std::unique_ptr<CApplication> application;
    std::unique_ptr<CMC_Scene> defScene;
    CMC_ObjectsContainer* scene = nullptr;
};

TEST_F(CanvasHeadless, CanvasComposesCapturesErasesAndSavesAPictureThatReadsBack) {
    scene = world.loadScene("c.cnv", {"OBJECT=C", "C:TYPE=CANVAS", "C:WIDTH=40", "C:HEIGHT=20", "C:PRIORITY=1",
                                      "C:BACKGROUND=TRUE", "C:ALPHA=TRUE", "OBJECT=I", "I:TYPE=IMAGE",
                                      "I:FILENAME=red.img", "I:VISIBLE=TRUE", "OBJECT=A", "A:TYPE=ANIMO",
                                      "A:FILENAME=anim.ann", "A:VISIBLE=TRUE", "OBJECT=E", "E:TYPE=IMAGE",
                                      "E:FILENAME=eraser.img"});
    ASSERT_NE(scene, nullptr);
    test::runCode(scene, "C^SETPOSITION(20, 10);C^ADD(\"I\", 1);A^SETPOSITION(12, 0);C^ADD(\"A\", 2);");
    world.frames(2);
    EXPECT_EQ(screenAt(21, 11), 0xF800);  // the image, at the canvas's place
    EXPECT_EQ(screenAt(32, 10), 0x001F);  // the animation's opaque first pixel
    test::runCode(scene, "C^CAPTURE(FALSE);");
    auto* canvas = dynamic_cast<CMC_Canvas*>(scene->getObject(CXString("C")));
    ASSERT_NE(canvas, nullptr);
    EXPECT_EQ(canvas->getCanvas()->getObjects()->getCount(), 1);
    EXPECT_TRUE(canvas->getAddedNames().empty());
    world.frames(2);
    EXPECT_EQ(screenAt(21, 11), 0xF800);  // now from the background
    test::runCode(scene, "C^ERASE(\"E\", -3, -3);");
    EXPECT_EQ(static_cast<uint8_t>(canvas->getCanvas()->getBackground()->AlphaChannel()[0]), 0);
    test::runCode(scene, "C^SAVE(\"shot.pik\");");
    const std::string bytes = world.dir().read("shot.pik");
    ASSERT_GE(bytes.size(), 40u + 40 * 20 * 2 + 40 * 20);
    EXPECT_EQ(bytes.substr(0, 3), "PIK");
    EXPECT_EQ(le32(bytes, 4), 40u);
    EXPECT_EQ(le32(bytes, 8), 20u);
    // The saved pixels and alpha hold the picture: the image's red at (1, 1).
    uint16_t pixel = 0;
    std::memcpy(&pixel, bytes.data() + 40 + (1 * 40 + 1) * 2, 2);
    EXPECT_EQ(pixel, 0xF800);
    EXPECT_EQ(static_cast<uint8_t>(bytes[40 + 40 * 20 * 2 + 0]), 0);
}

TEST_F(CanvasHeadless, AnAnimationOnACanvasIsNotRemembered) {
    scene = world.loadScene("a.cnv", {"OBJECT=C", "C:TYPE=CANVAS", "C:WIDTH=40", "C:HEIGHT=20",
                                      "C:BACKGROUND=TRUE", "OBJECT=A", "A:TYPE=ANIMO", "A:FILENAME=anim.ann",
                                      "A:VISIBLE=TRUE"});
    ASSERT_NE(scene, nullptr);
    test::runCode(scene, "C^ADD(\"A\", 4);");
    auto* canvas = dynamic_cast<CMC_Canvas*>(scene->getObject(CXString("C")));
    ASSERT_NE(canvas, nullptr);
    EXPECT_EQ(canvas->getCanvas()->getObjects()->getCount(), 2);
    EXPECT_TRUE(canvas->getAddedNames().empty());
    test::runCode(scene, "C^RECREATE(40, 20, FALSE, TRUE, 1, FALSE);");
    EXPECT_EQ(canvas->getCanvas()->getObjects()->getCount(), 1);
    test::runCode(scene, "C^ADD(\"A\");C^CAPTURE();");
    world.frames(1);
    EXPECT_TRUE(test::hasObject(scene, "A"));
}

TEST_F(CanvasHeadless, VirtualObjectShowsAPictureThroughAnAnimationFrame) {
    scene = world.loadScene("v.cnv", {"OBJECT=V", "V:TYPE=VIRTUALGRAPHICSOBJECT", "V:TOCANVAS=TRUE",
                                      "V:VISIBLE=TRUE", "V:PRIORITY=3", "OBJECT=W", "W:TYPE=IMAGE",
                                      "W:FILENAME=white.img", "OBJECT=A", "A:TYPE=ANIMO", "A:FILENAME=anim.ann"});
    ASSERT_NE(scene, nullptr);
    CColor black(0, 0, 0);
    world.screen()->SetBackground(&black);
    test::runCode(scene, "V^SETSOURCE(\"W\");V^SETMASK(\"A\");V^SETPOSITION(50, 30);");
    auto* v = dynamic_cast<CMC_VirtualGraphicsObject*>(scene->getObject(CXString("V")));
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->getEngine()->Size(), CXSize(8, 6));
    world.frames(2);
    EXPECT_EQ(screenAt(50, 30), 0xFFFF);  // alpha 255: the source as it is
    const uint16_t blended = screenAt(51, 30);
    EXPECT_NE(blended, 0xFFFF);  // alpha 128: halfway
    EXPECT_NE(blended, 0x0000);
    EXPECT_EQ(screenAt(58, 30), 0x0000);  // outside the mask
    EXPECT_EQ(screenAt(49, 30), 0x0000);
}

}  // namespace
