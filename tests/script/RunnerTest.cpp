#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/CXArray.h"
#include "foundation/CXPair.h"
#include "script/CMC_Bool.h"
#include "script/CMC_Double.h"
#include "script/CMC_Expression.h"
#include "script/CMC_Integer.h"
#include "script/CMC_String.h"
#include "script/CMC_TypeTable.h"
#include "script/CMC_VariableFactory.h"
#include "tests/script/RunnerTestSupport.h"

namespace {

using test::Args;
using test::RecordingBehaviour;
using test::RunnerWorld;

// A collection type of the tests' own: it records what the common methods add.
constexpr int kBagType = 9901;
std::vector<std::pair<CMC_Object*, CMC_Object*>> g_added;

class Bag : public CMC_Object {
public:
    explicit Bag(const char* name) : CMC_Object(CXString(name), kBagType) {}
};

class BagAdder {
public:
    BagAdder() {
        g_added.clear();
        CMC_TypeTable::registerAdder(kBagType, [](CMC_Object* c, CMC_Object* i) { g_added.emplace_back(c, i); });
    }
    ~BagAdder() { CMC_TypeTable::registerAdder(kBagType, nullptr); }
};

// The argument texts of the handler entries under a key.
std::vector<std::vector<std::string>> entryArguments(CMC_Object* object, const char* key) {
    std::vector<std::vector<std::string>> out;
    CXVector* list = object->getBehaviour(CXString(key));
    for (int i = 0; list && i < list->getCount(); ++i) {
        std::vector<std::string> texts;
        CXArray* arguments = CMC_Object::entryArguments(static_cast<CXTriple*>(list->at(i)));
        for (int k = 0; arguments && k < arguments->getCount(); ++k)
            texts.push_back(static_cast<CXString*>(arguments->at(k))->c_str());
        out.push_back(texts);
    }
    return out;
}

class RunnerBaseTest : public ::testing::Test {
protected:
    RunnerBaseTest() {
        runner.prepareMthHashSet();
        lamp = new CMC_Integer(CXString("LAMP"));
        lamp->setScene(&w.scene);
        w.scene.addObject(lamp);
        handler = new RecordingBehaviour(&w.scene, "HANDLER");
        w.scene.addObject(handler);
    }
    CMC_Variable* call(const char* method, CXVector* arguments = nullptr, CMC_ObjectsContainer* from = nullptr) {
        return runner.run(CXString(method), lamp, from ? from : &w.scene, arguments);
    }

