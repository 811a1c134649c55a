// The display: a display object that sets the screen up (full screen in a display mode,
// or windowed), a primary surface with an optional attached back buffer, off-screen
// surfaces, blits, colour fills, and a device context that writes short texts. Every call
// answers a result code; a surface can be lost (its contents gone until it is restored)
// or still busy drawing, and callers retry as the engine always has.
//
// The implementation is in software: every surface is plain memory, rows unpadded
// (pitch = width x bytes per pixel), and a surface's memory never moves, except that
// flipping swaps the memory of the primary and its back buffer. The primary is the
// window's client area (windowed) or the whole display mode (full screen), origin (0, 0).
// Presenters read the primary's memory; tests use the hooks of SoftwareDisplaySystem.
//
// Objects are reference-counted: a create or get call hands out one reference that the
// caller gives back with release().
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/Handles.h"

namespace platform {

// Result codes.
constexpr int32_t kDisplayOk = 0;
constexpr int32_t kSurfaceLost = static_cast<int32_t>(0x887601C2u);
constexpr int32_t kStillDrawing = static_cast<int32_t>(0x8876021Cu);
constexpr int32_t kOutOfVideoMemory = static_cast<int32_t>(0x8876017Cu);
constexpr int32_t kDisplayUnsupported = static_cast<int32_t>(0x80004001u);
constexpr int32_t kDisplayFailed = static_cast<int32_t>(0x80004005u);
constexpr int32_t kDisplayOutOfMemory = static_cast<int32_t>(0x8007000Eu);
constexpr int32_t kDisplayInvalidParams = static_cast<int32_t>(0x80070057u);

// Right and bottom exclusive.
struct DisplayRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// bitCount is the storage size of a pixel (16 for both 5-5-5 and 5-6-5, or 32).
struct PixelFormat {
    int32_t bitCount = 0;
    uint32_t redMask = 0;
    uint32_t greenMask = 0;
    uint32_t blueMask = 0;
};

struct SurfaceMemory {
    uint8_t* bits = nullptr;
    int32_t pitch = 0;  // bytes per row
    int32_t width = 0;
    int32_t height = 0;
};

class RefCounted {
public:
    RefCounted() = default;
    RefCounted(const RefCounted&) = delete;
    RefCounted& operator=(const RefCounted&) = delete;

    void addRef() { m_refs.fetch_add(1, std::memory_order_relaxed); }
    // Gives up one reference; the object is destroyed with the last.
    void release() {
        if (m_refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
    }
    int32_t refCount() const { return m_refs.load(std::memory_order_relaxed); }

protected:
    virtual ~RefCounted() = default;

private:
    std::atomic<int32_t> m_refs{1};
};

// Writes text in a small built-in font (6 x 8 cells, printable ASCII; other bytes show
// as a box). Colours are 0x00BBGGRR. By default black text on an opaque white cell.
class IDeviceContext {
public:
    virtual ~IDeviceContext() = default;
    virtual void setTextColor(uint32_t rgb) = 0;
    virtual void setBackgroundColor(uint32_t rgb) = 0;
    virtual void setTransparentBackground(bool transparent) = 0;
    // Draws `length` bytes of text with its top-left corner at (x, y); what falls outside
    // the surface is left out.
    virtual void textOut(int32_t x, int32_t y, const char* text, int32_t length) = 0;
};

class IDisplaySurface : public RefCounted {
public:
    virtual int32_t width() const = 0;
    virtual int32_t height() const = 0;
    virtual bool isVideoMemory() const = 0;
    virtual int32_t getPixelFormat(PixelFormat* out) = 0;

    // The surface's memory. Nothing is held locked: the pointer stays valid for the
    // surface's life (a flip swaps primary and back buffer memory).
    virtual int32_t lock(SurfaceMemory* out) = 0;
    virtual int32_t unlock() = 0;

    // Copies srcRect of src (null: all of it) with its top-left corner at (x, y).
    // Parts outside either surface are left out; both surfaces need the same pixel size.
    virtual int32_t bltFast(int32_t x, int32_t y, IDisplaySurface* src, const DisplayRect* srcRect) = 0;
    // Copies srcRect of src into dstRect of this surface (null: the whole surface). Nothing
    // is stretched: the copy has the smaller of the two widths and of the two heights and
    // starts at both rectangles' top-left corners.
    virtual int32_t blt(const DisplayRect* dstRect, IDisplaySurface* src, const DisplayRect* srcRect) = 0;
    // Fills the rectangle (null: the whole surface) with a pixel value of the surface's format.
    virtual int32_t colorFill(const DisplayRect* dstRect, uint32_t pixel) = 0;

