#include "foundation/CFile.h"

#include <sys/types.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/CBigFile.h"
#include "foundation/CEngineEnv.h"
#include "foundation/CFolder.h"
#include "foundation/CLanguageOSVer.h"
#include "foundation/CPath.h"
#include "foundation/CWindowServices.h"

CBigFile* CFile::s_bigFile = nullptr;

namespace {

// Re-roots the path at the first occurrence of one of the standard folder names.
CXString reroot(const CXString& root, const CXString& path) {
    // Without a root there is nothing to re-root under; the path stays as it is.
    if (!root.IsString()) return path;
    int at = path.FindSubString(CFolder::DATA_FOLDER, 0);
    if (at >= 0) return root + path.Right(at);
    at = path.FindSubString(CFolder::COMMON_FOLDER, 0);
    if (at >= 0) return root + path.Right(at);
    CXString upper(path);
    upper.Upper();
    at = upper.FindSubString(CFolder::WAVS_FOLDER, 0);
    if (at >= 0) return root + upper.Right(at);
    return path;
}

bool isAbsoluteName(const CXString& name) {
    // A drive letter as on Windows, or a leading separator: the engine's own
    // paths carry the drive letter, a native path from outside begins with "/".
    return name.GetAt(1) == ':' || name.GetAt(0) == '\\' || name.GetAt(0) == '/';
}

}  // namespace

CFile::CFile() = default;

CFile::CFile(CWindow* window, CXString name, int mode) : m_window(window) {
    setErrorCode(Open(window, name, mode));
}

CFile::~CFile() {
    if (m_stream) {
        std::fflush(m_stream);
        std::fclose(m_stream);
        m_stream = nullptr;
    }
}

CXString CFile::modeText(int mode) {
    CXString text((mode & kRead) ? "r" : "w");
    if (mode & kUpdate) text += '+';
    if (mode & kText) text += 't';
    else if (mode & kBinary) text += 'b';
    return text;
}

CXString CFile::absoluteName(CWindow* window, CXString name) {
    const CXString resolved = CPath::resolveFileName(window, name);
    if (isAbsoluteName(resolved)) return resolved;
    CXString absolute(platform::getCurrentDirectory().c_str());
    absolute += '\\';
    absolute += resolved;
    return absolute;
}

bool CFile::tryOpen(const CXString& candidate, const CXString& mode) {
    m_stream = platform::fopen(candidate.c_str(), mode.c_str());
    return m_stream != nullptr;
}

std::vector<CXString> CFile::candidatesFor(CWindow* window, CXString name) {
    CWindowServices* services = windowServices(window);
    CLanguageOSVer* language = services ? services->getLangIfc() : nullptr;
    const CXString absolute = absoluteName(window, name);
    std::vector<CXString> candidates;
    if (language) {
        CXString a;
        CXString b;
        if (isHdd(absolute)) {
            a = absolute;
            b = getCDPath(absolute);
        } else {
            a = getLocalPath(absolute);
            b = absolute;
        }
        candidates = {language->getLocalFileName(a), a, language->getLocalFileName(b), b};
    } else {
        candidates = {getLocalPath(absolute), absolute};
    }
    // The same path twice in a row cannot open the second time either.
    candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
    return candidates;
}

int CFile::Open(CWindow* window, CXString name, int mode) {
    if (m_stream) {
        std::fflush(m_stream);
        std::fclose(m_stream);
        m_stream = nullptr;
    }
    m_path = absoluteName(window, name);
    m_mode = mode;
    const CXString text = modeText(mode);
    for (const CXString& candidate : candidatesFor(window, name)) {
        if (tryOpen(candidate, text)) {
            setErrorCode(0);
            return 0;
        }
    }
    setErrorCode(kErrorNotFound);
    return kErrorNotFound;
}

int CFile::saveWhole(CWindow* window, CXString name, const std::string& bytes, const char* what) {
    // The first place where a new file can be made takes the bytes, as Open's
    // first place that opens for writing would; a failure there is final.
    std::string reason = "no folder to write in";
    for (const CXString& candidate : candidatesFor(window, name)) {
        platform::WriteFailure failure;
        if (platform::writeFileAtomically(candidate.c_str(), bytes.data(), bytes.size(), &failure)) return 0;
        if (failure.error) reason = std::strerror(failure.error);
        if (!failure.started) continue;
        CEngineEnv::logFailure(what, candidate, CXString(what) + ": " + candidate + " is not written (" + reason.c_str() +
                               "); the file stays as it was");
        return kErrorWrite;
    }
    CEngineEnv::logFailure(what, absoluteName(window, name), CXString(what) + ": " + absoluteName(window, name) + " is not written (" + reason.c_str() + ")");
    return kErrorNotFound;
}

