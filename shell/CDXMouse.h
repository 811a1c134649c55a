// The mouse device: on the poller thread it reads the input layer's buffered mouse
// records into signals at the pointer's client position; in the frame's flush it
// delivers them through the window's mouse handlers. At most one move is queued per
// frame; buttons are never merged.
#pragma once
#include <vector>

#include "foundation/CXPoint.h"
#include "shell/CInputPoller.h"

class CWindow;

class CDXMouse : public CInputPoller {
public:
    // Signal kinds.
    enum : int { kMove = 1, kLeftDown, kLeftUp, kMiddleDown, kMiddleUp, kRightDown, kRightUp };
    struct CDXMouseSignal {
        int32_t kind;
        int32_t x;
        int32_t y;
    };
    // Acquisitions tried per tick after a failed read.
    static constexpr int kMaxAcquire = 3;
    // Records read per tick.
    static constexpr uint32_t kReadSize = 20;

    // Acquires the device and joins the window's pollers.
    explicit CDXMouse(CWindow* window);
    // Leaves the pollers, drops the queue undelivered, unacquires.
    ~CDXMouse() override;
    CDXMouse(const CDXMouse&) = delete;
    CDXMouse& operator=(const CDXMouse&) = delete;

    void tick() override;
    void flushSignals(bool deliver) override;
    int acquire(bool on);
    // The client position read with the latest axis record.
    CXPoint getPosition() const { return m_lastPosition; }
    bool isLeftDown() const { return m_leftDown; }
    bool isRightDown() const { return m_rightDown; }
    bool isMiddleDown() const { return m_middleDown; }
    // The queued signals (under the window's lock).
    const std::vector<CDXMouseSignal>& signals() const { return m_signals; }

    // The most recently constructed mouse that still exists.
    static CDXMouse* getSingleton() { return s_singleton; }

private:
    bool updateSignal(int kind, CXPoint point);
    void append(int kind, CXPoint point) { m_signals.push_back(CDXMouseSignal{kind, point.x, point.y}); }

    CWindow* m_window;
    CXPoint m_lastPosition;
    bool m_leftDown = false;
    bool m_rightDown = false;
    bool m_middleDown = false;
    std::vector<CDXMouseSignal> m_signals;

    static CDXMouse* s_singleton;
};
