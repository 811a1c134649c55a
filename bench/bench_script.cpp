// The interpreter's cost per pass next to Lua 5.4 doing the same work, in one run:
//  - a loop pass: @LOOP runs BODY, whose one statement adds 1 to an INTEGER, against
//    a Lua loop calling a function that adds 1 to a global (and against the same add
//    as a method of a table and of a metatable class);
//  - RUN with one argument: the loop body runs CALLEE^RUN(1), CALLEE adds $1;
//  - @IF on an INTEGER (the loop counter) choosing one of two behaviours;
//  - a STRING append of a quoted text;
//  - an event raised from C++ whose caret key is built at run time: ONSIGNAL^HIT has
//    no handler, so the plain ONSIGNAL runs; the host side of Lua concatenates the key,
//    misses it, fetches the plain handler and calls it (and, beside it, the same raise
//    written in Lua);
//  - loading a definition file of 1,000 and 10,000 objects into a scene.
// The script side loads its behaviours from a definition file, as games do.
// Results and ratios are in docs/performance.md.
#include <benchmark/benchmark.h>

#include <lua.hpp>

#include <memory>
#include <string>
#include <vector>

#include "foundation/CTextFileReader.h"
#include "foundation/CXVector.h"
#include "script/CMC_Behaviour.h"
#include "script/CMC_Integer.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_String.h"
#include "script/CMC_TypeTable.h"
#include "script/CMC_VariableFactory.h"
#include "script/CMElements.h"
#include "script/CMElementsLoader.h"

namespace {

constexpr int kPasses = 1000;
constexpr int kAppends = 100;

// The behaviours and variables of every script case, as a definition file.
const char* const kDefinitions =
    "OBJECT=N\nN:TYPE=INTEGER\nN:VALUE=0\n"
    "OBJECT=M\nM:TYPE=INTEGER\nM:VALUE=0\n"
    "OBJECT=A\nA:TYPE=INTEGER\nA:VALUE=0\n"
    "OBJECT=B\nB:TYPE=INTEGER\nB:VALUE=0\n"
    "OBJECT=S\nS:TYPE=STRING\nS:VALUE=\n"
    "OBJECT=HANDLER\nHANDLER:TYPE=BEHAVIOUR\nHANDLER:CODE={X^INC();}\n"
    "OBJECT=X\nX:TYPE=INTEGER\nX:VALUE=0\nX:ONSIGNAL=HANDLER\n"
    "OBJECT=BODY\nBODY:TYPE=BEHAVIOUR\nBODY:CODE={N^ADD(1);}\n"
    "OBJECT=LOOPER\nLOOPER:TYPE=BEHAVIOUR\nLOOPER:CODE={@LOOP(BODY,0,1000,1);}\n"
    "OBJECT=CALLEE\nCALLEE:TYPE=BEHAVIOUR\nCALLEE:CODE={M^ADD($1);}\n"
    "OBJECT=CALLER\nCALLER:TYPE=BEHAVIOUR\nCALLER:CODE={CALLEE^RUN(1);}\n"
    "OBJECT=RUNLOOPER\nRUNLOOPER:TYPE=BEHAVIOUR\nRUNLOOPER:CODE={@LOOP(CALLER,0,1000,1);}\n"
    "OBJECT=LO\nLO:TYPE=BEHAVIOUR\nLO:CODE={A^INC();}\n"
    "OBJECT=HI\nHI:TYPE=BEHAVIOUR\nHI:CODE={B^INC();}\n"
    "OBJECT=IFBODY\nIFBODY:TYPE=BEHAVIOUR\nIFBODY:CODE={@IF(_I_,<,500,LO,HI);}\n"
    "OBJECT=IFLOOPER\nIFLOOPER:TYPE=BEHAVIOUR\nIFLOOPER:CODE={@LOOP(IFBODY,0,1000,1);}\n"
    "OBJECT=APPEND\nAPPEND:TYPE=BEHAVIOUR\nAPPEND:CODE={S^ADD(\"X\");}\n"
    "OBJECT=APPENDER\nAPPENDER:TYPE=BEHAVIOUR\nAPPENDER:CODE={@LOOP(APPEND,0,100,1);S^SET(\"\");}\n";

CMElements* parseDefinitions(std::string& text) {
    CTextFileReader reader(nullptr, text.data(), static_cast<int>(text.size()));
    return CMElementsLoader::load(nullptr, &reader);
}

// A scene loaded from definition text, its objects initialised in registration order
// as a scene's entry does; unloads its objects.
class Scene {
public:
    explicit Scene(std::string text) {
        CMC_VariableFactory::initialize();
        if (!CMC_RunnerFactory::getRunner(CMC_Behaviour::kType)) CMC_RunnerFactory::initialize();
        CMC_Behaviour::initTrash();
        container = new CMC_ObjectsContainer(nullptr, nullptr, CXString("BENCH"), CMC_ObjectsContainer::kScene);
        std::unique_ptr<CMElements> elements(parseDefinitions(text));
        delete CMC_TypeTable::resolveObjects(container, elements.get());
        std::vector<CMC_Object*> objects;
        const CXVector* list = container->getObjectList();
        for (int i = 0; list && i < list->getCount(); ++i) objects.push_back(static_cast<CMC_Object*>(list->at(i)));
        for (CMC_Object* object : objects) object->init();
    }
    ~Scene() {
        container->unload();
        delete container;
        CMC_Behaviour::flushTrash();
        CMC_VariableFactory::clearPool();
    }
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    CMC_Behaviour* behaviour(const char* name) { return dynamic_cast<CMC_Behaviour*>(container->getObject(name)); }
    int integer(const char* name) {
        auto* value = dynamic_cast<CMC_Integer*>(container->getObject(name));
        return value ? value->getValue() : -1;
    }
    CXString text(const char* name) {
        auto* value = dynamic_cast<CMC_String*>(container->getObject(name));
        return value ? value->getValue() : CXString("?");
    }

