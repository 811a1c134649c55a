#include "media/CMC_EditBox_Runner.h"

#include "graphics/input/CEditBox6.h"
#include "media/CMC_EditBox.h"
#include "media/CMC_Font_Runner.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_Integer.h"
#include "script/CMC_String.h"
#include "script/CMC_VariableFactory.h"

namespace {

const bool g_registered = CMC_RunnerFactory::registerRunner(
    CMC_RunnerFactory::kEditBox, []() -> CMC_Runner* { return new CMC_EditBox_Runner(); });

int requiredArguments(int id) {
    switch (id) {
    case CMC_EditBox_Runner::kSetText:
    case CMC_EditBox_Runner::kAddText:
    case CMC_EditBox_Runner::kSetPriority:
    case CMC_EditBox_Runner::kSetCursorPos:
    case CMC_EditBox_Runner::kSetReadOnly:
    case CMC_EditBox_Runner::kEnableNL: return 1;
    case CMC_EditBox_Runner::kMove:
    case CMC_EditBox_Runner::kSetPosition: return 2;
    case CMC_EditBox_Runner::kSetColor: return 3;
    case CMC_EditBox_Runner::kSetRect: return 4;
    default: return 0;
    }
}

}  // namespace

void CMC_EditBox_Runner::prepareMthHashSet() {
    (void)g_registered;
    CMC_Runner::prepareMthHashSet();
    static const char* const names[] = {"SETTEXT",     "GETTEXT",      "ACTIVE",  "DEACTIVE", "ENABLE",
                                        "DISABLE",     "ADDTEXT",      "MOVE",    "SETPOSITION", "SETPRIORITY",
                                        "SETCURSORPOS", "SETRECT",     "SETCOLOR", "SETREADONLY", "ENABLENL"};
    for (int i = 0; i < 15; ++i) putMethod(names[i], i + 1);
}

CMC_Variable* CMC_EditBox_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                      CXVector* arguments) {
    auto* object = dynamic_cast<CMC_EditBox*>(target);
    if (!object || id < kSetText || id > kEnableNL) return CMC_Runner::run(id, target, container, arguments);
    CEditBox6* box = object->getEditBox();
    if (!box) return id == kGetText ? CMC_VariableFactory::newString(CXString()) : nullptr;
    if (argumentCount(arguments) < requiredArguments(id)) return nullptr;
    return runOn(id, box, container, arguments);
}

CMC_Variable* CMC_EditBox_Runner::runOn(int id, CEditBox6* box, CMC_ObjectsContainer* container,
                                        CXVector* arguments) {
    switch (id) {
    case kSetText: box->setText(getParameterText(arguments, 0)); return nullptr;
    case kGetText: return CMC_VariableFactory::newString(box->getText());
    case kActive: box->activate(true); return nullptr;
    case kDeactive: box->activate(false); return nullptr;
    case kEnable: box->enable(true); return nullptr;
    case kDisable: box->enable(false); return nullptr;
    case kAddText: box->setText(box->getText() + getParameterText(arguments, 0)); return nullptr;
    case kMove: box->move(CXPoint(parameterInt(arguments, 0), parameterInt(arguments, 1))); return nullptr;
    case kSetPosition:
        box->setPosition(CXPoint(parameterInt(arguments, 0), parameterInt(arguments, 1)));
        return nullptr;
    case kSetPriority: box->setPriority(parameterInt(arguments, 0)); return nullptr;
    case kSetCursorPos: box->setCursorPos(parameterInt(arguments, 0)); return nullptr;
    case kSetRect:
        box->setRect(CXRect(parameterInt(arguments, 0), parameterInt(arguments, 1), parameterInt(arguments, 2),
                            parameterInt(arguments, 3)));
        return nullptr;
    case kSetColor:
        box->setColor(CMC_Font_Runner::screenColor(container, parameterInt(arguments, 0), parameterInt(arguments, 1),
                                                   parameterInt(arguments, 2)));
        return nullptr;
    case kSetReadOnly: box->setLocked(parameterBool(arguments, 0)); return nullptr;
    case kEnableNL: box->setSingleLine(!parameterBool(arguments, 0)); return nullptr;
    default: return nullptr;
    }
}
