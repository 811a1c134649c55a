#include "platform/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cerrno>
#include <cstdio>
#include <climits>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace platform {

namespace {

// ---- case folding ----------------------------------------------------------

struct FoldTable {
    unsigned char lower[256];
    FoldTable() {
        for (int i = 0; i < 256; ++i) lower[i] = static_cast<unsigned char>(i);
        for (int c = 'A'; c <= 'Z'; ++c) lower[c] = static_cast<unsigned char>(c + 32);
        static const unsigned char pairs[][2] = {{0x8C, 0x9C}, {0x8F, 0x9F}, {0xA3, 0xB3},
                                                 {0xA5, 0xB9}, {0xAF, 0xBF}, {0xC6, 0xE6},
                                                 {0xCA, 0xEA}, {0xD1, 0xF1}, {0xD3, 0xF3}};
        for (const auto& p : pairs) lower[p[0]] = p[1];
    }
};

const FoldTable& foldTable() {
    static const FoldTable table;
    return table;
}

std::string folded(const std::string& s) {
    std::string out(s);
    const FoldTable& t = foldTable();
    for (char& c : out) c = static_cast<char>(t.lower[static_cast<unsigned char>(c)]);
    return out;
}

bool isSeparator(char c) { return c == '\\' || c == '/'; }

bool isDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The native current directory, or empty when it cannot be read.
std::string nativeCwd() {
    std::vector<char> buf(PATH_MAX);
    while (getcwd(buf.data(), buf.size()) == nullptr) {
        if (errno != ERANGE || buf.size() > (1u << 20)) return std::string();
        buf.resize(buf.size() * 2);
    }
    return std::string(buf.data());
}

std::string joinNative(const std::string& dir, const std::string& name) {
    if (dir.empty()) return name;
    if (dir.back() == '/') return dir + name;
    return dir + "/" + name;
}

std::string parentOf(const std::string& nativePath) {
    const size_t slash = nativePath.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return nativePath.substr(0, slash);
}

// An absolute form of a normalized native path, for cache keys and prefixes.
std::string absoluteNative(const std::string& nativePath) {
    if (!nativePath.empty() && nativePath[0] == '/') return nativePath;
    const std::string cwd = nativeCwd();
    if (nativePath.empty() || nativePath == ".") return cwd;
    return joinNative(cwd, nativePath);
}

// ---- directory listing cache -------------------------------------------------

struct DirStamp {
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    struct timespec mtime = {};
    bool operator==(const DirStamp& o) const {
        return dev == o.dev && ino == o.ino && size == o.size && mtime.tv_sec == o.mtime.tv_sec &&
               mtime.tv_nsec == o.mtime.tv_nsec;
    }
};

struct Listing {
    DirStamp stamp;
    std::unordered_set<std::string> exact;
    // Folded name -> the first spelling in byte order.
    std::unordered_map<std::string, std::string> byFolded;
};

constexpr size_t kMaxCachedDirectories = 4096;

std::mutex g_cacheMutex;
std::unordered_map<std::string, Listing> g_cache;

bool stampOf(const std::string& dir, DirStamp* stamp) {
    struct stat st;
    if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    stamp->dev = st.st_dev;
    stamp->ino = st.st_ino;
    stamp->size = st.st_size;
    stamp->mtime = st.st_mtim;
    return true;
}

// The listing of a directory (absolute native path), fresh or from the cache;
// null when it is no readable directory. Called with the cache lock held.
const Listing* listingOf(const std::string& absDir) {
    DirStamp stamp;
    if (!stampOf(absDir, &stamp)) {
        g_cache.erase(absDir);
        return nullptr;
    }
    auto it = g_cache.find(absDir);
    if (it != g_cache.end() && it->second.stamp == stamp) return &it->second;

    DIR* d = opendir(absDir.c_str());
    if (!d) return nullptr;
    std::vector<std::string> names;
    while (struct dirent* e = readdir(d)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
        names.emplace_back(e->d_name);
    }
    closedir(d);
    std::sort(names.begin(), names.end());

    if (g_cache.size() >= kMaxCachedDirectories) g_cache.clear();
    Listing& l = g_cache[absDir];
    l.stamp = stamp;
    l.exact.clear();
    l.byFolded.clear();
    for (const std::string& n : names) {
        l.exact.insert(n);
        l.byFolded.emplace(folded(n), n);
    }
    return &l;
}

// Drops the cached listing of the directory that holds the native path.
void invalidateParent(const std::string& nativePath) {
    const std::string dir = absoluteNative(parentOf(nativePath));
    std::lock_guard<std::mutex> lock(g_cacheMutex);
    g_cache.erase(dir);
}

// Splits a normalized native path into its components.
std::vector<std::string> components(const std::string& path) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t slash = path.find('/', start);
        if (slash == std::string::npos) slash = path.size();
        if (slash > start) parts.push_back(path.substr(start, slash - start));
        start = slash + 1;
    }
    return parts;
}

