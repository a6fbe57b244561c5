#include "script/CxLuaHost.h"
#include "core/CxAppServices.h"
#include "core/CxError.h"
#include "files/QorFile.h"
#include "foundation/CxLinkedList.h"
#include "script/CxLuaEngine.h"
#include "script/CxScriptBinding.h"

#include <lua.hpp>

#include <cstring>
#include <ctime>

// ------------------------------------------------------------- output
// The print routine holds 255 characters; longer text goes out in pieces, and
// only the last carries the line break, so standard output shows it whole.
void ScriptOutput(const char* text, size_t length)
{
    const size_t kPiece = 254;
    while (length > kPiece) {
        Print("%.*s", int(kPiece), text);
        text += kPiece;
        length -= kPiece;
    }
    Print("%.*s\n", int(length), text);
}

int HostPrint(lua_State* L)
{
    int count = lua_gettop(L);
    luaL_Buffer line;
    lua_getglobal(L, "tostring");
    luaL_buffinit(L, &line);
    for (int i = 1; i <= count; ++i) {
        if (i > 1) luaL_addstring(&line, "    ");   // before the value is pushed: the buffer owns the stack top
        lua_pushvalue(L, count + 1);
        lua_pushvalue(L, i);
        lua_call(L, 1, 1);
        if (!lua_isstring(L, -1)) return luaL_error(L, "`tostring' must return a string to `print'");
        luaL_addvalue(&line);
    }
    luaL_pushresult(&line);
    size_t length;
    const char* text = lua_tolstring(L, -1, &length);
    ScriptOutput(text, length);
    return 0;
}

// ------------------------------------------------------------- date
int HostDate(lua_State* L)
{
    time_t now = time(nullptr);
    struct tm local;
    if (!localtime_r(&now, &local)) {
        lua_pushnil(L);
        return 1;
    }
    const struct {
        const char* key;
        int value;
    } fields[] = {
        {"sec", local.tm_sec},          {"min", local.tm_min},         {"hour", local.tm_hour},
        {"day", local.tm_mday},         {"month", local.tm_mon + 1},   {"year", local.tm_year + 1900},
        {"wday", local.tm_wday + 1},    {"yday", local.tm_yday + 1},
    };
    lua_createtable(L, 0, 9);
    for (const auto& field : fields) {
        lua_pushnumber(L, field.value);
        lua_setfield(L, -2, field.key);
    }
    lua_pushboolean(L, local.tm_isdst > 0);
    lua_setfield(L, -2, "isdst");
    return 1;
}

// ------------------------------------------------------------- Help
// The names are gathered into an engine list before anything is printed, so
// no script error can unwind past the list.
namespace {
void InsertSorted(CxLinkedList<CxString>& names, const char* name)
{
    for (CxListNode<CxString>* node = names.GetHead(); node; node = node->next)
        if (strcmp(name, node->value.Text()) < 0) {
            names.InsertBefore(node, CxString(name));
            return;
        }
    names.AddTail(CxString(name));
}
}  // namespace

int HostHelp(lua_State* L)
{
    int columns = lua_isnoneornil(L, 1) ? 1 : ScriptCheckInt(L, 1);
    if (columns < 1) columns = 1;
    CxLinkedList<CxString> names;
    int longest = 0;
    lua_pushnil(L);
    while (lua_next(L, LUA_GLOBALSINDEX)) {
        if (lua_type(L, -2) == LUA_TSTRING && lua_isfunction(L, -1)) {
            const char* name = lua_tostring(L, -2);
            InsertSorted(names, name);
            int length = int(strlen(name));
            if (length > longest) longest = length;
        }
        lua_pop(L, 1);
    }
    CxString line;
    int inLine = 0;
    for (CxListNode<CxString>* node = names.GetHead(); node; node = node->next) {
        line.Append(node->value);
        for (int pad = node->value.GetLength(); pad <= longest; ++pad) line.Append(' ');
        if (++inLine == columns) {
            ScriptOutput(line.Text(), size_t(line.GetLength()));
            line.Empty();
            inLine = 0;
        }
    }
    if (inLine) ScriptOutput(line.Text(), size_t(line.GetLength()));
    names.RemoveAll();
    return 0;
}

