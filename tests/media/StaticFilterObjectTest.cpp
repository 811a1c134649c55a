// STATICFILTER and GRBUFFER through scripts: LINK and UNLINK with undo on images
// and animation frames, an unknown ACTION, the binary image, stamps with their undo
// on an image and on the background, and graphics removed while in use.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "foundation/CXArchive.h"
#include "graphics/core/CGraphicsObject.h"
#include "graphics/image/CImage.h"
#include "graphics/play/CAnimo6.h"
#include "graphics/play/CFrame.h"
#include "graphics/screen/CDirectDrawSurface.h"
#include "graphics/screen/CRefreshScreen.h"
#include "media/CMC_Animo.h"
#include "media/CMC_GrBuffer.h"
#include "media/CMC_Image.h"
#include "media/CMC_StaticFilter.h"
#include "media/filters/CStaticGraphicsFilter.h"
#include "scene/CMC_Scene.h"
#include "script/CMElements.h"
#include "shell/CApplication.h"
#include "support/ScriptTestSupport.h"
#include "support/TempDir.h"
#include "tools/AnimationBuilder.h"
#include "platform/Png.h"

namespace {

void writePicture(const std::string& name, int w, int h, const std::vector<uint16_t>& pixels, int compression) {
    CGraphicsObject g(nullptr, CXSize(w, h), 16);
    std::memcpy(g.GetDataPtr(), pixels.data(), pixels.size() * 2);
    char* plane = new char[static_cast<size_t>(w * h)];
    std::memset(plane, 255, static_cast<size_t>(w * h));
    g.AlphaChannel(plane);
    g.SetPosition(3, 4);
    g.Save(CXString(name.c_str()), static_cast<_compression>(compression));
}

std::vector<uint16_t> pixelsOf(CGraphicsObject* g) {
    const bool packed = g->GetCompression() == COMPRESSION_RLE;
    if (packed) g->unpack();
    std::vector<uint16_t> out(static_cast<size_t>(g->Width()) * g->Height());
    if (g->GetDataPtr()) std::memcpy(out.data(), g->GetDataPtr(), out.size() * 2);
    if (packed) g->pack(true);
    return out;
}

template <class T>
T* named(CMC_ObjectsContainer* scene, const char* name) {
    return dynamic_cast<T*>(scene->getObject(CXString(name)));
}

CGraphicsObject* imageOf(CMC_ObjectsContainer* scene, const char* name) {
    auto* image = named<CMC_Image>(scene, name);
    return image ? image->getImage() : nullptr;
}

// A 6 x 5 picture: a ramp of colours.
std::vector<uint16_t> ramp() {
    std::vector<uint16_t> p(30);
    for (size_t i = 0; i < p.size(); ++i) p[i] = static_cast<uint16_t>(0x1111 * (i % 7) + i);
    return p;
}

class StaticFilterObjects : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(world.enableDisplay(CXSize(100, 60)));
        writePicture("plain.img", 6, 5, ramp(), COMPRESSION_NONE);
        writePicture("packed.img", 6, 5, ramp(), COMPRESSION_RLE);
    }
    CMC_ObjectsContainer* load(const std::string& action, const test::Lines& more = {}) {
        test::Lines all = {"OBJECT=R", "R:TYPE=STRING", "R:VALUE=",                                  //
                           "OBJECT=P", "P:TYPE=IMAGE", "P:FILENAME=plain.img", "P:VISIBLE=TRUE",    //
                           "OBJECT=K", "K:TYPE=IMAGE", "K:FILENAME=packed.img", "K:VISIBLE=TRUE",   //
                           "OBJECT=F", "F:TYPE=STATICFILTER", "F:ACTION=" + action};
        test::append(all, more);
        return world.loadScene("static.cnv", all);
    }

    test::ScriptWorld world;
    test::ScopedCurrentDirectory here{world.dir().path()};
};

