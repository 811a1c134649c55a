#include "script/CMC_ObjectsContainer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/CXVector.h"
#include "script/CMC_Bool.h"
#include "script/CMC_Integer.h"
#include "script/CMC_String.h"
#include "support/ScriptTestSupport.h"

using test::RecordingBehaviour;
using test::TestScene;

namespace {

// Records the order in which objects are finished and deleted.
struct Journal {
    std::vector<std::string> lines;
};

class Probe : public CMC_Object {
public:
    Probe(const char* name, Journal* journal, int type = 2000, bool early = false)
        : CMC_Object(CXString(name), type), m_journal(journal), m_early(early) {}
    ~Probe() override {
        if (m_journal) m_journal->lines.push_back("delete " + std::string(getName().c_str()));
    }
    bool doneFirst() override { return m_early; }
    using CMC_Object::done;
    bool done(bool flag) override {
        if (m_journal) m_journal->lines.push_back("done " + std::string(getName().c_str()));
        return CMC_Object::done(flag);
    }
    CXString** getBehavioursList() override { return makeBehavioursList({"ONINIT", "ONDONE", "ONSIGNAL"}); }

private:
    Journal* m_journal;
    bool m_early;
};

// A container type that the unload of another container must not delete.
class Episode : public CMC_ObjectsContainer {
public:
    Episode(const char* name, int type) : CMC_ObjectsContainer(nullptr, nullptr, CXString(name), type) {}
};

struct ContainerTest : ::testing::Test {
    test::ScriptWorld world;
    Journal journal;
};

}  // namespace

TEST_F(ContainerTest, NamesAreExactAndIndicesChecked) {
    TestScene s("S");
    auto* door = new Probe("DOOR", nullptr);
    s.addObject(door);
    EXPECT_EQ(s.getObject("DOOR"), door);
    EXPECT_EQ(s.getObject("door"), nullptr);
    EXPECT_EQ(s.getObject("DOOR "), nullptr);
    EXPECT_EQ(s.getObject(0), door);
    EXPECT_EQ(s.getObject(1), nullptr);
    EXPECT_EQ(s.getObject(-1), nullptr);
    EXPECT_EQ(s.getObjectId("DOOR"), 0);
    EXPECT_EQ(s.getObjectId("NOPE"), -1);
}

TEST_F(ContainerTest, LookupThroughZeroSuffixAndParents) {
    TestScene app("APP", nullptr, 1000);
    TestScene episode("EP", nullptr, 1001);
    TestScene scene("SC");
    episode.setLookupParent(&app);
    scene.setLookupParent(&episode);

    auto* epDoor = new Probe("DOOR", nullptr);
    auto* epDoor0 = new Probe("DOOR_0", nullptr);
    auto* appOnly = new Probe("KEY", nullptr);
    auto* lock0 = new Probe("LOCK_0", nullptr);
    episode.addObject(epDoor);
    episode.addObject(epDoor0);
    app.addObject(appOnly);
    app.addObject(lock0);

    // The scene's own shorter name comes before anything of its parents.
    EXPECT_EQ(scene.getObject("DOOR_0"), epDoor);
    EXPECT_EQ(episode.getObject("DOOR_0"), epDoor0);
    EXPECT_EQ(scene.getObject("KEY"), appOnly);
    EXPECT_EQ(scene.getObject("KEY_0"), appOnly);
    // "_0" twice loses one "_0" per level of the rule; the shorter name is tried
    // through every parent before a parent is asked for the full name.
    EXPECT_EQ(scene.getObject("LOCK_0_0"), lock0);
    EXPECT_EQ(scene.getObject("KEY_0_0"), appOnly);
    EXPECT_EQ(scene.getObject("NOTHING_0"), nullptr);

    auto* local = new Probe("DOOR", nullptr);
    scene.addObject(local);
    EXPECT_EQ(scene.getObject("DOOR_0"), local);
}

