#include "graphics/screen/CSurface.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "graphics/screen/CDirectDrawSurface.h"
#include "graphics/screen/CSecondaryDisplay.h"
#include "platform/Clock.h"

namespace {

std::unique_ptr<int32_t[]> s_table;
int32_t s_tableUsers = 0;

// Frames-per-second state, shared by every surface.
int32_t s_frameCount = 0;
int64_t s_fpsStart = 0;
int32_t s_fpsShown = 0;

// The depth a pixel format stands for: by its masks, else by its storage size.
int depthOfMasks(const platform::PixelFormat& f, int otherwise) {
    const uint32_t masks = f.redMask | f.greenMask | f.blueMask;
    if (masks == 0x7FFFu) return 15;
    if (masks == 0xFFFFu) return 16;
    if (masks == 0xFFFFFFu || masks == 0xFFFFFFFFu) return 24;
    return otherwise;
}

platform::IDisplaySurface* surfaceOf(CDirectDrawSurface* s) { return s ? s->GetDirectDrawSurfaceInterface() : nullptr; }

}  // namespace

CSurface::CSurface(CXSize& size, int& bpp, platform::WindowHandle window, bool flipping) : m_size(size) {
    acquire();
    int32_t r = platform::displaySystem().createDisplay(&m_display);
    if (r == platform::kDisplayOk) r = m_display->setFullScreen(window);
    if (r == platform::kDisplayOk) r = m_display->setDisplayMode(size.cx, size.cy, bpp);
    if (r == platform::kDisplayOk) {
        if (flipping) {
            r = m_display->createPrimarySurface(true, &m_primary);
            if (r == platform::kDisplayOk) r = m_primary->getBackBuffer(&m_back);
            else r = m_display->createPrimarySurface(false, &m_primary);
        } else {
            r = m_display->createPrimarySurface(false, &m_primary);
        }
    }
    if (r == platform::kDisplayOk) {
        platform::PixelFormat format;
        r = m_primary->getPixelFormat(&format);
        if (r == platform::kDisplayOk) bpp = depthOfMasks(format, bpp);
    }
    m_bpp = bpp;
    setErrorCode(r);
    prepareBppConversionTable(m_bpp);
}

CSurface::CSurface(platform::WindowHandle window, CXSize size) : m_size(size) {
    acquire();
    int32_t r = platform::displaySystem().createDisplay(&m_display);
    if (r == platform::kDisplayOk) r = m_display->setWindowed(window, size.cx, size.cy);
    if (r == platform::kDisplayOk) r = m_display->createPrimarySurface(false, &m_primary);
    if (r == platform::kDisplayOk) {
        platform::PixelFormat format;
        r = m_primary->getPixelFormat(&format);
        // A 16-bit format with 5-5-5 masks is depth 15, whatever its storage size says.
        if (r == platform::kDisplayOk) m_bpp = format.bitCount == 16 ? depthOfMasks(format, 16) : format.bitCount;
    }
    setErrorCode(r);
    if (r == platform::kDisplayOk) CreateClipper(window);
    prepareBppConversionTable(m_bpp);
}

CSurface::~CSurface() {
    releaseAll();
    if (--s_tableUsers == 0) s_table.reset();
}

CSurface::CSurface(const CSurface& other) : CXObject(other) {
    acquire();
    m_size = other.m_size;
    m_bpp = other.m_bpp;
    m_screen = other.m_screen;
    m_windowed = other.m_windowed;
    m_secondary = other.m_secondary;
    m_display = other.m_display;
    m_primary = other.m_primary;
    m_back = other.m_back;
    if (m_display) m_display->addRef();
    if (m_primary) m_primary->addRef();
    if (m_back) m_back->addRef();
}

CSurface& CSurface::operator=(const CSurface& other) {
    if (this == &other) return *this;
    if (other.m_display) other.m_display->addRef();
    if (other.m_primary) other.m_primary->addRef();
    if (other.m_back) other.m_back->addRef();
    releaseAll();
    CXObject::operator=(other);
    m_size = other.m_size;
    m_bpp = other.m_bpp;
    m_screen = other.m_screen;
    m_windowed = other.m_windowed;
    m_secondary = other.m_secondary;
    m_display = other.m_display;
    m_primary = other.m_primary;
    m_back = other.m_back;
    return *this;
}

void CSurface::acquire() { ++s_tableUsers; }

void CSurface::releaseAll() {
    if (m_back) m_back->release();
    if (m_primary) m_primary->release();
    if (m_display) m_display->release();
    m_back = m_primary = nullptr;
    m_display = nullptr;
}

