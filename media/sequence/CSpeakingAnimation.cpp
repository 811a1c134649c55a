#include "media/sequence/CSpeakingAnimation.h"

#include "foundation/Crt.h"
#include "foundation/CResourcesManager.h"
#include "graphics/play/CAnimo.h"
#include "graphics/play/CAnimo6.h"
#include "graphics/screen/CRefreshScreen.h"
#include "media/CMC_Animo.h"
#include "media/CMC_Sound.h"
#include "media/sequence/CTreeSequenceElements.h"
#include "script/CMC_ObjectsContainer.h"
#include "shell/CSound4.h"
#include "shell/CWindow.h"

namespace {

constexpr int kPriority = 1000;
constexpr int kTalkFps = 15;

CRefreshScreen* screenOf(CWindow* window) { return window ? window->GetRefreshScreenInterface() : nullptr; }

CXString withPrefix(const CXString& prefix, const char* name) {
    if (prefix.getLength() == 0) return CXString(name);
    CXString text = prefix;
    text += "_";
    text += name;
    return text;
}

}  // namespace

CSpeakingAnimation::CSpeakingAnimation(CWindow* window, CResourcesManager* resources)
    : CPlayable(window), m_resources(resources) {
    m_type = kPlayableType;
}

CSpeakingAnimation::~CSpeakingAnimation() {
    if (m_scriptAnimo) m_scriptAnimo->removeSeq(this);
    m_scriptAnimo = nullptr;
    leaveAnimation();
    releaseSound();
}

// ---- names -------------------------------------------------------------------------------

CXString CSpeakingAnimation::startEvent() const { return withPrefix(m_prefix, "START"); }
CXString CSpeakingAnimation::endEvent() const { return withPrefix(m_prefix, "END"); }
CXString CSpeakingAnimation::stopEvent() const { return withPrefix(m_prefix, "STOP"); }

bool CSpeakingAnimation::isTalkEvent(const CXString& name) const {
    if (m_prefix.getLength() == 0) return name.getLength() > 0 && name.c_str()[0] >= '0' && name.c_str()[0] <= '9';
    CXString head = m_prefix;
    head += "_";
    if (name.getLength() < head.getLength() || !name.Left(head.getLength()).equals(head)) return false;
    const CXString rest = name.Right(head.getLength());
    return !rest.equals("START") && !rest.equals("END") && !rest.equals("STOP");
}

// ---- animation -----------------------------------------------------------------------------

CAnimo* CSpeakingAnimation::getAnimation() {
    return m_animationAlive && *m_animationAlive ? m_animation : nullptr;
}

void CSpeakingAnimation::setAnimationPointer(CAnimo* animation) {
    m_animation = animation;
    m_animationAlive = animation ? animation->aliveFlag() : nullptr;
}

void CSpeakingAnimation::leaveAnimation() {
    if (CAnimo* animation = getAnimation()) animation->removeNotifier(this);
}

void CSpeakingAnimation::setAnimation(CXString file) {
    leaveAnimation();
    if (m_scriptAnimo) m_scriptAnimo->removeSeq(this);
    m_scriptAnimo = nullptr;
    CMC_ObjectsContainer* scene = CTreeSequenceElements::currentScene(m_window);
    if (auto* animo = scene ? dynamic_cast<CMC_Animo*>(scene->getObject(file)) : nullptr) {
        setAnimationPointer(animo->getAnimo());
        animo->addSeq(this);
        m_scriptAnimo = animo;
        return;
    }
    if (getAnimation() || !m_resources) return;
    CAnimo* animation = nullptr;
    if (CFileResolver* found = m_resources->get(file)) {
        animation = dynamic_cast<CAnimo*>(found);
        // Something else kept under the name is not ours to hold.
        if (!animation) m_resources->remove(found);
    }
    if (!animation) {
        animation = new CAnimo(m_window, file);
        animation->setFilename(file);
        m_resources->add(animation);
    }
    if (!file.equalsIgnoreCase(CXString("PIXEL.ANN")))
        if (CRefreshScreen* screen = screenOf(m_window)) screen->put(animation, kPriority);
    setAnimationPointer(animation);
}

