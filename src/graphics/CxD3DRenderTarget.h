// The 2D overlay pass: the render target through which the display tree
// paints its dirty rectangles onto the 3D back buffer.
//
// Every blit becomes one textured quad.  A texture surface is drawn from its
// own texture (its alpha decides what shows; the transparent colour and the
// effects other than "hidden" do not apply).  Any other surface is first
// blitted, with its transparent colour and effects, into the staging
// surface: a texture surface of the internal size and display depth, whose
// changed rectangles alone are sent to the device; then that region of the
// staging texture is drawn.  The staging surface keeps its pixels between
// frames, so only what is repainted is blitted again.  A 32-bit alpha blit
// of a 32-bit picture is copied in with its alpha, on a transparent ground,
// and blended by the device; every other blit is opaque where it lands.
// The quads blend source over: colour by the source alpha, and the
// target's alpha becomes a + d(1 - a).
//
// Rectangles arrive in the coordinates of the internal size (the size the
// display tree paints at) and are scaled to the target size (the client
// size) in integer arithmetic, truncating toward zero.
//
// The quad's placement keeps texel centres on pixel centres: the unit quad
// is flipped in y, scaled to the destination and moved by half a pixel
// under an orthographic projection of the target size.
#pragma once
#include "foundation/CxObject.h"
#include "graphics/CxSurf.h"

class CxD3DDevice;
class CxTextureSurface;
class GpuTexture;
class GpuVertexBuffer;

class CxD3DRenderTarget : public CxRenderTarget, public CxObject {
public:
    // The target size is the client size; the internal size and depth are
    // those of the staging surface (the target size and 32 when not given).
    CxD3DRenderTarget(CxD3DDevice* device, int32_t width, int32_t height, CxSize internalSize = {0, 0},
                      int displayDepth = 32);
    ~CxD3DRenderTarget() override;

    int  DrawSurfaceAt(CxSurfaceBase* source, int32_t x, int32_t y, const CxRect* sourceRect, CxPixel transparent,
                       const BltEffects* effects) override;
    int  DrawSurfaceInto(CxSurfaceBase* source, const CxRect* destinationRect, const CxRect* sourceRect,
                         CxPixel transparent, const BltEffects* effects) override;
    void BeginDraw() override;
    void EndDraw() override;
    int32_t GetTargetWidth() const override { return width_; }
    int32_t GetTargetHeight() const override { return height_; }
    CxPixel MakeColor(int red, int green, int blue) const override;
    void DrawLine(CxPoint from, CxPoint to, CxPixel color) override { DrawLine(from.x, from.y, to.x, to.y, color); }
    void DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, CxPixel color) override;
    // The staging surface: what was last blitted at each place, so a text
    // without a ground keeps the dialog under it rather than a black box.
    CxDrawSurface* GetBackdrop() override;
    virtual int  RestoreTarget(CxD3DDevice* device, int32_t width, int32_t height);
    virtual void ReleaseTarget();

    CxTextureSurface* GetStagingSurface() const { return staging_; }
    CxSize GetInternalSize() const { return internal_; }
    int  GetQuadCount() const { return quads_; }   // quads drawn since construction

private:
    int  BuildQuad();
    bool EnsureStaging();
    void MakeOpaque(const CxRect& rect);   // sets the alpha of a clipped staging rectangle
    int  DrawQuad(GpuTexture* texture, int32_t x, int32_t y, int32_t w, int32_t h, const CxRect& source,
                  int32_t textureWidth, int32_t textureHeight);
    CxRect ScaleToTarget(const CxRect& r) const;

    CxD3DDevice* device_;              // not owned
    GpuVertexBuffer* quad_ = nullptr;  // the unit quad, owned
    int32_t width_, height_;
    CxSize internal_;
    int depth_;
    CxTextureSurface* staging_ = nullptr;   // owned, made on the first plain blit
    int quads_ = 0;
};
