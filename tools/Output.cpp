#include "tools/Output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <random>

#include "platform/FileSystem.h"

namespace tools {

bool report(std::string* error, const std::string& text) {
    if (error) *error = text;
    return false;
}

std::string temporaryFor(const std::string& output) {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device entropy;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = output + ".";
        for (int i = 0; i < 6; ++i) name += kLetters[entropy() % 62];
        name += ".tmp";
        // O_EXCL reserves the name; the mode is the usual one for new files (umask applies).
        const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            close(fd);
            return name;
        }
        if (errno != EEXIST) return std::string();
    }
    errno = EEXIST;
    return std::string();
}

bool finishOutput(const std::string& temporary, const std::string& output, bool written, const std::string& failure,
                  std::string* error) {
    if (!written) {
        std::remove(temporary.c_str());
        return report(error, output + ": " + failure);
    }
    if (std::rename(temporary.c_str(), output.c_str()) != 0) {
        const std::string why = std::strerror(errno);
        std::remove(temporary.c_str());
        return report(error, output + ": " + why);
    }
    return true;
}

std::string realFolder(const std::string& path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) ? std::string(resolved) : std::string();
}

bool checkPackableFolder(const std::string& folder, const std::string& output, std::string* error) {
    if (!platform::isDirectory(platform::toEnginePath(folder).c_str())) return report(error, folder + ": not a folder");
    const size_t slash = output.find_last_of('/');
    const std::string parent = slash == std::string::npos ? "." : slash == 0 ? "/" : output.substr(0, slash);
    const std::string root = realFolder(folder), target = realFolder(parent);
    if (target.empty()) return report(error, output + ": its folder does not exist");
    if (target == root || target.rfind(root + "/", 0) == 0)
        return report(error, output + ": lies inside the folder it would pack");
    return true;
}

bool checkInputFile(const std::string& path, std::string* error) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT) return report(error, path + ": does not exist");
        return report(error, path + ": cannot be read (" + std::strerror(errno) + ")");
    }
    if (S_ISDIR(info.st_mode)) return report(error, path + ": is a folder");
    return true;
}

std::string writeFailure(int error) {
    if (error == ENOSPC || error == EDQUOT) return "the disk is full";
    return error ? std::strerror(error) : "the write failed";
}

void printListing(const std::vector<ListedFile>& files) {
    for (const ListedFile& f : files) std::printf("%10lld  %s\n", static_cast<long long>(f.size), f.path.c_str());
    std::fflush(stdout);
}

}  // namespace tools
