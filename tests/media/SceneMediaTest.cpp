// ANIMO, IMAGE and SOUND together against the scene's life: the default unit's
// resources manager flushed when a scene is left, objects outside a scene that own
// their resources, and a scene binary image holding all three.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "foundation/CResourcesManager.h"
#include "foundation/CXArchive.h"
#include "graphics/core/CGraphicsObject.h"
#include "graphics/image/CImage.h"
#include "graphics/play/CAnimo6.h"
#include "media/CMC_Animo.h"
#include "media/CMC_Image.h"
#include "media/CMC_Sound.h"
#include "platform/Audio.h"
#include "scene/CMC_Scene.h"
#include "script/CMC_TypeTable.h"
#include "script/CMElement.h"
#include "script/CMElements.h"
#include "shell/CApplication.h"
#include "shell/CSound4.h"
#include "shell/CUnit6.h"
#include "shell/CWAVFile.h"
#include "shell/CWindow.h"
#include "support/ScriptTestSupport.h"
#include "tools/AnimationBuilder.h"
#include "platform/Png.h"

namespace {

platform::PngPicture picture(int w, int h, uint8_t r) {
    platform::PngPicture image;
    image.width = w;
    image.height = h;
    for (int i = 0; i < w * h; ++i) image.pixels.insert(image.pixels.end(), {r, 0, 0, 255});
    return image;
}

// A world with the manual audio device, a display, an application (codecs, sound and
// animation managers) and the default unit, and three files: "anim.ann" (two frames,
// 6 x 4 and 2 x 2, event "ONCLICK"), "a.img" (5 x 3 of 0x1234) and "wavs\hit.wav"
// (100 ms) in the sound-effects folder.
class SceneMedia : public ::testing::Test {
protected:
    SceneMedia() : here(world.dir().path()) {
        world.enableDisplay(CXSize(200, 100));
        application = std::make_unique<CApplication>(world.window(), CXString(), CXString(), nullptr);
        std::string error;
        EXPECT_TRUE(platform::writePng(world.dir().native("f0.png"), picture(6, 4, 200), &error)) << error;
        EXPECT_TRUE(platform::writePng(world.dir().native("f1.png"), picture(2, 2, 100), &error)) << error;
        world.dir().write("anim.txt", "fps 10\nframe f0.png\nframe f1.png\nevent ONCLICK\n  frames 0 1\nend\n");
        EXPECT_TRUE(tools::buildAnimation(world.dir().native("anim.txt"), world.dir().native("anim.ann"),
                                          tools::AnimationOptions(), &error))
            << error;
        CGraphicsObject image(nullptr, CXSize(5, 3), 16);
        const std::vector<uint16_t> pixels(15, 0x1234);
        std::memcpy(image.GetDataPtr(), pixels.data(), pixels.size() * 2);
        image.Save(CXString("a.img"), COMPRESSION_NONE);
        world.dir().mkdir("wavs");
        const platform::WaveFormat format{platform::kWaveFormatPcm, 1, 22050, 44100, 2, 16, 0};
        CWAVFile wav;
        EXPECT_EQ(wav.open(world.dir().native("wavs/hit.wav").c_str(), &format, 2), CWAVFile::kOk);
        const std::vector<uint8_t> samples(4410, 0x10);
        uint32_t written = 0;
        EXPECT_EQ(wav.write(4410, samples.data(), &written), CWAVFile::kOk);
        EXPECT_EQ(wav.close(), CWAVFile::kOk);
        world.window()->SetSoundFXPath(CXString(world.dir().engine("wavs").c_str()));
        unitMaker = std::make_unique<CMC_Scene>(world.window(), CMC_Scene::kType);
    }
    ~SceneMedia() override {
        outer.reset();
        unitMaker.reset();
        world.applicationStep();
        CMC_Scene::doneDefUnit();
        application.reset();
    }

    // ANIMO A, IMAGE I and SOUND S on the three files, and a STRING LOG that A's
    // ONCLICK appends to.
    static test::Lines mediaLines() {
        return {"OBJECT=LOG", "LOG:TYPE=STRING", "OBJECT=A", "A:TYPE=ANIMO", "A:FILENAME=anim.ann",
                "A:TOCANVAS=TRUE", "A:VISIBLE=TRUE", "A:ASBUTTON=TRUE", "A:ONCLICK={LOG^ADD(\"c\");}",
                "OBJECT=I", "I:TYPE=IMAGE", "I:FILENAME=a.img", "OBJECT=S", "S:TYPE=SOUND", "S:FILENAME=hit.wav",
                "S:PRELOAD=TRUE", "OBJECT=R", "R:TYPE=STRING"};
    }
    // A container of the type (application, episode) holding the objects, initialised.
    CMC_ObjectsContainer* outerOf(int type) {
        outer = std::make_unique<test::TestScene>("OUTER", world.window(), type);
        std::unique_ptr<CMElements> elements(world.loadDefinition("outer.cnv", mediaLines()));
        if (!elements) return nullptr;
        delete CMC_TypeTable::resolveObjects(outer.get(), elements.get());
        std::vector<CMC_Object*> objects;
        for (int i = 0; i < outer->getObjectList()->getCount(); ++i)
            objects.push_back(static_cast<CMC_Object*>(outer->getObjectList()->at(i)));
        for (CMC_Object* object : objects)
            if (object != outer.get()) object->init();
        return outer.get();
    }
    static std::string eval(CMC_ObjectsContainer* scene, const std::string& expression) {
        test::runCode(scene, ("R^SET(" + expression + ");").c_str());
        return test::textValue(scene, "R");
    }
    template <class T>
    static T* named(CMC_ObjectsContainer* scene, const char* name) {
        return dynamic_cast<T*>(scene->getObject(CXString(name)));
    }
    CResourcesManager* resources() { return CMC_Scene::getDefUnit()->getResourcesManager(); }
    // What leaving a scene does to the default unit.
    void leaveScene() { CMC_Scene::getDefUnit()->done(nullptr, nullptr); }