TEST_F(StaticFilterObjects, UnlinkWithUndoRestoresEveryEffect) {
    const std::vector<uint16_t> original = ramp();
    for (const char* action :
         {"COLORCHANNEL", "GRAYSCALE", "BLUR", "ROTATE", "SCALE", "NEGATIVE", "RANDOMJITTER", "WAVES"}) {
        for (const char* image : {"P", "K"}) {  // plain and packed files
            SCOPED_TRACE(std::string(action) + " " + image);
            CMC_ObjectsContainer* scene = load(action);
            ASSERT_NE(scene, nullptr);
            CGraphicsObject* g = imageOf(scene, image);
            ASSERT_NE(g, nullptr);
            const CXPoint at = g->GetPosition();
            const std::string link = std::string("F^LINK(\"") + image + "\");";
            test::runCode(scene, ("{F^SETPROPERTY(\"CANUNDO\", \"TRUE\");F^SETPROPERTY(\"CHANNELS\", \"G\");"
                                  "F^SETPROPERTY(\"ANGLE\", \"90\");F^SETPROPERTY(\"FACTORX\", \"2\");"
                                  "F^SETPROPERTY(\"MAXJITTER\", \"5\");F^SETPROPERTY(\"OFFSET\", \"1\");" +
                                  link + "}")
                                     .c_str());
            if (std::string(action) != "RANDOMJITTER") {
                EXPECT_NE(pixelsOf(g), original);
            }
            world.frames(1);
            test::runCode(scene, (std::string("F^UNLINK(\"") + image + "\");").c_str());
            EXPECT_EQ(named<CMC_StaticFilter>(scene, "F")->getFilter()->getTargetCount(), 0);
            // NEGATIVE works in place and an IMAGE holds its picture unpacked: it stays.
            if (std::string(action) != "NEGATIVE") {
                EXPECT_EQ(pixelsOf(g), original);
            }
            EXPECT_EQ(g->Width(), 6);
            EXPECT_EQ(g->Height(), 5);
            EXPECT_EQ(g->GetPosition(), at);
            world.frames(1);
        }
    }
}

TEST_F(StaticFilterObjects, UnknownActionSizeAfterLinkAndTheBinaryImage) {
    CMC_ObjectsContainer* scene = load("Blur");
    ASSERT_NE(scene, nullptr);
    auto* object = named<CMC_StaticFilter>(scene, "F");
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->getFilter(), nullptr);
    test::runCode(scene, "{F^SETPROPERTY(\"SIZE\", \"3\");F^LINK(\"P\");F^UNLINK(\"P\");F^LINK(\"NOBODY\");}");
    EXPECT_EQ(pixelsOf(imageOf(scene, "P")), ramp());

    // SIZE set after LINK changes nothing already applied; a second LINK applies nothing.
    scene = load("BLUR");
    test::runCode(scene, "{F^LINK(\"P\");}");
    const std::vector<uint16_t> blurred = pixelsOf(imageOf(scene, "P"));
    EXPECT_NE(blurred, ramp());
    test::runCode(scene, "{F^SETPROPERTY(\"SIZE\", \"5\");F^LINK(\"P\");F^UNLINK(\"P\");}");
    EXPECT_EQ(pixelsOf(imageOf(scene, "P")), blurred);  // without CANUNDO the effect stays

    // The binary image keeps ACTION only: default parameters, no links.
    object = named<CMC_StaticFilter>(scene, "F");
    test::runCode(scene, "{F^SETPROPERTY(\"CANUNDO\", \"TRUE\");F^LINK(\"K\");}");
    const std::string bytes = test::archiveBytes([&](CXArchive& a) { object->serialize(&a); });
    CMC_StaticFilter copy(scene);
    test::readArchive(bytes, [&](CXArchive& a) { copy.serialize(&a); });
    EXPECT_EQ(std::string(copy.getAction().c_str()), "BLUR");
    ASSERT_NE(copy.getFilter(), nullptr);
    EXPECT_EQ(copy.getFilter()->getTargetCount(), 0);
    EXPECT_FALSE(copy.getFilter()->staticParams()->canUndo());
    EXPECT_EQ(std::string(copy.toString().c_str()), "Filter");

    // done detaches with the undo, before the images go.
    EXPECT_TRUE(object->doneFirst());
    object->done(false);
    EXPECT_EQ(object->getFilter()->getTargetCount(), 0);
    EXPECT_EQ(pixelsOf(imageOf(scene, "K")), ramp());
}

