#include "graphics/input/CEditBox6.h"

#include <algorithm>
#include <string>

#include "foundation/CXTimer.h"
#include "graphics/core/CGraphicsObject.h"
#include "graphics/core/CGraphicsUnit.h"
#include "graphics/core/CGraphicsWindowServices.h"
#include "graphics/input/CButton.h"
#include "graphics/screen/CRefreshScreen.h"
#include "graphics/text/CMultilineText6.h"
#include "graphics/text/CSimpleFont6.h"
#include "script/CScriptWindowServices.h"

namespace {

// Blink timers are told apart by a number of each box's own: an address may come
// back for a later box while the old timer still waits to be dropped.
intptr_t g_nextTimerId = -0x45440000;

CXTimer* timersOf(CWindow* window) {
    CScriptWindowServices* services = CScriptWindowServices::of(window);
    return services ? services->GetTimerInterface() : nullptr;
}

}  // namespace

CEditBox6::CEditBox6(CWindow* window, CGraphicsUnit* unit, std::shared_ptr<CSimpleFont6> font, CXRect rect,
                     int priority, CXString text)
    : m_window(window), m_unit(unit), m_rect(rect), m_text(text), m_font(std::move(font)),
      m_timerId(g_nextTimerId--) {
    if (!m_font) m_font = std::make_shared<CSimpleFont6>(window);
    m_button = new CButton(window, rect, -1, nullptr);
    m_button->addNotifier(this);
    m_button->setUnit(unit);
    m_textObject = new CMultilineText6(window, false, unit);
    m_textObject->setFont(m_font);
    m_textObject->setJustify(rect, JUSTIFY_LEFT, JUSTIFY_TOP);
    m_textObject->setText(text);
    m_textObject->Visible(true);
    m_textObject->SetClippingRect(CXRect(0, 0, rect.Width(), rect.Height()));
    if (CRefreshScreen* s = screen()) s->put(m_textObject, priority);
    if (CGraphicsWindowServices* services = CGraphicsWindowServices::of(window)) {
        services->registerKeyListener(this);
        services->registerMouseListener(this, kMousePriority);
    }
}

CEditBox6::~CEditBox6() {
    if (CGraphicsWindowServices* services = CGraphicsWindowServices::of(m_window)) {
        services->removeKeyListener(this);
        services->removeMouseListener(this);
    }
    m_active = false;
    stopBlinking();
    notify(kFocusOff);
    m_textObject->Invalidate();
    if (CRefreshScreen* s = screen()) *s >> m_textObject;
    delete m_textObject;
    delete m_button;
    const std::vector<CEditBoxNotifier*> copy = m_notifiers;
    for (CEditBoxNotifier* n : copy)
        if (std::find(m_notifiers.begin(), m_notifiers.end(), n) != m_notifiers.end()) n->onEditBoxDestroyed(this);
}

CRefreshScreen* CEditBox6::screen() const {
    CGraphicsWindowServices* services = CGraphicsWindowServices::of(m_window);
    return services ? services->GetRefreshScreenInterface() : nullptr;
}

// ---- placement ------------------------------------------------------------------------

void CEditBox6::placeText() {
    m_textObject->Invalidate();
    m_textObject->setJustify(m_rect, JUSTIFY_LEFT, JUSTIFY_TOP);
    m_textObject->SetClippingRect(CXRect(0, 0, m_rect.Width(), m_rect.Height()));
    m_textObject->Invalidate();
    m_button->SetActiveRect(m_rect);
    updateCursor();
}

void CEditBox6::setPosition(CXPoint p) {
    const int width = m_rect.Width();
    const int height = m_rect.Height();
    m_rect = CXRect(p.x, p.y, p.x, p.y);
    m_rect.right = static_cast<int>(std::clamp<int64_t>(int64_t{p.x} + width, INT32_MIN, INT32_MAX));
    m_rect.bottom = static_cast<int>(std::clamp<int64_t>(int64_t{p.y} + height, INT32_MIN, INT32_MAX));
    placeText();
}

void CEditBox6::move(CXPoint d) { setPosition(m_rect.LeftTop() + d); }