void CSpeakingAnimation::substAnimation(CAnimo* animation) {
    if (animation == getAnimation()) return;
    leaveAnimation();
    setAnimationPointer(animation);
}

void CSpeakingAnimation::forgetScriptAnimo(CMC_Animo* animo) {
    if (animo != m_scriptAnimo) return;
    leaveAnimation();
    setAnimationPointer(nullptr);
    m_scriptAnimo = nullptr;
}

// ---- sound ---------------------------------------------------------------------------------

CPlayable* CSpeakingAnimation::getSound() { return m_soundAlive && *m_soundAlive ? m_sound : nullptr; }

void CSpeakingAnimation::setSoundPointer(CPlayable* sound, SoundHold hold) {
    m_sound = sound;
    m_soundAlive = sound ? sound->aliveFlag() : nullptr;
    m_soundHold = sound ? hold : SoundHold::kNone;
}

void CSpeakingAnimation::releaseSound() {
    CPlayable* sound = getSound();
    const SoundHold hold = m_soundHold;
    setSoundPointer(nullptr, SoundHold::kNone);
    if (!sound) return;
    sound->removeNotifier(this);
    if (hold == SoundHold::kOwned) {
        delete sound;
    } else if (hold == SoundHold::kShared && m_resources && m_resources->contains(sound)) {
        m_resources->remove(sound);
    }
}

void CSpeakingAnimation::apply(CPlayable* sound) {
    releaseSound();
    setSoundPointer(sound, SoundHold::kBorrowed);
}

void CSpeakingAnimation::apply(CXString file) {
    releaseSound();
    CMC_ObjectsContainer* scene = CTreeSequenceElements::currentScene(m_window);
    if (auto* object = scene ? dynamic_cast<CMC_Sound*>(scene->getObject(file)) : nullptr) {
        setSoundPointer(object->getSound(), SoundHold::kExternal);
    } else if (!m_resources) {
        setSoundPointer(new CSound4(m_window, file, true, false), SoundHold::kOwned);
    } else {
        CFileResolver* found = m_resources->get(file);
        auto* sound = dynamic_cast<CSound4*>(found);
        if (found && !sound) m_resources->remove(found);
        if (!sound) {
            sound = new CSound4(m_window, file, true, false);
            m_resources->add(sound);
        }
        setSoundPointer(sound, SoundHold::kShared);
    }
    setFilename(file);
}

bool CSpeakingAnimation::soundPlaying() {
    CPlayable* sound = getSound();
    if (!sound) return false;
    if (auto* effect = dynamic_cast<CSound4*>(sound)) return effect->IsPlaying();
    return sound->isPlaying();
}

void CSpeakingAnimation::startSound() {
    m_soundStarted = true;
    if (CPlayable* sound = getSound()) {
        sound->addNotifier(this);
        sound->play();
    }
}

// ---- the run -------------------------------------------------------------------------------

void CSpeakingAnimation::play() {
    const std::shared_ptr<const bool> alive = aliveFlag();
    notify(kStarted);
    if (!*alive) return;
    m_soundStarted = false;
    m_finishing = false;
    if (CPlayable* sound = getSound()) sound->addNotifier(this);
    CAnimo* animation = getAnimation();
    if (!animation) return;
    m_status |= kStatusPlaying;
    animation->addNotifier(this);
    if (CPlayable* sound = getSound()) {
        if (auto* effect = dynamic_cast<CSound4*>(sound)) effect->load();
        sound->setVolume(m_volume);
        sound->setPanning(m_panning);
        if (m_frequency > 0) sound->setFrequency(m_frequency);
    }
    if (m_starting) {
        animation->Play(startEvent(), 0, kTalkFps);
        if (!*alive) return;
        // Without an opening event the talk starts at once; else when it has played.
        if (getAnimation() && getAnimation()->IsPlaying()) return;
    }
    startSound();
    if (!*alive) return;
    playOnOf();
}

