#include "script/CMC_Dummy_Runner.h"

#include <cstring>
#include <typeinfo>

#include "foundation/CHashtable.h"
#include "foundation/CInteger.h"
#include "foundation/CStringHashCode.h"
#include "foundation/CXArray.h"
#include "foundation/CXRandom.h"
#include "foundation/CXVector.h"
#include "script/CMC_Behaviour.h"
#include "script/CMC_Bool.h"
#include "script/CMC_Condition.h"
#include "script/CMC_Double.h"
#include "script/CMC_Integer.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_StepBudget.h"
#include "script/CMC_String.h"
#include "script/CMC_VariableFactory.h"

namespace {

constexpr int kTableCapacity = 101;
constexpr double kTableLoadFactor = 0.75;
constexpr int kArgumentCapacity = 101;
constexpr float kArgumentLoadFactor = 0.75f;
// Timer names are "timer_" and a number below this.
constexpr int kTimerNameRange = 32768;

// The words CREATE knows, and what registered for each.
struct CreatorSlot {
    const char* word;
    CMC_Dummy_Runner::Creator creator;
};
CreatorSlot* creators() {
    static CreatorSlot table[] = {{"ANIMO", nullptr}, {"IMAGE", nullptr}, {"SOUND", nullptr}, {"BUTTON", nullptr}};
    return table;
}
constexpr int kCreatorCount = 4;

CMC_Variable* control(intptr_t code) { return CMC_Behaviour::asResult<CMC_Variable>(code); }

// An object passed back where a value is expected (VALUE returns objects as they are).
CMC_Variable* asResult(CMC_Object* object) { return reinterpret_cast<CMC_Variable*>(object); }

// A pooled value of a basic type holding its zero (pooled values keep whatever they
// held last).
CMC_Variable* allocZero(int type) {
    switch (type) {
    case CMC_Variable::kInteger: {
        return CMC_VariableFactory::newInteger(0);
    }
    case CMC_Variable::kString: {
        return CMC_VariableFactory::newString(CXString());
    }
    case CMC_Variable::kBool: {
        return CMC_VariableFactory::newBool(false);
    }
    case CMC_Variable::kDouble: {
        return CMC_VariableFactory::newDouble(0.0);
    }
    default: return nullptr;
    }
}

// The item as an INTEGER when its class is exactly that; null otherwise (control codes
// included).
CMC_Integer* exactInteger(CXObject* item) {
    if (!item || CMC_Behaviour::controlCode(item) != 0) return nullptr;
    return &typeid(*item) == &typeid(CMC_Integer) ? static_cast<CMC_Integer*>(item) : nullptr;
}

// Two INTEGER values compared as the text conditions compare INTEGER operands (codes
// 1 to 6; false for any other).
bool compareIntegers(int32_t a, int32_t b, int code) {
    switch (code) {
    case CMC_Condition::kEqual: return a == b;
    case CMC_Condition::kNotEqual: return a != b;
    case CMC_Condition::kLess: return a < b;
    case CMC_Condition::kLessEqual: return a <= b;
    case CMC_Condition::kGreater: return a > b;
    case CMC_Condition::kGreaterEqual: return a >= b;
    default: return false;
    }
}

CMC_Variable* pooledString(const CXString& text) {
    return CMC_VariableFactory::newString(text);
}

// The behaviour that a branch or body argument names: the container's object of the
// trimmed name, or, when no object has that name, a new behaviour "temp" made from
// the text as code and initialised. *made tells the caller to delete it after use.
// A name that belongs to another kind of object gives nothing to run.
CMC_Behaviour* findOrMake(CMC_ObjectsContainer* container, const CXString& text, bool* made) {
    *made = false;
    CXString name = text;
    name.AllTrim(' ');
    CMC_Object* named = (container && name.IsString()) ? container->getObject(name) : nullptr;
    if (named)
        return &typeid(*named) == &typeid(CMC_Behaviour) ? static_cast<CMC_Behaviour*>(named)
                                                         : dynamic_cast<CMC_Behaviour*>(named);
    auto* behaviour = new CMC_Behaviour(container, CXString("temp"), text);
    behaviour->init();
    *made = true;
    return behaviour;
}

// Deletes a behaviour that findOrMake made. Only those: a scene's own behaviour that
// happens to be named "temp" is left alone.
void dropMade(CMC_Behaviour* behaviour, bool made) {
    if (made) CMC_Object::destroy(behaviour);
}

// Runs `body` once per counter value of LOOP and FOR: from start towards start +
// count by step; nothing when the two are equal. True when a run returned true
// (BREAK). A step of 0, or one that leads away from the end, repeats until then.
bool countedLoop(CMC_Behaviour* body, int start, int count, int step, CMC_Integer* counter) {
    const int64_t end = static_cast<int64_t>(start) + count;
    const auto pass = [&](int64_t i) {
        if (!CMC_StepBudget::take()) return true;
        counter->setValue(static_cast<int32_t>(i));
        return body->run(nullptr, nullptr, true);
    };
    if (start < end) {
        for (int64_t i = start; i < end; i += step)
            if (pass(i)) return true;
    } else if (start > end) {
        for (int64_t i = start; i > end; i += step)
            if (pass(i)) return true;
    }
    return false;
}

}  // namespace

