#include "platform/Display.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace platform {

struct SoftwareDisplaySystem::Registry {
    SoftwareDisplaySystem* system = nullptr;  // null once the system is gone
    std::vector<IDisplaySurface*> surfaces;
};

namespace {

constexpr int32_t kMaxSide = 16384;

const PixelFormat kFormat15{16, 0x7C00u, 0x03E0u, 0x001Fu};
const PixelFormat kFormat16{16, 0xF800u, 0x07E0u, 0x001Fu};
const PixelFormat kDefaultFormat32{32, 0x00FF0000u, 0x0000FF00u, 0x000000FFu};

using Registry = SoftwareDisplaySystem::Registry;

// 5 x 7 glyphs of the printable ASCII range, one byte per column, bit 0 the top row.
const uint8_t kFont[95][5] = {
    {0x00, 0x00, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x5F, 0x00, 0x00}, {0x00, 0x07, 0x00, 0x07, 0x00},
    {0x14, 0x7F, 0x14, 0x7F, 0x14}, {0x24, 0x2A, 0x7F, 0x2A, 0x12}, {0x23, 0x13, 0x08, 0x64, 0x62},
    {0x36, 0x49, 0x55, 0x22, 0x50}, {0x00, 0x05, 0x03, 0x00, 0x00}, {0x00, 0x1C, 0x22, 0x41, 0x00},
    {0x00, 0x41, 0x22, 0x1C, 0x00}, {0x08, 0x2A, 0x1C, 0x2A, 0x08}, {0x08, 0x08, 0x3E, 0x08, 0x08},
    {0x00, 0x50, 0x30, 0x00, 0x00}, {0x08, 0x08, 0x08, 0x08, 0x08}, {0x00, 0x60, 0x60, 0x00, 0x00},
    {0x20, 0x10, 0x08, 0x04, 0x02}, {0x3E, 0x51, 0x49, 0x45, 0x3E}, {0x00, 0x42, 0x7F, 0x40, 0x00},
    {0x42, 0x61, 0x51, 0x49, 0x46}, {0x21, 0x41, 0x45, 0x4B, 0x31}, {0x18, 0x14, 0x12, 0x7F, 0x10},
    {0x27, 0x45, 0x45, 0x45, 0x39}, {0x3C, 0x4A, 0x49, 0x49, 0x30}, {0x01, 0x71, 0x09, 0x05, 0x03},
    {0x36, 0x49, 0x49, 0x49, 0x36}, {0x06, 0x49, 0x49, 0x29, 0x1E}, {0x00, 0x36, 0x36, 0x00, 0x00},
    {0x00, 0x56, 0x36, 0x00, 0x00}, {0x08, 0x14, 0x22, 0x41, 0x00}, {0x14, 0x14, 0x14, 0x14, 0x14},
    {0x00, 0x41, 0x22, 0x14, 0x08}, {0x02, 0x01, 0x51, 0x09, 0x06}, {0x32, 0x49, 0x79, 0x41, 0x3E},
    {0x7E, 0x11, 0x11, 0x11, 0x7E}, {0x7F, 0x49, 0x49, 0x49, 0x36}, {0x3E, 0x41, 0x41, 0x41, 0x22},
    {0x7F, 0x41, 0x41, 0x22, 0x1C}, {0x7F, 0x49, 0x49, 0x49, 0x41}, {0x7F, 0x09, 0x09, 0x09, 0x01},
    {0x3E, 0x41, 0x49, 0x49, 0x7A}, {0x7F, 0x08, 0x08, 0x08, 0x7F}, {0x00, 0x41, 0x7F, 0x41, 0x00},
    {0x20, 0x40, 0x41, 0x3F, 0x01}, {0x7F, 0x08, 0x14, 0x22, 0x41}, {0x7F, 0x40, 0x40, 0x40, 0x40},
    {0x7F, 0x02, 0x0C, 0x02, 0x7F}, {0x7F, 0x04, 0x08, 0x10, 0x7F}, {0x3E, 0x41, 0x41, 0x41, 0x3E},
    {0x7F, 0x09, 0x09, 0x09, 0x06}, {0x3E, 0x41, 0x51, 0x21, 0x5E}, {0x7F, 0x09, 0x19, 0x29, 0x46},
    {0x46, 0x49, 0x49, 0x49, 0x31}, {0x01, 0x01, 0x7F, 0x01, 0x01}, {0x3F, 0x40, 0x40, 0x40, 0x3F},
    {0x1F, 0x20, 0x40, 0x20, 0x1F}, {0x3F, 0x40, 0x38, 0x40, 0x3F}, {0x63, 0x14, 0x08, 0x14, 0x63},
    {0x07, 0x08, 0x70, 0x08, 0x07}, {0x61, 0x51, 0x49, 0x45, 0x43}, {0x00, 0x7F, 0x41, 0x41, 0x00},
    {0x02, 0x04, 0x08, 0x10, 0x20}, {0x00, 0x41, 0x41, 0x7F, 0x00}, {0x04, 0x02, 0x01, 0x02, 0x04},
    {0x40, 0x40, 0x40, 0x40, 0x40}, {0x00, 0x01, 0x02, 0x04, 0x00}, {0x20, 0x54, 0x54, 0x54, 0x78},
    {0x7F, 0x48, 0x44, 0x44, 0x38}, {0x38, 0x44, 0x44, 0x44, 0x20}, {0x38, 0x44, 0x44, 0x48, 0x7F},
    {0x38, 0x54, 0x54, 0x54, 0x18}, {0x08, 0x7E, 0x09, 0x01, 0x02}, {0x0C, 0x52, 0x52, 0x52, 0x3E},
    {0x7F, 0x08, 0x04, 0x04, 0x78}, {0x00, 0x44, 0x7D, 0x40, 0x00}, {0x20, 0x40, 0x44, 0x3D, 0x00},
    {0x7F, 0x10, 0x28, 0x44, 0x00}, {0x00, 0x41, 0x7F, 0x40, 0x00}, {0x7C, 0x04, 0x18, 0x04, 0x78},
    {0x7C, 0x08, 0x04, 0x04, 0x78}, {0x38, 0x44, 0x44, 0x44, 0x38}, {0x7C, 0x14, 0x14, 0x14, 0x08},
    {0x08, 0x14, 0x14, 0x18, 0x7C}, {0x7C, 0x08, 0x04, 0x04, 0x08}, {0x48, 0x54, 0x54, 0x54, 0x20},
    {0x04, 0x3F, 0x44, 0x40, 0x20}, {0x3C, 0x40, 0x40, 0x20, 0x7C}, {0x1C, 0x20, 0x40, 0x20, 0x1C},
    {0x3C, 0x40, 0x30, 0x40, 0x3C}, {0x44, 0x28, 0x10, 0x28, 0x44}, {0x0C, 0x50, 0x50, 0x50, 0x3C},
    {0x44, 0x64, 0x54, 0x4C, 0x44}, {0x00, 0x08, 0x36, 0x41, 0x00}, {0x00, 0x00, 0x7F, 0x00, 0x00},
    {0x00, 0x41, 0x36, 0x08, 0x00}, {0x08, 0x04, 0x08, 0x10, 0x08},
};
const uint8_t kBoxGlyph[5] = {0x7F, 0x41, 0x41, 0x41, 0x7F};
constexpr int32_t kCellWidth = 6;
constexpr int32_t kCellHeight = 8;

uint32_t packChannel(uint32_t mask, uint8_t c) {
    if (mask == 0) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1u)) ++shift;
    int bits = 0;
    while (shift + bits < 32 && ((mask >> (shift + bits)) & 1u)) ++bits;
    const uint32_t v = bits <= 8 ? static_cast<uint32_t>(c) >> (8 - bits) : static_cast<uint32_t>(c) << (bits - 8);
    return (v << shift) & mask;
}

