#include "scene/CMC_Scene.h"

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "foundation/CConfig.h"
#include "foundation/CFile.h"
#include "foundation/CFolder.h"
#include "foundation/CPath.h"
#include "foundation/CPerformanceTimer.h"
#include "foundation/CStringTokenizer.h"
#include "foundation/CXArchive.h"
#include "foundation/CXVector.h"
#include "graphics/core/CGraphicsObject.h"
#include "graphics/input/CCollisionInspector.h"
#include "graphics/screen/CRefreshScreen.h"
#include "platform/DebugOutput.h"
#include "scene/CMC_Application.h"
#include "scene/CMC_Mouse.h"
#include "scene/CMC_SceneBinary.h"
#include "scene/CMC_SequenceHolder.h"
#include "scene/CMC_Timer.h"
#include "graphics/play/CPlayable.h"
#include "script/CMC_Array.h"
#include "script/CMC_ObjectGroup.h"
#include "script/CMC_String.h"
#include "script/CMC_VariableFactory.h"
#include "script/CMC_Behaviour.h"
#include "script/CMC_CNVLoader.h"
#include "script/CMC_DLLExModuleInterface.h"
#include "script/CMC_DownloadSource.h"
#include "script/CMC_ExternObject.h"
#include "script/CMElement.h"
#include "script/CMElements.h"
#include "script/CMElementsLoader.h"
#include "script/CMC_TypeTable.h"
#include "shell/CWindow.h"

namespace {

const CXString kInitName("__INIT__");

// The scene's folder under the data folder.
CXString dataFolder(const CXString& path) {
    CXString folder = CFolder::DATA_FOLDER;
    folder += "\\";
    folder += path;
    return folder;
}

// Bytes left in the archive's file.
int64_t bytesLeft(CXArchive* archive) {
    CFile* file = archive->getFile();
    return file ? static_cast<int64_t>(file->Length()) - file->Tell() : 0;
}

}  // namespace

// ---- construction -------------------------------------------------------------------

class CMC_Scene::MonitoredWatch : public CInvalidateObserver {
public:
    explicit MonitoredWatch(std::vector<CGraphicsObject*>& monitored) : m_monitored(monitored) {}
    void onInvalidate(CGraphicsObject*, CXRect*) override {}
    void onDestroy(CGraphicsObject* object) override { std::erase(m_monitored, object); }

private:
    std::vector<CGraphicsObject*>& m_monitored;
};

CMC_Scene::CMC_Scene(CWindow* window, CMC_Scene* parent, CMElement* element, int type)
    : CMC_ObjectsContainer(window, nullptr, element, type),
      m_monitoredWatch(std::make_unique<MonitoredWatch>(m_monitored)) {
    createDefUnit(window);
    if (element) {
        m_modulesText = element->getPropertyValue(CXString("DLLS"));
        m_description = element->getPropertyValue(CXString("DESCRIPTION"));
        m_creationTime = element->getPropertyValue(CXString("CREATIONTIME"));
        m_lastModifyTime = element->getPropertyValue(CXString("LASTMODIFYTIME"));
        m_author = element->getPropertyValue(CXString("AUTHOR"));
        m_coauthors = element->getPropertyValue(CXString("COAUTHORS"));
        m_path = element->getPropertyValue(CXString("PATH"));
        m_background = element->getPropertyValue(CXString("BACKGROUND"));
        m_music = element->getPropertyValue(CXString("MUSIC"));
        m_daemon = element->getPropertyBoolValue(CXString("DEAMON"));
    }
    setLookupParent(parent);
    setScene(this);
    addObject(this);
}

CMC_Scene::CMC_Scene(CWindow* window, int type)
    : CMC_ObjectsContainer(window, nullptr, CXString(), type),
      m_monitoredWatch(std::make_unique<MonitoredWatch>(m_monitored)) {
    m_binary = true;
    createDefUnit(window);
    setScene(this);
    addObject(this);
}

