#include "script/CMC_Fifo.h"

#include "foundation/CQuene.h"
#include "script/CMC_TypeTable.h"

namespace {

const bool registered = CMC_TypeTable::registerType(
    "FIFO", [](CMC_ObjectsContainer* c, CMElement* e) -> CMC_Object* { return new CMC_Fifo(c, e); });

}  // namespace

CMC_Fifo::CMC_Fifo(CMC_ObjectsContainer* container, CMElement* element) : CMC_Quene(container, element, kType) {
    initializeBehaviours(container, element);
    setQuene(new CXFifoQuene());
}

CMC_Fifo::CMC_Fifo(CMC_ObjectsContainer* container) : CMC_Quene(container, CXString("temp"), kType) {
    setQuene(new CXFifoQuene());
}

CMC_Fifo::~CMC_Fifo() = default;
