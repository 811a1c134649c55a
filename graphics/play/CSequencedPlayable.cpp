#include "graphics/play/CSequencedPlayable.h"

#include <algorithm>
#include <vector>

#include "foundation/Crt.h"
#include "foundation/CXArray.h"
#include "graphics/core/CGraphicsWindowServices.h"
#include "graphics/play/CAnimationManager.h"
#include "graphics/play/CAnimo.h"
#include "graphics/screen/CRefreshScreen.h"

namespace {

// Walks over a tree follow each sequence once, so a tree whose sequences share
// children is never walked once per path.
bool firstVisit(std::vector<CSequencedPlayable*>& visited, CSequencedPlayable* s) {
    if (std::find(visited.begin(), visited.end(), s) != visited.end()) return false;
    visited.push_back(s);
    return true;
}

CXArray* newList() { return new CXArray(CXArray::kDefaultCapacity, CXArray::kDefaultLoadFactor); }

CAnimationManager* managerOf(CWindow* window) {
    CGraphicsWindowServices* services = CGraphicsWindowServices::of(window);
    return services ? services->getAnimationManager() : nullptr;
}

// The animation a child stands for in walks: an animation itself, or the one a
// wrapper (simple element, speaking animation) plays.
CAnimo* animationOf(CPlayable* child) {
    const int type = child->getType();
    if (type == CAnimo::kPlayableType) return dynamic_cast<CAnimo*>(child);
    if (type == 5 || type == 6) return child->getAnimation();
    return nullptr;
}

}  // namespace

CSequencedPlayable::CSequencedPlayable(CWindow* window) : CPlayable(window), m_children(newList()) {
    m_type = kPlayableType;
    if (CAnimationManager* manager = managerOf(window)) manager->add(this, nullptr);
}

CSequencedPlayable::CSequencedPlayable(CWindow* window, CMElement*) : CSequencedPlayable(window) {}

CSequencedPlayable::~CSequencedPlayable() {
    CRefreshScreen* screen = nullptr;
    if (CGraphicsWindowServices* services = CGraphicsWindowServices::of(m_window))
        screen = services->GetRefreshScreenInterface();
    std::vector<CPlayable*> children;
    for (int i = 0; i < m_children->getCount(); ++i) children.push_back(static_cast<CPlayable*>(m_children->at(i)));
    m_children->removeAll();
    for (CPlayable* child : children) {
        if (child->getParentsNo() >= 2) {
            child->subParent();
            child->removeNotifier(this);
            continue;
        }
        const int type = child->getType();
        if (type == CAnimo::kPlayableType || type == 1) {
            // Held elsewhere (the screen, a resources manager): it forgets this one.
            child->removeNotifier(this);
            if (getGenericNotifier() && child->getGenericNotifier() == getGenericNotifier())
                child->setGenericNotifier(nullptr);
            if (child->getParent() == this) child->setParent(nullptr);
            if (type == CAnimo::kPlayableType && screen)
                if (auto* animo = dynamic_cast<CAnimo*>(child)) *screen << animo;
            continue;
        }
        delete child;
    }
    delete m_children;
    if (CAnimationManager* manager = managerOf(m_window)) manager->remove(this);
}

int CSequencedPlayable::decodeParameter(char c) {
    const int u = static_cast<unsigned char>(c);
    if (u <= '9') return u - '1';
    if (u <= 'Z') return u - 'A' + 9;
    return u - 'a' + 34;
}

void CSequencedPlayable::addChild(CPlayable* child) {
    if (!child || child == this) return;
    m_children->add(child);
    child->setParent(this);
}

int CSequencedPlayable::getCount() const { return m_children->getCount(); }

CPlayable* CSequencedPlayable::getChild(int index) const {
    if (index < 0 || index >= m_children->getCount()) return nullptr;
    return static_cast<CPlayable*>(m_children->at(index));
}

CPlayable* CSequencedPlayable::getPlaying() {
    CPlayable* child = getChild(m_current);
    if (!isPlaying() || !child) return nullptr;
    return child->getPlaying();
}

CXString CSequencedPlayable::getParameter() {
    if (m_parameter.getLength() < 2) return CXString();
    if (m_mode == kModeParameter) return m_parameter.Right(1);
    return m_parameter;
}

void CSequencedPlayable::accure(CPlayable* playable) {
    if (!playable) return;
    playable->setVolume(m_volume);
    playable->setPanning(m_panning);
    if (m_frequency > 0) playable->setFrequency(m_frequency);
}

void CSequencedPlayable::startChild(CPlayable* child, bool withParameter) {
    if (!child) return;
    child->setNotifier(this);
    if (withParameter) child->setParameter(m_parameter);
    child->play();
    accure(child);
}

