// The cycle's script engine: created in OpenCycle, destroyed in CloseCycle.
// The engine does not exist in this build yet, so a cycle runs without one.
#include "core/CxApp.h"

void CxApp::OpenScriptEngine() {}
void CxApp::CloseScriptEngine() {}
