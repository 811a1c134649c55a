#include "scene/CMC_Joystick_Runner.h"

#include "scene/CMC_Joystick.h"
#include "script/CMC_Bool.h"
#include "script/CMC_Integer.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_VariableFactory.h"

namespace {

const bool g_registered = CMC_RunnerFactory::registerRunner(
    CMC_RunnerFactory::kJoystick, []() -> CMC_Runner* { return new CMC_Joystick_Runner(); });

// The axis index of "X", "Y" or "Z" (with case); -1 for any other text.
int axisOf(const CXString& name) {
    if (name == CXString("X")) return 0;
    if (name == CXString("Y")) return 1;
    if (name == CXString("Z")) return 2;
    return -1;
}

} // namespace

void CMC_Joystick_Runner::prepareMthHashSet() {
    (void)g_registered;
    CMC_Runner::prepareMthHashSet();
    putMethod("GETBUTTONSTATE", kGetButtonState);
    putMethod("GETPOSITION", kGetPosition);
    putMethod("ISLEFT", kIsLeft);
    putMethod("ISRIGHT", kIsRight);
}

CMC_Variable* CMC_Joystick_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                       CXVector* arguments) {
    auto* joystick = dynamic_cast<CMC_Joystick*>(target);
    if (!joystick) return CMC_Runner::run(id, target, container, arguments);
    switch (id) {
    case kGetButtonState:
        if (argumentCount(arguments) < 1) return nullptr;
        return CMC_VariableFactory::newInteger(joystick->getButtonState(parameterInt(arguments, 0)) ? 1 : 0);
    case kGetPosition: {
        if (argumentCount(arguments) < 1) return nullptr;
        const int axis = axisOf(getParameterText(arguments, 0));
        if (axis < 0) return CMC_VariableFactory::newInteger(0);
        return CMC_VariableFactory::newInteger(static_cast<int32_t>(joystick->getAxis(axis) * kPositionFactor));
    }
    case kIsLeft:
        return CMC_VariableFactory::newBool(joystick->getAxis(0) < 0);
    case kIsRight:
        return CMC_VariableFactory::newBool(joystick->getAxis(0) > 0);
    default:
        return CMC_Runner::run(id, target, container, arguments);
    }
}
