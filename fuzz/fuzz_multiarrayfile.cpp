// A MULTIARRAY file from untrusted bytes through the multi-array's load. What was
// read must save and load back to the same sizes and cells.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "ScriptFuzzSupport.h"
#include "script/CMC_MultiArray.h"

namespace {

bool sameShape(CMC_MultiArray& a, CMC_MultiArray& b) {
    if (a.getDimensions() != b.getDimensions() || a.getFilledCount() != b.getFilledCount()) return false;
    for (int d = 0; d < a.getDimensions(); ++d)
        if (a.getSize(d) != b.getSize(d)) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::world();
    static CMC_ObjectsContainer scene(fuzz::world(), nullptr, CXString("SCENE"), CMC_ObjectsContainer::kScene);
    CMC_MultiArray first(&scene, CXString("M"));
    first.load(CXString(fuzz::ScratchFile::slot(0).write(data, size).c_str()));
    if (first.getSize(0) > 0) {
        const CXString copy(fuzz::ScratchFile::slot(1).path().c_str());
        first.save(copy);
        CMC_MultiArray second(&scene, CXString("N"));
        second.load(copy);
        if (!sameShape(first, second)) std::abort();
        std::vector<int> at(2, 0);
        first.get(at);
        first.count(nullptr);
    }
    fuzz::applicationStep();
    return 0;
}
