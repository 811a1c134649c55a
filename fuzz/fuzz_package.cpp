// Package archives: the input is read as an archive and, when its table is accepted,
// every entry is extracted into a scratch folder. Nothing may appear outside it.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "fuzz/FuzzScratch.h"
#include "net/CSelfExtract.h"
#include "platform/FileSystem.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    namespace fs = std::filesystem;
    const fs::path folder = fuzz::scratchFolder("package");
    const fs::path archive = folder / "in.pik";
    const fs::path out = folder / "out";
    FILE* f = std::fopen(archive.c_str(), "wb");
    if (!f) std::abort();
    if (size > 0) std::fwrite(data, 1, size, f);
    std::fclose(f);
    std::error_code ec;
    fs::remove_all(out, ec);
    fs::create_directory(out, ec);

    CSelfExtract package(CXString(platform::toEnginePath(archive.string()).c_str()));
    if (package.ReadTOC()) package.ExtractFiles(CXString(platform::toEnginePath(out.string()).c_str()));

    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name != "in.pik" && name != "out") std::abort();
    }
    fs::remove_all(out, ec);
    return 0;
}
