#include "platform/DebugOutput.h"

#include <cstdio>
#include <mutex>

namespace platform {

namespace {
NullDebugOutput g_null;
IDebugOutput* g_sink = nullptr;
std::mutex g_mutex;
} // namespace

void StderrDebugOutput::write(const char* text) {
    std::fputs(text, stderr);
    std::fflush(stderr);
}

void outputDebugString(const char* text) {
    if (!text) return;
    // Worker threads may write too; keep lines whole.
    std::lock_guard<std::mutex> lock(g_mutex);
    debugOutput().write(text);
}

void outputErrorLine(const char* text) {
    if (!text) return;
    std::lock_guard<std::mutex> lock(g_mutex);
    if (dynamic_cast<StderrDebugOutput*>(&debugOutput())) return;
    std::fprintf(stderr, "%s\n", text);
    std::fflush(stderr);
}

void setDebugOutput(IDebugOutput* sink) { g_sink = sink; }

IDebugOutput& debugOutput() { return g_sink ? *g_sink : g_null; }

} // namespace platform
