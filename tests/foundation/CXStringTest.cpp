#include "foundation/CXString.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

namespace {

std::string text(const CXString& s) { return std::string(s.c_str(), static_cast<size_t>(s.getLength())); }

std::string repeat(char c, int n) { return std::string(static_cast<size_t>(n), c); }

// ---- storage ----

TEST(CXString, NewStringsGetThirtyTwoBytesOfSlack) {
    struct Case {
        int length;
        int capacity;
    };
    for (const Case c : {Case{0, 32}, Case{1, 32}, Case{31, 32}, Case{32, 64}, Case{40, 72}}) {
        const CXString s(repeat('x', c.length).c_str());
        EXPECT_EQ(s.getLength(), c.length);
        EXPECT_EQ(s.getCapacity(), c.capacity) << c.length;
    }
    const CXString null(static_cast<const char*>(nullptr));
    EXPECT_STREQ(null.c_str(), "");
    EXPECT_EQ(null.getCapacity(), 32);
    EXPECT_EQ(CXString().getCapacity(), 32);

    const CXString one(0xA3);
    EXPECT_STREQ(one.c_str(), "\xA3");
    EXPECT_EQ(one.getCapacity(), 32);

    const CXString big(repeat('y', 40).c_str());
    const CXString copy(big);
    EXPECT_EQ(copy.getCapacity(), 72);
    EXPECT_EQ(text(copy), text(big));
}

TEST(CXString, AssignmentReallocatesOnlyWhenTheTextReachesTheCapacity) {
    CXString s;
    s = repeat('a', 31).c_str();
    EXPECT_EQ(s.getCapacity(), 32);
    s = repeat('b', 32).c_str();
    EXPECT_EQ(s.getCapacity(), 64);
    s = "short";  // never shrinks
    EXPECT_EQ(s.getCapacity(), 64);
    s = static_cast<const char*>(nullptr);
    EXPECT_STREQ(s.c_str(), "short");

    // From a string: only a larger source capacity reallocates (source length + 32).
    CXString target;
    const CXString large(repeat('c', 50).c_str());  // capacity 82
    target = large;
    EXPECT_EQ(target.getCapacity(), 82);
    CXString small;
    CXString wide(repeat('d', 70).c_str());  // capacity 102
    wide = "xy";
    small = wide;
    EXPECT_EQ(small.getCapacity(), 34);
    EXPECT_STREQ(small.c_str(), "xy");
}

TEST(CXString, AppendingGrowsAtTheBoundaries) {
    // Text appends stay in place while the new length is below the capacity.
    CXString s(repeat('a', 10).c_str());
    s += repeat('b', 21).c_str();
    EXPECT_EQ(s.getCapacity(), 32);
    s += "c";
    EXPECT_EQ(s.getLength(), 32);
    EXPECT_EQ(s.getCapacity(), 64);

    // Single characters double once the length reaches capacity - 2.
    CXString chars;
    for (int i = 0; i < 30; ++i) chars += 'x';
    EXPECT_EQ(chars.getCapacity(), 32);
    chars += 'x';
    EXPECT_EQ(chars.getCapacity(), 64);

    // Numbers double once the length reaches capacity - 20.
    CXString numbers(repeat('n', 11).c_str());
    numbers += 5;
    EXPECT_EQ(numbers.getCapacity(), 32);
    numbers += -7;
    EXPECT_EQ(numbers.getCapacity(), 64);
    EXPECT_STREQ(numbers.c_str(), "nnnnnnnnnnn5-7");

    // A string filled to its capacity still has room for its terminator, and
    // grows enough for the longest number.
    CXString filled;
    filled.FillWith('z', 1);
    EXPECT_EQ(filled.getCapacity(), 1);
    filled += -2147483647 - 1;
    EXPECT_STREQ(filled.c_str(), "z-2147483648");
    filled.FillWith('q', 0);
    filled += 'r';
    EXPECT_STREQ(filled.c_str(), "r");
    filled.FillWith('w', 3);
    const CXString copy(filled);
    EXPECT_STREQ(copy.c_str(), "www");
    filled = 'k';
    EXPECT_STREQ(filled.c_str(), "k");
}

TEST(CXString, SelfReferencesSurviveReallocation) {
    CXString s(repeat('a', 20).c_str());
    s += s;
    EXPECT_EQ(text(s), repeat('a', 40));
    s = s.c_str() + 5;
    EXPECT_EQ(text(s), repeat('a', 35));
    s.left(3, &s);
    EXPECT_STREQ(s.c_str(), "aaa");
    s.Format("<%s>", s);
    EXPECT_STREQ(s.c_str(), "<aaa>");
}

TEST(CXString, CopiesAndMovesWorkInContainers) {
    std::vector<CXString> list;
    for (int i = 0; i < 100; ++i) list.push_back(CXString::toString(i));
    EXPECT_STREQ(list[57].c_str(), "57");

    CXString moved(std::move(list[3]));
    EXPECT_STREQ(moved.c_str(), "3");
    EXPECT_STREQ(list[3].c_str(), "");  // moved-from: empty and still usable
    list[3] += 'q';
    EXPECT_STREQ(list[3].c_str(), "q");

    std::set<CXString> ordered{"b", "a", "\xB3", "ab"};
    std::vector<std::string> order;
    for (const auto& s : ordered) order.push_back(text(s));
    EXPECT_EQ(order, (std::vector<std::string>{"a", "ab", "b", "\xB3"}));

    std::unordered_set<CXString> hashed{"x", "y"};
    EXPECT_EQ(hashed.count("x"), 1u);
    std::map<CXString, int> map{{"k", 1}};
    EXPECT_EQ(map["k"], 1);
}

// ---- case ----

TEST(CXString, CaseFollowsWindows1250WithTheNinePolishPairs) {
    const unsigned char pairs[][2] = {{0x8C, 0x9C}, {0x8F, 0x9F}, {0xA3, 0xB3}, {0xA5, 0xB9}, {0xAF, 0xBF},
                                      {0xC6, 0xE6}, {0xCA, 0xEA}, {0xD1, 0xF1}, {0xD3, 0xF3}, {'A', 'a'},
                                      {'Z', 'z'}};
    for (const auto& p : pairs) {
        const char upper[] = {static_cast<char>(p[0]), 0};
        const char lower[] = {static_cast<char>(p[1]), 0};
        CXString u(upper), l(lower);
        EXPECT_STREQ(CXString(upper).Lower().c_str(), lower) << int(p[0]);
        EXPECT_STREQ(CXString(lower).Upper().c_str(), upper) << int(p[1]);
        EXPECT_TRUE(u.IsUpper());
        EXPECT_TRUE(l.IsLower());
        EXPECT_TRUE(u.equalsIgnoreCase(l));
    }
    // Other letters of the code page (Š Ž Č and the rest) keep their case.
    for (const char* fixed : {"\x8A", "\x9A", "\x8E", "\x9E", "\xC8", "\xE8", "\xC0", "\xE0", "5", "@", "[", "`"}) {
        EXPECT_STREQ(CXString(fixed).Lower().c_str(), fixed);
        EXPECT_STREQ(CXString(fixed).Upper().c_str(), fixed);
        EXPECT_FALSE(CXString(fixed).IsUpper());
        EXPECT_FALSE(CXString(fixed).IsLower());
    }
    EXPECT_FALSE(CXString("\x8A").equalsIgnoreCase("\x9A"));
    EXPECT_STREQ(CXString("ABC1\xA3").Lower().c_str(), "abc1\xB3");
    EXPECT_TRUE(CXString("").IsUpper());
    EXPECT_TRUE(CXString("").IsLower());
    EXPECT_FALSE(CXString("AB C").IsUpper());

    const CXString mixed("a\xA5" "b");
    EXPECT_FALSE(mixed.IsUpper(0));
    EXPECT_TRUE(mixed.IsUpper(1));
    EXPECT_FALSE(mixed.IsUpper(3));
    EXPECT_FALSE(mixed.IsUpper(-1));
}

// ---- trimming, access, sub-strings ----

TEST(CXString, TrimsOnlyTheGivenCharacter) {
    EXPECT_STREQ(CXString("  ab  ").AllTrim(' ').c_str(), "ab");
    EXPECT_STREQ(CXString("    ").AllTrim(' ').c_str(), "");
    EXPECT_STREQ(CXString("xxabx").LTrim('x').c_str(), "abx");
    EXPECT_STREQ(CXString("xxabx").RTrim('x').c_str(), "xxab");
    EXPECT_STREQ(CXString("ab ").LTrim(' ').c_str(), "ab ");
    EXPECT_STREQ(CXString("\t ab \t").AllTrim(' ').c_str(), "\t ab \t");
    CXString s(repeat(' ', 40).c_str());
    s.AllTrim(' ');
    EXPECT_EQ(s.getCapacity(), 72);  // shrinking never reallocates
}

TEST(CXString, GetAtGivesZeroOutsideTheText) {
    const CXString s("abc");
    EXPECT_EQ(s.GetAt(0), 'a');
    EXPECT_EQ(s.GetAt(-1), 'c');
    EXPECT_EQ(s.lastChar(), 'c');
    EXPECT_EQ(s.GetAt(3), '\0');
    EXPECT_EQ(s.GetAt(-2), '\0');
    EXPECT_EQ(CXString().lastChar(), '\0');
    EXPECT_TRUE(s.IsString());
    EXPECT_FALSE(CXString().IsString());
}

TEST(CXString, SubStringPositionsAreClamped) {
    const CXString s("abcdef");
    struct Case {
        CXString part;
        const char* expected;
    };
    const Case cases[] = {
        {s.Right(2), "cdef"}, {s.Right(0), "abcdef"}, {s.Right(6), ""},      {s.Right(9), ""},
        {s.Right(-3), "abcdef"}, {s.Mid(2, 2), ""},   {s.Mid(1, 4), "bcd"},  {s.Mid(4, 2), ""},
        {s.Mid(-5, 2), "ab"}, {s.Mid(4, 99), "ef"},   {s.Mid(10, 20), ""},   {s.Left(0), ""},
        {s.Left(-1), ""},     {s.Left(2), "ab"},      {s.Left(99), "abcdef"},
    };
    for (const auto& c : cases) EXPECT_STREQ(c.part.c_str(), c.expected);

    CXString cut("abcdef");
    EXPECT_STREQ(cut.mid(1, 5).c_str(), "bcde");
    EXPECT_STREQ(cut.right(2).c_str(), "de");
    EXPECT_STREQ(cut.left(1).c_str(), "d");
    EXPECT_STREQ(cut.left(50).c_str(), "d");
}

TEST(CXString, PartsIntoAnotherStringReplaceItsBufferWhenTooSmall) {
    const CXString source(repeat('s', 60).c_str());
    CXString out;
    source.left(31, &out);
    EXPECT_EQ(out.getCapacity(), 32);
    source.left(32, &out);  // capacity not above the part's length
    EXPECT_EQ(out.getCapacity(), 64);
    source.mid(10, 15, &out);
    EXPECT_STREQ(out.c_str(), "sssss");
    EXPECT_EQ(out.getCapacity(), 64);
    source.right(58, &out);
    EXPECT_STREQ(out.c_str(), "ss");

    CXString fill;
    fill.FillWith('-', 5);
    EXPECT_STREQ(fill.c_str(), "-----");
    EXPECT_EQ(fill.getCapacity(), 5);
    fill.FillWith('-', -3);
    EXPECT_STREQ(fill.c_str(), "");
}

// ---- searching and comparison ----

TEST(CXString, SearchesReturnMinusOneWhenNothingIsFound) {
    const CXString banana("banana");
    EXPECT_EQ(banana.FindLast('a', -1), 5);
    EXPECT_EQ(banana.FindLast('a', 5), 3);
    EXPECT_EQ(banana.FindLast('a', 99), 5);
    EXPECT_EQ(banana.FindLast('b', 0), -1);
    EXPECT_EQ(banana.Find('n', 0), 2);
    EXPECT_EQ(banana.Find('n', 3), 4);
    EXPECT_EQ(banana.Find('x', 0), -1);
    EXPECT_EQ(banana.Find('a', 40), -1);
    EXPECT_EQ(banana.Find('b', -4), 0);
    EXPECT_EQ(banana.FindSubString("an", 2), 3);
    EXPECT_EQ(banana.FindSubString("an", 50), -1);
    EXPECT_EQ(banana.FindSubString("nab", 0), -1);
    EXPECT_EQ(banana.indexOf("ba", -7), 0);
    EXPECT_EQ(banana.indexOf("na", 3), 4);
    EXPECT_EQ(banana.indexOf("bananas", 0), -1);
    EXPECT_EQ(banana.indexOf("a", 6), -1);
    EXPECT_EQ(banana.findOneOf("xn", 0), 2);
    EXPECT_EQ(banana.findOneOf("xyz", 0), -1);
    EXPECT_EQ(banana.findOneOf("b", 1), -1);
    EXPECT_EQ(banana.getCount('a'), 3);
    EXPECT_EQ(banana.getCount('z'), 0);

    EXPECT_TRUE(banana.startsWith("ban"));
    EXPECT_TRUE(banana.endsWith("ana"));
    EXPECT_FALSE(banana.endsWith("anan"));
    EXPECT_TRUE(CXString("").endsWith(""));
    EXPECT_TRUE(banana.startsWith(""));
    EXPECT_FALSE(CXString("ab").startsWith("abc"));
    EXPECT_FALSE(CXString("ab").endsWith("xab"));
}

TEST(CXString, ComparisonIsExactUnlessAskedOtherwise) {
    const CXString a("Abc");
    EXPECT_TRUE(a == "Abc");
    EXPECT_TRUE("Abc" == a);
    EXPECT_TRUE(a == CXString("Abc"));
    EXPECT_TRUE(a != "abc");
    EXPECT_TRUE("abc" != a);
    EXPECT_FALSE(a.equals("abc"));
    EXPECT_TRUE(a.equalsIgnoreCase("aBC"));
    EXPECT_FALSE(a.equalsIgnoreCase("aBCd"));
    EXPECT_STREQ((a + "d").c_str(), "Abcd");
    EXPECT_STREQ(("<" + a).c_str(), "<Abc");
    EXPECT_STREQ((a + a).c_str(), "AbcAbc");
    EXPECT_EQ((a + repeat('e', 40).c_str()).getCapacity(), 75);
}

// ---- formatting and conversions ----

TEST(CXString, FormatCoversTheSixFormsAndLongResults) {
    CXString s;
    EXPECT_STREQ(s.Format("%d", 7).c_str(), "7");
    EXPECT_STREQ(s.Format("%d/%03d", 7, 5).c_str(), "7/005");
    EXPECT_STREQ(s.Format("[%s]", CXString("x")).c_str(), "[x]");
    EXPECT_STREQ(s.Format("%s=%d", CXString("n"), -3).c_str(), "n=-3");
    EXPECT_STREQ(s.Format("%s%d%s", CXString("a"), 1, CXString("b")).c_str(), "a1b");
    EXPECT_STREQ(s.Format("%s %d %d", CXString("p"), 2, 3).c_str(), "p 2 3");

    const std::string longText = repeat('L', 300);
    s.Format("<%s>", CXString(longText.c_str()));
    EXPECT_EQ(text(s), "<" + longText + ">");
    EXPECT_EQ(s.getCapacity(), 302 + 32);
}

TEST(CXString, NumberAndBoolConversions) {
    struct Case {
        const char* text;
        int number;
        bool isNumber;
    };
    for (const Case c : {Case{"0", 0, false}, Case{"12abc", 12, true}, Case{"abc", 0, false},
                         Case{"  -5", -5, true}, Case{"99999999999", 2147483647, true}}) {
        EXPECT_EQ(CXString(c.text).toNumber(), c.number) << c.text;
        EXPECT_EQ(CXString::toNumber(c.text), c.number) << c.text;
        EXPECT_EQ(CXString(c.text).toLong(), c.number) << c.text;
        EXPECT_EQ(CXString(c.text).isNumber(), c.isNumber) << c.text;
    }
    EXPECT_EQ(CXString(" 2.5e1").toDouble(), 25.0);
    EXPECT_EQ(CXString::toDouble("x"), 0.0);

    for (const char* yes : {"true", "True", "TRUE"}) {
        EXPECT_TRUE(CXString(yes).toBool()) << yes;
        EXPECT_TRUE(CXString::toBool(CXString(yes))) << yes;
    }
    for (const char* no : {"yes", "1", "", "true "}) EXPECT_FALSE(CXString(no).toBool()) << no;

    EXPECT_STREQ(CXString::toString(true).c_str(), "TRUE");
    EXPECT_STREQ(CXString::toString(false).c_str(), "FALSE");
    EXPECT_STREQ(CXString::toString(-2147483647 - 1).c_str(), "-2147483648");

    CXString s;
    s = -42;
    EXPECT_STREQ(s.c_str(), "-42");
    s = 0.1;
    EXPECT_STREQ(s.c_str(), "0.1");
    s = 1e20;
    EXPECT_STREQ(s.c_str(), "1e+020");
    s = 'c';
    EXPECT_STREQ(s.c_str(), "c");
}

TEST(CXString, DoubleTextHasFiveDecimals) {
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {0.0, "0"},
        {-0.0, "0"},
        {1.5, "1.50000"},
        {0.25, "0.25000"},
        {-0.5, "-0.50000"},
        {0.015625, "0.01563"},  // exact tie: up
        {1.234565, "1.23456"},  // binary value lies below the tie
        {9.999995, "10.00000"},
        {5e-06, "0.00001"},
        {1e-07, "0"},
        {-1e-07, "0"},
        {123456.789, "123456.78900"},
        {-3.0, "-3.00000"},
        {1e20, "100000000000000000000.00000"},
    };
    for (const auto& c : cases) EXPECT_STREQ(CXString::toString(c.value).c_str(), c.text) << c.value;
    EXPECT_EQ(CXString::toString(1.7976931348623157e308).getLength(), 309 + 6);
}

