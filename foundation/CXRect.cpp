#include "foundation/CXRect.h"

#include <algorithm>

#include "foundation/CXArray.h"

CXRect::CXRect(const CXRect* p) {
    if (p) *this = *p;
}

CXRect::~CXRect() = default;

void CXRect::Set(int l, int t, int r, int b) {
    left = l;
    top = t;
    right = r;
    bottom = b;
}

CXPoint CXRect::CenterPoint() const {
    return CXPoint(saturate32(left + (static_cast<int64_t>(right) - left) / 2),
                   saturate32(top + (static_cast<int64_t>(bottom) - top) / 2));
}

CXPoint CXRect::GetCenteredPosition(CXSize size) const {
    const int64_t w = static_cast<int64_t>(right) - left;
    const int64_t h = static_cast<int64_t>(bottom) - top;
    return CXPoint(saturate32(left + (w - size.cx) / 2), saturate32(top + (h - size.cy) / 2));
}

CXRect& CXRect::operator+=(CXPoint p) {
    left = addSat(left, p.x);
    right = addSat(right, p.x);
    top = addSat(top, p.y);
    bottom = addSat(bottom, p.y);
    return *this;
}

CXRect& CXRect::operator-=(CXPoint p) {
    left = subSat(left, p.x);
    right = subSat(right, p.x);
    top = subSat(top, p.y);
    bottom = subSat(bottom, p.y);
    return *this;
}

CXRect& CXRect::operator+=(CXSize s) { return *this += CXPoint(s.cx, s.cy); }

CXRect CXRect::operator+(CXPoint p) const {
    CXRect r(*this);
    r += p;
    return r;
}

CXRect CXRect::operator-(CXPoint p) const {
    CXRect r(*this);
    r -= p;
    return r;
}

CXRect CXRect::operator-(CXSize s) const { return *this - CXPoint(s.cx, s.cy); }

CXRect& CXRect::operator+=(const CXRect& r) {
    left = subSat(left, r.left);
    top = subSat(top, r.top);
    right = addSat(right, r.right);
    bottom = addSat(bottom, r.bottom);
    return *this;
}

CXRect CXRect::operator-(const CXRect& r) const {
    CXRect out(*this);
    out.left = addSat(left, r.left);
    out.top = addSat(top, r.top);
    out.right = subSat(right, r.right);
    out.bottom = subSat(bottom, r.bottom);
    return out;
}

namespace {
// Moves both ends of one axis outwards by d; a shrink that would cross the ends
// over leaves them together at the axis's centre.
void explodeAxis(int32_t& lo, int32_t& hi, int d) {
    const int64_t newLo = static_cast<int64_t>(lo) - d;
    const int64_t newHi = static_cast<int64_t>(hi) + d;
    if (d < 0 && lo <= hi && newLo > newHi) {
        const int32_t centre = saturate32(lo + (static_cast<int64_t>(hi) - lo) / 2);
        lo = hi = centre;
        return;
    }
    lo = saturate32(newLo);
    hi = saturate32(newHi);
}
} // namespace

CXRect& CXRect::Explode(int dx, int dy) {
    explodeAxis(left, right, dx);
    explodeAxis(top, bottom, dy);
    return *this;
}

bool CXRect::IsPartOf(const CXRect& r) const {
    return r.left <= left && r.top <= top && right <= r.right && bottom <= r.bottom;
}

CXRect CXRect::Common(const CXRect& r) const {
    CXRect c(std::max(left, r.left), std::max(top, r.top), std::min(right, r.right), std::min(bottom, r.bottom));
    if (c.left > c.right || c.top > c.bottom) c.Empty();
    return c;
}

void CXRect::Common(const CXRect& r, CXRect* out) const {
    if (out) *out = Common(r);
}

CXRect& CXRect::Sum(const CXRect& r) {
    if (!r.IsProper()) {
        if (!IsProper()) Empty();
        return *this;
    }
    if (!IsProper()) {
        *this = r;
        return *this;
    }
    left = std::min(left, r.left);
    top = std::min(top, r.top);
    right = std::max(right, r.right);
    bottom = std::max(bottom, r.bottom);
    return *this;
}

void CXRect::addRect(CXArray* list, int l, int t, int r, int b) {
    if (list && l < r && t < b) list->add(new CXRect(l, t, r, b));
}

CXArray* CXRect::sub(const CXRect& r) const {
    auto* parts = new CXArray(5, 0.75f);
    if (!IsProper()) return parts;

    const CXRect c = Common(r);
    if (!r.IsProper() || c.Width() <= 0 || c.Height() <= 0) {
        // Nothing is cut away: the whole rectangle remains.
        addRect(parts, left, top, right, bottom);
        return parts;
    }

    // Which sides of this rectangle the cut leaves open.
    enum { L = 1, T = 2, R = 4, B = 8 };
    const int open = (c.left > left ? L : 0) | (c.top > top ? T : 0) | (c.right < right ? R : 0) |
                     (c.bottom < bottom ? B : 0);

    const auto leftFull = [&] { addRect(parts, left, top, c.left, bottom); };
    const auto rightFull = [&] { addRect(parts, c.right, top, right, bottom); };
    const auto topFull = [&] { addRect(parts, left, top, right, c.top); };
    const auto bottomFull = [&] { addRect(parts, left, c.bottom, right, bottom); };

    switch (open) {
    case 0: break;
    case L: leftFull(); break;
    case T: topFull(); break;
    case R: rightFull(); break;
    case B: bottomFull(); break;
    case L | T:
        leftFull();
        addRect(parts, c.left, top, right, c.top);
        break;
    case R | B:
        bottomFull();
        addRect(parts, c.right, top, right, c.bottom);
        break;
    case T | R:
        topFull();
        addRect(parts, c.right, c.top, right, bottom);
        break;
    case L | B:
        leftFull();
        addRect(parts, c.left, c.bottom, right, bottom);
        break;
    case T | B:
        topFull();
        bottomFull();
        break;
    case L | R:
        leftFull();
        rightFull();
        break;
    case L | T | B:
        topFull();
        addRect(parts, left, c.top, c.left, c.bottom);
        bottomFull();
        break;
    case R | T | B:
        topFull();
        addRect(parts, c.right, c.top, right, c.bottom);
        bottomFull();
        break;
    case L | T | R:
        leftFull();
        addRect(parts, c.left, top, c.right, c.top);
        rightFull();
        break;
    case L | B | R:
        leftFull();
        addRect(parts, c.left, c.bottom, c.right, bottom);
        rightFull();
        break;
    default: // all four sides open: the cut lies inside
        leftFull();
        addRect(parts, c.left, top, right, c.top);
        addRect(parts, c.left, c.bottom, right, bottom);
        addRect(parts, c.right, c.top, right, c.bottom);
        break;
    }
    return parts;
}
