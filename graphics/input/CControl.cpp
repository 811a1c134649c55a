#include "graphics/input/CControl.h"

#include <algorithm>

namespace {

void eraseOne(std::vector<CControl*>& list, CControl* control) {
    auto found = std::find(list.begin(), list.end(), control);
    if (found != list.end()) list.erase(found);
}

}  // namespace

CControlNotifier::~CControlNotifier() {
    const std::vector<CControl*> heard = m_heard;
    for (CControl* control : heard) control->forget(this);
    m_heard.clear();
}

CControl::CControl(CWindow* window) : m_window(window) {}

CControl::CControl(const CControl& other)
    : CXObject(other), CKeyListener(other), m_window(other.m_window), m_id(other.m_id), m_enabled(other.m_enabled),
      m_flags(other.m_flags), m_notifiers(other.m_notifiers) {
    registerWithNotifiers();
}

CControl& CControl::operator=(const CControl& other) {
    if (this == &other) return *this;
    m_window = other.m_window;
    m_id = other.m_id;
    m_enabled = other.m_enabled;
    m_flags = other.m_flags;
    unregisterFromNotifiers();
    m_notifiers = other.m_notifiers;
    registerWithNotifiers();
    return *this;
}

CControl::~CControl() {
    // Over a copy: a listener may remove itself (or another) while it hears this.
    const std::vector<CControlNotifier*> copy = m_notifiers;
    for (CControlNotifier* n : copy)
        if (n && std::find(m_notifiers.begin(), m_notifiers.end(), n) != m_notifiers.end()) n->onControlDestroyed(this);
    unregisterFromNotifiers();
}

void CControl::registerWithNotifiers() {
    for (CControlNotifier* n : m_notifiers) n->m_heard.push_back(this);
}

void CControl::unregisterFromNotifiers() {
    for (CControlNotifier* n : m_notifiers) eraseOne(n->m_heard, this);
    m_notifiers.clear();
}

void CControl::addNotifier(CControlNotifier* notifier) {
    if (!notifier) return;
    m_notifiers.push_back(notifier);
    notifier->m_heard.push_back(this);
}

void CControl::removeNotifier(CControlNotifier* notifier) {
    auto found = std::find(m_notifiers.begin(), m_notifiers.end(), notifier);
    if (found == m_notifiers.end()) return;
    m_notifiers.erase(found);
    eraseOne(notifier->m_heard, this);
}

void CControl::forget(CControlNotifier* notifier) { std::erase(m_notifiers, notifier); }

void CControl::tell(Event event, CXPoint p) {
    // A listener taken out by an earlier one during the walk (and perhaps deleted) is
    // not called.
    const std::vector<CControlNotifier*> copy = m_notifiers;
    for (CControlNotifier* n : copy)
        if (n && std::find(m_notifiers.begin(), m_notifiers.end(), n) != m_notifiers.end()) (n->*event)(this, p);
}

int CControl::onMouseMove(CXPoint p) {
    tell(&CControlNotifier::onControlOnMove, p);
    return 0;
}

int CControl::onFocusOn(CXPoint p) {
    tell(&CControlNotifier::onControlFocusOn, p);
    return 0;
}

int CControl::onFocusOff(CXPoint p) {
    tell(&CControlNotifier::onControlFocusOff, p);
    return 0;
}

int CControl::onClick(CXPoint p) {
    tell(&CControlNotifier::onControlClicked, p);
    return 0;
}

int CControl::onRelease(CXPoint p) {
    tell(&CControlNotifier::onControlReleased, p);
    return 0;
}

int CControl::onRClick(CXPoint p) {
    tell(&CControlNotifier::onControlPopup, p);
    return 0;
}

void CControl::onAction(CXPoint p) { tell(&CControlNotifier::onControlAction, p); }

void CControl::onStartDragging(CXPoint p) { tell(&CControlNotifier::onStartDragging, p); }

void CControl::onDragging(CXPoint p) { tell(&CControlNotifier::onDragging, p); }

void CControl::onEndDragging(CXPoint p) { tell(&CControlNotifier::onEndDragging, p); }
