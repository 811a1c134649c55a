// STRUCT records: field declarations, look-up by short name, the row text, the value
// operations, clone and map (ownership), the archive form, the runner's SET, SETFIELD
// and GETFIELD, and the "NAME|FIELD" form in statements.
#include "script/CMC_Structure.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/CXArchive.h"
#include "script/CMC_Bool.h"
#include "script/CMC_Double.h"
#include "script/CMC_Integer.h"
#include "script/CMC_String.h"
#include "script/CMC_Structure_Runner.h"
#include "script/CMC_VariableFactory.h"
#include "script/CMElement.h"
#include "tests/script/RunnerTestSupport.h"

namespace {

using test::Args;

// A STRUCT named `name` built from an element whose FIELDS is `fields`.
std::unique_ptr<CMC_Structure> fromFields(const char* fields, const char* name = "S") {
    std::unique_ptr<CMElement> element(test::makeElement(name, {{"TYPE", "STRUCT"}, {"FIELDS", fields}}));
    return std::make_unique<CMC_Structure>(nullptr, element.get());
}

// "S_X:INTEGER,S_L:STRING" for the fields of a record.
std::string declarations(CMC_Structure* record) {
    std::string out;
    for (int i = 0; i < record->getFieldCount(); ++i) {
        CMC_Variable* field = record->getField(i);
        out += (i ? "," : "") + std::string(field->getName().c_str()) + ":" +
               CMC_Object::typeToString(field->getType()).c_str();
    }
    return out;
}

class StructureTest : public ::testing::Test {
protected:
    test::RunnerWorld w;
};

TEST_F(StructureTest, FieldsPropertyDeclaresTypedFields) {
    const struct {
        const char* fields;
        const char* expected;
    } rows[] = {
        {"X<INTEGER>,LABEL<STRING>,ON<BOOL>", "S_X:INTEGER,S_LABEL:STRING,S_ON:BOOL"},
        {"A<INTEGER>,,C<STRING>", "S_A:INTEGER,S_C:STRING"},
        {"A<integer>,R<Double>", "S_A:INTEGER,S_R:DOUBLE"},
        {"A<INT>", ""},
        {"X< INTEGER>", ""},
        {"NOTYPE,OPEN<STRING,B>A<BOOL", ""},
        {"<BOOL>", "S_:BOOL"},
        {"MY_NAME<STRING>", "S_MY_NAME:STRING"},
        {"", ""},
    };
    for (const auto& row : rows) {
        auto record = fromFields(row.fields);
        EXPECT_EQ(declarations(record.get()), row.expected) << row.fields;
    }
    auto record = fromFields("X<INTEGER>,LABEL<STRING>,ON<BOOL>,R<DOUBLE>");
    EXPECT_EQ(test::text(record.get()), "0||FALSE|0");
    EXPECT_EQ(record->getType(), 3002);
    EXPECT_FALSE(record->isMapped());
}

TEST_F(StructureTest, FieldsAreFoundByTheirShortNameWithCase) {
    auto record = fromFields("A<INTEGER>,MY_NAME<STRING>,a<BOOL>");
    EXPECT_EQ(record->getField(CXString("A")), record->getField(0));
    EXPECT_EQ(record->getField(CXString("a")), record->getField(2));
    EXPECT_EQ(record->getField(CXString("NAME")), record->getField(1));
    EXPECT_EQ(record->getField(CXString("MY_NAME")), nullptr);
    EXPECT_EQ(record->getField(CXString("S_A")), nullptr);
    EXPECT_EQ(record->getField(CXString("")), nullptr);
    EXPECT_EQ(record->getField(-1), nullptr);
    EXPECT_EQ(record->getField(3), nullptr);
    EXPECT_EQ(CMC_Structure::shortName(CXString("PLAIN")), CXString("PLAIN"));
    EXPECT_EQ(CMC_Structure::shortName(CXString("S_")), CXString(""));

    CMC_Integer seven(CXString("v"));
    seven.setValue(7);
    record->setField(CXString("A"), &seven);
    record->setField(CXString("NAME"), &seven);
    record->setField(CXString("missing"), &seven);
    record->setField(5, &seven);
    record->setField(2, &seven);
    EXPECT_EQ(test::text(record.get()), "7|7|TRUE");
}

TEST_F(StructureTest, RowTextJoinsAndSplitsFields) {
    auto record = fromFields("N<INTEGER>,T<STRING>,B<BOOL>");
    EXPECT_EQ(test::text(fromFields("").get()), "");
    record->fromString(CXString("5|ab|TRUE"));
    EXPECT_EQ(test::text(record.get()), "5|ab|TRUE");
    record->fromString(CXString("7|cd"));
    EXPECT_EQ(test::text(record.get()), "7|cd|TRUE");
    record->fromString(CXString("1||x|false|extra"));
    EXPECT_EQ(test::text(record.get()), "1|x|FALSE");
    record->fromString(CXString("2\n|y\n"));
    EXPECT_EQ(test::text(record.get()), "2|y|FALSE");

    // An empty STRING in the middle is lost on reading: the later tokens move left.
    auto numbers = fromFields("A<INTEGER>,B<INTEGER>,C<INTEGER>");
    numbers->fromString(CXString("9|9|9"));
    numbers->fromString(CXString("1||3"));
    EXPECT_EQ(test::text(numbers.get()), "1|3|9");
    record->fromString(CXString("4||TRUE"));
    EXPECT_EQ(test::text(record.get()), "4|TRUE|FALSE");
}

TEST_F(StructureTest, ValueOperationsWorkFieldByField) {
    auto a = fromFields("N<INTEGER>,T<STRING>,D<DOUBLE>");
    auto b = fromFields("N<INTEGER>,T<STRING>", "OTHER");
    b->fromString(CXString("4|Hello"));
    a->fromString(CXString("1|x|2.5"));

    a->set(b.get());
    EXPECT_EQ(test::text(a.get()), "4|Hello|2.50000");
    CMC_Integer number(CXString("n"));
    a->set(&number);
    EXPECT_EQ(test::text(a.get()), "4|Hello|2.50000");

    // equals: every field of this one against the other's; case is the STRING's rule.
    b->fromString(CXString("4|HELLO"));
    EXPECT_FALSE(a->equals(b.get()));  // b has no third field
    EXPECT_TRUE(b->equals(a.get()));
    b->fromString(CXString("5"));
    EXPECT_FALSE(b->equals(a.get()));
    EXPECT_FALSE(a->equals(&number));
    EXPECT_FALSE(a->equals(static_cast<CMC_Variable*>(nullptr)));
    EXPECT_TRUE(fromFields("")->equals(fromFields("", "E").get()));
    EXPECT_TRUE(fromFields("")->equals(a.get()));

    EXPECT_EQ(a->compare(b.get()), 0);
    EXPECT_EQ(a->compare(&number), 0);
    for (int type : {1, 2, 3, 4, 3002}) EXPECT_EQ(a->convert(type), nullptr) << type;
    EXPECT_EQ(a->calculate(&number, CMC_Variable::kAdd), a.get());
    a->inc();
    a->dec();
    a->swap(&number, &number);
    EXPECT_EQ(test::text(a.get()), "4|Hello|2.50000");
    EXPECT_EQ(a->getBufferLen(), 0);

    CMC_Integer three(CXString("d"));
    three.setValue(3);
    a->setDefault(&three);
    a->clear();
    EXPECT_EQ(test::text(a.get()), "0||0");
    // resetINI only touches TOINI fields; the record's fields never are.
    a->fromString(CXString("8|z|1.5"));
    a->resetINI();
    EXPECT_EQ(test::text(a.get()), "8|z|1.50000");
    EXPECT_EQ(static_cast<CMC_Integer*>(a->getField(0))->getDefault(), 3);
}

TEST_F(StructureTest, CloneCopiesDeclarationsAndValuesIndependently) {
    auto record = fromFields("N<INTEGER>,T<STRING>,B<BOOL>,D<DOUBLE>", "REC");
    record->fromString(CXString("3|abc|TRUE|0.25"));
    std::unique_ptr<CMC_Structure> copy(static_cast<CMC_Structure*>(record->clone()));
    EXPECT_EQ(copy->getName(), CXString("REC"));
    EXPECT_EQ(declarations(copy.get()), declarations(record.get()));
    EXPECT_EQ(test::text(copy.get()), "3|abc|TRUE|0.25000");
    copy->fromString(CXString("9|zz"));
    EXPECT_EQ(test::text(record.get()), "3|abc|TRUE|0.25000");
    for (int i = 0; i < copy->getFieldCount(); ++i) EXPECT_NE(copy->getField(i), record->getField(i));
    EXPECT_FALSE(copy->isMapped());
}

TEST_F(StructureTest, MapSharesFieldsWithoutTakingThem) {
    auto owner = fromFields("N<INTEGER>,T<STRING>", "OWNER");
    auto other = fromFields("Q<BOOL>", "OTHER");
    owner->fromString(CXString("1|one"));
    CMC_Variable* ownerN = owner->getField(0);
    {
        auto view = fromFields("OWN<DOUBLE>", "VIEW");
        view->map(owner.get());
        EXPECT_TRUE(view->isMapped());
        EXPECT_EQ(view->getField(CXString("N")), ownerN);
        EXPECT_EQ(test::text(view.get()), "1|one");
        view->fromString(CXString("2|two"));
        EXPECT_EQ(test::text(owner.get()), "2|two");

        view->map(other.get());
        EXPECT_EQ(test::text(view.get()), "FALSE");
        view->flush();
        EXPECT_EQ(view->getFieldCount(), 0);
        EXPECT_TRUE(view->isMapped());
        view->map(owner.get());
        view->map(view.get());
        EXPECT_EQ(view->getFieldCount(), 0);
        view->map(owner.get());
    }  // deleting the view leaves the owner's fields alive
    EXPECT_EQ(owner->getField(0), ownerN);
    EXPECT_EQ(test::text(owner.get()), "2|two");
    EXPECT_EQ(test::text(other.get()), "FALSE");
}

TEST_F(StructureTest, ArchiveFormIsEachFieldsTaggedValue) {
    auto record = fromFields("N<INTEGER>,T<STRING>");
    record->fromString(CXString("7|ab"));
    const std::string bytes = test::archiveBytes([&](CXArchive& archive) { record->store(&archive); });
    EXPECT_EQ(bytes, test::le32(1) + test::le32(7) + test::le32(2) + test::archiveString("ab"));
    EXPECT_EQ(test::archiveBytes([&](CXArchive& archive) { fromFields("")->store(&archive); }), "");

    // restore reads bare values, field by field.
    test::readArchive(test::le32(-4) + test::archiveString("xy"), [&](CXArchive& archive) { record->restore(&archive); });
    EXPECT_EQ(test::text(record.get()), "-4|xy");
}

TEST_F(StructureTest, EventsAreTheCommonOnes) {
    CXString** list = CMC_Structure(CXString("S")).getBehavioursList();
    std::vector<std::string> names;
    for (int i = 0; list[i]; ++i) names.push_back(list[i]->c_str());
    CMC_Object::freeBehavioursList(list);
    EXPECT_EQ(names, (std::vector<std::string>{"ONINIT", "ONDONE", "ONSIGNAL"}));
}

class StructureRunnerTest : public StructureTest {
protected:
    StructureRunnerTest() {
        record = fromFields("N<INTEGER>,T<STRING>,D<DOUBLE>", "REC").release();
        w.scene.addObject(record);
        source = fromFields("A<INTEGER>,B<STRING>", "SRC").release();
        source->fromString(CXString("42|src"));
        w.scene.addObject(source);
        w.scene.addObject(new CMC_Integer(CXString("NUM")));
    }
    CMC_Structure* record;
    CMC_Structure* source;
};

TEST_F(StructureRunnerTest, RunnerIsRegisteredWithItsMethods) {
    CMC_Runner* runner = CMC_RunnerFactory::getRunner(3002);
    ASSERT_NE(dynamic_cast<CMC_Structure_Runner*>(runner), nullptr);
    EXPECT_EQ(runner->resolveMethod(CXString("SET")), 1);
    EXPECT_EQ(runner->resolveMethod(CXString("SETFIELD")), 2);
    EXPECT_EQ(runner->resolveMethod(CXString("GETFIELD")), 3);
    EXPECT_EQ(runner->resolveMethod(CXString("GETNAME")), CMC_Runner::kGetName);
    EXPECT_EQ(test::text(w.call(record, "GETNAME")), "REC");
}

TEST_F(StructureRunnerTest, SetTakesValuesInOrderOrAnotherRecord) {
    Args three{"1", "\"x", "2.5"};
    w.call(record, "SET", three.get());
    EXPECT_EQ(test::text(record), "1|x|2.50000");
    Args four{"5", "\"y", "0.5", "99"};
    w.call(record, "SET", four.get());
    EXPECT_EQ(test::text(record), "5|y|0.50000");
    Args two{"6", "\"z"};
    w.call(record, "SET", two.get());
    EXPECT_EQ(test::text(record), "6|z|0.50000");

    Args byName{"\"SRC"};
    w.call(record, "SET", byName.get());
    EXPECT_EQ(test::text(record), "42|src|0.50000");
    for (const char* name : {"\"NUM", "\"NOSUCH"}) {
        Args other{name};
        w.call(record, "SET", other.get());
        EXPECT_EQ(test::text(record), "42|src|0.50000") << name;
    }
    w.call(record, "SET");
    EXPECT_EQ(test::text(record), "42|src|0.50000");
}

TEST_F(StructureRunnerTest, SetFieldAndGetField) {
    Args setT{"\"T", "\"hello"}, setD{"\"D", "3"}, setMissing{"\"Q", "1"}, tooFew{"\"N"};
    w.call(record, "SETFIELD", setT.get());
    w.call(record, "SETFIELD", setD.get());
    w.call(record, "SETFIELD", setMissing.get());
    w.call(record, "SETFIELD", tooFew.get());
    EXPECT_EQ(test::text(record), "0|hello|3.00000");

    const struct {
        const char* argument;
        const char* expected;
    } rows[] = {{"1", "hello"}, {"\"D", "3.00000"}, {"0", "0"}, {"3", "<none>"}, {"-1", "<none>"},
                {"\"t", "<none>"}, {"2.0", "<none>"}, {"\"2", "<none>"}};
    for (const auto& row : rows) {
        Args which{row.argument};
        EXPECT_EQ(test::text(w.call(record, "GETFIELD", which.get())), row.expected) << row.argument;
    }
    EXPECT_EQ(w.call(record, "GETFIELD"), nullptr);

    // The result is a pooled copy: changing it leaves the field alone.
    Args first{"0"};
    CMC_Variable* copy = w.call(record, "GETFIELD", first.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(copy->isPooled());
    EXPECT_NE(copy, record->getField(0));
    static_cast<CMC_Integer*>(copy)->setValue(77);
    EXPECT_EQ(test::text(record->getField(0)), "0");
}

TEST(StructureScriptTest, DefinitionFileAndFieldFormInStatements) {
    test::ScriptWorld world;
    auto* scene = world.loadScene("rec.cnv", {
        "OBJECT=REC", "REC:TYPE=STRUCT", "REC:FIELDS=X<INTEGER>,LABEL<STRING>,ON<BOOL>",
        "OBJECT=N", "N:TYPE=INTEGER", "N:VALUE=0",
        "OBJECT=T", "T:TYPE=STRING",
    });
    ASSERT_NE(scene, nullptr);
    auto* record = dynamic_cast<CMC_Structure*>(scene->getObject("REC"));
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(declarations(record), "REC_X:INTEGER,REC_LABEL:STRING,REC_ON:BOOL");
    // Fields belong to their record only.
    EXPECT_FALSE(test::hasObject(scene, "REC_X"));

    test::runCode(scene, "{REC^SET(4,\"door\",TRUE);REC|X^ADD(3);N^SET(REC|X);T^SET(REC|LABEL);}");
    EXPECT_EQ(test::text(record), "7|door|TRUE");
    EXPECT_EQ(test::intValue(scene, "N"), 7);
    EXPECT_EQ(test::textValue(scene, "T"), "door");
    test::runCode(scene, "{REC^SETFIELD(\"ON\",FALSE);N^SET(REC^GETFIELD(\"X\"));N^ADD(REC^GETFIELD(0));}");
    EXPECT_EQ(test::text(record), "7|door|FALSE");
    EXPECT_EQ(test::intValue(scene, "N"), 14);
}

}  // namespace
