// Behaviours end to end: code split into statements, the statement forms, "$"
// parameters, the run loop with its control codes, inline behaviours, temporaries,
// timed runs on the manual clock, the behaviour runner's methods, the global trash and
// the uncached evaluator.
#include "script/CMC_Behaviour.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/CXArray.h"
#include "foundation/CXTimer.h"
#include "foundation/CXVector.h"
#include "script/CMC_BasicCondition.h"
#include "script/CMC_Behaviour_Entry.h"
#include "script/CMC_Behaviour_Runner.h"
#include "script/CMC_Integer.h"
#include "script/CMC_Runner.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_String.h"
#include "script/CMC_VariableFactory.h"
#include "script/CMElement.h"
#include "shell/CPublicTrash.h"
#include "support/ScriptTestSupport.h"

namespace {

using test::ScriptWorld;
using test::TestScene;

// A script object whose own runner records what statements hand it, so tests see the
// arguments exactly as a runner receives them.
class Probe : public CMC_Object {
public:
    static constexpr int kType = 10500;
    Probe(CMC_ObjectsContainer* scene, const char* name) : CMC_Object(CXString(name), kType) {
        setScene(scene);
        scene->addObject(this);
    }
    CMC_Runner* getRunner() override;
    std::vector<std::string> log;
    std::vector<CXObject*> pointers;
};

class ProbeRunner : public CMC_Runner {
public:
    enum : int { kMark = 1, kBreak, kOneBreak, kContinue, kCall, kAddTemp, kSee, kDeeper, kBreakIf, kKeep, kEcho, kDrop };

