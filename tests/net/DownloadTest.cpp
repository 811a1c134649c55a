// HTTP downloads against the local fixture server: file bytes, reports and their exact
// texts, the agent, redirects, stalls, stops and the life of the worker.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "net/CDownloadListener.h"
#include "net/CInternet.h"
#include "platform/Http.h"
#include "support/HttpFixture.h"
#include "support/TempDir.h"

namespace {

using namespace std::chrono_literals;

class Recorder : public CDownloadListener {
public:
    void onDownloadFinish() override { add("finished"); }
    void onError(CXString message) override { add(message.c_str()); }

    // Waits until `count` reports arrived (at most 20 s); the reports so far.
    std::vector<std::string> waitFor(size_t count) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait_for(lock, 20s, [&] { return m_reports.size() >= count; });
        return m_reports;
    }
    std::vector<std::string> reports() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_reports;
    }

private:
    void add(const std::string& report) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_reports.push_back(report);
        m_changed.notify_all();
    }
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::string> m_reports;
};

std::string fileBody() {
    std::string body(100000, '\0');
    for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>((i * 7 + 3) % 256);
    return body;
}

std::string noLengthBody() {
    std::string body(5000, '\0');
    for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>((i * 13) % 251);
    return body;
}

struct Downloads : ::testing::Test {
    Downloads() : curl(2), scoped(curl) {}
    test::HttpFixture server;
    test::TempDir dir;
    platform::CurlHttpSystem curl;  // stalls end after 2 s here
    platform::ScopedHttpSystem scoped;
};

TEST(DownloadTexts, AreWindows1250) {
    EXPECT_EQ(std::string(CInternet::kNoConnection), "Brak po\xB3\xB9" "czenia z internetem");
    EXPECT_EQ(std::string(CInternet::kOpenFailed), "B\xB3\xB9" "d podczas otwierania URL");
    EXPECT_EQ(std::string(CInternet::kReadFailed), "Blad podczas wczytywania danych.");
    EXPECT_EQ(std::string(CInternet::kInterrupted), "Wczytywanie pliku zostalo przerwane.");
    EXPECT_EQ(std::string(CInternet::kCannotCreate), "Nie moge utworzyc pliku.");
}

TEST_F(Downloads, EachRouteGivesItsFileAndReport) {
    ASSERT_TRUE(server.running());
    struct Case {
        const char* route;
        std::string report;
        bool fileKept;
        std::string body;
        int64_t length;
    };
    const Case cases[] = {
        {"/file", "finished", true, fileBody(), 100000},
        {"/nolength", "finished", true, noLengthBody(), 0},
        {"/empty", "finished", true, "", 0},
        {"/redirect", "finished", true, fileBody(), 100000},
        {"/missing", CInternet::kOpenFailed, false, "", 0},
        {"/loop", CInternet::kOpenFailed, false, "", 0},
        {"/nothing-here", CInternet::kOpenFailed, false, "", 0},
        {"/short", CInternet::kReadFailed, false, "", 1000},
        {"/stall", CInternet::kReadFailed, false, "", 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.route);
        CInternet internet(server.url().c_str());
        ASSERT_TRUE(internet.isConnected());
        Recorder recorder;
        internet.registerListener(&recorder);
        const std::string name = std::string("out") + (c.route + 1) + ".bin";
        internet.GET(server.url(c.route).c_str(), dir.engine(name).c_str());
        EXPECT_EQ(recorder.waitFor(1), std::vector<std::string>{c.report});
        internet.wait();
        EXPECT_EQ(dir.exists(name), c.fileKept);
        if (c.fileKept) {
            EXPECT_EQ(dir.read(name), c.body);
        }
        EXPECT_EQ(internet.getContentLength(), c.length);
        if (c.fileKept) {
            EXPECT_EQ(internet.getReceived(), static_cast<int64_t>(c.body.size()));
        }
        EXPECT_EQ(internet.isFinished(), c.report == "finished");
        EXPECT_FALSE(dir.hasTemporaryOf(name));
    }
}

TEST_F(Downloads, ServerSeesTheAgent) {
    CInternet internet(server.url().c_str());
    Recorder recorder;
    internet.registerListener(&recorder);
    internet.GET(server.url("/agent").c_str(), dir.engine("agent.txt").c_str());
    recorder.waitFor(1);
    internet.wait();
    EXPECT_EQ(dir.read("agent.txt"), "Vondrel-agent-1");
}