bool proper(const DisplayRect& r) { return r.left < r.right && r.top < r.bottom; }
bool inverted(const DisplayRect& r) { return r.left > r.right || r.top > r.bottom; }

class SoftwareSurface;

class SoftwareDC : public IDeviceContext {
public:
    explicit SoftwareDC(SoftwareSurface& s) : m_surface(s) {}
    void setTextColor(uint32_t rgb) override { m_text = rgb; }
    void setBackgroundColor(uint32_t rgb) override { m_background = rgb; }
    void setTransparentBackground(bool transparent) override { m_transparent = transparent; }
    void textOut(int32_t x, int32_t y, const char* text, int32_t length) override;

private:
    SoftwareSurface& m_surface;
    uint32_t m_text = 0x000000;
    uint32_t m_background = 0xFFFFFF;
    bool m_transparent = false;
};

class SoftwareSurface : public IDisplaySurface {
public:
    SoftwareSurface(std::shared_ptr<Registry> registry, const PixelFormat& format, int32_t w, int32_t h,
                    bool videoMemory, bool primary)
        : m_registry(std::move(registry)),
          m_format(format),
          m_width(w),
          m_height(h),
          m_bytesPerPixel(format.bitCount / 8),
          m_videoMemory(videoMemory),
          m_primary(primary) {
        m_registry->surfaces.push_back(this);
    }

