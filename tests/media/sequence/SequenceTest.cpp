// Sequence files, speaking animations and the SEQUENCE object: the file's key forms
// and its odd lines, elements over a scene's ANIMO, the talk events a speaking
// animation chooses and how its run ends, and SEQUENCE's events and methods.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "foundation/Crt.h"
#include "foundation/CResourcesManager.h"
#include "foundation/CXArchive.h"
#include "foundation/CXArray.h"
#include "graphics/play/CAnimo.h"
#include "graphics/play/CAnimo6.h"
#include "graphics/play/CSequencedPlayable.h"
#include "graphics/screen/CRefreshScreen.h"
#include "media/CMC_Animo.h"
#include "media/CMC_Sequence.h"
#include "media/CMC_Sequence_Runner.h"
#include "media/sequence/CMultimediaSequenceCreator.h"
#include "media/sequence/CSimpleSequenceElement.h"
#include "media/sequence/CSpeakingAnimation.h"
#include "platform/Audio.h"
#include "platform/Png.h"
#include "scene/CMC_Scene.h"
#include "scene/CMC_SceneBinary.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_TypeTable.h"
#include "script/CMElement.h"
#include "script/CMElements.h"
#include "script/RunnerTestSupport.h"
#include "shell/CApplication.h"
#include "shell/CSound4.h"
#include "shell/CUnit6.h"
#include "shell/CWAVFile.h"
#include "shell/CWindow.h"
#include "support/ScriptTestSupport.h"
#include "tools/AnimationBuilder.h"

namespace {

platform::PngPicture picture(int w, int h, uint8_t r) {
    platform::PngPicture image;
    image.width = w;
    image.height = h;
    for (int i = 0; i < w * h; ++i) image.pixels.insert(image.pixels.end(), {r, 0, 0, 255});
    return image;
}

// "talk.ann": events 1, 2, A_1, A_START, B_2, START, STOP, DOOR, each of two frames at
// 10 frames a second.
const char* const kTalkManifest =
    "fps 10\nframe f0.png\nframe f1.png\n"
    "event 1\n  frames 0 1\nend\nevent 2\n  frames 0 1\nend\n"
    "event A_1\n  frames 0 1\nend\nevent A_START\n  frames 0 1\nend\nevent B_2\n  frames 0 1\nend\n"
    "event START\n  frames 0 1\nend\nevent STOP\n  frames 0 1\nend\nevent DOOR\n  frames 0 1\nend\n";

// A scene that a unit can run, so that the sequence code finds its objects.
class UnitScene : public test::TestScene, public CUnitScene {
public:
    explicit UnitScene(CWindow* window) : test::TestScene("ROOM", window) {}
    bool shouldMusicBeStarted() override { return false; }
    CXString getMusicFilename() override { return CXString(); }
};

// A speech stand-in that is no CSound4: it plays until `end`.
struct Speech : CPlayable {
    Speech() : CPlayable(nullptr) { m_type = 1; }
    using CPlayable::play;
    void play() override {
        m_status = kStatusPlaying;
        ++plays;
    }
    void stop(bool n) override {
        m_status = 0;
        if (n) notify(kFinished);
    }
    void pause() override {}
    void resume() override {}
    void seek(int) override {}
    void end() {
        m_status = 0;
        notify(kFinished);
    }
    int plays = 0;
};

struct Ends : CPlayableObserver {
    bool onPlayableFinished(CPlayable*) override {
        ++count;
        return false;
    }
    int count = 0;
};

class SequenceWorld : public ::testing::Test {
protected:
    SequenceWorld() : here(world.dir().path()) {
        world.enableDisplay(CXSize(200, 100));
        application = std::make_unique<CApplication>(world.window(), CXString(), CXString(), nullptr);
        std::string error;
        EXPECT_TRUE(platform::writePng(world.dir().native("f0.png"), picture(6, 4, 200), &error)) << error;
        EXPECT_TRUE(platform::writePng(world.dir().native("f1.png"), picture(2, 2, 100), &error)) << error;
        world.dir().write("talk.txt", kTalkManifest);
        EXPECT_TRUE(tools::buildAnimation(world.dir().native("talk.txt"), world.dir().native("talk.ann"),
                                          tools::AnimationOptions(), &error))
            << error;
        world.dir().mkdir("wavs");
        const platform::WaveFormat format{platform::kWaveFormatPcm, 1, 22050, 44100, 2, 16, 0};
        CWAVFile wav;
        EXPECT_EQ(wav.open(world.dir().native("wavs/hello.wav").c_str(), &format, 2), CWAVFile::kOk);
        const std::vector<uint8_t> samples(4410, 0x10);
        uint32_t written = 0;
        EXPECT_EQ(wav.write(4410, samples.data(), &written), CWAVFile::kOk);
        EXPECT_EQ(wav.close(), CWAVFile::kOk);
        world.window()->SetSoundFXPath(CXString(world.dir().engine("wavs").c_str()));
        unitMaker = std::make_unique<CMC_Scene>(world.window(), CMC_Scene::kType);
    }
    ~SequenceWorld() override {
        leave();
        unitMaker.reset();
        world.applicationStep();
        CMC_Scene::doneDefUnit();
        application.reset();
    }

