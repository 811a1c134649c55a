// GROUP: the member list, the marker, the runner's own methods by name and by
// number, and the calls a group passes on to its members.
#include "media/CMC_Groupped.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "media/CMC_Groupped_Runner.h"
#include "script/CMC_RunnerFactory.h"
#include "script/RunnerTestSupport.h"
#include "support/ScriptTestSupport.h"

namespace {

using test::Args;
using test::text;

class GroupFixture : public ::testing::Test {
protected:
    GroupFixture() {
        scene = world.loadScene("scene.cnv", {
            "OBJECT=A", "A:TYPE=INTEGER", "A:VALUE=1",
            "OBJECT=B", "B:TYPE=INTEGER", "B:VALUE=2",
            "OBJECT=C", "C:TYPE=INTEGER", "C:VALUE=3",
            "OBJECT=G", "G:TYPE=GROUP",
            "OBJECT=H", "H:TYPE=GROUP",
        });
        g = dynamic_cast<CMC_Groupped*>(scene->getObject("G"));
        h = dynamic_cast<CMC_Groupped*>(scene->getObject("H"));
    }

    CMC_Variable* call(CMC_Object* target, const char* method, std::initializer_list<const char*> arguments = {}) {
        Args list(arguments);
        return runner()->run(CXString(method), target, scene, list.get());
    }
    CMC_Variable* callId(CMC_Object* target, int id, std::initializer_list<const char*> arguments = {}) {
        Args list(arguments);
        return runner()->run(id, target, scene, list.get());
    }
    static CMC_Runner* runner() { return CMC_RunnerFactory::getRunner(CMC_Groupped::kType); }
    std::string names(CMC_Groupped* group) {
        std::string out;
        for (int i = 0; i < group->getCount(); ++i) out += (i ? "," : "") + std::string(group->get(i)->getName().c_str());
        return out;
    }

