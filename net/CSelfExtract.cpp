#include "net/CSelfExtract.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "net/COggConverter.h"
#include "net/CSelfExtractInfo.h"
#include "platform/FileSystem.h"
#include "platform/SafeFiles.h"

namespace {

constexpr char kMagic[] = "SFX01";
constexpr int kMagicLength = 5;
constexpr int64_t kHeaderLength = kMagicLength + 4;
constexpr int64_t kEntryHeaderLength = 9;
constexpr int64_t kSmallestEntry = kEntryHeaderLength + 4 + 1;
constexpr uint32_t kMaxNameLength = 260;
constexpr size_t kChunk = 1 << 16;
constexpr int kMaxFolderDepth = 64;

uint32_t get32(const uint8_t* at) {
    return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}
void put32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

bool readExactly(FILE* file, void* data, size_t size) { return std::fread(data, 1, size, file) == size; }
bool writeExactly(FILE* file, const void* data, size_t size) { return std::fwrite(data, 1, size, file) == size; }
bool write32(FILE* file, uint32_t value) {
    uint8_t bytes[4];
    put32(bytes, value);
    return writeExactly(file, bytes, 4);
}

struct FileCloser {
    void operator()(FILE* file) const {
        if (file) std::fclose(file);
    }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

bool isWaveName(const CXString& name) { return name.indexOf(CXString(".wav")) >= 0; }

// Inflates exactly `stored` bytes of the archive into `out`; true when the stream
// ends with exactly `length` bytes.
bool inflateEntry(FILE* archive, uint32_t stored, uint32_t length, FILE* out) {
    if (length > CSelfExtract::kMaxEntryLength) return false;
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) return false;
    std::unique_ptr<uint8_t[]> in(new uint8_t[kChunk]);
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[kChunk]);
    uint64_t left = stored;
    uint64_t produced = 0;
    int status = Z_OK;
    bool ok = true;
    while (ok && status != Z_STREAM_END) {
        if (stream.avail_in == 0) {
            if (left == 0) {
                ok = false;
                break;
            }
            const size_t take = static_cast<size_t>(left < kChunk ? left : kChunk);
            if (!readExactly(archive, in.get(), take)) {
                ok = false;
                break;
            }
            left -= take;
            stream.next_in = in.get();
            stream.avail_in = static_cast<uInt>(take);
        }
        stream.next_out = buffer.get();
        stream.avail_out = static_cast<uInt>(kChunk);
        status = inflate(&stream, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END) {
            ok = false;
            break;
        }
        const size_t got = kChunk - stream.avail_out;
        produced += got;
        if (produced > length) ok = false;
        else if (got && !writeExactly(out, buffer.get(), got)) ok = false;
    }
    inflateEnd(&stream);
    return ok && status == Z_STREAM_END && produced == length;
}

bool copyEntry(FILE* archive, uint64_t size, FILE* out) {
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[kChunk]);
    while (size > 0) {
        const size_t take = static_cast<size_t>(size < kChunk ? size : kChunk);
        if (!readExactly(archive, buffer.get(), take) || !writeExactly(out, buffer.get(), take)) return false;
        size -= take;
    }
    return true;
}

// Deflates the whole source into the archive at level 9; the stored length, or -1.
int64_t deflateEntry(FILE* source, uint32_t length, FILE* archive) {
    z_stream stream{};
    if (deflateInit(&stream, 9) != Z_OK) return -1;
    std::unique_ptr<uint8_t[]> in(new uint8_t[kChunk]);
    std::unique_ptr<uint8_t[]> out(new uint8_t[kChunk]);
    uint64_t left = length;
    int64_t written = 0;
    bool ok = true;
    int flush = Z_NO_FLUSH;
    int status = Z_OK;
    while (ok && status != Z_STREAM_END) {
        if (stream.avail_in == 0 && flush != Z_FINISH) {
            const size_t take = static_cast<size_t>(left < kChunk ? left : kChunk);
            if (take && !readExactly(source, in.get(), take)) {
                ok = false;
                break;
            }
            left -= take;
            stream.next_in = in.get();
            stream.avail_in = static_cast<uInt>(take);
            if (left == 0) flush = Z_FINISH;
        }
        stream.next_out = out.get();
        stream.avail_out = static_cast<uInt>(kChunk);
        status = deflate(&stream, flush);
        if (status == Z_STREAM_ERROR) {
            ok = false;
            break;
        }
        const size_t got = kChunk - stream.avail_out;
        written += static_cast<int64_t>(got);
        if (got && !writeExactly(archive, out.get(), got)) ok = false;
        if (written > int64_t(UINT32_MAX)) ok = false;
    }
    deflateEnd(&stream);
    return ok ? written : -1;
}

}  // namespace

