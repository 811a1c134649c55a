#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/CHashtable.h"
#include "foundation/CInteger.h"
#include "foundation/CStringHashCode.h"
#include "foundation/CXString.h"

namespace {

// A key that counts its own deletions.
class CountedKey : public CStringHashCode {
public:
    CountedKey(const char* text, int* deletions) : CStringHashCode(CXString(text)), m_deletions(deletions) {}
    ~CountedKey() override { ++*m_deletions; }

private:
    int* m_deletions;
};

int32_t hashOf(const char* text) { return CStringHashCode(CXString(text)).getHashcode(); }

CXObject* lookUp(CHashtable& table, const char* name) {
    CStringHashCode key{CXString(name)};
    return table.get(&key);
}

std::string order(const CXVector* values) {
    std::string s;
    for (int i = 0; i < values->getCount(); ++i) s += std::to_string(static_cast<CInteger*>(values->at(i))->toInt()) + " ";
    return s;
}

// Two upper-case names with one hash: 'A' + 2 × 'C' == 'C' + 2 × 'B'.
constexpr const char* kCollideA = "AC";
constexpr const char* kCollideB = "CB";

}  // namespace

TEST(CStringHashCode, HashValues) {
    // 17 × 'A': the shifts wrap after 16 positions: 65535 + 1 + 65 × (1 + … + 17).
    const std::string seventeen(17, 'A');
    // A long text whose sum leaves 32 bits: compare with the sum taken modulo 2^32.
    const std::string longText(70000, 'z');
    int64_t wide = 0;
    for (int64_t i = 0; i < 70000; ++i) wide += (int64_t{1} << (i % 16)) + (i + 1) * 'z';
    const auto wrapped = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(wide)));

    const struct {
        std::string text;
        int32_t hash;
    } cases[] = {
        {"", 0},
        {"a", 98},
        {"abc", 597},
        {"\xB3", -76},  // a byte above 0x7F counts as negative
        {seventeen, 75481},
        {longText, wrapped},
    };
    for (const auto& c : cases) EXPECT_EQ(hashOf(c.text.c_str()), c.hash) << c.text.substr(0, 20);
    EXPECT_EQ(hashOf(kCollideA), hashOf(kCollideB));
}

TEST(CStringHashCode, SetAndEquals) {
    CStringHashCode key{CXString("temp")};
    CStringHashCode other{CXString("GETNAME")};
    EXPECT_FALSE(key.equals(&other));
    key.set("GETNAME");
    EXPECT_TRUE(key.equals(&other));
    EXPECT_EQ(key.getHashcode(), other.getHashcode());
    key.set("getname");  // case matters
    EXPECT_FALSE(key.equals(&other));

    const std::string longName(200, 'Q');
    key.set(longName.c_str());
    EXPECT_EQ(key.getString(), CXString(longName.c_str()));
    EXPECT_EQ(key.getHashcode(), hashOf(longName.c_str()));
    key.set(nullptr);
    EXPECT_EQ(key.getHashcode(), 0);
    EXPECT_FALSE(key.getString().IsString());

    CStringHashCode copy(other);
    EXPECT_TRUE(copy.equals(&other));
    CInteger number(5);
    EXPECT_FALSE(other.equals(&number));  // a key of another class is never equal
    EXPECT_FALSE(other.equals(nullptr));
}

TEST(CInteger, ValuesAndEquality) {
    const struct {
        const char* text;
        int value;
    } texts[] = {{"42", 42}, {"  -7x", -7}, {"abc", 0}, {"", 0}};
    for (const auto& t : texts) EXPECT_EQ(CInteger(CXString(t.text)).toInt(), t.value) << t.text;

    CInteger n;
    EXPECT_EQ(n.toInt(), 0);
    n.parse(CXString("12"));
    n.increment();
    EXPECT_EQ(n.getHashcode(), 13);
    CInteger top(INT_MAX);
    top.increment();
    EXPECT_EQ(top.toInt(), INT_MIN);
    top.decrement();
    EXPECT_EQ(top.toInt(), INT_MAX);

    CInteger same(13);
    CStringHashCode text{CXString("13")};
    EXPECT_TRUE(n.equals(&same));
    EXPECT_FALSE(n.equals(&text));
    EXPECT_EQ(CInteger::toString(-15), CXString("-15"));
}

