// A polled input device. Its tick reads the device and queues signals (on the
// window's poller thread, or on the host thread when the window has none);
// flushSignals delivers the queue through the window's handlers on the host thread.
#pragma once

class CInputPoller {
public:
    virtual ~CInputPoller() = default;
    virtual void tick() = 0;
    // Delivers the queued signals when `deliver` is set, then empties the queue.
    virtual void flushSignals(bool deliver) = 0;
};
