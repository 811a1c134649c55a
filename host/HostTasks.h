// What the host does besides playing a game: it records where the engine lies, and
// the options that do one job and exit instead of playing.
#pragma once
#include <string>

class CCommandLine6;

namespace host {

// Sets "Path" (the executable's folder) and "File" (its name) under the engine's
// registry key when they are missing, so that installing games, which records the
// engine's full path in the uninstall command, and uninstalling, which deletes game
// folders below "Path", agree on the folder.
void recordEngineLocation();

// Runs the job the command line asks for, if any: "-uninstall -game G" uninstalls G
// (its result is the status), "-pack" packs the pack folder into the pack file,
// "-bigfile" packs the "-path" folder into the big file named by bigFile; the last two
// give 0, or 1 with a message on stderr. False when the command line asks for none.
bool runTask(const CCommandLine6& commandLine, const std::string& bigFile, const char* program, int* status);

}  // namespace host
