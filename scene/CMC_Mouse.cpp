#include "scene/CMC_Mouse.h"

#include "graphics/screen/CRefreshScreen.h"
#include "platform/Input.h"
#include "platform/WindowPlacement.h"
#include "scene/CMC_Scene.h"
#include "scene/CMC_SceneBinary.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_TypeTable.h"
#include "shell/CWindow.h"

CXRect CMC_Mouse::clipRect;

namespace {

const bool g_registered =
    CMC_TypeTable::registerType("MOUSE",
                                [](CMC_ObjectsContainer* container, CMElement* element) -> CMC_Object* {
                                    return new CMC_Mouse(container, element);
                                }) &&
    CMC_SceneBinary::registerPrototype(CMC_Mouse::kType,
                                       [](CMC_Scene* scene) -> CMC_Object* { return new CMC_Mouse(scene); }) &&
    (CWindow::setMouseClipHandlers(&CMC_Mouse::restore, &CMC_Mouse::reset), true);

// The confinement in client coordinates of the current window.
void confine(const CXRect& screenRect) {
    int32_t ox = 0, oy = 0;
    if (CWindow* window = CWindow::getCurrentWindow()) platform::windowPlacement().clientOrigin(window->GetHwnd(), &ox, &oy);
    const platform::PointerRect r{subSat(screenRect.left, ox), subSat(screenRect.top, oy), subSat(screenRect.right, ox),
                                  subSat(screenRect.bottom, oy)};
    platform::input().confinePointer(&r);
}

} // namespace

CMC_Mouse::CMC_Mouse(CMC_ObjectsContainer* container, CMElement* element) : CMC_Object(container, element, kType) {
    (void)g_registered;
    setUp();
    initializeBehaviours(container, element);
}

CMC_Mouse::CMC_Mouse(CMC_ObjectsContainer* container) : CMC_Object(CXString("MOUSE"), kType) {
    setScene(container);
    setUp();
}

void CMC_Mouse::setUp() {
    overideSignals(false);
    CMC_ObjectsContainer* container = getScene();
    m_window = container ? container->getWindow() : nullptr;
    platform::input().pointerPosition(&m_position.x, &m_position.y);
    if (m_window) m_window->registerMouseListener(this, kPriority);
}

CMC_Mouse::~CMC_Mouse() {
    if (m_window) m_window->removeMouseListener(this);
}

void CMC_Mouse::onDispose() {
    if (m_window) m_window->removeMouseListener(this);
}

CXString** CMC_Mouse::getBehavioursList() {
    return makeBehavioursList({"ONINIT", "ONDONE", "ONSIGNAL", "ONMOVE", "ONCLICK", "ONRELEASE", "ONDBLCLICK"});
}

void CMC_Mouse::show() {
    if (m_cursorVisible) return;
    if (m_window) m_window->ShowCursor();
    m_cursorVisible = true;
}

void CMC_Mouse::hide() {
    if (!m_cursorVisible) return;
    if (m_window) m_window->HideCursor();
    m_cursorVisible = false;
}

void CMC_Mouse::enable() {
    m_enabled = true;
    if (!m_window) return;
    m_window->enableMouse(true);
    m_window->EndWaitCursor();
}

void CMC_Mouse::disable() {
    m_enabled = false;
    if (!m_window) return;
    m_window->enableMouse(false);
    m_window->BeginWaitCursor();
}

void CMC_Mouse::set(int shape) {
    if (!m_window) return;
    switch (shape) {
    case 1:
        m_window->EndWaitCursor();
        break;
    case 2:
        m_window->BeginWaitCursor();
        break;
    case 3:
        m_window->BeginActiveCursor();
        break;
    default:
        break;
    }
}

void CMC_Mouse::set(CXString name) {
    if (name == "ARROW")
        set(1);
    else if (name == "WAIT")
        set(2);
    else if (name == "ACTIVE")
        set(3);
}

void CMC_Mouse::setPosition(int x, int y) {
    m_position = CXPoint(x, y);
    platform::input().warpPointer(x, y);
}

void CMC_Mouse::move(CXPoint delta) { setPosition(addSat(m_position.x, delta.x), addSat(m_position.y, delta.y)); }

CXString CMC_Mouse::getButton(int button) {
    switch (button) {
    case 0:
        return CXString("LEFT");
    case 1:
        return CXString("MIDDLE");
    case 2:
        return CXString("RIGHT");
    default:
        return CXString();
    }
}

void CMC_Mouse::setClipRect(int left, int top, int right, int bottom) {
    CXPoint p;
    if (m_window && m_window->GetRefreshScreenInterface()) p = m_window->GetRefreshScreenInterface()->GetPosition();
    clipRect.Set(addSat(left, p.x), addSat(top, p.y), addSat(right, p.x), addSat(bottom, p.y));
    confine(clipRect);
}

void CMC_Mouse::restore() {
    if (clipRect.Width() != 0 && clipRect.Height() != 0)
        confine(clipRect);
    else
        platform::input().confinePointer(nullptr);
}

void CMC_Mouse::reset(bool clear) {
    if (clear) clipRect.Set(0, 0, 0, 0);
    platform::input().confinePointer(nullptr);
}

bool CMC_Mouse::passes(CXPoint point) const {
    if (m_activeRect.Width() == 0 || m_activeRect.Height() == 0) return true;
    return m_activeRect.IsInRect(point);
}

bool CMC_Mouse::onMouseMove(CXPoint point, bool relative) {
    return onMouseMove(relative ? m_position + point : point);
}

bool CMC_Mouse::onMouseMove(CXPoint point) {
    m_position = point;
    if (passes(point) && isEventHandled(kOnMove) && m_enabled) onSignal(CXString("ONMOVE"));
    return false;
}

bool CMC_Mouse::onClick(int button, CXPoint point) {
    m_lastButton = button;
    if (button == 0) m_lastClick = point;
    if (passes(point) && isEventHandled(kOnClick) && m_enabled && m_signalsEnabled)
        onSignal(CXString("ONCLICK"), getButton(button));
    return false;
}

bool CMC_Mouse::onRelease(int button, CXPoint point) {
    m_lastButton = button;
    if (passes(point) && isEventHandled(kOnRelease) && m_enabled && m_signalsEnabled)
        onSignal(CXString("ONRELEASE"), getButton(button));
    return false;
}

bool CMC_Mouse::onDblClick(CXPoint point) {
    if (passes(point) && isEventHandled(kOnDblClick) && m_enabled && m_signalsEnabled)
        onSignal(CXString("ONDBLCLICK"));
    return false;
}