    // False when the memory cannot be had.
    bool allocate() {
        const size_t bytes = static_cast<size_t>(m_width) * m_height * m_bytesPerPixel;
        m_memory.reset(new (std::nothrow) uint8_t[bytes]);
        if (!m_memory) return false;
        std::memset(m_memory.get(), 0, bytes);
        return true;
    }

    void attachBackBuffer(SoftwareSurface* back) { m_back = back; }

    int32_t width() const override { return m_width; }
    int32_t height() const override { return m_height; }
    bool isVideoMemory() const override { return m_videoMemory; }
    int32_t getPixelFormat(PixelFormat* out) override {
        if (!out) return kDisplayInvalidParams;
        *out = m_format;
        return kDisplayOk;
    }

    int32_t lock(SurfaceMemory* out) override {
        if (!out) return kDisplayInvalidParams;
        if (m_lost) return kSurfaceLost;
        if (takeStillDrawing()) return kStillDrawing;
        out->bits = m_memory.get();
        out->pitch = pitch();
        out->width = m_width;
        out->height = m_height;
        return kDisplayOk;
    }
    int32_t unlock() override { return m_lost ? kSurfaceLost : kDisplayOk; }

    int32_t bltFast(int32_t x, int32_t y, IDisplaySurface* src, const DisplayRect* srcRect) override {
        auto* s = dynamic_cast<SoftwareSurface*>(src);
        if (!s) return kDisplayInvalidParams;
        const DisplayRect whole{0, 0, s->m_width, s->m_height};
        const DisplayRect r = srcRect ? *srcRect : whole;
        if (inverted(r)) return kDisplayInvalidParams;
        return copyFrom(x, y, *s, r);
    }

    int32_t blt(const DisplayRect* dstRect, IDisplaySurface* src, const DisplayRect* srcRect) override {
        auto* s = dynamic_cast<SoftwareSurface*>(src);
        if (!s) return kDisplayInvalidParams;
        const DisplayRect d = dstRect ? *dstRect : DisplayRect{0, 0, m_width, m_height};
        DisplayRect r = srcRect ? *srcRect : DisplayRect{0, 0, s->m_width, s->m_height};
        if (inverted(d) || inverted(r)) return kDisplayInvalidParams;
        const int64_t w = std::min<int64_t>(int64_t{r.right} - r.left, int64_t{d.right} - d.left);
        const int64_t h = std::min<int64_t>(int64_t{r.bottom} - r.top, int64_t{d.bottom} - d.top);
        r.right = static_cast<int32_t>(r.left + w);
        r.bottom = static_cast<int32_t>(r.top + h);
        return copyFrom(d.left, d.top, *s, r);
    }

    int32_t colorFill(const DisplayRect* dstRect, uint32_t pixel) override {
        DisplayRect d = dstRect ? *dstRect : DisplayRect{0, 0, m_width, m_height};
        if (inverted(d)) return kDisplayInvalidParams;
        if (m_lost) return kSurfaceLost;
        d.left = std::max(d.left, 0);
        d.top = std::max(d.top, 0);
        d.right = std::min(d.right, m_width);
        d.bottom = std::min(d.bottom, m_height);
        if (!proper(d)) return kDisplayOk;
        for (int32_t y = d.top; y < d.bottom; ++y)
            for (int32_t x = d.left; x < d.right; ++x) putPixel(x, y, pixel);
        return kDisplayOk;
    }

