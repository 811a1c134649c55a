// The screen canvas: the graphics object on which every visible object is registered
// with a drawing priority. Each frame it repaints only the dirty rectangles: the
// background (a colour, an image or a scrolling image) first, then the registered
// objects in ascending priority, each clipped to the rectangle it is drawn into.
// It picks the object at a point, and tells its observers when a pass starts and ends
// and when the window gains or loses focus.
#pragma once
#include <cstdint>

#include "foundation/CXObject.h"
#include "graphics/core/CGraphicsObject.h"

class CDirectDrawSurface;
class CRefreshRegion;
class CSurface;
class CValidationQuene;

// Hears the canvas's passes and the window's focus. Not owned by the canvas.
class CCanvasObserver {
public:
    virtual ~CCanvasObserver() = default;
    virtual void onInitialUpdate() {}
    virtual void onInitialUpdated() {}
    virtual void onUpdate() {}
    virtual void onUpdated() {}
    virtual void onFocusOn() {}
    virtual void onFocusOff() {}
};

class CRefreshScreen : public CGraphicsObject {
public:
    // Canvas flag: grey-scale the destination after each pass.
    static constexpr int kGrayScale = 2;

    // The window's screen size and display depth; with ownSurface the canvas draws
    // into a surface of its own (Redraw()).
    CRefreshScreen(CWindow* window, bool ownSurface);
    // The same with an explicit size and depth; no surface of its own.
    CRefreshScreen(CWindow* window, CXSize size, int bpp);
    ~CRefreshScreen() override;
    CRefreshScreen(const CRefreshScreen&) = delete;
    CRefreshScreen& operator=(const CRefreshScreen&) = delete;

    // Registration. put registers g once and invalidates its area.
    void put(CGraphicsObject* g, int priority);
    CRefreshScreen& operator<<(CGraphicsObject* g);
    // Takes g out without invalidating its area.
    CRefreshScreen& operator>>(CGraphicsObject* g);
    // A new element with p: g goes behind the objects that already have p; its flags return to 0.
    void SetPriority(CGraphicsObject* g, int priority);
    // The priority, or -1 when g is not registered.
    int GetPriority(CGraphicsObject* g);
    int getIndex(CGraphicsObject* g);
    // Null g sets the canvas flags (true); else the element's flags, true when g is registered.
    bool SetFlags(CGraphicsObject* g, int flags);
    int GetFlags(CGraphicsObject* g);
    int getCanvasFlags() const { return m_canvasFlags; }
    // Takes every object out.
    void Empty();
    void Visible(bool visible) override;
    CValidationQuene* getQueue() const { return m_queue; }

    // Invalidation: null is the whole canvas; a rectangle is cut to the canvas.
    using CGraphicsObject::Invalidate;
    void Invalidate(CXRect* r) override;
    // The box of a visible registered object.
    void Invalidate(CGraphicsObject* g);
    // Empties the dirty region.
    void validate();
    CRefreshRegion* getRefreshList() const { return m_region; }

    // The frame's entry: one pass into dst; true when there was something to redraw.
    // The screen is not used; reset is set when the window must invalidate the whole
    // canvas after presenting.
    bool Redraw(CDirectDrawSurface* dst, CSurface* screen, bool* reset);
    // One pass into the canvas's own surface, when it has one.
    void Redraw() override;
    CDirectDrawSurface* getRefreshDestiny() const { return m_destination; }
    int getRefreshCounter() const { return m_counter; }
    // True while a pass is drawing (its observers' handlers run inside it).
    bool isRedrawing() const { return m_inPass; }
    CDirectDrawSurface* GetLocalDestiny() const { return m_ownSurface; }

    // A copy of the snapshot source (made once, canvas size), or null without a source.
    CDirectDrawSurface* _catch();
    void _release();
    // The surface _catch copies (owned).
    void setSnapshotSource(CDirectDrawSurface* source);

    // Background.
    void SetBackground(CColor* c);
    void SetBackground(CGraphicsObject* g);
    // Loads the picture by its extension (image, JPEG or PSD) in place of the kept one;
    // a picture that loaded becomes the background.
    void SetBackground(CXString name);
    CGraphicsObject* getBackgroundImage() const { return m_backgroundImage; }
    void setBackground(CDirectDrawSurface* s);
    CDirectDrawSurface* getBackgroundIfc() const;
    // Deletes the kept background image.
    void flush();
    // The manager's scroll mode: 0 static, 1 wraps horizontally, 2 vertically, 3 both.
    int getScrollMode() const;

    // Observers.
    void addNotifier(CCanvasObserver* observer);
    void removeNotifier(CCanvasObserver* observer);
    // 0 initial update, 5 initial update done, 1 update, 2 update done, 3 focus on,
    // 4 focus off.
    void notify(int code);
    void enableNotifyFlag(bool enable) { m_notify = enable; }
    virtual void onFocusOn();
    virtual void onFocusOff();

    // The object at (x, y) of the highest priority (among equals the later one).
    // Negative bounds are no bounds; alpha decides unless ignoreAlpha.
    virtual CGraphicsObject* getGraphicsAt(int x, int y, bool visibleOnly, int minPriority, int maxPriority,
                                           bool ignoreAlpha);

    // Saves the destination of the last pass.
    void Save(CXString name, _compression compression) override;
    using CGraphicsObject::Save;

    class CBackgroundManager : public CXObject {
    public:
        CBackgroundManager(CRefreshScreen* screen, CWindow* window);
        ~CBackgroundManager() override;
        CBackgroundManager(const CBackgroundManager&) = delete;
        CBackgroundManager& operator=(const CBackgroundManager&) = delete;

        void SetBackground(CColor* c);
        void SetBackground(CGraphicsObject* g);
        void setBackground(CDirectDrawSurface* s);
        void checkScrollMode();
        // Paints every rectangle of the region (null: the whole canvas) from the background.
        void Redraw(CDirectDrawSurface* dst, CRefreshRegion* region);
        void Redraw(CDirectDrawSurface* dst, const CXRect& r);

        CDirectDrawSurface* getBackground() const { return m_background; }
        int getScrollMode() const { return m_mode; }

    private:
        void clear();

        CDirectDrawSurface* m_background = nullptr;
        CRefreshScreen* m_screen;
        CWindow* m_window;
        int32_t m_mode = 3;
    };

protected:
    // One pass into dst; true when the dirty region was not empty.
    bool redrawPass(CDirectDrawSurface* dst);
    // The background surface stops restoring the kept image (before it goes).
    void forgetBackgroundImage();

    CDirectDrawSurface* m_destination = nullptr;
    int32_t m_canvasFlags = 0;
    bool m_hasOwnSurface = false;
    int32_t m_counter = 0;
    CDirectDrawSurface* m_catch = nullptr;
    CDirectDrawSurface* m_catchSource = nullptr;
    CDirectDrawSurface* m_ownSurface = nullptr;
    CRefreshRegion* m_region = nullptr;
    CXArray* m_canvasObservers = nullptr;
    CGraphicsObject* m_backgroundImage = nullptr;
    bool m_notify = false;
    bool m_inPass = false;
    CBackgroundManager* m_background = nullptr;
    CValidationQuene* m_queue = nullptr;

private:
    void init(bool ownSurface);
};
