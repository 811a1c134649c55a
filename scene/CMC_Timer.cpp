#include "scene/CMC_Timer.h"

#include "foundation/CXArchive.h"
#include "foundation/CXTimer.h"
#include "scene/CMC_Scene.h"
#include "scene/CMC_SceneBinary.h"
#include "script/CMC_Integer.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_TypeTable.h"
#include "script/CMC_VariableFactory.h"
#include "script/CMElement.h"
#include "shell/CWindow.h"

namespace {

const bool registeredType = CMC_TypeTable::registerType(
    "TIMER", [](CMC_ObjectsContainer* c, CMElement* e) -> CMC_Object* { return new CMC_Timer(c, e); });
const bool registeredRunner = CMC_RunnerFactory::registerRunner(
    CMC_RunnerFactory::kTimer, []() -> CMC_Runner* { return new CMC_Timer_Runner(); });
const bool registeredPrototype = CMC_SceneBinary::registerPrototype(
    CMC_Timer::kType, [](CMC_Scene* scene) -> CMC_Object* { return new CMC_Timer(scene); });

CXTimer* timersOf(CWindow* window) { return window ? window->GetTimerInterface() : nullptr; }

}  // namespace

CMC_Timer::CMC_Timer(CMC_ObjectsContainer* container, CMElement* element)
    : CMC_Object(container, element, kType), m_window(container ? container->getWindow() : nullptr) {
    const CXString enabled = element ? element->getPropertyValue(CXString("ENABLED")) : CXString();
    m_elapse = element ? element->getPropertyValue(CXString("ELAPSE")) : CXString();
    if (m_elapse.IsString()) addTimer();
    m_limit = element ? element->getPropertyIntValue(CXString("TICKS")) : 0;
    if (enabled.IsString() && !enabled.equalsIgnoreCase(CXString("true"))) m_enabled = false;
    initializeBehaviours(container, element);
}

CMC_Timer::CMC_Timer(CMC_ObjectsContainer* container)
    : CMC_Object(CXString("temp"), kType), m_window(container ? container->getWindow() : nullptr) {
    setScene(container);
}

CMC_Timer::~CMC_Timer() {
    if (m_hasTimer)
        if (CXTimer* timers = timersOf(m_window)) timers->remove(timerId());
}

void CMC_Timer::addTimer() {
    CXTimer* timers = timersOf(m_window);
    if (!timers) return;
    timers->add(timerId(), static_cast<unsigned int>(CXString::toNumber(m_elapse)),
                static_cast<CTimerNotificator*>(this));
    m_hasTimer = true;
}

CXString** CMC_Timer::getBehavioursList() { return makeBehavioursList({"ONINIT", "ONDONE", "ONSIGNAL", "ONTICK"}); }

void CMC_Timer::serialize(CXArchive* archive) {
    CMC_Object::serialize(archive);
    if (archive->isStoring()) {
        *archive << m_elapse;
        *archive << m_limit;
        return;
    }
    *archive >> &m_elapse;
    *archive >> &m_limit;
    if (m_hasTimer)
        if (CXTimer* timers = timersOf(m_window)) timers->remove(timerId());
    addTimer();
}

void CMC_Timer::onTimer(intptr_t) {
    // A removed timer waits for its deletion without firing.
    if (!m_enabled || isDisposed()) return;
    ++m_ticks;
    if (m_limit > 0 && m_ticks == m_limit) m_enabled = false;
    if (!isEventHandled(kTickEventIndex)) return;
    onSignal(CXString("ONTICK"), CXString::toString(static_cast<int>(m_ticks)));
}

void CMC_Timer::enable() {
    if (m_enabled) return;
    m_ticks = 0;
    m_enabled = true;
    if (CXTimer* timers = timersOf(m_window)) timers->reset(timerId());
}

void CMC_Timer::pause() {
    m_enabled = false;
    if (CXTimer* timers = timersOf(m_window)) timers->pause();
}

void CMC_Timer::resume() {
    if (m_enabled) return;
    m_enabled = true;
    if (CXTimer* timers = timersOf(m_window)) timers->resume();
}

void CMC_Timer::reset() {
    if (CXTimer* timers = timersOf(m_window)) timers->reset(timerId());
    m_ticks = 0;
}

void CMC_Timer::set(int limit) {
    if (CXTimer* timers = timersOf(m_window)) timers->reset(timerId());
    m_limit = limit;
}

void CMC_Timer::setElapse(unsigned int ms) {
    CXTimer* timers = timersOf(m_window);
    if (CTimerObject* timer = timers ? timers->find(timerId()) : nullptr) timer->setInterval(ms);
}

// ---- runner -------------------------------------------------------------------------

void CMC_Timer_Runner::prepareMthHashSet() {
    CMC_Runner::prepareMthHashSet();
    putMethod("ENABLE", kEnable);
    putMethod("DISABLE", kDisable);
    putMethod("PAUSE", kPause);
    putMethod("RESUME", kResume);
    putMethod("GETTICKS", kGetTicks);
    putMethod("RESET", kReset);
    putMethod("SET", kSet);
    putMethod("SETELAPSE", kSetElapse);
}

CMC_Variable* CMC_Timer_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                    CXVector* arguments) {
    auto* timer = dynamic_cast<CMC_Timer*>(target);
    if (!timer) return CMC_Runner::run(id, target, container, arguments);
    switch (id) {
    case kEnable: timer->enable(); return nullptr;
    case kDisable: timer->disable(); return nullptr;
    case kPause: timer->pause(); return nullptr;
    case kResume: timer->resume(); return nullptr;
    case kGetTicks: {
        CMC_Integer* result = CMC_VariableFactory::allocInteger();
        if (result) result->setValue(timer->getTick());
        return result;
    }
    case kReset: timer->reset(); return nullptr;
    case kSet: timer->set(parameterInt(arguments, 0)); return nullptr;
    case kSetElapse: timer->setElapse(static_cast<unsigned int>(parameterInt(arguments, 0))); return nullptr;
    default: return CMC_Runner::run(id, target, container, arguments);
    }
}
