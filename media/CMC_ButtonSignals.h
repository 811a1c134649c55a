// The pointer events of a script object that acts as a button over its box (IMAGE,
// PATTERN): focus changes and clicks, with the active cursor following them.
#pragma once

class CMC_Object;
class CWindow;

// Raises "ONFOCUSON" when the pointer enters (inside while not focused) and "ONFOCUSOFF"
// when it leaves, updating `focused`; the active cursor starts and ends with them when
// `cursorOnHover` is set.
void raiseFocusChange(CMC_Object* object, CWindow* window, bool inside, bool* focused, bool cursorOnHover);
// Raises "ONCLICK" with the button's name (caret rule); the active cursor ends when
// `cursorOnHover` is set.
void raiseClick(CMC_Object* object, CWindow* window, int button, bool cursorOnHover);
