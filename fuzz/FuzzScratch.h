// One scratch file per fuzz process for targets whose readers open files by name,
// and one scratch folder for targets that need several files; removed at exit.
#pragma once
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace fuzz {

inline std::string scratchFile(const char* tag) {
    static std::string path;
    if (path.empty()) {
        const char* base = std::getenv("TMPDIR");
        std::string name = std::string(base && *base ? base : "/tmp") + "/fuzz-" + tag + "-XXXXXX";
        const int fd = mkstemp(name.data());
        if (fd < 0) std::abort();
        close(fd);
        path = name;
        std::atexit([] { unlink(path.c_str()); });
    }
    return path;
}

// The native path of the folder, without a closing "/".
inline std::string scratchFolder(const char* tag) {
    static std::string path;
    if (path.empty()) {
        const char* base = std::getenv("TMPDIR");
        std::string name = std::string(base && *base ? base : "/tmp") + "/fuzz-" + tag + "-XXXXXX";
        if (!mkdtemp(name.data())) std::abort();
        path = name;
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        });
    }
    return path;
}

}  // namespace fuzz
