#include "graphics/input/CButton.h"

#include <algorithm>
#include <string>

#include "graphics/core/CGraphicsObject.h"
#include "graphics/core/CGraphicsUnit.h"
#include "graphics/core/CGraphicsWindowServices.h"
#include "graphics/play/CPlayable.h"
#include "graphics/screen/CRefreshScreen.h"

// ---- hot spot -------------------------------------------------------------------------

CButtonHotSpot::CButtonHotSpot(CButton* owner, CWindow* window, CXRect rect, int priority, CMC_Button* button)
    : CHotSpot(window, nullptr, static_cast<_event>(3), 0, button), m_owner(owner) {
    SetActiveRect(rect, static_cast<_event>(3), priority);
    setPriority(priority);
}

CButtonHotSpot::~CButtonHotSpot() = default;

void CButtonHotSpot::copySettings(CButtonHotSpot& other) {
    if (other.getObject())
        Set(other.getObject(), other.m_alphaTest);
    else if (other.getActiveRect())
        SetActiveRect(*other.getActiveRect(), getEvents(), 0);
    setPriority(other.m_priority);
    setUnit(other.getUnit());
    Enable(other.IsEnabled());
    m_context = other.m_context;
    EnableCursor(other.m_cursorEnabled);
}

bool CButtonHotSpot::unitUsable() {
    CGraphicsUnit* unit = getUnit();
    return !unit || (unit->isActive() && !unit->isDragging());
}

int CButtonHotSpot::OnMouseMove(CXPoint p, int, void*) { return m_owner->onMouseMove(p); }

int CButtonHotSpot::OnFocusOn(CXPoint p, int, void*) {
    CGraphicsUnit* unit = getUnit();
    if (!m_owner->IsEnabled() || !unitUsable()) {
        m_owner->setPointerOutside(false);
        return 0;
    }
    if (unit && !unit->wasInitiallyUpdated()) {
        const int answer = m_owner->onFocusOn(p);
        m_owner->setPointerOutside(false);
        return answer;
    }
    m_owner->showOnMove();
    m_owner->playOnMoveSound(m_pointerOver);
    m_pointerOver = true;
    const int moved = m_owner->OnMove(p, 0, nullptr);
    const int focused = m_owner->onFocusOn(p);
    m_owner->setPointerOutside(false);
    return moved != 0 ? moved : focused;
}

int CButtonHotSpot::OnFocusOff(CXPoint p, int, void*) {
    if (m_owner->IsEnabled() && unitUsable()) {
        m_owner->Force(false);
        if (!m_owner->IsFrozen()) m_owner->hideOnMove();
        m_owner->stopOnMoveSound();
    }
    // Cleared however the button stands, so the on-move sound plays at the next entry
    // after a drag or a disabled spell.
    m_pointerOver = false;
    m_owner->setPointerOutside(true);
    return m_owner->onFocusOff(p);
}

int CButtonHotSpot::OnLButtonDown(CXPoint p, int, void*) {
    CGraphicsUnit* unit = getUnit();
    if (!m_owner->IsEnabled() || (unit && unit->isDragging())) return 0;
    m_owner->OnClick(p, 0, nullptr);
    m_owner->Force(true);
    return 1;
}

int CButtonHotSpot::OnLButtonUp(CXPoint p, int, void*) {
    if (!m_owner->IsEnabled() || !unitUsable()) return 0;
    // The pointer is still over the button: leaving it later is a focus change.
    m_over = true;
    m_owner->setClickPoint(p);
    m_owner->Force(false);
    m_owner->onRelease(p);
    m_owner->onAction(p);
    return 1;
}

int CButtonHotSpot::OnRButtonDown(CXPoint p, int, void*) { return m_owner->IsEnabled() ? m_owner->onRClick(p) : 0; }

int CButtonHotSpot::OnMButtonUp(CXPoint, int, void*) {
    if (m_owner->IsEnabled()) m_owner->Force(true);
    return 0;
}

// ---- button ---------------------------------------------------------------------------

