// Told by a random player when one of its playables is about to start and when it has
// finished; the answers allow a start and ask for another play one second later.
#pragma once

class CPlayable;

class CRandomPlayableNotifier {
public:
    virtual ~CRandomPlayableNotifier() = default;
    // The count of plays in this burst so far; false keeps the playable from starting.
    virtual bool onRandomPlayableStarted(CPlayable* playable, int count);
    // True asks for another play one second later.
    virtual bool onRandomPlayableFinished(CPlayable* playable, int count);
};