TEST_F(Downloads, RelativeTargetLandsInTheCurrentFolderAtGet) {
    test::ScopedCurrentDirectory cd(dir.path());
    CInternet internet(server.url().c_str());
    Recorder recorder;
    internet.registerListener(&recorder);
    internet.GET(server.url("/file").c_str(), "rel.bin");
    EXPECT_EQ(std::string(internet.getFilename().c_str()), dir.engine("rel.bin"));
    recorder.waitFor(1);
    internet.wait();
    EXPECT_EQ(dir.read("rel.bin"), fileBody());
}

TEST_F(Downloads, ClosedPortIsNoNetwork) {
    const std::string closed = "http://127.0.0.1:" + std::to_string(test::HttpFixture::closedPort());
    CInternet internet(closed.c_str());
    EXPECT_FALSE(internet.isConnected());
    Recorder recorder;
    internet.registerListener(&recorder);
    internet.GET(server.url("/file").c_str(), dir.engine("x.bin").c_str());
    // Reported at once on this thread, with no worker started.
    EXPECT_EQ(recorder.reports(), std::vector<std::string>{CInternet::kNoConnection});
    EXPECT_FALSE(internet.isRunning());
    EXPECT_FALSE(dir.exists("x.bin"));
}

TEST_F(Downloads, EmptyTargetReportsNothing) {
    CInternet internet(server.url().c_str());
    Recorder recorder;
    internet.registerListener(&recorder);
    internet.GET(server.url("/file").c_str(), "");
    internet.wait();
    EXPECT_TRUE(recorder.reports().empty());
}

TEST_F(Downloads, UncreatableFileGivesTwoReports) {
    dir.mkdir("taken");
    CInternet internet(server.url().c_str());
    Recorder recorder;
    internet.registerListener(&recorder);
    internet.GET(server.url("/file").c_str(), dir.engine("taken").c_str());
    EXPECT_EQ(recorder.waitFor(2), (std::vector<std::string>{CInternet::kCannotCreate, CInternet::kReadFailed}));
}

TEST_F(Downloads, SecondGetWhileOneRunsStartsNothing) {
    CInternet internet(server.url().c_str());
    Recorder recorder;
    internet.registerListener(&recorder);
    internet.GET(server.url("/stall").c_str(), dir.engine("first.bin").c_str());
    while (internet.getReceived() < 10) std::this_thread::sleep_for(5ms);
    internet.GET(server.url("/file").c_str(), dir.engine("second.bin").c_str());
    EXPECT_EQ(recorder.reports(), std::vector<std::string>{CInternet::kOpenFailed});
    internet.stopDownload();
    EXPECT_EQ(recorder.waitFor(2)[1], CInternet::kInterrupted);
    internet.wait();
    EXPECT_FALSE(dir.exists("second.bin"));
    // A stopped download keeps its file.
    EXPECT_EQ(dir.read("first.bin"), "0123456789");
}

TEST_F(Downloads, GetResetsCountsAndStopFlag) {
    CInternet internet(server.url().c_str());
    Recorder recorder;
    internet.registerListener(&recorder);
    internet.stopDownload();
    internet.GET(server.url("/file").c_str(), dir.engine("a.bin").c_str());
    recorder.waitFor(1);
    internet.wait();
    internet.GET(server.url("/nolength").c_str(), dir.engine("b.bin").c_str());
    EXPECT_EQ(recorder.waitFor(2), (std::vector<std::string>{"finished", "finished"}));
    internet.wait();
    EXPECT_EQ(internet.getReceived(), 5000);
    EXPECT_EQ(internet.getContentLength(), 0);
}

TEST_F(Downloads, DestructionMidDownloadJoinsTheWorker) {
    auto internet = std::make_unique<CInternet>(server.url().c_str());
    Recorder recorder;
    internet->registerListener(&recorder);
    internet->GET(server.url("/stall").c_str(), dir.engine("gone.bin").c_str());
    while (internet->getReceived() < 10) std::this_thread::sleep_for(5ms);
    const auto start = std::chrono::steady_clock::now();
    internet.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_EQ(recorder.reports(), std::vector<std::string>{CInternet::kInterrupted});
}

TEST(ScriptedDownloads, ServeFromMemory) {
    test::TempDir dir;
    platform::ScriptedHttpSystem http;
    platform::ScopedHttpSystem scoped(http);
    platform::ScriptedHttpSystem::Answer answer;
    answer.body = "abc";
    answer.contentLength = 3;
    http.setAnswer("http://h/a", answer);
    CInternet internet("http://h");
    Recorder recorder;
    internet.registerListener(&recorder);
    internet.GET("http://h/a", dir.engine("a").c_str());
    recorder.waitFor(1);
    internet.wait();
    EXPECT_EQ(dir.read("a"), "abc");
    EXPECT_EQ(http.requests(), "http://h/a\n");
}

}  // namespace
