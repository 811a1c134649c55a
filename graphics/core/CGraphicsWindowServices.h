// What graphics classes ask of the window they belong to. The shell's window implements
// it; graphics holds windows as CWindow* handles and reaches their services through
// CGraphicsWindowServices::of, whose mapping the window's own code registers.
#pragma once
#include "foundation/CXPoint.h"
#include "foundation/CXString.h"
#include "foundation/CXSize.h"

class CAnimationManager;
class CCollisionInspector;
class CGraphicsUnit;
class CKeyListener;
class CMouseListener;
class CRefreshScreen;
class CSurface;
class CWindow;
namespace platform {
class Thread;
}

class CGraphicsWindowServices {
public:
    virtual CRefreshScreen* GetRefreshScreenInterface() const = 0;
    virtual CCollisionInspector* getCollisionInspectorInterface() const = 0;
    // The primary surface and whether off-screen surfaces may go to video memory.
    virtual CSurface* GetSurface() const = 0;
    virtual bool isVMem() const = 0;
    virtual int GetBpp() const = 0;
    virtual CXSize GetScreenSize() const = 0;
    // Marks the whole client area for repainting.
    virtual void Invalidate() = 0;
    virtual void BeginActiveCursor() = 0;
    virtual void EndActiveCursor() = 0;
    // The full path of a sound effect named by an animation frame.
    virtual CXString GetSoundFXFullPath(CXString name) const = 0;
    // The application's animation manager; null without an application.
    virtual CAnimationManager* getAnimationManager() const = 0;
    // The unit of the entered scene; null outside scenes.
    virtual CGraphicsUnit* getGraphicsUnit() const = 0;
    // The window's poller thread; null when it has none (headless runs, tests).
    virtual platform::Thread* getPollerThread() const = 0;
    // Whether the window is the active one.
    virtual bool isActive() const = 0;
    // The window's input listeners (controls and edit boxes register themselves).
    virtual void registerKeyListener(CKeyListener* listener) = 0;
    virtual void removeKeyListener(CKeyListener* listener) = 0;
    virtual void registerMouseListener(CMouseListener* listener, int priority) = 0;
    virtual void removeMouseListener(CMouseListener* listener) = 0;
    // The character of a key's scan code (letters, digits, space); 0 for the others.
    virtual char keyToChar(int scan) const = 0;
    // The pointer's position as the window's mouse device last read it; false when the
    // window has no mouse device.
    virtual bool getMousePosition(CXPoint* position) const = 0;

    // How a window handle gives its services.
    using Resolver = CGraphicsWindowServices* (*)(CWindow* window);
    // Replaces the resolver; returns true so it can initialise a static.
    static bool registerResolver(Resolver resolver);
    // The services of a window; null for a null window or when no resolver is registered.
    static CGraphicsWindowServices* of(CWindow* window);

protected:
    ~CGraphicsWindowServices() = default;
};
