#include "script/CMC_Lifo.h"

#include "foundation/CQuene.h"
#include "script/CMC_TypeTable.h"

namespace {

const bool registered = CMC_TypeTable::registerType(
    "LIFO", [](CMC_ObjectsContainer* c, CMElement* e) -> CMC_Object* { return new CMC_Lifo(c, e); });

}  // namespace

CMC_Lifo::CMC_Lifo(CMC_ObjectsContainer* container, CMElement* element) : CMC_Quene(container, element, kType) {
    initializeBehaviours(container, element);
    setQuene(new CXLifoQuene());
}

CMC_Lifo::CMC_Lifo(CMC_ObjectsContainer* container) : CMC_Quene(container, CXString("temp"), kType) {
    setQuene(new CXLifoQuene());
}

CMC_Lifo::~CMC_Lifo() = default;