TEST_F(ContainerTest, ParentCycleEndsTheLookup) {
    TestScene a("A");
    TestScene b("B");
    a.setLookupParent(&b);
    b.setLookupParent(&a);
    EXPECT_EQ(a.getObject("MISSING_0"), nullptr);
}

TEST_F(ContainerTest, AddingReplacesAnObjectOfTheSameName) {
    TestScene s("S");
    auto* first = new Probe("X", &journal);
    auto* other = new Probe("Y", &journal);
    s.addObject(first);
    s.addObject(other);
    s.addObject(first);  // already there under that name: nothing
    EXPECT_TRUE(journal.lines.empty());
    EXPECT_EQ(s.getElementsNo(), 2);

    // The replaced object leaves the tables at once and is deleted at the next
    // application step.
    auto* second = new Probe("X", &journal);
    s.addObject(second);
    EXPECT_TRUE(journal.lines.empty());
    EXPECT_TRUE(first->isDisposed());
    world.applicationStep();
    EXPECT_EQ(journal.lines, (std::vector<std::string>{"delete X"}));
    EXPECT_EQ(s.getElementsNo(), 2);
    EXPECT_EQ(s.getObject("X"), second);
    EXPECT_EQ(s.getObject(1), second);  // at the end of the list
    EXPECT_EQ(s.getObjectId("X"), 1);

    EXPECT_TRUE(s.removeObject(second));
    EXPECT_FALSE(s.removeObject(second));
    EXPECT_EQ(s.getObject("X"), nullptr);
    delete second;
}

TEST_F(ContainerTest, VariablesAndTypesOfObjects) {
    TestScene s("S");
    s.addObject(new CMC_Integer(CXString("I")));
    s.addObject(new CMC_String(CXString("T")));
    s.addObject(new CMC_Bool(CXString("B")));
    s.addObject(new RecordingBehaviour(&s, "BEH"));
    s.addObject(new Probe("EXPR", nullptr, 12));
    s.addObject(new Probe("ARR", nullptr, 3001));

    EXPECT_NE(s.getVariable("I"), nullptr);
    EXPECT_NE(s.getVariable("T"), nullptr);
    EXPECT_NE(s.getVariable("B"), nullptr);
    for (const char* name : {"BEH", "EXPR", "ARR", "NONE"}) EXPECT_EQ(s.getVariable(name), nullptr) << name;

    std::unique_ptr<CXVector> ints(s.getObjectsOfType(1));
    ASSERT_EQ(ints->getCount(), 1);
    EXPECT_EQ(ints->at(0), s.getObject("I"));
    std::unique_ptr<CXVector> none(s.getObjectsOfType(77));
    EXPECT_EQ(none->getCount(), 0);
}

TEST_F(ContainerTest, UnloadFinishesInOrderAndKeepsScopes) {
    auto* s = new TestScene("S");
    auto* episode = new Episode("EP", 1001);
    auto* app = new Episode("APP", 1000);
    episode->setLookupParent(app);
    s->setParent(episode);  // registers APP and EP here
    EXPECT_EQ(s->getObject("EP"), episode);
    EXPECT_EQ(s->getObject(0), app);

    s->addObject(new Probe("PLAIN", &journal));
    s->addObject(new Probe("EARLY", &journal, 2000, true));
    s->addObject(new Probe("KLASS", &journal, 3004));
    s->unload();
    EXPECT_EQ(journal.lines, (std::vector<std::string>{"done KLASS", "done EARLY", "done PLAIN", "delete PLAIN",
                                                       "delete EARLY", "delete KLASS"}));
    EXPECT_EQ(s->getElementsNo(), 0);
    EXPECT_EQ(s->getObject(0), nullptr);

    // Usable again after unloading.
    s->addObject(new Probe("AGAIN", nullptr));
    EXPECT_NE(s->getObject("AGAIN"), nullptr);
    delete s;
    delete episode;
    delete app;
}

