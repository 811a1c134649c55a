#include "script/CMC_Rand_Runner.h"

#include <algorithm>
#include <vector>

#include "foundation/CXRandom.h"
#include "script/CMC_Integer.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_TypeTable.h"
#include "script/CMC_VariableFactory.h"

namespace {

const bool registered = CMC_RunnerFactory::registerRunner(
    CMC_RunnerFactory::kRand, []() -> CMC_Runner* { return new CMC_Rand_Runner(); });

constexpr int kGetPlentyArguments = 5;

}  // namespace

void CMC_Rand_Runner::prepareMthHashSet() {
    CMC_Runner::prepareMthHashSet();
    putMethod("GET", kGet);
    putMethod("GETPLENTY", kGetPlenty);
}

CMC_Variable* CMC_Rand_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                   CXVector* arguments) {
    switch (id) {
    case kGet:
        return get(arguments);
    case kGetPlenty:
        getPlenty(container, arguments);
        return nullptr;
    default:
        return CMC_Runner::run(id, target, container, arguments);
    }
}

CMC_Variable* CMC_Rand_Runner::get(CXVector* arguments) {
    const int count = argumentCount(arguments);
    int value = 0;
    if (count == 1)
        value = CXRandom::random(parameterInt(arguments, 0));
    else if (count >= 2)
        // The second number counts the values: GET(10, 5) gives 10 to 14.
        value = CXRandom::random(parameterInt(arguments, 0), parameterInt(arguments, 1));
    return CMC_VariableFactory::newInteger(value);
}

void CMC_Rand_Runner::getPlenty(CMC_ObjectsContainer* container, CXVector* arguments) {
    if (!container || argumentCount(arguments) < kGetPlentyArguments) return;
    CMC_Object* array = container->getObject(getParameterText(arguments, 0));
    int count = parameterInt(arguments, 1);
    const int from = parameterInt(arguments, 2);
    const int span = parameterInt(arguments, 3);
    const bool distinct = parameterBool(arguments, 4);
    if (!array || array->getType() != CMC_TypeTable::kArrayType || count <= 0) return;
    // More distinct numbers than the span holds cannot be drawn: the span caps them.
    if (distinct) count = std::min(count, std::max(span, 0));
    if (count <= 0) return;

    int drawn = 0;
    const int* numbers = CXRandom::random_vector(from, span, count, distinct, &drawn);
    // The draw's buffer is shared: copy before adding, which may run script code.
    const std::vector<int> values(numbers, numbers + std::min(drawn, count));
    for (int v : values) {
        CMC_Integer* item = new CMC_Integer(CXString("temp"));
        item->setValue(v);
        CMC_TypeTable::addTo(array, item);
        delete item;
    }
}
