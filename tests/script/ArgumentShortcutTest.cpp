// Statements run several times, with names defined, replaced and removed between the
// runs: literal arguments handed over as the statement's own values, the argument
// texts of RUN whose look-ups are remembered, discarded results and IF on two
// INTEGERs must give what evaluating every run from scratch gives.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "script/CMC_Behaviour.h"
#include "script/CMC_Integer.h"
#include "script/CMC_ObjectsContainer.h"
#include "support/ScriptTestSupport.h"

namespace {

// Registers an INTEGER of that name and value in the scene (replacing one of the name).
void defineInteger(CMC_ObjectsContainer* scene, const char* name, int value) {
    auto* number = new CMC_Integer(CXString(name));
    number->setValue(value);
    number->setScene(scene);
    scene->addObject(number);
}

// Registers a behaviour of that name and code (replacing one of the name).
void defineBehaviour(CMC_ObjectsContainer* scene, const char* name, const char* code) {
    auto* behaviour = new CMC_Behaviour(scene, CXString(name), CXString(code));
    behaviour->init();
    scene->addObject(behaviour);
}

void removeObject(CMC_ObjectsContainer* scene, const char* name) {
    if (CMC_Object* object = scene->getObject(name)) scene->deleteObject(object);
}

void setInteger(CMC_ObjectsContainer* scene, const char* name, int value) {
    if (auto* number = dynamic_cast<CMC_Integer*>(scene->getObject(name))) number->setValue(value);
}

using Step = std::function<void(CMC_ObjectsContainer*)>;

struct Case {
    const char* what;
    const char* code;  // of the behaviour run three times
    const char* observed;
    std::vector<std::string> after;  // the observed value's text after each run
    Step beforeFirst;
    Step afterFirst;
    Step afterSecond;
};

const std::vector<std::string> kDefinitions = {
    "OBJECT=M",     "M:TYPE=INTEGER",     "M:VALUE=0",
    "OBJECT=S",     "S:TYPE=STRING",      "S:VALUE=",
    "OBJECT=K",     "K:TYPE=INTEGER",     "K:VALUE=3",
    "OBJECT=OTHER", "OTHER:TYPE=BEHAVIOUR", "OTHER:CODE={}",
    "OBJECT=ADDM",  "ADDM:TYPE=BEHAVIOUR",  "ADDM:CODE={M^ADD($1);}",
    "OBJECT=APPS",  "APPS:TYPE=BEHAVIOUR",  "APPS:CODE={S^ADD($1);}",
    "OBJECT=ADD1",  "ADD1:TYPE=BEHAVIOUR",  "ADD1:CODE={M^ADD(1);}",
    "OBJECT=ADD10", "ADD10:TYPE=BEHAVIOUR", "ADD10:CODE={M^ADD(10);}",
    "OBJECT=RUNIT", "RUNIT:TYPE=BEHAVIOUR", "RUNIT:CODE={$1^RUN();M^ADD(1);}",
};

TEST(ArgumentShortcut, RepeatedRunsGiveWhatTheFirstRunGives) {
    const Step none;
    const std::vector<Case> cases = {
        {"a number to a called behaviour", "{ADDM^RUN(5);}", "M", {"5", "10", "15"}, none, none, none},
        {"a number appended as text", "{APPS^RUN(5);}", "S", {"5", "55", "555"}, none, none, none},
        {"a quoted text", "{APPS^RUN(\"AB\");}", "S", {"AB", "ABAB", "ABABAB"}, none, none, none},
        {"an existing INTEGER's name", "{ADDM^RUN(K);}", "M", {"3", "7", "11"}, none,
         [](CMC_ObjectsContainer* s) { setInteger(s, "K", 4); }, none},
        {"an existing behaviour's name", "{APPS^RUN(OTHER);}", "S", {"OTHER", "OTHEROTHER", "OTHEROTHEROTHER"},
         none, none, none},
        {"a number in the statement itself stays a number", "{M^ADD(5);}", "M", {"5", "10", "15"}, none,
         [](CMC_ObjectsContainer* s) { defineInteger(s, "5", 100); }, none},
        {"a name defined after the first run", "{ADDM^RUN(7);}", "M", {"7", "107", "207"}, none,
         [](CMC_ObjectsContainer* s) { defineInteger(s, "7", 100); }, none},
        {"a name replaced, then removed, between runs", "{ADDM^RUN(7);}", "M", {"100", "1100", "1107"},
         [](CMC_ObjectsContainer* s) { defineInteger(s, "7", 100); },
         [](CMC_ObjectsContainer* s) { defineInteger(s, "7", 1000); },
         [](CMC_ObjectsContainer* s) { removeObject(s, "7"); }},
        {"a name that becomes a behaviour's", "{RUNIT^RUN(7);}", "M", {"1", "2", "3"}, none,
         // Now the text names a script object: the callee gets it quoted and so does not call it.
         [](CMC_ObjectsContainer* s) { defineBehaviour(s, "7", "{M^ADD(1000);}"); },
         none},
        {"two arguments, one of them a name", "{ADDM^RUN(K,2);ADDM^RUN(2,K);}", "M", {"5", "10", "15"}, none,
         none, none},
        {"an ADD whose result is used", "{M^SET(K^ADD(1));}", "M", {"4", "5", "6"}, none, none, none},
        {"IF on an INTEGER and a number", "{@IF(K,<_,4,ADD1,ADD10);}", "M", {"1", "2", "12"}, none,
         [](CMC_ObjectsContainer* s) { setInteger(s, "K", 4); },
         [](CMC_ObjectsContainer* s) { setInteger(s, "K", 5); }},
        {"IF on two INTEGERs by every word", "{@IF(K,_,3,ADD1,ADD10);@IF(K,!_,3,ADD1,ADD10);@IF(K,>,2,ADD1,ADD10);}",
         "M", {"12", "33", "54"}, none,
         [](CMC_ObjectsContainer* s) { setInteger(s, "K", 2); }, none},
        {"a name that names nothing, then a variable, then nothing", "{M^ADD(Q);}", "M", {"0", "5", "5"}, none,
         [](CMC_ObjectsContainer* s) { defineInteger(s, "Q", 5); },
         [](CMC_ObjectsContainer* s) { removeObject(s, "Q"); }},
        {"a branch behaviour replaced between runs", "{@IF(K,<,5,BR,ADD10);}", "M", {"1", "101", "201"},
         [](CMC_ObjectsContainer* s) { defineBehaviour(s, "BR", "{M^ADD(1);}"); },
         [](CMC_ObjectsContainer* s) { defineBehaviour(s, "BR", "{M^ADD(100);}"); }, none},
        {"IF on numbers whose names get defined", "{@IF(2,<,3,ADD1,ADD10);}", "M", {"1", "2", "3"}, none,
         [](CMC_ObjectsContainer* s) { defineInteger(s, "2", 50); }, none},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::ScriptWorld world;
        // One behaviour, parsed once and run three times.
        std::vector<std::string> lines = kDefinitions;
        lines.emplace_back("OBJECT=CASE");
        lines.emplace_back("CASE:TYPE=BEHAVIOUR");
        lines.emplace_back(std::string("CASE:CODE=") + c.code);
        auto* scene = world.loadScene("shortcut.cnv", lines);
        ASSERT_NE(scene, nullptr);
        if (c.beforeFirst) c.beforeFirst(scene);
        const Step between[] = {c.afterFirst, c.afterSecond};
        for (size_t run = 0; run < c.after.size(); ++run) {
            test::runBehaviour(scene, "CASE");
            EXPECT_EQ(test::valueText(scene->getObject(c.observed)), c.after[run]) << "run " << run + 1;
            world.applicationStep();
            if (run < 2 && between[run]) between[run](scene);
        }
    }
}

TEST(ArgumentShortcut, LoopCounterComparedEveryPass) {
    test::ScriptWorld world;
    auto* scene = world.loadScene("shortcut.cnv", kDefinitions);
    ASSERT_NE(scene, nullptr);
    defineBehaviour(scene, "IFBODY", "{@IF(_I_,<,2,ADD1,ADD10);}");
    defineBehaviour(scene, "LOOPER", "{@LOOP(IFBODY,0,4,1);}");
    test::runBehaviour(scene, "LOOPER");
    world.applicationStep();
    test::runBehaviour(scene, "LOOPER");
    EXPECT_EQ(test::intValue(scene, "M"), 44);
}

TEST(ArgumentShortcut, StatementRunAgainInsideItsOwnCall) {
    // CALL's statement runs again while its first run calls F: the inner run must not
    // disturb the outer run's literal argument.
    test::ScriptWorld world;
    std::vector<std::string> lines = kDefinitions;
    for (const char* line : {"OBJECT=CALL", "CALL:TYPE=BEHAVIOUR", "CALL:CODE={F^RUN(2);M^ADD(100);}", "OBJECT=F",
                             "F:TYPE=BEHAVIOUR", "F:CODE={M^ADD($1);@IF(M,<,6,CALL,OTHER);}"})
        lines.emplace_back(line);
    auto* scene = world.loadScene("shortcut.cnv", lines);
    ASSERT_NE(scene, nullptr);
    test::runBehaviour(scene, "CALL");
    // 2 (outer), 2 (inner), 2 (innermost, M reaches 6), then each of the three runs adds 100.
    EXPECT_EQ(test::intValue(scene, "M"), 306);
}

}  // namespace

TEST(ArgumentShortcut, StatementRunAgainWhileComputingItsArguments) {
    // F's second argument runs F's statement again before the first run calls ADD:
    // the inner run must leave the outer run's first argument (N after its first
    // increment, 1) in place, so M gets 2 from the inner run and then 1.
    test::ScriptWorld world;
    std::vector<std::string> lines = kDefinitions;
    for (const char* line : {"OBJECT=N", "N:TYPE=INTEGER", "N:VALUE=0", "OBJECT=F", "F:TYPE=BEHAVIOUR",
                             "F:CODE={M^ADD(N^ADD(1),G^RUN());}", "OBJECT=G", "G:TYPE=BEHAVIOUR",
                             "G:CODE={@IF(N,<,2,F,OTHER);}"})
        lines.emplace_back(line);
    auto* scene = world.loadScene("shortcut.cnv", lines);
    ASSERT_NE(scene, nullptr);
    test::runBehaviour(scene, "F");
    EXPECT_EQ(test::intValue(scene, "N"), 2);
    EXPECT_EQ(test::intValue(scene, "M"), 3);
}
