// The window's mouse and key listener interfaces live with the graphics controls that
// implement them.
#pragma once
#include "graphics/input/CMouseListener.h"
