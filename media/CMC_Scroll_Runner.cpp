#include "media/CMC_Scroll_Runner.h"

#include "media/CMC_Scroll.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_RunnerFactory.h"
#include "shell/CWindow.h"

namespace {

const bool g_registered = CMC_RunnerFactory::registerRunner(
    CMC_RunnerFactory::kScroll, []() -> CMC_Runner* { return new CMC_Scroll_Runner(); });

int requiredArguments(int id) {
    switch (id) {
    case CMC_Scroll_Runner::kAdd:
    case CMC_Scroll_Runner::kRemove:
    case CMC_Scroll_Runner::kScrollUp:
    case CMC_Scroll_Runner::kScrollDown:
    case CMC_Scroll_Runner::kScrollLeft:
    case CMC_Scroll_Runner::kScrollRight: return 1;
    case CMC_Scroll_Runner::kMoveViewport:
    case CMC_Scroll_Runner::kMove: return 2;
    case CMC_Scroll_Runner::kSetViewport: return 4;
    default: return 0;
    }
}

void invalidateWindow(CMC_ObjectsContainer* container) {
    if (CWindow* window = container ? container->getWindow() : nullptr) window->Invalidate();
}

}  // namespace

void CMC_Scroll_Runner::prepareMthHashSet() {
    (void)g_registered;
    CMC_Runner::prepareMthHashSet();
    putMethod("ADD", kAdd);
    putMethod("REMOVE", kRemove);
    putMethod("SCROLLUP", kScrollUp);
    putMethod("SCROLLDOWN", kScrollDown);
    putMethod("SCROLLLEFT", kScrollLeft);
    putMethod("SCROLLRIGHT", kScrollRight);
    putMethod("SETVIEWPORT", kSetViewport);
    putMethod("MOVEVIEWPORT", kMoveViewport);
    putMethod("MOVE", kMove);
    putMethod("INVALIDATE", kInvalidate);
}

CMC_Variable* CMC_Scroll_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                     CXVector* arguments) {
    auto* scroll = dynamic_cast<CMC_Scroll*>(target);
    if (!scroll || id < kAdd || id > kInvalidate) return CMC_Runner::run(id, target, container, arguments);
    if (argumentCount(arguments) < requiredArguments(id)) return nullptr;
    switch (id) {
    case kAdd:
        if (container) scroll->add(container->getGraphicsObject(getParameterText(arguments, 0)));
        return nullptr;
    case kRemove: scroll->remove(getParameterText(arguments, 0)); return nullptr;
    case kScrollUp: scroll->scrollUp(parameterInt(arguments, 0)); return nullptr;
    case kScrollDown: scroll->scrollDown(parameterInt(arguments, 0)); return nullptr;
    case kScrollLeft: scroll->scrollLeft(parameterInt(arguments, 0)); return nullptr;
    case kScrollRight: scroll->scrollRight(parameterInt(arguments, 0)); return nullptr;
    case kSetViewport:
        scroll->setViewport(CXRect(parameterInt(arguments, 0), parameterInt(arguments, 1), parameterInt(arguments, 2),
                                   parameterInt(arguments, 3)));
        invalidateWindow(container);
        return nullptr;
    case kMoveViewport:
        scroll->moveViewport(parameterInt(arguments, 0), parameterInt(arguments, 1));
        invalidateWindow(container);
        return nullptr;
    case kMove:
        scroll->move(parameterInt(arguments, 0), parameterInt(arguments, 1));
        invalidateWindow(container);
        return nullptr;
    case kInvalidate:
        scroll->invalidate();
        invalidateWindow(container);
        return nullptr;
    default: return nullptr;
    }
}