CMC_Scene::~CMC_Scene() {
    if (m_entered) {
        CMC_Scene::unload(static_cast<CMC_Scene*>(nullptr));
    } else {
        // Scenes go with the application (or the parser), when no script runs.
        flushBehList();
        CMC_ObjectsContainer::unload();
    }
    doneDLLs();
    CCollisionInspector* inspector = collisionInspector();
    for (CGraphicsObject* object : m_monitored) {
        if (inspector) inspector->removeMonitoredObject(object);
        object->removeInvalidateObserver(m_monitoredWatch.get());
    }
    m_monitored.clear();
    CMC_CNVLoader::forgetContainer(this);
    if (getWindow() && m_unit && getWindow()->getCurrentUnit() == m_unit && m_entered) getWindow()->setCurrentUnit(nullptr);
}

void CMC_Scene::createDefUnit(CWindow* window) {
    if (!s_defUnit) s_defUnit = new CUnit6(window, CXString("Default"));
}

void CMC_Scene::doneDefUnit() {
    if (s_defUnit && s_defUnit->getWindow() && s_defUnit->getWindow()->getCurrentUnit() == s_defUnit)
        s_defUnit->getWindow()->setCurrentUnit(nullptr);
    delete s_defUnit;
    s_defUnit = nullptr;
}

void CMC_Scene::registerScopes() {
    addObject(this);
    CMC_ObjectsContainer* parent = getParent();
    if (!parent) return;
    if (parent->getParent() && parent->getParent() != this) addObject(parent->getParent());
    if (parent != this) addObject(parent);
}

// ---- script object ------------------------------------------------------------------

CXString** CMC_Scene::getBehavioursList() {
    return makeBehavioursList({"ONINIT", "ONDONE", "ONSIGNAL", "ONDOMODAL", "ONRESTART", "ONMUSICLOOPED",
                               "ONACTIVATE", "ONDEACTIVATE"});
}

bool CMC_Scene::onSignal(CXString key) {
    if (CMC_Object::onSignal(key)) return true;
    CXString name("__");
    name += key;
    name += "__";
    auto* behaviour = dynamic_cast<CMC_Behaviour*>(getObject(name));
    if (!behaviour) return false;
    behaviour->run(this, nullptr, false);
    return true;
}

// ---- extension modules --------------------------------------------------------------

void CMC_Scene::resolveDLLs(CXString names) {
    doneDLLs();
    m_modules = new std::vector<CMC_DLLExModuleInterface*>();
    CStringTokenizer tokens(names, CXString(","));
    while (tokens.hasMoreTokens()) m_modules->push_back(new CMC_DLLExModuleInterface(tokens.nextToken(), this));
}

void CMC_Scene::doneDLLs() {
    if (!m_modules) return;
    for (CMC_DLLExModuleInterface* module : *m_modules) delete module;
    delete m_modules;
    m_modules = nullptr;
}

CMC_Object* CMC_Scene::resolveEx(CMElement* element) {
    if (!m_modules) return nullptr;
    for (CMC_DLLExModuleInterface* module : *m_modules) {
        CMC_ExternObject* module_interface = module ? module->getModuleInterface() : nullptr;
        if (!module_interface) continue;
        if (CMC_Object* object = module_interface->resolveExtern(this, element)) return object;
    }
    return nullptr;
}

CMC_Object* CMC_Scene::serializeEx(CXArchive* archive, int type) {
    if (!m_modules) return nullptr;
    for (CMC_DLLExModuleInterface* module : *m_modules) {
        CMC_ExternObject* module_interface = module ? module->getModuleInterface() : nullptr;
        if (!module_interface) continue;
        if (CMC_Object* object = module_interface->serializeExtern(type, archive)) return object;
    }
    return nullptr;
}

// ---- loading ------------------------------------------------------------------------

