#include "script/CMC_TypeTable.h"

#include <cstring>
#include <unordered_set>
#include <utility>
#include <vector>

#include "foundation/CXArray.h"
#include "foundation/CXPair.h"
#include "foundation/CXVector.h"
#include "script/CMC_Behaviour.h"
#include "script/CMC_Bool.h"
#include "script/CMC_ComplexCondition.h"
#include "script/CMC_Condition.h"
#include "script/CMC_Double.h"
#include "script/CMC_Expression.h"
#include "script/CMC_Integer.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_String.h"
#include "script/CMElement.h"
#include "script/CMElements.h"

namespace {

constexpr int kBehaviourType = 13;
constexpr int kClassType = 3004;
constexpr int kResultCapacity = 101;
constexpr float kResultLoadFactor = 0.75f;
// Longest chain of scenes a resolveEx forwarding follows.
constexpr int kMaxForwardDepth = 64;

const CMC_TypeTable::Row kRows[] = {
    {"BEHAVIOUR", 13, 1, false},
    {"BOOL", 3, 2, false},
    {"DOUBLE", 4, 2, false},
    {"INTEGER", 1, 2, false},
    {"STRING", 2, 2, false},
    {"CONDITION", 10, 3, false},
    {"COMPLEXCONDITION", 11, 3, false},
    {"EXPRESSION", 12, 3, false},
    {"ARRAY", 3001, 3, false},
    {"MULTIARRAY", 3006, 3, false},
    {"IMAGE", 2008, 5, false},
    {"ANIMO", 2000, 5, false},
    {"VIRTUALGRAPHICSOBJECT", 3005, 5, true},
    {"FONT", 2002, 5, false},
    {"MOUSE", 100, 6, false},
    {"KEYBOARD", 101, 6, false},
    {"JOYSTICK", 2023, 6, false},
    {"TIMER", 2007, 6, false},
    {"BUTTON", 2001, 6, false},
    {"SOUND", 2005, 5, false},
    {"SEQUENCE", 2004, 6, false},
    {"CANVAS_OBSERVER", 103, 6, false},
    {"GROUP", 3000, 6, false},
    {"TEXT", 2006, 6, false},
    {"EDITBOX", 2009, 6, false},
    {"FILTER", 2014, 6, false},
    {"STATICFILTER", 2015, 6, false},
    {"VECTOR", 2016, 5, false},
    {"PATH", 2017, 6, false},
    {"FIFO", 2018, 6, false},
    {"LIFO", 2019, 6, false},
    {"CANVAS", 2020, 6, false},
    {"PATTERN", 2021, 6, false},
    {"DIALOG", 2013, 6, false},
    {"SCROLL", 2022, 6, false},
    {"STRUCT", 3002, 3, false},
    {"DATABASE", 3003, 3, false},
    {"CLASS", 3004, 4, true},
    {"MOVIE", 2024, 6, true},
    {"GRBUFFER", 2026, 5, true},
    {"INTERNET", 2027, 6, true},
};
constexpr int kRowCount = static_cast<int>(sizeof(kRows) / sizeof(kRows[0]));

template <class T>
CMC_Object* build(CMC_ObjectsContainer* container, CMElement* element) {
    return new T(container, element);
}

// Constructors by row, with the kinds of this library filled in. Function-local, so
// registrations from other files' static initialisers find it ready.
CMC_TypeTable::Constructor* constructors() {
    static CMC_TypeTable::Constructor table[kRowCount] = {};
    static const bool filled = [] {
        auto set = [](const char* word, CMC_TypeTable::Constructor c) {
            for (int i = 0; i < kRowCount; ++i)
                if (std::strcmp(kRows[i].word, word) == 0) table[i] = c;
        };
        set("BEHAVIOUR", &build<CMC_Behaviour>);
        set("BOOL", &build<CMC_Bool>);
        set("DOUBLE", &build<CMC_Double>);
        set("INTEGER", &build<CMC_Integer>);
        set("STRING", &build<CMC_String>);
        set("CONDITION", &build<CMC_Condition>);
        set("COMPLEXCONDITION", &build<CMC_ComplexCondition>);
        set("EXPRESSION", &build<CMC_Expression>);
        return true;
    }();
    (void)filled;
    return table;
}

std::vector<std::pair<int, CMC_TypeTable::Adder>>& adders() {
    static std::vector<std::pair<int, CMC_TypeTable::Adder>> table;
    return table;
}

int rowIndex(const CXString& word) {
    for (int i = 0; i < kRowCount; ++i)
        if (word == kRows[i].word) return i;
    return -1;
}

CXString typeWord(CMElement* element) { return element->getPropertyValue(CXString("TYPE")); }

bool hasType(CMElement* element) { return element && element->isPropertyAvailable(CXString("TYPE")); }

CMC_ObjectsContainer* sceneOf(CMC_ObjectsContainer* container) {
    CMC_ObjectsContainer* scene = container->getScene();
    return scene ? scene : container;
}

constexpr int kMouseType = 100;
constexpr int kKeyboardType = 101;
constexpr int kCanvasObserverType = 103;

// The object that an element of MOUSE, KEYBOARD or CANVAS_OBSERVER merges into, or null.
CMC_Object* mergeTarget(CMC_ObjectsContainer* container, CMElement* element, const CXString& word) {
    const CMC_TypeTable::Row* row = CMC_TypeTable::findRow(word);
    return row ? CMC_TypeTable::mergeTarget(container, row->id, element->getName()) : nullptr;
}

// Builds the element's object with its row's constructor (scene or container), or
// asks the extension modules for a word the table cannot build. Null when none.
CMC_Object* construct(CMC_ObjectsContainer* container, CMElement* element, bool inScene) {
    const int row = rowIndex(typeWord(element));
    CMC_TypeTable::Constructor make = row >= 0 ? constructors()[row] : nullptr;
    if (!make) return container->resolveEx(element);
    // INTERNET joins its scene's download list itself.
    return make(inScene ? sceneOf(container) : container, element);
}

void remove(std::vector<CMElement*>& list, CMElement* element) {
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (*it == element) {
            list.erase(it);
            return;
        }
    }
}

