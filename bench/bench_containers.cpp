// Method-name look-up as the interpreter does it: one reusable key set to the name,
// then a get on a runner-sized table of upper-case names.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "foundation/CHashtable.h"
#include "foundation/CInteger.h"
#include "foundation/CStringHashCode.h"
#include "foundation/CXString.h"

namespace {

std::vector<std::string> methodNames(int n) {
    std::vector<std::string> names;
    for (int i = 0; i < n; ++i) names.push_back("METHOD" + std::to_string(i) + "NAME");
    return names;
}

void BM_HashtableGetByName(benchmark::State& state) {
    const auto names = methodNames(static_cast<int>(state.range(0)));
    CHashtable table(101, 0.75, true);
    std::vector<CInteger> ids(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        ids[i] = CInteger(static_cast<int>(i));
        table.put(new CStringHashCode(CXString(names[i].c_str())), &ids[i]);
    }
    CStringHashCode key{CXString("temp")};
    size_t i = 0;
    for (auto _ : state) {
        key.set(names[i].c_str());
        benchmark::DoNotOptimize(table.get(&key));
        if (++i == names.size()) i = 0;
    }
}
BENCHMARK(BM_HashtableGetByName)->Arg(14)->Arg(84)->Arg(1000);

}  // namespace

BENCHMARK_MAIN();