    int32_t getBackBuffer(IDisplaySurface** out) override {
        if (!out) return kDisplayInvalidParams;
        *out = nullptr;
        if (!m_back) return kDisplayUnsupported;
        m_back->addRef();
        *out = m_back;
        return kDisplayOk;
    }

    int32_t getFlipStatus() override {
        if (!m_primary && !m_inChain) return kDisplayUnsupported;
        if (m_lost) return kSurfaceLost;
        if (takeStillDrawing()) return kStillDrawing;
        return kDisplayOk;
    }

    int32_t flip() override {
        if (!m_back) return kDisplayUnsupported;
        if (m_lost || m_back->m_lost) return kSurfaceLost;
        std::swap(m_memory, m_back->m_memory);
        return kDisplayOk;
    }

    int32_t isLost() override { return m_lost ? kSurfaceLost : kDisplayOk; }

    int32_t restore() override {
        if (m_lost) {
            m_lost = false;
            std::memset(m_memory.get(), 0, static_cast<size_t>(pitch()) * m_height);
        }
        if (m_back) m_back->restore();
        return kDisplayOk;
    }

    int32_t getDC(IDeviceContext** out) override {
        if (!out) return kDisplayInvalidParams;
        *out = nullptr;
        if (m_lost) return kSurfaceLost;
        if (m_dc) return kDisplayFailed;
        m_dc = std::make_unique<SoftwareDC>(*this);
        *out = m_dc.get();
        return kDisplayOk;
    }

    int32_t releaseDC(IDeviceContext* dc) override {
        if (!m_dc || dc != m_dc.get()) return kDisplayInvalidParams;
        m_dc.reset();
        return kDisplayOk;
    }

    int32_t setClipWindow(WindowHandle window) override {
        m_clipWindow = window;
        return kDisplayOk;
    }

    void lose() {
        m_lost = true;
        if (m_back) m_back->lose();
    }
    void setStillDrawing(int32_t n) { m_stillDrawing = std::max(n, 0); }
    void markInChain() { m_inChain = true; }

    bool lost() const { return m_lost; }
    const PixelFormat& format() const { return m_format; }
    void putPixel(int32_t x, int32_t y, uint32_t pixel) {
        uint8_t* p = m_memory.get() + static_cast<size_t>(y) * pitch() + static_cast<size_t>(x) * m_bytesPerPixel;
        if (m_bytesPerPixel == 2) {
            const uint16_t v = static_cast<uint16_t>(pixel);
            std::memcpy(p, &v, 2);
        } else {
            std::memcpy(p, &pixel, 4);
        }
    }

protected:
    ~SoftwareSurface() override {
        if (m_back) m_back->release();
        auto& list = m_registry->surfaces;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }

private:
    int32_t pitch() const { return m_width * m_bytesPerPixel; }

    bool takeStillDrawing() {
        if (m_stillDrawing <= 0) return false;
        --m_stillDrawing;
        return true;
    }

    // Copies r of s (not inverted) to (x, y), leaving out what lies outside either surface.
    int32_t copyFrom(int32_t x, int32_t y, SoftwareSurface& s, DisplayRect r) {
        if (m_lost || s.m_lost) return kSurfaceLost;
        if (s.m_bytesPerPixel != m_bytesPerPixel) return kDisplayUnsupported;
        int64_t dx = x, dy = y;
        int64_t l = r.left, t = r.top, rr = r.right, b = r.bottom;
        if (l < 0) { dx -= l; l = 0; }
        if (t < 0) { dy -= t; t = 0; }
        rr = std::min<int64_t>(rr, s.m_width);
        b = std::min<int64_t>(b, s.m_height);
        if (dx < 0) { l -= dx; dx = 0; }
        if (dy < 0) { t -= dy; dy = 0; }
        rr = std::min<int64_t>(rr, l + (m_width - dx));
        b = std::min<int64_t>(b, t + (m_height - dy));
        if (l >= rr || t >= b) return kDisplayOk;
        const size_t rowBytes = static_cast<size_t>(rr - l) * m_bytesPerPixel;
        const int64_t rows = b - t;
        const bool upward = &s == this && dy > t;
        for (int64_t i = 0; i < rows; ++i) {
            const int64_t row = upward ? rows - 1 - i : i;
            const uint8_t* from = s.m_memory.get() + (t + row) * s.pitch() + l * m_bytesPerPixel;
            uint8_t* to = m_memory.get() + (dy + row) * pitch() + dx * m_bytesPerPixel;
            std::memmove(to, from, rowBytes);
        }
        return kDisplayOk;
    }

