// Script classes over engine classes.
//
// A script class is a global table named after its engine class; an
// instance is a table whose metatable is its class and whose `__object` field
// holds a userdata referring to the engine object.  Root classes are their
// own metatable; a derived class has its base as metatable and `super`
// naming it.  Both are built by running the bootstrap texts of the binding
// scheme, so the script side sees plain tables it can extend and subclass.
//
// Owning references (made by a class's PrivateNew) carry the "GlobalGC"
// metatable, whose finaliser deletes the engine object when the collector
// takes the reference or the state closes.  Borrowed references (engine
// objects handed to scripts) have no metatable and are never deleted.
//
// A reference records the class it was made for next to the pointer: C++
// needs the static type to delete through the right destructor and to reach
// the base part a method belongs to, and it lets a method refuse an object
// of an unrelated class instead of misreading it.
//
// Each method is a C closure: the adapter of its signature, with one
// upvalue, a userdata naming the operation and the class it belongs to.
#pragma once
#include "foundation/CxGeometry.h"
#include "foundation/CxString.h"

#include <lua.hpp>

#include <cmath>
#include <cstdint>
#include <new>
#include <optional>
#include <tuple>
#include <type_traits>
#include <utility>

class CxLuaEngine;
struct CxScriptClass;

using CxScriptOperationFn = void (*)();

struct CxScriptMethod {
    const char* name;
    lua_CFunction adapter;
    CxScriptOperationFn operation;   // the adapter casts it back to its own signature
};

struct CxScriptClass {
    const char* name;
    const CxScriptClass* base;       // null for a root class
    void* (*toBase)(void*);          // this class's pointer to its base part
    void* (*create)();               // null when scripts cannot create one
    void  (*destroy)(void*);
    const CxScriptMethod* methods;   // ends with a null name; may be null
};

constexpr uint32_t kScriptRefMagic = 0x52667843;   // "CxfR"
constexpr uint32_t kScriptOpMagic = 0x4F707843;    // "CxpO"

struct CxScriptRef {
    void* object;
    const CxScriptClass* type;
    uint32_t magic;
    uint32_t owned;
};

struct CxScriptOperation {
    uint32_t magic;
    const CxScriptClass* owner;
    CxScriptOperationFn operation;
};

// ------------------------------------------------------------- classes
// Runs the root or derived bootstrap (a derived class bootstraps its base
// first); a class that exists already is left as it is.  0 or an error code.
int ScriptBindClass(CxLuaEngine& engine, const CxScriptClass& type);

// Hands an engine object to scripts without giving up ownership: a table
// with a borrowed reference is stored in "_tmpObj" and `text` is run, which
// makes it an instance ("qor.options = CxOptions:SubClass(_tmpObj) _tmpObj = nil").
int ScriptExpose(CxLuaEngine& engine, void* object, const CxScriptClass& type, const char* text);

// The reference a value holds (a reference itself, or an instance table's
// `__object`), or null.
CxScriptRef* ScriptToRef(lua_State* state, int index);
// Pushes the engine object of an instance: its pointer as a full userdata
// owned by the script side.
CxScriptRef* ScriptNewRef(lua_State* state, void* object, const CxScriptClass* type, bool owned);

// The object of argument 1 as a pointer to `owner`'s part; raises the
// boundary errors of the scheme when there is none.
void* ScriptSelf(lua_State* state, const CxScriptClass* owner);
const CxScriptOperation* ScriptUpvalueOperation(lua_State* state);

// The finaliser of "GlobalGC": deletes an owned engine object once.
int ScriptCollect(lua_State* state);

// ------------------------------------------------------------- arguments
// Exact types: no conversion between numbers and strings.
const char* ScriptCheckString(lua_State* state, int index);
double      ScriptCheckNumber(lua_State* state, int index);
int32_t     ScriptCheckInt(lua_State* state, int index);
bool        ScriptCheckBool(lua_State* state, int index);   // boolean, or a number (non-zero is yes)
// Truncation toward zero that stays defined for any number.
int32_t     ScriptTruncate(double value);

template <class A> struct CxScriptArg;
template <> struct CxScriptArg<const char*> {
    static const char* Get(lua_State* L, int i) { return ScriptCheckString(L, i); }
};
template <> struct CxScriptArg<double> {
    static double Get(lua_State* L, int i) { return ScriptCheckNumber(L, i); }
};
template <> struct CxScriptArg<float> {
    static float Get(lua_State* L, int i) { return float(ScriptCheckNumber(L, i)); }
};
template <> struct CxScriptArg<int32_t> {
    static int32_t Get(lua_State* L, int i) { return ScriptCheckInt(L, i); }
};
template <> struct CxScriptArg<uint32_t> {
    static uint32_t Get(lua_State* L, int i) { return uint32_t(ScriptCheckInt(L, i)); }
};
template <> struct CxScriptArg<bool> {
    static bool Get(lua_State* L, int i) { return ScriptCheckBool(L, i); }
};
// An optional argument: absent or nil gives no value, the operation applies
// its default.
template <class A> struct CxScriptArg<std::optional<A>> {
    static std::optional<A> Get(lua_State* L, int i)
    {
        if (lua_isnoneornil(L, i)) return std::nullopt;
        return CxScriptArg<A>::Get(L, i);
    }
};

