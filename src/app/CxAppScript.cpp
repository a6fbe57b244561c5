// The cycle's script engine: created and set up in OpenCycle, destroyed in
// CloseCycle, so every cycle starts from an empty script state and closing it
// finalises every script object of the cycle before the next one begins.
#include "app/CxApp.h"
#include "app/CxAppWiring.h"
#include "events/CxEvent.h"
#include "script/CxLuaEngine.h"

void CxApp::OpenScriptEngine()
{
    CloseScriptEngine();
    scriptEngine_ = new CxLuaEngine(this);
    scriptEngine_->Init();
    WireScripts();
}

void CxApp::CloseScriptEngine()
{
    // Whatever channels are left belong to the closing cycle's scripts.
    if (scriptEngine_) CxEvent::DestroyAllChannels();
    UnwireScripts();
    delete scriptEngine_;
    scriptEngine_ = nullptr;
}