    std::shared_ptr<Registry> m_registry;
    PixelFormat m_format;
    int32_t m_width;
    int32_t m_height;
    int32_t m_bytesPerPixel;
    bool m_videoMemory;
    bool m_primary;
    bool m_inChain = false;
    bool m_lost = false;
    int32_t m_stillDrawing = 0;
    std::unique_ptr<uint8_t[]> m_memory;
    SoftwareSurface* m_back = nullptr;  // one reference held
    WindowHandle m_clipWindow = nullptr;
    std::unique_ptr<SoftwareDC> m_dc;
};

void SoftwareDC::textOut(int32_t x, int32_t y, const char* text, int32_t length) {
    if (!text || length <= 0 || m_surface.lost()) return;
    const PixelFormat& f = m_surface.format();
    const uint32_t fore = packPixel(f, m_text & 0xFF, (m_text >> 8) & 0xFF, (m_text >> 16) & 0xFF);
    const uint32_t back = packPixel(f, m_background & 0xFF, (m_background >> 8) & 0xFF, (m_background >> 16) & 0xFF);
    for (int32_t i = 0; i < length; ++i) {
        const auto c = static_cast<uint8_t>(text[i]);
        const uint8_t* glyph = c >= 32 && c < 127 ? kFont[c - 32] : kBoxGlyph;
        const int64_t cellX = int64_t{x} + int64_t{i} * kCellWidth;
        for (int32_t cy = 0; cy < kCellHeight; ++cy) {
            const int64_t py = int64_t{y} + cy;
            if (py < 0 || py >= m_surface.height()) continue;
            for (int32_t cx = 0; cx < kCellWidth; ++cx) {
                const int64_t px = cellX + cx;
                if (px < 0 || px >= m_surface.width()) continue;
                const bool on = cx < 5 && cy < 7 && ((glyph[cx] >> cy) & 1);
                if (on)
                    m_surface.putPixel(static_cast<int32_t>(px), static_cast<int32_t>(py), fore);
                else if (!m_transparent)
                    m_surface.putPixel(static_cast<int32_t>(px), static_cast<int32_t>(py), back);
            }
        }
    }
}

class SoftwareDisplay : public IDisplay {
public:
    explicit SoftwareDisplay(std::shared_ptr<Registry> registry) : m_registry(std::move(registry)) {}

    int32_t setWindowed(WindowHandle window, int32_t clientWidth, int32_t clientHeight) override {
        if (clientWidth <= 0 || clientHeight <= 0 || clientWidth > kMaxSide || clientHeight > kMaxSide)
            return kDisplayInvalidParams;
        m_window = window;
        m_fullScreen = false;
        m_width = clientWidth;
        m_height = clientHeight;
        m_format = desktopFormat();
        return kDisplayOk;
    }

    int32_t setFullScreen(WindowHandle window) override {
        m_window = window;
        m_fullScreen = true;
        m_width = m_height = 0;
        return kDisplayOk;
    }

    int32_t setDisplayMode(int32_t width, int32_t height, int32_t bpp) override {
        if (!m_fullScreen) return kDisplayFailed;
        if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return kDisplayInvalidParams;
        if (bpp == 15) m_format = kFormat15;
        else if (bpp == 16) m_format = kFormat16;
        else if (bpp == 32) m_format = format32();
        else return kDisplayUnsupported;
        m_width = width;
        m_height = height;
        // The surfaces of the former mode are gone.
        for (IDisplaySurface* s : m_registry->surfaces) static_cast<SoftwareSurface*>(s)->lose();
        return kDisplayOk;
    }

