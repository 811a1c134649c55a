#include "foundation/CFolder.h"

#include "foundation/CFile.h"
#include "foundation/CXArray.h"
#include "platform/FileSystem.h"

const CXString CFolder::DATA_FOLDER("Dane");
const CXString CFolder::COMMON_FOLDER("COMMON");
const CXString CFolder::WAVS_FOLDER("WAVS");
const CXString CFolder::SFX_FOLDER("Wavs\\Sfx");

CFolder::CFolder(CWindow* window) : m_window(window) {
    if (window) {
        m_startPath = CFile::getCurrentDirectory();
    } else {
        m_startPath = CXString(platform::getCurrentDirectory().c_str());
    }
}

CFolder::CFolder(CWindow* window, CXString path) : m_window(window), m_currentPath(path) {
    m_previousDirectory = CFile::getCurrentDirectory();
    CFile::chDir(path);
    m_startPath = path.GetAt(0) == '\\' ? path : CFile::getCurrentDirectory();
}

CFolder::~CFolder() {
    if (m_search != -1) CFile::findClose(m_search);
}

void CFolder::back() {
    if (m_previousDirectory.IsString()) CFile::chDir(m_previousDirectory);
}

void CFolder::GoStart() {
    m_currentPath = m_startPath;
    CFile::chDir(m_startPath);
}

CXString CFolder::GoUp() {
    CFile::chDir(CXString(".."));
    const int slash = m_currentPath.FindLast('\\', -1);
    if (slash >= 0) m_currentPath = m_currentPath.Left(slash);
    return GetFolderType(m_currentPath);
}

CXString CFolder::GoTo(int index) {
    m_currentPath += '\\';
    const CXString folder = FindFolder(static_cast<char>('A' + index));
    m_currentPath += folder;
    m_lastFolder = folder;
    // An empty name would change to nowhere: stay where we are.
    if (folder.IsString()) CFile::chDir(folder);
    return GetFolderType(folder);
}

CXString CFolder::FindFolder(char letter) {
    CXString pattern(static_cast<int>(static_cast<unsigned char>(letter)));
    pattern += ".*";
    _finddata_t data;
    data.attrib = platform::kAttribSubdir;
    const int handle = CFile::findFirst(pattern, &data);
    if (handle == -1) return CXString();
    CFile::findClose(handle);
    return CXString(data.name);
}

CXString CFolder::GetFolderType(CXString name) {
    const int dot = name.FindLast('.', -1);
    if (dot < 0) return CXString();
    if (name.GetAt(dot + 1) == '+') return name.Right(dot + 2);
    return name.Mid(dot + 1, dot + 2);
}

CXString CFolder::search(CXString pattern, bool directories) {
    if (m_search != -1) CFile::findClose(m_search);
    m_pattern = pattern;
    _finddata_t data;
    data.attrib = directories ? platform::kAttribSubdir : 0;
    m_search = CFile::findFirst(pattern, &data);
    if (m_search == -1) return CXString();
    return CXString(data.name);
}

CXString CFolder::GetFolderName(CXString pattern) { return search(pattern, true); }

CXString CFolder::GetFileName(CXString pattern) { return search(pattern, false); }

CXString CFolder::GetNextFileName() {
    if (m_search == -1) return CXString();
    _finddata_t data;
    if (CFile::findNext(m_search, &data) != 0) {
        m_search = -1;
        return CXString();
    }
    return CXString(data.name);
}

bool CFolder::IsDirectory(CXString name) {
    _finddata_t data;
    const int handle = CFile::findFirst(name, &data);
    if (handle == -1) return false;
    CFile::findClose(handle);
    return (data.attrib & platform::kAttribSubdir) != 0;
}

int CFolder::GetSize(CXString name) {
    _finddata_t data;
    const int handle = CFile::findFirst(name, &data);
    if (handle == -1) return 0;
    CFile::findClose(handle);
    return static_cast<int>(data.size > INT32_MAX ? INT32_MAX : data.size);
}

CXArray* CFolder::list(CXString pattern) {
    auto* files = new CXArray(CXArray::kDefaultCapacity, CXArray::kDefaultLoadFactor);
    if (m_search != -1) CFile::findClose(m_search);
    _finddata_t data;
    m_search = CFile::findFirst(pattern, &data);
    if (m_search == -1) return files;
    do {
        files->add(new CXString(data.name));
    } while (CFile::findNext(m_search, &data) == 0);
    m_search = -1;
    return files;
}

void CFolder::releaseFilesList(CXArray* files) {
    if (!files) return;
    for (int i = 0; i < files->getCount(); ++i) delete static_cast<CXString*>(files->at(i));
    delete files;
}
