#include "scene/CMC_Mouse_Runner.h"

#include "platform/Input.h"
#include "scene/CMC_Mouse.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_Bool.h"
#include "script/CMC_Integer.h"
#include "script/CMC_VariableFactory.h"
#include "shell/CWindow.h"

namespace {

const bool g_registered = CMC_RunnerFactory::registerRunner(
    CMC_RunnerFactory::kMouse, []() -> CMC_Runner* { return new CMC_Mouse_Runner(); });

struct MethodRow {
    const char* name;
    int id;
    int arguments;  // needed
};

constexpr MethodRow kMethods[] = {
    {"SHOW", CMC_Mouse_Runner::kShow, 0},
    {"HIDE", CMC_Mouse_Runner::kHide, 0},
    {"ENABLE", CMC_Mouse_Runner::kEnable, 0},
    {"DISABLE", CMC_Mouse_Runner::kDisable, 0},
    {"GETPOSX", CMC_Mouse_Runner::kGetPosX, 0},
    {"GETPOSY", CMC_Mouse_Runner::kGetPosY, 0},
    {"GETLASTCLICKPOSX", CMC_Mouse_Runner::kGetLastClickPosX, 0},
    {"GETLASTCLICKPOSY", CMC_Mouse_Runner::kGetLastClickPosY, 0},
    {"SET", CMC_Mouse_Runner::kSet, 1},
    {"SETPOSITION", CMC_Mouse_Runner::kSetPosition, 2},
    {"MOVE", CMC_Mouse_Runner::kMove, 2},
    {"CLICK", CMC_Mouse_Runner::kClick, 2},
    {"ENABLESIGNAL", CMC_Mouse_Runner::kEnableSignal, 0},
    {"DISABLESIGNAL", CMC_Mouse_Runner::kDisableSignal, 0},
    {"MOUSERELEASE", CMC_Mouse_Runner::kMouseRelease, 2},
    {"SETCLIPRECT", CMC_Mouse_Runner::kSetClipRect, 4},
    {"LOCKACTIVECURSOR", CMC_Mouse_Runner::kLockActiveCursor, 1},
    {"ISLBUTTONDOWN", CMC_Mouse_Runner::kIsLButtonDown, 0},
    {"ISRBUTTONDOWN", CMC_Mouse_Runner::kIsRButtonDown, 0},
    {"SETACTIVERECT", CMC_Mouse_Runner::kSetActiveRect, 4},
};

const MethodRow* rowOf(int id) {
    for (const MethodRow& row : kMethods)
        if (row.id == id) return &row;
    return nullptr;
}

CWindow* windowOf(CMC_Object* target) {
    CMC_ObjectsContainer* scene = target->getScene();
    return scene ? scene->getWindow() : nullptr;
}

} // namespace

void CMC_Mouse_Runner::prepareMthHashSet() {
    (void)g_registered;
    CMC_Runner::prepareMthHashSet();
    for (const MethodRow& row : kMethods) putMethod(row.name, row.id);
}

void CMC_Mouse_Runner::press(CMC_Object* target, CXVector* arguments, bool down) {
    CWindow* window = windowOf(target);
    if (!window) return;
    const CXPoint p(parameterInt(arguments, 0), parameterInt(arguments, 1));
    const CXString button = argumentCount(arguments) > 2 ? getParameterText(arguments, 2) : CXString("LEFT");
    if (button == "LEFT") {
        down ? window->OnLButtonDown(p, 0) : window->OnLButtonUp(p, 0);
    } else if (button == "MIDDLE") {
        down ? window->OnMButtonDown(p, 0) : window->OnMButtonUp(p, 0);
    } else if (button == "RIGHT") {
        down ? window->OnRButtonDown(p, 0) : window->OnRButtonUp(p, 0);
    }
}

CMC_Variable* CMC_Mouse_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) {
    auto* mouse = dynamic_cast<CMC_Mouse*>(target);
    const MethodRow* row = rowOf(id);
    if (!mouse || !row) return CMC_Runner::run(id, target, container, arguments);
    if (argumentCount(arguments) < row->arguments) return nullptr;
    switch (id) {
    case kShow:
        mouse->show();
        return nullptr;
    case kHide:
        mouse->hide();
        return nullptr;
    case kEnable:
        mouse->enable();
        return nullptr;
    case kDisable:
        mouse->disable();
        return nullptr;
    case kGetPosX:
        return CMC_VariableFactory::newInteger(mouse->getPosX());
    case kGetPosY:
        return CMC_VariableFactory::newInteger(mouse->getPosY());
    case kGetLastClickPosX:
        return CMC_VariableFactory::newInteger(mouse->getLastClickPosX());
    case kGetLastClickPosY:
        return CMC_VariableFactory::newInteger(mouse->getLastClickPosY());
    case kSet:
        mouse->set(getParameterText(arguments, 0));
        return nullptr;
    case kSetPosition:
        mouse->setPosition(parameterInt(arguments, 0), parameterInt(arguments, 1));
        return nullptr;
    case kMove:
        mouse->move(CXPoint(parameterInt(arguments, 0), parameterInt(arguments, 1)));
        return nullptr;
    case kClick:
        press(mouse, arguments, true);
        return nullptr;
    case kEnableSignal:
        mouse->enableSignal();
        return nullptr;
    case kDisableSignal:
        mouse->disableSignal();
        return nullptr;
    case kMouseRelease:
        press(mouse, arguments, false);
        return nullptr;
    case kSetClipRect: {
        const int l = parameterInt(arguments, 0), t = parameterInt(arguments, 1);
        const int r = parameterInt(arguments, 2), b = parameterInt(arguments, 3);
        if (l == 0 && t == 0 && r == 0 && b == 0)
            CMC_Mouse::reset(true);
        else
            mouse->setClipRect(l, t, r, b);
        return nullptr;
    }
    case kLockActiveCursor:
        if (CWindow* window = windowOf(mouse)) {
            const bool lock = parameterBool(arguments, 0);
            window->EndWaitCursor();
            window->lockActiveCursor(lock);
        }
        return nullptr;
    case kIsLButtonDown:
        return CMC_VariableFactory::newBool(platform::input().isButtonDown(0));
    case kIsRButtonDown:
        return CMC_VariableFactory::newBool(platform::input().isButtonDown(2));
    case kSetActiveRect:
        mouse->setActiveRect(CXRect(parameterInt(arguments, 0), parameterInt(arguments, 1), parameterInt(arguments, 2),
                                    parameterInt(arguments, 3)));
        return nullptr;
    default:
        return CMC_Runner::run(id, target, container, arguments);
    }
}
