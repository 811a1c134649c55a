// The SYSTEM object on a manual clock: dates and times in universal time, the tick
// count, DELAY, COPYFILE, MINIMIZE, the command line and the processor's speed.
#include <gtest/gtest.h>

#include <string>

#include "foundation/CFile.h"
#include "platform/WindowPlacement.h"
#include "scene/CMC_System.h"
#include "script/CMC_RunnerFactory.h"
#include "shell/CCommandLine6.h"
#include "shell/CWindow.h"
#include "support/ScriptTestSupport.h"

namespace {

constexpr int64_t kMonday = 1137402307;  // 2006-01-16 09:05:07 UTC

struct SystemFixture : ::testing::Test {
    SystemFixture() {
        world.clock().setWallClock(kMonday);
        test::Lines lines = test::object("S", "STRING");
        test::append(lines, test::object("N", "INTEGER"));
        test::append(lines, test::object("B", "BOOL"));
        scene = world.loadScene("system.cnv", lines);
        scene->addObject(new CMC_System(scene));
    }
    std::string text(const std::string& call) {
        test::runCode(scene, ("S^SET(SYSTEM^" + call + ");").c_str());
        return test::textValue(scene, "S");
    }
    int number(const std::string& call) {
        test::runCode(scene, ("N^SET(SYSTEM^" + call + ");").c_str());
        return test::intValue(scene, "N");
    }
    bool flag(const std::string& call) {
        test::runCode(scene, ("B^SET(SYSTEM^" + call + ");").c_str());
        return test::boolValue(scene, "B");
    }

    test::ScriptWorld world;
    test::TestScene* scene = nullptr;
};

TEST_F(SystemFixture, DatesAndTimesOfAMondayMorning) {
    EXPECT_EQ(number("GETDATE()"), 60116);
    EXPECT_EQ(number("GETDAY()"), 16);
    EXPECT_EQ(number("GETMONTH()"), 1);
    EXPECT_EQ(number("GETYEAR()"), 2006);
    EXPECT_EQ(number("GETDAYOFWEEK()"), 2);
    EXPECT_EQ(number("GETHOUR()"), 9);
    EXPECT_EQ(number("GETMINUTES()"), 5);
    EXPECT_EQ(number("GETSECONDS()"), 7);
    EXPECT_EQ(text("GETMONTHSTRING()"), "Styczen");
    EXPECT_EQ(text("GETDAYOFWEEKSTRING()"), "Poniedzialek");
    EXPECT_EQ(text("GETDATESTRING()"), "16/Styczen/2006");
    EXPECT_EQ(text("GETTIMESTRING()"), "9:5");
}

TEST_F(SystemFixture, OtherDays) {
    struct Case {
        int64_t wall;
        int dayOfWeek;
        const char* day;
        const char* time;
        int date;
    };
    const Case cases[] = {
        {1137326400, 1, "Niedziela", "12:0", 60115},
        {1137844800, 7, "Sobota", "12:0", 60121},
        {1137409199, 2, "Poniedzialek", "10:59", 60116},
        {946681200, 6, "Piatek", "23:0", -8769},  // 1999-12-31
    };
    for (const Case& c : cases) {
        world.clock().setWallClock(c.wall);
        EXPECT_EQ(number("GETDAYOFWEEK()"), c.dayOfWeek) << c.wall;
        EXPECT_EQ(text("GETDAYOFWEEKSTRING()"), c.day);
        EXPECT_EQ(text("GETTIMESTRING()"), c.time);
        EXPECT_EQ(number("GETDATE()"), c.date);
    }
}

TEST_F(SystemFixture, TickCountAndDelay) {
    world.clock().set(123456);
    EXPECT_EQ(number("GETSYSTEMTIME()"), 123456);
    test::runCode(scene, "SYSTEM^DELAY(250);");
    EXPECT_EQ(world.clock().tickCount(), 123706u);
    test::runCode(scene, "SYSTEM^DELAY(-5);SYSTEM^DELAY(0);SYSTEM^DELAY();");
    EXPECT_EQ(world.clock().tickCount(), 123706u);
    // Past 2^31 the count reads negative.
    world.clock().set(0x80000005u);
    EXPECT_EQ(number("GETSYSTEMTIME()"), INT32_MIN + 5);
}

TEST_F(SystemFixture, CopyFileReplacesAndFailsFromAMissingFile) {
    world.dir().write("from.txt", "new");
    world.dir().write("to.txt", "old");
    const std::string from = world.dir().engine("from.txt");
    const std::string to = world.dir().engine("to.txt");
    EXPECT_TRUE(flag("COPYFILE(\"" + from + "\", \"" + to + "\")"));
    EXPECT_EQ(world.dir().read("to.txt"), "new");
    EXPECT_FALSE(flag("COPYFILE(\"" + world.dir().engine("missing.txt") + "\", \"" + to + "\")"));
    EXPECT_EQ(world.dir().read("to.txt"), "new");
}

TEST_F(SystemFixture, MinimizeAndTheCommandLine) {
    platform::WindowPlacement placement;
    platform::ScopedWindowPlacement scoped(placement);
    test::runCode(scene, "SYSTEM^MINIMIZE();");
    EXPECT_EQ(placement.minimizes, 1);

    CCommandLine6 line("-window -level 7");
    world.window()->setCommandLineIfc(&line);
    EXPECT_TRUE(flag("ISCMDLINEPARAMETER(\"window\")"));
    EXPECT_FALSE(flag("ISCMDLINEPARAMETER(\"noframe\")"));
    EXPECT_EQ(text("GETCMDLINEPARAMETER(\"level\")"), "7");
    EXPECT_EQ(text("GETCMDLINEPARAMETER(\"other\")"), "");
    world.window()->setCommandLineIfc(nullptr);
}

TEST_F(SystemFixture, InstallReturnsToTheFolderItLeft) {
    world.dir().mkdir("exe");
    world.dir().mkdir("here");
    const CXString savedExe = CWindow::exePath;
    CWindow::exePath = CXString(world.dir().engine("exe").c_str());
    CFile::chDir(CXString(world.dir().engine("here").c_str()));
    const CXString before = CFile::getCurrentDirectory();
    test::runCode(scene, "SYSTEM^INSTALL(\"game\", \"The Game\");SYSTEM^UNINSTALL(\"game\");SYSTEM^INSTALL();");
    EXPECT_EQ(CFile::getCurrentDirectory(), before);
    CWindow::exePath = savedExe;
}

TEST_F(SystemFixture, CommonMethodsDoNothing) {
    // A null result leaves the STRING as it was.
    test::runCode(scene, "S^SET(\"x\");S^SET(SYSTEM^GETNAME());");
    EXPECT_EQ(test::textValue(scene, "S"), "x");
    CMC_Runner* runner = CMC_RunnerFactory::getRunner(CMC_System::kType);
    ASSERT_NE(runner, nullptr);
    EXPECT_EQ(runner->run(CMC_Runner::kGetName, scene->getObject("SYSTEM"), scene, nullptr), nullptr);
}

#if defined(__x86_64__)
TEST_F(SystemFixture, ProcessorSpeedIsMeasuredOnTheRealClock) {
    // The manual clock does not move: the measurement does not wait for it.
    EXPECT_GT(number("GETMHZ()"), 0);
}
#endif

}  // namespace