bool CMC_Scene::loadCnv() {
    if (m_binary) {
        CXString fileName = getName();
        fileName += ".bin";
        CFile file(nullptr, fileName, CFile::kReadBinary);
        if (file.LastError() != 0) return false;
        CXArchive archive(&file, false);
        readImage(&archive);
        return true;
    }
    CXString fileName = getName();
    fileName += ".cnv";
    if (!CFile::fileExists(fileName)) return false;
    CMElements* elements = CMElementsLoader::load(getWindow(), fileName);
    if (!elements) return false;
    if (m_unit) elements = m_unit->resolveObjects(this, elements);
    delete resolveObjects(elements);
    initializeBehaviours(this, elements->get(getName()));
    delete elements;
    return false;
}

namespace {

// Whether a type id belongs to a kind of the type table (as opposed to an extension
// module's own kind).
bool isTypeTableKind(int type) {
    const CMC_TypeTable::Row* rows = CMC_TypeTable::rows();
    for (int i = 0; i < CMC_TypeTable::rowCount(); ++i)
        if (rows[i].id == type) return true;
    return false;
}

}  // namespace

void CMC_Scene::writeImage(CXArchive* archive) {
    std::vector<CMC_Object*> objects;
    std::set<int> skipped;
    const CXVector* list = getObjectList();
    for (int i = 0; list && i < list->getCount(); ++i) {
        auto* object = static_cast<CMC_Object*>(list->at(i));
        const int type = object->getType();
        if (CMC_SceneBinary::isLeftOut(type)) continue;
        // Records carry no length: a record no reader knows would stop the reading and
        // lose every record after it, so only kinds that are read back are written.
        if (!CMC_SceneBinary::getPrototype(type) && isTypeTableKind(type)) {
            if (skipped.insert(type).second) {
                CXString line;
                line.Format("Scene %s: objects of type %d have no binary form and are left out of its image.",
                            getName(), type);
                platform::outputDebugString(line.c_str());
            }
            continue;
        }
        objects.push_back(object);
    }
    // Handlers that the scene's MOUSE, KEYBOARD and CANVAS_OBSERVER elements gave to
    // such an object outside it follow as records of their own, which the reader merges
    // back.
    const std::vector<CMC_Object*> merged = CMC_TypeTable::mergedOutside(this);
    *archive << m_modulesText;
    *archive << m_background;
    *archive << m_music;
    *archive << static_cast<int>(objects.size() + merged.size());
    for (CMC_Object* object : objects) {
        *archive << object->getType();
        object->serialize(archive);
    }
    for (CMC_Object* object : merged) {
        *archive << object->getType();
        object->storeHandlersOf(archive, this);
    }
    CMC_SceneBinary::writeSupplements(archive, objects);
}

void CMC_Scene::readImage(CXArchive* archive) {
    int count = 0;
    *archive >> &m_modulesText;
    *archive >> &m_background;
    *archive >> &m_music;
    if (bytesLeft(archive) >= 4) *archive >> &count;
    const std::map<int, std::vector<CXString>> supplements = CMC_SceneBinary::readSupplements(archive);
    // Records whose handlers go to an object met before them, as a definition's merge.
    std::vector<std::pair<CMC_Object*, CMC_Object*>> merged;
    for (int i = 0; i < count && bytesLeft(archive) >= 4; ++i) {
        int code = 0;
        *archive >> &code;
        CMC_Object* object = nullptr;
        if (CMC_SceneBinary::Prototype prototype = CMC_SceneBinary::getPrototype(code)) {
            object = prototype(this);
            if (object) {
                object->setScene(this);
                object->serialize(archive);
                if (auto texts = supplements.find(i); texts != supplements.end())
                    CMC_SceneBinary::applySupplement(object, texts->second);
            }
        } else {
            object = serializeEx(archive, code);
            if (object) object->setScene(this);
        }
        if (!object) {
            // Records carry no length: nothing after an unknown one can be found.
            CXString line;
            line.Format("Scene %s: type code %d in its binary image is unknown; reading stops.", getName(), code);
            platform::outputDebugString(line.c_str());
            break;
        }
        if (CMC_Object* into = CMC_TypeTable::mergeTarget(this, object->getType(), object->getName())) {
            merged.emplace_back(object, into);
            continue;
        }
        addObject(object);
    }
    std::vector<CMC_Object*> objects;
    const CXVector* list = getObjectList();
    for (int i = 0; list && i < list->getCount(); ++i) objects.push_back(static_cast<CMC_Object*>(list->at(i)));
    // Every object is there now: behaviours bind their conditions by name.
    for (CMC_Object* object : objects)
        if (object->getType() == CMC_Behaviour::kType)
            if (auto* behaviour = dynamic_cast<CMC_Behaviour*>(object)) behaviour->resolveCondition();
    initializeBehaviours(this, nullptr);
    for (CMC_Object* object : objects)
        if (object != this && !isContainerType(object->getType())) object->initializeBehaviours(this, nullptr);
    for (auto& [object, into] : merged) {
        object->mergeHandlersInto(into, this);
        CMC_Object::disposeQuietly(object);
    }
}

