#include "foundation/CEngineEnv.h"

#include <map>
#include <mutex>
#include <set>
#include <string>

#include "platform/DebugOutput.h"
#include "platform/FileSystem.h"

namespace {
std::mutex g_failureMutex;
std::map<std::string, int> g_failureCounts;
// Kind and file of every failure shown on standard error: each is shown once.
std::set<std::string> g_shownFailures;
}  // namespace

CXString CEngineEnv::rootPath;
CXString CEngineEnv::cdPath;

CXString& CEngineEnv::executableFolder() {
    static CXString folder(platform::getExecutableFolder().c_str());
    return folder;
}

void CEngineEnv::toLog(CXString, bool) {}

void CEngineEnv::logFailure(const char* kind, const CXString& file, const CXString& text) {
    CXString line = text;
    line += '\n';
    platform::outputDebugString(line.c_str());
    toLog(text, false);
    bool first = false;
    {
        std::lock_guard<std::mutex> lock(g_failureMutex);
        ++g_failureCounts[kind ? kind : ""];
        first = g_shownFailures.insert(std::string(kind ? kind : "") + '\n' + file.c_str()).second;
    }
    if (first) platform::outputErrorLine(text.c_str());
}

int CEngineEnv::failureCount(const char* kind) {
    std::lock_guard<std::mutex> lock(g_failureMutex);
    const auto found = g_failureCounts.find(kind ? kind : "");
    return found == g_failureCounts.end() ? 0 : found->second;
}
