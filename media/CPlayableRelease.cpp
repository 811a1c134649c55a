// Playables that the resources manager lets go of while they tell their observers (a
// scene left from a handler of an animation's or a sound's event) wait in the global
// trash: the code that told the observers still runs on them, and the application's
// next step deletes them.
#include "foundation/CXObject.h"
#include "graphics/play/CPlayable.h"
#include "script/CMC_Behaviour.h"

namespace {

class CPlayableRelease : public CXObject {
public:
    explicit CPlayableRelease(CPlayable* playable) : m_playable(playable) {}
    ~CPlayableRelease() override { delete m_playable; }
    CPlayableRelease(const CPlayableRelease&) = delete;
    CPlayableRelease& operator=(const CPlayableRelease&) = delete;

private:
    CPlayable* m_playable;
};

const bool g_installed = [] {
    CPlayable::setDeferredDelete([](CPlayable* playable) { CMC_Behaviour::addToTrash(new CPlayableRelease(playable)); });
    return true;
}();

}  // namespace