// ------------------------------------------------------------- results
template <class R> struct CxScriptResult;
template <> struct CxScriptResult<int32_t> {
    static int Push(lua_State* L, int32_t v) { lua_pushnumber(L, v); return 1; }
};
template <> struct CxScriptResult<uint32_t> {
    static int Push(lua_State* L, uint32_t v) { lua_pushnumber(L, v); return 1; }
};
template <> struct CxScriptResult<bool> {   // yes/no as 1 or 0: scripts compare with a number
    static int Push(lua_State* L, bool v) { lua_pushnumber(L, v ? 1 : 0); return 1; }
};
template <> struct CxScriptResult<float> {
    static int Push(lua_State* L, float v) { lua_pushnumber(L, v); return 1; }
};
template <> struct CxScriptResult<double> {
    static int Push(lua_State* L, double v) { lua_pushnumber(L, v); return 1; }
};
template <> struct CxScriptResult<const char*> {
    static int Push(lua_State* L, const char* v) { lua_pushstring(L, v ? v : ""); return 1; }
};
template <> struct CxScriptResult<CxString> {
    static int Push(lua_State* L, const CxString& v) { lua_pushlstring(L, v.Text(), size_t(v.GetLength())); return 1; }
};
template <> struct CxScriptResult<CxPoint> {
    static int Push(lua_State* L, const CxPoint& v) { lua_pushnumber(L, v.x); lua_pushnumber(L, v.y); return 2; }
};
template <> struct CxScriptResult<CxSize> {
    static int Push(lua_State* L, const CxSize& v) { lua_pushnumber(L, v.width); lua_pushnumber(L, v.height); return 2; }
};

// ------------------------------------------------------------- adapters
namespace script_detail {
// Arguments are converted left to right before the call, so a bad one stops
// the method before anything of the engine object has changed.
template <class T, class R, class... A, size_t... I>
int Call(lua_State* L, T& self, R (*op)(T&, A...), std::index_sequence<I...>)
{
    std::tuple<A...> args{CxScriptArg<std::remove_cv_t<A>>::Get(L, int(I) + 2)...};
    if constexpr (std::is_void_v<R>) {
        std::apply([&](auto&&... a) { op(self, a...); }, args);
        return 0;
    } else {
        R result = std::apply([&](auto&&... a) { return op(self, a...); }, args);
        return CxScriptResult<std::remove_cv_t<R>>::Push(L, result);
    }
}
}  // namespace script_detail

template <class T, class R, class... A>
int ScriptAdapter(lua_State* L)
{
    const CxScriptOperation* op = ScriptUpvalueOperation(L);
    T* self = static_cast<T*>(ScriptSelf(L, op->owner));
    auto fn = reinterpret_cast<R (*)(T&, A...)>(op->operation);
    return script_detail::Call(L, *self, fn, std::index_sequence_for<A...>{});
}

// For operations whose results the table of adapters does not cover (tables,
// varying counts): the operation reads its own arguments from index 2.
template <class T>
int ScriptRawAdapter(lua_State* L)
{
    const CxScriptOperation* op = ScriptUpvalueOperation(L);
    T* self = static_cast<T*>(ScriptSelf(L, op->owner));
    return reinterpret_cast<int (*)(lua_State*, T&)>(op->operation)(L, *self);
}

template <class T, class R, class... A>
CxScriptMethod ScriptMethod(const char* name, R (*op)(T&, A...))
{
    return {name, &ScriptAdapter<T, R, A...>, reinterpret_cast<CxScriptOperationFn>(op)};
}

template <class T>
CxScriptMethod ScriptMethod(const char* name, int (*op)(lua_State*, T&))
{
    return {name, &ScriptRawAdapter<T>, reinterpret_cast<CxScriptOperationFn>(op)};
}

// ------------------------------------------------------------- descriptors
template <class T, class Base = void>
struct CxScriptClassOps {
    static void* ToBase(void* p)
    {
        if constexpr (std::is_void_v<Base>) return p;
        else return static_cast<Base*>(static_cast<T*>(p));
    }
    // A refused allocation gives a null pointer, as the scheme asks, rather
    // than an exception through the script library's C frames.
    static void* Create()
    {
        try {
            return new T();
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
    }
    static void Destroy(void* p) { delete static_cast<T*>(p); }
};

template <class T, class Base = void>
CxScriptClass ScriptClass(const char* name, const CxScriptClass* base, const CxScriptMethod* methods)
{
    using Ops = CxScriptClassOps<T, Base>;
    void* (*create)() = nullptr;
    if constexpr (std::is_default_constructible_v<T> && !std::is_abstract_v<T>) create = &Ops::Create;
    return {name, base, &Ops::ToBase, create, &Ops::Destroy, methods};
}
