// The script class C3DPhysicsObject, derived from Cx3DObject's.
#include "display/CxDisplayScript.h"
#include "game/world/C3DPhysicsObject.h"
#include "game/world/CxWorldScript.h"
#include "script/CxLuaEngine.h"
#include "script/CxScriptBinding.h"

#include <cmath>

namespace {
using Toy = C3DPhysicsObject;
float Real(double v) { return std::isfinite(v) ? float(v) : 0.0f; }

void Throw(Toy& t, double vx, double vy, double vz) { t.Throw(Real(vx), Real(vy), Real(vz)); }
void ThrowNoSpin(Toy& t, double vx, double vy, double vz) { t.ThrowNoSpin(Real(vx), Real(vy), Real(vz)); }
void Reset(Toy& t, double x, double y, double z)
{
    // A broken position keeps the toy where it is; the state still resets.
    if (std::isfinite(x) && std::isfinite(y) && std::isfinite(z)) t.Reset(float(x), float(y), float(z));
    else {
        const GpuMatrix& m = t.GetOrientation();
        t.Reset(m.m[3][0], m.m[3][1], m.m[3][2]);
    }
}
void Update(Toy& t, double tick)
{
    // Ticks are unsigned 32-bit counts; a script's number wraps the same way.
    if (!std::isfinite(tick)) return;
    t.Update(uint32_t(int64_t(std::fmod(tick, 4294967296.0))));
}
void SetState(Toy& t, int32_t state) { t.SetState(state); }
int32_t GetState(Toy& t) { return t.GetState(); }
bool IsFlying(Toy& t) { return t.IsFlying(); }
bool IsOnGround(Toy& t) { return t.IsOnGround(); }
void EnableCollisions(Toy& t) { t.EnableCollisions(); }
void DisableCollisions(Toy& t) { t.DisableCollisions(); }
// Pauses nest like every other object's; each call also makes the next step
// only record the time, so paused time is never integrated.
void Pause(Toy& t)
{
    t.CountPause();
    t.SkipNextStep();
}
void Resume(Toy& t)
{
    t.CountResume();
    t.SkipNextStep();
}
int GetVelocity(lua_State* L, Toy& t)
{
    for (int i = 0; i < 3; ++i) lua_pushnumber(L, t.GetVelocity()[i]);
    return 3;
}

const CxScriptMethod kToyMethods[] = {
    ScriptMethod("Throw", &Throw),
    ScriptMethod("ThrowNoSpin", &ThrowNoSpin),
    ScriptMethod("Reset", &Reset),
    ScriptMethod("Update", &Update),
    ScriptMethod("SetState", &SetState),
    ScriptMethod("GetState", &GetState),
    ScriptMethod("IsFlying", &IsFlying),
    ScriptMethod("IsOnGround", &IsOnGround),
    ScriptMethod("EnableCollisions", &EnableCollisions),
    ScriptMethod("DisableCollisions", &DisableCollisions),
    ScriptMethod("Pause", &Pause),
    ScriptMethod("Resume", &Resume),
    ScriptMethod("UnPause", &Resume),
    ScriptMethod("GetVelocity", &GetVelocity),
    {nullptr, nullptr, nullptr},
};

const CxScriptClass kToyClass = ScriptClass<Toy, Cx3DObject>("C3DPhysicsObject", &kCx3DObjectScriptClass, kToyMethods);

// A toy a script makes is tuned by that script's `physics` table.  The
// state owns the toy and deletes it when it closes, so the engine it
// remembers never outlives it.  Upvalue 1 is the class's own PrivateNew.
int NewToy(lua_State* L)
{
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_insert(L, 1);
    lua_call(L, lua_gettop(L) - 1, 1);
    CxScriptRef* ref = ScriptToRef(L, -1);
    if (ref && ref->object && ref->type == &kToyClass)
        static_cast<Toy*>(ref->object)->SetScriptEngine(CxLuaEngine::FromState(L));
    return 1;
}

int WrapNew(lua_State* L)
{
    lua_getglobal(L, kToyClass.name);
    if (!lua_istable(L, -1)) return luaL_error(L, "class table %s was not created", kToyClass.name);
    lua_getfield(L, -1, "PrivateNew");
    if (lua_tocfunction(L, -1) == NewToy) return 0;   // bound already
    lua_pushcclosure(L, NewToy, 1);
    lua_setfield(L, -2, "PrivateNew");
    return 0;
}
}  // namespace

int RegisterPhysicsScriptClass(CxLuaEngine& engine)
{
    int code = ScriptBindClass(engine, kToyClass);
    if (code) return code;
    lua_State* L = engine.GetState();
    if (lua_cpcall(L, WrapNew, nullptr) == 0) return 0;
    engine.ReportScriptError(lua_tostring(L, -1));
    lua_pop(L, 1);
    return ERR_SCRIPTING;
}

C3DPhysicsObject* CheckPhysicsObject(void* luaState, int index)
{
    auto* L = static_cast<lua_State*>(luaState);
    CxScriptRef* ref = L ? ScriptToRef(L, index) : nullptr;
    if (!ref || !ref->object || ref->magic != kScriptRefMagic) return nullptr;
    // Only a reference made for this class (or a class derived from it)
    // holds a toy; a plain 3D object's pointer must never be taken for one.
    for (const CxScriptClass* type = ref->type; type; type = type->base)
        if (type == &kToyClass) {
            void* part = ref->object;
            for (const CxScriptClass* t = ref->type; t != &kToyClass; t = t->base) part = t->toBase(part);
            return static_cast<C3DPhysicsObject*>(part);
        }
    return nullptr;
}