TEST_F(StaticFilterObjects, ImageRemovedWhileFilteredWithUndo) {
    CMC_ObjectsContainer* scene = load("SCALE");
    test::runCode(scene, "{F^SETPROPERTY(\"CANUNDO\", \"TRUE\");F^SETPROPERTY(\"FACTORY\", \"3\");F^LINK(\"P\");F^LINK(\"K\");}");
    auto* object = named<CMC_StaticFilter>(scene, "F");
    ASSERT_EQ(object->getFilter()->getTargetCount(), 2);
    ASSERT_TRUE(scene->deleteObject(scene->getObject("P")));
    ASSERT_TRUE(scene->deleteObject(scene->getObject("K")));
    world.frames(2);
    EXPECT_EQ(object->getFilter()->getTargetCount(), 0);
    test::runCode(scene, "{F^UNLINK(\"P\");}");
}

// ---- animation frames ------------------------------------------------------------------

class StaticFilterAnimo : public ::testing::Test {
protected:
    StaticFilterAnimo() : here(world.dir().path()) {
        world.enableDisplay(CXSize(100, 60));
        application = std::make_unique<CApplication>(world.window(), CXString(), CXString(), nullptr);
        std::string error;
        for (int i = 0; i < 3; ++i) {
            platform::PngPicture image;
            image.width = 2;
            image.height = 2;
            for (int p = 0; p < 4; ++p) image.pixels.insert(image.pixels.end(), {255, uint8_t(100 + 50 * i), 255, 255});
            EXPECT_TRUE(platform::writePng(world.dir().native("f" + std::to_string(i) + ".png"), image, &error)) << error;
        }
        world.dir().write("anim.txt", "fps 10\nframe f0.png\nframe f1.png\nframe f2.png\nevent run\n  frames 0 1 2\nend\n");
        for (int code : {0, 4}) {
            tools::AnimationOptions options;
            options.code = code;
            EXPECT_TRUE(tools::buildAnimation(world.dir().native("anim.txt"),
                                              world.dir().native(code ? "packed.ann" : "plain.ann"), options, &error))
                << error;
        }
        defScene = std::make_unique<CMC_Scene>(world.window(), CMC_Scene::kType);
    }
    ~StaticFilterAnimo() override {
            defScene.reset();
        world.applicationStep();
        CMC_Scene::doneDefUnit();
        application.reset();
    }

    test::ScriptWorld world;
    test::ScopedCurrentDirectory here;
    std::unique_ptr<CApplication> application;
    std::unique_ptr<CMC_Scene> defScene;
    std::vector<std::unique_ptr<CMC_Scene>> scenes;

    // A real scene of an ANIMO "A" of the file and a STATICFILTER "F" of the action.
    CMC_Scene* sceneOf(const char* file, const char* action) {
        CMElements* elements = world.loadDefinition(
            "scene" + std::to_string(scenes.size()) + ".cnv",
            {"OBJECT=A", "A:TYPE=ANIMO", std::string("A:FILENAME=") + file, "A:VISIBLE=TRUE", "A:TOCANVAS=TRUE",
             "OBJECT=F", "F:TYPE=STATICFILTER", std::string("F:ACTION=") + action});
        if (!elements) return nullptr;
        scenes.push_back(std::make_unique<CMC_Scene>(world.window(), CMC_Scene::kType));
        CMC_Scene* scene = scenes.back().get();
        delete scene->resolveObjects(elements);
        delete elements;
        std::vector<CMC_Object*> objects;
        for (int i = 0; i < scene->getObjectList()->getCount(); ++i)
            objects.push_back(static_cast<CMC_Object*>(scene->getObjectList()->at(i)));
        for (CMC_Object* object : objects)
            if (object != scene) object->init();
        return scene;
    }
};

