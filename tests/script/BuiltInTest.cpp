// The built-in "@" statements: branches and loops with their control codes, RETURN
// and RUN, local variables, conversion, timed runs, CREATE and the queries.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/CXVector.h"
#include "script/CMC_Bool.h"
#include "script/CMC_Double.h"
#include "script/CMC_Dummy_Runner.h"
#include "script/CMC_Integer.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_StepBudget.h"
#include "script/CMC_String.h"
#include "script/CMC_VariableFactory.h"
#include "support/ScriptTestSupport.h"

namespace {

using test::append;
using test::Lines;
using test::object;

Lines integers(std::initializer_list<const char*> names) {
    Lines lines;
    for (const char* name : names) append(lines, object(name, "INTEGER", {"VALUE=0"}));
    return lines;
}

Lines behaviour(const std::string& name, const std::string& code) { return object(name, "BEHAVIOUR", {"CODE=" + code}); }

// An object as CREATE makes it: empty, of a media type id; counts its inits.
struct Blank : CMC_Object {
    explicit Blank(CMC_ObjectsContainer*) : CMC_Object(CXString(), 2000) {}
    void init() override { ++inits; }
    static inline int inits = 0;
};

class BuiltInTest : public ::testing::Test {
protected:
    void load(const Lines& extra) {
        Lines lines = integers({"N", "M", "R", "K", "AFTER", "D", "X"});
        append(lines, object("V", "INTEGER", {"VALUE=5"}));
        append(lines, object("T", "STRING", {"VALUE=10"}));
        append(lines, object("S", "STRING"));
        append(lines, extra);
        scene = world.loadScene("game.cnv", lines);
        ASSERT_NE(scene, nullptr);
    }
    int value(const char* name) { return test::intValue(scene, name); }
    void set(const char* name, int v) { dynamic_cast<CMC_Integer*>(scene->getObject(name))->setValue(v); }

