// HTTP transfers for the engine's downloader.
//
// checkConnection is a connect-only request (no data sent) that tells whether the
// server of a url can be reached at all. get fetches a url on the calling thread
// (the downloader's worker), following http and https redirects up to kMaxRedirects,
// and hands the answer to a sink: the status with the announced length first, then
// the body chunk by chunk. A transfer that receives no byte for the stall time (wall
// clock, never the installed manual clock) ends as stalled; one whose body is shorter
// than its Content-Length as short. The sink can stop a transfer at any chunk, and its
// keepGoing is also asked while the transfer waits for data, so a stop never waits
// for the server.
//
// CurlHttpSystem is the real one (libcurl); ScriptedHttpSystem serves answers set up
// by a test from memory, with the same sink calls.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>

namespace platform {

inline constexpr const char* kHttpUserAgent = "Vondrel-agent-1";
inline constexpr int kMaxRedirects = 10;
inline constexpr int kConnectTimeoutSeconds = 5;
inline constexpr int kStallSeconds = 60;

class HttpSink {
public:
    virtual ~HttpSink() = default;
    // The final answer's status and Content-Length (-1 when it sent none); false
    // ends the transfer as aborted.
    virtual bool onResponse(int status, int64_t contentLength) = 0;
    // A chunk of the body; false ends the transfer (a failed write).
    virtual bool onData(const void* data, size_t size) = 0;
    // Asked between chunks and while waiting; false stops the transfer.
    virtual bool keepGoing() = 0;
};

enum class HttpResult {
    Ok,          // the whole body arrived
    BadUrl,      // the url or its server could not be opened (also a redirect loop)
    HttpError,   // the final status was 400 or more; no body was handed over
    Failed,      // the connection broke or a read failed mid-body
    Short,       // the body ended before its Content-Length
    Stalled,     // no data for the stall time
    WriteFailed, // onData refused a chunk
    Stopped,     // keepGoing or onResponse said no
};

class HttpSystem {
public:
    virtual ~HttpSystem() = default;
    // Whether a connection to the url's server opens within kConnectTimeoutSeconds.
    virtual bool checkConnection(const std::string& url) = 0;
    virtual HttpResult get(const std::string& url, HttpSink& sink) = 0;
};

class CurlHttpSystem : public HttpSystem {
public:
    // stallSeconds: how long a transfer may go without data (tests shorten it).
    explicit CurlHttpSystem(int stallSeconds = kStallSeconds);
    bool checkConnection(const std::string& url) override;
    HttpResult get(const std::string& url, HttpSink& sink) override;

private:
    int m_stallSeconds;
};

// Answers by exact url. A url without an answer cannot be opened; checkConnection is
// true for every url unless set otherwise.
class ScriptedHttpSystem : public HttpSystem {
public:
    struct Answer {
        int status = 200;
        std::string body;
        int64_t contentLength = -1;  // as announced; -1: none
        HttpResult end = HttpResult::Ok;  // how the transfer ends after the body
    };
    void setAnswer(const std::string& url, Answer answer);
    void setConnected(bool connected) { m_connected = connected; }
    bool checkConnection(const std::string& url) override;
    HttpResult get(const std::string& url, HttpSink& sink) override;
    // Urls fetched so far, in order.
    std::string requests() const;

private:
    mutable std::mutex m_mutex;
    std::map<std::string, Answer> m_answers;
    std::string m_requests;
    std::atomic<bool> m_connected{true};
};

// The system in force: a CurlHttpSystem unless one was installed.
HttpSystem& httpSystem();
// Installs a system (not owned); null restores the default.
void setHttpSystem(HttpSystem* system);

class ScopedHttpSystem {
public:
    explicit ScopedHttpSystem(HttpSystem& system);
    ~ScopedHttpSystem();
    ScopedHttpSystem(const ScopedHttpSystem&) = delete;
    ScopedHttpSystem& operator=(const ScopedHttpSystem&) = delete;

private:
    HttpSystem* m_previous;
};

}  // namespace platform
