#include "host/HostTasks.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "foundation/CBigFile.h"
#include "net/CSelfExtract.h"
#include "platform/FileSystem.h"
#include "scene/CVondrelWEB.h"
#include "shell/CCommandLine6.h"

namespace host {

namespace {

std::string executableName() {
    std::error_code failed;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", failed);
    return failed ? std::string("vondrel") : self.filename().string();
}

int failure(const char* program, const char* option, const std::string& why) {
    std::fprintf(stderr, "%s: %s: %s\n", program, option, why.c_str());
    return 1;
}

}  // namespace

void recordEngineLocation() {
    const CXString key(CVondrelWEB::kEngineKey);
    if (!CVondrelWEB::get_registry(CVondrelWEB::kCurrentUser, key, CXString("Path")).IsString()) {
        std::string folder = platform::getExecutableFolder();
        if (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
        CVondrelWEB::set_registry(CVondrelWEB::kCurrentUser, key, CXString("Path"), CXString(folder.c_str()));
    }
    if (!CVondrelWEB::get_registry(CVondrelWEB::kCurrentUser, key, CXString("File")).IsString())
        CVondrelWEB::set_registry(CVondrelWEB::kCurrentUser, key, CXString("File"), CXString(executableName().c_str()));
}

bool runTask(const CCommandLine6& commandLine, const std::string& bigFile, const char* program, int* status) {
    if (commandLine.isParameter(CXString("uninstall"))) {
        *status = CVondrelWEB::uninstall(commandLine.getParameter(CXString("game")));
        return true;
    }
    if (commandLine.isParameter(CXString("pack"))) {
        std::string why;
        *status = CSelfExtract::PackFolder(commandLine.getPackDir(), commandLine.getPackFile(), &why)
                      ? 0
                      : failure(program, "-pack", why);
        return true;
    }
    if (commandLine.isCreateBigFile()) {
        const CXString folder = commandLine.getPath();
        if (!folder.IsString() || !platform::isDirectory(folder.c_str()))
            *status = failure(program, "-bigfile", std::string(folder.c_str()) + ": not a folder (give it with -path)");
        else if (bigFile.empty())
            *status = failure(program, "-bigfile", "no file to write (give it with --big-file)");
        else {
            const size_t slash = bigFile.find_last_of("\\/");
            const std::string name = slash == std::string::npos ? bigFile : bigFile.substr(slash + 1);
            CBigFile maker(false);
            std::string why;
            if (!maker.Create(folder, CXString(name.c_str()), CXString(bigFile.c_str()), &why)) {
                *status = failure(program, "-bigfile", why);
            } else {
                CBigFile check(CXString(bigFile.c_str()));
                *status = check.LastError() == 0 ? 0 : failure(program, "-bigfile", bigFile + ": does not open again");
            }
        }
        return true;
    }
    return false;
}

}  // namespace host
