#include "foundation/CPath.h"

#include "foundation/CEngineEnv.h"
#include "foundation/CFile.h"
#include "foundation/CStringTokenizer.h"
#include "foundation/CXArray.h"
#include "platform/FileSystem.h"

namespace {

// The text after the last "." of the path, the whole path without one.
CXString extensionOf(const CXString& path) {
    const int dot = path.FindLast('.', -1);
    return dot < 0 ? path : path.Right(dot + 1);
}

CXString resolveWith(const CXString& root, const CXString& input) {
    CXString name(input);
    const char first = name.GetAt(0);
    if (first == '$' || first == '&') name = root + name.Right(1);
    if (name.Find('?', 0) < 0) return name;

    CStringTokenizer tokens(name, CXString("?"));
    CXString folder;
    CXString file = tokens.nextToken();
    if (tokens.hasMoreTokens()) {
        folder = file;
        file = tokens.nextToken();
    }
    return CPath::getFullPath(CFile::getCurrentDirectory(), folder, file);
}

}  // namespace

CPath::CPath(CWindow* window) : m_window(window), m_current(CFile::getCurrentDirectory()) {}

CPath::CPath(CWindow* window, CXString path) : m_window(window), m_path(path) { FillInfo(); }

CPath::~CPath() = default;

void CPath::FillInfo() { m_extension = extensionOf(m_path); }

bool CPath::isCD() {
    if (!m_current.IsString()) return false;
    return platform::getDriveType(m_current.c_str()) == platform::kDriveCdrom;
}

CXString CPath::GetFullPath(CXString name) { return getFullPath(m_current, name); }

CXString CPath::GetFullPath(CXString directory, CXString name) { return getFullPath(m_current, directory, name); }

CXString CPath::resolveFileName(CXString name) { return resolveFileName(m_window, name); }

CXString CPath::SetExtension(CXString extension) {
    const int dot = m_path.Find('.', 0);
    m_path = dot < 0 ? CXString() : m_path.Left(dot + 1);
    m_path += extension;
    FillInfo();
    return m_path;
}

CXString CPath::resolveFileName(CWindow*, CXString name) { return resolveWith(CEngineEnv::cdPath, name); }

CXString CPath::resolveFileNameEx(CWindow*, CXString name) { return resolveWith(CEngineEnv::rootPath, name); }

CXString CPath::getFullPath(CXString a, CXString b, CXString c) {
    CXString out;
    if (a.IsString()) out += a;
    out += '\\';
    if (b.IsString()) {
        out += b;
        out += '\\';
    }
    if (c.IsString()) out += c;
    return out;
}

CXString CPath::getFullPath(CXString directory, CXString name) {
    CXString out;
    if (directory.IsString()) out += directory;
    if (out.IsString() && out.lastChar() != '\\') out += '\\';
    if (name.IsString()) out += name;
    return out;
}

// ---- CFileNameResolver ------------------------------------------------------------

CFileNameResolver::CFileNameResolver(CXString path)
    : m_fullName(path), m_directories(new CXArray(CXArray::kDefaultCapacity, CXArray::kDefaultLoadFactor)) {
    if (m_fullName.IsString()) split();
}

CFileNameResolver::~CFileNameResolver() {
    for (int i = 0; i < m_directories->getCount(); ++i) delete static_cast<CXString*>(m_directories->at(i));
    m_directories->removeAll();
    delete m_directories;
}

void CFileNameResolver::split() {
    CStringTokenizer parts(m_fullName, CXString("\\"));
    bool first = true;
    while (parts.hasMoreTokens()) {
        const CXString part = parts.nextToken();
        const bool last = !parts.hasMoreTokens();
        if (first && part.lastChar() == ':') {
            // The drive is no folder, and a path of the drive alone names no file.
            m_drive = static_cast<uint8_t>(part.GetAt(0));
        } else if (last) {
            m_fileName = part;
        } else {
            m_directories->add(new CXString(part));
        }
        first = false;
    }
    if (m_fileName.IsString()) {
        CStringTokenizer dots(m_fileName, CXString("."));
        m_pureFileName = dots.nextToken();
        m_extension = dots.nextToken();
    }
}
