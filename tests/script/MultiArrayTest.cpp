#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/CMC_Integer.h"
#include "script/CMC_MultiArray.h"
#include "script/CMC_String.h"
#include "script/CMElement.h"
#include "tests/script/RunnerTestSupport.h"

namespace {

using test::Args;
using test::le32;

class MultiArrayTest : public ::testing::Test {
protected:
    CMC_MultiArray* make(const char* name, const char* dimensions) {
        CMElement* element = test::makeElement(name, {{"DIMENSIONS", dimensions}});
        auto* array = new CMC_MultiArray(&w.scene, element);
        delete element;
        w.scene.addObject(array);
        return array;
    }
    CMC_Variable* call(CMC_MultiArray* array, const char* method, std::initializer_list<const char*> literals = {}) {
        Args args(literals);
        return w.call(array, method, args.get());
    }
    // LOAD or SAVE with a file of the test folder.
    void file(CMC_MultiArray* array, const char* method, const std::string& name) {
        CMC_String path(CXString("path"), CXString(w.world.dir().engine(name).c_str()));
        Args args({});
        args.add(&path);
        w.call(array, method, args.get());
    }
    std::string sizes(CMC_MultiArray* array) {
        std::string out;
        for (int d = 0; d < array->getDimensions(); ++d) out += (d ? "x" : "") + std::to_string(array->getSize(d));
        return out;
    }
    std::string at(CMC_MultiArray* array, std::initializer_list<const char*> coordinates) {
        return test::text(call(array, "GET", coordinates));
    }

    test::RunnerWorld w;
};

TEST_F(MultiArrayTest, GrowthKeepsValuesAtTheirCoordinates) {
    CMC_MultiArray* m = make("M", "2");
    EXPECT_EQ(sizes(m), "16x16");
    call(m, "SET", {"5", "7", "57"});
    call(m, "SET", {"15", "15", "\"corner\""});
    call(m, "SET", {"20", "3", "203"});
    EXPECT_EQ(sizes(m), "32x16");
    call(m, "SET", {"40", "0", "400"});
    EXPECT_EQ(sizes(m), "64x16");
    call(m, "SET", {"1", "16", "116"});
    EXPECT_EQ(sizes(m), "64x32");
    EXPECT_EQ(at(m, {"5", "7"}), "57");
    EXPECT_EQ(at(m, {"15", "15"}), "corner");
    EXPECT_EQ(at(m, {"20", "3"}), "203");
    EXPECT_EQ(at(m, {"40", "0"}), "400");
    EXPECT_EQ(at(m, {"1", "16"}), "116");
    EXPECT_EQ(m->getFilledCount(), 5);
    EXPECT_EQ(test::text(call(m, "GETSIZE", {"0"})), "64");
    EXPECT_EQ(test::text(call(m, "GETSIZE", {"2"})), "0");
    EXPECT_EQ(call(m, "GETSIZE"), nullptr);
}

TEST_F(MultiArrayTest, AddressingAndEmptyCells) {
    CMC_MultiArray* m = make("M", "2");
    call(m, "SET", {"0", "1", "7"});
    // Only the first two coordinates address: (16, 0) is the cell after row 0.
    EXPECT_EQ(at(m, {"16", "0"}), "7");

    CMC_Variable* none = call(m, "GET", {"3", "3"});
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none->getType(), CMC_Variable::kString);
    EXPECT_EQ(test::text(none), "NULL");
    CMC_Variable* zero = call(m, "SAFEGET", {"3", "3"});
    ASSERT_NE(zero, nullptr);
    EXPECT_EQ(zero->getType(), CMC_Variable::kInteger);
    EXPECT_EQ(test::text(zero), "0");
    EXPECT_EQ(test::text(call(m, "SAFEGET", {"0", "1"})), "7");

    // Past the cells, negative or missing coordinates: nothing is read or stored.
    EXPECT_EQ(at(m, {"0", "16"}), "NULL");
    EXPECT_EQ(at(m, {"-16", "2"}), "NULL");
    EXPECT_EQ(at(m, {"0"}), "NULL");
    EXPECT_EQ(at(m, {}), "NULL");
    call(m, "SET", {"-1", "0", "1"});
    call(m, "SET", {"0", "-1", "1"});
    call(m, "SET", {"2", "1"});  // one coordinate and a value
    call(m, "SET");
    EXPECT_EQ(m->getFilledCount(), 1);
    EXPECT_EQ(sizes(m), "16x16");

