#include "tools/PngReader.h"

#include <png.h>

#include <cstring>

namespace tools {

namespace {

// Pictures above this many pixels a side are refused before any allocation.
constexpr png_uint_32 kMaxSide = 8192;

}  // namespace

bool readPng(const std::string& path, RgbaImage* image, std::string* error) {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) {
        if (error) *error = path + ": " + png.message;
        return false;
    }
    if (png.width == 0 || png.height == 0 || png.width > kMaxSide || png.height > kMaxSide) {
        png_image_free(&png);
        if (error) *error = path + ": picture size out of range";
        return false;
    }
    png.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr)) {
        if (error) *error = path + ": " + png.message;
        png_image_free(&png);
        return false;
    }
    image->width = static_cast<int>(png.width);
    image->height = static_cast<int>(png.height);
    image->pixels = std::move(pixels);
    return true;
}

bool writePng(const std::string& path, const RgbaImage& image, std::string* error) {
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 4) {
        if (error) *error = path + ": no picture to write";
        return false;
    }
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGBA;
    if (!png_image_write_to_file(&png, path.c_str(), 0, image.pixels.data(), 0, nullptr)) {
        if (error) *error = path + ": " + png.message;
        return false;
    }
    return true;
}

}  // namespace tools