    platform::ManualAudioSystem audio;
    platform::ScopedAudio audioScope{audio};
    test::ScriptWorld world;
    test::ScopedCurrentDirectory here;
    std::unique_ptr<CApplication> application;
    std::unique_ptr<CMC_Scene> unitMaker;
    std::unique_ptr<test::TestScene> outer;
};

// Objects of the application or an episode own their resources (only a scene's
// objects share through the default unit), so leaving scenes takes nothing of theirs.
TEST_F(SceneMedia, ObjectsOutsideScenesKeepTheirResourcesWhenScenesAreLeft) {
    for (int type : {CMC_ObjectsContainer::kApplication, CMC_ObjectsContainer::kEpisode}) {
        SCOPED_TRACE(type);
        CMC_ObjectsContainer* o = outerOf(type);
        ASSERT_NE(o, nullptr);
        // A scene naming the same files shares them among its own objects only.
        CMC_ObjectsContainer* scene = world.loadScene("scene.cnv", mediaLines());
        ASSERT_NE(scene, nullptr);
        CMC_Animo* a = named<CMC_Animo>(o, "A");
        CMC_Image* i = named<CMC_Image>(o, "I");
        CMC_Sound* s = named<CMC_Sound>(o, "S");
        ASSERT_TRUE(a && i && s);
        ASSERT_NE(a->getAnimo(), nullptr);
        EXPECT_NE(a->getAnimo(), named<CMC_Animo>(scene, "A")->getAnimo());
        EXPECT_NE(i->getImage(), named<CMC_Image>(scene, "I")->getImage());
        EXPECT_FALSE(s->isShared());
        EXPECT_EQ(resources()->getSize(), 3);

        for (int visit = 0; visit < 2; ++visit) {
            scene->unload();
            leaveScene();
            EXPECT_EQ(resources()->getSize(), 0);
            EXPECT_EQ(eval(o, "A^GETNOF()"), "2");
            EXPECT_EQ(eval(o, "I^GETWIDTH()"), "5");
            EXPECT_EQ(eval(o, "I^GETPIXEL(0, 0)"), std::to_string(0x1234));
            test::runCode(o, "S^PLAY();");
            EXPECT_EQ(eval(o, "S^ISPLAYING()"), "TRUE");
            test::runCode(o, "S^STOP();");
            EXPECT_TRUE(a->onClick(0, CXPoint(1, 1)));
        }
        EXPECT_EQ(test::textValue(o, "LOG"), "cc");
        outer.reset();
        EXPECT_EQ(resources()->getSize(), 0);
    }
}

// A scene object still holding a shared resource when the unit is flushed (its scene
// was not the one left) loses it without a crash: empty answers, LOAD works again,
// and its done gives back nothing of another object's.
TEST_F(SceneMedia, SceneObjectsOutlivingTheFlushForgetTheirResources) {
    CMC_ObjectsContainer* scene = world.loadScene("scene.cnv", mediaLines());
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(resources()->getSize(), 3);
    leaveScene();
    EXPECT_EQ(resources()->getSize(), 0);
    EXPECT_EQ(named<CMC_Animo>(scene, "A")->getAnimo(), nullptr);
    EXPECT_EQ(named<CMC_Image>(scene, "I")->getImage(), nullptr);
    EXPECT_EQ(named<CMC_Sound>(scene, "S")->getSound(), nullptr);
    EXPECT_EQ(eval(scene, "A^GETNOF()"), "0");
    EXPECT_EQ(eval(scene, "I^GETWIDTH()"), "0");
    EXPECT_EQ(eval(scene, "S^ISPLAYING()"), "FALSE");
    test::runCode(scene, "S^PLAY();");

    // A second scene takes the files afresh; the first one's done leaves them alone.
    CMC_ObjectsContainer* other = world.loadScene("other.cnv", mediaLines(), "OTHER");
    ASSERT_NE(other, nullptr);
    CSound4* sound = named<CMC_Sound>(other, "S")->getSound();
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(resources()->getCount(sound), 1);
    test::runCode(scene, "A^LOAD(\"anim.ann\");");
    EXPECT_EQ(eval(scene, "A^GETNOF()"), "2");
    EXPECT_EQ(named<CMC_Animo>(scene, "A")->getAnimo(), named<CMC_Animo>(other, "A")->getAnimo());
    scene->unload();
    EXPECT_EQ(resources()->getCount(sound), 1);
    EXPECT_EQ(resources()->getSize(), 3);
    other->unload();
    EXPECT_EQ(resources()->getSize(), 0);
}

// The objects learn of the flush when it happens, not by asking the manager later: a
// new resource made at the old one's address is not taken for theirs.
TEST_F(SceneMedia, AResourceMadeAfterTheFlushIsNotTakenForTheLostOne) {
    CMC_ObjectsContainer* scene = world.loadScene("scene.cnv", mediaLines());
    ASSERT_NE(scene, nullptr);
    leaveScene();
    CMC_ObjectsContainer* other = world.loadScene("other.cnv", mediaLines(), "OTHER");
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(resources()->getSize(), 3);
    EXPECT_EQ(named<CMC_Animo>(scene, "A")->getAnimo(), nullptr);
    EXPECT_EQ(named<CMC_Image>(scene, "I")->getImage(), nullptr);
    EXPECT_EQ(named<CMC_Sound>(scene, "S")->getSound(), nullptr);
    scene->unload();
    EXPECT_EQ(resources()->getSize(), 3);
    EXPECT_EQ(eval(other, "A^GETNOF()"), "2");
    other->unload();
    EXPECT_EQ(resources()->getSize(), 0);
}

// A scene binary image holding the three: read back, the objects equal the originals
// (the same shared resources, flags and serialised forms) and work, their restored
// handlers (inline and named) included.
TEST_F(SceneMedia, SceneImageRoundTripsAnimoImageAndSound) {
    test::Lines lines = mediaLines();
    test::append(lines, {"A:PRIORITY=4", "I:ASBUTTON=TRUE", "I:PRIORITY=3", "I:VISIBLE=TRUE", "S:ONFINISHED=GO",
                         "OBJECT=GO", "GO:TYPE=BEHAVIOUR", "GO:CODE={LOG^ADD(\"f\");}"});
    world.writeDefinition("SC.cnv", lines);
    std::unique_ptr<CMElement> element(test::makeElement("SC", {{"TYPE", "SCENE"}}));
    auto scene = std::make_unique<CMC_Scene>(world.window(), nullptr, element.get(), CMC_Scene::kType);
    scene->loadCnv();
    scene->onInit();
    const std::string bytes = test::archiveBytes([&](CXArchive& a) { scene->writeImage(&a); });
    for (int type : {CMC_Animo::kType, CMC_Image::kType, CMC_Sound::kType})
        EXPECT_NE(bytes.find(test::le32(type)), std::string::npos) << type;

    auto copy = std::make_unique<CMC_Scene>(world.window(), CMC_Scene::kType);
    test::readArchive(bytes, [&](CXArchive& a) { copy->readImage(&a); });
    copy->onInit();
    EXPECT_EQ(test::archiveBytes([&](CXArchive& a) { copy->writeImage(&a); }), bytes);
    EXPECT_EQ(copy->getElementsNo(), scene->getElementsNo());

    CMC_Animo* a = named<CMC_Animo>(copy.get(), "A");
    CMC_Image* i = named<CMC_Image>(copy.get(), "I");
    CMC_Sound* s = named<CMC_Sound>(copy.get(), "S");
    ASSERT_TRUE(a && i && s);
    EXPECT_EQ(a->getAnimo(), named<CMC_Animo>(scene.get(), "A")->getAnimo());
    EXPECT_EQ(i->getImage(), named<CMC_Image>(scene.get(), "I")->getImage());
    EXPECT_EQ(s->getSound(), named<CMC_Sound>(scene.get(), "S")->getSound());
    EXPECT_EQ(resources()->getSize(), 3);
    EXPECT_EQ(resources()->getCount(s->getSound()), 2);
    EXPECT_TRUE(a->isAsButton());
    EXPECT_EQ(a->getPriority(), 4);
    EXPECT_TRUE(i->isButton());
    EXPECT_EQ(i->getPriority(), 3);
    EXPECT_TRUE(s->getPreload());

    // Working: methods answer, and the handlers read back run their code.
    EXPECT_EQ(eval(copy.get(), "A^GETNOF()"), "2");
    EXPECT_EQ(eval(copy.get(), "I^GETPIXEL(4, 2)"), std::to_string(0x1234));
    EXPECT_TRUE(a->onClick(0, CXPoint(1, 1)));
    EXPECT_EQ(test::textValue(copy.get(), "LOG"), "c");
    test::runCode(copy.get(), "S^PLAY();");
    EXPECT_EQ(eval(copy.get(), "S^ISPLAYING()"), "TRUE");
    world.frames(30, 10);
    EXPECT_EQ(test::textValue(copy.get(), "LOG"), "cf");
    // The original shares the sound, so it hears the finish too (through its own GO).
    EXPECT_EQ(test::textValue(scene.get(), "LOG"), "f");

    scene.reset();
    EXPECT_EQ(resources()->getCount(s->getSound()), 1);
    copy.reset();
    EXPECT_EQ(resources()->getSize(), 0);
}

}  // namespace