    // Three dimensions: the third coordinate only grows the array.
    CMC_MultiArray* cube = make("C", "3");
    call(cube, "SET", {"1", "2", "0", "12"});
    EXPECT_EQ(at(cube, {"1", "2", "5"}), "12");
    call(cube, "SET", {"1", "2", "40", "99"});
    EXPECT_EQ(sizes(cube), "16x16x64");
    EXPECT_EQ(at(cube, {"1", "2"}), "99");
    call(cube, "SET", {"3", "3", "5"});  // fewer coordinates than dimensions
    EXPECT_EQ(at(cube, {"3", "3"}), "NULL");
}

TEST_F(MultiArrayTest, CellsHoldCopies) {
    CMC_MultiArray* m = make("M", "2");
    auto* n = new CMC_Integer(CXString("N"));
    w.scene.addObject(n);
    n->setValue(4);
    Args set({"1", "1"});
    set.add(n);
    w.call(m, "SET", set.get());
    n->setValue(8);
    auto* got = dynamic_cast<CMC_Integer*>(call(m, "GET", {"1", "1"}));
    ASSERT_NE(got, nullptr);
    EXPECT_EQ(got->getValue(), 4);
    EXPECT_TRUE(got->isPooled());
    got->setValue(100);
    EXPECT_EQ(at(m, {"1", "1"}), "4");

    // Only the four value types are stored.
    Args object({"2", "2"});
    object.add(m);
    w.call(m, "SET", object.get());
    EXPECT_EQ(at(m, {"2", "2"}), "NULL");
}

TEST_F(MultiArrayTest, CountEqualCells) {
    CMC_MultiArray* m = make("M", "2");
    call(m, "SET", {"0", "0", "3"});
    call(m, "SET", {"1", "0", "3"});
    call(m, "SET", {"2", "5", "\"3\""});
    call(m, "SET", {"3", "5", "4"});
    EXPECT_EQ(test::text(call(m, "COUNT", {"3"})), "3");  // the STRING "3" equals 3 too
    EXPECT_EQ(test::text(call(m, "COUNT", {"4"})), "1");
    EXPECT_EQ(test::text(call(m, "COUNT", {"0"})), "0");  // empty cells never count
    EXPECT_EQ(test::text(call(m, "COUNT")), "0");
}

TEST_F(MultiArrayTest, DimensionLimits) {
    EXPECT_EQ(sizes(make("ONE", "1")), "16x16");
    EXPECT_EQ(make("MANY", "20")->getDimensions(), CMC_MultiArray::kMaxDimensions);
    // Growth that would take the cell count past 32 bits is refused.
    CMC_MultiArray* big = make("BIG", "7");
    call(big, "SET", {"0", "0", "0", "0", "0", "0", "100", "1"});
    EXPECT_EQ(sizes(big), "16x16x16x16x16x16x16");
    EXPECT_EQ(big->getFilledCount(), 0);
    call(big, "SET", {"15", "15", "15", "15", "15", "15", "15", "1"});
    EXPECT_EQ(big->getFilledCount(), 1);

    // Made by name: no sizes until a LOAD, so nothing is stored.
    auto* named = new CMC_MultiArray(&w.scene, CXString("NAMED"));
    w.scene.addObject(named);
    call(named, "SET", {"0", "0", "1"});
    EXPECT_EQ(at(named, {"0", "0"}), "NULL");
    EXPECT_EQ(test::text(call(named, "GETSIZE", {"0"})), "0");
}

