// A headless game whose start script pauses and resumes, runs methods and behaviours
// by name and per clone, reads the date and prints: the settings file keeps what it
// computed and the printer one page of the screen.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/Host.h"
#include "platform/Print.h"
#include "support/TempDir.h"

namespace {

std::string joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& line : lines) out += line + "\r\n";
    return out;
}

TEST(ScriptedGame, LeavesKnownSettingsAndOnePrintedPage) {
    test::TempDir dir;
    test::ScopedCurrentDirectory start(dir.path());
    dir.write("GAME/Dane/application.def",
              joined({"OBJECT=APP", "APP:TYPE=APPLICATION", "APP:EPISODES=EP", "OBJECT=EP", "EP:TYPE=EPISODE",
                      "EP:SCENES=S1", "OBJECT=S1", "S1:TYPE=SCENE", "S1:PATH=S1"}));
    dir.write("GAME/Dane/S1/S1.cnv",
              joined({"OBJECT=C", "C:TYPE=INTEGER", "C:VALUE=0", "C:TOINI=TRUE", "OBJECT=D", "D:TYPE=INTEGER",
                      "D:TOINI=TRUE", "OBJECT=Q1", "Q1:TYPE=BOOL", "Q1:TOINI=TRUE", "OBJECT=Q2", "Q2:TYPE=BOOL",
                      "Q2:TOINI=TRUE",
                      "OBJECT=DOG", "DOG:TYPE=INTEGER", "OBJECT=B", "B:TYPE=BEHAVIOUR", "B:CODE={C^ADD(1);}",
                      "OBJECT=__INIT__", "__INIT__:TYPE=BEHAVIOUR",
                      "__INIT__:CODE={S1^PAUSE();Q1^SET(S1^ISPAUSED());S1^RESUME();Q2^SET(S1^ISPAUSED());"
                      "DOG^CLONE(3);S1^RUNCLONES(\"DOG\",0,0,\"B\");S1^RUN(\"C\",\"ADD\",10);"
                      "D^SET(SYSTEM^GETDATE());APP^PRINT();}"}));
    platform::RecordingPrinter printer;
    platform::ScopedPrinter scoped(printer);
    const std::string game = dir.path() + "/GAME";
    const char* argv[] = {"vondrel", "--headless", "--frames", "3", "--ini", "run.ini", "-path", game.c_str()};
    ASSERT_EQ(host::run(static_cast<int>(std::size(argv)), argv), 0);
    const std::string ini = dir.read("run.ini");
    EXPECT_NE(ini.find("C=13"), std::string::npos) << ini;
    EXPECT_NE(ini.find("D=101"), std::string::npos) << ini;  // 2000-01-01, the headless calendar
    EXPECT_NE(ini.find("Q1=TRUE"), std::string::npos) << ini;
    EXPECT_NE(ini.find("Q2=FALSE"), std::string::npos) << ini;
    ASSERT_EQ(printer.pages.size(), 1u);
    ASSERT_EQ(printer.pages[0].draws.size(), 1u);
    EXPECT_EQ(printer.pages[0].draws[0].picture.width, 800);
    EXPECT_EQ(printer.pages[0].draws[0].picture.height, 600);
}

}  // namespace
