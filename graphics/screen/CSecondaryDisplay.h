// A mirror of the screen on a second window, shown after a delay. The windowed screen
// tells it of every rectangle it blits (`update`); each rectangle is copied with the time
// of the copy into a queue, and once per frame (`redraw`) the copies whose delay has
// passed are drawn at the same place on the second window's own screen.
//
// The first copy is drawn at the first redraw whatever the delay, so the second window
// never stays blank. Later copies are drawn once their delay has passed, the newest
// too, so a screen that stands still reaches the mirror a delay later. Capture times are the millisecond clock's (CPerformanceTimer)
// and are compared modulo 2^32. A long delay over animation would queue without bound:
// past kMaxQueuedBytes the oldest copies are drawn and discarded early.
#pragma once
#include <cstdint>

#include "foundation/CXRect.h"
#include "platform/Handles.h"

class CDirectDrawSurface;
class CSurface;
class CWindow;
class CXArray;

// One queued copy: when it was taken, the copy (owned) and where it came from on the screen.
class CSurfaceInfo {
public:
    CSurfaceInfo(uint32_t time, CDirectDrawSurface* copy, const CXRect& rect) : m_time(time), m_copy(copy), m_rect(rect) {}
    ~CSurfaceInfo();
    CSurfaceInfo(const CSurfaceInfo&) = delete;
    CSurfaceInfo& operator=(const CSurfaceInfo&) = delete;

    uint32_t getTime() const { return m_time; }
    CDirectDrawSurface* getSurface() const { return m_copy; }
    const CXRect& getRect() const { return m_rect; }

private:
    uint32_t m_time;
    CDirectDrawSurface* m_copy;
    CXRect m_rect;
};

class CSecondaryDisplay {
public:
    // Bytes of queued copies (their pixels and a fixed share for their objects) past
    // which the oldest are drawn and discarded at once.
    static constexpr int64_t kMaxQueuedBytes = int64_t{64} << 20;
    static constexpr int64_t kEntryOverhead = 1024;

    // The second window, the engine window whose screen is mirrored and the delay in
    // milliseconds (a negative one counts as 0). The second window gets a windowed
    // screen of the engine window's screen size; when that cannot be made the mirror
    // queues nothing.
    CSecondaryDisplay(platform::WindowHandle window, CWindow* engineWindow, int delay);
    // Discards every queued copy without drawing it, then the second screen.
    virtual ~CSecondaryDisplay();
    CSecondaryDisplay(const CSecondaryDisplay&) = delete;
    CSecondaryDisplay& operator=(const CSecondaryDisplay&) = delete;

    // Queues a copy of the rectangle of the surface (null: all of it).
    virtual void update(CDirectDrawSurface* surface, CXRect* rect);
    // Draws what is due; once per frame.
    void redraw();

    // The second window's screen; null when it could not be made.
    CSurface* getSurface() const { return m_surface; }
    platform::WindowHandle getWindow() const { return m_hwnd; }
    int getDelay() const { return m_delay; }
    int getQueuedCount() const;
    int64_t getQueuedBytes() const { return m_queuedBytes; }

protected:
    // A mirror without a second window, for subclasses that only watch the updates.
    CSecondaryDisplay();

private:
    void addSurface(CDirectDrawSurface* source, const CXRect& rect);
    // The newest due entry (the due ones before it drawn and discarded), or the first
    // entry while nothing was drawn yet; null when nothing is to be drawn.
    CSurfaceInfo* getSurfaceToRedraw();
    // The first n entries (-1: all), drawn first when draw is set, then discarded.
    void flush(int n, bool draw);
    void redraw(CSurfaceInfo* info);
    // What a copy of the rectangle counts towards kMaxQueuedBytes.
    int64_t bytesOf(const CXRect& rect) const;

    platform::WindowHandle m_hwnd = nullptr;
    CSurface* m_surface = nullptr;
    CWindow* m_window = nullptr;
    CXArray* m_queue = nullptr;
    int m_delay = 0;
    bool m_first = true;
    int64_t m_queuedBytes = 0;
    // Bytes per pixel of the copies.
    int m_pixelBytes = 2;
};
