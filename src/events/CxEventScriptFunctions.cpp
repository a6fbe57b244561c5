#include "events/CxEventScriptFunctions.h"
#include "events/CxEvent.h"
#include "events/CxEventSequence.h"
#include "events/CxInterpolator.h"
#include "events/CxScriptEvents.h"

#include <lua.hpp>

namespace {
// The system and room channels the event script functions name.
struct ScriptChannelState {
    uint32_t systemChannel = 0;
    uint32_t roomChannel = 0;
};

ScriptChannelState& ScriptChannels()
{
    static ScriptChannelState state;
    return state;
}

// Channel arguments: a number, else 0.
uint32_t ChannelArgument(lua_State* L, int index)
{
    return lua_type(L, index) == LUA_TNUMBER ? uint32_t(lua_tonumber(L, index)) : 0;
}

uint32_t PostingChannel(lua_State* L, int index)
{
    uint32_t channel = ChannelArgument(L, index);
    return channel ? channel : ScriptChannels().systemChannel;
}

// The boolean true or a number other than 0.
bool TrueArgument(lua_State* L, int index)
{
    if (lua_type(L, index) == LUA_TBOOLEAN) return lua_toboolean(L, index) != 0;
    return lua_type(L, index) == LUA_TNUMBER && lua_tonumber(L, index) != 0;
}

const char* StringArgument(lua_State* L, int index)
{
    if (lua_type(L, index) != LUA_TSTRING) luaL_argerror(L, index, "bad argument");
    return lua_tostring(L, index);
}

double NumberArgument(lua_State* L, int index)
{
    if (lua_type(L, index) != LUA_TNUMBER) luaL_argerror(L, index, "bad argument");
    return lua_tonumber(L, index);
}

void PostOwned(CxEvent* event, uint32_t channel, bool runNextNow)
{
    event->SetFlags(ScriptEventFlags(runNextNow));
    if (event->Post(channel) != 0) delete event;   // the channel was refused: nobody owns it now
}

int GetSystemChannelFn(lua_State* L) { lua_pushnumber(L, ScriptChannels().systemChannel); return 1; }
int GetRoomChannelFn(lua_State* L) { lua_pushnumber(L, ScriptChannels().roomChannel); return 1; }

int CreateChannelFn(lua_State* L)
{
    uint32_t id = 0;
    CxEvent::CreateChannel(&id);
    lua_pushnumber(L, id);
    return 1;
}

int DestroyChannelFn(lua_State* L) { CxEvent::DestroyChannel(ChannelArgument(L, 1)); return 0; }
int FlushChannelFn(lua_State* L) { CxEvent::FlushChannel(ChannelArgument(L, 1)); return 0; }

int IsChannelEmptyFn(lua_State* L)
{
    lua_pushboolean(L, CxEvent::IsChannelEmpty(ChannelArgument(L, 1)));
    return 1;
}

int IsChannelPausedFn(lua_State* L)
{
    lua_pushboolean(L, CxEvent::IsChannelPaused(ChannelArgument(L, 1)));
    return 1;
}

int PauseChannelFn(lua_State* L) { CxEvent::PauseChannel(uint32_t(NumberArgument(L, 1))); return 0; }
int ResumeChannelFn(lua_State* L) { CxEvent::ResumeChannel(uint32_t(NumberArgument(L, 1))); return 0; }

int DoEventFn(lua_State* L)
{
    CxEvent* event = CreateEventFromText(StringArgument(L, 1), nullptr, nullptr);
    if (event) PostOwned(event, PostingChannel(L, 2), TrueArgument(L, 3));
    return 0;
}

int DoLuaEventFn(lua_State* L)
{
    PostOwned(new CxLuaEvent(StringArgument(L, 1)), PostingChannel(L, 2), TrueArgument(L, 3));
    return 0;
}

int DoLuaTimerEventFn(lua_State* L)
{
    auto duration = uint32_t(NumberArgument(L, 1));
    auto interval = uint32_t(NumberArgument(L, 2));
    PostOwned(new CxLuaTimerEvent(duration, interval, StringArgument(L, 3)), PostingChannel(L, 4), TrueArgument(L, 5));
    return 0;
}

int DoSequenceFn(lua_State* L)
{
    auto* sequence = new CxEventSequenceFile;
    sequence->Load(StringArgument(L, 1), &GetGlobalInterpolator());
    PostOwned(sequence, PostingChannel(L, 2), false);
    return 0;
}

int InterpolateFn(lua_State* L)
{
    CxString expanded = GetGlobalInterpolator().Expand(StringArgument(L, 1));
    lua_pushlstring(L, expanded.Text(), size_t(expanded.GetLength()));
    return 1;
}
}  // namespace

void SetSystemChannel(uint32_t channelId) { ScriptChannels().systemChannel = channelId; }
uint32_t GetSystemChannelId() { return ScriptChannels().systemChannel; }
void SetRoomChannel(uint32_t channelId) { ScriptChannels().roomChannel = channelId; }
uint32_t GetRoomChannelId() { return ScriptChannels().roomChannel; }

void RegisterEventScriptFunctions(lua_State* L)
{
    static const luaL_Reg kFunctions[] = {
        {"GetSystemChannel", GetSystemChannelFn}, {"GetRoomChannel", GetRoomChannelFn},
        {"CreateChannel", CreateChannelFn},       {"DestroyChannel", DestroyChannelFn},
        {"FlushChannel", FlushChannelFn},         {"IsChannelEmpty", IsChannelEmptyFn},
        {"IsChannelPaused", IsChannelPausedFn},   {"PauseChannel", PauseChannelFn},
        {"ResumeChannel", ResumeChannelFn},       {"DoEvent", DoEventFn},
        {"DoLuaEvent", DoLuaEventFn},             {"DoLuaTimerEvent", DoLuaTimerEventFn},
        {"DoSequence", DoSequenceFn},             {"Interpolate", InterpolateFn},
    };
    for (const luaL_Reg& function : kFunctions) lua_register(L, function.name, function.func);
}
