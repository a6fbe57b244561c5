#include "game/CVornDriver.h"

#include "app/CxWindowApp.h"
#include "core/KeyCode.h"
#include "files/QorFile.h"
#include "platform/os/PlatformSystem.h"
#include "platform/window/PlatformWindow.h"
#include "script/CxLuaEngine.h"

#include <cstdint>
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

// A key code as the window layer would deliver the key: the special keys
// (arrows, Home, End, Delete, F1 ...) as a key press and release, everything
// else (letters, Backspace, Tab, Return, Escape, with Control or Alt) as the
// character message that stands for it.
int PostKeyFn(lua_State* L)
{
    lua_Number number = luaL_checknumber(L, 1);
    if (!(number >= 0 && number <= lua_Number(UINT32_MAX))) return luaL_argerror(L, 1, "not a key code");
    KeyCode code = KeyCode(number);
    bool alt = (code & KEY_ALT) != 0 && code != KEY_CONTROL;
    PlatMessage message;
    message.altHeld = alt;
    if (uint32_t virtualKey = VirtualKeyOfSpecialKey(code)) {
        message.virtualKey = virtualKey;
        message.type = alt ? PMSG_SYSKEYDOWN : PMSG_KEYDOWN;
        PlatPostMessage(message);
        message.type = alt ? PMSG_SYSKEYUP : PMSG_KEYUP;
        PlatPostMessage(message);
        return 0;
    }
    KeyCode character = code & ~KeyCode(KEY_ALT);
    if (!alt && (character & KEY_CONTROL)) {
        character = (character & ~KeyCode(KEY_CONTROL)) - 64;
        message.controlHeld = true;
    }
    if (character == 0 || character > 255) return luaL_argerror(L, 1, "not a key code");
    message.type = alt ? PMSG_SYSCHAR : PMSG_CHAR;
    message.character = character;
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
