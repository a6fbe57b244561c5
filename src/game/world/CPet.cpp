#include "game/world/CPet.h"

#include "app/CxApp.h"
#include "foundation/Qorstr.h"
#include "game/world/C3DRoom.h"
#include "game/world/CPetEvents.h"
#include "game/world/CxModelManager.h"
#include "game/world/CxWorldScript.h"
#include "script/CxLuaEngine.h"
#include "script/CxScriptBinding.h"
#include "script/CxScriptText.h"

#include <lua.hpp>

#include <cmath>

namespace {
constexpr float kPi = 3.14159265358979f;

// The registered pet and the script state it was registered from.  Both go
// when the pet dies (its destructor), when it is unregistered, and when the
// state closes (the guard's finaliser), so nothing is left pointing at a
// freed pet or a closed state.
CPet* gPet = nullptr;
lua_State* gPetState = nullptr;

constexpr const char* kPetKey = "vorn.pet";
constexpr const char* kGuardKey = "vorn.pet.guard";

CxLuaEngine* PetEngine()
{
    if (gPetState)
        if (CxLuaEngine* engine = CxLuaEngine::FromState(gPetState)) return engine;
    if (C3DRoom* room = C3DRoom::GetRunning())
        if (CxLuaEngine* engine = room->GetScriptEngine()) return engine;
    CxApp* app = CxApp::GetApp();
    return app ? app->GetScriptEngine() : nullptr;
}

void PetPoseHook(void*, CxModelRig& rig, CxRigLocalPose& pose)
{
    if (C3DRoom* room = C3DRoom::GetRunning()) room->AdjustPose(rig, pose);
}
}  // namespace

CPet::CPet() = default;

CPet::~CPet()
{
    if (gPet == this) gPet = nullptr;
}

void CPet::AttachPoseHook()
{
    if (CxModelRig* rig = GetRig()) rig->SetPoseHook(&PetPoseHook, this);
}

void CPet::Render(const RenderContext& context)
{
    // The model may have been loaded since the last frame.
    AttachPoseHook();
    Cx3DObject::Render(context);
}

void CPet::FacePoint(float x, float y, float z)
{
    float position[3] = {GetOrientation().m[3][0], GetOrientation().m[3][1], GetOrientation().m[3][2]};
    const float target[3] = {x, y, z};
    RotateAbout(PetFacingAngle(GetOrientation(), position, target), 0, 1, 0);
}

CxEvent* CPet::CreateEvent(const char* creatorName, const char* kind, CxLinkedList<CxString>& arguments)
{
    bool mine = TextEquals(creatorName, "this", true) || (*GetEventName() && TextEquals(creatorName, GetEventName(), true));
    // The pet's own kinds never fall through to commands: a walk without a
    // point is no event at all rather than a command that does nothing.
    if (mine && IsPetEventKind(kind)) return NewPetEvent(*this, kind, arguments);
    return Cx3DObject::CreateEvent(creatorName, kind, arguments);
}

float PetFacingAngle(const GpuMatrix& placement, const float position[3], const float target[3])
{
    float fx = -placement.m[2][0], fz = -placement.m[2][2];
    float dx = target[0] - position[0], dz = target[2] - position[2];
    float lf = std::sqrt(fx * fx + fz * fz), ld = std::sqrt(dx * dx + dz * dz);
    if (!(lf > 1e-6f) || !(ld > 1e-6f) || !std::isfinite(lf) || !std::isfinite(ld)) return 0;
    float c = (fx * dx + fz * dz) / (lf * ld);
    float angle = std::acos(c > 1 ? 1 : c < -1 ? -1 : c);
    if (angle > kPi) angle -= 2 * kPi;
    if (angle < -kPi) angle += 2 * kPi;
    // A positive turn about +y swings the forward from -z toward -x: toward
    // the targets for which (forward x direction).y is positive.
    float crossY = fz * dx - fx * dz;
    return crossY < 0 ? -angle : angle;
}