    void prepareMthHashSet() override {
        CMC_Runner::prepareMthHashSet();
        putMethod("MARK", kMark);
        putMethod("BREAK", kBreak);
        putMethod("ONEBREAK", kOneBreak);
        putMethod("CONTINUE", kContinue);
        putMethod("CALL", kCall);
        putMethod("ADDTEMP", kAddTemp);
        putMethod("SEE", kSee);
        putMethod("DEEPER", kDeeper);
        putMethod("BREAKIF", kBreakIf);
        putMethod("KEEP", kKeep);
        putMethod("ECHO", kEcho);
        putMethod("DROP", kDrop);
    }

    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override {
        auto* probe = dynamic_cast<Probe*>(target);
        if (!probe) return CMC_Runner::run(id, target, container, arguments);
        const int count = argumentCount(arguments);
        switch (id) {
        case kMark: {
            std::string line;
            for (int i = 0; i < count; ++i) line += (i ? "," : "") + std::string(getParameterText(arguments, i).c_str());
            probe->log.push_back(line);
            return nullptr;
        }
        case kBreak:
            return CMC_Behaviour::asResult<CMC_Variable>(CMC_Behaviour::kBreak);
        case kOneBreak:
            return CMC_Behaviour::asResult<CMC_Variable>(CMC_Behaviour::kOneBreak);
        case kContinue:
            return CMC_Behaviour::asResult<CMC_Variable>(CMC_Behaviour::kContinue);
        case kCall: {
            // Runs the behaviour named by the first argument with the others as "$1"...
            auto* behaviour = dynamic_cast<CMC_Behaviour*>(container->getObject(getParameterText(arguments, 0)));
            if (!behaviour) return nullptr;
            CXArray* params = new CXArray();
            for (int i = 1; i < count; ++i) params->add(new CXString(getParameterText(arguments, i)));
            behaviour->run(nullptr, params, false);
            CXString::releaseToVector(params);
            return nullptr;
        }
        case kAddTemp: {
            auto* behaviour = dynamic_cast<CMC_Behaviour*>(container->getObject(getParameterText(arguments, 0)));
            auto* value = new CMC_Integer(getParameterText(arguments, 1));
            value->setAsTemporary();
            container->addObject(value);
            if (behaviour) behaviour->addTempObject(value);
            return nullptr;
        }
        case kSee: {
            const CXString name = getParameterText(arguments, 0);
            probe->log.push_back(std::string(name.c_str()) + (container->getObject(name) ? ":yes" : ":no"));
            return nullptr;
        }
        case kDeeper: {
            // DEEPER(behaviour, n): runs the behaviour again with n - 1 while n > 0.
            auto* behaviour = dynamic_cast<CMC_Behaviour*>(container->getObject(getParameterText(arguments, 0)));
            const int n = getParameterInteger(arguments, 1)->getValue();
            if (!behaviour || n <= 0) return nullptr;
            CXArray* params = new CXArray();
            params->add(new CXString(CXString::toString(n - 1)));
            behaviour->run(nullptr, params, false);
            CXString::releaseToVector(params);
            return nullptr;
        }
        case kBreakIf:
            if (getParameterText(arguments, 0) == getParameterText(arguments, 1))
                return CMC_Behaviour::asResult<CMC_Variable>(CMC_Behaviour::kBreak);
            return nullptr;
        case kKeep:
            for (int i = 0; i < count; ++i) probe->pointers.push_back(arguments->at(i));
            return nullptr;
        case kEcho:
            return CMC_VariableFactory::copyVariable(getParameter(arguments, 0));
        case kDrop: {
            // Removes and deletes the named object.
            CMC_Object* object = container->getObject(getParameterText(arguments, 0));
            if (object && container->removeObject(object)) CMC_Object::destroy(object);
            return nullptr;
        }
        default:
            return CMC_Runner::run(id, target, container, arguments);
        }
    }
};

CMC_Runner* Probe::getRunner() {
    static ProbeRunner* runner = [] {
        auto* r = new ProbeRunner();
        r->prepareMthHashSet();
        return r;
    }();
    return runner;
}

// A condition whose answer the test sets.
class FixedCondition : public CMC_BasicCondition {
public:
    FixedCondition(CMC_ObjectsContainer* scene, const char* name, bool holds)
        : CMC_BasicCondition(CXString(name), 10), m_holds(holds) {
        setScene(scene);
        scene->addObject(this);
    }
    bool valid(bool) override {
        ++asked;
        return m_holds;
    }
    int asked = 0;

private:
    bool m_holds;
};

// A behaviour made in code, registered and initialised.
CMC_Behaviour* addBehaviour(CMC_ObjectsContainer* scene, const char* name, const char* code) {
    auto* behaviour = new CMC_Behaviour(scene, CXString(name), CXString(code));
    scene->addObject(behaviour);
    behaviour->init();
    return behaviour;
}

std::vector<std::string> lines(CMC_Behaviour* behaviour) {
    std::vector<std::string> out;
    for (int i = 0; behaviour->getStatements() && behaviour->getStatements()[i]; ++i)
        out.push_back(behaviour->getStatements()[i]->getLine().c_str());
    return out;
}

using Log = std::vector<std::string>;

class BehaviourTest : public ::testing::Test {
protected:
    ScriptWorld world;
    TestScene scene{"SCENE", world.window()};
};

// ---- code and statements ---------------------------------------------------------------

TEST_F(BehaviourTest, CodeIsCleanedAndSplitAtTopLevelSemicolons) {
    struct Case {
        const char* code;
        Log expected;
    };
    const Case cases[] = {
        {"  { A^B(); C^D(1); }  ", {"A^B()", "C^D(1)"}},
        {"A^B();C^D()", {"A^B()"}},  // text after the last ";" is not a statement
        {"@IF(X,{A^B();C^D();});", {"@IF(X,{A^B();C^D();})"}},
        {"A^SET(\"a b ; c\");", {"A^SET(\"ab;c\")"}},  // parentheses protect ";"
        {"\"a ; b\";", {"\"a", "b\""}},                   // quotes protect neither ";" nor blanks
        {"A^B();;C^D();", {"A^B()", "", "C^D()"}},
        {"A^B(\t1);", {"A^B(\t1)"}},
        {"", {}},
    };
    for (const Case& c : cases) {
        CMC_Behaviour* behaviour = addBehaviour(&scene, "B", c.code);
        EXPECT_EQ(lines(behaviour), c.expected) << c.code;
    }
}

TEST_F(BehaviourTest, StatementFormsAreRecognisedAtParseTime) {
    auto* n = new CMC_Integer(CXString("N"));
    scene.addObject(n);
    auto* s = new CMC_String(CXString("S"), CXString("N"));
    scene.addObject(s);
    CMC_Behaviour* owner = addBehaviour(&scene, "OWNER", "");
    struct Case {
        const char* line;
        const char* object;
        const char* method;
        bool bound, reference, self;
        int arguments;
        bool fixed;
    };
    const Case cases[] = {
        {"N^ADD(1)", "N", "ADD", true, false, false, 1, false},
        {"N^ADD([1+2])", "N", "ADD", true, false, false, 1, true},
        {"N^ADD(&N)", "N", "ADD", true, false, false, 1, true},
        {"N^ADD(,,1,)", "N", "ADD", true, false, false, 1, false},
        {"LATER^GO()", "LATER", "GO", false, false, false, 0, true},
        {"A$1^GO()", "A$1", "GO", false, false, false, 0, true},
        {"*S^ADD(1)", "S", "ADD", false, true, false, 1, false},
        {"*[\"N\"]^ADD(1)", "[\"N\"]", "ADD", false, true, false, 1, false},
        {"THIS^GO(1,2)", "", "GO", false, false, true, 2, false},
        {"THISNAME^GO()", "", "AME^GO", false, false, true, 0, true},  // read as THIS
    };
    for (const Case& c : cases) {
        CMC_Behaviour_Entry entry(owner, CXString(c.line));
        EXPECT_EQ(std::string(entry.getObjectName().c_str()), c.object) << c.line;
        EXPECT_EQ(std::string(entry.getMethodName().c_str()), c.method) << c.line;
        EXPECT_EQ(entry.getObject() != nullptr, c.bound) << c.line;
        EXPECT_EQ(entry.getMethod() != -1, c.bound) << c.line;
        EXPECT_EQ(entry.isReference(), c.reference) << c.line;
        EXPECT_EQ(entry.isThis(), c.self) << c.line;
        EXPECT_EQ(entry.getArgumentCount(), c.arguments) << c.line;
        EXPECT_EQ(entry.areArgumentsFixed(), c.fixed) << c.line;
    }
    // A temporary object is never bound: it will be gone by the next run.
    auto* local = new CMC_Integer(CXString("LOCAL"));
    local->setAsTemporary();
    scene.addObject(local);
    CMC_Behaviour_Entry entry(owner, CXString("LOCAL^ADD(1)"));
    EXPECT_EQ(entry.getObject(), nullptr);
}

TEST_F(BehaviourTest, ParametersAreFilledFromTheCallArguments) {
    std::unique_ptr<CXArray> none;
    CXArray* two = test::makeArguments({"5", "abc"});
    CXArray* ten = test::makeArguments({"1", "2", "3", "4", "5", "6", "7", "8", "9", "ten"});
    struct Case {
        const char* text;
        CXArray* arguments;
        const char* expected;
    };
    const Case cases[] = {
        {"N^ADD($1)", two, "N^ADD(5)"},
        {"$2$1$", two, "abc5$"},
        {"N^ADD($1)", nullptr, "N^ADD($1)"},
        {"$0 $3 $a $$1", two, "$0 $3 $a $$1"},
        {"$:", ten, "ten"},  // the characters after "9" continue the count
        {"", two, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(std::string(CMC_Behaviour_Entry::fillParams(CXString(c.text), c.arguments).c_str()), c.expected)
            << c.text;
    // No fixed-size buffer: a long text keeps every character.
    std::string longText(30000, 'x');
    longText += "$1";
    EXPECT_EQ(CMC_Behaviour_Entry::fillParams(CXString(longText.c_str()), two).getLength(), 30001);
    CXString::releaseToVector(two);
    CXString::releaseToVector(ten);
}

// ---- the run loop -----------------------------------------------------------------------

TEST_F(BehaviourTest, ControlCodesStopTheRunAndOnlyBreakMakesItTrue) {
    auto* probe = new Probe(&scene, "P");
    struct Case {
        const char* code;
        bool result;
    };
    const Case cases[] = {
        {"P^MARK(1);P^BREAK();P^MARK(2);", true},
        {"P^MARK(1);P^ONEBREAK();P^MARK(2);", false},
        {"P^MARK(1);P^CONTINUE();P^MARK(2);", false},
    };
    for (const Case& c : cases) {
        probe->log.clear();
        addBehaviour(&scene, "B", c.code);
        EXPECT_EQ(test::runBehaviour(&scene, "B"), c.result) << c.code;
        EXPECT_EQ(probe->log, Log{"1"}) << c.code;
    }
}

TEST_F(BehaviourTest, DisabledEmptyOrFailingConditionRunsNothing) {
    auto* probe = new Probe(&scene, "P");
    auto* no = new FixedCondition(&scene, "NO", false);
    CMC_Behaviour* guarded = addBehaviour(&scene, "G", "P^MARK(g);");
    ASSERT_NE(guarded, nullptr);

    // Bound by name, and only when asked to test it.
    auto* element = test::makeElement("G2", {{"CODE", "{ P^MARK(g2); }"}, {"CONDITION", "NO"}});
    auto* fromElement = new CMC_Behaviour(&scene, element);
    delete element;
    scene.addObject(fromElement);
    fromElement->init();
    fromElement->resolveCondition();
    EXPECT_EQ(fromElement->getCondition(), no);
    EXPECT_FALSE(fromElement->run(nullptr, nullptr, true));
    EXPECT_EQ(no->asked, 1);
    EXPECT_TRUE(probe->log.empty());
    fromElement->run(nullptr, nullptr, false);
    EXPECT_EQ(probe->log, Log{"g2"});

    guarded->enable(false);
    EXPECT_FALSE(guarded->run(nullptr, nullptr, false));
    guarded->enable(true);
    EXPECT_EQ(test::runBehaviour(&scene, "G"), false);
    EXPECT_EQ(probe->log, (Log{"g2", "g"}));

    // A condition name that names nothing leaves the behaviour unguarded.
    auto* element3 = test::makeElement("G3", {{"CODE", "P^MARK(g3);"}, {"CONDITION", "MISSING"}});
    auto* unguarded = new CMC_Behaviour(&scene, element3);
    delete element3;
    scene.addObject(unguarded);
    unguarded->init();
    unguarded->resolveCondition();
    EXPECT_EQ(unguarded->getCondition(), nullptr);
    unguarded->run(nullptr, nullptr, true);
    EXPECT_EQ(probe->log.back(), "g3");

    CMC_Behaviour* empty = addBehaviour(&scene, "E", "  {  }  ");
    EXPECT_EQ(empty->getStatements(), nullptr);
    EXPECT_FALSE(empty->run(nullptr, nullptr, false));
}

TEST_F(BehaviourTest, TargetsAreBoundLateAndMissingOnesAreSkipped) {
    addBehaviour(&scene, "B", "LATER^MARK(1);MISSING^MARK(2);LATER^MARK(3);");
    auto* later = new Probe(&scene, "LATER");  // made after the behaviour was parsed
    test::runBehaviour(&scene, "B");
    EXPECT_EQ(later->log, (Log{"1", "3"}));
}

TEST_F(BehaviourTest, ObjectsReplacedAfterParsingAreFoundAgain) {
    auto* probe = new Probe(&scene, "P");
    scene.addObject(new CMC_String(CXString("__RETURN__"), CXString("old")));
    scene.addObject(new CMC_Integer(CXString("N")));
    auto* cond = new FixedCondition(&scene, "NO", false);
    CMElement* element = test::makeElement("B", {{"CODE", "P^MARK(__RETURN__);N^ADD(1);*REF^MARK(ref);P^KEEP(&N);"},
                                                 {"CONDITION", "NO"}});
    auto* behaviour = new CMC_Behaviour(&scene, element);
    delete element;
    scene.addObject(behaviour);
    scene.addObject(new CMC_String(CXString("REF"), CXString("P")));
    behaviour->init();
    behaviour->resolveCondition();
    EXPECT_FALSE(behaviour->run(nullptr, nullptr, true));
    ASSERT_EQ(cond->asked, 1);

    // Each bound object is deleted and replaced under its name (as RETURN and CREATE do).
    scene.addObject(new CMC_String(CXString("__RETURN__"), CXString("new")));
    auto* n = new CMC_Integer(CXString("N"));
    n->setValue(10);
    scene.addObject(n);
    scene.addObject(new CMC_String(CXString("REF"), CXString("P")));
    scene.removeObject(cond);
    CMC_Object::destroy(cond);
    behaviour->run(nullptr, nullptr, true);  // no condition any more
    EXPECT_EQ(probe->log, (Log{"new", "ref"}));
    EXPECT_EQ(n->getValue(), 11);
    EXPECT_EQ(probe->pointers, std::vector<CXObject*>{n});
}

// The same argument text reaches a runner directly (M^ADD) and through RUN (R^ADD($1)
// in the callee) and is shown by MARK, over two runs with a change of names between
// them: literals stay literals, names are found again after a replacement, and a
// name defined after the first run is found from then on.
TEST_F(BehaviourTest, ArgumentTextsGiveTheSameValuesAcrossRunsAndNameChanges) {
    struct Case {
        const char* argument;
        // An INTEGER registered (or replacing one) under this name before the second run.
        const char* defined;
        int value;
        int direct[2];
        int called[2];
        Log marks;
    };
    const Case cases[] = {
        {"2", nullptr, 0, {2, 4}, {2, 4}, {"2", "2"}},
        {"\"2\"", nullptr, 0, {2, 4}, {2, 4}, {"2", "2"}},
        {"K", "K", 7, {3, 10}, {3, 10}, {"3", "7"}},
        {"LATER", "LATER", 5, {0, 5}, {0, 5}, {"LATER", "5"}},
        {"TRUE", "TRUE", 9, {1, 10}, {1, 10}, {"TRUE", "9"}},
        // A number is a literal where it is written; passed on as text, the callee's
        // "$1" finds an object of that name.
        {"4", "4", 9, {4, 8}, {4, 13}, {"4", "4"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.argument);
        const std::string code = std::string("{ M^ADD(") + c.argument + "); CALLEE^RUN(" + c.argument + "); P^MARK(" +
                                 c.argument + "); }";
        test::TestScene* game = world.loadScene("names.cnv", {
            "OBJECT=M", "M:TYPE=INTEGER", "M:VALUE=0",
            "OBJECT=R", "R:TYPE=INTEGER", "R:VALUE=0",
            "OBJECT=K", "K:TYPE=INTEGER", "K:VALUE=3",
            "OBJECT=CALLEE", "CALLEE:TYPE=BEHAVIOUR", "CALLEE:CODE={ R^ADD($1); }",
            "OBJECT=B", "B:TYPE=BEHAVIOUR", "B:CODE=" + code,
        });
        ASSERT_NE(game, nullptr);
        auto* probe = new Probe(game, "P");
        for (int run = 0; run < 2; ++run) {
            if (run == 1 && c.defined) {
                auto* value = new CMC_Integer(CXString(c.defined));
                value->setValue(c.value);
                value->setScene(game);
                game->addObject(value);
            }
            test::runBehaviour(game, "B");
            world.frame(1);
            EXPECT_EQ(test::intValue(game, "M"), c.direct[run]) << "run " << run;
            EXPECT_EQ(test::intValue(game, "R"), c.called[run]) << "run " << run;
        }
        EXPECT_EQ(probe->log, c.marks);
    }
}

TEST_F(BehaviourTest, ArgumentsReachTheRunnerAsValuesVariablesAndExpressions) {
    test::TestScene* game = world.loadScene("args.cnv", {
        "OBJECT=N", "N:TYPE=INTEGER", "N:VALUE=7",
        "OBJECT=T", "T:TYPE=STRING", "T:VALUE=P",
        "OBJECT=B", "B:TYPE=BEHAVIOUR",
        "B:CODE={ P^MARK(5, -2, 2.5, \"a b\", TRUE, N, [N+1], $1, word); P^KEEP(N, &N, &NOVAR); *T^MARK(via); }",
    });
    ASSERT_NE(game, nullptr);
    auto* probe = new Probe(game, "P");
    const int inUse = CMC_VariableFactory::inUseCount(CMC_Variable::kString);
    test::runBehaviour(game, "B", {"arg"});
    ASSERT_EQ(probe->log.size(), 2u);
    EXPECT_EQ(probe->log[0], "5,-2,2.50000,ab,TRUE,7,8,arg,word");
    EXPECT_EQ(probe->log[1], "via");
    // A name and a "&" reference pass the variable itself; a "&" without a variable
    // passes a literal of its name.
    CMC_Object* n = game->getObject("N");
    ASSERT_EQ(probe->pointers.size(), 3u);
    EXPECT_EQ(probe->pointers[0], static_cast<CXObject*>(n));
    EXPECT_EQ(probe->pointers[1], static_cast<CXObject*>(n));
    EXPECT_EQ(test::valueText(dynamic_cast<CMC_Object*>(probe->pointers[2])), "NOVAR");
    EXPECT_EQ(test::intValue(game, "N"), 7) << "releasing the arguments leaves variables alone";
    EXPECT_EQ(CMC_VariableFactory::inUseCount(CMC_Variable::kString), inUse) << "pooled arguments went back";
}

TEST_F(BehaviourTest, ThisTargetsTheRunningObject) {
    auto* probe = new Probe(&scene, "P");
    CMC_Behaviour* behaviour = addBehaviour(&scene, "B", "THIS^MARK(me);");
    behaviour->run(probe, nullptr, false);
    EXPECT_EQ(probe->log, Log{"me"});
    EXPECT_FALSE(behaviour->run(nullptr, nullptr, false)) << "no running object: nothing to call";
    EXPECT_EQ(probe->log.size(), 1u);
}

// ---- inline behaviours and temporaries ----------------------------------------------------

TEST_F(BehaviourTest, InlineBehavioursLiveWithTheirStatementAndSeeTheCallersArguments) {
    auto* probe = new Probe(&scene, "P");
    const int before = scene.getElementsNo();
    CMC_Behaviour* behaviour = addBehaviour(&scene, "B", "P^CALL({P^MARK(in,$1);});");
    EXPECT_EQ(scene.getElementsNo(), before + 2) << "B and one temp_N";
    std::string inlineName;
    for (int i = 0; i < scene.getElementsNo(); ++i)
        if (scene.getObject(i)->getName().startsWith("temp_")) inlineName = scene.getObject(i)->getName().c_str();
    ASSERT_FALSE(inlineName.empty());

    test::runBehaviour(&scene, "B", {"x"});
    test::runBehaviour(&scene, "B", {"y"});
    EXPECT_EQ(probe->log, (Log{"in,x", "in,y"}));

    // Code passed as an argument becomes an "xtemp_N" behaviour for one run.
    addBehaviour(&scene, "PASS", "P^CALL($1);");
    test::runBehaviour(&scene, "PASS", {"{P^MARK(passed);}"});
    EXPECT_EQ(probe->log.back(), "passed");
    for (int i = 0; i < scene.getElementsNo(); ++i)
        EXPECT_FALSE(scene.getObject(i)->getName().startsWith("xtemp_"));

    // Re-parsing or deleting the statement takes its inline behaviour away.
    behaviour->init();
    EXPECT_FALSE(test::hasObject(&scene, inlineName.c_str()));
    scene.removeObject(behaviour);
    CMC_Object::destroy(behaviour);
    for (int i = 0; i < scene.getElementsNo(); ++i)
        EXPECT_FALSE(scene.getObject(i)->getName().startsWith("temp_"));
}

TEST_F(BehaviourTest, TemporariesBelongToTheRunThatMadeThem) {
    auto* probe = new Probe(&scene, "P");
    addBehaviour(&scene, "R", "P^ADDTEMP(\"R\",\"T$1\");P^DEEPER(\"R\",$1);P^SEE(\"T$1\");");
    test::runBehaviour(&scene, "R", {"2"});
    // The inner runs end first; each releases only its own temporary.
    EXPECT_EQ(probe->log, (Log{"T0:yes", "T1:yes", "T2:yes"}));
    EXPECT_FALSE(test::hasObject(&scene, "T0"));
    EXPECT_FALSE(test::hasObject(&scene, "T1"));
    EXPECT_FALSE(test::hasObject(&scene, "T2"));
}

TEST_F(BehaviourTest, ABehaviourDeletedByItsOwnStatementStopsThere) {
    auto* probe = new Probe(&scene, "P");
    addBehaviour(&scene, "B", "P^MARK(1);P^MARK(P^DROP(\"B\"));P^MARK(2);");
    addBehaviour(&scene, "CALLER", "B^RUN();P^MARK(caller);");
    test::runBehaviour(&scene, "CALLER");
    EXPECT_EQ(probe->log, (Log{"1", "caller"}));
    EXPECT_FALSE(test::hasObject(&scene, "B"));
}

TEST_F(BehaviourTest, ReparsingWhileRunningKeepsTheRunningStatements) {
    auto* probe = new Probe(&scene, "P");
    // The inline behaviour runs itself through CALL, whose statement re-parses it.
    addBehaviour(&scene, "B", "P^CALL({P^MARK($1);P^DEEPER(\"B\",$1);P^MARK(after$1);});");
    test::runBehaviour(&scene, "B", {"2"});
    EXPECT_EQ(probe->log, (Log{"2", "1", "0", "after0", "after1", "after2"}));
}

// ---- the behaviour runner -------------------------------------------------------------------

class BehaviourRunnerTest : public BehaviourTest {
protected:
    void SetUp() override {
        game = world.loadScene("calls.cnv", {
            "OBJECT=__RETURN__", "__RETURN__:TYPE=STRING",
            "OBJECT=N", "N:TYPE=INTEGER", "N:VALUE=4",
            "OBJECT=ANIM", "ANIM:TYPE=BEHAVIOUR",
            "OBJECT=ECHO", "ECHO:TYPE=BEHAVIOUR", "ECHO:CODE={ P^MARK($1,$2); __RETURN__^SET($1); }",
            "OBJECT=STOP", "STOP:TYPE=BEHAVIOUR", "STOP:CODE={ P^MARK(stop$1); P^BREAKIF($1,3); }",
            "OBJECT=CALLER", "CALLER:TYPE=BEHAVIOUR", "CALLER:CODE={ STOP^RUN(3); P^MARK(unreached); }",
            "OBJECT=LOOPER", "LOOPER:TYPE=BEHAVIOUR", "LOOPER:CODE={ STOP^RUNLOOPED(1,5); P^MARK(after); }",
        });
        ASSERT_NE(game, nullptr);
        probe = new Probe(game, "P");
    }
    CMC_Variable* call(const char* behaviour, const char* line) {
        return CMC_Behaviour::runLine(game, nullptr, CXString(behaviour) + "^" + line, nullptr);
    }
    test::TestScene* game = nullptr;
    Probe* probe = nullptr;
};

TEST_F(BehaviourRunnerTest, RunPassesArgumentsAndReturnsACopyOfReturn) {
    auto* recorder = new test::RecordingBehaviour(game, "REC");
    game->addObject(recorder);
    call("REC", "RUN(N, ANIM, \"ANIM\", 2.5)");
    ASSERT_EQ(recorder->count(), 1);
    // A variable passes its value, a text that names a script object its quoted name.
    EXPECT_EQ(recorder->runs()[0].arguments, (Log{"4", "\"ANIM\"", "\"ANIM\"", "2.50000"}));
    EXPECT_FALSE(recorder->runs()[0].checkCondition);

    CMC_Variable* result = call("ECHO", "RUN(N)");
    EXPECT_EQ(probe->log, Log{"4,$2"});
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(test::valueText(result), "4");
    EXPECT_TRUE(result->isPooled()) << "a copy, not __RETURN__ itself";
    EXPECT_NE(result, game->getObject("__RETURN__"));
}

TEST_F(BehaviourRunnerTest, BreakInTheCalleeStopsRunButOnlyEndsRunLooped) {
    EXPECT_TRUE(test::runBehaviour(game, "CALLER"));
    EXPECT_EQ(probe->log, Log{"stop3"});
    probe->log.clear();
    EXPECT_FALSE(test::runBehaviour(game, "LOOPER"));
    EXPECT_EQ(probe->log, (Log{"stop1", "stop2", "stop3", "after"}));
}

TEST_F(BehaviourRunnerTest, RunLoopedCountsWithStartCountAndStep) {
    struct Case {
        const char* line;
        Log expected;
    };
    const Case cases[] = {
        {"RUNLOOPED(2,3)", {"2,$2", "3,$2", "4,$2"}},
        {"RUNLOOPED(0,10,3)", {"0,3", "3,3", "6,3", "9,3"}},
        {"RUNLOOPED(0,0)", {}},
        {"RUNLOOPED(0,5,0)", {}},  // a step that does not advance runs nothing
    };
    for (const Case& c : cases) {
        probe->log.clear();
        CMC_Variable* result = call("ECHO", c.line);
        EXPECT_EQ(probe->log, c.expected) << c.line;
        EXPECT_EQ(result, game->getVariable(CXString("__RETURN__"))) << "the variable itself";
    }
}

TEST_F(BehaviourRunnerTest, RunCTestsTheConditionAndDisableSwitchesOff) {
    new FixedCondition(game, "NO", false);
    CMElement* element = test::makeElement("GUARDED", {{"CODE", "P^MARK(g);"}, {"CONDITION", "NO"}});
    auto* guarded = new CMC_Behaviour(game, element);
    delete element;
    game->addObject(guarded);
    guarded->init();
    guarded->resolveCondition();
    call("GUARDED", "RUNC()");
    EXPECT_TRUE(probe->log.empty());
    call("GUARDED", "RUN()");
    EXPECT_EQ(probe->log, Log{"g"});
    call("GUARDED", "DISABLE()");
    call("GUARDED", "RUN()");
    EXPECT_EQ(probe->log.size(), 1u);
    call("GUARDED", "ENABLE()");
    call("GUARDED", "RUN()");
    EXPECT_EQ(probe->log.size(), 2u);
}

// ---- timed runs -------------------------------------------------------------------------------

class TimedRunTest : public BehaviourTest {
protected:
    void SetUp() override { probe = new Probe(&scene, "P"); }
    CMC_Behaviour* timed(const char* name, const char* code, int interval, int limit, CMC_Behaviour* onDone,
                         std::initializer_list<const char*> more = {}) {
        CMC_Behaviour* behaviour = addBehaviour(&scene, name, code);
        CXArray* arguments = test::makeArguments({"0"});
        for (const char* text : more) arguments->add(new CXString(text));
        behaviour->runOnTimer(interval, limit, arguments, onDone);
        return behaviour;
    }
    Probe* probe = nullptr;
};

TEST_F(TimedRunTest, LimitedRunTicksThenRunsOnDoneAndLeavesTheScene) {
    CMC_Behaviour* done = addBehaviour(&scene, "DONE", "P^MARK(done,$1,$2);");
    CMC_Behaviour* behaviour = timed("T", "P^MARK($1,$2);", 100, 3, done, {"extra"});
    EXPECT_TRUE(behaviour->isTimed());
    world.frame(50);
    EXPECT_TRUE(probe->log.empty());
    world.frames(6, 50);
    EXPECT_EQ(probe->log, (Log{"1,extra", "2,extra", "3,extra", "done,3,extra"}));
    EXPECT_FALSE(test::hasObject(&scene, "T"));
    EXPECT_TRUE(behaviour->isToDelete());
    // The deferred-delete collector frees it within its 10 s period.
    ASSERT_NE(world.window()->getPublicTrashInterface(), nullptr);
    EXPECT_EQ(world.window()->getPublicTrashInterface()->getCount(), 1);
    world.frame(10000);
    EXPECT_EQ(world.window()->getPublicTrashInterface()->getCount(), 0);
    world.frames(5, 100);
    EXPECT_EQ(probe->log.size(), 4u);
}

TEST_F(TimedRunTest, UnlimitedRunEndsAtBreakAndBreakMethodStopsWithoutOnDone) {
    CMC_Behaviour* done = addBehaviour(&scene, "DONE", "P^MARK(done);");
    timed("T", "P^MARK($1);P^BREAKIF($1,4);", 10, 0, done);
    world.frames(10, 10);
    EXPECT_EQ(probe->log, (Log{"1", "2", "3", "4", "done"}));

    probe->log.clear();
    timed("U", "P^MARK(u$1);", 10, 0, done);
    world.frames(2, 10);
    CMC_Behaviour::runLine(&scene, nullptr, CXString("U^BREAK()"), nullptr);
    world.frames(3, 10);
    EXPECT_EQ(probe->log, (Log{"u1", "u2"}));

    // A timed behaviour may end its own run from inside a tick.
    probe->log.clear();
    timed("V", "P^MARK(v$1);V^BREAK();P^MARK(after);", 10, 0, done);
    world.frames(3, 10);
    EXPECT_EQ(probe->log, (Log{"v1", "after"}));
}

TEST_F(TimedRunTest, UnloadingTheSceneStopsATimedRun) {
    {
        TestScene other("OTHER", world.window());
        auto* local = new Probe(&other, "P");
        CMC_Behaviour* behaviour = addBehaviour(&other, "T", "P^MARK($1);");
        behaviour->runOnTimer(10, 0, nullptr, nullptr);
        world.frames(2, 10);
        EXPECT_EQ(local->log, (Log{"1", "2"}));
    }
    world.frames(3, 10);
    world.frame(10000);
    EXPECT_EQ(world.window()->getPublicTrashInterface()->getCount(), 0);
}

// ---- the global trash and the uncached evaluator ----------------------------------------------

TEST_F(BehaviourTest, EvaluatorReadsOperandsAndKeepsExpressionsUntilTheNextStep) {
    auto* n = new CMC_Integer(CXString("N"));
    n->setValue(3);
    scene.addObject(n);
    struct Case {
        const char* text;
        int type;
        const char* value;
    };
    const Case cases[] = {
        {" -12 ", CMC_Variable::kInteger, "-12"},
        {"2.5", CMC_Variable::kDouble, "2.50000"},
        {"\"a,b\"", CMC_Variable::kString, "a,b"},
        {"TRUE", CMC_Variable::kBool, "TRUE"},
        {"word", CMC_Variable::kString, "word"},
        {"N", CMC_Variable::kInteger, "3"},
    };
    for (const Case& c : cases) {
        CMC_Variable* value = CMC_Behaviour::resolveParameter(&scene, nullptr, CXString(c.text), nullptr);
        ASSERT_NE(value, nullptr) << c.text;
        EXPECT_EQ(value->getType(), c.type) << c.text;
        EXPECT_EQ(test::valueText(value), c.value) << c.text;
    }
    EXPECT_EQ(CMC_Behaviour::resolveParameter(&scene, nullptr, CXString("N"), nullptr), n) << "the variable itself";

    // Calls run at once; an expression lives in the global trash until the next step.
    CMC_Behaviour::runLine(&scene, nullptr, CXString("N^ADD(2)"), nullptr);
    EXPECT_EQ(n->getValue(), 5);
    EXPECT_EQ(CMC_Behaviour::trashCount(), 0);
    CMC_Variable* sum = CMC_Behaviour::resolveParameter(&scene, nullptr, CXString("[ N+1 ]"), nullptr);
    EXPECT_EQ(test::valueText(sum), "6");
    EXPECT_EQ(CMC_Behaviour::trashCount(), 1);
    CXVector* values = CMC_Behaviour::resolveParameters(&scene, nullptr, CXString("1,,MISSING^X(1),\"x\""), nullptr);
    EXPECT_EQ(values->getCount(), 2) << "empty operands and calls without a result take no slot";
    delete values;
    world.applicationStep();
    EXPECT_EQ(CMC_Behaviour::trashCount(), 0);
    CMC_Behaviour::flushTrash();  // an empty trash is fine
}

TEST_F(BehaviourTest, ObjectsAreFoundByNameReferenceAndThis) {
    auto* probe = new Probe(&scene, "P");
    auto* ref = new CMC_String(CXString("REF"), CXString("P"));
    scene.addObject(ref);
    CXString method;
    EXPECT_EQ(CMC_Behaviour::resolveObject(&scene, nullptr, CXString("P^MARK(1)"), method, nullptr), probe);
    EXPECT_EQ(std::string(method.c_str()), "MARK(1)");
    EXPECT_EQ(CMC_Behaviour::resolveObject(&scene, nullptr, CXString("*REF^X"), method, nullptr), probe);
    EXPECT_EQ(CMC_Behaviour::resolveObject(&scene, probe, CXString("THIS^X"), method, nullptr), probe);
    EXPECT_EQ(CMC_Behaviour::resolveObject(&scene, nullptr, CXString("^X"), method, nullptr), nullptr);
    CMC_Behaviour::runLine(&scene, nullptr, CXString("*REF^MARK(r)"), nullptr);
    CMC_Behaviour::runLine(&scene, probe, CXString("THIS^MARK(t, 2)"), nullptr);
    EXPECT_EQ(probe->log, (Log{"r", "t,2"}));
}

// ---- loading through the type table -------------------------------------------------------------

TEST_F(BehaviourTest, DefinitionFileBehavioursRunFromEvents) {
    test::TestScene* game = world.loadScene("game.cnv", {
        "OBJECT=SCORE", "SCORE:TYPE=INTEGER", "SCORE:VALUE=10",
        "OBJECT=BONUS", "BONUS:TYPE=BEHAVIOUR", "BONUS:CODE={ SCORE^ADD($1); }",
        "OBJECT=START", "START:TYPE=BEHAVIOUR", "START:ONSIGNAL^GO={ BONUS^RUN(5); SCORE^ADD([SCORE*0+1]); }",
        "OBJECT=ODD", "ODD:TYPE=NOSUCHTYPE",
    });
    ASSERT_NE(game, nullptr);
    EXPECT_EQ(world.leftover(), std::vector<std::string>{"ODD"});
    EXPECT_TRUE(test::raise(game, "START", "ONSIGNAL", "GO"));
    EXPECT_EQ(test::intValue(game, "SCORE"), 16);
}

}  // namespace
