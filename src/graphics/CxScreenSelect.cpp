#include "graphics/CxScreenSelect.h"
#include "core/CxOptions.h"
#include "graphics/CxScreenSoftware.h"
#include "platform/window/PlatformWindow.h"

#include <cstring>

namespace {
CxScreenSurface* MakeDirectDraw(bool useSystemRAM)
{
    auto* screen = new CxDirectDrawScreen;
    screen->SetUseSystemRAM(useSystemRAM);
    return screen;
}

CxScreenSurface* MakeDib() { return new CxDibScreen; }

CxScreenSurface* MakeD3D(const CxD3DScreenSettings& settings) { return new CxD3DScreen(settings); }

// The screen when it opened, else null (a failed one is deleted).
CxScreenSurface* TryOpen(CxScreenSurface* screen, const char* name, const CxScreenOpenParams& params,
                         CxOSPalette* palette)
{
    if (!screen) {
        ReportError(ERR_UNKNOWN, "Could not create a %s", name);
        return nullptr;
    }
    if (palette) screen->SetPalette(palette);
    if (screen->Open(params) == 0) return screen;
    static char printed[3][64];   // one line per screen and reason; the 3D screen prints its own
    int slot = name[2] == 'D' ? 0 : name[2] == 'i' ? 1 : 2;
    if (slot != 0 && std::strncmp(printed[slot], PlatLastError(), sizeof printed[slot] - 1) != 0) {
        std::strncpy(printed[slot], PlatLastError(), sizeof printed[slot] - 1);
        Print("%s could not open: %s\n", name, PlatLastError());
    }
    delete screen;
    return nullptr;
}
}  // namespace

CxScreenSettings ReadScreenSettings(CxOptions& options, bool allowDirectXDefault)
{
    CxScreenSettings settings;
    settings.allowDirectX = options.ReadInt("Engine", "UseDirectDraw", allowDirectXDefault ? 1 : 0) != 0;
    settings.useDirect3D = options.ReadInt("Engine", "UseDirect3D", 0);
    settings.useSystemRAM = options.ReadInt("Engine.DirectDraw", "UseSystemRAM", 0) != 0;
    CxD3DScreenSettings& d3d = settings.direct3D;
    d3d.maxRefreshRate = options.ReadInt("Engine.Direct3D", "MaxRefreshRate", 99999);
    d3d.multiSampleType = options.ReadInt("Engine.Direct3D", "MultiSampleType", 2);
    d3d.allowFullScreenAntiAlias = options.ReadInt("Engine.Direct3D", "AllowFullScreenAntiAlias", 0) != 0;
    d3d.multiSampleQuality = options.ReadInt("Engine.Direct3D", "MultiSampleQuality", 0);
    d3d.autoDepthStencilFormat = options.ReadInt("Engine.Direct3D", "AutoDepthStencilFormat", GPUFMT_D16);
    return settings;
}

CxScreenMakers DefaultScreenMakers()
{
    CxScreenMakers makers;
    makers.direct3D = MakeD3D;
    makers.directDraw = MakeDirectDraw;
    makers.dib = MakeDib;
    return makers;
}

CxScreenSurface* SelectScreen(const CxScreenSettings& settings, CxScreenOpenParams params, CxOSPalette* palette,
                              const CxScreenMakers& makers, CxScreenKind* kind)
{
    CxScreenSurface* screen = nullptr;
    CxScreenKind chosen = SCREEN_NONE;
    if (settings.allowDirectX && settings.useDirect3D != 0 && makers.direct3D) {
        CxScreenOpenParams d3d = params;
        d3d.windowed = settings.useDirect3D == 2;
        if ((screen = TryOpen(makers.direct3D(settings.direct3D), "CxD3DScreen", d3d, palette))) chosen = SCREEN_DIRECT3D;
    }
    if (!screen && settings.allowDirectX && makers.directDraw) {
        if ((screen = TryOpen(makers.directDraw(settings.useSystemRAM), "CxDirectDrawScreen", params, palette)))
            chosen = SCREEN_DIRECTDRAW;
    }
    if (!screen && makers.dib) {
        params.windowed = true;
        if ((screen = TryOpen(makers.dib(), "CxDibScreen", params, palette))) chosen = SCREEN_DIB;
    }
    if (kind) *kind = chosen;
    return screen;
}
