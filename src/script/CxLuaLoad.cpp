#include "script/CxLuaLoad.h"
#include "core/CxError.h"
#include "files/QorFile.h"
#include "foundation/CxMemory.h"
#include "script/CxLuaEngine.h"

#include <lua.hpp>

#include <cstring>

// ------------------------------------------------------------- loading text
namespace {
// The chunk name as the message shows it: printable and short, since the
// host names command strings by their whole text.
void PushShortName(lua_State* L, const char* name)
{
    char shortName[64];
    size_t n = 0;
    for (; name && name[n] && n < 48; ++n) {
        unsigned char c = static_cast<unsigned char>(name[n]);
        shortName[n] = (c < 32 || c == 127) ? '?' : char(c);
    }
    shortName[n] = 0;
    lua_pushfstring(L, "%s%s", shortName, (name && name[n]) ? "..." : "");
}
}  // namespace

int ScriptLoadBuffer(lua_State* L, const char* text, size_t size, const char* name)
{
    if (size > 0 && text[0] == LUA_SIGNATURE[0]) {
        PushShortName(L, name);
        lua_pushliteral(L, ": precompiled (binary) chunks are refused; load script text");
        lua_concat(L, 2);
        return LUA_ERRSYNTAX;
    }
    return luaL_loadbuffer(L, text, size, name);
}

char* ScriptReadFile(const char* path, size_t* size)
{
    QorFileHandle* file = QorFileOpen(path, CBF_BINARY | CBF_READONLY);
    if (!file) return nullptr;
    int32_t length = QorFileGetHandleLength(file);
    if (length < 0) length = 0;
    auto* buffer = static_cast<char*>(QorAlloc(size_t(length) + 1, "CxLuaEngine", __LINE__, true));
    uint32_t got = 0;
    int code = buffer ? QorFileRead(file, buffer, uint32_t(length), &got) : ERR_OUT_OF_MEMORY;
    QorFileClose(file);
    if (code != 0) {
        QorFree(buffer);
        return nullptr;
    }
    if (size) *size = got;
    return buffer;
}

// ------------------------------------------------------------- dofile
// The buffer is freed before the chunk runs, so an error inside it (which
// unwinds past this frame) leaves nothing behind.
int ScriptDoFile(lua_State* L)
{
    const char* path = luaL_checkstring(L, 1);
    char* text = ScriptReadFile(path, nullptr);
    if (!text) {
        ReportError(ERR_OPEN_FILE, "Could not open %s", path);
        return 0;
    }
    int base = lua_gettop(L);
    int status = ScriptLoadBuffer(L, text, strlen(text), path);   // the chunk ends at the first zero byte
    QorFree(text);
    if (status == 0) status = lua_pcall(L, 0, LUA_MULTRET, 0);
    if (status != 0) {
        const char* message = lua_tostring(L, -1);
        CxLuaEngine* engine = CxLuaEngine::FromState(L);
        if (engine) engine->ReportScriptError(message ? message : "(error object is not a string)");
        lua_settop(L, base);
        return 0;
    }
    return lua_gettop(L) - base;
}