void CEditBox6::setRect(CXRect r) {
    m_rect = r;
    placeText();
}

// ---- focus ----------------------------------------------------------------------------

void CEditBox6::startBlinking() {
    if (m_blinking) return;
    if (CXTimer* timers = timersOf(m_window)) {
        timers->add(m_timerId, kBlinkInterval, static_cast<CTimerNotificator*>(this));
        m_blinking = true;
    }
}

void CEditBox6::stopBlinking() {
    if (!m_blinking) return;
    if (CXTimer* timers = timersOf(m_window)) timers->remove(m_timerId);
    m_blinking = false;
}

void CEditBox6::showCursor(bool visible) {
    if (m_cursor) m_cursor->Visible(visible);
}

void CEditBox6::activate(bool on) {
    const bool was = m_active;
    m_active = on;
    if (on) {
        m_cursorPos = m_text.getLength();
        startBlinking();
        showCursor(true);
        updateCursor();
        notify(kFocusOn);
        return;
    }
    stopBlinking();
    showCursor(false);
    if (was) notify(kFocusOff);
}

void CEditBox6::enable(bool enabled) {
    m_enabled = enabled;
    m_button->Enable(enabled);
    if (!enabled && m_active) activate(false);
}

void CEditBox6::onControlAction(CControl*, CXPoint) {
    if (!m_active && m_unit) m_unit->activateEditBox(this);
}

bool CEditBox6::onClick(CXPoint p) {
    if (!m_rect.IsInRect(p) && m_unit) m_unit->activateEditBox(nullptr);
    return CMouseListener::onClick(p);
}

void CEditBox6::onTimer(intptr_t) {
    if (m_cursor) showCursor(!m_cursor->isVisible());
}

// ---- text -----------------------------------------------------------------------------

void CEditBox6::textChanged() { m_textObject->setText(m_text); }

void CEditBox6::setText(CXString text) {
    m_text = text;
    m_cursorPos = std::clamp(m_cursorPos, 0, m_text.getLength());
    textChanged();
    updateCursor();
}

void CEditBox6::setCursor(CGraphicsObject* cursor) {
    m_cursor = cursor;
    if (m_cursor && !m_active) m_cursor->Visible(false);
    updateCursor();
}

void CEditBox6::setCursorPos(int position) {
    m_cursorPos = std::clamp(position, 0, m_text.getLength());
    updateCursor();
}

void CEditBox6::setVisibility(bool visible) { m_textObject->Visible(visible); }

void CEditBox6::setColor(int color) {
    m_textObject->setColor(color);
    m_textObject->Invalidate();
}

void CEditBox6::setPriority(int priority) {
    if (CRefreshScreen* s = screen()) s->SetPriority(m_textObject, priority);
}

void CEditBox6::updateCursor() {
    if (!m_cursor) return;
    m_cursor->Invalidate();
    if (m_cursorPos <= 0) {
        m_cursor->setPosition(CXPoint(m_rect.left, m_rect.top + 1));
    } else {
        const std::string text(m_text.c_str(), static_cast<size_t>(m_text.getLength()));
        const size_t end = std::min(static_cast<size_t>(m_cursorPos), text.size());
        const std::string before = text.substr(0, end);
        const size_t bar = before.rfind('|');
        const std::string line = bar == std::string::npos ? before : before.substr(bar + 1);
        const int breaks = static_cast<int>(std::count(before.begin(), before.end(), '|'));
        const int width = CText6::getLength(m_font.get(), CXString(line.c_str()));
        if (int64_t{m_rect.left} + width < m_rect.right) {
            const int64_t y = int64_t{m_rect.top} + 1 + int64_t{breaks} * (m_font->Height() - 4);
            m_cursor->setPosition(
                CXPoint(m_rect.left + width, static_cast<int>(std::clamp<int64_t>(y, INT32_MIN, INT32_MAX))));
        }
    }
    m_cursor->Invalidate();
}

