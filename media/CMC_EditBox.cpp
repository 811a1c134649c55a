#include "media/CMC_EditBox.h"

#include <algorithm>

#include "foundation/CXArchive.h"
#include "graphics/core/CGraphicsObject.h"
#include "graphics/text/CFontCollection.h"
#include "graphics/text/CSimpleFont6.h"
#include "media/CMC_Font.h"
#include "scene/CMC_Scene.h"
#include "scene/CMC_SceneBinary.h"
#include "script/CMC_Dummy_Runner.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_TypeTable.h"
#include "script/CMElement.h"
#include "shell/CUnit6.h"

namespace {

const bool g_registered =
    CMC_TypeTable::registerType(
        "EDITBOX", [](CMC_ObjectsContainer* c, CMElement* e) -> CMC_Object* { return new CMC_EditBox(c, e); }) &&
    CMC_SceneBinary::registerPrototype(CMC_EditBox::kType,
                                       [](CMC_Scene* scene) -> CMC_Object* { return new CMC_EditBox(scene); });

}  // namespace

CMC_EditBox::CMC_EditBox(CMC_ObjectsContainer*) : CMC_Object(CXString("temp"), kType) { (void)g_registered; }

CMC_EditBox::CMC_EditBox(CMC_ObjectsContainer* container, CMElement* element)
    : CMC_Object(container, element, kType) {
    const CXString rectText = element ? element->getPropertyValue(CXString("RECT")) : CXString();
    CGraphicsObject* shape = container && rectText.IsString() ? container->getGraphicsObject(rectText) : nullptr;
    const CXRect rect =
        shape ? shape->GetBoundingBox() : (element ? element->getPropertyRectValue(CXString("RECT")) : CXRect());
    const int priority = element ? element->getPropertyIntValue(CXString("PRIORITY")) : 0;
    const CXString text = element ? element->getPropertyValue(CXString("TEXT")) : CXString();
    m_fontName = element ? element->getPropertyValue(CXString("FONT")) : CXString();
    m_cursorName = element ? element->getPropertyValue(CXString("CURSOR")) : CXString();
    createField(rect, priority, text);
    initializeBehaviours(container, element);
}

CMC_EditBox::~CMC_EditBox() { releaseField(); }

void CMC_EditBox::releaseField() {
    if (!m_editBox) return;
    m_rect = m_editBox->getBoundingRect();
    m_text = m_editBox->getText();
    // A field its unit deleted has been forgotten already (onEditBoxDestroyed).
    m_editBox->removeNotifier(this);
    if (CUnit6* unit = CMC_Scene::getDefUnit()) unit->removeEditBox(m_editBox);
    delete m_editBox;
    m_editBox = nullptr;
}

std::shared_ptr<CSimpleFont6> CMC_EditBox::findFont() {
    CMC_ObjectsContainer* container = getScene();
    auto* font = container && m_fontName.IsString() ? dynamic_cast<CMC_Font*>(container->getObject(m_fontName)) : nullptr;
    if (font && font->getFont()) return font->getFont();
    return std::make_shared<CSimpleFont6>(container ? container->getWindow() : nullptr);
}

void CMC_EditBox::createField(CXRect rect, int priority, CXString text) {
    releaseField();
    m_rect = rect;
    m_text = text;
    CUnit6* unit = CMC_Scene::getDefUnit();
    if (!unit) return;
    m_editBox = unit->addEditBox(findFont(), rect, priority, text);
    if (!m_editBox) return;
    m_editBox->addNotifier(this);
    CMC_ObjectsContainer* container = getScene();
    if (CGraphicsObject* cursor =
            container && m_cursorName.IsString() ? container->getGraphicsObject(m_cursorName) : nullptr)
        m_editBox->setCursor(cursor);
}

CXString** CMC_EditBox::getBehavioursList() {
    return makeBehavioursList(
        {"ONINIT", "ONDONE", "ONSIGNAL", "ONFOCUSON", "ONFOCUSOFF", "ONCHANGED", "ONENTER", "ONESC"});
}

void CMC_EditBox::serialize(CXArchive* archive) {
    CMC_Object::serialize(archive);
    if (archive->isStoring()) {
        *archive << m_fontName;
        *archive << (m_editBox ? m_editBox->getBoundingRect() : m_rect);
        *archive << (m_editBox ? m_editBox->getText() : m_text);
        *archive << m_cursorName;
        return;
    }
    CXRect rect;
    CXString text;
    *archive >> &m_fontName >> &rect >> &text >> &m_cursorName;
    createField(rect, 0, text);
}

void CMC_EditBox::raise(int index, const char* event) {
    if (isEventHandled(index)) onSignal(CXString(event));
}

void CMC_EditBox::onFocusOn(CEditBox6*) { raise(kOnFocusOn, "ONFOCUSON"); }

void CMC_EditBox::onFocusOff(CEditBox6*) { raise(kOnFocusOff, "ONFOCUSOFF"); }

void CMC_EditBox::onChanged(CEditBox6*) { raise(kOnChanged, "ONCHANGED"); }

void CMC_EditBox::onEnter(CEditBox6*) { raise(kOnEnter, "ONENTER"); }

void CMC_EditBox::onEsc(CEditBox6*) { raise(kOnEsc, "ONESC"); }

void CMC_EditBox::onEditBoxDestroyed(CEditBox6* box) {
    if (box != m_editBox) return;
    m_rect = box->getBoundingRect();
    m_text = box->getText();
    m_editBox = nullptr;
}
