// Receivers of the window's mouse and key events. A mouse listener answers true when
// it takes an event, which ends the window's search; buttons are 0 left, 1 middle,
// 2 right. Every key listener hears every key event.
#pragma once

#include "foundation/CXPoint.h"

class CMouseListener {
public:
    virtual ~CMouseListener() = default;
    virtual bool onMouseMove(CXPoint) { return false; }
    virtual bool onClick(int, CXPoint) { return false; }
    virtual bool onClick(CXPoint) { return false; }
    virtual bool onRelease(int, CXPoint) { return false; }
    virtual bool onRelease(CXPoint) { return false; }
    virtual bool onDblClick(CXPoint) { return false; }
    // The first turn at every mouse event was given to this listener / taken away.
    virtual void onSetFocus() {}
    virtual void onLooseFocus() {}
};

class CKeyListener {
public:
    virtual ~CKeyListener() = default;
    virtual void onKeyUp(int) {}
    virtual void onKeyDown(int) {}
    virtual void onChar(unsigned char) {}
};