// ---- text-mode streams ----------------------------------------------------------

// A read-only text stream: the file's bytes with each "\r\n" turned into "\n",
// loaded when first read, so a stream that is only opened and closed costs no read.
struct TextReader {
    FILE* raw = nullptr;
    bool loaded = false;
    std::vector<char> data;
    size_t pos = 0;

    void load() {
        if (loaded) return;
        loaded = true;
        char chunk[65536];
        size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, raw)) > 0) data.insert(data.end(), chunk, chunk + n);
        // Drop the "\r" of every "\r\n", in place.
        size_t out = 0;
        for (size_t i = 0; i < data.size(); ++i) {
            if (data[i] == '\r' && i + 1 < data.size() && data[i + 1] == '\n') continue;
            data[out++] = data[i];
        }
        data.resize(out);
        data.shrink_to_fit();
        std::fclose(raw);
        raw = nullptr;
    }

    static ssize_t read(void* cookie, char* buf, size_t size) {
        auto* self = static_cast<TextReader*>(cookie);
        self->load();
        if (self->pos >= self->data.size()) return 0;
        const size_t n = std::min(size, self->data.size() - self->pos);
        std::memcpy(buf, self->data.data() + self->pos, n);
        self->pos += n;
        return static_cast<ssize_t>(n);
    }

    static ssize_t write(void*, const char*, size_t) {
        errno = EBADF;
        return -1;
    }

    static int seek(void* cookie, off64_t* offset, int whence) {
        auto* self = static_cast<TextReader*>(cookie);
        self->load();
        off64_t base = 0;
        if (whence == SEEK_CUR) base = static_cast<off64_t>(self->pos);
        else if (whence == SEEK_END) base = static_cast<off64_t>(self->data.size());
        else if (whence != SEEK_SET) {
            errno = EINVAL;
            return -1;
        }
        const off64_t target = base + *offset;
        if (target < 0) {
            errno = EINVAL;
            return -1;
        }
        self->pos = static_cast<size_t>(target);
        *offset = target;
        return 0;
    }

    static int close(void* cookie) {
        auto* self = static_cast<TextReader*>(cookie);
        if (self->raw) std::fclose(self->raw);
        delete self;
        return 0;
    }
};

// ---- directory searches -----------------------------------------------------------

struct Search {
    std::vector<FindData> entries;
    size_t next = 0;
};

std::mutex g_searchMutex;
std::map<int, std::unique_ptr<Search>> g_searches;
int g_nextHandle = 0;

void fillFindData(const std::string& dir, const std::string& name, FindData* out) {
    *out = FindData();
    std::strncpy(out->name, name.c_str(), sizeof out->name - 1);
    struct stat st;
    const std::string full = joinNative(dir, name);
    if (stat(full.c_str(), &st) != 0 && lstat(full.c_str(), &st) != 0) return;
    if (S_ISDIR(st.st_mode)) {
        out->attrib = kAttribSubdir;
    } else {
        out->attrib = kAttribArchive;
        out->size = st.st_size > 0xFFFFFFFFLL ? 0xFFFFFFFFu : static_cast<uint32_t>(st.st_size);
    }
    if ((st.st_mode & S_IWUSR) == 0) out->attrib |= kAttribReadOnly;
    out->time_create = st.st_ctime;
    out->time_access = st.st_atime;
    out->time_write = st.st_mtime;
}

