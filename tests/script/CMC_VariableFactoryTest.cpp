#include "script/CMC_VariableFactory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "foundation/CXArchive.h"
#include "script/CMC_Bool.h"
#include "script/CMC_Double.h"
#include "script/CMC_Integer.h"
#include "script/CMC_String.h"
#include "support/ScriptTestSupport.h"

namespace {

struct FactoryTest : ::testing::Test {
    test::ScriptWorld world;
};

}  // namespace

TEST_F(FactoryTest, PoolsHoldFiveHundredNamedValuesEach) {
    for (int type : {1, 2, 3, 4}) {
        EXPECT_EQ(CMC_VariableFactory::poolSize(type), 500) << type;
        EXPECT_EQ(CMC_VariableFactory::inUseCount(type), 0) << type;
    }
    EXPECT_EQ(CMC_VariableFactory::poolSize(12), 0);
    CMC_String* s = CMC_VariableFactory::allocString();
    CMC_Bool* b = CMC_VariableFactory::allocBool();
    CMC_Double* d = CMC_VariableFactory::allocDouble();
    EXPECT_EQ(s->getType(), 2);
    EXPECT_EQ(b->getType(), 3);
    EXPECT_EQ(d->getType(), 4);
    EXPECT_EQ(s->getName(), CXString("f"));
    EXPECT_GE(s->getPoolIndex(), 0);
    EXPECT_FALSE(s->isToIni());
    EXPECT_FALSE(s->isNetNotify());
}

TEST_F(FactoryTest, HandsOutInCircularOrderAfterTheLastOne) {
    CMC_Integer* last = CMC_VariableFactory::allocInteger();
    CMC_VariableFactory::clearPool();
    std::set<CMC_Integer*> seen;
    CMC_Integer* first = nullptr;
    for (int i = 0; i < 500; ++i) {
        CMC_Integer* v = CMC_VariableFactory::allocInteger();
        if (i == 0) first = v;
        seen.insert(v);
    }
    EXPECT_EQ(seen.size(), 500u);
    EXPECT_EQ(first->getPoolIndex(), (last->getPoolIndex() + 1) % 500);
    EXPECT_EQ(CMC_VariableFactory::inUseCount(1), 500);
}

TEST_F(FactoryTest, ValuesKeepTheirOldContentsAndFreedOnesWaitTheirTurn) {
    CMC_Integer* a = CMC_VariableFactory::allocInteger();
    a->setValue(41);
    CMC_VariableFactory::free(a);
    EXPECT_EQ(CMC_VariableFactory::inUseCount(1), 0);
    CMC_Integer* b = CMC_VariableFactory::allocInteger();
    EXPECT_NE(a, b);
    // Going round once more lands on it again, still holding 41.
    CMC_Integer* again = nullptr;
    for (int i = 0; i < 499 && again != a; ++i) again = CMC_VariableFactory::allocInteger();
    EXPECT_EQ(again, a);
    EXPECT_EQ(a->getValue(), 41);
}

TEST_F(FactoryTest, FreeLeavesOtherValuesAlone) {
    CMC_Integer named(CXString("N"));
    CMC_Integer* pooled = CMC_VariableFactory::allocInteger();
    CMC_VariableFactory::free(&named);
    CMC_VariableFactory::free(nullptr);
    EXPECT_EQ(CMC_VariableFactory::inUseCount(1), 1);
    // A value outside the pool that claims a pool index is not the pool's to release.
    CMC_Integer impostor(CXString("f"), pooled->getPoolIndex());
    CMC_VariableFactory::free(&impostor);
    EXPECT_EQ(CMC_VariableFactory::inUseCount(1), 1);
}

TEST_F(FactoryTest, AFullPoolGrows) {
    std::set<CMC_Bool*> seen;
    for (int i = 0; i < 501; ++i) seen.insert(CMC_VariableFactory::allocBool());
    EXPECT_EQ(seen.size(), 501u);
    EXPECT_EQ(CMC_VariableFactory::poolSize(3), 1000);
    for (CMC_Bool* b : seen) EXPECT_EQ(b->getType(), 3);
    // Back to the ordinary pools for the other tests.
    CMC_VariableFactory::done();
    EXPECT_FALSE(CMC_VariableFactory::isInitialized());
    CMC_VariableFactory::initialize();
    EXPECT_EQ(CMC_VariableFactory::poolSize(3), 500);
}

TEST_F(FactoryTest, CopyVariableIsAnIndependentPooledCopy) {
    CMC_String declared(CXString("NAME"));
    declared.setValue("abc");
    CMC_Variable* copy = CMC_VariableFactory::copyVariable(&declared);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->getType(), 2);
    EXPECT_GE(copy->getPoolIndex(), 0);
    EXPECT_EQ(copy->toString(), CXString("abc"));
    static_cast<CMC_String*>(copy)->setValue("changed");
    EXPECT_EQ(declared.getValue(), CXString("abc"));

    EXPECT_EQ(CMC_VariableFactory::copyVariable(nullptr), nullptr);
}

