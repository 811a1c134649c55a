// Packs a folder tree into a big file through the engine's own writer, and lists
// or unpacks one through the engine's own reader.
#pragma once
#include <string>
#include <vector>

#include "tools/Output.h"

namespace tools {

// Packs the folder (a host path) into the output file, whose header carries the name
// (empty: the output's file name). The file is written under a temporary name,
// opened again to check it, and renamed into place. False with a message naming the
// path at fault; nothing is left behind then.
bool packFolder(const std::string& folder, const std::string& output, const std::string& name, std::string* error);

// The big file's files in the order of its table, paths relative to the packed
// folder. False with a message for a missing file or one that does not open.
bool listBigFile(const std::string& bigFile, std::vector<ListedFile>* files, std::string* error);

// Writes every file of the big file below the folder (created when missing), each
// under a temporary name renamed when whole. A name that would leave the folder
// refuses the whole file before anything is written; nothing is written outside the
// folder and no link below it is followed. False with a message naming the fault.
bool extractBigFile(const std::string& bigFile, const std::string& folder, std::string* error);

}  // namespace tools
