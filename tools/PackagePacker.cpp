#include "tools/PackagePacker.h"

#include "net/CSelfExtract.h"
#include "platform/FileSystem.h"
#include "tools/Output.h"

namespace tools {

bool packPackage(const std::string& folder, const std::string& output, std::string* error) {
    if (!checkPackableFolder(folder, output, error)) return false;
    std::string why;
    if (!CSelfExtract::PackFolder(CXString(realFolder(folder).c_str()), CXString(platform::toEnginePath(output).c_str()),
                                  &why))
        return report(error, why);
    return true;
}

}  // namespace tools
