// The cycle's script engine: created and set up in OpenCycle, destroyed in
// CloseCycle, so every cycle starts from an empty script state and closing it
// finalises every script object of the cycle before the next one begins.
#include "core/CxApp.h"
#include "script/CxLuaEngine.h"

void CxApp::OpenScriptEngine()
{
    CloseScriptEngine();
    scriptEngine_ = new CxLuaEngine(this);
    scriptEngine_->Init();
}

void CxApp::CloseScriptEngine()
{
    delete scriptEngine_;
    scriptEngine_ = nullptr;
}
