#include "media/CMC_Text_Runner.h"

#include <algorithm>
#include <cstdint>

#include "graphics/screen/CRefreshScreen.h"
#include "graphics/text/CMultilineText6.h"
#include "media/CMC_Font_Runner.h"
#include "media/CMC_Text.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_Bool.h"
#include "script/CMC_Integer.h"
#include "script/CMC_String.h"
#include "script/CMC_VariableFactory.h"

namespace {

const bool g_registered =
    CMC_RunnerFactory::registerRunner(CMC_RunnerFactory::kText, []() -> CMC_Runner* { return new CMC_Text_Runner(); });

int requiredArguments(int id) {
    switch (id) {
    case CMC_Text_Runner::kSetText:
    case CMC_Text_Runner::kLoad:
    case CMC_Text_Runner::kSetClipping:
    case CMC_Text_Runner::kSetPriority:
    case CMC_Text_Runner::kDrawOnto:
    case CMC_Text_Runner::kSetRect:
    case CMC_Text_Runner::kSetOpacity:
    case CMC_Text_Runner::kSetFont:
    case CMC_Text_Runner::kGetWordAt:
    case CMC_Text_Runner::kGetWordPosX:
    case CMC_Text_Runner::kGetWordPosY:
    case CMC_Text_Runner::kGetWordWidth: return 1;
    case CMC_Text_Runner::kSetPosition:
    case CMC_Text_Runner::kMove:
    case CMC_Text_Runner::kIsNear:
    case CMC_Text_Runner::kSetTextDouble:
    case CMC_Text_Runner::kGetWordAtXY:
    case CMC_Text_Runner::kSearch: return 2;
    case CMC_Text_Runner::kSetJustify:
    case CMC_Text_Runner::kSetColor: return 3;
    case CMC_Text_Runner::kSetWordColor: return 4;
    default: return 0;
    }
}

CMC_Variable* integer(int value) { return CMC_VariableFactory::newInteger(value); }

}  // namespace

void CMC_Text_Runner::prepareMthHashSet() {
    (void)g_registered;
    CMC_Runner::prepareMthHashSet();
    static const char* const names[] = {
        "SETTEXT",       "SETJUSTIFY",   "SHOW",        "HIDE",        "SETPOSITION",  "MOVE",
        "LOAD",          "CLEARCLIPPING", "SETCLIPPING", "GETPOSITIONX", "GETPOSITIONY", "GETWIDTH",
        "GETHEIGHT",     "ISNEAR",       "SETPRIORITY", "SETCOLOR",    "DRAWONTO",     "SETRECT",
        "SETTEXTDOUBLE", "SETOPACITY",   "SETFONT",     "GETWORDAT",   "GETWORDATXY",  "GETWORDPOSX",
        "GETWORDPOSY",   "SEARCH",       "SETWORDCOLOR", "INVALIDATE", "GETWORDWIDTH", "GETNUMWORDS"};
    for (int i = 0; i < 30; ++i) putMethod(names[i], i + 1);
}

CXString CMC_Text_Runner::cutDecimals(CXString value, int decimals) {
    const int point = value.Find('.');
    if (decimals < 0 || point < 0) return value;
    const int64_t end = int64_t{point} + 1 + decimals;
    return end >= value.getLength() ? value : value.Left(static_cast<int>(end));
}

CMC_Variable* CMC_Text_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                   CXVector* arguments) {
    auto* object = dynamic_cast<CMC_Text*>(target);
    if (!object || id < kSetText || id > kGetNumWords) return CMC_Runner::run(id, target, container, arguments);
    CMultilineText6* text = object->getText();
    if (!text || argumentCount(arguments) < requiredArguments(id)) return nullptr;
    return runOn(id, object, text, container, arguments);
}

