#include "script/CMC_Behaviour.h"

#include "foundation/CXArchive.h"
#include "foundation/CXArray.h"
#include "foundation/CXTimer.h"
#include "foundation/CXVector.h"
#include "script/CMC_BasicCondition.h"
#include "script/CMC_DLLExModuleInterface.h"
#include "script/CMC_Behaviour_Entry.h"
#include "script/CMC_Expression.h"
#include "script/CMC_Nesting.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_Runner.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_Variable.h"
#include "script/CMElement.h"
#include "script/CScriptWindowServices.h"

namespace {

constexpr int kVectorCapacity = 101;
constexpr float kLoadFactor = 0.75f;

// Objects that must live until the next application step.
CXVector* s_globalTrash = nullptr;

bool isPlainValueType(int type) { return type >= 1 && type <= 4; }

}  // namespace

// ---- construction ---------------------------------------------------------------------

CMC_Behaviour::CMC_Behaviour(CMC_ObjectsContainer* container, CMElement* element)
    : CMC_Object(container, element, kType),
      m_code(cleanCode(element ? element->getPropertyValue("CODE") : CXString())),
      m_conditionName(element ? element->getPropertyValue("CONDITION") : CXString()) {
    initializeBehaviours(container, element);
}

CMC_Behaviour::CMC_Behaviour(CMC_ObjectsContainer* container, CXString name, CXString code)
    : CMC_Object(name, kType), m_code(cleanCode(code)) {
    setScene(container);
}

CMC_Behaviour::CMC_Behaviour(CMC_ObjectsContainer* container) : CMC_Object(CXString(), kType) {
    setScene(container);
}

CMC_Behaviour::~CMC_Behaviour() {
    m_life->alive = false;
    release(m_life);
    m_life = nullptr;
    deleteStatements(true);
    for (auto& [lines, release] : m_retiredStatements) CMC_Behaviour_Entry::freeCodeLines(lines, release);
    m_retiredStatements.clear();
    if (m_timerWindow && m_timerWindow->GetTimerInterface())
        m_timerWindow->GetTimerInterface()->remove(reinterpret_cast<intptr_t>(this));
    m_timerWindow = nullptr;
    if (m_trashWindow && m_trashWindow->getPublicTrashInterface())
        m_trashWindow->getPublicTrashInterface()->remove(static_cast<CXObject*>(static_cast<CMC_Object*>(this)));
    m_trashWindow = nullptr;
    removeFromTrash(static_cast<CMC_Object*>(this));
    releaseTempObjects(0);
    delete m_tempObjects;
    m_tempObjects = nullptr;
    freeTimerArguments();
    for (CXArray* arguments : m_retiredArguments) CXString::releaseToVector(arguments);
    m_retiredArguments.clear();
}

CXString CMC_Behaviour::cleanCode(CXString code) {
    if (!code.IsString()) return code;
    code.AllTrim(' ');
    if (code.GetAt(0) == '{') code = code.Right(1);
    if (code.lastChar() == '}') code = code.Left(code.getLength() - 1);
    code.AllTrim(' ');
    return code;
}

CXString** CMC_Behaviour::getBehavioursList() { return makeBehavioursList({"ONINIT", "ONDONE", "ONSIGNAL"}); }

void CMC_Behaviour::serialize(CXArchive* archive) {
    CMC_Object::serialize(archive);
    if (!archive) return;
    // The code and the condition's name follow the common part: without them a
    // behaviour read back from a binary image would run nothing. The statements are
    // built at init and the condition is bound once the container holds every object.
    if (archive->isStoring()) {
        *archive << m_code << m_conditionName;
        return;
    }
    deleteStatements(true);
    m_condition = nullptr;
    *archive >> &m_code >> &m_conditionName;
    m_code = cleanCode(m_code);
}

// ---- statements -----------------------------------------------------------------------

void CMC_Behaviour::init() {
    CMC_Object::init();
    if (m_code.GetAt(0) == '{') m_code = m_code.Mid(1, m_code.getLength() - 1);
    // The old statements go (releasing their inline behaviours); "ONDONE" belongs to
    // the end of the behaviour's life, not to a re-parse, so it is not raised here.
    buildStatements(m_code);
}

bool CMC_Behaviour::done(bool flag) {
    deleteStatements(!flag);
    return CMC_Object::done(flag);
}

