#include "media/sequence/CSimpleSequenceElement.h"

#include "graphics/play/CAnimo.h"
#include "graphics/play/CAnimo6.h"
#include "media/CMC_Animo.h"

CSimpleSequenceElement::CSimpleSequenceElement(CWindow* window, CAnimo* animation, bool owned)
    : CPlayable(window), m_owned(owned && animation) {
    m_type = kPlayableType;
    setAnimation(animation);
}

CSimpleSequenceElement::CSimpleSequenceElement(CWindow* window, CMC_Animo* animo)
    : CPlayable(window), m_scriptAnimo(animo) {
    m_type = kPlayableType;
    if (m_scriptAnimo) {
        setAnimation(m_scriptAnimo->getAnimo());
        m_scriptAnimo->addSeq(this);
    }
}

CSimpleSequenceElement::~CSimpleSequenceElement() {
    if (m_scriptAnimo) m_scriptAnimo->removeSeq(this);
    m_scriptAnimo = nullptr;
    CAnimo* animation = getAnimation();
    leaveAnimation();
    if (m_owned) delete animation;
}

void CSimpleSequenceElement::setAnimation(CAnimo* animation) {
    m_animation = animation;
    m_animationAlive = animation ? animation->aliveFlag() : nullptr;
}

void CSimpleSequenceElement::leaveAnimation() {
    if (CAnimo* animation = getAnimation()) animation->removeNotifier(this);
}

CAnimo* CSimpleSequenceElement::getAnimation() {
    return m_animationAlive && *m_animationAlive ? m_animation : nullptr;
}

void CSimpleSequenceElement::play() {
    const std::shared_ptr<const bool> alive = aliveFlag();
    notify(kStarted);
    // A handler of the start may have deleted the element.
    if (!*alive) return;
    CAnimo* animation = getAnimation();
    if (!animation) return;
    animation->SetCurrentEvent(m_event);
    animation->play();
    if (*alive && getAnimation()) animation->addNotifier(this);
}

void CSimpleSequenceElement::stop(bool notifyObservers) {
    m_status &= ~kStatusPlaying;
    CAnimo* animation = getAnimation();
    if (!animation) return;
    const std::shared_ptr<const bool> alive = aliveFlag();
    animation->stop(notifyObservers);
    if (*alive) leaveAnimation();
}

void CSimpleSequenceElement::pause() {
    if (CAnimo* animation = getAnimation()) animation->pause();
}

void CSimpleSequenceElement::resume() {
    if (CAnimo* animation = getAnimation()) animation->resume();
}

bool CSimpleSequenceElement::isPlaying() {
    CAnimo* animation = getAnimation();
    return animation && animation->isPlaying();
}

void CSimpleSequenceElement::seek(int position) {
    if (CAnimo* animation = getAnimation()) animation->seek(position);
}

void CSimpleSequenceElement::setVisibility(bool visible) {
    if (CAnimo* animation = getAnimation()) animation->setVisibility(visible);
}

bool CSimpleSequenceElement::isVisible() {
    CAnimo* animation = getAnimation();
    return animation && animation->isVisible();
}

void CSimpleSequenceElement::substAnimation(CAnimo* animation) {
    if (animation == getAnimation()) return;
    leaveAnimation();
    if (m_owned) delete getAnimation();
    m_owned = false;
    setAnimation(animation);
}

bool CSimpleSequenceElement::onPlayableFinished(CPlayable* playable) {
    CAnimo* animation = getAnimation();
    if (!animation || playable != static_cast<CPlayable*>(animation)) return false;
    leaveAnimation();
    notify(kFinished);
    return false;
}

void CSimpleSequenceElement::forgetScriptAnimo(CMC_Animo* animo) {
    if (animo != m_scriptAnimo) return;
    leaveAnimation();
    setAnimation(nullptr);
    m_scriptAnimo = nullptr;
}
