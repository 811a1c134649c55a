// Packs a game folder into a package archive (".pik") whose entry names start with
// the folder's own name ("game1\Dane\a.cnv"), as games are installed from, and lists
// or unpacks one through the engine's own reader.
#pragma once
#include <string>
#include <vector>

#include "tools/Output.h"

namespace tools {

// Native paths. A folder without files is refused. The archive is read back and
// compared before it takes the output's name; false with the reason in *error
// otherwise.
bool packPackage(const std::string& folder, const std::string& output, std::string* error);

// The archive's entries in order: their names ("/" between folders) and the lengths
// they keep (a sound's Ogg data for ".wav" names). False with a message for a missing
// file or one whose table does not read.
bool listPackage(const std::string& package, std::vector<ListedFile>* files, std::string* error);

// Extracts every entry below the folder (created when missing) as the engine installs
// a game: nothing leaves the folder, sounds are decoded back to WAV files. False with a
// message naming the entries that did not come out whole.
bool extractPackage(const std::string& package, const std::string& folder, std::string* error);

}  // namespace tools