class CHashtableTest : public ::testing::Test {
protected:
    // Values 0..n-1, owned by the fixture.
    CInteger* value(int i) {
        while (static_cast<int>(values.size()) <= i) values.push_back(std::make_unique<CInteger>(static_cast<int>(values.size())));
        return values[i].get();
    }
    std::vector<std::unique_ptr<CInteger>> values;
};

TEST_F(CHashtableTest, CollidingNamesStayReachable) {
    CHashtable table(101, 0.75, true);
    table.put(new CStringHashCode(CXString(kCollideA)), value(1));
    table.put(new CStringHashCode(CXString(kCollideB)), value(2));
    table.put(new CStringHashCode(CXString("SEND")), value(3));
    EXPECT_EQ(lookUp(table, kCollideA), value(1));
    EXPECT_EQ(lookUp(table, kCollideB), value(2));
    EXPECT_EQ(lookUp(table, "SEND"), value(3));
    EXPECT_EQ(lookUp(table, "send"), nullptr);
    EXPECT_EQ(table.getSize(), 3);
}

TEST_F(CHashtableTest, EqualKeyTwiceKeepsBothAndFindsTheFirst) {
    CHashtable table(101, 0.75, true);
    table.put(new CStringHashCode(CXString("GETNAME")), value(1));
    table.put(new CStringHashCode(CXString("GETNAME")), value(2));
    EXPECT_EQ(table.getSize(), 2);
    EXPECT_EQ(lookUp(table, "GETNAME"), value(1));
    table.remove(value(1));
    EXPECT_EQ(lookUp(table, "GETNAME"), value(2));
}

TEST_F(CHashtableTest, GrowsAtTheFourthPutAndKeepsEverything) {
    CHashtable table(4, 0.75, true);
    // Equal keys in one bucket must keep their order through the rehash.
    table.put(new CInteger(5), value(0));
    table.put(new CInteger(5), value(1));
    table.put(new CInteger(2), value(2));
    EXPECT_EQ(table.getCapacity(), 4);
    table.put(new CInteger(9), value(3));
    EXPECT_EQ(table.getCapacity(), 8);
    for (int i = 10; i < 40; ++i) table.put(new CInteger(i), value(i));
    EXPECT_EQ(table.getCapacity(), 64);
    EXPECT_EQ(table.getSize(), 34);

    CInteger five(5), two(2), nine(9);
    EXPECT_EQ(table.get(&five), value(0));
    EXPECT_EQ(table.get(&two), value(2));
    EXPECT_EQ(table.get(&nine), value(3));
    for (int i = 10; i < 40; ++i) {
        CInteger key(i);
        EXPECT_EQ(table.get(&key), value(i)) << i;
    }
    // The value list stays in insertion order across growth.
    ASSERT_EQ(table.getValues()->getCount(), 34);
    EXPECT_EQ(order(table.getValues()).substr(0, 11), "0 1 2 3 10 ");
    EXPECT_EQ(table.getElements(), table.getValues());
}

TEST_F(CHashtableTest, NegativeHashesFindABucket) {
    CHashtable table(7, 0.75, true);
    const char* polish = "\xA3\xD3\x44\xA5";
    ASSERT_LT(hashOf(polish), 0);
    table.put(new CStringHashCode(CXString(polish)), value(1));
    table.put(new CInteger(-5), value(2));
    table.put(new CInteger(INT_MIN), value(3));
    CInteger minusFive(-5), lowest(INT_MIN);
    EXPECT_EQ(lookUp(table, polish), value(1));
    EXPECT_EQ(table.get(&minusFive), value(2));
    EXPECT_EQ(table.get(&lowest), value(3));
}

