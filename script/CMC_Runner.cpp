#include "script/CMC_Runner.h"

#include <typeinfo>

#include "foundation/CHashtable.h"
#include "foundation/CInteger.h"
#include "foundation/CStringHashCode.h"
#include "foundation/CXArray.h"
#include "foundation/CXVector.h"
#include "script/CMC_Behaviour.h"
#include "script/CMC_Bool.h"
#include "script/CMC_Double.h"
#include "script/CMC_Expression.h"
#include "script/CMC_Integer.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_String.h"
#include "script/CMC_TypeTable.h"
#include "script/CMC_Variable.h"
#include "script/CMC_VariableFactory.h"

namespace {

constexpr int kTableCapacity = 101;
constexpr double kTableLoadFactor = 0.75;
constexpr float kListLoadFactor = 0.75f;

// An event key as scripts write it: "$" stands for "^".
CXString eventKey(CXString text) {
    text.Replace('$', '^');
    return text;
}

// The argument converted to `type`; a conversion that made a new value is handed back
// to its pool before it is returned. Null when the argument is missing or does not
// convert.
template <class T>
T* converted(CMC_Variable* argument, int type) {
    if (!argument) return nullptr;
    if (argument->getType() == type) {
        if (auto* same = CMC_Variable::valueCast<T>(argument)) return same;
    }
    CMC_Variable* value = argument->convert(type);
    if (!value) return nullptr;
    if (value != argument) CMC_VariableFactory::free(value);
    return CMC_Variable::valueCast<T>(value);
}

// A pooled value handed back to its pool before it is returned, as converted
// arguments are: the caller reads it before anything else takes it.
template <class T>
T* released(T* value) {
    CMC_VariableFactory::free(value);
    return value;
}

}  // namespace

CMC_Runner::CMC_Runner() : m_lookupKey(new CStringHashCode(CXString("temp"))) {}

CMC_Runner::~CMC_Runner() {
    delete m_lookupKey;
    if (m_methods) {
        const CXVector* ids = m_methods->getValues();
        for (int i = 0; ids && i < ids->getCount(); ++i) delete ids->at(i);
        delete m_methods;
    }
}

void CMC_Runner::putMethod(const char* name, int id) {
    if (!m_methods) return;
    m_lookupKey->set(name);
    if (auto* old = static_cast<CInteger*>(m_methods->get(m_lookupKey))) {
        // The table keeps the first entry of a key; a name put again gets the new id.
        m_methods->remove(old);
        delete old;
    }
    m_methods->put(new CStringHashCode(CXString(name)), new CInteger(id));
}

void CMC_Runner::prepareMthHashSet() {
    if (m_methods) return;
    m_methods = new CHashtable(kTableCapacity, kTableLoadFactor, true);
    static const struct {
        const char* name;
        int id;
    } kBase[] = {
        {"SEND", kSend},
        {"ADDTOGROUP", kAddToGroup},
        {"ADDTOARRAY", kAddToArray},
        {"GETNAME", kGetName},
        {"CLONE", kClone},
        {"ADDBEHAVIOUR", kAddBehaviour},
        {"GETCLONEINDEX", kGetCloneIndex},
        {"MSGBOX", kMsgBox},
        {"RESETCLONES", kResetClones},
        {"REMOVEBEHAVIOUR", kRemoveBehaviour},
        {"REMOVEBEHAVIOURFORCE", kRemoveBehaviourForce},
        {"REMOVEALLBEHAVIOURS", kRemoveAllBehaviours},
        {"GETCLONESNO", kGetClonesNo},
        {"OVERIDESIGNALS", kOverideSignals},
    };
    for (const auto& m : kBase) putMethod(m.name, m.id);
}

void CMC_Runner::toDebug(CXString, CXVector*) {}

int CMC_Runner::methodCount() const { return m_methods ? m_methods->getSize() : 0; }

int CMC_Runner::resolveMethod(CXString name) {
    if (!m_methods) return kUnknownMethod;
    m_lookupKey->set(name.c_str());
    auto* id = static_cast<CInteger*>(m_methods->get(m_lookupKey));
    return id ? id->toInt() : kUnknownMethod;
}

int CMC_Runner::argumentCount(CXVector* arguments) { return arguments ? arguments->getCount() : 0; }

CMC_Variable* CMC_Runner::asVariable(CXObject* object) {
    if (!object) return nullptr;
    // Type descriptors are unique within the engine library, so equal addresses mean
    // the same class; anything else takes the full cast.
    const std::type_info* type = &typeid(*object);
    if (type == &typeid(CMC_Integer)) return static_cast<CMC_Integer*>(object);
    if (type == &typeid(CMC_String)) return static_cast<CMC_String*>(object);
    if (type == &typeid(CMC_Double)) return static_cast<CMC_Double*>(object);
    if (type == &typeid(CMC_Bool)) return static_cast<CMC_Bool*>(object);
    return dynamic_cast<CMC_Variable*>(object);
}

CMC_Variable* CMC_Runner::getArgument(CXVector* arguments, int i) {
    if (!arguments || i < 0 || i >= arguments->getCount()) return nullptr;
    CXObject* item = arguments->at(i);
    if (!item || CMC_Behaviour::controlCode(item)) return nullptr;
    return asVariable(item);
}

CMC_Variable* CMC_Runner::getParameter(CXVector* arguments, int i) {
    CMC_Variable* value = getArgument(arguments, i);
    if (value && value->getType() == CMC_Variable::kExpression) {
        if (auto* expression = dynamic_cast<CMC_Expression*>(value)) {
            expression->calculate();
            return expression->getResult();
        }
    }
    return value;
}

