#include "media/CMC_CanvasObserver_Runner.h"

#include <memory>

#include "graphics/screen/CDirectDrawSurface.h"
#include "graphics/screen/CRefreshScreen.h"
#include "media/CMC_CanvasObserver.h"
#include "script/CMC_Bool.h"
#include "script/CMC_Integer.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_String.h"
#include "script/CMC_VariableFactory.h"
#include "shell/CWindow.h"

namespace {

const bool g_registered = CMC_RunnerFactory::registerRunner(
    CMC_RunnerFactory::kCanvasObserver, []() -> CMC_Runner* { return new CMC_CanvasObserver_Runner(); });

using R = CMC_CanvasObserver_Runner;

int requiredArguments(int id) {
    switch (id) {
    case R::kAdd:
    case R::kRemove:
    case R::kSetBackground:
    case R::kSave:
    case R::kEnableNotify: return 1;
    case R::kGetGraphicsAt:
    case R::kGetGraphicsAt2:
    case R::kMoveBkg:
    case R::kSetBkgPos: return 2;
    case R::kPaste: return 3;
    default: return 0;
    }
}

CMC_Variable* emptyResult(int id) {
    switch (id) {
    case R::kGetGraphicsAt:
    case R::kGetGraphicsAt2: return CMC_VariableFactory::newString(CXString("NULL"));
    case R::kGetBpp: return CMC_VariableFactory::newInteger(0);
    default: return nullptr;
    }
}

}  // namespace

void CMC_CanvasObserver_Runner::prepareMthHashSet() {
    (void)g_registered;
    CMC_Runner::prepareMthHashSet();
    putMethod("REFRESH", kRefresh);
    putMethod("ADD", kAdd);
    putMethod("REMOVE", kRemove);
    putMethod("SETBACKGROUND", kSetBackground);
    putMethod("GETGRAPHICSAT", kGetGraphicsAt);
    putMethod("MOVEBKG", kMoveBkg);
    putMethod("SETBKGPOS", kSetBkgPos);
    putMethod("SAVE", kSave);
    putMethod("ENABLENOTIFY", kEnableNotify);
    putMethod("REDRAW", kRedraw);
    putMethod("GETBPP", kGetBpp);
    putMethod("PASTE", kPaste);
    putMethod("GETGRAPHICSAT2", kGetGraphicsAt2);
}

CMC_Variable* CMC_CanvasObserver_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                             CXVector* arguments) {
    auto* object = dynamic_cast<CMC_CanvasObserver*>(target);
    if (!object || id < kRefresh || id > kGetGraphicsAt2) return CMC_Runner::run(id, target, container, arguments);
    CRefreshScreen* screen = object->getCanvas();
    const int n = argumentCount(arguments);
    if (!screen || n < requiredArguments(id)) return emptyResult(id);
    auto graphicsOf = [&](int i) -> CGraphicsObject* {
        return container ? container->getGraphicsObject(getParameterText(arguments, i)) : nullptr;
    };
    switch (id) {
    case kRefresh: screen->Invalidate(static_cast<CXRect*>(nullptr)); return nullptr;
    // Being on the screen is membership, not a priority: graphics can stand there at a
    // negative one.
    case kAdd:
        if (CGraphicsObject* g = graphicsOf(0))
            if (screen->getIndex(g) < 0) screen->put(g, n > 1 ? parameterInt(arguments, 1) : 1000);
        return nullptr;
    case kRemove:
        if (CGraphicsObject* g = graphicsOf(0))
            if (screen->getIndex(g) >= 0) *screen >> g;
        return nullptr;
    case kSetBackground:
        if (CGraphicsObject* g = graphicsOf(0))
            screen->SetBackground(g);
        else
            screen->SetBackground(getParameterText(arguments, 0));
        screen->Invalidate(static_cast<CXRect*>(nullptr));
        return nullptr;
    case kGetGraphicsAt:
    case kGetGraphicsAt2: {
        const CXString name = object->getGraphicsAt(
            container, parameterInt(arguments, 0), parameterInt(arguments, 1), n > 2 && parameterBool(arguments, 2),
            n >= 5 ? parameterInt(arguments, 3) : -1, n >= 5 ? parameterInt(arguments, 4) : -1,
            n >= 6 && parameterBool(arguments, 5), id == kGetGraphicsAt2);
        return name.getLength() == 0 ? emptyResult(id) : CMC_VariableFactory::newString(name);
    }
    case kMoveBkg:
    case kSetBkgPos:
        if (CDirectDrawSurface* background = screen->getBackgroundIfc()) {
            if (id == kMoveBkg)
                background->Move(parameterInt(arguments, 0), parameterInt(arguments, 1));
            else
                background->setPosition(CXPoint(parameterInt(arguments, 0), parameterInt(arguments, 1)));
            screen->Invalidate(static_cast<CXRect*>(nullptr));
        }
        return nullptr;
    case kSave: {
        CDirectDrawSurface* drawn = screen->getRefreshDestiny();
        if (!drawn) return nullptr;
        const double sx = n > 1 ? parameterDouble(arguments, 1) : 1.0;
        const double sy = n > 2 ? parameterDouble(arguments, 2) : 1.0;
        auto copy = std::make_unique<CGraphicsObject>(screen->getWindow());
        copy->Copy(drawn);
        if (n > 3) {
            const CXRect r(parameterInt(arguments, 3), parameterInt(arguments, 4), parameterInt(arguments, 5),
                           parameterInt(arguments, 6));
            if (r.Width() != 0 && r.Height() != 0) copy->crop(r);
        }
        if (sx != 1.0 || sy != 1.0) copy->Scale(sx, sy);
        copy->Save(getParameterText(arguments, 0), COMPRESSION_NONE);
        return nullptr;
    }
    case kEnableNotify: object->enableNotify(parameterBool(arguments, 0)); return nullptr;
    case kRedraw:
        screen->Invalidate(static_cast<CXRect*>(nullptr));
        // Inside a pass (from ONUPDATE or ONUPDATED) a nested pass would raise the
        // events again without end: the invalidation is all.
        if (!screen->isRedrawing())
            if (CWindow* window = container ? container->getWindow() : nullptr) window->Redraw(false);
        return nullptr;
    case kGetBpp: return CMC_VariableFactory::newInteger(screen->GetBpp());
    case kPaste: {
        CGraphicsObject* g = graphicsOf(0);
        CDirectDrawSurface* background = screen->getBackgroundIfc();
        if (!g || !background) return nullptr;
        const CXPoint at = g->getPosition();
        const CXRect clip = g->GetClippingRect();
        g->setPosition(CXPoint(parameterInt(arguments, 1), parameterInt(arguments, 2)));
        g->redraw(background);
        g->setPosition(at);
        g->SetClippingRect(clip);
        return nullptr;
    }
    default: return nullptr;
    }
}
