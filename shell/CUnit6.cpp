#include "shell/CUnit6.h"

#include <algorithm>

#include "foundation/CResourcesManager.h"
#include "foundation/CXArray.h"
#include "graphics/core/CColor.h"
#include "graphics/input/CEditBox6.h"
#include "graphics/input/CHotSpot.h"
#include "graphics/play/CAnimo6.h"
#include "graphics/play/CRandomPlayable.h"
#include "graphics/screen/CRefreshScreen.h"
#include "script/CMElement.h"
#include "shell/CApplication.h"
#include "shell/CKeyboard.h"
#include "shell/CWindow.h"

namespace {

CResourcesManager* generalResources(CApplication* application) {
    return application ? application->getGeneralResourcesManager() : nullptr;
}

}  // namespace

CUnit6::CUnit6(CWindow* window, CXString name)
    : m_unitName(name), m_window(window), m_application(window ? window->GetApplicationInterface() : nullptr) {
    m_resources = new CResourcesManager(window);
    if (CResourcesManager* general = generalResources(m_application)) general->add(m_resources);
    m_retPath = new CXArray(CXArray::kDefaultCapacity, CXArray::kDefaultLoadFactor);
}

CUnit6::~CUnit6() {
    CRandomPlayable::dispose(m_randomPlayable);
    m_randomPlayable = nullptr;
    // The application may have gone first; its manager is asked for only while the
    // window still holds the same application.
    if (m_window && m_window->GetApplicationInterface() == m_application)
        if (CResourcesManager* general = generalResources(m_application)) general->remove(m_resources);
    delete m_resources;
    if (m_listening && m_window) {
        m_window->removeKeyListener(this);
        m_window->removeMouseListener(this);
    }
    delete m_retPath;
    setDraggedObject(nullptr);
    flushEditBoxes();
    // Buttons may outlive the unit: their hot spots stop asking it.
    CHotSpot::forgetUnit(this);
}

bool CUnit6::initialize(CUnitScene* scene, CUnit6* parent) {
    m_retCode = 0;
    m_active = true;
    m_scene = scene;
    m_musicFileName = parent ? parent->getMusicFileName() : CXString();
    // Entered again without leaving: the old registrations do not outlive the entry.
    CRandomPlayable::dispose(m_randomPlayable);
    m_randomPlayable = new CRandomPlayable(m_window, this);
    m_randomPlayable->addNotifier(this);
    setBackground();
    if (m_window && !m_listening) {
        m_window->registerKeyListener(this);
        m_window->registerMouseListener(this, kMousePriority);
        m_listening = true;
    }
    return true;
}

bool CUnit6::onInitialUpdate() {
    m_initiallyUpdated = true;
    startMusic(nullptr, false);
    return true;
}

bool CUnit6::wasInitiallyUpdated() { return m_initiallyUpdated; }

bool CUnit6::domodal() { return m_retCode != 0; }

bool CUnit6::done(CUnitScene*, CUnit6*) {
    m_dragging = false;
    m_draggedControl = nullptr;
    setDraggedObject(nullptr);
    // The screen deletes the background picture it kept; the graphics registered on it
    // (those of the application and the episodes among them) stay.
    if (CRefreshScreen* canvas = getCanvas()) {
        canvas->flush();
        canvas->SetBackground(static_cast<CColor*>(nullptr));
    }
    m_scene = nullptr;
    m_active = false;
    m_initiallyUpdated = false;
    // A script that a random start raised may be leaving the scene: the player goes
    // once its step is over.
    CRandomPlayable::dispose(m_randomPlayable);
    m_randomPlayable = nullptr;
    if (m_listening && m_window) {
        m_window->removeKeyListener(this);
        m_window->removeMouseListener(this);
    }
    m_listening = false;
    if (m_resources) m_resources->flush();
    return true;
}

CRefreshScreen* CUnit6::getCanvas() { return m_window ? m_window->GetRefreshScreenInterface() : nullptr; }

bool CUnit6::isActive() { return m_active; }

