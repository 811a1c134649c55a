// The window's input section: devices, listener lists, mouse and key dispatch,
// capture, window dragging and cursors.
#include <algorithm>

#include "foundation/CSortedVector.h"
#include "foundation/CXArray.h"
#include "graphics/input/CCollisionInspector.h"
#include "graphics/input/CHotSpot.h"
#include "graphics/screen/CRefreshScreen.h"
#include "platform/Input.h"
#include "platform/WindowPlacement.h"
#include "shell/CApplication.h"
#include "shell/CDXMouse.h"
#include "shell/CKeyboard.h"
#include "shell/CMouseListener.h"
#include "shell/CWindow.h"

namespace {

constexpr int kListCapacity = 101;
constexpr float kLoadFactor = 0.75f;

// Hot-spot event codes of the mouse handlers.
enum : int {
    kHotMove = 1,
    kHotLeftDown = 2,
    kHotLeftUp = 4,
    kHotRightDown = 8,
    kHotRightUp = 16,
    kHotMiddleDown = 32,
    kHotMiddleUp = 64,
    kHotLeftDouble = 65,
};

CWindow::ClipRestore g_clipRestore = nullptr;
CWindow::ClipReset g_clipReset = nullptr;

// One entry of the mouse-listener list, ordered by priority.
class CMouseListenerEntry : public CXObject {
public:
    CMouseListenerEntry(CMouseListener* listener, int priority) : listener(listener), priority(priority) {}
    int compare(CXObject* other) override {
        auto* e = static_cast<CMouseListenerEntry*>(other);
        return priority > e->priority ? 1 : priority < e->priority ? -1 : 0;
    }
    CMouseListener* listener;
    int32_t priority;
};

CMouseListenerEntry* entryAt(CSortedVector* list, int i) { return static_cast<CMouseListenerEntry*>(list->at(i)); }

// The window's own walks, counted so that removals during them are remembered.
class WalkGuard {
public:
    WalkGuard(int& depth, std::vector<const void*>& removed) : m_depth(depth), m_removed(removed) { ++m_depth; }
    ~WalkGuard() {
        if (--m_depth == 0) m_removed.clear();
    }
    WalkGuard(const WalkGuard&) = delete;
    WalkGuard& operator=(const WalkGuard&) = delete;

private:
    int& m_depth;
    std::vector<const void*>& m_removed;
};

// Host messages for the window's handlers while the mouse device is off.
void forwardToWindow(platform::MouseMessage message, int32_t x, int32_t y) {
    CWindow* window = CWindow::getCurrentWindow();
    if (!window) return;
    const CXPoint p(x, y);
    switch (message) {
    case platform::MouseMessage::Move:
        window->OnMouseMove(p, 0);
        break;
    case platform::MouseMessage::LeftDown:
        window->OnLButtonDown(p, 0);
        break;
    case platform::MouseMessage::LeftUp:
        window->OnLButtonUp(p, 0);
        break;
    case platform::MouseMessage::LeftDoubleClick:
        window->OnLButtonDblClk(p, 0);
        break;
    case platform::MouseMessage::MiddleDown:
        window->OnMButtonDown(p, 0);
        break;
    case platform::MouseMessage::MiddleUp:
        window->OnMButtonUp(p, 0);
        break;
    case platform::MouseMessage::RightDown:
        window->OnRButtonDown(p, 0);
        break;
    case platform::MouseMessage::RightUp:
        window->OnRButtonUp(p, 0);
        break;
    }
}

} // namespace

// ---- set-up and release -------------------------------------------------------

void CWindow::createInput(bool withMouse) {
    SetCursor(m_mainCursor);
    m_keyListeners = new CXArray(kListCapacity, kLoadFactor);
    m_mouseListeners = new CSortedVector(kListCapacity);
    m_keyboard = new CKeyboard(this);
    if (withMouse) m_dxMouse = new CDXMouse(this);
    m_collisionInspector = new CCollisionInspector();
    CHotSpot::initialize(this);
    platform::input().setMouseReceiver(forwardToWindow);
}

