// The global file API as script functions.  Paths go through the file
// systems like every engine access; nothing here reaches the host directly.
#include "files/QorFile.h"
#include "script/CxLuaEngine.h"
#include "script/CxScriptApi.h"
#include "script/CxScriptBinding.h"

namespace {
int FileDelete(lua_State* L)
{
    QorFileDelete(ScriptCheckString(L, 1));
    return 0;
}

int FileRename(lua_State* L)
{
    const char* from = ScriptCheckString(L, 1);
    lua_pushnumber(L, QorFileRename(from, ScriptCheckString(L, 2)));
    return 1;
}

int FileExists(lua_State* L)
{
    lua_pushboolean(L, QorFileExists(ScriptCheckString(L, 1)) != 0);
    return 1;
}

int FileLength(lua_State* L)
{
    lua_pushnumber(L, QorFileLength(ScriptCheckString(L, 1)));
    return 1;
}

int FileIsDirectory(lua_State* L)
{
    lua_pushboolean(L, QorFileIsDirectory(ScriptCheckString(L, 1)) != 0);
    return 1;
}

const struct {
    const char* name;
    lua_CFunction function;
} kFunctions[] = {
    {"QorFileDelete", FileDelete},
    {"QorFileRename", FileRename},
    {"QorFileExists", FileExists},
    {"QorFileLength", FileLength},
    {"QorFileIsDirectory", FileIsDirectory},
};
}  // namespace

int RegisterFileScriptFunctions(CxLuaEngine& engine)
{
    for (const auto& entry : kFunctions) {
        int code = engine.RegisterFunction(entry.name, entry.function);
        if (code) return code;
    }
    return 0;
}
