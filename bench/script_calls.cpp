// Crossing the script boundary: a script calling an engine method through a
// bound class, the engine running a command string, and, as the floor both
// are measured against, a protected call of an empty script function.
#include "core/CxOptions.h"
#include "core/CxError.h"
#include "script/CxLuaEngine.h"
#include "script/CxScriptApi.h"
#include "script/CxScriptBinding.h"

#include <benchmark/benchmark.h>
#include <lua.hpp>

namespace {
// An engine class whose method costs next to nothing, so the boundary is
// what is measured; CxOptions:GetInt shows a real method beside it.
class Counter : public CxObject {
public:
    int32_t value = 0;
};
int32_t Add(Counter& c, int32_t step) { return c.value += step; }
const CxScriptMethod kCounterMethods[] = {ScriptMethod("Add", &Add), {nullptr, nullptr, nullptr}};
const CxScriptClass kCounter = ScriptClass<Counter>("Counter", nullptr, kCounterMethods);

struct Host {
    Host()
    {
        engine.Init();
        BindCxOptions(engine);
        ScriptBindClass(engine, kCounter);
        engine.RunString("opts = CxOptions() opts:SetInt('S', 'k', 5) counter = Counter() function empty() end"
                         " function method(n) local c = counter for i = 1, n do c:Add(1) end end"
                         " function cached(n) local c, add = counter, counter.Add for i = 1, n do add(c, 1) end end"
                         " function options(n) local o = opts for i = 1, n do o:GetInt('S', 'k', 0) end end"
                         " function script(n) local f = empty for i = 1, n do f(1) end end");
    }
    CxLuaEngine engine;
};

// The loop runs inside the script so that the pcall into it is spread over
// many calls; "ScriptToScriptCall" is the same loop calling an empty script
// function, the floor of any call made from a script.
void LoopInScript(benchmark::State& state, const char* function)
{
    Host host;
    lua_State* L = host.engine.GetState();
    const int kCalls = 1000;
    for (auto _ : state) {
        lua_getglobal(L, function);
        lua_pushnumber(L, kCalls);
        if (lua_pcall(L, 1, 0, 0) != 0) state.SkipWithError("script failed");
    }
    state.SetItemsProcessed(state.iterations() * kCalls);
}

void ScriptToEngineMethodCall(benchmark::State& state) { LoopInScript(state, "method"); }
BENCHMARK(ScriptToEngineMethodCall);

// The same call with the method looked up once: the rest of the method cost
// is the lookup through the class tables (a root class reads its fields
// through a script function).
void ScriptToEngineCachedMethod(benchmark::State& state) { LoopInScript(state, "cached"); }
BENCHMARK(ScriptToEngineCachedMethod);

void ScriptToOptionsGetInt(benchmark::State& state) { LoopInScript(state, "options"); }
BENCHMARK(ScriptToOptionsGetInt);

void ScriptToScriptCall(benchmark::State& state) { LoopInScript(state, "script"); }
BENCHMARK(ScriptToScriptCall);

void EngineToScriptRunString(benchmark::State& state)
{
    Host host;
    for (auto _ : state) benchmark::DoNotOptimize(host.engine.RunString("empty()"));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(EngineToScriptRunString);

void PlainPcallOfAnEmptyFunction(benchmark::State& state)
{
    Host host;
    lua_State* L = host.engine.GetState();
    for (auto _ : state) {
        lua_getglobal(L, "empty");
        benchmark::DoNotOptimize(lua_pcall(L, 0, 0, 0));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(PlainPcallOfAnEmptyFunction);

void EngineEvalNumber(benchmark::State& state)
{
    Host host;
    for (auto _ : state) benchmark::DoNotOptimize(host.engine.EvalNumber("1 + 2", 0));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(EngineEvalNumber);
}  // namespace

BENCHMARK_MAIN();
