// Texture surfaces: surfaces whose pixels are also a device texture, so the
// 3D screen and the 3D world can draw them directly.
//
// The pixels live in the surface's own memory as for any surface, and every
// pixel operation works on them unchanged; the texture is made when it is
// first asked for (GetTexture, error ERR_DIRECTX when the device cannot make
// it) and receives changes on the next GetTexture:
//  - by default the whole surface is sent after any locked change (every
//    blit and drawing operation locks);
//  - with SetDirtyByCaller the caller reports the changed rectangles with
//    MarkDirty, and only those are sent (the overlay's staging surface).
// Formats: 32-bit surfaces give A8R8G8B8 (X8R8G8B8 when opaque), 16-bit
// 5-6-5, 5-5-5 and 4-4-4-4 surfaces their own layouts; other depths are
// converted to A8R8G8B8 as they are sent.
//
// Textures are made on the device given to SetTextureSurfaceDevice (the 3D
// screen sets it while open).  ReleaseTexture gives the texture back before
// a device reset; the next GetTexture makes it again from the pixels.
#pragma once
#include "graphics/CxSurf.h"

class CxD3DDevice;
class GpuSurface;

void SetTextureSurfaceDevice(CxD3DDevice* device);
CxD3DDevice* GetTextureSurfaceDevice();

class CxTextureSurface : public CxDrawSurface {
public:
    CxTextureSurface() = default;
    ~CxTextureSurface() override;

    int  Create(int32_t width, int32_t height, int depth, int32_t pitch = -1, void* buffer = nullptr,
                uint8_t format = PIXFMT_DEFAULT) override;
    void Destroy() override;
    // Reads the image into a plain surface, takes its size, depth and format
    // and blits it in.
    int  Load(const char* path, uint32_t option = 0) override;
    void Unlock() override;
    GpuTexture* GetTexture() override;

    void SetDirtyByCaller(bool on) { dirtyByCaller_ = on; }
    void MarkDirty(const CxRect& rect);
    void SetOpaque(bool on) { opaque_ = on; }
    void ReleaseTexture();
    uint32_t GetTextureFormat() const;
    bool HasTexture() const { return texture_ != nullptr; }

protected:
    virtual int MakeTexture(CxD3DDevice* device);
    virtual bool SendsPixels() const { return true; }
    int  SendRect(const CxRect& rect);

    GpuTexture* texture_ = nullptr;
    CxRect pending_;                 // the bounding box of what is still to send
    bool dirtyByCaller_ = false;
    bool opaque_ = false;
};

// A texture the device can also draw into (a render-target texture).  What
// the device draws stays on the device, and the pixels in memory are never
// sent: they are only the surface's size and format.
class CxTextureTarget : public CxTextureSurface {
public:
    CxTextureTarget() { dirtyByCaller_ = true; }
    GpuSurface* GetTargetSurface();   // level 0 of the texture, to set as render target

protected:
    int MakeTexture(CxD3DDevice* device) override;
    bool SendsPixels() const override { return false; }
};

// A texture surface through the process-wide NewSurface routine, so that
// hooks installed around it see it as any other surface.
CxDrawSurface* NewTextureSurface();