    // Flip chain (primary only): the attached back buffer (one reference for the caller),
    // whether the last flip is done, and the flip, which swaps the two surfaces' memory.
    virtual int32_t getBackBuffer(IDisplaySurface** out) = 0;
    virtual int32_t getFlipStatus() = 0;
    virtual int32_t flip() = 0;

    // kSurfaceLost while lost, else kDisplayOk. Restoring brings the surface back with
    // cleared contents; restoring a primary restores its back buffer too.
    virtual int32_t isLost() = 0;
    virtual int32_t restore() = 0;

    // A device context for text, held until releaseDC.
    virtual int32_t getDC(IDeviceContext** out) = 0;
    virtual int32_t releaseDC(IDeviceContext* dc) = 0;

    // Binds the primary to a window: drawing stays inside its client area.
    virtual int32_t setClipWindow(WindowHandle window) = 0;
};

class IDisplay : public RefCounted {
public:
    // Windowed use: the primary is the window's client area of the given size, in the
    // desktop's format.
    virtual int32_t setWindowed(WindowHandle window, int32_t clientWidth, int32_t clientHeight) = 0;
    // Full-screen use, then the display mode (depth 15, 16 or 32).
    virtual int32_t setFullScreen(WindowHandle window) = 0;
    virtual int32_t setDisplayMode(int32_t width, int32_t height, int32_t bpp) = 0;
    // The primary surface, with one attached back buffer when flipChain is set.
    virtual int32_t createPrimarySurface(bool flipChain, IDisplaySurface** out) = 0;
    // An off-screen surface in the display's format.
    virtual int32_t createOffscreenSurface(int32_t width, int32_t height, bool videoMemory,
                                           IDisplaySurface** out) = 0;
    virtual int32_t waitForVerticalBlank() = 0;
};

class IDisplaySystem {
public:
    virtual ~IDisplaySystem() = default;
    // A new display object (one reference for the caller).
    virtual int32_t createDisplay(IDisplay** out) = 0;
};

// The software display, with settings and hooks for tests.
class SoftwareDisplaySystem : public IDisplaySystem {
public:
    SoftwareDisplaySystem();
    ~SoftwareDisplaySystem() override;
    SoftwareDisplaySystem(const SoftwareDisplaySystem&) = delete;
    SoftwareDisplaySystem& operator=(const SoftwareDisplaySystem&) = delete;

    int32_t createDisplay(IDisplay** out) override;

    // The desktop's format for windowed displays: 15, 16 or 32 bits.
    int32_t windowedDepth = 16;
    // The format a 32-bit display mode reports.
    PixelFormat format32{32, 0x00FF0000u, 0x0000FF00u, 0x000000FFu};
    // When set, asking for a primary with a back buffer fails.
    bool failFlipChain = false;
    // When clear, video-memory surfaces cannot be made (kOutOfVideoMemory).
    bool videoMemoryAvailable = true;
    // Off-screen surfaces asked for in video memory, whether they were made or not.
    int32_t videoMemoryRequests = 0;

    // Test hooks. A lost surface answers kSurfaceLost until restored; "still drawing"
    // is answered to the next n calls of lock and getFlipStatus.
    static void loseSurface(IDisplaySurface* surface);
    static void answerStillDrawing(IDisplaySurface* surface, int32_t n);
    // Loses every surface of every display this system made (a mode switch).
    void loseAllSurfaces();

    struct Registry;

private:
    std::shared_ptr<Registry> m_registry;
};

// The display system in force; a process-wide software one unless a test installed another.
IDisplaySystem& displaySystem();
// Installs a display system (not owned); null restores the default one.
void setDisplaySystem(IDisplaySystem* system);

class ScopedDisplaySystem {
public:
    explicit ScopedDisplaySystem(IDisplaySystem& s) : m_prev(&displaySystem()) { setDisplaySystem(&s); }
    ~ScopedDisplaySystem() { setDisplaySystem(m_prev); }
    ScopedDisplaySystem(const ScopedDisplaySystem&) = delete;
    ScopedDisplaySystem& operator=(const ScopedDisplaySystem&) = delete;

private:
    IDisplaySystem* m_prev;
};

// A pixel of the format for an 8-bit red, green and blue.
uint32_t packPixel(const PixelFormat& format, uint8_t r, uint8_t g, uint8_t b);

}  // namespace platform
