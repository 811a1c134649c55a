// The four basic value types: conversions, arithmetic (the left operand's type
// decides), comparisons, text forms, pool use, and their archive and network forms.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <memory>
#include <string>

#include "script/CMElement.h"
#include "ValueTestSupport.h"

using valuetest::archiveString;
using valuetest::ArchiveBytes;
using valuetest::bytes;
using valuetest::le32;

namespace {

class ValuesTest : public valuetest::PoolTest {};

CMC_Integer* integer(int v) {
    CMC_Integer* x = CMC_VariableFactory::allocInteger();
    x->setValue(v);
    return x;
}
CMC_String* text(const char* v) {
    CMC_String* x = CMC_VariableFactory::allocString();
    x->setValue(CXString(v));
    return x;
}
CMC_Bool* boolean(bool v) {
    CMC_Bool* x = CMC_VariableFactory::allocBool();
    x->setValue(v);
    return x;
}
CMC_Double* real(double v) {
    CMC_Double* x = CMC_VariableFactory::allocDouble();
    x->setValue(v);
    return x;
}

// A value operand that is absent.
CMC_Variable* const kNothing = nullptr;

int intOf(CMC_Variable* v) { return dynamic_cast<CMC_Integer&>(*v).getValue(); }
std::string textOf(CMC_Variable* v) { return dynamic_cast<CMC_String&>(*v).getValue().c_str(); }
bool boolOf(CMC_Variable* v) { return dynamic_cast<CMC_Bool&>(*v).getValue(); }
double realOf(CMC_Variable* v) { return dynamic_cast<CMC_Double&>(*v).getValue(); }

// ---- INTEGER ---------------------------------------------------------------

TEST_F(ValuesTest, IntegerSetConvertsTheOtherValue) {
    struct Case {
        const char* what;
        std::function<CMC_Variable*()> make;
        int expected;
    } cases[] = {
        {"12abc", [] { return text("12abc"); }, 12},
        {"abc", [] { return text("abc"); }, 0},
        {"' -7'", [] { return text(" -7"); }, -7},
        {"99999999999", [] { return text("99999999999"); }, INT_MAX},
        {"TRUE", [] { return boolean(true); }, 1},
        {"2.5", [] { return real(2.5); }, 3},
        {"-2.5", [] { return real(-2.5); }, -3},
        {"0.49999", [] { return real(0.49999); }, 0},
        {"-0.7", [] { return real(-0.7); }, -1},
        {"3e10", [] { return real(3e10); }, INT_MIN},
        {"NaN", [] { return real(std::nan("")); }, INT_MIN},
        {"-inf", [] { return real(-INFINITY); }, INT_MIN},
        {"INTEGER 8", [] { return integer(8); }, 8},
    };
    for (const auto& c : cases) {
        CMC_Integer target(CXString("T"));
        target.set(c.make());
        EXPECT_EQ(target.getValue(), c.expected) << c.what;
    }
    // Conversions go back to their pools once read.
    EXPECT_EQ(inUse(CMC_Variable::kInteger), 1);  // only the INTEGER 8 operand, not released by set
}

TEST_F(ValuesTest, IntegerCalculateTable) {
    struct Case {
        int left, right, op, expected;
    } cases[] = {
        {7, 2, 1, 9},
        {7, 2, 2, 5},
        {7, 2, 3, 14},
        {7, 2, 4, 3},
        {-7, 2, 4, -3},
        {7, 2, 5, 1},
        {-7, 2, 5, -1},
        {7, -3, 5, 1},
        {INT_MAX, 1, 1, INT_MIN},
        {INT_MIN, 1, 2, INT_MAX},
        {65536, 65536, 3, 0},
        {5, 0, 4, 0},
        {5, 0, 5, 0},
        {INT_MIN, -1, 4, INT_MIN},
        {INT_MIN, -1, 5, 0},
        {9, 4, 6, 9},
        {9, 4, 0, 9},
    };
    for (const auto& c : cases) {
        CMC_Integer left(c.left);
        CMC_Integer right(c.right);
        CMC_Variable* r = left.calculate(&right, c.op);
        ASSERT_EQ(r->getType(), CMC_Variable::kInteger);
        EXPECT_TRUE(r->isPooled());
        EXPECT_EQ(intOf(r), c.expected) << c.left << " op" << c.op << " " << c.right;
        EXPECT_EQ(left.getValue(), c.left);
    }
}

TEST_F(ValuesTest, TheLeftOperandsTypeDecides) {
    struct Case {
        const char* what;
        std::function<CMC_Variable*()> left;
        std::function<CMC_Variable*()> right;
        int op;
        int type;
        std::string expected;  // the result's text form
    } cases[] = {
        {"INTEGER 7 DIV DOUBLE 2.0", [] { return integer(7); }, [] { return real(2.0); }, 4, 1, "3"},
        {"DOUBLE 7.0 DIV INTEGER 2", [] { return real(7.0); }, [] { return integer(2); }, 4, 4, "3.50000"},
        {"INTEGER 7 ADD STRING 5x", [] { return integer(7); }, [] { return text("5x"); }, 1, 1, "12"},
        {"STRING ab ADD INTEGER 5", [] { return text("ab"); }, [] { return integer(5); }, 1, 2, "ab5"},
        {"STRING ab SUB INTEGER 5", [] { return text("ab"); }, [] { return integer(5); }, 2, 2, "ab"},
        {"STRING ab MUL STRING cd", [] { return text("ab"); }, [] { return text("cd"); }, 3, 2, "ab"},
        {"STRING ADD BOOL", [] { return text("x"); }, [] { return boolean(true); }, 1, 2, "xTRUE"},
        {"STRING ADD DOUBLE", [] { return text("x"); }, [] { return real(0.5); }, 1, 2, "x0.50000"},
        {"BOOL TRUE ADD INTEGER 0", [] { return boolean(true); }, [] { return integer(0); }, 1, 3, "FALSE"},
        {"BOOL FALSE MUL STRING True", [] { return boolean(false); }, [] { return text("True"); }, 3, 3, "TRUE"},
        {"DOUBLE 1.5 ADD STRING 2.25", [] { return real(1.5); }, [] { return text("2.25"); }, 1, 4, "3.75000"},
        {"DOUBLE 1.0 ADD BOOL TRUE", [] { return real(1.0); }, [] { return boolean(true); }, 1, 4, "2.00000"},
        {"INTEGER 3 ADD BOOL TRUE", [] { return integer(3); }, [] { return boolean(true); }, 1, 1, "4"},
    };
    for (const auto& c : cases) {
        CMC_Variable* r = c.left()->calculate(c.right(), c.op);
        ASSERT_NE(r, nullptr) << c.what;
        EXPECT_EQ(r->getType(), c.type) << c.what;
        EXPECT_EQ(std::string(r->toString().c_str()), c.expected) << c.what;
        CMC_VariableFactory::clearPool();
    }
}

TEST_F(ValuesTest, CalculateConsumesAPooledOperandAndKeepsNamedOnes) {
    CMC_Integer named(CXString("N"));
    named.setValue(4);
    CMC_Integer* pooledInteger = integer(2);
    CMC_String* pooledText = text("3");
    ASSERT_EQ(inUse(CMC_Variable::kInteger), 1);
    ASSERT_EQ(inUse(CMC_Variable::kString), 1);

    CMC_Variable* a = named.calculate(pooledInteger, 1);  // operand released
    EXPECT_EQ(intOf(a), 6);
    EXPECT_EQ(inUse(CMC_Variable::kInteger), 1);          // only the result
    CMC_Variable* b = named.calculate(pooledText, 3);     // the text and its conversion released
    EXPECT_EQ(intOf(b), 12);
    EXPECT_EQ(inUse(CMC_Variable::kString), 0);
    EXPECT_EQ(inUse(CMC_Variable::kInteger), 2);
    CMC_Integer other(CXString("O"));
    other.setValue(5);
    named.calculate(&other, 1);
    EXPECT_EQ(other.getValue(), 5);
    EXPECT_EQ(inUse(CMC_Variable::kInteger), 3);
}

TEST_F(ValuesTest, IntegerOperations) {
    CMC_Integer v(CXString("V"));
    v.setValue(INT_MAX);
    v.inc();
    EXPECT_EQ(v.getValue(), INT_MIN);
    v.dec();
    EXPECT_EQ(v.getValue(), INT_MAX);
    v.setValue(INT_MIN);
    EXPECT_STREQ(v.toString().c_str(), "-2147483648");
    v.setValue(0);
    EXPECT_STREQ(v.toString().c_str(), "0");
    v.fromString(CXString(" -42x"));
    EXPECT_EQ(v.getValue(), -42);
    v.fromString(CXString("x"));
    EXPECT_EQ(v.getValue(), 0);

    // SWITCH toggles between two values.
    CMC_Integer three(3), seven(7);
    for (auto [start, expected] : {std::pair{3, 7}, {7, 3}, {5, 3}}) {
        v.setValue(start);
        v.swap(&three, &seven);
        EXPECT_EQ(v.getValue(), expected) << start;
    }

    struct Cmp {
        int value, other, compare;
    } compares[] = {{1, 2, -1}, {2, 1, 1}, {2, 2, 0}, {INT_MIN, INT_MAX, -1}};
    for (const auto& c : compares) {
        v.setValue(c.value);
        CMC_Integer o(c.other);
        EXPECT_EQ(v.compare(&o), c.compare);
        EXPECT_EQ(v.equals(&o), c.compare == 0);
    }
    v.setValue(12);
    EXPECT_TRUE(v.equals(text("12abc")));
    EXPECT_EQ(v.compare(real(12.4)), 0);
    EXPECT_EQ(v.compare(kNothing), 1);
    EXPECT_FALSE(v.equals(kNothing));
    EXPECT_EQ(inUse(CMC_Variable::kString) + inUse(CMC_Variable::kDouble) + inUse(CMC_Variable::kInteger), 0);

    v.clear();
    EXPECT_EQ(v.getValue(), 0);
    v.setDefault(text("9"));
    EXPECT_EQ(v.getDefault(), 9);
    v.resetINI();  // not TOINI: nothing
    EXPECT_EQ(v.getValue(), 0);
    v.setToIni(true);
    v.resetINI();
    EXPECT_EQ(v.getValue(), 9);
}

TEST_F(ValuesTest, IntegerConvert) {
    CMC_Integer* pooled = integer(-5);
    EXPECT_EQ(pooled->convert(1), pooled);
    EXPECT_EQ(inUse(CMC_Variable::kInteger), 1);
    CMC_Variable* s = pooled->convert(2);
    EXPECT_EQ(inUse(CMC_Variable::kInteger), 0);  // the pooled source went back
    EXPECT_EQ(textOf(s), "-5");
    EXPECT_TRUE(boolOf(integer(-5)->convert(3)));
    EXPECT_FALSE(boolOf(integer(0)->convert(3)));
    EXPECT_EQ(realOf(integer(INT_MIN)->convert(4)), -2147483648.0);
    EXPECT_EQ(integer(1)->convert(12), nullptr);
    EXPECT_EQ(integer(1)->convert(0), nullptr);
}

// ---- STRING ----------------------------------------------------------------

TEST_F(ValuesTest, StringComparisons) {
    struct Case {
        const char* a;
        const char* b;
        bool equals;
        int compare;
    } cases[] = {
        {"Abc", "aBC", true, -1},
        {"abc", "abc", true, 0},
        {"ab", "abc", false, -1},
        {"abc", "ab", false, 1},
        {"\xA3\xD3", "\xB3\xF3", true, -1},  // capital and small L-stroke, O-acute
        {"\xB9", "z", false, 1},             // 0xB9 after every ASCII letter
        {"", "", true, 0},
        {"a", "", false, 1},
    };
    for (const auto& c : cases) {
        CMC_String a(CXString("A"), CXString(c.a));
        CMC_String b(CXString("B"), CXString(c.b));
        EXPECT_EQ(a.equals(&b), c.equals) << c.a << " / " << c.b;
        EXPECT_EQ(a.compare(&b), c.compare) << c.a << " / " << c.b;
    }
    CMC_String s(CXString("S"), CXString("-5"));
    EXPECT_TRUE(s.equals(integer(-5)));
    EXPECT_FALSE(s.equals(kNothing));
    EXPECT_EQ(s.compare(kNothing), -1);
}

TEST_F(ValuesTest, StringSetSwapAndCase) {
    CMC_String s(CXString("S"));
    s.set(integer(-5));
    EXPECT_EQ(textOf(&s), "-5");
    s.set(boolean(false));
    EXPECT_EQ(textOf(&s), "FALSE");
    s.set(real(-0.25));
    EXPECT_EQ(textOf(&s), "-0.25000");
    s.set(real(0.0));
    EXPECT_EQ(textOf(&s), "0");
    EXPECT_EQ(inUse(CMC_Variable::kString), 0);

    // SWITCH compares exactly, with case.
    CMC_String a(CXString("A"), CXString("abc"));
    CMC_String b(CXString("B"), CXString("xyz"));
    s.setValue(CXString("abc"));
    s.swap(&a, &b);
    EXPECT_EQ(textOf(&s), "xyz");
    s.swap(&a, &b);
    EXPECT_EQ(textOf(&s), "abc");
    s.setValue(CXString("Abc"));
    s.swap(&a, &b);
    EXPECT_EQ(textOf(&s), "abc");

    s.setValue(CXString("a\x9C\x9F\xB3\xB9\xBF\xE6\xEA\xF1\xF3z\xB5\xFF" "1"));
    s.upper();
    EXPECT_EQ(textOf(&s), "A\x8C\x8F\xA3\xA5\xAF\xC6\xCA\xD1\xD3Z\xB5\xFF" "1");
    s.lower();
    EXPECT_EQ(textOf(&s), "a\x9C\x9F\xB3\xB9\xBF\xE6\xEA\xF1\xF3z\xB5\xFF" "1");

    s.inc();
    s.dec();
    EXPECT_EQ(textOf(&s), "a\x9C\x9F\xB3\xB9\xBF\xE6\xEA\xF1\xF3z\xB5\xFF" "1");
    s.clear();
    EXPECT_EQ(textOf(&s), "");
    s.fromString(CXString(" as is "));
    EXPECT_EQ(textOf(&s), " as is ");
}

TEST_F(ValuesTest, StringConvert) {
    struct Case {
        const char* text;
        int asInteger;
        bool asBool;
        double asDouble;
    } cases[] = {
        {"12abc", 12, false, 12.0}, {"abc", 0, false, 0.0},   {" -7", -7, false, -7.0},
        {"True", 0, true, 0.0},     {"TRUE", 0, true, 0.0},   {"1", 1, false, 1.0},
        {"yes", 0, false, 0.0},     {"2.75x", 2, false, 2.75}, {"", 0, false, 0.0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(intOf(text(c.text)->convert(1)), c.asInteger) << c.text;
        EXPECT_EQ(boolOf(text(c.text)->convert(3)), c.asBool) << c.text;
        EXPECT_DOUBLE_EQ(realOf(text(c.text)->convert(4)), c.asDouble) << c.text;
    }
    EXPECT_EQ(inUse(CMC_Variable::kString), 0);
    CMC_String* s = text("x");
    EXPECT_EQ(s->convert(2), s);
    EXPECT_EQ(inUse(CMC_Variable::kString), 1);
    EXPECT_EQ(s->convert(3002), nullptr);
}

// ---- BOOL ------------------------------------------------------------------

TEST_F(ValuesTest, BoolCalculateAndCompare) {
    struct Case {
        bool left, right;
        int op;
        bool expected;
    } cases[] = {
        {true, false, 1, false}, {true, true, 1, true},   {false, true, 1, false},
        {true, false, 3, true},  {false, false, 3, false}, {false, true, 2, false},
        {true, false, 4, true},  {true, false, 5, true},   {false, true, 7, false},
    };
    for (const auto& c : cases) {
        CMC_Bool left(c.left);
        CMC_Bool right(c.right);
        EXPECT_EQ(boolOf(left.calculate(&right, c.op)), c.expected) << c.left << " op" << c.op << " " << c.right;
    }
    struct Cmp {
        bool a, b;
        int compare;
    } compares[] = {{false, true, -1}, {true, false, 1}, {true, true, 0}, {false, false, 0}};
    for (const auto& c : compares) {
        CMC_Bool a(c.a), b(c.b);
        EXPECT_EQ(a.compare(&b), c.compare);
        EXPECT_EQ(a.equals(&b), c.compare == 0);
    }
    CMC_Bool t(true);
    EXPECT_EQ(t.compare(kNothing), -1);
    EXPECT_TRUE(t.equals(text("tRuE")));
    EXPECT_TRUE(t.equals(integer(7)));
}

TEST_F(ValuesTest, BoolOperations) {
    CMC_Bool b("B");
    EXPECT_FALSE(b.getValue());
    b.set(integer(3));
    EXPECT_TRUE(b.getValue());
    b.set(integer(0));
    EXPECT_FALSE(b.getValue());
    b.inc();
    EXPECT_TRUE(b.getValue());
    b.inc();
    EXPECT_FALSE(b.getValue());
    b.dec();
    EXPECT_TRUE(b.getValue());
    b.swap(nullptr, nullptr);
    EXPECT_FALSE(b.getValue());
    b.setValue(true);
    b.clear();
    EXPECT_FALSE(b.getValue());
    EXPECT_STREQ(b.toString().c_str(), "FALSE");
    b.fromString(CXString("tRUE"));
    EXPECT_STREQ(b.toString().c_str(), "TRUE");
    b.fromString(CXString("1"));
    EXPECT_FALSE(b.getValue());

    CMC_Bool* pooled = boolean(true);
    EXPECT_EQ(pooled->convert(3), pooled);
    EXPECT_EQ(intOf(pooled->convert(1)), 1);
    EXPECT_EQ(inUse(CMC_Variable::kBool), 0);
    EXPECT_EQ(textOf(boolean(false)->convert(2)), "FALSE");
    EXPECT_EQ(realOf(boolean(true)->convert(4)), 1.0);
    CMC_Bool* kept = boolean(true);
    EXPECT_EQ(kept->convert(9), nullptr);
    EXPECT_EQ(inUse(CMC_Variable::kBool), 1);  // not released for an unknown type
}

// ---- DOUBLE ----------------------------------------------------------------

TEST_F(ValuesTest, DoubleTextForm) {
    struct Case {
        double value;
        const char* text;
    } cases[] = {{1.5, "1.50000"}, {0.0, "0"}, {-0.25, "-0.25000"}, {1.000004, "1.00000"}, {-3.0, "-3.00000"}};
    for (const auto& c : cases) EXPECT_STREQ(CMC_Double(c.value).toString().c_str(), c.text) << c.value;
    CMC_Double d(CXString("D"));
    d.fromString(CXString(" 2.5e1xyz"));
    EXPECT_EQ(d.getValue(), 25.0);
    d.fromString(CXString("x"));
    EXPECT_EQ(d.getValue(), 0.0);
}

TEST_F(ValuesTest, DoubleCalculateTable) {
    struct Case {
        double left, right;
        int op;
        double expected;
    } cases[] = {
        {1.5, 2.25, 1, 3.75}, {1.5, 2.25, 2, -0.75}, {1.5, 2.0, 3, 3.0},  {7.0, 2.0, 4, 3.5},
        {7.5, 2.0, 5, 1.0},   {-7.5, 2.0, 5, -1.0},  {7.9, 2.9, 5, 1.0},  {5.0, 0.5, 5, 0.0},
        {-2147483648.0, -1.0, 5, 0.0}, {1e12, 3.0, 5, -2.0}, {4.0, 1.0, 9, 4.0},
    };
    for (const auto& c : cases) {
        CMC_Double left(c.left);
        CMC_Double right(c.right);
        EXPECT_DOUBLE_EQ(realOf(left.calculate(&right, c.op)), c.expected) << c.left << " op" << c.op << " " << c.right;
    }
    CMC_Double one(1.0), zero(0.0);
    double inf = realOf(one.calculate(&zero, 4));
    EXPECT_TRUE(std::isinf(inf) && inf > 0);
}

TEST_F(ValuesTest, DoubleCompareSwapAndConvert) {
    CMC_Double d(1.5);
    EXPECT_EQ(d.compare(integer(2)), -1);
    EXPECT_EQ(d.compare(kNothing), -1);
    CMC_Double two(2.0);
    EXPECT_TRUE(two.equals(integer(2)));
    EXPECT_EQ(two.compare(&d), 1);
    EXPECT_EQ(d.compare(real(1.5)), 0);

    CMC_Double a(1.0), b(2.0);
    for (auto [start, expected] : {std::pair{1.0, 2.0}, {2.0, 1.0}, {7.0, 1.0}}) {
        d.setValue(start);
        d.swap(&a, &b);
        EXPECT_EQ(d.getValue(), expected);
    }
    d.setValue(1.0);
    d.inc();
    EXPECT_EQ(d.getValue(), 2.0);
    d.dec();
    d.dec();
    EXPECT_EQ(d.getValue(), 0.0);

    EXPECT_FALSE(boolOf(real(0.0)->convert(3)));
    EXPECT_TRUE(boolOf(real(-0.001)->convert(3)));
    EXPECT_EQ(textOf(real(2.0)->convert(2)), "2.00000");
    // The converted ones went back; the DOUBLE operand of compare was not released.
    EXPECT_EQ(inUse(CMC_Variable::kDouble), 1);
    struct Round {
        double value;
        int expected;
    } rounds[] = {{2.5, 3}, {-2.5, -3}, {2.4999, 2}, {-0.7, -1}, {0.49999, 0}, {2147483647.4, INT_MAX},
                  {2147483647.5, INT_MIN}, {-2147483648.4, INT_MIN}, {-2147483648.6, INT_MIN}};
    for (const auto& r : rounds) EXPECT_EQ(intOf(real(r.value)->convert(1)), r.expected) << r.value;
}

// ---- element constructors and clones ---------------------------------------

TEST_F(ValuesTest, ValueAndDefaultFromTheElement) {
    struct Case {
        const char* value;    // null: no VALUE
        const char* byDefault;  // null: no DEFAULT
        int integer;
        int integerDefault;
        std::string string, stringDefault;
    } cases[] = {
        {"5", nullptr, 5, 5, "5", "5"},
        {"5", "0", 5, 0, "5", "0"},
        {nullptr, "7", 0, 7, "", "7"},
        {"12abc", "", 12, 12, "12abc", "12abc"},
    };
    for (const auto& c : cases) {
        CMElement e(CXString("V"));
        if (c.value) e.addProperty(CXString("VALUE"), CXString(c.value));
        if (c.byDefault) e.addProperty(CXString("DEFAULT"), CXString(c.byDefault));
        CMC_Integer i(nullptr, &e);
        EXPECT_EQ(i.getValue(), c.integer);
        EXPECT_EQ(i.getDefault(), c.integerDefault);
        EXPECT_EQ(i.getPoolIndex(), -1);
        CMC_String s(nullptr, &e);
        EXPECT_EQ(std::string(s.getValue().c_str()), c.string);
        EXPECT_EQ(std::string(s.getDefault().c_str()), c.stringDefault);
    }

    CMElement b(CXString("B"));
    b.addProperty(CXString("VALUE"), CXString("TRUE"));
    CMC_Bool withoutDefault(nullptr, &b);
    EXPECT_TRUE(withoutDefault.getValue());
    EXPECT_TRUE(withoutDefault.getDefault());
    b.addProperty(CXString("DEFAULT"), CXString("FALSE"));
    CMC_Bool withDefault(nullptr, &b);
    EXPECT_TRUE(withDefault.getValue());
    EXPECT_FALSE(withDefault.getDefault());

    CMElement d(CXString("D"));
    d.addProperty(CXString("VALUE"), CXString("2.5"));
    CMC_Double noDefault(nullptr, &d);
    EXPECT_EQ(noDefault.getValue(), 2.5);
    EXPECT_EQ(noDefault.getDefault(), 2.5);
    d.addProperty(CXString("DEFAULT"), CXString("-1"));
    CMC_Double hasDefault(nullptr, &d);
    EXPECT_EQ(hasDefault.getDefault(), -1.0);
    EXPECT_STREQ(hasDefault.getName().c_str(), "D");
}

TEST_F(ValuesTest, ClonesKeepNameAndValueButNotDefaultOrFlags) {
    CMElement e(CXString("X"));
    e.addProperty(CXString("VALUE"), CXString("4"));
    e.addProperty(CXString("DEFAULT"), CXString("9"));
    e.addProperty(CXString("TOINI"), CXString("TRUE"));
    CMC_Integer i(nullptr, &e);
    std::unique_ptr<CMC_Integer> ic(dynamic_cast<CMC_Integer*>(i.clone()));
    EXPECT_EQ(ic->getValue(), 4);
    EXPECT_EQ(ic->getDefault(), 0);

    CMC_String s(nullptr, &e);
    s.setValue(CXString("x"));
    std::unique_ptr<CMC_String> sc(dynamic_cast<CMC_String*>(s.clone()));
    EXPECT_EQ(textOf(sc.get()), "x");
    EXPECT_EQ(std::string(sc->getDefault().c_str()), "x");

    CMElement be(CXString("X"));
    be.addProperty(CXString("VALUE"), CXString("TRUE"));
    be.addProperty(CXString("TOINI"), CXString("TRUE"));
    CMC_Bool b(nullptr, &be);
    std::unique_ptr<CMC_Bool> bc(dynamic_cast<CMC_Bool*>(b.clone()));
    EXPECT_TRUE(bc->getValue());
    EXPECT_FALSE(bc->getDefault());

    CMC_Double d(nullptr, &e);
    std::unique_ptr<CMC_Double> dc(dynamic_cast<CMC_Double*>(d.clone()));
    EXPECT_EQ(dc->getValue(), 4.0);
    EXPECT_EQ(dc->getDefault(), 0.0);

    for (CMC_Variable* c : std::initializer_list<CMC_Variable*>{ic.get(), sc.get(), bc.get(), dc.get()}) {
        EXPECT_STREQ(c->getName().c_str(), "X");
        EXPECT_TRUE(c->isClone());
        EXPECT_FALSE(c->isToIni());
        EXPECT_FALSE(c->isNetNotify());
        EXPECT_EQ(c->getPoolIndex(), -1);
    }
    EXPECT_TRUE(i.isToIni() && i.isNetNotify());
}

// ---- archive and network forms ---------------------------------------------

TEST_F(ValuesTest, TaggedArchiveFormByteForByte) {
    struct Case {
        const char* what;
        std::function<CMC_Variable*()> make;
        std::string bytes;
        std::string restored;  // text form after the factory read it back
    } cases[] = {
        {"INTEGER -2", [] { return integer(-2); }, le32(1) + le32(-2), "-2"},
        {"STRING ab", [] { return text("ab"); }, le32(2) + archiveString("ab"), "ab"},
        {"STRING empty", [] { return text(""); }, le32(2) + le32(0), ""},
        {"BOOL true", [] { return boolean(true); }, bytes({3, 0, 0, 0, 1, 0, 0, 0}), "TRUE"},
        {"BOOL false", [] { return boolean(false); }, le32(3) + le32(0), "FALSE"},
        {"DOUBLE 1.23456", [] { return real(1.23456); }, le32(4) + le32(12345), "1.23450"},
        {"DOUBLE -2.71828", [] { return real(-2.71828); }, le32(4) + le32(-27182), "-2.71820"},
    };
    for (const auto& c : cases) {
        ArchiveBytes file;
        CMC_Variable* v = c.make();
        std::string written = file.store([&](CXArchive& a) { v->store(&a); });
        EXPECT_EQ(written, c.bytes) << c.what;
        CMC_Variable* back = nullptr;
        file.load(written, [&](CXArchive& a) { back = CMC_VariableFactory::restore(&a); });
        ASSERT_NE(back, nullptr) << c.what;
        EXPECT_EQ(back->getType(), v->getType());
        EXPECT_EQ(std::string(back->toString().c_str()), c.restored) << c.what;
    }
    ArchiveBytes file;
    CMC_Variable* none = integer(0);
    file.load(le32(3002) + le32(1), [&](CXArchive& a) { none = CMC_VariableFactory::restore(&a); });
    EXPECT_EQ(none, nullptr);
}

TEST_F(ValuesTest, NetworkFormByteForByte) {
    struct Case {
        const char* what;
        std::function<CMC_Variable*()> make;
        std::string bytes;
    } cases[] = {
        {"INTEGER 42", [] { return integer(42); }, bytes({1, 0, 0, 0, 42, 0, 0, 0})},
        {"INTEGER -1", [] { return integer(-1); }, bytes({1, 0, 0, 0, 255, 255, 255, 255})},
        {"STRING empty", [] { return text(""); }, bytes({2, 0, 0, 0, 0})},
        {"STRING \xB3x", [] { return text("\xB3x"); }, bytes({2, 0, 0, 0, 0xB3, 'x', 0})},
        {"BOOL true", [] { return boolean(true); }, bytes({3, 0, 0, 0, 1})},
        {"BOOL false", [] { return boolean(false); }, bytes({3, 0, 0, 0, 0})},
        {"DOUBLE 1.23456789", [] { return real(1.23456789); },
         bytes({4, 0, 0, 0, 0x1B, 0xDE, 0x83, 0x42, 0xCA, 0xC0, 0xF3, 0x3F})},
    };
    for (const auto& c : cases) {
        CMC_Variable* v = c.make();
        ASSERT_EQ(v->getBufferLen(), static_cast<int>(c.bytes.size())) << c.what;
        std::string buffer(c.bytes.size(), '\x55');
        v->netstore(buffer.data());
        EXPECT_EQ(buffer, c.bytes) << c.what;
        CMC_Variable* back = CMC_VariableFactory::netrestore(buffer.data());
        ASSERT_NE(back, nullptr) << c.what;
        EXPECT_NE(back, v);
        EXPECT_TRUE(back->equals(v)) << c.what;
        EXPECT_EQ(back->compare(v), 0) << c.what;
    }
    // Only the byte 1 reads as true.
    std::string two = bytes({3, 0, 0, 0, 2});
    EXPECT_FALSE(boolOf(CMC_VariableFactory::netrestore(two.data())));
    std::string unknown = le32(7) + le32(0);
    EXPECT_EQ(CMC_VariableFactory::netrestore(unknown.data()), nullptr);
}

TEST_F(ValuesTest, SceneBinaryPartRoundTrips) {
    CMElement e(CXString("VAR"));
    e.addProperty(CXString("VALUE"), CXString("5"));
    e.addProperty(CXString("DEFAULT"), CXString("-3"));
    e.addProperty(CXString("NETNOTIFY"), CXString("TRUE"));
    CMC_Integer i(nullptr, &e);
    ArchiveBytes file;
    std::string written = file.store([&](CXArchive& a) { i.serialize(&a); });
    // Name, no handler records, TOINI off, NETNOTIFY on, value, default.
    EXPECT_EQ(written, archiveString("VAR") + le32(0) + bytes({0, 1}) + le32(5) + le32(-3));
    CMC_Integer back(CXString("?"));
    file.load(written, [&](CXArchive& a) { back.serialize(&a); });
    EXPECT_STREQ(back.getName().c_str(), "VAR");
    EXPECT_EQ(back.getValue(), 5);
    EXPECT_EQ(back.getDefault(), -3);
    EXPECT_FALSE(back.isToIni());
    EXPECT_TRUE(back.isNetNotify());

    CMC_String s(CXString("S"), CXString("val"));
    s.setDefault(text("def"));
    s.setToIni(true);
    written = file.store([&](CXArchive& a) { s.serialize(&a); });
    EXPECT_EQ(written, archiveString("S") + le32(0) + bytes({1, 0}) + archiveString("val") + archiveString("def"));
    CMC_String sback(CXString("?"));
    file.load(written, [&](CXArchive& a) { sback.serialize(&a); });
    EXPECT_EQ(textOf(&sback), "val");
    EXPECT_STREQ(sback.getDefault().c_str(), "def");
    EXPECT_TRUE(sback.isToIni());

    CMC_Bool b(true);
    written = file.store([&](CXArchive& a) { b.serialize(&a); });
    EXPECT_EQ(written, archiveString("temp") + le32(0) + bytes({0, 0, 1, 1}));
    CMC_Bool bback("?");
    file.load(written, [&](CXArchive& a) { bback.serialize(&a); });
    EXPECT_TRUE(bback.getValue());
    EXPECT_TRUE(bback.getDefault());

    CMC_Double d(0.5);
    d.setValue(-1.25);
    written = file.store([&](CXArchive& a) { d.serialize(&a); });
    EXPECT_EQ(written, archiveString("temp") + le32(0) + bytes({0, 0}) + le32(-12500) + le32(5000));
    CMC_Double dback(CXString("?"));
    file.load(written, [&](CXArchive& a) { dback.serialize(&a); });
    EXPECT_EQ(dback.getValue(), -1.25);
    EXPECT_EQ(dback.getDefault(), 0.5);
}

}  // namespace
