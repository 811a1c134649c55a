// A speech sound and an animation that talks while it lasts: randomly chosen talk
// events follow one another until the sound ends, optionally after an opening event
// and before a closing one. With an empty prefix talk events are those whose names
// begin with a digit, and the framing events are "START", "END" and "STOP"; with a
// prefix P they are P_<name> other than P_START, P_END and P_STOP, and those three.
#pragma once
#include <memory>

#include "foundation/CXString.h"
#include "graphics/play/CPlayable.h"
#include "media/CScriptAnimoUser.h"

class CMC_Animo;
class CResourcesManager;

class CSpeakingAnimation : public CPlayable, public CPlayableObserver, public CScriptAnimoUser {
public:
    static constexpr int kPlayableType = 5;
    // Draws of a talk event before the last one drawn is taken as it is.
    static constexpr int kTalkDraws = 10000;

    CSpeakingAnimation(CWindow* window, CResourcesManager* resources);
    ~CSpeakingAnimation() override;
    CSpeakingAnimation(const CSpeakingAnimation&) = delete;
    CSpeakingAnimation& operator=(const CSpeakingAnimation&) = delete;

    // The current scene's ANIMO of that name, else (when none is set yet) the
    // animation the resources manager shares under the file name, made when missing.
    void setAnimation(CXString file);
    void substAnimation(CAnimo* animation) override;
    CAnimo* getAnimation() override;
    // A speech playable held elsewhere (another element of the sequence).
    void apply(CPlayable* sound);
    // The current scene's SOUND of that name, else a sound of the file (shared
    // through the resources manager when there is one).
    void apply(CXString file);
    CPlayable* getSound();

    void setOnlyEvents(bool on) { m_onlyEvents = on; }
    void setStarting(bool on) { m_starting = on; }
    void setEnding(bool on) { m_ending = on; }
    void setPrefix(CXString prefix) { m_prefix = prefix; }
    bool getStarting() const { return m_starting; }
    bool getEnding() const { return m_ending; }
    CXString getPrefix() const { return m_prefix; }
    CMC_Animo* getScriptAnimo() const { return m_scriptAnimo; }

    using CPlayable::play;
    void play() override;
    void stop(bool notifyObservers) override;
    void pause() override;
    void resume() override;
    void seek(int) override {}
    bool onPlayableFinished(CPlayable* playable) override;
    bool isPlaying() override;
    void move(int dx, int dy) override;
    using CPlayable::move;
    void setPosition(int x, int y) override;
    using CPlayable::setPosition;
    bool isVisible() override;
    void setVisibility(bool visible) override;
    void alwaysOnTop() override;
    void forgetScriptAnimo(CMC_Animo* animo) override;

    // The event names for the prefix.
    CXString startEvent() const;
    CXString endEvent() const;
    CXString stopEvent() const;
    // Whether the name is a talk event for the prefix.
    bool isTalkEvent(const CXString& name) const;

private:
    enum class SoundHold { kNone, kOwned, kShared, kExternal, kBorrowed };

    void setAnimationPointer(CAnimo* animation);
    void setSoundPointer(CPlayable* sound, SoundHold hold);
    // Stops observing the sound and lets go of it as it was held.
    void releaseSound();
    void leaveAnimation();
    bool soundPlaying();
    void startSound();
    // Plays a random talk event, or finishes once the sound has ended.
    void playOnOf();
    void finish();
    void endRun();

    CPlayable* m_sound = nullptr;
    std::shared_ptr<const bool> m_soundAlive;
    SoundHold m_soundHold = SoundHold::kNone;
    CAnimo* m_animation = nullptr;
    std::shared_ptr<const bool> m_animationAlive;
    CResourcesManager* m_resources;
    bool m_onlyEvents = false;
    bool m_soundStarted = false;
    bool m_finishing = false;
    bool m_starting = false;
    bool m_ending = false;
    CMC_Animo* m_scriptAnimo = nullptr;
    CXString m_prefix;
};
