#include "scene/CMC_Application.h"

#include <string>

#include "foundation/CFile.h"
#include "foundation/CFolder.h"
#include "foundation/CStringTokenizer.h"
#include "foundation/CXArchive.h"
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
#include "platform/DebugOutput.h"
#include "shell/CCommandLine6.h"
#include "shell/CSoundCodec.h"
#include "shell/CPrinter.h"
#include "shell/CWindow.h"
#include "foundation/CLanguageOSVer.h"
#include "graphics/core/CGraphicsObject.h"
#include "script/CMC_Bool.h"
#include "script/CMC_String.h"

namespace {

const bool registered = CMC_RunnerFactory::registerRunner(
    CMC_RunnerFactory::kApp, []() -> CMC_Runner* { return new CMC_Application_Runner(); });

constexpr int kRandomType = 102;
constexpr int kEditionWithRegistry = 3;
constexpr float kListLoadFactor = 0.75f;

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

CMC_Application::CMC_Application(CWindow* window) : CMC_Scene(window, kApplication), m_ownsRuntime(true) {
    CMC_VariableFactory::initialize();
    CMC_RunnerFactory::initialize();
    CSoundCodec_ADPCM::initialize(window);
    CMC_Behaviour::initTrash();
    {
        CFile file(nullptr, CXString("application.bin"), CFile::kReadBinary);
        if (file.LastError() != 0) {
            m_readWhole = false;
        } else {
            CXArchive archive(&file, false);
            serialize(&archive);
            if (archive.readFailed()) m_readWhole = false;
        }
    }
    if (!m_readWhole) return;
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
    // What the episodes' objects handed to the trash as they went.
    CMC_Behaviour::doneTrash();
    doneDefUnit();
    setUnit(nullptr);
    if (m_ownsRuntime) {
        CMC_VariableFactory::done();
        CMC_RunnerFactory::done();
    }
}

// ---- binary image -------------------------------------------------------------------

void CMC_Application::storeBinary() {
    for (CMC_Scene* scene : m_subScenes) {
        if (scene->getType() == kEpisode) continue;
        const std::string line = std::string("Application ") + getName().c_str() + ": scene " +
                                 scene->getName().c_str() +
                                 " lies directly under it; no application.bin is written.";
        platform::outputDebugString(line.c_str());
        return;
    }
    const CXString folder = CFile::getCurrentDirectory();
    CFile_Memory file;
    {
        CXArchive archive(&file, true);
        serialize(&archive);
    }
    CFile::chDir(CWindow::rootPath + CFolder::DATA_FOLDER);
    CFile::saveWhole(nullptr, CXString("application.bin"), file.bytes(), "application image");
    CFile::chDir(folder);
}

void CMC_Application::serialize(CXArchive* archive) {
    if (!archive) return;
    CMC_Scene::serialize(archive);
    if (archive->isStoring()) {
        *archive << static_cast<int>(m_subScenes.size());
        *archive << getSubId(m_startScene);
        for (CMC_Scene* scene : m_subScenes) scene->serialize(archive);
        return;
    }
    int count = 0;
    int start = -1;
    *archive >> &count;
    *archive >> &start;
    // Every record takes at least a length word: a count beyond that is no image.
    if (archive->readFailed() || count < 0 || count > archive->bytesLeft() / 4) {
        m_readWhole = false;
        return;
    }
    for (int i = 0; i < count; ++i) {
        auto* episode = new CMC_Episode(getWindow());
        episode->serialize(archive);
        addSubScene(episode);
        addObject(episode);
        if (archive->readFailed() || !episode->isReadWhole()) {
            m_readWhole = false;
            return;
        }
    }
    m_startScene = start >= 0 && start < count ? m_subScenes[static_cast<size_t>(start)] : nullptr;
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

namespace {

// The object's runner: the factory's for its type, else its own; null when neither.
CMC_Runner* runnerOf(CMC_Object* object) {
    CMC_Runner* runner = CMC_RunnerFactory::getRunner(object->getType());
    return runner ? runner : object->getRunner();
}

}  // namespace

CMC_Variable* CMC_Application_Runner::runMethod(CMC_Runner* self, CMC_Object* owner, CMC_ObjectsContainer* scope,
                                                CXVector* arguments, bool exactBehaviourNames) {
    const int count = argumentCount(arguments);
    if (count < 2 || !scope) return nullptr;
    CMC_Object* object = scope->getObject(self->getParameterText(arguments, 0));
    if (!object) return nullptr;
    CMC_Runner* runner = runnerOf(object);
    if (!runner) return nullptr;
    const CXString method = self->getParameterText(arguments, 1);
    const bool isRun = exactBehaviourNames ? method == "RUN" : method.equalsIgnoreCase(CXString("run"));
    const bool isRunC = exactBehaviourNames ? method == "RUNC" : method.equalsIgnoreCase(CXString("runC"));
    if (object->getType() == CMC_Behaviour::kType && (isRun || isRunC)) {
        auto* behaviour = dynamic_cast<CMC_Behaviour*>(object);
        if (!behaviour) return nullptr;
        CXArray* list = nullptr;
        if (count > 2) {
            list = new CXArray(count, kListLoadFactor);
            for (int i = 2; i < count; ++i) list->add(new CXString(self->getParameterText(arguments, i)));
        }
        behaviour->run(owner, list, isRunC);
        if (list) {
            for (int i = 0; i < list->getCount(); ++i) delete static_cast<CXString*>(list->at(i));
            delete list;
        }
        return nullptr;
    }
    CXVector rest(101, kListLoadFactor);
    for (int i = 2; i < count; ++i) rest.add(arguments->at(i));
    return runner->run(method, object, scope, &rest);
}

void CMC_Application_Runner::prepareMthHashSet() {
    CMC_Runner::prepareMthHashSet();
    putMethod("EXIT", kExit);
    putMethod("RESTART", kRestart);
    putMethod("GOTO", kGoto);
    putMethod("SETLANGUAGE", kSetLanguage);
    putMethod("GETLANGUAGE", kGetLanguage);
    putMethod("PRINT", kPrint);
    putMethod("ENABLEMUSIC", kEnableMusic);
    putMethod("DISABLEMUSIC", kDisableMusic);
    putMethod("RUN", kRun);
    putMethod("STOREBINARY", kStoreBinary);
    putMethod("RUNENV", kRunEnv);
    putMethod("EXISTSENV", kExistsEnv);
    putMethod("STARTDRAGGINGWINDOW", kStartDraggingWindow);
    putMethod("STOPDRAGGINGWINDOW", kStopDraggingWindow);
    putMethod("RELOAD", kReload);
    putMethod("GETPLAYER", kGetPlayer);
}

void CMC_Application_Runner::print(CMC_Application* application, CMC_ObjectsContainer* container,
                                   CXVector* arguments) {
    CWindow* window = application->getWindow();
    if (!window) return;
    const CXSize screen = window->GetScreenSize();
    CXRect rect(0, 0, screen.cx, screen.cy);
    const int count = argumentCount(arguments);
    if (count == 1) {
        CGraphicsObject* graphics = container ? container->getGraphicsObject(getParameterText(arguments, 0)) : nullptr;
        if (!graphics) return;
        rect = graphics->GetBoundingBox();
    } else if (count == 4) {
        rect.Set(parameterInt(arguments, 0), parameterInt(arguments, 1), parameterInt(arguments, 2),
                 parameterInt(arguments, 3));
    }
    { CPrinter printer(window, rect); }
    window->Invalidate();
    window->Redraw(false);
}

// The container named among the application's own objects, and the object named in it.
static CMC_Object* findInEnvironment(CMC_Application* application, const CXString& containerName,
                                     const CXString& objectName, CMC_ObjectsContainer** found) {
    auto* container = dynamic_cast<CMC_ObjectsContainer*>(application->getObject(containerName));
    *found = container;
    return container ? container->getObject(objectName) : nullptr;
}

CMC_Variable* CMC_Application_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                          CXVector* arguments) {
    auto* application = dynamic_cast<CMC_Application*>(target);
    if (!application) return CMC_Runner::run(id, target, container, arguments);
    CWindow* window = application->getWindow();
    const int count = argumentCount(arguments);
    switch (id) {
    case kExit: application->exit(); return nullptr;
    case kRestart: application->restart(); return nullptr;
    case kGoto: application->_goto(getParameterText(arguments, 0)); return nullptr;
    case kSetLanguage:
        if (count < 1) return nullptr;
        if (CLanguageOSVer* language = window ? window->getLangIfc() : nullptr)
            language->setLanguageFolder(getParameterText(arguments, 0));
        return nullptr;
    case kGetLanguage: {
        CLanguageOSVer* language = window ? window->getLangIfc() : nullptr;
        return CMC_VariableFactory::newString(language ? language->getLanguageFolder() : CXString());
    }
    case kPrint: print(application, container, arguments); return nullptr;
    case kEnableMusic:
    case kDisableMusic:
        if (window) window->MusicOn(id == kEnableMusic);
        return nullptr;
    case kRun: return runMethod(this, application, container, arguments, false);
    case kStoreBinary: application->storeBinary(); return nullptr;
    case kRunEnv: {
        if (count < 2) return nullptr;
        CMC_ObjectsContainer* environment = nullptr;
        auto* behaviour = dynamic_cast<CMC_Behaviour*>(findInEnvironment(
            application, getParameterText(arguments, 0), getParameterText(arguments, 1), &environment));
        if (!behaviour) return nullptr;
        CMC_ObjectsContainer* scene = behaviour->getScene();
        behaviour->setScene(environment);
        behaviour->run(environment, nullptr, true);
        behaviour->setScene(scene);
        return nullptr;
    }
    case kExistsEnv: {
        if (count < 2) return nullptr;
        CMC_ObjectsContainer* environment = nullptr;
        CMC_Object* object = findInEnvironment(application, getParameterText(arguments, 0),
                                               getParameterText(arguments, 1), &environment);
        return CMC_VariableFactory::newBool(environment && object);
    }
    case kStartDraggingWindow:
        if (count < 2 || !window) return nullptr;
        window->startDraggingWindow(CXPoint(parameterInt(arguments, 0), parameterInt(arguments, 1)));
        return nullptr;
    case kStopDraggingWindow:
        if (window) window->stopDraggingWindow();
        return nullptr;
    case kReload: application->setNextGame(getParameterText(arguments, 0)); return nullptr;
    case kGetPlayer: {
        CCommandLine6* line = window ? window->getCommandLineIfc() : nullptr;
        return CMC_VariableFactory::newString(line ? line->getPlayer() : CXString());
    }
    default: return CMC_Runner::run(id, target, container, arguments);
    }
}
