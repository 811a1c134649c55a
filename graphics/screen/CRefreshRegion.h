// The dirty region of a screen canvas: the rectangles to redraw in the next frame, kept
// disjoint. A null element stands for the whole screen; while the whole-screen flag is set
// nothing else is added.
#pragma once

#include <cstdint>
#include <vector>

#include "foundation/CXArray.h"
#include "foundation/CXRect.h"
#include "foundation/CXSize.h"

class CRefreshRegion : public CXArray {
public:
    // Starts with one null element (a whole-screen redraw) and the given flag. The canvas
    // size keeps added rectangles inside the canvas; a rectangle covering all of it turns
    // the region whole-screen. A zero size leaves rectangles unclipped.
    explicit CRefreshRegion(bool wholeScreen, CXSize canvas = CXSize());
    ~CRefreshRegion() override;

    // Adds a copy of the rectangle (the caller keeps r), cut into pieces that do not
    // overlap the listed ones; null makes the region whole-screen.
    virtual void add(CXRect* r);
    // The array's own add takes its element as a rectangle too.
    void add(void* p) override { add(static_cast<CXRect*>(p)); }
    using CXArray::add;
    void add(CXArray* other) override;

    // Changes of the list other than add keep the overlap search up to date.
    bool replace(void* oldP, void* p) override;
    void* setAt(int i, void* p) override;
    void insertAt(int i, void* p) override;
    void remove(void* p) override;
    void removeAt(int i) override;

    // Deletes every rectangle, empties the list and clears the whole-screen flag.
    void removeAll() override;

    bool isWholeScreen() const { return m_wholeScreen; }
    // The listed rectangle at i (null for the whole-screen entry or outside the list).
    CXRect* rectAt(int i) const { return i < m_count ? static_cast<CXRect*>(at(i)) : nullptr; }

    CXSize getCanvasSize() const { return m_canvas; }
    void setCanvasSize(CXSize canvas) {
        m_canvas = canvas;
        m_mirrored = -1;
    }

private:
    void setWholeScreen();
    void deleteRects();
    // Keeps a rectangle that left the list for the next append (or deletes it when enough
    // are kept): a region is emptied and filled again every frame.
    void release(CXRect* r);
    // Appends a copy of n (whole-screen when no memory is left for it).
    void append(const CXRect& n);
    // The first listed rectangle from position `from` on that overlaps n, or -1.
    int firstOverlap(const CXRect& n, int from);
    // Brings the sides below in line with the list.
    void mirror();
    // Puts r's sides at the end of the list's part, before the padding.
    void mirrorPush(const CXRect* r);
    // One more padding entry at the very end.
    void padOne();

    bool m_wholeScreen;
    CXSize m_canvas;
    // On a canvas of known size within 16 bits, the sides of the listed rectangles in
    // list order, searched sixteen at a time; an entry without area (the whole-screen null
    // among them) is kept as an empty one. The sides run kPadding entries past the list
    // with ones that match nothing, so the search reads whole groups.
    bool m_narrow = false;
    static constexpr size_t kPadding = 16;
    std::vector<int16_t> m_left, m_top, m_right, m_bottom;
    int32_t m_mirrored = -1;  // the count the sides mirror, -1 when they are stale
    // A piece waiting to be added; the listed rectangles before `from` miss it.
    struct Pending {
        CXRect rect;
        int from;
    };
    std::vector<Pending> m_pending;
    std::vector<CXRect> m_pieces;
    static constexpr size_t kMaxSpare = 4096;
    std::vector<CXRect*> m_spare;
};
