// DATABASE tables: the cursor structure, loading and saving text files, search,
// insertion and removal (rows deleted, the cursor structure never left on a deleted
// row), cursor movement and the runner's argument forms.
#include "script/CMC_Database.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/CXVector.h"
#include "script/CMC_Database_Runner.h"
#include "script/CMC_Integer.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_Structure.h"
#include "support/ScriptTestSupport.h"

namespace {

class DatabaseTest : public ::testing::Test {
protected:
    DatabaseTest() {
        scene = world.loadScene("db.cnv", {
            "OBJECT=M", "M:TYPE=STRUCT", "M:FIELDS=NAME<STRING>,SCORE<INTEGER>,ON<BOOL>",
            "OBJECT=DB", "DB:TYPE=DATABASE", "DB:MODEL=M",
            "OBJECT=NEW", "NEW:TYPE=STRUCT", "NEW:FIELDS=NAME<STRING>,SCORE<INTEGER>",
            "OBJECT=N", "N:TYPE=INTEGER",
            "OBJECT=T", "T:TYPE=STRING",
        });
        db = scene ? dynamic_cast<CMC_Database*>(scene->getObject("DB")) : nullptr;
        cursor = scene ? dynamic_cast<CMC_Structure*>(scene->getObject("DB_CURSOR")) : nullptr;
    }

    void SetUp() override {
        ASSERT_NE(db, nullptr);
        ASSERT_NE(cursor, nullptr);
    }

    // Calls a method with arguments written as statement literals (5, "text, TRUE).
    CMC_Variable* call(const char* method, const std::vector<std::string>& literals = {}, CMC_Object* target = nullptr) {
        CXVector arguments;
        for (const std::string& literal : literals) arguments.add(CMC_Variable::resolve(CXString(literal.c_str())));
        CMC_Runner* runner = CMC_RunnerFactory::getRunner(CMC_Database::kType);
        return runner->run(CXString(method), target ? target : db, scene, literals.empty() ? nullptr : &arguments);
    }
    int number(const char* method, const std::vector<std::string>& literals = {}) {
        auto* result = dynamic_cast<CMC_Integer*>(call(method, literals));
        return result ? result->getValue() : -999;
    }
    std::string file(const char* name) { return "\"" + world.dir().engine(name); }

    std::vector<std::string> rows() const {
        std::vector<std::string> out;
        for (int i = 0; i < db->getRows(); ++i) out.push_back(db->getRow(i)->toString().c_str());
        return out;
    }
    std::string shown() const { return cursor->toString().c_str(); }

    void loadRows(const std::string& text) {
        world.dir().write("rows.txt", text);
        call("LOAD", {file("rows.txt")});
    }

