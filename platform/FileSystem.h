// The engine's file-system services: what the Win32 file functions and the C
// runtime's file calls give the engine on Windows, over the Linux file system.
//
// Paths. Engine paths keep their Windows form: "\" separators and an optional
// drive letter ("C:\G\Dane\a.cnv", "Dane\a.cnv", "$..." forms are resolved
// earlier by CPath). Only at the OS call is such a path translated:
//   - "\" becomes "/", runs of separators collapse into one;
//   - a drive letter ("C:") is dropped: the letter means nothing here, the path
//     after it is absolute when a separator follows ("C:\x" is "/x");
//   - a leading separator makes the path absolute, anything else is relative
//     to the process's current directory;
//   - every component is matched against its directory ignoring case (ASCII and
//     the nine Polish letter pairs of Windows-1250); the exact spelling wins
//     when it exists, else the first case-insensitive match in byte order, and a
//     component that does not exist is used as written (so new files keep the
//     engine's spelling).
// Names are 8-bit Windows-1250 bytes and stay as they are on disk: there is no
// transcoding; the case-insensitive match works on the raw bytes.
//
// Paths handed back to the engine (current directory, executable folder) are in
// Windows form with the drive letter "C:": "/home/u/game" reads as
// "C:\home\u\game". The fixed letter keeps the engine's own test for an absolute
// name (a ':' as second character) and its drive-letter splitting working; the
// letter carries no meaning and is dropped again on the way back in.
//
// Directory listings are cached per directory and revalidated against the
// directory's modification stamp; the engine's own writes through this layer
// (create, delete, rename, mkdir) drop the affected entries at once.
#pragma once
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>

namespace platform {

// Windows file attribute bits as the C runtime's find record carries them.
inline constexpr uint32_t kAttribNormal = 0x00;
inline constexpr uint32_t kAttribReadOnly = 0x01;
inline constexpr uint32_t kAttribHidden = 0x02;
inline constexpr uint32_t kAttribSubdir = 0x10;
inline constexpr uint32_t kAttribArchive = 0x20;

// The C runtime's find record (_finddata_t of the 32-bit Windows runtime).
struct FindData {
    uint32_t attrib = 0;
    int64_t time_create = 0;  // status-change time: Linux keeps no creation time
    int64_t time_access = 0;
    int64_t time_write = 0;
    uint32_t size = 0;        // clamped to 0xFFFFFFFF for larger files
    char name[260] = {};
};

// ---- path translation ----------------------------------------------------

// Case-folds one byte: ASCII letters and the Polish letters of Windows-1250 go
// to lower case, every other byte stays.
unsigned char foldCase(unsigned char c);
// Byte-wise equality ignoring case as foldCase defines it.
bool equalsIgnoreCase(const std::string& a, const std::string& b);

// The native path for an engine path, with case-insensitive matching.
std::string toNativePath(const char* enginePath);
// Only the syntactic part of the translation (separators, drive letter), without
// looking at the disk.
std::string normalizePath(const char* enginePath);
// The engine (Windows) form of a native path: "/" becomes "\", an absolute path
// gets the drive letter "C:".
std::string toEnginePath(const std::string& nativePath);

// Drops every cached directory listing.
void invalidateDirectoryCache();

// ---- current directory ----------------------------------------------------

// The process's current directory in engine form, without a trailing backslash
// except at the root ("C:\"), as GetCurrentDirectoryA gives it. Empty when the
// directory cannot be read (it was removed).
std::string getCurrentDirectory();
// Changes the process's current directory; 0 on success, -1 on failure (_chdir).
int setCurrentDirectory(const char* enginePath);

// ---- files ------------------------------------------------------------------

// fopen with the Windows runtime's modes: "r", "w", "a" with "+", "b" and "t".
// Every mode without "b" is text mode. A text stream opened for reading ("r",
// "rt") reads each "\r\n" as "\n" (a lone "\r" stays); its positions, size and
// seeks are those of the text as read. The file is read whole at the first read
// or seek, so an open that only tests for the file reads nothing. Writing is
// never translated ("\n" stays "\n"), and update-mode text streams ("r+", "w+t",
// "a+") read the bytes as they are: the engine writes those files itself.
// Opening a directory fails, as on Windows. Opening for writing creates the file
// under its translated path and updates the listing cache.
FILE* fopen(const char* enginePath, const char* mode);

// Existence and type tests (no error when the path is missing).
bool exists(const char* enginePath);
bool isDirectory(const char* enginePath);
// Size of a regular file, -1 when missing or not a file.
int64_t fileSize(const char* enginePath);

// Reads up to count bytes at the absolute offset without moving the stream's position
// (pread on its descriptor), so another thread may read the same file this way while
// the stream's owner seeks and reads. Returns the bytes read (fewer at the end of the
// file), or -1 on failure or for a stream without a descriptor (a text-mode reader).
int64_t readAt(FILE* file, int64_t offset, void* buffer, size_t count);

// DeleteFile, MoveFile, CreateDirectory, RemoveDirectory, CopyFile: true on success.
// renameFile never replaces an existing target, and copyFile with failIfExists
// never overwrites one; both decide that in the same call that acts, so a file
// appearing in between is not lost. A copy onto the source itself (the same
// file under another spelling or through a link) fails and leaves it whole.
// copyFile copies to a temporary name beside the target and renames it over the
// target only when the copy is complete: a failed copy leaves the old target
// whole and no temporary file behind.
bool removeFile(const char* enginePath);
bool renameFile(const char* fromEnginePath, const char* toEnginePath);
bool makeDirectory(const char* enginePath);
bool removeDirectory(const char* enginePath);
bool copyFile(const char* fromEnginePath, const char* toEnginePath, bool failIfExists);
// Why an atomic write failed: started is false when no temporary file could be
// made (the folder is missing or closed to writing, the target is a folder), so
// nothing was written; error is the system's error number.
struct WriteFailure {
    bool started = false;
    int error = 0;
};
// Replaces the file's contents as one step: the bytes go to a temporary file
// beside it, which is flushed and renamed over it, and the folder is flushed, so
// neither a crash nor a full disk nor a power cut leaves a half-written file or
// brings the old one back. A failed write removes the temporary file and leaves
// the old file as it was. Keeps the file's permissions; creates it when missing;
// a symbolic link is written through (the file it names is replaced, the link stays).
bool writeFileAtomically(const char* enginePath, const void* data, size_t size, WriteFailure* failure = nullptr);

// The atomic writer for a file made in pieces (too big to build in memory first, or
// streamed): the pieces go to a temporary file beside the target, made as
// writeFileAtomically makes its own, and commit flushes it and renames it over the
// target. A write that fails, or a writer dropped without commit, removes the
// temporary and leaves the old file as it was.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(const char* enginePath);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Whether the temporary file was made and nothing has failed since.
    bool good() const { return m_fd >= 0; }
    // Appends the bytes; false, the temporary removed, when they do not all fit.
    bool write(const void* data, size_t size);
    // Overwrites bytes already written at the offset (a header fixed at the end).
    bool writeAt(int64_t offset, const void* data, size_t size);
    // Bytes appended so far.
    int64_t size() const { return m_size; }
    // Flushes and renames the temporary over the target; false (the temporary
    // removed) when that fails or something failed before.
    bool commit();
    // Removes the temporary; the target stays as it was.
    void discard();
    // Why it failed (error 0 while nothing did).
    const WriteFailure& failure() const { return m_failure; }

private:
    void fail(int error);