void CWindow::releaseInput() {
    delete m_keyboard;
    m_keyboard = nullptr;
    delete m_dxMouse;
    m_dxMouse = nullptr;
    delete m_collisionInspector;
    m_collisionInspector = nullptr;
    delete m_keyListeners;
    m_keyListeners = nullptr;
    if (m_mouseListeners) {
        for (int i = 0; i < m_mouseListeners->getCount(); ++i) delete entryAt(m_mouseListeners, i);
        delete m_mouseListeners;
        m_mouseListeners = nullptr;
    }
    CHotSpot::done();
}

void CWindow::onInputActivation(bool active) {
    if (active) {
        if (g_clipRestore) g_clipRestore();
    } else if (g_clipReset) {
        g_clipReset(false);
    }
}

void CWindow::setMouseClipHandlers(ClipRestore restore, ClipReset reset) {
    g_clipRestore = restore;
    g_clipReset = reset;
}

void CWindow::initKeyboardLanguage() {
    if (m_keyboard) m_keyboard->initLanguage();
}

// ---- listener lists ------------------------------------------------------------

bool CWindow::removedDuringWalk(const void* listener) const {
    return std::find(m_removedDuringWalk.begin(), m_removedDuringWalk.end(), listener) != m_removedDuringWalk.end();
}

void CWindow::registerMouseListener(CMouseListener* listener, int priority) {
    if (!m_mouseListeners || !listener) return;
    for (int i = 0; i < m_mouseListeners->getCount(); ++i)
        if (entryAt(m_mouseListeners, i)->listener == listener) return;
    m_mouseListeners->add(static_cast<CXObject*>(new CMouseListenerEntry(listener, priority)));
}

void CWindow::removeMouseListener(CMouseListener* listener) {
    if (!m_mouseListeners) return;
    for (int i = 0; i < m_mouseListeners->getCount(); ++i) {
        CMouseListenerEntry* entry = entryAt(m_mouseListeners, i);
        if (entry->listener != listener) continue;
        m_mouseListeners->removeAt(i);
        delete entry;
        if (m_walkDepth > 0) m_removedDuringWalk.push_back(listener);
        return;
    }
}

void CWindow::setMouseCaption(CMouseListener* listener) {
    if (!m_mouseListeners || !listener || m_mouseListeners->getCount() == 0) return;
    CMouseListener* first = entryAt(m_mouseListeners, m_mouseListeners->getCount() - 1)->listener;
    if (first == listener) return;
    first->onLooseFocus();
    removeMouseListener(listener);
    listener->onSetFocus();
    registerMouseListener(listener, kCapturePriority);
}

void CWindow::registerKeyListener(CKeyListener* listener) {
    if (m_keyListeners && listener) m_keyListeners->add(static_cast<void*>(listener));
}

void CWindow::removeKeyListener(CKeyListener* listener) {
    if (!m_keyListeners || !m_keyListeners->contains(static_cast<void*>(listener))) return;
    m_keyListeners->remove(static_cast<void*>(listener));
    if (m_walkDepth > 0) m_removedDuringWalk.push_back(listener);
}

// ---- mouse dispatch ------------------------------------------------------------

bool CWindow::askMouseListeners(CXPoint point, MouseAsk first, MouseAsk second) {
    if (!m_mouseListeners) return false;
    std::vector<CMouseListener*> order;
    for (int i = m_mouseListeners->getCount() - 1; i >= 0; --i) order.push_back(entryAt(m_mouseListeners, i)->listener);
    WalkGuard guard(m_walkDepth, m_removedDuringWalk);
    for (CMouseListener* listener : order) {
        if (removedDuringWalk(listener)) continue;
        if (first(listener, point)) return true;
        if (second && !removedDuringWalk(listener) && second(listener, point)) return true;
    }
    return false;
}

int CWindow::mouseEvent(int hotSpotCode, CXPoint point, int flags, MouseAsk first, MouseAsk second) {
    if (flags != 0 || !m_mouseEnabled) return 0;
    const int hot = CHotSpot::OnMouseEvent(hotSpotCode, point, 0);
    if (hot != 0) return hot;
    const bool taken = askMouseListeners(point, first, second);
    return hotSpotCode == kHotMove && taken ? 1 : hot;
}

