#include "graphics/screen/CDirectDrawSurface.h"

#include "graphics/screen/CSurface.h"
#include "graphics/core/CGraphicsWindowServices.h"

namespace {

platform::DisplayRect toDisplay(const CXRect& r) { return platform::DisplayRect{r.left, r.top, r.right, r.bottom}; }

}  // namespace

CDirectDrawSurface::CDirectDrawSurface(CWindow* window) : CGraphicsObject(window) { m_ownsBuffers = false; }

CDirectDrawSurface::CDirectDrawSurface(CWindow* window, platform::IDisplaySurface* s, CXSize size, int bpp)
    : CGraphicsObject(window) {
    m_ownsBuffers = false;
    m_width = m_pitch = size.cx;
    m_height = size.cy;
    m_bpp = bpp;
    if (s) {
        s->addRef();
        m_surface = s;
        GetDataPtr();
    } else {
        create_surface(true);
    }
}

CDirectDrawSurface::CDirectDrawSurface(CWindow* window, CXSize size, int bpp, bool videoMemory)
    : CGraphicsObject(window) {
    m_ownsBuffers = false;
    m_width = m_pitch = size.cx;
    m_height = size.cy;
    m_bpp = bpp;
    SetViewport(0, 0, size.cx, size.cy);
    create_surface(videoMemory);
}

CDirectDrawSurface::~CDirectDrawSurface() {
    applyToRestore(nullptr);
    releaseDC();
    if (m_surface) m_surface->release();
    m_surface = nullptr;
    m_pixels = nullptr;
}

void CDirectDrawSurface::applyToRestore(CGraphicsObject* g) {
    if (g == m_applied) return;
    if (m_applied) m_applied->removeInvalidateObserver(this);
    m_applied = g;
    if (m_applied) m_applied->addInvalidateObserver(this);
}

void CDirectDrawSurface::onDestroy(CGraphicsObject* object) {
    if (object && object == m_applied) {
        object->removeInvalidateObserver(this);
        m_applied = nullptr;
    }
    CGraphicsObject::onDestroy(object);
}

CDirectDrawSurface::CDirectDrawSurface(const CDirectDrawSurface& other)
    : CGraphicsObject(other), m_surface(other.m_surface) {
    m_ownsBuffers = false;
    applyToRestore(other.m_applied);
    if (m_surface) m_surface->addRef();
}

CDirectDrawSurface& CDirectDrawSurface::operator=(const CDirectDrawSurface& other) {
    if (this == &other) return *this;
    if (other.m_surface) other.m_surface->addRef();
    releaseDC();
    if (m_surface) m_surface->release();
    applyToRestore(nullptr);
    CGraphicsObject::operator=(other);
    m_ownsBuffers = false;
    applyToRestore(other.m_applied);
    m_surface = other.m_surface;
    return *this;
}

void CDirectDrawSurface::create_surface(bool videoMemory) {
    CGraphicsWindowServices* services = CGraphicsWindowServices::of(m_window);
    CSurface* screen = services ? services->GetSurface() : nullptr;
    platform::IDisplay* display = screen ? screen->getDirectDrawInterface() : nullptr;
    if (!display) return;
    const bool inVideoMemory = videoMemory && services->isVMem();
    platform::IDisplaySurface* s = nullptr;
    const int32_t r = display->createOffscreenSurface(m_width, m_height, inVideoMemory, &s);
    setErrorCode(r);
    if (!s) {
        if (inVideoMemory) create_surface(false);
        return;
    }
    m_surface = s;
    GetDataPtr();
}

char* CDirectDrawSurface::GetDataPtr() {
    if (m_pixels || !m_surface) return m_pixels;
    platform::SurfaceMemory memory;
    bool restored = false;
    int32_t r;
    for (;;) {
        r = m_surface->lock(&memory);
        if (r == platform::kSurfaceLost && !restored) {
            m_surface->restore();
            restored = true;
        } else if (r != platform::kStillDrawing) {
            break;
        }
    }
    if (r != platform::kDisplayOk) return nullptr;
    m_surface->unlock();
    m_pixels = reinterpret_cast<char*>(memory.bits);
    m_pitch = memory.pitch / 2;
    return m_pixels;
}

void CDirectDrawSurface::Release() {
    if (m_surface) m_surface->unlock();
}

