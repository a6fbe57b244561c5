// The script table BLT_EFFECTS: scripts name an effect by its code's name
// ("BLT_EFFECTS.BLT_EFFECT_ALPHA") instead of a bare number.
#include "graphics/CxBltEffects.h"
#include "core/CxError.h"
#include "script/CxLuaEngine.h"

#include <lua.hpp>

namespace {
int MakeTable(lua_State* L)
{
    lua_createtable(L, 0, int(sizeof kBltEffectNames / sizeof kBltEffectNames[0]));
    for (const BltEffectName& effect : kBltEffectNames) {
        lua_pushnumber(L, effect.code);
        lua_setfield(L, -2, effect.name);
    }
    lua_setglobal(L, "BLT_EFFECTS");
    return 0;
}
}  // namespace

int RegisterBltEffectsTable(CxLuaEngine& engine)
{
    lua_State* L = engine.GetState();
    if (!L) return ERR_SCRIPTING;
    if (lua_cpcall(L, MakeTable, nullptr) == 0) return 0;
    engine.ReportScriptError(lua_tostring(L, -1));
    lua_pop(L, 1);
    return ERR_SCRIPTING;
}
