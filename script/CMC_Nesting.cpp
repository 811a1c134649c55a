#include "script/CMC_Nesting.h"

#include <string>

#include "platform/DebugOutput.h"

CMC_RunDepth::CMC_RunDepth() : m_entered(s_depth < kMaxDepth) {
    if (m_entered) {
        ++s_depth;
        return;
    }
    if (s_reported) return;
    s_reported = true;
    const std::string line = "script runs nested deeper than " + std::to_string(kMaxDepth) + ": the call is skipped\n";
    platform::outputDebugString(line.c_str());
}

CMC_RunDepth::~CMC_RunDepth() {
    if (!m_entered) return;
    // The outermost run is over: the next one that goes too deep reports again.
    if (--s_depth == 0) s_reported = false;
}