CButton::CButton(CWindow* window, CXRect rect, int id, CMC_Button* button) : CControl(window), m_activeRect(rect) {
    CGraphicsWindowServices* services = CGraphicsWindowServices::of(window);
    m_screen = services ? services->GetRefreshScreenInterface() : nullptr;
    m_hotSpot = new CButtonHotSpot(this, window, rect, kDefaultPriority, button);
    SetID(id);
}

CButton::CButton(CWindow* window, int id, CMC_Button* button) : CButton(window, CXRect(0, 0, 0, 0), id, button) {}

CButton::~CButton() {
    if (CGraphicsWindowServices* services = CGraphicsWindowServices::of(m_window))
        services->removeKeyListener(this);
    for (CGraphicsObject* g : m_watched) g->removeInvalidateObserver(&m_watch);
    m_watched.clear();
    CGraphicsObject* graphics[] = {m_standard, m_onMove, m_onClick};
    if (m_screen)
        for (CGraphicsObject* g : graphics)
            if (g) {
                g->Visible(false);
                *m_screen >> g;
            }
    if (m_deleteGraphics) {
        // The same graphic may serve twice; it goes once.
        if (m_onMove == m_standard) m_onMove = nullptr;
        if (m_onClick == m_standard || m_onClick == m_onMove) m_onClick = nullptr;
        delete m_standard;
        delete m_onMove;
        delete m_onClick;
    }
    if (m_deleteSounds) {
        CPlayable* onMove = m_onMoveSound.get();
        CPlayable* onClick = m_onClickSound.get();
        if (onClick == onMove) onClick = nullptr;
        delete onMove;
        delete onClick;
    }
    delete m_hotSpot;
}

CButton* CButton::clone() {
    auto* copy = new CButton(m_window, m_activeRect, m_id, m_hotSpot ? m_hotSpot->getMCButton() : nullptr);
    copy->m_enabled = m_enabled;
    copy->m_flags = m_flags;
    copy->m_typedKeys = m_typedKeys;
    copy->m_hasRetCode = m_hasRetCode;
    copy->m_retCode = m_retCode;
    copy->m_forced = m_forced;
    copy->m_frozen = m_frozen;
    copy->m_soundLocked = m_soundLocked;
    copy->m_deleteGraphics = false;
    copy->m_deleteSounds = false;
    copy->m_hideStandardWhileOnMove = m_hideStandardWhileOnMove;
    copy->m_standard = m_standard;
    copy->m_onMove = m_onMove;
    copy->m_onClick = m_onClick;
    copy->m_accent = m_accent;
    copy->m_dragging = m_dragging;
    copy->m_clickPoint = m_clickPoint;
    copy->m_onMoveSound = m_onMoveSound;
    copy->m_onClickSound = m_onClickSound;
    copy->m_userData = m_userData;
    copy->m_playSoundOnlyWhenSilence = m_playSoundOnlyWhenSilence;
    copy->m_draggingEnabled = m_draggingEnabled;
    copy->m_pointerOutside = m_pointerOutside;
    copy->m_hotSpot->copySettings(*m_hotSpot);
    copy->rewatch();
    copy->SetKeyName(m_keyName);
    return copy;
}

CRefreshScreen* CButton::screen() const { return m_screen; }

void CButton::rewatch() {
    std::vector<CGraphicsObject*> now;
    for (CGraphicsObject* g : {m_standard, m_onMove, m_onClick, m_accent, m_dragging})
        if (g && std::find(now.begin(), now.end(), g) == now.end()) now.push_back(g);
    for (CGraphicsObject* g : m_watched)
        if (std::find(now.begin(), now.end(), g) == now.end()) g->removeInvalidateObserver(&m_watch);
    for (CGraphicsObject* g : now)
        if (std::find(m_watched.begin(), m_watched.end(), g) == m_watched.end()) g->addInvalidateObserver(&m_watch);
    m_watched = std::move(now);
}

void CButton::forget(CGraphicsObject* g) {
    for (CGraphicsObject** field : {&m_standard, &m_onMove, &m_onClick, &m_accent, &m_dragging})
        if (*field == g) *field = nullptr;
    if (m_hotSpot && m_hotSpot->getObject() == g) m_hotSpot->Set(nullptr, false);
    std::erase(m_watched, g);
}

