#include "foundation/CBigFile.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/ByteOrder.h"
#include "foundation/CFile.h"
#include "foundation/CXArchive.h"
#include "platform/FileSystem.h"

namespace {

constexpr int kHeaderFixed = 37;  // header bytes besides the name
constexpr int kFolderFixed = 12;  // folder record bytes besides the name
constexpr int kFileFixed = 20;    // file record bytes besides the name
constexpr int kCopyChunk = 1 << 20;

CXString lowered(CXString s) { return s.Lower(); }

bool sameName(const CXString& a, const CXString& b) { return lowered(a) == lowered(b); }

// Sequential reader of the TOC that checks every length and count against the
// bytes the file still holds.
class TocReader {
public:
    TocReader(CFile* file, int64_t length) : m_file(file), m_length(length) {}

    int64_t left() const { return m_length - m_pos; }

    bool int32(int32_t* v) {
        uint8_t b[4];
        if (!bytes(b, 4)) return false;
        *v = static_cast<int32_t>(byteorder::readLE32(b));
        return true;
    }
    bool int64(int64_t* v) {
        uint8_t b[8];
        if (!bytes(b, 8)) return false;
        uint64_t u = 0;
        for (int i = 7; i >= 0; --i) u = u << 8 | b[i];
        *v = static_cast<int64_t>(u);
        return true;
    }
    bool string(CXString* s) {
        int32_t n = 0;
        if (!int32(&n) || n < 0 || n > left()) return false;
        std::vector<char> body(static_cast<size_t>(n) + 1, '\0');
        if (n > 0 && !bytes(body.data(), n)) return false;
        *s = CXString(body.data(), n);
        return true;
    }

private:
    bool bytes(void* target, int n) {
        if (n > left() || m_file->Read(target, n) != n) return false;
        m_pos += n;
        return true;
    }

    CFile* m_file;
    int64_t m_length;
    int64_t m_pos = 0;
};

bool loadEntry(TocReader& in, CBigFile::_entry* entry, int64_t fileLength, int depth) {
    int32_t files = 0;
    int32_t folders = 0;
    if (depth > CBigFile::kMaxDepth || !in.string(&entry->name) || !in.int32(&files) || !in.int32(&folders))
        return false;
    if (files < 0 || folders < 0 ||
        static_cast<int64_t>(files) * kFileFixed + static_cast<int64_t>(folders) * kFolderFixed > in.left())
        return false;
    entry->folders.reserve(static_cast<size_t>(folders));
    entry->files.reserve(static_cast<size_t>(files));
    for (int32_t i = 0; i < folders; ++i) {
        auto sub = std::make_unique<CBigFile::_entry>();
        sub->parent = entry;
        if (!loadEntry(in, sub.get(), fileLength, depth + 1)) return false;
        entry->folders.push_back(std::move(sub));
    }
    for (int32_t i = 0; i < files; ++i) {
        auto f = std::make_unique<CBigFile::_file>();
        f->parent = entry;
        if (!in.string(&f->name) || !in.int32(&f->offset) || !in.int64(&f->reserved) || !in.int32(&f->size))
            return false;
        if (f->offset < 0 || f->size < 0 || static_cast<int64_t>(f->offset) + f->size > fileLength) return false;
        entry->files.push_back(std::move(f));
    }
    return true;
}

struct Listed {
    CXString name;
    bool folder;
    uint32_t size;
};

// The directory's items in listing order, "." and ".." left out.
std::vector<Listed> listFolder(const CXString& path) {
    CXString pattern = path;
    pattern += path.lastChar() == '\\' ? "*.*" : "\\*.*";
    std::vector<Listed> items;
    _finddata_t data;
    const int handle = platform::findFirst(pattern.c_str(), &data);
    if (handle == -1) return items;
    do {
        const bool folder = (data.attrib & platform::kAttribSubdir) != 0;
        if (folder && (std::strcmp(data.name, ".") == 0 || std::strcmp(data.name, "..") == 0)) continue;
        items.push_back(Listed{CXString(data.name), folder, data.size});
    } while (platform::findNext(handle, &data) == 0);
    return items;
}

CXString joined(const CXString& path, const CXString& name) {
    CXString out = path;
    if (out.lastChar() != '\\') out += '\\';
    out += name;
    return out;
}

}  // namespace

