#include "script/CMC_Vector_Runner.h"

#include "foundation/CXVector.h"
#include "script/CMC_Behaviour.h"
#include "script/CMC_Double.h"
#include "script/CMC_Integer.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_String.h"
#include "script/CMC_Variable.h"
#include "script/CMC_VariableFactory.h"
#include "script/CMC_Vector.h"

namespace {

const bool registered = CMC_RunnerFactory::registerRunner(
    CMC_RunnerFactory::kVector, []() -> CMC_Runner* { return new CMC_Vector_Runner(); });

// A name as a statement may pass it, with or without the double quotes.
CXString unquoted(CXString text) {
    const int n = text.getLength();
    if (n >= 2 && text.GetAt(0) == '"' && text.GetAt(n - 1) == '"') return text.Mid(1, n - 1);
    return text;
}

}  // namespace

void CMC_Vector_Runner::prepareMthHashSet() {
    CMC_Runner::prepareMthHashSet();
    putMethod("ADD", kAdd);
    putMethod("GET", kGet);
    putMethod("GETSIZE", kGetSize);
    putMethod("VMUL", kVMul);
    putMethod("SMUL", kSMul);
    putMethod("MUL", kMul);
    putMethod("LEN", kLen);
    putMethod("NORMALIZE", kNormalize);
    putMethod("REFLECT", kReflect);
    putMethod("EXPAND", kExpand);
    putMethod("SET", kSet);
    putMethod("ASSIGN", kAssign);
    putMethod("SUB", kSub);
    putMethod("NEG", kNeg);
}

CMC_Vector* CMC_Vector_Runner::vectorArgument(CXVector* arguments, int i, CMC_ObjectsContainer* container) {
    if (!arguments || i < 0 || i >= arguments->getCount()) return nullptr;
    CXObject* item = arguments->at(i);
    if (!item || CMC_Behaviour::controlCode(item)) return nullptr;
    if (auto* vector = dynamic_cast<CMC_Vector*>(item)) return vector;
    // A value: an expression's result, or a text that names the VECTOR.
    CMC_Variable* value = getParameter(arguments, i);
    if (!value || value->getType() != CMC_Variable::kString || !container) return nullptr;
    auto* text = dynamic_cast<CMC_String*>(value);
    if (!text) return nullptr;
    return dynamic_cast<CMC_Vector*>(container->getObject(unquoted(text->getValue())));
}

CMC_Variable* CMC_Vector_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                     CXVector* arguments) {
    auto* vector = dynamic_cast<CMC_Vector*>(target);
    if (!vector) return CMC_Runner::run(id, target, container, arguments);
    const int count = argumentCount(arguments);
    switch (id) {
    case kAdd:
    case kSub:
        for (int i = 0; i < count; ++i) {
            CMC_Vector* other = vectorArgument(arguments, i, container);
            if (id == kAdd)
                vector->add(other);
            else
                vector->sub(other);
        }
        return nullptr;
    case kGet: {
        if (count < 1) return nullptr;
        const int index = parameterInt(arguments, 0);
        if (index < 0 || index >= vector->getSize()) return nullptr;
        return CMC_VariableFactory::newDouble(vector->getComponent(index));
    }
    case kGetSize:
        return getSize(vector, arguments);
    case kVMul:
        return nullptr;
    case kSMul:
        return CMC_VariableFactory::newDouble(vector->dot(vectorArgument(arguments, 0, container)));
    case kMul:
        if (count >= 1) vector->mul(parameterDouble(arguments, 0));
        return nullptr;
    case kLen:
        return CMC_VariableFactory::newDouble(vector->length());
    case kNormalize:
        vector->normalize();
        return nullptr;
    case kReflect:
        vector->reflect(vectorArgument(arguments, 0, container), vectorArgument(arguments, 1, container));
        return nullptr;
    case kExpand:
        if (count >= 1) vector->expand(parameterInt(arguments, 0));
        return nullptr;
    case kSet:
        set(vector, container, arguments);
        return nullptr;
    case kAssign:
        for (int i = 0; i < count && i < vector->getSize(); ++i) vector->setComponent(i, parameterDouble(arguments, i));
        return nullptr;
    case kNeg:
        vector->neg();
        return nullptr;
    default:
        return CMC_Runner::run(id, target, container, arguments);
    }
}

CMC_Variable* CMC_Vector_Runner::getSize(CMC_Vector* vector, CXVector* arguments) {
    // The answer goes into an INTEGER given as the argument (a script variable is
    // set); any other argument, or none, gets a new INTEGER.
    if (CMC_Variable* argument = getParameter(arguments, 0)) {
        if (argument->getType() == CMC_Variable::kInteger) {
            if (auto* integer = dynamic_cast<CMC_Integer*>(argument)) {
                integer->setValue(vector->getSize());
                return integer;
            }
        }
    }
    return CMC_VariableFactory::newInteger(vector->getSize());
}

void CMC_Vector_Runner::set(CMC_Vector* vector, CMC_ObjectsContainer* container, CXVector* arguments) {
    const int count = argumentCount(arguments);
    if (count >= 2) {
        const int index = parameterInt(arguments, 0);
        vector->setComponent(index, parameterDouble(arguments, 1));
    } else if (count == 1) {
        // A VECTOR is copied; a plain value fills every component; any other
        // object changes nothing.
        if (CMC_Vector* other = vectorArgument(arguments, 0, container))
            vector->assign(other);
        else if (getArgument(arguments, 0))
            vector->fill(parameterDouble(arguments, 0));
    }
}
