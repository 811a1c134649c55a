// Path operations of the engine: the short name forms of scripts and definition
// files ("$" or "&" for the game's disc folder, "folder?file" for a file under
// the current directory), joining path parts, and the drive-type test.
// CFileNameResolver splits a path into drive, folders, file name and extension.
#pragma once
#include <cstdint>

#include "foundation/CXObject.h"
#include "foundation/CXString.h"

class CWindow;
class CXArray;

class CPath : public CXObject {
public:
    // The current directory (with a trailing "\") is taken now.
    explicit CPath(CWindow* window);
    // Keeps the path and its extension; no current directory.
    CPath(CWindow* window, CXString path);
    ~CPath() override;
    CPath(const CPath&) = delete;
    CPath& operator=(const CPath&) = delete;

    // Whether the current directory lies on a CD; false without one.
    virtual bool isCD();

    CXString getCurrentPath() const { return m_current; }
    CXString getPath() const { return m_path; }
    CXString getExtension() const { return m_extension; }
    // The current directory joined with the name / the directory and the name.
    CXString GetFullPath(CXString name);
    CXString GetFullPath(CXString directory, CXString name);
    CXString resolveFileName(CXString name);
    // Cuts the path after its first "." (the whole path without one) and appends
    // the extension; returns the new path.
    CXString SetExtension(CXString extension);

    // "$name" and "&name": the disc folder followed by the name; "x?y": the file y
    // in the folder x under the current directory; other names unchanged.
    static CXString resolveFileName(CWindow* window, CXString name);
    // The same with the installation folder in place of the disc folder.
    static CXString resolveFileNameEx(CWindow* window, CXString name);
    // a (when not empty), a backslash, b and a backslash (when b is not empty), c.
    static CXString getFullPath(CXString a, CXString b, CXString c);
    // The directory, a backslash unless the text is empty or already ends with one,
    // then the name.
    static CXString getFullPath(CXString directory, CXString name);

private:
    void FillInfo();

    CWindow* m_window;
    CXString m_path;
    CXString m_extension;
    CXString m_current;
};

class CFileNameResolver : public CXObject {
public:
    explicit CFileNameResolver(CXString path);
    ~CFileNameResolver() override;
    CFileNameResolver(const CFileNameResolver&) = delete;
    CFileNameResolver& operator=(const CFileNameResolver&) = delete;

    CXString getExtension() const { return m_extension; }
    // Never filled by the split: always empty.
    CXString getPath() const { return m_path; }
    CXString getFileName() const { return m_fileName; }
    CXString getPureFileName() const { return m_pureFileName; }
    // The drive letter, 0 without one.
    uint8_t getDrive() const { return m_drive; }
    // One CXString per folder, in path order; owned by the resolver.
    CXArray* getDirectories() const { return m_directories; }

private:
    void split();

    CXString m_fullName;
    CXString m_path;
    CXString m_extension;
    CXString m_fileName;
    CXString m_pureFileName;
    uint8_t m_drive = 0;
    CXArray* m_directories;
};
