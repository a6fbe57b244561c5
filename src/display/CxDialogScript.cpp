// Script class CxDialogBox ("CxDialogBox= CxSprite:SubClass()"): a sprite
// with DoModal and EndModal.
#include "display/CxDialogBox.h"
#include "display/CxDialogRegistry.h"
#include "display/CxDisplayScript.h"
#include "script/CxScriptBinding.h"

namespace {
using Dialog = CxDialogBox;

int32_t DoModal(Dialog& d) { return d.DoModal(); }
void EndModal(Dialog& d) { d.EndModal(); }

const CxScriptMethod kDialogMethods[] = {
    ScriptMethod("DoModal", &DoModal),
    ScriptMethod("EndModal", &EndModal),
    {nullptr, nullptr, nullptr},
};
}  // namespace

const CxScriptClass kCxDialogBoxScriptClass =
    ScriptClass<CxDialogBox, CxSprite>("CxDialogBox", &kCxSpriteScriptClass, kDialogMethods);

int BindCxDialogBox(CxLuaEngine& engine) { return ScriptBindClass(engine, kCxDialogBoxScriptClass); }
