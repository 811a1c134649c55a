#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <string>
#include <vector>

#include "foundation/CXArchive.h"
#include "script/CMC_Double.h"
#include "script/CMC_Integer.h"
#include "script/CMC_Vector.h"
#include "script/CMC_Vector_Runner.h"
#include "script/CMElement.h"
#include "tests/script/RunnerTestSupport.h"

namespace {

using test::Args;
using test::RunnerWorld;

std::vector<double> components(CMC_Vector* v) {
    std::vector<double> out;
    for (int i = 0; i < v->getSize(); ++i) out.push_back(v->getComponent(i));
    return out;
}

std::string le64(double value) {
    const auto bits = std::bit_cast<uint64_t>(value);
    std::string out;
    for (int i = 0; i < 8; ++i) out += static_cast<char>((bits >> (8 * i)) & 0xFF);
    return out;
}

class VectorTest : public ::testing::Test {
protected:
    // A VECTOR from a definition element, registered in the scene.
    CMC_Vector* make(const char* name, const char* size, const char* value = nullptr) {
        CMElement* element = value ? test::makeElement(name, {{"SIZE", size}, {"VALUE", value}})
                                   : test::makeElement(name, {{"SIZE", size}});
        auto* v = new CMC_Vector(&w.scene, element);
        delete element;
        w.scene.addObject(v);
        return v;
    }

