#include "platform/Presenter.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>

namespace platform {

namespace {

// Where a channel sits in a pixel and how to widen it to 8 bits.
struct Channel {
    int shift = 0;
    int bits = 0;

    explicit Channel(uint32_t mask) {
        if (!mask) return;
        while (!((mask >> shift) & 1u)) ++shift;
        while (shift + bits < 32 && ((mask >> (shift + bits)) & 1u)) ++bits;
    }
    uint8_t expand(uint32_t pixel) const {
        if (bits == 0) return 0;
        const uint32_t v = (pixel >> shift) & ((1u << bits) - 1u);
        if (bits >= 8) return static_cast<uint8_t>(v >> (bits - 8));
        // Repeats the high bits into the low ones: full intensity stays 255.
        uint32_t out = 0;
        for (int filled = 0; filled < 8; filled += bits) out = (out << bits) | v;
        const int total = ((8 + bits - 1) / bits) * bits;
        return static_cast<uint8_t>(out >> (total - 8));
    }
};

struct FileCloser {
    void operator()(FILE* f) const {
        if (f) std::fclose(f);
    }
};

}  // namespace

bool readFrame(IDisplaySurface* surface, RgbFrame& out) {
    if (!surface) return false;
    PixelFormat format;
    SurfaceMemory memory;
    if (surface->getPixelFormat(&format) != kDisplayOk || surface->lock(&memory) != kDisplayOk) return false;
    surface->unlock();
    if ((format.bitCount != 16 && format.bitCount != 32) || !memory.bits) return false;
    const Channel red(format.redMask), green(format.greenMask), blue(format.blueMask);
    out.width = memory.width;
    out.height = memory.height;
    out.rgb.assign(static_cast<size_t>(memory.width) * memory.height * 3, 0);
    const int bytes = format.bitCount / 8;
    uint8_t* to = out.rgb.data();
    for (int32_t y = 0; y < memory.height; ++y) {
        const uint8_t* row = memory.bits + static_cast<size_t>(y) * memory.pitch;
        for (int32_t x = 0; x < memory.width; ++x) {
            uint32_t pixel = 0;
            if (bytes == 2) {
                uint16_t v;
                std::memcpy(&v, row + x * 2, 2);
                pixel = v;
            } else {
                std::memcpy(&pixel, row + x * 4, 4);
            }
            *to++ = red.expand(pixel);
            *to++ = green.expand(pixel);
            *to++ = blue.expand(pixel);
        }
    }
    return true;
}

uint64_t hashSurface(IDisplaySurface* surface) {
    SurfaceMemory memory;
    PixelFormat format;
    if (!surface || surface->getPixelFormat(&format) != kDisplayOk || surface->lock(&memory) != kDisplayOk) return 0;
    surface->unlock();
    uint64_t h = 1469598103934665603ull;
    const size_t rowBytes = static_cast<size_t>(memory.width) * (format.bitCount / 8);
    for (int32_t y = 0; y < memory.height; ++y) {
        const uint8_t* row = memory.bits + static_cast<size_t>(y) * memory.pitch;
        for (size_t i = 0; i < rowBytes; ++i) {
            h ^= row[i];
            h *= 1099511628211ull;
        }
    }
    return h;
}

bool writePng(const std::string& path, const RgbFrame& frame) {
    if (frame.width <= 0 || frame.height <= 0 ||
        frame.rgb.size() != static_cast<size_t>(frame.width) * frame.height * 3)
        return false;
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, static_cast<png_uint_32>(frame.width), static_cast<png_uint_32>(frame.height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int32_t y = 0; y < frame.height; ++y)
        png_write_row(png, frame.rgb.data() + static_cast<size_t>(y) * frame.width * 3);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fflush(file.get()) == 0;
}

bool readPng(const std::string& path, RgbFrame& out) {
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    // Bounded: a picture larger than the display ever is counts as broken.
    png_set_user_limits(png, 16384, 16384);
    png_init_io(png, file.get());
    png_read_info(png, info);
    // Every colour type and depth becomes 8-bit RGB.
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_strip_alpha(png);
    png_set_gray_to_rgb(png);
    png_read_update_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    if (png_get_rowbytes(png, info) != static_cast<size_t>(width) * 3) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    out.width = static_cast<int32_t>(width);
    out.height = static_cast<int32_t>(height);
    out.rgb.assign(static_cast<size_t>(width) * height * 3, 0);
    for (png_uint_32 y = 0; y < height; ++y) png_read_row(png, out.rgb.data() + static_cast<size_t>(y) * width * 3, nullptr);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

bool HeadlessPresenter::present(IDisplaySurface* primary) {
    if (!primary) return false;
    ++m_frames;
    return true;
}

bool HeadlessPresenter::dump(IDisplaySurface* primary, const std::string& path) {
    RgbFrame frame;
    return readFrame(primary, frame) && writePng(path, frame);
}

}  // namespace platform
