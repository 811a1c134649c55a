// The engine's hold on the display: the display object, the primary surface and, full
// screen, one attached back buffer. Frames are drawn into an off-screen CDirectDrawSurface
// and reach the screen by Flip or by Blt of the dirty rectangles. The class also keeps the
// process-wide table that turns 16-bit pixels into 32-bit screen pixels.
//
// The display objects are reference-counted, so copies of a CSurface share them safely.
// The last error of the display is kept in the CXObject error code (0: success).
#pragma once
#include <cstdint>

#include "foundation/CXObject.h"
#include "foundation/CXPoint.h"
#include "foundation/CXRect.h"
#include "foundation/CXSize.h"
#include "platform/Display.h"

class CDirectDrawSurface;
class CSecondaryDisplay;

class CSurface : public CXObject {
public:
    // Full screen in the display mode size x bpp, with a flip chain when flipping is set
    // (a single primary when the chain cannot be had). The depth the screen really has is
    // written back into bpp: 15, 16, or 24 for 32-bit pixels.
    CSurface(CXSize& size, int& bpp, platform::WindowHandle window, bool flipping);
    // In the window's client area of the given size, at the desktop's depth.
    CSurface(platform::WindowHandle window, CXSize size);
    ~CSurface() override;
    CSurface(const CSurface& other);
    CSurface& operator=(const CSurface& other);

    // Builds the 16-to-32 table when it does not exist and bpp is 24 or 32. Every
    // surface holds the table: it is freed with the last surface.
    static void prepareBppConversionTable(int bpp);
    static int32_t* getBppConversionTable();

    // Binds the primary to the window; the surface is windowed from then on.
    void CreateClipper(platform::WindowHandle window);
    void Lock();
    void UnLock();
    // Blits srcRect of src (null: all) into dstRect of the screen (null: all of it).
    void Blt(CDirectDrawSurface* src, CXRect* srcRect, CXRect* dstRect);
    // Blits srcRect of src (null: all) with its corner at (x, y).
    void Blt(CDirectDrawSurface* src, int x, int y, CXRect* srcRect);
    void Blt(CDirectDrawSurface* src, CXPoint p, CXRect* srcRect) { Blt(src, p.x, p.y, srcRect); }
    void Flip();
    void waitForVB();
    // Frames-per-second text at (10, 10): counted from the calls, or the given number.
    void ShowFPS(CXPoint p, CDirectDrawSurface* surface);
    void ShowFPS(unsigned long fps);
    bool IsFlippingEnabled() const { return m_back != nullptr; }
    void setSecondaryDisplay(CSecondaryDisplay* display) { m_secondary = display; }

    int Width() const { return m_size.cx; }
    int Height() const { return m_size.cy; }
    CXSize GetScreenSize() const { return m_size; }
    int GetBPP() const { return m_bpp; }
    char* GetScreenPtr() const { return m_screen; }
    bool isWindowed() const { return m_windowed; }
    platform::IDisplay* getDirectDrawInterface() const { return m_display; }
    platform::IDisplaySurface* GetPrimaryBufferInterface() const { return m_primary; }
    platform::IDisplaySurface* GetBackBufferInterface() const { return m_back; }
    void EnumDisplayModes() {}

private:
    void acquire();
    void releaseAll();
    // Restores a lost primary and repeats the call once.
    template <class F>
    int32_t onPrimary(F call);
    void textAtTopLeft(const char* text);

    CXSize m_size;
    int32_t m_bpp = 0;
    char* m_screen = nullptr;
    bool m_windowed = false;
    platform::IDisplay* m_display = nullptr;
    platform::IDisplaySurface* m_primary = nullptr;
    platform::IDisplaySurface* m_back = nullptr;
    CSecondaryDisplay* m_secondary = nullptr;
};