CPet* GetRegisteredPet() { return gPet; }
void SetRegisteredPet(CPet* pet) { gPet = pet; }

CxString PetBodyPartOfBone(const char* bone)
{
    if (!bone || !*bone || !MatchWildcards("!-tag*", bone)) return CxString();
    CxString fallback = CxString::FormatNew("Unknown Bone: %s", bone);
    CxLuaEngine* engine = PetEngine();
    if (!engine) return fallback;
    // The name goes in as a quoted literal: a quote or bracket in a bone
    // name stays part of the key and never ends the expression.
    CxString expression = CxString::FormatNew("bones[%s]", ScriptQuote(bone).Text());
    return engine->EvalString(expression.Text(), fallback.Text());
}

CxString PetBodyPartUnderRay(const float origin[3], const float direction[3])
{
    CPet* pet = GetRegisteredPet();
    if (!pet) return CxString();
    CxString bone = pet->PickBone(origin, direction, "!-tag*");
    return bone.GetLength() > 0 ? PetBodyPartOfBone(bone.Text()) : CxString();
}

// ---------------------------------------------------------------- scripts
namespace {
void FacePointFn(CPet& pet, double x, double y, double z)
{
    if (std::isfinite(x) && std::isfinite(y) && std::isfinite(z)) pet.FacePoint(float(x), float(y), float(z));
}

const CxScriptMethod kPetMethods[] = {
    ScriptMethod("FacePoint", &FacePointFn),
    {nullptr, nullptr, nullptr},
};

// The pet part of a script value, or null when it holds no live pet.
CPet* ToPet(lua_State* L, int index)
{
    CxScriptRef* ref = ScriptToRef(L, index);
    if (!ref || !ref->object) return nullptr;
    void* object = ref->object;
    for (const CxScriptClass* type = ref->type; type; type = type->base) {
        if (type == &kCPetScriptClass) return static_cast<CPet*>(object);
        if (type->base) object = type->toBase(object);
    }
    return nullptr;
}

int GuardCollected(lua_State* L)
{
    if (gPetState == L) gPet = nullptr, gPetState = nullptr;
    return 0;
}

// One guard per state, kept in its registry: closing the state finalises
// it, and with it the registration made from that state.
void EnsureGuard(lua_State* L)
{
    lua_getfield(L, LUA_REGISTRYINDEX, kGuardKey);
    bool present = !lua_isnil(L, -1);
    lua_pop(L, 1);
    if (present) return;
    lua_newuserdata(L, 1);
    lua_newtable(L);
    lua_pushcfunction(L, GuardCollected);
    lua_setfield(L, -2, "__gc");
    lua_setmetatable(L, -2);
    lua_setfield(L, LUA_REGISTRYINDEX, kGuardKey);
}

// The value stays in the registry while registered, so the collector
// leaves the pet alone however the scripts drop it.
int RegisterPetFn(lua_State* L)
{
    luaL_checkany(L, 1);
    EnsureGuard(L);
    lua_pushvalue(L, 1);
    lua_setfield(L, LUA_REGISTRYINDEX, kPetKey);
    gPet = ToPet(L, 1);
    gPetState = gPet ? L : nullptr;
    return 0;
}

int UnRegisterPetFn(lua_State* L)
{
    lua_pushnil(L);
    lua_setfield(L, LUA_REGISTRYINDEX, kPetKey);
    if (gPetState == L || !gPetState) gPet = nullptr, gPetState = nullptr;
    return 0;
}
}  // namespace

const CxScriptClass kCPetScriptClass = ScriptClass<CPet, Cx3DObject>("CPet", &kCx3DObjectScriptClass, kPetMethods);

int RegisterPetScript(CxLuaEngine& engine)
{
    int code = ScriptBindClass(engine, kCPetScriptClass);
    if (code != 0) return code;
    code = engine.RegisterFunction("RegisterPet", RegisterPetFn);
    if (code == 0) code = engine.RegisterFunction("UnRegisterPet", UnRegisterPetFn);
    return code;
}
