// The window and 3D device a frame benchmark draws on: SDL's offscreen
// driver (Mesa's software renderer when headless) unless the caller chose
// another, and the device made the one texture surfaces use.
#pragma once
#include "graphics/CxD3DDevice.h"
#include "graphics/CxTextureSurface.h"
#include "platform/gpu/GpuDevice.h"
#include "platform/window/PlatformWindow.h"

#include <cstdlib>

// False (with nothing made) when there is no window or no OpenGL.
inline bool OpenBenchDevice(const char* title, int width, int height, GpuDevice** device, CxD3DDevice** d3d)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    PlatWindowDesc desc;
    desc.width = width, desc.height = height, desc.title = title;
    if (!PlatWindowCreate(desc)) return false;
    GpuPresentParams params;
    params.width = width, params.height = height;
    if (!(*device = GpuCreateDevice(params))) return false;
    *d3d = new CxD3DDevice(*device);
    SetTextureSurfaceDevice(*d3d);
    return true;
}
