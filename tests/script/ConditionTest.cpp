// Text conditions (one comparison with an operator character, joined comparisons) and
// the condition objects CONDITION and COMPLEXCONDITION with their runner and events.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/CXArchive.h"
#include "script/CMC_BasicCondition_Runner.h"
#include "script/CMC_ComplexCondition.h"
#include "script/CMC_Condition.h"
#include "script/CMC_Integer.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMElement.h"
#include "support/ScriptTestSupport.h"

namespace {

using test::append;
using test::Lines;
using test::object;

// A condition object whose events count themselves in NAME_OK and NAME_FAIL.
Lines counted(const std::string& name, const std::string& type, const Lines& properties) {
    Lines lines = object(name + "_OK", "INTEGER", {"VALUE=0"});
    append(lines, object(name + "_FAIL", "INTEGER", {"VALUE=0"}));
    Lines all = properties;
    all.push_back("ONRUNTIMESUCCESS={" + name + "_OK^INC();}");
    all.push_back("ONRUNTIMEFAILED={" + name + "_FAIL^INC();}");
    append(lines, object(name, type, all));
    return lines;
}

Lines condition(const std::string& name, const char* op1, const char* op, const char* op2) {
    return counted(name, "CONDITION",
                   {std::string("OPERAND1=") + op1, std::string("OPERATOR=") + op, std::string("OPERAND2=") + op2});
}

Lines complex(const std::string& name, const char* c1, const char* op, const char* c2) {
    return counted(name, "COMPLEXCONDITION",
                   {std::string("CONDITION1=") + c1, std::string("OPERATOR=") + op, std::string("CONDITION2=") + c2});
}

class ConditionTest : public ::testing::Test {
protected:
    void load(const Lines& extra = {}) {
        Lines lines;
        append(lines, object("V", "INTEGER", {"VALUE=5"}));
        append(lines, object("S", "STRING", {"VALUE=5"}));
        append(lines, object("T", "STRING", {"VALUE=10"}));
        append(lines, object("Z", "STRING", {"VALUE=05"}));
        append(lines, object("CNT", "INTEGER", {"VALUE=0"}));
        append(lines, object("R", "INTEGER", {"VALUE=0"}));
        append(lines, object("B", "BEHAVIOUR", {"CODE={R^INC();}"}));
        append(lines, object("BUMP", "BEHAVIOUR", {"CODE={CNT^INC();@RETURN(1);}"}));
        append(lines, extra);
        scene = world.loadScene("cond.cnv", lines);
        ASSERT_NE(scene, nullptr);
    }
    // How often NAME raised its success and its failed event.
    std::pair<int, int> events(const std::string& name) {
        return {test::intValue(scene, (name + "_OK").c_str()), test::intValue(scene, (name + "_FAIL").c_str())};
    }
    CMC_BasicCondition* get(const char* name) { return dynamic_cast<CMC_BasicCondition*>(scene->getObject(name)); }
    void setV(int v) { dynamic_cast<CMC_Integer*>(scene->getObject("V"))->setValue(v); }

