// File work on untrusted names: writing below a folder without ever leaving it,
// removing a tree without following symbolic links, and running an outside program.
//
// ConfinedFolder opens one folder (created when missing) and reaches everything below
// it by relative engine paths ("Dane\a.cnv") whose components are looked up ignoring
// case as the rest of the file layer does. No component is ever followed through a
// symbolic link: a link where a folder is needed fails the operation, and a file
// that replaces a link replaces the link itself. Files are written to a temporary
// file with a unique name beside the target and renamed over it only when complete,
// so a failed write leaves the old file (or none) and no half-written one.
#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace platform {

class ConfinedFolder {
public:
    // A file being written; the temporary goes when it is dropped without commit.
    class PendingFile {
    public:
        ~PendingFile();
        PendingFile(const PendingFile&) = delete;
        PendingFile& operator=(const PendingFile&) = delete;
        // Open for reading and writing; stays owned by this object until detach.
        FILE* file() const { return m_file; }
        // The stream is handed over (a reader that closes it itself); the temporary
        // file stays until commit or drop.
        FILE* detach();
        // Closes the stream and renames the temporary over the target name; false
        // when a write or the rename failed (the temporary is removed).
        bool commit();

    private:
        friend class ConfinedFolder;
        PendingFile(int dirFd, std::string tempName, std::string finalName, FILE* file);
        int m_dirFd;
        std::string m_tempName;
        std::string m_finalName;
        FILE* m_file;
        bool m_done = false;
    };

    // Opens the folder, creating it and its parents when missing.
    explicit ConfinedFolder(const char* enginePath);
    ~ConfinedFolder();
    ConfinedFolder(const ConfinedFolder&) = delete;
    ConfinedFolder& operator=(const ConfinedFolder&) = delete;
    bool isOpen() const { return m_fd >= 0; }

    // Whether the relative name is a plain relative path: not empty, no leading
    // separator, no drive, no empty, "." or ".." component, no NUL, under 260 bytes.
    static bool isSafeRelativeName(const std::string& name);

    // A new temporary file in the folder of the relative name (its folders created),
    // to be committed under the name's last component; null when the name is not
    // safe, a folder on the way is a link or cannot be made, or no file can be made.
    std::unique_ptr<PendingFile> create(const std::string& relativeName);

private:
    int m_fd = -1;
};

// Removes a file or a folder with everything in it; a symbolic link is removed as a
// link and never followed. True when the path is gone afterwards.
bool removeTree(const char* enginePath);

// Replaces the target with the source file (rename over it); true on success.
bool replaceFile(const char* fromEnginePath, const char* toEnginePath);

// A name for a new temporary file beside the engine path (the path plus a unique
// suffix); nothing is created.
std::string uniqueSiblingName(const char* enginePath);

// Runs a program found on PATH with the argument vector (argv[0] is the program)
// and waits for it; its exit status, or -1 when it could not run or did not exit.
int runProgram(const std::vector<std::string>& argv);

}  // namespace platform
