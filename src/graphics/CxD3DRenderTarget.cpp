#include "graphics/CxD3DRenderTarget.h"
#include "graphics/CxD3DDevice.h"
#include "graphics/CxTextureSurface.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr uint32_t kQuadFvf = GPUFVF_XYZ | GPUFVF_TEX1;
constexpr uint32_t kQuadStride = 20;
constexpr float kUnitQuad[4][5] = {{0, 0, 0, 0, 0}, {1, 0, 0, 1, 0}, {1, 1, 0, 1, 1}, {0, 1, 0, 0, 1}};

GpuMatrix OrthoOffCenterLH(float left, float right, float bottom, float top, float zNear, float zFar)
{
    GpuMatrix m;
    m.m[0][0] = 2 / (right - left);
    m.m[1][1] = 2 / (top - bottom);
    m.m[2][2] = 1 / (zFar - zNear);
    m.m[3][0] = (left + right) / (left - right);
    m.m[3][1] = (top + bottom) / (bottom - top);
    m.m[3][2] = zNear / (zNear - zFar);
    return m;
}

GpuMatrix Scaling(float x, float y, float z)
{
    GpuMatrix m;
    m.m[0][0] = x, m.m[1][1] = y, m.m[2][2] = z;
    return m;
}
}  // namespace

CxD3DRenderTarget::CxD3DRenderTarget(CxD3DDevice* device, int32_t width, int32_t height, CxSize internalSize,
                                     int displayDepth)
    : device_(device), width_(width), height_(height),
      internal_(internalSize.width > 0 && internalSize.height > 0 ? internalSize : CxSize{width, height}),
      depth_(displayDepth)
{
    BuildQuad();
}

CxD3DRenderTarget::~CxD3DRenderTarget() { ReleaseTarget(); }

int CxD3DRenderTarget::BuildQuad()
{
    if (!device_) return GPU_ERR_INVALID_CALL;
    int result = device_->CreateVertexBuffer(sizeof kUnitQuad, GPUUSAGE_WRITEONLY | GPUUSAGE_DYNAMIC, kQuadFvf,
                                             GPUPOOL_DEFAULT, &quad_);
    if (result != GPU_OK || !quad_) return quad_ = nullptr, result;
    void* bytes = nullptr;
    if ((result = quad_->Lock(0, 0, &bytes, GPULOCK_DISCARD)) != GPU_OK) return result;
    std::memcpy(bytes, kUnitQuad, sizeof kUnitQuad);
    return quad_->Unlock();
}

void CxD3DRenderTarget::ReleaseTarget()
{
    delete staging_;
    staging_ = nullptr;
    if (quad_) quad_->Release();
    quad_ = nullptr;
}

int CxD3DRenderTarget::RestoreTarget(CxD3DDevice* device, int32_t width, int32_t height)
{
    ReleaseTarget();
    device_ = device;
    width_ = width;
    height_ = height;
    return BuildQuad();
}

CxPixel CxD3DRenderTarget::MakeColor(int red, int green, int blue) const
{
    return 0xFF000000u | uint32_t(red & 255) << 16 | uint32_t(green & 255) << 8 | uint32_t(blue & 255);
}

