#include "scene/CMC_Dialog_Runner.h"

#include "scene/CMC_ButtonHolder.h"
#include "scene/CMC_Dialog.h"
#include "scene/CXDialog.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_RunnerFactory.h"

namespace {

const bool g_registered = CMC_RunnerFactory::registerRunner(
    CMC_RunnerFactory::kDialog, []() -> CMC_Runner* { return new CMC_Dialog_Runner(); });

}  // namespace

void CMC_Dialog_Runner::prepareMthHashSet() {
    (void)g_registered;
    CMC_Runner::prepareMthHashSet();
    putMethod("SHOW", kShow);
    putMethod("HIDE", kHide);
    putMethod("SETBACKGROUND", kSetBackground);
    putMethod("ADD", kAdd);
}

CGraphicsObject* CMC_Dialog_Runner::graphicOf(CMC_Object* object) {
    if (!object) return nullptr;
    const int type = object->getType();
    if (type != kImageType && type != kAnimoType && type != kTextType) return nullptr;
    CMC_ObjectsContainer::GraphicsAccessor accessor = CMC_ObjectsContainer::getGraphicsAccessor(type);
    return accessor ? accessor(object, CXString()) : nullptr;
}

CMC_Variable* CMC_Dialog_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                     CXVector* arguments) {
    auto* object = dynamic_cast<CMC_Dialog*>(target);
    if (!object || id < kShow || id > kAdd) return CMC_Runner::run(id, target, container, arguments);
    CXDialog* dialog = object->getDialog();
    if (!dialog) return nullptr;
    switch (id) {
    case kShow: dialog->show(); return nullptr;
    case kHide: dialog->hide(); return nullptr;
    default: break;
    }
    if (argumentCount(arguments) < 1 || !container) return nullptr;
    CMC_Object* named = container->getObject(getParameterText(arguments, 0));
    if (!named) return nullptr;
    const int type = named->getType();
    if (id == kSetBackground) {
        if (type == kImageType || type == kAnimoType)
            if (CGraphicsObject* g = graphicOf(named)) dialog->setBackground(g);
        return nullptr;
    }
    if (type == kButtonType) {
        if (auto* holder = dynamic_cast<CMC_ButtonHolder*>(named); holder && holder->getButton())
            dialog->add(holder->getButton());
        return nullptr;
    }
    if (CGraphicsObject* g = graphicOf(named)) dialog->add(g);
    return nullptr;
}
