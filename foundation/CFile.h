// The one way the engine opens game files. A name is resolved by CPath's rules,
// made absolute and looked for in up to four places: the language variant and
// the plain file, each first under the installation folder and then under the
// disc folder (or the other way round for a name that already lies on the disc
// drive's side: the installed copy always comes first). When none opens, the
// error code is 2000.
//
// The static functions give the engine its current directory, directory changes,
// searches and existence tests. While a packed big file is open they answer from
// it (CBigFile); opening a file always reads the disk.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "foundation/CXObject.h"
#include "foundation/CXString.h"
#include "platform/FileSystem.h"

class CBigFile;
class CWindow;

class CFile : public CXObject {
public:
    // Mode flags, combined with OR.
    enum : int32_t {
        kRead = 1,     // "r"; without it the mode begins with "w"
        kWrite = 2,    // no letter of its own
        kUpdate = 4,   // "+"
        kText = 8,     // "t"
        kBinary = 16,  // "b", only without kText
    };
    // The modes the engine opens its files with.
    enum : int32_t {
        kReadBinary = kRead | kBinary,             // "rb": game files, pictures, sounds
        kReadText = kRead | kText,                 // "rt": definition and settings texts
        kWriteBinary = kWrite | kBinary,           // "wb": made anew (or emptied), written only
        kCreateBinary = kWrite | kUpdate | kBinary,  // "w+b": made anew (or emptied), written and read
        kCreateText = kWrite | kUpdate | kText,      // "w+t"
    };
    // The error code when no candidate file opened.
    static constexpr int kErrorNotFound = 2000;
    // The error code when written bytes did not reach the file (a flush or close
    // failed); archives set it for a short write.
    static constexpr int kErrorWrite = 2001;
    // Longest line getLine returns in one piece.
    static constexpr int kMaxLine = 10240;

    CFile();
    // Opens at once; the result of Open is the error code.
    CFile(CWindow* window, CXString name, int mode);
    ~CFile() override;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Size in bytes (-1 without a stream); the position is kept.
    virtual int Length();
    // Stream position, 0 without a stream.
    virtual int Tell();
    virtual FILE* GetHandle();
    // Origin 0 start, 1 current, 2 end; 0 on success.
    virtual int Seek(int offset, int origin);
    // Closes a stream already held, then looks for the file (see above);
    // returns the new error code: 0, or 2000 when nothing opened.
    virtual int Open(CWindow* window, CXString name, int mode);
    // Number of bytes read / written; 0 for a count below 1 or without a stream.
    virtual int Read(void* buffer, int count);
    virtual int Write(const void* buffer, int count);
    // Flushes and closes; afterwards the object holds no stream. Returns the error
    // code, which becomes kErrorWrite when the flush or the close fails.
    virtual int Close();
    // One line into the caller's buffer (at most size - 1 characters, "\n" kept).
    virtual void GetLine(char* buffer, int size);
    // One line of at most 10240 bytes with its "\n"; empty at the end of the file.
    virtual CXString getLine();
    // Writes the text as it is; no line end is added.
    virtual void putLine(CXString text);
    // End-of-file indicator of the stream; true without a stream.
    virtual bool eof();

    // Writes the bytes as the named file's whole new contents through the platform's
    // atomic writer, at the first of the places Open would try where a file can be
    // made. Returns 0; kErrorWrite when the write failed there (the old file stays
    // whole, no temporary file is left); kErrorNotFound when no place takes a file.
    // A failure is logged with the file, the reason and what (the saving operation).
    static int saveWhole(CWindow* window, CXString name, const std::string& bytes, const char* what);
    // Copies a file over another (platform::copyFile: the old target stays whole on a
    // failure); a failure is logged with both files and what. True when it was copied.
    static bool copyWhole(const CXString& from, const CXString& to, const char* what);

    // The absolute path that Open last tried, and the mode it was given.
    CXString getFilePath() const { return m_path; }
    int getMode() const { return m_mode; }
    // The C runtime mode text for the flags ("rb", "w+b", "rt", ...).
    static CXString modeText(int mode);

    // The path under which the name can be read (language variants first, the
    // installed copy before the plain one; no disc copy), or an empty string.
    static CXString getPath(CWindow* window, CXString name);
    // The path re-rooted under the installation folder / the disc folder at its
    // first "Dane", else "COMMON", else (upper-cased) "WAVS"; else unchanged.
    static CXString getLocalPath(CXString path);
    static CXString getCDPath(CXString path);
    // Whether the path lies on a fixed disk; false for an empty path.
    static bool isHdd(CXString path);

    // Change of directory: 0 on success, -1 on failure.
    static int chDir(CXString directory);
    // The current directory with a trailing backslash.
    static CXString getCurrentDirectory();
    // The current directory into the buffer (no backslash added); an empty text
    // when it does not fit.
    static void getCurrentDirectory(int size, char* buffer);
    // Directory searches: a handle, or -1 when nothing (more) is found. With the
    // directory bit (16) set in the record's attributes on entry, only
    // directories are returned by findFirst.
    static int findFirst(CXString pattern, _finddata_t* data);
    static int findNext(int handle, _finddata_t* data);
    // Ends a search before findNext has run out (a search that ran out is gone
    // already); 0 on success, -1 for an unknown handle.
    static int findClose(int handle);
    // Seek and Tell of a file, or of the big file's current entry when the file
    // is the big file's own.
    static int fSeek(CFile* file, int offset, int origin);
    static int fTell(CFile* file);
    static bool dirExists(CXString directory);
    // Whether the name, as given, opens for binary reading.
    static bool fileExists(CXString name);

    // The process-wide packed big file. openBigFile, closeBigFile and
    // getBigFileHandle construct and use CBigFile and are defined with it.
    static void openBigFile(CXString name);
    static void closeBigFile();
    static CFile* getBigFileHandle();
    static CBigFile* getBigFileIfc() { return s_bigFile; }

protected:
    // Tries one candidate; true when it opened.
    bool tryOpen(const CXString& candidate, const CXString& mode);
    // The places Open tries for a name, in order, without repeats in a row.
    static std::vector<CXString> candidatesFor(CWindow* window, CXString name);
    // The resolved, absolute form of a name (steps 2 and 3 of Open).
    static CXString absoluteName(CWindow* window, CXString name);

    FILE* m_stream = nullptr;
    CXString m_path;
    int32_t m_mode = 0;
    CWindow* m_window = nullptr;

    static CBigFile* s_bigFile;
};

// A CFile over a block of memory (not owned); it never has a stream.
class CFile_Stream : public CFile {
public:
    CFile_Stream(char* buffer, int size);

    int Length() override;
    int Tell() override;
    FILE* GetHandle() override;
    // Origin 0 sets, 1 moves by the offset, 2 goes to the end (the offset is not
    // used); the position stays inside 0..size. Returns the new position.
    int Seek(int offset, int origin) override;
    // Copies what is left, at most count bytes; returns that number.
    int Read(void* buffer, int count) override;
    void GetLine(char* buffer, int size) override;
    CXString getLine() override;
    bool eof() override;

private:
    char* m_buffer;
    int32_t m_size;
    int32_t m_position = 0;
};

// A CFile that collects what is written in memory, for writers that build a
// whole file before it goes to disk through CFile::saveWhole. It never has a stream.
class CFile_Memory : public CFile {
public:
    CFile_Memory() = default;

    int Length() override;
    int Tell() override;
    int Write(const void* buffer, int count) override;
    void putLine(CXString text) override;
    int Close() override;

    const std::string& bytes() const { return m_bytes; }

private:
    std::string m_bytes;
};