TEST_F(StaticFilterAnimo, CurrentFrameFollowsTheAnimationWithUndo) {
    for (const char* file : {"plain.ann", "packed.ann"}) {
        for (bool undo : {true, false}) {
            SCOPED_TRACE(std::string(file) + (undo ? " undo" : ""));
            CMC_ObjectsContainer* scene = sceneOf(file, "COLORCHANNEL");
            ASSERT_NE(scene, nullptr);
            CAnimo6* a = named<CMC_Animo>(scene, "A")->getAnimo();
            ASSERT_NE(a, nullptr);
            ASSERT_EQ(a->GetNOF(), 3);
            std::vector<std::vector<uint16_t>> before;
            for (int i = 0; i < 3; ++i) before.push_back(pixelsOf(a->GetFrame(i)));
            ASSERT_NE(before[0], before[1]);
            const std::vector<uint16_t> red(4, 0xF800);
            a->Set(0, false);
            test::runCode(scene, undo ? "{F^SETPROPERTY(\"CHANNELS\", \"R\");F^SETPROPERTY(\"CANUNDO\", \"TRUE\");F^LINK(\"A\");}"
                                      : "{F^SETPROPERTY(\"CHANNELS\", \"R\");F^LINK(\"A\");}");
            EXPECT_EQ(pixelsOf(a), red);
            EXPECT_EQ(pixelsOf(a->GetFrame(1)), before[1]);
            world.frames(1);
            // The next frame shown gets the effect with undo; the frame left is put back.
            a->Set(1, true);
            if (undo) {
                EXPECT_EQ(pixelsOf(a), red);
                EXPECT_EQ(pixelsOf(a->GetFrame(0)), before[0]);
            } else {
                EXPECT_EQ(pixelsOf(a), before[1]);
            }
            world.frames(1);
            test::runCode(scene, "F^UNLINK(\"A\");");
            for (int i = 0; undo && i < 3; ++i) EXPECT_EQ(pixelsOf(a->GetFrame(i)), before[i]) << i;
            world.frames(1);
        }
    }
}

TEST_F(StaticFilterAnimo, EveryFrameWithoutCurrentFrame) {
    CMC_ObjectsContainer* scene = sceneOf("plain.ann", "NEGATIVE");
    ASSERT_NE(scene, nullptr);
    CAnimo6* a = named<CMC_Animo>(scene, "A")->getAnimo();
    std::vector<std::vector<uint16_t>> before;
    for (int i = 0; i < 3; ++i) before.push_back(pixelsOf(a->GetFrame(i)));
    test::runCode(scene, "{F^SETPROPERTY(\"CURRENTFRAME\", \"FALSE\");F^LINK(\"A\");}");
    for (int i = 0; i < 3; ++i) EXPECT_NE(pixelsOf(a->GetFrame(i)), before[i]) << i;
    a->Set(2, true);
    world.frames(2);
    // The animation removed while linked leaves the effect at once.
    auto* object = named<CMC_StaticFilter>(scene, "F");
    ASSERT_TRUE(scene->deleteObject(scene->getObject("A")));
    world.frames(2);
    EXPECT_EQ(object->getFilter()->getTargetCount(), 0);
}

// ---- GRBUFFER ----------------------------------------------------------------------------