bool wildcardMatch(const unsigned char* n, const unsigned char* p) {
    const FoldTable& t = foldTable();
    // Iterative glob with single-star backtracking.
    const unsigned char* starP = nullptr;
    const unsigned char* starN = nullptr;
    while (*n) {
        if (*p == '*') {
            starP = ++p;
            starN = n;
        } else if (*p == '?' || (*p && t.lower[*p] == t.lower[*n])) {
            ++p;
            ++n;
        } else if (starP) {
            p = starP;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (*p == '*') ++p;
    return *p == 0;
}

// ---- drive types -----------------------------------------------------------------

std::mutex g_driveMutex;
std::vector<std::pair<std::string, int>> g_driveOverrides;

// Whether prefix (absolute native) covers path (absolute native), ignoring case,
// by whole components.
bool coversPath(const std::string& prefix, const std::string& path) {
    if (prefix == "/") return true;
    if (path.size() < prefix.size()) return false;
    if (!equalsIgnoreCase(path.substr(0, prefix.size()), prefix)) return false;
    return path.size() == prefix.size() || path[prefix.size()] == '/';
}

std::string unescapeMountField(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] >= '0' && s[i + 1] <= '7') {
            out += static_cast<char>(((s[i + 1] - '0') << 6) | ((s[i + 2] - '0') << 3) | (s[i + 3] - '0'));
            i += 3;
        } else {
            out += s[i];
        }
    }
    return out;
}

std::string readMountTable() {
    std::string text;
    FILE* f = ::fopen("/proc/self/mountinfo", "r");
    if (!f) return text;
    char buf[8192];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    std::fclose(f);
    return text;
}

}  // namespace

// ---- path translation ----------------------------------------------------------

unsigned char foldCase(unsigned char c) { return foldTable().lower[c]; }

bool equalsIgnoreCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    const FoldTable& t = foldTable();
    for (size_t i = 0; i < a.size(); ++i)
        if (t.lower[static_cast<unsigned char>(a[i])] != t.lower[static_cast<unsigned char>(b[i])]) return false;
    return true;
}

std::string normalizePath(const char* enginePath) {
    if (!enginePath) return std::string();
    std::string in(enginePath);
    size_t i = 0;
    bool hadDrive = false;
    if (in.size() >= 2 && isDriveLetter(in[0]) && in[1] == ':') {
        i = 2;
        hadDrive = true;
    }
    std::string out;
    bool lastSep = false;
    for (; i < in.size(); ++i) {
        if (isSeparator(in[i])) {
            if (!lastSep) out += '/';
            lastSep = true;
        } else {
            out += in[i];
            lastSep = false;
        }
    }
    if (out.size() > 1 && out.back() == '/') out.pop_back();
    if (out.empty() && hadDrive) out = ".";
    return out;
}

std::string toNativePath(const char* enginePath) {
    const std::string path = normalizePath(enginePath);
    if (path.empty()) return path;
    struct stat st;
    if (lstat(path.c_str(), &st) == 0) return path;  // exact spelling exists

    const bool absolute = path[0] == '/';
    const std::vector<std::string> parts = components(path);
    std::string result = absolute ? "/" : "";
    std::string absDir = absolute ? "/" : nativeCwd();
    if (absDir.empty()) return path;

    std::lock_guard<std::mutex> lock(g_cacheMutex);
    for (size_t k = 0; k < parts.size(); ++k) {
        const std::string& part = parts[k];
        std::string actual = part;
        bool found = part == "." || part == "..";
        if (!found) {
            if (const Listing* l = listingOf(absDir)) {
                if (l->exact.count(part)) {
                    found = true;
                } else {
                    auto it = l->byFolded.find(folded(part));
                    if (it != l->byFolded.end()) {
                        actual = it->second;
                        found = true;
                    }
                }
            }
        }
        if (!found) {
            // Nothing below a missing component can exist: the rest stays as written.
            for (size_t r = k; r < parts.size(); ++r) {
                if (!result.empty() && result.back() != '/') result += '/';
                result += parts[r];
            }
            return result;
        }
        if (!result.empty() && result.back() != '/') result += '/';
        result += actual;
        absDir = joinNative(absDir, actual);
    }
    return result;
}

