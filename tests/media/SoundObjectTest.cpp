// SOUND: the script's volume and pan conversions, sharing of a scene's sounds by file
// name, the events on the manual clock and device, the methods, the serialised part,
// and the object's lifetime against its sound's reports.
#include "media/CMC_Sound.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "foundation/CFileResolver.h"
#include "foundation/CResourcesManager.h"
#include "foundation/CXArchive.h"
#include "media/CMC_Sound_Runner.h"
#include "platform/Audio.h"
#include "scene/CMC_Scene.h"
#include "scene/CMC_SceneBinary.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMElement.h"
#include "script/RunnerTestSupport.h"
#include "shell/CApplication.h"
#include "shell/CSound4.h"
#include "shell/CSoundManager.h"
#include "shell/CUnit6.h"
#include "shell/CWAVFile.h"
#include "support/ScriptTestSupport.h"

namespace {

using test::Args;
using test::text;

// 22050 Hz mono 16-bit PCM: 44.1 bytes a millisecond.
void writeWav(const std::string& nativePath, uint32_t dataBytes) {
    const platform::WaveFormat format{platform::kWaveFormatPcm, 1, 22050, 44100, 2, 16, 0};
    CWAVFile file;
    ASSERT_EQ(file.open(nativePath.c_str(), &format, 2), CWAVFile::kOk);
    const std::vector<uint8_t> samples(dataBytes, 0x10);
    uint32_t written = 0;
    ASSERT_EQ(file.write(dataBytes, samples.data(), &written), CWAVFile::kOk);
    ASSERT_EQ(written, dataBytes);
    ASSERT_EQ(file.close(), CWAVFile::kOk);
}

// A script world with the manual audio device, an application (codecs, the sound
// manager that reports finishes), a sound-effects folder "wavs" holding hit.wav (100 ms)
// and long.wav (1 s), and the default unit whose manager shares a scene's sounds.
class SoundWorld : public ::testing::Test {
protected:
    void SetUp() override {
        world.dir().mkdir("wavs");
        writeWav(world.dir().native("wavs/hit.wav"), 4410);
        writeWav(world.dir().native("wavs/long.wav"), 44100);
        std::string folder = world.dir().engine("wavs");
        world.window()->SetSoundFXPath(CXString(folder.c_str()));
        unitMaker = std::make_unique<CMC_Scene>(world.window(), CMC_ObjectsContainer::kScene);
        ASSERT_NE(CMC_Scene::getDefUnit(), nullptr);
    }
    void TearDown() override {
        for (CMC_ObjectsContainer* s : scenes) s->unload();
        world.applicationStep();
        unitMaker.reset();
        CMC_Scene::doneDefUnit();
    }

    // A scene of SOUND objects and a STRING LOG that handlers append to.
    CMC_ObjectsContainer* load(test::Lines lines, const char* sceneName = "SCENE") {
        test::append(lines, test::object("LOG", "STRING"));
        CMC_ObjectsContainer* s = world.loadScene(std::string(sceneName) + ".cnv", lines, sceneName);
        if (s) scenes.push_back(s);
        return s;
    }
    // A sound object named N with FILENAME=file and handlers that log "N<letter>":
    // s started, f finished, r resumed.
    static test::Lines sound(const std::string& name, const std::string& file, test::Lines more = {}) {
        test::Lines props = {"FILENAME=" + file};
        test::append(props, more);
        test::Lines lines = test::object(name, "SOUND", props);
        for (const char* event : {"ONSTARTED", "ONFINISHED", "ONRESUMED"}) {
            const char letter = static_cast<char>(event[2] == 'S' ? 's' : event[2] == 'F' ? 'f' : 'r');
            lines.push_back(name + ":" + event + "={LOG^ADD(\"" + name + letter + "\");}");
        }
        return lines;
    }
    CMC_Sound* object(CMC_ObjectsContainer* s, const char* name) { return dynamic_cast<CMC_Sound*>(s->getObject(name)); }
    std::string log(CMC_ObjectsContainer* s) { return test::textValue(s, "LOG"); }
    void clearLog(CMC_ObjectsContainer* s) { test::runCode(s, "LOG^SET(\"\");"); }
    CMC_Variable* call(CMC_ObjectsContainer* s, CMC_Object* target, int id, std::initializer_list<const char*> args = {}) {
        Args list(args);
        return CMC_RunnerFactory::getRunner(CMC_Sound::kType)->run(id, target, s, list.get());
    }
    CResourcesManager* manager() { return CMC_Scene::getDefUnit()->getResourcesManager(); }

