#include "graphics/CxTextureSurface.h"
#include "graphics/CxD3DDevice.h"

#include <algorithm>
#include <cstring>

namespace {
CxD3DDevice* gTextureDevice = nullptr;

CxDrawSurface* MakeTextureSurface() { return new CxTextureSurface; }

CxRect Union(const CxRect& a, const CxRect& b)
{
    if (a.IsEmpty()) return b;
    if (b.IsEmpty()) return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}
}  // namespace

void SetTextureSurfaceDevice(CxD3DDevice* device) { gTextureDevice = device; }
CxD3DDevice* GetTextureSurfaceDevice() { return gTextureDevice; }

CxDrawSurface* NewTextureSurface()
{
    CxNewSurfaceHook previous = SetNewSurfaceHook(MakeTextureSurface);
    CxDrawSurface* surface = NewSurface();
    SetNewSurfaceHook(previous);
    return surface;
}

CxTextureSurface::~CxTextureSurface() { ReleaseTexture(); }

int CxTextureSurface::Create(int32_t width, int32_t height, int depth, int32_t pitch, void* buffer, uint8_t format)
{
    int result = CxDrawSurface::Create(width, height, depth, pitch, buffer, format);
    if (result == 0 && !dirtyByCaller_) pending_ = GetRect();
    return result;
}

void CxTextureSurface::Destroy()
{
    ReleaseTexture();
    pending_ = CxRect{};
    CxDrawSurface::Destroy();
}

void CxTextureSurface::ReleaseTexture()
{
    if (texture_) texture_->Release();
    texture_ = nullptr;
    if (IsCreated()) pending_ = GetRect();   // a new texture starts from the pixels
}

int CxTextureSurface::Load(const char* path, uint32_t option)
{
    CxDrawSurface image;
    if (int code = image.Load(path, option)) return errorCode_ = code;   // the plain surface reported it
    if (int code = Create(image.GetWidth(), image.GetHeight(), image.GetDepth(), -1, nullptr, image.GetPixelFormat()))
        return code;
    if (image.GetDepth() <= 8) SetPalette(image.GetPalette());
    image.BltAt(this, 0, 0, nullptr, CX_NO_COLOR, nullptr);
    SetTransparentColor(image.GetTransparentColor());
    SetName(path);
    return 0;
}

void CxTextureSurface::Unlock()
{
    CxDrawSurface::Unlock();
    if (!dirtyByCaller_ && lockCount_ == 0 && IsCreated()) pending_ = GetRect();
}

void CxTextureSurface::MarkDirty(const CxRect& rect)
{
    CxRect clipped;
    if (ClipToSurface(&rect, clipped)) pending_ = Union(pending_, clipped);
}

uint32_t CxTextureSurface::GetTextureFormat() const
{
    if (depth_ == 16 && format_ == PIXFMT_565) return GPUFMT_R5G6B5;
    if (depth_ == 16 && format_ == PIXFMT_555) return GPUFMT_X1R5G5B5;
    if (depth_ == 16 && format_ == PIXFMT_4444) return GPUFMT_A4R4G4B4;
    return opaque_ ? GPUFMT_X8R8G8B8 : GPUFMT_A8R8G8B8;
}

int CxTextureSurface::MakeTexture(CxD3DDevice* device)
{
    return device->CreateTexture(uint32_t(width_), uint32_t(height_), 1, 0, GetTextureFormat(), GPUPOOL_MANAGED,
                                 &texture_);
}

GpuTexture* CxTextureSurface::GetTexture()
{
    if (InError() || !IsCreated() || width_ <= 0 || height_ <= 0) return nullptr;
    if (!texture_) {
        CxD3DDevice* device = gTextureDevice;
        if (!device || MakeTexture(device) != GPU_OK || !texture_) {
            texture_ = nullptr;
            Error(ERR_DIRECTX, "Could not create a texture of %ld x %ld", long(width_), long(height_));
            return nullptr;
        }
        pending_ = GetRect();
    }
    if (!pending_.IsEmpty() && SendsPixels()) {
        SendRect(pending_);
        pending_ = CxRect{};
    }
    return texture_;
}

// Copies a rectangle of the pixels into the texture's memory; unlocking the
// texture sends that rectangle alone.
int CxTextureSurface::SendRect(const CxRect& r)
{
    if (!bits_) return 0;
    GpuRect area{r.left, r.top, r.right + 1, r.bottom + 1};
    GpuLockedRect locked;
    if (texture_->LockRect(0, &locked, &area, 0) != GPU_OK) return ERR_DIRECTX;
    uint32_t format = texture_->GetFormat();
    bool same = (format == GPUFMT_A8R8G8B8 || format == GPUFMT_X8R8G8B8) ? depth_ == 32 && format_ == PIXFMT_RGB888
                                                                          : depth_ == 16;
    int32_t w = r.Width();
    for (int32_t y = r.top; y <= r.bottom; ++y) {
        uint8_t* out = static_cast<uint8_t*>(locked.bits) + size_t(y - r.top) * locked.pitch;
        if (same) {
            std::memcpy(out, GetPixelAddress(r.left, y), size_t(w) * (depth_ / 8));
            continue;
        }
        auto* words = reinterpret_cast<uint32_t*>(out);
        for (int32_t x = 0; x < w; ++x) {
            int a, red, green, blue;
            DecodePixel(GetPixel(r.left + x, y), a, red, green, blue);
            words[x] = uint32_t(a) << 24 | uint32_t(red) << 16 | uint32_t(green) << 8 | uint32_t(blue);
        }
    }
    texture_->UnlockRect(0);
    return 0;
}

// ---------------------------------------------------------------- render-target textures
int CxTextureTarget::MakeTexture(CxD3DDevice* device)
{
    return device->CreateTexture(uint32_t(width_), uint32_t(height_), 1, GPUUSAGE_RENDERTARGET,
                                 opaque_ ? GPUFMT_X8R8G8B8 : GPUFMT_A8R8G8B8, GPUPOOL_DEFAULT, &texture_);
}

GpuSurface* CxTextureTarget::GetTargetSurface()
{
    GpuTexture* texture = GetTexture();
    return texture ? texture->GetSurfaceLevel(0) : nullptr;
}
