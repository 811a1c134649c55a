// Packs a game folder into a package archive (".pik") whose entry names start with
// the folder's own name ("game1\Dane\a.cnv"), as games are installed from.
#pragma once
#include <string>

namespace tools {

// Native paths. The archive is read back and compared before it takes the output's
// name; false with the reason in *error otherwise.
bool packPackage(const std::string& folder, const std::string& output, std::string* error);

}  // namespace tools