    platform::ManualAudioSystem audio;
    platform::ScopedAudio audioScope{audio};
    test::ScriptWorld world;
    CApplication application{world.window(), CXString(), CXString(), nullptr};
    std::unique_ptr<CMC_Scene> unitMaker;
    std::vector<CMC_ObjectsContainer*> scenes;
};

TEST(SoundConversion, VolumeAndPanFollowTheScaleWithoutOverflow) {
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    const struct {
        int32_t value, volume, pan;
    } rows[] = {
        {800, 0, 800},          {26, -3096, -748},      {25, -10000, -750},    {0, -10000, -800},
        {400, -1600, 0},        {801, 4, 802},          {1949, 4596, 3098},    {1950, 4600, 10000},
        {-1150, -10000, -10000}, {-375, -10000, -1550}, {-376, -10000, -1552}, {kMax, kMax, 10000},
        {kMin, -10000, -10000},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(CMC_Sound::convertVolume(row.value), row.volume) << row.value;
        EXPECT_EQ(CMC_Sound::convertPan(row.value), row.pan) << row.value;
    }
}

TEST_F(SoundWorld, ScriptSettingsReachTheSoundConverted) {
    auto* s = load(sound("S", "hit.wav", {"PRELOAD=TRUE"}));
    ASSERT_NE(s, nullptr);
    CSound4* sound = object(s, "S")->getSound();
    ASSERT_NE(sound, nullptr);
    ASSERT_TRUE(sound->hasBuffer());
    const struct {
        const char* code;
        int volume, pan, frequency;
    } rows[] = {
        {"S^SETVOLUME(800);", 0, 0, 0},   {"S^SETVOLUME(26);", -3096, 0, 0}, {"S^SETVOLUME(25);", -10000, 0, 0},
        {"S^SETVOLUME(0);", -10000, 0, 0}, {"S^SETPAN(400);", -10000, 0, 0},  {"S^SETPAN(0);", -10000, -800, 0},
        {"S^SETPAN(800);", -10000, 800, 0}, {"S^SETPAN(1949);", -10000, 3098, 0},
        {"S^SETPAN(1950);", -10000, 10000, 0}, {"S^SETPAN(-1150);", -10000, -10000, 0},
        {"S^SETFREQ(11025);", -10000, -10000, 11025},
    };
    for (const auto& row : rows) {
        test::runCode(s, row.code);
        EXPECT_EQ(sound->getVolume(), row.volume) << row.code;
        EXPECT_EQ(sound->getPanning(), row.pan) << row.code;
        EXPECT_EQ(sound->getFrequency(), row.frequency) << row.code;
    }
    EXPECT_EQ(audio.callsStartingWith("buffer 1 setVolume -3096").size(), 1u);
    EXPECT_EQ(audio.callsStartingWith("buffer 1 setPan 3098").size(), 1u);
    EXPECT_EQ(audio.callsStartingWith("buffer 1 setFrequency 11025").size(), 1u);
}

TEST_F(SoundWorld, ObjectsNamingOneFileInDifferentCaseShareItsSoundAndItsEvents) {
    test::Lines lines = sound("A", "hit.wav");
    test::append(lines, sound("B", "HIT.WAV"));
    test::append(lines, sound("C", "long.wav"));
    auto* s = load(lines);
    ASSERT_NE(s, nullptr);
    CMC_Sound* a = object(s, "A");
    CMC_Sound* b = object(s, "B");
    ASSERT_NE(a->getSound(), nullptr);
    EXPECT_EQ(a->getSound(), b->getSound());
    EXPECT_NE(a->getSound(), object(s, "C")->getSound());
    EXPECT_TRUE(a->isShared());
    EXPECT_EQ(manager()->getSize(), 2);
    EXPECT_EQ(manager()->getCount(a->getSound()), 2);
    // The resolved name lies in the sound-effects folder.
    EXPECT_EQ(std::string(a->getSound()->GetFileName().c_str()), world.dir().engine("wavs") + "\\hit.wav");

    test::runCode(s, "A^PLAY();");
    EXPECT_EQ(log(s), "AsBs");
    world.frames(7, 16);
    EXPECT_EQ(log(s), "AsBsAfBf");
    clearLog(s);
    test::runCode(s, "B^PLAY();");
    EXPECT_EQ(log(s), "AsBs");

    // A SOUND outside a scene owns its sound alone.
    test::TestScene episode("EPISODE", world.window(), CMC_ObjectsContainer::kEpisode);
    CMElement* element = test::makeElement("E", {{"TYPE", "SOUND"}, {"FILENAME", "hit.wav"}});
    {
        CMC_Sound own(&episode, element);
        EXPECT_FALSE(own.isShared());
        ASSERT_NE(own.getSound(), nullptr);
        EXPECT_NE(own.getSound(), a->getSound());
        EXPECT_EQ(manager()->getCount(a->getSound()), 2);
    }
    delete element;
}

TEST_F(SoundWorld, FinishIsRaisedInTheFirstFrameAtOrAfterTheEnd) {
    auto* s = load(sound("S", "hit.wav"));
    ASSERT_NE(s, nullptr);
    world.frame(5);
    test::runCode(s, "S^PLAY();");
    EXPECT_EQ(log(s), "Ss");
    std::string frames;
    for (int i = 1; i <= 10; ++i) {
        world.frame(16);
        if (log(s) == "SsSf" && frames.empty()) frames = std::to_string(i);
    }
    EXPECT_EQ(frames, "7");  // 96 ms is short of the 100 ms; 112 ms is the first at or after
    EXPECT_EQ(log(s), "SsSf");
}

TEST_F(SoundWorld, FinishHandlerThatPlaysAgainKeepsAFlushedSoundPlaying) {
    test::Lines lines = test::object("S", "SOUND", {"FILENAME=hit.wav", "FLUSHAFTERPLAYED=TRUE"});
    lines.push_back("S:ONFINISHED={LOG^ADD(\"f\");S^PLAY();}");
    // A handler key with "^" sets the event's flag but is never raised by name.
    test::append(lines, test::object("Q", "SOUND", {"FILENAME=long.wav"}));
    lines.push_back("Q:ONSTARTED^X={LOG^ADD(\"q\");}");
    auto* s = load(lines);
    ASSERT_NE(s, nullptr);
    test::runCode(s, "S^PLAY();Q^PLAY();");
    world.frames(7, 16);
    EXPECT_EQ(log(s), "f");
    CSound4* sound = object(s, "S")->getSound();
    EXPECT_TRUE(sound->hasBuffer());
    EXPECT_TRUE(sound->IsPlaying());
    world.frames(6, 16);
    EXPECT_EQ(log(s), "f");  // not every frame
    world.frame(16);
    EXPECT_EQ(log(s), "ff");
    test::runCode(s, "S^STOP(FALSE);");
    world.frame(16);
    EXPECT_FALSE(sound->hasBuffer());  // released once it has finished for good
}

TEST_F(SoundWorld, AnotherKindKeptUnderTheSameNameIsNotTaken) {
    struct Other : CFileResolver {};
    auto* other = new Other;
    other->setFilename(CXString((world.dir().engine("wavs") + "\\hit.wav").c_str()));
    manager()->add(other);
    auto* s = load(sound("S", "hit.wav"));
    ASSERT_NE(s, nullptr);
    EXPECT_NE(object(s, "S")->getSound(), nullptr);
    EXPECT_EQ(manager()->getCount(other), 1);
    EXPECT_EQ(manager()->getSize(), 2);
}

TEST_F(SoundWorld, StopPauseResumeAndPlayOnAPausedSound) {
    auto* s = load(sound("S", "long.wav"));
    ASSERT_NE(s, nullptr);
    CSound4* sound = object(s, "S")->getSound();

    // STOP(FALSE) raises no finish; STOP() raises it in the next frame.
    test::runCode(s, "S^PLAY();");
    world.frame(16);
    test::runCode(s, "S^STOP(FALSE);");
    world.frames(3, 16);
    EXPECT_EQ(log(s), "Ss");
    test::runCode(s, "S^PLAY();");
    test::runCode(s, "S^STOP();");
    EXPECT_EQ(log(s), "SsSs");
    world.frame(16);
    EXPECT_EQ(log(s), "SsSsSf");

    // PAUSE on a stopped sound and RESUME on one that is not paused change nothing.
    clearLog(s);
    test::runCode(s, "S^PAUSE();");
    test::runCode(s, "S^RESUME();");
    EXPECT_EQ(sound->getStatus(), 0);
    EXPECT_EQ(log(s), "");

    // RESUME goes on from the cursor; PLAY on a paused sound restarts and resumes.
    test::runCode(s, "S^PLAY();");
    world.frames(10, 10);  // 100 ms: 4410 bytes
    test::runCode(s, "S^PAUSE();");
    EXPECT_EQ(sound->getStatus(), 2);
    world.frames(5, 16);
    test::runCode(s, "S^RESUME();");
    EXPECT_EQ(audio.callsStartingWith("buffer 1 setCurrentPosition").back(), "buffer 1 setCurrentPosition 4410");
    world.frame(16);
    test::runCode(s, "S^PAUSE();");
    test::runCode(s, "S^PLAY();");
    EXPECT_EQ(audio.callsStartingWith("buffer 1 setCurrentPosition").back(), "buffer 1 setCurrentPosition 0");
    EXPECT_EQ(log(s), "SsSrSr");
    EXPECT_EQ(sound->getStatus(), 1);
    world.frames(63, 16);  // 1008 ms
    EXPECT_EQ(log(s), "SsSrSrSf");
}

TEST_F(SoundWorld, MethodsGiveTheirResults) {
    auto* s = load(sound("S", "hit.wav"));
    ASSERT_NE(s, nullptr);
    CMC_Sound* so = object(s, "S");
    EXPECT_EQ(text(call(s, so, CMC_Sound_Runner::kIsPlaying)), "FALSE");
    EXPECT_EQ(call(s, so, CMC_Sound_Runner::kPlay), nullptr);
    EXPECT_EQ(text(call(s, so, CMC_Sound_Runner::kIsPlaying)), "TRUE");
    // Ids 5 and 6 reach the common run: no value, nothing done.
    EXPECT_EQ(call(s, so, 5), nullptr);
    EXPECT_EQ(call(s, so, 6, {"1"}), nullptr);
    EXPECT_EQ(text(call(s, so, CMC_Sound_Runner::kIsPlaying)), "TRUE");
    // LOAD takes the name as given, without the sound-effects folder.
    EXPECT_EQ(text(call(s, so, CMC_Sound_Runner::kLoad, {"\"long.wav\""})), "FALSE");
    EXPECT_EQ(text(call(s, so, CMC_Sound_Runner::kIsPlaying)), "FALSE");
    const std::string full = "\"" + world.dir().engine("wavs") + "\\long.wav\"";
    EXPECT_EQ(text(call(s, so, CMC_Sound_Runner::kLoad, {full.c_str()})), "TRUE");
    EXPECT_EQ(std::string(so->getSound()->GetFileName().c_str()), world.dir().engine("wavs") + "\\long.wav");
    // A missing file: PLAY raises nothing.
    clearLog(s);
    test::runCode(s, "S^LOAD(\"missing.wav\");S^PLAY();");
    EXPECT_EQ(log(s), "");
    EXPECT_EQ(text(call(s, so, CMC_Sound_Runner::kIsPlaying)), "FALSE");
    // CLONE makes no object.
    test::runCode(s, "S^CLONE(2);");
    EXPECT_FALSE(test::hasObject(s, "S_1"));
}

TEST_F(SoundWorld, AnObjectWithoutASoundDoesNothingAndGivesFalse) {
    auto* s = load({});
    ASSERT_NE(s, nullptr);
    test::runCode(s, "@CREATE(\"SOUND\",\"NEW\");");
    auto* made = object(s, "NEW");
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->getSound(), nullptr);
    for (int id : {1, 2, 3, 4, 7, 8, 9, 10, 11}) EXPECT_EQ(text(call(s, made, id, {"1"})), "FALSE") << id;
    EXPECT_EQ(call(s, made, 5), nullptr);
}

