// A graphics object without pixels of its own: it shows a source graphics object
// through a mask, either a graphics object or the current frame of an animation. The
// mask's alpha says how much of the source shows at each point and its position which
// part of the source lies under it. The composition is made each time the object is
// drawn; it watches the source and the mask for changes and for destruction.
#pragma once
#include <cstdint>

#include "graphics/core/CGraphicsObject.h"

class CAnimo;

class CVirtualGraphicsObject : public CGraphicsObject {
public:
    explicit CVirtualGraphicsObject(CWindow* window);
    ~CVirtualGraphicsObject() override;
    CVirtualGraphicsObject(const CVirtualGraphicsObject&) = delete;
    CVirtualGraphicsObject& operator=(const CVirtualGraphicsObject&) = delete;

    // A new object with the same source, mask, place, visibility and clipping.
    CXObject* clone() override;
    bool testHit(CXPoint p, bool boxOnly) override;
    void redraw(CGraphicsObject* destination) override;
    int Width() override;
    int Height() override;
    // A rectangle that meets the mask's box invalidates the whole object.
    void Invalidate(CXRect* rect) override;
    void Invalidate() override;
    void onDestroy(CGraphicsObject* object) override;

    // Neither takes the object itself or a graphic holding it.
    void setSource(CGraphicsObject* source);
    void setMask(CGraphicsObject* mask);
    // The animation's current frame becomes the mask; the animation is watched.
    void setMask(CAnimo* animation);

    CGraphicsObject* getSource() const { return m_source; }
    CGraphicsObject* getMask() const { return m_mask; }
    CGraphicsObject* getMaskOwner() const { return m_maskOwner; }
    CRefreshScreen* getRefreshScreen() const { return m_refreshScreen; }

private:
    void applySizeRule();
    void forgetSource();
    void unwatch(CGraphicsObject* g);
    void forgetMask();
    // The mask is still a frame of its animation (frames can be dropped under it).
    bool maskAlive();

    CRefreshScreen* m_refreshScreen = nullptr;
    CGraphicsObject* m_source = nullptr;
    CGraphicsObject* m_maskOwner = nullptr;
    CGraphicsObject* m_mask = nullptr;
};
