// Packs a folder tree into a big file through the engine's own writer.
#pragma once
#include <string>

namespace tools {

// Packs the folder (a host path) into the output file, whose header carries the name
// (empty: the output's file name). The file is written under a temporary name,
// opened again to check it, and renamed into place. False with a message naming the
// path at fault; nothing is left behind then.
bool packFolder(const std::string& folder, const std::string& output, const std::string& name, std::string* error);

}  // namespace tools
