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

#include <algorithm>
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

// ---------------------------------------------------------------- the tweak bone
namespace {
struct Quat {
    double x = 0, y = 0, z = 0, w = 1;
};
double Dot(const Quat& a, const Quat& b) { return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w; }
double Length(const Quat& q) { return std::sqrt(Dot(q, q)); }
bool Valid(const Quat& q, double eps)
{
    double l = Length(q);
    return std::isfinite(l) && std::fabs(l - 1) < eps;
}
Quat Normalised(const Quat& q)
{
    double l = Length(q);
    if (!(l > 1e-12) || !std::isfinite(l)) return q;
    return Quat{q.x / l, q.y / l, q.z / l, q.w / l};
}
// a then b in the bone's own frame: the Hamilton product a * b.
Quat Multiply(const Quat& a, const Quat& b)
{
    return Quat{a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y, a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
                a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w, a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z};
}
double Distance(const Quat& a, const Quat& b)
{
    double dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z, dw = a.w - b.w;
    return std::sqrt(dx * dx + dy * dy + dz * dz + dw * dw);
}
Quat Negated(const Quat& q) { return Quat{-q.x, -q.y, -q.z, -q.w}; }

CxLuaEngine* RoomEngine()
{
    if (C3DRoom* room = C3DRoom::GetRunning())
        if (CxLuaEngine* engine = room->GetScriptEngine()) return engine;
    return PetEngine();
}
}  // namespace

void CTweakBoneState::Apply(CxModelRig& rig, CxRigLocalPose& pose, uint32_t nowMs)
{
    Apply(RoomEngine(), rig, pose, nowMs);
}

void CTweakBoneState::Apply(CxLuaEngine* engine, CxModelRig& rig, CxRigLocalPose& pose, uint32_t nowMs)
{
    if (!engine) return;
    bool on = engine->GetGlobalInt("Room.tTweakBone.on", 0) != 0;
    if (!on && !blending_) return;
    if (!blending_) {
        blending_ = true;
        lastTick_ = nowMs;
        return;
    }
    int bone = rig.FindBone(engine->GetGlobalString("Room.tTweakBone.name", "").Text());
    if (bone < 0) return;
    Quat current{current_[0], current_[1], current_[2], current_[3]};
    auto write = [&](const Quat& q) {
        const float f[4] = {float(q.x), float(q.y), float(q.z), float(q.w)};
        pose.SetOrientation(bone, f);
    };
    uint32_t elapsed = nowMs - lastTick_;   // unsigned: a wrapped tick count still gives the step
    if (elapsed == 0) {
        // A second pose in the same millisecond (picking, then drawing)
        // shows the bend it already has instead of dropping it for a frame.
        if (active_) write(current);
        return;
    }
    double dt = elapsed / 1000.0;
    lastTick_ = nowMs;

    double factor = engine->GetGlobalFloat("Room.tTweakBone.qav_factor", 0);
    factor = std::min(factor, double(engine->GetGlobalFloat("Room.tTweakBone.qav_factor_max", 0)));
    factor = std::max(factor, double(engine->GetGlobalFloat("Room.tTweakBone.qav_factor_min", 0)));
    double rate = engine->GetGlobalFloat("globals.TWEAK_BLEND_QUATERNION_ANGULAR_VELOCITY", 0) * factor;
    double eps = engine->GetGlobalFloat("globals.TWEAK_BLEND_EPSILON", 0);
    double maxSlerp = engine->GetGlobalFloat("globals.TWEAK_BLEND_MAX_SLERP", 0);

    float a[4];
    if (!pose.GetOrientation(bone, a)) return;
    Quat animated{a[0], a[1], a[2], a[3]};
    if (!Valid(animated, eps)) return;

    Quat target = animated;
    if (on) {
        double ax = engine->GetGlobalFloat("Room.tTweakBone.axis.x", 0), ay = engine->GetGlobalFloat("Room.tTweakBone.axis.y", 0),
               az = engine->GetGlobalFloat("Room.tTweakBone.axis.z", 0);
        double length = std::sqrt(ax * ax + ay * ay + az * az);
        double angle = engine->GetGlobalFloat("Room.tTweakBone.angle", 0) * kPi / 180.0;
        if (std::isfinite(length) && length >= eps && length > 0 && std::isfinite(angle)) {
            double s = std::sin(angle / 2) / length;
            target = Multiply(animated, Quat{ax * s, ay * s, az * s, std::cos(angle / 2)});
        }
    }
    if (!active_) current = animated, active_ = true;
    current = Normalised(current);
    target = Normalised(target);
    Quat previous = current;

    double dot = Dot(current, target);
    // q and -q are one orientation: blend the short way round.
    if (dot < 0) target = Negated(target), dot = -dot;
    dot = std::min(dot, 1.0);
    double angle = std::acos(dot);
    bool reached = false;
    if (std::fabs(dot - 1) < eps || angle <= rate * dt) {
        current = target;
        reached = true;
    } else {
        double t = rate * dt / angle, s = std::sin(angle);
        double wa = std::sin((1 - t) * angle) / s, wb = std::sin(t * angle) / s;
        current = Quat{wa * current.x + wb * target.x, wa * current.y + wb * target.y, wa * current.z + wb * target.z,
                       wa * current.w + wb * target.w};
    }
    current = Normalised(current);
    if (!Valid(current, eps)) {
        current = previous;
    } else if (std::min(Distance(current, animated), Distance(current, Negated(animated))) > maxSlerp) {
        current = animated;
    }
    if (reached && !on) blending_ = false, active_ = false;
    current_[0] = current.x, current_[1] = current.y, current_[2] = current.z, current_[3] = current.w;
    write(current);
}