// ------------------------------------------------------------- application
namespace {
CxAppServices* App(lua_State* L)
{
    CxLuaEngine* engine = CxLuaEngine::FromState(L);
    return engine ? engine->GetApp() : nullptr;
}

int PushText(lua_State* L, const char* text)
{
    lua_pushstring(L, text ? text : "");
    return 1;
}

// Each qor.app method is a closure over a small userdata holding the
// application and the operation, as the bound methods are.
constexpr uint32_t kAppOpMagic = 0x4170704F;   // "OppA"

struct AppOperation {
    uint32_t magic;
    CxAppServices* app;
    int (*operation)(lua_State*, CxAppServices&);
};

int AppAdapter(lua_State* L)
{
    int up = lua_upvalueindex(1);
    if (lua_type(L, up) != LUA_TUSERDATA || lua_objlen(L, up) != sizeof(AppOperation))
        return luaL_error(L, "the method's operation is missing");
    auto* op = static_cast<AppOperation*>(lua_touserdata(L, up));
    if (op->magic != kAppOpMagic) return luaL_error(L, "the method's operation is missing");
    if (!op->app) return 0;
    return op->operation(L, *op->app);
}

int AppQuit(lua_State*, CxAppServices& app) { app.Quit(); return 0; }
int AppRestart(lua_State*, CxAppServices& app) { app.Restart(); return 0; }
int AppIsQuiting(lua_State* L, CxAppServices& app) { lua_pushnumber(L, app.GetQuitFlag()); return 1; }
int AppBuildDate(lua_State* L, CxAppServices& app) { return PushText(L, app.GetBuildDate()); }
int AppName(lua_State* L, CxAppServices& app) { return PushText(L, app.GetName()); }
int AppLocalPath(lua_State* L, CxAppServices& app) { return PushText(L, app.GetExePath()); }
int AppStartupPath(lua_State* L, CxAppServices& app) { return PushText(L, app.GetStartDir()); }

const struct {
    const char* name;
    int (*operation)(lua_State*, CxAppServices&);
} kAppMethods[] = {
    {"Quit", AppQuit},           {"Restart", AppRestart}, {"IsQuiting", AppIsQuiting},
    {"GetBuildDate", AppBuildDate}, {"GetAppName", AppName}, {"GetLocalPath", AppLocalPath},
    {"GetStartupPath", AppStartupPath},
};
}  // namespace

int HostFillAppTable(lua_State* L)
{
    CxAppServices* app = App(L);
    for (const auto& method : kAppMethods) {
        auto* op = static_cast<AppOperation*>(lua_newuserdata(L, sizeof(AppOperation)));
        *op = {kAppOpMagic, app, method.operation};
        lua_pushcclosure(L, AppAdapter, 1);
        lua_setfield(L, -2, method.name);
    }
    return 0;
}

int HostQuit(lua_State* L)
{
    if (CxAppServices* app = App(L)) app->Quit();
    return 0;
}

int HostRestart(lua_State* L)
{
    if (CxAppServices* app = App(L)) app->Restart();
    return 0;
}

int HostIsQuiting(lua_State* L)
{
    CxAppServices* app = App(L);
    lua_pushboolean(L, app && app->GetQuitFlag());
    return 1;
}

int HostGetBuildDate(lua_State* L)
{
    CxAppServices* app = App(L);
    return PushText(L, app ? app->GetBuildDate() : "");
}

int HostGetAppName(lua_State* L)
{
    CxAppServices* app = App(L);
    return PushText(L, app ? app->GetName() : "");
}

int HostGetLocalPath(lua_State* L)
{
    CxAppServices* app = App(L);
    return PushText(L, app ? app->GetExePath() : "");
}

int HostGetStartupPath(lua_State* L)
{
    CxAppServices* app = App(L);
    return PushText(L, app ? app->GetStartDir() : "");
}

int HostFileExists(lua_State* L)
{
    lua_pushboolean(L, QorFileExists(ScriptCheckString(L, 1)) != 0);
    return 1;
}
