#include "game/world/Cx3DWindow.h"

#include "core/CxError.h"
#include "core/CxTime.h"
#include "graphics/CxD3DDevice.h"
#include "graphics/CxTextureSurface.h"

Cx3DWindow::~Cx3DWindow() { ReleaseTarget(); }

int Cx3DWindow::CreateWindow(int32_t x, int32_t y, int32_t width, int32_t height, CxDisplayObject* parent, int32_t id)
{
    width_ = width > 0 ? width : 800, height_ = height > 0 ? height : 600;
    int code = Create(x, y, width_, height_, parent, id);
    return code != 0 ? code : CreateTarget();
}

int Cx3DWindow::CreateTarget()
{
    ReleaseTarget();
    CxD3DDevice* device = GetTextureSurfaceDevice();
    if (!device) return Error(ERR_DIRECTX, "A 3D window needs the 3D screen");
    if (device->CreateDepthStencilSurface(uint32_t(width_), uint32_t(height_), GPUFMT_D16, 0, &depth_) != GPU_OK)
        return Error(ERR_DIRECTX, "Cannot make the depth surface of a 3D window");
    auto* target = new CxTextureTarget;
    if (target->Create(width_, height_, 32) != 0 || !target->GetTargetSurface()) {
        delete target;
        ReleaseTarget();
        return Error(ERR_DIRECTX, "Cannot make the target of a 3D window");
    }
    target_ = target;
    SetSurface(target_, 1);
    lastRender_ = QorTickCount();
    return 0;
}

void Cx3DWindow::ReleaseTarget()
{
    if (target_) {
        ReleaseSurface();   // the sprite owns it
        target_ = nullptr;
    }
    if (depth_) depth_->Release();
    depth_ = nullptr;
}

void Cx3DWindow::OnMainLoop()
{
    CxD3DDevice* device = GetTextureSurfaceDevice();
    if (!device || !target_ || !depth_) return;
    GpuSurface* surface = target_->GetTargetSurface();
    if (!surface) return;
    lastRender_ = QorTickCount();
    GpuSurface* savedTarget = nullptr;
    GpuSurface* savedDepth = nullptr;
    device->GetRenderTarget(0, &savedTarget);
    device->GetDepthStencilSurface(&savedDepth);
    device->SetRenderTarget(0, surface);
    device->SetDepthStencilSurface(depth_);
    if (listener_) {
        device->BeginScene();
        listener_->BeginRender(device);
        device->PushRenderStates();
        device->SetRenderState(GPURS_ZWRITEENABLE, 1);
        listener_->Render(RenderContext{device, RENDERPASS_OPAQUE, 0});
        device->SetRenderState(GPURS_ZWRITEENABLE, 0);
        listener_->Render(RenderContext{device, RENDERPASS_TRANSPARENT, 0});
        device->PopRenderStates();
        listener_->EndRender(device);
        device->EndScene();
        ++renders_;
    }
    device->SetRenderTarget(0, savedTarget);
    device->SetDepthStencilSurface(savedDepth);
    // What the device drew is new to the interface.
    if (IsVisible()) Paint();
}
