#include "media/sequence/CTreeSequenceElements.h"

#include <algorithm>

#include "foundation/CPath.h"
#include "foundation/CResourcesManager.h"
#include "graphics/play/CAnimo.h"
#include "graphics/play/CAnimo6.h"
#include "graphics/play/CSequencedPlayable.h"
#include "graphics/screen/CRefreshScreen.h"
#include "media/CMC_Animo.h"
#include "media/CMC_Sound.h"
#include "media/sequence/CSimpleSequenceElement.h"
#include "media/sequence/CSpeakingAnimation.h"
#include "script/CMC_ObjectsContainer.h"
#include "shell/CApplication.h"
#include "shell/CSound4.h"
#include "shell/CUnit6.h"
#include "shell/CWindow.h"

namespace {

constexpr int kPriority = 1000;

CXString wavPath(CWindow* window, const CXString& name) {
    if (!window) return name;
    CApplication* application = window->GetApplicationInterface();
    return application ? application->getWAVPath(name) : window->GetSoundFXFullPath(name);
}

}  // namespace

CTreeSequenceElements::CTreeSequenceElements(CWindow* window, CResourcesManager* resources)
    : m_window(window), m_resources(resources) {}

CTreeSequenceElements::~CTreeSequenceElements() = default;

CMC_ObjectsContainer* CTreeSequenceElements::currentScene(CWindow* window) {
    CUnit6* unit = window ? window->getCurrentUnit() : nullptr;
    return unit ? dynamic_cast<CMC_ObjectsContainer*>(unit->getScene()) : nullptr;
}

int CTreeSequenceElements::indexOf(const CXString& name) const {
    for (size_t i = 0; i < m_entries.size(); ++i)
        if (m_entries[i]->name.equals(name)) return static_cast<int>(i);
    return -1;
}

_tse_entry* CTreeSequenceElements::find(CXString name) {
    const int i = indexOf(name);
    return i < 0 ? nullptr : at(i);
}

void CTreeSequenceElements::add(CXString name) {
    if (getCount() >= kMaxEntries) return;
    auto entry = std::make_unique<_tse_entry>();
    entry->name = name;
    m_entries.push_back(std::move(entry));
}

void CTreeSequenceElements::setType(CXString name, CXString value) {
    _tse_entry* entry = find(name);
    if (!entry) return;
    if (value.equals("SIMPLE"))
        entry->type = kSimple;
    else if (value.equals("SEQUENCE"))
        entry->type = kSequence;
    else if (value.equals("SPEAKING"))
        entry->type = kSpeaking;
}

void CTreeSequenceElements::setFileName(CXString name, CXString value) {
    if (_tse_entry* entry = find(name)) entry->fileName = value;
}

void CTreeSequenceElements::setEvent(CXString name, CXString value) {
    if (_tse_entry* entry = find(name)) entry->event = value;
}

void CTreeSequenceElements::create(_tse_entry* entry, CPlayableObserver* observer) {
    // An element gets one playable: a second TYPE line makes none.
    if (!entry || entry->playable) return;
    switch (entry->type) {
    case kSimple: entry->playable = createSimple(entry); break;
    case kSequence:
        entry->playable = createSequence(entry);
        entry->owned = true;
        break;
    case kSpeaking:
        entry->playable = createSpeaking(entry);
        entry->owned = true;
        break;
    default: break;
    }
    if (entry->playable) entry->playable->setGenericNotifier(observer);
}

void CTreeSequenceElements::create(CPlayableObserver* observer) {
    for (const auto& entry : m_entries) create(entry.get(), observer);
}

CPlayable* CTreeSequenceElements::createSequence(_tse_entry*) { return new CSequencedPlayable(m_window); }

CPlayable* CTreeSequenceElements::createSpeaking(_tse_entry*) { return new CSpeakingAnimation(m_window, m_resources); }

CPlayable* CTreeSequenceElements::createSimple(_tse_entry* entry) {
    CFileNameResolver resolver(entry->fileName);
    CMC_ObjectsContainer* scene = currentScene(m_window);
    auto resolveEvent = [entry](CAnimo* animation) {
        const int e = animation ? animation->resolveEventName(entry->event) : -1;
        return e != -1 ? e : entry->event.toNumber();
    };
    if (auto* animo = scene ? dynamic_cast<CMC_Animo*>(scene->getObject(entry->fileName)) : nullptr) {
        if (CAnimo* animation = animo->getAnimo()) {
            auto* element = new CSimpleSequenceElement(m_window, animo);
            element->setEvent(resolveEvent(animation));
            entry->owned = true;
            return element;
        }
    }
    const CXString extension = resolver.getExtension();
    if (extension.equals("ANN")) {
        CAnimo* animation = nullptr;
        if (m_resources)
            if (CFileResolver* found = m_resources->get(entry->fileName)) {
                animation = dynamic_cast<CAnimo*>(found);
                if (!animation) m_resources->remove(found);
            }
        bool own = false;
        if (!animation) {
            animation = new CAnimo(m_window, entry->fileName);
            animation->setFilename(entry->fileName);
            if (CRefreshScreen* screen = m_window ? m_window->GetRefreshScreenInterface() : nullptr)
                screen->put(animation, kPriority);
            if (m_resources)
                m_resources->add(animation);
            else
                own = true;
        }
        auto* element = new CSimpleSequenceElement(m_window, animation, own);
        element->setEvent(resolveEvent(animation));
        entry->owned = true;
        return element;
    }
    if (extension.equals("WAV")) {
        const CXString path = wavPath(m_window, entry->fileName);
        if (m_resources)
            if (CFileResolver* found = m_resources->get(path)) {
                if (auto* sound = dynamic_cast<CSound4*>(found)) return sound;
                m_resources->remove(found);
            }
        auto* sound = new CSound4(m_window, path, true, false);
        if (m_resources)
            m_resources->add(sound);
        else
            entry->owned = true;
        return sound;
    }
    return nullptr;
}