bool CFile::copyWhole(const CXString& from, const CXString& to, const char* what) {
    errno = 0;
    if (platform::copyFile(from.c_str(), to.c_str(), false)) return true;
    const int error = errno;
    CEngineEnv::logFailure(what, to,
                           CXString(what) + ": " + from + " is not copied to " + to + " (" +
                               (error ? std::strerror(error) : "copy failed") + ")");
    return false;
}

int CFile::Length() {
    if (!m_stream) return -1;
    const off_t position = ftello(m_stream);
    fseeko(m_stream, 0, SEEK_SET);
    fseeko(m_stream, 0, SEEK_END);
    const off_t size = ftello(m_stream);
    fseeko(m_stream, position, SEEK_SET);
    if (size < 0) return -1;
    return size > INT32_MAX ? INT32_MAX : static_cast<int>(size);
}

int CFile::Tell() {
    if (!m_stream) return 0;
    const off_t position = ftello(m_stream);
    if (position < 0) return 0;
    return position > INT32_MAX ? INT32_MAX : static_cast<int>(position);
}

FILE* CFile::GetHandle() { return m_stream; }

int CFile::Seek(int offset, int origin) {
    if (!m_stream) return -1;
    int whence;
    switch (origin) {
        case 0: whence = SEEK_SET; break;
        case 1: whence = SEEK_CUR; break;
        case 2: whence = SEEK_END; break;
        default: return -1;
    }
    return fseeko(m_stream, offset, whence) == 0 ? 0 : -1;
}

int CFile::Read(void* buffer, int count) {
    if (count < 1 || !m_stream || !buffer) return 0;
    return static_cast<int>(std::fread(buffer, 1, static_cast<size_t>(count), m_stream));
}

int CFile::Write(const void* buffer, int count) {
    if (count < 1 || !m_stream || !buffer) return 0;
    return static_cast<int>(std::fwrite(buffer, 1, static_cast<size_t>(count), m_stream));
}

int CFile::Close() {
    if (m_stream) {
        const bool flushed = std::fflush(m_stream) == 0;
        const bool closed = std::fclose(m_stream) == 0;
        m_stream = nullptr;
        if (!flushed || !closed) setErrorCode(kErrorWrite);
    }
    return LastError();
}

void CFile::GetLine(char* buffer, int size) {
    if (!m_stream || !buffer || size < 1) return;
    if (!std::fgets(buffer, size, m_stream)) buffer[0] = '\0';
}

CXString CFile::getLine() {
    char buffer[kMaxLine + 1];
    buffer[0] = '\0';
    if (m_stream && !std::fgets(buffer, sizeof buffer, m_stream)) buffer[0] = '\0';
    return CXString(buffer);
}

void CFile::putLine(CXString text) {
    if (!m_stream || !text.IsString()) return;
    std::fwrite(text.c_str(), 1, static_cast<size_t>(text.getLength()), m_stream);
}

bool CFile::eof() { return !m_stream || std::feof(m_stream) != 0; }

// ---- location rules ------------------------------------------------------------

CXString CFile::getLocalPath(CXString path) { return reroot(CEngineEnv::rootPath, path); }

CXString CFile::getCDPath(CXString path) { return reroot(CEngineEnv::cdPath, path); }

bool CFile::isHdd(CXString path) {
    if (!path.IsString()) return false;
    return platform::getDriveType(path.c_str()) == platform::kDriveFixed;
}

CXString CFile::getPath(CWindow* window, CXString name) {
    CWindowServices* services = windowServices(window);
    CLanguageOSVer* language = services ? services->getLangIfc() : nullptr;
    const CXString absolute = absoluteName(window, name);
    const CXString local = getLocalPath(absolute);
    std::vector<CXString> candidates;
    if (language)
        candidates = {language->getLocalFileName(local), language->getLocalFileName(absolute), local, absolute};
    else
        candidates = {local, absolute};
    for (const CXString& candidate : candidates) {
        if (FILE* f = platform::fopen(candidate.c_str(), "rb")) {
            std::fclose(f);
            return candidate;
        }
    }
    return CXString();
}

// ---- directory functions --------------------------------------------------------

int CFile::chDir(CXString directory) {
    if (s_bigFile) return s_bigFile->ChDir(directory);
    return platform::setCurrentDirectory(directory.c_str());
}

CXString CFile::getCurrentDirectory() {
    if (s_bigFile) {
        CXString inside = s_bigFile->GetCurrentDirectoryA();
        if (inside.lastChar() != '\\') inside += '\\';
        return inside;
    }
    CXString current(platform::getCurrentDirectory().c_str());
    if (current.lastChar() != '\\') current += '\\';
    return current;
}