CSelfExtract::CSelfExtract() = default;

CSelfExtract::CSelfExtract(CXString path) : m_path(path) {}

CSelfExtract::~CSelfExtract() { Flush(); }

void CSelfExtract::Flush() {
    m_path = CXString();
    for (CSelfExtractInfo* entry : m_entries) delete entry;
    m_entries.clear();
}

CSelfExtractInfo* CSelfExtract::GetEntry(int index) const {
    return index >= 0 && index < GetCount() ? m_entries[static_cast<size_t>(index)] : nullptr;
}

bool CSelfExtract::ReadTOC() {
    const int64_t size = platform::fileSize(m_path.c_str());
    if (size < kHeaderLength) return false;
    FilePtr file(platform::fopen(m_path.c_str(), "rb"));
    if (!file) return false;
    uint8_t header[kHeaderLength];
    if (!readExactly(file.get(), header, sizeof header) || std::memcmp(header, kMagic, kMagicLength) != 0) return false;
    const uint32_t count = get32(header + kMagicLength);
    int64_t position = kHeaderLength;
    if (count > (size - position) / kSmallestEntry) return false;
    std::vector<std::unique_ptr<CSelfExtractInfo>> read;
    for (uint32_t i = 0; i < count; ++i) {
        uint8_t fields[kEntryHeaderLength];
        if (size - position < kEntryHeaderLength + 4 || !readExactly(file.get(), fields, sizeof fields)) return false;
        auto entry = std::make_unique<CSelfExtractInfo>();
        entry->SetDataOffset(position);
        entry->SetCompressionType(fields[0]);
        entry->SetFileLength(get32(fields + 1));
        const uint32_t stored = get32(fields + 5);
        entry->SetCompressionLength(stored);
        position += kEntryHeaderLength;
        if (int64_t(stored) > size - position - 4) return false;
        position += stored;
        uint8_t nameLength[4];
        if (fseeko(file.get(), static_cast<off_t>(position), SEEK_SET) != 0 || !readExactly(file.get(), nameLength, 4))
            return false;
        position += 4;
        const uint32_t length = get32(nameLength);
        if (length >= kMaxNameLength || int64_t(length) > size - position) return false;
        char name[kMaxNameLength] = {};
        if (!readExactly(file.get(), name, length)) return false;
        position += length;
        const std::string text(name, length);
        if (!platform::ConfinedFolder::isSafeRelativeName(text)) return false;
        entry->SetFilename(CXString(text.c_str()));
        read.push_back(std::move(entry));
    }
    for (auto& entry : read) m_entries.push_back(entry.release());
    return true;
}

bool CSelfExtract::ExtractFiles(CXString folder) {
    bool all = true;
    for (int i = 0; i < GetCount(); ++i) all = ExtractOne(i, folder) && all;
    return all;
}

