#include "framework/CxRoomScript.h"
#include "framework/CKelShared.h"
#include "framework/CKelWindow.h"
#include "app/CxRoomManager.h"
#include "script/CxLuaEngine.h"
#include "script/CxScriptBinding.h"

namespace {

CxGameWindow* CurrentRoom() { return GetScriptRoomManager() ? GetScriptRoomManager()->GetCurrentRoom() : nullptr; }

int PushRoomFn(lua_State* L)
{
    const char* name = ScriptCheckString(L, 1);
    if (GetScriptRoomManager()) GetScriptRoomManager()->PushRoom(name);
    return 0;
}

int PopRoomFn(lua_State*)
{
    if (GetScriptRoomManager()) GetScriptRoomManager()->PopRoom();
    return 0;
}

int GotoRoomFn(lua_State* L)
{
    const char* name = ScriptCheckString(L, 1);
    if (GetScriptRoomManager()) GetScriptRoomManager()->GotoRoom(name);
    return 0;
}

int PeekRoomFn(lua_State* L)
{
    CxString top = GetScriptRoomManager() ? GetScriptRoomManager()->PeekRoom() : CxString();
    lua_pushstring(L, top.Text());
    return 1;
}

int IsLeavingRoomFn(lua_State* L)
{
    lua_pushboolean(L, GetScriptRoomManager() && GetScriptRoomManager()->IsLeavingRoom());
    return 1;
}

int ReloadRoomFn(lua_State*)
{
    if (GetScriptRoomManager()) GetScriptRoomManager()->ReloadRoom();
    return 0;
}

int GetCurRoomNameFn(lua_State* L)
{
    CxGameWindow* room = CurrentRoom();
    if (room) lua_pushstring(L, room->GetName());
    else lua_pushnil(L);
    return 1;
}

int GetCurRoomPtrFn(lua_State* L)
{
    CxGameWindow* room = CurrentRoom();
    if (room) lua_pushlightuserdata(L, room);
    else lua_pushnil(L);
    return 1;
}

int PauseRoomFn(lua_State*)
{
    if (GetScriptRoomManager()) GetScriptRoomManager()->PauseRoom();
    return 0;
}

int ResumeRoomFn(lua_State*)
{
    if (GetScriptRoomManager()) GetScriptRoomManager()->ResumeRoom();
    return 0;
}

int RoomLoadSurfaceFn(lua_State* L)
{
    const char* path = ScriptCheckString(L, 1);
    CxGameWindow* room = CurrentRoom();
    if (auto* kel = dynamic_cast<CKelWindow*>(room)) {
        kel->LoadBackground(path);
    } else if (room) {
        room->LoadSurface(path);
        room->Paint();
    }
    return 0;
}

// The room a reference names; anything else is a bad argument, so a stale
// or forged pointer is never followed.
CxGameWindow& RoomArgument(lua_State* L)
{
    auto* room = static_cast<CxGameWindow*>(lua_touserdata(L, 1));
    if (lua_type(L, 1) != LUA_TLIGHTUSERDATA || !GetScriptRoomManager() || !GetScriptRoomManager()->HasRoom(room))
        luaL_argerror(L, 1, "bad argument");
    return *room;
}

int SetTimerFn(lua_State* L)
{
    CxGameWindow& room = RoomArgument(L);
    uint32_t id = uint32_t(ScriptCheckInt(L, 2));
    uint32_t interval = uint32_t(ScriptCheckInt(L, 3));
    uint32_t value = lua_isnoneornil(L, 4) ? 0 : uint32_t(ScriptCheckInt(L, 4));
    room.SetTimer(id, interval, value);
    return 0;
}

int KillTimerFn(lua_State* L)
{
    CxGameWindow& room = RoomArgument(L);
    room.KillTimer(uint32_t(ScriptCheckInt(L, 2)));
    return 0;
}

int PauseTimerFn(lua_State* L)
{
    CxGameWindow& room = RoomArgument(L);
    room.PauseTimer(uint32_t(ScriptCheckInt(L, 2)));
    return 0;
}

int ResumeTimerFn(lua_State* L)
{
    CxGameWindow& room = RoomArgument(L);
    room.ResumeTimer(uint32_t(ScriptCheckInt(L, 2)));
    return 0;
}

struct Function {
    const char* name;
    lua_CFunction function;
};

const Function kFunctions[] = {
    {"PushRoom", PushRoomFn},
    {"PopRoom", PopRoomFn},
    {"GotoRoom", GotoRoomFn},
    {"PeekRoom", PeekRoomFn},
    {"IsLeavingRoom", IsLeavingRoomFn},
    {"ReloadRoom", ReloadRoomFn},
    {"GetCurRoomName", GetCurRoomNameFn},
    {"GetCurRoomPtr", GetCurRoomPtrFn},
    {"PauseRoom", PauseRoomFn},
    {"ResumeRoom", ResumeRoomFn},
    {"RoomLoadSurface", RoomLoadSurfaceFn},
    {"Room::SetTimer", SetTimerFn},
    {"Room::KillTimer", KillTimerFn},
    {"Room::PauseTimer", PauseTimerFn},
    {"Room::ResumeTimer", ResumeTimerFn},
};
}  // namespace


int RegisterRoomScriptFunctions(CxLuaEngine& engine)
{
    for (const Function& function : kFunctions) {
        int code = engine.RegisterFunction(function.name, function.function);
        if (code) return code;
    }
    return 0;
}
