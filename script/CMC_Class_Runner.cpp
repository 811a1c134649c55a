#include "script/CMC_Class_Runner.h"

#include "foundation/CXArray.h"
#include "foundation/CXVector.h"
#include "script/CMC_Behaviour.h"
#include "script/CMC_Class.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_Variable.h"
#include "script/CMC_VariableFactory.h"

namespace {

const bool g_registered = CMC_RunnerFactory::registerRunner(
    CMC_RunnerFactory::kClass, []() -> CMC_Runner* { return new CMC_Class_Runner(); });

constexpr float kLoadFactor = 0.75f;

bool holds(CMC_ObjectsContainer* container, CMC_Object* object) {
    const CXVector* list = container->getObjectList();
    for (int i = 0; list && i < list->getCount(); ++i)
        if (list->at(i) == object) return true;
    return false;
}

}  // namespace

void CMC_Class_Runner::prepareMthHashSet() {
    (void)g_registered;
    CMC_Runner::prepareMthHashSet();
    putMethod("NEW", kNew);
    putMethod("DELETE", kDelete);
}

CMC_Variable* CMC_Class_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                    CXVector* arguments) {
    switch (id) {
    case kNew: return _new(target, container, arguments);
    case kDelete: return _delete(target, container, arguments);
    default: return CMC_Runner::run(id, target, container, arguments);
    }
}

CMC_Variable* CMC_Class_Runner::run(CXString name, CMC_Object* target, CMC_ObjectsContainer* container,
                                    CXVector* arguments) {
    const int id = resolveMethod(name);
    if (id == kUnknownMethod) return runClass(target, container, arguments, name);
    return run(id, target, container, arguments);
}

CMC_Variable* CMC_Class_Runner::_new(CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) {
    auto* classObject = dynamic_cast<CMC_Class*>(target);
    if (!classObject || !container || argumentCount(arguments) < 1) return nullptr;
    CMC_Class* instance = classObject->newInstance(getParameterText(arguments, 0));
    container->addObject(instance);
    return runClass(instance, container, arguments, CXString("CONSTRUCTOR"));
}

CMC_Variable* CMC_Class_Runner::_delete(CMC_Object*, CMC_ObjectsContainer* container, CXVector* arguments) {
    if (!container || argumentCount(arguments) < 1) return nullptr;
    // Only a class instance that the calling container itself holds is deleted: an
    // object of a parent scope stays where it is, and other types are no scopes.
    auto* instance = dynamic_cast<CMC_Class*>(container->getObject(getParameterText(arguments, 0)));
    if (!instance || instance->getType() != CMC_Class::kType || !holds(container, instance) ||
        instance->isBeingDeleted())
        return nullptr;
    instance->setBeingDeleted();
    CMC_Variable* result = runClass(instance, container, arguments, CXString("DESTRUCTOR"));
    // The instance goes only once it is out of the container; when one of its own
    // methods is still running, it goes when that run ends.
    if (container->removeObject(instance)) instance->unloadAndDelete();
    return result;
}

CMC_Variable* CMC_Class_Runner::runClass(CMC_Object* object, CMC_ObjectsContainer*, CXVector* arguments,
                                         CXString method) {
    auto* scope = dynamic_cast<CMC_ObjectsContainer*>(object);
    if (!scope) return nullptr;
    auto* behaviour = dynamic_cast<CMC_Behaviour*>(scope->getObject(method));
    if (!behaviour) return nullptr;

    const int count = argumentCount(arguments);
    CXArray* texts = nullptr;
    if (count > 0) {
        texts = new CXArray(count, kLoadFactor);
        for (int i = 0; i < count; ++i) texts->add(new CXString(getParameterText(arguments, i)));
    }

    // A class object or instance is kept alive until its last method run ends.
    auto* classObject = dynamic_cast<CMC_Class*>(object);
    if (classObject) classObject->enterMethod();
    CMC_ObjectsContainer* previous = behaviour->getScene();
    behaviour->setScene(scope);
    behaviour->run(object, texts, false);
    behaviour->setScene(previous);

    CMC_Variable* result = nullptr;
    if (auto* value = dynamic_cast<CMC_Variable*>(scope->getObject("__RETURN__")))
        result = CMC_VariableFactory::copyVariable(value);
    CXString::releaseToVector(texts);
    if (classObject) classObject->leaveMethod();
    return result;
}