TEST_F(SoundWorld, SerialisedPartRestoresTheSameSoundWithoutPrefixingTheFolderAgain) {
    auto* s = load(sound("S", "Hit.wav", {"PRELOAD=TRUE", "FLUSHAFTERPLAYED=TRUE"}));
    ASSERT_NE(s, nullptr);
    CMC_Sound* original = object(s, "S");
    const std::string bytes = test::archiveBytes([&](CXArchive& a) { original->serialize(&a); });
    const std::string stored = world.dir().engine("wavs") + "\\Hit.wav";
    EXPECT_NE(bytes.find(test::archiveString(stored) + std::string("\x01\x01", 2)), std::string::npos);

    CMC_SceneBinary::Prototype prototype = CMC_SceneBinary::getPrototype(CMC_Sound::kType);
    ASSERT_NE(prototype, nullptr);
    CMC_Object* made = prototype(unitMaker.get());
    auto* copy = dynamic_cast<CMC_Sound*>(made);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->getName(), CXString("temp"));
    copy->setScene(s);
    test::readArchive(bytes, [&](CXArchive& a) { copy->serialize(&a); });
    EXPECT_EQ(copy->getName(), CXString("S"));
    EXPECT_TRUE(copy->getPreload());
    EXPECT_TRUE(copy->getFlushAfterPlayed());
    EXPECT_EQ(copy->getSound(), original->getSound());
    EXPECT_EQ(std::string(copy->getSound()->GetFileName().c_str()), stored);
    EXPECT_EQ(manager()->getCount(original->getSound()), 2);
    copy->done(true);
    EXPECT_EQ(manager()->getCount(original->getSound()), 1);
    delete copy;
}