// ---- replacement and extraction ----

TEST(CXString, ReplaceAndRemoveTag) {
    EXPECT_STREQ(CXString("a.b.c").Replace('.', '\\').c_str(), "a\\b\\c");
    CXString cut("ab|cd");
    cut.Replace('|', '\0');
    EXPECT_STREQ(cut.c_str(), "ab");
    EXPECT_EQ(cut.getLength(), 2);

    struct ReplaceCase {
        const char* source;
        const char* what;
        const char* with;
        const char* result;
    };
    for (const ReplaceCase c : {ReplaceCase{"aaa", "aa", "b", "ba"}, ReplaceCase{"abcabc", "bc", "XYZ", "aXYZaXYZ"},
                                ReplaceCase{"abc", "x", "y", "abc"}, ReplaceCase{"abc", "", "y", "abc"},
                                ReplaceCase{"abab", "ab", "", ""}, ReplaceCase{"", "a", "b", ""}}) {
        EXPECT_STREQ(CXString(c.source).replace(c.what, c.with).c_str(), c.result) << c.source;
    }

    struct OnceCase {
        int from;
        const char* result;
    };
    for (const OnceCase c : {OnceCase{0, "hell0 world"}, OnceCase{5, " w0rld"}, OnceCase{8, "rld"},
                             OnceCase{-4, "hell0 world"}, OnceCase{99, ""}}) {
        CXString s("hello world");
        EXPECT_STREQ(s.replaceOnce("o", "0", c.from).c_str(), c.result) << c.from;
    }
    CXString grow("ab");
    grow.replaceOnce("b", repeat('B', 40).c_str(), 0);
    EXPECT_EQ(text(grow), "a" + repeat('B', 40));

    struct TagCase {
        const char* source;
        const char* tag;
        const char* result;
    };
    for (const TagCase c : {TagCase{"a<b>c<bx y>d", "b", "acd"}, TagCase{"a<i>b</i>", "i", "ab</i>"},
                            TagCase{"<font c=1>x<font>", "font", "x"}, TagCase{"x<b y", "b", "x<b y"},
                            TagCase{"<b>x<b y", "b", "x<b y"}, TagCase{"plain", "b", "plain"},
                            TagCase{"a<p>b", "", "ab"}}) {
        EXPECT_STREQ(CXString(c.source).removeTag(c.tag).c_str(), c.result) << c.source;
    }
}

TEST(CXString, FilterFitsFileNames) {
    struct Case {
        const char* name;
        const char* filter;
        bool fits;
    };
    const Case cases[] = {
        {"abc", "*", true},          {"", "*.*", true},           {"abc.txt", "*.txt", true},
        {"abc.txt", "*.bmp", false}, {"abc.txt", "abc.*", true},  {"ab.txt", "a*.txt", true},
        {"x.bmp", "?.bmp", true},    {"xy.bmp", "?.bmp", false},  {"abc", "a?c", true},
        {"abc", "a?", false},        {"ab", "a??", false},        {"abc", "abc", true},
        {"abc", "ABC", false},       {"abc", "ab", false},        {"ab", "abc", false},
        {"abc", "a*", true},         {"a", "a*", true},           {"", "?", false},
        {"", "", true},              {"abc", "", false},
    };
    for (const auto& c : cases) EXPECT_EQ(CXString(c.name).FilterFits(c.filter), c.fits) << c.name << " " << c.filter;
}

}  // namespace
