#include "game/world/CxWorldScript.h"

#include "display/CxDisplayScript.h"
#include "game/world/Cx3DObject.h"
#include "game/world/CxModelManager.h"
#include "game/world/CxSceneManager.h"

#include <cmath>

namespace {
// Script numbers become floats only when finite, so a NaN never reaches a
// placement or a light.
float Real(double v) { return std::isfinite(v) ? float(v) : 0.0f; }
int Push3(lua_State* L, float x, float y, float z)
{
    lua_pushnumber(L, x);
    lua_pushnumber(L, y);
    lua_pushnumber(L, z);
    return 3;
}
uint8_t Byte(double v) { return std::isfinite(v) ? uint8_t(int64_t(v) & 255) : 0; }

// A parent to link under: a scene manager or another 3D object.
CxRenderable* CheckRenderable(lua_State* L, int index)
{
    CxScriptRef* ref = ScriptToRef(L, index);
    if (ref && ref->object && ref->type == &kCxSceneManagerScriptClass)
        return static_cast<CxSceneManager*>(ref->object);
    return static_cast<Cx3DObject*>(ScriptCheckObject(L, index, &kCx3DObjectScriptClass));
}

// ---------------------------------------------------------------- Cx3DObject
using Obj = Cx3DObject;
int32_t UnLoad(Obj& o) { o.UnLoad(); return 0; }
int32_t LoadModel(Obj& o, const char* file) { return o.LoadModel(file); }
int32_t LoadAnim(Obj& o, const char* name, const char* file, std::optional<const char*> bone)
{
    return o.LoadAnim(name, file, bone.value_or(""));
}
void SetTexture(Obj& o, const char* file) { o.SetTexture(file); }
int SetMaterialColor(lua_State* L, Obj& o, int which)
{
    GpuColorValue c{Real(ScriptCheckNumber(L, 2)), Real(ScriptCheckNumber(L, 3)), Real(ScriptCheckNumber(L, 4)),
                    Real(ScriptCheckNumber(L, 5))};
    o.SetMaterialPart(which, c);
    return 0;
}
int SetMaterialDiffuse(lua_State* L, Obj& o) { return SetMaterialColor(L, o, 0); }
int SetMaterialAmbient(lua_State* L, Obj& o) { return SetMaterialColor(L, o, 1); }
int SetMaterialSpecular(lua_State* L, Obj& o) { return SetMaterialColor(L, o, 2); }
int SetMaterialEmissive(lua_State* L, Obj& o) { return SetMaterialColor(L, o, 3); }
void SetMaterialPower(Obj& o, double p) { o.SetMaterialPower(Real(p)); }
void SetTwoSided(Obj& o, bool on) { o.SetTwoSided(on); }
void SetForeground(Obj& o, bool on) { o.SetForeground(on); }
void SetVisible(Obj& o, bool on) { o.SetVisible(on); }
bool IsVisible(Obj& o) { return o.IsVisible() != 0; }
void SetName(Obj& o, const char* name) { o.SetName(name); }
const char* GetName(Obj& o) { return o.GetName(); }
void SetHasAlpha(Obj& o, bool on) { o.SetHasAlpha(on); }
int Link(lua_State* L, Obj& o)
{
    o.Link(CheckRenderable(L, 2));
    return 0;
}
void UnLinkObject(Obj& o) { o.UnLink(); }
int IsLinkedTo(lua_State* L, Obj& o)
{
    lua_pushnumber(L, o.GetParent() && o.GetParent() == CheckRenderable(L, 2) ? 1 : 0);
    return 1;
}
float GetAnimDuration(Obj& o, const char* name) { return o.GetAnimDuration(name); }
void SetPosition(Obj& o, double x, double y, double z)
{
    if (std::isfinite(x) && std::isfinite(y) && std::isfinite(z)) o.SetPosition(float(x), float(y), float(z));
}
int GetPosition(lua_State* L, Obj& o)
{
    float x, y, z;
    o.GetPosition(&x, &y, &z);
    return Push3(L, x, y, z);
}
void SetScale(Obj& o, double s) { if (std::isfinite(s)) o.SetScale(float(s)); }
void BlendIn(Obj& o, const char* name, double duration, std::optional<int32_t> loops, std::optional<int32_t> from)
{
    o.BlendIn(name, Real(duration), loops.value_or(-1), from.value_or(0));
}
void BlendOut(Obj& o, const char* name, double duration, std::optional<int32_t> loops)
{
    o.BlendOut(name, Real(duration), loops.value_or(-1));
}
void BlendOutAll(Obj& o, double duration, std::optional<int32_t> loops) { o.BlendOutAll(Real(duration), loops.value_or(-1)); }
void PlayAnim(Obj& o, const char* name, std::optional<int32_t> loops, std::optional<double> weight)
{
    o.Play(name, loops.value_or(0), Real(weight.value_or(1.0)));
}
void PlayInfinite(Obj& o, const char* name, std::optional<double> weight) { o.Play(name, 0, Real(weight.value_or(1.0))); }
void PlayOnce(Obj& o, const char* name, std::optional<double> weight) { o.Play(name, 1, Real(weight.value_or(1.0))); }
void SetAnimLoopCount(Obj& o, const char* name, int32_t loops) { o.SetAnimLoopCount(name, loops); }
void SetAnimWeight(Obj& o, const char* name, double weight) { o.SetAnimWeight(name, Real(weight)); }
void SetAnimSpeed(Obj& o, const char* name, double speed) { o.SetAnimSpeed(name, Real(speed)); }
void StopAnim(Obj& o, const char* name) { o.StopAnim(name); }
void StopAll(Obj& o) { o.StopAll(); }
void RotateXY(Obj& o, double a) { o.Rotate(2, Real(a)); }
void RotateXZ(Obj& o, double a) { o.Rotate(1, Real(a)); }
void RotateYZ(Obj& o, double a) { o.Rotate(0, Real(a)); }
// The axis as a table {x, y, z}; any other table leaves the axis zero, which turns nothing.
int RotateAbout(lua_State* L, Obj& o)
{
    float angle = Real(ScriptCheckNumber(L, 2));
    float axis[3] = {0, 0, 0};
    if (lua_type(L, 3) == LUA_TTABLE && lua_objlen(L, 3) == 3)
        for (int i = 0; i < 3; ++i) {
            lua_rawgeti(L, 3, i + 1);
            axis[i] = lua_type(L, -1) == LUA_TNUMBER ? Real(lua_tonumber(L, -1)) : 0.0f;
            lua_pop(L, 1);
        }
    o.RotateAbout(angle, axis[0], axis[1], axis[2]);
    return 0;
}

int GetForwardVector(lua_State* L, Obj& o)
{
    const GpuMatrix& m = o.GetOrientation();
    return Push3(L, -m.m[2][0], -m.m[2][1], -m.m[2][2]);
}
// A table of exactly 16 finite numbers, row-major; anything else sets nothing.
bool ReadMatrix(lua_State* L, int index, GpuMatrix* m)
{
    if (lua_type(L, index) != LUA_TTABLE || lua_objlen(L, index) != 16) return false;
    GpuMatrix read;
    for (int i = 0; i < 16; ++i) {
        lua_rawgeti(L, index, i + 1);
        bool ok = lua_type(L, -1) == LUA_TNUMBER && std::isfinite(lua_tonumber(L, -1));
        read.m[i / 4][i % 4] = ok ? float(lua_tonumber(L, -1)) : 0.0f;
        lua_pop(L, 1);
        if (!ok) return false;
    }
    *m = read;
    return true;
}
int SetOrientation(lua_State* L, Obj& o)
{
    GpuMatrix m;
    if (ReadMatrix(L, 2, &m)) o.SetOrientation(m);
    return 0;
}
int32_t GetBoneIndex(Obj& o, const char* name) { return o.GetBoneIndex(name); }
int32_t GetNumBones(Obj& o) { return o.GetNumBones(); }
int GetBonePosition(lua_State* L, Obj& o)
{
    float p[3] = {0, 0, 0};
    o.GetBonePosition(ScriptCheckInt(L, 2), p);
    return Push3(L, p[0], p[1], p[2]);
}
int SetLocalOrientation(lua_State* L, Obj& o)
{
    GpuMatrix m;
    if (ReadMatrix(L, 2, &m)) o.SetLocalOrientation(m);
    return 0;
}
void SetAttachmentBoneIndex(Obj& o, int32_t bone) { o.SetAttachmentBoneIndex(bone); }
int32_t GetAttachmentBoneIndex(Obj& o) { return o.GetAttachmentBoneIndex(); }
void SetAttachOrientation(Obj& o, bool on) { o.SetAttachOrientation(on); }
bool GetAttachOrientation(Obj& o) { return o.GetAttachOrientation() != 0; }
void SetOffset(Obj& o, double x, double y, double z) { o.SetOffset(Real(x), Real(y), Real(z)); }
int GetOffset(lua_State* L, Obj& o) { return Push3(L, o.GetOffset()[0], o.GetOffset()[1], o.GetOffset()[2]); }
void SetFixedPos(Obj& o, double x, double y, double z) { o.SetFixedPos(Real(x), Real(y), Real(z)); }
void SetFlags(Obj& o, int32_t flags) { o.SetFlags(flags); }
int32_t GetFlags(Obj& o) { return o.GetFlags(); }
int32_t RegisterEventName(Obj& o, const char* name) { return o.RegisterEventName(name); }
// A plain 3D object only counts its pauses; what pausing does belongs to
// the kinds of object that move by themselves.
void Pause(Obj& o) { o.CountPause(); }
void Resume(Obj& o) { o.CountResume(); }
uint32_t GetChannel(Obj& o) { return o.GetChannel(); }
void PrintAnimArray(Obj&) {}

const CxScriptMethod kObjectMethods[] = {
    ScriptMethod("UnLoad", &UnLoad),
    ScriptMethod("LoadModel", &LoadModel),
    ScriptMethod("LoadAnim", &LoadAnim),
    ScriptMethod("SetTexture", &SetTexture),
    ScriptMethod("SetMaterialDiffuse", &SetMaterialDiffuse),
    ScriptMethod("SetMaterialAmbient", &SetMaterialAmbient),
    ScriptMethod("SetMaterialSpecular", &SetMaterialSpecular),
    ScriptMethod("SetMaterialEmissive", &SetMaterialEmissive),
    ScriptMethod("SetMaterialPower", &SetMaterialPower),
    ScriptMethod("SetTwoSided", &SetTwoSided),
    ScriptMethod("SetForeground", &SetForeground),
    ScriptMethod("SetVisible", &SetVisible),
    ScriptMethod("IsVisible", &IsVisible),
    ScriptMethod("SetName", &SetName),
    ScriptMethod("GetName", &GetName),
    ScriptMethod("SetHasAlpha", &SetHasAlpha),
    ScriptMethod("Link", &Link),
    ScriptMethod("UnLink", &UnLinkObject),
    ScriptMethod("IsLinkedTo", &IsLinkedTo),
    ScriptMethod("GetAnimDuration", &GetAnimDuration),
    ScriptMethod("SetPosition", &SetPosition),
    ScriptMethod("GetPosition", &GetPosition),
    ScriptMethod("SetScale", &SetScale),
    ScriptMethod("BlendIn", &BlendIn),
    ScriptMethod("BlendOut", &BlendOut),
    ScriptMethod("BlendOutAll", &BlendOutAll),
    ScriptMethod("PlayAnim", &PlayAnim),
    ScriptMethod("PlayMaskAnim", &PlayAnim),
    ScriptMethod("PlayInfinite", &PlayInfinite),
    ScriptMethod("PlayOnce", &PlayOnce),
    ScriptMethod("SetAnimLoopCount", &SetAnimLoopCount),
    ScriptMethod("SetAnimWeight", &SetAnimWeight),
    ScriptMethod("SetAnimSpeed", &SetAnimSpeed),
    ScriptMethod("StopAnim", &StopAnim),
    ScriptMethod("StopAll", &StopAll),
    ScriptMethod("RotateXY", &RotateXY),
    ScriptMethod("RotateXZ", &RotateXZ),
    ScriptMethod("RotateYZ", &RotateYZ),
    ScriptMethod("RotateAbout", &RotateAbout),
    ScriptMethod("SetOrientation", &SetOrientation),
    ScriptMethod("GetForwardVector", &GetForwardVector),
    ScriptMethod("GetBoneIndex", &GetBoneIndex),
    ScriptMethod("GetNumBones", &GetNumBones),
    ScriptMethod("GetBonePosition", &GetBonePosition),
    ScriptMethod("SetLocalOrientation", &SetLocalOrientation),
    ScriptMethod("SetAttachmentBoneIndex", &SetAttachmentBoneIndex),
    ScriptMethod("GetAttachmentBoneIndex", &GetAttachmentBoneIndex),
    ScriptMethod("SetAttachOrientation", &SetAttachOrientation),
    ScriptMethod("GetAttachOrientation", &GetAttachOrientation),
    ScriptMethod("SetOffset", &SetOffset),
    ScriptMethod("GetOffset", &GetOffset),
    ScriptMethod("SetFixedPos", &SetFixedPos),
    ScriptMethod("SetFlags", &SetFlags),
    ScriptMethod("GetFlags", &GetFlags),
    ScriptMethod("RegisterEventName", &RegisterEventName),
    ScriptMethod("Pause", &Pause),
    ScriptMethod("GetChannel", &GetChannel),
    ScriptMethod("Resume", &Resume),
    ScriptMethod("PrintAnimArray", &PrintAnimArray),
    {nullptr, nullptr, nullptr},
};

// ---------------------------------------------------------------- CxLight
void LSetName(CxLight& l, const char* name) { l.name = name; }
const char* LGetName(CxLight& l) { return l.name.Text(); }
void LSetActive(CxLight& l, bool on) { l.active = on ? 1 : 0; }
bool LIsActive(CxLight& l) { return l.active != 0; }
void LSetPosition(CxLight& l, double x, double y, double z)
{
    l.position[0] = Real(x), l.position[1] = Real(y), l.position[2] = Real(z);
}
void LSetDirection(CxLight& l, double x, double y, double z) { l.SetDirection(Real(x), Real(y), Real(z)); }
int LGetPosition(lua_State* L, CxLight& l) { return Push3(L, l.position[0], l.position[1], l.position[2]); }
int LGetDirection(lua_State* L, CxLight& l) { return Push3(L, l.direction[0], l.direction[1], l.direction[2]); }
int SetColor(lua_State* L, uint8_t* argb)
{
    for (int i = 0; i < 4; ++i) argb[i] = Byte(ScriptCheckNumber(L, 2 + i));
    return 0;
}
int GetColor(lua_State* L, const uint8_t* argb)
{
    for (int i = 0; i < 4; ++i) lua_pushnumber(L, argb[i]);
    return 4;
}
int LSetDiffuse(lua_State* L, CxLight& l) { return SetColor(L, l.diffuse); }
int LSetSpecular(lua_State* L, CxLight& l) { return SetColor(L, l.specular); }
int LSetAmbient(lua_State* L, CxLight& l) { return SetColor(L, l.ambient); }
int LGetDiffuse(lua_State* L, CxLight& l) { return GetColor(L, l.diffuse); }
int LGetSpecular(lua_State* L, CxLight& l) { return GetColor(L, l.specular); }
int LGetAmbient(lua_State* L, CxLight& l) { return GetColor(L, l.ambient); }
void LSetType(CxLight& l, int32_t type) { l.type = type; }
int32_t LGetType(CxLight& l) { return l.type; }

#define LIGHT_FIELD(Name, member)                                       \
    void LSet##Name(CxLight& l, double v) { l.member = Real(v); }       \
    float LGet##Name(CxLight& l) { return l.member; }
LIGHT_FIELD(Range, range)
LIGHT_FIELD(Falloff, falloff)
LIGHT_FIELD(Attenuation0, attenuation0)
LIGHT_FIELD(Attenuation1, attenuation1)
LIGHT_FIELD(Attenuation2, attenuation2)
LIGHT_FIELD(Theta, theta)
LIGHT_FIELD(Phi, phi)
#undef LIGHT_FIELD

const CxScriptMethod kLightMethods[] = {
    ScriptMethod("SetName", &LSetName),
    ScriptMethod("GetName", &LGetName),
    ScriptMethod("SetActive", &LSetActive),
    ScriptMethod("IsActive", &LIsActive),
    ScriptMethod("SetPosition", &LSetPosition),
    ScriptMethod("SetDirection", &LSetDirection),
    ScriptMethod("GetPosition", &LGetPosition),
    ScriptMethod("GetDirection", &LGetDirection),
    ScriptMethod("SetDiffuse", &LSetDiffuse),
    ScriptMethod("SetSpecular", &LSetSpecular),
    ScriptMethod("SetAmbient", &LSetAmbient),
    ScriptMethod("GetDiffuse", &LGetDiffuse),
    ScriptMethod("GetSpecular", &LGetSpecular),
    ScriptMethod("GetAmbient", &LGetAmbient),
    ScriptMethod("SetType", &LSetType),
    ScriptMethod("GetType", &LGetType),
    ScriptMethod("SetRange", &LSetRange),
    ScriptMethod("SetFalloff", &LSetFalloff),
    ScriptMethod("SetAttenuation0", &LSetAttenuation0),
    ScriptMethod("SetAttenuation1", &LSetAttenuation1),
    ScriptMethod("SetAttenuation2", &LSetAttenuation2),
    ScriptMethod("SetTheta", &LSetTheta),
    ScriptMethod("SetPhi", &LSetPhi),
    ScriptMethod("GetRange", &LGetRange),
    ScriptMethod("GetFalloff", &LGetFalloff),
    ScriptMethod("GetAttenuation0", &LGetAttenuation0),
    ScriptMethod("GetAttenuation1", &LGetAttenuation1),
    ScriptMethod("GetAttenuation2", &LGetAttenuation2),
    ScriptMethod("GetTheta", &LGetTheta),
    ScriptMethod("GetPhi", &LGetPhi),
    {nullptr, nullptr, nullptr},
};

// ---------------------------------------------------------------- CxSceneManager
void SSetVisible(CxSceneManager& s, bool on) { s.SetVisible(on); }
bool SIsVisible(CxSceneManager& s) { return s.IsVisible() != 0; }
int SAddLight(lua_State* L, CxSceneManager& s)
{
    s.AddLight(static_cast<CxLight*>(ScriptCheckObject(L, 2, &kCxLightScriptClass, true)));
    return 0;
}
int SRemoveLight(lua_State* L, CxSceneManager& s)
{
    s.RemoveLight(static_cast<CxLight*>(ScriptCheckObject(L, 2, &kCxLightScriptClass, true)));
    return 0;
}

const CxScriptMethod kSceneMethods[] = {
    ScriptMethod("SetVisible", &SSetVisible),
    ScriptMethod("IsVisible", &SIsVisible),
    ScriptMethod("AddLight", &SAddLight),
    ScriptMethod("RemoveLight", &SRemoveLight),
    {nullptr, nullptr, nullptr},
};
}  // namespace

const CxScriptClass kCx3DObjectScriptClass = ScriptClass<Cx3DObject>("Cx3DObject", nullptr, kObjectMethods);
const CxScriptClass kCxLightScriptClass = ScriptClass<CxLight>("CxLight", nullptr, kLightMethods);
const CxScriptClass kCxSceneManagerScriptClass = ScriptClass<CxSceneManager>("CxSceneManager", nullptr, kSceneMethods);

int RegisterWorldScriptClasses(CxLuaEngine& engine)
{
    int code = ScriptBindClass(engine, kCx3DObjectScriptClass);
    if (code == 0) code = ScriptBindClass(engine, kCxLightScriptClass);
    if (code == 0) code = ScriptBindClass(engine, kCxSceneManagerScriptClass);
    return code;
}
