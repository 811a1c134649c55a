#include "scene/CMC_Keyboard_Runner.h"

#include "scene/CMC_Keyboard.h"
#include "script/CMC_Array.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_String.h"
#include "script/CMC_Bool.h"
#include "script/CMC_Integer.h"
#include "script/CMC_VariableFactory.h"
#include "shell/CKeyboard.h"
#include "shell/CWindow.h"

namespace {

const bool g_registered = CMC_RunnerFactory::registerRunner(
    CMC_RunnerFactory::kKeyboard, []() -> CMC_Runner* { return new CMC_Keyboard_Runner(); });

CKeyboard* deviceOf(CMC_Keyboard* keyboard) {
    CWindow* window = keyboard->getWindow();
    return window ? window->getKeyboardInterface() : nullptr;
}

} // namespace

void CMC_Keyboard_Runner::prepareMthHashSet() {
    (void)g_registered;
    CMC_Runner::prepareMthHashSet();
    putMethod("ENABLE", kEnable);
    putMethod("DISABLE", kDisable);
    putMethod("SETAUTOREPEAT", kSetAutoRepeat);
    putMethod("ISKEYDOWN", kIsKeyDown);
    putMethod("GETLATESTKEY", kGetLatestKey);
    putMethod("ISENABLED", kIsEnabled);
    putMethod("GETLATESTKEYS", kGetLatestKeys);
}

CMC_Variable* CMC_Keyboard_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                       CXVector* arguments) {
    auto* keyboard = dynamic_cast<CMC_Keyboard*>(target);
    if (!keyboard) return CMC_Runner::run(id, target, container, arguments);
    switch (id) {
    case kEnable:
        keyboard->enable();
        return nullptr;
    case kDisable:
        keyboard->disable();
        return nullptr;
    case kSetAutoRepeat:
        if (argumentCount(arguments) < 1) return nullptr;
        if (CKeyboard* device = deviceOf(keyboard)) device->setAutoRepeat(parameterBool(arguments, 0));
        return nullptr;
    case kIsKeyDown: {
        CKeyboard* device = deviceOf(keyboard);
        if (argumentCount(arguments) == 0) return CMC_VariableFactory::newBool(device && device->isAnyKeyPressed());
        const CXString key = getParameterText(arguments, 0);
        return CMC_VariableFactory::newBool(keyboard->isEnabled() && device && device->isKeyPressed(key));
    }
    case kGetLatestKey:
        return CMC_VariableFactory::newString(keyboard->getLatestKey());
    case kIsEnabled:
        return CMC_VariableFactory::newBool(keyboard->isEnabled());
    case kGetLatestKeys: {
        if (argumentCount(arguments) < 1 || !container) return nullptr;
        auto* array = dynamic_cast<CMC_Array*>(container->getObject(getParameterText(arguments, 0)));
        if (!array) return nullptr;
        std::deque<CXString>* keys = keyboard->getLatestKeys();
        // The count at the start: handlers of the array's change events may add keys.
        for (size_t n = keys->size(); n > 0 && !keys->empty(); --n) {
            CMC_String* value = CMC_VariableFactory::newString(keys->front());
            keys->pop_front();
            array->add(value);
            CMC_Object::flush(value);
        }
        return nullptr;
    }
    default:
        return CMC_Runner::run(id, target, container, arguments);
    }
}