std::string toEnginePath(const std::string& nativePath) {
    std::string out;
    if (!nativePath.empty() && nativePath[0] == '/') out = "C:";
    for (char c : nativePath) out += c == '/' ? '\\' : c;
    return out;
}

void invalidateDirectoryCache() {
    std::lock_guard<std::mutex> lock(g_cacheMutex);
    g_cache.clear();
}

// ---- current directory -------------------------------------------------------------

std::string getCurrentDirectory() {
    const std::string cwd = nativeCwd();
    if (cwd.empty()) return cwd;
    return toEnginePath(cwd);
}

int setCurrentDirectory(const char* enginePath) {
    const std::string native = toNativePath(enginePath);
    if (native.empty()) {
        errno = ENOENT;
        return -1;
    }
    return chdir(native.c_str()) == 0 ? 0 : -1;
}

// ---- files -----------------------------------------------------------------------

FILE* fopen(const char* enginePath, const char* mode) {
    if (!enginePath || !mode || (mode[0] != 'r' && mode[0] != 'w' && mode[0] != 'a')) {
        errno = EINVAL;
        return nullptr;
    }
    bool plus = false;
    bool binary = false;
    for (const char* m = mode + 1; *m; ++m) {
        if (*m == '+') plus = true;
        else if (*m == 'b') binary = true;
        // "t" and the Windows-only flags ("c", "n", "S", "R", "T", "D") change nothing here.
    }
    const std::string native = toNativePath(enginePath);
    if (native.empty()) {
        errno = ENOENT;
        return nullptr;
    }
    std::string nativeMode(1, mode[0]);
    if (plus) nativeMode += '+';

    FILE* f = ::fopen(native.c_str(), nativeMode.c_str());
    if (mode[0] != 'r') invalidateParent(native);
    if (!f) return nullptr;
    struct stat st;
    if (fstat(fileno(f), &st) == 0 && S_ISDIR(st.st_mode)) {
        std::fclose(f);
        errno = EISDIR;
        return nullptr;
    }
    if (binary || plus || mode[0] != 'r') return f;

    // Read-only text mode: "\r\n" reads as "\n".
    auto* reader = new TextReader;
    reader->raw = f;
    cookie_io_functions_t io;
    io.read = &TextReader::read;
    io.write = &TextReader::write;
    io.seek = &TextReader::seek;
    io.close = &TextReader::close;
    FILE* text = fopencookie(reader, "r", io);
    if (!text) {
        std::fclose(f);
        delete reader;
        return nullptr;
    }
    return text;
}

bool exists(const char* enginePath) {
    const std::string native = toNativePath(enginePath);
    struct stat st;
    return !native.empty() && stat(native.c_str(), &st) == 0;
}

