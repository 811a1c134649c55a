#include "graphics/input/CHotSpot.h"

#include <algorithm>
#include <vector>

#include "foundation/CXVector.h"
#include "graphics/core/CGraphicsObject.h"
#include "graphics/screen/CRefreshScreen.h"
#include "graphics/core/CGraphicsUnit.h"
#include "graphics/core/CGraphicsWindowServices.h"

CXVector* CHotSpot::pHSList = nullptr;
CWindow* CHotSpot::m_pWindow = nullptr;
int32_t CHotSpot::minPriority = 0;
int32_t CHotSpot::maxPriority = CHotSpot::kMaxPriority;

namespace {

constexpr int kListCapacity = 101;
constexpr float kLoadFactor = 0.75f;

// Hot spots removed while a dispatcher walks; skipped until the outermost walk ends.
int g_walkDepth = 0;
std::vector<const CHotSpot*> g_removed;

class Walk {
public:
    // The copy of the list that the walk goes over.
    explicit Walk(CXVector* list) {
        ++g_walkDepth;
        for (int i = 0; list && i < list->getCount(); ++i) items.push_back(static_cast<CHotSpot*>(list->at(i)));
    }
    ~Walk() {
        if (--g_walkDepth == 0) g_removed.clear();
    }
    Walk(const Walk&) = delete;
    Walk& operator=(const Walk&) = delete;
    std::vector<CHotSpot*> items;
};

bool gone(const CHotSpot* h) { return !h || std::find(g_removed.begin(), g_removed.end(), h) != g_removed.end(); }

} // namespace

CHotSpot::CHotSpot(CWindow* window) : m_activeRect(new CXRect()) {
    initialize(window);
    add(this);
}

CHotSpot::CHotSpot(CWindow* window, CHotSpot* parent, _event events, int parameter, CMC_Button* button)
    : m_activeRect(new CXRect()), m_parameter(parameter), m_events(events), m_button(button) {
    initialize(window);
    if (!parent) add(this);
}

CHotSpot::CHotSpot(CWindow* window, _event events, int parameter) : m_parameter(parameter), m_events(events) {
    initialize(window);
    add(this);
}

CHotSpot::~CHotSpot() {
    delete m_activeRect;
    m_activeRect = nullptr;
    remove(this);
}

void CHotSpot::initialize(CWindow* window) {
    if (!m_pWindow) m_pWindow = window;
    if (!pHSList) pHSList = new CXVector(kListCapacity, kLoadFactor);
}

CGraphicsWindowServices* CHotSpot::services() { return CGraphicsWindowServices::of(m_pWindow); }

void CHotSpot::done() {
    delete pHSList;
    pHSList = nullptr;
    m_pWindow = nullptr;
}

bool CHotSpot::add(CHotSpot* h) {
    if (!pHSList) pHSList = new CXVector(kListCapacity, kLoadFactor);
    pHSList->add(static_cast<void*>(h));
    return true;
}

bool CHotSpot::remove(CHotSpot* h) {
    if (pHSList) pHSList->remove(static_cast<void*>(h));
    if (g_walkDepth > 0) g_removed.push_back(h);
    return true;
}

int CHotSpot::Set(CGraphicsObject* g, bool alphaTest) {
    m_object = g;
    m_alphaTest = alphaTest;
    if (m_activeRect) m_activeRect->Empty();
    return 0;
}

int CHotSpot::SetActiveRect(CXRect r, _event, int) {
    if (!m_activeRect) m_activeRect = new CXRect();
    *m_activeRect = r;
    m_object = nullptr;
    return 0;
}

void CHotSpot::Enable(bool enabled) {
    if (m_enabled && !enabled && !m_over && m_cursorEnabled && services()) services()->EndActiveCursor();
    m_enabled = enabled;
}

int CHotSpot::getPriority() {
    if (!m_object) return m_priority;
    CRefreshScreen* screen = services() ? services()->GetRefreshScreenInterface() : nullptr;
    return screen ? screen->GetPriority(m_object) : -1;
}

bool CHotSpot::TestHit(CXPoint p) {
    if (!m_enabled) return false;
    if (m_activeRect && m_activeRect->Width() != 0 && m_activeRect->Height() != 0) return m_activeRect->IsInRect(p);
    if (m_object) return m_object->testHit(p, m_alphaTest);
    return false;
}

