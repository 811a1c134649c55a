// The script INTERNET (type 2027): downloads a file over HTTP into a local file,
// tells its progress and unpacks package archives. It listens to its downloader,
// whose reports arrive on the worker thread: there it only records them, and its
// scene's step raises "ONDOWNLOADED" or "ONERROR" on the host thread
// (flushDownloadFinished). Reports between two steps merge into one event, "ONERROR"
// when any of them was an error.
//
// The object joins the download list of its scene (the application, episode or scene
// that holds it, also when it lives in a class instance) and leaves it when it is
// disposed of or deleted, or when the list goes first.
#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>

#include "foundation/CXString.h"
#include "net/CDownloadListener.h"
#include "script/CMC_DownloadSource.h"
#include "script/CMC_Object.h"
#include "script/CMC_Runner.h"

class CInternet;
class CXVector;

class CMC_Internet : public CMC_Object, public CDownloadListener, public CMC_DownloadSource {
public:
    static constexpr int kType = 2027;

    // SERVER, else the value of the object "VARSERVER", else the command line's
    // server; "http://" is put in front of an address without it.
    CMC_Internet(CMC_ObjectsContainer* container, CMElement* element);
    ~CMC_Internet() override;
    CMC_Internet(const CMC_Internet&) = delete;
    CMC_Internet& operator=(const CMC_Internet&) = delete;

    CXString** getBehavioursList() override;
    void flushDownloadFinished() override;
    void forgetDownloadList(CXVector* list) override;

    // Listener part (worker thread).
    void onDownloadFinish() override;
    void onError(CXString message) override;

    // The file as a script names it: "&equals" stands for "=", "&slash" for "/", and
    // "http://" is always put in front.
    void get(CXString file, CXString target);
    // Unpacks "temp\" + archive into the folder; nothing is reported.
    static bool extract(CXString archive, CXString folder);
    // Received bytes × 100 / content length in 64 bits, 0 to 100; 0 without a length.
    int32_t getProgress() const;
    static int32_t progressOf(int64_t received, int64_t length);

    CInternet* getDownloader() const { return m_internet; }
    const CXString& getServer() const { return m_server; }

protected:
    void onDispose() override;

private:
    void leaveDownloadList();

    CInternet* m_internet = nullptr;
    CXString m_server;
    std::mutex m_reportMutex;
    std::atomic<bool> m_downloadDone{false};
    CXString m_errorText;
    CXVector* m_downloadList = nullptr;
};

class CMC_Internet_Runner : public CMC_Runner {
public:
    enum : int { kGet = 1, kExtract = 2, kGetProgress = 3 };

    void prepareMthHashSet() override;
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;
};