void CMC_Behaviour::setParams(CXArray* arguments) {
    buildStatements(CMC_Behaviour_Entry::fillParams(m_code, arguments));
}

void CMC_Behaviour::buildStatements(const CXString& code) {
    deleteStatements(true);
    if (code.IsString()) m_statements = CMC_Behaviour_Entry::getCodeLines(this, code);
}

void CMC_Behaviour::deleteStatements(bool releaseInline) {
    if (!m_statements) return;
    CMC_Behaviour_Entry** lines = m_statements;
    m_statements = nullptr;
    if (m_runDepth > 0)
        m_retiredStatements.emplace_back(lines, releaseInline);
    else
        CMC_Behaviour_Entry::freeCodeLines(lines, releaseInline);
}

int CMC_Behaviour::getStatementCount() const {
    int n = 0;
    while (m_statements && m_statements[n]) ++n;
    return n;
}

void CMC_Behaviour::resolveCondition() {
    if (!m_conditionName.IsString()) return;
    CMC_ObjectsContainer* container = getScene();
    m_condition = container ? container->getObject(m_conditionName) : nullptr;
    m_conditionGeneration = CMC_ObjectsContainer::getRemovalCount();
}

// ---- running --------------------------------------------------------------------------

bool CMC_Behaviour::run(CMC_Object* caller, CXArray* arguments, bool checkCondition) {
    if (!m_enabled || !m_statements) return false;
    CMC_RunDepth depth;
    if (!depth.entered()) return false;
    if (checkCondition && m_condition && m_conditionGeneration != CMC_ObjectsContainer::getRemovalCount())
        resolveCondition();
    if (checkCondition && m_condition) {
        // A name that binds to something other than a condition guards nothing.
        if (auto* condition = dynamic_cast<CMC_BasicCondition*>(m_condition))
            if (!condition->valid(true)) return false;
    }

    // Temporaries registered before this run belong to an outer run of this behaviour.
    const int tempMark = m_tempObjects ? m_tempObjects->getCount() : 0;
    ++m_runDepth;
    bool result = false;
    LifeGuard guard(this);
    // The array walked is the one the run started with, even if a statement re-parses
    // the behaviour (that array is kept until the run ends).
    CMC_Behaviour_Entry** lines = m_statements;
    for (int i = 0; lines[i]; ++i) {
        CMC_Object* value = lines[i]->run(caller, arguments, true);
        // A statement deleted this behaviour: its statements and temporaries are gone.
        if (!guard.alive()) {
            if (!controlCode(value)) CMC_Variable::release(value);
            return controlCode(value) == kBreak;
        }
        if (const intptr_t code = controlCode(value)) {
            result = code == kBreak;
            break;
        }
        if (value) CMC_Variable::release(value);
    }
    --m_runDepth;
    if (m_tempObjects) releaseTempObjects(tempMark);
    if (m_runDepth == 0 && !m_retiredStatements.empty()) {
        auto retired = std::move(m_retiredStatements);
        m_retiredStatements.clear();
        for (auto& [old, release] : retired) CMC_Behaviour_Entry::freeCodeLines(old, release);
    }
    if (m_runDepth == 0 && m_detachPending) detachFromScene();
    return result;
}

void CMC_Behaviour::addTempObject(CMC_Object* object) {
    if (!object) return;
    if (!m_tempObjects) m_tempObjects = new CXVector(kVectorCapacity, kLoadFactor);
    m_tempObjects->add(static_cast<CXObject*>(object));
}

void CMC_Behaviour::releaseTempObjects(int from) {
    if (!m_tempObjects) return;
    if (from < 0) from = 0;
    // Taken from the end so that a deletion registering more objects stays in bounds.
    while (m_tempObjects->getCount() > from) {
        const int last = m_tempObjects->getCount() - 1;
        auto* object = static_cast<CMC_Object*>(m_tempObjects->at(last));
        m_tempObjects->removeAt(last);
        if (!object) continue;
        CMC_ObjectsContainer* container = getScene();
        if (!container || !container->deleteObject(object)) CMC_Object::dispose(object);
    }
}

// ---- timed runs -----------------------------------------------------------------------