void CSequencedPlayable::reportFinished() {
    if (m_finishReported) return;
    m_finishReported = true;
    notify(kFinished);
}

void CSequencedPlayable::play() {
    m_resumed = false;
    m_finishReported = false;
    // Set again below when a child starts (a play by name marks it playing first).
    m_status &= ~kStatusPlaying;
    notify(kStarted);
    const int count = getCount();
    switch (m_mode) {
    case kModeSequence:
        m_current = 0;
        if (count == 0) return;
        m_position = -1;
        for (;;) {
            if (m_position >= 0) ++m_current;
            CPlayable* child = getChild(m_current);
            startChild(child, true);
            ++m_position;
            if (!(m_position < count - 1 && child && !child->getWaitMode())) break;
        }
        m_status |= kStatusPlaying;
        return;
    case kModeRandom:
        if (count == 0) return;
        m_current = crt::rand() % count;
        startChild(getChild(m_current), true);
        m_status |= kStatusPlaying;
        ++m_position;
        return;
    case kModeParameter: {
        if (m_parameter.getLength() == 0) return;
        const int index = decodeParameter(m_parameter.c_str()[0]);
        if (index < 0 || index >= count) return;
        m_parameter = getParameter();
        startChild(getChild(index), true);
        m_status |= kStatusPlaying;
        m_current = index;
        return;
    }
    default: return;
    }
}

void CSequencedPlayable::stop(bool notifyObservers) {
    CPlayable* child = getChild(m_current);
    if (!child || !isPlaying()) return;
    m_status &= ~kStatusPlaying;
    child->stop(notifyObservers);
}

void CSequencedPlayable::pause() {
    CPlayable* child = getChild(m_current);
    if (!isPlaying() || !child) return;
    child->pause();
    m_resumed = false;
    m_status |= kStatusPaused;
}

void CSequencedPlayable::resume() {
    CPlayable* child = getChild(m_current);
    if (!isPaused() || !child) return;
    child->resume();
    m_resumed = true;
    m_status &= ~kStatusPaused;
}

bool CSequencedPlayable::onPlayableFinished(CPlayable*) {
    if (isPaused()) return false;
    const std::shared_ptr<const bool> alive = aliveFlag();
    if (isPlaying()) {
        if (m_mode == kModeSequence)
            next();
        else
            stop(false);
    }
    // An observer told of the end may have deleted this sequence.
    if (!*alive) return false;
    if (!(m_mode == kModeSequence && isPlaying())) reportFinished();
    return false;
}

void CSequencedPlayable::seek(int position) {
    if (CPlayable* child = getChild(m_current)) child->stop(true);
    const int count = getCount();
    int target;
    switch (position) {
    case kSeekFirst: target = 0; break;
    case kSeekLast: target = count - 1; break;
    case kSeekBack: target = m_current < 0 ? -1 : m_current - 1; break;
    case kSeekForward: target = m_current < 0 || m_current + 1 >= count ? -1 : m_current + 1; break;
    default: target = position; break;
    }
    m_current = target >= 0 && target < count ? target : -1;
    CPlayable* child = getChild(m_current);
    if (!child) return;
    child->addNotifier(this);
    child->play();
    accure(child);
}

int CSequencedPlayable::next() {
    if (isPaused()) return m_position;
    CPlayable* child = getChild(m_current);
    if (!child || child->isPlaying()) return m_position;
    if (m_mode == kModeSequence && m_position < getCount() - 1) {
        setParameter(child->getParam());
        ++m_current;
        startChild(getChild(m_current), true);
        ++m_position;
        return m_position;
    }
    if (m_mode != kModeSequence && m_mode != kModeRandom) return m_position;
    const std::shared_ptr<const bool> alive = aliveFlag();
    // The child's echo of the stop reports the end; a child that ended without a
    // word and does not echo leaves the report to this step.
    if (m_mode == kModeSequence)
        stop(true);
    else
        stop(false);
    if (*alive) reportFinished();
    return *alive ? m_position : -1;
}

void CSequencedPlayable::move(int dx, int dy) {
    CXArray* animations = getAllAnimations();
    for (int i = 0; i < animations->getCount(); ++i) static_cast<CAnimo*>(animations->at(i))->move(dx, dy);
    delete animations;
}

void CSequencedPlayable::setPosition(int x, int y) {
    for (int i = 0; i < getCount(); ++i) getChild(i)->setPosition(x, y);
}

