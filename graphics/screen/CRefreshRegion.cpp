#include "graphics/screen/CRefreshRegion.h"

#include <algorithm>
#include <new>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

bool overlaps(const CXRect& a, const CXRect& b) {
    return std::max(a.left, b.left) < std::min(a.right, b.right) &&
           std::max(a.top, b.top) < std::min(a.bottom, b.bottom);
}

bool covers(const CXRect& outer, const CXRect& inner) {
    return outer.left <= inner.left && outer.top <= inner.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// The part of n outside l (the two overlap, neither contains the other) as whole-width
// strips above and below l and the pieces beside l between them: rows stay as wide as
// they can, so the copies of the region take few rows.
void cut(const CXRect& n, const CXRect& l, std::vector<CXRect>& pieces) {
    const int top = std::max(n.top, l.top), bottom = std::min(n.bottom, l.bottom);
    if (n.top < l.top) pieces.emplace_back(n.left, n.top, n.right, l.top);
    if (n.left < l.left) pieces.emplace_back(n.left, top, l.left, bottom);
    if (n.right > l.right) pieces.emplace_back(l.right, top, n.right, bottom);
    if (n.bottom > l.bottom) pieces.emplace_back(n.left, l.bottom, n.right, n.bottom);
}

}  // namespace

CRefreshRegion::CRefreshRegion(bool wholeScreen, CXSize canvas)
    : CXArray(kDefaultCapacity, kDefaultLoadFactor), m_wholeScreen(wholeScreen), m_canvas(canvas) {
    CXArray::add(static_cast<void*>(nullptr));
}

CRefreshRegion::~CRefreshRegion() {
    m_wholeScreen = false;
    deleteRects();
    for (CXRect* r : m_spare) delete r;
}

void CRefreshRegion::release(CXRect* r) {
    if (!r) return;
    if (m_spare.size() < kMaxSpare) {
        m_spare.push_back(r);
        return;
    }
    delete r;
}

void CRefreshRegion::deleteRects() {
    for (int i = 0; i < m_count; ++i) release(static_cast<CXRect*>(at(i)));
    CXArray::removeAll();
    m_mirrored = -1;
}

void CRefreshRegion::mirrorPush(const CXRect* r) {
    if (!m_narrow) return;
    // Sides outside 16 bits clamp without changing what they overlap on the canvas; an
    // entry without area gets sides that no rectangle lies between, as the padding has.
    // The new entry takes the first padding place, and one more goes behind.
    auto side = [](int32_t v) { return static_cast<int16_t>(std::clamp<int32_t>(v, INT16_MIN, INT16_MAX)); };
    const bool proper = r && r->IsProper();
    const size_t i = m_left.size() - kPadding;
    m_left[i] = proper ? side(r->left) : INT16_MAX;
    m_top[i] = proper ? side(r->top) : INT16_MAX;
    m_right[i] = proper ? side(r->right) : INT16_MIN;
    m_bottom[i] = proper ? side(r->bottom) : INT16_MIN;
    padOne();
}

void CRefreshRegion::padOne() {
    m_left.push_back(INT16_MAX);
    m_top.push_back(INT16_MAX);
    m_right.push_back(INT16_MIN);
    m_bottom.push_back(INT16_MIN);
}

void CRefreshRegion::mirror() {
    if (m_mirrored == m_count) return;
    m_left.clear();
    m_top.clear();
    m_right.clear();
    m_bottom.clear();
    // Added rectangles are cut to a canvas of known size; within 16 bits the search
    // compares eight sides a step.
    m_narrow = m_canvas.cx > 0 && m_canvas.cy > 0 && m_canvas.cx <= INT16_MAX && m_canvas.cy <= INT16_MAX;
    if (m_narrow)
        for (size_t k = 0; k < kPadding; ++k) padOne();
    for (int i = 0; i < m_count; ++i) mirrorPush(static_cast<const CXRect*>(at(i)));
    m_mirrored = m_count;
}

int CRefreshRegion::firstOverlap(const CXRect& n, int from) {
    mirror();
    const int count = m_count;
    int i = from;
    if (!m_narrow) {
        for (; i < count; ++i) {
            const CXRect* l = static_cast<const CXRect*>(at(i));
            if (l && overlaps(*l, n)) return i;
        }
        return -1;
    }
#if defined(__SSE2__)
    // Sixteen at a time; the padding behind the list never matches.
    const __m128i nl = _mm_set1_epi16(static_cast<int16_t>(n.left)), nt = _mm_set1_epi16(static_cast<int16_t>(n.top));
    const __m128i nr = _mm_set1_epi16(static_cast<int16_t>(n.right)), nb = _mm_set1_epi16(static_cast<int16_t>(n.bottom));
    auto load = [](const std::vector<int16_t>& v, int at) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(v.data() + at));
    };
    auto hits8 = [&](int at) {
        // n has area: a listed one overlaps it when each side lies before the other's
        // opposite side.
        const __m128i x = _mm_and_si128(_mm_cmplt_epi16(load(m_left, at), nr), _mm_cmplt_epi16(nl, load(m_right, at)));
        const __m128i y = _mm_and_si128(_mm_cmplt_epi16(load(m_top, at), nb), _mm_cmplt_epi16(nt, load(m_bottom, at)));
        return _mm_and_si128(x, y);
    };
    for (; i < count; i += 16) {
        const int mask = _mm_movemask_epi8(_mm_packs_epi16(hits8(i), hits8(i + 8)));
        if (mask) return i + __builtin_ctz(static_cast<unsigned>(mask));
    }
    return -1;