bool CSelfExtract::ExtractOne(int index, CXString folder) {
    const CSelfExtractInfo* entry = GetEntry(index);
    if (!entry) return false;
    const uint8_t type = entry->GetCompressionType();
    if (type != CSelfExtractInfo::kZlib && type != CSelfExtractInfo::kStored) return false;
    if (type == CSelfExtractInfo::kStored && entry->GetCompressionLength() != entry->GetFileLength()) return false;
    FilePtr archive(platform::fopen(m_path.c_str(), "rb"));
    if (!archive) return false;
    // The record is read again: the archive may have changed since the table was read.
    uint8_t fields[kEntryHeaderLength];
    if (fseeko(archive.get(), static_cast<off_t>(entry->GetDataOffset()), SEEK_SET) != 0 ||
        !readExactly(archive.get(), fields, sizeof fields) || fields[0] != type ||
        get32(fields + 1) != entry->GetFileLength() || get32(fields + 5) != entry->GetCompressionLength())
        return false;
    platform::ConfinedFolder target(folder.c_str());
    const std::string name = entry->GetFilename().c_str();
    std::unique_ptr<platform::ConfinedFolder::PendingFile> file = target.create(name);
    if (!file) return false;
    const bool whole = type == CSelfExtractInfo::kZlib
                           ? inflateEntry(archive.get(), entry->GetCompressionLength(), entry->GetFileLength(), file->file())
                           : copyEntry(archive.get(), entry->GetFileLength(), file->file());
    archive.reset();
    if (!whole) return false;
    if (!isWaveName(entry->GetFilename())) return file->commit();
    // The Ogg data decodes into a second temporary file; when it does not decode, the
    // entry keeps its bytes and fails.
    std::unique_ptr<platform::ConfinedFolder::PendingFile> wave = target.create(name);
    if (!wave || std::fflush(file->file()) != 0) {
        file->commit();
        return false;
    }
    CXString sourcePath = folder;
    if (sourcePath.IsString() && sourcePath.lastChar() != '\\') sourcePath += "\\";
    sourcePath += entry->GetFilename();
    if (COggConverter::DecodeStream(file->detach(), wave->file(), sourcePath.c_str())) return wave->commit();
    wave.reset();
    file->commit();
    return false;
}

void CSelfExtract::AddDirectory(CXString folder) {
    CXString prefix = folder;
    if (prefix.IsString() && prefix.lastChar() != '\\') prefix += "\\";
    AddDirectory(folder, prefix);
}

namespace {

void addTree(std::vector<CSelfExtractInfo*>& entries, CXString folder, CXString prefix, int depth) {
    if (depth > kMaxFolderDepth) return;
    if (folder.IsString() && folder.lastChar() != '\\') folder += "\\";
    platform::FindData data;
    const int handle = platform::findFirst((folder + "*.*").c_str(), &data);
    if (handle < 0) return;
    do {
        const CXString name(data.name);
        if (!name.IsString() || name.lastChar() == '.') continue;
        if (data.attrib & platform::kAttribSubdir) {
            addTree(entries, folder + name, prefix + name + "\\", depth + 1);
            continue;
        }
        auto* entry = new CSelfExtractInfo();
        entry->SetFilename(prefix + name);
        entry->SetSourcePath(folder + name);
        entry->SetCompressionType(CSelfExtractInfo::kZlib);
        entries.push_back(entry);
    } while (platform::findNext(handle, &data) == 0);
    platform::findClose(handle);
}

}  // namespace

void CSelfExtract::AddDirectory(CXString folder, CXString namePrefix) { addTree(m_entries, folder, namePrefix, 0); }

