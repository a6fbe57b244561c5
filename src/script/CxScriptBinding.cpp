#include "script/CxScriptBinding.h"
#include "script/CxLuaEngine.h"

#include <climits>
#include <cstring>

namespace {
const char kObjectKey[] = "__object";
const char kGlobalGC[] = "GlobalGC";
const char kNotAnObject[] = "must be userdata or a table with a userdata member called __object";
}  // namespace

// ------------------------------------------------------------- references
CxScriptRef* ScriptToRef(lua_State* L, int index)
{
    if (lua_type(L, index) == LUA_TTABLE) {
        lua_pushstring(L, kObjectKey);
        lua_rawget(L, index < 0 && index > LUA_REGISTRYINDEX ? index - 1 : index);
        CxScriptRef* ref = ScriptToRef(L, -1);
        lua_pop(L, 1);
        return ref;
    }
    if (lua_type(L, index) != LUA_TUSERDATA || lua_objlen(L, index) != sizeof(CxScriptRef)) return nullptr;
    auto* ref = static_cast<CxScriptRef*>(lua_touserdata(L, index));
    return ref->magic == kScriptRefMagic && ref->type ? ref : nullptr;
}

CxScriptRef* ScriptNewRef(lua_State* L, void* object, const CxScriptClass* type, bool owned)
{
    auto* ref = static_cast<CxScriptRef*>(lua_newuserdata(L, sizeof(CxScriptRef)));
    *ref = {object, type, kScriptRefMagic, owned ? 1u : 0u};
    return ref;
}

const CxScriptOperation* ScriptUpvalueOperation(lua_State* L)
{
    int up = lua_upvalueindex(1);
    if (lua_type(L, up) == LUA_TUSERDATA && lua_objlen(L, up) == sizeof(CxScriptOperation)) {
        auto* op = static_cast<const CxScriptOperation*>(lua_touserdata(L, up));
        if (op->magic == kScriptOpMagic && op->owner && op->operation) return op;
    }
    luaL_error(L, "the method's operation is missing");
    return nullptr;
}

void* ScriptSelf(lua_State* L, const CxScriptClass* owner)
{
    CxScriptRef* ref = nullptr;
    switch (lua_type(L, 1)) {
    case LUA_TUSERDATA:
        ref = ScriptToRef(L, 1);
        if (!ref) luaL_argerror(L, 1, kNotAnObject);
        break;
    case LUA_TTABLE:
        ref = ScriptToRef(L, 1);
        if (!ref) luaL_error(L, "The table does not have a userdata member called __object.");
        break;
    default:
        luaL_argerror(L, 1, kNotAnObject);
    }
    if (!ref->object) luaL_error(L, "the %s object does not exist (deleted, or it could not be created)", ref->type->name);
    void* object = ref->object;
    for (const CxScriptClass* type = ref->type; type; type = type->base) {
        if (type == owner) return object;
        if (type->base) object = type->toBase(object);
    }
    luaL_argerror(L, 1, lua_pushfstring(L, "%s expected, got %s", owner->name, ref->type->name));
    return nullptr;
}

// Clearing the pointer makes a second call (a script calling __gc itself,
// then the collector) harmless, and later method calls raise an error.
int ScriptCollect(lua_State* L)
{
    CxScriptRef* ref = ScriptToRef(L, 1);
    if (ref && ref->owned && ref->object) {
        void* object = ref->object;
        ref->object = nullptr;
        ref->type->destroy(object);
    }
    return 0;
}

// ------------------------------------------------------------- arguments
namespace {
[[noreturn]] void BadArgument(lua_State* L, int index)
{
    luaL_argerror(L, index, "bad argument");
    __builtin_unreachable();
}
}  // namespace

const char* ScriptCheckString(lua_State* L, int index)
{
    if (lua_type(L, index) != LUA_TSTRING) BadArgument(L, index);
    return lua_tostring(L, index);
}

double ScriptCheckNumber(lua_State* L, int index)
{
    if (lua_type(L, index) != LUA_TNUMBER) BadArgument(L, index);
    return lua_tonumber(L, index);
}

int32_t ScriptTruncate(double value)
{
    if (std::isnan(value)) return 0;
    if (value >= double(INT32_MAX)) return INT32_MAX;
    if (value <= double(INT32_MIN)) return INT32_MIN;
    return int32_t(value);
}

int32_t ScriptCheckInt(lua_State* L, int index) { return ScriptTruncate(ScriptCheckNumber(L, index)); }

bool ScriptCheckBool(lua_State* L, int index)
{
    if (lua_type(L, index) == LUA_TBOOLEAN) return lua_toboolean(L, index) != 0;
    return ScriptCheckNumber(L, index) != 0;
}

