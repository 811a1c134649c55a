// The script INTERNET: GET with its escapes, events raised only by the scene's flush,
// merged reports, GETPROGRESS, EXTRACT, the server it checks, and an object removed
// while its download runs.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "foundation/CXVector.h"
#include "net/CInternet.h"
#include "net/CMC_Internet.h"
#include "platform/Http.h"
#include "script/CMC_DownloadSource.h"
#include "script/CMElement.h"
#include "support/HttpFixture.h"
#include "support/ScriptTestSupport.h"

namespace {

using namespace std::chrono_literals;

void flush(CMC_ObjectsContainer* scene) {
    CXVector* list = scene->getDownloadList();
    for (int i = 0; i < list->getCount(); ++i)
        if (auto* source = dynamic_cast<CMC_DownloadSource*>(list->at(i))) source->flushDownloadFinished();
}

CMC_Internet* internetOf(CMC_ObjectsContainer* scene, const char* name = "I") {
    return dynamic_cast<CMC_Internet*>(scene->getObject(name));
}

void put32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>(value >> (8 * i));
}

struct Internet : ::testing::Test {
    Internet() : scopedHttp(http), cd(world.dir().path()) {
        platform::ScriptedHttpSystem::Answer answer;
        answer.body = "payload";
        answer.contentLength = 7;
        http.setAnswer("http://h/dir/a=1", answer);
    }
    test::TempDir& dir() { return world.dir(); }
    platform::ScriptedHttpSystem http;
    platform::ScopedHttpSystem scopedHttp;
    test::ScriptWorld world;
    test::ScopedCurrentDirectory cd;
    const test::Lines objects = {
        "OBJECT=LOG", "LOG:TYPE=STRING", "LOG:VALUE=",
        "OBJECT=I", "I:TYPE=INTERNET", "I:SERVER=h",
        "I:ONDOWNLOADED={LOG^ADD(d);}", "I:ONERROR={LOG^ADD(e);}",
    };
};

TEST_F(Internet, GetRestoresEscapesAndRaisesAtTheFlush) {
    auto* scene = world.loadScene("i.cnv", objects);
    ASSERT_NE(scene, nullptr);
    CMC_Internet* internet = internetOf(scene);
    ASSERT_NE(internet, nullptr);
    EXPECT_STREQ(internet->getServer().c_str(), "http://h");
    EXPECT_TRUE(scene->getDownloadList()->contains(internet));
    dir().mkdir("sub");
    test::runCode(scene, "I^GET(\"h&slashdir&slasha&equals1\", \"sub&slashout.txt\");");
    internet->getDownloader()->wait();
    EXPECT_EQ(http.requests(), "http://h/dir/a=1\n");
    EXPECT_EQ(test::textValue(scene, "LOG"), "") << "events wait for the scene's step";
    flush(scene);
    EXPECT_EQ(test::textValue(scene, "LOG"), "d");
    flush(scene);
    EXPECT_EQ(test::textValue(scene, "LOG"), "d");
    EXPECT_EQ(dir().read("sub/out.txt"), "payload");
}

TEST_F(Internet, ErrorsMergeIntoOneEvent) {
    dir().mkdir("taken");
    auto* scene = world.loadScene("i.cnv", objects);
    test::runCode(scene, "I^GET(\"h&slashdir&slasha&equals1\", \"taken\");");
    internetOf(scene)->getDownloader()->wait();
    flush(scene);
    flush(scene);
    EXPECT_EQ(test::textValue(scene, "LOG"), "e");
    // A scheme in the parameter is doubled; the address fails to open.
    test::runCode(scene, "I^GET(\"http:&slash&slashh\", \"x\");");
    internetOf(scene)->getDownloader()->wait();
    EXPECT_EQ(http.requests().substr(http.requests().rfind("http://http")), "http://http://h\n");
    flush(scene);
    EXPECT_EQ(test::textValue(scene, "LOG"), "ee");
}

