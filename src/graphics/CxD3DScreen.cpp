#include "graphics/CxD3DScreen.h"
#include "graphics/CxD3DDevice.h"
#include "graphics/CxD3DRenderTarget.h"
#include "graphics/CxPal.h"
#include "platform/window/PlatformCursor.h"
#include "platform/window/PlatformWindow.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr int kCursorSize = 32;
constexpr int kCursorIdBase = 0x4000;   // apart from the ids the cursor module gives its system cursors
}  // namespace

CxD3DScreen::~CxD3DScreen() { Close(); }

int CxD3DScreen::OpenFailed(int code, const char* reason)
{
    static char lastReason[256];
    if (std::strncmp(lastReason, reason, sizeof lastReason - 1) != 0) {   // the fallback tries again each cycle
        std::strncpy(lastReason, reason, sizeof lastReason - 1);
        Print("The 3D screen could not open: %s\n", reason);
    }
    Close();
    return errorCode_ = code;
}

// ---------------------------------------------------------------- opening
int CxD3DScreen::Open(const CxScreenOpenParams& params)
{
    Close();
    errorCode_ = 0;
    window_ = params.window;
    windowed_ = params.windowed;
    if (!PlatWindowExists()) return OpenFailed(ERR_DIRECTX, "there is no window");
    if (params.width <= 0 || params.height <= 0) return OpenFailed(ERR_DIRECTX, "the size is empty");
    int32_t desktopW = 0, desktopH = 0, displayDepth = 32;
    PlatDesktopSize(&desktopW, &desktopH, &displayDepth);
    int depth = params.depth < 1 ? displayDepth : params.depth;

    present_ = GpuPresentParams{};
    present_.width = uint32_t(params.width);
    present_.height = uint32_t(params.height);
    present_.windowed = windowed_;
    present_.depthStencilFormat = settings_.autoDepthStencilFormat == GPUFMT_D24S8 ? GPUFMT_D24S8 : GPUFMT_D16;
    present_.refreshRate = windowed_ ? 0 : uint32_t(std::max(0, std::min(params.refreshRate, settings_.maxRefreshRate)));
    if (!windowed_ && !PlatWindowSetFullScreen(true)) return OpenFailed(ERR_DIRECTX, "full screen was refused");
    device_ = GpuCreateDevice(present_);
    if (!device_) return OpenFailed(ERR_DIRECTX, GpuLastError());

    GpuCaps caps;
    device_->GetCaps(&caps);
    uint32_t samples = uint32_t(std::max(0, settings_.multiSampleType));
    if (settings_.allowFullScreenAntiAlias && samples > 1 && samples <= caps.maxSamples) {
        present_.multiSampleType = samples;
        present_.multiSampleQuality = 0;   // one quality level per type here: the clamp leaves 0
        if (device_->Reset(present_) != GPU_OK) {
            present_.multiSampleType = 0;
            device_->Reset(present_);
        }
    }
    d3d_ = new CxD3DDevice(device_);
    SetTextureSurfaceDevice(d3d_);

    uint8_t format = PIXFMT_RGB888;
    if (displayDepth == 16) SetDisplay16BitFormat(PIXFMT_565);
    if (depth == 16) {
        format = PIXFMT_565;
        SetDisplay16BitFormat(PIXFMT_565);   // pictures loaded from now on match the screen
    } else if (depth <= 8 && IsValidDepth(depth)) {
        format = PIXFMT_INDEXED;
    } else {
        depth = 32;                          // 24-bit displays are shown from 32-bit pixels
    }
    if (surface_.Create(params.width, params.height, depth, -1, nullptr, format) != 0)
        return OpenFailed(ERR_DIRECTX, "the drawing surface could not be made");
    std::memset(surface_.GetBits(), 0, size_t(surface_.GetPitch()) * size_t(surface_.GetHeight()));
    if (palette_) SetPalette(palette_);
    blitter_ = new CxD3DRenderTarget(d3d_, params.width, params.height, CxSize{params.width, params.height}, 32);
    d3d_->Clear(0, nullptr, GPUCLEAR_TARGET | GPUCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    redrawAll_ = true;
    lost_ = false;
    installedCursor_ = -1;
    lastCursor_ = CxRect{};
    return 0;
}

void CxD3DScreen::Close()
{
    delete blitter_;
    blitter_ = nullptr;
    surface_.Destroy();
    if (GetTextureSurfaceDevice() == d3d_) SetTextureSurfaceDevice(nullptr);
    delete d3d_;
    d3d_ = nullptr;
    if (device_) {
        delete device_;
        device_ = nullptr;
        if (!windowed_) PlatWindowSetFullScreen(false);
    }
    lost_ = false;
}

int CxD3DScreen::Reset()
{
    if (!device_) return ERR_DIRECTX;
    if (device_->Reset(present_) != GPU_OK) return ERR_DIRECTX;
    d3d_->ReapplyStates();   // the device is back at its defaults; the cache is not
    lost_ = false;
    redrawAll_ = true;
    installedCursor_ = -1;
    lastCursor_ = CxRect{};
    return 0;
}

void CxD3DScreen::SetPalette(CxOSPalette* palette)
{
    palette_ = palette;
    if (!palette_ || surface_.GetDepth() > 8 || !surface_.IsCreated()) return;
    surface_.SetPalette(palette_->GetBytes(), palette_->GetEntryCount() * 3);
    redrawAll_ = true;
}

int CxD3DScreen::EnumDisplayModes(CxDisplayModeCallback callback, void* user)
{
    return EnumSystemDisplayModes(callback, user);
}

// ---------------------------------------------------------------- the cursor
void CxD3DScreen::SetCursor(const CxCursorPicture& cursor)
{
    bool newPicture = cursor.id != cursor_.id || cursor.image != cursor_.image || !(cursor.frame == cursor_.frame);
    cursor_ = cursor;
    if (newPicture) installedCursor_ = -1;
    if (installedCursor_ != cursor_.id && cursor_.image) systemCursor_ = InstallSystemCursor();
    if (systemCursor_) PlatShowSystemCursor(!cursor_.hidden);
}

// The frame as a 32 × 32 A8R8G8B8 picture, alpha 255 where the image is not
// transparent, installed as the system cursor.
bool CxD3DScreen::InstallSystemCursor()
{
    installedCursor_ = cursor_.id;
    const CxDrawSurface& image = *cursor_.image;
    uint32_t pixels[kCursorSize * kCursorSize] = {};
    CxPixel transparent = image.GetTransparentColor();
    for (int y = 0; y < kCursorSize && y < cursor_.frame.Height(); ++y)
        for (int x = 0; x < kCursorSize && x < cursor_.frame.Width(); ++x) {
            int32_t sx = cursor_.frame.left + x, sy = cursor_.frame.top + y;
            if (sx < 0 || sy < 0 || sx >= image.GetWidth() || sy >= image.GetHeight()) continue;
            CxPixel raw = image.GetPixel(sx, sy);
            if (raw == transparent) continue;
            int a, r, g, b;
            image.DecodePixel(raw, a, r, g, b);
            if (image.GetDepth() < 32) a = 255;
            pixels[y * kCursorSize + x] = uint32_t(a) << 24 | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
        }
    int id = kCursorIdBase + cursor_.id;
    return PlatCursorDefineImage(id, pixels, kCursorSize, kCursorSize, cursor_.hotSpot.x, cursor_.hotSpot.y) &&
           PlatCursorSetImage(id);
}

// Without a system cursor the picture is drawn into the surface for the
// moment of drawing that rectangle, then the pixels under it are put back;
// the next present draws that rectangle again from the surface.
void CxD3DScreen::ShowCursorPicture()
{
    lastCursor_ = CxRect{};
    if (systemCursor_ || !cursor_.image || cursor_.hidden) return;
    CxPoint at{cursor_.position.x - cursor_.hotSpot.x, cursor_.position.y - cursor_.hotSpot.y};
    CxRect area{at.x, at.y, at.x + cursor_.frame.Width() - 1, at.y + cursor_.frame.Height() - 1}, shown;
    if (!surface_.ClipToSurface(&area, shown)) return;
    CxDrawSurface* under = surface_.CreateCopy(&shown);
    if (!under) return;
    auto* image = const_cast<CxDrawSurface*>(cursor_.image);
    BltEffects alpha{BLT_EFFECT_ALPHA};
    image->BltAt(&surface_, at.x, at.y, &cursor_.frame, image->GetTransparentColor(),
                 image->GetDepth() == 32 ? &alpha : nullptr);
    surface_.MarkDirty(shown);
    blitter_->DrawSurfaceInto(&surface_, &shown, &shown, CX_NO_COLOR, nullptr);
    under->BltAt(&surface_, shown.left, shown.top, nullptr, CX_NO_COLOR, nullptr);
    delete under;
    lastCursor_ = shown;
}

void CxD3DScreen::UpdateCursor()
{
    if (systemCursor_ || !cursor_.image) return;
    CxLinkedList<CxRect> none;
    Present(&none);
}

// ---------------------------------------------------------------- presenting
int CxD3DScreen::Present(const CxLinkedList<CxRect>* rects)
{
    if (!device_) return errorCode_ ? errorCode_ : ERR_DIRECTX;
    if (lost_) {
        int level = device_->TestCooperativeLevel();
        if (level == GPU_ERR_DEVICE_NOT_RESET) return ERR_D3D_NOT_RESET;
        if (level != GPU_OK) return 0;   // still lost: show nothing
        lost_ = false;
    }
    CxLinkedList<CxRect> areas;
    CxRect clipped;
    if (surfaceShown_) {
        if (!rects || redrawAll_) areas.AddTail(surface_.GetRect());
        for (auto* node = rects && !redrawAll_ ? rects->GetHead() : nullptr; node; node = node->next)
            if (surface_.ClipToSurface(&node->value, clipped)) areas.AddTail(clipped);
        if (!lastCursor_.IsEmpty() && surface_.ClipToSurface(&lastCursor_, clipped)) areas.AddTail(clipped);
    }
    bool drawnCursor = !systemCursor_ && cursor_.image && !cursor_.hidden;
    if (surfaceShown_ && areas.IsEmpty() && !drawnCursor && lastCursor_.IsEmpty()) return 0;
    redrawAll_ = false;

    d3d_->BeginScene();
    blitter_->BeginDraw();
    for (auto* node = areas.GetHead(); node; node = node->next) {
        surface_.MarkDirty(node->value);
        blitter_->DrawSurfaceInto(&surface_, &node->value, &node->value, CX_NO_COLOR, nullptr);
    }
    ShowCursorPicture();
    blitter_->EndDraw();
    d3d_->EndScene();
    if (device_->Present(nullptr) == GPU_ERR_DEVICE_LOST) lost_ = true;
    return 0;
}
