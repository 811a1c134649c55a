// PNG files, the one place that calls libpng: any PNG (palette, grey, 16-bit, with or
// without alpha) is read as 8-bit RGB or RGBA, and 8-bit RGB or RGBA pixels are
// written (no time stamp, so equal pictures give equal files). Paths are native.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct PngPicture {
    int32_t width = 0;
    int32_t height = 0;
    // 3 (red, green, blue) or 4 (red, green, blue, alpha).
    int32_t channels = 4;
    // width × height pixels, top row first, `channels` bytes each.
    std::vector<uint8_t> pixels;
};

// Sides above this are refused before anything is decoded.
constexpr int32_t kPngMaxSide = 16384;

// Reads the file as `channels` bytes a pixel (3 or 4); an opaque file gets alpha 255,
// and reading 3 channels composes alpha over black. Sides larger than maxSide (at most
// kPngMaxSide) are refused. False with a message in `error` when the file cannot be
// read or decoded.
bool readPng(const std::string& path, int32_t channels, PngPicture* picture, std::string* error = nullptr,
             int32_t maxSide = kPngMaxSide);
// False with a message in `error` when the pixels do not match the sizes or the file
// cannot be written.
bool writePng(const std::string& path, const PngPicture& picture, std::string* error = nullptr);

}  // namespace platform
