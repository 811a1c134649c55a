#include "net/CInternet.h"

#include "net/CDownloadListener.h"
#include "platform/FileSystem.h"
#include "platform/Http.h"
#include "platform/Thread.h"
#include "shell/CCommandLine6.h"

#include <cstdio>
#include <thread>

const char* const CInternet::kNoConnection = "Brak po\xB3\xB9" "czenia z internetem";
const char* const CInternet::kOpenFailed = "B\xB3\xB9" "d podczas otwierania URL";
const char* const CInternet::kCannotCreate = "Nie moge utworzyc pliku.";
const char* const CInternet::kReadFailed = "Blad podczas wczytywania danych.";
const char* const CInternet::kInterrupted = "Wczytywanie pliku zostalo przerwane.";

namespace {

bool isAbsolute(const CXString& path) {
    const char first = path.GetAt(0);
    return first == '\\' || first == '/' || (path.getLength() > 1 && path.GetAt(1) == ':');
}

}  // namespace

// The worker's side of one transfer: the target file, created when the answer
// arrives, and the counts.
class CInternet::Sink : public platform::HttpSink {
public:
    Sink(CInternet& owner, CXString target) : m_owner(owner), m_target(std::move(target)) {}
    ~Sink() override { close(); }

    bool onResponse(int, int64_t contentLength) override {
        if (contentLength >= 0) m_owner.m_contentLength = contentLength;
        if (!m_target.IsString()) return false;
        m_file = platform::fopen(m_target.c_str(), "w+b");
        if (!m_file) {
            m_createFailed = true;
            return false;
        }
        return true;
    }
    bool onData(const void* data, size_t size) override {
        if (!m_file || std::fwrite(data, 1, size, m_file) != size) return false;
        m_owner.onDownload(static_cast<int64_t>(size));
        return true;
    }
    bool keepGoing() override { return m_owner.m_active.load(); }

    // Closes the file; false when the last bytes could not be written.
    bool close() {
        if (!m_file) return true;
        const bool ok = std::fclose(m_file) == 0;
        m_file = nullptr;
        return ok;
    }
    bool createFailed() const { return m_createFailed; }
    bool created() const { return m_file != nullptr; }

private:
    CInternet& m_owner;
    CXString m_target;
    FILE* m_file = nullptr;
    bool m_createFailed = false;
};

CInternet::CInternet() { init(CXString("http://") + CCommandLine6(nullptr).getServer()); }

CInternet::CInternet(CXString url) { init(url); }

CInternet::~CInternet() {
    m_active = false;
    wait();
}

void CInternet::init(const CXString& url) {
    m_connected = url.IsString() && platform::httpSystem().checkConnection(url.c_str());
}

void CInternet::wait() {
    if (!m_worker || m_workerId.load() == std::this_thread::get_id()) return;
    m_worker->join();
    m_worker.reset();
}

void CInternet::registerListener(CDownloadListener* listener) {
    std::lock_guard<std::recursive_mutex> lock(m_listenerMutex);
    m_listeners.push_back(listener);
}

void CInternet::removeListener(CDownloadListener* listener) {
    std::lock_guard<std::recursive_mutex> lock(m_listenerMutex);
    for (auto it = m_listeners.begin(); it != m_listeners.end(); ++it) {
        if (*it == listener) {
            m_listeners.erase(it);
            return;
        }
    }
}

CXString CInternet::getFilename() const {
    std::lock_guard<std::mutex> lock(m_targetMutex);
    return m_target;
}

void CInternet::onDownloadFinish() {
    m_finished = true;
    std::lock_guard<std::recursive_mutex> lock(m_listenerMutex);
    for (CDownloadListener* listener : m_listeners) listener->onDownloadFinish();
}

void CInternet::onError(CXString message) {
    m_finished = false;
    std::lock_guard<std::recursive_mutex> lock(m_listenerMutex);
    for (CDownloadListener* listener : m_listeners) listener->onError(message);
}

void CInternet::GET(CXString url, CXString targetFile) {
    // A listener on the worker cannot start the next download: the worker joins first.
    if (m_running.load() || m_workerId.load() == std::this_thread::get_id()) {
        onError(CXString(kOpenFailed));
        return;
    }
    wait();
    if (targetFile.IsString() && !isAbsolute(targetFile)) {
        CXString folder(platform::getCurrentDirectory().c_str());
        if (folder.lastChar() != '\\') folder += "\\";
        targetFile = folder + targetFile;
    }
    {
        std::lock_guard<std::mutex> lock(m_targetMutex);
        m_target = targetFile;
    }
    m_received = 0;
    m_contentLength = 0;
    m_active = true;
    if (!m_connected) {
        onError(CXString(kNoConnection));
        return;
    }
    m_running = true;
    m_worker = std::make_unique<platform::Thread>();
    std::string address = url.c_str();
    const bool started = m_worker->start([this, address, targetFile](platform::Thread&) {
        m_workerId = std::this_thread::get_id();
        download(address, targetFile);
    });
    if (!started) {
        m_running = false;
        m_worker.reset();
        onError(CXString(kOpenFailed));
    }
}

void CInternet::download(std::string url, CXString target) {
    std::vector<const char*> errors;
    {
        Sink sink(*this, target);
        const platform::HttpResult result = platform::httpSystem().get(url, sink);
        const bool created = sink.created();
        const bool closed = sink.close();
        using platform::HttpResult;
        if (sink.createFailed()) {
            errors = {kCannotCreate, kReadFailed};
        } else if (result == HttpResult::BadUrl || result == HttpResult::HttpError) {
            errors = {kOpenFailed};
        } else if (!target.IsString()) {
            m_running = false;
            return;
        } else if (!m_active.load() || result == HttpResult::Stopped) {
            errors = {kInterrupted};
        } else if (result != HttpResult::Ok || !closed || !created) {
            platform::removeFile(target.c_str());
            errors = {kReadFailed};
        }
    }
    // A listener may start the next GET as soon as it hears the report.
    m_running = false;
    if (errors.empty()) onDownloadFinish();
    for (const char* error : errors) onError(CXString(error));
}
