#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/CQuene.h"
#include "foundation/CSortedVector.h"
#include "foundation/CXArray.h"
#include "foundation/CXPair.h"
#include "foundation/CXString.h"
#include "foundation/CXVector.h"

namespace {

// An object ordered by a priority; the tag tells equal priorities apart.
class Prio : public CXObject {
public:
    Prio(int priority, char tag) : priority(priority), tag(tag) {}
    int compare(CXObject* other) override {
        const int o = static_cast<Prio*>(other)->priority;
        return priority > o ? 1 : (priority < o ? -1 : 0);
    }
    int priority;
    char tag;
};

// A class whose CXObject part is not at its start, so its void* and CXObject*
// addresses differ.
struct Listener {
    virtual ~Listener() = default;
    int field = 0;
};
class Listening : public Listener, public CXObject {};

std::string tags(CXVector& v) {
    std::string s;
    for (int i = 0; i < v.getCount(); ++i) s += static_cast<Prio*>(v.at(i))->tag;
    return s;
}

using ArrayFactory = std::function<CXArray*(int, float)>;
const std::vector<std::pair<const char*, ArrayFactory>> kArrayKinds = {
    {"CXArray", [](int c, float lf) -> CXArray* { return new CXArray(c, lf); }},
    {"CXVector", [](int c, float lf) -> CXArray* { return new CXVector(c, lf); }},
};

int slot[16];  // distinct addresses to store

}  // namespace

TEST(Containers, GrowthAtTheLoadFactorBoundary) {
    struct Case {
        int capacity;
        int adds;
        int expectedCapacity;
    };
    // Growth when count after storing exceeds capacity × 0.75; a capacity of 0 counts as 1.
    const Case cases[] = {{4, 3, 4}, {4, 4, 8}, {4, 6, 8}, {4, 7, 16}, {0, 0, 1}, {0, 1, 2}, {0, 2, 4}, {-3, 1, 2}};
    for (const auto& [name, make] : kArrayKinds) {
        for (const Case& c : cases) {
            std::unique_ptr<CXArray> a(make(c.capacity, 0.75f));
            for (int i = 0; i < c.adds; ++i) a->add(&slot[i]);
            EXPECT_EQ(a->getCapacity(), c.expectedCapacity) << name << " capacity " << c.capacity << " adds " << c.adds;
            ASSERT_EQ(a->getCount(), c.adds);
            for (int i = 0; i < c.adds; ++i) EXPECT_EQ(a->at(i), &slot[i]) << name;
        }
    }
}

TEST(Containers, LoadFactorOfOneNeverOverflows) {
    for (const auto& [name, make] : kArrayKinds) {
        std::unique_ptr<CXArray> a(make(2, 1.0f));
        for (int i = 0; i < 5; ++i) a->add(&slot[i]);
        ASSERT_EQ(a->getCount(), 5) << name;
        EXPECT_GE(a->getCapacity(), 5) << name;
        a->insertAt(0, &slot[9]);
        EXPECT_EQ(a->at(0), &slot[9]) << name;
        EXPECT_EQ(a->at(5), &slot[4]) << name;
    }
}

TEST(Containers, RemoveFindAndReplace) {
    for (const auto& [name, make] : kArrayKinds) {
        std::unique_ptr<CXArray> a(make(101, 0.75f));
        for (int i = 0; i < 4; ++i) a->add(&slot[i]);
        a->removeAt(-1);
        a->removeAt(4);
        EXPECT_EQ(a->getCount(), 4) << name;
        EXPECT_EQ(a->find(&slot[7]), -1) << name;
        EXPECT_FALSE(a->contains(&slot[7])) << name;

        a->removeAt(1);  // 0 2 3
        a->remove(&slot[3]);  // 0 2
        a->remove(&slot[7]);  // absent: nothing
        ASSERT_EQ(a->getCount(), 2) << name;
        EXPECT_EQ(a->at(0), &slot[0]);
        EXPECT_EQ(a->at(1), &slot[2]);
        EXPECT_TRUE(a->replace(&slot[2], &slot[5]));
        EXPECT_FALSE(a->replace(&slot[2], &slot[6]));
        EXPECT_EQ(a->find(&slot[5]), 1) << name;
        EXPECT_EQ((*a)[1], &slot[5]);
        EXPECT_EQ((*a)[-1], nullptr);
        a->removeAll();
        EXPECT_EQ(a->getCount(), 0) << name;
        EXPECT_EQ(a->find(&slot[0]), -1) << name;
    }
}

TEST(Containers, InsertAtShiftsAndClamps) {
    for (const auto& [name, make] : kArrayKinds) {
        std::unique_ptr<CXArray> a(make(4, 0.75f));
        a->add(&slot[0]);
        a->add(&slot[1]);
        a->insertAt(0, &slot[2]);  // 2 0 1
        a->insertAt(99, &slot[3]);  // past the end: appended (and grows: 4 > 3)
        a->insertAt(-1, &slot[4]);  // ignored
        ASSERT_EQ(a->getCount(), 4) << name;
        EXPECT_EQ(a->getCapacity(), 8) << name;
        const int expected[] = {2, 0, 1, 3};
        for (int i = 0; i < 4; ++i) EXPECT_EQ(a->at(i), &slot[expected[i]]) << name << " at " << i;
    }
}

