#include "graphics/core/ImageLibrary.h"

#include <IL/il.h>
#include <IL/ilu.h>

#include <mutex>

namespace imagelib {

void start() {
    static std::once_flag once;
    std::call_once(once, [] {
        ilInit();
        iluInit();
    });
}

}  // namespace imagelib
