#include "media/CMC_Canvas.h"

#include <algorithm>

#include "foundation/CXArchive.h"
#include "graphics/canvas/CCanvas.h"
#include "graphics/screen/CRefreshScreen.h"
#include "media/CMC_Image.h"
#include "scene/CMC_Mouse.h"
#include "scene/CMC_Scene.h"
#include "scene/CMC_SceneBinary.h"
#include "script/CMC_Behaviour.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_TypeTable.h"
#include "script/CMElement.h"
#include "shell/CWindow.h"

namespace {

constexpr int kTextType = 2006;

CGraphicsObject* canvasOf(CMC_Object* object, const CXString&) {
    auto* canvas = dynamic_cast<CMC_Canvas*>(object);
    if (!canvas) return nullptr;
    return canvas->getCanvas();
}

const bool g_registered =
    CMC_TypeTable::registerType("CANVAS",
                                [](CMC_ObjectsContainer* c, CMElement* e) -> CMC_Object* { return new CMC_Canvas(c, e); }) &&
    CMC_SceneBinary::registerPrototype(CMC_Canvas::kType,
                                       [](CMC_Scene* scene) -> CMC_Object* { return new CMC_Canvas(scene, static_cast<CCanvas*>(nullptr)); }) &&
    (CMC_ObjectsContainer::registerGraphicsAccessor(CMC_Canvas::kType, &canvasOf), true);

CWindow* windowOf(CMC_ObjectsContainer* container) { return container ? container->getWindow() : nullptr; }

bool startsWith(const CXString& text, const char* prefix) {
    const CXString p(prefix);
    return text.getLength() >= p.getLength() && text.Left(p.getLength()) == p;
}

}  // namespace

CMC_Canvas::CMC_Canvas(CMC_ObjectsContainer* container, CCanvas* canvas)
    : CMC_Object(CXString("temp"), kType), m_window(windowOf(container)), m_canvas(canvas) {
    (void)g_registered;
    if (m_canvas) m_canvas->clear(false);
}

CMC_Canvas::CMC_Canvas(CMC_ObjectsContainer* container, CMElement* element)
    : CMC_Object(container, element, kType), m_window(windowOf(container)) {
    (void)g_registered;
    const int priority = element ? element->getPropertyIntValue(CXString("PRIORITY")) : 0;
    const int width = element ? element->getPropertyIntValue(CXString("WIDTH")) : 0;
    const int height = element ? element->getPropertyIntValue(CXString("HEIGHT")) : 0;
    const bool alpha = element && element->getPropertyBoolValue(CXString("ALPHA"));
    const bool background = element && element->getPropertyBoolValue(CXString("BACKGROUND"));
    initializeBehaviours(container, element);
    create(CXSize(width, height), alpha, background, priority, false);
}

CMC_Canvas::~CMC_Canvas() {
    if (m_mouseListening && m_window) m_window->removeMouseListener(this);
    dropCanvas();
}

CWindow* CMC_Canvas::getWindow() const { return m_window; }

CRefreshScreen* CMC_Canvas::screen() const { return m_window ? m_window->GetRefreshScreenInterface() : nullptr; }

void CMC_Canvas::dropCanvas() {
    if (!m_canvas) return;
    if (CRefreshScreen* s = screen()) *s >> m_canvas;
    delete m_canvas;
    m_canvas = nullptr;
}

CXString** CMC_Canvas::getBehavioursList() {
    return makeBehavioursList({"ONINIT", "ONDONE", "ONSIGNAL", "ONFOCUSON", "ONFOCUSOFF", "ONCLICK", "ONRELEASE"});
}

bool CMC_Canvas::verifyBehaviour(CXString key) {
    if (!m_mouseListening && (startsWith(key, "ONCLICK") || startsWith(key, "ONRELEASE") ||
                              key == CXString("ONFOCUSON") || key == CXString("ONFOCUSOFF"))) {
        if (m_window) {
            m_mouseListening = true;
            m_window->registerMouseListener(this, 0);
        }
    }
    return true;
}

void CMC_Canvas::initializeBehaviours(CMC_ObjectsContainer* container, CMElement* element) {
    CMC_Object::initializeBehaviours(container, element);
    if (element || m_mouseListening) return;
    // Handlers restored from a scene binary start the listening as attached ones do.
    if (isEventHandled(kOnClick) || isEventHandled(kOnRelease) || isEventHandled(kOnFocusOn) ||
        isEventHandled(kOnFocusOff))
        verifyBehaviour(CXString("ONCLICK"));
}

void CMC_Canvas::done() {
    dropCanvas();
    m_addedNames.clear();
}