// ---------------------------------------------------------------- the pass
void CxD3DRenderTarget::BeginDraw()
{
    CxD3DDevice& d = *device_;
    d.PushRenderStates();
    d.PushTextureStageStates(0);
    d.PushTransform(GPUTS_VIEW);
    d.PushTransform(GPUTS_WORLD);
    d.PushTransform(GPUTS_PROJECTION);
    d.PushTransform(GPUTS_TEXTURE0);
    d.SetRenderState(GPURS_ZENABLE, 0);
    d.SetRenderState(GPURS_LIGHTING, 0);
    d.SetRenderState(GPURS_FILLMODE, GPUFILL_SOLID);
    d.SetRenderState(GPURS_CULLMODE, GPUCULL_NONE);
    d.SetRenderState(GPURS_ALPHABLENDENABLE, 1);
    d.SetRenderState(GPURS_BLENDOP, GPUBLENDOP_ADD);
    d.SetRenderState(GPURS_SRCBLEND, GPUBLEND_SRCALPHA);
    d.SetRenderState(GPURS_DESTBLEND, GPUBLEND_INVSRCALPHA);
    // Source over: what is left of the target's alpha is a + d(1 - a).
    d.SetRenderState(GPURS_SEPARATEALPHABLENDENABLE, 1);
    d.SetRenderState(GPURS_BLENDOPALPHA, GPUBLENDOP_ADD);
    d.SetRenderState(GPURS_SRCBLENDALPHA, GPUBLEND_ONE);
    d.SetRenderState(GPURS_DESTBLENDALPHA, GPUBLEND_INVSRCALPHA);
    d.SetTextureStageState(0, GPUTSS_TEXTURETRANSFORMFLAGS, GPUTTFF_COUNT2);
    d.SetTextureStageState(0, GPUTSS_ALPHAOP, GPUTOP_SELECTARG1);
    d.SetTextureStageState(0, GPUTSS_ALPHAARG1, GPUTA_TEXTURE);
    d.SetTextureStageState(0, GPUTSS_ALPHAARG2, GPUTA_CURRENT);
    d.SetTextureStageState(0, GPUTSS_COLOROP, GPUTOP_SELECTARG1);
    d.SetTextureStageState(0, GPUTSS_COLORARG1, GPUTA_TEXTURE);
    d.SetTextureStageState(0, GPUTSS_COLORARG2, GPUTA_CURRENT);
    d.SetTransform(GPUTS_PROJECTION, OrthoOffCenterLH(0, float(width_), 0, float(height_), -1, 1));
    d.SetTransform(GPUTS_VIEW, GpuMatrix{});
    d.SetFVF(kQuadFvf);
    d.SetStreamSource(0, quad_, 0, kQuadStride);
}

void CxD3DRenderTarget::EndDraw()
{
    CxD3DDevice& d = *device_;
    d.PopRenderStates();
    d.PopTextureStageStates(0);
    d.PopTransform(GPUTS_VIEW);
    d.PopTransform(GPUTS_WORLD);
    d.PopTransform(GPUTS_PROJECTION);
    d.PopTransform(GPUTS_TEXTURE0);
}

int CxD3DRenderTarget::DrawQuad(GpuTexture* texture, int32_t x, int32_t y, int32_t w, int32_t h, const CxRect& source,
                                int32_t textureWidth, int32_t textureHeight)
{
    if (!quad_ || w <= 0 || h <= 0 || textureWidth <= 0 || textureHeight <= 0) return 0;
    GpuMatrix flip = Scaling(1, -1, 1), size = Scaling(float(w), float(h), 1), move;
    move.m[3][0] = float(x) - 0.5f;
    move.m[3][1] = float(height_ - y) + 0.5f;
    device_->SetTransform(GPUTS_WORLD, GpuMultiply(GpuMultiply(flip, size), move));
    float tw = float(textureWidth), th = float(textureHeight);
    GpuMatrix coords = Scaling(float(source.Width()) / tw, float(source.Height()) / th, 1);
    coords.m[2][0] = float(source.left) / tw;   // two-coordinate transforms translate through the third row
    coords.m[2][1] = float(source.top) / th;
    device_->SetTransform(GPUTS_TEXTURE0, coords);
    device_->SetTexture(0, texture);
    ++quads_;
    return device_->DrawPrimitive(GPUPT_TRIANGLEFAN, 0, 2);
}

CxRect CxD3DRenderTarget::ScaleToTarget(const CxRect& r) const
{
    int64_t iw = internal_.width, ih = internal_.height;
    int32_t x = int32_t(int64_t(width_) * r.left / iw), y = int32_t(int64_t(height_) * r.top / ih);
    int32_t w = int32_t(int64_t(width_) * r.Width() / iw), h = int32_t(int64_t(height_) * r.Height() / ih);
    return CxRect{x, y, x + w - 1, y + h - 1};
}

bool CxD3DRenderTarget::EnsureStaging()
{
    if (staging_) return true;
    CxDrawSurface* made = NewTextureSurface();
    auto* staging = dynamic_cast<CxTextureSurface*>(made);
    if (!staging) {
        delete made;
        return false;
    }
    staging->SetDirtyByCaller(true);
    // A 32-bit staging texture carries the alpha of what was blitted in, so
    // that the quad blends it over the 3D frame.
    staging->SetOpaque(depth_ != 32);
    if (staging->Create(internal_.width, internal_.height, depth_) != 0) {
        delete staging;
        return false;
    }
    staging->SetTransparentColor(CX_NO_COLOR);
    staging_ = staging;
    return true;
}

