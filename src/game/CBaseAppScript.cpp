// The game-level script functions and the game options seen by scripts as
// `qor.options`.
#include "game/CBaseApp.h"

#include "core/CxTime.h"
#include "display/CxTextLayout.h"
#include "game/world/C3DPhysicsObject.h"
#include "game/world/CPet.h"
#include "game/world/CPetRoom.h"
#include "game/world/CxTextureCache.h"
#include "game/world/CxWorldScript.h"
#include "graphics/CxFont.h"
#include "platform/os/PlatformSystem.h"
#include "script/CxLuaEngine.h"
#include "script/CxScriptApi.h"
#include "script/CxScriptBinding.h"

#include <lua.hpp>
#include <string>

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
int DoSplashScreenFn(lua_State* L)
{
    Game(L)->DoSplashScreen();
    return 0;
}

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

int SetAllowGlitterFn(lua_State* L)
{
    if (lua_type(L, 1) != LUA_TNUMBER && lua_type(L, 1) != LUA_TBOOLEAN) luaL_argerror(L, 1, "bad argument");
    Game(L)->SetAllowGlitter(lua_type(L, 1) == LUA_TBOOLEAN ? lua_toboolean(L, 1) != 0 : ScriptTruncate(lua_tonumber(L, 1)));
    return 0;
}

int IsGlitterAllowedFn(lua_State* L)
{
    lua_pushnumber(L, Game(L)->IsGlitterAllowed());
    return 1;
}

// The text wrapped into the box: the widest line and the lines' height.
int GetTextSizeFn(lua_State* L)
{
    const char* text = luaL_checkstring(L, 1);
    int32_t handle = ScriptTruncate(luaL_checknumber(L, 2));
    int size = ScriptTruncate(luaL_checknumber(L, 3));
    int32_t width = ScriptTruncate(luaL_checknumber(L, 4)), height = ScriptTruncate(luaL_checknumber(L, 5));
    CxFont* font = FindFont(handle);
    if (!font) font = FindFont(-1);
    if (!font || width <= 0) {
        lua_pushnumber(L, 0);
        lua_pushnumber(L, 0);
        return 2;
    }
    CxString wrapped;
    int lines = WrapText(text, CxRect{0, 0, width - 1, height > 0 ? height - 1 : 0}, font, size, wrapped);
    int32_t widest = 0;
    const char* line = wrapped.Text();
    while (line && *line) {
        const char* end = line;
        while (*end && *end != '\n') ++end;
        std::string part(line, size_t(end - line));
        int32_t w = TextLineWidth(part.c_str(), font, size);
        if (w > widest) widest = w;
        line = *end ? end + 1 : end;
    }
    lua_pushnumber(L, widest);
    lua_pushnumber(L, double(lines) * (font->LineHeight(size) + font->GetSpacing().height));
    return 2;
}

// Loads the texture into the cache and lets go at once: it stays cached
// until the next purge.
int PreLoadTextureFn(lua_State* L)
{
    const char* name = luaL_checkstring(L, 1);
    CxTextureHandle handle;
    int code = GetTexture(name, &handle);
    lua_pushnumber(L, code);
    return 1;
}

const luaL_Reg kGameFunctions[] = {
    {"QorGetTickCount", QorGetTickCountFn},
    {"DoSplashScreen", DoSplashScreenFn},
    {"GetAppWidth", GetAppWidthFn},
    {"GetAppHeight", GetAppHeightFn},
    {"GetAppDepth", GetAppDepthFn},
    {"SetMouseAllowed", SetMouseAllowedFn},
    {"IsMouseAllowed", IsMouseAllowedFn},
    {"QorGetTimeSeconds", QorGetTimeSecondsFn},
    {"ScreenCapture", ScreenCaptureFn},
    {"ScreenCaptureWithUI", ScreenCaptureWithUIFn},
    {"SetAllowGlitter", SetAllowGlitterFn},
    {"IsGlitterAllowed", IsGlitterAllowedFn},
    {"GetTextSize", GetTextSizeFn},
    {"PreLoadTexture", PreLoadTextureFn},
};

// Functions of the game screens that are still to come: a clear error
// instead of a missing global.
const char* const kNotAvailable[] = {"DoGlitter", "GetGlobalCButtonPosition", "PrintScreen"};
}  // namespace

void CBaseApp::RegisterScriptFunctions()
{
    CKelApp::RegisterScriptFunctions();
    CxLuaEngine* engine = GetScriptEngine();
    if (!engine) return;
    for (const luaL_Reg& entry : kGameFunctions) engine->RegisterFunction(entry.name, entry.func);
    for (const char* name : kNotAvailable) RegisterNotAvailable(*engine, name);
    RegisterWorldScriptClasses(*engine);
    RegisterPhysicsScriptClass(*engine);
    RegisterPetScript(*engine);
    engine->RunString("qor = qor or {}");
    ScriptExpose(*engine, &gameOptions_, kCxOptionsScriptClass, "qor.options = CxOptions:SubClass(_tmpObj) _tmpObj = nil");
}
