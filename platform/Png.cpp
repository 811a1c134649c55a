#include "platform/Png.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/FileSystem.h"

namespace platform {

namespace {

void appendBytes(png_structp png, png_bytep data, png_size_t length) {
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), length);
}

bool fail(std::string* error, const std::string& message) {
    if (error) *error = message;
    return false;
}

}  // namespace

bool readPng(const std::string& path, int32_t channels, PngPicture* picture, std::string* error, int32_t maxSide) {
    if (channels != 3 && channels != 4) return fail(error, path + ": 3 or 4 channels only");
    if (maxSide <= 0 || maxSide > kPngMaxSide) maxSide = kPngMaxSide;
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) return fail(error, path + ": " + png.message);
    if (png.width == 0 || png.height == 0 || png.width > png_uint_32(maxSide) || png.height > png_uint_32(maxSide)) {
        png_image_free(&png);
        return fail(error, path + ": picture size out of range");
    }
    png.format = channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    // Zeros: a picture with alpha read as RGB is composed over black.
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(png), 0);
    if (!png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr)) {
        const std::string message = path + ": " + png.message;
        png_image_free(&png);
        return fail(error, message);
    }
    picture->width = static_cast<int32_t>(png.width);
    picture->height = static_cast<int32_t>(png.height);
    picture->channels = channels;
    picture->pixels = std::move(pixels);
    return true;
}

bool writePng(const std::string& path, const PngPicture& picture, std::string* error) {
    if (picture.width <= 0 || picture.height <= 0 || picture.width > kPngMaxSide || picture.height > kPngMaxSide ||
        (picture.channels != 3 && picture.channels != 4) ||
        picture.pixels.size() != static_cast<size_t>(picture.width) * picture.height * picture.channels)
        return fail(error, path + ": no picture to write");
    // Encoded in memory, then written in one step: a full disk leaves the old file.
    std::string bytes;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return fail(error, path + ": out of memory");
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return fail(error, path + ": cannot be encoded");
    }
    png_set_write_fn(png, &bytes, appendBytes, nullptr);
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width), static_cast<png_uint_32>(picture.height), 8,
                 picture.channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const size_t rowBytes = static_cast<size_t>(picture.width) * picture.channels;
    for (int32_t y = 0; y < picture.height; ++y) png_write_row(png, picture.pixels.data() + static_cast<size_t>(y) * rowBytes);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    WriteFailure failure;
    if (!writeFileAtomically(toEnginePath(path).c_str(), bytes.data(), bytes.size(), &failure))
        return fail(error, path + ": " + (failure.error ? std::strerror(failure.error) : "cannot be written"));
    return true;
}

}  // namespace platform
