// PNG reading of the platform layer (frame dumps read back): the input is written to
// a file and read as 8-bit RGB. A read picture has exactly its rows of pixels.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/FuzzScratch.h"
#include "platform/Presenter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = fuzz::scratchFile("png");
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    if (size > 0) std::fwrite(data, 1, size, f);
    std::fclose(f);
    platform::RgbFrame frame;
    if (!platform::readPng(path, frame)) return 0;
    if (frame.width < 1 || frame.height < 1 ||
        frame.rgb.size() != static_cast<size_t>(frame.width) * static_cast<size_t>(frame.height) * 3)
        std::abort();
    return 0;
}
