// The script classes CxSprite, CxButton, CxRadioGroup, CxRadioButton and
// CxCheckButton.
#include "display/CxButton.h"
#include "display/CxDisplayScript.h"
#include "script/CxScriptBinding.h"

namespace {
// ------------------------------------------------------------- CxSprite
using Spr = CxSprite;

void Kill(Spr& s) { s.Kill(); }
void ReleaseSurface(Spr& s) { s.ReleaseSurface(); }
int32_t GetNumFrames(Spr& s) { return s.GetNumFrames(); }
int32_t GetCurFrame(Spr& s) { return s.GetCurFrame(); }
void SetCurFrame(Spr& s, int32_t frame) { s.SetCurFrame(frame); }
void NextFrame(Spr& s) { s.NextFrame(); }
void PrevFrame(Spr& s) { s.PrevFrame(); }
// Signed, so that "no colour" reads back as -1.
int32_t GetMaskColor(Spr& s) { return int32_t(s.GetMaskColor()); }
int32_t GetEffects(Spr& s) { return s.GetEffects(); }
int32_t LoadSurface(Spr& s, const char* path, std::optional<int32_t> frames) { return s.LoadSurface(path, frames.value_or(1)); }
void SetEffects(Spr& s, int32_t code) { s.SetEffects(code); }

int Duplicate(lua_State* L, Spr& s)
{
    s.Duplicate(static_cast<CxSprite*>(ScriptCheckObject(L, 2, &kCxSpriteScriptClass)));
    return 0;
}

const CxScriptMethod kSpriteMethods[] = {
    ScriptMethod("Kill", &Kill),
    ScriptMethod("ReleaseSurface", &ReleaseSurface),
    ScriptMethod("GetNumFrames", &GetNumFrames),
    ScriptMethod("GetCurFrame", &GetCurFrame),
    ScriptMethod("SetCurFrame", &SetCurFrame),
    ScriptMethod("NextFrame", &NextFrame),
    ScriptMethod("PrevFrame", &PrevFrame),
    ScriptMethod("GetMaskColor", &GetMaskColor),
    ScriptMethod("GetEffects", &GetEffects),
    ScriptMethod("LoadSurface", &LoadSurface),
    ScriptMethod("Duplicate", &Duplicate),
    ScriptMethod("SetEffects", &SetEffects),
    {nullptr, nullptr, nullptr},
};

// ------------------------------------------------------------- CxButton
using Btn = CxButton;

int32_t SetState(Btn& b, int32_t state) { return b.SetState(state); }
int32_t GetState(Btn& b) { return b.GetState(); }
void SetCheck(Btn& b, bool on) { b.SetCheck(on); }
bool GetCheck(Btn& b) { return b.GetCheck(); }
void SetStyle(Btn& b, int32_t style) { b.SetStyle(style); }
int32_t GetStyle(Btn& b) { return b.GetStyle(); }
int32_t LoadFaces(Btn& b, const char* path, std::optional<int32_t> frames)
{
    return b.LoadSurface(path, frames.value_or(kButtonStates));
}

// t[1] .. t[5] are the frames of states 0 .. 4; entries that are absent
// keep their frame.
int SetStateMap(lua_State* L, Btn& b)
{
    luaL_checktype(L, 2, LUA_TTABLE);
    for (int32_t state = 0; state < kButtonStates; ++state) {
        lua_rawgeti(L, 2, state + 1);
        if (lua_type(L, -1) == LUA_TNUMBER) b.SetStateMapEntry(state, ScriptTruncate(lua_tonumber(L, -1)));
        else if (!lua_isnil(L, -1)) luaL_error(L, "SetStateMap: entry %d is not a number", state + 1);
        lua_pop(L, 1);
    }
    return 0;
}

const CxScriptMethod kButtonMethods[] = {
    ScriptMethod("SetState", &SetState),
    ScriptMethod("GetState", &GetState),
    ScriptMethod("SetCheck", &SetCheck),
    ScriptMethod("GetCheck", &GetCheck),
    ScriptMethod("SetStyle", &SetStyle),
    ScriptMethod("GetStyle", &GetStyle),
    ScriptMethod("LoadSurface", &LoadFaces),
    ScriptMethod("SetStateMap", &SetStateMap),
    {nullptr, nullptr, nullptr},
};
}  // namespace

const CxScriptClass kCxSpriteScriptClass =
    ScriptClass<CxSprite, CxDisplayObject>("CxSprite", &kCxDisplayObjectScriptClass, kSpriteMethods);
const CxScriptClass kCxButtonScriptClass =
    ScriptClass<CxButton, CxSprite>("CxButton", &kCxSpriteScriptClass, kButtonMethods);
const CxScriptClass kCxRadioGroupScriptClass =
    ScriptClass<CxRadioGroup, CxSprite>("CxRadioGroup", &kCxSpriteScriptClass, nullptr);
const CxScriptClass kCxRadioButtonScriptClass =
    ScriptClass<CxRadioButton, CxButton>("CxRadioButton", &kCxButtonScriptClass, nullptr);
const CxScriptClass kCxCheckButtonScriptClass =
    ScriptClass<CxCheckButton, CxButton>("CxCheckButton", &kCxButtonScriptClass, nullptr);
