#include "media/CMC_ButtonSignals.h"

#include "scene/CMC_Mouse.h"
#include "script/CMC_Object.h"
#include "shell/CWindow.h"

void raiseFocusChange(CMC_Object* object, CWindow* window, bool inside, bool* focused, bool cursorOnHover) {
    if (*focused == inside) return;
    *focused = inside;
    object->onSignal(CXString(inside ? "ONFOCUSON" : "ONFOCUSOFF"));
    if (!cursorOnHover || !window) return;
    if (inside)
        window->BeginActiveCursor();
    else
        window->EndActiveCursor();
}

void raiseClick(CMC_Object* object, CWindow* window, int button, bool cursorOnHover) {
    object->onSignal(CXString("ONCLICK"), CMC_Mouse::getButton(button));
    if (cursorOnHover && window) window->EndActiveCursor();
}
