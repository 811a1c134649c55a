#include "script/CMC_Object.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/CFile.h"
#include "foundation/CXArchive.h"
#include "foundation/CXArray.h"
#include "foundation/CXPair.h"
#include "foundation/CXVector.h"
#include "script/CMC_Integer.h"
#include "script/CMC_VariableFactory.h"
#include "script/CMElement.h"
#include "script/CMElements.h"
#include "support/ScriptTestSupport.h"

using test::RecordingBehaviour;
using test::TestScene;

namespace {

// A clonable script object with a small event list; it records its destruction.
class Lamp : public CMC_Object {
public:
    Lamp(const char* name, int* destroyed = nullptr) : CMC_Object(CXString(name), 2000), m_destroyed(destroyed) {}
    Lamp(CMC_ObjectsContainer* container, CMElement* element) : CMC_Object(container, element, 2000) {
        initializeBehaviours(container, element);
    }
    Lamp(const Lamp& other) : CMC_Object(other), m_destroyed(other.m_destroyed) {}
    ~Lamp() override {
        alive = false;
        if (m_destroyed) ++*m_destroyed;
    }

    using CMC_Object::clone;
    CXObject* clone() override { return new Lamp(*this); }
    CXString** getBehavioursList() override {
        return makeBehavioursList({"ONINIT", "ONDONE", "ONSIGNAL", "ONCLICK", "ONCLICKED"});
    }

    bool alive = true;

private:
    int* m_destroyed = nullptr;
};

CXArray* args(std::initializer_list<const char*> texts) {
    CXArray* list = new CXArray(4, 0.75f);
    for (const char* t : texts) list->add(new CXString(t));
    return list;
}

std::vector<std::string> texts(CXArray* list) {
    std::vector<std::string> out;
    for (int i = 0; list && i < list->getCount(); ++i) out.push_back(static_cast<CXString*>(list->at(i))->c_str());
    return out;
}

struct ObjectTest : ::testing::Test {
    test::ScriptWorld world;
    TestScene scene{"SCENE", world.window()};

    RecordingBehaviour* behaviour(const char* name) {
        auto* b = new RecordingBehaviour(&scene, name);
        scene.addObject(b);
        return b;
    }
    Lamp* lamp(const char* name, std::initializer_list<std::pair<const char*, const char*>> properties = {}) {
        std::unique_ptr<CMElement> element(test::makeElement(name, properties));
        auto* l = new Lamp(&scene, element.get());
        scene.addObject(l);
        return l;
    }
};

}  // namespace

TEST(CMC_ObjectTypes, WordsAndTexts) {
    struct Case {
        int id;
        const char* word;  // getTypeId's word, or null
        const char* text;  // typeToString
    } cases[] = {
        {1, "INTEGER", "INTEGER"},       {11, "COMPLEXCONDITION", "COMPLEX CONDITION"},
        {103, "CANVASOBSERVER", "CANVAS OBSERVER"}, {2014, "FILTER", "FILTER"},
        {2009, "EDITBOX", "2009"},        {3005, "VIRTUAL_GRAPHICSOBJECT", "3005"},
        {5, "VARIABLE", "5"},             {10060, "SWF", "10060"},
        {2023, nullptr, "2023"},          {-1, nullptr, "-1"},
        {0, nullptr, "0"},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(CMC_Object::typeToString(c.id).c_str(), c.text) << c.id;
        if (c.word) {
            EXPECT_EQ(CMC_Object::getTypeId(c.word), c.id) << c.word;
        }
    }
    for (const char* word : {"JOYSTICK", "MOVIE", "GRBUFFER", "INTERNET", "integer", "COMPLEX CONDITION", ""})
        EXPECT_EQ(CMC_Object::getTypeId(word), -1) << word;
}

TEST(CMC_ObjectClones, CloneIndexFromName) {
    const std::pair<const char*, int> cases[] = {
        {"LAMP_3", 3}, {"LAMP_RED_12", 12}, {"LAMP_", 0}, {"_3", 0}, {"LAMP", 0}, {"LAMP_x", 0}, {"", 0},
    };
    for (auto [name, idx] : cases) EXPECT_EQ(CMC_Object(CXString(name), 1).getCloneIdx(), idx) << name;
}

