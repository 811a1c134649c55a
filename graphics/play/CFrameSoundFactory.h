// Where animations get their frame sounds. The sound subsystem installs a
// factory that makes its sound effects and streams; without one (tools,
// fuzzers, tests that do not care) animations keep the sound names and make no
// sound objects. Every sound is a playable: play(), stop(bool), isPlaying() and
// the volume, panning and frequency setters are all an animation uses.
#pragma once
#include "foundation/CXString.h"

class CPlayable;
class CWindow;

class CFrameSoundFactory {
public:
    virtual ~CFrameSoundFactory() = default;
    // A sound effect for a full path (window, path, not first, preloaded); a path
    // listing several sounds separated by ';' gives one that picks among them.
    // Null when the sound cannot be made.
    virtual CPlayable* createSound(CWindow* window, CXString path, bool severalSounds) = 0;
    // A streamed sound for a full path, started with play().
    virtual CPlayable* createStream(CWindow* window, CXString path) = 0;

    // Not owned; null removes it.
    static void install(CFrameSoundFactory* factory);
    static CFrameSoundFactory* get();
};
