// Screen captures: the frame as the player sees it, saved as an image file.
#include "game/CBaseApp.h"

#include "graphics/CxScreenSurface.h"
#include "graphics/CxSurf.h"

#include <lua.hpp>

// Without a 3D scene the interface is all there is to see, so both captures
// take the whole frame.
int CBaseApp::ScreenCapture(const char* path) { return ScreenCaptureWithUI(path); }

int CBaseApp::ScreenCaptureWithUI(const char* path)
{
    auto* screen = dynamic_cast<CxScreenSurface*>(GetScreen());
    CxDrawSurface* frame = screen ? screen->GetSurface() : nullptr;
    if (!frame || !path) return ReportError(ERR_INVALID_ARGUMENT, "There is no frame to capture");
    CxDrawSurface copy;
    int code = copy.Create(frame->GetWidth(), frame->GetHeight(), 32);
    if (code == 0) code = frame->BltAt(&copy, 0, 0);
    if (code == 0) code = copy.Save(path);
    return code;
}

namespace {
int CaptureWith(lua_State* L, bool withInterface)
{
    if (lua_type(L, 1) != LUA_TSTRING) luaL_argerror(L, 1, "bad argument");
    CBaseApp* app = CBaseApp::Get();
    int code = ERR_INVALID_ARGUMENT;
    if (app) code = withInterface ? app->ScreenCaptureWithUI(lua_tostring(L, 1)) : app->ScreenCapture(lua_tostring(L, 1));
    lua_pushnumber(L, code);
    return 1;
}
}  // namespace

int ScreenCaptureFn(lua_State* L) { return CaptureWith(L, false); }
int ScreenCaptureWithUIFn(lua_State* L) { return CaptureWith(L, true); }
