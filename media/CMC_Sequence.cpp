#include "media/CMC_Sequence.h"

#include "foundation/CXArchive.h"
#include "scene/CMC_Scene.h"
#include "scene/CMC_SceneBinary.h"
#include "script/CMC_Behaviour.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_TypeTable.h"
#include "script/CMElement.h"
#include "shell/CUnit6.h"

namespace {

const bool g_registered =
    CMC_TypeTable::registerType("SEQUENCE",
                                [](CMC_ObjectsContainer* c, CMElement* e) -> CMC_Object* {
                                    return new CMC_Sequence(c, e);
                                }) &&
    CMC_SceneBinary::registerPrototype(CMC_Sequence::kType,
                                       [](CMC_Scene* scene) -> CMC_Object* { return new CMC_Sequence(scene); });

// Holds a let-go tree in the global trash until the next application step.
class CSequenceRelease : public CXObject {
public:
    explicit CSequenceRelease(CPlayable* playable) : m_playable(playable), m_alive(playable->aliveFlag()) {}
    ~CSequenceRelease() override {
        if (*m_alive) delete m_playable;
    }
    CSequenceRelease(const CSequenceRelease&) = delete;
    CSequenceRelease& operator=(const CSequenceRelease&) = delete;

private:
    CPlayable* m_playable;
    std::shared_ptr<const bool> m_alive;
};

}  // namespace

CMC_Sequence::CMC_Sequence(CMC_ObjectsContainer* container, CMElement* element)
    : CMC_Object(container, element, kType) {
    (void)g_registered;
    m_window = container ? container->getWindow() : nullptr;
    m_fileName = element ? element->getPropertyValue(CXString("FILENAME")) : CXString();
    initializeBehaviours(container, element);
}

CMC_Sequence::CMC_Sequence(CMC_ObjectsContainer* container) : CMC_Object(CXString("temp"), kType) {
    setScene(container);
    m_window = container ? container->getWindow() : nullptr;
}

CMC_Sequence::~CMC_Sequence() { releaseSequence(true); }

CXString** CMC_Sequence::getBehavioursList() {
    return makeBehavioursList({"ONINIT", "ONDONE", "ONSIGNAL", "ONSTARTED", "ONFINISHED"});
}

bool CMC_Sequence::doneFirst() { return true; }

void CMC_Sequence::init() {
    releaseSequence(false);
    CUnit6* unit = CMC_Scene::getDefUnit();
    CResourcesManager* resources = unit ? unit->getResourcesManager() : nullptr;
    m_made = CMultimediaSequenceCreator::Made();
    m_sequence = CMultimediaSequenceCreator::load(m_window, m_fileName, resources, this, &m_made);
    m_alive = m_sequence ? m_sequence->aliveFlag() : nullptr;
    CMC_Object::init();
}

CPlayable* CMC_Sequence::getSequence() {
    if (!current() && m_fileName.getLength() > 0) init();
    return current();
}

bool CMC_Sequence::done(bool flag) {
    if (flag) releaseSequence(false);
    return CMC_Object::done(flag);
}

void CMC_Sequence::onDispose() { releaseSequence(false); }

void CMC_Sequence::releaseSequence(bool now) {
    for (const auto& [playable, alive] : m_made.playables)
        if (*alive && playable->getGenericNotifier() == this) playable->setGenericNotifier(nullptr);
    CPlayable* root = current();
    const bool shared = m_made.rootShared;
    m_made = CMultimediaSequenceCreator::Made();
    m_sequence = nullptr;
    m_alive.reset();
    if (!root || shared) return;
    if (now) {
        delete root;
        return;
    }
    if (root->isPlaying()) root->stop(false);
    CMC_Behaviour::addToTrash(new CSequenceRelease(root));
}

void CMC_Sequence::serialize(CXArchive* archive) {
    CMC_Object::serialize(archive);
    if (archive->isStoring())
        *archive << m_fileName;
    else
        *archive >> &m_fileName;
}

void CMC_Sequence::raise(int index, const char* event, CPlayable* playable) {
    if (!isEventHandled(index)) return;
    if (!playable) return;
    CXString name = playable->getName();
    name.Upper();
    CXString key(event);
    key += "^";
    key += name;
    onSignal(key);
}

bool CMC_Sequence::onPlayableStarted(CPlayable* playable) {
    if (!playable || !isEventHandled(kOnStarted)) return false;
    if (playable->isParent() && playable == current())
        onSignal(CXString("ONSTARTED"));
    else
        raise(kOnStarted, "ONSTARTED", playable);
    return false;
}

bool CMC_Sequence::onPlayableFinished(CPlayable* playable) {
    if (!playable || !isEventHandled(kOnFinished)) return false;
    if (playable == current())
        onSignal(CXString("ONFINISHED"));
    else
        raise(kOnFinished, "ONFINISHED", playable);
    return false;
}