CBigFile::CBigFile(bool verbose) : m_verbose(verbose) {}

CBigFile::CBigFile(CXString name, bool verbose, CXString) : m_verbose(verbose) { open(name); }

CBigFile::~CBigFile() {
    m_header.reset();
    delete m_file;
}

void CBigFile::open(CXString name) {
    m_file = new CFile(nullptr, name, CFile::kReadBinary);
    if (!m_file->GetHandle()) {
        setErrorCode(kErrorOpen);
        delete m_file;
        m_file = nullptr;
        return;
    }
    m_name = name;
    const int64_t length = m_file->Length();
    TocReader in(m_file, length);
    auto header = std::make_unique<_rootentry>();
    header->root = std::make_unique<_entry>();
    const bool ok = in.string(&header->name) && in.string(&header->rootPath) && in.int32(&header->totalSize) &&
                    in.int64(&header->reserved1) && in.int64(&header->reserved2) && in.int32(&header->fileCount) &&
                    in.int32(&header->folderCount) && loadEntry(in, header->root.get(), length, 0);
    if (!ok) {
        setErrorCode(kErrorOpen);
        delete m_file;
        m_file = nullptr;
        return;
    }
    m_header = std::move(header);
    m_current = m_header->root.get();
    m_file->Seek(0, 0);
}

bool CBigFile::fillTOC(_entry* entry, const CXString& path, int depth) {
    if (depth > kMaxDepth) return false;
    for (const Listed& item : listFolder(path)) {
        if (item.folder) {
            auto sub = std::make_unique<_entry>();
            sub->name = item.name;
            sub->parent = entry;
            m_tocSize += kFolderFixed + item.name.getLength();
            m_header->folderCount += 1;
            _entry* raw = sub.get();
            entry->folders.push_back(std::move(sub));
            if (!fillTOC(raw, joined(path, item.name), depth + 1)) return false;
        } else {
            auto f = std::make_unique<_file>();
            f->name = item.name;
            f->size = item.size > INT32_MAX ? INT32_MAX : static_cast<int32_t>(item.size);
            f->parent = entry;
            m_tocSize += kFileFixed + item.name.getLength();
            m_header->fileCount += 1;
            m_dataSum += item.size;
            entry->files.push_back(std::move(f));
        }
    }
    return true;
}

namespace {

// The big file's target as a CFile: what is written goes to the atomic writer's
// temporary, and Close renames it over the target.
class AtomicTargetFile : public CFile {
public:
    explicit AtomicTargetFile(const CXString& target) : m_writer(target.c_str()) {}
    int Length() override { return static_cast<int>(m_writer.size()); }
    int Tell() override { return static_cast<int>(m_writer.size()); }
    int Write(const void* buffer, int count) override {
        return count >= 0 && m_writer.write(buffer, static_cast<size_t>(count)) ? count : -1;
    }
    int Close() override { return m_writer.commit() ? 0 : kErrorWrite; }
    platform::AtomicFileWriter& writer() { return m_writer; }

private:
    platform::AtomicFileWriter m_writer;
};

bool failed(std::string* why, const std::string& text) {
    if (why) *why = text;
    return false;
}

}  // namespace

