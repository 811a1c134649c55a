#include "graphics/screen/CRefreshScreen.h"

#include <algorithm>
#include <vector>

#include "foundation/CXArray.h"
#include "graphics/image/CImageFile.h"
#include "graphics/screen/CDirectDrawSurface.h"
#include "graphics/screen/CRefreshRegion.h"
#include "graphics/screen/CValidationQuene.h"
#include "graphics/core/CGraphicsUnit.h"
#include "graphics/core/CGraphicsWindowServices.h"

namespace {

constexpr int kObserverCapacity = 101;
constexpr float kObserverLoadFactor = 0.75f;

// One piece of a background copy along an axis: source start, destination start, length.
struct Span {
    int source;
    int dest;
    int length;
};

// The pieces that fill [dest, dest + length) from source position `start` of a background
// `size` long: wrapping, as many pieces as it takes; else only the part inside it.
void spans(int start, int dest, int length, int size, bool wrap, std::vector<Span>& out) {
    out.clear();
    if (length <= 0 || size <= 0) return;
    if (!wrap) {
        const int from = std::max(start, 0);
        const int to = static_cast<int>(std::min<int64_t>(int64_t{start} + length, size));
        if (from < to) out.push_back({from, dest + (from - start), to - from});
        return;
    }
    int pos = start % size;
    if (pos < 0) pos += size;
    int done = 0;
    while (done < length) {
        const int n = std::min(length - done, size - pos);
        out.push_back({pos, dest + done, n});
        done += n;
        pos = 0;
    }
}

}  // namespace

// ---- construction ----

namespace {
CXSize screenSize(CWindow* window) {
    CGraphicsWindowServices* services = CGraphicsWindowServices::of(window);
    return services ? services->GetScreenSize() : CXSize();
}
int screenBpp(CWindow* window) {
    CGraphicsWindowServices* services = CGraphicsWindowServices::of(window);
    return services ? services->GetBpp() : 16;
}
}  // namespace

CRefreshScreen::CRefreshScreen(CWindow* window, bool ownSurface)
    : CGraphicsObject(window, screenSize(window), screenBpp(window)) {
    init(ownSurface);
}

CRefreshScreen::CRefreshScreen(CWindow* window, CXSize size, int bpp) : CGraphicsObject(window, size, bpp) {
    init(false);
}

void CRefreshScreen::init(bool ownSurface) {
    freeOwned(m_pixels);
    m_hasOwnSurface = ownSurface;
    if (ownSurface) {
        m_ownSurface = new CDirectDrawSurface(m_window, CXSize(m_width, m_height), m_bpp, false);
        m_ownsBuffers = false;
        m_pixels = m_ownSurface->GetDataPtr();
    }
    m_region = new CRefreshRegion(true, CXSize(m_width, m_height));
    m_background = new CBackgroundManager(this, m_window);
    m_queue = new CValidationQuene();
}

CRefreshScreen::~CRefreshScreen() {
    // Registered objects outlive the canvas: they must reach neither it nor the surface
    // of its last pass any more.
    for (int i = 0; i < m_queue->getCount(); ++i) {
        CGraphicsObject* g = m_queue->elementAt(i)->getObject();
        if (!g) continue;
        if (g->GetCanvas() == this) g->SetCanvas(nullptr);
        if (m_destination && g->GetDestiny() == m_destination) g->SetDestiny(nullptr);
    }
    forgetBackgroundImage();
    SetBackground(static_cast<CGraphicsObject*>(nullptr));
    delete m_catch;
    delete m_region;
    delete m_background;
    delete m_catchSource;
    delete m_queue;
    delete m_canvasObservers;
    delete m_backgroundImage;
    m_pixels = nullptr;
    delete m_ownSurface;
}

// ---- registration ----

void CRefreshScreen::put(CGraphicsObject* g, int priority) {
    if (!g || m_queue->find(g)) return;
    g->SetCanvas(this);
    m_queue->add(g, priority, 0);
    Invalidate(g);
}

CRefreshScreen& CRefreshScreen::operator<<(CGraphicsObject* g) {
    put(g, 0);
    return *this;
}

CRefreshScreen& CRefreshScreen::operator>>(CGraphicsObject* g) {
    if (!g || !m_queue->find(g)) return *this;
    m_queue->remove(g);
    // An object taken out must not keep a canvas that may go before it does.
    if (g->GetCanvas() == this) g->SetCanvas(nullptr);
    return *this;
}

void CRefreshScreen::SetPriority(CGraphicsObject* g, int priority) {
    if (!g || !m_queue->find(g)) return;
    m_queue->remove(g);
    m_queue->add(g, priority, 0);
}

int CRefreshScreen::GetPriority(CGraphicsObject* g) {
    CValidationElement* e = m_queue->find(g);
    return e ? e->getPriority() : -1;
}

