// A DATABASE text file from untrusted bytes through the database's load, with a
// model of every field type. What was read is saved and loaded again twice: an
// empty text field moves the later fields up once (empty values are not read
// back), after which saving and loading must change nothing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "ScriptFuzzSupport.h"
#include "script/CMC_Database.h"

namespace {

const char kScene[] =
    "OBJECT=R\nR:TYPE=STRUCT\nR:FIELDS=NAME<STRING>,SCORE<INTEGER>,ON<BOOL>,X<DOUBLE>\n"
    "OBJECT=DB\nDB:TYPE=DATABASE\nDB:MODEL=R\n"
    "OBJECT=DB2\nDB2:TYPE=DATABASE\nDB2:MODEL=R\n"
    "OBJECT=DB3\nDB3:TYPE=DATABASE\nDB3:MODEL=R\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // One scene for all inputs: building and dropping one costs more than a load.
    static CMC_ObjectsContainer* scene = [] {
        CMC_ObjectsContainer* made = fuzz::buildScene(kScene, std::strlen(kScene));
        if (!made) std::abort();
        fuzz::enterScene(made);
        return made;
    }();
    auto* first = dynamic_cast<CMC_Database*>(scene->getObject(CXString("DB")));
    auto* second = dynamic_cast<CMC_Database*>(scene->getObject(CXString("DB2")));
    auto* third = dynamic_cast<CMC_Database*>(scene->getObject(CXString("DB3")));
    if (!first || !second || !third) std::abort();
    for (CMC_Database* db : {first, second, third}) db->removeAll();
    first->load(CXString(fuzz::ScratchFile::slot(0).write(data, size).c_str()));
    fuzz::ScratchFile& saved = fuzz::ScratchFile::slot(1);
    fuzz::ScratchFile& again = fuzz::ScratchFile::slot(2);
    fuzz::ScratchFile& last = fuzz::ScratchFile::slot(3);
    first->save(CXString(saved.path().c_str()));
    second->load(CXString(saved.path().c_str()));
    second->save(CXString(again.path().c_str()));
    third->load(CXString(again.path().c_str()));
    third->save(CXString(last.path().c_str()));
    if (first->getRows() != second->getRows() || second->getRows() != third->getRows()) std::abort();
    if (again.read() != last.read()) std::abort();
    fuzz::applicationStep();
    return 0;
}