// While unload deletes, a deletion sees the objects deleted before it gone from the
// names, the list and the count, and the later ones still there.
TEST_F(ContainerTest, UnloadDeletesOneObjectAtATimeAsSeenFromADeletion) {
    struct Observer : CMC_Object {
        Observer(const char* name, CMC_ObjectsContainer* scene, Journal* journal)
            : CMC_Object(CXString(name), 2000), m_scene(scene), m_journal(journal) {}
        ~Observer() override {
            std::string line = std::string(getName().c_str()) + " " + std::to_string(m_scene->getElementsNo()) + " " +
                               std::to_string(m_scene->getObjectList()->getCount()) + " ";
            for (const char* name : {"A", "B", "C"}) line += m_scene->getObject(name) ? name : "-";
            CMC_Object* third = m_scene->getObject(2);
            line += std::string(" ") + (third ? third->getName().c_str() : "none");
            m_journal->lines.push_back(line);
        }
        CMC_ObjectsContainer* m_scene;
        Journal* m_journal;
    };
    TestScene s("S");
    Episode app("APP", 1000);
    Episode episode("EP", 1001);
    episode.setLookupParent(&app);
    s.setParent(&episode);
    for (const char* name : {"A", "B", "C"}) s.addObject(new Observer(name, &s, &journal));
    s.unload();
    EXPECT_EQ(journal.lines, (std::vector<std::string>{"A 4 4 -BC B", "B 3 3 --C C", "C 2 2 --- none"}));
    EXPECT_EQ(s.getElementsNo(), 0);
    s.addObject(new Observer("A", &s, &journal));
    EXPECT_NE(s.getObject("A"), nullptr);
    s.unload();
    EXPECT_EQ(journal.lines.back(), "A 0 0 --- none");
}

TEST_F(ContainerTest, UnloadRaisesOnDoneTwiceWithItsBehaviourStillAlive) {
    TestScene s("S");
    // The behaviour is registered before the object whose handler names it.
    auto* bye = new RecordingBehaviour(&s, "BYE");
    s.addObject(bye);
    auto* probe = new Probe("P", nullptr);
    s.addObject(probe);
    probe->initializeBehaviours(&s, nullptr);
    probe->addBehaviour("ONDONE", bye, nullptr, &s);
    int runs = 0;
    bye->onRun = [&](CMC_Object*) { ++runs; };
    s.unload();
    EXPECT_EQ(runs, 2);
}

TEST_F(ContainerTest, UnloadOfAnEmptyContainerRaisesItsOwnOnDone) {
    struct ListedScene : TestScene {
        ListedScene() : TestScene("S") {}
        CXString** getBehavioursList() override { return makeBehavioursList({"ONINIT", "ONDONE", "ONSIGNAL"}); }
    };
    TestScene holder("HOLDER");
    auto* bye = new RecordingBehaviour(&holder, "BYE");
    holder.addObject(bye);
    ListedScene s;
    s.initializeBehaviours(&holder, nullptr);
    s.addBehaviour("ONDONE", bye, nullptr, nullptr);
    s.unload();
    EXPECT_EQ(bye->count(), 1);
    s.removeAllBehaviours();
}

TEST_F(ContainerTest, SetParentRegistersParentAndGrandparent) {
    Episode app("APP", 1000);
    Episode episode("EP", 1001);
    Episode other("OTHER", 1001);
    TestScene s("S");
    episode.setParent(&app);
    EXPECT_EQ(episode.getObject("APP"), &app);
    s.setParent(&episode);
    EXPECT_EQ(s.getElementsNo(), 2);
    EXPECT_EQ(s.getObjectId("APP"), 0);
    EXPECT_EQ(s.getObjectId("EP"), 1);
    s.setParent(&other);
    EXPECT_EQ(s.getObjectId("APP"), -1);
    EXPECT_EQ(s.getObjectId("EP"), -1);
    EXPECT_EQ(s.getObject("OTHER"), &other);
    s.setParent(nullptr);
    EXPECT_EQ(s.getElementsNo(), 0);
    episode.setParent(nullptr);
}