    RunnerWorld w;
    CMC_Runner runner;
    CMC_Integer* lamp;
    RecordingBehaviour* handler;
};

TEST_F(RunnerBaseTest, MethodNamesResolveExactlyWithCase) {
    EXPECT_EQ(runner.resolveMethod(CXString("SEND")), 96);
    EXPECT_EQ(runner.resolveMethod(CXString("send")), -1);
    EXPECT_EQ(runner.resolveMethod(CXString("")), -1);
    EXPECT_EQ(runner.methodCount(), 14);
    const char* names[] = {"SEND", "ADDTOGROUP", "ADDTOARRAY", "GETNAME", "CLONE", "ADDBEHAVIOUR", "GETCLONEINDEX",
                           "MSGBOX", "RESETCLONES", "REMOVEBEHAVIOUR", "GETCLONESNO", "REMOVEALLBEHAVIOURS",
                           "REMOVEBEHAVIOURFORCE", "OVERIDESIGNALS"};
    for (int i = 0; i < 14; ++i) EXPECT_EQ(runner.resolveMethod(CXString(names[i])), 96 + i) << names[i];
    // A runner without its table knows no name; unknown ids do nothing.
    CMC_Runner bare;
    EXPECT_EQ(bare.resolveMethod(CXString("SEND")), -1);
    EXPECT_EQ(runner.run(-1, lamp, &w.scene, nullptr), nullptr);
    EXPECT_EQ(runner.run(95, lamp, &w.scene, nullptr), nullptr);
    EXPECT_EQ(runner.run(96, nullptr, &w.scene, nullptr), nullptr);
}

TEST_F(RunnerBaseTest, ArgumentGettersConvertAndGiveDefaultsPastTheList) {
    Args args{"\"12\"", "2.5", "TRUE"};
    const int inUse = CMC_VariableFactory::inUseCount(CMC_Variable::kInteger);
    CMC_Integer* twelve = runner.getParameterInteger(args.get(), 0);
    ASSERT_NE(twelve, nullptr);
    EXPECT_EQ(twelve->getValue(), 12);
    // The converted value is already back in its pool.
    EXPECT_EQ(CMC_VariableFactory::inUseCount(CMC_Variable::kInteger), inUse);
    EXPECT_EQ(runner.getParameterString(args.get(), 2)->getValue(), CXString("TRUE"));
    EXPECT_DOUBLE_EQ(runner.getParameterDouble(args.get(), 1)->getValue(), 2.5);
    EXPECT_TRUE(runner.getParameterBool(args.get(), 2)->getValue());
    // An argument of the type asked for is itself.
    EXPECT_EQ(runner.getParameterString(args.get(), 0), args.get()->at(0));

    for (int i : {3, 100, -1}) {
        EXPECT_EQ(runner.getParameter(args.get(), i), nullptr);
        EXPECT_EQ(runner.getParameterInteger(args.get(), i)->getValue(), 0);
        EXPECT_EQ(runner.getParameterString(args.get(), i)->getValue(), CXString(""));
        EXPECT_FALSE(runner.getParameterBool(args.get(), i)->getValue());
        EXPECT_EQ(runner.getParameterDouble(args.get(), i)->getValue(), 0.0);
    }
    // A script object that is not a value passes its name.
    Args objects{};
    objects.add(handler);
    EXPECT_EQ(runner.getParameter(objects.get(), 0), nullptr);
    EXPECT_EQ(runner.getParameterText(objects.get(), 0), CXString("HANDLER"));
    EXPECT_EQ(runner.getParameterInteger(objects.get(), 0)->getValue(), 0);
    EXPECT_EQ(runner.getParameter(nullptr, 0), nullptr);
    EXPECT_EQ(runner.getParameterInteger(nullptr, 0)->getValue(), 0);
}

TEST_F(RunnerBaseTest, ExpressionArgumentIsCalculated) {
    CMC_Expression expression(&w.scene, CXString("2+3*4"));
    Args args{};
    args.add(&expression);
    CMC_Variable* value = runner.getParameter(args.get(), 0);
    ASSERT_NE(value, nullptr);
    EXPECT_NE(value, &expression);
    EXPECT_EQ(test::text(value), "20");
    EXPECT_EQ(CMC_Runner::getArgument(args.get(), 0), &expression);
}

TEST_F(RunnerBaseTest, SendRaisesTheCaretKeyOnlyOrAnAtTextUnchanged) {
    auto* plain = new RecordingBehaviour(&w.scene, "PLAIN");
    w.scene.addObject(plain);
    auto* at = new RecordingBehaviour(&w.scene, "AT");
    w.scene.addObject(at);
    lamp->addBehaviour(CXString("ONSIGNAL^HIT"), handler, nullptr, &w.scene);
    lamp->addBehaviour(CXString("ONSIGNAL"), plain, nullptr, &w.scene);
    lamp->addBehaviour(CXString("@GO"), at, nullptr, &w.scene);

    Args hit{"\"HIT\""};
    call("SEND", hit.get());
    EXPECT_EQ(handler->count(), 1);
    EXPECT_EQ(plain->count(), 0);
    Args go{"\"@GO\""};
    call("SEND", go.get());
    EXPECT_EQ(at->count(), 1);
    // A number is sent as its text; no argument sends nothing.
    lamp->addBehaviour(CXString("ONSIGNAL^7"), handler, nullptr, &w.scene);
    Args seven{"7"};
    call("SEND", seven.get());
    EXPECT_EQ(handler->count(), 2);
    call("SEND");
    EXPECT_EQ(handler->count() + plain->count() + at->count(), 3);
}

TEST_F(RunnerBaseTest, ClonesAndTheirCounters) {
    call("CLONE");
    EXPECT_NE(w.scene.getObject("LAMP_1"), nullptr);
    Args three{"3"};
    call("CLONE", three.get());
    EXPECT_NE(w.scene.getObject("LAMP_4"), nullptr);
    EXPECT_EQ(test::text(call("GETCLONESNO")), "4");
    CMC_Object* clone = w.scene.getObject("LAMP_2");
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(test::text(runner.run(CXString("GETCLONEINDEX"), clone, &w.scene, nullptr)), "2");
    EXPECT_EQ(test::text(runner.run(CXString("GETNAME"), clone, &w.scene, nullptr)), "LAMP_2");
    call("RESETCLONES");
    EXPECT_EQ(test::text(call("GETCLONESNO")), "0");
}

TEST_F(RunnerBaseTest, AddBehaviourTakesKeyNameAndHandlerArguments) {
    Args two{"\"ONCHANGED$5\"", "\"HANDLER\""};
    call("ADDBEHAVIOUR", two.get());
    ASSERT_EQ(entryArguments(lamp, "ONCHANGED^5").size(), 1u);
    EXPECT_EQ(CMC_Object::entryArguments(lamp->getSingleBehaviour(CXString("ONCHANGED^5"), 0)), nullptr);
    EXPECT_EQ(CMC_Object::entryTarget(lamp->getSingleBehaviour(CXString("ONCHANGED^5"), 0)), handler);
    EXPECT_EQ(CMC_Object::entryScope(lamp->getSingleBehaviour(CXString("ONCHANGED^5"), 0)), &w.scene);

    Args four{"\"ONSIGNAL$X\"", "\"HANDLER\"", "\"a b\"", "42"};
    call("ADDBEHAVIOUR", four.get());
    EXPECT_EQ(entryArguments(lamp, "ONSIGNAL^X"), (std::vector<std::vector<std::string>>{{"a b", "42"}}));
    lamp->onSignal(CXString("ONSIGNAL^X"));
    ASSERT_EQ(handler->count(), 1);
    EXPECT_EQ(handler->runs()[0].arguments, (std::vector<std::string>{"a b", "42"}));

    // A name of no behaviour attaches an entry that raising skips; one argument attaches nothing.
    Args unknown{"\"ONSIGNAL$Y\"", "\"NOBODY\""};
    call("ADDBEHAVIOUR", unknown.get());
    EXPECT_EQ(CMC_Object::entryTarget(lamp->getSingleBehaviour(CXString("ONSIGNAL^Y"), 0)), nullptr);
    lamp->onSignal(CXString("ONSIGNAL^Y"));
    Args one{"\"ONINIT\""};
    call("ADDBEHAVIOUR", one.get());
    EXPECT_EQ(lamp->getBehaviour(CXString("ONINIT")), nullptr);
}

TEST_F(RunnerBaseTest, RemoveBehaviourKeepsEntriesOfOtherScopes) {
    test::TestScene other("OTHER", w.world.window());
    other.setLookupParent(&w.scene);
    lamp->overideSignals(false);
    lamp->addBehaviour(CXString("ONCHANGED^1"), handler, nullptr, &w.scene);
    lamp->addBehaviour(CXString("ONCHANGED^1"), handler, nullptr, &other);
    Args key{"\"ONCHANGED$1\""};
    call("REMOVEBEHAVIOUR", key.get(), &other);
    ASSERT_NE(lamp->getBehaviour(CXString("ONCHANGED^1")), nullptr);
    EXPECT_EQ(lamp->getBehaviour(CXString("ONCHANGED^1"))->getCount(), 1);
    EXPECT_EQ(CMC_Object::entryScope(lamp->getSingleBehaviour(CXString("ONCHANGED^1"), 0)), &w.scene);
    call("REMOVEBEHAVIOUR");  // no key: nothing
    EXPECT_EQ(lamp->getBehaviour(CXString("ONCHANGED^1"))->getCount(), 1);
    call("REMOVEBEHAVIOURFORCE", key.get(), &other);
    EXPECT_EQ(lamp->getBehaviour(CXString("ONCHANGED^1"))->getCount(), 0);
    lamp->addBehaviour(CXString("ONCHANGED"), handler, nullptr, &w.scene);
    call("REMOVEALLBEHAVIOURS");
    EXPECT_EQ(lamp->getBehaviour(CXString("ONCHANGED")), nullptr);
}

TEST_F(RunnerBaseTest, OverideSignalsSetsTheFlagOnlyWithAnArgument) {
    Args off{"FALSE"};
    call("OVERIDESIGNALS", off.get());
    EXPECT_FALSE(lamp->isOverridingSignals());
    call("OVERIDESIGNALS");
    EXPECT_FALSE(lamp->isOverridingSignals());
    Args on{"TRUE"};
    call("OVERIDESIGNALS", on.get());
    EXPECT_TRUE(lamp->isOverridingSignals());
    EXPECT_EQ(call("MSGBOX", on.get()), nullptr);
}

TEST_F(RunnerBaseTest, AddToGroupAndArrayGoByTheNamedObjectsType) {
    BagAdder adder;
    auto* bag = new Bag("BAG");
    w.scene.addObject(bag);
    Args name{"\"BAG\""};
    call("ADDTOGROUP", name.get());
    call("ADDTOARRAY", name.get());
    ASSERT_EQ(g_added.size(), 2u);
    EXPECT_EQ(g_added[0].first, bag);
    EXPECT_EQ(g_added[0].second, lamp);
    // A name of no object, of an object that is no collection, or none at all: nothing.
    Args nobody{"\"NOBODY\""};
    call("ADDTOGROUP", nobody.get());
    Args handlerName{"\"HANDLER\""};
    call("ADDTOARRAY", handlerName.get());
    call("ADDTOGROUP");
    EXPECT_EQ(g_added.size(), 2u);
}

// ---- runner factory ------------------------------------------------------------------

class TestRunner : public CMC_Runner {
public:
    static int s_made;
    TestRunner() { ++s_made; }
    void prepareMthHashSet() override {
        CMC_Runner::prepareMthHashSet();
        putMethod("PING", 1);
    }
};
int TestRunner::s_made = 0;

TEST(RunnerFactoryTest, TypeIdsShareRunnersAndUnknownIdsGiveNull) {
    RunnerWorld w;
    EXPECT_EQ(CMC_RunnerFactory::getRunner(2), CMC_RunnerFactory::getRunner(12));
    EXPECT_EQ(CMC_RunnerFactory::getRunner(1), CMC_RunnerFactory::pVariableRunner);
    EXPECT_EQ(CMC_RunnerFactory::getRunner(102), CMC_RunnerFactory::pRandRunner);
    EXPECT_NE(CMC_RunnerFactory::getRunner(102), nullptr);
    EXPECT_EQ(CMC_RunnerFactory::slotOf(2018), CMC_RunnerFactory::slotOf(2019));
    EXPECT_EQ(CMC_RunnerFactory::slotOf(10), CMC_RunnerFactory::slotOf(11));
    for (int type : {5, 6, 9, 2003, 2010, 2025, 10000, 10999, -1, 99999})
        EXPECT_EQ(CMC_RunnerFactory::getRunner(type), nullptr) << type;
    // Every runner made has its table ready (the built-in statements have no common methods).
    for (int slot = 0; slot < CMC_RunnerFactory::kSlotCount; ++slot) {
        if (slot == CMC_RunnerFactory::kDummy) continue;
        CMC_Runner* r = CMC_RunnerFactory::getSlot(static_cast<CMC_RunnerFactory::Slot>(slot));
        if (r) {
            EXPECT_EQ(r->resolveMethod(CXString("SEND")), 96) << slot;
        }
    }
}

TEST(RunnerFactoryTest, RegisteredMakerFillsItsSlotAtInitialize) {
    RunnerWorld w;
    const auto slot = CMC_RunnerFactory::kJoystick;
    const CMC_RunnerFactory::RunnerMaker saved = CMC_RunnerFactory::getMaker(slot);
    TestRunner::s_made = 0;
    EXPECT_TRUE(CMC_RunnerFactory::registerRunner(slot, []() -> CMC_Runner* { return new TestRunner(); }));
    EXPECT_FALSE(CMC_RunnerFactory::registerRunner(CMC_RunnerFactory::kSlotCount, nullptr));
    // Runners already made stay; an empty slot is filled by the next initialize.
    CMC_Runner* variables = CMC_RunnerFactory::getRunner(1);
    CMC_RunnerFactory::initialize();
    EXPECT_EQ(CMC_RunnerFactory::getRunner(1), variables);
    if (saved) {
        EXPECT_EQ(TestRunner::s_made, 0);
        CMC_RunnerFactory::done();
        CMC_RunnerFactory::initialize();
    }
    EXPECT_EQ(TestRunner::s_made, 1);
    ASSERT_NE(dynamic_cast<TestRunner*>(CMC_RunnerFactory::getRunner(2023)), nullptr);
    EXPECT_EQ(CMC_RunnerFactory::pJoystickRunner, CMC_RunnerFactory::getRunner(2023));
    EXPECT_EQ(CMC_RunnerFactory::getRunner(2023)->resolveMethod(CXString("PING")), 1);

    CMC_RunnerFactory::done();
    for (int type : {0, 1, 2, 12, 13, 102, 2023, 3001})
        EXPECT_EQ(CMC_RunnerFactory::getRunner(type), nullptr) << type;
    CMC_RunnerFactory::registerRunner(slot, saved);
    CMC_RunnerFactory::initialize();
    EXPECT_EQ(dynamic_cast<TestRunner*>(CMC_RunnerFactory::getRunner(2023)), nullptr);
    EXPECT_EQ(CMC_RunnerFactory::getRunner(2023) != nullptr, saved != nullptr);
}

}  // namespace
