#include "script/CMC_Nesting.h"

#include <string>

#include "platform/DebugOutput.h"

void CMC_RunDepth::refuse() {
    if (s_reported) return;
    s_reported = true;
    const std::string line = "script runs nested deeper than " + std::to_string(kMaxDepth) + ": the call is skipped\n";
    platform::outputDebugString(line.c_str());
}