int CWindow::OnMouseMove(CXPoint point, int flags) {
    dragWindow(point);
    return mouseEvent(kHotMove, point, flags, [](CMouseListener* l, CXPoint p) { return l->onMouseMove(p); },
                      nullptr);
}

int CWindow::OnLButtonDown(CXPoint point, int flags) {
    return mouseEvent(
        kHotLeftDown, point, flags, [](CMouseListener* l, CXPoint p) { return l->onClick(p); },
        [](CMouseListener* l, CXPoint p) { return l->onClick(0, p); });
}

int CWindow::OnLButtonUp(CXPoint point, int flags) {
    return mouseEvent(
        kHotLeftUp, point, flags, [](CMouseListener* l, CXPoint p) { return l->onRelease(p); },
        [](CMouseListener* l, CXPoint p) { return l->onRelease(0, p); });
}

int CWindow::OnLButtonDblClk(CXPoint point, int flags) {
    return mouseEvent(kHotLeftDouble, point, flags, [](CMouseListener* l, CXPoint p) { return l->onDblClick(p); },
                      nullptr);
}

int CWindow::OnMButtonDown(CXPoint point, int flags) {
    return mouseEvent(kHotMiddleDown, point, flags, [](CMouseListener* l, CXPoint p) { return l->onClick(1, p); },
                      nullptr);
}

int CWindow::OnMButtonUp(CXPoint point, int flags) {
    return mouseEvent(kHotMiddleUp, point, flags, [](CMouseListener* l, CXPoint p) { return l->onRelease(1, p); },
                      nullptr);
}

int CWindow::OnRButtonDown(CXPoint point, int flags) {
    return mouseEvent(kHotRightDown, point, flags, [](CMouseListener* l, CXPoint p) { return l->onClick(2, p); },
                      nullptr);
}

int CWindow::OnRButtonUp(CXPoint point, int flags) {
    return mouseEvent(kHotRightUp, point, flags, [](CMouseListener* l, CXPoint p) { return l->onRelease(2, p); },
                      nullptr);
}

bool CWindow::getMousePosition(CXPoint* position) const {
    if (!m_dxMouse) return false;
    if (position) *position = m_dxMouse->getPosition();
    return true;
}

void CWindow::enableMouse(bool enabled) {
    m_mouseEnabled = enabled;
    if (enabled)
        EndWaitCursor();
    else
        BeginWaitCursor();
}

// ---- key dispatch --------------------------------------------------------------

int CWindow::OnKeyDown(int key, int flags) {
    if (!m_application) return 0;
    const int answer = m_application->OnKeyDown(key, flags);
    const int hot = answer == 0 ? CHotSpot::OnKeyDown(key, flags) : 0;
    if (m_keyListeners) {
        std::vector<CKeyListener*> order;
        for (int i = 0; i < m_keyListeners->getCount(); ++i)
            order.push_back(static_cast<CKeyListener*>(m_keyListeners->at(i)));
        WalkGuard guard(m_walkDepth, m_removedDuringWalk);
        for (CKeyListener* listener : order)
            if (!removedDuringWalk(listener)) listener->onKeyDown(key);
    }
    return answer != 0 ? answer : hot;
}

int CWindow::OnKeyUp(int key, int flags) {
    if (m_keyListeners) {
        std::vector<CKeyListener*> order;
        for (int i = 0; i < m_keyListeners->getCount(); ++i)
            order.push_back(static_cast<CKeyListener*>(m_keyListeners->at(i)));
        WalkGuard guard(m_walkDepth, m_removedDuringWalk);
        for (CKeyListener* listener : order)
            if (!removedDuringWalk(listener)) listener->onKeyUp(key);
    }
    return CHotSpot::OnKeyUp(key, flags);
}