// A script object that is not a value stands for its name: a pooled STRING holding it.
// Null when the slot holds a value or nothing.
static CMC_Variable* objectAsText(CXVector* arguments, int i) {
    if (!arguments || i < 0 || i >= arguments->getCount()) return nullptr;
    CXObject* item = arguments->at(i);
    if (!item || CMC_Behaviour::controlCode(item) || CMC_Runner::asVariable(item)) return nullptr;
    auto* object = dynamic_cast<CMC_Object*>(item);
    // Like every converted argument, it is back in its pool when it is read.
    return object ? released(CMC_VariableFactory::newString(object->getName())) : nullptr;
}

// The value a typed getter converts: the argument, or an object's name.
static CMC_Variable* typedSource(CMC_Runner* runner, CXVector* arguments, int i) {
    if (CMC_Variable* value = runner->getParameter(arguments, i)) return value;
    return objectAsText(arguments, i);
}

CMC_Bool* CMC_Runner::getParameterBool(CXVector* arguments, int i) {
    if (CMC_Bool* value = converted<CMC_Bool>(typedSource(this, arguments, i), CMC_Variable::kBool)) return value;
    return released(CMC_VariableFactory::newBool(false));
}

CMC_Double* CMC_Runner::getParameterDouble(CXVector* arguments, int i) {
    if (CMC_Double* value = converted<CMC_Double>(typedSource(this, arguments, i), CMC_Variable::kDouble)) return value;
    return released(CMC_VariableFactory::newDouble(0.0));
}

CMC_Integer* CMC_Runner::getParameterInteger(CXVector* arguments, int i) {
    if (CMC_Integer* value = converted<CMC_Integer>(typedSource(this, arguments, i), CMC_Variable::kInteger)) return value;
    return released(CMC_VariableFactory::newInteger(0));
}

CMC_String* CMC_Runner::getParameterString(CXVector* arguments, int i) {
    if (CMC_String* value = converted<CMC_String>(typedSource(this, arguments, i), CMC_Variable::kString)) return value;
    return released(CMC_VariableFactory::newString(CXString()));
}

CXString CMC_Runner::getParameterText(CXVector* arguments, int i) {
    CMC_String* value = getParameterString(arguments, i);
    return value ? CXString(value->getValue().c_str()) : CXString();
}

int CMC_Runner::parameterInt(CXVector* arguments, int i) {
    CMC_Integer* value = getParameterInteger(arguments, i);
    return value ? value->getValue() : 0;
}

double CMC_Runner::parameterDouble(CXVector* arguments, int i) {
    CMC_Double* value = getParameterDouble(arguments, i);
    return value ? value->getValue() : 0.0;
}

bool CMC_Runner::parameterBool(CXVector* arguments, int i) {
    CMC_Bool* value = getParameterBool(arguments, i);
    return value && value->getValue();
}

CMC_Variable* CMC_Runner::run(CXString name, CMC_Object* target, CMC_ObjectsContainer* container,
                              CXVector* arguments) {
    return run(resolveMethod(name), target, container, arguments);
}

CMC_Variable* CMC_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) {
    if (!target) return nullptr;
    const int count = argumentCount(arguments);
    switch (id) {
    case kSend: {
        if (count < 1) return nullptr;
        CXString text = getParameterText(arguments, 0);
        // Only the caret form: the plain "ONSIGNAL" is not raised.
        if (text.GetAt(0) == '@')
            target->onSignal(text);
        else
            target->onSignal(CXString("ONSIGNAL^") + text);
        return nullptr;
    }
    case kAddToGroup:
    case kAddToArray: {
        // Either id adds to the named object by that object's own type (a GROUP
        // takes the target, an ARRAY a copy of its value); other objects are ignored.
        if (count < 1 || !container) return nullptr;
        CXString name = getParameterText(arguments, 0);
        if (CMC_Object* collection = container->getObject(name)) {
            if (collection != target) CMC_TypeTable::addTo(collection, target);
        }
        return nullptr;
    }
    case kGetName:
        return CMC_VariableFactory::newString(target->getName());
    case kClone: {
        int n = 1;
        if (count >= 1) {
            n = parameterInt(arguments, 0);
        }
        target->clone(n);
        return nullptr;
    }
    case kAddBehaviour: {
        if (count < 2) return nullptr;
        CXString key = eventKey(getParameterText(arguments, 0));
        CXString behaviourName = getParameterText(arguments, 1);
        CMC_Behaviour* behaviour = nullptr;
        if (container) behaviour = dynamic_cast<CMC_Behaviour*>(container->getObject(behaviourName));
        CXArray* handlerArguments = nullptr;
        if (count > 2) {
            handlerArguments = new CXArray(count - 2, kListLoadFactor);
            for (int i = 2; i < count; ++i) handlerArguments->add(new CXString(getParameterText(arguments, i)));
        }
        target->addBehaviour(key, behaviour, handlerArguments, container);
        return nullptr;
    }
    case kGetCloneIndex:
        return CMC_VariableFactory::newInteger(target->getCloneIdx());
    case kMsgBox:
        return nullptr;
    case kResetClones:
        target->resetClones();
        return nullptr;
    case kRemoveBehaviour:
        if (count >= 1) target->removeBehaviour(eventKey(getParameterText(arguments, 0)), container);
        return nullptr;
    case kGetClonesNo:
        return CMC_VariableFactory::newInteger(target->getClonesNo());
    case kRemoveAllBehaviours:
        target->removeAllBehaviours();
        return nullptr;
    case kRemoveBehaviourForce:
        if (count >= 1) target->removeBehaviourForce(eventKey(getParameterText(arguments, 0)));
        return nullptr;
    case kOverideSignals:
        if (count >= 1) target->overideSignals(parameterBool(arguments, 0));
        return nullptr;
    default:
        return nullptr;
    }
}
