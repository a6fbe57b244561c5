// The 3D screen: the main window's OpenGL device (platform/gpu), its
// CxD3DDevice wrapper, and a drawing surface the display tree paints into.
//
// Presenting copies the listed rectangles of the surface into the back
// buffer (each rectangle sent to its texture and drawn as one quad; the
// back buffer keeps its pixels between frames, so nothing else is drawn),
// shows the cursor and presents the whole back buffer.  When the 3D world
// draws the frame itself and paints the 2D interface through a
// CxD3DRenderTarget, it turns the surface copy off (SetSurfaceShown) and
// Present only shows the cursor and presents.
//
// Lost and not-reset: while the window is minimised the device is lost and
// Present shows nothing; once it can be reset Present answers
// ERR_D3D_NOT_RESET, the application releases its device objects, calls
// Reset, restores them and calls ReapplyStates on the wrapper.
//
// The cursor: the caller hands the current cursor picture to SetCursor
// (each frame, or when it changes).  It is installed as the system cursor
// (32 × 32, alpha 255 where the picture is not transparent) when the
// platform can, otherwise drawn at each present the way the software
// screens draw it: into the surface for the moment of drawing, with the
// pixels under it put back.
//
// Open reads nothing itself: the "Engine.Direct3D" settings arrive in
// CxD3DScreenSettings.  Failures keep their code and are printed once per
// reason, since the next screen in the fallback order is tried anyway.
#pragma once
#include "graphics/CxScreenSurface.h"
#include "graphics/CxTextureSurface.h"
#include "platform/gpu/GpuDevice.h"

class CxD3DDevice;
class CxD3DRenderTarget;

struct CxD3DScreenSettings {
    int32_t maxRefreshRate = 99999;
    int32_t multiSampleType = 2;
    bool allowFullScreenAntiAlias = false;
    int32_t multiSampleQuality = 0;
    int32_t autoDepthStencilFormat = GPUFMT_D16;
};

// The surface of the 3D screen: pixels in memory, sent to a texture by
// rectangles as they are presented.
class CxD3DDrawSurface : public CxTextureSurface {
public:
    CxD3DDrawSurface()
    {
        SetDirtyByCaller(true);
        SetOpaque(true);
    }
};

// The cursor picture: the image (not owned), the frame of it to show, the
// hot spot, the position of the pointer in the surface's coordinates.
struct CxCursorPicture {
    int32_t id = -1;                 // a new id installs a new system cursor
    const CxDrawSurface* image = nullptr;   // null: no cursor of ours
    CxRect frame;
    CxPoint hotSpot, position;
    bool hidden = false;
};

class CxD3DScreen : public CxScreenSurface {
public:
    CxD3DScreen() = default;
    explicit CxD3DScreen(const CxD3DScreenSettings& settings) : settings_(settings) {}
    ~CxD3DScreen() override;

    int  EnumDisplayModes(CxDisplayModeCallback callback, void* user) override;
    int  Present(const CxLinkedList<CxRect>* rects) override;
    int  Open(const CxScreenOpenParams& params) override;
    void Close() override;
    int  Reset() override;
    CxDrawSurface* GetSurface() override { return &surface_; }
    CxPixel MakeColor(int red, int green, int blue) const override { return surface_.MakeColor(red, green, blue); }
    void SetPalette(CxOSPalette* palette) override;
    CxOSPalette* GetPalette() const override { return palette_; }
    void SetWindow(void* handle) override { window_ = handle; }
    void UpdateCursor() override;
    bool IsExclusive() const override { return !windowed_; }

    CxD3DDevice* GetD3DDevice() const { return d3d_; }
    GpuDevice* GetDevice() const { return device_; }
    const GpuPresentParams& GetPresentParams() const { return present_; }
    bool IsLost() const { return lost_; }
    void SetSurfaceShown(bool shown) { surfaceShown_ = shown; }
    void SetCursor(const CxCursorPicture& cursor);
    bool HasSystemCursor() const { return systemCursor_; }

private:
    int  OpenFailed(int code, const char* reason);
    void ShowCursorPicture();
    bool InstallSystemCursor();

    CxD3DScreenSettings settings_;
    CxD3DDrawSurface surface_;
    GpuDevice* device_ = nullptr;        // owned
    CxD3DDevice* d3d_ = nullptr;         // owned
    CxD3DRenderTarget* blitter_ = nullptr;   // draws the surface's rectangles, owned
    GpuPresentParams present_;
    CxOSPalette* palette_ = nullptr;     // not owned
    void* window_ = nullptr;
    bool windowed_ = true, lost_ = false, redrawAll_ = false, surfaceShown_ = true;
    CxCursorPicture cursor_;
    int32_t installedCursor_ = -1;       // the id of the system cursor made last
    bool systemCursor_ = false;
    CxRect lastCursor_;                  // where the drawn cursor was
};
