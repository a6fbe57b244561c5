// The game-level script functions and the game options seen by scripts as
// `qor.options`.
#include "game/CBaseApp.h"

#include "core/CxTime.h"
#include "platform/os/PlatformSystem.h"
#include "script/CxLuaEngine.h"
#include "script/CxScriptApi.h"
#include "script/CxScriptBinding.h"

#include <lua.hpp>

int ScreenCaptureFn(lua_State* L);
int ScreenCaptureWithUIFn(lua_State* L);

namespace {
CBaseApp* Game(lua_State* L)
{
    CBaseApp* app = CBaseApp::Get();
    if (!app) luaL_error(L, "no game application is running");
    return app;
}

int QorGetTickCountFn(lua_State* L) { lua_pushnumber(L, QorTickCount()); return 1; }
int QorGetTimeSecondsFn(lua_State* L) { lua_pushnumber(L, double(PlatTimeSeconds())); return 1; }
int GetAppWidthFn(lua_State* L) { lua_pushnumber(L, Game(L)->GetClientWidth()); return 1; }
int GetAppHeightFn(lua_State* L) { lua_pushnumber(L, Game(L)->GetClientHeight()); return 1; }
int GetAppDepthFn(lua_State* L) { lua_pushnumber(L, Game(L)->GetDepth()); return 1; }

int SetMouseAllowedFn(lua_State* L)
{
    if (lua_type(L, 1) != LUA_TNUMBER && lua_type(L, 1) != LUA_TBOOLEAN) luaL_argerror(L, 1, "bad argument");
    bool on = lua_type(L, 1) == LUA_TBOOLEAN ? lua_toboolean(L, 1) != 0 : lua_tonumber(L, 1) != 0;
    Game(L)->EnableMouseInput(on);
    return 0;
}

int IsMouseAllowedFn(lua_State* L) { lua_pushboolean(L, Game(L)->IsMouseInputEnabled()); return 1; }

const luaL_Reg kGameFunctions[] = {
    {"QorGetTickCount", QorGetTickCountFn},
    {"GetAppWidth", GetAppWidthFn},
    {"GetAppHeight", GetAppHeightFn},
    {"GetAppDepth", GetAppDepthFn},
    {"SetMouseAllowed", SetMouseAllowedFn},
    {"IsMouseAllowed", IsMouseAllowedFn},
    {"QorGetTimeSeconds", QorGetTimeSecondsFn},
    {"ScreenCapture", ScreenCaptureFn},
    {"ScreenCaptureWithUI", ScreenCaptureWithUIFn},
};
}  // namespace

void CBaseApp::RegisterScriptFunctions()
{
    CKelApp::RegisterScriptFunctions();
    CxLuaEngine* engine = GetScriptEngine();
    if (!engine) return;
    for (const luaL_Reg& entry : kGameFunctions) engine->RegisterFunction(entry.name, entry.func);
    engine->RunString("qor = qor or {}");
    ScriptExpose(*engine, &gameOptions_, kCxOptionsScriptClass, "qor.options = CxOptions:SubClass(_tmpObj) _tmpObj = nil");
}