void CFile::getCurrentDirectory(int size, char* buffer) {
    if (!buffer || size < 1) return;
    if (s_bigFile) {
        const CXString inside = s_bigFile->GetCurrentDirectoryA();
        const int n = std::min(inside.getLength(), size - 1);
        std::memcpy(buffer, inside.c_str(), static_cast<size_t>(n));
        buffer[n] = '\0';
        return;
    }
    const std::string current = platform::getCurrentDirectory();
    if (current.size() > static_cast<size_t>(size - 1)) {
        buffer[0] = '\0';
        return;
    }
    std::memcpy(buffer, current.c_str(), current.size() + 1);
}

int CFile::findFirst(CXString pattern, _finddata_t* data) {
    if (!data) return -1;
    if (s_bigFile) return s_bigFile->FindFirst(pattern, data);
    const bool directoriesOnly = (data->attrib & platform::kAttribSubdir) != 0;
    const int handle = platform::findFirst(pattern.c_str(), data);
    if (handle == -1 || !directoriesOnly) return handle;
    while ((data->attrib & platform::kAttribSubdir) == 0) {
        if (platform::findNext(handle, data) != 0) return -1;
    }
    return handle;
}

int CFile::findNext(int handle, _finddata_t* data) {
    if (!data) return -1;
    if (s_bigFile) return s_bigFile->FindNext(handle, data);
    return platform::findNext(handle, data);
}

int CFile::findClose(int handle) {
    // A big file's search holds nothing, and its handle is no disk search's.
    if (s_bigFile) return 0;
    return platform::findClose(handle);
}

int CFile::fSeek(CFile* file, int offset, int origin) {
    if (s_bigFile && file && file == s_bigFile->GetFile()) return s_bigFile->Seek(offset, origin);
    return file ? file->Seek(offset, origin) : -1;
}

int CFile::fTell(CFile* file) {
    if (s_bigFile && file && file == s_bigFile->GetFile()) return s_bigFile->Tell();
    return file ? file->Tell() : 0;
}

bool CFile::dirExists(CXString directory) {
    if (s_bigFile) return s_bigFile->DirExists(directory);
    const std::string previous = platform::getCurrentDirectory();
    if (platform::setCurrentDirectory(directory.c_str()) != 0) return false;
    platform::setCurrentDirectory(previous.c_str());
    return true;
}

bool CFile::fileExists(CXString name) {
    if (s_bigFile) return s_bigFile->FileExists(name);
    FILE* f = platform::fopen(name.c_str(), "rb");
    if (!f) return false;
    std::fclose(f);
    return true;
}

// ---- CFile_Stream ----------------------------------------------------------------

CFile_Stream::CFile_Stream(char* buffer, int size) : m_buffer(buffer), m_size(size > 0 && buffer ? size : 0) {}

int CFile_Stream::Length() { return m_size; }

int CFile_Stream::Tell() { return m_position; }

FILE* CFile_Stream::GetHandle() { return nullptr; }

int CFile_Stream::Seek(int offset, int origin) {
    int64_t target = m_position;
    switch (origin) {
        case 0: target = offset; break;
        case 1: target = static_cast<int64_t>(m_position) + offset; break;
        case 2: target = m_size; break;
        default: return m_position;
    }
    m_position = static_cast<int32_t>(std::clamp<int64_t>(target, 0, m_size));
    return m_position;
}

int CFile_Stream::Read(void* buffer, int count) {
    if (count < 1 || !buffer || m_position >= m_size) return 0;
    const int n = std::min(count, m_size - m_position);
    std::memcpy(buffer, m_buffer + m_position, static_cast<size_t>(n));
    m_position += n;
    return n;
}

void CFile_Stream::GetLine(char*, int) {}

CXString CFile_Stream::getLine() { return CXString(); }

bool CFile_Stream::eof() { return m_position >= m_size; }

// ---- CFile_Memory --------------------------------------------------------------------

int CFile_Memory::Length() { return static_cast<int>(std::min<size_t>(m_bytes.size(), INT32_MAX)); }

int CFile_Memory::Tell() { return Length(); }

int CFile_Memory::Write(const void* buffer, int count) {
    if (count < 1 || !buffer) return 0;
    m_bytes.append(static_cast<const char*>(buffer), static_cast<size_t>(count));
    return count;
}

void CFile_Memory::putLine(CXString text) {
    if (text.IsString()) m_bytes.append(text.c_str(), static_cast<size_t>(text.getLength()));
}

int CFile_Memory::Close() { return LastError(); }
