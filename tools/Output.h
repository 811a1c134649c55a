// What the data tools share when they write: a failure message handed back, and
// a result written under a temporary name that only a complete file leaves.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tools {

// Stores text in *error (when given); returns false.
bool report(std::string* error, const std::string& text);

// Makes a new, empty file with a unique name beside the output (its name, ".",
// six random characters and ".tmp") for a tool to write under, so that two runs on
// one output never share it; empty when it cannot be made (errno set).
std::string temporaryFor(const std::string& output);

// Ends a write: when written, renames temporary onto output; otherwise, or when
// the rename fails, removes temporary and reports "output: failure" (the system's
// reason for a failed rename).
bool finishOutput(const std::string& temporary, const std::string& output, bool written, const std::string& failure,
                  std::string* error);

// The folder's absolute path with links resolved; empty when it does not exist.
std::string realFolder(const std::string& path);

// Checks a folder to be packed into output: the folder exists, and the output's
// folder exists outside it, so the file being written never becomes part of what
// it packs.
bool checkPackableFolder(const std::string& folder, const std::string& output, std::string* error);

// Checks a file a tool reads: it exists and is not a folder ("path: does not
// exist", "path: is a folder").
bool checkInputFile(const std::string& path, std::string* error);

// The reason a write failed, for errno: "the disk is full" for a full disk or an
// exhausted quota, else the system's text.
std::string writeFailure(int error);

// One file of a packed file's listing: its path ("/" between folders) and size.
struct ListedFile {
    std::string path;
    int64_t size = 0;
};

// Prints the listing on stdout, a file a line: the size, two blanks, the path.
void printListing(const std::vector<ListedFile>& files);

}  // namespace tools