int CRefreshScreen::getIndex(CGraphicsObject* g) { return m_queue->getIndex(g); }

bool CRefreshScreen::SetFlags(CGraphicsObject* g, int flags) {
    if (!g) {
        m_canvasFlags = flags;
        return true;
    }
    CValidationElement* e = m_queue->find(g);
    if (e) e->setFlags(flags);
    return e != nullptr;
}

int CRefreshScreen::GetFlags(CGraphicsObject* g) {
    CValidationElement* e = m_queue->find(g);
    return e ? e->getFlags() : 0;
}

void CRefreshScreen::Empty() {
    for (int i = 0; i < m_queue->getCount(); ++i) {
        CGraphicsObject* g = m_queue->elementAt(i)->getObject();
        if (g && g->GetCanvas() == this) g->SetCanvas(nullptr);
    }
    m_queue->removeAll();
}

void CRefreshScreen::Visible(bool visible) {
    std::vector<CGraphicsObject*> objects;
    for (int i = 0; i < m_queue->getCount(); ++i) objects.push_back(m_queue->elementAt(i)->getObject());
    for (CGraphicsObject* g : objects)
        if (g) g->Visible(visible);
}

// ---- invalidation ----

void CRefreshScreen::Invalidate(CXRect* r) {
    CXRect canvas(0, 0, m_width, m_height);
    if (!r) {
        m_region->add(&canvas);
        return;
    }
    CXRect part = r->Common(canvas);
    if (part.IsProper()) m_region->add(&part);
}

void CRefreshScreen::Invalidate(CGraphicsObject* g) {
    if (!g || !g->isVisible() || !m_queue->find(g)) return;
    CXRect box = g->GetBoundingBox();
    Invalidate(&box);
}

void CRefreshScreen::validate() { m_region->removeAll(); }

// ---- redraw ----

bool CRefreshScreen::Redraw(CDirectDrawSurface* dst, CSurface*, bool* reset) {
    // The entered scene's display unit gets its first-frame and per-frame hooks; without
    // one the frame is one plain pass.
    CGraphicsWindowServices* services = CGraphicsWindowServices::of(m_window);
    CGraphicsUnit* unit = services ? services->getGraphicsUnit() : nullptr;
    if (!unit) return redrawPass(dst);
    bool first = false;
    if (!unit->wasInitiallyUpdated()) {
        first = true;
        if (m_notify) notify(0);
        unit->onInitialUpdate();
        services->Invalidate();
        if (reset) *reset = true;
    } else {
        unit->onCanvasRefreshed();
    }
    bool answer = false;
    if (unit->wasInitiallyUpdated()) answer = redrawPass(dst);
    if (first) notify(5);
    return answer;
}

void CRefreshScreen::Redraw() {
    if (m_hasOwnSurface && m_ownSurface) redrawPass(m_ownSurface);
}

namespace {

// Draws g into its destiny cut to part (canvas coordinates); a clipping rectangle of
// the object's own is kept and cut to the part as well.
void drawPart(CGraphicsObject* g, const CXRect& part) {
    const CXRect saved = g->GetClippingRect();
    CXRect clip = part - g->GetPosition();
    if (!saved.IsEmpty()) clip = clip.Common(saved);
    if (clip.IsProper()) {
        g->SetClippingRect(clip);
        g->Redraw();
    }
    g->SetClippingRect(saved);
}

}  // namespace

bool CRefreshScreen::redrawPass(CDirectDrawSurface* dst) {
    if (!dst) return false;
    const CXRect canvas(0, 0, m_width, m_height);

    // Objects changed since the last pass bring their boxes into the region before the
    // background is painted: what lies under and above them is repainted with them.
    std::vector<CGraphicsObject*> invalidated;
    for (int i = 0; i < m_queue->getCount(); ++i) {
        CGraphicsObject* g = m_queue->elementAt(i)->getObject();
        if (!g || !g->isVisible() || !g->isInvalidated()) continue;
        invalidated.push_back(g);
        g->SetDestiny(dst);
        CXRect part = g->GetBoundingBox().Common(canvas);
        if (part.IsProper()) m_region->add(&part);
    }
    std::sort(invalidated.begin(), invalidated.end());

    const bool answer = m_region->getCount() > 0;
    ++m_counter;
    // Observers' handlers run inside the pass: a redraw they ask for only invalidates.
    struct PassMark {
        bool& flag;
        bool was;
        explicit PassMark(bool& f) : flag(f), was(f) { flag = true; }
        ~PassMark() { flag = was; }
    } mark(m_inPass);
    m_destination = dst;
    m_background->Redraw(dst, m_region);
    const bool anyObject = m_queue->getCount() > 0;
    if (anyObject && m_notify) notify(1);
    // A flip may have swapped the surface's memory since the last pass.
    dst->SetDataPtr(nullptr);
    dst->GetDataPtr();

    for (int i = 0; i < m_queue->getCount(); ++i) {
        CValidationElement* e = m_queue->elementAt(i);
        CGraphicsObject* g = e->getObject();
        if (!g || !g->isVisible()) continue;
        g->SetDestiny(dst);
        const CXRect box = g->GetBoundingBox().Common(canvas);
        if (std::binary_search(invalidated.begin(), invalidated.end(), g)) {
            if (box.IsProper()) drawPart(g, box);
            continue;
        }
        const CXSize size = g->Size();
        for (int k = 0; k < m_region->getCount() && g->isVisible() && !e->isDrawn(); ++k) {
            const CXRect* r = m_region->rectAt(k);
            const CXRect part = r ? r->Common(box) : box;
            if (!part.IsProper()) continue;
            drawPart(g, part);
            if (part.Width() == size.cx && part.Height() == size.cy) e->setDrawn(true);
        }
    }

    if (anyObject && m_notify) notify(2);
    m_queue->clearMarks();
    if (m_canvasFlags & kGrayScale) dst->ToGrayScale();
    return answer;
}