bool isDirectory(const char* enginePath) {
    const std::string native = toNativePath(enginePath);
    struct stat st;
    return !native.empty() && stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int64_t readAt(FILE* file, int64_t offset, void* buffer, size_t count) {
    if (!file || offset < 0 || (!buffer && count > 0)) return -1;
    const int fd = fileno(file);
    if (fd < 0) return -1;
    size_t done = 0;
    while (done < count) {
        const ssize_t got = pread(fd, static_cast<char*>(buffer) + done, count - done, static_cast<off_t>(offset + done));
        if (got < 0) {
            if (errno == EINTR) continue;
            return done > 0 ? static_cast<int64_t>(done) : -1;
        }
        if (got == 0) break;
        done += static_cast<size_t>(got);
    }
    return static_cast<int64_t>(done);
}

int64_t fileSize(const char* enginePath) {
    const std::string native = toNativePath(enginePath);
    struct stat st;
    if (native.empty() || stat(native.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    return static_cast<int64_t>(st.st_size);
}

bool removeFile(const char* enginePath) {
    const std::string native = toNativePath(enginePath);
    if (native.empty() || isDirectory(enginePath)) return false;
    const bool ok = unlink(native.c_str()) == 0;
    invalidateParent(native);
    return ok;
}

namespace {

// Renames without replacing an existing target, in one step where the file
// system allows it. Where it refuses RENAME_NOREPLACE, a hard link and an unlink
// do the same: link fails on an existing name as well.
bool renameNoReplace(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return false;
    struct stat st;
    if (lstat(from.c_str(), &st) != 0) return false;
    if (S_ISDIR(st.st_mode)) {
        // A folder cannot be hard-linked; mkdir reserves the name (it fails on
        // any existing one) and the rename then replaces that empty folder.
        if (mkdir(to.c_str(), 0700) != 0) return false;
        if (rename(from.c_str(), to.c_str()) != 0) {
            const int error = errno;
            rmdir(to.c_str());
            errno = error;
            return false;
        }
        return true;
    }
    if (link(from.c_str(), to.c_str()) != 0) {
        // Without hard links either, a check before the rename is all there is.
        if (errno != EPERM && errno != EOPNOTSUPP) return false;
        if (lstat(to.c_str(), &st) == 0 || errno != ENOENT) {
            errno = EEXIST;
            return false;
        }
        return rename(from.c_str(), to.c_str()) == 0;
    }
    if (unlink(from.c_str()) != 0) {
        const int error = errno;
        unlink(to.c_str());
        errno = error;
        return false;
    }
    return true;
}

}  // namespace

bool renameFile(const char* fromEnginePath, const char* toEngine) {
    const std::string from = toNativePath(fromEnginePath);
    const std::string to = toNativePath(toEngine);
    if (from.empty() || to.empty()) return false;
    // MoveFile does not replace an existing target.
    const bool ok = renameNoReplace(from, to);
    invalidateParent(from);
    invalidateParent(to);
    return ok;
}

bool makeDirectory(const char* enginePath) {
    const std::string native = toNativePath(enginePath);
    if (native.empty()) return false;
    const bool ok = mkdir(native.c_str(), 0777) == 0;
    invalidateParent(native);
    return ok;
}

bool removeDirectory(const char* enginePath) {
    const std::string native = toNativePath(enginePath);
    if (native.empty()) return false;
    const bool ok = rmdir(native.c_str()) == 0;
    invalidateParent(native);
    {
        std::lock_guard<std::mutex> lock(g_cacheMutex);
        g_cache.erase(absoluteNative(native));
    }
    return ok;
}

namespace {

// Test hook: the bytes a file written through this layer may take (-1: no limit).
std::atomic<int64_t> g_freeSpaceLimit{-1};

// Writes the whole block; false with errno set when a write fails or the
// simulated free space runs out (ENOSPC after the bytes that fit).
bool writeAll(int fd, const void* data, size_t size) {
    const char* bytes = static_cast<const char*>(data);
    const int64_t limit = g_freeSpaceLimit.load();
    size_t allowed = size;
    if (limit >= 0) {
        const off_t at = lseek(fd, 0, SEEK_CUR);
        const int64_t room = at < 0 ? 0 : std::max<int64_t>(0, limit - static_cast<int64_t>(at));
        if (static_cast<int64_t>(size) > room) allowed = static_cast<size_t>(room);
    }
    size_t done = 0;
    while (done < allowed) {
        const ssize_t w = write(fd, bytes + done, allowed - done);
        if (w < 0 && errno == EINTR) continue;
        if (w < 0) return false;
        if (w == 0) {
            errno = ENOSPC;
            return false;
        }
        done += static_cast<size_t>(w);
    }
    if (allowed < size) {
        errno = ENOSPC;
        return false;
    }
    return true;
}

// The file a native path names: symbolic links followed (relative ones against
// their own folder), at most 40 of them; a dangling link names its missing target.
std::string linkTarget(const std::string& native) {
    std::string path = native;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        std::vector<char> buf(static_cast<size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
        const ssize_t n = readlink(path.c_str(), buf.data(), buf.size());
        if (n <= 0 || static_cast<size_t>(n) >= buf.size()) return path;
        const std::string to(buf.data(), static_cast<size_t>(n));
        path = to[0] == '/' ? to : joinNative(parentOf(path), to);
    }
    return path;
}

// Creates a new file with a unique name beside the target (its name plus "."
// and six random characters) for writing; with exactMode the mode is set as
// given, otherwise it is the mode less the process's umask. The descriptor, or
// -1 with errno set.
int createTemporaryBeside(const std::string& target, mode_t mode, bool exactMode, std::string* temp) {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static std::atomic<uint64_t> counter{0};
    uint64_t seed = static_cast<uint64_t>(getpid()) * 0x9E3779B97F4A7C15ull ^
                    static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    for (int attempt = 0; attempt < 100; ++attempt) {
        uint64_t v = seed ^ (counter.fetch_add(1) * 0xD1B54A32D192ED03ull);
        std::string name = target + ".";
        for (int i = 0; i < 6; ++i) {
            name += kLetters[v % 62];
            v /= 62;
        }
        const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, exactMode ? 0600 : mode);
        if (fd >= 0) {
            if (exactMode && fchmod(fd, mode) != 0) {
                const int error = errno;
                close(fd);
                unlink(name.c_str());
                errno = error;
                return -1;
            }
            *temp = name;
            return fd;
        }
        if (errno != EEXIST) return -1;
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
    }
    errno = EEXIST;
    return -1;
}

// Flushes the folder that holds the path, so that a rename in it survives a power cut.
void syncFolderOf(const std::string& native) {
    const int dir = open(parentOf(native).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return;
    fsync(dir);
    close(dir);
}

}  // namespace

bool copyFile(const char* fromEnginePath, const char* toEngine, bool failIfExists) {
    const std::string from = toNativePath(fromEnginePath);
    const std::string to = toNativePath(toEngine);
    if (from.empty() || to.empty()) return false;
    const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return false;
    struct stat source;
    if (fstat(in, &source) != 0 || !S_ISREG(source.st_mode)) {
        close(in);
        return false;
    }
    // The copy is made under a temporary name beside the target (through a link,
    // beside the file it names) and renamed over it only when complete, so a
    // failed copy leaves the old target whole. A copy onto the source itself
    // (another spelling, a link) fails before anything is written.
    const std::string target = linkTarget(to);
    struct stat existing;
    const bool exists = stat(target.c_str(), &existing) == 0;
    if (exists && (!S_ISREG(existing.st_mode) || (existing.st_dev == source.st_dev && existing.st_ino == source.st_ino) ||
                   failIfExists)) {
        close(in);
        return false;
    }
    std::string temp;
    const int out = createTemporaryBeside(target, exists ? existing.st_mode & 07777 : 0666, exists, &temp);
    if (out < 0) {
        close(in);
        return false;
    }
    bool ok = true;
    std::vector<char> buf(65536);
    for (;;) {
        const ssize_t n = read(in, buf.data(), buf.size());
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        if (!writeAll(out, buf.data(), static_cast<size_t>(n))) {
            ok = false;
            break;
        }
    }
    close(in);
    if (ok) ok = fsync(out) == 0;
    if (close(out) != 0) ok = false;
    // failIfExists decides in the rename itself: a file that appeared meanwhile stays.
    if (ok) ok = failIfExists ? renameNoReplace(temp, target) : std::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) unlink(temp.c_str());
    else syncFolderOf(target);
    invalidateParent(target);
    invalidateParent(to);
    return ok;
}

// ---- directory search -------------------------------------------------------------

bool matchesWildcard(const char* name, const char* pattern) {
    if (!name || !pattern) return false;
    if (std::strcmp(pattern, "*.*") == 0 || std::strcmp(pattern, "*") == 0) return true;
    return wildcardMatch(reinterpret_cast<const unsigned char*>(name),
                         reinterpret_cast<const unsigned char*>(pattern));
}

int findFirst(const char* enginePattern, FindData* data) {
    if (!enginePattern || !data) return -1;
    const std::string path = normalizePath(enginePattern);
    if (path.empty()) return -1;
    std::string dirPart;
    std::string namePattern;
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        dirPart = ".";
        namePattern = path;
    } else {
        dirPart = slash == 0 ? "/" : path.substr(0, slash);
        namePattern = path.substr(slash + 1);
    }
    if (namePattern.empty()) return -1;
    const std::string dir = toNativePath(dirPart.c_str());

    DIR* d = opendir(dir.c_str());
    if (!d) return -1;
    std::vector<std::string> names;
    while (struct dirent* e = readdir(d))
        if (matchesWildcard(e->d_name, namePattern.c_str())) names.emplace_back(e->d_name);
    closedir(d);
    if (names.empty()) return -1;

    auto rank = [](const std::string& n) { return n == "." ? 0 : n == ".." ? 1 : 2; };
    std::sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
        if (rank(a) != rank(b)) return rank(a) < rank(b);
        const std::string fa = folded(a);
        const std::string fb = folded(b);
        if (fa != fb) return fa < fb;
        return a < b;
    });

    auto search = std::make_unique<Search>();
    search->entries.resize(names.size());
    for (size_t i = 0; i < names.size(); ++i) fillFindData(dir, names[i], &search->entries[i]);
    *data = search->entries[0];
    search->next = 1;

    std::lock_guard<std::mutex> lock(g_searchMutex);
    do {
        g_nextHandle = g_nextHandle >= INT_MAX ? 0 : g_nextHandle + 1;
    } while (g_searches.count(g_nextHandle));
    const int handle = g_nextHandle;
    g_searches[handle] = std::move(search);
    return handle;
}

