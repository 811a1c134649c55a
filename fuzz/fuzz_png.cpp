// The PNG layer's reader: the input is written to a file and read as 8-bit RGB or RGBA
// (the last byte chooses). A read picture has exactly its rows of pixels.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/FuzzScratch.h"
#include "platform/Png.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = fuzz::scratchFile("png");
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    if (size > 0) std::fwrite(data, 1, size, f);
    std::fclose(f);
    const int32_t channels = size > 0 && (data[size - 1] & 1) ? 4 : 3;
    platform::PngPicture picture;
    if (!platform::readPng(path, channels, &picture, nullptr, 4096)) return 0;
    if (picture.width < 1 || picture.height < 1 || picture.channels != channels ||
        picture.pixels.size() != static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height) * channels)
        std::abort();
    return 0;
}
