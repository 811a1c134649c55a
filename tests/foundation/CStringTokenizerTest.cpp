#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/CStringArray.h"
#include "foundation/CStringTokenizer.h"
#include "foundation/CXArray.h"
#include "foundation/CXPoint.h"
#include "foundation/CXRect.h"
#include "foundation/CXString.h"

namespace {

std::vector<std::string> tokensOf(const char* text, const char* separators) {
    CStringTokenizer t{CXString(text), CXString(separators)};
    std::vector<std::string> out;
    while (t.hasMoreTokens()) out.emplace_back(t.nextToken().c_str());
    EXPECT_FALSE(t.nextToken().IsString()) << "after the last token";
    EXPECT_FALSE(t.hasMoreTokens());
    return out;
}

using Tokens = std::vector<std::string>;

} // namespace

TEST(CStringTokenizer, SplitsAtAnySeparatorWithoutEmptyTokens) {
    struct Case {
        const char* text;
        const char* separators;
        Tokens tokens;
    };
    for (const Case& c : {
             Case{",,a,,b,", ",", {"a", "b"}},
             Case{"", ",", {}},
             Case{",,,", ",", {}},
             Case{"10, 20", ".|, ", {"10", "20"}},
             Case{"a b\tc", " ", {"a", "b\tc"}},   // tokens are not trimmed
             Case{" lead ", ",", {" lead "}},       // blanks are ordinary characters here
             Case{"abc", "", {"abc"}},
             Case{"k1=v1:k2=v2\n", ":=\n", {"k1", "v1", "k2", "v2"}},
             Case{"\xA3\xF3" "d\xBC.x", ".", {"\xA3\xF3" "d\xBC", "x"}},
             Case{"one", "o", {"ne"}},
         }) {
        EXPECT_EQ(tokensOf(c.text, c.separators), c.tokens) << c.text;
    }
}

TEST(CStringTokenizer, IsSeparator) {
    CStringTokenizer t{CXString("x"), CXString(".|")};
    EXPECT_TRUE(t.isSeparator('|'));
    EXPECT_TRUE(t.isSeparator('.'));
    EXPECT_FALSE(t.isSeparator('x'));
    EXPECT_FALSE(t.isSeparator('\0'));
}

TEST(CXStringConversions, PointAndRect) {
    EXPECT_EQ(CXString("1.5,2").toPoint(), CXPoint(1, 5));
    EXPECT_EQ(CXString("-3|  7").toPoint(), CXPoint(-3, 7));
    EXPECT_EQ(CXString("12").toPoint(), CXPoint(12, 0));
    EXPECT_EQ(CXString("").toPoint(), CXPoint(0, 0));
    EXPECT_EQ(CXString("1,2,3").toRect(), CXRect(1, 2, 3, 0));
    EXPECT_EQ(CXString("10, 20, 30, 40, 50").toRect(), CXRect(10, 20, 30, 40));
    EXPECT_EQ(CXString("a,2x,,3").toRect(), CXRect(0, 2, 3, 0));
}

TEST(CXStringConversions, Vector) {
    CXArray* v = CXString("a, b\r\nc,,").toVector();
    ASSERT_NE(v, nullptr);
    ASSERT_EQ(v->getCount(), 3);
    EXPECT_EQ(*v->stringAt(0), "a");
    EXPECT_EQ(*v->stringAt(1), "b");
    EXPECT_EQ(*v->stringAt(2), "c");
    EXPECT_EQ(v->getCapacity(), 101);
    CXString::releaseToVector(v);

    v = CXString("x;y z").toVector(CXString(";"));
    ASSERT_EQ(v->getCount(), 2);
    EXPECT_EQ(*v->stringAt(1), "y z");
    CXString::releaseToVector(v);

    v = CXString("").toVector();
    EXPECT_EQ(v->getCount(), 0);
    CXString::releaseToVector(v);
    CXString::releaseToVector(nullptr);
}

TEST(CXStringConversions, GetWord) {
    const CXString text("alpha  beta\tgamma\n");
    EXPECT_EQ(text.getWord(0), "alpha");
    EXPECT_EQ(text.getWord(1), "beta");
    EXPECT_EQ(text.getWord(2), "gamma");
    EXPECT_EQ(text.getWord(3), "");
    EXPECT_EQ(text.getWord(5), "");
    EXPECT_EQ(text.getWord(-1), "");
    EXPECT_EQ(CXString("a,b c").getWord(0), "a,b");
}

TEST(CStringArray, UniqueAndRemove) {
    CStringArray unique(true);
    unique.add(CXString("Abc"));
    unique.add(CXString("ABC"));
    EXPECT_EQ(unique.getSize(), 1);
    EXPECT_TRUE(unique.contains(CXString("aBC")));

    CStringArray plain;
    plain.add(CXString("Abc"));
    plain.add(CXString("ABC"));
    plain.add(CXString("x"));
    plain.add(CXString("ABC"));
    EXPECT_EQ(plain.getSize(), 4);
    plain.remove(CXString("ABC"));
    ASSERT_EQ(plain.getSize(), 2);
    EXPECT_EQ(*plain.at(0), "Abc");
    EXPECT_EQ(*plain.at(1), "x");
    EXPECT_EQ(plain.at(2), nullptr);
    EXPECT_TRUE(plain.contains(CXString("abc")));
    plain.remove(CXString("missing"));
    EXPECT_EQ(plain.getSize(), 2);

    plain.removeAll();
    EXPECT_EQ(plain.getSize(), 0);
    EXPECT_FALSE(plain.contains(CXString("abc")));
    plain.add(CXString("again"));
    EXPECT_EQ(plain.getSize(), 1);
}
