#include "support/ScriptTestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "foundation/CFile.h"
#include "foundation/CXArchive.h"
#include "foundation/CXArray.h"
#include "foundation/CXVector.h"
#include "graphics/screen/CSurface.h"
#include "platform/Presenter.h"
#include "script/CMC_Behaviour_Entry.h"
#include "script/CMC_Bool.h"
#include "script/CMC_Double.h"
#include "script/CMC_Integer.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_String.h"
#include "script/CMC_TypeTable.h"
#include "script/CMElement.h"
#include "script/CMElements.h"
#include "script/CMElementsLoader.h"
#include "script/CMC_VariableFactory.h"

namespace test {

ScriptWorld::ScriptWorld() : m_clock(1000), m_scopedClock(m_clock), m_scopedTimer(m_timer), m_scopedMessageBox(m_messageBoxes), m_scopedInput(m_input) {
    CMC_VariableFactory::initialize();
    CMC_VariableFactory::clearPool();
    // Made once; remade only when a test has taken them down.
    if (!CMC_RunnerFactory::getRunner(CMC_Behaviour::kType)) CMC_RunnerFactory::initialize();
    CMC_Behaviour::initTrash();
    CMC_Behaviour::flushTrash();
}

ScriptWorld::~ScriptWorld() {
    while (!m_scenes.empty()) m_scenes.pop_back();
    CMC_Behaviour::flushTrash();
    CMC_VariableFactory::clearPool();
}

TestScene* ScriptWorld::loadScene(const std::string& fileName, const std::vector<std::string>& lines,
                                  const char* sceneName) {
    m_leftover.clear();
    CMElements* elements = loadDefinition(fileName, lines);
    if (!elements) return nullptr;
    m_scenes.push_back(std::make_unique<TestScene>(sceneName, &m_window));
    TestScene* scene = m_scenes.back().get();
    CMElements* rest = CMC_TypeTable::resolveObjects(scene, elements);
    for (int i = 0; rest && i < rest->getCount(); ++i)
        if (CMElement* element = rest->getAt(i)) m_leftover.emplace_back(element->getName().c_str());
    delete rest;
    delete elements;
    // The scene's entry initialises what it loaded, in registration order.
    std::vector<CMC_Object*> objects;
    const CXVector* list = scene->getObjectList();
    for (int i = 0; list && i < list->getCount(); ++i) objects.push_back(static_cast<CMC_Object*>(list->at(i)));
    for (CMC_Object* object : objects)
        if (scene->getObjectId(object->getName()) >= 0) object->init();
    return scene;
}

void ScriptWorld::frame(uint32_t ms) {
    m_clock.advance(ms);
    m_timer.runDue();
    m_window.Tick();
    applicationStep();
}

int ScriptWorld::WorldWindow::createDisplay(CXSize size) {
    m_screenSize = size;
    return CreateSurface(nullptr);
}

bool ScriptWorld::enableDisplay(CXSize size) {
    if (!m_scopedDisplay) m_scopedDisplay = std::make_unique<platform::ScopedDisplaySystem>(m_displaySystem);
    if (m_window.createDisplay(size) != 0) return false;
    m_window.OnActivateApp(true);
    return true;
}

CRefreshScreen* ScriptWorld::screen() { return m_window.GetRefreshScreenInterface(); }

namespace {

platform::IDisplaySurface* frontBuffer(CWindow& window) {
    CSurface* surface = window.GetSurface();
    return surface ? surface->GetPrimaryBufferInterface() : nullptr;
}

}  // namespace

uint64_t ScriptWorld::frontBufferHash() { return platform::hashSurface(frontBuffer(m_window)); }

std::string ScriptWorld::frontBufferPng(const std::string& name) {
    const std::string path = m_dir.path() + "/" + name;
    return platform::HeadlessPresenter::dump(frontBuffer(m_window), path) ? path : std::string();
}

void ScriptWorld::frames(int count, uint32_t ms) {
    for (int i = 0; i < count; ++i) frame(ms);
}

void ScriptWorld::applicationStep() {
    CMC_VariableFactory::clearPool();
    CMC_Behaviour::flushTrash();
}

namespace {

CMC_Object* find(CMC_ObjectsContainer* scene, const char* name) {
    if (!scene) return nullptr;
    if (!name || !*name) return scene;
    return scene->getObject(name);
}

CMC_Variable* variable(CMC_ObjectsContainer* scene, const char* name) {
    CMC_Variable* value = scene ? scene->getVariable(CXString(name)) : nullptr;
    if (!value) ADD_FAILURE() << "no variable " << name;
    return value;
}

}  // namespace

bool raise(CMC_ObjectsContainer* scene, const char* object, const char* event) {
    CMC_Object* target = find(scene, object);
    return target && target->onSignal(CXString(event));
}

bool raise(CMC_ObjectsContainer* scene, const char* object, const char* event, const char* argument) {
    CMC_Object* target = find(scene, object);
    return target && target->onSignal(CXString(event), CXString(argument));
}

CXArray* makeArguments(std::initializer_list<const char*> texts) {
    auto* arguments = new CXArray();
    for (const char* text : texts) arguments->add(new CXString(text));
    return arguments;
}

bool runBehaviour(CMC_ObjectsContainer* scene, const char* name, std::initializer_list<const char*> arguments,
                  bool checkCondition) {
    auto* behaviour = dynamic_cast<CMC_Behaviour*>(find(scene, name));
    if (!behaviour) return false;
    // Statements are built at init: objects read by loadCnv or readImage alone wait
    // for the scene's entry (onInit) and would silently run nothing.
    if (behaviour->getCode().IsString() && !behaviour->getStatements() && behaviour->isEnabled())
        ADD_FAILURE() << "behaviour " << name << " is not initialised (call the scene's onInit after loading)";
    CXArray* list = arguments.size() ? makeArguments(arguments) : nullptr;
    const bool result = behaviour->run(nullptr, list, checkCondition);
    CXString::releaseToVector(list);
    return result;
}

bool runCode(CMC_ObjectsContainer* scene, const char* code, std::initializer_list<const char*> arguments) {
    auto* behaviour = new CMC_Behaviour(scene, CXString("test_code"), CXString(code));
    scene->addObject(behaviour);
    behaviour->init();
    const bool result = runBehaviour(scene, "test_code", arguments);
    if (scene->removeObject(behaviour)) CMC_Object::destroy(behaviour);
    return result;
}

int intValue(CMC_ObjectsContainer* scene, const char* name) {
    CMC_Variable* value = variable(scene, name);
    if (auto* number = dynamic_cast<CMC_Integer*>(value)) return number->getValue();
    if (value) ADD_FAILURE() << name << " is not an INTEGER";
    return 0;
}

double doubleValue(CMC_ObjectsContainer* scene, const char* name) {
    CMC_Variable* value = variable(scene, name);
    if (auto* number = dynamic_cast<CMC_Double*>(value)) return number->getValue();
    if (value) ADD_FAILURE() << name << " is not a DOUBLE";
    return 0;
}

bool boolValue(CMC_ObjectsContainer* scene, const char* name) {
    CMC_Variable* value = variable(scene, name);
    if (auto* flag = dynamic_cast<CMC_Bool*>(value)) return flag->getValue();
    if (value) ADD_FAILURE() << name << " is not a BOOL";
    return false;
}

std::string textValue(CMC_ObjectsContainer* scene, const char* name) { return valueText(variable(scene, name)); }

std::string valueText(CMC_Object* value) {
    if (!value) return "<null>";
    return CMC_Behaviour_Entry::getStringValue(value).c_str();
}

bool hasObject(CMC_ObjectsContainer* scene, const char* name) { return scene && scene->getObject(name) != nullptr; }

std::string ScriptWorld::writeDefinition(const std::string& name, const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    m_dir.write(name, text);
    return m_dir.engine(name);
}

CMElements* ScriptWorld::loadDefinition(const std::string& name, const std::vector<std::string>& lines) {
    writeDefinition(name, lines);
    return load(name);
}

CMElements* ScriptWorld::load(const std::string& name) {
    return CMElementsLoader::load(&m_window, CXString(m_dir.engine(name).c_str()));
}

CMElement* makeElement(const char* name, std::initializer_list<std::pair<const char*, const char*>> properties) {
    CMElement* element = new CMElement(CXString(name));
    for (const auto& [key, value] : properties) element->addProperty(CXString(key), CXString(value));
    return element;
}

bool RecordingBehaviour::run(CMC_Object* caller, CXArray* arguments, bool checkCondition) {
    Run run{caller, {}, arguments != nullptr, checkCondition};
    for (int i = 0; arguments && i < arguments->getCount(); ++i) {
        CXString* s = static_cast<CXString*>(arguments->at(i));
        run.arguments.push_back(s ? s->c_str() : "");
    }
    m_runs.push_back(run);
    if (onRun) onRun(caller);
    return m_result;
}

std::string archiveBytes(const std::function<void(CXArchive&)>& write) {
    TempDir dir;
    const std::string path = dir.engine("archive.bin");
    {
        CFile file(nullptr, CXString(path.c_str()), CFile::kWriteBinary);
        if (file.LastError() != 0) throw std::runtime_error("cannot create the archive file");
        CXArchive archive(&file, true);
        write(archive);
        file.Close();
    }
    return dir.read("archive.bin");
}

void readArchive(const std::string& bytes, const std::function<void(CXArchive&)>& read) {
    TempDir dir;
    dir.write("archive.bin", bytes);
    CFile file(nullptr, CXString(dir.engine("archive.bin").c_str()), CFile::kReadBinary);
    if (file.LastError() != 0) throw std::runtime_error("cannot open the archive file");
    CXArchive archive(&file, false);
    read(archive);
}

Lines object(const std::string& name, const std::string& type, const Lines& properties) {
    Lines lines = {"OBJECT=" + name, name + ":TYPE=" + type};
    for (const std::string& p : properties) lines.push_back(name + ":" + p);
    return lines;
}

void append(Lines& lines, const Lines& more) { lines.insert(lines.end(), more.begin(), more.end()); }

std::string le32(int32_t value) {
    const uint32_t v = static_cast<uint32_t>(value);
    std::string out;
    for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
    return out;
}

std::string archiveString(const std::string& text) { return le32(static_cast<int32_t>(text.size())) + text; }

}  // namespace test
