// The interpreter's cost per call next to Lua 5.4 doing the same work:
//  - a script method call through the runners: a behaviour whose @LOOP runs
//    X^ADD(1) on an INTEGER, against a Lua loop calling a method on a table;
//  - an event raise with the caret fallback: ONSIGNAL^HIT has no handler, so the
//    plain ONSIGNAL runs, against a Lua global look-up that misses, a second
//    look-up and the call.
// Results and the ratio are in docs/performance.md.
#include <benchmark/benchmark.h>

#include <lua.hpp>

#include "script/CMC_Behaviour.h"
#include "script/CMC_Integer.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_VariableFactory.h"
#include "script/CMElement.h"

namespace {

constexpr int kCallsPerLoop = 1000;

// A scene-like container with the pools and runners ready; unloads its objects.
class Scene {
public:
    Scene() {
        CMC_VariableFactory::initialize();
        CMC_RunnerFactory::initialize();
        container = new CMC_ObjectsContainer(nullptr, nullptr, CXString("BENCH"), CMC_ObjectsContainer::kScene);
        x = new CMC_Integer(CXString("X"));
        container->addObject(x);
    }
    ~Scene() {
        container->unload();
        delete container;
        CMC_RunnerFactory::done();
        CMC_VariableFactory::done();
    }
    CMC_Behaviour* behaviour(const char* name, const char* code) {
        auto* b = new CMC_Behaviour(container, CXString(name), CXString(code));
        container->addObject(b);
        b->init();
        return b;
    }

    CMC_ObjectsContainer* container;
    CMC_Integer* x;
};

void perCall(benchmark::State& state, int callsPerIteration) {
    state.counters["per_call"] = benchmark::Counter(static_cast<double>(state.iterations()) * callsPerIteration,
                                                    benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_ScriptMethodCallInLoop(benchmark::State& state) {
    Scene scene;
    scene.behaviour("BODY", "{X^ADD(1);}");
    CMC_Behaviour* loop = scene.behaviour("LOOPER", "{@LOOP(BODY, 0, 1000, 1);}");
    for (auto _ : state) {
        loop->run(nullptr, nullptr, false);
        // The application's step frees the temporaries once per frame.
        CMC_VariableFactory::clearPool();
    }
    if (scene.x->getValue() != static_cast<int>(state.iterations() * kCallsPerLoop)) state.SkipWithError("wrong sum");
    perCall(state, kCallsPerLoop);
}
BENCHMARK(BM_ScriptMethodCallInLoop);

void BM_LuaMethodCallInLoop(benchmark::State& state) {
    lua_State* L = luaL_newstate();
    luaL_openlibs(L);
    luaL_dostring(L,
                  "X = { v = 0 }\n"
                  "function X:add(n) self.v = self.v + n; return self.v end\n"
                  "function LOOPER() local x = X for i = 0, 999 do x:add(1) end end\n");
    for (auto _ : state) {
        lua_getglobal(L, "LOOPER");
        lua_pcall(L, 0, 0, 0);
    }
    perCall(state, kCallsPerLoop);
    lua_close(L);
}
BENCHMARK(BM_LuaMethodCallInLoop);

void BM_ScriptEventRaiseWithCaretFallback(benchmark::State& state) {
    Scene scene;
    scene.behaviour("HANDLER", "{X^INC();}");
    CMElement element(CXString("X"));
    element.addProperty(CXString("ONSIGNAL"), CXString("HANDLER"));
    scene.x->initializeBehaviours(scene.container, &element);
    const CXString event("ONSIGNAL");
    const CXString argument("HIT");
    for (auto _ : state) benchmark::DoNotOptimize(scene.x->onSignal(event, argument));
    if (scene.x->getValue() != static_cast<int>(state.iterations())) state.SkipWithError("handler did not run");
    perCall(state, 1);
}
BENCHMARK(BM_ScriptEventRaiseWithCaretFallback);

void BM_LuaEventRaiseWithCaretFallback(benchmark::State& state) {
    lua_State* L = luaL_newstate();
    luaL_openlibs(L);
    luaL_dostring(L,
                  "X = { v = 0 }\n"
                  "ONSIGNAL = function() X.v = X.v + 1 end\n");
    for (auto _ : state) {
        // The caret key first; when no function has it, the plain event.
        if (lua_getglobal(L, "ONSIGNAL^HIT") == LUA_TNIL) {
            lua_pop(L, 1);
            lua_getglobal(L, "ONSIGNAL");
        }
        lua_pcall(L, 0, 0, 0);
    }
    perCall(state, 1);
    lua_close(L);
}
BENCHMARK(BM_LuaEventRaiseWithCaretFallback);

}  // namespace

BENCHMARK_MAIN();
