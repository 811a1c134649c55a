#include "platform/Http.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>

namespace platform {

namespace {

void globalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// One transfer's state, shared with libcurl's callbacks.
struct Transfer {
    CURL* curl = nullptr;
    HttpSink* sink = nullptr;
    bool started = false;      // onResponse was called
    bool refused = false;      // onResponse said no
    bool writeFailed = false;  // onData said no

    bool start() {
        if (started) return !refused;
        started = true;
        long status = 0;
        curl_off_t length = -1;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
        curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        refused = !sink->onResponse(static_cast<int>(status), length < 0 ? -1 : static_cast<int64_t>(length));
        return !refused;
    }
};

size_t writeBody(char* data, size_t size, size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    const size_t bytes = size * count;
    if (!transfer->start()) return CURL_WRITEFUNC_ERROR;
    if (bytes == 0) return 0;
    if (!transfer->sink->onData(data, bytes)) {
        transfer->writeFailed = true;
        return CURL_WRITEFUNC_ERROR;
    }
    return bytes;
}

int progress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* transfer = static_cast<Transfer*>(user);
    return transfer->sink->keepGoing() ? 0 : 1;
}

void commonOptions(CURL* curl, const std::string& url) {
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, static_cast<long>(kConnectTimeoutSeconds));
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_USERAGENT, kHttpUserAgent);
}

}  // namespace

CurlHttpSystem::CurlHttpSystem(int stallSeconds) : m_stallSeconds(std::max(1, stallSeconds)) {}

bool CurlHttpSystem::checkConnection(const std::string& url) {
    globalInit();
    CURL* curl = curl_easy_init();
    if (!curl) return false;
    commonOptions(curl, url);
    curl_easy_setopt(curl, CURLOPT_CONNECT_ONLY, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, static_cast<long>(kConnectTimeoutSeconds));
    const CURLcode code = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    return code == CURLE_OK;
}

HttpResult CurlHttpSystem::get(const std::string& url, HttpSink& sink) {
    globalInit();
    CURL* curl = curl_easy_init();
    if (!curl) return HttpResult::BadUrl;
    Transfer transfer;
    transfer.curl = curl;
    transfer.sink = &sink;
    commonOptions(curl, url);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, static_cast<long>(kMaxRedirects));
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, static_cast<long>(m_stallSeconds));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &writeBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &progress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    const CURLcode code = curl_easy_perform(curl);
    HttpResult result;
    switch (code) {
    case CURLE_OK:
        // An empty body reaches no write call: the answer is announced here.
        result = transfer.start() ? HttpResult::Ok : HttpResult::Stopped;
        break;
    case CURLE_HTTP_RETURNED_ERROR:
        result = HttpResult::HttpError;
        break;
    case CURLE_PARTIAL_FILE:
        result = HttpResult::Short;
        break;
    case CURLE_OPERATION_TIMEDOUT:
        result = transfer.started ? HttpResult::Stalled : HttpResult::BadUrl;
        break;
    case CURLE_ABORTED_BY_CALLBACK:
        result = HttpResult::Stopped;
        break;
    case CURLE_WRITE_ERROR:
        result = transfer.writeFailed ? HttpResult::WriteFailed : HttpResult::Stopped;
        break;
    default:
        result = transfer.started ? HttpResult::Failed : HttpResult::BadUrl;
        break;
    }
    curl_easy_cleanup(curl);
    return result;
}

void ScriptedHttpSystem::setAnswer(const std::string& url, Answer answer) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_answers[url] = std::move(answer);
}

bool ScriptedHttpSystem::checkConnection(const std::string&) { return m_connected; }

std::string ScriptedHttpSystem::requests() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

HttpResult ScriptedHttpSystem::get(const std::string& url, HttpSink& sink) {
    Answer answer;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_requests += url + "\n";
        auto it = m_answers.find(url);
        if (it == m_answers.end()) return HttpResult::BadUrl;
        answer = it->second;
    }
    if (answer.status >= 400) return HttpResult::HttpError;
    if (!sink.onResponse(answer.status, answer.contentLength)) return HttpResult::Stopped;
    constexpr size_t kChunk = 4096;
    for (size_t at = 0; at < answer.body.size(); at += kChunk) {
        if (!sink.keepGoing()) return HttpResult::Stopped;
        const size_t n = std::min(kChunk, answer.body.size() - at);
        if (!sink.onData(answer.body.data() + at, n)) return HttpResult::WriteFailed;
    }
    return answer.end;
}

namespace {
std::atomic<HttpSystem*> g_installed{nullptr};
}

HttpSystem& httpSystem() {
    if (HttpSystem* installed = g_installed.load()) return *installed;
    static CurlHttpSystem real;
    return real;
}

void setHttpSystem(HttpSystem* system) { g_installed.store(system); }

ScopedHttpSystem::ScopedHttpSystem(HttpSystem& system) : m_previous(g_installed.load()) {
    setHttpSystem(&system);
}

ScopedHttpSystem::~ScopedHttpSystem() { setHttpSystem(m_previous); }

}  // namespace platform