    CMC_ObjectsContainer* container;
};

void perPass(benchmark::State& state, int passesPerIteration) {
    state.counters["per_pass"] = benchmark::Counter(static_cast<double>(state.iterations()) * passesPerIteration,
                                                    benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Runs a looping behaviour once per iteration; the application step frees the
// temporaries and the global trash (the loop counters LOOP disposes of) once per frame.
void runScript(benchmark::State& state, Scene& scene, const char* looper) {
    CMC_Behaviour* loop = scene.behaviour(looper);
    if (!loop) {
        state.SkipWithError("no behaviour");
        return;
    }
    for (auto _ : state) {
        loop->run(nullptr, nullptr, false);
        CMC_VariableFactory::clearPool();
        CMC_Behaviour::flushTrash();
    }
}

lua_State* newLua(const char* code) {
    lua_State* L = luaL_newstate();
    luaL_openlibs(L);
    if (luaL_dostring(L, code) != LUA_OK) {
        lua_close(L);
        return nullptr;
    }
    return L;
}

// Calls the global function `name` once per iteration.
void runLua(benchmark::State& state, const char* code, const char* name) {
    lua_State* L = newLua(code);
    if (!L) {
        state.SkipWithError("lua code");
        return;
    }
    for (auto _ : state) {
        lua_getglobal(L, name);
        lua_pcall(L, 0, 0, 0);
    }
    lua_close(L);
}

// ---- loop pass ----------------------------------------------------------------------

void BM_ScriptLoopPass(benchmark::State& state) {
    Scene scene(kDefinitions);
    runScript(state, scene, "LOOPER");
    if (scene.integer("N") != static_cast<int>(state.iterations() * kPasses)) state.SkipWithError("wrong sum");
    perPass(state, kPasses);
}
BENCHMARK(BM_ScriptLoopPass);

void BM_LuaLoopPassFunction(benchmark::State& state) {
    runLua(state,
           "N = 0\n"
           "function BODY() N = N + 1 end\n"
           "function LOOPER() for i = 0, 999 do BODY() end end\n",
           "LOOPER");
    perPass(state, kPasses);
}
BENCHMARK(BM_LuaLoopPassFunction);

void BM_LuaLoopPassMethod(benchmark::State& state) {
    runLua(state,
           "X = { v = 0 }\n"
           "function X:add(n) self.v = self.v + n; return self.v end\n"
           "function LOOPER() local x = X for i = 0, 999 do x:add(1) end end\n",
           "LOOPER");
    perPass(state, kPasses);
}
BENCHMARK(BM_LuaLoopPassMethod);

void BM_LuaLoopPassClassMethod(benchmark::State& state) {
    runLua(state,
           "Counter = {}\n"
           "Counter.__index = Counter\n"
           "function Counter.new() return setmetatable({ v = 0 }, Counter) end\n"
           "function Counter:add(n) self.v = self.v + n; return self.v end\n"
           "X = Counter.new()\n"
           "function LOOPER() local x = X for i = 0, 999 do x:add(1) end end\n",
           "LOOPER");
    perPass(state, kPasses);
}
BENCHMARK(BM_LuaLoopPassClassMethod);

// ---- RUN with one argument ------------------------------------------------------------

void BM_ScriptRunWithArgument(benchmark::State& state) {
    Scene scene(kDefinitions);
    runScript(state, scene, "RUNLOOPER");
    if (scene.integer("M") != static_cast<int>(state.iterations() * kPasses)) state.SkipWithError("wrong sum");
    perPass(state, kPasses);
}
BENCHMARK(BM_ScriptRunWithArgument);

void BM_LuaRunWithArgument(benchmark::State& state) {
    runLua(state,
           "M = 0\n"
           "function CALLEE(a) M = M + a end\n"
           "function LOOPER() for i = 0, 999 do CALLEE(1) end end\n",
           "LOOPER");
    perPass(state, kPasses);
}
BENCHMARK(BM_LuaRunWithArgument);

// ---- IF on an INTEGER -------------------------------------------------------------------

void BM_ScriptIfOnInteger(benchmark::State& state) {
    Scene scene(kDefinitions);
    runScript(state, scene, "IFLOOPER");
    const int half = static_cast<int>(state.iterations() * kPasses / 2);
    if (scene.integer("A") != half || scene.integer("B") != half) state.SkipWithError("wrong branches");
    perPass(state, kPasses);
}
BENCHMARK(BM_ScriptIfOnInteger);

void BM_LuaIfOnInteger(benchmark::State& state) {
    runLua(state,
           "A = 0 B = 0\n"
           "function LO() A = A + 1 end\n"
           "function HI() B = B + 1 end\n"
           "function IFBODY(i) if i < 500 then LO() else HI() end end\n"
           "function LOOPER() for i = 0, 999 do IFBODY(i) end end\n",
           "LOOPER");
    perPass(state, kPasses);
}
BENCHMARK(BM_LuaIfOnInteger);

// ---- STRING append ----------------------------------------------------------------------

void BM_ScriptStringAppend(benchmark::State& state) {
    Scene scene(kDefinitions);
    CMC_Behaviour* append = scene.behaviour("APPEND");
    if (append) {
        // The text reached before the reset: one "X" per pass.
        append->run(nullptr, nullptr, false);
        if (scene.text("S") != "X") state.SkipWithError("wrong text");
    }
    runScript(state, scene, "APPENDER");
    perPass(state, kAppends);
}
BENCHMARK(BM_ScriptStringAppend);

void BM_LuaStringAppend(benchmark::State& state) {
    runLua(state,
           "S = \"\"\n"
           "function APPEND() S = S .. \"X\" end\n"
           "function APPENDER() for i = 0, 99 do APPEND() end S = \"\" end\n",
           "APPENDER");
    perPass(state, kAppends);
}
BENCHMARK(BM_LuaStringAppend);

// ---- event raise ------------------------------------------------------------------------

void BM_ScriptEventRaise(benchmark::State& state) {
    Scene scene(kDefinitions);
    CMC_Object* x = scene.container->getObject("X");
    const CXString event("ONSIGNAL");
    const CXString argument("HIT");
    for (auto _ : state) benchmark::DoNotOptimize(x->onSignal(event, argument));
    if (scene.integer("X") != static_cast<int>(state.iterations())) state.SkipWithError("handler did not run");
    perPass(state, 1);
}
BENCHMARK(BM_ScriptEventRaise);

// The peer of the engine's raise from C++: the host concatenates the key, misses it in
// the handler table, fetches the plain handler and calls it with lua_pcall.
void BM_LuaEventRaise(benchmark::State& state) {
    lua_State* L = newLua(
        "X = { v = 0 }\n"
        "H = { ONSIGNAL = function() X.v = X.v + 1 end }\n");
    if (!L) {
        state.SkipWithError("lua code");
        return;
    }
    lua_getglobal(L, "H");
    const int handlers = lua_gettop(L);
    const char* const event = "ONSIGNAL";
    const char* const argument = "HIT";
    for (auto _ : state) {
        lua_pushstring(L, event);
        lua_pushliteral(L, "^");
        lua_pushstring(L, argument);
        lua_concat(L, 3);
        if (lua_gettable(L, handlers) == LUA_TNIL) {
            lua_pop(L, 1);
            lua_getfield(L, handlers, event);
        }
        if (lua_pcall(L, 0, 0, 0) != LUA_OK) lua_pop(L, 1);
    }
    lua_getglobal(L, "X");
    lua_getfield(L, -1, "v");
    if (lua_tointeger(L, -1) != static_cast<lua_Integer>(state.iterations())) state.SkipWithError("handler did not run");
    lua_close(L);
    perPass(state, 1);
}
BENCHMARK(BM_LuaEventRaise);

// The same raise written in Lua: one lua_pcall of a function that builds the key,
// misses it and calls the plain handler from Lua.
void BM_LuaEventRaiseInLua(benchmark::State& state) {
    runLua(state,
           "X = { v = 0 }\n"
           "H = { ONSIGNAL = function() X.v = X.v + 1 end }\n"
           "EVENT, ARGUMENT = \"ONSIGNAL\", \"HIT\"\n"
           "function RAISE()\n"
           "  local h = H[EVENT .. \"^\" .. ARGUMENT]\n"
           "  if h == nil then h = H[EVENT] end\n"
           "  h()\n"
           "end\n",
           "RAISE");
    perPass(state, 1);
}
BENCHMARK(BM_LuaEventRaiseInLua);

// ---- definition loading -----------------------------------------------------------------

// n objects: INTEGERs and, for every second one, a behaviour that adds to it.
std::string sceneDefinitions(int objects) {
    std::string text;
    for (int i = 0; i < objects / 2; ++i) {
        const std::string value = "V_" + std::to_string(i);
        const std::string behaviour = "B_" + std::to_string(i);
        text += "OBJECT=" + value + "\n" + value + ":TYPE=INTEGER\n" + value + ":VALUE=" + std::to_string(i) + "\n";
        text += "OBJECT=" + behaviour + "\n" + behaviour + ":TYPE=BEHAVIOUR\n" + behaviour + ":CODE={" + value +
                "^ADD(1);}\n";
    }
    return text;
}

void BM_ScriptDefinitionLoad(benchmark::State& state) {
    const int objects = static_cast<int>(state.range(0));
    const std::string text = sceneDefinitions(objects);
    for (auto _ : state) {
        Scene scene(text);
        if (scene.container->getElementsNo() != objects) state.SkipWithError("wrong number of objects");
    }
    state.counters["per_object"] = benchmark::Counter(static_cast<double>(objects),
                                                      benchmark::Counter::kIsIterationInvariantRate |
                                                          benchmark::Counter::kInvert);
}
BENCHMARK(BM_ScriptDefinitionLoad)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