void CMC_Scene::releaseLoaded() {
    removeAllBehaviours();
    CMC_ObjectsContainer::unload();
    registerScopes();
}

void CMC_Scene::serialize(CXArchive* archive) {
    const CXString folder = CFile::getCurrentDirectory();
    if (!archive->isStoring()) {
        CMC_Object::serialize(archive);
        *archive >> &m_path;
        // Registered under the empty name when made; scripts find it by its own.
        removeObject(this);
        addObject(this);
        return;
    }
    CMC_Object::serialize(archive);
    *archive << m_path;
    CXString fileName = getName();
    fileName += ".bin";
    CFile::chDir(CWindow::rootPath + dataFolder(m_path));
    {
        // Built whole, then written in one step: a torn image would load with
        // objects missing, so a failed write keeps the old one.
        CFile_Memory file;
        CXArchive image(&file, true);
        writeImage(&image);
        CFile::saveWhole(nullptr, fileName, file.bytes(), "scene image");
    }
    CFile::chDir(folder);
}

// ---- queries --------------------------------------------------------------------------

namespace {

constexpr int kAnimoType = 2000;
constexpr int kSequenceType = 2004;

std::vector<CMC_Object*> objectsOf(const CXVector* list) {
    std::vector<CMC_Object*> objects;
    for (int i = 0; list && i < list->getCount(); ++i) objects.push_back(static_cast<CMC_Object*>(list->at(i)));
    return objects;
}

CPlayable* sequencedPlayable(CMC_Object* object) {
    if (object->getType() != kSequenceType) return nullptr;
    auto* holder = dynamic_cast<CMC_SequenceHolder*>(object);
    return holder ? holder->getSequencedPlayable() : nullptr;
}

void empty(CMC_ObjectGroup* group) {
    CXVector* list = group->getList();
    for (CMC_Object* member : objectsOf(list)) group->remove(member);
}

bool arrayHolds(CMC_Array* array, const CXString& name) {
    for (int i = 0; i < array->getSize(); ++i)
        if (CMC_Variable* value = array->get(i))
            if (value->toString() == name) return true;
    return false;
}

}  // namespace

void CMC_Scene::getPlayingSeq(CMC_Array* array) {
    if (!array) return;
    for (CMC_Object* object : objectsOf(getObjectList())) {
        CPlayable* playable = sequencedPlayable(object);
        if (!playable || !playable->isPlaying()) continue;
        CMC_String* name = CMC_VariableFactory::allocString();
        if (!name) return;
        name->setValue(object->getName());
        array->add(name);
    }
}

void CMC_Scene::resumeExcept(CMC_Array* array) {
    if (!array) return;
    for (CMC_Object* object : objectsOf(getObjectList())) {
        CPlayable* playable = sequencedPlayable(object);
        if (playable && playable->isPaused() && arrayHolds(array, object->getName())) playable->resume();
    }
}

