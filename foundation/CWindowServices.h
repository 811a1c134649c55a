// What foundation classes ask of the window they are handed: its language, its
// timer callback and the keyboard language refresh. The shell's window implements it.
#pragma once
#include <cstdint>

class CLanguageOSVer;
class CWindow;

class CWindowServices {
public:
    virtual CLanguageOSVer* getLangIfc() const = 0;
    // Called by a due timer of the window's list that names no unit.
    virtual int OnTimer(intptr_t id) = 0;
    virtual void initKeyboardLanguage() = 0;

protected:
    ~CWindowServices() = default;
};

// The services of a window that foundation holds only by name; null for null or
// while no resolver is registered. The window's own code registers the resolver,
// where CWindow is known to be a CWindowServices.
CWindowServices* windowServices(CWindow* window);
using CWindowServicesResolver = CWindowServices* (*)(CWindow* window);
// Replaces the resolver; returns true so it can initialise a static.
bool registerWindowServicesResolver(CWindowServicesResolver resolver);
