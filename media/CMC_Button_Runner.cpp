#include "media/CMC_Button_Runner.h"

#include "graphics/core/CGraphicsObject.h"
#include "graphics/input/CButton.h"
#include "media/CMC_Button.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_Integer.h"
#include "script/CMC_String.h"
#include "script/CMC_VariableFactory.h"

namespace {

const bool g_registered = CMC_RunnerFactory::registerRunner(
    CMC_RunnerFactory::kButton, []() -> CMC_Runner* { return new CMC_Button_Runner(); });

int requiredArguments(int id) {
    switch (id) {
    case CMC_Button_Runner::kSetRect:
    case CMC_Button_Runner::kAccent:
    case CMC_Button_Runner::kSetStd:
    case CMC_Button_Runner::kSetOnMove:
    case CMC_Button_Runner::kSetOnClick:
    case CMC_Button_Runner::kSetPriority: return 1;
    default: return 0;
    }
}

}  // namespace

void CMC_Button_Runner::prepareMthHashSet() {
    (void)g_registered;
    CMC_Runner::prepareMthHashSet();
    static const char* const names[] = {"SETRECT",    "ENABLE",     "DISABLE",     "ENABLEDRAGGING",
                                        "DISABLEDRAGGING", "DISABLEBUTVISIBLE", "ACCENT", "SETSTD",
                                        "SETONMOVE",  "SETONCLICK", "SETPRIORITY", "GETPRIORITY",
                                        "GETSTD",     "GETONMOVE",  "GETONCLICK",  "SYN"};
    for (int i = 0; i < 16; ++i) putMethod(names[i], i + 1);
}

CMC_Variable* CMC_Button_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                     CXVector* arguments) {
    auto* object = dynamic_cast<CMC_Button*>(target);
    if (!object || id < kSetRect || id > kSyn) return CMC_Runner::run(id, target, container, arguments);
    CButton* button = object->getButton();
    if (!button || argumentCount(arguments) < requiredArguments(id)) return nullptr;
    return runOn(id, button, container, arguments);
}

CMC_Variable* CMC_Button_Runner::runOn(int id, CButton* button, CMC_ObjectsContainer* container,
                                       CXVector* arguments) {
    const int count = argumentCount(arguments);
    auto graphicNamed = [&](int i) -> CGraphicsObject* {
        return container ? container->getGraphicsObject(getParameterText(arguments, i)) : nullptr;
    };
    auto nameOf = [&](CGraphicsObject* g) {
        return CMC_VariableFactory::newString(container ? container->getGraphicsObjectName(g, true)
                                                        : CXString("UNKNOWN"));
    };
    switch (id) {
    case kSetRect:
        if (count == 1) {
            CGraphicsObject* g = graphicNamed(0);
            button->SetActiveRect(g ? g->GetBoundingBox() : CXRect(0, 0, 0, 0));
        } else if (count >= 4) {
            button->SetActiveRect(CXRect(parameterInt(arguments, 0), parameterInt(arguments, 1),
                                         parameterInt(arguments, 2), parameterInt(arguments, 3)));
        }
        return nullptr;
    case kEnable: button->Enable(true); return nullptr;
    case kDisable: button->Enable(false); return nullptr;
    case kEnableDragging: button->EnableDragging(true); return nullptr;
    case kDisableDragging: button->EnableDragging(false); return nullptr;
    case kDisableButVisible: button->DisableButVisible(); return nullptr;
    case kAccent: button->Accent(graphicNamed(0), count > 1 && parameterBool(arguments, 1)); return nullptr;
    case kSetStd:
        button->Set(graphicNamed(0), nullptr, count > 1 ? parameterBool(arguments, 1) : true,
                    count > 2 && parameterBool(arguments, 2));
        return nullptr;
    case kSetOnMove: button->SetOnMove(graphicNamed(0), button->GetSOOnMove()); return nullptr;
    case kSetOnClick: button->SetOnClick(graphicNamed(0), button->GetSOOnClick()); return nullptr;
    case kSetPriority: button->setPriority(parameterInt(arguments, 0)); return nullptr;
    case kGetPriority: return CMC_VariableFactory::newInteger(button->getPriority());
    case kGetStd: return nameOf(button->GetStandard());
    case kGetOnMove: return nameOf(button->GetOnMove());
    case kGetOnClick: return nameOf(button->GetOnClick());
    case kSyn: button->SYN(); return nullptr;
    default: return nullptr;
    }
}