int CxD3DRenderTarget::DrawSurfaceAt(CxSurfaceBase* source, int32_t x, int32_t y, const CxRect* sourceRect,
                                     CxPixel transparent, const BltEffects* effects)
{
    if (!source) return 0;
    int32_t w = sourceRect ? sourceRect->Width() : source->GetWidth();
    int32_t h = sourceRect ? sourceRect->Height() : source->GetHeight();
    CxRect destination{x, y, x + w - 1, y + h - 1};
    return DrawSurfaceInto(source, &destination, sourceRect, transparent, effects);
}

int CxD3DRenderTarget::DrawSurfaceInto(CxSurfaceBase* source, const CxRect* destinationRect, const CxRect* sourceRect,
                                       CxPixel transparent, const BltEffects* effects)
{
    if (!source || !device_ || (effects && effects->code == BLT_EFFECT_HIDDEN)) return 0;
    CxRect whole{0, 0, source->GetWidth() - 1, source->GetHeight() - 1};
    CxRect from = sourceRect ? *sourceRect : whole;
    CxRect to = destinationRect ? *destinationRect : CxRect{0, 0, from.Width() - 1, from.Height() - 1};
    if (to.IsEmpty() || from.IsEmpty()) return 0;

    auto* texture = dynamic_cast<CxTextureSurface*>(source);
    if (texture && texture != staging_) {
        if (GpuTexture* t = texture->GetTexture()) {
            CxRect target = ScaleToTarget(to);
            return DrawQuad(t, target.left, target.top, target.Width(), target.Height(), from, texture->GetWidth(),
                            texture->GetHeight()) == GPU_OK ? 0 : ERR_DIRECTX;
        }
    }
    auto* plain = dynamic_cast<CxDrawSurface*>(source);
    if (!plain || !EnsureStaging()) return 0;
    // Only the part inside the staging surface exists; drawing beyond it
    // would show texels from the other side of the texture.
    CxRect shown;
    if (!staging_->ClipToSurface(&to, shown)) return 0;
    if (staging_->GetDepth() != 32) {
        plain->Blt(staging_, &to, &from, transparent, effects);
    } else if (effects && effects->code == BLT_EFFECT_ALPHA && plain->GetDepth() == 32) {
        // The software alpha blend would mix with whatever the staging
        // surface held and leave no usable alpha behind; the device does
        // the blend instead, from the picture's own pixels and alpha, on a
        // transparent ground where the transparent colour leaves pixels out.
        staging_->FillRect(&shown, 0);
        plain->Blt(staging_, &to, &from, transparent, nullptr);
    } else {
        // Every other blit covers what it draws, as on a software screen.
        plain->Blt(staging_, &to, &from, transparent, effects);
        MakeOpaque(shown);
    }
    staging_->MarkDirty(shown);
    GpuTexture* t = staging_->GetTexture();
    if (!t) return 0;
    CxRect target = ScaleToTarget(shown);
    return DrawQuad(t, target.left, target.top, target.Width(), target.Height(), shown, staging_->GetWidth(),
                    staging_->GetHeight()) == GPU_OK ? 0 : ERR_DIRECTX;
}

CxDrawSurface* CxD3DRenderTarget::GetBackdrop() { return EnsureStaging() ? staging_ : nullptr; }

void CxD3DRenderTarget::MakeOpaque(const CxRect& rect)
{
    if (!staging_->Lock()) return;
    for (int32_t y = rect.top; y <= rect.bottom; ++y) {
        uint8_t* p = staging_->GetPixelAddress(rect.left, y);
        for (int32_t x = 0; x < rect.Width(); ++x) p[4 * x + 3] = 0xFF;   // rows are B, G, R, A
    }
    staging_->Unlock();
}

void CxD3DRenderTarget::DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, CxPixel color)
{
    if (!staging_) return;
    staging_->DrawLine(x1, y1, x2, y2, color);
    staging_->MarkDirty(CxRect{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)});
}
