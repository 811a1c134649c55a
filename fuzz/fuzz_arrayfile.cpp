// An ARRAY file from untrusted bytes through the array's load. What was read must
// save and load back to the same elements.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "ScriptFuzzSupport.h"
#include "script/CMC_Array.h"
#include "script/CMC_Variable.h"

namespace {

bool sameElements(CMC_Array& a, CMC_Array& b) {
    if (a.getSize() != b.getSize()) return false;
    for (int i = 0; i < a.getSize(); ++i) {
        CMC_Variable* x = a.get(i);
        CMC_Variable* y = b.get(i);
        if (!x || !y || x->getType() != y->getType() || x->toString() != y->toString()) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::world();
    static CMC_ObjectsContainer scene(fuzz::world(), nullptr, CXString("SCENE"), CMC_ObjectsContainer::kScene);
    CMC_Array first(&scene, CXString("A"));
    first.load(CXString(fuzz::ScratchFile::slot(0).write(data, size).c_str()));
    const CXString copy(fuzz::ScratchFile::slot(1).path().c_str());
    first.save(copy);
    CMC_Array second(&scene, CXString("B"));
    second.load(copy);
    if (!sameElements(first, second)) std::abort();
    fuzz::applicationStep();
    return 0;
}
