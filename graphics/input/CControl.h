// The base of interactive screen controls: an id, an enabled flag, a word of flags and
// a list of listeners. Each mouse or drag event a subclass reports becomes one call on
// every listener; the calls go over a copy of the list, so a listener may add or remove
// listeners (itself included) while it is called. One removed during the walk is not
// called any more; one added hears the next event.
#pragma once
#include <cstdint>
#include <vector>

#include "foundation/CXObject.h"
#include "foundation/CXPoint.h"
#include "graphics/input/CMouseListener.h"

class CControl;
class CWindow;

// Hears a control's events; every default does nothing. A listener knows the controls
// it is registered with and leaves them when it goes, so no control calls a listener
// that is gone.
class CControlNotifier {
public:
    CControlNotifier() = default;
    // A copy listens to nothing.
    CControlNotifier(const CControlNotifier&) {}
    CControlNotifier& operator=(const CControlNotifier&) { return *this; }
    // Leaves every control it listens to.
    virtual ~CControlNotifier();
    virtual void onControlOnMove(CControl*, CXPoint) {}
    virtual void onControlFocusOn(CControl*, CXPoint) {}
    virtual void onControlFocusOff(CControl*, CXPoint) {}
    virtual void onControlClicked(CControl*, CXPoint) {}
    virtual void onControlReleased(CControl*, CXPoint) {}
    virtual void onControlAction(CControl*, CXPoint) {}
    virtual void onControlPopup(CControl*, CXPoint) {}
    virtual void onStartDragging(CControl*, CXPoint) {}
    virtual void onDragging(CControl*, CXPoint) {}
    virtual void onEndDragging(CControl*, CXPoint) {}
    // The control is being destroyed (told from CControl's destructor, so only its
    // address may be used); holders forget it.
    virtual void onControlDestroyed(CControl*) {}

private:
    friend class CControl;
    // One entry per registration.
    std::vector<CControl*> m_heard;
};

class CControl : public CXObject, public CKeyListener {
public:
    explicit CControl(CWindow* window);
    // Copies hold a list of their own with the same listeners (registered with them).
    CControl(const CControl& other);
    CControl& operator=(const CControl& other);
    // Tells every listener onControlDestroyed.
    ~CControl() override;

    virtual void SetID(int id) { m_id = id; }
    virtual int getId() { return m_id; }
    // Stores the flag only; subclasses add the visible effect.
    virtual void Enable(bool enabled) { m_enabled = enabled; }
    virtual bool IsEnabled() { return m_enabled; }
    // Appends the listener (null is ignored; a second registration hears twice).
    virtual void addNotifier(CControlNotifier* notifier);
    // Removes the first registration of the listener.
    virtual void removeNotifier(CControlNotifier* notifier);

    // The events, told to every listener in the order registered; the mouse ones answer 0.
    virtual int onMouseMove(CXPoint p);
    virtual int onFocusOn(CXPoint p);
    virtual int onFocusOff(CXPoint p);
    virtual int onClick(CXPoint p);
    virtual int onRelease(CXPoint p);
    virtual int onRClick(CXPoint p);
    virtual void onAction(CXPoint p);
    virtual void onStartDragging(CXPoint p);
    virtual void onDragging(CXPoint p);
    virtual void onEndDragging(CXPoint p);

    void SetFlags(int flags) { m_flags = flags; }
    int GetFlags() const { return m_flags; }
    CWindow* getWindow() const { return m_window; }
    const std::vector<CControlNotifier*>& getNotifiers() const { return m_notifiers; }

protected:
    using Event = void (CControlNotifier::*)(CControl*, CXPoint);
    void tell(Event event, CXPoint p);

    CWindow* m_window = nullptr;
    int32_t m_id = -1;
    bool m_enabled = true;
    int32_t m_flags = 0;
    std::vector<CControlNotifier*> m_notifiers;

private:
    friend class CControlNotifier;
    // Every registration of the listener goes, without a call.
    void forget(CControlNotifier* notifier);
    void registerWithNotifiers();
    void unregisterFromNotifiers();
};