    test::ScriptWorld world;
    CMC_ObjectsContainer* scene = nullptr;
    CMC_Groupped* g = nullptr;
    CMC_Groupped* h = nullptr;
};

TEST_F(GroupFixture, MembersAreAddedOnceAndRemovedInOrder) {
    ASSERT_NE(g, nullptr);
    ASSERT_NE(runner(), nullptr);
    call(g, "ADD", {"A", "NOBODY", "B", "A", "G"});
    EXPECT_EQ(names(g), "A,B");
    EXPECT_EQ(text(call(g, "GETSIZE")), "2");
    EXPECT_EQ(text(call(g, "CONTAINS", {"B"})), "TRUE");
    EXPECT_EQ(text(call(g, "CONTAINS", {"C"})), "FALSE");
    EXPECT_EQ(text(call(g, "CONTAINS", {"NOBODY"})), "FALSE");
    EXPECT_EQ(g->toString(), "1,2");

    // GETNAME by name is the common method; the member's name needs the number.
    EXPECT_EQ(text(call(g, "GETNAME", {"1"})), "G");
    EXPECT_EQ(text(callId(g, CMC_Groupped_Runner::kGetMemberName, {"1"})), "B");
    EXPECT_EQ(callId(g, CMC_Groupped_Runner::kGetMemberName, {"2"}), nullptr);

    call(g, "REMOVE", {"A"});
    call(g, "REMOVE", {"NOBODY"});
    EXPECT_EQ(names(g), "B");
    call(g, "REMOVEALL");
    EXPECT_EQ(g->getCount(), 0);
    EXPECT_EQ(g->toString(), "");

    // ADDTOGROUP of the common methods fills a group too.
    CMC_Runner* integers = CMC_RunnerFactory::getRunner(1);
    ASSERT_NE(integers, nullptr);
    Args group({"G"});
    integers->run(CXString("ADDTOGROUP"), scene->getObject("C"), scene, group.get());
    EXPECT_EQ(names(g), "C");
}

TEST_F(GroupFixture, TheMarkerWrapsAndClamps) {
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(call(g, "NEXT"), nullptr);  // empty: nothing, no endless wrapping
    EXPECT_EQ(call(g, "PREV"), nullptr);
    call(g, "ADD", {"A", "B", "C"});

    EXPECT_EQ(text(call(g, "PREV")), "B");  // from -1 one back lands on count - 2
    call(g, "RESETMARKER");
    EXPECT_EQ(text(call(g, "GETMARKERPOS")), "-1");
    std::vector<std::string> walked;
    for (int i = 0; i < 4; ++i) walked.push_back(text(call(g, "NEXT", {"5"})));
    EXPECT_EQ(walked, (std::vector<std::string>{"A", "B", "C", "A"}));

    const struct {
        const char* position;
        const char* marker;
    } cases[] = {{"99", "2"}, {"-5", "-1"}, {"1", "1"}, {"-1", "-1"}};
    for (const auto& c : cases) {
        call(g, "SETMARKERPOS", {c.position});
        EXPECT_EQ(text(call(g, "GETMARKERPOS")), c.marker) << c.position;
    }

    call(g, "SETMARKERPOS", {"2"});
    EXPECT_EQ(text(call(g, "GETNAMEATMARKER")), "C");
    // Removals leave the marker where it was, past the last member now.
    call(g, "REMOVEALL");
    EXPECT_EQ(text(call(g, "GETMARKERPOS")), "2");
    EXPECT_EQ(call(g, "GETNAMEATMARKER"), nullptr);
    call(g, "ADD", {"A"});
    EXPECT_EQ(call(g, "PREV"), nullptr);  // 2 - 1 is still past the one member
    EXPECT_EQ(text(call(g, "NEXT")), "A");
}

TEST_F(GroupFixture, ClonesAreAddedByNameAndTheGroupClonesItself) {
    ASSERT_NE(g, nullptr);
    CMC_Object* a = scene->getObject("A");
    a->clone(2);
    ASSERT_TRUE(test::hasObject(scene, "A_2"));

    call(g, "ADDCLONES", {"A"});
    call(g, "ADDCLONES", {"A"});
    EXPECT_EQ(names(g), "A_1,A_2,A_1,A_2");
    call(g, "REMOVE", {"A_1"});
    EXPECT_EQ(names(g), "A_2,A_1,A_2");
    call(g, "REMOVEALL");
    call(g, "ADDCLONES", {"A", "0", "1"});
    EXPECT_EQ(names(g), "A,A_1");
    call(g, "ADDCLONES", {"NOBODY", "0", "3"});
    EXPECT_EQ(g->getCount(), 2);

    // CLONE by name is the common cloning: copies share the members, not the marker.
    call(g, "NEXT");
    call(g, "CLONE", {"2"});
    auto* copy = dynamic_cast<CMC_Groupped*>(scene->getObject("G_2"));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(names(copy), "A,A_1");
    EXPECT_EQ(copy->getMarkerPos(), -1);
    EXPECT_EQ(text(call(copy, "GETCLONEINDEX")), "2");
}

TEST_F(GroupFixture, UnknownMethodsGoToEveryMemberDepthFirst) {
    ASSERT_NE(g, nullptr);
    ASSERT_NE(h, nullptr);
    call(h, "ADD", {"C"});
    call(g, "ADD", {"A", "B", "H"});

    EXPECT_EQ(call(g, "INC"), nullptr);
    EXPECT_EQ(test::intValue(scene, "A"), 2);
    EXPECT_EQ(test::intValue(scene, "B"), 3);
    EXPECT_EQ(test::intValue(scene, "C"), 4);
    EXPECT_EQ(call(g, "NOSUCHMETHOD"), nullptr);

    // A cycle of groups ends instead of running forever.
    call(h, "ADD", {"G"});
    EXPECT_EQ(call(g, "INC"), nullptr);
    EXPECT_GT(test::intValue(scene, "C"), 4);
}

}  // namespace
