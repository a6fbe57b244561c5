#include "app/CxAppWiring.h"
#include "app/CxApp.h"
#include "display/CxCursor.h"
#include "display/CxDisplayObject.h"
#include "events/CxScriptEvents.h"
#include "files/QorCoreFiles.h"
#include "graphics/CxScreenCursor.h"
#include "script/CxLuaEngine.h"

void WireEngine() { SetCoreFileAccess(QorCoreFileAccess()); }

void UnwireEngine() { SetCoreFileAccess(nullptr); }

namespace {
// Script-line events run in the engine of the running cycle.
int RunInCycleEngine(const char* line)
{
    CxApp* app = CxApp::GetApp();
    CxLuaEngine* engine = app ? app->GetScriptEngine() : nullptr;
    if (!engine) return RunEventScriptWithoutEngine(line);
    return engine->RunString(line);
}
}  // namespace

void WireScripts() { SetEventScriptRunner(RunInCycleEngine); }

void UnwireScripts() { SetEventScriptRunner(nullptr); }

void WireDisplay()
{
    SetScreenCursor(GetCursorPainter());
    SetDefaultCursorHook(SelectDefaultCursor);
}

void UnwireDisplay()
{
    SetDefaultCursorHook(nullptr);
    SetScreenCursor(nullptr);
}
