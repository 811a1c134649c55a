#include "platform/SafeFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/FileSystem.h"

extern char** environ;

namespace platform {

namespace {

constexpr size_t kMaxNameLength = 260;
constexpr int kMaxTempAttempts = 100;
constexpr int kMaxTreeDepth = 256;

std::vector<std::string> splitComponents(const std::string& name) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : name) {
        if (c == '\\' || c == '/') {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    parts.push_back(part);
    return parts;
}

// The spelling of a component in the folder: the exact one when it exists, else the
// first that matches ignoring case, else the name as given.
std::string matchComponent(int dirFd, const std::string& name) {
    struct stat st;
    if (fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return name;
    const int copy = dup(dirFd);
    if (copy < 0) return name;
    DIR* dir = fdopendir(copy);
    if (!dir) {
        close(copy);
        return name;
    }
    std::string found = name;
    std::string best;
    while (dirent* entry = readdir(dir)) {
        const std::string candidate = entry->d_name;
        if (candidate == "." || candidate == "..") continue;
        if (equalsIgnoreCase(candidate, name) && (best.empty() || candidate < best)) best = candidate;
    }
    closedir(dir);
    return best.empty() ? found : best;
}

// Opens (creating when missing) a folder below dirFd without following a link.
int openSubfolder(int dirFd, const std::string& component) {
    const std::string name = matchComponent(dirFd, component);
    int fd = openat(dirFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) {
        if (mkdirat(dirFd, name.c_str(), 0777) != 0 && errno != EEXIST) return -1;
        fd = openat(dirFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    }
    return fd;
}

std::string uniqueSuffix() {
    static std::atomic<uint64_t> counter{0};
    const uint64_t stamp = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    return ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(counter.fetch_add(1)) + "-" +
           std::to_string(stamp % 1000000007ULL);
}

bool removeAt(int dirFd, const std::string& name, int depth) {
    struct stat st;
    if (fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return errno == ENOENT;
    if (!S_ISDIR(st.st_mode)) return unlinkat(dirFd, name.c_str(), 0) == 0;
    if (depth > kMaxTreeDepth) return false;
    const int fd = openat(dirFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    DIR* dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        return false;
    }
    std::vector<std::string> names;
    while (dirent* entry = readdir(dir)) {
        const std::string child = entry->d_name;
        if (child != "." && child != "..") names.push_back(child);
    }
    bool ok = true;
    for (const std::string& child : names) ok = removeAt(dirfd(dir), child, depth + 1) && ok;
    closedir(dir);
    return unlinkat(dirFd, name.c_str(), AT_REMOVEDIR) == 0 && ok;
}

}  // namespace

// ---- PendingFile ----------------------------------------------------------------

ConfinedFolder::PendingFile::PendingFile(int dirFd, std::string tempName, std::string finalName, FILE* file)
    : m_dirFd(dirFd), m_tempName(std::move(tempName)), m_finalName(std::move(finalName)), m_file(file) {}

ConfinedFolder::PendingFile::~PendingFile() {
    if (m_file) std::fclose(m_file);
    if (!m_done) unlinkat(m_dirFd, m_tempName.c_str(), 0);
    close(m_dirFd);
}

FILE* ConfinedFolder::PendingFile::detach() {
    FILE* file = m_file;
    m_file = nullptr;
    return file;
}

bool ConfinedFolder::PendingFile::commit() {
    bool ok = true;
    if (m_file) {
        ok = std::fflush(m_file) == 0 && !std::ferror(m_file);
        ok = (std::fclose(m_file) == 0) && ok;
        m_file = nullptr;
    }
    if (ok) ok = renameat(m_dirFd, m_tempName.c_str(), m_dirFd, m_finalName.c_str()) == 0;
    if (!ok) unlinkat(m_dirFd, m_tempName.c_str(), 0);
    m_done = true;
    invalidateDirectoryCache();
    return ok;
}

// ---- ConfinedFolder -----------------------------------------------------------

ConfinedFolder::ConfinedFolder(const char* enginePath) {
    const std::string native = toNativePath(enginePath);
    m_fd = open(native.empty() ? "." : native.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_fd >= 0) return;
    // Create the folder and its parents.
    std::string prefix;
    for (const std::string& part : splitComponents(native)) {
        prefix += part;
        if (!prefix.empty() && prefix != "/") mkdir(prefix.c_str(), 0777);
        prefix += "/";
    }
    invalidateDirectoryCache();
    m_fd = open(native.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

ConfinedFolder::~ConfinedFolder() {
    if (m_fd >= 0) close(m_fd);
}

bool ConfinedFolder::isSafeRelativeName(const std::string& name) {
    if (name.empty() || name.size() >= kMaxNameLength) return false;
    if (name.find('\0') != std::string::npos) return false;
    if (name.size() > 1 && name[1] == ':') return false;
    for (const std::string& part : splitComponents(name))
        if (part.empty() || part == "." || part == "..") return false;
    return true;
}

std::unique_ptr<ConfinedFolder::PendingFile> ConfinedFolder::create(const std::string& relativeName) {
    if (m_fd < 0 || !isSafeRelativeName(relativeName)) return nullptr;
    std::vector<std::string> parts = splitComponents(relativeName);
    const std::string last = parts.back();
    parts.pop_back();
    int dirFd = dup(m_fd);
    if (dirFd < 0) return nullptr;
    for (const std::string& part : parts) {
        const int next = openSubfolder(dirFd, part);
        close(dirFd);
        if (next < 0) {
            invalidateDirectoryCache();
            return nullptr;
        }
        dirFd = next;
    }
    invalidateDirectoryCache();
    const std::string finalName = matchComponent(dirFd, last);
    for (int attempt = 0; attempt < kMaxTempAttempts; ++attempt) {
        const std::string tempName = finalName + uniqueSuffix();
        const int fd = openat(dirFd, tempName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            break;
        }
        FILE* file = fdopen(fd, "w+b");
        if (!file) {
            close(fd);
            unlinkat(dirFd, tempName.c_str(), 0);
            break;
        }
        return std::unique_ptr<PendingFile>(new PendingFile(dirFd, tempName, finalName, file));
    }
    close(dirFd);
    return nullptr;
}

// ---- free functions -------------------------------------------------------------

bool removeTree(const char* enginePath) {
    const std::string native = toNativePath(enginePath);
    if (native.empty()) return false;
    const size_t slash = native.find_last_of('/');
    const std::string parent = slash == std::string::npos ? "." : (slash == 0 ? "/" : native.substr(0, slash));
    const std::string name = slash == std::string::npos ? native : native.substr(slash + 1);
    if (name.empty() || name == "." || name == "..") return false;
    const int parentFd = open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parentFd < 0) return false;
    const bool ok = removeAt(parentFd, name, 0);
    close(parentFd);
    invalidateDirectoryCache();
    return ok;
}

bool replaceFile(const char* fromEnginePath, const char* toEnginePath) {
    const std::string from = toNativePath(fromEnginePath);
    const std::string to = toNativePath(toEnginePath);
    const bool ok = std::rename(from.c_str(), to.c_str()) == 0;
    invalidateDirectoryCache();
    return ok;
}

std::string uniqueSiblingName(const char* enginePath) { return std::string(enginePath) + uniqueSuffix(); }

int runProgram(const std::vector<std::string>& argv) {
    if (argv.empty()) return -1;
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0) return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace platform
