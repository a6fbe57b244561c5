#include "app/CxScriptApi.h"
#include "script/CxScriptApi.h"
#include "display/CxCursor.h"
#include "display/CxDialogRegistry.h"
#include "display/CxDisplayScript.h"
#include "display/CxTextScript.h"
#include "events/CxEventScriptFunctions.h"
#include "media/CxSoundServices.h"
#include "script/CxLuaEngine.h"

int RegisterHeadlessScriptApi(CxLuaEngine& engine, CxFileSystemList* fileSystems)
{
    int code = RegisterFileScriptFunctions(engine, fileSystems);
    if (code == 0) code = BindCxOptions(engine);
    if (code == 0) code = RegisterDisplayScriptApi(engine);
    if (code == 0) code = RegisterTextScriptApi(engine, &kCxSpriteScriptClass);
    if (code == 0) code = RegisterDialogScriptFunctions(engine);
    if (code == 0 && engine.GetState()) RegisterEventScriptFunctions(engine.GetState());
    if (code == 0 && engine.GetState()) RegisterCursorScriptFunctions(engine.GetState());
    if (code == 0) code = RegisterSoundScriptApi(engine);
    return code;
}
