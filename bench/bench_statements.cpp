// Parsing behaviour code: one statement nested N levels deep ("N^ADD(" N times, then
// the closing parentheses) next to its peer, N flat statements ("N^ADD(1);" N times),
// at 1,000 and 10,000. Both must grow linearly with the text: the parser's depth cap
// leaves the levels past it unparsed, and nothing copies the rest of the text per level
// beyond the cap. Results are in docs/performance.md.
#include <benchmark/benchmark.h>

#include <string>

#include "script/CMC_Behaviour.h"
#include "script/CMC_Integer.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_VariableFactory.h"

namespace {

std::string nestedCode(int levels) {
    std::string code = "{";
    for (int i = 0; i < levels; ++i) code += "N^ADD(";
    code += "1";
    code.append(static_cast<size_t>(levels), ')');
    return code + ";}";
}

std::string flatCode(int statements) {
    std::string code = "{";
    for (int i = 0; i < statements; ++i) code += "N^ADD(1);";
    return code + "}";
}

void parse(benchmark::State& state, const std::string& code) {
    CMC_VariableFactory::initialize();
    CMC_RunnerFactory::initialize();
    CMC_ObjectsContainer scene(nullptr, nullptr, CXString("BENCH"), CMC_ObjectsContainer::kScene);
    scene.addObject(new CMC_Integer(CXString("N")));
    CMC_Behaviour behaviour(&scene, CXString("GO"), CXString(code.c_str(), static_cast<int>(code.size())));
    for (auto _ : state) behaviour.init();
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(code.size()));
    scene.unload();
    CMC_RunnerFactory::done();
    CMC_VariableFactory::done();
}

void BM_ParseNestedStatement(benchmark::State& state) { parse(state, nestedCode(static_cast<int>(state.range(0)))); }
BENCHMARK(BM_ParseNestedStatement)->Arg(1000)->Arg(10000);

void BM_ParseFlatStatements(benchmark::State& state) { parse(state, flatCode(static_cast<int>(state.range(0)))); }
BENCHMARK(BM_ParseFlatStatements)->Arg(1000)->Arg(10000);

}  // namespace

BENCHMARK_MAIN();
