// A graphics object whose pixels live in a display surface: the screen canvas draws each
// frame into one, backgrounds and videos are held in them, and the screen blits them out.
// Its pixel pointer is the surface's own memory, so every pixel routine draws into it; it
// also blits and fills through the display and recovers when the display loses it.
//
// The surface is reference-counted: copies share it safely. The object never owns a
// pixel buffer.
#pragma once

#include "graphics/core/CGraphicsObject.h"
#include "platform/Display.h"

class CDirectDrawSurface : public CGraphicsObject {
public:
    // An empty object without a surface.
    explicit CDirectDrawSurface(CWindow* window);
    // Holds s (null: a new surface of the size, in video memory when allowed).
    CDirectDrawSurface(CWindow* window, platform::IDisplaySurface* s, CXSize size, int bpp);
    // A new off-screen surface of the size, viewport the whole surface.
    CDirectDrawSurface(CWindow* window, CXSize size, int bpp, bool videoMemory);
    ~CDirectDrawSurface() override;
    CDirectDrawSurface(const CDirectDrawSurface& other);
    CDirectDrawSurface& operator=(const CDirectDrawSurface& other);

    // The surface's memory, fetched once; null without a surface.
    char* GetDataPtr() override;
    // Colour fills through the display, in the surface's depth.
    void Fill(CColor* c) override;
    void Fill(CXRect r, CColor* c) override;
    // Blits the part of this surface that falls on its destiny (a DirectDraw surface).
    void Redraw() override;
    // The applied object's changes do not concern the surface; its destruction does.
    void onInvalidate(CGraphicsObject* object, CXRect* rect) override {
        if (object != m_applied) CGraphicsObject::onInvalidate(object, rect);
    }
    void onDestroy(CGraphicsObject* object) override;

    void Release();
    platform::IDisplaySurface* GetDirectDrawSurfaceInterface() const { return m_surface; }
    // Holds s instead of the current surface; the pixel pointer is fetched again.
    void SetDirectDrawSurfaceInterface(platform::IDisplaySurface* s);
    platform::IDeviceContext* getDC();
    void releaseDC();
    // The object drawn into this surface again after the display lost and restored it;
    // the surface watches it and forgets it when it is destroyed.
    void applyToRestore(CGraphicsObject* g);
    CGraphicsObject* getApplied() const { return m_applied; }

    // Blits srcRect of src (null: all) with its corner at (x, y). A rectangle larger than
    // the source centres the whole source in a rectangle of that size at the origin.
    void Blt(CDirectDrawSurface* src, int x, int y, CXRect* srcRect);
    void Blt(CDirectDrawSurface* src, CXPoint p, CXRect* srcRect) { Blt(src, p.x, p.y, srcRect); }
    // Blits srcRect of src (null: all) into dstRect (null: all) without stretching.
    void Blt(CDirectDrawSurface* src, CXRect* srcRect, CXRect* dstRect);

protected:
    virtual void create_surface(bool videoMemory);

private:
    // Runs a display call on this surface and src; when it answers "lost", restores
    // whichever is lost, redraws their applied objects into them and runs it once more.
    template <class F>
    int32_t withRestore(CDirectDrawSurface* src, F call);
    // Restores a lost surface and redraws its applied object into it.
    void restoreAndRedraw();

    CGraphicsObject* m_applied = nullptr;
    platform::IDisplaySurface* m_surface = nullptr;
    platform::IDeviceContext* m_dc = nullptr;
};
