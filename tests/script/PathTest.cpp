#include <gtest/gtest.h>

#include <string>

#include "foundation/CXArchive.h"
#include "script/CMC_Double.h"
#include "script/CMC_Path.h"
#include "script/CMC_Vector.h"
#include "support/ScriptTestSupport.h"
#include "tests/script/RunnerTestSupport.h"

namespace {

using test::Args;

class PathTest : public ::testing::Test {
protected:
    void SetUp() override {
        scene = world.loadScene("path.cnv", {
                                                "OBJECT=A", "A:TYPE=VECTOR", "A:SIZE=2", "A:VALUE=1,2",  //
                                                "OBJECT=B", "B:TYPE=VECTOR", "B:SIZE=2", "B:VALUE=3,4",  //
                                                "OBJECT=C", "C:TYPE=VECTOR", "C:SIZE=2", "C:VALUE=5,6",  //
                                                "OBJECT=P", "P:TYPE=PATH", "P:NODES=A, B,C",             //
                                                "OBJECT=N", "N:TYPE=STRING", "N:VALUE=",                 //
                                                "OBJECT=K", "K:TYPE=INTEGER", "K:VALUE=0",               //
                                                "OBJECT=D", "D:TYPE=DOUBLE", "D:VALUE=0",
                                            });
        ASSERT_NE(scene, nullptr);
        path = dynamic_cast<CMC_Path*>(scene->getObject("P"));
        ASSERT_NE(path, nullptr);
    }

    CMC_Variable* call(const char* method, std::initializer_list<const char*> literals = {}) {
        Args args(literals);
        return CMC_RunnerFactory::getRunner(CMC_Path::kType)->run(CXString(method), path, scene, args.get());
    }

    test::ScriptWorld world;
    test::TestScene* scene = nullptr;
    CMC_Path* path = nullptr;
};

TEST_F(PathTest, NodesFromDefinitionAndAdd) {
    EXPECT_EQ(test::text(call("GETSIZE")), "3");
    EXPECT_EQ(test::text(call("GETNODE", {"1"})), "B");
    EXPECT_EQ(path->getVector(2), scene->getObject("C"));
    EXPECT_EQ(call("GETNODE", {"3"}), nullptr);
    EXPECT_EQ(call("GETNODE", {"-1"}), nullptr);
    EXPECT_EQ(call("GETNODE"), nullptr);

    // ADD appends at the end, by name or by the object a statement passes; repeats allowed.
    test::runCode(scene, "{P^ADD(A);P^ADD(\"B\");K^SET(P^GETSIZE());N^SET(P^GETNODE(4));}");
    EXPECT_EQ(test::intValue(scene, "K"), 5);
    EXPECT_EQ(test::textValue(scene, "N"), "B");
    EXPECT_EQ(path->getNode(3), scene->getObject("A"));

    // A name of no object still makes a node: it keeps its name and its text is empty.
    call("ADD", {"\"GHOST\""});
    EXPECT_EQ(path->getSize(), 6);
    EXPECT_EQ(path->getNode(5), nullptr);
    EXPECT_EQ(test::text(call("GETNODE", {"5"})), "GHOST");
}

TEST_F(PathTest, TextIsBracketedNodeTexts) {
    CMC_Path* two = new CMC_Path();
    scene->addObject(two);
    EXPECT_EQ(test::text(two), "");
    two->add(scene, CXString("A"));
    two->add(scene, CXString("B"));
    EXPECT_EQ(test::text(two), "[1.00000,2.00000][3.00000,4.00000]");
    two->add(scene, CXString("NOTHING"));
    EXPECT_EQ(test::text(two), "[1.00000,2.00000][3.00000,4.00000][]");

    // A PATH among its own nodes: the text stops instead of recursing for ever.
    path->add(scene, CXString("P"));
    EXPECT_TRUE(path->toString().IsString());
}

TEST_F(PathTest, DensityProperty) {
    struct Case {
        const char* key;
        const char* value;
        const char* expected;
    };
    const Case cases[] = {
        {"DENSITY", "2.5", "2.50000"},
        {"density", "4", "2.50000"},  // keys compare with case
        {"SPEED", "4", "2.50000"},
        {"DENSITY", "0", "1.00000"},  // 0 or less counts as 1: users divide by it
        {"DENSITY", "-3", "1.00000"},
        {"DENSITY", "0.5", "0.50000"},
    };
    EXPECT_EQ(test::text(call("GETPROPERTY", {"\"DENSITY\""})), "1.00000");
    for (const Case& c : cases) {
        call("SETPROPERTY", {c.key[0] == 'D' ? "\"DENSITY\"" : c.key, c.value});
        EXPECT_EQ(test::text(call("GETPROPERTY", {"\"DENSITY\""})), c.expected) << c.key << " " << c.value;
    }
    EXPECT_EQ(call("GETPROPERTY", {"\"SPEED\""}), nullptr);
    EXPECT_EQ(call("GETPROPERTY"), nullptr);
}

TEST_F(PathTest, ArchiveKeepsNamesNotDensity) {
    path->setDensity(3.0);
    path->add(scene, CXString("GHOST"));
    const std::string bytes = test::archiveBytes([&](CXArchive& a) { path->serialize(&a); });
    EXPECT_EQ(bytes, test::archiveString("P") + test::le32(0) + test::le32(4) + test::archiveString("A") +
                         test::archiveString("B") + test::archiveString("C") + test::archiveString("GHOST"));

    CMC_Path back;
    back.setScene(scene);
    test::readArchive(bytes, [&](CXArchive& a) { back.serialize(&a); });
    ASSERT_EQ(back.getSize(), 4);
    EXPECT_EQ(back.getNode(0), scene->getObject("A"));
    EXPECT_EQ(back.getNodeName(3), CXString("GHOST"));
    EXPECT_EQ(back.getNode(3), nullptr);
    EXPECT_DOUBLE_EQ(back.getDensity(), 1.0);

    // A count the bytes cannot hold takes nothing (and does not spin on empty reads).
    CMC_Path broken;
    test::readArchive(test::archiveString("P") + test::le32(0) + test::le32(0x7FFFFFFF) + test::archiveString("A"),
                      [&](CXArchive& a) { broken.serialize(&a); });
    EXPECT_EQ(broken.getSize(), 0);
}

}  // namespace