#else
    for (; i < count; ++i)
        if (std::max<int>(m_left[i], n.left) < std::min<int>(m_right[i], n.right) &&
            std::max<int>(m_top[i], n.top) < std::min<int>(m_bottom[i], n.bottom))
            return i;
    return -1;
#endif
}

void CRefreshRegion::add(CXArray* other) {
    CXArray::add(other);
    m_mirrored = -1;
}

bool CRefreshRegion::replace(void* oldP, void* p) {
    m_mirrored = -1;
    return CXArray::replace(oldP, p);
}

void* CRefreshRegion::setAt(int i, void* p) {
    m_mirrored = -1;
    return CXArray::setAt(i, p);
}

void CRefreshRegion::insertAt(int i, void* p) {
    m_mirrored = -1;
    CXArray::insertAt(i, p);
}

void CRefreshRegion::remove(void* p) {
    m_mirrored = -1;
    CXArray::remove(p);
}

void CRefreshRegion::removeAt(int i) {
    m_mirrored = -1;
    CXArray::removeAt(i);
}

void CRefreshRegion::removeAll() {
    deleteRects();
    m_wholeScreen = false;
}

void CRefreshRegion::setWholeScreen() {
    removeAll();
    m_wholeScreen = true;
    CXArray::add(static_cast<void*>(nullptr));
}

void CRefreshRegion::append(const CXRect& n) {
    CXRect* copy = nullptr;
    if (!m_spare.empty()) {
        copy = m_spare.back();
        m_spare.pop_back();
        *copy = n;
    } else {
        copy = new (std::nothrow) CXRect(n);
    }
    if (!copy) {
        setWholeScreen();
        return;
    }
    mirror();
    CXArray::add(static_cast<void*>(copy));
    if (m_mirrored + 1 == m_count) {
        mirrorPush(copy);
        m_mirrored = m_count;
    }
}

void CRefreshRegion::add(CXRect* r) {
    if (m_wholeScreen) return;
    if (!r) {
        setWholeScreen();
        return;
    }
    CXRect first(*r);
    if (m_canvas.cx > 0 && m_canvas.cy > 0) {
        const CXRect canvas(0, 0, m_canvas.cx, m_canvas.cy);
        first.left = std::max(first.left, 0);
        first.top = std::max(first.top, 0);
        first.right = std::min(first.right, canvas.right);
        first.bottom = std::min(first.bottom, canvas.bottom);
        if (first == canvas) {
            setWholeScreen();
            return;
        }
    }
    if (!first.IsProper()) return;

    // Pieces are added depth first, each cut against the whole list as it stands then.
    // A piece lies inside the rectangle it was cut from, so the listed ones that missed
    // that rectangle miss the piece as well: its search starts where the cut was found.
    m_pending.clear();
    m_pending.push_back({first, 0});
    while (!m_pending.empty() && !m_wholeScreen) {
        const Pending p = m_pending.back();
        m_pending.pop_back();
        const CXRect& n = p.rect;
        const int hit = firstOverlap(n, p.from);
        if (hit < 0) {
            append(n);
            continue;
        }
        const CXRect l(*static_cast<const CXRect*>(at(hit)));
        if (covers(l, n)) continue;
        if (covers(n, l)) {
            release(static_cast<CXRect*>(at(hit)));
            CXArray::removeAt(hit);
            if (m_narrow) {
                m_left.erase(m_left.begin() + hit);
                m_top.erase(m_top.begin() + hit);
                m_right.erase(m_right.begin() + hit);
                m_bottom.erase(m_bottom.begin() + hit);
            }
            m_mirrored = m_count;
            // Positions after the removed one move down by one.
            for (Pending& q : m_pending)
                if (q.from > hit) --q.from;
            m_pending.push_back({n, hit});
            continue;
        }
        m_pieces.clear();
        cut(n, l, m_pieces);
        for (auto it = m_pieces.rbegin(); it != m_pieces.rend(); ++it) m_pending.push_back({*it, hit + 1});
    }
}
