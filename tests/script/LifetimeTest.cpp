// The lifetime rule and the nesting limits, driven by scripts written as definition
// files: an object replaced or deleted while scripts run leaves the tables at once, its
// "ONDONE" runs once, and it is deleted at the next application step; handlers, group
// members and statements find the replacing object by name; runs nested too deep stop.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "platform/DebugOutput.h"
#include "script/CMC_Behaviour.h"
#include "script/CMC_CNVLoader.h"
#include "script/CMC_Class.h"
#include "script/CMC_Nesting.h"
#include "shell/CWindow.h"
#include "support/ScriptTestSupport.h"

namespace {

using Lines = std::vector<std::string>;

// A scene with a class CAR (its constructor counts into MADE, its method M runs the
// scene behaviour S), a script-file loader, and the counters DONE (every "ONDONE"
// handler adds to it), MADE and HITS. The scene runs GO.
class LifetimeFixture : public ::testing::Test {
protected:
    LifetimeFixture() : inFolder(world.dir().path()) {
        CWindow::setCDPath(CXString(world.dir().engine().c_str()));
        world.writeDefinition("COMMON/CLASSES/CAR.CLS", {
            "OBJECT=CONSTRUCTOR", "CONSTRUCTOR:TYPE=BEHAVIOUR", "CONSTRUCTOR:CODE={MADE^ADD(1);}",
            "OBJECT=M", "M:TYPE=BEHAVIOUR", "M:CODE={S^RUN();HITS^ADD(1);}",
            "OBJECT=HOOK", "HOOK:TYPE=BEHAVIOUR", "HOOK:CODE={N^ADDBEHAVIOUR(ONCHANGED,H);}",
            "OBJECT=H", "H:TYPE=BEHAVIOUR", "H:CODE={HITS^ADD(100);}",
        });
        // Files the loader brings in, replacing objects of the scene by name.
        world.writeDefinition("NEWH.CNV", {"OBJECT=H", "H:TYPE=BEHAVIOUR", "H:CODE={HITS^ADD(10);}"});
        world.writeDefinition("NEWN.CNV", {"OBJECT=N", "N:TYPE=INTEGER", "N:VALUE=0"});
    }
    ~LifetimeFixture() override {
        for (CMC_ObjectsContainer* scene : scenes) scene->unload();
        world.applicationStep();
        CWindow::setCDPath(m_savedCD);
    }

    CMC_ObjectsContainer* load(const Lines& own) {
        Lines lines = {
            "OBJECT=CAR",  "CAR:TYPE=CLASS",    "CAR:DEF=CAR.CLS",
            "OBJECT=DONE", "DONE:TYPE=INTEGER", "DONE:VALUE=0",
            "OBJECT=MADE", "MADE:TYPE=INTEGER", "MADE:VALUE=0",
            "OBJECT=HITS", "HITS:TYPE=INTEGER", "HITS:VALUE=0",
            "OBJECT=ONDONE_COUNT", "ONDONE_COUNT:TYPE=BEHAVIOUR", "ONDONE_COUNT:CODE={DONE^ADD(1);}",
        };
        test::append(lines, own);
        CMC_ObjectsContainer* scene = world.loadScene("scene.cnv", lines);
        if (!scene) return nullptr;
        auto* loader = new CMC_CNVLoader(world.window(), scene);
        scene->addObject(loader);
        scenes.push_back(scene);
        return scene;
    }

    CXString m_savedCD = CWindow::getCDPath();
    test::ScriptWorld world;
    test::ScopedCurrentDirectory inFolder;
    std::vector<CMC_ObjectsContainer*> scenes;
};

std::string nested(int levels, const char* innermost = "1") {
    std::string code;
    for (int i = 0; i < levels; ++i) code += "N^ADD(";
    code += innermost;
    for (int i = 0; i < levels; ++i) code += ")";
    return code;
}

// A long definition line written as physical lines joined by the reader ("/" at the
// end of each but the last), each far below the reader's line length.
Lines continued(const std::string& line) {
    constexpr size_t kPiece = 4000;
    Lines out;
    for (size_t at = 0; at < line.size(); at += kPiece) out.push_back(line.substr(at, kPiece));
    for (size_t i = 0; i + 1 < out.size(); ++i) out[i] += "/";
    return out;
}

Lines concat(Lines a, const Lines& b) {
    test::append(a, b);
    return a;
}

}  // namespace

