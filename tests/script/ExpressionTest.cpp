// EXPRESSION values: splitting text into operands and operators, strict left-to-right
// evaluation, the element form, the value operations on a computed value, and the
// pool hygiene of repeated calculation.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "script/CMC_Expression.h"
#include "script/CMC_Integer.h"
#include "script/CMC_String.h"
#include "script/CMC_VariableFactory.h"
#include "script/CMElement.h"
#include "support/ScriptTestSupport.h"

namespace {

class ExpressionTest : public ::testing::Test {
protected:
    void SetUp() override {
        scene = world.loadScene("expr.cnv", {
                                                "OBJECT=A", "A:TYPE=INTEGER", "A:VALUE=4",      //
                                                "OBJECT=S", "S:TYPE=STRING", "S:VALUE=ab",      //
                                                "OBJECT=D", "D:TYPE=DOUBLE", "D:VALUE=1.5",     //
                                                "OBJECT=SQ", "SQ:TYPE=EXPRESSION",              //
                                                "SQ:OPERAND1=A", "SQ:OPERATOR=MUL", "SQ:OPERAND2=A",  //
                                                "OBJECT=LOWER", "LOWER:TYPE=EXPRESSION",        //
                                                "LOWER:OPERAND1=A", "LOWER:OPERATOR=add", "LOWER:OPERAND2=A",
                                                "OBJECT=SELF", "SELF:TYPE=EXPRESSION",          //
                                                "SELF:OPERAND1=SELF", "SELF:OPERATOR=ADD", "SELF:OPERAND2=1",
                                            });
        ASSERT_NE(scene, nullptr);
    }

    std::unique_ptr<CMC_Expression> make(const char* text) {
        return std::make_unique<CMC_Expression>(scene, CXString(text));
    }
    // The calculated value's text (what a runner reading it as STRING sees).
    std::string value(CMC_Expression& e) {
        e.calculate();
        return test::valueText(e.getResult());
    }
    void setA(int v) { dynamic_cast<CMC_Integer*>(scene->getObject("A"))->setValue(v); }

    test::ScriptWorld world;
    test::TestScene* scene = nullptr;
};

TEST_F(ExpressionTest, EvaluatesStrictlyLeftToRight) {
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"A+2*3", "18"},        {"A*2+3", "11"},       {"A@3", "1"},
        {"A%3", "1"},           {"[A+2]*[A-1]", "18"}, {"S+A", "ab4"},
        {"2+A", "6"},           {"A-10", "-6"},        {"D*2", "3.00000"},
        {"A+D", "6"},           {"\"x\"+A+2", "x42"},  {"[[A+1]*2]+1", "11"},
    };
    for (const auto& c : cases) {
        auto e = make(c.text);
        EXPECT_EQ(value(*e), c.expected) << c.text;
    }
}

TEST_F(ExpressionTest, SplitsAtOperatorsOutsideBrackets) {
    const struct {
        const char* text;
        std::vector<std::string> operands;
        std::vector<int> codes;
    } cases[] = {
        {"[A+2]*3", {"[A+2]", "3"}, {3}},
        {"A + 2", {"A ", " 2"}, {1}},
        {"-5+1", {"", "5", "1"}, {2, 1}},
        {"A+", {"A"}, {1}},                // ends with its operator: an even count
        {"[A+2", {"[A+2"}, {}},            // an unbalanced "[" takes the rest
        {"A@B%C-D", {"A", "B", "C", "D"}, {4, 5, 2}},
        {"", {""}, {}},
        {"\"a-b\"", {"\"a", "b\""}, {2}},  // quotes do not protect an operator
    };
    for (const auto& c : cases) {
        auto e = make(c.text);
        ASSERT_EQ(e->getItemCount(), static_cast<int>(c.operands.size() + c.codes.size())) << c.text;
        for (size_t i = 0; i < c.operands.size(); ++i)
            EXPECT_EQ(e->getOperandText(static_cast<int>(i)).c_str(), c.operands[i]) << c.text;
        for (size_t i = 0; i < c.codes.size(); ++i)
            EXPECT_EQ(e->getOperatorCode(static_cast<int>(2 * i + 1)), c.codes[i]) << c.text;
    }
}

TEST_F(ExpressionTest, IrregularTextsStillGiveAValue) {
    // A missing right operand is skipped; an empty operand is an empty STRING; a
    // leading minus is an operator on an empty text.
    auto trailing = make("A+");
    EXPECT_EQ(value(*trailing), "4");
    auto empty = make("");
    EXPECT_EQ(value(*empty), "");
    auto leading = make("-5+1");
    EXPECT_EQ(value(*leading), "1");
    auto unbalanced = make("[A+2");
    unbalanced->calculate();  // must not read past the text or the items
    SUCCEED();
}

TEST_F(ExpressionTest, SingleOperandIsTheOperandItself) {
    auto e = make("A");
    e->calculate();
    EXPECT_EQ(e->getResult(), scene->getObject("A"));
    // Releasing a named variable does nothing: the first operand is never changed.
    auto sum = make("A+1");
    EXPECT_EQ(value(*sum), "5");
    EXPECT_EQ(test::intValue(scene, "A"), 4);
}

