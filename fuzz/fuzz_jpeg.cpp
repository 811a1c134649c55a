// JPEG decoding from memory: header, then the pixels at both depths.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "graphics/image/JPEG.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    JPEG jpeg(reinterpret_cast<const char*>(data), size);
    if (!jpeg.isOk()) return 0;
    if (jpeg.getWidth() < 1 || jpeg.getHeight() < 1 || jpeg.getWidth() > JPEG::kMaxSide || jpeg.getHeight() > JPEG::kMaxSide)
        std::abort();
    char* pixels = jpeg.decompress(size % 2 ? 15 : 16);
    // Touch the last pixel so that a short buffer shows.
    if (pixels) pixels[static_cast<size_t>(jpeg.getWidth()) * jpeg.getHeight() * 2 - 1] ^= 1;
    delete[] pixels;
    return 0;
}
