// A game played headless fetches a package with INTERNET when its scene starts and
// unpacks it from the download's event, which the scene's step raises.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "net/CInternet.h"
#include "net/CMC_Internet.h"
#include "platform/Http.h"
#include "scene/CMC_Application.h"
#include "support/HeadlessGame.h"
#include "support/ScriptTestSupport.h"

namespace {

void put32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>(value >> (8 * i));
}

struct HeadlessGameDownload : ::testing::Test, test::HeadlessGame {
    // The game goes before the HTTP layer it may still use.
    ~HeadlessGameDownload() override { stopGame(); }

    platform::ScriptedHttpSystem http;
    platform::ScopedHttpSystem scopedHttp{http};
};

TEST_F(HeadlessGameDownload, GetsAndExtractsAPackage) {
    std::string pik = "SFX01";
    put32(pik, 1);
    pik += '\x02';
    put32(pik, 5);
    put32(pik, 5);
    pik += "hello";
    put32(pik, 9);
    pik += "g\\Dane\\ht";
    platform::ScriptedHttpSystem::Answer answer;
    answer.body = pik;
    answer.contentLength = static_cast<int64_t>(pik.size());
    http.setAnswer("http://h/g.pik", answer);

    dir.write("GAME/Dane/application.def",
              test::definitionText({"OBJECT=APP", "APP:TYPE=APPLICATION", "APP:EPISODES=EP", "OBJECT=EP", "EP:TYPE=EPISODE",
                      "EP:SCENES=S1", "OBJECT=S1", "S1:TYPE=SCENE", "S1:PATH=S1"}));
    dir.write("GAME/Dane/APP.cnv", test::definitionText({"OBJECT=T", "T:TYPE=STRING"}));
    dir.write("GAME/Dane/S1/S1.cnv",
              test::definitionText({"OBJECT=I", "I:TYPE=INTERNET", "I:SERVER=h",
                      "I:ONDOWNLOADED={I^EXTRACT(\"g.pik\", \"out\");T^ADD(\"d\");}", "I:ONERROR={T^ADD(\"e\");}",
                      "OBJECT=S1", "S1:ONINIT={I^GET(\"h&slashg.pik\", \"temp&slashg.pik\");}"}));
    // A scene runs in its own folder: relative downloads and packages go below it.
    dir.mkdir("GAME/Dane/S1/temp");

    startGame();
    ASSERT_NE(app(), nullptr);
    for (int i = 0; i < 500 && test::textValue(app(), "T").empty(); ++i) {
        frame(20);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    CMC_Scene* scene = playing();
    ASSERT_NE(scene, nullptr);
    auto* internet = dynamic_cast<CMC_Internet*>(scene->getObject("I"));
    ASSERT_NE(internet, nullptr);
    EXPECT_EQ(test::textValue(app(), "T"), "d");
    EXPECT_EQ(internet->getProgress(), 100);
    EXPECT_EQ(http.requests(), "http://h/g.pik\n");
    EXPECT_EQ(dir.read("GAME/Dane/S1/temp/g.pik"), pik);
    EXPECT_EQ(dir.read("GAME/Dane/S1/out/g/Dane/ht"), "hello");
}

}  // namespace
