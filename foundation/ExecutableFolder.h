// The engine's executable folder (engine form, trailing "\"): at first the running
// program's folder; the window sets it from its start arguments, and code that loads
// from beside the engine reads it here.
#pragma once
#include "foundation/CXString.h"
#include "platform/FileSystem.h"

inline CXString& executableFolder() {
    static CXString folder(platform::getExecutableFolder().c_str());
    return folder;
}