CMC_Dummy_Runner::CMC_Dummy_Runner() : m_key(new CStringHashCode(CXString("temp"))) {}

CMC_Dummy_Runner::~CMC_Dummy_Runner() {
    delete m_key;
    if (m_names) {
        const CXVector* ids = m_names->getValues();
        for (int i = 0; ids && i < ids->getCount(); ++i) delete ids->at(i);
        delete m_names;
    }
}

void CMC_Dummy_Runner::putName(const char* name, int id) {
    m_names->put(new CStringHashCode(CXString(name)), new CInteger(id));
}

void CMC_Dummy_Runner::prepareMthHashSet() {
    if (m_names) return;
    m_names = new CHashtable(kTableCapacity, kTableLoadFactor, true);
    putName("IF", kIf);
    putName("WHILE", kWhile);
    putName("RETURN", kReturn);
    putName("CONV", kConv);
    putName("MSGBOX", kMsgBox);
    putName("BREAK", kBreak);
    putName("BOOL", kBool);
    putName("INT", kInt);
    putName("DOUBLE", kDouble);
    putName("STRING", kString);
    putName("LOOP", kLoop);
    putName("VALUE", kValue);
    putName("RUNONTIMER", kRunOnTimer);
    putName("CREATE", kCreate);
    putName("GETAPPLICATIONNAME", kGetApplicationName);
    putName("GETCURRENTSCENE", kGetCurrentScene);
    putName("ONEBREAK", kOneBreak);
    putName("CONTINUE", kContinue);
    putName("FOR", kFor);
}

int CMC_Dummy_Runner::resolveMethod(CXString name) {
    if (!m_names) return kUnknownMethod;
    m_key->set(name.c_str());
    auto* id = static_cast<CInteger*>(m_names->get(m_key));
    return id ? id->toInt() : kUnknownMethod;
}

CXString CMC_Dummy_Runner::textOf(CXVector* arguments, int i) {
    if (i < 0 || i >= argumentCount(arguments)) return CXString();
    CXObject* item = arguments->at(i);
    if (!item || CMC_Behaviour::controlCode(item) != 0) return CXString();
    // A behaviour (a branch or a body) is known by its exact class.
    if (&typeid(*item) == &typeid(CMC_Behaviour)) return static_cast<CMC_Behaviour*>(item)->getName();
    if (!asVariable(item)) {
        auto* object = dynamic_cast<CMC_Object*>(item);
        return object ? object->getName() : CXString();
    }
    return getParameterText(arguments, i);
}

CMC_Variable* CMC_Dummy_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                    CXVector* arguments) {
    switch (id) {
    case kIf: return runIf(container, arguments);
    case kWhile: return runWhile(container, arguments);
    case kReturn: return runReturn(container, arguments);
    case kBreak: return control(CMC_Behaviour::kBreak);
    case kConv: return runConv(arguments);
    case kMsgBox: return nullptr;
    case kBool:
    case kDouble:
    case kInt:
    case kString: return runLocal(id, target, container, arguments);
    case kLoop: return runLoop(container, arguments);
    case kValue: return runValue(container, arguments);
    case kRunOnTimer: return runOnTimer(container, arguments);
    case kCreate: return runCreate(container, arguments);
    case kGetApplicationName: return getApplicationName(container);
    case kGetCurrentScene: return getCurrentScene(container);
    case kOneBreak: return control(CMC_Behaviour::kOneBreak);
    case kContinue: return control(CMC_Behaviour::kContinue);
    case kFor: return runFor(container, arguments);
    default: return nullptr;
    }
}

