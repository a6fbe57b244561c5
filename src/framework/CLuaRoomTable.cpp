// The script side of a scripted room: the `Room` table and its methods.
#include "display/CxDisplayScript.h"
#include "framework/CKelButton.h"
#include "framework/CLuaRoom.h"
#include "script/CxLuaEngine.h"
#include "script/CxScriptBinding.h"

namespace {
const char* const kCallbacks[] = {
    "OnStartRoom", "OnAfterStart", "OnBeforeStop", "OnStopRoom", "OnAfterStop", "OnMainLoop", "OnMouseMove",
    "OnLButtonDown", "OnLButtonUp", "OnRButtonDown", "OnRButtonUp", "OnKeyHit", "OnTimer", "OnPause",
    "OnResume", "OnParentNotify", "OnStateChange", "OnIdleTimeOut", "OnActivate",
};

// The room a method carries; a room that no longer exists raises an error
// instead of being touched.
CLuaRoom& MethodRoom(lua_State* L)
{
    auto* room = static_cast<CLuaRoom*>(lua_touserdata(L, lua_upvalueindex(1)));
    if (!CLuaRoom::IsLive(room)) luaL_error(L, "the room of this method no longer exists");
    return *room;
}

int DisableButtonFn(lua_State* L)
{
    CLuaRoom& room = MethodRoom(L);
    if (CxDisplayObject* button = room.FindButton(ScriptCheckString(L, 1))) button->Disable();
    return 0;
}

int EnableButtonFn(lua_State* L)
{
    CLuaRoom& room = MethodRoom(L);
    if (CxDisplayObject* button = room.FindButton(ScriptCheckString(L, 1))) button->Enable();
    return 0;
}

int SetTimerFn(lua_State* L)
{
    CLuaRoom& room = MethodRoom(L);
    uint32_t id = uint32_t(ScriptCheckInt(L, 1));
    uint32_t interval = uint32_t(ScriptCheckInt(L, 2));
    uint32_t value = uint32_t(ScriptCheckInt(L, 3));
    lua_pushnumber(L, room.SetTimer(id, interval, value));
    return 1;
}

int KillTimerFn(lua_State* L)
{
    CLuaRoom& room = MethodRoom(L);
    room.KillTimer(uint32_t(ScriptCheckInt(L, 1)));
    lua_pushnumber(L, room.GetErrorCode());
    return 1;
}

int PauseFn(lua_State* L)
{
    MethodRoom(L).CountPause();
    return 0;
}

int ResumeFn(lua_State* L)
{
    MethodRoom(L).CountResume();
    return 0;
}

struct Method {
    const char* name;
    lua_CFunction function;
};

const Method kMethods[] = {
    {"DisableButton", DisableButtonFn}, {"EnableButton", EnableButtonFn}, {"SetTimer", SetTimerFn},
    {"KillTimer", KillTimerFn},         {"Pause", PauseFn},               {"Resume", ResumeFn},
};

int StoreMethods(lua_State* L)
{
    void* room = lua_touserdata(L, 1);
    lua_getglobal(L, "_templib");
    if (!lua_istable(L, -1)) return luaL_error(L, "_templib is not a table");
    for (const Method& method : kMethods) {
        lua_pushlightuserdata(L, room);
        lua_pushcclosure(L, method.function, 1);
        lua_setfield(L, -2, method.name);
    }
    return 0;
}
}  // namespace

void CLuaRoom::BuildRoomTable()
{
    CxLuaEngine* engine = GetScriptEngine();
    if (!engine || !engine->GetState()) return;
    engine->RunString("Room = {}");
    for (const char* callback : kCallbacks) {
        CxString line;
        line.Format("Room.%s = function() end", callback);
        engine->RunString(line);
    }
    if (ScriptBindClass(*engine, kCxSpriteScriptClass) == 0)
        ScriptExpose(*engine, static_cast<CxSprite*>(this), kCxSpriteScriptClass,
                     "Room.this = CxSprite:SubClass(_tmpObj) _tmpObj = nil");
    engine->RunString("_templib = Room or {}");
    lua_State* L = engine->GetState();
    if (lua_cpcall(L, StoreMethods, this) != 0) {
        engine->ReportScriptError(lua_tostring(L, -1));
        lua_pop(L, 1);
    }
    engine->RunString("Room = _templib _templib = nil");
}
