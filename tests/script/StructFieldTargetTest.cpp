// Statements that call a method of a structure's field ("DB_CURSOR|SCORE^SET(5)") find
// the field at each run: a database's cursor structure shows another row's fields after
// SELECT, a removed row's fields are deleted, and the behaviours of a definition file
// are parsed before the database registers its cursor structure.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/CMC_Behaviour.h"
#include "script/CMC_Database.h"
#include "script/CMC_Structure.h"
#include "support/ScriptTestSupport.h"

namespace {

using Rows = std::vector<std::string>;

class StructFieldTargetTest : public ::testing::Test {
protected:
    StructFieldTargetTest() {
        // Behaviours are built and parsed first, so SCORE5, NAMED and TWICE bind
        // while DB_CURSOR does not exist yet. Only behaviours of the file run below:
        // no object leaves the scene between the steps of a case.
        scene = world.loadScene("fields.cnv", {
            "OBJECT=SCORE5", "SCORE5:TYPE=BEHAVIOUR", "SCORE5:CODE={DB_CURSOR|SCORE^SET(5);}",
            "OBJECT=NAMED", "NAMED:TYPE=BEHAVIOUR", "NAMED:CODE={DB_$1|NAME^SET(\"z\");}",
            "OBJECT=TWICE", "TWICE:TYPE=BEHAVIOUR",
            "TWICE:CODE={DB_CURSOR|SCORE^ADD(DB_CURSOR|SCORE^GET());N^SET(DB_CURSOR|SCORE);}",
            "OBJECT=PICK", "PICK:TYPE=BEHAVIOUR", "PICK:CODE={DB^SELECT($1);}",
            "OBJECT=DROP", "DROP:TYPE=BEHAVIOUR", "DROP:CODE={DB^REMOVEAT($1);}",
            "OBJECT=CLEAR", "CLEAR:TYPE=BEHAVIOUR", "CLEAR:CODE={DB^REMOVEALL();}",
            "OBJECT=M", "M:TYPE=STRUCT", "M:FIELDS=NAME<STRING>,SCORE<INTEGER>",
            "OBJECT=DB", "DB:TYPE=DATABASE", "DB:MODEL=M",
            "OBJECT=N", "N:TYPE=INTEGER",
        });
        db = scene ? dynamic_cast<CMC_Database*>(scene->getObject("DB")) : nullptr;
    }

    void SetUp() override {
        ASSERT_NE(db, nullptr);
        ASSERT_NE(scene->getObject("DB_CURSOR"), nullptr);
        loadRows();
    }

    void loadRows() {
        world.dir().write("rows.txt", "a|1\nb|2\nc|3\n");
        db->load(CXString(world.dir().engine("rows.txt").c_str()));
    }

    // A behaviour parsed now, while the cursor structure shows the current row.
    void parseNow(const char* name, const char* code) {
        auto* behaviour = new CMC_Behaviour(scene, CXString(name), CXString(code));
        scene->addObject(behaviour);
        behaviour->init();
    }

    void run(const char* name) { test::runBehaviour(scene, name); }
    void run(const char* name, const char* argument) { test::runBehaviour(scene, name, {argument}); }

    Rows rows() const {
        Rows out;
        for (int i = 0; i < db->getRows(); ++i) out.push_back(db->getRow(i)->toString().c_str());
        return out;
    }

    test::ScriptWorld world;
    test::TestScene* scene = nullptr;
    CMC_Database* db = nullptr;
};

TEST_F(StructFieldTargetTest, ParsedTargetsFollowTheShownRow) {
    parseNow("LATE", "{DB_CURSOR|SCORE^SET(5);}");
    // Another row selected: the statement writes that row, not the one shown at parse time.
    run("PICK", "1");
    run("LATE");
    EXPECT_EQ(rows(), (Rows{"a|1", "b|5", "c|3"}));

    // The shown row deleted: its fields are gone and the cursor shows the next row.
    parseNow("LATE2", "{DB_CURSOR|SCORE^SET(7);}");
    run("DROP", "1");
    run("LATE2");
    EXPECT_EQ(rows(), (Rows{"a|1", "c|7"}));
    run("PICK", "0");
    run("LATE2");
    EXPECT_EQ(rows(), (Rows{"a|7", "c|7"}));

    // No row left: the cursor structure has no field and the statement does nothing.
    run("CLEAR");
    run("LATE");
    run("SCORE5");
    EXPECT_EQ(rows(), Rows{});
    loadRows();
    run("LATE");
    EXPECT_EQ(rows(), (Rows{"a|5", "b|2", "c|3"}));
}

TEST_F(StructFieldTargetTest, TargetsParsedBeforeTheStructureExistsFindItLater) {
    run("SCORE5");
    EXPECT_EQ(rows(), (Rows{"a|5", "b|2", "c|3"}));
    run("PICK", "2");
    run("SCORE5");
    EXPECT_EQ(rows(), (Rows{"a|5", "b|2", "c|5"}));
    run("DROP", "2");
    run("SCORE5");  // cursor past the last row: nothing shown
    EXPECT_EQ(rows(), (Rows{"a|5", "b|2"}));

    // A field target inside an argument, and the field read back in the same behaviour.
    run("PICK", "1");
    run("TWICE");
    EXPECT_EQ(rows(), (Rows{"a|5", "b|4"}));
    EXPECT_EQ(test::intValue(scene, "N"), 4);

    // A structure name filled from "$" parameters.
    run("NAMED", "CURSOR");
    run("NAMED", "NOSUCH");
    EXPECT_EQ(rows(), (Rows{"a|5", "z|4"}));
}

}  // namespace