    CUnit6* unit() { return CMC_Scene::getDefUnit(); }
    CResourcesManager* manager() { return unit()->getResourcesManager(); }

    // Builds the objects of the lines into a scene the default unit runs, then
    // initialises them (SEQUENCE loads its file then).
    UnitScene* enter(test::Lines lines) {
        test::append(lines, test::object("LOG", "STRING"));
        std::unique_ptr<CMElements> elements(world.loadDefinition("room.cnv", lines));
        if (!elements) return nullptr;
        scene = std::make_unique<UnitScene>(world.window());
        delete CMC_TypeTable::resolveObjects(scene.get(), elements.get());
        unit()->initialize(scene.get(), nullptr);
        world.window()->setCurrentUnit(unit());
        const CXVector* list = scene->getObjectList();
        std::vector<CMC_Object*> objects;
        for (int i = 0; list && i < list->getCount(); ++i) objects.push_back(static_cast<CMC_Object*>(list->at(i)));
        for (CMC_Object* object : objects) object->init();
        return scene.get();
    }
    void leave() {
        if (!scene) return;
        scene->unload();
        world.applicationStep();
        unit()->done(scene.get(), nullptr);
        world.window()->setCurrentUnit(nullptr);
        scene.reset();
    }
    CPlayable* load(const std::string& name, const std::string& text, CPlayableObserver* observer = nullptr,
                    bool shared = true) {
        world.dir().write(name, text);
        return CMultimediaSequenceCreator::load(world.window(), CXString(name.c_str()), shared ? manager() : nullptr,
                                                observer);
    }
    std::string log() { return test::textValue(scene.get(), "LOG"); }
    CMC_Variable* call(CMC_Object* target, int id, std::initializer_list<const char*> args = {}) {
        test::Args list(args);
        return CMC_RunnerFactory::getRunner(CMC_Sequence::kType)->run(id, target, scene.get(), list.get());
    }

