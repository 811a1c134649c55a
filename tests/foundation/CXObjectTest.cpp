#include <gtest/gtest.h>

#include <climits>

#include "foundation/CXObject.h"
#include "foundation/CXString.h"

TEST(CXObject, FreshObjectDefaultsAndIdentity) {
    CXObject a;
    CXObject b;
    EXPECT_EQ(a.LastError(), 0);
    EXPECT_FALSE(a.isToDelete());
    a.setToDelete();
    EXPECT_TRUE(a.isToDelete());

    EXPECT_TRUE(a.equals(&a));
    EXPECT_EQ(a.compare(&a), 1);
    EXPECT_FALSE(a.equals(&b));
    EXPECT_EQ(a.compare(&b), 0);
    EXPECT_EQ(a.clone(), nullptr);
    EXPECT_FALSE(a.toString().IsString());
}

TEST(CXObject, CopyKeepsErrorCodeAndFlag) {
    CXObject a;
    a.setErrorCode(2000);
    a.setToDelete();
    CXObject b(a);
    EXPECT_EQ(b.LastError(), 2000);
    EXPECT_TRUE(b.isToDelete());
    CXObject c;
    c = a;
    EXPECT_EQ(c.LastError(), 2000);
}

TEST(CXObject, ByteSwaps) {
    EXPECT_EQ(static_cast<uint16_t>(CXObject::swap_word(0x1234)), 0x3412);
    EXPECT_EQ(static_cast<uint32_t>(CXObject::swap_dword(0x12345678)), 0x78563412u);
    EXPECT_EQ(static_cast<uint32_t>(CXObject::swap_dword(static_cast<int32_t>(0x80000001u))), 0x01000080u);
}

TEST(CXObject, AbsoluteIsAMagnitude) {
    const int cases[][2] = {{0, 0}, {5, 5}, {-5, 5}, {INT_MAX, INT_MAX}, {-INT_MAX, INT_MAX}, {INT_MIN, INT_MAX}};
    for (const auto& c : cases) EXPECT_EQ(absolute(c[0]), c[1]) << c[0];
}
