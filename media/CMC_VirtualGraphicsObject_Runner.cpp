#include "media/CMC_VirtualGraphicsObject_Runner.h"

#include "graphics/canvas/CVirtualGraphicsObject.h"
#include "graphics/play/CAnimo.h"
#include "graphics/screen/CRefreshScreen.h"
#include "media/CMC_Animo.h"
#include "media/CMC_VirtualGraphicsObject.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_Bool.h"
#include "script/CMC_Integer.h"
#include "script/CMC_String.h"
#include "script/CMC_VariableFactory.h"
#include "shell/CWindow.h"

namespace {

const bool g_registered = CMC_RunnerFactory::registerRunner(
    CMC_RunnerFactory::kVGO, []() -> CMC_Runner* { return new CMC_VirtualGraphicsObject_Runner(); });

using R = CMC_VirtualGraphicsObject_Runner;

int requiredArguments(int id) {
    switch (id) {
    case R::kSetSource:
    case R::kSetMask:
    case R::kSetClipping:
    case R::kMonitorCollision:
    case R::kSetPriority: return 1;
    case R::kSetPosition:
    case R::kMove:
    case R::kIsNear:
    case R::kSetAsButton: return 2;
    case R::kIsInside: return 3;
    default: return 0;
    }
}

CMC_Variable* emptyResult(int id) {
    switch (id) {
    case R::kGetPositionX:
    case R::kGetPositionY:
    case R::kGetWidth:
    case R::kGetHeight: return CMC_VariableFactory::newInteger(0);
    case R::kIsNear:
    case R::kIsInside:
    case R::kIsVisible: return CMC_VariableFactory::newBool(false);
    default: return nullptr;
    }
}

}  // namespace

void CMC_VirtualGraphicsObject_Runner::prepareMthHashSet() {
    (void)g_registered;
    CMC_Runner::prepareMthHashSet();
    putMethod("SHOW", kShow);
    putMethod("HIDE", kHide);
    putMethod("SETPOSITION", kSetPosition);
    putMethod("MOVE", kMove);
    putMethod("SETSOURCE", kSetSource);
    putMethod("SETMASK", kSetMask);
    putMethod("CLEARCLIPPING", kClearClipping);
    putMethod("SETCLIPPING", kSetClipping);
    putMethod("GETPOSITIONX", kGetPositionX);
    putMethod("GETPOSITIONY", kGetPositionY);
    putMethod("GETWIDTH", kGetWidth);
    putMethod("GETHEIGHT", kGetHeight);
    putMethod("ISNEAR", kIsNear);
    putMethod("ISINSIDE", kIsInside);
    putMethod("MONITORCOLLISION", kMonitorCollision);
    putMethod("REMOVEMONITORCOLLISION", kRemoveMonitorCollision);
    putMethod("SETPRIORITY", kSetPriority);
    putMethod("INVALIDATE", kInvalidate);
    putMethod("ISVISIBLE", kIsVisible);
    putMethod("SETASBUTTON", kSetAsButton);
}

CMC_Variable* CMC_VirtualGraphicsObject_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                                    CXVector* arguments) {
    auto* object = dynamic_cast<CMC_VirtualGraphicsObject*>(target);
    if (!object || id < kShow || id > kSetAsButton) return CMC_Runner::run(id, target, container, arguments);
    CVirtualGraphicsObject* engine = object->getEngine();
    if (!engine || argumentCount(arguments) < requiredArguments(id)) return emptyResult(id);
    const int n = argumentCount(arguments);
    switch (id) {
    case kShow: engine->Visible(true); return nullptr;
    case kHide: engine->Visible(false); return nullptr;
    case kSetPosition:
        engine->Invalidate();
        engine->SetPosition(parameterInt(arguments, 0), parameterInt(arguments, 1));
        engine->Invalidate();
        return nullptr;
    case kMove: engine->Move(parameterInt(arguments, 0), parameterInt(arguments, 1)); return nullptr;
    case kSetSource:
        if (container)
            if (CGraphicsObject* g = container->getGraphicsObject(getParameterText(arguments, 0))) engine->setSource(g);
        return nullptr;
    case kSetMask: {
        if (!container) return nullptr;
        const CXString name = getParameterText(arguments, 0);
        CGraphicsObject* g = container->getGraphicsObject(name);
        if (!g) return nullptr;
        CMC_Object* owner = container->getObject(name);
        auto* animo = owner && owner->getType() == CMC_Animo::kType ? dynamic_cast<CAnimo*>(g) : nullptr;
        if (animo)
            engine->setMask(animo);
        else
            engine->setMask(g);
        return nullptr;
    }
    case kClearClipping: engine->SetClippingRect(0, 0, 0, 0); return nullptr;
    case kSetClipping:
        if (n == 1) {
            CGraphicsObject* g = container ? container->getGraphicsObject(getParameterText(arguments, 0)) : nullptr;
            engine->SetClippingRect(g ? g->GetBoundingBox() : CXRect());
        } else if (n >= 4) {
            engine->SetClippingRect(CXRect(parameterInt(arguments, 0), parameterInt(arguments, 1),
                                           parameterInt(arguments, 2), parameterInt(arguments, 3)));
        }
        return nullptr;
    case kGetPositionX: return CMC_VariableFactory::newInteger(engine->GetPosition().x);
    case kGetPositionY: return CMC_VariableFactory::newInteger(engine->GetPosition().y);
    case kGetWidth: return CMC_VariableFactory::newInteger(engine->Width());
    case kGetHeight: return CMC_VariableFactory::newInteger(engine->Height());
    case kIsNear:
        if (n == 2) {
            CGraphicsObject* g = container ? container->getGraphicsObject(getParameterText(arguments, 0)) : nullptr;
            return CMC_VariableFactory::newBool(g && engine->isNear(g, parameterInt(arguments, 1)));
        }
        if (n < 5) return emptyResult(id);
        return CMC_VariableFactory::newBool(engine->isNear(
            CXRect(parameterInt(arguments, 0), parameterInt(arguments, 1), parameterInt(arguments, 2),
                   parameterInt(arguments, 3)),
            parameterInt(arguments, 4)));
    case kIsInside: {
        const int x = parameterInt(arguments, 0);
        const int y = parameterInt(arguments, 1);
        if (!parameterBool(arguments, 2)) return CMC_VariableFactory::newBool(engine->isInside(x, y, false));
        // With alpha: the mask's alpha, as the hit test reads it.
        return CMC_VariableFactory::newBool(engine->GetBoundingBox().IsInRect(x, y) &&
                                            engine->testHit(CXPoint(x, y), false));
    }
    case kMonitorCollision: object->monitorCollisions(parameterBool(arguments, 0)); return nullptr;
    case kRemoveMonitorCollision:
        object->removeMonitorCollisions();
        engine->setMonitorCollisions(false);
        return nullptr;
    case kSetPriority: {
        CWindow* window = object->getWindow();
        if (CRefreshScreen* screen = window ? window->GetRefreshScreenInterface() : nullptr)
            screen->SetPriority(engine, parameterInt(arguments, 0));
        return nullptr;
    }
    case kInvalidate: engine->Invalidate(); return nullptr;
    case kIsVisible: return CMC_VariableFactory::newBool(engine->isVisible());
    case kSetAsButton: object->setAsButton(parameterBool(arguments, 0), parameterBool(arguments, 1)); return nullptr;
    default: return nullptr;
    }
}
