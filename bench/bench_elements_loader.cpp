// Reading a definition file of n objects, held in memory so that the disk plays
// no part. Each object is declared and gets three properties, the last naming
// another object, as scene files do. The loader finds every statement's object
// by name, so the time per object must not grow with n: the 10,000-object file
// should take about ten times as long as the 1,000-object one.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "foundation/CTextFileReader.h"
#include "script/CMElements.h"
#include "script/CMElementsLoader.h"

namespace {

std::string definitions(int objects) {
    std::string text;
    for (int i = 0; i < objects; ++i) {
        const std::string name = "OBJ_" + std::to_string(i);
        text += "OBJECT=" + name + "\n";
        text += name + ":TYPE=INTEGER\n";
        text += name + ":VALUE=" + std::to_string(i) + "\n";
        text += name + ":ONCHANGED=OBJ_" + std::to_string(i / 2) + "\n";
    }
    return text;
}

void BM_ElementsLoaderLoad(benchmark::State& state) {
    const int objects = static_cast<int>(state.range(0));
    std::string text = definitions(objects);
    for (auto _ : state) {
        CTextFileReader reader(nullptr, text.data(), static_cast<int>(text.size()));
        std::unique_ptr<CMElements> list(CMElementsLoader::load(nullptr, &reader));
        if (!list || list->getCount() != objects) state.SkipWithError("wrong number of objects");
        benchmark::DoNotOptimize(list.get());
    }
    state.counters["objects_per_s"] =
        benchmark::Counter(static_cast<double>(objects), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ElementsLoaderLoad)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