int findNext(int handle, FindData* data) {
    std::lock_guard<std::mutex> lock(g_searchMutex);
    auto it = g_searches.find(handle);
    if (it == g_searches.end()) return -1;
    Search& s = *it->second;
    if (s.next >= s.entries.size()) {
        g_searches.erase(it);
        return -1;
    }
    if (data) *data = s.entries[s.next];
    ++s.next;
    return 0;
}

int findClose(int handle) {
    std::lock_guard<std::mutex> lock(g_searchMutex);
    return g_searches.erase(handle) ? 0 : -1;
}

// ---- drives --------------------------------------------------------------------

std::string mountTypeFor(const std::string& mountinfo, const std::string& realPath) {
    std::string bestPoint;
    std::string bestType;
    size_t start = 0;
    while (start < mountinfo.size()) {
        size_t end = mountinfo.find('\n', start);
        if (end == std::string::npos) end = mountinfo.size();
        // id parent major:minor root mount-point options [optional...] - type source super-options
        std::vector<std::string> fields;
        size_t i = start;
        while (i < end) {
            while (i < end && mountinfo[i] == ' ') ++i;
            size_t j = i;
            while (j < end && mountinfo[j] != ' ') ++j;
            if (j > i) fields.push_back(mountinfo.substr(i, j - i));
            i = j;
        }
        start = end + 1;
        if (fields.size() < 7) continue;
        size_t dash = 6;
        while (dash < fields.size() && fields[dash] != "-") ++dash;
        if (dash + 1 >= fields.size()) continue;
        const std::string point = unescapeMountField(fields[4]);
        const bool covers = point == "/" || realPath == point ||
                            (realPath.size() > point.size() && realPath.compare(0, point.size(), point) == 0 &&
                             realPath[point.size()] == '/');
        // A later line for the same point is a mount stacked on top: ">=" keeps it.
        if (covers && point.size() >= bestPoint.size()) {
            bestPoint = point;
            bestType = fields[dash + 1];
        }
    }
    return bestType;
}