    RunnerWorld w;
};

TEST_F(VectorTest, DefinitionAndTextForm) {
    CMC_Vector* v = make("V", "3", "1, 2.5");
    EXPECT_EQ(components(v), (std::vector<double>{1.0, 2.5, 0.0}));  // missing entries are 0
    EXPECT_EQ(test::text(v), "1.00000,2.50000,0");
    EXPECT_EQ(test::text(make("Z", "2")), "0,0");
    EXPECT_EQ(test::text(make("E", "0")), "");
    EXPECT_EQ(make("N", "-4")->getSize(), 0);

    CMC_Vector* half = make("H", "2", "1\n0.5");
    EXPECT_EQ(test::text(half), std::string(CXString::toString(1.0).c_str()) + "," + CXString::toString(0.5).c_str());
}

// Every method on V = (1, 2) with W = (3, 4), X = (7, 8, 9) and U = (0, 1) at hand;
// "*W" passes the VECTOR object itself, as a statement naming it does.
TEST_F(VectorTest, MethodTable) {
    struct Case {
        const char* method;
        std::vector<const char*> args;
        std::vector<double> after;
        const char* result;  // "<none>", or a number the result must equal
    };
    const Case cases[] = {
        {"ADD", {"*W"}, {4, 6}, "<none>"},
        {"ADD", {"*W", "*W"}, {7, 10}, "<none>"},
        {"ADD", {"*X"}, {1, 2}, "<none>"},            // another count: skipped
        {"ADD", {"*X", "*W", "5"}, {4, 6}, "<none>"},  // only the matching VECTOR counts
        {"ADD", {"*V"}, {2, 4}, "<none>"},            // itself
        {"SUB", {"*W"}, {-2, -2}, "<none>"},
        {"NEG", {}, {-1, -2}, "<none>"},
        {"MUL", {"2.5"}, {2.5, 5}, "<none>"},
        {"MUL", {}, {1, 2}, "<none>"},
        {"GET", {"1"}, {1, 2}, "2"},
        {"GET", {"2"}, {1, 2}, "<none>"},
        {"GET", {"-1"}, {1, 2}, "<none>"},
        {"SMUL", {"*W"}, {1, 2}, "11"},
        {"SMUL", {"*X"}, {1, 2}, "0"},
        {"SMUL", {}, {1, 2}, "0"},
        {"LEN", {}, {1, 2}, "2.2360679775"},
        {"VMUL", {"*W", "*W"}, {1, 2}, "<none>"},
        {"EXPAND", {"4"}, {0, 0, 1, 2}, "<none>"},
        {"EXPAND", {"2"}, {1, 2}, "<none>"},
        {"EXPAND", {"1"}, {2}, "<none>"},  // fewer: the last ones stay
        {"EXPAND", {"0"}, {}, "<none>"},
        {"EXPAND", {"-1"}, {1, 2}, "<none>"},
        {"EXPAND", {}, {1, 2}, "<none>"},
        {"SET", {"1", "9"}, {1, 9}, "<none>"},
        {"SET", {"2", "9"}, {1, 2}, "<none>"},
        {"SET", {"-1", "9"}, {1, 2}, "<none>"},
        {"SET", {"*X"}, {7, 8}, "<none>"},   // only as many as V has
        {"SET", {"\"X\""}, {7, 8}, "<none>"},  // a text naming a VECTOR
        {"SET", {"4"}, {4, 4}, "<none>"},    // a plain value fills
        {"SET", {}, {1, 2}, "<none>"},
        {"ASSIGN", {"5", "6", "7"}, {5, 6}, "<none>"},
        {"ASSIGN", {"5"}, {5, 2}, "<none>"},
        {"NORMALIZE", {}, {1 / std::sqrt(5.0), 2 / std::sqrt(5.0)}, "<none>"},
        {"GETSIZE", {}, {1, 2}, "2"},
        {"GETSIZE", {"7"}, {1, 2}, "2"},
    };
    for (const Case& c : cases) {
        const std::string what = std::string(c.method) + " #" + std::to_string(&c - cases);
        test::TestScene scene("S", w.world.window());
        auto add = [&](const char* name, const char* size, const char* value) {
            CMElement* e = test::makeElement(name, {{"SIZE", size}, {"VALUE", value}});
            auto* v = new CMC_Vector(&scene, e);
            delete e;
            scene.addObject(v);
            return v;
        };
        CMC_Vector* v = add("V", "2", "1,2");
        add("W", "2", "3,4");
        add("X", "3", "7,8,9");
        Args args({});
        for (const char* a : c.args) {
            if (a[0] == '*')
                args.add(scene.getObject(a + 1));
            else
                args.add(CMC_Variable::resolve(CXString(a)));
        }
        CMC_Runner* runner = CMC_RunnerFactory::getRunner(CMC_Vector::kType);
        ASSERT_NE(runner, nullptr);
        CMC_Variable* result = runner->run(CXString(c.method), v, &scene, args.get());
        ASSERT_EQ(v->getSize(), static_cast<int>(c.after.size())) << what;
        for (size_t i = 0; i < c.after.size(); ++i) EXPECT_NEAR(v->getComponent(static_cast<int>(i)), c.after[i], 1e-9) << what;
        if (std::string(c.result) == "<none>") {
            EXPECT_EQ(result, nullptr) << what;
        } else {
            ASSERT_NE(result, nullptr) << what;
            auto* d = dynamic_cast<CMC_Double*>(result);
            auto* n = dynamic_cast<CMC_Integer*>(result);
            ASSERT_TRUE(d || n) << what;
            EXPECT_NEAR(d ? d->getValue() : n->getValue(), std::stod(c.result), 1e-9) << what;
        }
    }
}

TEST_F(VectorTest, ReflectAndNormalizeEdges) {
    CMC_Vector* v = make("V", "2", "1,2");
    CMC_Vector* unit = make("U", "2", "0,1");
    CMC_Vector* wide = make("X", "3", "7,8,9");
    CMC_Vector* t = make("T", "2");
    CMC_Vector* t3 = make("T3", "3", "5,5,5");

    // 2 (v . n) n - v with n = (0, 1): (-1, 2); v and n unchanged.
    Args reflect({});
    reflect.add(unit);
    reflect.add(t);
    w.call(v, "REFLECT", reflect.get());
    EXPECT_EQ(components(t), (std::vector<double>{-1, 2}));
    EXPECT_EQ(components(v), (std::vector<double>{1, 2}));
    EXPECT_EQ(components(unit), (std::vector<double>{0, 1}));

    // A normal of another count: d is 0, the target gets -v; the component v lacks is 0.
    Args other({});
    other.add(wide);
    other.add(t3);
    w.call(v, "REFLECT", other.get());
    EXPECT_EQ(components(t3), (std::vector<double>{-1, -2, 0}));

    // Into itself.
    Args self({});
    self.add(unit);
    self.add(v);
    w.call(v, "REFLECT", self.get());
    EXPECT_EQ(components(v), (std::vector<double>{-1, 2}));

    // A VECTOR of length 0 has no direction: it stays, with no NaN.
    CMC_Vector* zero = make("Z", "2");
    w.call(zero, "NORMALIZE");
    EXPECT_EQ(components(zero), (std::vector<double>{0, 0}));
    CMC_Variable* len = w.call(make("E", "0"), "LEN");
    ASSERT_NE(len, nullptr);
    EXPECT_EQ(test::text(len), "0");
}

TEST_F(VectorTest, GetSizeWritesIntoAnIntegerVariable) {
    CMC_Vector* v = make("V", "3");
    auto* n = new CMC_Integer(CXString("N"));
    w.scene.addObject(n);
    Args args({});
    args.add(n);
    EXPECT_EQ(w.call(v, "GETSIZE", args.get()), n);
    EXPECT_EQ(n->getValue(), 3);
}

TEST_F(VectorTest, CloneCopiesComponents) {
    CMC_Vector* v = make("V", "2", "1,2");
    CMC_Vector* copy = static_cast<CMC_Vector*>(v->clone());
    v->neg();
    EXPECT_EQ(components(copy), (std::vector<double>{1, 2}));
    EXPECT_EQ(copy->getScene(), &w.scene);
    delete copy;
}

TEST_F(VectorTest, ArchiveKeepsEightByteDoubles) {
    CMC_Vector* v = make("V", "2", "1.5,-0.125");
    const std::string bytes = test::archiveBytes([&](CXArchive& a) { v->serialize(&a); });
    EXPECT_EQ(bytes, test::archiveString("V") + test::le32(0) + test::le32(2) + le64(1.5) + le64(-0.125));

    CMC_Vector back(nullptr);
    test::readArchive(bytes, [&](CXArchive& a) { back.serialize(&a); });
    EXPECT_EQ(back.getName(), CXString("V"));
    EXPECT_EQ(components(&back), (std::vector<double>{1.5, -0.125}));

    // A count the bytes cannot hold (or a negative one) gives no components.
    for (int32_t count : {3, -1, 0x7FFFFFFF}) {
        CMC_Vector broken(nullptr);
        test::readArchive(test::archiveString("V") + test::le32(0) + test::le32(count) + le64(1.0) + le64(2.0),
                          [&](CXArchive& a) { broken.serialize(&a); });
        EXPECT_EQ(broken.getSize(), 0) << count;
    }
}

TEST(VectorScriptTest, StatementsPassVectorsByName) {
    test::ScriptWorld world;
    auto* scene = world.loadScene("vec.cnv", {
                                                 "OBJECT=V", "V:TYPE=VECTOR", "V:SIZE=2", "V:VALUE=1,2",  //
                                                 "OBJECT=W", "W:TYPE=VECTOR", "W:SIZE=2", "W:VALUE=3,4",  //
                                                 "OBJECT=D", "D:TYPE=DOUBLE", "D:VALUE=0",
                                             });
    ASSERT_NE(scene, nullptr);
    test::runCode(scene, "{V^ADD(W,W);D^SET(V^SMUL(W));}");
    EXPECT_NEAR(test::doubleValue(scene, "D"), 7 * 3 + 10 * 4, 1e-9);
    auto* v = dynamic_cast<CMC_Vector*>(scene->getObject("V"));
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(components(v), (std::vector<double>{7, 10}));
    test::runCode(scene, "{W^EXPAND(4);D^SET(W^LEN());}");
    EXPECT_NEAR(test::doubleValue(scene, "D"), 5.0, 1e-9);
    EXPECT_EQ(test::text(scene->getObject("W")), "0,0,3.00000,4.00000");
}

}  // namespace