void CTreeSequenceElements::setMode(CXString name, CXString value) {
    _tse_entry* entry = find(name);
    if (!entry || !entry->playable) return;
    if (value.equals("SEQUENCE"))
        entry->playable->setMode(CSequencedPlayable::kModeSequence);
    else if (value.equals("RANDOM"))
        entry->playable->setMode(CSequencedPlayable::kModeRandom);
    else if (value.equals("PARAMETER"))
        entry->playable->setMode(CSequencedPlayable::kModeParameter);
}

void CTreeSequenceElements::setWaitMode(CXString name, bool wait) {
    _tse_entry* entry = find(name);
    if (entry && entry->playable) entry->playable->setWaitMode(wait);
}

void CTreeSequenceElements::addSequenceEvent(CXString name, CXString event, CXString parameter) {
    _tse_entry* entry = find(name);
    if (entry && entry->playable) entry->playable->addEvent(event, parameter);
}

CSpeakingAnimation* CTreeSequenceElements::speaking(CXString name) {
    _tse_entry* entry = find(name);
    if (!entry || entry->type != kSpeaking || !entry->playable) return nullptr;
    return dynamic_cast<CSpeakingAnimation*>(entry->playable);
}

void CTreeSequenceElements::setAnimoFN(CXString name, CXString file) {
    if (CSpeakingAnimation* s = speaking(name)) s->setAnimation(file);
}

void CTreeSequenceElements::setWAVFN(CXString name, CXString value) {
    CSpeakingAnimation* s = speaking(name);
    if (!s) return;
    if (_tse_entry* other = find(value)) {
        // Only a sound or a simple element speaks: a sequence or another speaking
        // animation could hold this one and start it again from its own start.
        CPlayable* speech = other->playable;
        if (speech && (speech->getType() == 1 || speech->getType() == CSimpleSequenceElement::kPlayableType))
            s->apply(speech);
        return;
    }
    CMC_ObjectsContainer* scene = currentScene(m_window);
    if (scene && dynamic_cast<CMC_Sound*>(scene->getObject(value))) {
        s->apply(value);
        return;
    }
    s->apply(wavPath(m_window, value));
}

void CTreeSequenceElements::setStarting(CXString name, bool on) {
    if (CSpeakingAnimation* s = speaking(name)) s->setStarting(on);
}

void CTreeSequenceElements::setEnding(CXString name, bool on) {
    if (CSpeakingAnimation* s = speaking(name)) s->setEnding(on);
}

void CTreeSequenceElements::setPrefix(CXString name, CXString prefix) {
    if (CSpeakingAnimation* s = speaking(name)) s->setPrefix(prefix);
}

void CTreeSequenceElements::show(CXString name) {
    _tse_entry* entry = find(name);
    if (entry && entry->playable && (entry->type == kSimple || entry->type == kSpeaking)) entry->playable->show();
}

void CTreeSequenceElements::hide(CXString name) {
    _tse_entry* entry = find(name);
    if (entry && entry->playable && (entry->type == kSimple || entry->type == kSpeaking)) entry->playable->hide();
}

bool CTreeSequenceElements::reaches(int from, int to, std::vector<char>& seen) const {
    if (from == to) return true;
    if (seen[static_cast<size_t>(from)]) return false;
    seen[static_cast<size_t>(from)] = 1;
    for (int child : at(from)->children)
        if (reaches(child, to, seen)) return true;
    return false;
}

int CTreeSequenceElements::depthAbove(int index, std::vector<int>& memo) const {
    int& known = memo[static_cast<size_t>(index)];
    if (known >= 0) return known;
    int depth = 0;
    for (int parent : at(index)->parents) depth = std::max(depth, depthAbove(parent, memo) + 1);
    return known = depth;
}

int CTreeSequenceElements::heightBelow(int index, std::vector<int>& memo) const {
    int& known = memo[static_cast<size_t>(index)];
    if (known >= 0) return known;
    int height = 0;
    for (int child : at(index)->children) height = std::max(height, heightBelow(child, memo) + 1);
    return known = height;
}

void CTreeSequenceElements::add(CXString name, CXString parentName) {
    const int child = indexOf(name);
    const int parent = indexOf(parentName);
    if (child < 0 || parent < 0) return;
    _tse_entry* c = at(child);
    _tse_entry* p = at(parent);
    if (!c->playable || !p->playable || c->playable == p->playable) return;
    // Only a sequence holds children; the root is never one of them.
    if (p->type != kSequence || (m_rootName.getLength() > 0 && c->name.equals(m_rootName))) return;
    std::vector<char> seen(m_entries.size(), 0);
    if (reaches(child, parent, seen)) return;
    std::vector<int> above(m_entries.size(), -1);
    std::vector<int> below(m_entries.size(), -1);
    if (depthAbove(parent, above) + 1 + heightBelow(child, below) > kMaxDepth) return;
    c->parents.push_back(parent);
    p->children.push_back(child);
    c->playable->addParent();
    p->playable->addChild(c->playable);
}
