// Big-file reader: the input is written to a file and opened; every file of
// the loaded table of contents must then be found again by its path.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "foundation/CBigFile.h"
#include "fuzz/FuzzScratch.h"
#include "platform/FileSystem.h"

namespace {

std::string scratchFile() { return fuzz::scratchFile("bigfile"); }

bool plainName(const CXString& name) { return name.IsString() && name.Find('\\') < 0; }

// Every file reached through folders whose names are unique (ignoring case)
// and hold no backslash must be found by its path.
void walk(CBigFile& big, const CBigFile::_entry* entry, const CXString& prefix, bool reachable) {
    for (const auto& f : entry->files) {
        const CXString path = prefix + f->name.c_str();
        const bool found = big.FileExists(path);
        if (reachable && plainName(f->name) && !found) std::abort();
        if (found && big.GetSize(path) < 0) std::abort();
        big.Seek(path);
    }
    for (size_t i = 0; i < entry->folders.size(); ++i) {
        const CXString& name = entry->folders[i]->name;
        bool first = true;
        for (size_t j = 0; j < i; ++j)
            if (CXString(entry->folders[j]->name).Lower() == CXString(name).Lower()) first = false;
        walk(big, entry->folders[i].get(), prefix + name.c_str() + "\\", reachable && first && plainName(name));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = scratchFile();
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    if (size > 0) std::fwrite(data, 1, size, f);
    std::fclose(f);

    CBigFile big(CXString(platform::toEnginePath(path).c_str()));
    if (const CBigFile::_rootentry* toc = big.getTOC()) {
        walk(big, toc->root.get(), "\\", true);
        _finddata_t found;
        big.FindFirst("*", &found);
        big.FindFirst("*.txt", &found);
        big.GetCurrentDirectoryA();
        for (const auto& sub : toc->root->folders) {
            if (big.chdir(sub->name) == 0) {
                big.GetCurrentDirectoryA();
                big.chdir("..");
            }
        }
    }
    return 0;
}
