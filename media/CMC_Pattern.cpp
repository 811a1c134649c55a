#include "media/CMC_Pattern.h"

#include <algorithm>

#include "foundation/CXArchive.h"
#include "graphics/canvas/CPattern.h"
#include "graphics/screen/CRefreshScreen.h"
#include "media/CMC_ButtonSignals.h"
#include "scene/CMC_Mouse.h"
#include "scene/CMC_Scene.h"
#include "scene/CMC_SceneBinary.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_TypeTable.h"
#include "script/CMElement.h"
#include "shell/CWindow.h"

namespace {

CGraphicsObject* patternOf(CMC_Object* object, const CXString&) {
    auto* pattern = dynamic_cast<CMC_Pattern*>(object);
    if (!pattern) return nullptr;
    return pattern->getPattern();
}

const bool g_registered =
    CMC_TypeTable::registerType("PATTERN",
                                [](CMC_ObjectsContainer* c, CMElement* e) -> CMC_Object* { return new CMC_Pattern(c, e); }) &&
    CMC_SceneBinary::registerPrototype(CMC_Pattern::kType,
                                       [](CMC_Scene* scene) -> CMC_Object* { return new CMC_Pattern(scene); }) &&
    (CMC_ObjectsContainer::registerGraphicsAccessor(CMC_Pattern::kType, &patternOf), true);

CWindow* windowOf(CMC_ObjectsContainer* container) { return container ? container->getWindow() : nullptr; }

bool startsWith(const CXString& text, const char* prefix) {
    const CXString p(prefix);
    return text.getLength() >= p.getLength() && text.Left(p.getLength()) == p;
}

// Negative sizes count as 0, cell sizes of 0 as 1.
int side(int v) { return std::max(0, v); }
int cellSide(int v) { return std::max(1, v); }

}  // namespace

CMC_Pattern::CMC_Pattern(CMC_ObjectsContainer* container, CMElement* element)
    : CMC_Object(container, element, kType), m_window(windowOf(container)) {
    (void)g_registered;
    const bool toCanvas = element && element->getPropertyBoolValue(CXString("TOCANVAS"));
    const bool visible = element && element->getPropertyBoolValue(CXString("VISIBLE"));
    const int layers = element ? element->getPropertyIntValue(CXString("LAYERS")) : 0;
    const int priority = element ? element->getPropertyIntValue(CXString("PRIORITY")) : 0;
    m_width = side(element ? element->getPropertyIntValue(CXString("WIDTH")) : 0);
    m_height = side(element ? element->getPropertyIntValue(CXString("HEIGHT")) : 0);
    m_cellWidth = cellSide(side(element ? element->getPropertyIntValue(CXString("GRIDX")) : 0));
    m_cellHeight = cellSide(side(element ? element->getPropertyIntValue(CXString("GRIDY")) : 0));
    build(layers);
    m_pattern->Visible(visible);
    if (toCanvas)
        if (CRefreshScreen* s = screen()) s->put(m_pattern, priority);
    initializeBehaviours(container, element);
}

CMC_Pattern::CMC_Pattern(CMC_ObjectsContainer* container)
    : CMC_Object(CXString("temp"), kType), m_window(windowOf(container)) {
    (void)g_registered;
}

CMC_Pattern::~CMC_Pattern() {
    if (m_listening && m_window) m_window->removeMouseListener(this);
    if (m_pattern) {
        if (CRefreshScreen* s = screen()) *s >> m_pattern;
        delete m_pattern;
        m_pattern = nullptr;
    }
}

void CMC_Pattern::build(int layers) {
    delete m_pattern;
    m_pattern = new CPattern(m_window, CXSize(m_width, m_height), CXSize(m_cellWidth, m_cellHeight),
                             layers < 1 ? 1 : layers);
}

CRefreshScreen* CMC_Pattern::screen() const { return m_window ? m_window->GetRefreshScreenInterface() : nullptr; }

bool CMC_Pattern::done(bool flag) {
    if (m_pattern) m_pattern->removeAll();
    return CMC_Object::done(flag);
}

CXString** CMC_Pattern::getBehavioursList() {
    return makeBehavioursList({"ONINIT", "ONDONE", "ONSIGNAL", "ONFOCUSON", "ONFOCUSOFF", "ONCLICK", "ONRELEASE"});
}

bool CMC_Pattern::verifyBehaviour(CXString key) {
    if ((startsWith(key, "ONCLICK") || startsWith(key, "ONRELEASE") || key == CXString("ONFOCUSON") ||
         key == CXString("ONFOCUSOFF")) &&
        m_window) {
        m_listening = true;
        m_window->registerMouseListener(this, 0);
    }
    return true;
}

void CMC_Pattern::initializeBehaviours(CMC_ObjectsContainer* container, CMElement* element) {
    CMC_Object::initializeBehaviours(container, element);
    if (element || m_listening) return;
    if (isEventHandled(kOnClick) || isEventHandled(kOnRelease) || isEventHandled(kOnFocusOn) ||
        isEventHandled(kOnFocusOff))
        verifyBehaviour(CXString("ONCLICK"));
}

void CMC_Pattern::serialize(CXArchive* archive) {
    CMC_Object::serialize(archive);
    if (archive->isStoring()) {
        CRefreshScreen* s = screen();
        *archive << (m_pattern && m_pattern->isVisible());
        *archive << static_cast<int>(m_pattern && s ? s->GetPriority(m_pattern) : -1);
        *archive << static_cast<int>(m_width);
        *archive << static_cast<int>(m_height);
        *archive << static_cast<int>(m_cellWidth);
        *archive << static_cast<int>(m_cellHeight);
        *archive << static_cast<int>(m_pattern ? m_pattern->getLayers() : 1);
        return;
    }
    bool visible = false;
    int priority = -1, width = 0, height = 0, cellWidth = 1, cellHeight = 1, layers = 1;
    *archive >> &visible;
    *archive >> &priority;
    *archive >> &width;
    *archive >> &height;
    *archive >> &cellWidth;
    *archive >> &cellHeight;
    *archive >> &layers;
    m_window = windowOf(getScene());
    m_width = side(width);
    m_height = side(height);
    m_cellWidth = cellSide(cellWidth);
    m_cellHeight = cellSide(cellHeight);
    if (m_pattern)
        if (CRefreshScreen* s = screen()) *s >> m_pattern;
    build(layers);
    m_pattern->Visible(visible);
    if (priority >= 0)
        if (CRefreshScreen* s = screen()) s->put(m_pattern, priority);
}

bool CMC_Pattern::gate(bool flagSet) {
    return m_asButton && m_pattern && m_pattern->isVisible() && flagSet && m_listening;
}

bool CMC_Pattern::onMouseMove(CXPoint point) {
    if (!gate(isEventHandled(kOnFocusOn) || isEventHandled(kOnFocusOff))) return false;
    raiseFocusChange(this, m_window, m_pattern->GetBoundingBox().IsInRect(point), &m_focused, m_cursorOnHover);
    return false;
}

bool CMC_Pattern::onClick(int button, CXPoint point) {
    if (!gate(isEventHandled(kOnClick)) || !m_pattern->GetBoundingBox().IsInRect(point)) return false;
    raiseClick(this, m_window, button, m_cursorOnHover);
    return true;
}

bool CMC_Pattern::onRelease(int button, CXPoint point) {
    if (!gate(isEventHandled(kOnRelease))) return false;
    if (m_pattern->GetBoundingBox().IsInRect(point)) onSignal(CXString("ONRELEASE"), CMC_Mouse::getButton(button));
    return false;
}
