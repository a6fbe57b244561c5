#include "script/CxLuaEngine.h"
#include "core/CxAppServices.h"
#include "foundation/CxMemory.h"
#include "script/CxLuaHost.h"
#include "script/CxLuaLoad.h"
#include "script/CxScriptText.h"

#include <lua.hpp>

#include <cstring>

// ------------------------------------------------------------- allocation
namespace {
// Lua frees with a size of 0 and never expects a shrink to fail; the engine
// allocator keeps shrinks in place of the limit test.
void* EngineAlloc(void* /*engine*/, void* block, size_t /*oldSize*/, size_t size)
{
    if (size == 0) {
        QorFree(block);
        return nullptr;
    }
    return QorRealloc(block, size, "CxLuaEngine", __LINE__);
}
}  // namespace

CxLuaEngine* CxLuaEngine::FromState(lua_State* state)
{
    void* engine = nullptr;
    if (!state || lua_getallocf(state, &engine) != EngineAlloc) return nullptr;
    return static_cast<CxLuaEngine*>(engine);
}

// ------------------------------------------------------------- lifetime
CxLuaEngine::CxLuaEngine(CxAppServices* app) : app_(app) {}

CxLuaEngine::~CxLuaEngine() { Shutdown(); }

int CxLuaEngine::Init()
{
    Shutdown();
    scriptErrors_ = 0;
    state_ = lua_newstate(EngineAlloc, this);
    if (!state_) return Error(ERR_UNKNOWN, "Could not create Lua Engine");
    int code = SetUpState();
    if (code) Shutdown();
    return code;
}

void CxLuaEngine::Shutdown()
{
    if (!state_) return;
    lua_State* state = state_;
    state_ = nullptr;
    lua_close(state);
}

// ------------------------------------------------------------- state set-up
namespace {
struct Library {
    const char* name;
    lua_CFunction open;
};

// No io and no os: scripts reach files only through the host's functions.
const Library kLibraries[] = {
    {"", luaopen_base},           {LUA_TABLIBNAME, luaopen_table}, {LUA_STRLIBNAME, luaopen_string},
    {LUA_MATHLIBNAME, luaopen_math}, {LUA_DBLIBNAME, luaopen_debug}, {LUA_LOADLIBNAME, luaopen_package},
};

const luaL_Reg kFirstGlobals[] = {
    {"_ALERT", HostPrint}, {"print", HostPrint}, {"exit", HostQuit}, {"dofile", ScriptDoFile}, {"date", HostDate},
    {nullptr, nullptr},
};

const luaL_Reg kLaterGlobals[] = {
    {"Quit", HostQuit},
    {"Restart", HostRestart},
    {"Help", HostHelp},
    {"IsQuiting", HostIsQuiting},
    {"GetBuildDate", HostGetBuildDate},
    {"GetAppName", HostGetAppName},
    {"GetLocalPath", HostGetLocalPath},
    {"GetStartupPath", HostGetStartupPath},
    {"FileExists", HostFileExists},
    {nullptr, nullptr},
};

int RegisterList(lua_State* L)
{
    for (auto* reg = static_cast<const luaL_Reg*>(lua_touserdata(L, 1)); reg->name; ++reg)
        lua_register(L, reg->name, reg->func);
    return 0;
}

int FillTempLib(lua_State* L)
{
    lua_getglobal(L, "_templib");
    if (!lua_istable(L, -1)) return luaL_error(L, "_templib is not a table");
    return HostFillAppTable(L);
}
}  // namespace

int CxLuaEngine::SetUpState()
{
    lua_State* L = state_;
    for (const Library& library : kLibraries) {
        lua_pushcfunction(L, library.open);
        lua_pushstring(L, library.name);
        if (lua_pcall(L, 1, 0, 0) != 0) {
            ReportScriptError(lua_tostring(L, -1));
            return Error(ERR_SCRIPTING, "Could not open the script library %s", library.name);
        }
    }
    lua_settop(L, 0);
    auto protectedCall = [&](lua_CFunction function, const void* data) {
        if (lua_cpcall(L, function, const_cast<void*>(data)) == 0) return 0;
        ReportScriptError(lua_tostring(L, -1));
        lua_pop(L, 1);
        return int(ERR_SCRIPTING);
    };
    int code = protectedCall(ScriptInstallLoaders, nullptr);
    if (!code) code = protectedCall(RegisterList, kFirstGlobals);
    if (!code) code = RunString("qor = {}");
    if (!code) code = RunString("_templib = qor.app or {}");
    if (!code) code = protectedCall(FillTempLib, nullptr);
    if (!code) code = RunString("qor.app = _templib _templib = nil");
    if (!code) code = protectedCall(RegisterList, kLaterGlobals);
    if (!code) code = RunString("LogInfo = function() end");
    if (!code) code = RunString("DumpMem = function() end");
    if (!code) code = RunString("VerifyMemoryBlocks = function() end");
    if (!code) code = RunString("ValidateObjectList = function() end");
    return code;
}

