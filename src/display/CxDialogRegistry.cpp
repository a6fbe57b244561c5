#include "display/CxDialogRegistry.h"
#include "display/CxDialogBox.h"
#include "script/CxLuaEngine.h"
#include "script/CxScriptBinding.h"

#include <lua.hpp>

namespace {
CxDialogFinder gFinder = nullptr;
CxDialogBox* gPending = nullptr;

int StartModalDialogFn(lua_State* L)
{
    StartModalDialog(ScriptCheckString(L, 1));
    return 0;
}

int EndModalDialogFn(lua_State* L)
{
    EndModalDialog(ScriptCheckString(L, 1));
    return 0;
}
}  // namespace

void SetDialogFinder(CxDialogFinder finder) { gFinder = finder; }

CxDialogBox* FindNamedDialog(const char* name) { return (gFinder && name) ? gFinder(name) : nullptr; }

void StartModalDialog(const char* name)
{
    if (CxDialogBox* dialog = FindNamedDialog(name)) gPending = dialog;
}

void EndModalDialog(const char* name)
{
    if (CxDialogBox* dialog = FindNamedDialog(name)) dialog->EndModal();
}

CxDialogBox* GetPendingModalDialog() { return gPending; }

void RunPendingModalDialog()
{
    CxDialogBox* dialog = gPending;
    gPending = nullptr;
    if (dialog) dialog->DoModal();
}

void ForgetPendingModalDialog(const CxDialogBox* dialog)
{
    if (gPending == dialog) gPending = nullptr;
}

int RegisterDialogScriptFunctions(CxLuaEngine& engine)
{
    int code = BindCxDialogBox(engine);
    if (code == 0) code = engine.RegisterFunction("StartModalDialog", StartModalDialogFn);
    if (code == 0) code = engine.RegisterFunction("EndModalDialog", EndModalDialogFn);
    return code;
}
