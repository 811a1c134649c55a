#include "graphics/canvas/CCanvas.h"

#include <algorithm>
#include <cstring>

#include "graphics/canvas/CGraphicsHolding.h"
#include "graphics/core/CGraphicsWindowServices.h"
#include "graphics/screen/CRefreshScreen.h"
#include "graphics/screen/CValidationQuene.h"

namespace {

CXSize boundedSize(CXSize size) {
    if (size.cx < 0 || size.cx > CCanvas::kMaxSide) size.cx = 0;
    if (size.cy < 0 || size.cy > CCanvas::kMaxSide) size.cy = 0;
    return size;
}

char* newAlpha(int width, int height) {
    const int64_t n = static_cast<int64_t>(width) * height;
    return n > 0 ? new char[static_cast<size_t>(n)]() : nullptr;
}

}  // namespace

CCanvas::CCanvas(CWindow* window, CXSize size, int bpp, bool alpha, bool background)
    : CGraphicsObject(window, boundedSize(size), bpp) {
    m_objects = new CValidationQuene();
    if (alpha && m_width > 0 && m_height > 0) {
        m_alpha = newAlpha(m_width, m_height);
        m_channelSize[3] = m_width * m_height;
    }
    if (background) {
        m_background = new CGraphicsObject(window, CXSize(m_width, m_height), bpp);
        if (alpha && m_width > 0 && m_height > 0) {
            m_background->AlphaChannel(newAlpha(m_width, m_height));
            m_background->GetChannelSize(3) = m_width * m_height;
        }
        add(m_background, -1);
    }
}

CCanvas::~CCanvas() {
    for (CGraphicsObject* g : heldObjects()) release(g);
    m_objects->removeAll();
    delete m_objects;
    m_objects = nullptr;
    CGraphicsObject* background = m_background;
    m_background = nullptr;
    delete background;
}

void CCanvas::release(CGraphicsObject* g) {
    if (!g) return;
    g->removeInvalidateObserver(this);
    if (g->GetDestiny() == this) g->SetDestiny(nullptr);
}

bool CCanvas::contains(CGraphicsObject* g) const { return m_objects && m_objects->find(g) != nullptr; }

int CCanvas::getPriorityOf(CGraphicsObject* g) const {
    CValidationElement* e = m_objects ? m_objects->find(g) : nullptr;
    return e ? e->getPriority() : -1;
}

std::vector<CGraphicsObject*> CCanvas::heldObjects() const {
    std::vector<CGraphicsObject*> list;
    if (!m_objects) return list;
    for (int i = 0; i < m_objects->getCount(); ++i)
        if (CValidationElement* e = m_objects->elementAt(i)) list.push_back(e->getObject());
    return list;
}

void CCanvas::add(CGraphicsObject* g, int priority) {
    if (!g || !m_objects || contains(g)) return;
    if (graphics_holding::holds(g, this)) return;
    m_objects->add(g, priority);
    g->addInvalidateObserver(this);
    g->SetDestiny(this);
    g->Invalidate();
}

void CCanvas::remove(CGraphicsObject* g) {
    if (!g || !contains(g)) return;
    m_objects->remove(g);
    release(g);
}

void CCanvas::removeAll() {
    for (CGraphicsObject* g : heldObjects()) release(g);
    m_objects->removeAll();
    if (m_background) add(m_background, -1);
}

void CCanvas::clearArea(CGraphicsObject* g, bool withAlpha) {
    char* pixels = g->GetDataPtr();
    if (!pixels || g->GetCompression() != COMPRESSION_NONE) return;
    const int w = g->Width();
    const int h = g->Height();
    const int ps = g->GetPixelSize();
    CXRect area(0, 0, w, h);
    if (!m_clipRect.IsEmpty()) area = area.Common(m_clipRect);
    if (!area.IsProper()) return;
    const int pitch = g->GetPitch() > 0 ? g->GetPitch() : w;
    for (int y = area.top; y < area.bottom; ++y)
        std::memset(pixels + (static_cast<size_t>(y) * pitch + area.left) * ps, 0,
                    static_cast<size_t>(area.Width()) * ps);
    char* alpha = g->AlphaChannel();
    if (!withAlpha || !alpha) return;
    for (int y = area.top; y < area.bottom; ++y)
        std::memset(alpha + static_cast<size_t>(y) * w + area.left, 0, static_cast<size_t>(area.Width()));
}

void CCanvas::clear(bool alsoBackground) {
    clearArea(this, true);
    if (alsoBackground && m_background) clearArea(m_background, true);
}

