#include "graphics/screen/CRefreshRegion.h"

#include <algorithm>
#include <new>
#include <vector>

namespace {

bool overlaps(const CXRect& a, const CXRect& b) {
    return std::max(a.left, b.left) < std::min(a.right, b.right) &&
           std::max(a.top, b.top) < std::min(a.bottom, b.bottom);
}

bool covers(const CXRect& outer, const CXRect& inner) {
    return outer.left <= inner.left && outer.top <= inner.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// The part of n outside l (the two overlap, neither contains the other), in the order and
// shapes the region has always produced them. Pieces without area are left out.
void cut(const CXRect& n, const CXRect& l, std::vector<CXRect>& pieces) {
    const bool L = n.left < l.left, T = n.top < l.top, R = n.right > l.right, B = n.bottom > l.bottom;
    auto piece = [&](int a, int b, int c, int d) {
        if (a < c && b < d) pieces.emplace_back(a, b, c, d);
    };
    const int mask = (L ? 1 : 0) | (T ? 2 : 0) | (R ? 4 : 0) | (B ? 8 : 0);
    switch (mask) {
    case 1: piece(n.left, n.top, l.left, n.bottom); break;
    case 2: piece(n.left, n.top, n.right, l.top); break;
    case 4: piece(l.right, n.top, n.right, n.bottom); break;
    case 8: piece(n.left, l.bottom, n.right, n.bottom); break;
    case 1 | 2:
        piece(n.left, n.top, l.left, n.bottom);
        piece(l.left, n.top, n.right, l.top);
        break;
    case 1 | 8:
        piece(n.left, n.top, l.left, n.bottom);
        piece(l.left, l.bottom, n.right, n.bottom);
        break;
    case 1 | 4:
        piece(n.left, n.top, l.left, n.bottom);
        piece(l.right, n.top, n.right, n.bottom);
        break;
    case 2 | 4:
        piece(n.left, n.top, n.right, l.top);
        piece(l.right, l.top, n.right, n.bottom);
        break;
    case 2 | 8:
        piece(n.left, n.top, n.right, l.top);
        piece(n.left, l.bottom, n.right, n.bottom);
        break;
    case 4 | 8:
        piece(l.right, n.top, n.right, n.bottom);
        piece(n.left, l.bottom, l.right, n.bottom);
        break;
    case 1 | 2 | 4:
        piece(n.left, n.top, l.left, n.bottom);
        piece(l.left, n.top, l.right, l.top);
        piece(l.right, n.top, n.right, n.bottom);
        break;
    case 1 | 2 | 8:
        piece(n.left, n.top, n.right, l.top);
        piece(n.left, l.top, l.left, l.bottom);
        piece(n.left, l.bottom, n.right, n.bottom);
        break;
    case 1 | 4 | 8:
        piece(n.left, n.top, l.left, n.bottom);
        piece(l.left, l.bottom, l.right, n.bottom);
        piece(l.right, n.top, n.right, n.bottom);
        break;
    case 2 | 4 | 8:
        piece(n.left, n.top, n.right, l.top);
        piece(l.right, l.top, n.right, l.bottom);
        piece(n.left, l.bottom, n.right, n.bottom);
        break;
    default: break;  // no side crossed (contained) or all four (containing): handled by the caller
    }
}

}  // namespace

CRefreshRegion::CRefreshRegion(bool wholeScreen, CXSize canvas)
    : CXArray(kDefaultCapacity, kDefaultLoadFactor), m_wholeScreen(wholeScreen), m_canvas(canvas) {
    CXArray::add(static_cast<void*>(nullptr));
}

CRefreshRegion::~CRefreshRegion() {
    m_wholeScreen = false;
    deleteRects();
}

void CRefreshRegion::deleteRects() {
    for (int i = 0; i < m_count; ++i) delete static_cast<CXRect*>(at(i));
    CXArray::removeAll();
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
    auto* copy = new (std::nothrow) CXRect(n);
    if (!copy) {
        setWholeScreen();
        return;
    }
    CXArray::add(static_cast<void*>(copy));
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
    std::vector<CXRect> pending{first};
    std::vector<CXRect> pieces;
    while (!pending.empty() && !m_wholeScreen) {
        CXRect n = pending.back();
        pending.pop_back();
        int hit = -1;
        for (int i = 0; i < m_count; ++i) {
            const CXRect* l = static_cast<CXRect*>(at(i));
            if (l && overlaps(*l, n)) {
                hit = i;
                break;
            }
        }
        if (hit < 0) {
            append(n);
            continue;
        }
        const CXRect l(*static_cast<CXRect*>(at(hit)));
        if (covers(l, n)) continue;
        if (covers(n, l)) {
            delete static_cast<CXRect*>(at(hit));
            removeAt(hit);
            pending.push_back(n);
            continue;
        }
        pieces.clear();
        cut(n, l, pieces);
        for (auto it = pieces.rbegin(); it != pieces.rend(); ++it) pending.push_back(*it);
    }
}
