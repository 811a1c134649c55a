// A small extension module for the module-loading tests. create remembers the scene
// and sets its INTEGER "MODULE_STATE" to 1, release sets it to 2. The interface
// object builds an INTEGER for elements of TYPE "COUNTER" (value from "START") and
// one named "RESTORED" holding the type id for type ids from 20000 on.
#include "foundation/CXString.h"
#include "script/CMC_Integer.h"
#include "script/CMC_ModuleExports.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMElement.h"

namespace {

CMC_ObjectsContainer* g_scene = nullptr;

void setState(int value) {
    if (!g_scene) return;
    if (auto* state = dynamic_cast<CMC_Integer*>(g_scene->getVariable(CXString("MODULE_STATE"))))
        state->setValue(value);
}

class CounterFactory : public CMC_ExternObject {
public:
    void reserved1() override {}
    void reserved2() override {}

    CMC_Object* resolveExtern(CMC_ObjectsContainer* scene, CMElement* element) override {
        if (!element || element->getPropertyValue(CXString("TYPE")) != "COUNTER") return nullptr;
        auto* counter = new CMC_Integer(element->getName());
        counter->setScene(scene);
        counter->setValue(element->getPropertyValue(CXString("START")).toNumber());
        return counter;
    }

    CMC_Object* serializeExtern(int32_t type, CXArchive*) override {
        if (type < 20000) return nullptr;
        auto* restored = new CMC_Integer(CXString("RESTORED"));
        restored->setValue(type);
        return restored;
    }
};

CounterFactory g_factory;

void start(CMC_ObjectsContainer* scene) {
    g_scene = scene;
    setState(1);
}

void stop() {
    setState(2);
    g_scene = nullptr;
}

}  // namespace

VONDREL_MODULE_ENTRIES(start, stop, &g_factory)
