#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/DebugOutput.h"
#include "script/CMC_Integer.h"
#include "script/CMC_Rand_Runner.h"
#include "script/CMC_TypeTable.h"
#include "script/CMC_VariableFactory.h"
#include "tests/script/RunnerTestSupport.h"

namespace {

using test::Args;
using test::RunnerWorld;

std::vector<int> g_items;

// An ARRAY stand-in: an object of the ARRAY type id whose adder records the values,
// with the real adder put back afterwards.
class RandomRunnerTest : public ::testing::Test {
protected:
    RandomRunnerTest() : saved(CMC_TypeTable::getAdder(CMC_TypeTable::kArrayType)) {
        g_items.clear();
        CMC_TypeTable::registerAdder(CMC_TypeTable::kArrayType, [](CMC_Object*, CMC_Object* item) {
            g_items.push_back(static_cast<CMC_Integer*>(item)->getValue());
        });
        random = new CMC_Object(CXString("RANDOM"), 102);
        w.scene.addObject(random);
        w.scene.addObject(new CMC_Object(CXString("LIST"), CMC_TypeTable::kArrayType));
        w.scene.addObject(new CMC_Integer(CXString("NOTLIST")));
    }
    ~RandomRunnerTest() override { CMC_TypeTable::registerAdder(CMC_TypeTable::kArrayType, saved); }

    int get(Args& args) {
        CMC_Variable* v = w.call(random, "GET", args.get());
        return v ? static_cast<CMC_Integer*>(v)->getValue() : -999;
    }

    RunnerWorld w;
    CMC_TypeTable::Adder saved;
    CMC_Object* random;
};

TEST_F(RandomRunnerTest, GetDrawsFromACountOfValues) {
    ASSERT_NE(dynamic_cast<CMC_Rand_Runner*>(CMC_RunnerFactory::getRunner(102)), nullptr);
    EXPECT_EQ(test::text(w.call(random, "GET")), "0");
    Args zero{"0"}, one{"1"}, noSpan{"7", "0"}, negSpan{"7", "-3"};
    EXPECT_EQ(get(zero), 0);
    EXPECT_EQ(get(one), 0);
    EXPECT_EQ(get(noSpan), 7);
    EXPECT_EQ(get(negSpan), 7);
    std::vector<int> seen;
    for (int i = 0; i < 300; ++i) {
        Args a{"10", "5"}, b{"-5", "3"}, c{"4"};
        const int v = get(a);
        EXPECT_GE(v, 10);
        EXPECT_LE(v, 14);
        const int u = get(b);
        EXPECT_GE(u, -5);
        EXPECT_LE(u, -3);
        const int t = get(c);
        EXPECT_GE(t, 0);
        EXPECT_LE(t, 3);
        seen.push_back(v);
        CMC_VariableFactory::clearPool();
    }
    std::sort(seen.begin(), seen.end());
    seen.erase(std::unique(seen.begin(), seen.end()), seen.end());
    EXPECT_GT(seen.size(), 1u);
    // Common methods still reach the base.
    EXPECT_EQ(test::text(w.call(random, "GETNAME")), "RANDOM");
}

TEST_F(RandomRunnerTest, GetPlentyAppendsNumbersToTheArray) {
    Args some{"\"LIST\"", "20", "100", "5", "FALSE"};
    w.call(random, "GETPLENTY", some.get());
    ASSERT_EQ(g_items.size(), 20u);
    for (int v : g_items) {
        EXPECT_GE(v, 100);
        EXPECT_LE(v, 104);
    }
    // Distinct with count equal to the span: a permutation, appended after the first lot.
    Args perm{"\"LIST\"", "6", "-2", "6", "TRUE"};
    w.call(random, "GETPLENTY", perm.get());
    ASSERT_EQ(g_items.size(), 26u);
    std::vector<int> tail(g_items.begin() + 20, g_items.end());
    std::sort(tail.begin(), tail.end());
    EXPECT_EQ(tail, (std::vector<int>{-2, -1, 0, 1, 2, 3}));
}

TEST_F(RandomRunnerTest, GetPlentyEdgeCasesAddNothingOrCap) {
    struct Case {
        std::vector<const char*> args;
        size_t added;
    } cases[] = {
        {{"\"LIST\"", "0", "1", "5", "FALSE"}, 0},
        {{"\"LIST\"", "-4", "1", "5", "FALSE"}, 0},
        {{"\"LIST\"", "9", "1", "4", "TRUE"}, 4},  // more distinct than the span: capped
        {{"\"LIST\"", "3", "1", "0", "TRUE"}, 0},
        {{"\"LIST\"", "3", "8", "0", "FALSE"}, 3},  // no span: the first number each time
        {{"\"NOBODY\"", "3", "1", "5", "FALSE"}, 0},
        {{"\"NOTLIST\"", "3", "1", "5", "FALSE"}, 0},
        {{"\"LIST\"", "3", "1", "5"}, 0},  // an argument missing
    };
    for (const Case& c : cases) {
        g_items.clear();
        Args args{};
        for (const char* a : c.args) args.add(CMC_Variable::resolve(CXString(a)));
        w.call(random, "GETPLENTY", args.get());
        EXPECT_EQ(g_items.size(), c.added) << c.args[1] << " " << c.args[3];
    }
    g_items.clear();
    Args noSpan{"\"LIST\"", "3", "8", "0", "FALSE"};
    w.call(random, "GETPLENTY", noSpan.get());
    EXPECT_EQ(g_items, (std::vector<int>{8, 8, 8}));
}

TEST_F(RandomRunnerTest, GetPlentyAboveTheLimitReportsAndAddsNothing) {
    platform::CapturedDebugOutput debug;
    platform::ScopedDebugOutput scoped(debug);
    Args tooMany{"\"LIST\"", "10001", "0", "20000", "FALSE"};
    w.call(random, "GETPLENTY", tooMany.get());
    EXPECT_TRUE(g_items.empty());
    EXPECT_EQ(debug.lines, (std::vector<std::string>{"Arguments error: Random::getPlenty( )\n"}));
    Args limit{"\"LIST\"", "10000", "0", "3", "FALSE"};
    w.call(random, "GETPLENTY", limit.get());
    EXPECT_EQ(g_items.size(), 10000u);
}

}  // namespace