bool CBigFile::Create(CXString folder, CXString name, CXString target, std::string* why) {
    // prepareTOC: the root record carries the source folder's path as its name.
    m_header = std::make_unique<_rootentry>();
    m_header->root = std::make_unique<_entry>();
    m_header->root->name = folder;
    m_header->rootPath = folder;
    m_current = m_header->root.get();
    m_tocSize = kFolderFixed + folder.getLength() + kHeaderFixed - 1;
    m_dataSum = 0;
    const bool complete = fillTOC(m_header->root.get(), folder, 0);
    m_header->name = name;
    m_header->rootPath = "\\";
    m_tocSize += name.getLength() + 1;
    const int64_t totalSize = m_dataSum;
    m_header->totalSize = static_cast<int32_t>(totalSize > INT32_MAX ? INT32_MAX : totalSize);

    if (m_verbose) {
        std::printf("Big file name: %s.\n", name.c_str());
        std::printf("Number of folders: %d.\n", m_header->folderCount);
        std::printf("Number of files: %d.\n", m_header->fileCount);
        std::printf("Total size: %d bytes.\n", m_header->totalSize);
        std::printf("TOC size: %d bytes.\n", static_cast<int>(m_tocSize > INT32_MAX ? INT32_MAX : m_tocSize));
    }
    // Offsets and sizes are 32-bit: the whole file must stay below 2 GiB.
    if (!complete) return failed(why, std::string(folder.c_str()) + ": cannot be read whole");
    if (m_tocSize + totalSize > INT32_MAX) return failed(why, std::string(folder.c_str()) + ": 2 GiB or more");

    m_dataSum = 0;
    AtomicTargetFile file(target);
    CXArchive archive(&file, true);
    archive << m_header->name << m_header->rootPath << static_cast<int>(m_header->totalSize)
            << m_header->reserved1 << m_header->reserved2 << static_cast<int>(m_header->fileCount)
            << static_cast<int>(m_header->folderCount);
    save_entry(archive, m_header->root.get());
    // Every write is checked; the target is replaced only when all of it was written.
    bool written = archive.LastError() == 0;
    if (written) {
        std::printf("TOC saved.\n");
        int saved = 0;
        written = save_entry_contents(m_header->root.get(), &file, &saved);
        std::fflush(stdout);
    }
    if (written && file.Close() == 0) return true;
    file.writer().discard();
    const int error = file.writer().failure().error;
    return failed(why, std::string(target.c_str()) + ": " + (error ? std::strerror(error) : "cannot be written"));
}

void CBigFile::save_entry(CXArchive& archive, _entry* entry) {
    archive << entry->name << static_cast<int>(entry->files.size()) << static_cast<int>(entry->folders.size());
    for (auto& sub : entry->folders) save_entry(archive, sub.get());
    for (auto& f : entry->files) {
        f->offset = static_cast<int32_t>(m_tocSize + m_dataSum);
        archive << f->name << static_cast<int>(f->offset) << f->reserved << static_cast<int>(f->size);
        m_dataSum += f->size;
    }
}

bool CBigFile::save_entry_contents(_entry* entry, CFile* target, int* saved) {
    for (auto& sub : entry->folders)
        if (!save_entry_contents(sub.get(), target, saved)) return false;
    std::vector<char> buffer;
    for (auto& f : entry->files) {
        // A file that vanished or reads short since the listing is padded with
        // zeros, so that every offset stays valid.
        CFile source(nullptr, get_full_path2(entry) + f->name.c_str(), CFile::kReadBinary);
        int left = f->size;
        while (left > 0) {
            const int chunk = left < kCopyChunk ? left : kCopyChunk;
            buffer.assign(static_cast<size_t>(chunk), '\0');
            if (source.GetHandle()) source.Read(buffer.data(), chunk);
            if (target->Write(buffer.data(), chunk) != chunk) return false;
            left -= chunk;
        }
        ++*saved;
        std::printf("\r%48s\rFile %d of %d saved.", "", *saved, m_header->fileCount);
    }
    return true;
}

CXString CBigFile::get_full_path(const _entry* entry) const {
    if (!entry || !entry->parent) return m_header ? m_header->rootPath : CXString("\\");
    CXString path = get_full_path(entry->parent);
    if (!entry->parent->parent) path = CXString();
    path += entry->name;
    path += '\\';
    return path;
}

CXString CBigFile::get_full_path2(const _entry* entry) const {
    if (!entry) return CXString();
    CXString path = get_full_path2(entry->parent);
    path += entry->name;
    path += '\\';
    return path;
}

CBigFile::_file* CBigFile::find(CXString path) {
    if (!m_header || !m_current || !path.IsString()) return nullptr;
    _entry* folder = m_current;
    int from = 0;
    if (path.GetAt(0) == '\\') {
        folder = m_header->root.get();
        from = 1;
    }
    for (;;) {
        const int slash = path.Find('\\', from);
        if (slash < 0) break;
        const CXString name = path.Mid(from, slash);
        _entry* next = nullptr;
        for (auto& sub : folder->folders)
            if (sameName(sub->name, name)) {
                next = sub.get();
                break;
            }
        if (!next) return nullptr;
        folder = next;
        from = slash + 1;
    }
    const CXString name = path.Right(from);
    if (!name.IsString()) return nullptr;
    for (auto& f : folder->files)
        if (sameName(f->name, name)) return f.get();
    return nullptr;
}