CMC_Variable* CMC_Text_Runner::runOn(int id, CMC_Text* object, CMultilineText6* text, CMC_ObjectsContainer* container,
                                     CXVector* arguments) {
    const int count = argumentCount(arguments);
    auto graphicsNamed = [&](int i) -> CGraphicsObject* {
        return container ? container->getGraphicsObject(getParameterText(arguments, i)) : nullptr;
    };
    auto rectAt = [&](int i) {
        return CXRect(parameterInt(arguments, i), parameterInt(arguments, i + 1), parameterInt(arguments, i + 2),
                      parameterInt(arguments, i + 3));
    };
    switch (id) {
    case kSetText: text->setText(getParameterText(arguments, 0)); return nullptr;
    case kSetJustify: {
        if (count == 6) {
            text->setJustify(rectAt(0), CMC_Text::resolveJustify(getParameterText(arguments, 4)),
                             CMC_Text::resolveJustify(getParameterText(arguments, 5)));
            return nullptr;
        }
        CGraphicsObject* g = graphicsNamed(0);
        text->setJustify(g ? g->GetBoundingBox() : CXRect(0, 0, 0, 0),
                         CMC_Text::resolveJustify(getParameterText(arguments, 1)),
                         CMC_Text::resolveJustify(getParameterText(arguments, 2)));
        return nullptr;
    }
    case kShow: text->Visible(true); return nullptr;
    case kHide: text->Visible(false); return nullptr;
    case kSetPosition: {
        const CXRect r = text->getjustifyRect();
        const int x = parameterInt(arguments, 0);
        const int y = parameterInt(arguments, 1);
        text->Invalidate();
        auto held = [](int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
        text->setJustify(CXRect(x, y, held(int64_t{x} + r.right - r.left), held(int64_t{y} + r.bottom - r.top)),
                         text->getHJustify(), text->getVJustify());
        text->Invalidate();
        return nullptr;
    }
    case kMove: text->Move(parameterInt(arguments, 0), parameterInt(arguments, 1)); return nullptr;
    case kLoad: text->Load(getParameterText(arguments, 0)); return nullptr;
    case kClearClipping: text->SetClippingRect(CXRect(0, 0, 0, 0)); return nullptr;
    case kSetClipping:
        if (count == 1) {
            if (CGraphicsObject* g = graphicsNamed(0)) text->SetClippingRect(g->GetBoundingBox());
        } else if (count >= 4) {
            text->SetClippingRect(rectAt(0));
        }
        text->Invalidate();
        return nullptr;
    case kGetPositionX: return integer(text->GetPosition().x);
    case kGetPositionY: return integer(text->GetPosition().y);
    case kGetWidth: return integer(text->Width());
    case kGetHeight: return integer(text->Height());
    case kIsNear:
        if (count == 2) {
            CGraphicsObject* g = graphicsNamed(0);
            return CMC_VariableFactory::newBool(g && text->isNear(g->GetBoundingBox(), parameterInt(arguments, 1)));
        }
        if (count < 5) return nullptr;
        return CMC_VariableFactory::newBool(text->isNear(rectAt(0), parameterInt(arguments, 4)));
    case kSetPriority:
        if (CRefreshScreen* s = object->screen())
            // In the drawing queue, at whatever priority (-1 too), the text takes the new one.
            if (s->getIndex(text) >= 0) s->SetPriority(text, parameterInt(arguments, 0));
        return nullptr;
    case kSetColor:
        text->setColor(CMC_Font_Runner::screenColor(container, parameterInt(arguments, 0), parameterInt(arguments, 1),
                                                    parameterInt(arguments, 2)));
        return nullptr;
    case kDrawOnto:
        if (CGraphicsObject* g = graphicsNamed(0))
            if (g != text) g->addObject(text, 0);
        return nullptr;
    case kSetRect: {
        CXRect r;
        if (count == 1) {
            CGraphicsObject* g = graphicsNamed(0);
            if (!g) return nullptr;
            r = g->getRect();
        } else if (count == 4) {
            r = rectAt(0);
        } else {
            return nullptr;
        }
        text->Invalidate();
        text->setJustify(r, text->getHJustify(), text->getVJustify());
        text->Invalidate();
        return nullptr;
    }
    case kSetTextDouble: {
        const CXString cut = cutDecimals(getParameterText(arguments, 0), parameterInt(arguments, 1));
        if (auto* own = dynamic_cast<CMC_String*>(asVariable(getArgument(arguments, 0)))) own->fromString(cut);
        text->setText(cut);
        return nullptr;
    }
    case kSetOpacity:
        text->SetOpacity(static_cast<uint8_t>(parameterInt(arguments, 0) & 0xFF));
        text->Invalidate();
        return nullptr;
    case kSetFont: text->setFont(object->findFont(container, getParameterText(arguments, 0))); return nullptr;
    case kGetWordAt: return CMC_VariableFactory::newString(text->getWordAt(parameterInt(arguments, 0)));
    case kGetWordAtXY:
        return integer(text->getWordAtXY(CXPoint(parameterInt(arguments, 0), parameterInt(arguments, 1))));
    case kGetWordPosX: return integer(text->getWordPosition(parameterInt(arguments, 0)).x);
    case kGetWordPosY: return integer(text->getWordPosition(parameterInt(arguments, 0)).y);
    case kSearch: return integer(text->search(getParameterText(arguments, 0), parameterInt(arguments, 1)));
    case kSetWordColor:
        text->setWordColor(parameterInt(arguments, 0),
                           CMC_Font_Runner::screenColor(container, parameterInt(arguments, 1),
                                                        parameterInt(arguments, 2), parameterInt(arguments, 3)));
        return nullptr;
    case kInvalidate: text->Invalidate(); return nullptr;
    case kGetWordWidth: return integer(text->getWordWidth(parameterInt(arguments, 0)));
    case kGetNumWords: return integer(text->getNumWords());
    default: return nullptr;
    }
}