TEST_F(CHashtableTest, RemoveTakesAValue) {
    int deletions = 0;
    CHashtable table(101, 0.75, true);
    table.put(new CountedKey(kCollideA, &deletions), value(1));
    table.put(new CountedKey(kCollideB, &deletions), value(2));
    table.put(new CountedKey("PLAY", &deletions), value(3));

    CInteger stranger(1);
    table.remove(&stranger);  // equal to value 1 but another object: nothing
    EXPECT_EQ(table.getSize(), 3);
    EXPECT_EQ(deletions, 0);

    table.remove(value(1));  // from the collision bucket
    EXPECT_EQ(deletions, 1);
    EXPECT_EQ(lookUp(table, kCollideA), nullptr);
    EXPECT_EQ(lookUp(table, kCollideB), value(2));
    EXPECT_FALSE(table.contains(value(1)));
    EXPECT_TRUE(table.contains(value(2)));

    table.remove(value(2));  // empties the collision bucket
    table.remove(value(3));
    EXPECT_EQ(deletions, 3);
    EXPECT_EQ(table.getSize(), 0);
    EXPECT_EQ(table.getValues()->getCount(), 0);
    EXPECT_EQ(table.getKeys(), nullptr);

    // The emptied bucket takes new entries again.
    table.put(new CountedKey(kCollideB, &deletions), value(4));
    table.put(new CountedKey(kCollideA, &deletions), value(5));
    EXPECT_EQ(lookUp(table, kCollideA), value(5));
    EXPECT_EQ(lookUp(table, kCollideB), value(4));
}

TEST_F(CHashtableTest, KeyOwnershipOnClearAndDestruction) {
    for (bool owns : {true, false}) {
        int deletions = 0;
        std::vector<std::unique_ptr<CountedKey>> kept;
        {
            CHashtable table(101, 0.75, owns);
            for (const char* name : {kCollideA, kCollideB, "PLAY", "STOP"}) {
                auto* key = new CountedKey(name, &deletions);
                if (!owns) kept.emplace_back(key);
                table.put(key, value(1));
            }
            table.clear();
            EXPECT_EQ(table.getSize(), 0);
            EXPECT_EQ(deletions, owns ? 4 : 0);
            if (owns) table.put(new CountedKey("LAST", &deletions), value(2));
        }
        EXPECT_EQ(deletions, owns ? 5 : 0) << owns;
    }
}

TEST_F(CHashtableTest, KeysInBucketOrder) {
    CHashtable table(101, 0.75, true);
    CXVector* none = table.getKeys();
    EXPECT_EQ(none, nullptr);
    for (int k : {3, 105, 1, 2}) table.put(new CInteger(k), value(k % 101));  // 105 lands in bucket 4
    table.put(new CInteger(104), value(7));  // bucket 3, listed after 3
    std::unique_ptr<CXVector> keys(table.getKeys());
    ASSERT_NE(keys, nullptr);
    std::string s;
    for (int i = 0; i < keys->getCount(); ++i) s += std::to_string(static_cast<CInteger*>(keys->at(i))->toInt()) + " ";
    EXPECT_EQ(s, "1 2 3 104 105 ");
}

TEST_F(CHashtableTest, CloneKeepsCollisionBuckets) {
    auto table = std::make_unique<CHashtable>(101, 0.75, true);
    table->put(new CStringHashCode(CXString(kCollideA)), value(1));
    table->put(new CStringHashCode(CXString("SEND")), value(2));
    table->put(new CStringHashCode(CXString(kCollideB)), value(3));

    std::unique_ptr<CHashtable> copy(static_cast<CHashtable*>(table->clone()));
    EXPECT_FALSE(copy->ownsKeys());
    EXPECT_EQ(copy->getSize(), 3);
    EXPECT_EQ(copy->getCapacity(), 101);
    EXPECT_EQ(lookUp(*copy, kCollideA), value(1));
    EXPECT_EQ(lookUp(*copy, kCollideB), value(3));
    EXPECT_EQ(lookUp(*copy, "SEND"), value(2));
    EXPECT_EQ(order(copy->getValues()), "1 2 3 ");

    // The clone's lists are its own: removing there leaves the original whole.
    copy->remove(value(1));
    EXPECT_EQ(lookUp(*copy, kCollideA), nullptr);
    EXPECT_EQ(lookUp(*table, kCollideA), value(1));
    EXPECT_EQ(table->getSize(), 3);

    // Shared keys: the clone goes first without deleting them, then the original.
    copy.reset();
    EXPECT_EQ(lookUp(*table, kCollideB), value(3));
    table.reset();
}
