// An integer rectangle: screen and canvas areas, dirty rectangles, object boxes.
// Right and bottom are exclusive. Nothing keeps left <= right or top <= bottom;
// the operations that combine rectangles treat an inverted or empty one as
// covering nothing.
#pragma once
#include <cstdint>

#include "foundation/CXPoint.h"
#include "foundation/CXSize.h"

class CXArray;

class CXRect {
public:
    CXRect() = default;
    explicit CXRect(int v) : left(v), top(v), right(v), bottom(v) {}
    CXRect(int l, int t, int r, int b) : left(l), top(t), right(r), bottom(b) {}
    CXRect(const CXRect& other) = default;
    // A copy of *p, or the zero rectangle for null.
    explicit CXRect(const CXRect* p);
    CXRect& operator=(const CXRect& other) = default;
    virtual ~CXRect();

    void Set(int l, int t, int r, int b);

    int Width() const { return subSat(right, left); }
    int Height() const { return subSat(bottom, top); }
    // True for zero width or height only; an inverted rectangle is not "empty" here.
    bool IsEmpty() const { return right == left || bottom == top; }
    // Positive width and height: the rectangle covers at least one pixel.
    bool IsProper() const { return right > left && bottom > top; }
    void Empty() { left = top = right = bottom = 0; }

    CXPoint LeftTop() const { return CXPoint(left, top); }
    CXPoint RightTop() const { return CXPoint(right, top); }
    CXPoint LeftBottom() const { return CXPoint(left, bottom); }
    CXPoint BottomRight() const { return CXPoint(right, bottom); }
    CXPoint CenterPoint() const;
    // Where an object of `size` is placed to be centred in this rectangle.
    CXPoint GetCenteredPosition(CXSize size) const;
    // The same for a graphics object (anything with Width() and Height()).
    template <class G>
    CXPoint GetCenteredPosition(G* g) const {
        return GetCenteredPosition(g ? CXSize(g->Width(), g->Height()) : CXSize());
    }

    bool operator==(const CXRect& r) const {
        return left == r.left && top == r.top && right == r.right && bottom == r.bottom;
    }
    bool operator!=(const CXRect& r) const { return !(*this == r); }

    // Moves by a point or a size.
    CXRect& operator+=(CXPoint p);
    CXRect& operator-=(CXPoint p);
    CXRect& operator+=(CXSize s);
    CXRect operator+(CXPoint p) const;
    CXRect operator-(CXPoint p) const;
    CXRect operator-(CXSize s) const;
    // Moves each side outwards by the matching field of `r` (left by r.left and so
    // on); operator- gives a copy moved inwards.
    CXRect& operator+=(const CXRect& r);
    CXRect operator-(const CXRect& r) const;

    // Moves the sides outwards (negative values shrink). A shrink past the
    // middle collapses that axis to zero extent at its centre.
    CXRect& Explode(int dx, int dy);
    CXRect& Explode(CXSize s) { return Explode(s.cx, s.cy); }
    CXRect& Explode(int d) { return Explode(d, d); }

    bool IsInRect(CXPoint p) const { return IsInRect(p.x, p.y); }
    bool IsInRect(int x, int y) const { return left <= x && x < right && top <= y && y < bottom; }
    // This rectangle lies within r, edges included.
    bool IsPartOf(const CXRect& r) const;
    bool isInside(const CXRect& r) const { return IsPartOf(r); }

    // The intersection; touching rectangles give zero width or height, and
    // rectangles that do not meet (or an inverted one) give the zero rectangle.
    CXRect Common(const CXRect& r) const;
    void Common(const CXRect& r, CXRect* out) const;
    // Grows this rectangle to the bounding box of both. A rectangle without
    // area adds nothing; when neither has area the result is the zero rectangle.
    CXRect& Sum(const CXRect& r);

    // The part of this rectangle outside r, as at most four non-overlapping new
    // rectangles in a new array (capacity 5); the caller deletes the rectangles
    // and the array. Empty when this rectangle has no area; a copy of this
    // rectangle when r does not cut into it.
    CXArray* sub(const CXRect& r) const;
    // Appends a new rectangle to `list` when it has positive width and height.
    static void addRect(CXArray* list, int l, int t, int r, int b);

    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};