void CMC_Behaviour::runOnTimer(int interval, int limit, CXArray* arguments, CMC_Behaviour* onDone) {
    m_tickCount = 0;
    m_tickLimit = limit;
    freeTimerArguments();
    if (!arguments) arguments = new CXArray(kVectorCapacity, kLoadFactor);
    if (arguments->getCount() == 0) arguments->add(new CXString("0"));
    m_timerArguments = arguments;
    m_onDone = onDone;
    m_onDoneName = onDone ? onDone->getName() : CXString();
    m_onDoneRegistered = onDone && getScene() && getScene()->getObject(m_onDoneName) == onDone;
    m_onDoneGeneration = CMC_ObjectsContainer::getRemovalCount();

    CMC_ObjectsContainer* container = getScene();
    CScriptWindowServices* window = CScriptWindowServices::of(container ? container->getWindow() : nullptr);
    if (m_timerWindow && m_timerWindow->GetTimerInterface())
        m_timerWindow->GetTimerInterface()->remove(reinterpret_cast<intptr_t>(this));
    m_timerWindow = nullptr;
    if (!window || !window->GetTimerInterface()) return;
    const unsigned int ms = interval > 0 ? static_cast<unsigned int>(interval) : 0u;
    window->GetTimerInterface()->add(reinterpret_cast<intptr_t>(this), ms, static_cast<CTimerNotificator*>(this));
    m_timerWindow = window;
    if (CXVector* trash = window->getPublicTrashInterface()) {
        CXObject* self = static_cast<CMC_Object*>(this);
        if (!trash->contains(self)) trash->add(self);
        m_trashWindow = window;
    }
}

void CMC_Behaviour::onTimer(intptr_t) {
    if (!m_timerWindow) return;
    ++m_tickCount;
    CXArray* arguments = m_timerArguments;
    if (arguments && arguments->getCount() > 0) {
        auto* tick = static_cast<CXString*>(arguments->at(0));
        if (tick) *tick = CXString::toString(static_cast<int>(m_tickCount));
    }
    const bool wasInTick = m_inTick;
    m_inTick = true;
    LifeGuard guard(this);
    const bool broke = run(this, arguments, false);
    if (!guard.alive()) return;
    m_inTick = wasInTick;
    // The run may have ended the timed run itself (BREAK on this behaviour).
    if (m_timerWindow && (broke || (m_tickLimit > 0 && m_tickCount == m_tickLimit))) endTimedRun(true);
    if (!m_inTick) {
        for (CXArray* old : m_retiredArguments) CXString::releaseToVector(old);
        m_retiredArguments.clear();
    }
}

void CMC_Behaviour::_break() {
    if (!m_timerWindow) return;
    endTimedRun(false);
}

void CMC_Behaviour::endTimedRun(bool runOnDone) {
    if (m_timerWindow && m_timerWindow->GetTimerInterface())
        m_timerWindow->GetTimerInterface()->remove(reinterpret_cast<intptr_t>(this));
    m_timerWindow = nullptr;
    CMC_ObjectsContainer* container = getScene();
    // An on-done behaviour that a container held is looked up again if anything was
    // dropped meanwhile (it may be gone).
    if (m_onDone && m_onDoneRegistered && m_onDoneGeneration != CMC_ObjectsContainer::getRemovalCount()) {
        m_onDone = container ? dynamic_cast<CMC_Behaviour*>(container->getObject(m_onDoneName)) : nullptr;
    }
    if (runOnDone && m_onDone) {
        CMC_Behaviour* onDone = m_onDone;
        LifeGuard self(this);
        LifeGuard other(onDone);
        onDone->run(this, m_timerArguments, true);
        if (!self.alive()) return;
        if (other.alive() && onDone->getName() == "temp" && (!container || !container->deleteObject(onDone)))
            CMC_Object::dispose(onDone);
    }
    m_onDone = nullptr;
    setToDelete();
    if (container) container->removeObject(this);
    freeTimerArguments();
    // The collector may delete the behaviour after its scene is gone, so it lets go of
    // the scene now (or when the run that ended it returns).
    if (m_runDepth > 0)
        m_detachPending = true;
    else
        detachFromScene();
}

void CMC_Behaviour::detachFromScene() {
    m_detachPending = false;
    deleteStatements(true);
    releaseTempObjects(0);
    m_condition = nullptr;
    setScene(nullptr);
}