void CUnit6::startMusic(const char* name, bool force) {
    if (!m_scene || !m_window) return;
    if (!force && !m_scene->shouldMusicBeStarted()) return;
    const CXString music = name ? CXString(name) : m_scene->getMusicFilename();
    if (!music.IsString()) return;
    if (music.equalsIgnoreCase(m_musicFileName) && m_window->isMusicPlaying()) return;
    m_musicFileName = music;
    m_window->StartMusic(music, true);
}

void CUnit6::stopMusic() {
    if (m_window) m_window->StopMusic();
}

// The canvas shows the named image file behind everything, or no background.
void CUnit6::setBackground() {
    CRefreshScreen* canvas = getCanvas();
    if (!canvas) return;
    if (m_backgroundFileName.IsString())
        canvas->SetBackground(m_backgroundFileName);
    else
        canvas->SetBackground(static_cast<CColor*>(nullptr));
}

void CUnit6::onTimer(intptr_t) {}

CMElements* CUnit6::resolveObjects(CUnitScene*, CMElements* elements) { return elements; }

void CUnit6::flushEditBoxes() {
    m_currentEditBox = nullptr;
    // Each box is out of the list before it goes; a box's text deletes the boxes it made
    // (taking them out of the list), and every holder hears of each deletion.
    while (!m_editBoxes.empty()) {
        CEditBox6* box = m_editBoxes.back();
        m_editBoxes.pop_back();
        box->removeNotifier(&m_watch);
        delete box;
    }
}

void CUnit6::onNotify(CControl*) {}

void CUnit6::onControlDestroyed(CControl* control) {
    if (control == m_draggedControl) m_draggedControl = nullptr;
}

// ---- edit boxes ------------------------------------------------------------------------

CEditBox6* CUnit6::addEditBox(std::shared_ptr<CSimpleFont6> font, CXRect rect, int priority, CXString text) {
    auto* box = new CEditBox6(m_window, this, std::move(font), rect, priority, text);
    if (m_cursor) box->setCursor(m_cursor);
    box->addNotifier(&m_watch);
    m_editBoxes.push_back(box);
    return box;
}

void CUnit6::removeEditBox(CEditBox6* box) {
    if (m_currentEditBox == box) m_currentEditBox = nullptr;
    auto found = std::find(m_editBoxes.begin(), m_editBoxes.end(), box);
    if (found == m_editBoxes.end()) return;
    m_editBoxes.erase(found);
    box->removeNotifier(&m_watch);
}

void CUnit6::activateEditBox(CEditBox6* box) {
    if (m_currentEditBox) m_currentEditBox->activate(false);
    m_currentEditBox = box;
    if (box) box->activate(true);
}

int CUnit6::getCurrentEditBoxIndex() {
    if (!m_currentEditBox) return -1;
    for (size_t i = 0; i < m_editBoxes.size(); ++i)
        if (m_editBoxes[i] == m_currentEditBox) return static_cast<int>(i);
    return -1;
}

void CUnit6::nextEditBox() {
    const int current = getCurrentEditBoxIndex();
    if (current < 0) return;
    const int count = static_cast<int>(m_editBoxes.size());
    for (int step = 1; step < count; ++step) {
        CEditBox6* box = m_editBoxes[static_cast<size_t>((current + step) % count)];
        if (box->isEnabled()) {
            activateEditBox(box);
            return;
        }
    }
}

void CUnit6::prevEditBox() {
    const int current = getCurrentEditBoxIndex();
    if (current < 0) return;
    const int count = static_cast<int>(m_editBoxes.size());
    for (int step = 1; step < count; ++step) {
        CEditBox6* box = m_editBoxes[static_cast<size_t>((current - step + count) % count)];
        if (box->isEnabled()) {
            activateEditBox(box);
            return;
        }
    }
}

// ---- dragging ----------------------------------------------------------------------------

