// Writes the coded form of a definition file through the engine's own coder, as
// the engine's "code" option does beside every definition file it reads.
#pragma once
#include <string>

namespace tools {

// The cycle the engine's "code" option uses.
constexpr int kDefaultCodeCycle = 6;

// Codes the plain file (a host path) into the output with the cycle (1 or more).
// The output is written under a temporary name, read back through the engine's
// reader and compared with the source, then renamed into place. False with a message
// naming the file at fault (an unreadable or already coded source, a write that
// failed); nothing is left behind then.
bool codeDefinition(const std::string& source, const std::string& output, int cycle, std::string* error);

}  // namespace tools