void CMC_Scene::getPlayingAnimo(CMC_ObjectGroup* group) {
    if (!group) return;
    empty(group);
    GraphicsAccessor accessor = getGraphicsAccessor(kAnimoType);
    for (CMC_Object* object : objectsOf(getObjectList())) {
        if (object->getType() != kAnimoType || !accessor) continue;
        auto* playable = dynamic_cast<CPlayable*>(accessor(object, CXString()));
        if (playable && playable->isPlaying()) group->add(object);
    }
}

void CMC_Scene::getRunningTimers(CMC_ObjectGroup* group) {
    if (!group) return;
    empty(group);
    for (CMC_Object* object : objectsOf(getObjectList())) {
        if (object->getType() != CMC_Timer::kType) continue;
        auto* timer = dynamic_cast<CMC_Timer*>(object);
        if (timer && timer->isEnabled()) group->add(object);
    }
}

void CMC_Scene::getObjects(CXString typeWord, CMC_ObjectGroup* group) {
    if (!group) return;
    empty(group);
    const int type = getTypeId(typeWord);
    if (type < 0) return;
    for (CMC_Object* object : objectsOf(getObjectList()))
        if (object->getType() == type && object != group) group->add(object);
}

// ---- run-time creation ----------------------------------------------------------------

namespace {

std::map<std::string, CMC_Scene::RuntimeCreator>& runtimeKinds() {
    static std::map<std::string, CMC_Scene::RuntimeCreator> kinds;
    return kinds;
}

}  // namespace

bool CMC_Scene::registerRuntimeKind(const char* kind, RuntimeCreator creator) {
    if (kind) runtimeKinds()[kind] = creator;
    return true;
}

void CMC_Scene::createObject(CXString kind, CXString name) {
    auto found = runtimeKinds().find(std::string(kind.c_str()));
    if (found == runtimeKinds().end() || !found->second) return;
    CMC_ObjectsContainer* scope = getScene();
    CMC_Object* object = found->second(scope, name);
    if (!object) return;
    object->initializeBehaviours(scope, nullptr);
    addObject(object);
}

// ---- entering, stepping, leaving ----------------------------------------------------

int32_t CMC_Scene::clockSeconds() { return CPerformanceTimer::getMilliseconds() / 1000; }

void CMC_Scene::runInit(bool ownOnly) {
    CMC_Object* found = ownOnly ? (getObjectId(kInitName) >= 0 ? getObject(kInitName) : nullptr) : getObject(kInitName);
    if (auto* behaviour = dynamic_cast<CMC_Behaviour*>(found)) behaviour->run(this, nullptr, true);
}

void CMC_Scene::onInit() {
    const CXVector* list = getObjectList();
    if (!list || list->getCount() == 0) return;
    std::vector<CMC_Object*> objects;
    for (int i = 0; i < list->getCount(); ++i) objects.push_back(static_cast<CMC_Object*>(list->at(i)));
    const bool initSelf = getType() == kApplication || getType() == kEpisode;
    for (CMC_Object* object : objects) {
        if (isContainerType(object->getType()) && !(object == this && initSelf)) continue;
        // An init may take later objects out; those are not visited.
        if (object != this && getObjectId(object->getName()) < 0) continue;
        object->init();
    }
}

bool CMC_Scene::initialize(CMC_Scene* left) {
    CWindow* window = getWindow();
    m_unit = s_defUnit;
    CFile::chDir(CWindow::rootPath);
    if (m_modulesText.IsString()) resolveDLLs(m_modulesText);
    CXString cnvName = getName();
    cnvName += ".cnv";
    if (CFile::chDir(dataFolder(m_path)) != 0 || !CFile::fileExists(cnvName)) {
        CFile::chDir(CWindow::getCDPath());
        CFile::chDir(dataFolder(m_path));
    }
    if (m_unit) {
        m_previousUnitName = m_unit->getUnitName();
        m_unit->setUnitName(getName());
        loadCnv();
        m_unit->setBackgroundFileName(m_background);
        m_unit->initialize(this, s_defUnit);
        if (window) window->setCurrentUnit(m_unit);
        if (CMC_ObjectsContainer* parent = getParent()) {
            parent->setScene(this);
            if (CMC_ObjectsContainer* grandparent = parent->getParent()) grandparent->setScene(this);
        }
        onInit();
        runInit(false);
        if (isEventHandled(kInitEventIndex)) onSignal(CXString("ONINIT"));
        m_musicShouldStart = !(left && left->getMusicFilename().equals(getMusicFilename()));
    }
    m_startTime = clockSeconds();
    m_entered = true;
    return true;
}