    test::ScriptWorld world;
    test::TestScene* scene = nullptr;
};

TEST_F(ConditionTest, OneComparisonWithOperatorCharacters) {
    load();
    const struct {
        const char* text;
        bool holds;
    } cases[] = {
        {"V'5", true},          {"V!'5", false},        {"V<'5", true},         {"V>'5", true},
        {"V<5", false},         {"V>5", false},         {"V<6", true},          {"V>4", true},
        {"S'5", true},          // a STRING left: the number is compared as text
        {"T>9", false},         // "10" and "9" as texts
        {"9<T", true},          // an INTEGER left: the text becomes a number
        {"V<'4", false},        {"V'[2+3]", true},      {"[V*2]'10", true},
        {"V'\"5\"", true},      {"B?BEHAVIOUR", true},  {"V?INTEGER", true},    {"V?ANIMO", false},
        {"X?ANIMO", false},     // no object X
        {"V", false},           // no operator character
        {"'5", false},          // an empty left text
        {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(CMC_Condition::validJoined(scene, CXString(c.text)), c.holds) << c.text;
}

TEST_F(ConditionTest, ApostropheFormsWinOverBareAngles) {
    load();
    // Split at the apostrophe: "V<S" (a text naming nothing) is compared with "5".
    EXPECT_FALSE(CMC_Condition::valid(scene, CXString("V<S'5")));
    EXPECT_TRUE(CMC_Condition::valid(scene, CXString("V<S'V<S")));
    // The operator words; "=" is none of them and compares for equality.
    const struct {
        const char* left;
        const char* word;
        const char* right;
        bool holds;
    } words[] = {
        {"V", "_", "5", true},  {"V", "!_", "5", false}, {"V", "<>", "4", true}, {"V", "<", "5", false},
        {"V", "<_", "5", true}, {"V", ">", "4", true},   {"V", ">_", "6", false}, {"V", "=", "5", true},
        {"V", "=", "6", false}, {"B", "?", "BEHAVIOUR", true},
    };
    for (const auto& w : words)
        EXPECT_EQ(CMC_Condition::valid(scene, CXString(w.left), CXString(w.right), CXString(w.word)), w.holds)
            << w.left << w.word << w.right;
}

TEST_F(ConditionTest, JoinedComparisonsStopOnceTheResultIsKnown) {
    load();
    const struct {
        const char* text;
        bool holds;
        int calls;  // how often the operand BUMP^RUN() ran
    } cases[] = {
        {"V'5&&S'5", true, 0},
        {"V'5&&S'4", false, 0},
        {"V'4&&BUMP^RUN()'1", false, 0},
        {"V'5&&BUMP^RUN()'1", true, 1},
        {"V'5||BUMP^RUN()'1", true, 0},
        {"V'4||BUMP^RUN()'1", true, 1},
        {"V'4||S'4||T'10", true, 0},
        {"V'5&&", false, 0},  // an empty last part holds no comparison
        // Mixed joiners: split at "&&" only, parts evaluated until one holds; a part
        // that still holds "||" runs its right text on over the "||".
        {"V'5&&S'4||T'10", true, 0},
        {"V'4&&V'5||9", true, 0},
        {"V'4&&V'6||5", false, 0},
    };
    for (const auto& c : cases) {
        dynamic_cast<CMC_Integer*>(scene->getObject("CNT"))->setValue(0);
        EXPECT_EQ(CMC_Condition::validJoined(scene, CXString(c.text)), c.holds) << c.text;
        EXPECT_EQ(test::intValue(scene, "CNT"), c.calls) << c.text;
    }
}

TEST_F(ConditionTest, ConditionObjectComparesAndRaisesItsEvents) {
    Lines extra = condition("LT10", "V", "LESS", "10");
    append(extra, condition("STRLEFT", "Z", "EQUAL", "5"));    // "05" against "5" as texts
    append(extra, condition("INTLEFT", "5", "EQUAL", "Z"));    // 5 against 5 (from "05")
    append(extra, condition("ODDWORD", "V", "SAME", "5"));     // an unknown word: equality
    append(extra, condition("ISINT", "V", "INSTANCEOF", "INTEGER"));
    append(extra, condition("ISBEH", "B", "INSTANCEOF", "BEHAVIOUR"));
    append(extra, condition("EXPR", "[V*2]", "GREATEREQUAL", "[5+5]"));
    load(extra);

    CMC_BasicCondition* lt10 = get("LT10");
    ASSERT_NE(lt10, nullptr);
    EXPECT_TRUE(lt10->valid(true));
    EXPECT_TRUE(lt10->valid(true));
    EXPECT_TRUE(lt10->valid(false));
    EXPECT_EQ(events("LT10"), std::make_pair(2, 0));
    setV(12);
    EXPECT_FALSE(lt10->valid(true));
    EXPECT_EQ(events("LT10"), std::make_pair(2, 1));
    setV(5);

    EXPECT_FALSE(get("STRLEFT")->valid(true));
    EXPECT_TRUE(get("INTLEFT")->valid(true));
    EXPECT_TRUE(get("ODDWORD")->valid(true));
    EXPECT_EQ(dynamic_cast<CMC_Condition*>(get("ODDWORD"))->getOperatorCode(), CMC_Condition::kEqual);
    EXPECT_TRUE(get("ISINT")->valid(true));
    EXPECT_TRUE(get("ISBEH")->valid(true));
    EXPECT_TRUE(get("EXPR")->valid(true));
    EXPECT_EQ(events("STRLEFT"), std::make_pair(0, 1));
}

TEST_F(ConditionTest, ConditionWithoutOperandStatementsIsFalse) {
    load();
    std::unique_ptr<CMElement> element(
        test::makeElement("C", {{"OPERAND1", "1"}, {"OPERATOR", "EQUAL"}, {"OPERAND2", "1"}}));
    CMC_Condition condition(scene, element.get());
    EXPECT_FALSE(condition.valid(false));  // before init
    condition.init();
    EXPECT_TRUE(condition.valid(false));
    condition.done(false);
    EXPECT_FALSE(condition.valid(false));
    condition.init();  // again after done
    EXPECT_TRUE(condition.valid(false));
}

TEST_F(ConditionTest, ComplexConditionsShortCircuitAndNest) {
    Lines extra = condition("YES", "V", "EQUAL", "5");
    append(extra, condition("NO", "V", "EQUAL", "6"));
    append(extra, complex("AND_NO_YES", "NO", "AND", "YES"));
    append(extra, complex("OR_YES_NO", "YES", "OR", "NO"));
    append(extra, complex("OR_NO_YES", "NO", "OR", "YES"));
    append(extra, complex("MISSING", "YES", "AND", "NOPE"));
    append(extra, complex("NESTED", "OR_NO_YES", "AND", "YES"));
    append(extra, complex("CYCLE", "CYCLE", "OR", "YES"));
    append(extra, complex("ODDOP", "YES", "XOR", "NO"));  // unknown word keeps AND
    load(extra);

    EXPECT_FALSE(get("AND_NO_YES")->valid(true));
    EXPECT_EQ(events("NO"), std::make_pair(0, 1));
    EXPECT_EQ(events("YES"), std::make_pair(0, 0));  // never asked
    EXPECT_EQ(events("AND_NO_YES"), std::make_pair(0, 1));

    EXPECT_TRUE(get("OR_YES_NO")->valid(true));
    EXPECT_EQ(events("NO"), std::make_pair(0, 1));  // not asked this time
    EXPECT_TRUE(get("OR_NO_YES")->valid(false));     // inner events run all the same
    EXPECT_EQ(events("NO"), std::make_pair(0, 2));
    EXPECT_EQ(events("OR_NO_YES"), std::make_pair(0, 0));

    // A condition that names nothing is false without events, and asks nothing.
    const std::pair<int, int> yes = events("YES");
    EXPECT_FALSE(get("MISSING")->valid(true));
    EXPECT_EQ(events("MISSING"), std::make_pair(0, 0));
    EXPECT_EQ(events("YES"), yes);

    EXPECT_TRUE(get("NESTED")->valid(true));
    EXPECT_EQ(events("OR_NO_YES"), std::make_pair(1, 0));

    // Leading back to itself ends: the inner ask counts as missing.
    EXPECT_TRUE(get("CYCLE")->valid(true));
    EXPECT_FALSE(get("ODDOP")->valid(true));
}

TEST_F(ConditionTest, RunnerMethodsAnswerAndBreak) {
    Lines extra = condition("YES", "V", "EQUAL", "5");
    append(extra, condition("NO", "V", "EQUAL", "6"));
    append(extra, object("CHK", "BEHAVIOUR", {"CODE={R^SET(YES^CHECK(FALSE));R^ADD(NO^CHECK());}"}));
    append(extra, object("BRK", "BEHAVIOUR", {"CODE={NO^BREAK();YES^BREAK();R^SET(99);}"}));
    append(extra, object("ONE", "BEHAVIOUR", {"CODE={YES^ONE_BREAK();R^SET(99);}"}));
    append(extra, object("GUARDED", "BEHAVIOUR", {"CODE={R^SET(7);}", "CONDITION=NO"}));
    load(extra);

    EXPECT_FALSE(test::runBehaviour(scene, "CHK"));
    EXPECT_EQ(test::intValue(scene, "R"), 1);  // TRUE + FALSE
    EXPECT_EQ(events("YES"), std::make_pair(0, 0));  // CHECK(FALSE) raises nothing
    EXPECT_EQ(events("NO"), std::make_pair(0, 1));

    EXPECT_TRUE(test::runBehaviour(scene, "BRK"));  // ended by BREAK
    EXPECT_EQ(test::intValue(scene, "R"), 1);
    EXPECT_FALSE(test::runBehaviour(scene, "ONE"));  // ended, but not by BREAK
    EXPECT_EQ(test::intValue(scene, "R"), 1);

    // A behaviour guarded by a condition runs only while it holds.
    EXPECT_FALSE(test::runBehaviour(scene, "GUARDED", {}, true));
    EXPECT_EQ(test::intValue(scene, "R"), 1);
    setV(6);
    test::runBehaviour(scene, "GUARDED", {}, true);
    EXPECT_EQ(test::intValue(scene, "R"), 7);

    CMC_Runner* runner = CMC_RunnerFactory::getRunner(CMC_Condition::kType);
    ASSERT_NE(runner, nullptr);
    EXPECT_EQ(runner, CMC_RunnerFactory::getRunner(CMC_ComplexCondition::kType));
    EXPECT_EQ(runner->resolveMethod(CXString("ONE_BREAK")), CMC_BasicCondition_Runner::kOneBreak);
    EXPECT_EQ(runner->resolveMethod(CXString("SEND")), CMC_Runner::kSend);
}

TEST_F(ConditionTest, SerializedConditionsReadBack) {
    Lines extra = condition("C", "V", "GREATER", "3");
    append(extra, complex("CC", "C", "OR", "C"));
    load(extra);
    const std::string bytes = test::archiveBytes([&](CXArchive& a) {
        get("C")->serialize(&a);
        get("CC")->serialize(&a);
    });
    CMC_Condition condition(scene);
    CMC_ComplexCondition complexCondition(scene);
    test::readArchive(bytes, [&](CXArchive& a) {
        condition.serialize(&a);
        complexCondition.serialize(&a);
    });
    EXPECT_EQ(condition.getName(), CXString("C"));
    EXPECT_EQ(condition.getOperand1(), CXString("V"));
    EXPECT_EQ(condition.getOperand2(), CXString("3"));
    EXPECT_EQ(condition.getOperatorCode(), CMC_Condition::kGreater);
    EXPECT_EQ(complexCondition.getCondition2(), CXString("C"));
    EXPECT_EQ(complexCondition.getOperatorCode(), CMC_ComplexCondition::kOr);
    condition.init();
    EXPECT_TRUE(condition.valid(false));
}

}  // namespace
