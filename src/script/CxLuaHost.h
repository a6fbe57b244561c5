// The host's own global functions, installed by CxLuaEngine::Init in the
// order the state set-up gives.
#pragma once
#include <cstddef>

struct lua_State;

// Sends script output verbatim to the print routine, in pieces the console
// can hold, ending with a line break.
void ScriptOutput(const char* text, size_t length);

int HostPrint(lua_State* state);
int HostDate(lua_State* state);
int HostHelp(lua_State* state);
int HostQuit(lua_State* state);
int HostRestart(lua_State* state);
int HostIsQuiting(lua_State* state);
int HostGetBuildDate(lua_State* state);
int HostGetAppName(lua_State* state);
int HostGetLocalPath(lua_State* state);
int HostGetStartupPath(lua_State* state);
int HostFileExists(lua_State* state);

// Fills the table on top of the stack with the seven qor.app methods bound to
// the engine's application object.
int HostFillAppTable(lua_State* state);
