// The script class CxAnimation.  Paths come from tables: each key that is
// present sets its value and its flag bit; start and target positions are not
// read from scripts.
#include "display/CxAnimation.h"
#include "display/CxDisplayObject.h"
#include "display/CxDisplayScript.h"
#include "script/CxScriptBinding.h"

#include <algorithm>
#include <cmath>

namespace {
using Anim = CxAnimation;

void Play(Anim& a, std::optional<int32_t> path) { a.Play(path.value_or(0)); }
void Stop(Anim& a) { a.Stop(); }
bool IsPlaying(Anim& a) { return a.IsPlaying(); }
void Pause(Anim& a) { a.CountPause(); }
void Resume(Anim& a) { a.CountResume(); }
void SetStationary(Anim& a, bool on) { a.SetStationary(on); }
bool GetStationary(Anim& a) { return a.GetStationary(); }
void SetRelativeStart(Anim& a, bool on) { a.SetRelativeStart(on); }
bool GetRelativeStart(Anim& a) { return a.GetRelativeStart(); }
void SetLoops(Anim& a, int32_t cycles) { a.SetLoops(cycles); }
int32_t GetLoops(Anim& a) { return a.GetLoops(); }
void RemovePath(Anim& a, int32_t index) { a.RemovePath(index); }
void RemoveAllPaths(Anim& a) { a.RemoveAllPaths(); }
int32_t SetCurAction(Anim& a, int32_t index) { return a.SetCurAction(index, true); }
int32_t GetCurAction(Anim& a) { return a.GetCurAction(); }
int32_t GetNumPaths(Anim& a) { return a.GetNumPaths(); }
int32_t GetPathLoops(Anim& a) { return a.GetPathLoops(); }

int SetSprite(lua_State* L, Anim& a)
{
    a.SetSprite(static_cast<CxDisplayObject*>(ScriptCheckObject(L, 2, &kCxDisplayObjectScriptClass, true)));
    return 0;
}

// Reads t[key] as a number when present; false when absent.
bool Field(lua_State* L, const char* key, double* value)
{
    lua_getfield(L, 2, key);
    bool present = !lua_isnil(L, -1);
    if (present && lua_type(L, -1) != LUA_TNUMBER) luaL_error(L, "AddPathToTail: \"%s\" must be a number", key);
    if (present) *value = lua_tonumber(L, -1);
    lua_pop(L, 1);
    return present;
}

// Out-of-range numbers would make the conversions undefined.
uint32_t FlagBits(double v) { return (v > -2147483649.0 && v < 4294967296.0) ? uint32_t(int64_t(v)) : 0; }
float Real(double v) { return std::isnan(v) ? 0.0f : float(std::clamp(v, -1e30, 1e30)); }

struct IntField {
    const char* key;
    uint32_t flag;
    int32_t CxAnimationPath::*member;
};

const IntField kIntFields[] = {
    {"loops", PATH_LOOPS, &CxAnimationPath::loops},
    {"duration", PATH_DURATION, &CxAnimationPath::duration},
    {"startframe", PATH_STARTFRAME, &CxAnimationPath::startFrame},
    {"endframe", PATH_ENDFRAME, &CxAnimationPath::endFrame},
    {"zorder", PATH_ZORDER, &CxAnimationPath::zOrder},
    {"pos_type", PATH_ANCHOR, &CxAnimationPath::anchor},
};

int AddPathToTail(lua_State* L, Anim& a)
{
    luaL_checktype(L, 2, LUA_TTABLE);
    CxAnimationPath path;
    double value = 0;
    if (Field(L, "flags", &value)) path.flags = FlagBits(value);
    for (const IntField& f : kIntFields)
        if (Field(L, f.key, &value)) {
            path.*f.member = ScriptTruncate(value);
            path.flags |= f.flag;
        }
    if (Field(L, "speed", &value)) {
        path.speed = Real(value);
        path.flags |= PATH_SPEED;
    }
    if (Field(L, "framerate", &value)) {
        path.frameRate = Real(value);
        path.flags |= PATH_FRAMERATE;
    }
    a.AddPathsToTail(&path, 1);
    return 0;
}

const CxScriptMethod kMethods[] = {
    ScriptMethod("Play", &Play),
    ScriptMethod("Stop", &Stop),
    ScriptMethod("IsPlaying", &IsPlaying),
    ScriptMethod("Pause", &Pause),
    ScriptMethod("Resume", &Resume),
    ScriptMethod("SetStationary", &SetStationary),
    ScriptMethod("GetStationary", &GetStationary),
    ScriptMethod("SetRelativeStart", &SetRelativeStart),
    ScriptMethod("GetRelativeStart", &GetRelativeStart),
    ScriptMethod("SetLoops", &SetLoops),
    ScriptMethod("GetLoops", &GetLoops),
    ScriptMethod("RemovePath", &RemovePath),
    ScriptMethod("RemoveAllPaths", &RemoveAllPaths),
    ScriptMethod("SetCurAction", &SetCurAction),
    ScriptMethod("GetCurAction", &GetCurAction),
    ScriptMethod("GetNumPaths", &GetNumPaths),
    ScriptMethod("GetPathLoops", &GetPathLoops),
    ScriptMethod("SetSprite", &SetSprite),
    ScriptMethod("AddPathToTail", &AddPathToTail),
    {nullptr, nullptr, nullptr},
};
}  // namespace

const CxScriptClass kCxAnimationScriptClass = ScriptClass<CxAnimation>("CxAnimation", nullptr, kMethods);
