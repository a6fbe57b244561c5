// The cycle's script engine: created and set up in OpenCycle, destroyed in
// CloseCycle, so every cycle starts from an empty script state and closing it
// finalises every script object of the cycle before the next one begins.
#include "app/CxApp.h"
#include "events/CxEvent.h"
#include "events/CxScriptEvents.h"
#include "script/CxLuaEngine.h"

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

void CxApp::OpenScriptEngine()
{
    CloseScriptEngine();
    scriptEngine_ = new CxLuaEngine(this);
    scriptEngine_->Init();
    SetEventScriptRunner(RunInCycleEngine);
}

void CxApp::CloseScriptEngine()
{
    // Whatever channels are left belong to the closing cycle's scripts.
    if (scriptEngine_) CxEvent::DestroyAllChannels();
    SetEventScriptRunner(nullptr);
    delete scriptEngine_;
    scriptEngine_ = nullptr;
}
