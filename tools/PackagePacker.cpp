#include "tools/PackagePacker.h"

#include <climits>
#include <cstdlib>

#include "net/CSelfExtract.h"
#include "platform/FileSystem.h"
#include "tools/Output.h"

namespace tools {

namespace {

std::string realFolder(const std::string& path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) ? std::string(resolved) : std::string();
}

std::string parentOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

bool packPackage(const std::string& folder, const std::string& output, std::string* error) {
    const std::string source = platform::toEnginePath(folder);
    if (!platform::isDirectory(source.c_str())) return report(error, folder + ": not a folder");
    const std::string root = realFolder(folder), target = realFolder(parentOf(output));
    if (target.empty()) return report(error, output + ": its folder does not exist");
    if (target == root || target.rfind(root + "/", 0) == 0)
        return report(error, output + ": lies inside the folder it would pack");
    std::string why;
    if (!CSelfExtract::PackFolder(CXString(realFolder(folder).c_str()), CXString(platform::toEnginePath(output).c_str()),
                                  &why))
        return report(error, why);
    return true;
}

}  // namespace tools