// ------------------------------------------------------------- replacements
namespace {
int PushLoadResult(lua_State* L, int status)
{
    if (status == 0) return 1;
    lua_pushnil(L);
    lua_insert(L, -2);
    return 2;
}

int LoadString(lua_State* L)
{
    size_t size;
    const char* text = luaL_checklstring(L, 1, &size);
    const char* name = luaL_optstring(L, 2, text);
    return PushLoadResult(L, ScriptLoadBuffer(L, text, size, name));
}

// The reader's pieces are gathered first, so the binary test sees the first
// byte whatever the pieces' sizes.
int Load(lua_State* L)
{
    luaL_checktype(L, 1, LUA_TFUNCTION);
    const char* name = luaL_optstring(L, 2, "=(load)");
    lua_settop(L, 2);
    luaL_Buffer pieces;
    luaL_buffinit(L, &pieces);
    for (;;) {
        lua_pushvalue(L, 1);
        lua_call(L, 0, 1);
        if (lua_isnil(L, -1)) { lua_pop(L, 1); break; }
        if (!lua_isstring(L, -1)) return luaL_error(L, "reader function must return a string");
        if (lua_objlen(L, -1) == 0) { lua_pop(L, 1); break; }
        luaL_addvalue(&pieces);
    }
    luaL_pushresult(&pieces);
    size_t size;
    const char* text = lua_tolstring(L, -1, &size);
    return PushLoadResult(L, ScriptLoadBuffer(L, text, size, name));
}

int LoadFile(lua_State* L)
{
    const char* path = luaL_checkstring(L, 1);
    size_t size = 0;
    char* text = ScriptReadFile(path, &size);
    if (!text) {
        lua_pushnil(L);
        lua_pushfstring(L, "cannot open %s", path);
        return 2;
    }
    int status = ScriptLoadBuffer(L, text, strlen(text), path);
    QorFree(text);
    return PushLoadResult(L, status);
}

// require's searcher for script modules: the templates of package.path,
// looked up through the file systems.
int SearchModule(lua_State* L)
{
    const char* name = luaL_checkstring(L, 1);
    const char* module = luaL_gsub(L, name, ".", LUA_DIRSEP);
    lua_getfield(L, LUA_ENVIRONINDEX, "path");
    const char* templates = lua_tostring(L, -1);
    if (!templates) return luaL_error(L, "'package.path' must be a string");
    luaL_Buffer missing;
    luaL_buffinit(L, &missing);
    while (*templates) {
        const char* end = strchr(templates, ';');
        if (!end) end = templates + strlen(templates);
        lua_pushlstring(L, templates, size_t(end - templates));
        const char* candidate = luaL_gsub(L, lua_tostring(L, -1), LUA_PATH_MARK, module);
        lua_remove(L, -2);
        templates = *end ? end + 1 : end;
        if (!*candidate) { lua_pop(L, 1); continue; }
        if (QorFileExists(candidate)) {
            size_t size = 0;
            char* text = ScriptReadFile(candidate, &size);
            if (text) {
                int status = ScriptLoadBuffer(L, text, strlen(text), candidate);
                QorFree(text);
                if (status != 0)
                    return luaL_error(L, "error loading module '%s' from file '%s':\n\t%s", name, candidate,
                                      lua_tostring(L, -1));
                return 1;
            }
        }
        lua_pushfstring(L, "\n\tno file '%s'", candidate);
        lua_remove(L, -2);
        luaL_addvalue(&missing);
    }
    luaL_pushresult(&missing);
    return 1;
}
}  // namespace

// Scripts get no native-library loading: like the missing io and os
// libraries, it would reach past the file systems into the process.
int ScriptInstallLoaders(lua_State* L)
{
    lua_register(L, "loadstring", LoadString);
    lua_register(L, "load", Load);
    lua_register(L, "loadfile", LoadFile);

    lua_getglobal(L, "package");
    if (!lua_istable(L, -1)) return 0;
    lua_pushliteral(L, "?.lua;?/init.lua");
    lua_setfield(L, -2, "path");
    lua_pushliteral(L, "");
    lua_setfield(L, -2, "cpath");
    lua_pushnil(L);
    lua_setfield(L, -2, "loadlib");

    lua_newtable(L);                       // the new searcher list: preload, then scripts
    lua_getfield(L, -2, "loaders");
    if (lua_istable(L, -1)) {
        lua_rawgeti(L, -1, 1);
        lua_rawseti(L, -3, 1);
    }
    lua_pop(L, 1);
    lua_pushvalue(L, -2);                  // the searcher reads package.path through its environment
    lua_pushcclosure(L, SearchModule, 0);
    lua_insert(L, -2);
    lua_setfenv(L, -2);
    lua_rawseti(L, -2, 2);
    lua_setfield(L, -2, "loaders");
    lua_pop(L, 1);
    return 0;
}
