// One HTTP download at a time into a local file, on a worker thread of its own.
//
// The connection check runs once, at construction, against the server's url; without
// a connection every GET reports "Brak połączenia z internetem". A GET resets the
// counts and the stop flag, makes the target path absolute and starts the worker,
// which streams the body into the file; a GET while one runs reports "Błąd podczas
// otwierania URL" and starts nothing. The outcome reaches the listeners on the
// worker: success, or one of the error texts (Windows-1250):
//   - the url cannot be opened, or its status is 400 or more: "Błąd podczas
//     otwierania URL" (no file is created);
//   - the file cannot be created: "Nie moge utworzyc pliku." then "Blad podczas
//     wczytywania danych.";
//   - a short body, a failed read or write, or no data for the stall time: "Blad
//     podczas wczytywania danych." (the partial file is deleted);
//   - stopDownload: "Wczytywanie pliku zostalo przerwane." (the partial file stays).
// An empty target path opens the url, writes nothing and reports nothing.
// The destructor stops and joins the worker.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "foundation/CXString.h"

class CDownloadListener;
namespace platform {
class Thread;
}

class CInternet {
public:
    static const char* const kNoConnection;
    static const char* const kOpenFailed;
    static const char* const kCannotCreate;
    static const char* const kReadFailed;
    static const char* const kInterrupted;

    // The downloader for the default server (CCommandLine6's).
    CInternet();
    explicit CInternet(CXString url);
    ~CInternet();
    CInternet(const CInternet&) = delete;
    CInternet& operator=(const CInternet&) = delete;

    void registerListener(CDownloadListener* listener);
    void removeListener(CDownloadListener* listener);
    bool isConnected() const { return m_connected; }
    void GET(CXString url, CXString targetFile);
    CXString getFilename() const;
    void onDownload(int64_t count) { m_received += count; }
    void stopDownload() { m_active = false; }
    void onDownloadFinish();
    void onError(CXString message);

    int64_t getReceived() const { return m_received.load(); }
    int64_t getContentLength() const { return m_contentLength.load(); }
    bool isFinished() const { return m_finished.load(); }
    // Whether a worker is transferring now.
    bool isRunning() const { return m_running.load(); }
    // Waits for the worker of the latest GET to end.
    void wait();

private:
    class Sink;
    void init(const CXString& url);
    void download(std::string url, CXString target);

    bool m_connected = false;
    mutable std::mutex m_targetMutex;
    CXString m_target;
    std::atomic<int64_t> m_received{0};
    std::atomic<int64_t> m_contentLength{0};
    std::atomic<bool> m_active{true};
    std::atomic<bool> m_finished{false};
    std::atomic<bool> m_running{false};
    std::recursive_mutex m_listenerMutex;
    std::vector<CDownloadListener*> m_listeners;
    std::unique_ptr<platform::Thread> m_worker;
    std::atomic<std::thread::id> m_workerId{};
};
