#include "tools/BigFilePacker.h"

#include <sys/statvfs.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "foundation/CBigFile.h"
#include "platform/FileSystem.h"
#include "platform/SafeFiles.h"

namespace tools {

namespace {

constexpr int kCopyChunk = 1 << 20;

std::string baseName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string folderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

int depthOf(const CBigFile::_entry* entry) {
    int deepest = 0;
    for (const auto& sub : entry->folders) {
        const int d = 1 + depthOf(sub.get());
        if (d > deepest) deepest = d;
    }
    return deepest;
}

// What keeps the tree from fitting a big file, as Create checks before it writes;
// empty when it fits.
std::string treeFault(const CBigFile& maker, const std::string& folder) {
    const CBigFile::_rootentry* toc = maker.getTOC();
    if (!toc || !toc->root) return std::string();
    if (depthOf(toc->root.get()) > CBigFile::kMaxDepth)
        return folder + ": folders nested more than " + std::to_string(CBigFile::kMaxDepth) + " deep";
    if (static_cast<int64_t>(maker.getTOCSize()) + toc->totalSize > INT32_MAX)
        return folder + ": too large for a big file (it holds less than 2 GiB)";
    return std::string();
}

// Why the write failed: errno as the writer left it, or a full disk when the
// output's folder has less room than the file needs.
std::string writeFault(const CBigFile& maker, const std::string& output, int written) {
    const CBigFile::_rootentry* toc = maker.getTOC();
    const int64_t needed = static_cast<int64_t>(maker.getTOCSize()) + (toc ? toc->totalSize : 0);
    struct statvfs space;
    if (written != ENOSPC && statvfs(folderOf(output).c_str(), &space) == 0 &&
        static_cast<int64_t>(space.f_bavail) * static_cast<int64_t>(space.f_frsize) < needed)
        written = ENOSPC;
    return output + ": cannot be written (" + writeFailure(written) + ")";
}

// The path of every file below the entry, in table order, with its record.
void collect(const CBigFile::_entry* entry, const std::string& prefix,
             std::vector<std::pair<std::string, const CBigFile::_file*>>* out) {
    for (const auto& sub : entry->folders) collect(sub.get(), prefix + sub->name.c_str() + "\\", out);
    for (const auto& f : entry->files) out->emplace_back(prefix + f->name.c_str(), f.get());
}

std::string slashed(std::string path) {
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}

}  // namespace

bool packFolder(const std::string& folder, const std::string& output, const std::string& name, std::string* error) {
    const std::string source = platform::toEnginePath(folder);
    if (!checkPackableFolder(folder, output, error)) return false;

    const std::string temporary = temporaryFor(output);
    if (temporary.empty()) return report(error, output + ": cannot be written (" + writeFailure(errno) + ")");
    CBigFile maker(false);
    const std::string header = name.empty() ? baseName(output) : name;
    errno = 0;
    const bool made = maker.Create(CXString(source.c_str()), CXString(header.c_str()),
                                   CXString(platform::toEnginePath(temporary).c_str()));
    const int written = errno;
    const std::string fault = treeFault(maker, folder);
    // The writer counts the files on one line, ended here.
    const CBigFile::_rootentry* toc = maker.getTOC();
    if (fault.empty() && toc && toc->fileCount > 0) std::printf("\n");
    std::fflush(stdout);
    if (!made) {
        std::remove(temporary.c_str());
        return report(error, fault.empty() ? writeFault(maker, output, written) : fault);
    }
    bool opens = false;
    {
        CBigFile check(CXString(platform::toEnginePath(temporary).c_str()));
        opens = check.LastError() == 0;
    }
    return finishOutput(temporary, output, opens, "the packed file does not open again", error);
}

namespace {

// Opens the big file for reading; false with a message naming the fault.
bool openBigFile(const std::string& bigFile, std::unique_ptr<CBigFile>* big, std::string* error) {
    if (!checkInputFile(bigFile, error)) return false;
    *big = std::make_unique<CBigFile>(CXString(platform::toEnginePath(bigFile).c_str()));
    if ((*big)->LastError() != 0 || !(*big)->getTOC())
        return report(error, bigFile + ": not a big file, or a damaged one (its table does not read)");
    return true;
}

}  // namespace

bool listBigFile(const std::string& bigFile, std::vector<ListedFile>* files, std::string* error) {
    std::unique_ptr<CBigFile> big;
    if (!openBigFile(bigFile, &big, error)) return false;
    std::vector<std::pair<std::string, const CBigFile::_file*>> all;
    collect(big->getTOC()->root.get(), std::string(), &all);
    files->clear();
    for (const auto& [path, file] : all) files->push_back(ListedFile{slashed(path), file->size});
    return true;
}

bool extractBigFile(const std::string& bigFile, const std::string& folder, std::string* error) {
    std::unique_ptr<CBigFile> big;
    if (!openBigFile(bigFile, &big, error)) return false;
    std::vector<std::pair<std::string, const CBigFile::_file*>> all;
    collect(big->getTOC()->root.get(), std::string(), &all);
    for (const auto& entry : all)
        if (!platform::ConfinedFolder::isSafeRelativeName(entry.first))
            return report(error,
                          bigFile + ": the name \"" + entry.first + "\" would leave the folder; nothing extracted");
    platform::ConfinedFolder target(platform::toEnginePath(folder).c_str());
    if (!target.isOpen()) return report(error, folder + ": cannot be made or opened as a folder");
    std::vector<char> buffer;
    for (const auto& [path, file] : all) {
        const std::string shown = folder + "/" + slashed(path);
        std::unique_ptr<platform::ConfinedFolder::PendingFile> out = target.create(path);
        if (!out) return report(error, shown + ": cannot be written (" + writeFailure(errno) + ")");
        int64_t offset = file->offset;
        int left = file->size;
        while (left > 0) {
            const int chunk = left < kCopyChunk ? left : kCopyChunk;
            buffer.resize(static_cast<size_t>(chunk));
            if (big->ReadAt(offset, buffer.data(), chunk) != chunk)
                return report(error, bigFile + ": the data of " + slashed(path) + " ends early");
            if (std::fwrite(buffer.data(), 1, static_cast<size_t>(chunk), out->file()) != static_cast<size_t>(chunk))
                return report(error, shown + ": cannot be written (" + writeFailure(errno) + ")");
            offset += chunk;
            left -= chunk;
        }
        errno = 0;
        if (!out->commit()) return report(error, shown + ": cannot be written (" + writeFailure(errno) + ")");
    }
    return true;
}

}  // namespace tools