void CSurface::prepareBppConversionTable(int bpp) {
    if (s_table || (bpp != 24 && bpp != 32)) return;
    s_table = std::make_unique<int32_t[]>(65536);
    for (uint32_t v = 0; v < 65536; ++v)
        s_table[v] = static_cast<int32_t>(((((v & 0xF800u) << 3 | (v & 0x07E0u)) << 2) | (v & 0x001Fu)) << 3);
}

int32_t* CSurface::getBppConversionTable() { return s_table.get(); }

void CSurface::CreateClipper(platform::WindowHandle window) {
    if (!m_primary) return;
    setErrorCode(m_primary->setClipWindow(window));
    m_windowed = true;
}

template <class F>
int32_t CSurface::onPrimary(F call) {
    int32_t r = call();
    if (r == platform::kSurfaceLost && m_primary) {
        m_primary->restore();
        r = call();
    }
    return r;
}

void CSurface::Lock() {
    if (!m_primary) return;
    platform::SurfaceMemory memory;
    bool restored = false;
    int32_t r;
    for (;;) {
        r = m_primary->lock(&memory);
        if (r == platform::kSurfaceLost && !restored) {
            m_primary->restore();
            restored = true;
        } else if (r != platform::kStillDrawing) {
            break;
        }
    }
    setErrorCode(r);
    if (r == platform::kDisplayOk) m_screen = reinterpret_cast<char*>(memory.bits);
}

void CSurface::UnLock() {
    if (m_primary) setErrorCode(m_primary->unlock());
}

void CSurface::Blt(CDirectDrawSurface* src, CXRect* srcRect, CXRect* dstRect) {
    platform::IDisplaySurface* s = surfaceOf(src);
    if (!s || !m_primary) return;
    if (s->isLost() == platform::kSurfaceLost) s->restore();
    const platform::DisplayRect sr = srcRect ? platform::DisplayRect{srcRect->left, srcRect->top, srcRect->right, srcRect->bottom}
                                             : platform::DisplayRect{};
    const platform::DisplayRect dr = dstRect ? platform::DisplayRect{dstRect->left, dstRect->top, dstRect->right, dstRect->bottom}
                                             : platform::DisplayRect{};
    setErrorCode(onPrimary([&] { return m_primary->blt(dstRect ? &dr : nullptr, s, srcRect ? &sr : nullptr); }));
}

void CSurface::Blt(CDirectDrawSurface* src, int x, int y, CXRect* srcRect) {
    platform::IDisplaySurface* s = surfaceOf(src);
    if (!s || !m_primary) return;
    if (m_windowed) {
        const CXRect whole(0, 0, s->width(), s->height());
        const CXRect& from = srcRect ? *srcRect : whole;
        CXRect dst(x, y, addSat(x, from.Width()), addSat(y, from.Height()));
        Blt(src, srcRect, &dst);
        if (m_secondary) m_secondary->update(src, srcRect);
        return;
    }
    if (s->isLost() == platform::kSurfaceLost) s->restore();
    const platform::DisplayRect sr = srcRect ? platform::DisplayRect{srcRect->left, srcRect->top, srcRect->right, srcRect->bottom}
                                             : platform::DisplayRect{};
    setErrorCode(onPrimary([&] { return m_primary->bltFast(x, y, s, srcRect ? &sr : nullptr); }));
}

void CSurface::Flip() {
    if (!m_back || !m_primary) return;
    while (m_back->getFlipStatus() == platform::kStillDrawing) {
    }
    const int32_t r = m_primary->flip();
    if (r == platform::kSurfaceLost) {
        m_primary->restore();
        m_back->restore();
    }
    setErrorCode(r);
}

void CSurface::waitForVB() {
    if (m_display) m_display->waitForVerticalBlank();
}

void CSurface::textAtTopLeft(const char* text) {
    if (!m_primary) return;
    platform::IDeviceContext* dc = nullptr;
    if (onPrimary([&] { return m_primary->getDC(&dc); }) != platform::kDisplayOk || !dc) return;
    dc->textOut(10, 10, text, static_cast<int32_t>(std::strlen(text)));
    m_primary->releaseDC(dc);
}

void CSurface::ShowFPS(CXPoint, CDirectDrawSurface*) {
    platform::IClock& clock = platform::clock();
    if (s_frameCount == 0) {
        s_fpsStart = clock.perfCounter();
    } else if (clock.perfCounter() - s_fpsStart >= clock.perfFrequency()) {
        s_fpsShown = s_frameCount;
        s_frameCount = -1;
    }
    char text[32];
    std::snprintf(text, sizeof text, "FPS: %d   ", static_cast<int>(s_fpsShown));
    textAtTopLeft(text);
    ++s_frameCount;
}

void CSurface::ShowFPS(unsigned long fps) {
    char text[40];
    std::snprintf(text, sizeof text, "FPS: %d   ", static_cast<int>(fps));
    textAtTopLeft(text);
}