TEST_F(SoundWorld, SceneImageRestoresTheSharedSound) {
    test::ScopedCurrentDirectory here(world.dir().path());
    world.writeDefinition("SC.cnv", {"OBJECT=S", "S:TYPE=SOUND", "S:FILENAME=hit.wav", "S:PRELOAD=TRUE"});
    std::unique_ptr<CMElement> element(test::makeElement("SC", {{"TYPE", "SCENE"}}));
    auto scene = std::make_unique<CMC_Scene>(world.window(), nullptr, element.get(), CMC_Scene::kType);
    scene->loadCnv();
    auto* original = dynamic_cast<CMC_Sound*>(scene->getObject("S"));
    ASSERT_NE(original, nullptr);
    ASSERT_TRUE(original->isShared());
    const std::string bytes = test::archiveBytes([&](CXArchive& a) { scene->writeImage(&a); });
    EXPECT_NE(bytes.find(test::le32(CMC_Sound::kType) + test::archiveString("S")), std::string::npos);

    auto copy = std::make_unique<CMC_Scene>(world.window(), CMC_Scene::kType);
    test::readArchive(bytes, [&](CXArchive& a) { copy->readImage(&a); });
    auto* restored = dynamic_cast<CMC_Sound*>(copy->getObject("S"));
    ASSERT_NE(restored, nullptr);
    EXPECT_EQ(restored->getSound(), original->getSound());
    EXPECT_TRUE(restored->getPreload());
    EXPECT_EQ(manager()->getCount(original->getSound()), 2);
    scene.reset();
    EXPECT_EQ(manager()->getCount(restored->getSound()), 1);
    copy.reset();
    EXPECT_EQ(manager()->getSize(), 0);
}