TEST_F(ContainerTest, SubSceneDoneClimbsToTheParents) {
    TestScene app("APP", nullptr, 1000);
    TestScene scene("SC");
    scene.setLookupParent(&app);
    auto* beh = new RecordingBehaviour(&scene, "B");
    scene.addObject(beh);
    auto* mouse = new Probe("MOUSE", nullptr, 100);
    app.addObject(mouse);
    mouse->overideSignals(false);
    mouse->addBehaviour("ONSIGNAL", beh, nullptr, &scene);
    mouse->addBehaviour("ONSIGNAL", beh, nullptr, &app);
    scene.onSubSceneDone(&scene);
    ASSERT_NE(mouse->getBehaviour("ONSIGNAL"), nullptr);
    EXPECT_EQ(mouse->getBehaviour("ONSIGNAL")->getCount(), 1);
    EXPECT_EQ(CMC_Object::entryScope(mouse->getSingleBehaviour("ONSIGNAL", 0)), &app);
}

namespace {

CGraphicsObject* g_frame = reinterpret_cast<CGraphicsObject*>(0x1000);
CGraphicsObject* g_animo = reinterpret_cast<CGraphicsObject*>(0x2000);
CGraphicsObject* g_image = reinterpret_cast<CGraphicsObject*>(0x3000);
std::string g_lastFrame;

CGraphicsObject* animoAccessor(CMC_Object*, const CXString& frame) {
    g_lastFrame = frame.c_str();
    if (!frame.IsString()) return g_animo;
    return CXString(frame).Upper() == "WALK_1" ? g_frame : nullptr;
}
CGraphicsObject* imageAccessor(CMC_Object*, const CXString&) { return g_image; }

}  // namespace

TEST_F(ContainerTest, GraphicsObjectsByNameAndBack) {
    CMC_ObjectsContainer::registerGraphicsAccessor(2000, animoAccessor);
    CMC_ObjectsContainer::registerGraphicsAccessor(2008, imageAccessor);
    TestScene app("APP", nullptr, 1000);
    TestScene s("S");
    s.setLookupParent(&app);
    s.addObject(new Probe("HERO", nullptr, 2000));
    s.addObject(new Probe("GROUP", nullptr, 3000));
    auto* cls = new TestScene("INSTANCE", nullptr, 3004);
    cls->addObject(new Probe("PIC", nullptr, 2008));
    app.addObject(cls);

    EXPECT_EQ(s.getGraphicsObject("HERO!walk_1"), g_frame);
    EXPECT_EQ(g_lastFrame, "walk_1");
    EXPECT_EQ(s.getGraphicsObject("HERO!"), g_animo);
    EXPECT_EQ(s.getGraphicsObject("HERO"), g_animo);
    EXPECT_EQ(s.getGraphicsObject("HERO!NOFRAME"), nullptr);
    EXPECT_EQ(s.getGraphicsObject(""), nullptr);
    EXPECT_EQ(s.getGraphicsObject("!X"), nullptr);
    EXPECT_EQ(s.getGraphicsObject("GROUP"), nullptr);
    EXPECT_EQ(cls->getGraphicsObject("PIC!WALK_1"), g_image);

    EXPECT_EQ(s.getGraphicsObjectName(g_animo, false), CXString("HERO"));
    EXPECT_EQ(s.getGraphicsObjectName(g_frame, true), CXString("UNKNOWN"));
    EXPECT_EQ(s.getGraphicsObjectName(g_image, false), CXString("UNKNOWN"));
    EXPECT_EQ(s.getGraphicsObjectName(g_image, true), CXString("INSTANCE"));
    EXPECT_EQ(s.getGraphicsObjectName(nullptr, true), CXString("UNKNOWN"));
}
