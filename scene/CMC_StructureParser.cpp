#include "scene/CMC_StructureParser.h"

#include "scene/CMC_Application.h"
#include "scene/CMC_Episode.h"
#include "scene/CMC_Scene.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_VariableFactory.h"
#include "script/CMElement.h"
#include "script/CMElements.h"
#include "script/CMElementsLoader.h"
#include "shell/CWindow.h"

namespace {

// The script side of every game: applications come from structure files or from
// their binary image.
class ScriptApplicationFactory : public CScriptApplicationFactory {
public:
    // An image that does not read whole gives no application.
    CScriptApplicationIfc* createApplication(CWindow* window) override {
        auto* application = new CMC_Application(window);
        if (application->isReadWhole()) return application;
        delete application;
        return nullptr;
    }
    CStructureParserIfc* createStructureParser(CWindow* window, CXString fileName) override {
        return new CMC_StructureParser(window, fileName);
    }
};

ScriptApplicationFactory g_factory;
const bool installed = [] {
    if (!CScriptApplicationFactory::get()) CScriptApplicationFactory::set(&g_factory);
    return true;
}();

CXString typeOf(CMElement* element) { return element->getPropertyValue(CXString("TYPE")); }

}  // namespace

CMC_StructureParser::CMC_StructureParser(CWindow* window, CXString fileName) : m_window(window) {
    CMC_VariableFactory::initialize();
    CMC_RunnerFactory::initialize();
    load(fileName);
}

CMC_StructureParser::~CMC_StructureParser() {
    for (auto it = m_built.rbegin(); it != m_built.rend(); ++it)
        if (*it != m_application && !m_taken.count(*it)) delete *it;
    m_built.clear();
    // The application has gone before the parser: the shared unit is no one's now.
    CMC_Scene::doneDefUnit();
    CMC_VariableFactory::done();
    CMC_RunnerFactory::done();
}

CMC_Object* CMC_StructureParser::get(CXString name) {
    for (CMC_Object* object : m_built)
        if (object->getNameRef() == name) return object;
    return nullptr;
}

bool CMC_StructureParser::take(CMC_Object* object) {
    if (!m_takingAllowed || !object || m_taken.count(object)) return false;
    m_taken.insert(object);
    return true;
}

CMC_Application* CMC_StructureParser::load(CXString fileName) {
    CMElements* elements = CMElementsLoader::load(m_window, fileName);
    if (!elements) return m_application;
    const int count = elements->getCount();
    for (int i = 0; i < count; ++i) {
        CMElement* element = elements->getAt(i);
        if (element && typeOf(element) == "SCENE")
            m_built.push_back(new CMC_Scene(m_window, nullptr, element, CMC_Scene::kType));
    }
    for (int i = 0; i < count; ++i) {
        CMElement* element = elements->getAt(i);
        if (element && typeOf(element) == "EPISODE") m_built.push_back(new CMC_Episode(m_window, this, element));
    }
    int last = -1;
    for (int i = 0; i < count; ++i)
        if (elements->getAt(i) && typeOf(elements->getAt(i)) == "APPLICATION") last = i;
    for (int i = 0; i < count; ++i) {
        CMElement* element = elements->getAt(i);
        if (!element || typeOf(element) != "APPLICATION") continue;
        if (element->getName() == "DEMO") element->setName(CXString("GAME"));
        m_takingAllowed = i == last;
        auto* application =
            new CMC_Application(m_window, this, element, m_window ? m_window->getCommandLineIfc() : nullptr);
        m_takingAllowed = true;
        m_application = application;
        m_built.push_back(application);
    }
    delete elements;
    return m_application;
}