void CButton::SetDragging(CGraphicsObject* g) {
    m_dragging = g;
    rewatch();
}

void CButton::show(CGraphicsObject* g, bool visible) {
    if (g) g->Visible(visible);
}

void CButton::enter(CGraphicsObject* g) {
    if (g && m_screen) *m_screen << g;
}

bool CButton::Set(CGraphicsObject* g, void* userData, bool removeOld, bool wholeBox) {
    m_userData = userData;
    if (m_standard && removeOld && m_screen) *m_screen >> m_standard;
    m_standard = g;
    if (g) {
        enter(g);
        m_hotSpot->setContext(userData);
    }
    if (m_activeRect.Width() == 0 || m_activeRect.Height() == 0) {
        m_accent = g;
        m_dragging = g;
        m_hotSpot->Set(g, wholeBox);
    }
    rewatch();
    return true;
}

bool CButton::SetOnMove(CGraphicsObject* g, CPlayable* sound) {
    if (g) {
        m_onMove = g;
        enter(g);
        g->Visible(false);
    }
    m_onMoveSound.set(sound);
    rewatch();
    return true;
}

bool CButton::SetOnClick(CGraphicsObject* g, CPlayable* sound) {
    if (g) {
        m_onClick = g;
        enter(g);
        g->Visible(false);
    }
    m_onClickSound.set(sound);
    rewatch();
    return true;
}

void CButton::SetSound(_soundtype type, CPlayable* sound) {
    if (type == SOUND_ONMOVE) m_onMoveSound.set(sound);
    if (type == SOUND_ONCLICK) m_onClickSound.set(sound);
}

void CButton::HeldSound::set(CPlayable* playable) {
    m_playable = playable;
    m_alive = playable ? playable->aliveFlag() : nullptr;
}

bool CButton::SetActiveRect(CXRect r) {
    m_activeRect = r;
    m_hotSpot->SetActiveRect(r, EVENT_NONE, 0);
    return true;
}

void CButton::Accent(_accent which, bool wholeBox) {
    CGraphicsObject* g = which == ACCENT_STANDARD ? m_standard : which == ACCENT_ONMOVE ? m_onMove : m_onClick;
    m_hotSpot->Set(g, wholeBox);
}

void CButton::Accent(CGraphicsObject* g, bool wholeBox) {
    m_accent = g;
    m_dragging = g;
    m_hotSpot->Set(g, wholeBox);
    rewatch();
}

bool CButton::soundAllowed() { return !m_playSoundOnlyWhenSilence || !m_hotSpot->getUnit(); }

bool CButton::Force(bool f) {
    if (f == m_forced) return f;
    m_forced = f;
    if (f) {
        if (m_onMove && m_onMove->isVisible() && m_onClick) show(m_onMove, false);
        show(m_onClick, true);
        if (CPlayable* sound = m_onClickSound.get(); sound && !m_soundLocked && soundAllowed()) sound->play();
    } else {
        show(m_onClick, false);
        show(m_onMove ? m_onMove : m_standard, true);
    }
    return f;
}

void CButton::showOnMove() {
    if (!m_onMove) return;
    if (m_hideStandardWhileOnMove) show(m_standard, false);
    show(m_onMove, true);
}

void CButton::hideOnMove() {
    show(m_onMove, false);
    if (m_hideStandardWhileOnMove) show(m_standard, true);
}

void CButton::playOnMoveSound(bool over) {
    if (CPlayable* sound = m_onMoveSound.get(); sound && !over && !m_soundLocked && soundAllowed()) sound->play();
}

void CButton::stopOnMoveSound() {
    if (CPlayable* sound = m_onMoveSound.get(); sound && sound->isPlaying()) sound->stop(false);
}

void CButton::Enable(bool enabled) {
    CControl::Enable(enabled);
    show(m_standard, enabled);
    if (!enabled) {
        if (CGraphicsWindowServices* services = CGraphicsWindowServices::of(m_window)) services->EndActiveCursor();
        m_frozen = false;
        show(m_onMove, false);
        show(m_onClick, false);
    }
    m_hotSpot->Enable(enabled);
}