class GrBufferObjects : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(world.enableDisplay(CXSize(100, 60)));
        writePicture("dest.img", 10, 8, std::vector<uint16_t>(80, 0x1111), COMPRESSION_RLE);
        writePicture("src.img", 4, 3, std::vector<uint16_t>(12, 0xF800), COMPRESSION_NONE);
        writePicture("big.img", 10, 8, std::vector<uint16_t>(80, 0x07E0), COMPRESSION_NONE);
        writePicture("back.img", 100, 60, std::vector<uint16_t>(6000, 0x0010), COMPRESSION_NONE);
    }
    CMC_ObjectsContainer* load(const char* source, const char* destiny) {
        return world.loadScene(
            "grbuffer.cnv",
            {"OBJECT=R", "R:TYPE=STRING", "R:VALUE=",                                                            //
             "OBJECT=D", "D:TYPE=IMAGE", "D:FILENAME=dest.img", "D:VISIBLE=TRUE",                                //
             "OBJECT=S", "S:TYPE=IMAGE", "S:FILENAME=src.img",                                                   //
             "OBJECT=BIG", "BIG:TYPE=IMAGE", "BIG:FILENAME=big.img",                                             //
             "OBJECT=BK", "BK:TYPE=IMAGE", "BK:FILENAME=back.img",                                               //
             "OBJECT=O", "O:TYPE=CANVAS_OBSERVER",                                                               //
             "OBJECT=G", "G:TYPE=GRBUFFER", std::string("G:SOURCE=") + source, std::string("G:DESTINY=") + destiny});
    }
    std::string eval(CMC_ObjectsContainer* scene, const std::string& expression) {
        test::runCode(scene, ("R^SET(" + expression + ");").c_str());
        return test::textValue(scene, "R");
    }

    test::ScriptWorld world;
    test::ScopedCurrentDirectory here{world.dir().path()};
};

TEST_F(GrBufferObjects, StampsUndoFlushAndFind) {
    CMC_ObjectsContainer* scene = load("S", "D");
    ASSERT_NE(scene, nullptr);
    CGraphicsObject* d = imageOf(scene, "D");
    const std::vector<uint16_t> original(80, 0x1111);
    struct Row {
        const char* expression;
        const char* result;
    } rows[] = {
        {"G^CREATE(0, 0)", "0"},                 // the whole source, the packed destiny unpacked
        {"G^CREATE(6, 5)", "-1"},                // would end on the right edge
        {"G^CREATE(5, 4)", "1"},                 //
        {"G^CREATE(-1, 0)", "-1"},               //
        {"G^CREATE(1, 1, 3, 2, 1, 1)", "-1"},    // inverted
        {"G^CREATE(1, 1, 0, 0, 5, 2)", "-1"},    // leaves the source
        {"G^CREATE(2, 2, 1, 1, 3, 2)", "2"},     // 2 x 1 of the source
        {"G^FINDAT(2, 2)", "2"},                 //
        {"G^FINDAT(0, 0)", "0"},                 //
        {"G^FINDAT(9, 7)", "-1"},                //
    };
    for (const Row& row : rows) EXPECT_EQ(eval(scene, row.expression), row.result) << row.expression;
    test::runCode(scene, "{G^DRAW(0, TRUE);G^DRAW(2, FALSE);G^DRAW(1000, TRUE);G^DRAW(-2, TRUE);}");
    std::vector<uint16_t> drawn = pixelsOf(d);
    EXPECT_EQ(drawn[0], 0xF800);
    EXPECT_EQ(drawn[3 * 10 + 0], 0x1111);
    // Reverse order restores exactly; indices outside the table do nothing.
    test::runCode(scene, "{G^UNDO(1000, TRUE);G^UNDO(-2, TRUE);G^FLUSH(-2, TRUE, TRUE);G^FLUSH(1000, TRUE, TRUE);}");
    EXPECT_EQ(pixelsOf(d), drawn);
    test::runCode(scene, "{G^UNDO(2, TRUE);G^UNDO(0, TRUE);}");
    EXPECT_EQ(pixelsOf(d), original);
    // FLUSH of slot 1 frees it for the next CREATE; FLUSHALL undoes from the highest slot down.
    test::runCode(scene, "{G^DRAW(0, FALSE);G^DRAW(2, FALSE);G^FLUSH(1, TRUE, FALSE);}");
    EXPECT_EQ(eval(scene, "G^CREATE(5, 4)"), "1");
    test::runCode(scene, "G^FLUSHALL(TRUE, TRUE);");
    EXPECT_EQ(pixelsOf(d), original);
    EXPECT_EQ(eval(scene, "G^FINDAT(0, 0)"), "-1");
    // 1000 slots, then -1.
    for (int i = 0; i < 1000; ++i) named<CMC_GrBuffer>(scene, "G")->create(CXPoint(1, 1), CXRect());
    EXPECT_EQ(eval(scene, "G^CREATE(0, 0)"), "-1");
    test::runCode(scene, "G^FLUSH(5, FALSE, FALSE);");
    EXPECT_EQ(eval(scene, "G^CREATE(0, 0)"), "5");
}