TEST_F(ObjectTest, ClonesAreNamedInOrderAndRegistered) {
    Lamp* original = lamp("LAMP");
    original->clone(3);
    for (int i = 1; i <= 3; ++i) {
        const std::string name = "LAMP_" + std::to_string(i);
        CMC_Object* c = scene.getObject(name.c_str());
        ASSERT_NE(c, nullptr) << name;
        EXPECT_TRUE(c->isClone());
        EXPECT_EQ(c->getCloneIdx(), i);
        EXPECT_EQ(c->getScene(), &scene);
    }
    EXPECT_EQ(original->getClonesNo(), 3);
    EXPECT_FALSE(original->isClone());

    // After a reset the names start again; the container replaces the older LAMP_1.
    CMC_Object* first = scene.getObject("LAMP_1");
    original->resetClones();
    original->clone(1);
    EXPECT_NE(scene.getObject("LAMP_1"), first);
    EXPECT_EQ(scene.getElementsNo(), 4);
}

TEST_F(ObjectTest, CloneCopiesHandlersExceptOnInitAndOwnsItsArguments) {
    RecordingBehaviour* doit = behaviour("DOIT");
    RecordingBehaviour* start = behaviour("START");
    Lamp* original = lamp("LAMP", {{"ONINIT", "START"}, {"ONCLICK", "DOIT(1, 2)"}});
    original->clone(1);
    auto* copy = dynamic_cast<Lamp*>(scene.getObject("LAMP_1"));
    ASSERT_NE(copy, nullptr);

    EXPECT_EQ(copy->getBehaviour("ONINIT"), nullptr);
    EXPECT_TRUE(copy->isEventHandled(CMC_Object::kInitEventIndex));  // flags are copied
    copy->init();
    EXPECT_EQ(start->count(), 0);

    // The original's entry and argument list go away; the clone's copy stays valid.
    scene.removeObject(original);
    CMC_Object::destroy(original);
    EXPECT_TRUE(copy->onSignal("ONCLICK"));
    ASSERT_EQ(doit->count(), 1);
    EXPECT_EQ(doit->runs()[0].caller, copy);
    EXPECT_EQ(doit->runs()[0].arguments, (std::vector<std::string>{"1", "2"}));
    // The clone owns its own event list too.
    EXPECT_EQ(copy->getBehaviourIndex("ONCLICKED"), 3);
}

TEST_F(ObjectTest, CloneOfTypeWithoutCopyDoesNothing) {
    auto* plain = new CMC_Object(CXString("PLAIN"), 5);
    scene.addObject(plain);
    plain->clone(2);
    EXPECT_EQ(plain->getClonesNo(), 0);
    EXPECT_EQ(scene.getElementsNo(), 1);

    Lamp loose("LOOSE");  // no scene to own clones
    loose.clone(1);
    EXPECT_EQ(loose.getClonesNo(), 0);
}