TEST_F(ExpressionTest, ElementFormRecalculatesOnEveryUse) {
    auto* sq = dynamic_cast<CMC_Expression*>(scene->getObject("SQ"));
    ASSERT_NE(sq, nullptr);
    EXPECT_TRUE(sq->isStill());
    EXPECT_FALSE(make("A")->isStill());
    EXPECT_EQ(sq->getResult(), nullptr);  // nothing calculated yet
    EXPECT_EQ(value(*sq), "16");
    setA(5);
    EXPECT_EQ(value(*sq), "25");

    // A lower-case word is no operator: the left value stays.
    auto* lower = dynamic_cast<CMC_Expression*>(scene->getObject("LOWER"));
    ASSERT_NE(lower, nullptr);
    EXPECT_EQ(lower->getOperatorCode(1), 0);
    EXPECT_EQ(value(*lower), "5");
}

TEST_F(ExpressionTest, ValueOperationsWorkOnTheCalculatedValue) {
    auto e = make("A*2");
    CMC_Integer eight(CXString("eight"));
    eight.setValue(8);
    CMC_String text(CXString("t"), CXString("8"));
    EXPECT_TRUE(e->equals(&eight));
    EXPECT_TRUE(e->equals(&text));  // converted to the result's type
    ASSERT_NE(e->getResult(), nullptr);
    EXPECT_EQ(e->compare(&eight), 0);
    eight.setValue(9);
    EXPECT_LT(e->compare(&eight), 0);

    CMC_Variable* asText = e->convert(CMC_Variable::kString);
    ASSERT_NE(asText, nullptr);
    EXPECT_EQ(test::valueText(asText), "8");
    CMC_Object::flush(asText);

    CMC_Variable* sum = e->calculate(&eight, CMC_Variable::kAdd);
    EXPECT_EQ(test::valueText(sum), "17");
    CMC_Object::flush(sum);

    std::unique_ptr<CXObject> copy(e->clone());
    ASSERT_NE(dynamic_cast<CMC_Integer*>(copy.get()), nullptr);
    EXPECT_EQ(static_cast<CMC_Integer*>(copy.get())->getValue(), 8);
    EXPECT_FALSE(static_cast<CMC_Integer*>(copy.get())->isPooled());

    // It holds no value of its own.
    e->set(&eight);
    e->inc();
    e->clear();
    EXPECT_EQ(value(*e), "8");
    EXPECT_EQ(e->getBufferLen(), 0);
    EXPECT_EQ(e->toString(), CXString("temp"));  // the text form is its name
}

TEST_F(ExpressionTest, OperandLeadingBackToItselfEnds) {
    auto* self = dynamic_cast<CMC_Expression*>(scene->getObject("SELF"));
    ASSERT_NE(self, nullptr);
    self->calculate();
    CMC_Variable* asInt = self->convert(CMC_Variable::kInteger);
    CMC_Object::flush(asInt);
    SUCCEED();
}

TEST_F(ExpressionTest, RepeatedCalculationDoesNotHoldPooledValues) {
    auto e = make("A*2+3-1");
    const int before = CMC_VariableFactory::inUseCount(CMC_Variable::kInteger);
    for (int i = 0; i < 2000; ++i) e->calculate();
    auto* result = dynamic_cast<CMC_Integer*>(e->getResult());
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(result->getValue(), 10);
    // Only the current result is held.
    EXPECT_EQ(CMC_VariableFactory::inUseCount(CMC_Variable::kInteger), before + 1);
    e.reset();
    EXPECT_EQ(CMC_VariableFactory::inUseCount(CMC_Variable::kInteger), before);
    EXPECT_EQ(CMC_VariableFactory::poolSize(CMC_Variable::kInteger), CMC_VariableFactory::kPoolSize);
}

TEST_F(ExpressionTest, ResultFromBeforeAStepIsNotReleasedAgain) {
    auto e = make("A+1");
    e->calculate();
    CMC_Variable* old = e->getResult();
    world.applicationStep();  // every pooled value is free again
    // Someone else receives the old result's value from the pool.
    std::vector<CMC_Integer*> held;
    for (int i = 0; i <= CMC_VariableFactory::kPoolSize && (held.empty() || held.back() != old); ++i)
        held.push_back(CMC_VariableFactory::allocInteger());
    ASSERT_EQ(held.back(), old);
    const int inUse = CMC_VariableFactory::inUseCount(CMC_Variable::kInteger);
    e->calculate();
    // The new result is added; the value now held elsewhere stays in use.
    EXPECT_EQ(CMC_VariableFactory::inUseCount(CMC_Variable::kInteger), inUse + 1);
    for (CMC_Integer* v : held) CMC_Object::flush(v);
}

TEST_F(ExpressionTest, BracketedArgumentsThroughStatements) {
    test::runCode(scene, "{@INT(R,0);R^SET([A+2*3]);A^SET(R);}");
    EXPECT_EQ(test::intValue(scene, "A"), 18);
    test::runCode(scene, "{S^SET([S+\"_\"+A]);}");
    EXPECT_EQ(test::textValue(scene, "S"), "ab_18");
    // An argument with parameters is built anew at each run.
    test::runCode(scene, "{A^SET([$1*$2]);}", {"6", "7"});
    EXPECT_EQ(test::intValue(scene, "A"), 42);
}

}  // namespace