    test::ScriptWorld world;
    test::TestScene* scene = nullptr;
    CMC_Database* db = nullptr;
    CMC_Structure* cursor = nullptr;
};

using Rows = std::vector<std::string>;

TEST_F(DatabaseTest, InitFindsTheModelAndRegistersTheCursorStructure) {
    EXPECT_EQ(db->getType(), 3003);
    EXPECT_EQ(db->getModel(), scene->getObject("M"));
    EXPECT_EQ(db->getCursorStructure(), cursor);
    EXPECT_EQ(cursor->getFieldCount(), 0);
    EXPECT_EQ(db->getRows(), 0);
    EXPECT_EQ(db->getCursorPos(), 0);
    // A second init keeps the cursor structure.
    db->init();
    EXPECT_EQ(scene->getObject("DB_CURSOR"), cursor);

    CMC_Runner* runner = CMC_RunnerFactory::getRunner(3003);
    ASSERT_NE(dynamic_cast<CMC_Database_Runner*>(runner), nullptr);
    const char* names[] = {"ADD", "REMOVE", "LOAD", "SAVE", "REMOVEALL", "FIND", "SELECT",
                           "NEXT", "PREV", "GETROWSNO", "REMOVEAT", "INSERTAT", "GETCURSORPOS"};
    for (int id = 1; id <= 13; ++id) EXPECT_EQ(runner->resolveMethod(CXString(names[id - 1])), id) << names[id - 1];
    EXPECT_EQ(test::valueText(call("GETNAME")), "DB");
}

TEST_F(DatabaseTest, LoadFindInsertRemoveSaveRoundTrip) {
    loadRows("ann|5|TRUE\r\n\r\nbob|7|FALSE\nann|9|FALSE\n\ncid|1|TRUE");
    EXPECT_EQ(rows(), (Rows{"ann|5|TRUE", "bob|7|FALSE", "ann|9|FALSE", "cid|1|TRUE"}));
    EXPECT_EQ(db->getRow(0)->getName(), CXString("M"));
    EXPECT_EQ(number("GETROWSNO"), 4);
    EXPECT_EQ(number("GETCURSORPOS"), 0);
    EXPECT_EQ(shown(), "ann|5|TRUE");

    // FIND shows the row it finds without moving the cursor.
    EXPECT_EQ(number("FIND", {"\"NAME", "\"bob", "0"}), 1);
    EXPECT_EQ(shown(), "bob|7|FALSE");
    EXPECT_EQ(number("GETCURSORPOS"), 0);
    EXPECT_EQ(number("FIND", {"\"NAME", "\"ANN", "1"}), 2);  // STRING fields compare without case
    EXPECT_EQ(number("FIND", {"\"SCORE", "\"1", "0"}), 3);
    EXPECT_EQ(number("FIND", {"\"ON", "TRUE", "1"}), 3);

    call("INSERTAT", {"1", "\"dan|3|TRUE"});
    call("ADD", {"\"NEW"});
    EXPECT_EQ(db->getRow(5)->getName(), CXString(""));
    EXPECT_EQ(rows(), (Rows{"ann|5|TRUE", "dan|3|TRUE", "bob|7|FALSE", "ann|9|FALSE", "cid|1|TRUE", "|0"}));

    call("REMOVE", {"\"NAME", "\"ann"});
    EXPECT_EQ(rows(), (Rows{"dan|3|TRUE", "bob|7|FALSE", "cid|1|TRUE", "|0"}));
    call("REMOVEAT", {"3"});
    call("SAVE", {file("out.txt")});
    EXPECT_EQ(world.dir().read("out.txt"), "dan|3|TRUE\nbob|7|FALSE\ncid|1|TRUE\n");

    call("REMOVEALL");
    EXPECT_EQ(db->getRows(), 0);
    call("LOAD", {file("out.txt")});
    EXPECT_EQ(rows(), (Rows{"dan|3|TRUE", "bob|7|FALSE", "cid|1|TRUE"}));
    EXPECT_EQ(shown(), "dan|3|TRUE");
}

TEST_F(DatabaseTest, CursorMovesWithWrapAround) {
    loadRows("a|1|TRUE\nb|2|TRUE\nc|3|TRUE\n");
    call("PREV");
    EXPECT_EQ(number("GETCURSORPOS"), 2);
    EXPECT_EQ(shown(), "c|3|TRUE");
    call("NEXT");
    EXPECT_EQ(number("GETCURSORPOS"), 0);
    EXPECT_EQ(shown(), "a|1|TRUE");
    call("NEXT");
    EXPECT_EQ(shown(), "b|2|TRUE");
    for (const char* outside : {"3", "-1"}) {
        call("SELECT", {outside});
        EXPECT_EQ(number("GETCURSORPOS"), 1) << outside;
        EXPECT_EQ(shown(), "b|2|TRUE") << outside;
    }
    call("SELECT", {"2"});
    EXPECT_EQ(shown(), "c|3|TRUE");
    call("SELECT");
    EXPECT_EQ(number("GETCURSORPOS"), 2);

    // On an empty table NEXT still counts up, PREV goes to -1, and nothing is shown.
    call("REMOVEALL");
    call("SELECT", {"0"});
    EXPECT_EQ(number("GETCURSORPOS"), 2);
    call("NEXT");
    call("NEXT");
    EXPECT_EQ(number("GETCURSORPOS"), 4);
    EXPECT_EQ(cursor->getFieldCount(), 0);
    call("SELECT", {"0"});
    EXPECT_EQ(number("GETCURSORPOS"), 4);
}

TEST_F(DatabaseTest, FindMissesLeaveTheShownRow) {
    loadRows("a|1|TRUE\nb|2|FALSE\n");
    const struct {
        std::vector<std::string> arguments;
        int expected;
    } cases[] = {
        {{"\"NAME", "\"b", "2"}, -1},  {{"\"NAME", "\"b", "9"}, -1},   {{"\"NAME", "\"a", "-1"}, -1},
        {{"\"NOPE", "\"a", "0"}, -1},  {{"\"name", "\"a", "0"}, -1},   {{"\"NAME", "\"z", "0"}, -1},
        {{"\"SCORE", "2", "1"}, 1},    {{"\"SCORE", "2.0", "0"}, 1},
    };
    for (const auto& c : cases) {
        db->select(0);
        EXPECT_EQ(number("FIND", c.arguments), c.expected) << c.arguments[0] << "," << c.arguments[1];
        EXPECT_EQ(shown(), c.expected < 0 ? "a|1|TRUE" : "b|2|FALSE");
    }
    EXPECT_EQ(call("FIND", {"\"NAME", "\"a"}), nullptr);
}

TEST_F(DatabaseTest, CursorFieldsWriteTheRowThroughScripts) {
    loadRows("a|1|TRUE\nb|2|FALSE\n");
    test::runCode(scene, "{DB^SELECT(1);}");
    test::runCode(scene, "{DB_CURSOR|SCORE^SET(99);N^SET(DB_CURSOR|SCORE);T^SET(DB_CURSOR|NAME);}");
    EXPECT_EQ(test::intValue(scene, "N"), 99);
    EXPECT_EQ(test::textValue(scene, "T"), "b");
    test::runCode(scene, "{DB^NEXT();T^SET(DB_CURSOR|NAME);}");
    EXPECT_EQ(test::textValue(scene, "T"), "a");
    test::runCode(scene, "{DB_CURSOR|NAME^SET(\"zed\");N^SET(DB^GETROWSNO());}");
    EXPECT_EQ(test::intValue(scene, "N"), 2);
    call("SAVE", {file("edited.txt")});
    EXPECT_EQ(world.dir().read("edited.txt"), "zed|1|TRUE\nb|99|FALSE\n");
}

TEST_F(DatabaseTest, EmptyValuesAndRepeatedLoads) {
    // A row with an empty value is saved with a closing "|", which makes its empty
    // values read back empty; rows without one are written as they always were.
    db->getModel()->fromString(CXString("model|-1|TRUE"));
    call("ADD", {"\"x|4|FALSE"});
    call("ADD", {"\"y|5|TRUE"});
    EXPECT_EQ(rows(), (Rows{"x|4|FALSE", "y|5|TRUE"}));
    db->getRow(0)->getField(CXString("NAME"))->fromString(CXString(""));
    call("SAVE", {file("gap.txt")});
    EXPECT_EQ(world.dir().read("gap.txt"), "|4|FALSE|\ny|5|TRUE\n");
    call("REMOVEALL");
    call("LOAD", {file("gap.txt")});
    EXPECT_EQ(rows(), (Rows{"|4|FALSE", "y|5|TRUE"}));
    EXPECT_EQ(db->getRow(0)->getField(CXString("NAME"))->toString(), CXString(""));
    EXPECT_EQ(db->getRow(0)->getField(CXString("SCORE"))->toString(), CXString("4"));

    // Marked lines take their pieces as they stand: empty values anywhere read back empty.
    const struct {
        const char* line;   // as written
        const char* row;    // as read back
    } marked[] = {{"a||TRUE|", "a|0|TRUE"}, {"a|7||", "a|7|FALSE"}, {"|||", "|0|FALSE"}, {"b|8|", "b|8|TRUE"}};
    for (const auto& m : marked) {
        SCOPED_TRACE(m.line);
        call("REMOVEALL");
        loadRows(std::string(m.line) + "\n");
        EXPECT_EQ(rows(), (Rows{m.row}));
    }

    // A line without the closing "|" (as files written before) reads as it always
    // did: empty pieces are skipped and the later values move up.
    call("REMOVEALL");
    world.dir().write("gap.txt", "|4|FALSE\n");
    call("LOAD", {file("gap.txt")});
    EXPECT_EQ(rows(), (Rows{"4|0|TRUE"}));  // "FALSE" reads as 0, ON keeps the model's TRUE

    call("LOAD", {file("gap.txt")});
    call("NEXT");
    call("LOAD", {file("gap.txt")});
    EXPECT_EQ(db->getRows(), 3);
    EXPECT_EQ(number("GETCURSORPOS"), 0);

    // A file that does not open changes no row and still brings the cursor to row 0.
    call("NEXT");
    call("LOAD", {file("missing.txt")});
    EXPECT_EQ(db->getRows(), 3);
    EXPECT_EQ(number("GETCURSORPOS"), 0);
    call("SAVE", {"\"" + world.dir().engine("no\\such\\folder\\x.txt")});
    EXPECT_FALSE(world.dir().exists("no"));
}

TEST_F(DatabaseTest, RemovedRowsNeverStayShown) {
    loadRows("a|1|TRUE\nb|2|TRUE\nc|3|TRUE\nd|4|TRUE\n");
    // The shown row goes: the cursor structure shows the row now at the cursor.
    call("SELECT", {"1"});
    call("REMOVEAT", {"1"});
    EXPECT_EQ(shown(), "c|3|TRUE");
    EXPECT_EQ(number("GETCURSORPOS"), 1);
    // Another row goes: the shown row stays.
    call("REMOVEAT", {"0"});
    EXPECT_EQ(shown(), "c|3|TRUE");
    EXPECT_EQ(rows(), (Rows{"c|3|TRUE", "d|4|TRUE"}));
    // REMOVE of the shown row with the cursor past the end shows nothing.
    call("SELECT", {"1"});
    call("REMOVE", {"\"SCORE", "4"});
    EXPECT_EQ(cursor->getFieldCount(), 0);
    EXPECT_EQ(number("GETCURSORPOS"), 1);
    call("REMOVEAT", {"5"});
    call("REMOVEAT", {"-1"});
    call("REMOVEAT");
    EXPECT_EQ(rows(), (Rows{"c|3|TRUE"}));
    call("SELECT", {"0"});
    call("REMOVEALL");
    EXPECT_EQ(cursor->getFieldCount(), 0);
    EXPECT_EQ(number("GETCURSORPOS"), 0);

    // The database goes before its cursor structure: no field of a row stays behind.
    loadRows("x|1|TRUE\n");
    EXPECT_EQ(shown(), "x|1|TRUE");
    ASSERT_TRUE(scene->removeObject(db));
    CMC_Object::destroy(db);
    EXPECT_EQ(cursor->getFieldCount(), 0);
    EXPECT_EQ(cursor->toString(), CXString(""));
}

TEST_F(DatabaseTest, AddAndInsertArgumentForms) {
    auto* fresh = dynamic_cast<CMC_Structure*>(scene->getObject("NEW"));
    ASSERT_NE(fresh, nullptr);
    fresh->fromString(CXString("new|8"));
    call("ADD", {"\"NEW"});
    call("ADD", {"\"row|2|TRUE"});
    call("ADD", {"5"});
    call("ADD");
    EXPECT_EQ(rows(), (Rows{"new|8", "row|2|TRUE", "5|0|FALSE"}));
    // The copies are the table's own.
    fresh->fromString(CXString("changed|1"));
    EXPECT_EQ(db->getRow(0)->toString(), CXString("new|8"));
    EXPECT_NE(db->getRow(0)->getField(0), fresh->getField(0));

    const struct {
        const char* position;
        bool inserted;
    } positions[] = {{"0", true}, {"4", true}, {"6", false}, {"-1", false}, {"2", true}};
    int expectedRows = db->getRows();
    for (const auto& p : positions) {
        call("INSERTAT", {p.position, "\"p|" + std::string(p.position) + "|TRUE"});
        if (p.inserted) {
            ++expectedRows;
            EXPECT_EQ(db->getRow(atoi(p.position))->toString(), CXString(("p|" + std::string(p.position) + "|TRUE").c_str()));
        }
        EXPECT_EQ(db->getRows(), expectedRows) << p.position;
    }
    call("INSERTAT", {"0"});
    call("INSERTAT", {"0", "\"NEW"});
    EXPECT_EQ(db->getRows(), expectedRows + 1);
    EXPECT_EQ(db->getRow(0)->toString(), CXString("changed|1"));
}

TEST(DatabaseModelTest, WithoutAModelOnlyStructuresCanBeAdded) {
    test::ScriptWorld world;
    auto* scene = world.loadScene("nomodel.cnv", {
        "OBJECT=DB", "DB:TYPE=DATABASE", "DB:MODEL=GONE",
        "OBJECT=S", "S:TYPE=STRUCT", "S:FIELDS=A<INTEGER>",
    });
    ASSERT_NE(scene, nullptr);
    auto* db = dynamic_cast<CMC_Database*>(scene->getObject("DB"));
    ASSERT_NE(db, nullptr);
    EXPECT_EQ(db->getModel(), nullptr);
    world.dir().write("rows.txt", "1\n2\n");
    db->load(CXString(world.dir().engine("rows.txt").c_str()));
    db->add(CXString("3"));
    db->insertAt(0, CXString("4"));
    EXPECT_EQ(db->getRows(), 0);
    db->add(dynamic_cast<CMC_Structure*>(scene->getObject("S")));
    EXPECT_EQ(db->getRows(), 1);
    db->load(CXString(world.dir().engine("rows.txt").c_str()));
    EXPECT_EQ(db->getRows(), 1);
    EXPECT_EQ(scene->getObject("DB_CURSOR")->toString(), CXString("0"));
}

TEST_F(DatabaseTest, HostileFilesStayBounded) {
    // A line longer than one read is still one row; NUL bytes and stray separators
    // neither crash nor hang.
    const std::string longName(30000, 'x');
    std::string bytes = longName + "|1|TRUE\n";
    bytes += std::string("bad\0line|2\n", 11);
    bytes += "|||\n\n\n";
    bytes += std::string("\0\0\0", 3);
    loadRows(bytes);
    ASSERT_GE(db->getRows(), 2);
    EXPECT_EQ(db->getRow(0)->toString(), CXString((longName + "|1|TRUE").c_str()));
    EXPECT_EQ(db->getRow(1)->getField(CXString("NAME"))->toString(), CXString("bad"));
}

}  // namespace