// ---- snapshot ----

CDirectDrawSurface* CRefreshScreen::_catch() {
    if (!m_catchSource) return m_catch;
    if (!m_catch) m_catch = new CDirectDrawSurface(m_window, CXSize(m_width, m_height), m_bpp, false);
    m_catch->Blt(m_catchSource, 0, 0, nullptr);
    return m_catch;
}

void CRefreshScreen::_release() {
    delete m_catch;
    m_catch = nullptr;
}

void CRefreshScreen::setSnapshotSource(CDirectDrawSurface* source) {
    if (source == m_catchSource) return;
    delete m_catchSource;
    m_catchSource = source;
}

// ---- background ----

void CRefreshScreen::SetBackground(CColor* c) { m_background->SetBackground(c); }

void CRefreshScreen::SetBackground(CGraphicsObject* g) { m_background->SetBackground(g); }

void CRefreshScreen::SetBackground(CXString name) {
    CImageFile file(m_window);
    file.Load(name);
    forgetBackgroundImage();
    delete m_backgroundImage;
    m_backgroundImage = file.getObject();
    if (m_backgroundImage && m_backgroundImage->LastError() == 0) SetBackground(m_backgroundImage);
}

void CRefreshScreen::setBackground(CDirectDrawSurface* s) { m_background->setBackground(s); }

CDirectDrawSurface* CRefreshScreen::getBackgroundIfc() const { return m_background->getBackground(); }

int CRefreshScreen::getScrollMode() const { return m_background->getScrollMode(); }

void CRefreshScreen::forgetBackgroundImage() {
    CDirectDrawSurface* s = m_background ? m_background->getBackground() : nullptr;
    if (s && m_backgroundImage && s->getApplied() == m_backgroundImage) s->applyToRestore(nullptr);
}

void CRefreshScreen::flush() {
    forgetBackgroundImage();
    delete m_backgroundImage;
    m_backgroundImage = nullptr;
}

// ---- observers ----

void CRefreshScreen::addNotifier(CCanvasObserver* observer) {
    if (!m_canvasObservers) m_canvasObservers = new CXArray(kObserverCapacity, kObserverLoadFactor);
    m_canvasObservers->add(static_cast<void*>(observer));
}

void CRefreshScreen::removeNotifier(CCanvasObserver* observer) {
    if (m_canvasObservers) m_canvasObservers->remove(static_cast<void*>(observer));
}

void CRefreshScreen::notify(int code) {
    if (!m_canvasObservers || code < 0 || code > 5) return;
    // Over a copy: an observer may come or go while it is told.
    std::vector<CCanvasObserver*> list;
    for (int i = 0; i < m_canvasObservers->getCount(); ++i)
        list.push_back(static_cast<CCanvasObserver*>(m_canvasObservers->at(i)));
    for (CCanvasObserver* o : list) {
        // An observer removed by an earlier one's handler is not told.
        if (!o || !m_canvasObservers->contains(static_cast<void*>(o))) continue;
        switch (code) {
        case 0: o->onInitialUpdate(); break;
        case 1: o->onUpdate(); break;
        case 2: o->onUpdated(); break;
        case 3: o->onFocusOn(); break;
        case 4: o->onFocusOff(); break;
        case 5: o->onInitialUpdated(); break;
        default: break;
        }
    }
}

void CRefreshScreen::onFocusOn() {
    if (m_notify) notify(3);
}

void CRefreshScreen::onFocusOff() {
    if (m_notify) notify(4);
}

// ---- picking and saving ----

