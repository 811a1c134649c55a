#include "script/CMC_CNVLoader.h"

#include <algorithm>
#include <vector>

#include "foundation/CXVector.h"
#include "script/CMC_Behaviour.h"
#include "script/CMC_ObjectGroup.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMElement.h"
#include "script/CMElements.h"
#include "script/CMElementsLoader.h"

namespace {

constexpr int kBehaviourType = 13;

std::vector<CMC_CNVLoader*>& loaders() {
    static std::vector<CMC_CNVLoader*> list;
    return list;
}

// Whether the container's own list holds the object. Compares addresses only, so a
// member that was deleted elsewhere is never touched.
bool holds(CMC_ObjectsContainer* container, const CXObject* object) {
    const CXVector* list = container->getObjectList();
    for (int i = 0; list && i < list->getCount(); ++i)
        if (list->at(i) == object) return true;
    return false;
}

std::vector<CMC_Object*> members(CMC_ObjectGroup* group) {
    std::vector<CMC_Object*> out;
    CXVector* list = group->getList();
    for (int i = 0; list && i < list->getCount(); ++i) out.push_back(static_cast<CMC_Object*>(list->at(i)));
    return out;
}

}  // namespace

CMC_CNVLoader::CMC_CNVLoader(CWindow* window, CMC_ObjectsContainer* owner)
    : CMC_Object(CXString("CNVLOADER"), kType), m_window(window), m_initialOwner(owner) {
    setScene(owner);
    loaders().push_back(this);
}

CMC_CNVLoader::~CMC_CNVLoader() {
    auto& list = loaders();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void CMC_CNVLoader::forgetContainer(CMC_ObjectsContainer* container) {
    if (!container) return;
    for (CMC_CNVLoader* loader : loaders()) {
        if (loader->m_initialOwner == container) loader->m_initialOwner = nullptr;
        if (loader->getScene() == container) loader->setScene(loader->m_initialOwner);
    }
}

CMC_Runner* CMC_CNVLoader::getRunner() { return CMC_RunnerFactory::getRunner(kType); }

void CMC_CNVLoader::load(CXString fileName) {
    CMElements* elements = CMElementsLoader::load(m_window, fileName);
    if (!elements) return;
    CMC_ObjectsContainer* owner = getScene();
    // A file is loaded at most once at a time; one without elements makes no group.
    CMC_ObjectGroup* group = nullptr;
    if (owner && !owner->getObject(fileName) && elements->getCount() > 0) group = CMC_ObjectGroup::make(fileName, owner);
    if (group) {
        for (int i = 0; i < elements->getCount(); ++i) {
            CXVector* made = owner->resolve(elements->getAt(i), group);
            for (int j = 0; made && j < made->getCount(); ++j) {
                auto* object = static_cast<CMC_Object*>(made->at(j));
                if (!object) continue;
                object->init();
                // An object of the same name goes when this one is added; the group
                // must not keep it.
                const int old = owner->getObjectId(object->getName());
                if (old >= 0) group->remove(owner->getObject(old));
                owner->addObject(object);
                group->add(object);
                if (CXVector* inline_ = object->getTmpBehList())
                    for (int k = 0; k < inline_->getCount(); ++k) group->add(static_cast<CMC_Object*>(inline_->at(k)));
            }
            delete made;
        }
        owner->addObject(group);
    }
    delete elements;
}

void CMC_CNVLoader::release(CXString fileName) {
    CMC_ObjectsContainer* owner = getScene();
    if (!owner) return;
    auto* group = dynamic_cast<CMC_ObjectGroup*>(owner->getObject(fileName));
    // A group that a parent scope holds is not this owner's to release.
    if (!group || !holds(owner, group)) return;
    // Out first, so that a RELEASE raised by an "ONDONE" below finds nothing.
    owner->removeObject(group);

    // Only what is taken out of the owner here is finished, and nothing is deleted
    // before every object of the file is finished: handlers of later objects may
    // still name the file's behaviours.
    std::vector<CMC_Object*> finished;
    auto finish = [&](CMC_Object* object) {
        if (!owner->removeObject(object)) return;
        object->done(false);
        finished.push_back(object);
    };
    // Behaviours first.
    for (CMC_Object* member : members(group)) {
        if (!holds(owner, member) || member->getType() != kBehaviourType) continue;
        group->remove(member);
        finish(member);
    }
    // Then each member after its clones.
    for (CMC_Object* member : members(group)) {
        if (!holds(owner, member)) continue;
        const CXString name = member->getName();
        const int clones = member->getClonesNo();
        for (int k = 1; k <= clones; ++k) {
            const int at = owner->getObjectId(name + "_" + CXString::toString(k));
            CMC_Object* clone = at >= 0 ? owner->getObject(at) : nullptr;
            if (clone && clone != member) finish(clone);
        }
        if (holds(owner, member)) finish(member);
    }
    finished.push_back(group);
    // Every "ONDONE" runs before anything goes; the release may come from one of
    // these objects' own handlers, still on the stack.
    for (CMC_Object* object : finished) CMC_Object::dispose(object);
}