// IF(operand1, word, operand2, then [, else]) or IF(condition text, then, else). The
// branch runs with itself as its object; a BREAK in it also ends the behaviour that
// holds the IF, while ONEBREAK and CONTINUE end only the branch.
CMC_Variable* CMC_Dummy_Runner::runIf(CMC_ObjectsContainer* container, CXVector* arguments) {
    const int count = argumentCount(arguments);
    CXString branch;
    if (count > 3) {
        auto* integer1 = exactInteger(arguments->at(0));
        auto* integer2 = exactInteger(arguments->at(2));
        bool holds = false;
        if (integer1 && integer2) {
            // Two INTEGERs: their texts are decimal numbers, which the text condition
            // reads back as INTEGERs of the same values; compared without the round
            // trip, each value taken when the text would have been (the word may be
            // an expression that changes them).
            const int32_t left = integer1->getValue();
            const CXString word = textOf(arguments, 1);
            const int code = CMC_Condition::wordToCode(word);
            if (code == CMC_Condition::kInstanceOf)
                holds = CMC_Condition::valid(container, CXString::toString(static_cast<int>(left)),
                                             textOf(arguments, 2), word);
            else
                holds = compareIntegers(left, integer2->getValue(), code);
        } else {
            const CXString operand1 = textOf(arguments, 0);
            const CXString word = textOf(arguments, 1);
            const CXString operand2 = textOf(arguments, 2);
            holds = CMC_Condition::valid(container, operand1, operand2, word);
        }
        if (holds)
            branch = textOf(arguments, 3);
        else if (count >= 5)
            branch = textOf(arguments, 4);
    } else {
        const CXString condition = textOf(arguments, 0);
        branch = textOf(arguments, CMC_Condition::validJoined(container, condition) ? 1 : 2);
    }
    if (!branch.IsString()) return nullptr;
    bool made = false;
    CMC_Behaviour* behaviour = findOrMake(container, branch, &made);
    if (!behaviour) return nullptr;
    const bool broke = behaviour->run(behaviour, nullptr, false);
    dropMade(behaviour, made);
    return broke ? control(CMC_Behaviour::kBreak) : nullptr;
}

// WHILE(operand1, word, operand2, body). The argument texts are read once; the
// operands they spell are evaluated again before every pass. The body's result
// does not end the loop.
CMC_Variable* CMC_Dummy_Runner::runWhile(CMC_ObjectsContainer* container, CXVector* arguments) {
    const CXString operand1 = textOf(arguments, 0);
    const CXString word = textOf(arguments, 1);
    const CXString operand2 = textOf(arguments, 2);
    const CXString bodyText = textOf(arguments, 3);
    bool made = false;
    CMC_Behaviour* body = findOrMake(container, bodyText, &made);
    if (!body) return nullptr;
    while (CMC_StepBudget::take() && CMC_Condition::valid(container, operand1, operand2, word))
        body->run(nullptr, nullptr, false);
    dropMade(body, made);
    return nullptr;
}

// RETURN(value): a new STRING "__RETURN__" in the container's scene (the container
// itself when it has none) replaces the one found from there.
CMC_Variable* CMC_Dummy_Runner::runReturn(CMC_ObjectsContainer* container, CXVector* arguments) {
    const CXString text = textOf(arguments, 0);
    CMC_ObjectsContainer* scene = container ? container->getScene() : nullptr;
    if (!scene) scene = container;
    if (!scene) return nullptr;
    const CXString name("__RETURN__");
    if (CMC_Object* old = scene->getObject(name)) {
        // Deleted only once it is out of the container that holds it.
        CMC_ObjectsContainer* holder = old->getScene();
        if (holder) holder->deleteObject(old);
    }
    auto* value = new CMC_String(name);
    value->setValue(text);
    value->setScene(scene);
    scene->addObject(value);
    return CMC_VariableFactory::copyVariable(value);
}

// CONV(value, type word): a pooled value of that type ("STRING", "INTEGER", "BOOL",
// "DOUBLE") set from the value; null for any other word.
CMC_Variable* CMC_Dummy_Runner::runConv(CXVector* arguments) {
    CMC_Variable* raw = getParameter(arguments, 0);
    const CXString word = textOf(arguments, 1);
    int type = 0;
    if (word == "STRING")
        type = CMC_Variable::kString;
    else if (word == "INTEGER")
        type = CMC_Variable::kInteger;
    else if (word == "BOOL")
        type = CMC_Variable::kBool;
    else if (word == "DOUBLE")
        type = CMC_Variable::kDouble;
    else
        return nullptr;
    CMC_Variable* value = allocZero(type);
    if (raw) value->set(raw);
    return value;
}

