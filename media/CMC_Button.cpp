#include "media/CMC_Button.h"

#include "foundation/CXArchive.h"
#include "graphics/input/CButton.h"
#include "graphics/screen/CRefreshScreen.h"
#include "media/CMC_Sound.h"
#include "scene/CMC_Scene.h"
#include "scene/CMC_SceneBinary.h"
#include "script/CMC_Dummy_Runner.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_TypeTable.h"
#include "script/CMElement.h"
#include "shell/CSound4.h"
#include "shell/CUnit6.h"
#include "shell/CWindow.h"

namespace {

// The scene's run-time creation of kind "BUTTON": an enabled engine button of an empty
// rectangle that the scene's unit hears and whose hot spot serves the default unit.
CMC_Object* createAtRunTime(CMC_ObjectsContainer* scope, CXString name);

const bool g_registered =
    CMC_TypeTable::registerType("BUTTON",
                                [](CMC_ObjectsContainer* c, CMElement* e) -> CMC_Object* { return new CMC_Button(c, e); }) &&
    CMC_Dummy_Runner::registerCreator("BUTTON",
                                      [](CMC_ObjectsContainer* c) -> CMC_Object* { return new CMC_Button(c); }) &&
    CMC_SceneBinary::registerPrototype(CMC_Button::kType,
                                       [](CMC_Scene* scene) -> CMC_Object* { return new CMC_Button(scene); }) &&
    CMC_Scene::registerRuntimeKind("BUTTON", &createAtRunTime);

CWindow* windowOf(CMC_ObjectsContainer* container) { return container ? container->getWindow() : nullptr; }

CMC_Object* createAtRunTime(CMC_ObjectsContainer* scope, CXString name) {
    auto* button = new CButton(windowOf(scope), CXRect(0, 0, 0, 0), 0, nullptr);
    if (auto* scene = dynamic_cast<CMC_Scene*>(scope))
        if (CUnit6* unit = scene->getUnit()) button->addNotifier(unit);
    button->Enable(true);
    if (button->getHotSpot()) button->setUnit(CMC_Scene::getDefUnit());
    auto* object = new CMC_Button(scope, button, name);
    button->setMCButton(object);
    return object;
}

// The engine sound of the SOUND object of that name; null for any other name.
CSound4* soundNamed(CMC_ObjectsContainer* container, const CXString& name) {
    if (!container || !name.IsString()) return nullptr;
    auto* sound = dynamic_cast<CMC_Sound*>(container->getObject(name));
    return sound ? sound->getSound() : nullptr;
}

}  // namespace

// ---- construction ---------------------------------------------------------------------

CMC_Button::CMC_Button(CMC_ObjectsContainer*) : CMC_Object(CXString(""), kType) { (void)g_registered; }

CMC_Button::CMC_Button(CMC_ObjectsContainer* container, CButton* button, CXString name)
    : CMC_Object(name, kType), m_button(button) {
    setScene(container);
    if (m_button) {
        m_enabled = m_button->IsEnabled();
        m_draggable = m_button->IsDraggingEnabled();
        m_priority = m_button->getPriority();
        m_button->addNotifier(this);
    }
}

CMC_Button::CMC_Button(CMC_ObjectsContainer* container, CMElement* element)
    : CMC_Object(container, element, kType) {
    auto text = [element](const char* key) { return element ? element->getPropertyValue(CXString(key)) : CXString(); };
    m_accentName = text("ACCENT");
    m_standardName = text("GFXSTANDARD");
    m_onMoveName = text("GFXONMOVE");
    m_onClickName = text("GFXONCLICK");
    m_standardSoundName = text("SNDSTANDARD");
    m_onMoveSoundName = text("SNDONMOVE");
    m_onClickSoundName = text("SNDONCLICK");
    m_dragName = text("DRAG");
    m_rectText = text("RECT");
    m_enabled = element && element->getPropertyBoolValue(CXString("ENABLE"));
    m_draggable = element && element->getPropertyBoolValue(CXString("DRAGGABLE"));
    m_priority = element ? element->getPropertyIntValue(CXString("PRIORITY")) : 0;
    createButton();
    if (m_button) m_button->SYN();
    initializeBehaviours(container, element);
}

CMC_Button::~CMC_Button() {
    delete m_button;
    m_button = nullptr;
}

CMC_Scene* CMC_Button::scene() { return dynamic_cast<CMC_Scene*>(getScene()); }

