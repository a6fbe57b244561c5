#include "game/CVornDriver.h"

#include "files/QorFile.h"
#include "platform/os/PlatformSystem.h"
#include "platform/window/PlatformWindow.h"
#include "script/CxLuaEngine.h"

#include <cstring>
#include <lua.hpp>

namespace {
bool gDriving = false;

int PostMouseFn(lua_State* L)
{
    const char* kind = luaL_checkstring(L, 1);
    PlatMessage message;
    if (!strcmp(kind, "move")) message.type = PMSG_MOUSEMOVE;
    else if (!strcmp(kind, "down")) message.type = PMSG_LBUTTONDOWN, message.keyState = PMK_LBUTTON;
    else if (!strcmp(kind, "up")) message.type = PMSG_LBUTTONUP;
    else return luaL_argerror(L, 1, "bad argument");
    message.x = int32_t(luaL_checknumber(L, 2));
    message.y = int32_t(luaL_checknumber(L, 3));
    PlatPostMessage(message);
    return 0;
}

// Printable characters arrive as character messages, everything else as
// the key itself.
int PostKeyFn(lua_State* L)
{
    uint32_t code = uint32_t(luaL_checknumber(L, 1));
    PlatMessage message;
    if (code >= 32 && code < 127) {
        message.type = PMSG_CHAR;
        message.character = code;
    } else {
        message.type = PMSG_KEYDOWN;
        message.virtualKey = code;
    }
    PlatPostMessage(message);
    return 0;
}
}  // namespace

bool StartDriver(CxLuaEngine& engine)
{
    const char* path = PlatGetEnv("VORN_DRIVER");
    gDriving = path && *path;
    if (!gDriving) return false;
    engine.RegisterFunction("PostMouse", PostMouseFn);
    engine.RegisterFunction("PostKey", PostKeyFn);
    engine.RunFile(CxString::FormatNew("<DEFAULT>%s", path).Text());
    return true;
}

void RunDriverFrame(CxLuaEngine& engine)
{
    if (gDriving) engine.RunString("if VornDriverFrame then VornDriverFrame() end");
}
