#include "script/CxScriptApi.h"
#include "display/CxCursor.h"
#include "events/CxEventScriptFunctions.h"
#include "script/CxLuaEngine.h"

int RegisterHeadlessScriptApi(CxLuaEngine& engine, CxFileSystemList* fileSystems)
{
    int code = RegisterFileScriptFunctions(engine, fileSystems);
    if (code == 0) code = BindCxOptions(engine);
    if (code == 0 && engine.GetState()) RegisterEventScriptFunctions(engine.GetState());
    if (code == 0 && engine.GetState()) RegisterCursorScriptFunctions(engine.GetState());
    return code;
}
