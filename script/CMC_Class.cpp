#include "script/CMC_Class.h"

#include <algorithm>

#include "foundation/CPath.h"
#include "foundation/CStringTokenizer.h"
#include "foundation/CXVector.h"
#include "script/CMC_Behaviour.h"
#include "script/CMC_CNVLoader.h"
#include "script/CMC_Class_Runner.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_TypeTable.h"
#include "script/CMElement.h"
#include "script/CMElements.h"
#include "script/CMElementsLoader.h"

namespace {

const bool g_registered = CMC_TypeTable::registerType(
    "CLASS", [](CMC_ObjectsContainer* scene, CMElement* element) -> CMC_Object* { return new CMC_Class(scene, element); });

// Whether the container's own list holds the object (compared by address only).
bool holds(CMC_ObjectsContainer* container, CMC_Object* object) {
    const CXVector* list = container->getObjectList();
    for (int i = 0; list && i < list->getCount(); ++i)
        if (list->at(i) == object) return true;
    return false;
}

CWindow* windowOf(CMC_ObjectsContainer* scene, CMC_Class* fallback) {
    if (scene) return scene->getWindow();
    return fallback ? fallback->getWindow() : nullptr;
}

}  // namespace

CMC_Class::CMC_Class(CMC_ObjectsContainer* scene, CMElement* element)
    : CMC_ObjectsContainer(scene ? scene->getWindow() : nullptr, scene, element, kType) {
    (void)g_registered;
    if (element) {
        m_definition = element->getPropertyValue(CXString("DEF"));
        m_bases = element->getPropertyValue(CXString("BASE"));
    }
    setLookupParent(scene);
}

CMC_Class::CMC_Class(CMC_ObjectsContainer* scene, CMC_Class* classObject, CXString name)
    : CMC_ObjectsContainer(windowOf(scene, classObject), scene, name, kType), m_classObject(classObject) {
    if (classObject) {
        m_definition = classObject->m_definition;
        m_bases = classObject->m_bases;
        classObject->m_instances.push_back(this);
    }
    setLookupParent(classObject);
    import_base(m_bases);
    import(m_definition);
}

CMC_Class::~CMC_Class() {
    CMC_CNVLoader::forgetContainer(this);
    // Instances outliving their class object look up from its scene from now on.
    for (CMC_Class* instance : m_instances) {
        instance->m_classObject = nullptr;
        instance->setLookupParent(getParent());
    }
    m_instances.clear();
    if (m_classObject) {
        auto& list = m_classObject->m_instances;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
        m_classObject = nullptr;
    }
    // Deleted by the trash's flush or with its container, when no script runs.
    unload();
}

CXString CMC_Class::getClassPath(CXString name) {
    return CPath::resolveFileName(getWindow(), CXString("$COMMON\\CLASSES\\") + name);
}

void CMC_Class::import(CXString name) {
    CMElements* elements = CMElementsLoader::load(getWindow(), getClassPath(name));
    if (!elements) return;
    // Every object enters through addObject, which keeps overridden ones as "SUPER_".
    delete resolveObjects(elements);
    delete elements;
}

void CMC_Class::import_base(CXString bases) {
    if (!bases.IsString()) return;
    CStringTokenizer names(bases, CXString(","));
    while (names.hasMoreTokens()) this->import(names.nextToken());
}

CMC_Class* CMC_Class::newInstance(CXString name) {
    auto* instance = new CMC_Class(getScene(), this, name);
    instance->init();
    return instance;
}

void CMC_Class::init() {
    // A copy, so that an object's initialisation may add objects.
    std::vector<CMC_Object*> objects;
    if (const CXVector* list = getObjectList())
        for (int i = 0; i < list->getCount(); ++i) objects.push_back(static_cast<CMC_Object*>(list->at(i)));
    for (CMC_Object* object : objects)
        if (holds(this, object)) object->init();
    CMC_Object::init();
}

bool CMC_Class::done(bool flag) {
    if (auto* runner = dynamic_cast<CMC_Class_Runner*>(CMC_RunnerFactory::getRunner(kType)))
        CMC_Object::flush(runner->runClass(this, getScene(), nullptr, CXString("DESTRUCTOR")));
    // Its scene's unload calls it, which a script may have started: the objects go
    // at the next application step.
    unloadObjects(true);
    return CMC_Object::done(flag);
}

void CMC_Class::addObject(CMC_Object* object) {
    if (!object || object == this) return;
    const int at = getObjectId(object->getName());
    if (at >= 0) {
        CMC_Object* old = getObject(at);
        if (old == object) return;
        removeObject(old);
        old->setName(CXString("SUPER_") + old->getName());
        addObject(old);
    }
    CMC_ObjectsContainer::addObject(object);
}

bool CMC_Class::leaveMethod() {
    if (m_methodDepth > 0) --m_methodDepth;
    if (m_methodDepth > 0 || !m_deletePending) return false;
    m_deletePending = false;
    finishDeletion();
    return true;
}

void CMC_Class::unloadAndDelete() {
    if (m_methodDepth > 0) {
        m_deletePending = true;
        return;
    }
    finishDeletion();
}

void CMC_Class::finishDeletion() {
    // Its objects and then the instance itself go at the next application step: the
    // statement that asked for the deletion may still hold the instance as an
    // argument, and the call may have come from one of its objects' handlers.
    // Disposed of already (replaced while a method ran): only the objects are left.
    if (isDisposed())
        releaseObjects();
    else
        dispose(this);
}

void CMC_Class::onDispose() {
    // Replaced by name while one of its methods runs: the objects stay for that run.
    if (m_methodDepth > 0) {
        m_deletePending = true;
        return;
    }
    releaseObjects();
}

void CMC_Class::releaseObjects() {
    unloadObjects(true);
    // Handlers that its code attached to objects outside it go with it, as a scene's do.
    if (CMC_ObjectsContainer* parent = getParent()) parent->onSubSceneDone(this);
}
