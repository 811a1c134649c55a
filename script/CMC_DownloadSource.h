// A script object in a scene's download list (INTERNET): the scene's step asks it
// to raise the events of downloads finished since the last step, and a container
// that goes tells the objects still in its list that the list is gone.
#pragma once

class CXVector;

class CMC_DownloadSource {
public:
    virtual ~CMC_DownloadSource() = default;
    virtual void flushDownloadFinished() = 0;
    // The list is being deleted; the object must not touch it any more.
    virtual void forgetDownloadList(CXVector* list) = 0;
};
