#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "script/CMC_Fifo.h"
#include "script/CMC_Integer.h"
#include "script/CMC_Lifo.h"
#include "script/CMC_Quene.h"
#include "script/CMC_String.h"
#include "script/CMC_VariableFactory.h"
#include "support/ScriptTestSupport.h"
#include "tests/script/RunnerTestSupport.h"

namespace {

using test::Args;

class QueueTest : public ::testing::Test {
protected:
    void SetUp() override {
        scene = world.loadScene("queue.cnv", {
                                                 "OBJECT=F", "F:TYPE=FIFO",                 //
                                                 "OBJECT=L", "L:TYPE=LIFO",                 //
                                                 "OBJECT=N", "N:TYPE=INTEGER", "N:VALUE=5",  //
                                                 "OBJECT=OUT", "OUT:TYPE=STRING", "OUT:VALUE=",
                                             });
        ASSERT_NE(scene, nullptr);
    }

    CMC_Variable* call(const char* queue, const char* method, CXVector* arguments = nullptr) {
        CMC_Object* target = scene->getObject(queue);
        return CMC_RunnerFactory::getRunner(target->getType())->run(CXString(method), target, scene, arguments);
    }
    // Pops until the queue is empty; each value's text.
    std::vector<std::string> drain(const char* queue) {
        std::vector<std::string> out;
        while (test::text(call(queue, "GETSIZE")) != "0") out.push_back(test::valueText(call(queue, "POP")));
        return out;
    }

    test::ScriptWorld world;
    test::TestScene* scene = nullptr;
};

TEST_F(QueueTest, OrderSurvivesThePoolReset) {
    // Pushed from script code, with pooled literals and a variable that changes later.
    test::runCode(scene, "{F^PUSH(1,\"two\");F^PUSH(N);L^PUSH(1,\"two\");L^PUSH(N);N^SET(9);}");
    // Steps free every pooled value and hand the pool slots out again.
    world.frames(2);
    for (int i = 0; i < 3 * CMC_VariableFactory::kPoolSize; ++i) CMC_VariableFactory::allocString()->setValue(CXString("x"));
    world.frames(2);

    EXPECT_EQ(test::text(call("F", "GETSIZE")), "3");
    // N was 5 when pushed: the queues hold copies.
    EXPECT_EQ(drain("F"), (std::vector<std::string>{"1", "two", "5"}));
    EXPECT_EQ(drain("L"), (std::vector<std::string>{"5", "two", "1"}));
}

TEST_F(QueueTest, FifoAndLifoOrder) {
    Args first({"1", "2"});
    Args second({"3"});
    for (const char* q : {"F", "L"}) {
        call(q, "PUSH", first.get());
        call(q, "PUSH", second.get());
    }
    EXPECT_EQ(drain("F"), (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(drain("L"), (std::vector<std::string>{"3", "2", "1"}));
}

TEST_F(QueueTest, EmptyQueueRaisesOnEmptyThenGivesNull) {
    auto* handler = new test::RecordingBehaviour(scene, "H");
    scene->addObject(handler);
    CMC_Object* fifo = scene->getObject("F");
    fifo->addBehaviour(CXString("ONEMPTY"), handler, nullptr, scene);
    int sizeInHandler = -1;
    handler->onRun = [&](CMC_Object*) { sizeInHandler = std::stoi(test::text(call("F", "GETSIZE"))); };

    EXPECT_EQ(test::text(call("F", "ISEMPTY")), "TRUE");
    CMC_Variable* popped = call("F", "POP");
    EXPECT_EQ(handler->count(), 1);
    EXPECT_EQ(sizeInHandler, 0);
    ASSERT_NE(popped, nullptr);
    EXPECT_EQ(popped->getType(), CMC_Variable::kString);
    EXPECT_EQ(test::text(popped), "NULL");
    EXPECT_EQ(test::text(call("F", "GETSIZE")), "0");

    Args one({"5"});
    call("F", "PUSH", one.get());
    EXPECT_EQ(test::text(call("F", "ISEMPTY")), "FALSE");
    call("F", "POP");
    EXPECT_EQ(test::text(call("F", "ISEMPTY")), "TRUE");
    EXPECT_EQ(handler->count(), 1);
}

TEST_F(QueueTest, PopHandsOutAPooledCopy) {
    Args args({"7"});
    args.add(scene->getObject("F"));  // an object that is not a value: an empty entry
    call("L", "PUSH", args.get());
    EXPECT_EQ(test::text(call("L", "GETSIZE")), "2");
    EXPECT_EQ(call("L", "POP"), nullptr);  // the empty entry: no result, no ONEMPTY
    CMC_Variable* seven = call("L", "POP");
    ASSERT_NE(seven, nullptr);
    EXPECT_TRUE(seven->isPooled());
    EXPECT_EQ(test::text(seven), "7");
}

TEST_F(QueueTest, PrototypesStartEmptyWithTheirOwnOrder) {
    auto* lifo = new CMC_Lifo(scene);
    auto* fifo = new CMC_Fifo(scene);
    EXPECT_EQ(lifo->getName(), CXString("temp"));
    EXPECT_EQ(lifo->getScene(), scene);
    EXPECT_TRUE(lifo->isEmpty());
    for (const char* v : {"1", "2"}) {
        CMC_Variable* value = CMC_Variable::resolve(CXString(v));
        lifo->push(value);
        fifo->push(value);
    }
    std::unique_ptr<CMC_Variable> newest(lifo->take());
    std::unique_ptr<CMC_Variable> oldest(fifo->take());
    EXPECT_EQ(test::text(newest.get()), "2");
    EXPECT_EQ(test::text(oldest.get()), "1");
    // Deleting a queue deletes what it still holds (the sanitizer checks the rest).
    delete lifo;
    delete fifo;
}

}  // namespace