bool CMC_Scene::domodal() {
    if (m_pending) {
        // Taken first, so that a change asked for while entering waits for the next step.
        CMC_Scene* target = m_pending;
        m_pending = nullptr;
        _goto(target, m_current);
    }
    const bool result = m_current ? m_current->domodal() : false;
    flushDownloads();
    return result;
}

void CMC_Scene::flushDownloads() {
    CXVector* list = getDownloadList();
    if (!list || list->isEmpty()) return;
    // A handler may add or dispose of download objects: a snapshot is walked, and an
    // object that left the list meanwhile is passed over (disposed objects live until
    // the next trash flush, so the pointers stay valid for the walk).
    std::vector<CXObject*> snapshot;
    for (int i = 0; i < list->getCount(); ++i) snapshot.push_back(list->at(i));
    for (CXObject* object : snapshot) {
        if (!list->contains(object)) continue;
        if (auto* source = dynamic_cast<CMC_DownloadSource*>(object)) source->flushDownloadFinished();
    }
}

void CMC_Scene::_goto(CMC_Scene* target, CMC_Scene* left) {
    if (!target) return;
    unload(target);
    m_current = target;
    target->initialize(left);
    m_history.push_back(target);
}

void CMC_Scene::_goto(CXString name) { m_pending = find(name); }

void CMC_Scene::unload(CMC_Scene* next) {
    if (CMC_ObjectsContainer* parent = getParent()) parent->onSubSceneDone(this);
    saveStats();
    CMC_Mouse::reset(true);
    flushBehList();
    // Objects in the trash live until the next application step, which comes after the
    // next frame's redraw: their pictures leave the screen now.
    takeGraphicsOffScreen();
    // A script of this scene may have asked for the leaving (RESTART from a timer's
    // handler) and still run: the objects, and the modules whose code some of them
    // are, go at the next application step, through the global trash.
    unloadObjects(true);
    if (m_modules) {
        for (CMC_DLLExModuleInterface* module : *m_modules) CMC_Behaviour::addToTrash(module);
        delete m_modules;
        m_modules = nullptr;
    }
    if (m_unit) {
        m_unit->done(this, next ? s_defUnit : nullptr);
        m_unit->flushEditBoxes();
        m_unit->setUnitName(m_previousUnitName);
        if (getWindow() && getWindow()->getCurrentUnit() == m_unit) getWindow()->setCurrentUnit(nullptr);
    }
    if (!next || !next->getMusicFilename().equals(getMusicFilename())) stopMusic();
    // Loops counted while this scene played are not the next one's.
    if (getWindow()) getWindow()->clearMusicLoops();
    m_entered = false;
    registerScopes();
}

void CMC_Scene::takeGraphicsOffScreen() {
    CWindow* window = getWindow();
    CRefreshScreen* screen = window ? window->GetRefreshScreenInterface() : nullptr;
    const CXVector* list = getObjectList();
    if (!screen || !list) return;
    for (int i = 0; i < list->getCount(); ++i) {
        auto* object = static_cast<CMC_Object*>(list->at(i));
        if (!object || isContainerType(object->getType())) continue;
        const GraphicsAccessor accessor = getGraphicsAccessor(object->getType());
        CGraphicsObject* graphics = accessor ? accessor(object, CXString()) : nullptr;
        if (!graphics || screen->GetPriority(graphics) == -1) continue;
        screen->Invalidate(graphics);
        *screen >> graphics;
    }
}

