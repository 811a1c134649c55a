#include "tools/Output.h"

#include <fcntl.h>
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

}  // namespace tools