    test::ScriptWorld world;
    test::TestScene* scene = nullptr;
};

TEST_F(BuiltInTest, NameTableHoldsOnlyTheBuiltIns) {
    auto* runner = dynamic_cast<CMC_Dummy_Runner*>(CMC_RunnerFactory::getRunner(0));
    ASSERT_NE(runner, nullptr);
    const struct {
        const char* name;
        int id;
    } names[] = {{"IF", 1},     {"WHILE", 2},  {"RETURN", 3},       {"BREAK", 4},   {"CONV", 5},
                 {"MSGBOX", 6}, {"BOOL", 7},   {"DOUBLE", 8},       {"INT", 9},     {"STRING", 10},
                 {"LOOP", 11},  {"VALUE", 12}, {"RUNONTIMER", 13},  {"CREATE", 14}, {"GETAPPLICATIONNAME", 15},
                 {"GETCURRENTSCENE", 16},      {"ONEBREAK", 17},    {"CONTINUE", 18}, {"FOR", 19},
                 {"SEND", -1},  {"GETNAME", -1}, {"if", -1},        {"INTEGER", -1}};
    for (const auto& n : names) EXPECT_EQ(runner->resolveMethod(CXString(n.name)), n.id) << n.name;
    EXPECT_EQ(runner->run(20, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(runner->run(CXString("SEND"), nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(CMC_Behaviour::controlCode(runner->run(CXString("CONTINUE"), nullptr, nullptr, nullptr)),
              CMC_Behaviour::kContinue);
}

// Each row runs a loop whose body holds one exit statement; the counter
// conditions hold on the third pass (counter 2).
TEST_F(BuiltInTest, ControlCodesInLoopAndFor) {
    Lines extra = object("AT2_I", "CONDITION", {"OPERAND1=_I_", "OPERATOR=EQUAL", "OPERAND2=2"});
    append(extra, object("AT2_K", "CONDITION", {"OPERAND1=K", "OPERATOR=EQUAL", "OPERAND2=2"}));
    load(extra);
    const struct {
        const char* exit;  // %C stands for the condition on the loop's counter
        int n, m;          // passes begun, passes completed
        bool endsCaller;
    } rows[] = {
        {"@BREAK()", 1, 0, true},          {"@ONEBREAK()", 5, 0, false},     {"@CONTINUE()", 5, 0, false},
        {"%C^BREAK()", 3, 2, true},        {"%C^ONE_BREAK()", 5, 4, false},  {"@IF(%C^CHECK()'TRUE,{@BREAK();},{})", 3, 2, true},
        {"@IF(%C^CHECK()'TRUE,{@ONEBREAK();},{})", 5, 5, false},
    };
    for (const auto& row : rows) {
        for (const bool isFor : {false, true}) {
            std::string exit = row.exit;
            const size_t at = exit.find("%C");
            if (at != std::string::npos) exit.replace(at, 2, isFor ? "AT2_K" : "AT2_I");
            // A text holding "^" is passed quoted so that it arrives as text.
            if (exit.rfind("@IF", 0) == 0) {
                const size_t open = exit.find('(') + 1;
                const size_t comma = exit.find(',');
                exit = exit.substr(0, open) + "\"" + exit.substr(open, comma - open) + "\"" + exit.substr(comma);
            }
            const std::string body = "{N^INC();" + exit + ";M^INC();}";
            const std::string loop = isFor ? "@FOR(K," + body + ",0,5,1)" : "@LOOP(" + body + ",0,5,1)";
            set("N", 0);
            set("M", 0);
            set("AFTER", 0);
            const bool result = test::runCode(scene, ("{" + loop + ";AFTER^SET(1);}").c_str());
            EXPECT_EQ(value("N"), row.n) << loop;
            EXPECT_EQ(value("M"), row.m) << loop;
            EXPECT_EQ(result, row.endsCaller) << loop;
            EXPECT_EQ(value("AFTER"), row.endsCaller ? 0 : 1) << loop;
        }
    }
    EXPECT_FALSE(test::hasObject(scene, "_I_"));
    EXPECT_EQ(value("K"), 4);  // FOR leaves its counter at the last value set
}

TEST_F(BuiltInTest, LoopCountersNestAndCountBothWays) {
    load({});
    // The inner loop's "_I_" hides the outer one, which comes back afterwards.
    test::runCode(scene, "{@LOOP({@LOOP({N^ADD(_I_);},10,2,1);M^ADD(_I_);},0,3,1);}");
    EXPECT_EQ(value("N"), 3 * (10 + 11));
    EXPECT_EQ(value("M"), 0 + 1 + 2);
    EXPECT_FALSE(test::hasObject(scene, "_I_"));

    const struct {
        const char* loop;
        const char* visited;
    } rows[] = {
        {"@LOOP({S^SET([S+_I_]);},5,-3,-1)", "543"},
        {"@LOOP({S^SET([S+_I_]);},0,0,1)", ""},
        {"@LOOP({S^SET([S+_I_]);},0,7,3)", "036"},
        {"@FOR(K,{S^SET([S+K]);},2,3,1)", "234"},
        // A step of 0 repeats until the body breaks.
        {"@LOOP({S^SET([S+_I_]);R^INC();@IF(R'3,{@BREAK();},{});},1,5,0)", "111"},
    };
    for (const auto& row : rows) {
        dynamic_cast<CMC_String*>(scene->getObject("S"))->setValue(CXString());
        set("R", 0);
        test::runCode(scene, (std::string("{") + row.loop + ";}").c_str());
        EXPECT_EQ(test::textValue(scene, "S"), row.visited) << row.loop;
    }
}

TEST_F(BuiltInTest, IfRunsTheBranchThatHolds) {
    Lines extra = behaviour("BUMP", "{N^INC();@RETURN(1);}");
    append(extra, behaviour("YES", "{R^SET(1);}"));
    append(extra, behaviour("NO", "{R^SET(2);}"));
    load(extra);
    const struct {
        const char* statement;
        int r;  // 0: no branch ran
        int bumps;
    } rows[] = {
        {"@IF(V,_,5,YES,NO)", 1, 0},
        {"@IF(V,!_,5,YES,NO)", 2, 0},
        {"@IF(V,!_,5,YES)", 0, 0},        // four arguments, failing: nothing runs
        {"@IF(T,>,9,YES,NO)", 1, 0},      // T's text 10 is read again as the number 10
        {"@IF(V,=,5,YES,NO)", 1, 0},      // "=" is no operator word: equality
        {"@IF(V'5,YES,NO)", 1, 0},
        {"@IF(V>'6,YES,NO)", 2, 0},
        {"@IF(\"V'4&&BUMP^RUN()'1\",YES,NO)", 2, 0},  // short-circuit: BUMP never runs
        {"@IF(\"V'5&&BUMP^RUN()'1\",YES,NO)", 1, 1},
        {"@IF(\"V'5||BUMP^RUN()'1\",YES,NO)", 1, 0},
        {"@IF(V'5,\"R^SET(3);\",NO)", 3, 0},  // a branch that names nothing is code
        {"@IF(V'5,,NO)", 2, 0},  // an empty argument takes no slot: NO is the then-branch
    };
    for (const auto& row : rows) {
        set("R", 0);
        set("N", 0);
        test::runCode(scene, (std::string("{") + row.statement + ";}").c_str());
        EXPECT_EQ(value("R"), row.r) << row.statement;
        EXPECT_EQ(value("N"), row.bumps) << row.statement;
    }
    EXPECT_FALSE(test::hasObject(scene, "temp"));  // branches made from text are gone
}

TEST_F(BuiltInTest, BreakInABranchEndsTheCallerOneBreakOnlyTheBranch) {
    load({});
    EXPECT_TRUE(test::runCode(scene, "{@IF(V'5,{@BREAK();N^INC();},{});AFTER^INC();}"));
    EXPECT_EQ(value("N"), 0);
    EXPECT_EQ(value("AFTER"), 0);
    EXPECT_FALSE(test::runCode(scene, "{@IF(V'5,{@ONEBREAK();N^INC();},{});AFTER^INC();}"));
    EXPECT_EQ(value("N"), 0);
    EXPECT_EQ(value("AFTER"), 1);
}

TEST_F(BuiltInTest, WhileReevaluatesNamedOperandsEachPass) {
    load({});
    // A quoted name arrives as text and is evaluated again before every pass; a
    // BREAK in the body ends only that pass.
    test::runCode(scene, "{@WHILE(\"N\",<,5,{N^INC();@BREAK();M^INC();});}");
    EXPECT_EQ(value("N"), 5);
    EXPECT_EQ(value("M"), 0);
    // An argument that is a variable passes its value once: a false start runs nothing.
    test::runCode(scene, "{@WHILE(N,<,5,{M^INC();});}");
    EXPECT_EQ(value("M"), 0);
}

// A step budget ends code that never ends, whichever loop spins (an empty body
// included); without one, the same loops run to their end.
TEST_F(BuiltInTest, StepBudgetEndsEndlessLoops) {
    Lines extra = behaviour("NOP", "{}");
    append(extra, behaviour("TICK", "{N^INC();}"));
    load(extra);
    struct Unlimited {
        ~Unlimited() { CMC_StepBudget::set(CMC_StepBudget::kUnlimited); }
    } restore;
    const char* endless[] = {
        "{@WHILE(1,<,5,{N^INC();});}", "{@WHILE(1,<,5,NOP);}",          "{@LOOP({N^INC();},0,1,0);}",
        "{@LOOP(NOP,0,1,0);}",         "{@FOR(K,TICK,0,5,0);}",         "{NOP^RUNLOOPED(0,2000000000);}",
        "{TICK^RUNLOOPED(0,2000000000);N^INC();}",
    };
    for (const char* code : endless) {
        set("N", 0);
        CMC_StepBudget::set(100);
        test::runCode(scene, code);
        EXPECT_TRUE(CMC_StepBudget::exhausted()) << code;
        EXPECT_LE(value("N"), 100) << code;
    }
    // Once used up, nothing more runs until a new budget is set.
    test::runCode(scene, "{N^SET(7);}");
    EXPECT_NE(value("N"), 7);
    CMC_StepBudget::set(CMC_StepBudget::kUnlimited);
    set("N", 0);
    test::runCode(scene, "{@LOOP(TICK,0,300,1);TICK^RUNLOOPED(0,300);@WHILE(\"N\",<,900,TICK);}");
    EXPECT_EQ(value("N"), 900);
}

TEST_F(BuiltInTest, ReturnPassesResultsThroughRun) {
    Lines extra = behaviour("TWICE", "{@RETURN([$1*2]);@RETURN([$1*3]);N^INC();}");
    append(extra, behaviour("STOP", "{@RETURN(7);@BREAK();}"));
    load(extra);
    test::runCode(scene, "{R^SET(TWICE^RUN(21));}");
    EXPECT_EQ(value("R"), 63);  // the second RETURN wins; RETURN does not stop
    EXPECT_EQ(value("N"), 1);
    auto* ret = dynamic_cast<CMC_String*>(scene->getObject("__RETURN__"));
    ASSERT_NE(ret, nullptr);
    EXPECT_EQ(ret->getValue(), CXString("63"));
    int returns = 0;
    for (int i = 0; i < scene->getElementsNo(); ++i) returns += scene->getObject(i)->getName() == "__RETURN__";
    EXPECT_EQ(returns, 1);
    // A called behaviour that breaks ends its caller too.
    EXPECT_TRUE(test::runCode(scene, "{STOP^RUN();R^SET(0);}"));
    EXPECT_EQ(value("R"), 63);
}

TEST_F(BuiltInTest, LocalVariablesLiveForOneRun) {
    load({});
    test::runCode(scene,
                  "{@INT(L,5);@STRING(LS,\"ab\");@BOOL(LB,TRUE);@DOUBLE(LD,2.5);@INT(\"V\",99);"
                  "R^SET([L*2]);S^SET([LS+L+LB]);X^SET([LD*2]);N^SET(V);}");
    EXPECT_EQ(value("R"), 10);
    EXPECT_EQ(test::textValue(scene, "S"), "ab5TRUE");
    EXPECT_EQ(value("X"), 5);
    EXPECT_EQ(value("N"), 5);  // an existing name is neither changed nor shadowed
    for (const char* name : {"L", "LS", "LB", "LD"}) EXPECT_FALSE(test::hasObject(scene, name)) << name;
    EXPECT_EQ(value("V"), 5);
}

TEST_F(BuiltInTest, ConvAndValue) {
    load({});
    CMC_Runner* runner = CMC_RunnerFactory::getRunner(0);
    const struct {
        const char* literal;
        const char* word;
        int type;  // 0: no value
        const char* text;
    } rows[] = {
        {"5", "STRING", CMC_Variable::kString, "5"},   {"\"12\"", "INTEGER", CMC_Variable::kInteger, "12"},
        {"1", "BOOL", CMC_Variable::kBool, "TRUE"},     {"2.5", "DOUBLE", CMC_Variable::kDouble, "2.50000"},
        {"5", "INT", 0, ""},                             {"5", "string", 0, ""},
    };
    for (const auto& row : rows) {
        CXVector arguments;
        arguments.add(static_cast<CXObject*>(CMC_Variable::resolve(CXString(row.literal))));
        arguments.add(static_cast<CXObject*>(CMC_Variable::resolve(CXString("\"") + row.word)));
        CMC_Variable* result = runner->run(CXString("CONV"), nullptr, scene, &arguments);
        if (row.type == 0) {
            EXPECT_EQ(result, nullptr) << row.word;
            continue;
        }
        ASSERT_NE(result, nullptr) << row.word;
        EXPECT_EQ(result->getType(), row.type) << row.word;
        EXPECT_TRUE(result->isPooled());
        EXPECT_EQ(test::valueText(result), row.text) << row.word;
    }

    CXVector name;
    name.add(static_cast<CXObject*>(CMC_Variable::resolve(CXString("\"V"))));
    EXPECT_EQ(reinterpret_cast<CMC_Object*>(runner->run(CXString("VALUE"), nullptr, scene, &name)),
              scene->getObject("V"));
    name.setAt(0, static_cast<CXObject*>(CMC_Variable::resolve(CXString("\"NOTHING"))));
    EXPECT_EQ(runner->run(CXString("VALUE"), nullptr, scene, &name), nullptr);
}

TEST_F(BuiltInTest, SceneAndApplicationNames) {
    test::TestScene application("GAME", world.window(), CMC_ObjectsContainer::kApplication);
    test::TestScene episode("EPISODE1", world.window(), CMC_ObjectsContainer::kEpisode);
    test::TestScene room("ROOM", world.window(), CMC_ObjectsContainer::kScene);
    episode.setLookupParent(&application);
    room.setLookupParent(&episode);
    room.setScene(&room);  // a scene is its own scene
    episode.setScene(&room);
    CMC_Runner* runner = CMC_RunnerFactory::getRunner(0);
    EXPECT_EQ(test::valueText(runner->run(CXString("GETAPPLICATIONNAME"), nullptr, &room, nullptr)), "GAME");
    EXPECT_EQ(test::valueText(runner->run(CXString("GETCURRENTSCENE"), nullptr, &room, nullptr)), "ROOM");
    EXPECT_EQ(test::valueText(runner->run(CXString("GETCURRENTSCENE"), nullptr, &episode, nullptr)), "ROOM");
    test::TestScene lone("LONE");
    EXPECT_EQ(test::valueText(runner->run(CXString("GETAPPLICATIONNAME"), nullptr, &lone, nullptr)), "");
    EXPECT_EQ(test::valueText(runner->run(CXString("GETCURRENTSCENE"), nullptr, &lone, nullptr)), "");
}

TEST_F(BuiltInTest, RunOnTimerTicksThenRunsOnDone) {
    Lines extra = behaviour("TICK", "{N^ADD(&1);@IF(V'5&&V'5,{M^INC();},{});}");
    append(extra, behaviour("DONE", "{D^INC();}"));
    append(extra, behaviour("GO", "{S^SET(@RUNONTIMER(100,3,TICK,DONE));}"));
    load(extra);
    test::runBehaviour(scene, "GO");
    const std::string name = test::textValue(scene, "S");
    EXPECT_EQ(name.rfind("timer_", 0), 0u) << name;
    EXPECT_TRUE(test::hasObject(scene, name.c_str()));
    world.frames(2, 60);  // 120 ms: one tick
    EXPECT_EQ(value("N"), 1);
    world.frames(8, 60);
    EXPECT_EQ(value("N"), 1 + 2 + 3);  // "$1" is the tick number
    EXPECT_EQ(value("M"), 3);          // "&&" is left alone
    EXPECT_EQ(value("D"), 1);
    EXPECT_FALSE(test::hasObject(scene, name.c_str()));
}

TEST_F(BuiltInTest, RunOnTimerWithCodeArgumentsAndBreak) {
    Lines extra = behaviour("UNTIL3", "{R^INC();@IF(R'3,{@BREAK();},{});}");
    load(extra);
    // Code in place of a behaviour, further arguments from "$2" on, no on-done.
    test::runCode(scene, "{@RUNONTIMER(50,2,{X^ADD(&2);},\"\",7);}");
    // No limit: the run ends at the first BREAK; the on-done is made from text.
    test::runCode(scene, "{@RUNONTIMER(50,0,UNTIL3,\"D^INC();\");}");
    world.frames(20, 50);
    EXPECT_EQ(value("X"), 14);
    EXPECT_EQ(value("R"), 3);
    EXPECT_EQ(value("D"), 1);
}

TEST_F(BuiltInTest, TimedCodeMadeInALoopDoesNotKeepItsCounter) {
    load({});
    // The timed behaviour is parsed while "_I_" exists and ticks after it is gone:
    // it looks the name up when it runs instead of holding the old counter.
    test::runCode(scene, "{@LOOP({@RUNONTIMER(50,1,\"N^ADD(_I_);\",\"\");},7,1,1);}");
    EXPECT_FALSE(test::hasObject(scene, "_I_"));
    world.frames(3, 50);
    EXPECT_EQ(value("N"), 0);  // "_I_" now reads as a literal text
}

TEST_F(BuiltInTest, TimerCodeTurnsOnlyParameterAmpersands) {
    const struct {
        const char* code;
        const char* expected;
    } rows[] = {{"A^ADD(&1);", "A^ADD($1);"}, {"@IF(A'1&&B'2,X,Y);", "@IF(A'1&&B'2,X,Y);"},
                {"&9&0&&1&", "$9&0&$1&"},     {"", ""}};
    for (const auto& row : rows)
        EXPECT_EQ(CMC_Dummy_Runner::timerCode(CXString(row.code)), CXString(row.expected)) << row.code;
}

TEST_F(BuiltInTest, CreateMakesAnEmptyObjectOfARegisteredKind) {
    load(behaviour("MAKE", "{@CREATE(\"ANIMO\",\"V\");@CREATE(\"WIDGET\",\"W\");}"));
    const CMC_Dummy_Runner::Creator previous = CMC_Dummy_Runner::getCreator(CXString("ANIMO"));
    ASSERT_TRUE(CMC_Dummy_Runner::registerCreator(
        "ANIMO", [](CMC_ObjectsContainer* c) -> CMC_Object* { return new Blank(c); }));
    EXPECT_FALSE(CMC_Dummy_Runner::registerCreator("MOVIE", nullptr));

    test::runBehaviour(scene, "MAKE");
    CMC_Object* made = scene->getObject("V");
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->getType(), 2000);  // the INTEGER V was replaced
    EXPECT_EQ(made->getScene(), scene);
    EXPECT_EQ(Blank::inits, 0);
    EXPECT_FALSE(test::hasObject(scene, "W"));
    CMC_Dummy_Runner::registerCreator("ANIMO", previous);
}

TEST_F(BuiltInTest, ABodyNamedTempThatTheSceneOwnsIsNotDeleted) {
    load(behaviour("temp", "{R^INC();}"));
    test::runCode(scene, "{@LOOP(temp,0,2,1);@WHILE(\"R\",<,4,temp);}");
    EXPECT_EQ(value("R"), 4);
    ASSERT_TRUE(test::hasObject(scene, "temp"));
    test::runBehaviour(scene, "temp");
    EXPECT_EQ(value("R"), 5);
}

}  // namespace