TEST_F(MultiArrayTest, FileRoundTripByteForByte) {
    CMC_MultiArray* m = make("M", "2");
    call(m, "SET", {"3", "0", "7"});
    call(m, "SET", {"1", "1", "\"ab\""});
    call(m, "SET", {"0", "2", "TRUE"});
    call(m, "SET", {"2", "2", "1.5"});
    file(m, "SAVE", "a.bin");
    const std::string expected = le32(2) + le32(16) + le32(16) +                    //
                                 le32(3) + le32(1) + le32(7) +                      //
                                 le32(17) + le32(2) + test::archiveString("ab") +   //
                                 le32(32) + le32(3) + le32(1) +                     //
                                 le32(34) + le32(4) + le32(15000) +                 // 1.5 as the archive's fixed point
                                 le32(256);
    EXPECT_EQ(w.world.dir().read("a.bin"), expected);

    auto* back = new CMC_MultiArray(&w.scene, CXString("BACK"));
    w.scene.addObject(back);
    file(back, "LOAD", "a.bin");
    EXPECT_EQ(sizes(back), "16x16");
    EXPECT_EQ(at(back, {"1", "1"}), "ab");
    EXPECT_EQ(at(back, {"0", "2"}), "TRUE");
    file(back, "SAVE", "b.bin");
    EXPECT_EQ(w.world.dir().read("b.bin"), expected);

    // Grown sizes and three dimensions survive as well.
    CMC_MultiArray* cube = make("C", "3");
    call(cube, "SET", {"40", "1", "3", "\"x\""});
    file(cube, "SAVE", "c.bin");
    auto* cubeBack = new CMC_MultiArray(&w.scene, CXString("CB"));
    w.scene.addObject(cubeBack);
    file(cubeBack, "LOAD", "c.bin");
    EXPECT_EQ(sizes(cubeBack), "64x16x16");
    EXPECT_EQ(at(cubeBack, {"40", "1"}), "x");
    file(cubeBack, "SAVE", "d.bin");
    EXPECT_EQ(w.world.dir().read("d.bin"), w.world.dir().read("c.bin"));
}

TEST_F(MultiArrayTest, BadFilesAreRejectedWhereTheyGoWrong) {
    const std::string header = le32(2) + le32(4) + le32(4);
    const std::string seven = le32(1) + le32(1) + le32(7);  // index 1: INTEGER 7
    struct Case {
        const char* what;
        std::string bytes;
        const char* sizes;  // "" when nothing is kept
        int filled;
    };
    const Case cases[] = {
        {"good", header + seven + le32(16), "4x4", 1},
        {"no terminator", header + seven, "4x4", 1},
        {"empty file", "", "", 0},
        {"one dimension", le32(1) + le32(4) + seven, "", 0},
        {"too many dimensions", le32(8) + std::string(32, '\x01'), "", 0},
        {"size 0", le32(2) + le32(0) + le32(4) + seven, "", 0},
        {"negative size", le32(2) + le32(-4) + le32(4) + seven, "", 0},
        {"count past 32 bits", le32(2) + le32(0x10000) + le32(0x10000) + seven, "", 0},
        {"sizes cut short", le32(2) + le32(4), "", 0},
        {"negative index", header + seven + le32(-1) + le32(1) + le32(8), "4x4", 1},
        {"unknown tag", header + seven + le32(2) + le32(99) + le32(8), "4x4", 1},
        {"string past the end", header + seven + le32(2) + le32(2) + le32(1000) + "ab", "4x4", 1},
        {"value cut short", header + seven + le32(2) + le32(1) + "\x08", "4x4", 1},
        {"index past the cells ends it", header + le32(20) + le32(1) + le32(8) + seven, "4x4", 0},
    };
    for (const Case& c : cases) {
        w.world.dir().write("bad.bin", c.bytes);
        auto* m = new CMC_MultiArray(&w.scene, CXString("BAD"));
        w.scene.addObject(m);  // replaces (and deletes) the previous one
        file(m, "LOAD", "bad.bin");
        EXPECT_EQ(m->getDimensions() == 2 && m->getSize(0) == 0 ? std::string() : sizes(m), c.sizes) << c.what;
        EXPECT_EQ(m->getFilledCount(), c.filled) << c.what;
        if (c.filled) {
            EXPECT_EQ(at(m, {"1", "0"}), "7") << c.what;
        }
    }

    // A file that cannot be opened leaves an array without cells or sizes.
    CMC_MultiArray* m = make("M", "2");
    call(m, "SET", {"0", "0", "1"});
    file(m, "LOAD", "missing.bin");
    EXPECT_EQ(m->getFilledCount(), 0);
    EXPECT_EQ(m->getSize(0), 0);
    EXPECT_EQ(at(m, {"0", "0"}), "NULL");
    file(m, "SAVE", "never.bin");  // nothing to save
    EXPECT_FALSE(w.world.dir().exists("never.bin"));
}

}  // namespace