TEST_F(LifetimeFixture, ScriptsThatReplaceOrNestRunCleanlyUnderTheRule) {
    struct Case {
        const char* name;
        Lines lines;
        // The object found by this name after GO, and its type.
        const char* replaced;
        int type;
        // Counters after GO, and again after the application steps and the code run
        // then.
        std::vector<std::pair<const char*, int>> values;
        const char* later = nullptr;
    };
    const Case cases[] = {
        {"replaced by its own change event",
         {"OBJECT=N", "N:TYPE=INTEGER", "N:VALUE=0", "N:ONCHANGED=H", "N:ONDONE=ONDONE_COUNT",
          "OBJECT=H", "H:TYPE=BEHAVIOUR", "H:CODE={CAR^NEW(\"N\");HITS^ADD(1);}",
          "OBJECT=GO", "GO:TYPE=BEHAVIOUR", "GO:CODE={N^SET(5);}"},
         "N", CMC_Class::kType, {{"DONE", 1}, {"MADE", 1}, {"HITS", 1}}},
        {"class replaced while its method runs a scene behaviour",
         {"OBJECT=S", "S:TYPE=BEHAVIOUR", "S:CODE={CAR^NEW(A);}",
          "OBJECT=GO", "GO:TYPE=BEHAVIOUR", "GO:CODE={CAR^NEW(A);A^M();}"},
         "A", CMC_Class::kType, {{"MADE", 2}, {"HITS", 1}}},
        {"loop body replaced by its own run",
         {"OBJECT=BODY", "BODY:TYPE=BEHAVIOUR", "BODY:CODE={CAR^NEW(BODY);}", "BODY:ONDONE=ONDONE_COUNT",
          "OBJECT=GO", "GO:TYPE=BEHAVIOUR", "GO:CODE={@LOOP(BODY,0,3,1);}"},
         "BODY", CMC_Class::kType, {{"DONE", 1}, {"MADE", 3}}},
        {"while body replaced by its own run",
         {"OBJECT=I", "I:TYPE=INTEGER", "I:VALUE=0",
          "OBJECT=BODY", "BODY:TYPE=BEHAVIOUR", "BODY:CODE={I^ADD(1);CAR^NEW(BODY);}", "BODY:ONDONE=ONDONE_COUNT",
          "OBJECT=GO", "GO:TYPE=BEHAVIOUR", "GO:CODE={@WHILE(\"I\",<,3,BODY);}"},
         "BODY", CMC_Class::kType, {{"DONE", 1}, {"MADE", 3}, {"I", 3}}},
        {"replaced handler",
         {"OBJECT=N", "N:TYPE=INTEGER", "N:VALUE=0", "N:ONCHANGED=H",
          "OBJECT=H", "H:TYPE=BEHAVIOUR", "H:CODE={HITS^ADD(1);}", "H:ONDONE=ONDONE_COUNT",
          "OBJECT=GO", "GO:TYPE=BEHAVIOUR", "GO:CODE={N^SET(1);CNVLOADER^LOAD(NEWH.CNV);N^SET(2);}"},
         "H", CMC_Behaviour::kType, {{"DONE", 1}, {"HITS", 11}}},
        {"replaced group member",
         {"OBJECT=N", "N:TYPE=INTEGER", "N:VALUE=7", "N:ONDONE=ONDONE_COUNT", "OBJECT=G", "G:TYPE=GROUP",
          "OBJECT=GO", "GO:TYPE=BEHAVIOUR", "GO:CODE={N^ADDTOGROUP(G);CNVLOADER^LOAD(NEWN.CNV);G^SET(3);}"},
         "N", 1, {{"DONE", 1}, {"N", 3}}},
        {"deleted instance that attached a handler outside it",
         {"OBJECT=N", "N:TYPE=INTEGER", "N:VALUE=0",
          "OBJECT=GO", "GO:TYPE=BEHAVIOUR", "GO:CODE={CAR^NEW(A);A^HOOK();N^SET(1);CAR^DELETE(A);N^SET(2);}"},
         "N", 1, {{"HITS", 100}}, "{N^SET(3);}"},
        {"self-recursion",
         {"OBJECT=B", "B:TYPE=BEHAVIOUR", "B:CODE={HITS^ADD(1);B^RUN();}",
          "OBJECT=GO", "GO:TYPE=BEHAVIOUR", "GO:CODE={B^RUN();MADE^ADD(1);}"},
         "B", CMC_Behaviour::kType, {{"HITS", CMC_RunDepth::kMaxDepth - 1}, {"MADE", 1}}},
        {"deep nesting in one statement",
         concat({"OBJECT=N", "N:TYPE=INTEGER", "N:VALUE=0", "OBJECT=GO", "GO:TYPE=BEHAVIOUR"},
                continued("GO:CODE={" + nested(10000) + ";MADE^ADD(1);}")),
         "N", 1, {{"MADE", 1}, {"N", 0}}},
        {"deep nesting around a parameter",
         concat({"OBJECT=N", "N:TYPE=INTEGER", "N:VALUE=0", "OBJECT=GO", "GO:TYPE=BEHAVIOUR"},
                continued("GO:CODE={" + nested(10000, "$1") + ";MADE^ADD(1);}")),
         "N", 1, {{"MADE", 1}, {"N", 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CMC_ObjectsContainer* scene = load(c.lines);
        ASSERT_NE(scene, nullptr);
        CMC_Object* before = scene->getObject(c.replaced);
        test::runBehaviour(scene, "GO");
        CMC_Object* after = scene->getObject(c.replaced);
        ASSERT_NE(after, nullptr);
        EXPECT_EQ(after->getType(), c.type);
        EXPECT_FALSE(after->isDisposed());
        for (const auto& [name, value] : c.values) EXPECT_EQ(test::intValue(scene, name), value) << name;
        // The replaced object waits for the step; its "ONDONE" does not run again then.
        if (before && before != after) {
            EXPECT_TRUE(before->isDisposed());
        }
        world.frames(2);
        if (c.later) test::runCode(scene, c.later);
        for (const auto& [name, value] : c.values) EXPECT_EQ(test::intValue(scene, name), value) << name;
        EXPECT_EQ(CMC_Behaviour::trashCount(), 0);
    }
}

TEST_F(LifetimeFixture, TooDeepARunDoesNothingAndSaysSoOncePerRun) {
    CMC_ObjectsContainer* scene = load({"OBJECT=B", "B:TYPE=BEHAVIOUR", "B:CODE={HITS^ADD(1);B^RUN();}",
                                        "OBJECT=GO", "GO:TYPE=BEHAVIOUR", "GO:CODE={B^RUN();B^RUN();}"});
    ASSERT_NE(scene, nullptr);
    platform::CapturedDebugOutput output;
    platform::ScopedDebugOutput capture(output);
    test::runBehaviour(scene, "GO");
    // Both recursions stop at the cap; one line tells of it.
    EXPECT_EQ(test::intValue(scene, "HITS"), 2 * (CMC_RunDepth::kMaxDepth - 1));
    EXPECT_EQ(output.lines.size(), 1u);
    EXPECT_EQ(CMC_RunDepth::depth(), 0);
    test::runBehaviour(scene, "GO");
    EXPECT_EQ(output.lines.size(), 2u);
}

TEST_F(LifetimeFixture, NestingUpToTheParserCapRunsInFull) {
    // The statement is one level, each argument statement one more: the innermost
    // literal sits exactly at the cap. Each ADD doubles N.
    const int levels = CMC_ParseDepth::kMaxDepth - 1;
    CMC_ObjectsContainer* scene = load(concat({"OBJECT=N", "N:TYPE=DOUBLE", "N:VALUE=0", "OBJECT=GO", "GO:TYPE=BEHAVIOUR"},
                                              continued("GO:CODE={" + nested(levels) + ";}")));
    ASSERT_NE(scene, nullptr);
    test::runBehaviour(scene, "GO");
    EXPECT_DOUBLE_EQ(test::doubleValue(scene, "N"), std::ldexp(1.0, levels - 1));
}
