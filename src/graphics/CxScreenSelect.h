// Choosing the screen at start-up.  In order, while none has opened:
//   1. the Direct3D screen, when the DirectX screens are allowed and
//      "Engine"/"UseDirect3D" is non-zero (windowed when it is 2);
//   2. the renderer screen ("DirectDraw"), when the DirectX screens are
//      allowed; it gets the application's palette and "UseSystemRAM";
//   3. the window-surface screen ("GDI") with the window's size and depth.
// A screen whose Open fails is discarded and the next one is tried; each
// failure is printed once with its reason.
#pragma once
#include "graphics/CxD3DScreen.h"
#include "graphics/CxScreenSurface.h"

class CxOptions;

enum CxScreenKind { SCREEN_NONE, SCREEN_DIRECT3D, SCREEN_DIRECTDRAW, SCREEN_DIB };

struct CxScreenSettings {
    bool allowDirectX = false;        // "Engine"/"UseDirectDraw"
    int32_t useDirect3D = 0;          // "Engine"/"UseDirect3D": 0 never, 2 windowed
    bool useSystemRAM = false;        // "Engine.DirectDraw"/"UseSystemRAM"
    CxD3DScreenSettings direct3D;     // "Engine.Direct3D"
};

CxScreenSettings ReadScreenSettings(CxOptions& options, bool allowDirectXDefault);

// The makers of the three screens; one left null is skipped.
struct CxScreenMakers {
    CxScreenSurface* (*direct3D)(const CxD3DScreenSettings& settings) = nullptr;
    CxScreenSurface* (*directDraw)(bool useSystemRAM) = nullptr;
    CxScreenSurface* (*dib)() = nullptr;
};
CxScreenMakers DefaultScreenMakers();

// The opened screen (owned by the caller) or null; `kind` says which.
CxScreenSurface* SelectScreen(const CxScreenSettings& settings, CxScreenOpenParams params, CxOSPalette* palette,
                              const CxScreenMakers& makers, CxScreenKind* kind);
