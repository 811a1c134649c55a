#include "tools/BigFilePacker.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "foundation/CBigFile.h"
#include "platform/FileSystem.h"
#include "tools/Output.h"

namespace tools {

namespace {

std::string baseName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool packFolder(const std::string& folder, const std::string& output, const std::string& name, std::string* error) {
    const std::string source = platform::toEnginePath(folder);
    if (!checkPackableFolder(folder, output, error)) return false;

    const std::string temporary = temporaryFor(output);
    if (temporary.empty()) return report(error, output + ": cannot write (" + std::strerror(errno) + ")");
    CBigFile maker(false);
    const std::string header = name.empty() ? baseName(output) : name;
    const bool made = maker.Create(CXString(source.c_str()), CXString(header.c_str()),
                                   CXString(platform::toEnginePath(temporary).c_str()));
    std::fflush(stdout);
    if (!made)
        return finishOutput(temporary, output, false, "cannot pack " + folder + " (unreadable files, or 2 GiB or more)",
                            error);
    bool opens = false;
    {
        CBigFile check(CXString(platform::toEnginePath(temporary).c_str()));
        opens = check.LastError() == 0;
    }
    return finishOutput(temporary, output, opens, "the packed file does not open again", error);
}

}  // namespace tools