TEST_F(SoundWorld, ObjectDeletedDuringItsOwnFinish) {
    // CREATE under the name of the finishing object replaces it: the old one is disposed
    // of inside its own ONFINISHED, while the sound it alone held is still reporting.
    test::Lines lines = test::object("S", "SOUND", {"FILENAME=hit.wav"});
    lines.push_back("S:ONFINISHED={LOG^ADD(\"f\");@CREATE(\"SOUND\",\"S\");LOG^ADD(\"g\");}");
    test::append(lines, test::object("A", "SOUND", {"FILENAME=long.wav"}));
    lines.push_back("A:ONSTARTED={LOG^ADD(\"As\");}");
    lines.push_back("A:ONFINISHED={LOG^ADD(\"Af\");@CREATE(\"SOUND\",\"A\");@CREATE(\"SOUND\",\"B\");}");
    test::append(lines, sound("B", "long.wav"));
    auto* s = load(lines);
    ASSERT_NE(s, nullptr);
    CMC_Sound* first = object(s, "S");
    test::runCode(s, "S^PLAY();A^PLAY();");
    EXPECT_EQ(manager()->getSize(), 2);
    world.frames(7, 16);
    EXPECT_EQ(log(s), "AsBsfg");
    EXPECT_NE(object(s, "S"), first);
    EXPECT_EQ(object(s, "S")->getSound(), nullptr);
    EXPECT_EQ(manager()->getSize(), 1);  // the last user gave hit.wav back
    // Both users of long.wav go inside the first one's finish: the sound is deleted in
    // the middle of its report, and B hears nothing more.
    world.frames(60, 16);
    EXPECT_EQ(log(s), "AsBsfgAf");
    EXPECT_EQ(manager()->getSize(), 0);
    EXPECT_EQ(application.getSoundManager()->getCount(), 0);
    world.frames(3, 16);
}

