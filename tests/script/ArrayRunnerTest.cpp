#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include "foundation/CConfig.h"
#include "foundation/CFile.h"
#include "script/CMC_Array.h"
#include "script/CMC_Array_Runner.h"
#include "script/CMC_Behaviour.h"
#include "script/CMC_Double.h"
#include "script/CMC_Integer.h"
#include "script/CMC_String.h"
#include "script/CMC_VariableFactory.h"
#include "tests/script/RunnerTestSupport.h"

namespace {

using test::Args;
using test::RunnerWorld;

class ArrayRunnerTest : public ::testing::Test {
protected:
    CMC_Array* make(const char* name, std::initializer_list<const char*> literals = {}) {
        auto* array = new CMC_Array(&w.scene, CXString(name));
        w.scene.addObject(array);
        for (const char* l : literals) array->add(CMC_Variable::resolve(CXString(l)));
        return array;
    }
    // Calls a method with the literals as arguments (none: a null list).
    CMC_Variable* call(CMC_Object* target, const char* method, std::initializer_list<const char*> literals) {
        Args args(literals);
        return w.call(target, method, literals.size() ? args.get() : nullptr);
    }
    std::string call_text(CMC_Object* target, const char* method, std::initializer_list<const char*> literals) {
        return test::text(call(target, method, literals));
    }
    static std::string text(CMC_Array* array) { return array->toString().c_str(); }

