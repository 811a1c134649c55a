#include "media/CMC_Font_Runner.h"

#include "graphics/screen/CRefreshScreen.h"
#include "graphics/text/CFontCollection.h"
#include "graphics/text/CTextFormatCode.h"
#include "media/CMC_Font.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_Integer.h"
#include "script/CMC_VariableFactory.h"
#include "shell/CWindow.h"

namespace {

const bool g_registered =
    CMC_RunnerFactory::registerRunner(CMC_RunnerFactory::kFont, []() -> CMC_Runner* { return new CMC_Font_Runner(); });

int requiredArguments(int id) {
    switch (id) {
    case CMC_Font_Runner::kSetColor: return 3;
    case CMC_Font_Runner::kSetStyle:
    case CMC_Font_Runner::kSetFamily:
    case CMC_Font_Runner::kSetSize: return 1;
    default: return 0;
    }
}

}  // namespace

int CMC_Font_Runner::screenColor(CMC_ObjectsContainer* container, int red, int green, int blue) {
    CWindow* window = container ? container->getWindow() : nullptr;
    CRefreshScreen* screen = window ? window->GetRefreshScreenInterface() : nullptr;
    const int bpp = screen ? screen->GetBpp() : 16;
    const int color = CTextFormatCode::packColor(bpp, red, green, blue);
    return static_cast<int>(static_cast<int16_t>(color & 0xFFFF));
}

void CMC_Font_Runner::prepareMthHashSet() {
    (void)g_registered;
    CMC_Runner::prepareMthHashSet();
    putMethod("SETCOLOR", kSetColor);
    putMethod("SETSTYLE", kSetStyle);
    putMethod("SETFAMILY", kSetFamily);
    putMethod("SETSIZE", kSetSize);
    putMethod("GETHEIGHT", kGetHeight);
}

CMC_Variable* CMC_Font_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                   CXVector* arguments) {
    auto* object = dynamic_cast<CMC_Font*>(target);
    if (!object || id < kSetColor || id > kGetHeight) return CMC_Runner::run(id, target, container, arguments);
    CFontCollection* font = object->getFont().get();
    if (!font || argumentCount(arguments) < requiredArguments(id)) return nullptr;
    switch (id) {
    case kSetColor: {
        const int color =
            screenColor(container, parameterInt(arguments, 0), parameterInt(arguments, 1), parameterInt(arguments, 2));
        font->setDefColor(color);
        for (const auto& f : object->getFontsList()) f->setDefColor(color);
        if (CWindow* window = container ? container->getWindow() : nullptr) window->Invalidate();
        return nullptr;
    }
    case kSetStyle: font->setFamily(getParameterText(arguments, 0)); return nullptr;
    case kSetFamily: font->setStyle(getParameterText(arguments, 0)); return nullptr;
    case kSetSize: font->setSize(parameterInt(arguments, 0)); return nullptr;
    case kGetHeight: {
        CSimpleFont6* base = font->getBaseFont();
        return base ? CMC_VariableFactory::newInteger(base->Height()) : nullptr;
    }
    default: return nullptr;
    }
}
