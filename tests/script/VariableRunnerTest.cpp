#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "foundation/CXArray.h"
#include "script/CMC_Bool.h"
#include "script/CMC_Double.h"
#include "script/CMC_Expression.h"
#include "script/CMC_Integer.h"
#include "script/CMC_String.h"
#include "script/CMC_VariableFactory.h"
#include "script/CMC_Variable_Runner.h"
#include "script/CMElement.h"
#include "tests/script/RunnerTestSupport.h"

namespace {

using test::Args;
using test::RunnerWorld;

std::unique_ptr<CMC_Variable> makeValue(const std::string& type, const std::string& initial) {
    std::unique_ptr<CMC_Variable> v;
    if (type == "INTEGER") v = std::make_unique<CMC_Integer>(CXString("X"));
    if (type == "DOUBLE") v = std::make_unique<CMC_Double>(CXString("X"));
    if (type == "STRING") v = std::make_unique<CMC_String>(CXString("X"));
    if (type == "BOOL") v = std::make_unique<CMC_Bool>(CXString("X"));
    v->fromString(CXString(initial.c_str()));
    return v;
}

// Text of a value; doubles are compared by number, so "~" marks an expected double.
void expectValue(CMC_Variable* value, const std::string& expected, const std::string& what) {
    if (expected.empty() || expected[0] != '~') {
        EXPECT_EQ(test::text(value), expected) << what;
        return;
    }
    auto* real = dynamic_cast<CMC_Double*>(value);
    ASSERT_NE(real, nullptr) << what;
    EXPECT_NEAR(real->getValue(), std::stod(expected.substr(1)), 1e-6) << what;
}

struct Case {
    const char* type;
    const char* initial;
    const char* method;
    std::vector<const char*> args;
    const char* target;  // the target's value afterwards
    const char* result;  // "<none>" for no result
};

const Case kCases[] = {
    // Assignment and arithmetic: only ADD returns its result.
    {"INTEGER", "5", "ADD", {"2"}, "7", "7"},
    {"INTEGER", "5", "MUL", {"3"}, "15", "<none>"},
    {"INTEGER", "5", "SUB", {"7"}, "-2", "<none>"},
    {"INTEGER", "7", "DIV", {"2"}, "3", "<none>"},
    {"INTEGER", "7", "MOD", {"4"}, "3", "<none>"},
    {"DOUBLE", "1.5", "ADD", {"2"}, "~3.5", "~3.5"},
    {"STRING", "ab", "ADD", {"\"cd\""}, "abcd", "abcd"},
    {"INTEGER", "5", "SET", {"9"}, "9", "<none>"},
    {"STRING", "x", "SET", {"12"}, "12", "<none>"},
    {"INTEGER", "5", "INC", {}, "6", "<none>"},
    {"INTEGER", "5", "DEC", {}, "4", "<none>"},
    {"INTEGER", "5", "CLEAR", {}, "0", "<none>"},
    // Integer and bitwise methods.
    {"INTEGER", "9", "ABS", {"-4"}, "4", "4"},
    {"INTEGER", "12", "AND", {"10"}, "8", "8"},
    {"INTEGER", "12", "OR", {"3"}, "15", "15"},
    {"INTEGER", "12", "XOR", {"5"}, "9", "9"},
    {"INTEGER", "0", "NOT", {}, "-1", "-1"},
    {"INTEGER", "2", "POWER", {"10"}, "1024", "1024"},
    {"INTEGER", "2", "POWER", {"40"}, "2147483647", "2147483647"},
    {"INTEGER", "7", "CLAMP", {"10", "5"}, "10", "10"},
    {"INTEGER", "7", "CLAMP", {"1", "5"}, "5", "5"},
    // Numeric methods on a DOUBLE.
    {"DOUBLE", "2", "POWER", {"0.5"}, "~1.41421356", "~1.41421356"},
    {"DOUBLE", "16", "SQRT", {}, "~4", "~4"},
    {"DOUBLE", "0", "LOG", {"1"}, "~0", "~0"},
    {"DOUBLE", "0", "LENGTH", {"3", "4"}, "~5", "~5"},
    {"INTEGER", "0", "LENGTH", {"3", "4"}, "5", "~5"},
    {"DOUBLE", "-0.5", "SGN", {}, "~-0.5", "-1"},
    {"DOUBLE", "0", "SGN", {}, "~0", "0"},
    {"DOUBLE", "2.5", "ROUND", {}, "~2.5", "3"},
    {"DOUBLE", "2.49", "ROUND", {}, "~2.49", "2"},
    {"DOUBLE", "-2.7", "ROUND", {}, "~-2.7", "-2"},
    {"DOUBLE", "0", "MAXA", {"1", "3", "2"}, "~3", "~3"},
    {"DOUBLE", "0", "MINA", {"4", "-1.5", "2"}, "~-1.5", "~-1.5"},
    {"DOUBLE", "0", "SINUS", {"90"}, "~1", "~1"},
    {"DOUBLE", "0", "COSINUS", {"180"}, "~-1", "~-1"},
    {"DOUBLE", "0", "ARCTAN", {"1"}, "~45", "~45"},
    {"DOUBLE", "0", "ARCTANEX", {"-1", "0"}, "~270", "~270"},
    {"DOUBLE", "0", "ARCTANEX", {"-1", "0", "100"}, "~10", "~10"},
    {"DOUBLE", "0", "ARCTANEX", {"1", "1"}, "~45", "~45"},
    // Text methods.
    {"STRING", "abcde", "SUB", {"1", "2"}, "ade", "<none>"},
    {"STRING", "abcde", "CUT", {"1", "2"}, "bc", "<none>"},
    {"STRING", "abcde", "CUT", {"1", "0"}, "bcde", "<none>"},
    {"STRING", "abcde", "CUT", {"3", "9"}, "de", "<none>"},
    {"STRING", "abcd", "REPLACEAT", {"3", "\"XYZ\""}, "abcXYZ", "<none>"},
    {"STRING", "abcd", "REPLACEAT", {"1", "\"X\""}, "aXcd", "<none>"},
    {"STRING", "abcd", "REPLACEAT", {"5", "\"XYZ\""}, "abcd", "<none>"},
    {"STRING", "ab", "INSERTAT", {"1", "\"x\"", "3"}, "axxxb", "<none>"},
    {"STRING", "ab", "INSERTAT", {"2", "\"yz\""}, "abyz", "<none>"},
    {"STRING", "ab", "INSERTAT", {"1", "\"x\"", "0"}, "ab", "<none>"},
    {"STRING", "a-b-a", "REPLACE", {"\"a\"", "\"xy\""}, "xy-b-xy", "<none>"},
    {"STRING", "abcabc", "FIND", {"\"c\"", "3"}, "abcabc", "5"},
    {"STRING", "abcabc", "FIND", {"\"z\""}, "abcabc", "-1"},
    {"STRING", "abcabc", "FIND", {"\"\"", "2"}, "abcabc", "2"},
    {"STRING", "abc", "GET", {}, "abc", "abc"},
    {"STRING", "abc", "GET", {"1"}, "abc", "b"},
    {"STRING", "abc", "GET", {"1", "-1"}, "abc", "bc"},
    {"STRING", "abc", "GET", {"0", "2"}, "abc", "ab"},
    {"STRING", "abc", "NOT", {}, "cba", "cba"},
    {"STRING", "hello", "LENGTH", {}, "hello", "5"},
    {"STRING", "abc", "UPPER", {}, "ABC", "<none>"},
    {"STRING", "A\xA3" "B", "LOWER", {}, "a\xB3" "b", "<none>"},
    {"STRING", "aBc", "ISUPPERLETTER", {"1"}, "aBc", "TRUE"},
    {"STRING", "aBc", "ISUPPERLETTER", {"0"}, "aBc", "FALSE"},
    {"INTEGER", "3", "ISUPPERLETTER", {"0"}, "3", "FALSE"},
    {"INTEGER", "4", "GET", {}, "4", "4"},
    {"BOOL", "TRUE", "SWITCH", {"TRUE", "FALSE"}, "FALSE", "<none>"},
    // Wrong target type, missing arguments and indices outside the text do nothing.
    {"DOUBLE", "1.5", "ABS", {"-4"}, "~1.5", "<none>"},
    {"DOUBLE", "1.5", "NOT", {}, "~1.5", "<none>"},
    {"BOOL", "TRUE", "SQRT", {}, "TRUE", "<none>"},
    {"BOOL", "TRUE", "POWER", {"2"}, "TRUE", "<none>"},
    {"INTEGER", "5", "SINUS", {"90"}, "5", "<none>"},
    {"INTEGER", "5", "UPPER", {}, "5", "<none>"},
    {"INTEGER", "5", "ADD", {}, "5", "<none>"},
    {"INTEGER", "5", "ABS", {}, "5", "<none>"},
    {"INTEGER", "5", "CLAMP", {"1"}, "5", "<none>"},
    {"INTEGER", "5", "SWITCH", {"1"}, "5", "<none>"},
    {"DOUBLE", "1", "MAXA", {}, "~1", "<none>"},
    {"STRING", "abc", "CUT", {"1"}, "abc", "<none>"},
    {"STRING", "abc", "CUT", {"4", "1"}, "abc", "<none>"},
    {"STRING", "abc", "SUB", {"2", "5"}, "abc", "<none>"},
    {"STRING", "abc", "SUB", {"-1", "1"}, "abc", "<none>"},
    {"STRING", "abc", "INSERTAT", {"9", "\"x\""}, "abc", "<none>"},
    {"STRING", "abc", "REPLACEAT", {"-1", "\"x\""}, "abc", "<none>"},
    {"STRING", "abc", "GET", {"3"}, "abc", "<none>"},
    {"STRING", "abc", "GET", {"2", "2"}, "abc", "<none>"},
    {"STRING", "abc", "FIND", {"\"a\"", "7"}, "abc", "<none>"},
    {"STRING", "abc", "REPLACE", {"\"a\""}, "abc", "<none>"},
    {"INTEGER", "5", "NOSUCHMETHOD", {"1"}, "5", "<none>"},
};

TEST(VariableRunnerTest, MethodTable) {
    RunnerWorld w;
    for (const Case& c : kCases) {
        std::string what = std::string(c.type) + " " + c.initial + " " + c.method;
        for (const char* a : c.args) what += std::string(" ") + a;
        std::unique_ptr<CMC_Variable> target = makeValue(c.type, c.initial);
        Args args{};
        for (const char* a : c.args) args.add(CMC_Variable::resolve(CXString(a)));
        CMC_Variable* result = w.call(target.get(), c.method, c.args.empty() ? nullptr : args.get());
        expectValue(target.get(), c.target, what + " (target)");
        expectValue(result, c.result, what + " (result)");
        CMC_VariableFactory::clearPool();
    }
}

TEST(VariableRunnerTest, MethodIdsAndTableSize) {
    RunnerWorld w;
    CMC_Runner* runner = CMC_RunnerFactory::getRunner(1);
    ASSERT_NE(dynamic_cast<CMC_Variable_Runner*>(runner), nullptr);
    // One runner for every simple value type, the EXPRESSION included.
    for (int type : {2, 3, 4, 12}) EXPECT_EQ(CMC_RunnerFactory::getRunner(type), runner);
    EXPECT_EQ(runner->methodCount(), 14 + 41);
    EXPECT_EQ(runner->resolveMethod(CXString("SET")), 1);
    EXPECT_EQ(runner->resolveMethod(CXString("LOG")), 41);
    EXPECT_EQ(runner->resolveMethod(CXString("LOWER")), 48);
    EXPECT_EQ(runner->resolveMethod(CXString("RANDOM")), 40);
    EXPECT_EQ(runner->resolveMethod(CXString("GETNAME")), 96 + 3);
    // Ids without a method (19, 42 to 47) fall to the base, which does nothing.
    CMC_Integer x(CXString("X"));
    x.setValue(5);
    for (int id : {19, 42, 47, 0, 49}) {
        EXPECT_EQ(runner->run(id, &x, &w.scene, nullptr), nullptr) << id;
        EXPECT_EQ(x.getValue(), 5) << id;
    }
}

TEST(VariableRunnerTest, ResultTemporaryAndTargetAgree) {
    RunnerWorld w;
    CMC_Integer x(CXString("X"));
    x.setValue(5);
    Args two{"2"};
    CMC_Variable* result = w.call(&x, "ADD", two.get());
    ASSERT_NE(result, nullptr);
    EXPECT_TRUE(result->isPooled());
    EXPECT_NE(result, &x);
    // Later arithmetic does not reach back into the returned value.
    Args three{"3"};
    w.call(&x, "ADD", three.get());
    EXPECT_EQ(test::text(result), "7");
    EXPECT_EQ(x.getValue(), 10);
}

TEST(VariableRunnerTest, ExpressionArgumentsAndTargets) {
    RunnerWorld w;
    CMC_Integer* a = new CMC_Integer(CXString("A"));
    a->setValue(4);
    w.scene.addObject(a);
    // An EXPRESSION argument is calculated where a method reads a typed value...
    CMC_Expression expression(&w.scene, CXString("A+2*3"));
    CMC_Integer x(CXString("X"));
    x.setValue(100);
    Args args{};
    args.add(&expression);
    EXPECT_EQ(test::text(w.call(&x, "ABS", args.get())), "18");
    // ...and converted by the value type itself where the method takes it as given.
    x.setValue(1);
    w.call(&x, "ADD", args.get());
    EXPECT_EQ(x.getValue(), 19);
    // On an EXPRESSION target, assignment changes nothing and GET gives the expression.
    Args five{"5"};
    w.call(&expression, "SET", five.get());
    w.call(&expression, "INC");
    EXPECT_EQ(w.call(&expression, "GET"), &expression);
    expression.calculate();
    EXPECT_EQ(test::text(expression.getResult()), "18");
}

TEST(VariableRunnerTest, InsertAtRaisesTheChangeStepForEachInsertion) {
    RunnerWorld w;
    auto* changed = new test::RecordingBehaviour(&w.scene, "ON_CHANGE");
    w.scene.addObject(changed);
    std::unique_ptr<CMElement> element(
        test::makeElement("S", {{"TYPE", "STRING"}, {"VALUE", "ab"}, {"ONCHANGED", "ON_CHANGE"}}));
    auto* s = new CMC_String(&w.scene, element.get());
    w.scene.addObject(s);
    Args args{"1", "\"x\"", "3"};
    w.call(s, "INSERTAT", args.get());
    EXPECT_EQ(test::text(s), "axxxb");
    EXPECT_EQ(changed->count(), 3);
}

TEST(VariableRunnerTest, RandomDrawsInRange) {
    RunnerWorld w;
    CMC_Integer x(CXString("X"));
    for (int i = 0; i < 200; ++i) {
        Args args{"5", "3"};
        CMC_Variable* r = w.call(&x, "RANDOM", args.get());
        ASSERT_NE(r, nullptr);
        const int v = static_cast<CMC_Integer*>(r)->getValue();
        EXPECT_GE(v, 5);
        EXPECT_LE(v, 7);
        EXPECT_EQ(x.getValue(), v);
        CMC_VariableFactory::clearPool();
    }
    Args zero{"0"};
    EXPECT_EQ(test::text(w.call(&x, "RANDOM", zero.get())), "0");
    Args noSpan{"4", "0"};
    EXPECT_EQ(test::text(w.call(&x, "RANDOM", noSpan.get())), "4");
    EXPECT_EQ(test::text(w.call(&x, "RANDOM")), "0");
    // Any target may draw; only an INTEGER keeps the number.
    CMC_String s(CXString("S"));
    s.setValue(CXString("keep"));
    Args one{"1"};
    EXPECT_EQ(test::text(w.call(&s, "RANDOM", one.get())), "0");
    EXPECT_EQ(test::text(&s), "keep");
}

TEST(VariableRunnerTest, CopyFileOverwritesAndReportsFailure) {
    RunnerWorld w;
    w.world.dir().write("from.txt", "new");
    w.world.dir().write("to.txt", "old");
    const std::string from = "\"" + w.world.dir().engine("from.txt") + "\"";
    const std::string to = "\"" + w.world.dir().engine("to.txt") + "\"";
    const std::string missing = "\"" + w.world.dir().engine("missing.txt") + "\"";
    CMC_String s(CXString("S"));
    Args copy{from.c_str(), to.c_str()};
    EXPECT_EQ(test::text(w.call(&s, "COPYFILE", copy.get())), "TRUE");
    EXPECT_EQ(w.world.dir().read("to.txt"), "new");
    Args fail{missing.c_str(), to.c_str()};
    EXPECT_EQ(test::text(w.call(&s, "COPYFILE", fail.get())), "FALSE");
    Args one{from.c_str()};
    EXPECT_EQ(w.call(&s, "COPYFILE", one.get()), nullptr);
}

}  // namespace

