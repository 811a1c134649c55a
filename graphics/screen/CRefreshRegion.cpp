#include "graphics/screen/CRefreshRegion.h"

#include <algorithm>
#include <new>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

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
    // An entry without area gets sides that no rectangle lies between.
    const bool proper = r && r->IsProper();
    m_left.push_back(proper ? r->left : INT32_MAX);
    m_top.push_back(proper ? r->top : INT32_MAX);
    m_right.push_back(proper ? r->right : INT32_MIN);
    m_bottom.push_back(proper ? r->bottom : INT32_MIN);
}

void CRefreshRegion::mirror() {
    if (m_mirrored == m_count) return;
    m_left.clear();
    m_top.clear();
    m_right.clear();
    m_bottom.clear();
    for (int i = 0; i < m_count; ++i) mirrorPush(static_cast<const CXRect*>(at(i)));
    m_mirrored = m_count;
}

int CRefreshRegion::firstOverlap(const CXRect& n, int from) {
    mirror();
    const int count = m_count;
    int i = from;
#if defined(__SSE2__)
    const __m128i nl = _mm_set1_epi32(n.left), nt = _mm_set1_epi32(n.top);
    const __m128i nr = _mm_set1_epi32(n.right), nb = _mm_set1_epi32(n.bottom);
    auto load = [](const std::vector<int32_t>& v, int at) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(v.data() + at));
    };
    auto hits4 = [&](int at) {
        // n has area: a listed one overlaps it when each side lies before the other's
        // opposite side.
        const __m128i x = _mm_and_si128(_mm_cmplt_epi32(load(m_left, at), nr), _mm_cmplt_epi32(nl, load(m_right, at)));
        const __m128i y = _mm_and_si128(_mm_cmplt_epi32(load(m_top, at), nb), _mm_cmplt_epi32(nt, load(m_bottom, at)));
        return _mm_and_si128(x, y);
    };
    for (; i + 8 <= count; i += 8) {
        const int mask = _mm_movemask_ps(_mm_castsi128_ps(hits4(i))) | _mm_movemask_ps(_mm_castsi128_ps(hits4(i + 4))) << 4;
        if (mask) return i + __builtin_ctz(static_cast<unsigned>(mask));
    }
    for (; i + 4 <= count; i += 4) {
        const int mask = _mm_movemask_ps(_mm_castsi128_ps(hits4(i)));
        if (mask) return i + __builtin_ctz(static_cast<unsigned>(mask));
    }
#endif
    for (; i < count; ++i)
        if (std::max(m_left[i], n.left) < std::min(m_right[i], n.right) &&
            std::max(m_top[i], n.top) < std::min(m_bottom[i], n.bottom))
            return i;
    return -1;
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
        const CXRect l(m_left[hit], m_top[hit], m_right[hit], m_bottom[hit]);
        if (covers(l, n)) continue;
        if (covers(n, l)) {
            release(static_cast<CXRect*>(at(hit)));
            CXArray::removeAt(hit);
            m_left.erase(m_left.begin() + hit);
            m_top.erase(m_top.begin() + hit);
            m_right.erase(m_right.begin() + hit);
            m_bottom.erase(m_bottom.begin() + hit);
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