int getDriveType(const char* enginePath) {
    const std::string norm = absoluteNative(normalizePath(enginePath ? enginePath : ""));
    {
        std::lock_guard<std::mutex> lock(g_driveMutex);
        size_t best = 0;
        int type = -1;
        for (const auto& o : g_driveOverrides) {
            if (o.first.size() >= best && coversPath(o.first, norm)) {
                best = o.first.size();
                type = o.second;
            }
        }
        if (type >= 0) return type;
    }
    // The nearest existing folder decides.
    std::string probe = absoluteNative(toNativePath(enginePath ? enginePath : ""));
    struct stat st;
    while (probe.size() > 1 && stat(probe.c_str(), &st) != 0) probe = parentOf(probe);
    char* real = realpath(probe.c_str(), nullptr);
    const std::string resolved = real ? real : probe;
    std::free(real);
    const std::string type = mountTypeFor(readMountTable(), resolved);
    if (type == "iso9660" || type == "udf") return kDriveCdrom;
    return kDriveFixed;
}

void setDriveTypeOverride(const char* enginePrefix, int type) {
    const std::string prefix = absoluteNative(normalizePath(enginePrefix ? enginePrefix : ""));
    std::lock_guard<std::mutex> lock(g_driveMutex);
    for (auto& o : g_driveOverrides) {
        if (o.first == prefix) {
            o.second = type;
            return;
        }
    }
    g_driveOverrides.emplace_back(prefix, type);
}