// ------------------------------------------------------------- running text
void CxLuaEngine::ReportScriptError(const char* message)
{
    ++scriptErrors_;
    const char* text = message ? message : "(error object is not a string)";
    ScriptOutput(text, strlen(text));
}

int CxLuaEngine::RunFile(const char* name)
{
    if (!state_ || !name || !*name) return Error(ERR_INVALID_ARGUMENT, "Lua VM not yet created");
    CxString text;
    text.Format("dofile(%s)", ScriptQuote(name).Text());
    return RunString(text);
}

int CxLuaEngine::RunString(const char* text)
{
    if (!state_) return Error(ERR_INVALID_ARGUMENT, "Lua VM not yet created");
    if (!text || !*text) return Error(ERR_INVALID_ARGUMENT, "Invalid command string");
    lua_State* L = state_;
    int base = lua_gettop(L);
    int status = ScriptLoadBuffer(L, text, strlen(text), text);
    if (status == 0) status = lua_pcall(L, 0, LUA_MULTRET, 0);
    if (status != 0) ReportScriptError(lua_tostring(L, -1));
    lua_settop(L, base);
    return status ? int(ERR_SCRIPTING) : 0;
}

namespace {
struct Registration {
    const char* name;
    lua_CFunction function;
};

int SetGlobalFunction(lua_State* L)
{
    auto* reg = static_cast<Registration*>(lua_touserdata(L, 1));
    lua_register(L, reg->name, reg->function);
    return 0;
}
}  // namespace

int CxLuaEngine::RegisterFunction(const char* name, lua_CFunction function)
{
    if (!name || !function) return Error(ERR_INVALID_ARGUMENT);
    if (!state_) return Error(ERR_INVALID_ARGUMENT, "Lua VM not yet created");
    Registration reg{name, function};
    if (lua_cpcall(state_, SetGlobalFunction, &reg) == 0) return 0;
    ReportScriptError(lua_tostring(state_, -1));
    lua_pop(state_, 1);
    return ERR_SCRIPTING;
}

// ------------------------------------------------------------- reading values
// Values are read inside protected calls: even pushing a key may need memory,
// and an allocation failure outside one would end the process.
namespace {
enum class Want { Number, Int, Bool, String };

struct Lookup {
    const char* path;
    Want want;
    bool found = false;
    double number = 0;
    bool boolean = false;
    const char* text = nullptr;   // valid until the stack is cleared
    size_t length = 0;
};

void Take(lua_State* L, Lookup* lookup)
{
    switch (lookup->want) {
    case Want::Number:
    case Want::Int:
        if (lua_type(L, -1) == LUA_TNUMBER || (lookup->path && lua_isnumber(L, -1))) {
            lookup->number = lua_tonumber(L, -1);
            lookup->found = true;
        }
        break;
    case Want::Bool:
        if (lua_type(L, -1) == LUA_TBOOLEAN) {
            lookup->boolean = lua_toboolean(L, -1) != 0;
            lookup->found = true;
        }
        break;
    case Want::String:
        if (lua_type(L, -1) == LUA_TSTRING || (lookup->path && lua_type(L, -1) == LUA_TNUMBER)) {
            lookup->text = lua_tolstring(L, -1, &lookup->length);
            lookup->found = true;
        }
        break;
    }
}

// The evaluated expression's value, in `_tmp`.  Only its own type counts.
int ReadTmp(lua_State* L)
{
    auto* lookup = static_cast<Lookup*>(lua_touserdata(L, 1));
    lua_getglobal(L, "_tmp");
    Take(L, lookup);
    return 0;
}

// A dotted path: each component is read from the table before it.
int ReadPath(lua_State* L)
{
    auto* lookup = static_cast<Lookup*>(lua_touserdata(L, 1));
    const char* part = lookup->path;
    lua_pushvalue(L, LUA_GLOBALSINDEX);
    for (;;) {
        const char* dot = strchr(part, '.');
        size_t length = dot ? size_t(dot - part) : strlen(part);
        if (!lua_istable(L, -1)) return 0;
        lua_pushlstring(L, part, length);
        lua_gettable(L, -2);
        lua_remove(L, -2);
        if (!dot) break;
        part = dot + 1;
    }
    if (!lua_isnil(L, -1)) Take(L, lookup);
    return 0;
}
}  // namespace