namespace {

// A small shop scene: values changed by behaviour code through the runners, a
// nested call as an argument, RANDOM, and a handler attached by a script.
TEST(VariableRunnerScriptTest, ShopSceneRunsMethodsFromBehaviourCode) {
    test::ScriptWorld world;
    test::TestScene* scene = world.loadScene("shop.cnv", {
                                                             "OBJECT=SCORE",
                                                             "SCORE:TYPE=INTEGER",
                                                             "SCORE:VALUE=1",
                                                             "OBJECT=LABEL",
                                                             "LABEL:TYPE=STRING",
                                                             "LABEL:VALUE=apple",
                                                             "OBJECT=SIZE",
                                                             "SIZE:TYPE=INTEGER",
                                                             "OBJECT=HEADING",
                                                             "HEADING:TYPE=DOUBLE",
                                                             "OBJECT=PRIZE",
                                                             "PRIZE:TYPE=INTEGER",
                                                             "OBJECT=SOLD",
                                                             "SOLD:TYPE=BOOL",
                                                             "SOLD:VALUE=FALSE",
                                                             "OBJECT=ON_THIRTY",
                                                             "ON_THIRTY:TYPE=BEHAVIOUR",
                                                             "ON_THIRTY:CODE={SOLD^SET(TRUE);}",
                                                             "OBJECT=BUY",
                                                             "BUY:TYPE=BEHAVIOUR",
                                                             "BUY:CODE={SCORE^ADD(4);SCORE^MUL(3);"
                                                             "LABEL^UPPER();LABEL^INSERTAT(0,\"*\",2);"
                                                             "SIZE^SET(LABEL^LENGTH());HEADING^ARCTANEX(-1,0,100);"
                                                             "PRIZE^SET(RANDOM^GET(7,1));"
                                                             "SCORE^ADDBEHAVIOUR(\"ONCHANGED$30\",\"ON_THIRTY\");"
                                                             "SCORE^SET([SCORE*2]);}",
                                                         });
    ASSERT_NE(scene, nullptr);
    scene->addObject(new CMC_Object(CXString("RANDOM"), 102));
    test::runBehaviour(scene, "BUY");
    EXPECT_EQ(test::textValue(scene, "LABEL"), "**APPLE");
    EXPECT_EQ(test::intValue(scene, "SIZE"), 7);
    EXPECT_NEAR(test::doubleValue(scene, "HEADING"), 10.0, 1e-9);
    EXPECT_EQ(test::intValue(scene, "PRIZE"), 7);
    EXPECT_EQ(test::intValue(scene, "SCORE"), 30);
    EXPECT_TRUE(test::boolValue(scene, "SOLD"));
    world.frame();
}

}  // namespace
