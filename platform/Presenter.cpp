#include "platform/Presenter.h"

#include "platform/Png.h"

#include <cstring>

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

bool writePng(const std::string& path, const RgbFrame& frame, std::string* error) {
    PngPicture picture;
    picture.width = frame.width;
    picture.height = frame.height;
    picture.channels = 3;
    picture.pixels = frame.rgb;
    return writePng(path, picture, error);
}

bool readPng(const std::string& path, RgbFrame& out) {
    PngPicture picture;
    if (!readPng(path, 3, &picture)) return false;
    out.width = picture.width;
    out.height = picture.height;
    out.rgb = std::move(picture.pixels);
    return true;
}

bool HeadlessPresenter::present(IDisplaySurface* primary) {
    if (!primary) return false;
    ++m_frames;
    return true;
}

bool HeadlessPresenter::dump(IDisplaySurface* primary, const std::string& path, std::string* error) {
    RgbFrame frame;
    if (!readFrame(primary, frame)) {
        if (error) *error = path + ": no frame to write";
        return false;
    }
    return writePng(path, frame, error);
}

DesktopRect placeMirror(const DesktopRect& usable, const DesktopRect& game, int32_t width, int32_t height) {
    const int64_t areaRight = int64_t{usable.x} + usable.width;
    const int64_t areaBottom = int64_t{usable.y} + usable.height;
    // Inside the area as far as the size allows; the top-left corner wins when it is too small.
    auto fit = [](int64_t at, int64_t size, int64_t from, int64_t to) {
        if (at + size > to) at = to - size;
        if (at < from) at = from;
        return at;
    };
    int64_t x = int64_t{game.x} + game.width;
    if (x + width > areaRight) {
        x = int64_t{game.x} - width;
        if (x < usable.x) x = areaRight - width;
    }
    DesktopRect at;
    at.x = static_cast<int32_t>(fit(x, width, usable.x, areaRight));
    at.y = static_cast<int32_t>(fit(game.y, height, usable.y, areaBottom));
    at.width = width;
    at.height = height;
    return at;
}

}  // namespace platform
