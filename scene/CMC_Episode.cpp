#include "scene/CMC_Episode.h"

#include "foundation/CFile.h"
#include "foundation/CFolder.h"
#include "foundation/CStringTokenizer.h"
#include "foundation/CXArchive.h"
#include "scene/CMC_Application.h"
#include "scene/CMC_StructureParser.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_String.h"
#include "script/CMC_VariableFactory.h"
#include "script/CMElement.h"
#include "shell/CWindow.h"

namespace {

const bool registered = CMC_RunnerFactory::registerRunner(
    CMC_RunnerFactory::kEpisode, []() -> CMC_Runner* { return new CMC_Episode_Runner(); });

}  // namespace

CMC_Episode::CMC_Episode(CWindow* window, CMC_StructureParser* parser, CMElement* element)
    : CMC_Scene(window, nullptr, element, kEpisode) {
    if (!element || !parser) return;
    CStringTokenizer names(element->getPropertyValue(CXString("SCENES")), CXString(", "));
    while (names.hasMoreTokens()) {
        auto* scene = dynamic_cast<CMC_Scene*>(parser->get(names.nextToken()));
        if (!scene || scene->getType() != kScene || !parser->take(scene)) continue;
        addSubScene(scene);
        addObject(scene);
    }
    // Any scene the structure built so far, not only one of the list above.
    const CXString start = element->getPropertyValue(CXString("STARTWITH"));
    if (start.IsString()) m_startScene = dynamic_cast<CMC_Scene*>(parser->get(start));
    if (!m_startScene && !m_subScenes.empty()) m_startScene = m_subScenes.front();
}

CMC_Episode::CMC_Episode(CWindow* window) : CMC_Scene(window, kEpisode) {}

CMC_Episode::~CMC_Episode() {
    if (m_current) unload(static_cast<CMC_Scene*>(nullptr));
    m_current = nullptr;
    // Its "ONDONE" ran with the leaving; the release of its objects raises none. Only
    // the application's end deletes episodes, when no script runs: the objects go now.
    flushBehList();
    CMC_ObjectsContainer::unload();
    for (CMC_Scene* scene : m_subScenes) delete scene;
    m_subScenes.clear();
}

bool CMC_Episode::initialize(CMC_Scene*) {
    CXString data = CWindow::getCDPath();
    if (data.IsString() && !data.endsWith(CXString("\\"))) data += "\\";
    data += CFolder::DATA_FOLDER;
    CFile::chDir(data);
    if (getPath().IsString()) CFile::chDir(getPath());
    if (getModules().IsString()) resolveDLLs(getModules());
    loadCnv();
    onInit();
    runInit(true);
    if (!m_startScene) {
        m_current = nullptr;
        return false;
    }
    _goto(m_startScene, nullptr);
    return true;
}

void CMC_Episode::unload(CMC_Scene* next) {
    if (m_current) {
        if (isEventHandled(kDoneEventIndex)) onSignal(CXString("ONDONE"));
        m_current->unload(next);
        m_latestScene = m_current->getName();
    }
    m_current = nullptr;
}

void CMC_Episode::serialize(CXArchive* archive) {
    if (!archive) return;
    if (archive->isStoring()) {
        CXString data = CWindow::getCDPath();
        if (data.IsString() && !data.endsWith(CXString("\\"))) data += "\\";
        data += CFolder::DATA_FOLDER;
        // The episode's own objects go into its image too; they are loaded only
        // while it is entered.
        const bool loaded = isEntered() || getCurrentScene();
        if (!loaded) {
            CFile::chDir(data);
            if (getPath().IsString()) CFile::chDir(getPath());
            loadCnv();
        }
        CMC_Scene::serialize(archive);
        if (!loaded) releaseLoaded();
        *archive << static_cast<int>(m_subScenes.size());
        *archive << getSubId(m_startScene);
        for (CMC_Scene* scene : m_subScenes) {
            // A scene being played is written as it stands: loading its file again
            // would replace the objects its scripts are using.
            const bool entered = scene->isEntered();
            if (!entered) {
                CFile::chDir(data);
                if (scene->getPath().IsString()) CFile::chDir(scene->getPath());
                scene->setUnit(getDefUnit());
                scene->loadCnv();
            }
            CFile::chDir(data);
            scene->serialize(archive);
            if (!entered) scene->releaseLoaded();
        }
        return;
    }
    CMC_Scene::serialize(archive);
    int count = 0;
    int start = -1;
    *archive >> &count;
    *archive >> &start;
    if (archive->readFailed() || count < 0 || count > archive->bytesLeft() / 4) {
        m_readWhole = false;
        return;
    }
    for (int i = 0; i < count; ++i) {
        auto* scene = new CMC_Scene(getWindow(), kScene);
        scene->setUnit(getDefUnit());
        scene->serialize(archive);
        addSubScene(scene);
        addObject(scene);
        if (archive->readFailed()) {
            m_readWhole = false;
            return;
        }
    }
    m_startScene = start >= 0 && start < count ? m_subScenes[static_cast<size_t>(start)] : nullptr;
}

CMC_Application* CMC_Episode::getMCApplication() { return dynamic_cast<CMC_Application*>(getParentScene()); }

void CMC_Episode::next() {
    const int position = getSubId(m_current);
    if (position < static_cast<int>(m_subScenes.size()) - 1) m_pending = m_subScenes[position + 1];
}

void CMC_Episode::prev() {
    const int position = getSubId(m_current);
    if (position > 0) m_pending = m_subScenes[position - 1];
}

void CMC_Episode::back() {
    const size_t n = m_history.size();
    if (n <= 1) return;
    m_pending = m_history[n - 2];
    m_history.pop_back();
}

// ---- runner -------------------------------------------------------------------------

void CMC_Episode_Runner::prepareMthHashSet() {
    CMC_Runner::prepareMthHashSet();
    putMethod("NEXT", kNext);
    putMethod("PREV", kPrev);
    putMethod("BACK", kBack);
    putMethod("RESTART", kRestart);
    putMethod("GOTO", kGoto);
    putMethod("GETLATESTSCENE", kGetLatestScene);
    putMethod("GETCURRENTSCENE", kGetCurrentScene);
}

CMC_Variable* CMC_Episode_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                      CXVector* arguments) {
    auto* episode = dynamic_cast<CMC_Episode*>(target);
    if (!episode) return CMC_Runner::run(id, target, container, arguments);
    switch (id) {
    case kNext: episode->next(); return nullptr;
    case kPrev: episode->prev(); return nullptr;
    case kBack: episode->back(); return nullptr;
    case kRestart: episode->restart(); return nullptr;
    case kGoto: episode->_goto(getParameterText(arguments, 0)); return nullptr;
    case kGetLatestScene: {
        CMC_String* result = CMC_VariableFactory::allocString();
        if (result) result->setValue(episode->getLatestScene());
        return result;
    }
    case kGetCurrentScene: {
        CMC_String* result = CMC_VariableFactory::allocString();
        CMC_Scene* current = episode->getCurrentScene();
        if (result) result->setValue(current ? current->getName() : CXString());
        return result;
    }
    default: return CMC_Runner::run(id, target, container, arguments);
    }
}
