#include "media/CMC_Sound.h"

#include <limits>

#include "foundation/CResourcesManager.h"
#include "foundation/CXArchive.h"
#include "scene/CMC_Scene.h"
#include "scene/CMC_SceneBinary.h"
#include "script/CMC_Dummy_Runner.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_TypeTable.h"
#include "script/CMElement.h"
#include "shell/CApplication.h"
#include "shell/CSound4.h"
#include "shell/CUnit6.h"
#include "shell/CWindow.h"

namespace {

const bool g_registered =
    CMC_TypeTable::registerType("SOUND",
                                [](CMC_ObjectsContainer* c, CMElement* e) -> CMC_Object* {
                                    return new CMC_Sound(c, e);
                                }) &&
    CMC_Dummy_Runner::registerCreator("SOUND",
                                      [](CMC_ObjectsContainer* c) -> CMC_Object* { return new CMC_Sound(c); }) &&
    CMC_SceneBinary::registerPrototype(CMC_Sound::kType,
                                       [](CMC_Scene* scene) -> CMC_Object* { return new CMC_Sound(scene); });

constexpr int64_t kSilence = -10000;
constexpr int64_t kFullLeft = -10000;
constexpr int64_t kFullRight = 10000;
constexpr int64_t kLowCut = -3100;
constexpr int64_t kHighCut = 3100;

int32_t saturate(int64_t value) {
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

// The default unit's manager, which shares the sounds of every scene.
CResourcesManager* defaultUnitManager() {
    CUnit6* unit = CMC_Scene::getDefUnit();
    return unit ? unit->getResourcesManager() : nullptr;
}

}  // namespace

CMC_Sound::CMC_Sound(CMC_ObjectsContainer* container, CMElement* element) : CMC_Object(container, element, kType) {
    (void)g_registered;
    const CXString fileName = element ? element->getPropertyValue(CXString("FILENAME")) : CXString();
    m_preload = element && element->getPropertyBoolValue(CXString("PRELOAD"));
    m_flushAfterPlayed = element && element->getPropertyBoolValue(CXString("FLUSHAFTERPLAYED"));
    initSound(fileName);
    initializeBehaviours(container, element);
}

CMC_Sound::CMC_Sound(CMC_ObjectsContainer* container) : CMC_Object(CXString("temp"), kType) { setScene(container); }

CMC_Sound::~CMC_Sound() { releaseSound(); }

CXString** CMC_Sound::getBehavioursList() {
    return makeBehavioursList({"ONINIT", "ONDONE", "ONSIGNAL", "ONSTARTED", "ONFINISHED", "ONRESUMED"});
}

CResourcesManager* CMC_Sound::sceneManager() {
    CMC_ObjectsContainer* container = getScene();
    if (!container || container->getType() != CMC_ObjectsContainer::kScene) return nullptr;
    return defaultUnitManager();
}

void CMC_Sound::initSound(CXString name) {
    releaseSound();
    CMC_ObjectsContainer* container = getScene();
    CWindow* window = container ? container->getWindow() : nullptr;
    CXString path = name;
    if (window) {
        // A name stored by a scene binary carries the folder already.
        const CXString folder = window->GetSoundFXPath() + "\\";
        const bool underFolder = folder.getLength() > 1 && name.getLength() >= folder.getLength() &&
                                 name.Left(folder.getLength()).equalsIgnoreCase(folder);
        if (!underFolder) {
            CApplication* application = window->GetApplicationInterface();
            path = application ? application->getWAVPath(name) : window->GetSoundFXFullPath(name);
        }
    }
    CResourcesManager* manager = sceneManager();
    if (manager) {
        CFileResolver* found = manager->get(path);
        m_sound = dynamic_cast<CSound4*>(found);
        // Something else kept under the name (a picture, say) is not ours to hold.
        if (found && !m_sound) manager->remove(found);
        if (!m_sound) {
            m_sound = new CSound4(window, path, m_flushAfterPlayed, m_preload);
            manager->add(m_sound);
        }
        m_shared = true;
    } else {
        m_sound = new CSound4(window, path, m_flushAfterPlayed, m_preload);
        m_shared = false;
    }
    m_soundAlive = m_sound->aliveFlag();
    m_sound->addNotifier(this);
}

void CMC_Sound::releaseSound() {
    CSound4* sound = getSound();
    m_sound = nullptr;
    m_soundAlive.reset();
    if (!sound) {
        // Deleted under the object: nothing of it is ours any more.
        m_shared = false;
        return;
    }
    if (!m_shared) {
        sound->removeNotifier(this);
        delete sound;
        return;
    }
    m_shared = false;
    // A unit that has gone took the sound with it.
    CResourcesManager* manager = defaultUnitManager();
    if (!manager || !manager->contains(sound)) return;
    sound->removeNotifier(this);
    manager->remove(sound);
}

bool CMC_Sound::done(bool flag) {
    releaseSound();
    return CMC_Object::done(flag);
}

void CMC_Sound::onDispose() { releaseSound(); }

void CMC_Sound::serialize(CXArchive* archive) {
    CMC_Object::serialize(archive);
    if (archive->isStoring()) {
        CSound4* sound = getSound();
        *archive << (sound ? sound->GetFileName() : CXString());
        *archive << m_preload;
        *archive << m_flushAfterPlayed;
        return;
    }
    CXString name;
    *archive >> &name;
    *archive >> &m_preload;
    *archive >> &m_flushAfterPlayed;
    initSound(name);
}

bool CMC_Sound::raise(int index, const char* event) {
    if (isEventHandled(index)) onSignal(CXString(event));
    return false;
}

bool CMC_Sound::onPlayableStarted(CPlayable*) { return raise(kOnStarted, "ONSTARTED"); }
bool CMC_Sound::onPlayableFinished(CPlayable*) { return raise(kOnFinished, "ONFINISHED"); }
bool CMC_Sound::onPlayableResumed(CPlayable*) { return raise(kOnResumed, "ONRESUMED"); }

int32_t CMC_Sound::convertVolume(int32_t value) {
    const int64_t a = (static_cast<int64_t>(value) - 800) * 4;
    if (a <= kLowCut) return static_cast<int32_t>(kSilence);
    return saturate(a);
}

int32_t CMC_Sound::convertPan(int32_t value) {
    const int64_t p = (static_cast<int64_t>(value) - 400) * 2;
    if (p <= kLowCut) return static_cast<int32_t>(kFullLeft);
    if (p >= kHighCut) return static_cast<int32_t>(kFullRight);
    return static_cast<int32_t>(p);
}
