// The engine's standard folder names and a directory browser: lists names that
// match a pattern, reads entries one by one, tests directories and sizes, and
// walks a tree of lettered folders ("A.x", "C.+intro") whose names carry a type.
// Every directory operation goes through CFile, so with a packed big file open
// the browsing happens inside it. The browser changes the process's current
// directory as it walks.
#pragma once
#include <cstdint>

#include "foundation/CXObject.h"
#include "foundation/CXString.h"

class CWindow;
class CXArray;

class CFolder : public CXObject {
public:
    static const CXString DATA_FOLDER;    // "Dane"
    static const CXString COMMON_FOLDER;  // "COMMON"
    static const CXString WAVS_FOLDER;    // "WAVS"
    static const CXString SFX_FOLDER;     // "Wavs\Sfx"

    // Starts at the current directory.
    explicit CFolder(CWindow* window);
    // Changes to the path; the previous directory is kept for back().
    CFolder(CWindow* window, CXString path);
    ~CFolder() override;
    CFolder(const CFolder&) = delete;
    CFolder& operator=(const CFolder&) = delete;

    // Starts a search for directories / any entry; the first name or empty.
    virtual CXString GetFolderName(CXString pattern);
    virtual CXString GetFileName(CXString pattern);
    // The next entry of the running search (not filtered), or empty at its end.
    virtual CXString GetNextFileName();

    CXString getPath() const { return m_startPath; }
    CXString getCurrentPath() const { return m_currentPath; }
    CXString getLastFolder() const { return m_lastFolder; }
    // Changes back to the directory that was current when the browser was made.
    void back();
    // Back to the start path.
    void GoStart();
    // One level up; returns the type of the folder now current.
    CXString GoUp();
    // Into the first folder named with the letter `index` places after "A", a
    // "." and any type; returns its type.
    CXString GoTo(int index);

    static bool IsDirectory(CXString name);
    // Size of the first entry found for the name, 0 when none.
    static int GetSize(CXString name);
    // A new array of new strings: every name the pattern finds, in the order
    // found ("." and ".." included when the pattern matches them). The caller
    // releases it with releaseFilesList.
    CXArray* list(CXString pattern);
    static void releaseFilesList(CXArray* files);

    // The type carried by a folder name: after the last ".", everything after a
    // "+", else the one character; empty without a ".".
    static CXString GetFolderType(CXString name);

private:
    CXString FindFolder(char letter);
    CXString search(CXString pattern, bool directories);

    [[maybe_unused]] CWindow* m_window;  // kept as the folder object is built with it
    CXString m_startPath;
    CXString m_currentPath;
    CXString m_lastFolder;
    CXString m_pattern;
    CXString m_previousDirectory;
    int32_t m_search = -1;
};
