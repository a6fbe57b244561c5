#include "script/CxScriptApi.h"

int RegisterHeadlessScriptApi(CxLuaEngine& engine, CxFileSystemList* fileSystems)
{
    int code = RegisterFileScriptFunctions(engine, fileSystems);
    if (code == 0) code = BindCxOptions(engine);
    return code;
}
