#include "script/CMC_ObjectGroup.h"

namespace {

// Constant-initialised, so a registration made during static initialisation holds.
CMC_ObjectGroup::Maker g_maker = nullptr;

}  // namespace

bool CMC_ObjectGroup::registerMaker(Maker maker) {
    g_maker = maker;
    return true;
}

CMC_ObjectGroup* CMC_ObjectGroup::make(CXString name, CMC_ObjectsContainer* container) {
    return g_maker ? g_maker(name, container) : nullptr;
}
