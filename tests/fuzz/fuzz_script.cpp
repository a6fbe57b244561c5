// Script host: any text run as a command string must end in a result or a
// printed script error, never a crash, within an instruction and a memory
// budget.  CxOptions is bound without the methods that name files, so no
// input can write or delete anything.  The debug library would let a chunk
// lift the instruction hook, and Lua's pattern matcher backtracks without
// bound inside one C call the hook never interrupts; neither is the host's
// code, so both are taken away rather than let them stall the run.
#include "foundation/CxMemory.h"
#include "script/CxLuaEngine.h"
#include "script/CxScriptApi.h"

#include <lua.hpp>

#include <cstdint>
#include <string>

namespace {
int gHookCalls = 0;

void InstructionBudget(lua_State* L, lua_Debug*)
{
    if (++gHookCalls > 200) luaL_error(L, "instruction budget spent");
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    CxLuaEngine engine;
    if (engine.Init() != 0) return 0;
    BindCxOptions(engine);
    engine.RunString("print = function() end _ALERT = print dofile = print loadfile = print require = print"
                     " for _, m in ipairs({ 'Open', 'Create', 'Save', 'SaveAs', 'Commit', 'Close' }) do CxOptions[m] = nil end"
                     " debug = nil package.loadlib = nil"
                     " for _, f in ipairs({ 'find', 'match', 'gmatch', 'gsub' }) do string[f] = nil end");
    gHookCalls = 0;
    lua_sethook(engine.GetState(), InstructionBudget, LUA_MASKCOUNT, 5000);
    QorSetAllocationLimit(QorBytesInUse() + 32 * 1024 * 1024);
    engine.RunString(text.c_str());
    engine.EvalNumber(text.c_str(), 0);
    QorSetAllocationLimit(0);
    lua_sethook(engine.GetState(), nullptr, 0, 0);
    engine.Shutdown();
    return 0;
}