bool CHotSpot::inWindow() {
    const int p = getPriority();
    return minPriority <= p && p <= maxPriority;
}

bool CHotSpot::unitActive() { return !m_unit || m_unit->isActive(); }

CHotSpot* CHotSpot::findAt(CXVector* list, CXPoint p) {
    Walk walk(list);
    return findIn(walk.items, p);
}

CHotSpot* CHotSpot::findIn(const std::vector<CHotSpot*>& items, CXPoint p) {
    CHotSpot* best = nullptr;
    int bestPriority = -1;
    for (CHotSpot* h : items) {
        if (gone(h) || !h->TestHit(p) || !h->unitActive() || !h->m_enabled) continue;
        const int priority = h->getPriority();
        if (priority < minPriority || priority > maxPriority) continue;
        if (priority > bestPriority) {
            best = h;
            bestPriority = priority;
        }
    }
    return best;
}

int CHotSpot::OnMouseEvent(int event, CXPoint p, int flags) {
    switch (event) {
    case EVENT_MOUSEMOVE:
        return OnMouseMove(pHSList, p, flags, nullptr);
    case EVENT_LBUTTONDOWN:
        return OnLButtonDown(pHSList, p, flags, nullptr);
    case EVENT_LBUTTONUP:
        return OnLButtonUp(pHSList, p, flags, nullptr);
    case EVENT_RBUTTONDOWN:
        return OnRButtonDown(pHSList, p, flags, nullptr);
    case EVENT_RBUTTONUP:
    case EVENT_MBUTTONDOWN:
    case EVENT_MBUTTONUP:
    case EVENT_LBUTTONDBLCLK:
        return 0;
    default:
        return flags;
    }
}

int CHotSpot::OnMouseMove(CXVector* list, CXPoint p, int flags, void*) {
    Walk walk(list);
    int answer = 0;
    for (CHotSpot* h : walk.items) {
        if (gone(h) || !h->m_enabled || !h->m_over || !h->inWindow() || h->TestHit(p)) continue;
        if (h->m_cursorEnabled && services()) services()->EndActiveCursor();
        h->m_over = false;
        answer = h->OnFocusOff(p, flags, h->m_context);
        if (answer > 0) break;
    }
    CHotSpot* h = findIn(walk.items, p);
    if (!h || gone(h) || !h->TestHit(p)) return answer;
    if (h->unitActive() && h->m_cursorEnabled && services()) services()->BeginActiveCursor();
    if (!h->m_enabled) return answer;
    if (h->m_over) return h->OnMouseMove(p, flags, h->m_context);
    h->m_over = true;
    answer = h->OnMouseMove(p, flags, h->m_context);
    // Its own move handler may have removed it.
    if (gone(h)) return answer;
    return h->OnFocusOn(p, flags, h->m_context);
}

int CHotSpot::OnLButtonDown(CXVector* list, CXPoint p, int flags, void*) {
    Walk walk(list);
    CHotSpot* h = findIn(walk.items, p);
    if (!h || !h->m_enabled || !h->TestHit(p)) return 0;
    h->m_over = true;
    return h->OnLButtonDown(p, flags, h->m_context);
}

int CHotSpot::OnLButtonUp(CXVector* list, CXPoint p, int flags, void*) {
    Walk walk(list);
    CHotSpot* h = findIn(walk.items, p);
    if (!h || !h->m_enabled || !h->TestHit(p)) return 0;
    h->m_over = false;
    return h->OnLButtonUp(p, flags, h->m_context);
}

int CHotSpot::OnRButtonDown(CXVector* list, CXPoint p, int flags, void*) {
    Walk walk(list);
    for (CHotSpot* h : walk.items) {
        if (gone(h) || !h->m_enabled || !h->TestHit(p)) continue;
        if (h->m_cursorEnabled && services()) services()->EndActiveCursor();
        h->m_over = true;
        const int answer = h->OnRButtonDown(p, flags, h->m_context);
        if (answer > 0) return answer;
    }
    return 0;
}

void CHotSpot::forgetUnit(CGraphicsUnit* unit) {
    for (int i = 0; unit && pHSList && i < pHSList->getCount(); ++i) {
        auto* h = static_cast<CHotSpot*>(pHSList->at(i));
        if (h && h->m_unit == unit) h->m_unit = nullptr;
    }
}

int CHotSpot::OnKeyDown(int, int) { return 0; }

int CHotSpot::OnKeyUp(int, int) { return 0; }