CXString CEditBox6::verify(unsigned char c) {
    if (c == '<') return CXString("@");
    if (c == '>') return CXString("$");
    const char s[2] = {static_cast<char>(c), 0};
    return CXString(s);
}

void CEditBox6::onKeyDown(int key) {
    if (!m_enabled || !m_active || m_locked) return;
    std::string text(m_text.c_str(), static_cast<size_t>(m_text.getLength()));
    const int length = static_cast<int>(text.size());
    switch (key) {
    case kKeyEscape: notify(kEsc); return;
    case kKeyBackspace:
        if (m_cursorPos <= 0) return;
        text.erase(static_cast<size_t>(m_cursorPos - 1), 1);
        --m_cursorPos;
        m_text = CXString(text.c_str());
        textChanged();
        updateCursor();
        notify(kChanged);
        return;
    case kKeyEnter:
        if (!m_singleLine) {
            m_text += "|";
            m_cursorPos = std::min(m_cursorPos + 1, m_text.getLength());
            textChanged();
            updateCursor();
        }
        notify(kEnter);
        return;
    case kKeyHome:
        if (m_cursorPos > 0) m_cursorPos = 0;
        updateCursor();
        return;
    case kKeyLeft:
        if (m_cursorPos > 0) --m_cursorPos;
        updateCursor();
        return;
    case kKeyRight:
        if (m_cursorPos < length) ++m_cursorPos;
        updateCursor();
        return;
    case kKeyEnd:
        if (m_cursorPos < length) m_cursorPos = length;
        updateCursor();
        return;
    case kKeyDelete:
        if (m_cursorPos >= length) return;
        text.erase(static_cast<size_t>(m_cursorPos), 1);
        m_text = CXString(text.c_str());
        textChanged();
        updateCursor();
        notify(kChanged);
        return;
    default: return;
    }
}

void CEditBox6::onChar(unsigned char c) {
    // Control characters (Enter, Backspace, Tab as characters) are the keys' business.
    if (!m_enabled || !m_active || m_locked || c < 32) return;
    std::string candidate(m_text.c_str(), static_cast<size_t>(m_text.getLength()));
    const size_t at = static_cast<size_t>(std::clamp(m_cursorPos, 0, static_cast<int>(candidate.size())));
    candidate.insert(at, verify(c).c_str());
    const size_t bar = candidate.rfind('|');
    const std::string lastLine = bar == std::string::npos ? candidate : candidate.substr(bar + 1);
    const int width = CText6::getLength(m_font.get(), CXString(lastLine.c_str()));
    int advance = 1;
    if (width > m_rect.Width()) {
        if (m_singleLine) return;
        const size_t space = candidate.rfind(' ');
        const bool spaceInLastLine = space != std::string::npos && (bar == std::string::npos || space > bar);
        const size_t breakAt = spaceInLastLine ? space + 1 : candidate.size() - 1;
        candidate.insert(breakAt, "|");
        advance = 2;
    }
    m_text = CXString(candidate.c_str());
    m_cursorPos = std::min(static_cast<int>(at) + advance, m_text.getLength());
    textChanged();
    updateCursor();
    notify(kChanged);
}

// ---- notifiers ------------------------------------------------------------------------

void CEditBox6::addNotifier(CEditBoxNotifier* notifier) {
    if (notifier && std::find(m_notifiers.begin(), m_notifiers.end(), notifier) == m_notifiers.end())
        m_notifiers.push_back(notifier);
}

void CEditBox6::removeNotifier(CEditBoxNotifier* notifier) { std::erase(m_notifiers, notifier); }

void CEditBox6::notify(int code) {
    const std::vector<CEditBoxNotifier*> copy = m_notifiers;
    for (CEditBoxNotifier* n : copy) {
        if (std::find(m_notifiers.begin(), m_notifiers.end(), n) == m_notifiers.end()) continue;
        switch (code) {
        case kFocusOn: n->onFocusOn(this); break;
        case kFocusOff: n->onFocusOff(this); break;
        case kChanged: n->onChanged(this); break;
        case kEnter: n->onEnter(this); break;
        case kEsc: n->onEsc(this); break;
        default: break;
        }
    }
}