void CCanvas::Redraw() {
    clear(false);
    const CXRect clip = m_clipRect;
    // Over a copy: a child's drawing may change the list.
    for (CGraphicsObject* g : heldObjects()) {
        if (!contains(g) || !g->isVisible()) continue;
        const CXRect saved = g->GetClippingRect();
        g->SetDestiny(this);
        if (clip.IsEmpty()) {
            g->Redraw();
        } else {
            const CXRect part = g->GetBoundingBox().Common(clip);
            if (part.IsProper()) {
                g->SetClippingRect(part - g->GetPosition());
                g->Redraw();
            }
        }
        g->SetClippingRect(saved);
    }
    CGraphicsObject::Redraw();
    m_invalidationCount = 0;
    m_wholeDirty = false;
}

void CCanvas::onInvalidate(CGraphicsObject*, CXRect* rect) {
    ++m_invalidationCount;
    if (m_invalidationCount <= maxRegions) {
        if (!rect) return;
        CXRect moved = *rect + GetPosition();
        CGraphicsObject::Invalidate(&moved);
        return;
    }
    if (m_wholeDirty) return;
    m_wholeDirty = true;
    Invalidate();
}

void CCanvas::onDestroy(CGraphicsObject* object) {
    if (!object) return;
    if (object == m_background) m_background = nullptr;
    remove(object);
    object->removeInvalidateObserver(this);
    CGraphicsObject::onDestroy(object);
}

void CCanvas::draw(CGraphicsObject* g, int x, int y) {
    if (!g || !m_background || graphics_holding::holds(g, this)) return;
    const CXRect clip = g->GetClippingRect();
    CGraphicsObject* destiny = g->GetDestiny();
    g->SetClippingRect(0, 0, 0, 0);
    const graphics_holding::Placement placed = graphics_holding::placeAt(g, x, y);
    const int w = g->Width();
    const int h = g->Height();
    g->SetDestiny(m_background);
    g->Redraw();
    g->SetDestiny(destiny);
    graphics_holding::undo(g, placed);
    g->SetClippingRect(clip);
    CXRect area(x, y, x + w, y + h);
    area += GetPosition();
    CGraphicsObject::Invalidate(&area);
}

void CCanvas::erase(CGraphicsObject* g, int x, int y) {
    if (!g || !m_alpha || !m_pixels) return;
    if (x < 0) x = 0;
    if (y < 0) y = 0;
    if (!graphics_holding::makePlain(g) || !g->AlphaChannel()) {
        graphics_holding::restorePacking(g);
        return;
    }
    const int gw = g->Width();
    const CXRect area = CXRect(x, y, x + gw, y + g->Height()).Common(CXRect(0, 0, m_width, m_height));
    if (area.IsProper()) {
        const auto* mask = reinterpret_cast<const uint8_t*>(g->AlphaChannel());
        auto* own = reinterpret_cast<uint8_t*>(m_alpha);
        auto* back = m_background && m_background->GetCompression() == COMPRESSION_NONE
                         ? reinterpret_cast<uint8_t*>(m_background->AlphaChannel())
                         : nullptr;
        for (int yy = area.top; yy < area.bottom; ++yy) {
            for (int xx = area.left; xx < area.right; ++xx) {
                const int a = mask[static_cast<size_t>(yy - y) * gw + (xx - x)];
                const size_t i = static_cast<size_t>(yy) * m_width + xx;
                own[i] = static_cast<uint8_t>(std::max(0, own[i] - a));
                if (back) back[i] = static_cast<uint8_t>(std::max(0, back[i] - a));
            }
        }
        CXRect moved = area + GetPosition();
        CGraphicsObject::Invalidate(&moved);
    }
    graphics_holding::restorePacking(g);
}

void CCanvas::capture() {
    if (!m_background) return;
    m_objects->remove(m_background);
    m_background->removeInvalidateObserver(this);
    CGraphicsObject* destiny = m_destiny;
    const CXPoint position = m_position;
    const uint8_t opacity = m_opacity;
    const CXRect clip = m_clipRect;
    m_destiny = m_background;
    m_position = CXPoint(0, 0);
    m_opacity = 255;
    Redraw();
    m_position = position;
    m_opacity = opacity;
    m_clipRect = clip;
    m_destiny = destiny;
    removeAll();
    Invalidate();
}

CXObject* CCanvas::clone() {
    auto* copy = new CCanvas(m_window, CXSize(m_width, m_height), m_bpp, m_alpha != nullptr, m_background != nullptr);
    for (CGraphicsObject* g : heldObjects()) copy->add(g, getPriorityOf(g));
    if (m_screen) {
        const int priority = m_screen->GetPriority(this);
        if (priority >= 0) m_screen->put(copy, priority);
    }
    return copy;
}