void CSequencedPlayable::setVisibility(bool visible) {
    for (int i = 0; i < getCount(); ++i) {
        CPlayable* child = getChild(i);
        if (child->isVisible() != visible) child->setVisibility(visible);
    }
    m_visible = visible;
}

void CSequencedPlayable::alwaysOnTop() {
    for (int i = 0; i < getCount(); ++i) getChild(i)->alwaysOnTop();
}

CXArray* CSequencedPlayable::getAllAnimations() {
    CXArray* list = newList();
    std::vector<CSequencedPlayable*> visited{this};
    // Depth first in child order, each sequence once.
    struct Walker {
        static void walk(CSequencedPlayable* s, CXArray* into, std::vector<CSequencedPlayable*>& seen) {
            for (int i = 0; i < s->getCount(); ++i) {
                CPlayable* child = s->getChild(i);
                if (child->getType() == kPlayableType) {
                    auto* sub = dynamic_cast<CSequencedPlayable*>(child);
                    if (sub && firstVisit(seen, sub)) walk(sub, into, seen);
                    continue;
                }
                CAnimo* animation = animationOf(child);
                if (animation && !into->contains(animation)) into->add(animation);
            }
        }
    };
    Walker::walk(this, list, visited);
    return list;
}

CXArray* CSequencedPlayable::getAllOfType(int type) {
    CXArray* list = newList();
    std::vector<CSequencedPlayable*> visited{this};
    struct Walker {
        static void walk(CSequencedPlayable* s, int type, CXArray* into, std::vector<CSequencedPlayable*>& seen) {
            for (int i = 0; i < s->getCount(); ++i) {
                CPlayable* child = s->getChild(i);
                if (child->getType() == kPlayableType) {
                    auto* sub = dynamic_cast<CSequencedPlayable*>(child);
                    if (sub && firstVisit(seen, sub)) walk(sub, type, into, seen);
                    continue;
                }
                if (child->getType() == type && !into->contains(child)) into->add(child);
            }
        }
    };
    Walker::walk(this, type, list, visited);
    return list;
}

CPlayable* CSequencedPlayable::get(CXString path) {
    CPlayable* node = this;
    int at = 0;
    const int length = path.getLength();
    while (at < length && node->getType() == kPlayableType) {
        auto* s = dynamic_cast<CSequencedPlayable*>(node);
        if (!s) break;
        if (s->m_mode == kModeParameter) {
            CPlayable* child = s->getChild(decodeParameter(path.c_str()[at]));
            if (!child) break;
            node = child;
            ++at;
        } else {
            CPlayable* child = s->getChild(0);
            if (!child) break;
            node = child;
        }
    }
    return node;
}

CXRect CSequencedPlayable::getBoundingBox(int how) {
    CXArray* animations = getAllAnimations();
    CXRect box(0, 0, 0, 0);
    for (int i = 0; i < animations->getCount(); ++i) {
        auto* animation = static_cast<CAnimo*>(animations->at(i));
        if (how == 1 || animation->isPlaying()) {
            box = animation->GetBoundingBox();
            break;
        }
    }
    delete animations;
    return box;
}

CXPoint CSequencedPlayable::getPosition(int how) {
    CXArray* animations = getAllAnimations();
    CXPoint point(0, 0);
    for (int i = 0; i < animations->getCount(); ++i) {
        auto* animation = static_cast<CAnimo*>(animations->at(i));
        if (how == 1 || animation->isPlaying()) {
            point = animation->GetPosition();
            break;
        }
    }
    delete animations;
    return point;
}

CXString CSequencedPlayable::getLastPlayedEvent(CXString name) {
    std::vector<CSequencedPlayable*> visited{this};
    struct Walker {
        static CXString ask(CSequencedPlayable* s, const CXString& name, std::vector<CSequencedPlayable*>& seen) {
            CPlayable* child = s->getChild(s->m_current);
            if (!s->isPlaying() || !child) return CXString();
            if (name.getLength() == 0 || name.equals(s->getName())) {
                auto* sub = child->getType() == kPlayableType ? dynamic_cast<CSequencedPlayable*>(child) : nullptr;
                if (sub) return firstVisit(seen, sub) ? ask(sub, CXString(), seen) : CXString();
                return child->getName();
            }
            for (int i = 0; i < s->getCount(); ++i) {
                CPlayable* c = s->getChild(i);
                auto* sub = c->getType() == kPlayableType ? dynamic_cast<CSequencedPlayable*>(c) : nullptr;
                if (!sub || !firstVisit(seen, sub)) continue;
                CXString found = ask(sub, name, seen);
                if (found.getLength() > 0) return found;
            }
            return CXString();
        }
    };
    return Walker::ask(this, name, visited);
}
