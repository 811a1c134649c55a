#include "tools/Output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tools {

bool report(std::string* error, const std::string& text) {
    if (error) *error = text;
    return false;
}

std::string temporaryFor(const std::string& output) { return output + ".tmp"; }

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
