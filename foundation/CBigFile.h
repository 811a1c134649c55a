// The packed big file: a whole folder tree in one file. A header and a table of
// contents (TOC) of folders and files come first, then the bytes of every file
// in TOC order. All numbers are little-endian; strings are a 32-bit length and
// the bytes.
//
//   header   name, root path "\", int32 total size, int64 0, int64 0,
//            int32 file count, int32 folder count (the root not counted)
//   folder   name, int32 file count, int32 folder count, the sub-folder
//            records (recursively), then the file records
//   file     name, int32 data offset, int64 0, int32 size
//
// A folder's sub-folders come before its own files, in the TOC and in the data.
// Opening loads the whole TOC; lookups walk it in memory by name, ignoring case.
#pragma once
#include <string>
#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/CXObject.h"
#include "foundation/CXString.h"
#include "platform/FileSystem.h"

class CFile;
class CXArchive;

class CBigFile : public CXObject {
public:
    struct _entry;
    // One file of the TOC.
    struct _file {
        CXString name;
        int64_t reserved = 0;
        int32_t size = 0;
        int32_t offset = 0;
        _entry* parent = nullptr;
    };
    // One folder of the TOC.
    struct _entry {
        CXString name;
        _entry* parent = nullptr;
        std::vector<std::unique_ptr<_entry>> folders;
        std::vector<std::unique_ptr<_file>> files;
    };
    // The header with the root folder.
    struct _rootentry {
        CXString name;
        CXString rootPath;
        int32_t totalSize = 0;
        int64_t reserved1 = 0;
        int64_t reserved2 = 0;
        int32_t fileCount = 0;
        int32_t folderCount = 0;
        std::unique_ptr<_entry> root;
    };

    // The error code of a big file that could not be opened or whose TOC is malformed.
    static constexpr int kErrorOpen = 2000;
    // Folders nested deeper than this are refused (when packing and opening).
    static constexpr int kMaxDepth = 256;

    // An object that opens nothing; it serves Create.
    explicit CBigFile(bool verbose = false);
    // Opens the named big file; on failure the error code is 2000 and no file is kept.
    CBigFile(CXString name, bool verbose = false, CXString second = CXString());
    CBigFile(const char* name, bool verbose = false) : CBigFile(CXString(name), verbose) {}
    ~CBigFile() override;
    CBigFile(const CBigFile&) = delete;
    CBigFile& operator=(const CBigFile&) = delete;

    // Packs the tree under the folder into a new big file at target, whose header
    // carries the name. The file is written beside the target and renamed over it
    // when whole, so a failure leaves the old target as it was and no temporary.
    // False, with the reason in *why, when the tree cannot be read, does not fit the
    // format's 32-bit offsets, or the target cannot be written.
    bool Create(CXString folder, CXString name, CXString target, std::string* why = nullptr);

    // Lookups by path ("\" separated; a leading "\" starts at the root, else at
    // the current folder; every folder named must exist). Seek moves the stream
    // to the file's data and returns its offset, or -1.
    int Seek(CXString path);
    // The file's size, or 0.
    int GetSize(CXString path);
    bool FileExists(CXString path);
    // The first file, then sub-folder, of the current folder whose lower-cased
    // name fits the pattern: its name goes into the record and the result is its
    // index (files from 0, then folders). -1 when nothing fits.
    int FindFirst(CXString pattern, _finddata_t* data);
    // A search yields at most one entry: always -1.
    int FindNext(int handle, _finddata_t* data);
    // With an open file: the current folder's path inside it, without the last
    // backslash ("" at the root). Without one: the process's current directory.
    CXString GetCurrentDirectoryA();
    // Does nothing.
    void GetCurrentDirectoryA(int size, char* buffer);

    // Where a file's data lies, found as Seek finds it but without moving the stream:
    // its offset, with its size through the pointer when given; -1 when not found.
    int Locate(CXString path, int* size);
    // A positioned read: up to count bytes at the absolute offset, the stream's own
    // position untouched, so a reader on another thread never disturbs the one that
    // seeks and reads the stream. The bytes read, or -1 without a file.
    int ReadAt(int64_t offset, void* buffer, int count);

    int Seek(int offset, int origin);
    int Tell();
    CFile* GetFile() { return m_file; }

    // Whether the path names a folder of the TOC: "\" separated, a leading "\"
    // starts at the root, else at the current folder; "." and ".." work as on
    // disk, names are compared ignoring case. False for an empty path.
    bool DirExists(CXString path);

    // Kept for callers; they change nothing. A big file is never changed or
    // unpacked in place, so the operations that would do it report failure.
    int ChDir(CXString) { return 0; }
    int GetOffset(CXString) { return 0; }
    bool Update(CXString) { return false; }
    bool UpdateFile(CXString) { return false; }
    bool UpdateFile(CXString, CXString) { return false; }
    bool ExtractFile(CXString, CXString) { return false; }

    // Moves the current folder: "." stays, ".." goes to the parent, a name to the
    // sub-folder of that name (ignoring case). 0, or -1 when there is none.
    int chdir(CXString name);

    // The loaded (or, after Create, the built) TOC; null when there is none.
    const _rootentry* getTOC() const { return m_header.get(); }
    // Bytes from the start of the file to the first data byte, as Create computed it.
    int32_t getTOCSize() const { return static_cast<int32_t>(m_tocSize); }

private:
    void open(CXString name);
    _file* find(CXString path);
    // Fills an entry from the folder at path; false when the tree is too deep.
    bool fillTOC(_entry* entry, const CXString& path, int depth);
    void save_entry(CXArchive& archive, _entry* entry);
    bool save_entry_contents(_entry* entry, CFile* target, int* saved);
    CXString get_full_path(const _entry* entry) const;
    CXString get_full_path2(const _entry* entry) const;

    CFile* m_file = nullptr;
    CXString m_name;
    bool m_verbose = false;
    std::unique_ptr<_rootentry> m_header;
    _entry* m_current = nullptr;
    int64_t m_tocSize = 0;
    int64_t m_dataSum = 0;
};