CGraphicsObject* CRefreshScreen::getGraphicsAt(int x, int y, bool visibleOnly, int minPriority, int maxPriority,
                                               bool ignoreAlpha) {
    CGraphicsObject* best = nullptr;
    int bestPriority = -1;
    for (int i = 0; i < m_queue->getCount(); ++i) {
        CValidationElement* e = m_queue->elementAt(i);
        CGraphicsObject* g = e->getObject();
        const int priority = e->getPriority();
        if (!g) continue;
        if (minPriority >= 0 && priority < minPriority) continue;
        if (maxPriority >= 0 && priority > maxPriority) continue;
        if (visibleOnly && !g->isVisible()) continue;
        if (!g->GetBoundingBox().IsInRect(x, y)) continue;
        const bool hit = !g->AlphaChannel() || ignoreAlpha ||
                         g->GetPixel(CHANNEL_ALPHA, g->ClientCoords(CXPoint(x, y))) != 0;
        if (hit && priority >= bestPriority) {
            best = g;
            bestPriority = priority;
        }
    }
    return best;
}

void CRefreshScreen::Save(CXString name, _compression compression) {
    if (m_counter > 0 && m_destination) m_destination->Save(name, compression);
}

// ---- background manager ----

CRefreshScreen::CBackgroundManager::CBackgroundManager(CRefreshScreen* screen, CWindow* window)
    : m_screen(screen), m_window(window) {}

CRefreshScreen::CBackgroundManager::~CBackgroundManager() { clear(); }

void CRefreshScreen::CBackgroundManager::clear() {
    delete m_background;
    m_background = nullptr;
}

void CRefreshScreen::CBackgroundManager::SetBackground(CColor* c) {
    clear();
    CColor grey(7, 7, 7);
    m_background = new CDirectDrawSurface(m_window, m_screen->Size(), m_screen->GetBpp(), true);
    m_background->Fill(c ? c : &grey);
    m_mode = 0;
}

void CRefreshScreen::CBackgroundManager::SetBackground(CGraphicsObject* g) {
    clear();
    if (!g) return;
    m_background = new CDirectDrawSurface(m_window, g->Size(), m_screen->GetBpp(), true);
    CGraphicsObject* destiny = g->GetDestiny();
    const CXRect clip = g->GetClippingRect();
    g->SetDestiny(m_background);
    g->Redraw();
    g->SetDestiny(destiny);
    g->SetClippingRect(clip);
    m_background->applyToRestore(g);
    checkScrollMode();
}

void CRefreshScreen::CBackgroundManager::setBackground(CDirectDrawSurface* s) {
    if (s == m_background) return;
    clear();
    m_background = s;
    m_mode = 0;
    checkScrollMode();
}

void CRefreshScreen::CBackgroundManager::checkScrollMode() {
    if (!m_background) return;
    const int w = m_background->Width(), h = m_background->Height();
    const int cw = m_screen->Width(), ch = m_screen->Height();
    if (w > cw && h > ch)
        m_mode = 3;
    else if (h == ch)
        m_mode = 1;
    else if (w == cw)
        m_mode = 2;
}

void CRefreshScreen::CBackgroundManager::Redraw(CDirectDrawSurface* dst, CRefreshRegion* region) {
    if (!m_background || !dst || !region) return;
    const int w = m_background->Width(), h = m_background->Height();
    if (w <= 0 || h <= 0) return;
    const CXPoint p = m_background->GetPosition();
    int ox = p.x % w, oy = p.y % h;
    if (ox < 0) ox += w;
    if (oy < 0) oy += h;
    m_background->SetPosition(ox, oy);
    if (m_mode == 0 && ox != 0) m_mode = 1;
    if (m_mode == 0 && oy != 0) m_mode = 2;
    const CXRect canvas(0, 0, m_screen->Width(), m_screen->Height());
    for (int i = 0; i < region->getCount(); ++i) {
        const CXRect* r = region->rectAt(i);
        Redraw(dst, r ? *r : canvas);
    }
}

void CRefreshScreen::CBackgroundManager::Redraw(CDirectDrawSurface* dst, const CXRect& r) {
    if (!m_background || !dst || !r.IsProper()) return;
    const CXPoint o = m_background->GetPosition();
    std::vector<Span> xs, ys;
    spans(r.left + o.x, r.left, r.Width(), m_background->Width(), m_mode == 1 || m_mode == 3, xs);
    spans(r.top + o.y, r.top, r.Height(), m_background->Height(), m_mode == 2 || m_mode == 3, ys);
    for (const Span& sy : ys)
        for (const Span& sx : xs) {
            CXRect from(sx.source, sy.source, sx.source + sx.length, sy.source + sy.length);
            dst->Blt(m_background, sx.dest, sy.dest, &from);
        }
}
