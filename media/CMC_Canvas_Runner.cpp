#include "media/CMC_Canvas_Runner.h"

#include <memory>

#include "graphics/canvas/CCanvas.h"
#include "graphics/screen/CRefreshScreen.h"
#include "media/CMC_Canvas.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_Bool.h"
#include "script/CMC_Integer.h"
#include "script/CMC_String.h"
#include "script/CMC_VariableFactory.h"
#include "shell/CWindow.h"

namespace {

const bool g_registered = CMC_RunnerFactory::registerRunner(
    CMC_RunnerFactory::kCanvas, []() -> CMC_Runner* { return new CMC_Canvas_Runner(); });

using R = CMC_Canvas_Runner;

int requiredArguments(int id) {
    switch (id) {
    case R::kAdd:
    case R::kRemove:
    case R::kSetPriority:
    case R::kSetOpacity:
    case R::kSetAsButton:
    case R::kSave: return 1;
    case R::kSetPosition:
    case R::kMove: return 2;
    case R::kErase:
    case R::kDraw: return 3;
    case R::kRecreate: return 6;
    default: return 0;
    }
}

bool isGetter(int id) { return id >= R::kGetPositionX && id <= R::kGetNumVisiblePixels; }

int visiblePixels(CCanvas* canvas) {
    CGraphicsObject* background = canvas->getBackground();
    const char* alpha = background ? background->AlphaChannel() : nullptr;
    if (!alpha || background->GetCompression() != COMPRESSION_NONE) return 0;
    const int64_t n = static_cast<int64_t>(background->Width()) * background->Height();
    int count = 0;
    for (int64_t i = 0; i < n; ++i) count += alpha[i] != 0;
    return count;
}

}  // namespace

void CMC_Canvas_Runner::prepareMthHashSet() {
    (void)g_registered;
    CMC_Runner::prepareMthHashSet();
    putMethod("ADD", kAdd);
    putMethod("REMOVE", kRemove);
    putMethod("SHOW", kShow);
    putMethod("HIDE", kHide);
    putMethod("SETPRIORITY", kSetPriority);
    putMethod("SETPOSITION", kSetPosition);
    putMethod("MOVE", kMove);
    putMethod("CLEAR", kClear);
    putMethod("CAPTURE", kCapture);
    putMethod("SETOPACITY", kSetOpacity);
    putMethod("SETASBUTTON", kSetAsButton);
    putMethod("ERASE", kErase);
    putMethod("DRAW", kDraw);
    putMethod("SAVE", kSave);
    putMethod("GETPOSITIONX", kGetPositionX);
    putMethod("GETPOSITIONY", kGetPositionY);
    putMethod("GETWIDTH", kGetWidth);
    putMethod("GETHEIGHT", kGetHeight);
    putMethod("GETNUMVISIBLEPIXELS", kGetNumVisiblePixels);
    putMethod("RECREATE", kRecreate);
}

CMC_Variable* CMC_Canvas_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) {
    auto* object = dynamic_cast<CMC_Canvas*>(target);
    if (!object || id < kAdd || id > kRecreate) return CMC_Runner::run(id, target, container, arguments);
    const int n = argumentCount(arguments);
    if (n < requiredArguments(id)) return isGetter(id) ? CMC_VariableFactory::newInteger(0) : nullptr;
    if (id == kRecreate) {
        object->create(CXSize(parameterInt(arguments, 0), parameterInt(arguments, 1)), parameterBool(arguments, 2),
                       parameterBool(arguments, 3), parameterInt(arguments, 4), parameterBool(arguments, 5));
        return nullptr;
    }
    if (id == kSetAsButton) {
        object->setAsButton(parameterBool(arguments, 0), n > 1 ? parameterBool(arguments, 1) : true);
        return nullptr;
    }
    CCanvas* canvas = object->getCanvas();
    if (!canvas) return isGetter(id) ? CMC_VariableFactory::newInteger(0) : nullptr;
    switch (id) {
    case kAdd: object->add(getParameterText(arguments, 0), n > 1 ? parameterInt(arguments, 1) : 0); return nullptr;
    case kRemove:
        if (container)
            if (CGraphicsObject* g = container->getGraphicsObject(getParameterText(arguments, 0))) canvas->remove(g);
        return nullptr;
    case kShow: canvas->Visible(true); return nullptr;
    case kHide: canvas->Visible(false); return nullptr;
    case kSetPriority:
        if (CRefreshScreen* s = object->screen()) s->SetPriority(canvas, parameterInt(arguments, 0));
        canvas->Invalidate();
        return nullptr;
    case kSetPosition:
        canvas->Invalidate();
        canvas->setPosition(CXPoint(parameterInt(arguments, 0), parameterInt(arguments, 1)));
        canvas->Invalidate();
        return nullptr;
    case kMove: canvas->Move(parameterInt(arguments, 0), parameterInt(arguments, 1)); return nullptr;
    case kClear:
        canvas->removeAll();
        canvas->clear(true);
        canvas->Invalidate();
        return nullptr;
    case kCapture: object->capture(n > 0 ? parameterBool(arguments, 0) : true); return nullptr;
    case kSetOpacity: canvas->SetOpacity(static_cast<uint8_t>(parameterInt(arguments, 0) & 0xFF)); return nullptr;
    case kErase:
    case kDraw: {
        CGraphicsObject* g = container ? container->getGraphicsObject(getParameterText(arguments, 0)) : nullptr;
        if (!g) return nullptr;
        if (id == kErase)
            canvas->erase(g, parameterInt(arguments, 1), parameterInt(arguments, 2));
        else
            canvas->draw(g->getDrawn(), parameterInt(arguments, 1), parameterInt(arguments, 2));
        return nullptr;
    }
    case kSave: {
        const CXString fileName = getParameterText(arguments, 0);
        const double sx = n > 1 ? parameterDouble(arguments, 1) : 1.0;
        const double sy = n > 2 ? parameterDouble(arguments, 2) : 1.0;
        CXRect r;
        if (n > 3)
            r = CXRect(parameterInt(arguments, 3), parameterInt(arguments, 4), parameterInt(arguments, 5),
                       parameterInt(arguments, 6));
        std::unique_ptr<CGraphicsObject> copy;
        CGraphicsObject* targetObject = canvas;
        if (r.Width() != 0 && r.Height() != 0) {
            copy = std::make_unique<CGraphicsObject>(object->getWindow());
            copy->Copy(canvas);
            copy->crop(r);
            targetObject = copy.get();
        }
        if (sx != 1.0 || sy != 1.0) targetObject->Scale(sx, sy);
        targetObject->Save(fileName, COMPRESSION_NONE);
        return nullptr;
    }
    case kGetPositionX: return CMC_VariableFactory::newInteger(canvas->getPosition().x);
    case kGetPositionY: return CMC_VariableFactory::newInteger(canvas->getPosition().y);
    case kGetWidth: return CMC_VariableFactory::newInteger(canvas->Size().cx);
    case kGetHeight: return CMC_VariableFactory::newInteger(canvas->Size().cy);
    case kGetNumVisiblePixels: return CMC_VariableFactory::newInteger(visiblePixels(canvas));
    default: return nullptr;
    }
}