bool CUnit6::onStartDragging(CGraphicsObject* object, CXPoint point, CControl* control) {
    m_dragging = true;
    m_draggedControl = control;
    setDraggedObject(object);
    if (CRefreshScreen* canvas = getCanvas()) {
        m_savedPriority = object ? canvas->GetPriority(object) : 0;
        if (object && m_savedPriority != -1) canvas->SetPriority(object, kDraggingPriority);
    }
    m_startPosition = object ? object->GetPosition() : CXPoint();
    m_lastPoint = point;
    if (control) control->onStartDragging(point);
    return true;
}

bool CUnit6::onDragging(CXPoint point) {
    if (m_dragging && m_draggedObject) {
        m_draggedObject->Move(point - m_lastPoint);
        m_lastPoint = point;
        if (m_draggedControl) m_draggedControl->onDragging(point);
    }
    return m_dragging;
}

bool CUnit6::onEndDragging(CXPoint) {
    if (!m_dragging) return true;
    CControl* control = m_draggedControl;
    CGraphicsObject* object = m_draggedObject;
    if (object && m_savedPriority != -1)
        if (CRefreshScreen* canvas = getCanvas()) canvas->SetPriority(object, m_savedPriority);
    m_dragging = false;
    m_draggedControl = nullptr;
    setDraggedObject(nullptr);
    if (control) {
        control->Enable(true);
        control->onEndDragging(object ? object->GetPosition() : CXPoint());
    }
    return true;
}

void CUnit6::setDraggedObject(CGraphicsObject* object) {
    if (object == m_draggedObject) return;
    if (m_draggedObject) m_draggedObject->removeInvalidateObserver(&m_watch);
    m_draggedObject = object;
    if (object) object->addInvalidateObserver(&m_watch);
}

void CUnit6::Watch::onDestroy(CGraphicsObject* object) {
    if (object == m_owner->m_draggedObject) m_owner->m_draggedObject = nullptr;
}

void CUnit6::bringBackDraggingObjectPosition(CXPoint) {
    if (!m_draggedObject) return;
    m_draggedObject->Invalidate();
    m_draggedObject->setPosition(m_startPosition);
    m_draggedObject->Invalidate();
}

// ---- input -------------------------------------------------------------------------------

void CUnit6::onKeyDown(int key) {
    if (key != kKeyTab) return;
    CKeyboard* keyboard = m_window ? m_window->getKeyboardInterface() : nullptr;
    const bool shift =
        keyboard && (keyboard->isKeyPressed(CXString("lshift")) || keyboard->isKeyPressed(CXString("rshift")));
    if (shift)
        prevEditBox();
    else
        nextEditBox();
}

bool CUnit6::onMouseMove(CXPoint point) { return m_dragging && onDragging(point); }

bool CUnit6::onClick(CXPoint point) {
    if (m_dragging && m_draggingMode) onEndDragging(point);
    return false;
}

bool CUnit6::onRelease(CXPoint point) {
    if (m_dragging && !m_draggingMode) onEndDragging(point);
    return false;
}

void CUnit6::setTimer(intptr_t id, unsigned int interval, bool askUnit) {
    if (m_window) m_window->SetTimer(id, interval, this, askUnit);
}

void CUnit6::killTimer(intptr_t id) {
    if (m_window) m_window->KillTimer(id);
}

void CUnit6::addRandomPlayable(CPlayable* playable, double probability, int period, CXString event) {
    if (m_randomPlayable) m_randomPlayable->add(playable, probability, period, event);
}

void CUnit6::removeRandomPlayable(CPlayable* playable) {
    if (m_randomPlayable) m_randomPlayable->remove(playable);
}

void CUnit6::putOnCanvas(CAnimo6* animation, CMElement* element) {
    if (!animation || !element) return;
    const int priority = element->getPropertyBoolValue(CXString("ALWAYSONTOP"))
                             ? kAlwaysOnTopPriority
                             : element->getPropertyIntValue(CXString("PRIORITY"));
    if (!element->getPropertyBoolValue(CXString("TOCANVAS"))) return;
    if (CRefreshScreen* canvas = getCanvas()) canvas->put(animation, priority);
}