void CSpeakingAnimation::playOnOf() {
    CAnimo* animation = getAnimation();
    // No sound counts as one that has ended; an animation without events ends at once.
    if (!soundPlaying() || !animation || animation->GetNOE() == 0) {
        finish();
        return;
    }
    const int n = animation->GetNOE();
    int e = 0;
    for (int i = 0; i < kTalkDraws; ++i) {
        e = animation->GetEventNo(crt::rand() % n);
        if (isTalkEvent(animation->GetEventName(e))) break;
    }
    animation->Play(static_cast<_animoevent>(e), 0, kTalkFps);
}

void CSpeakingAnimation::endRun() {
    leaveAnimation();
    if (CPlayable* sound = getSound()) sound->removeNotifier(this);
    const std::shared_ptr<const bool> alive = aliveFlag();
    stop(false);
    if (*alive) notify(kFinished);
}

void CSpeakingAnimation::finish() {
    m_finishing = true;
    CAnimo* animation = getAnimation();
    if (!animation || !animation->isPlaying() || !animation->isVisible()) {
        endRun();
        return;
    }
    animation->stop(false);
    if (!m_ending) {
        // The stopped talk event reports no end: the run ends here.
        endRun();
        return;
    }
    animation->Play(endEvent(), 0, kTalkFps);
    if (getAnimation() && !getAnimation()->IsPlaying()) getAnimation()->Play(stopEvent(), 0, kTalkFps);
    // Neither plays: the run ends; else it ends when the closing event has played.
    if (!getAnimation() || !getAnimation()->IsPlaying()) endRun();
}

bool CSpeakingAnimation::onPlayableFinished(CPlayable* playable) {
    if (!playable) return false;
    CPlayable* sound = getSound();
    CAnimo* animation = getAnimation();
    if (playable == sound && !m_finishing) {
        finish();
    } else if (animation && playable == static_cast<CPlayable*>(animation)) {
        const std::shared_ptr<const bool> alive = aliveFlag();
        if (!m_soundStarted) {
            startSound();
            if (!*alive) return false;
        }
        if (m_finishing)
            endRun();
        else
            playOnOf();
    }
    return false;
}

void CSpeakingAnimation::stop(bool notifyObservers) {
    const bool wasPlaying = isPlaying() || (m_status & kStatusPlaying);
    m_status &= ~kStatusPlaying;
    // Observers are left first, so that stopping the parts reports only once.
    leaveAnimation();
    if (CPlayable* sound = getSound()) {
        sound->removeNotifier(this);
        auto* effect = dynamic_cast<CSound4*>(sound);
        if (!effect) {
            sound->stop(false);
        } else {
            effect->Stop();
            effect->Flush();
        }
    }
    if (CAnimo* animation = getAnimation()) animation->Stop();
    if (notifyObservers && wasPlaying) notify(kFinished);
}

void CSpeakingAnimation::pause() {
    if (CPlayable* sound = getSound()) sound->pause();
    if (CAnimo* animation = getAnimation()) animation->pause();
}

void CSpeakingAnimation::resume() {
    if (CPlayable* sound = getSound()) sound->resume();
    if (CAnimo* animation = getAnimation()) animation->resume();
}

bool CSpeakingAnimation::isPlaying() {
    if (CPlayable* sound = getSound())
        if (sound->isPlaying()) return true;
    CAnimo* animation = getAnimation();
    return animation && animation->isPlaying();
}

void CSpeakingAnimation::move(int dx, int dy) {
    if (CAnimo* animation = getAnimation()) animation->move(dx, dy);
}

void CSpeakingAnimation::setPosition(int x, int y) {
    CAnimo* animation = getAnimation();
    if (!animation) return;
    animation->Invalidate();
    static_cast<CGraphicsObject*>(animation)->setPosition(CXPoint(x, y));
    animation->Invalidate();
}

bool CSpeakingAnimation::isVisible() {
    CAnimo* animation = getAnimation();
    return animation && animation->isVisible();
}

void CSpeakingAnimation::setVisibility(bool visible) {
    if (CAnimo* animation = getAnimation()) animation->Visible(visible);
}

void CSpeakingAnimation::alwaysOnTop() {
    CAnimo* animation = getAnimation();
    if (!animation) return;
    if (CRefreshScreen* screen = screenOf(m_window)) screen->SetFlags(animation, 1);
}