TEST(Containers, SetAtOnArrayAndVector) {
    CXArray array(4, 0.75f);
    EXPECT_EQ(array.setAt(-1, &slot[0]), nullptr);
    EXPECT_EQ(array.setAt(2, &slot[0]), nullptr);  // inside the capacity, past the count
    EXPECT_EQ(array.getCount(), 0);
    EXPECT_EQ(array.getCapacity(), 4);
    EXPECT_EQ(array.setAt(3, &slot[1]), nullptr);  // 3 >= 4 × 0.75: grows first
    EXPECT_EQ(array.getCapacity(), 8);
    EXPECT_EQ(array.at(2), &slot[0]);
    EXPECT_EQ(array.setAt(2, &slot[2]), &slot[0]);
    EXPECT_EQ(array.setAt(1 << 30, &slot[2]), nullptr);
    EXPECT_EQ(array.getCount(), 0);

    CXVector vector(4, 0.75f);
    Prio a(1, 'a'), b(2, 'b');
    vector.add(&a);
    EXPECT_EQ(vector.setAt(1, &b), nullptr);  // past the count: nothing stored
    EXPECT_EQ(vector.at(1), nullptr);
    EXPECT_EQ(vector.setAt(0, &b), &a);
    EXPECT_EQ(vector.at(0), &b);
    // Through the base class a vector still keeps its own rule.
    CXArray& base = vector;
    EXPECT_EQ(base.setAt(2, &slot[0]), nullptr);
    EXPECT_EQ(vector.getCount(), 1);
}

TEST(Containers, AppendArrayIncludingItself) {
    for (const auto& [name, make] : kArrayKinds) {
        std::unique_ptr<CXArray> a(make(2, 0.75f));
        std::unique_ptr<CXArray> b(make(101, 0.75f));
        for (int i = 0; i < 3; ++i) b->add(&slot[i]);
        a->add(b.get());
        a->add(a.get());
        ASSERT_EQ(a->getCount(), 6) << name;
        EXPECT_LT(a->getCount(), a->getCapacity() * 0.75 + 1) << name;
        for (int i = 0; i < 6; ++i) EXPECT_EQ(a->at(i), &slot[i % 3]) << name;
        a->add(static_cast<CXArray*>(nullptr));
        EXPECT_EQ(a->getCount(), 6);
    }
}

TEST(Containers, VectorFindsObjectsWithSeveralBases) {
    Listening x;
    CXVector v;
    v.add(&x);
    EXPECT_EQ(v.find(&x), 0);
    EXPECT_TRUE(v.contains(&x));
    EXPECT_EQ(v.at(0), static_cast<CXObject*>(&x));
    v.remove(&x);
    EXPECT_EQ(v.getCount(), 0);
}

TEST(Containers, StringsInAnArray) {
    CXString abc("Abc"), polish("\xA3\xF3\x64\xBC");
    CXArray a;
    a.add(&abc);
    a.add(&polish);
    EXPECT_TRUE(a.containsString(CXString("aBC")));
    EXPECT_TRUE(a.containsString(CXString("\xB3\xD3\x44\xBC")));
    EXPECT_FALSE(a.containsString(CXString("ab")));
    EXPECT_EQ(a.stringAt(1), &polish);
    EXPECT_EQ(a.stringAt(2), nullptr);
    EXPECT_EQ(a.stringAt(-1), nullptr);
}

TEST(Containers, CloneKeepsClassCapacityAndOrder) {
    CXArray array(4, 0.75f);
    array.add(&slot[0]);
    array.add(&slot[1]);
    std::unique_ptr<CXObject> arrayCopy(array.clone());
    auto* a = dynamic_cast<CXArray*>(arrayCopy.get());
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->getCapacity(), 4);
    EXPECT_EQ(a->getCount(), 2);
    EXPECT_EQ(a->at(1), &slot[1]);

    Prio p1(1, 'a'), p2(2, 'b');
    CXFifoQuene fifo;
    fifo.push(&p1);
    fifo.push(&p2);
    std::unique_ptr<CXObject> fifoCopy(fifo.clone());
    auto* f = dynamic_cast<CXFifoQuene*>(fifoCopy.get());
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->getCapacity(), 101);
    EXPECT_EQ(f->pop(), &p1);
    EXPECT_EQ(fifo.getCount(), 2);  // the original is untouched

    CSortedVector sorted(8);
    sorted.add(&p2);
    sorted.add(&p1);
    std::unique_ptr<CXObject> sortedCopy(sorted.clone());
    auto* s = dynamic_cast<CSortedVector*>(sortedCopy.get());
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(tags(*s), "ab");
}

