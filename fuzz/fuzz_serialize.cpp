// Saved object state from untrusted bytes: the first byte picks the kind of
// object, the rest is read by its serialize over a memory stream (the common part
// with the handler records, then the kind's own fields). What was read must store,
// read back and store again to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ScriptFuzzSupport.h"
#include "foundation/CFile.h"
#include "foundation/CXArchive.h"
#include "scene/CMC_Scene.h"

namespace {

const char* const kKinds[] = {"INTEGER", "STRING",           "BOOL",   "DOUBLE", "ARRAY",      "BEHAVIOUR",
                              "CONDITION", "COMPLEXCONDITION", "VECTOR", "PATH",   "EXPRESSION", "STRUCT",
                              "CANVAS",    "PATTERN",          "SCROLL", "FONT",   "TEXT",       "FILTER",
                              "STATICFILTER", "SEQUENCE", "BUTTON", "EDITBOX", "DIALOG"};
constexpr size_t kKindCount = sizeof kKinds / sizeof kKinds[0];

// The object X of a kind, with a few objects its fields may name.
CMC_ObjectsContainer* sceneWith(const char* kind) {
    const std::string text = std::string("OBJECT=N\nN:TYPE=INTEGER\nN:VALUE=2\n") +
                             "OBJECT=V\nV:TYPE=VECTOR\nV:SIZE=2\nV:VALUE=1,2\n" +
                             "OBJECT=C\nC:TYPE=CONDITION\nC:OPERAND1=N\nC:OPERATOR=EQUAL\nC:OPERAND2=2\n" +
                             "OBJECT=X\nX:TYPE=" + kind + "\n";
    return fuzz::buildScene(text.data(), text.size());
}

std::string stored(CMC_Object* object, fuzz::ScratchFile& file) {
    {
        CFile out(nullptr, CXString(file.path().c_str()), CFile::kWriteBinary);
        if (out.LastError() != 0) std::abort();
        CXArchive archive(&out, true);
        object->serialize(&archive);
        out.Close();
    }
    return file.read();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    fuzz::world();
    // The default unit that EDITBOX fields live in (the first scene makes it).
    static CMC_Scene* unitMaker = new CMC_Scene(fuzz::world(), CMC_Scene::kType);
    (void)unitMaker;
    CMC_StepBudget::set(fuzz::kStepBudget);
    const char* kind = kKinds[data[0] % kKindCount];
    CMC_ObjectsContainer* scene = sceneWith(kind);
    CMC_Object* object = scene ? scene->getObject(CXString("X")) : nullptr;
    if (!object) std::abort();
    std::vector<char> bytes(data + 1, data + size);
    {
        CFile_Stream stream(bytes.data(), static_cast<int>(bytes.size()));
        CXArchive archive(&stream, false);
        object->serialize(&archive);
    }
    fuzz::ScratchFile& file = fuzz::ScratchFile::slot(0);
    const std::string first = stored(object, file);

    CMC_ObjectsContainer* other = sceneWith(kind);
    CMC_Object* copy = other ? other->getObject(CXString("X")) : nullptr;
    if (!copy) std::abort();
    {
        CFile in(nullptr, CXString(file.path().c_str()), CFile::kReadBinary);
        CXArchive archive(&in, false);
        copy->serialize(&archive);
    }
    if (stored(copy, file) != first) std::abort();

    fuzz::dropScene(other);
    fuzz::dropScene(scene);
    CMC_StepBudget::set(CMC_StepBudget::kUnlimited);
    return 0;
}
