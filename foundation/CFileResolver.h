// The small base that every file-backed playable carries: the name it was
// loaded from, whether it is loaded, and whether it is released after use.
#pragma once
#include "foundation/CXString.h"

class CFileResolver {
public:
    CFileResolver();
    virtual ~CFileResolver();

    virtual void setFilename(CXString name);
    virtual CXString getFileName();
    virtual bool isLoaded();
    virtual void toRelease(bool release);
    virtual bool releaseAfterUse();

protected:
    void load() { m_loaded = true; }
    void release() { m_loaded = false; }
    // Hands the text to the window's log.
    void log(CXString text, bool flag);

private:
    CXString m_fileName;
    bool m_loaded = false;
    bool m_releaseAfterUse = false;
};