// The text of a string result lives on the stack of the protected call, which
// is gone once it returns; the callers copy it while it is still there.
namespace {
struct Copying {
    Lookup lookup;
    CxString* out;
};

int ReadTmpCopy(lua_State* L)
{
    auto* copying = static_cast<Copying*>(lua_touserdata(L, 1));
    lua_pushlightuserdata(L, &copying->lookup);
    lua_replace(L, 1);
    copying->lookup.path ? ReadPath(L) : ReadTmp(L);
    if (copying->lookup.found) copying->out->Assign(copying->lookup.text);
    return 0;
}
}  // namespace

namespace {
// Built by appending, not formatting: a formatted text would stop at the
// format buffer's length and cut a long expression without a word.
CxString TmpAssignment(const char* expression)
{
    CxString text("_tmp = ");
    text.Append(expression);
    return text;
}
}  // namespace

double CxLuaEngine::EvalNumber(const char* expression, double def)
{
    if (!state_ || !expression) return def;
    int base = lua_gettop(state_);   // engine code may call in from inside a script function
    Lookup lookup{nullptr, Want::Number};
    if (RunString(TmpAssignment(expression)) == 0) lua_cpcall(state_, ReadTmp, &lookup);
    lua_settop(state_, base);
    RunString("_tmp = nil");
    return lookup.found ? lookup.number : def;
}

int32_t CxLuaEngine::EvalInt(const char* expression, int32_t def)
{
    double value = EvalNumber(expression, double(def));
    if (value != value || value >= 2147483648.0 || value <= -2147483649.0) return def;
    return int32_t(value);
}

bool CxLuaEngine::EvalBool(const char* expression, bool def)
{
    if (!state_ || !expression) return def;
    int base = lua_gettop(state_);
    Lookup lookup{nullptr, Want::Bool};
    if (RunString(TmpAssignment(expression)) == 0) lua_cpcall(state_, ReadTmp, &lookup);
    lua_settop(state_, base);
    RunString("_tmp = nil");
    return lookup.found ? lookup.boolean : def;
}

CxString CxLuaEngine::EvalString(const char* expression, const char* def)
{
    CxString result(def ? def : "");
    if (!state_ || !expression) return result;
    CxString value;
    int base = lua_gettop(state_);
    Copying copying{{nullptr, Want::String}, &value};
    if (RunString(TmpAssignment(expression)) == 0) lua_cpcall(state_, ReadTmpCopy, &copying);
    lua_settop(state_, base);
    RunString("_tmp = nil");
    return copying.lookup.found ? value : result;
}

int32_t CxLuaEngine::GetGlobalInt(const char* path, int32_t def)
{
    if (!state_ || !path) return def;
    int base = lua_gettop(state_);
    Lookup lookup{path, Want::Int};
    lua_cpcall(state_, ReadPath, &lookup);
    lua_settop(state_, base);
    if (!lookup.found || lookup.number != lookup.number) return def;
    if (lookup.number >= 2147483648.0 || lookup.number <= -2147483649.0) return def;
    return int32_t(lookup.number);
}

float CxLuaEngine::GetGlobalFloat(const char* path, float def)
{
    if (!state_ || !path) return def;
    int base = lua_gettop(state_);
    Lookup lookup{path, Want::Number};
    lua_cpcall(state_, ReadPath, &lookup);
    lua_settop(state_, base);
    return lookup.found ? float(lookup.number) : def;
}

bool CxLuaEngine::GetGlobalBool(const char* path, bool def)
{
    if (!state_ || !path) return def;
    int base = lua_gettop(state_);
    Lookup lookup{path, Want::Bool};
    lua_cpcall(state_, ReadPath, &lookup);
    lua_settop(state_, base);
    return lookup.found ? lookup.boolean : def;
}

CxString CxLuaEngine::GetGlobalString(const char* path, const char* def)
{
    CxString result(def ? def : "");
    if (!state_ || !path) return result;
    CxString value;
    int base = lua_gettop(state_);
    Copying copying{{path, Want::String}, &value};
    lua_cpcall(state_, ReadTmpCopy, &copying);
    lua_settop(state_, base);
    return copying.lookup.found ? value : result;
}