CMC_Object* CMC_Canvas::rememberedObject(const CXString& name) {
    CMC_ObjectsContainer* container = getScene();
    CMC_Object* object = container ? container->getObject(name) : nullptr;
    if (!object || (object->getType() != CMC_Image::kType && object->getType() != kTextType)) return nullptr;
    return object;
}

void CMC_Canvas::create(CXSize size, bool alpha, bool background, int priority, bool empty) {
    dropCanvas();
    CRefreshScreen* s = screen();
    m_canvas = new CCanvas(m_window, CXSize(std::max(0, size.cx), std::max(0, size.cy)), s ? s->GetBpp() : 16, alpha,
                           background);
    m_canvas->clear(false);
    if (s) s->put(m_canvas, priority);
    if (empty) return;
    CMC_ObjectsContainer* container = getScene();
    for (const CXString& name : m_addedNames)
        if (rememberedObject(name))
            if (CGraphicsObject* g = container->getGraphicsObject(name)) m_canvas->add(g, priority);
}

void CMC_Canvas::add(CXString name, int priority) {
    CMC_ObjectsContainer* container = getScene();
    CGraphicsObject* g = container ? container->getGraphicsObject(name) : nullptr;
    if (!g || !m_canvas) return;
    if (rememberedObject(name) && std::find(m_addedNames.begin(), m_addedNames.end(), name) == m_addedNames.end())
        m_addedNames.push_back(name);
    m_canvas->add(g, priority);
}

void CMC_Canvas::capture(bool deleteAdded) {
    if (!m_canvas || !m_canvas->getBackground()) return;
    m_canvas->capture();
    const std::vector<CXString> names = m_addedNames;
    m_addedNames.clear();
    if (!deleteAdded) return;
    CMC_ObjectsContainer* container = getScene();
    for (const CXString& name : names) {
        CMC_Object* object = rememberedObject(name);
        if (object && container->removeObject(object)) CMC_Behaviour::addToTrash(object);
    }
}

CXObject* CMC_Canvas::clone() {
    if (!m_canvas) return nullptr;
    auto* copy = new CMC_Canvas(getScene(), static_cast<CCanvas*>(m_canvas->clone()));
    copy->m_addedNames = m_addedNames;
    return copy;
}

void CMC_Canvas::serialize(CXArchive* archive) {
    CMC_Object::serialize(archive);
    if (archive->isStoring()) {
        CRefreshScreen* s = screen();
        *archive << static_cast<int>(m_canvas ? m_canvas->Width() : 0);
        *archive << static_cast<int>(m_canvas ? m_canvas->Height() : 0);
        *archive << static_cast<int>(m_canvas && s ? s->GetPriority(m_canvas) : -1);
        *archive << (m_canvas && m_canvas->AlphaChannel() != nullptr);
        *archive << (m_canvas && m_canvas->getBackground() != nullptr);
        return;
    }
    int width = 0, height = 0, priority = -1;
    bool alpha = false, background = false;
    *archive >> &width;
    *archive >> &height;
    *archive >> &priority;
    *archive >> &alpha;
    *archive >> &background;
    m_window = windowOf(getScene());
    m_addedNames.clear();
    create(CXSize(width, height), alpha, background, priority, true);
}

bool CMC_Canvas::gate(bool flagSet) {
    return m_asButton && m_canvas && m_canvas->isVisible() && flagSet && m_mouseListening;
}

bool CMC_Canvas::onMouseMove(CXPoint point) {
    if (!gate(isEventHandled(kOnFocusOn) || isEventHandled(kOnFocusOff))) return false;
    const bool inside = m_canvas->GetBoundingBox().IsInRect(point);
    if (!m_focused && inside) {
        m_focused = true;
        onSignal(CXString("ONFOCUSON"));
        if (m_activeCursor && m_window) m_window->BeginActiveCursor();
    } else if (m_focused && !inside) {
        m_focused = false;
        onSignal(CXString("ONFOCUSOFF"));
        if (m_activeCursor && m_window) m_window->EndActiveCursor();
    }
    return false;
}

bool CMC_Canvas::onClick(int button, CXPoint point) {
    if (!gate(isEventHandled(kOnClick)) || !m_canvas->GetBoundingBox().IsInRect(point)) return false;
    onSignal(CXString("ONCLICK"), CMC_Mouse::getButton(button));
    if (m_activeCursor && m_window) m_window->EndActiveCursor();
    return true;
}

bool CMC_Canvas::onRelease(int button, CXPoint point) {
    if (!gate(isEventHandled(kOnRelease))) return false;
    if (m_canvas->GetBoundingBox().IsInRect(point)) onSignal(CXString("ONRELEASE"), CMC_Mouse::getButton(button));
    return false;
}
