// Every way a script or the host turns text into a chunk.  All of them go
// through ScriptLoadBuffer, which refuses precompiled (binary) chunks: their
// loader trusts the bytes, so a crafted one could break the state.
#pragma once
#include <cstddef>

struct lua_State;

// As luaL_loadbuffer: 0 and the chunk on the stack, or an error code and the
// message.  A binary chunk gives LUA_ERRSYNTAX with a clear message.
int ScriptLoadBuffer(lua_State* state, const char* text, size_t size, const char* name);

// Reads a whole file through the file API into a zero-filled block one byte
// longer than the file; null when it cannot be opened or read.  The caller
// frees the block with QorFree.
char* ScriptReadFile(const char* path, size_t* size);

// Replaces the standard loaders (loadstring, load, loadfile, the module
// searcher of require) with ones that read through the file systems and
// refuse binary chunks, and drops the native-library loaders.  Runs inside a
// protected call.
int ScriptInstallLoaders(lua_State* state);

// The host's dofile: runs a file read through the file systems; a load or run
// error is printed and nothing is returned.
int ScriptDoFile(lua_State* state);
