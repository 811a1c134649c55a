#include "media/CMC_Text.h"

#include "foundation/CXArchive.h"
#include "graphics/screen/CRefreshScreen.h"
#include "graphics/text/CFontCollection.h"
#include "graphics/text/CMultilineText6.h"
#include "media/CMC_Font.h"
#include "scene/CMC_Scene.h"
#include "scene/CMC_SceneBinary.h"
#include "script/CMC_Dummy_Runner.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_TypeTable.h"
#include "script/CMElement.h"
#include "shell/CWindow.h"

namespace {

CGraphicsObject* textOf(CMC_Object* object, const CXString&) {
    auto* text = dynamic_cast<CMC_Text*>(object);
    return text ? text->getText() : nullptr;
}

const bool g_registered =
    CMC_TypeTable::registerType("TEXT",
                                [](CMC_ObjectsContainer* c, CMElement* e) -> CMC_Object* { return new CMC_Text(c, e); });
// CREATE makes the type only where the built-in statements know it.
const bool g_creator = CMC_Dummy_Runner::registerCreator("TEXT", [](CMC_ObjectsContainer* c) -> CMC_Object* { return new CMC_Text(c); });
const bool g_prototype = CMC_SceneBinary::registerPrototype(CMC_Text::kType,
                                       [](CMC_Scene* scene) -> CMC_Object* { return new CMC_Text(scene); });
const bool g_accessor = (CMC_ObjectsContainer::registerGraphicsAccessor(CMC_Text::kType, &textOf), true);

CWindow* windowOf(CMC_ObjectsContainer* container) { return container ? container->getWindow() : nullptr; }

}  // namespace

CMC_Text::CMC_Text(CMC_ObjectsContainer* container)
    : CMC_Object(CXString("temp"), kType), m_window(windowOf(container)) {
    (void)g_registered;
    (void)g_creator;
    (void)g_prototype;
    (void)g_accessor;
    setScene(container);
}

CMC_Text::CMC_Text(CMC_ObjectsContainer* container, CMElement* element)
    : CMC_Object(container, element, kType), m_window(windowOf(container)) {
    auto boolOf = [element](const char* key) { return element && element->getPropertyBoolValue(CXString(key)); };
    auto textOf = [element](const char* key) {
        return element ? element->getPropertyValue(CXString(key)) : CXString();
    };
    m_vJustify = textOf("VJUSTIFY");
    m_hJustify = textOf("HJUSTIFY");
    m_rect = textOf("RECT");
    m_priority = element ? element->getPropertyIntValue(CXString("PRIORITY")) : 0;
    m_font = textOf("FONT");
    build(container, textOf("TEXT"), boolOf("TOCANVAS"), boolOf("VISIBLE"), boolOf("HYPERTEXT"));
    initializeBehaviours(container, element);
}

CMC_Text::~CMC_Text() { releaseText(); }

void CMC_Text::releaseText() {
    if (!m_text) return;
    m_text->Invalidate();
    if (CRefreshScreen* s = screen()) *s >> m_text.get();
    m_text.reset();
}

CRefreshScreen* CMC_Text::screen() const { return m_window ? m_window->GetRefreshScreenInterface() : nullptr; }

_justify CMC_Text::resolveJustify(CXString word) {
    if (word == "LEFT") return JUSTIFY_LEFT;
    if (word == "RIGHT") return JUSTIFY_RIGHT;
    if (word == "TOP") return JUSTIFY_TOP;
    if (word == "BOTTOM") return JUSTIFY_BOTTOM;
    return JUSTIFY_CENTER;
}

std::shared_ptr<CSimpleFont6> CMC_Text::findFont(CMC_ObjectsContainer* container, CXString name) {
    auto* font = container && name.IsString() ? dynamic_cast<CMC_Font*>(container->getObject(name)) : nullptr;
    return font ? std::shared_ptr<CSimpleFont6>(font->getFont()) : nullptr;
}

void CMC_Text::build(CMC_ObjectsContainer* container, CXString text, bool toCanvas, bool visible, bool hypertext) {
    releaseText();
    const _justify h = resolveJustify(m_hJustify);
    const _justify v = resolveJustify(m_vJustify);
    std::shared_ptr<CSimpleFont6> font = findFont(container, m_font);
    CGraphicsObject* named = container && m_rect.IsString() ? container->getGraphicsObject(m_rect) : nullptr;
    const CXRect rect = named ? named->GetBoundingBox() : m_rect.toRect();
    m_text = std::make_unique<CMultilineText6>(m_window, hypertext, nullptr);
    m_text->setJustify(rect, h, v);
    m_text->setFont(font);
    m_text->setText(text);
    if (toCanvas)
        if (CRefreshScreen* s = screen()) s->put(m_text.get(), m_priority);
    m_text->Visible(visible);
}

CXString** CMC_Text::getBehavioursList() {
    return makeBehavioursList({"ONINIT", "ONDONE", "ONSIGNAL", "ONCOLLISION", "ONCOLLISIONFINISHED"});
}

void CMC_Text::serialize(CXArchive* archive) {
    CMC_Object::serialize(archive);
    if (archive->isStoring()) {
        CRefreshScreen* s = screen();
        *archive << m_vJustify;
        *archive << m_hJustify;
        *archive << m_rect;
        *archive << static_cast<int>(m_priority);
        *archive << m_font;
        *archive << (m_text && s && s->GetPriority(m_text.get()) != -1);
        *archive << (m_text && m_text->isVisible());
        *archive << (m_text ? m_text->getText() : CXString());
        return;
    }
    int priority = 0;
    bool toCanvas = false;
    bool visible = false;
    CXString text;
    *archive >> &m_vJustify;
    *archive >> &m_hJustify;
    *archive >> &m_rect;
    *archive >> &priority;
    *archive >> &m_font;
    *archive >> &toCanvas;
    *archive >> &visible;
    *archive >> &text;
    m_priority = priority;
    build(getScene(), text, toCanvas, visible, false);
}