void CDirectDrawSurface::SetDirectDrawSurfaceInterface(platform::IDisplaySurface* s) {
    if (s == m_surface) return;
    if (s) s->addRef();
    releaseDC();
    if (m_surface) m_surface->release();
    m_surface = s;
    m_pixels = nullptr;
    GetDataPtr();
}

platform::IDeviceContext* CDirectDrawSurface::getDC() {
    if (!m_dc && m_surface) {
        platform::IDeviceContext* dc = nullptr;
        if (withRestore(nullptr, [&] { return m_surface->getDC(&dc); }) == platform::kDisplayOk) m_dc = dc;
    }
    return m_dc;
}

void CDirectDrawSurface::releaseDC() {
    if (m_dc && m_surface) m_surface->releaseDC(m_dc);
    m_dc = nullptr;
}

void CDirectDrawSurface::restoreAndRedraw() {
    if (!m_surface || m_surface->isLost() != platform::kSurfaceLost) return;
    m_surface->restore();
    if (m_applied) {
        m_applied->SetDestiny(this);
        m_applied->Redraw();
    }
}

template <class F>
int32_t CDirectDrawSurface::withRestore(CDirectDrawSurface* src, F call) {
    int32_t r = call();
    if (r == platform::kSurfaceLost) {
        restoreAndRedraw();
        if (src && src != this) src->restoreAndRedraw();
        r = call();
    }
    setErrorCode(r);
    return r;
}

void CDirectDrawSurface::Blt(CDirectDrawSurface* src, int x, int y, CXRect* srcRect) {
    platform::IDisplaySurface* s = src ? src->m_surface : nullptr;
    if (!s || !m_surface) return;
    if (!srcRect) {
        withRestore(src, [&] { return m_surface->bltFast(x, y, s, nullptr); });
        return;
    }
    const int sw = src->Width(), sh = src->Height();
    platform::DisplayRect r = toDisplay(*srcRect);
    if (srcRect->Width() > sw || srcRect->Height() > sh) {
        x = (srcRect->Width() - sw) >> 1;
        y = (srcRect->Height() - sh) >> 1;
        r = platform::DisplayRect{0, 0, sw, sh};
    }
    withRestore(src, [&] { return m_surface->bltFast(x, y, s, &r); });
}

void CDirectDrawSurface::Blt(CDirectDrawSurface* src, CXRect* srcRect, CXRect* dstRect) {
    platform::IDisplaySurface* s = src ? src->m_surface : nullptr;
    if (!s || !m_surface) return;
    if (src != this) src->restoreAndRedraw();
    const platform::DisplayRect sr = srcRect ? toDisplay(*srcRect) : platform::DisplayRect{};
    const platform::DisplayRect dr = dstRect ? toDisplay(*dstRect) : platform::DisplayRect{};
    withRestore(src, [&] { return m_surface->blt(dstRect ? &dr : nullptr, s, srcRect ? &sr : nullptr); });
}

void CDirectDrawSurface::Fill(CColor* c) {
    if (!c || !m_surface) return;
    const auto pixel = static_cast<uint32_t>(c->GetInBPP(m_bpp));
    withRestore(nullptr, [&] { return m_surface->colorFill(nullptr, pixel); });
}

void CDirectDrawSurface::Fill(CXRect r, CColor* c) {
    if (!c || !m_surface) return;
    const auto pixel = static_cast<uint32_t>(c->GetInBPP(m_bpp));
    const platform::DisplayRect d = toDisplay(r);
    withRestore(nullptr, [&] { return m_surface->colorFill(&d, pixel); });
}

void CDirectDrawSurface::Redraw() {
    auto* destiny = dynamic_cast<CDirectDrawSurface*>(m_destiny);
    if (!destiny) {
        CGraphicsObject::Redraw();
        return;
    }
    const int dw = destiny->Width(), dh = destiny->Height();
    const int x = m_position.x, y = m_position.y;
    if (x <= -dw || x >= dw || y <= -dh || y >= dh) return;
    CXRect rect(x <= 0 ? -x : 0, y <= 0 ? -y : 0, m_width, m_height);
    if (int64_t{x} + m_width >= dw) rect.right = dw - x;
    if (int64_t{y} + m_height >= dh) rect.bottom = dh - y;
    destiny->Blt(this, x + rect.left, y + rect.top, &rect);
}