// BOOL, DOUBLE, INT, STRING(name, value): a local variable of the running behaviour,
// removed when that behaviour's run ends. An existing object of the name (parent
// scopes included) is neither changed nor shadowed.
CMC_Variable* CMC_Dummy_Runner::runLocal(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                         CXVector* arguments) {
    const CXString name = textOf(arguments, 0);
    if (!container || !name.IsString() || container->getObject(name)) return nullptr;
    CMC_Variable* raw = getParameter(arguments, 1);
    CMC_Variable* variable = nullptr;
    switch (id) {
    case kBool: variable = new CMC_Bool(name); break;
    case kDouble: variable = new CMC_Double(name); break;
    case kInt: variable = new CMC_Integer(name); break;
    default: variable = new CMC_String(name); break;
    }
    if (raw) variable->set(raw);
    variable->setAsTemporary();
    variable->setScene(container);
    container->addObject(variable);
    if (auto* behaviour = dynamic_cast<CMC_Behaviour*>(target)) behaviour->addTempObject(variable);
    return CMC_VariableFactory::copyVariable(variable);
}

// LOOP(body, start, count, step) with the counter "_I_". An outer loop's counter
// steps aside while the inner loop runs and comes back afterwards.
CMC_Variable* CMC_Dummy_Runner::runLoop(CMC_ObjectsContainer* container, CXVector* arguments) {
    if (!container) return nullptr;
    const CXString bodyText = textOf(arguments, 0);
    const int start = parameterInt(arguments, 1);
    const int count = parameterInt(arguments, 2);
    const int step = parameterInt(arguments, 3);
    bool made = false;
    CMC_Behaviour* body = findOrMake(container, bodyText, &made);
    if (!body) return nullptr;

    const CXString counterName("_I_");
    auto* counter = new CMC_Integer(counterName);
    // Statements parsed while the loop runs must not bind to a counter that goes away.
    counter->setAsTemporary();
    // An outer counter here steps aside (one found in a parent scope stays there).
    CMC_Object* previous = container->getObject(counterName);
    const bool removed = previous && container->removeObject(previous);
    counter->setScene(container);
    container->addObject(counter);

    const bool broke = countedLoop(body, start, count, step, counter);

    if (!container->deleteObject(counter)) CMC_Object::dispose(counter);
    if (removed) container->addObject(previous);
    dropMade(body, made);
    return broke ? control(CMC_Behaviour::kBreak) : nullptr;
}

// FOR(counter, body, start, count, step): as LOOP, with the given INTEGER variable as
// the counter (it keeps the last value). An argument that is no INTEGER variable
// gets a counter of the loop's own.
CMC_Variable* CMC_Dummy_Runner::runFor(CMC_ObjectsContainer* container, CXVector* arguments) {
    auto* counter = dynamic_cast<CMC_Integer*>(getParameter(arguments, 0));
    const CXString bodyText = textOf(arguments, 1);
    const int start = parameterInt(arguments, 2);
    const int count = parameterInt(arguments, 3);
    const int step = parameterInt(arguments, 4);
    bool made = false;
    CMC_Behaviour* body = findOrMake(container, bodyText, &made);
    if (!body) return nullptr;
    CMC_Integer own(CXString("_FOR_"));
    const bool broke = countedLoop(body, start, count, step, counter ? counter : &own);
    dropMade(body, made);
    return broke ? control(CMC_Behaviour::kBreak) : nullptr;
}

CMC_Variable* CMC_Dummy_Runner::runValue(CMC_ObjectsContainer* container, CXVector* arguments) {
    if (!container) return nullptr;
    return asResult(container->getObject(textOf(arguments, 0)));
}

CXString CMC_Dummy_Runner::timerCode(const CXString& code) {
    CXString out;
    const int length = code.getLength();
    for (int i = 0; i < length; ++i) {
        const char c = code.GetAt(i);
        const char next = i + 1 < length ? code.GetAt(i + 1) : '\0';
        out += (c == '&' && next >= '1' && next <= '9') ? '$' : c;
    }
    return out;
}

