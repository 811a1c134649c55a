#include "graphics/core/ImageLibrary.h"

#include <IL/il.h>
#include <IL/ilu.h>

#include <atomic>
#include <mutex>

namespace imagelib {

namespace {
std::atomic<int> g_starts{0};
}  // namespace

void start() {
    static std::once_flag once;
    std::call_once(once, [] {
        ilInit();
        iluInit();
        ++g_starts;
    });
}

int starts() { return g_starts.load(); }

}  // namespace imagelib