TEST_F(Internet, NoConnectionIsReportedAtTheNextFlushOnly) {
    http.setConnected(false);
    auto* scene = world.loadScene("i.cnv", objects);
    test::runCode(scene, "I^GET(\"h&slashdir&slasha&equals1\", \"x\");");
    EXPECT_EQ(test::textValue(scene, "LOG"), "");
    flush(scene);
    EXPECT_EQ(test::textValue(scene, "LOG"), "e");
    EXPECT_EQ(http.requests(), "");
}

TEST_F(Internet, ServerComesFromVarserverOrTheCommandLine) {
    auto* scene = world.loadScene("i.cnv", {
        "OBJECT=VARSERVER", "VARSERVER:TYPE=STRING", "VARSERVER:VALUE=srv.example",
        "OBJECT=A", "A:TYPE=INTERNET",
        "OBJECT=B", "B:TYPE=INTERNET", "B:SERVER=given",
    });
    EXPECT_STREQ(internetOf(scene, "A")->getServer().c_str(), "http://srv.example");
    EXPECT_STREQ(internetOf(scene, "B")->getServer().c_str(), "http://given");
    auto* bare = world.loadScene("j.cnv", {"OBJECT=C", "C:TYPE=INTERNET"}, "OTHER");
    EXPECT_STREQ(internetOf(bare, "C")->getServer().c_str(), "http://127.0.0.1");
}

TEST_F(Internet, ProgressIsComputedIn64Bits) {
    struct Case {
        int64_t received, length;
        int32_t percent;
    };
    const Case cases[] = {
        {50000000, 100000000, 50}, {0, 0, 0},  {5, 0, 0},        {3000000000LL, 4000000000LL, 75},
        {150, 100, 100},           {-5, 10, 0}, {99, 100, 99},   {21474837, 21474837, 100},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CMC_Internet::progressOf(c.received, c.length), c.percent) << c.received << "/" << c.length;
    auto* scene = world.loadScene("i.cnv", objects);
    test::runCode(scene, "LOG^SET(I^GETPROGRESS());");
    EXPECT_EQ(test::textValue(scene, "LOG"), "0");
}

TEST_F(Internet, ExtractReadsFromTheTempFolder) {
    std::string pik = "SFX01";
    put32(pik, 1);
    pik += '\x02';
    put32(pik, 2);
    put32(pik, 2);
    pik += "hi";
    put32(pik, 5);
    pik += "g\\h.t";
    dir().write("temp/p.pik", pik);
    auto* scene = world.loadScene("i.cnv", objects);
    test::runCode(scene, "I^EXTRACT(\"p.pik\", \"out\"); I^EXTRACT(\"missing.pik\", \"out2\");");
    EXPECT_EQ(dir().read("out/g/h.t"), "hi");
    EXPECT_FALSE(dir().exists("out2"));
    flush(scene);
    EXPECT_EQ(test::textValue(scene, "LOG"), "");
}

TEST_F(Internet, RemovedObjectLeavesTheListAndItsDownloadStops) {
    test::HttpFixture server;
    ASSERT_TRUE(server.running());
    platform::CurlHttpSystem curl;
    platform::ScopedHttpSystem scoped(curl);
    auto* scene = world.loadScene("i.cnv", {"OBJECT=LOG", "LOG:TYPE=STRING"});
    // Definition text cannot hold the port's ":": the element is made in code.
    std::unique_ptr<CMElement> element(
        test::makeElement("I", {{"TYPE", "INTERNET"}, {"SERVER", server.address().c_str()}}));
    auto* internet = new CMC_Internet(scene, element.get());
    scene->addObject(internet);
    ASSERT_TRUE(internet->getDownloader()->isConnected()) << internet->getServer().c_str();
    internet->get(CXString(server.address("/stall").c_str()), CXString("stalled.bin"));
    while (internet->getDownloader()->getReceived() < 10) std::this_thread::sleep_for(5ms);
    ASSERT_TRUE(scene->deleteObject(internet));
    EXPECT_FALSE(scene->getDownloadList()->contains(internet));
    flush(scene);
    const auto start = std::chrono::steady_clock::now();
    world.applicationStep();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_EQ(scene->getDownloadList()->getCount(), 0);
}

}  // namespace