void CMC_Button::createButton() {
    CMC_ObjectsContainer* container = getScene();
    CWindow* window = windowOf(container);
    auto graphic = [container](const CXString& name) -> CGraphicsObject* {
        return container && name.IsString() ? container->getGraphicsObject(name) : nullptr;
    };
    CXRect rect(0, 0, 0, 0);
    if (m_rectText.IsString()) {
        if (CGraphicsObject* g = graphic(m_rectText)) {
            rect = g->GetBoundingBox();
            CRefreshScreen* screen = window ? window->GetRefreshScreenInterface() : nullptr;
            m_priority = screen ? screen->GetPriority(g) : -1;
        } else {
            rect = m_rectText.toRect();
        }
    }
    delete m_button;
    m_button = new CButton(window, rect, -1, this);
    m_button->addNotifier(this);
    CUnit6* unit = CMC_Scene::getDefUnit();
    if (unit) m_button->addNotifier(unit);
    m_button->EnableDragging(m_draggable);
    m_button->setUnit(unit);
    m_button->setPriority(m_priority);
    if (m_draggable) m_button->SetDragging(graphic(m_dragName));
    if (m_standardName.IsString()) m_button->Set(graphic(m_standardName), nullptr, true, false);
    CSound4* onMoveSound = soundNamed(container, m_onMoveSoundName);
    if (onMoveSound || m_onMoveName.IsString()) m_button->SetOnMove(graphic(m_onMoveName), onMoveSound);
    m_button->SetOnClick(graphic(m_onClickName), soundNamed(container, m_onClickSoundName));
    m_button->SetDeleteFlags(false, false);
    m_button->Enable(m_enabled);
    if (m_accentName.IsString()) m_button->Accent(graphic(m_accentName), false);
}

CXObject* CMC_Button::clone() {
    if (!m_button) return nullptr;
    auto* copy = new CMC_Button(getScene(), m_button->clone(), CXString("cloned"));
    copy->m_button->setMCButton(copy);
    return copy;
}

CXString** CMC_Button::getBehavioursList() {
    return makeBehavioursList({"ONINIT", "ONDONE", "ONSIGNAL", "ONFOCUSON", "ONFOCUSOFF", "ONPAUSED", "ONCLICKED",
                               "ONRELEASED", "ONACTION", "ONSTARTDRAGGING", "ONDRAGGING", "ONENDDRAGGING"});
}

// ---- binary image ---------------------------------------------------------------------

void CMC_Button::serialize(CXArchive* archive) {
    CMC_Object::serialize(archive);
    if (archive->isStoring()) {
        *archive << m_accentName << m_standardName << m_onMoveName << m_onClickName << m_standardSoundName
                 << m_onMoveSoundName << m_onClickSoundName << m_dragName << m_rectText;
        *archive << m_enabled << m_draggable << static_cast<uint32_t>(m_priority);
        return;
    }
    for (CXString* field : {&m_accentName, &m_standardName, &m_onMoveName, &m_onClickName, &m_standardSoundName,
                            &m_onMoveSoundName, &m_onClickSoundName, &m_dragName, &m_rectText})
        *archive >> field;
    uint32_t priority = 0;
    *archive >> &m_enabled >> &m_draggable >> &priority;
    m_priority = static_cast<int32_t>(priority);
    createButton();
}

// ---- events ---------------------------------------------------------------------------

void CMC_Button::raise(int index, const char* event) {
    if (isEventHandled(index)) onSignal(CXString(event));
}

void CMC_Button::onControlFocusOn(CControl*, CXPoint) { raise(kOnFocusOn, "ONFOCUSON"); }

void CMC_Button::onControlFocusOff(CControl*, CXPoint) { raise(kOnFocusOff, "ONFOCUSOFF"); }

void CMC_Button::onControlClicked(CControl*, CXPoint) { raise(kOnClicked, "ONCLICKED"); }

void CMC_Button::onControlReleased(CControl*, CXPoint) { raise(kOnReleased, "ONRELEASED"); }

void CMC_Button::onControlAction(CControl*, CXPoint) { raise(kOnAction, "ONACTION"); }

void CMC_Button::onStartDragging(CControl*, CXPoint) {
    CMC_Scene* s = scene();
    if (s && m_button) {
        CGraphicsObject* g = m_button->GetDragging() ? m_button->GetDragging() : m_button->GetStandard();
        CMC_ObjectsContainer* container = getScene();
        s->setDraggedName(container ? container->getGraphicsObjectName(g, true) : CXString("UNKNOWN"));
    }
    raise(kOnStartDragging, "ONSTARTDRAGGING");
}

void CMC_Button::onDragging(CControl*, CXPoint) { raise(kOnDragging, "ONDRAGGING"); }

void CMC_Button::onEndDragging(CControl*, CXPoint) {
    raise(kOnEndDragging, "ONENDDRAGGING");
    if (CMC_Scene* s = scene()) s->setDraggedName(CXString());
}