TEST(Containers, CopyIntoGrowsTheTarget) {
    Prio p[5] = {{0, 'a'}, {1, 'b'}, {2, 'c'}, {3, 'd'}, {4, 'e'}};
    CXVector source;
    for (auto& x : p) source.add(&x);
    CXVector target(2, 0.75f);
    target.add(&p[4]);
    source.copyInto(&target);
    EXPECT_EQ(tags(target), "abcde");
    target.add(&p[0]);  // still room after the copy
    EXPECT_EQ(tags(target), "abcdea");
}

TEST(Containers, QueueOrder) {
    CFifoQuene fifo;
    CLifoQuene lifo;
    for (CQuene* q : {static_cast<CQuene*>(&fifo), static_cast<CQuene*>(&lifo)}) {
        EXPECT_EQ(q->pop(), nullptr);
        for (int i = 0; i < 3; ++i) q->push(&slot[i]);
    }
    EXPECT_EQ(fifo.pop(), &slot[0]);
    EXPECT_EQ(fifo.pop(), &slot[1]);
    EXPECT_EQ(lifo.pop(), &slot[2]);
    EXPECT_EQ(lifo.pop(), &slot[1]);
    EXPECT_EQ(fifo.pop(), &slot[2]);
    EXPECT_EQ(fifo.pop(), nullptr);

    Prio a(0, 'a'), b(0, 'b'), c(0, 'c');
    CXFifoQuene xfifo;
    CXLifoQuene xlifo;
    for (CXQuene* q : {static_cast<CXQuene*>(&xfifo), static_cast<CXQuene*>(&xlifo)}) {
        EXPECT_EQ(q->pop(), nullptr);
        for (CXObject* o : {&a, &b, &c}) q->push(o);
    }
    std::string fifoOrder, lifoOrder;
    while (CXObject* o = xfifo.pop()) fifoOrder += static_cast<Prio*>(o)->tag;
    while (CXObject* o = xlifo.pop()) lifoOrder += static_cast<Prio*>(o)->tag;
    EXPECT_EQ(fifoOrder, "abc");
    EXPECT_EQ(lifoOrder, "cba");
}

TEST(Containers, SortedVectorKeepsOrderAndEqualsInInsertionOrder) {
    Prio p3(3, 'c'), p1(1, 'a'), p2(2, 'b'), q2(2, 'B'), r2(2, 'X'), p0(0, '0');
    CSortedVector v(2);
    for (Prio* p : {&p3, &p1, &p2, &q2}) v.add(p);
    EXPECT_EQ(tags(v), "abBc");
    v.add(static_cast<CXObject*>(&r2));
    v.add(&p0);
    EXPECT_EQ(tags(v), "0abBXc");

    std::unique_ptr<CSortedVector> reversed(v.reverse());
    EXPECT_EQ(tags(*reversed), "0aXBbc");  // equal priorities come out reversed
    EXPECT_EQ(reversed->getCapacity(), 12);  // capacity 6 grew at the 5th element
    EXPECT_EQ(tags(v), "0abBXc");

    CSortedVector empty(4);
    std::unique_ptr<CSortedVector> emptyReversed(empty.reverse());
    EXPECT_EQ(emptyReversed->getCount(), 0);
    emptyReversed->add(&p1);  // capacity 0 counts as 1
    EXPECT_EQ(tags(*emptyReversed), "a");

    CXVector unsorted;
    unsorted.add(&p3);
    unsorted.add(&p1);
    CSortedVector merged(4);
    merged.add(&p2);
    merged.add(static_cast<CXArray*>(&unsorted));
    EXPECT_EQ(tags(merged), "abc");
}

TEST(Containers, PairsAndTriples) {
    CXPair named(CXString("MiXed\xA3"), &slot[0]);
    EXPECT_EQ(named.getName(), CXString("mixed\xB3"));
    EXPECT_EQ(named.getFirst(), &slot[0]);
    EXPECT_EQ(named.getSecond(), &slot[0]);

    CXPair pair(&slot[1], &slot[2]);
    EXPECT_FALSE(pair.getName().IsString());
    std::unique_ptr<CXObject> copy(pair.clone());
    auto* p = static_cast<CXPair*>(copy.get());
    EXPECT_EQ(p->getName(), CXString("cloned"));
    EXPECT_EQ(p->getFirst(), &slot[1]);
    EXPECT_EQ(p->getSecond(), &slot[2]);

    CXTriple triple(&slot[0], &slot[1], &slot[2]);
    triple.setThird(&slot[3]);
    std::unique_ptr<CXObject> tripleCopy(triple.clone());
    auto* t = static_cast<CXTriple*>(tripleCopy.get());
    EXPECT_EQ(t->getFirst(), &slot[0]);
    EXPECT_EQ(t->getSecond(), &slot[1]);
    EXPECT_EQ(t->getThird(), &slot[3]);
}
