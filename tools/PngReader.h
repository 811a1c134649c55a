// PNG files for the data tools: read into 8-bit RGBA, and written from it (the
// tests make their pictures with the writer). Paths are the host's own.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tools {

struct RgbaImage {
    int width = 0;
    int height = 0;
    // width × height pixels, 4 bytes each: red, green, blue, alpha.
    std::vector<uint8_t> pixels;
};

// Any PNG (palette, grey, 16-bit, with or without alpha) as RGBA; an opaque
// file gets alpha 255. False with a message in `error` when the file cannot be
// read or decoded.
bool readPng(const std::string& path, RgbaImage* image, std::string* error);
bool writePng(const std::string& path, const RgbaImage& image, std::string* error);

}  // namespace tools