void clearDriveTypeOverrides() {
    std::lock_guard<std::mutex> lock(g_driveMutex);
    g_driveOverrides.clear();
}

// ---- process -----------------------------------------------------------------------

std::string getExecutableFolder() {
    std::vector<char> buf(PATH_MAX);
    ssize_t n;
    while ((n = readlink("/proc/self/exe", buf.data(), buf.size())) >= static_cast<ssize_t>(buf.size())) {
        if (buf.size() > (1u << 20)) return std::string();
        buf.resize(buf.size() * 2);
    }
    if (n <= 0) return std::string();
    const std::string exe(buf.data(), static_cast<size_t>(n));
    return toEnginePath(parentOf(exe)) + (parentOf(exe) == "/" ? "" : "\\");
}

AtomicFileWriter::AtomicFileWriter(const char* path) {
    // The translated name lands on the existing spelling (or creates the file
    // under the engine's); a symbolic link is written through, to the file it names.
    const std::string native = toNativePath(path);
    if (native.empty()) {
        m_failure.error = ENOENT;
        return;
    }
    m_target = linkTarget(native);
    struct stat st;
    mode_t mode = 0644;
    if (stat(m_target.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) {
            m_failure.error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
            return;
        }
        mode = st.st_mode & 07777;
    }
    m_fd = createTemporaryBeside(m_target, mode, true, &m_temp);
    if (m_fd < 0) {
        m_failure.error = errno;
        return;
    }
    m_failure.started = true;
}

AtomicFileWriter::~AtomicFileWriter() { discard(); }

void AtomicFileWriter::fail(int error) {
    if (m_failure.error == 0) m_failure.error = error ? error : EIO;
    discard();
}

void AtomicFileWriter::discard() {
    if (m_fd < 0) return;
    close(m_fd);
    m_fd = -1;
    unlink(m_temp.c_str());
    invalidateDirectoryCache();
}

bool AtomicFileWriter::write(const void* data, size_t size) {
    if (m_fd < 0) return false;
    if (!writeAll(m_fd, data, size)) {
        fail(errno);
        return false;
    }
    m_size += static_cast<int64_t>(size);
    return true;
}

bool AtomicFileWriter::writeAt(int64_t offset, const void* data, size_t size) {
    if (m_fd < 0) return false;
    if (offset < 0 || offset + static_cast<int64_t>(size) > m_size) {
        fail(EINVAL);
        return false;
    }
    const char* bytes = static_cast<const char*>(data);
    size_t done = 0;
    while (done < size) {
        const ssize_t w = pwrite(m_fd, bytes + done, size - done, static_cast<off_t>(offset) + static_cast<off_t>(done));
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) {
            fail(w < 0 ? errno : ENOSPC);
            return false;
        }
        done += static_cast<size_t>(w);
    }
    return true;
}

bool AtomicFileWriter::commit() {
    if (m_fd < 0) return false;
    bool ok = fsync(m_fd) == 0;
    int error = ok ? 0 : errno;
    if (close(m_fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    m_fd = -1;
    if (ok && std::rename(m_temp.c_str(), m_target.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        unlink(m_temp.c_str());
        m_failure.error = error;
    } else {
        // The rename itself reaches the disk only with its folder.
        syncFolderOf(m_target);
    }
    invalidateDirectoryCache();
    return ok;
}

bool writeFileAtomically(const char* path, const void* data, size_t size, WriteFailure* failure) {
    AtomicFileWriter writer(path);
    const bool ok = writer.write(data, size) && writer.commit();
    if (failure) *failure = writer.failure();
    return ok;
}

void setFreeSpaceLimit(int64_t bytes) { g_freeSpaceLimit.store(bytes < 0 ? -1 : bytes); }

void clearFreeSpaceLimit() { g_freeSpaceLimit.store(-1); }

}  // namespace platform