    std::string m_target;
    std::string m_temp;
    int m_fd = -1;
    int64_t m_size = 0;
    WriteFailure m_failure;
};

// Test hook: a nearly full file system. While set, every file that the atomic
// writer and copyFile write may hold at most this many bytes; a write past them
// fails as on a full disk (ENOSPC). A negative value, or clearFreeSpaceLimit, lifts it.
void setFreeSpaceLimit(int64_t bytes);
void clearFreeSpaceLimit();

// ---- directory search -------------------------------------------------------

// _findfirst/_findnext/_findclose. The pattern's last component may hold the
// Windows wildcards "*" and "?" ("*.*" matches every name, with or without a
// dot); names are matched ignoring case. The entries of the directory, "." and
// ".." included, come in a fixed order: "." and "..", then by case-folded name.
// findFirst returns a handle (>= 0) or -1 when nothing matches; findNext returns
// 0, or -1 when the search has ended. A search's memory is freed when it ends
// (or by findClose), and any left open are freed when the process ends.
int findFirst(const char* enginePattern, FindData* data);
int findNext(int handle, FindData* data);
int findClose(int handle);
// Whether the name matches the Windows wildcard pattern, ignoring case.
bool matchesWildcard(const char* name, const char* pattern);

// ---- drives --------------------------------------------------------------

// GetDriveTypeA results.
enum DriveType : int {
    kDriveUnknown = 0,
    kDriveNoRootDir = 1,
    kDriveRemovable = 2,
    kDriveFixed = 3,
    kDriveRemote = 4,
    kDriveCdrom = 5,
    kDriveRamdisk = 6,
};

// The type of the drive that holds the path: a folder on an ISO 9660 or UDF
// mount is a CD, everything else a fixed disk. The drive letter of the path,
// if any, plays no part; the mount of the translated path decides.
int getDriveType(const char* enginePath);
// Makes every path under the prefix (engine or native form, matched ignoring
// case, by whole components) answer the given drive type. Tests use it; the
// longest matching prefix wins.
void setDriveTypeOverride(const char* enginePrefix, int type);
void clearDriveTypeOverrides();
// The file-system type ("ext4", "iso9660", ...) of the mount that holds the
// existing, symlink-free absolute native path, read from a table in the form of
// /proc/self/mountinfo; empty when no line covers it.
std::string mountTypeFor(const std::string& mountinfo, const std::string& realPath);

// ---- process -----------------------------------------------------------------

// The folder of the running executable in engine form, with a trailing "\".
std::string getExecutableFolder();

}  // namespace platform

// The C runtime's name for the find record.
using _finddata_t = platform::FindData;
