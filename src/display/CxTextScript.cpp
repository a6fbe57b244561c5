#include "display/CxTextScript.h"
#include "display/CxEditText.h"
#include "graphics/CxFont.h"
#include "script/CxLuaEngine.h"
#include "script/CxScriptBinding.h"

#include <cmath>

uint32_t ScriptColour(double value)
{
    if (std::isnan(value) || value < -2147483648.0 || value > 4294967295.0) return CX_NO_COLOR;
    return value < 0 ? uint32_t(int32_t(value)) : uint32_t(value);
}

namespace {
// ------------------------------------------------------------- CxDrawText
using Txt = CxDrawText;

void SetDefaultDepth(Txt& t, int32_t depth) { t.SetDefaultDepth(depth); }
int32_t GetDefaultDepth(Txt& t) { return t.GetDefaultDepth(); }
void SetColor(Txt& t, double c) { t.SetColor(ScriptColour(c)); }
int32_t GetColor(Txt& t) { return int32_t(t.GetColor()); }
void SetBkColor(Txt& t, double c) { t.SetBkColor(ScriptColour(c)); }
int32_t GetBkColor(Txt& t) { return int32_t(t.GetBkColor()); }
void SetHighlightColor(Txt& t, double c) { t.SetHighlightColor(ScriptColour(c)); }
int32_t GetHighlightColor(Txt& t) { return int32_t(t.GetHighlightColor()); }
void SetHighlightBkColor(Txt& t, double c) { t.SetHighlightBkColor(ScriptColour(c)); }
int32_t GetHighlightBkColor(Txt& t) { return int32_t(t.GetHighlightBkColor()); }
void SetShadowColor(Txt& t, double c) { t.SetShadowColor(ScriptColour(c)); }
int32_t GetShadowColor(Txt& t) { return int32_t(t.GetShadowColor()); }
void SetFlags(Txt& t, double flags) { t.SetTextFlags(ScriptColour(flags)); }
int32_t GetFlags(Txt& t) { return int32_t(t.GetTextFlags()); }
void SetFont(Txt& t, int32_t handle) { t.SetFont(handle); }
int32_t GetFont(Txt& t) { return t.GetFont(); }
void SetPointSize(Txt& t, int32_t size) { t.SetPointSize(size); }
int32_t GetPointSize(Txt& t) { return t.GetPointSize(); }
void SetString(Txt& t, const char* text) { t.SetString(text); }
const char* GetString(Txt& t) { return t.GetString(); }

const CxScriptMethod kDrawTextMethods[] = {
    ScriptMethod("SetDefaultDepth", &SetDefaultDepth),
    ScriptMethod("GetDefaultDepth", &GetDefaultDepth),
    ScriptMethod("SetColor", &SetColor),
    ScriptMethod("GetColor", &GetColor),
    ScriptMethod("SetBkColor", &SetBkColor),
    ScriptMethod("GetBkColor", &GetBkColor),
    ScriptMethod("SetHighlightColor", &SetHighlightColor),
    ScriptMethod("GetHighlightColor", &GetHighlightColor),
    ScriptMethod("SetHighlightBkColor", &SetHighlightBkColor),
    ScriptMethod("GetHighlightBkColor", &GetHighlightBkColor),
    ScriptMethod("SetShadowColor", &SetShadowColor),
    ScriptMethod("GetShadowColor", &GetShadowColor),
    ScriptMethod("SetFlags", &SetFlags),
    ScriptMethod("GetFlags", &GetFlags),
    ScriptMethod("SetFont", &SetFont),
    ScriptMethod("GetFont", &GetFont),
    ScriptMethod("SetPointSize", &SetPointSize),
    ScriptMethod("GetPointSize", &GetPointSize),
    ScriptMethod("SetString", &SetString),
    ScriptMethod("GetString", &GetString),
    {nullptr, nullptr, nullptr},
};

// ------------------------------------------------------------- CxEditText
using Edt = CxEditText;

// Flag readers answer -1 for a set flag, as the script side expects.
int32_t FlagAnswer(const Edt& e, uint32_t flag) { return e.GetEditFlag(flag) ? -1 : 0; }

int32_t MakeCaret(Edt& e, int32_t height, double colour) { return e.MakeCaret(height, ScriptColour(colour)); }
void SetCaretOffset(Edt& e, int32_t x, int32_t y) { e.SetCaretOffset(x, y); }
void SetCaretPos(Edt& e, int32_t index) { e.SetCaretPos(index); }
int32_t GetCaretPos(Edt& e) { return e.GetCaretPos(); }
void SetLengthLimit(Edt& e, int32_t limit) { e.SetLengthLimit(limit); }
int32_t GetLengthLimit(Edt& e) { return e.GetLengthLimit(); }
void SetPixelLimit(Edt& e, int32_t width) { e.SetPixelLimit(width); }
int32_t GetPixelLimit(Edt& e) { return e.GetPixelLimit(); }
void SetAcceptCR(Edt& e, int32_t on) { e.SetEditFlag(EDIT_ACCEPT_CR, on & 1); }
int32_t GetAcceptCR(Edt& e) { return FlagAnswer(e, EDIT_ACCEPT_CR); }
void SetPassAllKeys(Edt& e, int32_t on) { e.SetEditFlag(EDIT_PASS_ALL_KEYS, on & 1); }
int32_t GetPassAllKeys(Edt& e) { return FlagAnswer(e, EDIT_PASS_ALL_KEYS); }
void SetCharRestriction(Edt& e, const char* characters) { e.SetCharRestriction(characters); }
void SetIsPassword(Edt& e, int32_t on) { e.SetEditFlag(EDIT_PASSWORD, on & 1); }
int32_t GetIsPassword(Edt& e) { return FlagAnswer(e, EDIT_PASSWORD); }
void SetUpper(Edt& e, int32_t on) { e.SetEditFlag(EDIT_UPPER, on & 1); }
int32_t GetUpper(Edt& e) { return FlagAnswer(e, EDIT_UPPER); }
void SetEditState(Edt& e, int32_t on) { e.SetEditState(on != 0); }
int32_t GetEditState(Edt& e) { return FlagAnswer(e, EDIT_ENABLED); }
void Clear(Edt& e) { e.Clear(); }

const CxScriptMethod kEditTextMethods[] = {
    ScriptMethod("MakeCaret", &MakeCaret),
    ScriptMethod("SetCaretOffset", &SetCaretOffset),
    ScriptMethod("SetCaretPos", &SetCaretPos),
    ScriptMethod("GetCaretPos", &GetCaretPos),
    ScriptMethod("SetLengthLimit", &SetLengthLimit),
    ScriptMethod("GetLengthLimit", &GetLengthLimit),
    ScriptMethod("SetPixelLimit", &SetPixelLimit),
    ScriptMethod("GetPixelLimit", &GetPixelLimit),
    ScriptMethod("SetAcceptCR", &SetAcceptCR),
    ScriptMethod("GetAcceptCR", &GetAcceptCR),
    ScriptMethod("SetPassAllKeys", &SetPassAllKeys),
    ScriptMethod("GetPassAllKeys", &GetPassAllKeys),
    ScriptMethod("SetCharRestriction", &SetCharRestriction),
    ScriptMethod("SetIsPassword", &SetIsPassword),
    ScriptMethod("GetIsPassword", &GetIsPassword),
    ScriptMethod("SetUpper", &SetUpper),
    ScriptMethod("GetUpper", &GetUpper),
    ScriptMethod("SetEditState", &SetEditState),
    ScriptMethod("GetEditState", &GetEditState),
    ScriptMethod("Clear", &Clear),
    {nullptr, nullptr, nullptr},
};
}  // namespace

CxScriptClass kCxDrawTextScriptClass = ScriptClass<CxDrawText, CxSprite>("CxDrawText", nullptr, kDrawTextMethods);
CxScriptClass kCxEditTextScriptClass =
    ScriptClass<CxEditText, CxDrawText>("CxEditText", &kCxDrawTextScriptClass, kEditTextMethods);

int RegisterTextScriptApi(CxLuaEngine& engine, const CxScriptClass* spriteClass)
{
    if (!FindFont(CX_DEFAULT_FONT)) CreateDefaultFont();
    kCxDrawTextScriptClass.base = spriteClass;
    return ScriptBindClass(engine, kCxEditTextScriptClass);
}