void CMC_Scene::restart() {
    if (!m_subScenes.empty()) m_pending = m_subScenes.front();
    if (isEventHandled(kRestartEventIndex)) onSignal(CXString("ONRESTART"));
}

void CMC_Scene::saveStats() {
    const bool entered = m_entered;
    const int32_t start = m_startTime;
    m_startTime = 0;
    m_entered = false;
    CConfig* config = getWindow() ? getWindow()->getConfig() : nullptr;
    if (!config) return;
    const CXString section = getName();
    int time = config->GetInt(section, CXString("Time"));
    int played = config->GetInt(section, CXString("Played"));
    if (entered) {
        played += 1;
        time += clockSeconds() - start;
    }
    config->PutInt(section, CXString("Time"), time);
    config->PutInt(section, CXString("Played"), played);
}

// ---- music --------------------------------------------------------------------------

CXString CMC_Scene::getMusicFilename() {
    if (m_music.IsString()) return m_music;
    if (CMC_Scene* parent = getParentScene()) return parent->getMusicFilename();
    return CXString();
}

void CMC_Scene::startMusic(const char* name, bool force) {
    if (!m_unit) return;
    if (name && !getMusicFilename().equals(CXString(name))) {
        m_music = CXString(name);
        m_musicShouldStart = true;
    }
    m_unit->startMusic(name, force);
}

void CMC_Scene::stopMusic() {
    if (!m_unit) return;
    m_unit->stopMusic();
    m_musicShouldStart = true;
}

// ---- tree ---------------------------------------------------------------------------

CMC_Scene* CMC_Scene::getParentScene() const { return dynamic_cast<CMC_Scene*>(getParent()); }

CMC_Application* CMC_Scene::getMCApplication() {
    CMC_Scene* parent = getParentScene();
    return parent ? dynamic_cast<CMC_Application*>(parent->getParentScene()) : nullptr;
}

CMC_Scene* CMC_Scene::find(CXString name) {
    for (CMC_Scene* scene : m_subScenes)
        if (scene->getNameRef() == name) return scene;
    return nullptr;
}

CMC_Scene* CMC_Scene::getScene(CXString name) {
    if (getNameRef() == name) return this;
    for (CMC_Scene* scene : m_subScenes)
        if (CMC_Scene* found = scene->getScene(name)) return found;
    return nullptr;
}

int CMC_Scene::getSubId(CMC_Scene* scene) const {
    auto it = std::find(m_subScenes.begin(), m_subScenes.end(), scene);
    return it == m_subScenes.end() ? -1 : static_cast<int>(it - m_subScenes.begin());
}

void CMC_Scene::addSubScene(CMC_Scene* scene) {
    m_subScenes.push_back(scene);
    scene->setParent(this);
}

// ---- collision monitoring -----------------------------------------------------------

CCollisionInspector* CMC_Scene::collisionInspector() const {
    return getWindow() ? getWindow()->getCollisionInspectorInterface() : nullptr;
}

void CMC_Scene::monitorCollisions(CGraphicsObject* object, bool alpha, CCollisionObserver* observer) {
    if (!object || object->getMonitorCollisionsFlag()) return;
    if (CCollisionInspector* inspector = collisionInspector()) {
        if (observer) inspector->addNotifier(observer);
        inspector->addMonitoredObject(object, alpha);
    }
    object->setMonitorCollisions(alpha);
    if (std::find(m_monitored.begin(), m_monitored.end(), object) != m_monitored.end()) return;
    m_monitored.push_back(object);
    object->addInvalidateObserver(m_monitoredWatch.get());
}

void CMC_Scene::removeMonitorCollisions(CGraphicsObject* object, CCollisionObserver* observer) {
    if (CCollisionInspector* inspector = collisionInspector()) {
        if (observer) inspector->removeNotifier(observer);
        if (object) inspector->removeMonitoredObject(object);
    }
    // Only a listed object is known to be alive (a destroyed one left the list).
    if (std::erase(m_monitored, object) > 0) object->removeInvalidateObserver(m_monitoredWatch.get());
}
