#include "script/CxScriptApi.h"

int RegisterHeadlessScriptApi(CxLuaEngine& engine)
{
    int code = RegisterFileScriptFunctions(engine);
    if (code == 0) code = BindCxOptions(engine);
    return code;
}