CXString CMC_Dummy_Runner::makeTimerName(CMC_ObjectsContainer* container) {
    const auto taken = [container](const CXString& name) { return container && container->getObject(name); };
    const auto nameOf = [](int number) { return CXString("timer_") + CXString::toString(number); };
    // Random draws first; should the names ever run short, the first free one.
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const CXString name = nameOf(CXRandom::random(kTimerNameRange));
        if (!taken(name)) return name;
    }
    for (int number = 0;; ++number) {
        const CXString name = nameOf(number);
        if (!taken(name)) return name;
    }
}

// RUNONTIMER(interval, count, body, on-done, further arguments...). The body's code
// is copied into a new timed behaviour "timer_N" that runs every interval with the
// tick number as "$1" (written "&1" in the body) and the further arguments after it.
CMC_Variable* CMC_Dummy_Runner::runOnTimer(CMC_ObjectsContainer* container, CXVector* arguments) {
    if (!container) return nullptr;
    const int interval = parameterInt(arguments, 0);
    const int count = parameterInt(arguments, 1);
    const CXString bodyText = textOf(arguments, 2);
    const CXString onDoneText = textOf(arguments, 3);

    CXString code = bodyText;
    if (auto* named = dynamic_cast<CMC_Behaviour*>(container->getObject(bodyText))) code = named->getCode();
    code = timerCode(code);

    CMC_Behaviour* onDone = nullptr;
    if (CMC_Object* named = container->getObject(onDoneText)) {
        onDone = dynamic_cast<CMC_Behaviour*>(named);
    } else if (onDoneText.IsString()) {
        onDone = new CMC_Behaviour(container, makeTimerName(container), onDoneText);
        onDone->init();
        container->addObject(onDone);
    }

    auto* timerArguments = new CXArray(kArgumentCapacity, kArgumentLoadFactor);
    timerArguments->add(new CXString("0"));
    for (int i = 4; i < argumentCount(arguments); ++i) timerArguments->add(new CXString(textOf(arguments, i)));

    auto* timed = new CMC_Behaviour(container, makeTimerName(container), code);
    timed->init();
    container->addObject(timed);
    const CXString name = timed->getName();
    timed->runOnTimer(interval, count, timerArguments, onDone);
    return pooledString(name);
}

// CREATE(type word, name): an empty, uninitialised object of a registered kind,
// registered in the container (replacing an object of that name there).
CMC_Variable* CMC_Dummy_Runner::runCreate(CMC_ObjectsContainer* container, CXVector* arguments) {
    if (!container) return nullptr;
    const CXString word = textOf(arguments, 0);
    const CXString name = textOf(arguments, 1);
    Creator creator = getCreator(word);
    if (!creator) return nullptr;
    CMC_Object* object = creator(container);
    if (!object) return nullptr;
    object->setName(name);
    object->setScene(container);
    container->addObject(object);
    return nullptr;
}

// The name of the application that the container belongs to: the first container of
// type APPLICATION up its parent chain; empty when there is none.
CMC_Variable* CMC_Dummy_Runner::getApplicationName(CMC_ObjectsContainer* container) {
    CXString name;
    int depth = 0;
    for (CMC_ObjectsContainer* c = container; c && depth < 64; c = c->getParent(), ++depth) {
        if (c->getType() == CMC_ObjectsContainer::kApplication) {
            name = c->getName();
            break;
        }
    }
    return pooledString(name);
}

// The name of the container's scene (empty when it has none). Episodes and the
// application record the scene being played as their scene.
CMC_Variable* CMC_Dummy_Runner::getCurrentScene(CMC_ObjectsContainer* container) {
    CMC_ObjectsContainer* scene = container ? container->getScene() : nullptr;
    return pooledString(scene ? scene->getName() : CXString());
}

bool CMC_Dummy_Runner::registerCreator(const char* word, Creator creator) {
    if (!word) return false;
    for (int i = 0; i < kCreatorCount; ++i) {
        if (std::strcmp(creators()[i].word, word) == 0) {
            creators()[i].creator = creator;
            return true;
        }
    }
    return false;
}

CMC_Dummy_Runner::Creator CMC_Dummy_Runner::getCreator(const CXString& word) {
    for (int i = 0; i < kCreatorCount; ++i)
        if (word == creators()[i].word) return creators()[i].creator;
    return nullptr;
}
