#include "foundation/CEngineEnv.h"

#include "platform/DebugOutput.h"
#include "platform/FileSystem.h"

CXString CEngineEnv::rootPath;
CXString CEngineEnv::cdPath;

CXString& CEngineEnv::executableFolder() {
    static CXString folder(platform::getExecutableFolder().c_str());
    return folder;
}

void CEngineEnv::toLog(CXString, bool) {}

void CEngineEnv::logFailure(const CXString& text) {
    CXString line = text;
    line += '\n';
    platform::outputDebugString(line.c_str());
    toLog(text, false);
}