// ------------------------------------------------------------- bootstraps
namespace {
int PrivateNew(lua_State* L)
{
    auto* type = static_cast<const CxScriptClass*>(lua_touserdata(L, lua_upvalueindex(1)));
    CxScriptRef* ref = ScriptNewRef(L, nullptr, type, true);
    luaL_getmetatable(L, kGlobalGC);
    lua_setmetatable(L, -2);
    if (type->create) ref->object = type->create();   // last: nothing after it can raise an error
    return 1;
}

void SetMethods(lua_State* L, const CxScriptClass* type)
{
    for (const CxScriptMethod* m = type->methods; m && m->name; ++m) {
        auto* op = static_cast<CxScriptOperation*>(lua_newuserdata(L, sizeof(CxScriptOperation)));
        *op = {kScriptOpMagic, type, m->operation};
        lua_pushcclosure(L, m->adapter, 1);
        lua_setfield(L, -2, m->name);
    }
}

// Steps 5, 7 and 8 of the root bootstrap, or the field settings of a derived
// one; the class table was made by the texts before.
int SetClassFields(lua_State* L)
{
    auto* type = static_cast<const CxScriptClass*>(lua_touserdata(L, 1));
    lua_getglobal(L, type->name);
    if (!lua_istable(L, -1)) return luaL_error(L, "class table %s was not created", type->name);
    lua_pushlightuserdata(L, const_cast<CxScriptClass*>(type));
    lua_pushcclosure(L, PrivateNew, 1);
    lua_setfield(L, -2, "PrivateNew");
    if (!type->base) {
        lua_pushcfunction(L, ScriptCollect);
        lua_setfield(L, -2, "__gc");
    }
    if (luaL_newmetatable(L, kGlobalGC)) {
        lua_pushcfunction(L, ScriptCollect);
        lua_setfield(L, -2, "__gc");
    }
    lua_pop(L, 1);
    SetMethods(L, type);
    return 0;
}

int Fields(CxLuaEngine& engine, const CxScriptClass& type)
{
    lua_State* L = engine.GetState();
    if (lua_cpcall(L, SetClassFields, const_cast<CxScriptClass*>(&type)) == 0) return 0;
    engine.ReportScriptError(lua_tostring(L, -1));
    lua_pop(L, 1);
    return ERR_SCRIPTING;
}

// The bootstrap texts, with $C standing for the class name.
int Run(CxLuaEngine& engine, const char* text, const char* name)
{
    CxString line(text);
    line.Replace("$C", name);
    return engine.RunString(line);
}

int BindRoot(CxLuaEngine& engine, const CxScriptClass& type)
{
    const char* n = type.name;
    int code = Run(engine, "$C = { } setmetatable($C, $C) $C.__index = function(t, k) return(rawget($C, k)) end", n);
    if (code == 0)
        code = Run(engine,
                   "function $C:SubClass(o) o = o or {} setmetatable(o, self) self.__index = rawget(self, \"__index\") "
                   "or self self.__call = self.new o.super = self return o end",
                   n);
    if (code == 0) code = Run(engine, "function $C:new() local o = self:SubClass() o.__object = self:PrivateNew() return o end", n);
    if (code == 0) code = Fields(engine, type);
    if (code == 0) code = Run(engine, "$C.__call = $C.new", n);
    return code;
}
}  // namespace

int ScriptBindClass(CxLuaEngine& engine, const CxScriptClass& type)
{
    if (!engine.GetState()) return engine.Error(ERR_INVALID_ARGUMENT, "Lua VM not yet created");
    CxString test;
    test.Format("%s == nil", type.name);
    if (!engine.EvalBool(test, false)) return 0;
    if (!type.base) return BindRoot(engine, type);

    int code = ScriptBindClass(engine, *type.base);
    if (code) return code;
    CxString text;
    text.Format("%s= %s:SubClass()", type.name, type.base->name);
    code = engine.RunString(text);
    return code ? code : Fields(engine, type);
}

// ------------------------------------------------------------- exposing
namespace {
struct ExposeArgs {
    void* object;
    const CxScriptClass* type;
};

int MakeBorrowed(lua_State* L)
{
    auto* args = static_cast<ExposeArgs*>(lua_touserdata(L, 1));
    lua_newtable(L);
    ScriptNewRef(L, args->object, args->type, false);
    lua_setfield(L, -2, kObjectKey);
    lua_setglobal(L, "_tmpObj");
    return 0;
}
}  // namespace

int ScriptExpose(CxLuaEngine& engine, void* object, const CxScriptClass& type, const char* text)
{
    lua_State* L = engine.GetState();
    if (!L) return engine.Error(ERR_INVALID_ARGUMENT, "Lua VM not yet created");
    ExposeArgs args{object, &type};
    if (lua_cpcall(L, MakeBorrowed, &args) != 0) {
        engine.ReportScriptError(lua_tostring(L, -1));
        lua_pop(L, 1);
        return ERR_SCRIPTING;
    }
    return engine.RunString(text);
}
