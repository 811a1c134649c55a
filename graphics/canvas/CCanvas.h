// An off-screen drawing surface that is itself a graphics object: children are
// registered on it with priorities and painted into it when it redraws; objects can be
// stamped into its background (draw), rubbed out of its alpha (erase), or the whole
// picture flattened into the background (capture). It hears its children's
// invalidations and passes them on moved by its own position.
#pragma once
#include <cstdint>
#include <vector>

#include "graphics/core/CGraphicsObject.h"

class CValidationQuene;

class CCanvas : public CGraphicsObject {
public:
    // Child invalidations a frame that are passed on one by one; past them the canvas
    // is dirtied whole, once.
    static constexpr int maxRegions = 10;
    // Sides above this are taken as 0, as for images.
    static constexpr int kMaxSide = 8192;

    // With alpha the canvas has an alpha plane (all 0); with background a background
    // object of the same size and depth (with its own alpha plane when alpha is asked)
    // lies under every child at priority -1.
    CCanvas(CWindow* window, CXSize size, int bpp, bool alpha, bool background);
    ~CCanvas() override;
    CCanvas(const CCanvas&) = delete;
    CCanvas& operator=(const CCanvas&) = delete;

    // A canvas of the same window, size and depth sharing this one's children.
    CXObject* clone() override;
    void Redraw() override;
    void onInvalidate(CGraphicsObject* object, CXRect* rect) override;
    void onDestroy(CGraphicsObject* object) override;

    // Puts g on the canvas once; never the canvas itself or a graphic holding it.
    virtual void add(CGraphicsObject* g, int priority);
    virtual void remove(CGraphicsObject* g);
    // Takes every child off; the background comes back at -1.
    virtual void removeAll();
    // Zeroes the pixels and alpha inside the clipping rectangle (or all).
    virtual void clear(bool alsoBackground);
    // Flattens the picture into the background and takes every child off.
    virtual void capture();
    // Lowers the alpha of the canvas and its background by g's alpha placed at (x, y).
    virtual void erase(CGraphicsObject* g, int x, int y);
    // Stamps g into the background at (x, y).
    virtual void draw(CGraphicsObject* g, int x, int y);

    CGraphicsObject* getBackground() const { return m_background; }
    CValidationQuene* getObjects() const { return m_objects; }
    bool contains(CGraphicsObject* g) const;
    int getPriorityOf(CGraphicsObject* g) const;
    // The children in drawing order (background included).
    std::vector<CGraphicsObject*> heldObjects() const;
    int getInvalidationCount() const { return m_invalidationCount; }

private:
    void clearArea(CGraphicsObject* g, bool withAlpha);
    void release(CGraphicsObject* g);

    CValidationQuene* m_objects = nullptr;
    CGraphicsObject* m_background = nullptr;
    int32_t m_invalidationCount = 0;
    bool m_wholeDirty = false;
};
