// The game host's script functions: paths, key bindings, the room stack and
// the engine's headless API over the host's own file-system list.
#include "app/CxGameApp.h"

#include "app/CxRoomManager.h"
#include "script/CxLuaEngine.h"
#include "app/CxScriptApi.h"
#include "script/CxScriptApi.h"
#include "script/CxScriptBinding.h"

#include <lua.hpp>

namespace {
CxGameApp* Host(lua_State* L)
{
    CxGameApp* app = CxGameApp::Get();
    if (!app) luaL_error(L, "no game application is running");
    return app;
}

int BuildGamePathFn(lua_State* L)
{
    lua_pushstring(L, BuildGamePath(ScriptCheckString(L, 1)).Text());
    return 1;
}

int BindKeyFn(lua_State* L)
{
    const char* key = ScriptCheckString(L, 1);
    Host(L)->BindKey(key, ScriptCheckString(L, 2));
    return 0;
}

int UnBindKeyFn(lua_State* L) { Host(L)->UnBindKey(ScriptCheckString(L, 1)); return 0; }
int UnBindAllKeysFn(lua_State* L) { Host(L)->UnBindAllKeys(); return 0; }
// Kept so that scripts written for a debug build still run.
int NothingFn(lua_State*) { return 0; }

const luaL_Reg kHostFunctions[] = {
    {"BuildGamePath", BuildGamePathFn},
    {"BindKey", BindKeyFn},
    {"UnBindKey", UnBindKeyFn},
    {"UnBindAllKeys", UnBindAllKeysFn},
    {"SetDebugWindowText", NothingFn},
    {"ShowDebugBar", NothingFn},
    {"HideDebugBar", NothingFn},
};
}  // namespace

void CxGameApp::RegisterScriptFunctions()
{
    CxLuaEngine* engine = GetScriptEngine();
    if (!engine) return;
    SetScriptRoomManager(&rooms_);
    RegisterHeadlessScriptApi(*engine, &fileSystems_);
    for (const luaL_Reg& entry : kHostFunctions) engine->RegisterFunction(entry.name, entry.func);
}
