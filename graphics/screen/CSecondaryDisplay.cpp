#include "graphics/screen/CSecondaryDisplay.h"

#include "foundation/CPerformanceTimer.h"
#include "foundation/CXArray.h"
#include "graphics/core/CGraphicsWindowServices.h"
#include "graphics/screen/CDirectDrawSurface.h"
#include "graphics/screen/CSurface.h"

namespace {

constexpr int kQueueCapacity = 101;
constexpr float kLoadFactor = 0.75f;

uint32_t nowMs() { return static_cast<uint32_t>(CPerformanceTimer::getMilliseconds()); }

}  // namespace

CSurfaceInfo::~CSurfaceInfo() { delete m_copy; }

CSecondaryDisplay::CSecondaryDisplay() : m_queue(new CXArray(kQueueCapacity, kLoadFactor)) {}

CSecondaryDisplay::CSecondaryDisplay(platform::WindowHandle window, CWindow* engineWindow, int delay)
    : m_hwnd(window), m_window(engineWindow), m_queue(new CXArray(kQueueCapacity, kLoadFactor)),
      m_delay(delay > 0 ? delay : 0) {
    CGraphicsWindowServices* services = CGraphicsWindowServices::of(engineWindow);
    if (!services) return;
    m_pixelBytes = services->GetBpp() > 16 ? 4 : 2;
    m_surface = new CSurface(window, services->GetScreenSize());
    if (m_surface->LastError() != 0 || !m_surface->GetPrimaryBufferInterface()) {
        delete m_surface;
        m_surface = nullptr;
    }
}

CSecondaryDisplay::~CSecondaryDisplay() {
    flush(-1, false);
    delete m_queue;
    delete m_surface;
}

int CSecondaryDisplay::getQueuedCount() const { return m_queue->getCount(); }

int64_t CSecondaryDisplay::bytesOf(const CXRect& rect) const {
    return int64_t{rect.Width()} * rect.Height() * m_pixelBytes + kEntryOverhead;
}

void CSecondaryDisplay::update(CDirectDrawSurface* surface, CXRect* rect) {
    if (!surface || !m_surface) return;
    const CXRect whole(0, 0, surface->Width(), surface->Height());
    const CXRect part = rect ? rect->Common(whole) : whole;
    if (!part.IsProper()) return;
    addSurface(surface, part);
}

void CSecondaryDisplay::addSurface(CDirectDrawSurface* source, const CXRect& rect) {
    CGraphicsWindowServices* services = CGraphicsWindowServices::of(m_window);
    const int bpp = services ? services->GetBpp() : 16;
    auto* copy = new CDirectDrawSurface(m_window, CXSize(rect.Width(), rect.Height()), bpp, false);
    if (!copy->GetDirectDrawSurfaceInterface()) {
        delete copy;
        return;
    }
    CXRect from = rect;
    copy->Blt(source, 0, 0, &from);
    m_queue->add(new CSurfaceInfo(nowMs(), copy, rect));
    m_queuedBytes += bytesOf(rect);
    // The oldest go early rather than let a long delay hold copies without bound.
    int early = 0;
    for (int64_t bytes = m_queuedBytes; bytes > kMaxQueuedBytes && early < m_queue->getCount(); ++early)
        bytes -= bytesOf(static_cast<CSurfaceInfo*>(m_queue->at(early))->getRect());
    flush(early, true);
}

void CSecondaryDisplay::redraw() {
    if (CSurfaceInfo* info = getSurfaceToRedraw()) redraw(info);
}

CSurfaceInfo* CSecondaryDisplay::getSurfaceToRedraw() {
    const int count = m_queue->getCount();
    const uint32_t now = nowMs();
    // Every copy shows once its delay has passed, the newest too: a screen that stands
    // still shows on the mirror a delay later.
    int due = 0;
    while (due < count) {
        const auto* info = static_cast<CSurfaceInfo*>(m_queue->at(due));
        const uint32_t shownAt = info->getTime() + static_cast<uint32_t>(m_delay);
        if (static_cast<int32_t>(now - shownAt) <= 0) break;
        ++due;
    }
    if (due > 0) {
        flush(due - 1, true);
        return static_cast<CSurfaceInfo*>(m_queue->at(0));
    }
    if (m_first && count > 0) return static_cast<CSurfaceInfo*>(m_queue->at(0));
    return nullptr;
}

void CSecondaryDisplay::flush(int n, bool draw) {
    const int count = m_queue->getCount();
    if (n < 0 || n > count) n = count;
    if (n == 0) return;
    for (int i = 0; i < n; ++i) {
        auto* info = static_cast<CSurfaceInfo*>(m_queue->at(i));
        if (draw) redraw(info);
        m_queuedBytes -= bytesOf(info->getRect());
        delete info;
    }
    // The rest moves to the front in one pass.
    for (int i = n; i < count; ++i) m_queue->setAt(i - n, m_queue->at(i));
    for (int i = 0; i < n; ++i) m_queue->removeAt(m_queue->getCount() - 1);
}

void CSecondaryDisplay::redraw(CSurfaceInfo* info) {
    if (!m_surface || !info) return;
    // The second screen is the second window's client area: the rectangle keeps its place.
    CXRect target = info->getRect();
    CXRect from(0, 0, target.Width(), target.Height());
    m_surface->Blt(info->getSurface(), &from, &target);
    m_first = false;
}
