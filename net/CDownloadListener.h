// What a downloader tells its listeners. Both calls come on the downloader's worker
// thread (or on the thread that called GET for errors found there), so a listener
// only records what happened and acts on the host thread.
#pragma once
#include "foundation/CXString.h"

class CDownloadListener {
public:
    virtual ~CDownloadListener() = default;
    virtual void onDownloadFinish() {}
    virtual void onError(CXString message) { (void)message; }
};