TEST_F(SoundWorld, FinishedWhilePlayingThenUnloaded) {
    auto* s = load(sound("S", "long.wav"));
    ASSERT_NE(s, nullptr);
    CMC_Sound* so = object(s, "S");
    test::runCode(s, "S^PLAY();");
    world.frame(16);
    so->done(true);
    EXPECT_EQ(so->getSound(), nullptr);
    EXPECT_EQ(manager()->getSize(), 0);  // the last user's release deleted it
    EXPECT_EQ(application.getSoundManager()->getCount(), 0);
    EXPECT_EQ(text(call(s, so, CMC_Sound_Runner::kIsPlaying)), "FALSE");
    world.frames(80, 16);
    EXPECT_EQ(log(s), "Ss");
    // The scene goes while another sound plays; frames go on.
    auto* other = load(sound("T", "hit.wav"), "OTHER");
    test::runCode(other, "T^PLAY();");
    other->unload();
    world.frames(10, 16);
    EXPECT_EQ(manager()->getSize(), 0);
}

TEST(SoundObject, WithoutADeviceSoundsDoNothing) {
    platform::ManualAudioSystem audio;
    platform::ScopedAudio audioScope{audio};
    audio.setFailDevice(true);
    test::ScriptWorld world;
    CApplication application(world.window(), CXString(), CXString(), nullptr);
    writeWav(world.dir().native("hit.wav"), 4410);
    test::Lines lines = test::object("LOG", "STRING");
    test::append(lines, test::object("S", "SOUND", {"FILENAME=" + world.dir().engine("hit.wav"), "PRELOAD=TRUE"}));
    lines.push_back("S:ONSTARTED={LOG^ADD(\"s\");}");
    auto* s = world.loadScene("scene.cnv", lines);
    ASSERT_NE(s, nullptr);
    auto* so = dynamic_cast<CMC_Sound*>(s->getObject("S"));
    ASSERT_NE(so, nullptr);
    ASSERT_NE(so->getSound(), nullptr);
    test::runCode(s, "S^PLAY();");
    EXPECT_EQ(test::textValue(s, "LOG"), "");
    Args none({});
    CMC_Runner* runner = CMC_RunnerFactory::getRunner(CMC_Sound::kType);
    EXPECT_EQ(text(runner->run(CMC_Sound_Runner::kIsPlaying, so, s, none.get())), "FALSE");
    const std::string name = "\"" + world.dir().engine("hit.wav") + "\"";
    Args load({name.c_str()});
    EXPECT_EQ(text(runner->run(CMC_Sound_Runner::kLoad, so, s, load.get())), "FALSE");
    s->unload();
}

}  // namespace
