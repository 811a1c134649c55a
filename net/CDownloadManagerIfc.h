// Fetches a game's package into the current folder before installation.
#pragma once
#include "foundation/CXString.h"

class CDownloadManagerIfc {
public:
    virtual ~CDownloadManagerIfc() = default;
    // The package file name and the server address; true when the package arrived.
    virtual bool download(CXString packageName, CXString server) = 0;
};
