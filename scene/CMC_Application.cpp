#include "scene/CMC_Application.h"

#include "foundation/CFile.h"
#include "foundation/CFolder.h"
#include "foundation/CStringTokenizer.h"
#include "foundation/CXVersion.h"
#include "scene/CMC_Episode.h"
#include "scene/CMC_StructureParser.h"
#include "scene/CMC_System.h"
#include "scene/CVondrelWEB.h"
#include "script/CMC_Behaviour.h"
#include "script/CMC_CNVLoader.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_VariableFactory.h"
#include "script/CMElement.h"
#include "shell/CCommandLine6.h"
#include "shell/CSoundCodec.h"
#include "shell/CWindow.h"

namespace {

const bool registered = CMC_RunnerFactory::registerRunner(
    CMC_RunnerFactory::kApp, []() -> CMC_Runner* { return new CMC_Application_Runner(); });

constexpr int kRandomType = 102;
constexpr int kEditionWithRegistry = 3;

// Takes the named objects of the list that are of the type and that no earlier list took.
template <class Take>
void takeList(CMC_StructureParser* parser, const CXString& names, int type, Take take) {
    CStringTokenizer tokens(names, CXString(", "));
    while (tokens.hasMoreTokens()) {
        auto* scene = dynamic_cast<CMC_Scene*>(parser->get(tokens.nextToken()));
        if (scene && scene->getType() == type && parser->take(scene)) take(scene);
    }
}

}  // namespace

CMC_Application::CMC_Application(CWindow* window, CMC_StructureParser* parser, CMElement* element,
                                 CCommandLine6* commandLine)
    : CMC_Scene(window, nullptr, element, kApplication), m_commandLine(commandLine) {
    m_requiredVersion =
        std::make_unique<CXVersion>(element ? element->getPropertyValue(CXString("VONDREL_VERSION")) : CXString());
    CXVersion* current = CXVersion::getCurrentVersion();
    if (current && current->getType() == kEditionWithRegistry) {
        CXString key(CVondrelWEB::kEngineKey);
        key += "\\";
        if (CCommandLine6* line = window ? window->getCommandLineIfc() : nullptr) key += line->getPath();
        CVondrelWEB::update_registry(CVondrelWEB::kCurrentUser, key, CXString("Version"),
                                     element ? element->getPropertyValue(CXString("VERSION")) : CXString());
    }
    CSoundCodec_ADPCM::initialize(window);
    CMC_Behaviour::initTrash();
    if (element && parser) {
        takeList(parser, element->getPropertyValue(CXString("EPISODES")), kEpisode, [this](CMC_Scene* episode) {
            addSubScene(episode);
            for (CMC_Scene* scene : episode->getSubScenes()) addObject(scene);
        });
        takeList(parser, element->getPropertyValue(CXString("SCENES")), kScene, [this](CMC_Scene* scene) {
            addSubScene(scene);
            addObject(scene);
        });
        // Any scene the structure built, not only one of the lists above.
        const CXString start = element->getPropertyValue(CXString("STARTWITH"));
        if (start.IsString()) m_startScene = dynamic_cast<CMC_Scene*>(parser->get(start));
    }
    if (!m_startScene && !m_subScenes.empty()) m_startScene = m_subScenes.front();

    CXString data = CWindow::getCDPath();
    if (data.IsString() && !data.endsWith(CXString("\\"))) data += "\\";
    data += CFolder::DATA_FOLDER;
    CFile::chDir(data);
    if (getPath().IsString()) CFile::chDir(getPath());
    loadCnv();
}

CMC_Application::~CMC_Application() {
    if (m_current) unload(static_cast<CMC_Scene*>(nullptr));
    m_current = nullptr;
    // Its "ONDONE" ran with the leaving; the release of its objects raises none. No
    // script runs here (shutdown, or the application step replacing the game after
    // RELOAD): its objects, and those the leaving handed to the trash, go now.
    flushBehList();
    CMC_ObjectsContainer::unload();
    CMC_Behaviour::doneTrash();
    CSoundCodec_ADPCM::done();
    for (CMC_Scene* scene : m_subScenes) delete scene;
    m_subScenes.clear();
    doneDefUnit();
    setUnit(nullptr);
}

CXString** CMC_Application::getBehavioursList() {
    return makeBehavioursList({"ONINIT", "ONDONE", "ONSIGNAL", "ONDOMODAL", "ONRESTART", "ONMUSICLOOPED",
                               "ONACTIVATE", "ONDEACTIVATE", "ONUPGRADE"});
}

bool CMC_Application::initialize(CMC_Scene*) {
    setUnit(getDefUnit());
    addObject(new CMC_Object(CXString("RANDOM"), kRandomType));
    addObject(new CMC_System(this));
    addObject(new CMC_CNVLoader(getWindow(), this));
    onInit();
    runInit(true);
    if (!m_startScene) return false;
    _goto(m_startScene, nullptr);
    return true;
}

bool CMC_Application::domodal() {
    CMC_VariableFactory::clearPool();
    CMC_Behaviour::flushTrash();
    CMC_Scene::domodal();
    return m_nextGame.IsString();
}

void CMC_Application::unload(CMC_Scene* next) {
    if (m_current) {
        onSignal(CXString("ONDONE"));
        m_current->unload(next);
    }
    m_current = nullptr;
}

void CMC_Application::onMusicLooped() {
    CMC_Scene* scene = getCurrentScene();
    if (scene && scene->getType() == kEpisode) scene = scene->getCurrentScene();
    if (scene) scene->onSignal(CXString("ONMUSICLOOPED"));
}

void CMC_Application::exit() {
    if (getWindow()) getWindow()->quit();
    onSignal(CXString("ONEXIT"));
}

void CMC_Application::restart() {
    if (!m_startScene) return;
    if (m_current == m_startScene) {
        m_startScene->restart();
        return;
    }
    if (m_current) unload(m_current);
    m_current = m_startScene;
    m_startScene->initialize(m_startScene);
}

// ---- runner -------------------------------------------------------------------------

void CMC_Application_Runner::prepareMthHashSet() {
    CMC_Runner::prepareMthHashSet();
    putMethod("EXIT", kExit);
    putMethod("RESTART", kRestart);
    putMethod("GOTO", kGoto);
    putMethod("RELOAD", kReload);
}

CMC_Variable* CMC_Application_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                          CXVector* arguments) {
    auto* application = dynamic_cast<CMC_Application*>(target);
    if (!application) return CMC_Runner::run(id, target, container, arguments);
    switch (id) {
    case kExit: application->exit(); return nullptr;
    case kRestart: application->restart(); return nullptr;
    case kGoto: application->_goto(getParameterText(arguments, 0)); return nullptr;
    case kReload: application->setNextGame(getParameterText(arguments, 0)); return nullptr;
    default: return CMC_Runner::run(id, target, container, arguments);
    }
}