int CBigFile::Seek(CXString path) {
    _file* f = find(path);
    if (!f || !m_file) return -1;
    m_file->Seek(f->offset, 0);
    return f->offset;
}

int CBigFile::Locate(CXString path, int* size) {
    _file* f = find(path);
    if (!f || !m_file) return -1;
    if (size) *size = f->size;
    return f->offset;
}

int CBigFile::ReadAt(int64_t offset, void* buffer, int count) {
    if (!m_file || count < 0) return -1;
    if (count == 0) return 0;
    const int64_t got = platform::readAt(m_file->GetHandle(), offset, buffer, static_cast<size_t>(count));
    return got < 0 ? -1 : static_cast<int>(got);
}

int CBigFile::GetSize(CXString path) {
    _file* f = find(path);
    return f ? f->size : 0;
}

bool CBigFile::FileExists(CXString path) { return find(path) != nullptr; }

bool CBigFile::DirExists(CXString path) {
    if (!m_header || !m_current || !path.IsString()) return false;
    const _entry* folder = m_current;
    int from = 0;
    if (path.GetAt(0) == '\\') {
        folder = m_header->root.get();
        from = 1;
    }
    while (from < path.getLength()) {
        int slash = path.Find('\\', from);
        if (slash < 0) slash = path.getLength();
        const CXString name = path.Mid(from, slash);
        from = slash + 1;
        if (!name.IsString() || name == ".") continue;
        if (name == "..") {
            if (!folder->parent) return false;
            folder = folder->parent;
            continue;
        }
        const _entry* next = nullptr;
        for (auto& sub : folder->folders)
            if (sameName(sub->name, name)) {
                next = sub.get();
                break;
            }
        if (!next) return false;
        folder = next;
    }
    return true;
}

int CBigFile::FindFirst(CXString pattern, _finddata_t* data) {
    if (!data || !m_current) return -1;
    int index = 0;
    auto fill = [&](const CXString& name, uint32_t attrib, uint32_t size) {
        std::strncpy(data->name, name.c_str(), sizeof data->name - 1);
        data->name[sizeof data->name - 1] = '\0';
        data->attrib = attrib;
        data->size = size;
    };
    for (auto& f : m_current->files) {
        if (lowered(f->name).FilterFits(pattern)) {
            fill(f->name, platform::kAttribNormal, static_cast<uint32_t>(f->size));
            return index;
        }
        ++index;
    }
    for (auto& sub : m_current->folders) {
        if (lowered(sub->name).FilterFits(pattern)) {
            fill(sub->name, platform::kAttribSubdir, 0);
            return index;
        }
        ++index;
    }
    return -1;
}

int CBigFile::FindNext(int, _finddata_t*) { return -1; }

CXString CBigFile::GetCurrentDirectoryA() {
    if (!m_file || !m_current) return CXString(platform::getCurrentDirectory().c_str());
    CXString path = get_full_path(m_current);
    if (path.lastChar() == '\\') path.left(path.getLength() - 1);
    return path;
}

void CBigFile::GetCurrentDirectoryA(int, char*) {}

int CBigFile::Seek(int offset, int origin) { return m_file ? m_file->Seek(offset, origin) : -1; }

int CBigFile::Tell() { return m_file ? m_file->Tell() : 0; }

int CBigFile::chdir(CXString name) {
    if (!m_current) return -1;
    if (name == ".") return 0;
    if (name == "..") {
        if (!m_current->parent) return -1;
        m_current = m_current->parent;
        return 0;
    }
    for (auto& sub : m_current->folders)
        if (sameName(sub->name, name)) {
            m_current = sub.get();
            return 0;
        }
    return -1;
}

// ---- the process-wide big file of CFile ----------------------------------------

void CFile::openBigFile(CXString name) {
    closeBigFile();
    auto* big = new CBigFile(name, false, CXString());
    if (big->LastError() != 0) {
        delete big;
        return;
    }
    s_bigFile = big;
}

void CFile::closeBigFile() {
    delete s_bigFile;
    s_bigFile = nullptr;
}

CFile* CFile::getBigFileHandle() { return s_bigFile ? s_bigFile->GetFile() : nullptr; }