void CMC_Behaviour::freeTimerArguments() {
    if (!m_timerArguments) return;
    // During a tick the running statements still read the array.
    if (m_inTick)
        m_retiredArguments.push_back(m_timerArguments);
    else
        CXString::releaseToVector(m_timerArguments);
    m_timerArguments = nullptr;
}

// ---- the global trash -------------------------------------------------------------------

void CMC_Behaviour::initTrash() {
    if (!s_globalTrash) s_globalTrash = new CXVector(kVectorCapacity, kLoadFactor);
}

void CMC_Behaviour::addToTrash(CXObject* object) {
    if (!object) return;
    initTrash();
    // Script objects carry their membership; only other objects need a search.
    if (auto* scriptObject = dynamic_cast<CMC_Object*>(object)) {
        if (scriptObject->m_inTrash) return;
        scriptObject->m_inTrash = true;
    } else if (s_globalTrash->contains(object)) {
        return;
    }
    s_globalTrash->add(object);
}

void CMC_Behaviour::removeFromTrash(CXObject* object) {
    if (!s_globalTrash || !object) return;
    if (auto* scriptObject = dynamic_cast<CMC_Object*>(object)) {
        if (!scriptObject->m_inTrash) return;
        scriptObject->m_inTrash = false;
    }
    s_globalTrash->remove(object);
}

void CMC_Behaviour::forgetTrashScene(CMC_ObjectsContainer* container) {
    if (!s_globalTrash || !container) return;
    for (int i = 0; i < s_globalTrash->getCount(); ++i) {
        auto* object = dynamic_cast<CMC_Object*>(s_globalTrash->at(i));
        if (object && object != container && object->getScene() == container) object->setScene(nullptr);
    }
}

void CMC_Behaviour::flushTrash() {
    if (!s_globalTrash) return;
    // Members are taken out before they are deleted, so a destructor that leaves the
    // trash itself finds nothing to do; members that a deletion adds are deleted too.
    // Extension modules go after every other member: objects they made are deleted
    // while the modules' code is still loaded.
    std::vector<CXObject*> modules;
    while (s_globalTrash->getCount() > 0) {
        const int last = s_globalTrash->getCount() - 1;
        CXObject* object = s_globalTrash->at(last);
        s_globalTrash->removeAt(last);
        if (auto* scriptObject = dynamic_cast<CMC_Object*>(object)) scriptObject->m_inTrash = false;
        if (dynamic_cast<CMC_DLLExModuleInterface*>(object)) {
            modules.push_back(object);
            continue;
        }
        delete object;
    }
    for (CXObject* module : modules) delete module;
}

void CMC_Behaviour::doneTrash() {
    flushTrash();
    delete s_globalTrash;
    s_globalTrash = nullptr;
}

int CMC_Behaviour::trashCount() { return s_globalTrash ? s_globalTrash->getCount() : 0; }

// ---- the uncached evaluator -------------------------------------------------------------