TEST_F(FactoryTest, RestoreReadsTaggedArchiveValues) {
    using test::archiveString;
    using test::le32;
    struct Case {
        std::string bytes;
        int type;  // 0: null expected
        const char* text;
    } cases[] = {
        {le32(1) + le32(7), 1, "7"},
        {le32(2) + archiveString("ab"), 2, "ab"},
        {le32(3) + le32(1), 3, "TRUE"},
        {le32(4) + le32(15000), 4, "1.50000"},
        {le32(3002) + le32(1), 0, nullptr},
        {le32(0), 0, nullptr},
        {std::string(), 0, nullptr},
    };
    for (const Case& c : cases) {
        const int inUse = CMC_VariableFactory::inUseCount(c.type ? c.type : 1);
        CMC_Variable* v = nullptr;
        test::readArchive(c.bytes, [&](CXArchive& a) { v = CMC_VariableFactory::restore(&a); });
        if (!c.type) {
            EXPECT_EQ(v, nullptr);
            EXPECT_EQ(CMC_VariableFactory::inUseCount(1), inUse);
            continue;
        }
        ASSERT_NE(v, nullptr);
        EXPECT_EQ(v->getType(), c.type);
        EXPECT_GE(v->getPoolIndex(), 0);
        EXPECT_EQ(v->toString(), CXString(c.text));
    }
}

TEST_F(FactoryTest, NetrestoreReadsTheNetworkForm) {
    const unsigned char integer[8] = {1, 0, 0, 0, 42, 0, 0, 0};
    CMC_Variable* v = CMC_VariableFactory::netrestore(const_cast<unsigned char*>(integer));
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->getType(), 1);
    EXPECT_EQ(static_cast<CMC_Integer*>(v)->getValue(), 42);

    const unsigned char text[8] = {2, 0, 0, 0, 'h', 'i', 0, 0};
    v = CMC_VariableFactory::netrestore(const_cast<unsigned char*>(text));
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->toString(), CXString("hi"));

    const unsigned char other[8] = {0xBA, 0x0B, 0, 0, 0, 0, 0, 0};
    const int before = CMC_VariableFactory::inUseCount(1);
    EXPECT_EQ(CMC_VariableFactory::netrestore(const_cast<unsigned char*>(other)), nullptr);
    EXPECT_EQ(CMC_VariableFactory::netrestore(nullptr), nullptr);
    EXPECT_EQ(CMC_VariableFactory::inUseCount(1), before);
}

// A frame from the network is read only within its own bytes: a form cut short
// (a STRING without its terminating zero among them) gives nothing.
TEST_F(FactoryTest, NetrestoreOfAFrameStaysInsideItsBytes) {
    struct Case {
        std::vector<unsigned char> bytes;
        int type;  // 0: nothing
    };
    const Case cases[] = {
        {{1, 0, 0, 0, 42, 0, 0, 0}, 1},
        {{1, 0, 0, 0, 42, 0, 0}, 0},
        {{3, 0, 0, 0, 1}, 3},
        {{3, 0, 0, 0}, 0},
        {{4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F}, 4},
        {{4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xF0}, 0},
        {{2, 0, 0, 0, 'h', 'i', 0}, 2},
        {{2, 0, 0, 0, 0}, 2},
        {{2, 0, 0, 0, 'h', 'i'}, 0},
        {{2, 0, 0, 0}, 0},
        {{2, 0, 0}, 0},
        {{}, 0},
    };
    for (const Case& c : cases) {
        // Each frame in a block of exactly its size, so a read past it is caught.
        std::unique_ptr<unsigned char[]> frame(new unsigned char[c.bytes.size()]);
        std::copy(c.bytes.begin(), c.bytes.end(), frame.get());
        const int before = CMC_VariableFactory::inUseCount(2);
        CMC_Variable* v = CMC_VariableFactory::netrestore(frame.get(), static_cast<int32_t>(c.bytes.size()));
        if (!c.type) {
            EXPECT_EQ(v, nullptr) << c.bytes.size();
            EXPECT_EQ(CMC_VariableFactory::inUseCount(2), before);
            continue;
        }
        ASSERT_NE(v, nullptr) << c.bytes.size();
        EXPECT_EQ(v->getType(), c.type);
        CMC_Object::flush(v);
    }
    const unsigned char text[7] = {2, 0, 0, 0, 'h', 'i', 0};
    CMC_Variable* v = CMC_VariableFactory::netrestore(text, 7);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->toString(), CXString("hi"));
    EXPECT_EQ(CMC_VariableFactory::netrestore(nullptr, 8), nullptr);
    EXPECT_EQ(CMC_VariableFactory::netrestore(text, -1), nullptr);
}