TEST_F(ObjectTest, DefinitionHandlersWithArgumentsAndInlineCode) {
    RecordingBehaviour* doit = behaviour("DOIT");
    Lamp* l = lamp("BTN", {{"ONCLICK^LEFT", " { A^B(); } "},
                           {"ONCLICK", "DOIT(1,2)"},
                           {"ONCLICKED", "DOIT"},
                           {"ONSIGNAL", "NOSUCH(3)"},
                           {"ONDONE", ""},
                           {"OTHER", "DOIT"}});

    // Inline code becomes a behaviour of the container, kept in the temporary list.
    CMC_Object* inlined = scene.getObject("beh_BTN_ONCLICK^LEFT");
    ASSERT_NE(inlined, nullptr);
    EXPECT_EQ(inlined->getType(), 13);
    EXPECT_EQ(static_cast<CMC_Behaviour*>(inlined)->getCode(), CXString("A^B();"));
    ASSERT_EQ(l->getTmpBehList()->getCount(), 1);
    EXPECT_EQ(l->getTmpBehList()->at(0), inlined);
    CXTriple* entry = l->getSingleBehaviour("ONCLICK^LEFT", 0);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(CMC_Object::entryTarget(entry), inlined);
    EXPECT_EQ(CMC_Object::entryArguments(entry), nullptr);
    EXPECT_EQ(CMC_Object::entryScope(entry), &scene);

    EXPECT_EQ(texts(CMC_Object::entryArguments(l->getSingleBehaviour("ONCLICK", 0))),
              (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(CMC_Object::entryArguments(l->getSingleBehaviour("ONCLICKED", 0)), nullptr);
    EXPECT_EQ(l->getSingleBehaviour("ONCLICK", 1), nullptr);  // index == count

    // A name that finds nothing, an empty value and a key of no event attach nothing.
    EXPECT_EQ(l->getBehaviour("ONSIGNAL"), nullptr);
    EXPECT_EQ(l->getBehaviour("ONDONE"), nullptr);
    EXPECT_EQ(l->getBehaviour("OTHER"), nullptr);
    EXPECT_FALSE(l->isEventHandled(1));
    EXPECT_FALSE(l->isEventHandled(2));
    EXPECT_TRUE(l->isEventHandled(3));
    EXPECT_TRUE(l->isEventHandled(4));

    EXPECT_TRUE(l->onSignal("ONCLICK"));
    ASSERT_EQ(doit->count(), 1);
    EXPECT_EQ(doit->runs()[0].arguments, (std::vector<std::string>{"1", "2"}));
    EXPECT_TRUE(doit->runs()[0].checkCondition);
}

TEST_F(ObjectTest, InlineBehaviourInAClassCarriesTheClassName) {
    TestScene cls("CLS", world.window(), 3004);
    std::unique_ptr<CMElement> element(test::makeElement("BTN", {{"ONCLICK", "{X^Y();}"}}));
    auto* l = new Lamp(&cls, element.get());
    cls.addObject(l);
    EXPECT_NE(cls.getObject("beh_CLS_BTN_ONCLICK"), nullptr);
}

TEST_F(ObjectTest, KeyBeginningWithTwoEventNamesFlagsBoth) {
    behaviour("DOIT");
    Lamp* l = lamp("L", {{"ONCLICKED", "DOIT"}});
    EXPECT_TRUE(l->isEventHandled(3));  // ONCLICK
    EXPECT_TRUE(l->isEventHandled(4));  // ONCLICKED
    EXPECT_EQ(l->getBehaviour("ONCLICKED")->getCount(), 1);  // attached twice, the second replaced the first
}

TEST_F(ObjectTest, HandlersFromADefinitionFile) {
    RecordingBehaviour* left = behaviour("ONLEFT");
    RecordingBehaviour* any = behaviour("ANY");
    std::unique_ptr<CMElements> elements(world.loadDefinition(
        "scene.cnv", {"OBJECT=BTN", "BTN:TYPE=ANIMO", "BTN:ONCLICK^LEFT=ONLEFT(7, /", "  8)", "# a comment",
                      "BTN:ONCLICK=ANY", "BTN:ONCLICK=ONLEFT", "BTN:ONINIT={ BTN^PLAY(\"GO\"); }"}));
    ASSERT_NE(elements, nullptr);
    CMElement* element = elements->get("BTN");
    ASSERT_NE(element, nullptr);
    auto* btn = new Lamp(&scene, element);
    scene.addObject(btn);

    EXPECT_NE(scene.getObject("beh_BTN_ONINIT"), nullptr);
    EXPECT_TRUE(btn->isEventHandled(CMC_Object::kInitEventIndex));
    EXPECT_TRUE(btn->onSignal(CXString("ONCLICK"), CXString("LEFT")));
    ASSERT_EQ(left->count(), 1);
    EXPECT_EQ(left->runs()[0].arguments, (std::vector<std::string>{"7", "8"}));
    EXPECT_TRUE(btn->onSignal(CXString("ONCLICK"), CXString("RIGHT")));
    // Both ONCLICK lines are attached in file order; the second replaces the first.
    EXPECT_EQ(any->count(), 0);
    ASSERT_EQ(left->count(), 2);
    EXPECT_FALSE(left->runs()[1].hadArguments);
}

TEST_F(ObjectTest, CaretRuleAndEmptyLists) {
    RecordingBehaviour* left = behaviour("LEFT");
    RecordingBehaviour* any = behaviour("ANY");
    Lamp* l = lamp("ANIM", {{"ONCLICK^LEFT", "LEFT"}, {"ONCLICK", "ANY"}});

    EXPECT_TRUE(l->onSignal(CXString("ONCLICK"), CXString("LEFT")));
    EXPECT_EQ(left->count(), 1);
    EXPECT_EQ(any->count(), 0);
    EXPECT_TRUE(l->onSignal(CXString("ONCLICK"), CXString("RIGHT")));
    EXPECT_EQ(left->count(), 1);
    EXPECT_EQ(any->count(), 1);

    // A list that exists but is empty does not take the caret form.
    l->removeBehaviourForce("ONCLICK^LEFT");
    ASSERT_NE(l->getBehaviour("ONCLICK^LEFT"), nullptr);
    EXPECT_FALSE(l->onSignal("ONCLICK^LEFT"));
    EXPECT_TRUE(l->onSignal(CXString("ONCLICK"), CXString("LEFT")));
    EXPECT_EQ(any->count(), 2);
    EXPECT_FALSE(l->onSignal(CXString("ONSIGNAL"), CXString("X")));
}

TEST_F(ObjectTest, RaisesSeeEveryChangeOfTheHandlerTable) {
    // Each case first raises ONCLICK with LEFT twice (so both keys have been looked up),
    // changes the table, and raises again: the raise must see the table as it is now.
    struct Case {
        const char* name;
        std::function<void(Lamp*, RecordingBehaviour*)> change;
        bool taken;
        int leftRuns;  // after the last raise
        int anyRuns;
    } cases[] = {
        {"caret key added",
         [](Lamp* l, RecordingBehaviour* left) { l->addBehaviour("ONCLICK^LEFT", left, nullptr, nullptr); }, true, 1,
         2},
        {"lists of the scene dropped", [this](Lamp* l, RecordingBehaviour*) { l->onSceneDone(&scene); }, false, 0, 2},
        {"table replaced",
         [](Lamp* l, RecordingBehaviour* left) {
             l->removeAllBehaviours();
             l->addBehaviour("ONCLICK", left, nullptr, nullptr);
         },
         true, 1, 2},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string suffix = std::to_string(n++);
        RecordingBehaviour* left = behaviour(("LEFT" + suffix).c_str());
        RecordingBehaviour* any = behaviour(("ANY" + suffix).c_str());
        Lamp* l = lamp(("L" + suffix).c_str());
        l->addBehaviour("ONCLICK", any, nullptr, &scene);
        EXPECT_TRUE(l->onSignal(CXString("ONCLICK"), CXString("LEFT"))) << c.name;
        EXPECT_TRUE(l->onSignal(CXString("ONCLICK"), CXString("LEFT"))) << c.name;
        c.change(l, left);
        EXPECT_EQ(l->onSignal(CXString("ONCLICK"), CXString("LEFT")), c.taken) << c.name;
        EXPECT_EQ(left->count(), c.leftRuns) << c.name;
        EXPECT_EQ(any->count(), c.anyRuns) << c.name;
    }
}

TEST_F(ObjectTest, ManyArgumentsTakeTheirOwnHandlers) {
    // More distinct keys than a raise remembers, in changing order.
    RecordingBehaviour* two = behaviour("TWO");
    RecordingBehaviour* five = behaviour("FIVE");
    RecordingBehaviour* any = behaviour("ANY");
    Lamp* l = lamp("L", {{"ONSIGNAL^2", "TWO"}, {"ONSIGNAL^5", "FIVE"}, {"ONSIGNAL", "ANY"}});
    std::string order;
    two->onRun = [&](CMC_Object*) { order += '2'; };
    five->onRun = [&](CMC_Object*) { order += '5'; };
    any->onRun = [&](CMC_Object*) { order += '.'; };
    for (const char* argument : {"1", "2", "3", "4", "5", "6", "7", "5", "1", "2", "6", "2"})
        EXPECT_TRUE(l->onSignal(CXString("ONSIGNAL"), CXString(argument))) << argument;
    EXPECT_EQ(order, ".2..5..5.2.2");
}

TEST_F(ObjectTest, AnOverrideOfTheRaiseGetsBothKeys) {
    // A type with its own raise (as a scene's) is asked for the caret key, then the plain.
    class LoggingLamp : public Lamp {
    public:
        using Lamp::Lamp;
        using CMC_Object::onSignal;
        bool onSignal(CXString key) override {
            keys.emplace_back(key.c_str());
            return CMC_Object::onSignal(key);
        }
        std::vector<std::string> keys;
    };
    RecordingBehaviour* any = behaviour("ANY");
    LoggingLamp l("L");
    l.addBehaviour("ONCLICK", any, nullptr, nullptr);
    const std::string longText(300, 'Q');
    for (const std::string& argument : {std::string("LEFT"), std::string(), longText}) {
        l.keys.clear();
        const CXString event("ONCLICK");
        EXPECT_TRUE(l.onSignal(event, CXString(argument.c_str())));
        EXPECT_EQ(l.keys, (std::vector<std::string>{"ONCLICK^" + argument, "ONCLICK"}));
        EXPECT_STREQ(event.c_str(), "ONCLICK");
    }
    EXPECT_EQ(any->count(), 3);
}

TEST_F(ObjectTest, OverrideSignalsReplacesOrAccumulates) {
    RecordingBehaviour* a = behaviour("A");
    RecordingBehaviour* b = behaviour("B");
    Lamp* l = lamp("L");
    l->addBehaviour("ONCLICK", a, nullptr, nullptr);
    l->addBehaviour("ONCLICK", b, nullptr, nullptr);
    l->onSignal("ONCLICK");
    EXPECT_EQ(a->count(), 0);
    EXPECT_EQ(b->count(), 1);

    std::vector<char> order;
    a->onRun = [&](CMC_Object*) { order.push_back('a'); };
    b->onRun = [&](CMC_Object*) { order.push_back('b'); };
    l->overideSignals(false);
    l->addBehaviour("ONCLICK", a, nullptr, nullptr);
    l->onSignal("ONCLICK");
    EXPECT_EQ(order, (std::vector<char>{'b', 'a'}));
    // A key attached from a script sets the flag of its event part.
    EXPECT_TRUE(l->isEventHandled(3));
}

TEST_F(ObjectTest, RaisingWithArgumentsRunsEachEntryOnceAndKeepsItsOwn) {
    RecordingBehaviour* a = behaviour("A");
    Lamp* l = lamp("L");
    l->overideSignals(false);
    l->addBehaviour("ONSIGNAL", a, args({"own1"}), nullptr);
    l->addBehaviour("ONSIGNAL", a, nullptr, nullptr);
    std::unique_ptr<CXArray, void (*)(CXArray*)> given(args({"x", "y"}), CXString::releaseToVector);
    EXPECT_TRUE(l->onSignal("ONSIGNAL", given.get()));
    ASSERT_EQ(a->count(), 2);
    EXPECT_EQ(a->runs()[0].arguments, (std::vector<std::string>{"x", "y"}));
    EXPECT_EQ(a->runs()[1].arguments, (std::vector<std::string>{"x", "y"}));
    l->onSignal("ONSIGNAL");
    EXPECT_EQ(a->runs()[2].arguments, (std::vector<std::string>{"own1"}));
    EXPECT_FALSE(a->runs()[3].hadArguments);
}

TEST_F(ObjectTest, TargetsThatAreNotBehavioursAreSkipped) {
    auto* value = new CMC_Integer(CXString("NUM"));
    scene.addObject(value);
    Lamp* l = lamp("L", {{"ONCLICK", "NUM"}});
    ASSERT_NE(l->getBehaviour("ONCLICK"), nullptr);
    EXPECT_TRUE(l->onSignal("ONCLICK"));  // taken (the list holds an entry), nothing run
    l->addBehaviour("ONSIGNAL", nullptr, args({"1"}), nullptr);
    EXPECT_TRUE(l->onSignal("ONSIGNAL"));
}

TEST_F(ObjectTest, HandlersMayRemoveEntriesWhileTheyRun) {
    RecordingBehaviour* a = behaviour("A");
    RecordingBehaviour* b = behaviour("B");
    Lamp* l = lamp("L");
    l->overideSignals(false);
    l->addBehaviour("ONCLICK", a, args({"1"}), &scene);
    l->addBehaviour("ONCLICK", b, args({"2"}), &scene);
    a->onRun = [&](CMC_Object*) { l->removeAllBehaviours(); };
    EXPECT_TRUE(l->onSignal("ONCLICK"));
    EXPECT_EQ(a->count(), 1);
    EXPECT_EQ(b->count(), 0);
    EXPECT_EQ(l->getBehaviour("ONCLICK"), nullptr);
    EXPECT_FALSE(l->isEventHandled(3));
}

TEST_F(ObjectTest, HandlersRaiseEventsInsideARaise) {
    // Every look-up shares one key: inner raises of other keys, objects and the same
    // key must leave the outer raise walking its own list.
    RecordingBehaviour* a = behaviour("A");
    RecordingBehaviour* b = behaviour("B");
    RecordingBehaviour* c = behaviour("C");
    RecordingBehaviour* d = behaviour("D");
    Lamp* l = lamp("L");
    Lamp* m = lamp("M");
    l->overideSignals(false);
    l->addBehaviour("ONCLICK", a, nullptr, nullptr);
    l->addBehaviour("ONCLICK", b, nullptr, nullptr);
    l->addBehaviour("ONCLICKED", d, nullptr, nullptr);
    m->addBehaviour("ONSIGNAL^HIT", c, nullptr, nullptr);
    std::string order;
    a->onRun = [&](CMC_Object*) {
        order += 'a';
        if (a->count() > 1) return;
        EXPECT_TRUE(m->onSignal(CXString("ONSIGNAL"), CXString("HIT")));
        EXPECT_TRUE(l->onSignal("ONCLICKED"));
        EXPECT_TRUE(l->onSignal("ONCLICK"));
        EXPECT_TRUE(l->onSignal(CXString("ONCLICKED"), CXString("X")));
    };
    b->onRun = [&](CMC_Object*) { order += 'b'; };
    c->onRun = [&](CMC_Object*) { order += 'c'; };
    d->onRun = [&](CMC_Object*) { order += 'd'; };
    EXPECT_TRUE(l->onSignal("ONCLICK"));
    EXPECT_EQ(order, "acdabdb");
}

TEST_F(ObjectTest, RemovingByScopeAndSceneDone) {
    RecordingBehaviour* a = behaviour("A");
    TestScene other("OTHER", world.window());
    Lamp* l = lamp("L");
    l->overideSignals(false);
    l->addBehaviour("ONCLICK", a, args({"1"}), &scene);
    l->addBehaviour("ONCLICK", a, args({"2"}), &other);
    l->addBehaviour("ONSIGNAL", a, nullptr, &other);

    l->removeBehaviour("ONCLICK", &scene);
    ASSERT_EQ(l->getBehaviour("ONCLICK")->getCount(), 1);
    l->removeBehaviour("ONCLICK", &scene);  // nothing left of that scope
    l->onSceneDone(&other);
    EXPECT_EQ(l->getBehaviour("ONCLICK"), nullptr);
    EXPECT_EQ(l->getBehaviour("ONSIGNAL"), nullptr);
    EXPECT_FALSE(l->onSignal("ONCLICK"));
    EXPECT_TRUE(l->isEventHandled(3));  // flags are not cleared one by one
}

TEST_F(ObjectTest, InitAndDoneFollowTheFlagPositions) {
    Lamp* l = lamp("L", {{"ONINIT", "{ X^Y(); }"}});
    auto* inlined = scene.getObject("beh_L_ONINIT");
    ASSERT_NE(inlined, nullptr);

    RecordingBehaviour* onInit = behaviour("INITB");
    l->addBehaviour("ONINIT", onInit, nullptr, nullptr);
    l->init();
    EXPECT_EQ(onInit->count(), 1);

    // An object whose type has no event list has no flags: init raises nothing.
    Lamp* bare = new Lamp("BARE");
    scene.addObject(bare);
    bare->init();  // no list, no flags: nothing
    EXPECT_EQ(onInit->count(), 1);
}

TEST_F(ObjectTest, OnDoneRunsTwiceAndTheSecondTimeBeforeTheDerivedPartGoes) {
    RecordingBehaviour* onDone = behaviour("BYE");
    int destroyed = 0;
    auto* l = new Lamp("L", &destroyed);
    scene.addObject(l);
    l->initializeBehaviours(&scene, nullptr);  // fetches the list
    l->addBehaviour("ONDONE", onDone, nullptr, &scene);

    std::vector<bool> aliveAtRun;
    onDone->onRun = [&](CMC_Object* caller) { aliveAtRun.push_back(static_cast<Lamp*>(caller)->alive); };
    EXPECT_TRUE(l->done(true));
    scene.removeObject(l);
    CMC_Object::destroy(l);
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(aliveAtRun, (std::vector<bool>{true, true}));
}

TEST(CMC_ObjectFlush, ReleasesOnlyPooledValues) {
    test::ScriptWorld world;
    CMC_Integer named(CXString("N"));
    named.setValue(7);
    CMC_Object::flush(&named);
    CMC_Object::flush(nullptr);
    EXPECT_EQ(named.getValue(), 7);

    const int before = CMC_VariableFactory::inUseCount(1);
    CMC_Integer* temp = CMC_VariableFactory::allocInteger();
    EXPECT_EQ(CMC_VariableFactory::inUseCount(1), before + 1);
    CMC_Object::flush(temp, true);
    EXPECT_EQ(CMC_VariableFactory::inUseCount(1), before);
}

// ---- common part of the binary form -----------------------------------------------------

TEST_F(ObjectTest, SerializedCommonPartByteForByte) {
    using test::archiveString;
    using test::le32;
    Lamp plain("PLAIN");
    EXPECT_EQ(test::archiveBytes([&](CXArchive& a) { plain.serialize(&a); }), archiveString("PLAIN") + le32(0));

    RecordingBehaviour* doit = behaviour("DOIT");
    Lamp* l = lamp("L", {{"ONCLICK", "DOIT"}});
    l->addBehaviour("ONSIGNAL", nullptr, args({"lost"}), nullptr);  // no target: not written
    EXPECT_EQ(test::archiveBytes([&](CXArchive& a) { l->serialize(&a); }),
              archiveString("L") + le32(1) + archiveString("ONCLICK") + archiveString("DOIT") + le32(0));

    Lamp* withArgs = lamp("W");
    withArgs->addBehaviour("ONCLICK", doit, args({"1", "22"}), nullptr);
    EXPECT_EQ(test::archiveBytes([&](CXArchive& a) { withArgs->serialize(&a); }),
              archiveString("W") + le32(1) + archiveString("ONCLICK") + archiveString("DOIT") + le32(2) +
                  archiveString("1") + archiveString("22"));
}

TEST_F(ObjectTest, LoadedHandlersBindOnRebuild) {
    RecordingBehaviour* doit = behaviour("DOIT");
    const std::string bytes = test::archiveString("LOADED") + test::le32(3) + test::archiveString("ONCLICK^LEFT") +
                              test::archiveString("DOIT") + test::le32(2) + test::archiveString("1") +
                              test::archiveString("2") + test::archiveString("ONCLICK") +
                              test::archiveString("MISSING") + test::le32(0) + test::archiveString("XYZ") +
                              test::archiveString("DOIT") + test::le32(0);
    auto* loaded = new Lamp("");
    test::readArchive(bytes, [&](CXArchive& a) { loaded->serialize(&a); });
    scene.addObject(loaded);
    EXPECT_EQ(loaded->getName(), CXString("LOADED"));
    EXPECT_FALSE(loaded->isEventHandled(3));
    loaded->onSignal("ONCLICK^LEFT");  // placeholders do not run
    EXPECT_EQ(doit->count(), 0);

    loaded->initializeBehaviours(&scene, nullptr);
    EXPECT_TRUE(loaded->isEventHandled(3));
    EXPECT_TRUE(loaded->onSignal("ONCLICK^LEFT"));
    ASSERT_EQ(doit->count(), 1);
    EXPECT_EQ(doit->runs()[0].arguments, (std::vector<std::string>{"1", "2"}));
    // A behaviour that is not there keeps its placeholder; a key of no event stays unbound.
    EXPECT_TRUE(CMC_Object::entryTarget(loaded->getSingleBehaviour("ONCLICK", 0))->isPlaceholder());
    EXPECT_TRUE(CMC_Object::entryTarget(loaded->getSingleBehaviour("XYZ", 0))->isPlaceholder());

    // Round trip: what it writes now reads back the same.
    const std::string again = test::archiveBytes([&](CXArchive& a) { loaded->serialize(&a); });
    Lamp reread("");
    test::readArchive(again, [&](CXArchive& a) { reread.serialize(&a); });
    EXPECT_EQ(test::archiveBytes([&](CXArchive& a) { reread.serialize(&a); }), again);
}

TEST_F(ObjectTest, HandlerRecordsReadToTheEndOfAMemoryStream) {
    // A memory stream says end-of-file right after its last byte, a file only after a
    // read fails: both must give back every record stored.
    behaviour("DOIT");
    Lamp* l = lamp("L", {{"ONCLICK", "DOIT"}, {"ONSIGNAL", "DOIT(last)"}});
    std::string bytes = test::archiveBytes([&](CXArchive& a) { l->serialize(&a); });
    CFile_Stream memory(bytes.data(), static_cast<int>(bytes.size()));
    CXArchive archive(&memory, false);
    Lamp loaded("");
    loaded.serialize(&archive);
    EXPECT_EQ(loaded.getName(), CXString("L"));
    ASSERT_NE(loaded.getBehaviour("ONCLICK"), nullptr);
    ASSERT_NE(loaded.getBehaviour("ONSIGNAL"), nullptr);
    EXPECT_EQ(texts(CMC_Object::entryArguments(loaded.getSingleBehaviour("ONSIGNAL", 0))),
              (std::vector<std::string>{"last"}));
}

TEST_F(ObjectTest, TruncatedOrHostileCommonPartStopsCleanly) {
    const std::string full = test::archiveString("X") + test::le32(2) + test::archiveString("ONCLICK") +
                             test::archiveString("DOIT") + test::le32(1) + test::archiveString("a") +
                             test::archiveString("ONSIGNAL") + test::archiveString("DOIT") + test::le32(0);
    for (size_t cut = 0; cut < full.size(); cut += 3) {
        Lamp l("");
        test::readArchive(full.substr(0, cut), [&](CXArchive& a) { l.serialize(&a); });
    }
    Lamp huge("");
    test::readArchive(test::archiveString("H") + test::le32(0x7fffffff) + test::archiveString("ONCLICK") +
                          test::archiveString("D") + test::le32(0x7fffffff),
                      [&](CXArchive& a) { huge.serialize(&a); });
    EXPECT_EQ(huge.getName(), CXString("H"));
}