// One pass of resolveObjects over a snapshot of the remaining elements. Pass 6 also
// takes the words the table cannot build (the extension modules' path).
void runPass(CMC_ObjectsContainer* container, std::vector<CMElement*>& remaining, int pass) {
    const std::vector<CMElement*> snapshot = remaining;
    for (CMElement* element : snapshot) {
        if (!hasType(element)) continue;
        const CXString word = typeWord(element);
        const int row = rowIndex(word);
        const bool buildable = row >= 0 && constructors()[row];
        const bool ours = buildable ? kRows[row].pass == pass : pass == 6;
        if (!ours) continue;
        if (pass == 6) {
            if (CMC_Object* existing = mergeTarget(container, element, word)) {
                existing->initializeBehaviours(container, element);
                continue;
            }
        }
        CMC_Object* object = construct(container, element, buildable && kRows[row].id == kClassType);
        if (!object) continue;
        remove(remaining, element);
        container->addObject(object);
    }
}

}  // namespace

CMC_Object* CMC_TypeTable::mergeTarget(CMC_ObjectsContainer* container, int type, const CXString& name) {
    if (!container) return nullptr;
    if (type == kMouseType) {
        CMC_Object* mouse = container->getObject("MOUSE");
        return (mouse && name == "MOUSE") ? mouse : nullptr;
    }
    if (type == kKeyboardType) return container->getObject("KEYBOARD");
    if (type == kCanvasObserverType) return container->getObject("CANVASOBSERVER");
    return nullptr;
}

std::vector<CMC_Object*> CMC_TypeTable::mergedOutside(CMC_ObjectsContainer* container) {
    std::vector<CMC_Object*> found;
    const std::pair<const char*, int> kinds[] = {
        {"MOUSE", kMouseType}, {"KEYBOARD", kKeyboardType}, {"CANVASOBSERVER", kCanvasObserverType}};
    for (const auto& [name, type] : kinds) {
        CMC_Object* object = container ? container->getObject(name) : nullptr;
        // Only the kind itself: its record is the common part alone (an object of
        // another kind under that name would need its own part).
        if (object && object->getType() == type && object->getScene() != container &&
            object->hasHandlersOf(container))
            found.push_back(object);
    }
    return found;
}

const CMC_TypeTable::Row* CMC_TypeTable::rows() { return kRows; }

int CMC_TypeTable::rowCount() { return kRowCount; }

const CMC_TypeTable::Row* CMC_TypeTable::findRow(const CXString& word) {
    const int row = rowIndex(word);
    return row >= 0 ? &kRows[row] : nullptr;
}

bool CMC_TypeTable::registerType(const char* word, Constructor constructor) {
    const int row = word ? rowIndex(CXString(word)) : -1;
    if (row < 0) return false;
    constructors()[row] = constructor;
    return true;
}

CMC_TypeTable::Constructor CMC_TypeTable::getConstructor(const CXString& word) {
    const int row = rowIndex(word);
    return row >= 0 ? constructors()[row] : nullptr;
}

bool CMC_TypeTable::registerAdder(int type, Adder adder) {
    for (auto& entry : adders()) {
        if (entry.first == type) {
            entry.second = adder;
            return true;
        }
    }
    adders().emplace_back(type, adder);
    return true;
}

