// One scratch file per fuzz process for targets whose readers open files by name;
// removed at exit.
#pragma once
#include <cstdlib>
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

}  // namespace fuzz