bool CSelfExtract::CreateArchive(CXString path) {
    const std::string tempPath = platform::uniqueSiblingName(path.c_str());
    FilePtr out(platform::fopen(tempPath.c_str(), "w+b"));
    if (!out) return false;
    bool ok = writeExactly(out.get(), kMagic, kMagicLength) && write32(out.get(), 0);
    uint32_t count = 0;
    int64_t end = kHeaderLength;
    for (CSelfExtractInfo* entry : m_entries) {
        if (!ok) break;
        const std::string name = entry->GetFilename().c_str();
        if (!platform::ConfinedFolder::isSafeRelativeName(name)) continue;
        CXString source = entry->GetSourcePath();
        std::string oggPath;
        uint8_t type = entry->GetCompressionType();
        if (isWaveName(entry->GetFilename())) {
            oggPath = platform::uniqueSiblingName(path.c_str()) + ".ogg";
            if (!COggConverter().Encode(source, CXString(oggPath.c_str()))) {
                platform::removeFile(oggPath.c_str());
                continue;
            }
            source = CXString(oggPath.c_str());
            type = CSelfExtractInfo::kStored;
        }
        if (type != CSelfExtractInfo::kZlib && type != CSelfExtractInfo::kStored) continue;
        const int64_t length = platform::fileSize(source.c_str());
        FilePtr in(length >= 0 && length <= int64_t(UINT32_MAX) ? platform::fopen(source.c_str(), "rb") : nullptr);
        bool written = false;
        if (in && fseeko(out.get(), static_cast<off_t>(end), SEEK_SET) == 0) {
            const uint8_t typeByte = type;
            written = writeExactly(out.get(), &typeByte, 1) && write32(out.get(), static_cast<uint32_t>(length)) &&
                      write32(out.get(), 0);
            int64_t stored = -1;
            if (written) {
                stored = type == CSelfExtractInfo::kZlib ? deflateEntry(in.get(), static_cast<uint32_t>(length), out.get())
                                                        : (copyEntry(in.get(), static_cast<uint64_t>(length), out.get()) ? length : -1);
            }
            written = stored >= 0 && write32(out.get(), static_cast<uint32_t>(name.size())) &&
                      writeExactly(out.get(), name.data(), name.size()) &&
                      fseeko(out.get(), static_cast<off_t>(end + 5), SEEK_SET) == 0 &&
                      write32(out.get(), static_cast<uint32_t>(stored));
            if (written) {
                end += kEntryHeaderLength + stored + 4 + static_cast<int64_t>(name.size());
                entry->SetCompressionType(type);
                entry->SetFileLength(static_cast<uint32_t>(length));
                entry->SetCompressionLength(static_cast<uint32_t>(stored));
                ++count;
            }
        }
        in.reset();
        if (!oggPath.empty()) platform::removeFile(oggPath.c_str());
        if (std::ferror(out.get())) ok = false;
    }
    ok = ok && fseeko(out.get(), kMagicLength, SEEK_SET) == 0 && write32(out.get(), count) && std::fflush(out.get()) == 0;
    out.reset();
    if (ok) {
        // Entries left out half-way leave bytes past the last whole one.
        std::error_code error;
        std::filesystem::resize_file(platform::toNativePath(tempPath.c_str()), static_cast<uintmax_t>(end), error);
        ok = !error;
    }
    if (ok) ok = platform::replaceFile(tempPath.c_str(), path.c_str());
    if (!ok) platform::removeFile(tempPath.c_str());
    return ok;
}

bool CSelfExtract::PackFolder(CXString folder, CXString archivePath, std::string* why) {
    auto fail = [&](const std::string& text) {
        if (why) *why = text;
        return false;
    };
    while (folder.getLength() > 1 && (folder.lastChar() == '\\' || folder.lastChar() == '/'))
        folder = folder.Left(folder.getLength() - 1);
    if (!platform::isDirectory(folder.c_str())) return fail(std::string(folder.c_str()) + ": not a folder");
    const int slash = std::max(folder.FindLast('\\'), folder.FindLast('/'));
    const CXString last = folder.Right(slash + 1);
    if (!platform::ConfinedFolder::isSafeRelativeName(last.c_str()))
        return fail(std::string(folder.c_str()) + ": the folder has no name to pack under");
    CSelfExtract packer;
    packer.AddDirectory(folder, last + "\\");
    const std::string temporary = platform::uniqueSiblingName(archivePath.c_str());
    if (!packer.CreateArchive(CXString(temporary.c_str())))
        return fail(std::string(archivePath.c_str()) + ": cannot write");
    CSelfExtract check(CXString(temporary.c_str()));
    bool same = check.ReadTOC() && check.GetCount() == packer.GetCount();
    for (int i = 0; same && i < check.GetCount(); ++i)
        same = check.GetEntry(i)->GetFilename().equals(packer.GetEntry(i)->GetFilename());
    if (!same) {
        platform::removeFile(temporary.c_str());
        return fail(std::string(folder.c_str()) + ": some files could not be packed");
    }
    if (!platform::replaceFile(temporary.c_str(), archivePath.c_str())) {
        platform::removeFile(temporary.c_str());
        return fail(std::string(archivePath.c_str()) + ": cannot write");
    }
    return true;
}