CMC_TypeTable::Adder CMC_TypeTable::getAdder(int type) {
    for (const auto& entry : adders())
        if (entry.first == type) return entry.second;
    return nullptr;
}

bool CMC_TypeTable::addTo(CMC_Object* collection, CMC_Object* item) {
    if (!collection || !item) return false;
    for (const auto& entry : adders()) {
        if (entry.first == collection->getType() && entry.second) {
            entry.second(collection, item);
            return true;
        }
    }
    return false;
}

CMElements* CMC_TypeTable::resolveObjects(CMC_ObjectsContainer* container, CMElements* elements) {
    auto* leftover = new CMElements(false);
    if (!container || !elements) return leftover;
    std::vector<CMElement*> remaining;
    for (int i = 0; i < elements->getCount(); ++i)
        if (CMElement* element = elements->getAt(i)) remaining.push_back(element);

    // Pass 1: behaviours, in file order, so every later kind can name them.
    const int behaviourRow = rowIndex(CXString("BEHAVIOUR"));
    if (Constructor make = constructors()[behaviourRow]) {
        for (int i = 0; i < elements->getCount(); ++i) {
            CMElement* element = elements->getAt(i);
            if (!hasType(element) || typeWord(element) != "BEHAVIOUR") continue;
            if (CMC_Object* object = make(container, element)) {
                remove(remaining, element);
                container->addObject(object);
            }
        }
    }
    for (int pass = 2; pass <= 6; ++pass) {
        runPass(container, remaining, pass);
        if (pass == 4) {
            // Conditions and variables exist now: behaviours bind their conditions.
            const CXVector* objects = container->getObjectList();
            std::vector<CMC_Behaviour*> behaviours;
            for (int i = 0; objects && i < objects->getCount(); ++i) {
                auto* object = static_cast<CMC_Object*>(objects->at(i));
                if (object && object->getType() == kBehaviourType)
                    if (auto* behaviour = dynamic_cast<CMC_Behaviour*>(object)) behaviours.push_back(behaviour);
            }
            for (CMC_Behaviour* behaviour : behaviours) behaviour->resolveCondition();
        }
    }
    for (CMElement* element : remaining) leftover->add(element);
    return leftover;
}

CXVector* CMC_TypeTable::resolve(CMC_ObjectsContainer* container, CMElement* element, CMC_Object* group) {
    auto* result = new CXVector(kResultCapacity, kResultLoadFactor);
    if (!container || !hasType(element)) return result;
    const int row = rowIndex(typeWord(element));
    CMC_Object* object = construct(container, element, row >= 0 && kRows[row].inScene);
    if (!object) return result;
    result->add(object);
    if (!group) return result;

    // Behaviours made from the object's inline code join the group. They are found
    // under each event name and, for keys with a "^" argument, in the object's list
    // of inline behaviours.
    std::unordered_set<CMC_Object*> added;
    auto join = [&](CMC_Object* behaviour) {
        if (behaviour && behaviour->getName().startsWith(CXString("beh_")) && added.insert(behaviour).second)
            addTo(group, behaviour);
    };
    if (CXString** events = object->getBehavioursList()) {
        for (CXString** name = events; *name; ++name) {
            CXVector* handlers = object->getBehaviour(**name);
            for (int i = 0; handlers && i < handlers->getCount(); ++i)
                join(CMC_Object::entryTarget(static_cast<CXTriple*>(handlers->at(i))));
        }
        CMC_Object::freeBehavioursList(events);
    }
    if (CXVector* inline_ = object->getTmpBehList())
        for (int i = 0; i < inline_->getCount(); ++i) join(static_cast<CMC_Object*>(inline_->at(i)));
    return result;
}

// ---- the container's side ---------------------------------------------------------

CMElements* CMC_ObjectsContainer::resolveObjects(CMElements* elements) {
    return CMC_TypeTable::resolveObjects(this, elements);
}

CXVector* CMC_ObjectsContainer::resolve(CMElement* element, CMC_Object* group) {
    return CMC_TypeTable::resolve(this, element, group);
}

CMC_Object* CMC_ObjectsContainer::resolveEx(CMElement* element) {
    // The scene that owns the extension modules overrides this; other containers
    // (script classes, sub-containers) hand the element up to their scene.
    static thread_local int depth = 0;
    CMC_ObjectsContainer* scene = getScene();
    if (!scene || scene == this || depth >= kMaxForwardDepth) return nullptr;
    ++depth;
    CMC_Object* object = scene->resolveEx(element);
    --depth;
    return object;
}