int CWindow::OnChar(int character, int) {
    if (!m_keyListeners) return 0;
    std::vector<CKeyListener*> order;
    for (int i = 0; i < m_keyListeners->getCount(); ++i)
        order.push_back(static_cast<CKeyListener*>(m_keyListeners->at(i)));
    WalkGuard guard(m_walkDepth, m_removedDuringWalk);
    for (CKeyListener* listener : order)
        if (!removedDuringWalk(listener)) listener->onChar(static_cast<unsigned char>(character));
    return 0;
}

// ---- dragging ------------------------------------------------------------------

void CWindow::startDraggingWindow(CXPoint catchPoint) {
    m_catchPoint = catchPoint;
    m_windowDragged = true;
}

void CWindow::dragWindow(CXPoint point) {
    if (!m_active || !m_windowMode || !m_windowDragged) return;
    const int width = m_refreshScreen ? m_refreshScreen->Width() : m_screenSize.cx;
    const int height = m_refreshScreen ? m_refreshScreen->Height() : m_screenSize.cy;
    platform::WindowPlacement& placement = platform::windowPlacement();
    int32_t x = 0, y = 0;
    placement.clientOrigin(m_hwnd, &x, &y);
    const CXPoint corner = CXPoint(x, y) + (point - m_catchPoint);
    const platform::ScreenBounds bounds = placement.usableBounds();
    if (corner.y < addSat(bounds.y, bounds.height) && corner.x < addSat(bounds.x, bounds.width))
        placement.moveWindow(m_hwnd, corner.x, corner.y, width, height);
}

// ---- cursors -------------------------------------------------------------------

void CWindow::SetCursor(platform::CursorHandle cursor) {
    if (!m_cursorLocked) platform::input().setCursor(cursor);
}

void CWindow::BeginActiveCursor() {
    if (m_activeCursor && !m_activeCursorLocked) SetCursor(m_activeCursor);
}

void CWindow::EndActiveCursor() { SetMainCursor(); }

void CWindow::BeginWaitCursor() {
    if (m_waitCursor) SetCursor(m_waitCursor);
}

void CWindow::EndWaitCursor() { SetMainCursor(); }

void CWindow::SetMainCursor() {
    if (m_mainCursor) SetCursor(m_mainCursor);
}

void CWindow::lockActiveCursor(bool lock) {
    SetMainCursor();
    m_activeCursorLocked = lock;
}

void CWindow::ShowCursor() { platform::input().showPointer(true); }

void CWindow::HideCursor() { platform::input().showPointer(false); }

// ---- key codes -----------------------------------------------------------------

char CWindow::tranlateToChar(int scan) {
    static constexpr struct {
        int scan;
        char character;
    } kTable[] = {
        {30, 'A'}, {48, 'B'}, {46, 'C'}, {32, 'D'}, {18, 'E'}, {33, 'F'}, {34, 'G'}, {35, 'H'}, {23, 'I'},
        {36, 'J'}, {37, 'K'}, {38, 'L'}, {50, 'M'}, {49, 'N'}, {24, 'O'}, {25, 'P'}, {16, 'Q'}, {19, 'R'},
        {31, 'S'}, {20, 'T'}, {22, 'U'}, {47, 'V'}, {17, 'W'}, {45, 'X'}, {21, 'Y'}, {44, 'Z'}, {11, '0'},
        {2, '1'},  {3, '2'},  {4, '3'},  {5, '4'},  {6, '5'},  {7, '6'},  {8, '7'},  {9, '8'},  {10, '9'},
        {57, ' '},
    };
    for (const auto& e : kTable)
        if (e.scan == scan) return e.character;
    return 0;
}

int CWindow::__get_virtualkey_code(int virtualKey, int flags) {
    switch (virtualKey) {
    case 13:
        return -50;
    case 16:
        return flags == 0x1D0001 ? -45 : -44;
    case 17:
        return flags == 0x2A0001 ? -48 : -47;
    case 32:
        return -39;
    case 33:
        return -52;
    case 34:
        return -51;
    case 35:
        return -53;
    case 36:
        return -54;
    case 37:
        return -43;
    case 38:
        return -41;
    case 39:
        return -42;
    case 40:
        return -40;
    case 45:
        return -56;
    case 46:
        return -55;
    default:
        return virtualKey;
    }
}
