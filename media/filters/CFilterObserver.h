// Listener of a timed effect: told when a linked graphic starts, steps and finishes.
#pragma once

class CAnimatedFilter;
class CFilterTarget;

class CFilterObserver {
public:
    virtual ~CFilterObserver() = default;
    virtual void onFilterStarted(CFilterTarget* target, CAnimatedFilter* filter) = 0;
    virtual void onFilterTick(CFilterTarget* target, CAnimatedFilter* filter) = 0;
    virtual void onFilterFinished(CFilterTarget* target, CAnimatedFilter* filter) = 0;
};