    int32_t createPrimarySurface(bool flipChain, IDisplaySurface** out) override {
        if (!out) return kDisplayInvalidParams;
        *out = nullptr;
        if (m_width <= 0 || m_height <= 0) return kDisplayFailed;
        if (flipChain && (!m_fullScreen || (system() && system()->failFlipChain))) return kDisplayUnsupported;
        auto* primary = new SoftwareSurface(m_registry, m_format, m_width, m_height, true, true);
        if (!primary->allocate()) {
            primary->release();
            return kDisplayOutOfMemory;
        }
        if (flipChain) {
            auto* back = new SoftwareSurface(m_registry, m_format, m_width, m_height, true, false);
            if (!back->allocate()) {
                back->release();
                primary->release();
                return kDisplayOutOfMemory;
            }
            back->markInChain();
            primary->attachBackBuffer(back);
        }
        *out = primary;
        return kDisplayOk;
    }

    int32_t createOffscreenSurface(int32_t width, int32_t height, bool videoMemory,
                                   IDisplaySurface** out) override {
        if (!out) return kDisplayInvalidParams;
        *out = nullptr;
        if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return kDisplayInvalidParams;
        if (videoMemory) {
            if (system()) ++system()->videoMemoryRequests;
            if (system() && !system()->videoMemoryAvailable) return kOutOfVideoMemory;
        }
        const PixelFormat format = m_width > 0 ? m_format : desktopFormat();
        auto* s = new SoftwareSurface(m_registry, format, width, height, videoMemory, false);
        if (!s->allocate()) {
            s->release();
            return videoMemory ? kOutOfVideoMemory : kDisplayOutOfMemory;
        }
        *out = s;
        return kDisplayOk;
    }

    int32_t waitForVerticalBlank() override { return kDisplayOk; }

private:
    SoftwareDisplaySystem* system() const { return m_registry->system; }
    PixelFormat format32() const { return system() ? system()->format32 : kDefaultFormat32; }
    PixelFormat desktopFormat() const {
        const int32_t depth = system() ? system()->windowedDepth : 16;
        return depth == 15 ? kFormat15 : depth == 32 ? format32() : kFormat16;
    }

    std::shared_ptr<Registry> m_registry;
    WindowHandle m_window = nullptr;
    bool m_fullScreen = false;
    int32_t m_width = 0;
    int32_t m_height = 0;
    PixelFormat m_format = kFormat16;
};

IDisplaySystem* g_system = nullptr;

}  // namespace

uint32_t packPixel(const PixelFormat& format, uint8_t r, uint8_t g, uint8_t b) {
    return packChannel(format.redMask, r) | packChannel(format.greenMask, g) | packChannel(format.blueMask, b);
}

SoftwareDisplaySystem::SoftwareDisplaySystem() : m_registry(std::make_shared<Registry>()) {
    m_registry->system = this;
}

SoftwareDisplaySystem::~SoftwareDisplaySystem() { m_registry->system = nullptr; }

int32_t SoftwareDisplaySystem::createDisplay(IDisplay** out) {
    if (!out) return kDisplayInvalidParams;
    *out = new SoftwareDisplay(m_registry);
    return kDisplayOk;
}

void SoftwareDisplaySystem::loseSurface(IDisplaySurface* surface) {
    if (auto* s = dynamic_cast<SoftwareSurface*>(surface)) s->lose();
}

void SoftwareDisplaySystem::answerStillDrawing(IDisplaySurface* surface, int32_t n) {
    if (auto* s = dynamic_cast<SoftwareSurface*>(surface)) s->setStillDrawing(n);
}

void SoftwareDisplaySystem::loseAllSurfaces() {
    for (IDisplaySurface* s : m_registry->surfaces) static_cast<SoftwareSurface*>(s)->lose();
}

IDisplaySystem& displaySystem() {
    static SoftwareDisplaySystem s_default;
    return g_system ? *g_system : s_default;
}

void setDisplaySystem(IDisplaySystem* system) { g_system = system; }

}  // namespace platform
