// Statement text from untrusted bytes, run as a behaviour's code against a small
// scene of every kind of object the script layer builds, under a step budget.
// The scene is built afresh for each input so that runs do not depend on earlier ones.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "ScriptFuzzSupport.h"
#include "foundation/CXArray.h"

namespace {

const char kScene[] =
    "OBJECT=N\nN:TYPE=INTEGER\nN:VALUE=3\nN:ONCHANGED=H\n"
    "OBJECT=S\nS:TYPE=STRING\nS:VALUE=abc\n"
    "OBJECT=B\nB:TYPE=BOOL\nB:VALUE=TRUE\n"
    "OBJECT=D\nD:TYPE=DOUBLE\nD:VALUE=1.5\n"
    "OBJECT=A\nA:TYPE=ARRAY\nA:SENDONCHANGE=TRUE\nA:ONCHANGED={N^INC();}\n"
    "OBJECT=M\nM:TYPE=MULTIARRAY\nM:DIMENSIONS=2\n"
    "OBJECT=R\nR:TYPE=STRUCT\nR:FIELDS=NAME<STRING>,SCORE<INTEGER>,ON<BOOL>,X<DOUBLE>\n"
    "OBJECT=DB\nDB:TYPE=DATABASE\nDB:MODEL=R\n"
    "OBJECT=E\nE:TYPE=EXPRESSION\nE:OPERAND1=N\nE:OPERATOR=ADD\nE:OPERAND2=2\n"
    "OBJECT=C\nC:TYPE=CONDITION\nC:OPERAND1=N\nC:OPERATOR=EQUAL\nC:OPERAND2=3\n"
    "OBJECT=C2\nC2:TYPE=CONDITION\nC2:OPERAND1=S\nC2:OPERATOR=NOTEQUAL\nC2:OPERAND2=\"x\"\n"
    "OBJECT=CC\nCC:TYPE=COMPLEXCONDITION\nCC:CONDITION1=C\nCC:OPERATOR=AND\nCC:CONDITION2=C2\n"
    "OBJECT=H\nH:TYPE=BEHAVIOUR\nH:CODE={S^ADD(\"h\");}\n"
    "OBJECT=K\nK:TYPE=BEHAVIOUR\nK:CONDITION=C\nK:CODE={N^ADD($1);A^ADD($2);}\n"
    "OBJECT=G\nG:TYPE=GROUP\n"
    "OBJECT=V\nV:TYPE=VECTOR\nV:SIZE=2\nV:VALUE=1,2\n"
    "OBJECT=W\nW:TYPE=VECTOR\nW:SIZE=2\nW:VALUE=3,4\n"
    "OBJECT=P\nP:TYPE=PATH\nP:NODES=V,W\n"
    "OBJECT=F\nF:TYPE=FIFO\n"
    "OBJECT=L\nL:TYPE=LIFO\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::world();
    CMC_StepBudget::set(fuzz::kStepBudget);
    CMC_ObjectsContainer* scene = fuzz::buildScene(kScene, std::strlen(kScene));
    if (!scene) std::abort();
    fuzz::enterScene(scene);

    const CXString code(std::string(reinterpret_cast<const char*>(data), size).c_str());
    auto* behaviour = new CMC_Behaviour(scene, CXString("FUZZ"), code);
    scene->addObject(behaviour);
    behaviour->init();
    auto* arguments = new CXArray(2, 0.75f);
    arguments->add(new CXString("7"));
    arguments->add(new CXString("\"x"));
    // Found again by name: the code may have replaced or released it.
    if (auto* again = dynamic_cast<CMC_Behaviour*>(scene->getObject(CXString("FUZZ"))))
        again->run(scene, arguments, false);
    CXString::releaseToVector(arguments);
    fuzz::applicationStep();

    fuzz::dropScene(scene);
    CMC_StepBudget::set(CMC_StepBudget::kUnlimited);
    return 0;
}