void CButton::DisableButVisible() {
    CControl::Enable(false);
    if (CGraphicsWindowServices* services = CGraphicsWindowServices::of(m_window)) services->EndActiveCursor();
    show(m_onClick, false);
    show(m_onMove, false);
    show(m_standard, true);
    m_hotSpot->Enable(false);
}

void CButton::Freeze(bool frozen) {
    m_frozen = frozen;
    show(m_onMove, frozen);
}

void CButton::Move(int dx, int dy) {
    CGraphicsObject* moved[5] = {};
    int count = 0;
    for (CGraphicsObject* g : {m_standard, m_onMove, m_onClick, m_accent, m_dragging}) {
        bool seen = false;
        for (int i = 0; i < count; ++i) seen = seen || moved[i] == g;
        if (!g || seen) continue;
        g->Move(dx, dy);
        moved[count++] = g;
    }
    if (!m_accent) SetActiveRect(m_activeRect + CXPoint(dx, dy));
}

void CButton::SetID(int id) { CControl::SetID(id); }

int CButton::GetID() { return m_id; }

int CButton::getPriority() { return m_hotSpot->getPriority(); }

void CButton::setPriority(int priority) { m_hotSpot->setPriority(priority); }

void CButton::setUnit(CGraphicsUnit* unit) { m_hotSpot->setUnit(unit); }

CGraphicsUnit* CButton::getUnit() const { return m_hotSpot->getUnit(); }

void CButton::setMCButton(CMC_Button* button) { m_hotSpot->setMCButton(button); }

void CButton::EnableCursor(bool enabled) { m_hotSpot->EnableCursor(enabled); }

void CButton::SYN() {
    CGraphicsWindowServices* services = CGraphicsWindowServices::of(m_window);
    CXPoint p;
    if (services && services->getMousePosition(&p)) m_pointerOutside = !m_hotSpot->TestHit(p);
}

void CButton::SetKeyName(CXString name) {
    m_keyName = name;
    m_keyName.Upper();
    m_typedKeys = CXString();
    if (!m_keyName.IsString() || m_listensToKeys) return;
    if (CGraphicsWindowServices* services = CGraphicsWindowServices::of(m_window)) {
        services->registerKeyListener(this);
        m_listensToKeys = true;
    }
}

void CButton::useUnitRetCode() {
    if (CGraphicsUnit* unit = m_hotSpot->getUnit())
        if (m_hasRetCode) unit->setRetCode(m_retCode);
}

void CButton::onKeyDown(int key) {
    if (!m_keyName.IsString()) return;
    if (m_keyName != CXString(kAnyKey)) {
        CGraphicsWindowServices* services = CGraphicsWindowServices::of(m_window);
        const char c = services ? services->keyToChar(key) : 0;
        if (c == 0) return;
        std::string typed = std::string(m_typedKeys.c_str()) + c;
        const size_t keep = static_cast<size_t>(m_keyName.getLength());
        if (typed.size() > keep) typed.erase(0, typed.size() - keep);
        m_typedKeys = CXString(typed.c_str());
        m_typedKeys.Upper();
        if (m_typedKeys != m_keyName) return;
    }
    useUnitRetCode();
}

int CButton::OnMove(CXPoint p, int, void*) { return onMouseMove(p); }

int CButton::OnClick(CXPoint p, int, void*) {
    int answer = 0;
    CGraphicsUnit* unit = m_hotSpot->getUnit();
    if (m_draggingEnabled && unit) {
        CGraphicsObject* g = m_dragging ? m_dragging : m_standard ? m_standard : m_onMove;
        if (g) {
            Enable(false);
            g->Visible(true);
            answer = unit->onStartDragging(g, p, this) ? 1 : 0;
        }
    }
    // The press that follows plays the sound when it changes the look; only a button
    // pressed already plays it here.
    if (CPlayable* sound = m_onClickSound.get(); sound && !m_soundLocked && m_forced) sound->play();
    CControl::onClick(p);
    return answer;
}

void CButton::onAction(CXPoint p) {
    useUnitRetCode();
    CControl::onAction(p);
}
