#include "tools/Output.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

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

}  // namespace tools