TEST_F(GrBufferObjects, MissingGraphicsAndTheirRemoval) {
    CMC_ObjectsContainer* scene = load("S", "NOBODY");
    EXPECT_EQ(eval(scene, "G^CREATE(0, 0)"), "-1");
    // A source as large as the destiny never fits.
    scene = load("BIG", "D");
    EXPECT_EQ(eval(scene, "G^CREATE(0, 0)"), "-1");

    scene = load("S", "D");
    EXPECT_EQ(eval(scene, "G^CREATE(1, 1)"), "0");
    test::runCode(scene, "G^DRAW(0, TRUE);");
    // The destiny removed: the stamps stay, the methods do nothing.
    ASSERT_TRUE(scene->deleteObject(scene->getObject("D")));
    world.frames(2);
    test::runCode(scene, "{G^DRAW(0, TRUE);G^UNDO(0, TRUE);G^FLUSHALL(TRUE, TRUE);}");
    EXPECT_EQ(eval(scene, "G^FINDAT(1, 1)"), "-1");
    EXPECT_EQ(eval(scene, "G^CREATE(1, 1)"), "-1");
}

TEST_F(GrBufferObjects, BackgroundLookedUpAtEachMethod) {
    CMC_ObjectsContainer* scene = load("S", "BACKGROUND");
    ASSERT_NE(scene, nullptr);
    test::runCode(scene, "O^SETBACKGROUND(\"BK\");");
    CDirectDrawSurface* background = world.screen()->getBackgroundIfc();
    ASSERT_NE(background, nullptr);
    world.frames(1);
    const uint64_t first = world.frontBufferHash();
    EXPECT_EQ(eval(scene, "G^CREATE(10, 10)"), "0");
    test::runCode(scene, "G^DRAW(0, TRUE);");
    world.frames(1);
    EXPECT_NE(world.frontBufferHash(), first);
    EXPECT_EQ(reinterpret_cast<uint16_t*>(background->GetDataPtr())[10 * background->GetPitch() + 10], 0xF800);
    test::runCode(scene, "G^UNDO(0, TRUE);");
    world.frames(1);
    EXPECT_EQ(world.frontBufferHash(), first);

    // A new background: the stamps work on it, the former one is not touched.
    test::runCode(scene, "{G^DRAW(0, TRUE);O^SETBACKGROUND(\"BK\");G^UNDO(0, TRUE);G^FLUSHALL(TRUE, TRUE);}");
    world.frames(1);
    ASSERT_TRUE(scene->deleteObject(scene->getObject("BK")));
    world.frames(1);
    test::runCode(scene, "{G^CREATE(1, 1);G^DRAW(0, TRUE);G^UNDO(0, TRUE);G^FLUSHALL(TRUE, TRUE);}");
    world.frames(1);
}

}  // namespace