namespace {

CMC_Runner* runnerOf(CMC_Object* target) {
    if (!target) return nullptr;
    if (CMC_Runner* runner = CMC_RunnerFactory::getRunner(target->getType())) return runner;
    return target->getRunner();
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

CMC_Variable* CMC_Behaviour::resolveParameter(CMC_ObjectsContainer* container, CMC_Object* running, CXString text,
                                              CMC_Behaviour* behaviour) {
    const bool hasCaret = text.Find('^') >= 0;
    text.AllTrim(' ');
    const char first = text.GetAt(0);
    if (first == '[') {
        CXString inner = text.Mid(1, text.getLength() - 1);
        inner.AllTrim(' ');
        auto* expression = new CMC_Expression(container, inner);
        addToTrash(expression);
        return expression;
    }
    if (text.startsWith("CONV")) return runLine(container, running, CXString("@") + text, behaviour);
    if (hasCaret && first != '"') return runLine(container, running, text, behaviour);
    if (first == '-' || isDigit(first)) return CMC_Variable::resolve(text);
    if (text.Find('|') >= 0) return CMC_Behaviour_Entry::getStructureField(container, text);
    if (container) {
        CMC_Object* object = container->getObject(text);
        if (object && isPlainValueType(object->getType())) return dynamic_cast<CMC_Variable*>(object);
    }
    return CMC_Variable::resolve(text);
}

CXVector* CMC_Behaviour::resolveParameters(CMC_ObjectsContainer* container, CMC_Object* running, CXString text,
                                           CMC_Behaviour* behaviour) {
    auto* values = new CXVector(kVectorCapacity, kLoadFactor);
    const int length = text.getLength();
    int depth = 0;
    int start = 0;
    for (int i = 0; i <= length; ++i) {
        const char c = i < length ? text.GetAt(i) : ',';
        if (c == '(') ++depth;
        else if (c == ')') --depth;
        if (c != ',' || (depth != 0 && i < length)) continue;
        CXString operand = text.Mid(start, i);
        start = i + 1;
        if (!operand.IsString()) continue;
        if (CMC_Variable* value = resolveParameter(container, running, operand, behaviour))
            values->add(static_cast<CXObject*>(value));
    }
    return values;
}

CMC_Object* CMC_Behaviour::resolveObject(CMC_ObjectsContainer* container, CMC_Object* running, CXString text,
                                         CXString& method, CMC_Behaviour* behaviour) {
    const int caret = text.Find('^');
    const int lastCaret = text.FindLast('^');
    method = lastCaret >= 0 ? text.Right(lastCaret + 1) : text;
    const CXString name = caret > 0 ? text.Left(caret) : CXString();
    if (!name.IsString()) return nullptr;
    if (name == "THIS") return running;
    if (!container) return nullptr;
    if (name.GetAt(0) == '#') {
        if (name.getLength() < 3) return nullptr;
        return container->getObject(static_cast<int>(static_cast<unsigned char>(name.GetAt(2)) % 128));
    }
    if (name.GetAt(0) == '*') {
        CMC_Variable* value = resolveParameter(container, running, name.Right(1), behaviour);
        const CXString target = value ? CMC_Behaviour_Entry::getStringValue(value) : CXString();
        flush(value, false);
        return target.IsString() ? container->getObject(target) : nullptr;
    }
    return container->getObject(name);
}

CMC_Variable* CMC_Behaviour::runLine(CMC_ObjectsContainer* container, CMC_Object* running, CXString line,
                                     CMC_Behaviour* behaviour) {
    CMC_ParseDepth depth;
    if (!depth.entered()) return nullptr;
    const int open = line.Find('(');
    const CXString head = open >= 0 ? line.Left(open) : line;
    CMC_Object* target = nullptr;
    CMC_Runner* runner = nullptr;
    CXString method;
    if (line.GetAt(0) == '@') {
        runner = CMC_RunnerFactory::getRunner(0);
        target = running;
        method = head.Right(1);
    } else if (line.GetAt(0) == '*') {
        CMC_Object* named = resolveObject(container, running, head.Right(1), method, behaviour);
        const CXString name = named ? CMC_Behaviour_Entry::getStringValue(named) : CXString();
        target = (container && name.IsString()) ? container->getObject(name) : nullptr;
        runner = runnerOf(target);
    } else {
        target = resolveObject(container, running, head, method, behaviour);
        if (target) {
            runner = runnerOf(target);
        } else {
            runner = CMC_RunnerFactory::getRunner(0);
            method = head;
        }
    }
    if (!runner) return nullptr;

    CXString argumentText = open >= 0 ? line.Right(open) : CXString();
    argumentText.AllTrim(' ');
    if (argumentText.GetAt(0) == '(') argumentText = argumentText.Right(1);
    if (argumentText.lastChar() == ')') argumentText = argumentText.Left(argumentText.getLength() - 1);
    argumentText.AllTrim(' ');
    CXVector* values = resolveParameters(container, running, argumentText, behaviour);

    CMC_Variable* result;
    if (method.GetAt(0) == '#')
        result = runner->run(static_cast<int>(static_cast<unsigned char>(method.GetAt(1)) % 128), target, container,
                             values);
    else
        result = runner->run(method, target, container, values);

    for (int i = 0; i < values->getCount(); ++i) {
        CXObject* value = values->at(i);
        // A method may hand back one of its arguments as its result.
        if (value != reinterpret_cast<CXObject*>(result)) flush(dynamic_cast<CMC_Variable*>(value), false);
    }
    delete values;
    return result;
}
