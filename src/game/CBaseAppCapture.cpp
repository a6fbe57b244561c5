// Screen captures: the frame as the player sees it, saved as an image file.
#include "game/CBaseApp.h"

#include "game/world/C3DRoom.h"
#include "graphics/CxD3DDevice.h"
#include "graphics/CxScreenSurface.h"
#include "graphics/CxSurf.h"

#include <lua.hpp>
#include <cstring>

// A 3D room's frame is drawn once more, off the screen's presentation, and
// read back from the device; without a 3D scene the interface is all there
// is to see, so both captures take the screen's surface.
int CBaseApp::ScreenCapture(const char* path) { return Capture3D(path, false); }

namespace {
// A game running at 16 bits per pixel saves its captures at that depth, in
// the display's 16-bit layout, as it shows them.
int SaveCapture(CxDrawSurface& copy, int32_t depth, const char* path)
{
    int code = depth == 16 ? copy.ConvertTo(16, GetDisplay16BitFormat()) : 0;
    return code ? code : copy.Save(path);
}
}  // namespace

int CBaseApp::ScreenCaptureWithUI(const char* path) { return Capture3D(path, true); }

int CBaseApp::Capture3D(const char* path, bool withInterface)
{
    CxD3DDevice* device = GetD3DDevice();
    if (!path || !device || !GetCurrent3DRoom()) return CaptureSurface(path);
    bool overlay = overlayOn_;
    forceDisplay_ = true;
    overlayOn_ = withInterface;
    Render3DFrame(device);
    forceDisplay_ = false;
    overlayOn_ = overlay;
    GpuSurface* target = nullptr;
    GpuSurface* plain = nullptr;
    device->GetRenderTarget(0, &target);
    if (!target || device->CreateOffscreenPlainSurface(target->GetWidth(), target->GetHeight(), GPUFMT_A8R8G8B8,
                                                       GPUPOOL_SYSTEMMEM, &plain) != GPU_OK)
        return ReportError(ERR_DIRECTX, "Cannot read the frame back for \"%s\"", path);
    CxDrawSurface copy;
    int code = copy.Create(int32_t(target->GetWidth()), int32_t(target->GetHeight()), 32);
    GpuLockedRect locked;
    if (code == 0 && device->GetRenderTargetData(target, plain) == GPU_OK &&
        plain->LockRect(&locked, nullptr, GPULOCK_READONLY) == GPU_OK) {
        for (int32_t y = 0; y < copy.GetHeight(); ++y)
            for (int32_t x = 0; x < copy.GetWidth(); ++x) {
                uint32_t p;
                std::memcpy(&p, static_cast<uint8_t*>(locked.bits) + y * locked.pitch + x * 4, 4);
                copy.SetPixel(x, y, CxPixel(0xFF000000u | (p & 0xFFFFFFu)));   // the back buffer keeps no alpha
            }
        plain->UnlockRect();
        code = SaveCapture(copy, GetDepth(), path);
    } else if (code == 0) {
        code = ReportError(ERR_DIRECTX, "Cannot read the frame back for \"%s\"", path);
    }
    plain->Release();
    return code;
}

int CBaseApp::CaptureSurface(const char* path)
{
    auto* screen = dynamic_cast<CxScreenSurface*>(GetScreen());
    CxDrawSurface* frame = screen ? screen->GetSurface() : nullptr;
    if (!frame || !path) return ReportError(ERR_INVALID_ARGUMENT, "There is no frame to capture");
    CxDrawSurface copy;
    int code = copy.Create(frame->GetWidth(), frame->GetHeight(), 32);
    if (code == 0) code = frame->BltAt(&copy, 0, 0);
    if (code == 0) code = SaveCapture(copy, GetDepth(), path);
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
