// One animation event as a playable of a sequence: it plays the event on an animation
// (an ANIMO object's, or one from a file) and reports the start at once and the end
// when the animation reports it. It does not own the animation unless it was handed
// one to own (no resources manager shared it).
#pragma once
#include <memory>

#include "graphics/play/CPlayable.h"
#include "media/CScriptAnimoUser.h"

class CMC_Animo;

class CSimpleSequenceElement : public CPlayable, public CPlayableObserver, public CScriptAnimoUser {
public:
    static constexpr int kPlayableType = 6;

    // Over an animation; with `owned` it is deleted with the element.
    CSimpleSequenceElement(CWindow* window, CAnimo* animation, bool owned = false);
    // Over an ANIMO object's animation; the object is told of the element (addSeq).
    CSimpleSequenceElement(CWindow* window, CMC_Animo* animo);
    ~CSimpleSequenceElement() override;
    CSimpleSequenceElement(const CSimpleSequenceElement&) = delete;
    CSimpleSequenceElement& operator=(const CSimpleSequenceElement&) = delete;

    int setEvent(int event) { return m_event = event; }
    int getEvent() const { return m_event; }
    // Null when it has none, or once it was deleted under the element.
    CAnimo* getAnimation() override;
    CMC_Animo* getScriptAnimo() const { return m_scriptAnimo; }

    using CPlayable::play;
    void play() override;
    void stop(bool notifyObservers) override;
    void pause() override;
    void resume() override;
    bool isPlaying() override;
    void seek(int position) override;
    void setVisibility(bool visible) override;
    bool isVisible() override;
    // The ANIMO object loaded another file (or let go of its animation: null).
    void substAnimation(CAnimo* animation) override;
    bool onPlayableFinished(CPlayable* playable) override;
    void forgetScriptAnimo(CMC_Animo* animo) override;

private:
    void setAnimation(CAnimo* animation);
    void leaveAnimation();

    int m_event = 0;
    CAnimo* m_animation = nullptr;
    std::shared_ptr<const bool> m_animationAlive;
    CMC_Animo* m_scriptAnimo = nullptr;
    bool m_owned = false;
};
