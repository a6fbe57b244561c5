// The cursor's global script functions.
#include "display/CxCursor.h"

#include <lua.hpp>

namespace {
int32_t IdArgument(lua_State* L, int index)
{
    if (lua_type(L, index) != LUA_TNUMBER) luaL_argerror(L, index, "cursor id expected");
    return int32_t(lua_tonumber(L, index));
}

int SetCursorFn(lua_State* L)
{
    SetCursorId(IdArgument(L, 1));
    return 0;
}

int GetCursorFn(lua_State* L)
{
    lua_pushnumber(L, GetCursorId());
    return 1;
}

int SetDefaultCursorFn(lua_State* L)
{
    SetDefaultCursorId(IdArgument(L, 1));
    return 0;
}

int GetDefaultCursorFn(lua_State* L)
{
    lua_pushnumber(L, GetDefaultCursorId());
    return 1;
}

int HideCursorFn(lua_State*)
{
    HideCursor();
    return 0;
}

int ShowCursorFn(lua_State*)
{
    ShowCursor();
    return 0;
}

int GetCursorIDFromNameFn(lua_State* L)
{
    lua_pushnumber(L, lua_type(L, 1) == LUA_TSTRING ? GetCursorIDFromName(lua_tostring(L, 1)) : 0);
    return 1;
}

const luaL_Reg kFunctions[] = {
    {"SetCursor", SetCursorFn}, {"GetCursor", GetCursorFn}, {"SetDefaultCursor", SetDefaultCursorFn},
    {"GetDefaultCursor", GetDefaultCursorFn}, {"HideCursor", HideCursorFn}, {"ShowCursor", ShowCursorFn},
    {"GetCursorIDFromName", GetCursorIDFromNameFn},
};
}  // namespace

void RegisterCursorScriptFunctions(lua_State* state)
{
    if (!state) return;
    for (const luaL_Reg& function : kFunctions) lua_register(state, function.name, function.func);
}