    platform::ManualAudioSystem audio;
    platform::ScopedAudio audioScope{audio};
    test::ScriptWorld world;
    test::ScopedCurrentDirectory here;
    std::unique_ptr<CApplication> application;
    std::unique_ptr<CMC_Scene> unitMaker;
    std::unique_ptr<UnitScene> scene;
};

// ---- sequence files --------------------------------------------------------------------------

TEST_F(SequenceWorld, TheThreeKeyFormsCommentsAndRepeatedNamesBuildOneTree) {
    CPlayable* root = load("walk.seq",
                           "# a comment line: NAME X\r\n"
                           "NAME walk\r\nNAME walk\r\n"
                           "walk:TYPE=SEQUENCE\r\nwalk MODE SEQUENCE\r\n"
                           "NAME one\r\none=FILENAME:TALK.ANN\r\none EVENT 2\r\none:TYPE=SIMPLE\r\none ADD walk\r\n"
                           "NAME two\r\ntwo:FILENAME=TALK.ANN\r\ntwo:EVENT=NOSUCH\r\ntwo:TYPE=SIMPLE\r\n"
                           "two:WAIT=FALSE\r\ntwo:ADD=walk\r\n"
                           "NAME late\r\nlate:TYPE=SIMPLE\r\nlate:FILENAME=TALK.ANN\r\nlate:ADD=walk\r\n"
                           "NAME low\r\nlow:FILENAME=walk.ann\r\nlow:TYPE=SIMPLE\r\nlow:ADD=walk\r\n"
                           "X:TYPE=SEQUENCE\r\n");
    ASSERT_NE(root, nullptr);
    auto* walk = dynamic_cast<CSequencedPlayable*>(root);
    ASSERT_NE(walk, nullptr);
    EXPECT_STREQ(walk->getName().c_str(), "walk");
    EXPECT_STREQ(walk->getFileName().c_str(), "walk.seq");
    // "late" had no file at its TYPE line and "low" a lower-case extension: no playables.
    ASSERT_EQ(walk->getCount(), 2);
    auto* one = dynamic_cast<CSimpleSequenceElement*>(walk->getChild(0));
    auto* two = dynamic_cast<CSimpleSequenceElement*>(walk->getChild(1));
    ASSERT_TRUE(one && two);
    EXPECT_EQ(one->getEvent(), 1);
    EXPECT_EQ(two->getEvent(), 0) << "an unknown event name selects event 0";
    EXPECT_FALSE(two->getWaitMode());
    EXPECT_TRUE(one->getWaitMode());
    // Both share the file's one animation through the resources manager.
    EXPECT_EQ(one->getAnimation(), two->getAnimation());
    EXPECT_EQ(manager()->getCount(one->getAnimation()), 2);
    delete root;
}

TEST_F(SequenceWorld, AFileWithoutItsRootGivesNullAndBareAddLinksUnderRoot) {
    EXPECT_EQ(load("none.seq", "NAME other\nother:TYPE=SEQUENCE\n"), nullptr);
    EXPECT_EQ(load("missing.seq", ""), nullptr);
    CPlayable* root = load("ROOT.seq",
                           "NAME ROOT\nROOT:TYPE=SEQUENCE\nNAME a\na:FILENAME=TALK.ANN\na:TYPE=SIMPLE\na:ADD\n"
                           "NAME loose\nloose:TYPE=SEQUENCE\n");
    auto* tree = dynamic_cast<CSequencedPlayable*>(root);
    ASSERT_NE(tree, nullptr);
    ASSERT_EQ(tree->getCount(), 1);
    EXPECT_STREQ(tree->getChild(0)->getName().c_str(), "a");
    delete root;
}

TEST_F(SequenceWorld, LinksThatLoopOrPutTheRootUnderAChildAreRefused) {
    CPlayable* root = load("r.seq",
                           "NAME r\nr:TYPE=SEQUENCE\nNAME s\ns:TYPE=SEQUENCE\nNAME t\nt:TYPE=SEQUENCE\n"
                           "s:ADD=r\nt:ADD=s\ns:ADD=t\nr:ADD=t\nt:ADD=t\nt:ADD=r\n");
    auto* r = dynamic_cast<CSequencedPlayable*>(root);
    ASSERT_NE(r, nullptr);
    // s and t under r, t under s too; nothing under t (the loop, t under itself) and
    // r under nothing.
    ASSERT_EQ(r->getCount(), 2);
    auto* s = dynamic_cast<CSequencedPlayable*>(r->getChild(0));
    auto* t = dynamic_cast<CSequencedPlayable*>(r->getChild(1));
    ASSERT_TRUE(s && t);
    ASSERT_EQ(s->getCount(), 1);
    EXPECT_EQ(s->getChild(0), t);
    EXPECT_EQ(t->getCount(), 0);
    EXPECT_EQ(t->getParentsNo(), 2);
    r->play();
    delete root;
}

TEST_F(SequenceWorld, SpeechIsASoundOrASimpleElementNeverATreeThatHoldsTheSpeaker) {
    CPlayable* root = load("r.seq",
                           "NAME r\nr:TYPE=SEQUENCE\nNAME s\ns:TYPE=SPEAKING\ns:ANIMOFN=TALK.ANN\ns:WAVFN=r\ns:ADD=r\n"
                           "NAME t\nt:TYPE=SPEAKING\nt:ANIMOFN=TALK.ANN\nt:WAVFN=w\nt:ADD=r\nt:STARTING=true\nt:ENDING=TRUE\n"
                           "NAME w\nw:FILENAME=HELLO.WAV\nw:TYPE=SIMPLE\n");
    auto* r = dynamic_cast<CSequencedPlayable*>(root);
    ASSERT_NE(r, nullptr);
    ASSERT_EQ(r->getCount(), 2);
    auto* s = dynamic_cast<CSpeakingAnimation*>(r->getChild(0));
    auto* t = dynamic_cast<CSpeakingAnimation*>(r->getChild(1));
    ASSERT_TRUE(s && t);
    EXPECT_EQ(s->getSound(), nullptr);
    EXPECT_NE(dynamic_cast<CSound4*>(t->getSound()), nullptr);
    EXPECT_FALSE(t->getStarting()) << "only TRUE in capitals sets it";
    EXPECT_TRUE(t->getEnding());
    r->play();
    delete root;
}

namespace {

int countTree(CPlayable* playable) {
    int count = 1;
    if (auto* sequence = dynamic_cast<CSequencedPlayable*>(playable))
        for (int i = 0; i < sequence->getCount(); ++i) count += countTree(sequence->getChild(i));
    return count;
}

}  // namespace

TEST_F(SequenceWorld, ElementsListingAChildManyTimesOnManyLevelsMakeABoundedTree) {
    // Each of 30 levels lists the next one twice: 2^30 playables within the depth cap.
    CMElements elements(true);
    std::vector<CMElement*> levels;
    for (int i = 0; i < 30; ++i) {
        auto* element = new CMElement(CXString(("N" + std::to_string(i)).c_str()));
        element->addProperty(CXString("TYPE"), CXString("SEQUENCE"));
        elements.add(element);
        levels.push_back(element);
    }
    for (int i = 0; i + 1 < 30; ++i) {
        levels[i]->addChild(levels[i + 1]);
        levels[i]->addChild(levels[i + 1]);
    }
    std::unique_ptr<CPlayable> root(CMultimediaSequenceCreator::create(world.window(), &elements, CXString("N0")));
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(countTree(root.get()), CMultimediaSequenceCreator::kMaxCreated);
}

TEST_F(SequenceWorld, ParameterCodesRoundTrip) {
    const struct {
        int n;
        char c;
    } rows[] = {{0, '1'}, {8, '9'}, {9, 'A'}, {33, 'Y'}, {34, 'a'}, {35, 'b'}};
    for (const auto& row : rows) {
        EXPECT_EQ(CMultimediaSequenceCreator::getParameter(row.n), row.c) << row.n;
        EXPECT_EQ(CSequencedPlayable::decodeParameter(row.c), row.n) << row.n;
    }
    const int values[] = {0, 9, 35};
    EXPECT_STREQ(CMC_Sequence_Runner::fillPattern(CXString("xXx"), values, 3).c_str(), "1Ab");
    EXPECT_STREQ(CMC_Sequence_Runner::fillPattern(CXString("xxx"), values, 2).c_str(), "1Ax");
    EXPECT_STREQ(CMC_Sequence_Runner::fillPattern(CXString("AxBx"), values, 4).c_str(), "A1BA");
}

TEST_F(SequenceWorld, AnElementOverASceneAnimoPlaysItsAnimationAndForgetsItWhenItGoes) {
    ASSERT_NE(enter(test::object("DOOR", "ANIMO", {"FILENAME=talk.ann", "TOCANVAS=TRUE"})), nullptr);
    auto* door = dynamic_cast<CMC_Animo*>(scene->getObject("DOOR"));
    ASSERT_NE(door, nullptr);
    CPlayable* root = load("d.seq", "NAME d\nd:FILENAME=DOOR\nd:EVENT=DOOR\nd:TYPE=SIMPLE\n");
    auto* element = dynamic_cast<CSimpleSequenceElement*>(root);
    ASSERT_NE(element, nullptr);
    EXPECT_EQ(element->getScriptAnimo(), door);
    EXPECT_EQ(element->getAnimation(), static_cast<CAnimo*>(door->getAnimo()));
    EXPECT_EQ(door->getSequenceCount(), 1);
    element->play();
    EXPECT_STREQ(door->getAnimo()->getCurrentEventName().c_str(), "DOOR");
    EXPECT_TRUE(element->isPlaying());
    // The scene goes first: the element forgets the object and its animation.
    leave();
    EXPECT_EQ(element->getScriptAnimo(), nullptr);
    EXPECT_EQ(element->getAnimation(), nullptr);
    element->play();
    delete root;
}

TEST_F(SequenceWorld, SoundsWithoutAManagerGoWithTheRoot) {
    CPlayable* root = load("s.seq",
                           "NAME s\ns:TYPE=SEQUENCE\nNAME w\nw:FILENAME=HELLO.WAV\nw:TYPE=SIMPLE\nw:ADD=s\n"
                           "NAME x\nx:FILENAME=TALK.ANN\nx:TYPE=SIMPLE\n",
                           nullptr, false);
    auto* s = dynamic_cast<CSequencedPlayable*>(root);
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(s->getCount(), 1);
    EXPECT_NE(dynamic_cast<CSound4*>(s->getChild(0)), nullptr);
    const std::shared_ptr<const bool> alive = s->getChild(0)->aliveFlag();
    delete root;
    EXPECT_FALSE(*alive);
}

// Inputs the fuzzer found (tests/data/fuzz/sequence), each read as fuzz_sequence reads
// it: whatever the file makes goes when its root goes.
TEST_F(SequenceWorld, FuzzRegressions) {
    const char* data = std::getenv("VONDREL_TEST_DATA");
    const std::string folder = data && *data ? data : std::string(VONDREL_SOURCE_DIR) + "/tests/data";
    for (const char* name : {
             "retyped-root-takes-a-child.seq",  // a second TYPE made the speaking root a parent; its child leaked
         }) {
        SCOPED_TRACE(name);
        std::ifstream in(folder + "/fuzz/sequence/" + name, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_FALSE(bytes.empty());
        world.dir().write("SEQ.SEQ", bytes);
        CMultimediaSequenceCreator::Made made;
        CPlayable* root =
            CMultimediaSequenceCreator::load(world.window(), CXString("SEQ.SEQ"), manager(), nullptr, &made);
        ASSERT_FALSE(made.playables.empty());
        if (!made.rootShared) delete root;
        for (const auto& [playable, alive] : made.playables) EXPECT_FALSE(*alive) << playable;
    }
}

// ---- speaking animations ------------------------------------------------------------------

class Speaking : public SequenceWorld {
protected:
    void SetUp() override {
        animation = std::make_unique<CAnimo>(world.window(), CXString("talk.ann"));
        ASSERT_EQ(animation->GetNOE(), 8);
        speaking = std::make_unique<CSpeakingAnimation>(world.window(), nullptr);
        speaking->substAnimation(animation.get());
        speaking->apply(&speech);
        speaking->setGenericNotifier(&ends);
    }
    void TearDown() override { speaking.reset(); }
    std::string current() { return animation->getCurrentEventName().c_str(); }
    // The talk event ends; the speaking animation picks the next.
    void endEvent() { animation->stop(true); }

    Speech speech;
    Ends ends;
    std::unique_ptr<CAnimo> animation;
    std::unique_ptr<CSpeakingAnimation> speaking;
};

TEST_F(Speaking, WithAPrefixOnlyItsOwnTalkEventsAreChosen) {
    speaking->setPrefix(CXString("A"));
    crt::srand(3);
    speaking->play();
    EXPECT_EQ(speech.plays, 1);
    for (int i = 0; i < 30; ++i) {
        EXPECT_EQ(current(), "A_1");
        endEvent();
    }
    speech.end();
    EXPECT_EQ(ends.count, 1);
    EXPECT_FALSE(speaking->isPlaying());
}

TEST_F(Speaking, WithoutAPrefixOnlyDigitEventsTalk) {
    crt::srand(5);
    speaking->play();
    bool sawTwo = false;
    for (int i = 0; i < 40; ++i) {
        EXPECT_TRUE(current() == "1" || current() == "2") << current();
        sawTwo = sawTwo || current() == "2";
        endEvent();
    }
    EXPECT_TRUE(sawTwo);
}

TEST_F(Speaking, WithoutTalkEventsTheLastDrawPlaysAfterAllMisses) {
    speaking->setPrefix(CXString("Q"));
    speaking->play();
    EXPECT_TRUE(animation->IsPlaying());
    EXPECT_EQ(speech.plays, 1);
}

TEST_F(Speaking, StartingWithoutAnOpeningEventStartsTheSoundAtOnce) {
    speaking->setPrefix(CXString("B"));
    speaking->setStarting(true);
    speaking->play();
    EXPECT_EQ(speech.plays, 1);
    EXPECT_EQ(current(), "B_2");
    // With the opening event the sound waits for it.
    speaking->stop(false);
    speaking->setPrefix(CXString("A"));
    speaking->play();
    EXPECT_EQ(current(), "A_START");
    EXPECT_EQ(speech.plays, 1);
    endEvent();
    EXPECT_EQ(speech.plays, 2);
    EXPECT_EQ(current(), "A_1");
}

TEST_F(Speaking, EndingWithOnlyAStopEventPlaysItThenFinishes) {
    speaking->setEnding(true);
    speaking->play();
    speech.end();
    EXPECT_EQ(current(), "STOP");
    EXPECT_TRUE(animation->IsPlaying());
    EXPECT_EQ(ends.count, 0);
    endEvent();
    EXPECT_EQ(ends.count, 1);
    EXPECT_FALSE(speaking->isPlaying());
}

TEST_F(Speaking, NoSoundOrNoEventsEndTheRunAtOnce) {
    speaking->apply(static_cast<CPlayable*>(nullptr));
    speaking->play();
    EXPECT_EQ(ends.count, 1);
    CAnimo empty(world.window());
    speaking->apply(&speech);
    speaking->substAnimation(&empty);
    speaking->play();
    EXPECT_EQ(ends.count, 2);
    speaking->substAnimation(nullptr);
}

TEST_F(Speaking, PixelAnimationStaysOffTheScreen) {
    for (const char* file : {"PIXEL.ANN", "talk.ann"}) {
        CSpeakingAnimation s(world.window(), manager());
        s.setAnimation(CXString(file));
        ASSERT_NE(s.getAnimation(), nullptr);
        EXPECT_EQ(world.screen()->GetPriority(s.getAnimation()), std::string(file) == "talk.ann" ? 1000 : -1);
    }
}

// ---- SEQUENCE ------------------------------------------------------------------------------

class SequenceObject : public SequenceWorld {
protected:
    // DOOR (an ANIMO over talk.ann), ARR (an ARRAY) and SEQUENCE Q over "q.seq": root q
    // with the pattern events GO "xXx" and THREE "xxx", holding door1 (event DOOR of
    // DOOR). Handlers log "s"/"f" for the root and "d"/"e" for door1.
    CMC_Sequence* enterWith(test::Lines handlers, const char* file = "q.seq") {
        world.dir().write("q.seq",
                          "NAME q\nq:TYPE=SEQUENCE\nq:SEQEVENT=GO:xXx\nq:SEQEVENT=THREE:xxx\n"
                          "NAME door1\ndoor1:FILENAME=DOOR\ndoor1:EVENT=DOOR\ndoor1:TYPE=SIMPLE\ndoor1:ADD=q\n");
        test::Lines lines = test::object("DOOR", "ANIMO", {"FILENAME=talk.ann", "TOCANVAS=TRUE"});
        test::append(lines, test::object("Q", "SEQUENCE", {std::string("FILENAME=") + file}));
        test::append(lines, handlers);
        test::append(lines, test::object("ARR", "ARRAY"));
        if (!enter(lines)) return nullptr;
        return dynamic_cast<CMC_Sequence*>(scene->getObject("Q"));
    }
    static test::Lines allHandlers() {
        return {"Q:ONSTARTED={LOG^ADD(\"s\");}", "Q:ONFINISHED={LOG^ADD(\"f\");}",
                "Q:ONSTARTED^DOOR1={LOG^ADD(\"d\");}", "Q:ONFINISHED^DOOR1={LOG^ADD(\"e\");}"};
    }
    std::string text(CMC_Variable* value) { return test::valueText(value); }
};

TEST_F(SequenceObject, ElementsRaiseOnlyCaretEventsAndTheRootOnlyPlainOnes) {
    CMC_Sequence* q = enterWith(allHandlers());
    ASSERT_NE(q, nullptr);
    call(q, CMC_Sequence_Runner::kPlay, {"GO"});
    EXPECT_EQ(log(), "sd");
    EXPECT_EQ(text(call(q, CMC_Sequence_Runner::kGetPlaying)), "door1");
    EXPECT_EQ(text(call(q, CMC_Sequence_Runner::kIsPlaying)), "TRUE");
    world.frames(10, 100);
    // The element tells its parent before the generic observer, so the root ends first.
    EXPECT_EQ(log(), "sdfe");
    EXPECT_EQ(text(call(q, CMC_Sequence_Runner::kIsPlaying)), "FALSE");
    EXPECT_EQ(text(call(q, CMC_Sequence_Runner::kGetPlaying)), "");
}

TEST_F(SequenceObject, WithoutCaretHandlersElementsRaiseNothing) {
    CMC_Sequence* q = enterWith({"Q:ONSTARTED={LOG^ADD(\"s\");}", "Q:ONFINISHED={LOG^ADD(\"f\");}"});
    ASSERT_NE(q, nullptr);
    call(q, CMC_Sequence_Runner::kPlay, {"GO"});
    world.frames(10, 100);
    EXPECT_EQ(log(), "sf");
}

TEST_F(SequenceObject, ArrayCodesFillThePatternAndTextIsTakenAsItIs) {
    CMC_Sequence* q = enterWith({});
    ASSERT_NE(q, nullptr);
    test::runCode(scene.get(), "ARR^ADD(0);ARR^ADD(9);ARR^ADD(35);");
    call(q, CMC_Sequence_Runner::kPlay, {"GO", "ARR"});
    CPlayable* root = q->getSequence();
    EXPECT_STREQ(root->getParameter(CXString("GO")).c_str(), "1Ab");
    EXPECT_STREQ(root->getParam().c_str(), "1Ab");
    test::runCode(scene.get(), "ARR^REMOVEAT(2);");
    call(q, CMC_Sequence_Runner::kPlay, {"THREE", "ARR"});
    EXPECT_STREQ(root->getParameter(CXString("THREE")).c_str(), "1Ax");
    call(q, CMC_Sequence_Runner::kPlay, {"GO", "NOSUCH"});
    EXPECT_STREQ(root->getParameter(CXString("GO")).c_str(), "NOSUCH");
    EXPECT_STREQ(text(call(q, CMC_Sequence_Runner::kGetEventName)).c_str(), "GO");
}

TEST_F(SequenceObject, StopFalseEndsWithoutOnFinished) {
    CMC_Sequence* q = enterWith(allHandlers());
    ASSERT_NE(q, nullptr);
    call(q, CMC_Sequence_Runner::kPlay, {"GO"});
    call(q, CMC_Sequence_Runner::kStop, {"FALSE"});
    EXPECT_EQ(text(call(q, CMC_Sequence_Runner::kIsPlaying)), "FALSE");
    call(q, CMC_Sequence_Runner::kStop);
    world.frames(10, 100);
    EXPECT_EQ(log(), "sd");
    // STOP with its default reports the end.
    call(q, CMC_Sequence_Runner::kPlay, {"GO"});
    call(q, CMC_Sequence_Runner::kStop);
    EXPECT_EQ(log(), "sdsdfe");
}

TEST_F(SequenceObject, WithoutASequenceMethodsDoNothing) {
    CMC_Sequence* q = enterWith(allHandlers(), "missing.seq");
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(q->getSequence(), nullptr);
    EXPECT_EQ(text(call(q, CMC_Sequence_Runner::kIsPlaying)), "FALSE");
    EXPECT_EQ(text(call(q, CMC_Sequence_Runner::kGetPlaying)), "");
    EXPECT_EQ(text(call(q, CMC_Sequence_Runner::kGetEventName, {"door1"})), "");
    for (int id = CMC_Sequence_Runner::kPlay; id <= CMC_Sequence_Runner::kSetFreq; ++id) call(q, id);
    EXPECT_EQ(log(), "");
}

TEST_F(SequenceObject, TheBinaryImageKeepsTheFileAndTheTreeIsLoadedAgain) {
    CMC_Sequence* q = enterWith(allHandlers());
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(q->clone(), nullptr);
    const std::string bytes = test::archiveBytes([&](CXArchive& a) { q->serialize(&a); });
    CMC_SceneBinary::Prototype prototype = CMC_SceneBinary::getPrototype(CMC_Sequence::kType);
    ASSERT_NE(prototype, nullptr);
    auto* copy = dynamic_cast<CMC_Sequence*>(prototype(unitMaker.get()));
    ASSERT_NE(copy, nullptr);
    copy->setScene(scene.get());
    test::readArchive(bytes, [&](CXArchive& a) { copy->serialize(&a); });
    EXPECT_EQ(copy->getName(), CXString("Q"));
    EXPECT_STREQ(copy->getFileName().c_str(), "q.seq");
    EXPECT_EQ(copy->getSequencedPlayable(), nullptr);
    ASSERT_NE(copy->getSequence(), nullptr);
    EXPECT_STREQ(copy->getSequence()->getName().c_str(), "q");
    copy->done(true);
    EXPECT_EQ(copy->getSequencedPlayable(), nullptr);
    delete copy;
}

TEST_F(SequenceObject, ASequenceReplacedFromItsOwnOnFinishedGoesSafely) {
    CMC_Sequence* q = enterWith(allHandlers());
    ASSERT_NE(q, nullptr);
    auto* kill = new test::RecordingBehaviour(scene.get(), "KILL");
    scene->addObject(kill);
    kill->onRun = [this](CMC_Object*) {
        std::unique_ptr<CMElement> element(test::makeElement("Q", {{"TYPE", "SEQUENCE"}, {"FILENAME", "q.seq"}}));
        CMC_TypeTable::Constructor make = CMC_TypeTable::getConstructor(CXString("SEQUENCE"));
        CMC_Object* fresh = make ? make(scene.get(), element.get()) : nullptr;
        if (fresh) {
            scene->addObject(fresh);
            fresh->init();
        }
    };
    test::runCode(scene.get(), "Q^ADDBEHAVIOUR(\"ONFINISHED\", \"KILL\");");
    call(q, CMC_Sequence_Runner::kPlay, {"GO"});
    world.frames(10, 100);
    EXPECT_EQ(kill->count(), 1);
    auto* fresh = dynamic_cast<CMC_Sequence*>(scene->getObject("Q"));
    ASSERT_NE(fresh, nullptr);
    EXPECT_NE(fresh, q);
    ASSERT_NE(fresh->getSequence(), nullptr);
    fresh->getSequence()->play();
    world.frames(10, 100);
}

}  // namespace
