#include "scene/CXDialog.h"

#include <algorithm>

#include "graphics/input/CButton.h"
#include "graphics/screen/CRefreshScreen.h"
#include "scene/CMC_Scene.h"
#include "script/CMC_ObjectsContainer.h"
#include "shell/CUnit6.h"
#include "shell/CWindow.h"

CXDialog::CXDialog(CMC_ObjectsContainer* container) : m_container(container) {}

CXDialog::~CXDialog() {
    releaseDragButton();
    for (CButton* b : m_buttons) b->removeNotifier(this);
    m_buttons.clear();
    for (CGraphicsObject* g : m_graphics) g->removeInvalidateObserver(this);
    m_graphics.clear();
    if (m_background) m_background->removeInvalidateObserver(this);
    m_background = nullptr;
}

CRefreshScreen* CXDialog::canvas() const {
    CWindow* window = m_container ? m_container->getWindow() : nullptr;
    return window ? window->GetRefreshScreenInterface() : nullptr;
}

CXRect CXDialog::stripOver(CXRect box) { return CXRect(box.left, box.top, box.right, box.top + kStripHeight); }

bool CXDialog::isMember(CGraphicsObject* g) const { return std::find(m_graphics.begin(), m_graphics.end(), g) != m_graphics.end(); }

void CXDialog::watch(CGraphicsObject* g) { g->addInvalidateObserver(this); }

void CXDialog::unwatch(CGraphicsObject* g) {
    if (g && g != m_background && !isMember(g)) g->removeInvalidateObserver(this);
}

void CXDialog::raise(CGraphicsObject* g) {
    CRefreshScreen* screen = canvas();
    if (!g || !screen) return;
    const int priority = screen->GetPriority(g);
    *screen >> g;
    screen->put(g, priority + kMemberPriorityOffset);
}

void CXDialog::releaseDragButton() {
    if (!m_dragButton) return;
    CButton* button = m_dragButton;
    m_dragButton = nullptr;
    button->removeNotifier(this);
    // A drag of the strip in progress ends first: the unit would keep the strip.
    CUnit6* unit = CMC_Scene::getDefUnit();
    if (m_dragging && m_background && m_draggedGraphic == m_background && unit && unit->isDragging() &&
        unit->getDraggedObject() == m_background)
        unit->onEndDragging(m_lastDragPoint);
    m_dragging = false;
    m_draggedGraphic = nullptr;
    // The strip lets go of the background first, so deleting it neither hides the
    // background nor takes it off the canvas.
    button->Set(nullptr, nullptr, false, false);
    delete button;
}

void CXDialog::setBackground(CGraphicsObject* g) {
    releaseDragButton();
    CGraphicsObject* previous = m_background;
    m_background = g;
    unwatch(previous);
    if (!g) return;
    watch(g);
    const CXRect box = g->GetBoundingBox();
    m_lastDragPoint = CXPoint(box.left, box.top);
    CWindow* window = m_container ? m_container->getWindow() : nullptr;
    m_dragButton = new CButton(window, stripOver(box), kStripId, nullptr);
    m_dragButton->addNotifier(this);
    m_dragButton->setUnit(CMC_Scene::getDefUnit());
    m_dragButton->SetDeleteFlags(false, false);
    m_dragButton->Set(g, nullptr, true, false);
    m_dragButton->EnableDragging(true);
    m_dragButton->EnableCursor(false);
    if (CRefreshScreen* screen = canvas()) {
        *screen >> g;
        screen->put(g, kBackgroundPriority);
    }
}

void CXDialog::add(CGraphicsObject* g) {
    if (!g || isMember(g)) return;
    raise(g);
    watch(g);
    m_graphics.push_back(g);
}

void CXDialog::add(CButton* button) {
    if (!button || std::find(m_buttons.begin(), m_buttons.end(), button) != m_buttons.end()) return;
    // A graphic serving in several states rises once.
    std::vector<CGraphicsObject*> raised;
    for (CGraphicsObject* g : {button->GetStandard(), button->GetOnMove(), button->GetOnClick(), button->GetAccent(),
                               button->GetDragging()}) {
        if (!g || std::find(raised.begin(), raised.end(), g) != raised.end()) continue;
        raise(g);
        raised.push_back(g);
    }
    button->addNotifier(this);
    m_buttons.push_back(button);
}

void CXDialog::show() {
    for (CGraphicsObject* g : m_graphics) g->Visible(true);
    for (CButton* b : m_buttons) b->Enable(true);
    if (m_dragButton && m_dragButton->getHotSpot()) m_dragButton->getHotSpot()->Enable(true);
}

void CXDialog::hide() {
    for (CGraphicsObject* g : m_graphics) g->Visible(false);
    for (CButton* b : m_buttons) b->Enable(false);
    if (m_background) m_background->Visible(false);
    // The hot spot alone: the button's own Enable would show or hide the background.
    if (m_dragButton && m_dragButton->getHotSpot()) m_dragButton->getHotSpot()->Enable(false);
}

void CXDialog::moveMembers(CXPoint d, CGraphicsObject* skipped) {
    // Copies: a member's move may run code that changes the lists.
    const std::vector<CGraphicsObject*> graphics = m_graphics;
    for (CGraphicsObject* g : graphics)
        if (g != skipped && isMember(g)) g->Move(d.x, d.y);
    const std::vector<CButton*> buttons = m_buttons;
    for (CButton* b : buttons)
        if (std::find(m_buttons.begin(), m_buttons.end(), b) != m_buttons.end()) b->Move(d.x, d.y);
}

void CXDialog::move(int dx, int dy) { moveMembers(CXPoint(dx, dy), nullptr); }

void CXDialog::onStartDragging(CControl* control, CXPoint p) {
    if (!control || control != m_dragButton) return;
    m_dragging = true;
    m_draggedGraphic = m_background;
    m_lastDragPoint = p;
}

void CXDialog::onDragging(CControl* control, CXPoint p) {
    if (!control || control != m_dragButton) return;
    // The unit has moved the background already (it is the strip's graphic); a
    // background that is also a member must not move twice.
    const CXPoint d = p - m_lastDragPoint;
    m_lastDragPoint = p;
    moveMembers(d, m_background);
}

void CXDialog::onEndDragging(CControl* control, CXPoint) {
    if (!control || control != m_dragButton) return;
    m_dragging = false;
    m_draggedGraphic = nullptr;
    if (m_background) m_dragButton->SetActiveRect(stripOver(m_background->GetBoundingBox()));
}

void CXDialog::onControlDestroyed(CControl* control) {
    auto found = std::find(m_buttons.begin(), m_buttons.end(), control);
    if (found != m_buttons.end()) m_buttons.erase(found);
}

void CXDialog::onDestroy(CGraphicsObject* object) {
    std::erase(m_graphics, object);
    if (object != m_background) return;
    m_background = nullptr;
    // The strip stays until the next background or the dialog's end (deleting it
    // here would touch the dying picture), but takes no more clicks.
    if (m_dragButton && m_dragButton->getHotSpot()) m_dragButton->getHotSpot()->Enable(false);
}