    RunnerWorld w;
};

TEST_F(ArrayRunnerTest, RegistersTheFiftyFourNamesWithTheirIds) {
    CMC_Runner* runner = CMC_RunnerFactory::getRunner(CMC_Array::kType);
    ASSERT_NE(dynamic_cast<CMC_Array_Runner*>(runner), nullptr);
    const struct {
        const char* name;
        int id;
    } names[] = {
        {"ADD", 1},          {"GETSIZE", 2},       {"INSERTAT", 3},     {"REMOVEAT", 4},     {"CHANGEAT", 5},
        {"REMOVEALL", 6},    {"GET", 7},           {"REMOVE", 8},       {"FIND", 9},         {"CONTAINS", 10},
        {"SAVEINI", 11},     {"LOADINI", 12},      {"PREV", 13},        {"NEXT", 14},        {"ADDCLONES", 15},
        {"RESETMARKER", 16}, {"GETMARKERPOS", 17}, {"SETMARKERPOS", 18}, {"SUM", 19},        {"SUMA", 20},
        {"SUB", 21},         {"SUBA", 22},         {"MUL", 23},         {"MULA", 24},        {"DIV", 25},
        {"DIVA", 32},        {"MIN", 33},          {"MAX", 34},         {"GETSUMVALUE", 35}, {"SORT", 36},
        {"LOAD", 37},        {"SAVE", 38},         {"REVERSEFIND", 39}, {"MULAT", 40},       {"DIVAT", 41},
        {"ADDAT", 42},       {"SUBAT", 43},        {"MODAT", 44},       {"CLAMPAT", 45},     {"DIR", 46},
        {"COMPARE", 47},     {"SENDONCHANGE", 48}, {"SHIFTLEFT", 49},   {"SHIFTRIGHT", 50},  {"ROTATELEFT", 51},
        {"ROTATERIGHT", 52}, {"SWAP", 53},         {"FINDALL", 54},     {"SORTMANY", 55},    {"MAXD", 56},
        {"MIND", 57},        {"COPYTO", 58},       {"FILL", 59},        {"RANDOMFILL", 60},
    };
    EXPECT_EQ(sizeof(names) / sizeof(names[0]), 54u);
    for (const auto& n : names) EXPECT_EQ(runner->resolveMethod(CXString(n.name)), n.id) << n.name;
    EXPECT_EQ(runner->methodCount(), 54 + 14);
    EXPECT_EQ(runner->resolveMethod(CXString("GETNAME")), CMC_Runner::kGetName);

    // Ids without a method, and SORTMANY, change nothing and return nothing.
    CMC_Array* array = make("A", {"2", "1"});
    for (int id : {26, 27, 28, 29, 30, 31, 55, 61, 0, -1}) {
        EXPECT_EQ(runner->run(id, array, &w.scene, nullptr), nullptr) << id;
        EXPECT_EQ(text(array), "2,1");
    }
    EXPECT_EQ(call_text(array, "GETNAME", {}), "A");
    // Another type's object handed to this runner reaches only the common methods.
    CMC_Integer other(CXString("N"));
    EXPECT_EQ(runner->run(CMC_Array_Runner::kGetSize, &other, &w.scene, nullptr), nullptr);
}

TEST_F(ArrayRunnerTest, IndexedMethodsCheckTheirIndex) {
    struct Case {
        const char* what;
        std::vector<const char*> start;
        const char* method;
        std::vector<const char*> args;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"insert at size", {"1"}, "INSERTAT", {"1", "9"}, "1"},
        {"insert into empty", {}, "INSERTAT", {"0", "9"}, ""},
        {"insert first", {"1"}, "INSERTAT", {"0", "9"}, "9,1"},
        {"insert negative", {"1"}, "INSERTAT", {"-1", "9"}, "1"},
        {"remove last", {"1", "2"}, "REMOVEAT", {"1"}, "1"},
        {"remove at size", {"1", "2"}, "REMOVEAT", {"2"}, "1,2"},
        {"remove negative", {"1", "2"}, "REMOVEAT", {"-1"}, "1,2"},
        {"change", {"1", "2"}, "CHANGEAT", {"1", "\"z\""}, "1,z"},
        {"change at size", {"1", "2"}, "CHANGEAT", {"2", "\"z\""}, "1,2"},
        {"change without value", {"1"}, "CHANGEAT", {"0"}, "1"},
        {"swap", {"1", "2", "3"}, "SWAP", {"0", "2"}, "3,2,1"},
        {"swap out of range", {"1", "2"}, "SWAP", {"0", "5"}, "1,2"},
        {"addat", {"1", "2"}, "ADDAT", {"1", "5"}, "1,7"},
        {"modat out of range", {"1", "2"}, "MODAT", {"9", "5"}, "1,2"},
        {"add none", {"1"}, "ADD", {}, "1"},
        {"add three", {"1"}, "ADD", {"\"a\"", "TRUE", "2.5"}, "1,a,TRUE,2.50000"},
        {"remove value", {"1", "2", "1"}, "REMOVE", {"1"}, "2,1"},
        {"remove all", {"1", "2"}, "REMOVEALL", {}, ""},
        {"shift left", {"1", "2", "3"}, "SHIFTLEFT", {}, "2,3,0"},
        {"shift right", {"1", "2", "3"}, "SHIFTRIGHT", {}, "0,1,2"},
        {"rotate left", {"1", "2", "3"}, "ROTATELEFT", {}, "2,3,1"},
        {"rotate right", {"1", "2", "3"}, "ROTATERIGHT", {}, "3,1,2"},
        {"sort ascending", {"3", "1", "2"}, "SORT", {"TRUE"}, "1,2,3"},
        {"sort descending", {"3", "1", "2"}, "SORT", {"FALSE"}, "3,2,1"},
        {"sum", {"1", "2"}, "SUM", {"5"}, "6,7"},
        {"sub", {"1", "2"}, "SUB", {"1"}, "0,1"},
        {"mul", {"1", "2"}, "MUL", {"3"}, "3,6"},
        {"div", {"4", "8"}, "DIV", {"2"}, "2,4"},
        {"fill", {"1"}, "FILL", {"3", "\"x\""}, "x,x,x"},
        {"fill none", {"1", "2"}, "FILL", {"0", "\"x\""}, ""},
        {"fill negative", {"1"}, "FILL", {"-4", "\"x\""}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CMC_Array* array = make("A");
        for (const char* l : c.start) array->add(CMC_Variable::resolve(CXString(l)));
        Args args({});
        for (const char* l : c.args) args.add(CMC_Variable::resolve(CXString(l)));
        EXPECT_EQ(w.call(array, c.method, c.args.empty() ? nullptr : args.get()), nullptr);
        EXPECT_EQ(text(array), c.expected);
    }
}

TEST_F(ArrayRunnerTest, GetPrevAndNextReturnCopies) {
    CMC_Array* array = make("A", {"10", "\"b\"", "2.5"});
    CMC_Variable* got = call(array, "GET", {"1"});
    ASSERT_NE(got, nullptr);
    EXPECT_EQ(got->getType(), CMC_Variable::kString);
    EXPECT_TRUE(got->isPooled());
    static_cast<CMC_String*>(got)->setValue(CXString("changed"));
    EXPECT_EQ(text(array), "10,b,2.50000");
    EXPECT_EQ(call(array, "GET", {"2"})->getType(), CMC_Variable::kDouble);
    for (const char* index : {"3", "-1"}) {
        CMC_Variable* missing = call(array, "GET", {index});
        ASSERT_NE(missing, nullptr);
        EXPECT_EQ(missing->getType(), CMC_Variable::kString);
        EXPECT_EQ(test::text(missing), "NULL");
    }
    EXPECT_EQ(call_text(make("E"), "GET", {"0"}), "NULL");

    // Without an argument the marker moves by one.
    const int trashBefore = CMC_Behaviour::trashCount();
    CMC_Variable* first = call(array, "NEXT", {});
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(test::text(first), "10");
    EXPECT_FALSE(first->isPooled());
    EXPECT_NE(first, array->get(0));
    static_cast<CMC_Integer*>(first)->setValue(99);
    EXPECT_EQ(text(array), "10,b,2.50000");
    EXPECT_EQ(call_text(array, "GETMARKERPOS", {}), "0");
    EXPECT_EQ(call_text(array, "PREV", {}), "2.50000");
    EXPECT_EQ(call_text(array, "NEXT", {"2"}), "b");
    EXPECT_EQ(call_text(array, "PREV", {"4"}), "10");
    // The copies wait in the global trash for the next application step.
    EXPECT_EQ(CMC_Behaviour::trashCount(), trashBefore + 4);
    w.world.applicationStep();
    EXPECT_EQ(CMC_Behaviour::trashCount(), 0);

    CMC_Array* empty = make("EMPTY");
    EXPECT_EQ(call(empty, "NEXT", {}), nullptr);
    EXPECT_EQ(call(empty, "PREV", {"3"}), nullptr);
    EXPECT_EQ(call_text(empty, "GETMARKERPOS", {}), "-1");

    call(array, "SETMARKERPOS", {"10"});
    EXPECT_EQ(call_text(array, "GETMARKERPOS", {}), "2");
    call(array, "RESETMARKER", {});
    EXPECT_EQ(call_text(array, "GETMARKERPOS", {}), "-1");
}

TEST_F(ArrayRunnerTest, SearchResults) {
    CMC_Array* array = make("A", {"1", "5", "7", "3", "5"});
    EXPECT_EQ(call_text(array, "GETSIZE", {}), "5");
    EXPECT_EQ(call_text(array, "FIND", {"5"}), "1");
    EXPECT_EQ(call_text(array, "FIND", {"\"7\""}), "2");
    EXPECT_EQ(call_text(array, "FIND", {"8"}), "-1");
    EXPECT_EQ(call_text(array, "REVERSEFIND", {"5"}), "4");
    EXPECT_EQ(call_text(array, "CONTAINS", {"3"}), "TRUE");
    EXPECT_EQ(call_text(array, "CONTAINS", {"4"}), "FALSE");
}

TEST_F(ArrayRunnerTest, AggregatesOverTheirOwnTypeOnly) {
    struct Case {
        std::vector<const char*> elements;
        const char* method;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {{"4", "-2", "9"}, "MIN", "-2"},
        {{"\"a\"", "\"b\""}, "MIN", "1000000"},
        {{"2000000"}, "MIN", "1000000"},
        {{}, "MIN", "1000000"},
        {{"4", "-2", "9", "100.5"}, "MAX", "9"},
        {{"-5", "-3"}, "MAX", "0"},
        {{"1.5", "-2.5", "3"}, "MIND", "-2.50000"},
        {{}, "MIND", "1000000.00000"},
        {{"1.5", "4.25", "30"}, "MAXD", "4.25000"},
        {{"1", "2"}, "MAXD", "0"},
        {{"1", "2", "\"3\"", "4.5", "TRUE"}, "GETSUMVALUE", "3"},
        {{"2147483647", "1"}, "GETSUMVALUE", "-2147483648"},
        {{}, "GETSUMVALUE", "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.method) + " " + std::to_string(c.elements.size()));
        CMC_Array* array = make("A");
        for (const char* l : c.elements) array->add(CMC_Variable::resolve(CXString(l)));
        CMC_Variable* result = call(array, c.method, {});
        ASSERT_NE(result, nullptr);
        EXPECT_TRUE(result->isPooled());
        const bool isDouble = std::string(c.method).back() == 'D';
        EXPECT_EQ(result->getType(), isDouble ? CMC_Variable::kDouble : CMC_Variable::kInteger);
        EXPECT_EQ(test::text(result), c.expected);
    }
}

TEST_F(ArrayRunnerTest, ClampAtLimitsIntegersAndDoublesOnly) {
    CMC_Array* array = make("A", {"7", "-3", "2.5", "\"s\"", "4"});
    call(array, "CLAMPAT", {"0", "0", "5"});
    call(array, "CLAMPAT", {"1", "0", "5"});
    call(array, "CLAMPAT", {"2", "0", "1.25"});
    call(array, "CLAMPAT", {"3", "0", "5"});
    call(array, "CLAMPAT", {"4", "0", "5"});
    call(array, "CLAMPAT", {"9", "0", "5"});
    call(array, "CLAMPAT", {"-1", "0", "5"});
    EXPECT_EQ(text(array), "5,0,1.25000,s,4");
}

TEST_F(ArrayRunnerTest, RangeArithmeticDefaults) {
    make("OTHER", {"10", "20", "30"});
    struct Case {
        const char* method;
        std::vector<const char*> args;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"SUMA", {"\"NONE\""}, "2,4,6"},
        {"SUMA", {"\"NONE\"", "-1", "-1"}, "2,4,6"},
        {"SUMA", {"\"NONE\"", "1"}, "1,4,6"},
        {"SUMA", {"\"NONE\"", "-1", "1"}, "2,4,3"},
        {"SUBA", {"\"NONE\"", "2"}, "1,2,0"},
        {"MULA", {"\"NONE\""}, "1,4,9"},
        {"DIVA", {"\"NONE\"", "0", "0"}, "1,2,3"},
        {"SUMA", {"\"OTHER\""}, "11,22,33"},
        {"SUBA", {"\"OTHER\"", "1", "1"}, "1,-18,3"},
        {"MULA", {"\"OTHER\"", "2"}, "1,2,90"},
        {"DIVA", {"\"OTHER\""}, "0,0,0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.method);
        CMC_Array* array = make("A", {"1", "2", "3"});
        Args args({});
        for (const char* l : c.args) args.add(CMC_Variable::resolve(CXString(l)));
        w.call(array, c.method, args.get());
        EXPECT_EQ(text(array), c.expected);
    }
}

TEST_F(ArrayRunnerTest, AddClonesNamesTheClonesOfAnObject) {
    auto* dog = new CMC_Integer(CXString("DOG"));
    w.scene.addObject(dog);
    dog->setScene(&w.scene);
    dog->CMC_Object::clone(3);
    ASSERT_EQ(dog->getClonesNo(), 3);

    CMC_Array* array = make("A", {"\"x\""});
    call(array, "ADDCLONES", {"\"NOBODY\""});
    EXPECT_EQ(text(array), "x");
    call(array, "ADDCLONES", {"\"DOG\""});
    EXPECT_EQ(text(array), "x,DOG_1,DOG_2,DOG_3");
    call(array, "REMOVEALL", {});
    call(array, "ADDCLONES", {"\"DOG\"", "2"});
    EXPECT_EQ(text(array), "DOG_2,DOG_3");
    call(array, "REMOVEALL", {});
    call(array, "ADDCLONES", {"\"DOG\"", "5", "6"});
    EXPECT_EQ(text(array), "DOG_5,DOG_6");
    // A wild range adds a bounded number of elements.
    call(array, "REMOVEALL", {});
    call(array, "ADDCLONES", {"\"DOG\"", "-2147483648", "2147483647"});
    EXPECT_EQ(array->getSize(), CMC_Array::kMaxBulkAdd);
}

TEST_F(ArrayRunnerTest, FindAllCopyToAndCompareWorkOnNamedArrays) {
    CMC_Array* array = make("A", {"\"x\"", "5", "7", "\"y\"", "5"});
    CMC_Array* found = make("FOUND", {"-1"});
    w.scene.addObject(new CMC_Integer(CXString("NUMBER")));

    EXPECT_EQ(call_text(array, "FINDALL", {"\"FOUND\"", "5", "7"}), "3");
    EXPECT_EQ(text(found), "-1,1,4,2");
    EXPECT_EQ(found->get(1)->getType(), CMC_Variable::kInteger);
    EXPECT_EQ(call_text(array, "FINDALL", {"\"FOUND\""}), "0");
    EXPECT_EQ(call_text(array, "FINDALL", {"\"FOUND\"", "\"zz\""}), "0");
    EXPECT_EQ(text(found), "-1,1,4,2");
    // The destination must be an ARRAY.
    EXPECT_EQ(call_text(array, "FINDALL", {"\"NUMBER\"", "5"}), "0");
    EXPECT_EQ(call_text(array, "FINDALL", {"\"NOWHERE\"", "5"}), "0");
    // Into itself: the indices found before the appends.
    CMC_Array* self = make("SELF", {"1", "0"});
    EXPECT_EQ(call_text(self, "FINDALL", {"\"SELF\"", "0", "1"}), "3");
    EXPECT_EQ(text(self), "1,0,1,0,2");

    CMC_Array* copy = make("COPY", {"\"first\""});
    call(array, "COPYTO", {"\"COPY\""});
    EXPECT_EQ(text(copy), "first,x,5,7,y,5");
    EXPECT_NE(copy->get(1), array->get(0));
    call(array, "COPYTO", {"\"NUMBER\""});
    call(array, "COPYTO", {"\"NOWHERE\""});
    call(array, "COPYTO", {"\"A\""});
    EXPECT_EQ(text(array), "x,5,7,y,5,x,5,7,y,5");

    make("SAME", {"1", "2"});
    make("DIFFERENT", {"1", "3"});
    CMC_Array* pair = make("PAIR", {"1", "2"});
    EXPECT_EQ(call_text(pair, "COMPARE", {"\"SAME\""}), "TRUE");
    EXPECT_EQ(call_text(pair, "COMPARE", {"\"DIFFERENT\""}), "FALSE");
    EXPECT_EQ(call_text(pair, "COMPARE", {"\"NUMBER\""}), "FALSE");
    EXPECT_EQ(call_text(pair, "COMPARE", {"\"NOWHERE\""}), "FALSE");
}

TEST_F(ArrayRunnerTest, RandomFillReplacesTheElements) {
    CMC_Array* array = make("A", {"\"old\""});
    call(array, "RANDOMFILL", {"50", "10", "5", "FALSE"});
    ASSERT_EQ(array->getSize(), 50);
    for (int i = 0; i < 50; ++i) {
        auto* v = dynamic_cast<CMC_Integer*>(array->get(i));
        ASSERT_NE(v, nullptr);
        EXPECT_GE(v->getValue(), 10);
        EXPECT_LE(v->getValue(), 14);
    }
    call(array, "RANDOMFILL", {"6", "-3", "6", "TRUE"});
    std::set<int> values;
    for (int i = 0; i < array->getSize(); ++i) values.insert(static_cast<CMC_Integer*>(array->get(i))->getValue());
    EXPECT_EQ(values, (std::set<int>{-3, -2, -1, 0, 1, 2}));
    // More unique values than the range holds: only the range.
    call(array, "RANDOMFILL", {"9", "0", "4", "TRUE"});
    EXPECT_EQ(array->getSize(), 4);
    call(array, "RANDOMFILL", {"0", "0", "4", "FALSE"});
    EXPECT_EQ(array->getSize(), 0);
    call(array, "RANDOMFILL", {"20000", "0", "100", "FALSE"});
    EXPECT_EQ(array->getSize(), 10000);
}

TEST_F(ArrayRunnerTest, SendOnChangeDefaultsToTrue) {
    CMC_Array* array = make("A");
    call(array, "SENDONCHANGE", {});
    EXPECT_TRUE(array->getSendOnChange());
    call(array, "SENDONCHANGE", {"FALSE"});
    EXPECT_FALSE(array->getSendOnChange());
    call(array, "SENDONCHANGE", {"1"});
    EXPECT_TRUE(array->getSendOnChange());
}

TEST_F(ArrayRunnerTest, FilesAndIniThroughTheRunner) {
    CMC_Array* array = make("A", {"7", "\"ab\""});
    const std::string path = w.world.dir().engine("list.arr");
    Args name({});
    name.add(CMC_Variable::resolve(CXString(("\"" + path + "\"").c_str())));
    w.call(array, "SAVE", name.get());
    EXPECT_EQ(w.world.dir().read("list.arr").size(), 22u);
    CMC_Array* back = make("B", {"1"});
    w.call(back, "LOAD", name.get());
    EXPECT_EQ(text(back), "7,ab");

    CConfig config(CXString(w.world.dir().engine("app.ini").c_str()));
    w.world.window()->setConfig(&config);
    call(array, "SAVEINI", {});
    call(back, "ADD", {"3"});
    back->setName(CXString("A"));
    call(back, "LOADINI", {});
    EXPECT_EQ(text(back), "7,ab");
    EXPECT_EQ(back->get(0)->getType(), CMC_Variable::kString);
    w.world.window()->setConfig(nullptr);
}

TEST_F(ArrayRunnerTest, DirAppendsTheListedEntriesAndKeepsTheDirectory) {
    test::TempDir& dir = w.world.dir();
    dir.write("files/a.txt", "1");
    dir.write("files/b.txt", "2");
    dir.write("files/c.dat", "3");
    CMC_Array* array = make("A", {"\"kept\""});
    const CXString before = CFile::getCurrentDirectory();
    const std::string folder = dir.engine("files") + "\\";
    Args args({});
    args.add(CMC_Variable::resolve(CXString(("\"" + folder + "\"").c_str())));
    args.add(CMC_Variable::resolve(CXString("\"*.txt\"")));
    w.call(array, "DIR", args.get());
    EXPECT_EQ(CFile::getCurrentDirectory(), before);
    ASSERT_EQ(array->getSize(), 3);
    EXPECT_EQ(test::text(array->get(0)), "kept");
    std::set<std::string> listed = {test::text(array->get(1)), test::text(array->get(2))};
    EXPECT_EQ(listed, (std::set<std::string>{folder + "a.txt", folder + "b.txt"}));

    // A folder that does not exist lists nothing.
    Args missing({});
    missing.add(CMC_Variable::resolve(CXString(("\"" + dir.engine("nothing") + "\\\"").c_str())));
    missing.add(CMC_Variable::resolve(CXString("\"*.*\"")));
    w.call(array, "DIR", missing.get());
    EXPECT_EQ(array->getSize(), 3);
    EXPECT_EQ(CFile::getCurrentDirectory(), before);
}

TEST_F(ArrayRunnerTest, ScriptsDriveArraysThroughBehaviours) {
    test::TestScene* scene = w.world.loadScene("script.cnv", {
        "OBJECT=SIZE", "SIZE:TYPE=INTEGER", "SIZE:VALUE=0",
        "OBJECT=BEST", "BEST:TYPE=INTEGER", "BEST:VALUE=0",
        "OBJECT=LIST", "LIST:TYPE=ARRAY",
        "OBJECT=COPY", "COPY:TYPE=ARRAY",
        "OBJECT=STEP", "STEP:TYPE=INTEGER", "STEP:VALUE=0",
        "OBJECT=GO", "GO:TYPE=BEHAVIOUR",
        "GO:CODE={ LIST^FILL(3, 2); LIST^ADDAT(1, 5); LIST^INSERTAT(0, 9); LIST^COPYTO(\"COPY\"); "
        "COPY^SORT(FALSE); SIZE^SET(LIST^GETSIZE()); BEST^SET(COPY^MAX()); STEP^SET(LIST^NEXT(2)); "
        "STEP^ADD(LIST^PREV()); }",
    });
    ASSERT_NE(scene, nullptr);
    test::runBehaviour(scene, "GO");
    auto* list = dynamic_cast<CMC_Array*>(scene->getObject("LIST"));
    auto* copy = dynamic_cast<CMC_Array*>(scene->getObject("COPY"));
    ASSERT_NE(list, nullptr);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(text(list), "9,2,7,2");
    EXPECT_EQ(text(copy), "9,7,2,2");
    EXPECT_EQ(test::intValue(scene, "SIZE"), 4);
    EXPECT_EQ(test::intValue(scene, "BEST"), 9);
    // NEXT(2) from -1 lands on index 1 (2), PREV on index 0 (9); the copies were
    // used as arguments and are freed once, by the trash.
    EXPECT_EQ(test::intValue(scene, "STEP"), 11);
    w.world.frames(2);
    EXPECT_EQ(CMC_Behaviour::trashCount(), 0);
}

}  // namespace
