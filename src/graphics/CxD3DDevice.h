// The device wrapper: every 3D drawing call of the engine goes through one
// CxD3DDevice, which keeps a cache of the device's state so that a state is
// sent only when its value changes, and keeps that cache in stacks so that
// drawing code can push, change what it needs and pop back, with only the
// differences sent on the pop.
//
// Terms.  A stack has 32 levels and a count; level 0 holds the defaults and
// the top is level count - 1 (count is 1 after ResetStates).  The cache is
// trusted: nothing is ever read back from the device, so every state change
// must go through the wrapper.
//
// Stacks: render states (103 slots, one per state number of the device's
// list, in numeric order), material, 11 transforms (WORLD, VIEW,
// PROJECTION, TEXTURE0..7), and the 18 texture-stage states of each of the
// 8 stages.  Lights (8) and textures (8) are kept without stacks.
//
// Rules the wrapper adds to the plain cache:
//  - a push beyond 31 outstanding levels is refused (returns false) and a
//    pop at level 1 does nothing, so unbalanced code cannot run off either
//    end of a stack;
//  - a state number outside the device's lists is passed to the device but
//    not cached (it has no slot), so it can never disturb another state.
//
// Results: SetRenderState, SetTextureStageState, SetTransform and
// MultiplyTransform answer 0 whatever the device says; PopRenderStates the
// new count; the rest the device's answer.  A SetTexture the device refuses
// leaves the cache as it was, so the same call is tried again next time.
#pragma once
#include "platform/gpu/GpuDevice.h"

#include <cstdint>

constexpr int CX_D3D_STACK_LEVELS = 32;
constexpr int CX_D3D_RENDER_STATES = 103;
constexpr int CX_D3D_STAGE_STATES = 18;
constexpr int CX_D3D_STAGES = 8;
constexpr int CX_D3D_TRANSFORMS = 11;
constexpr int CX_D3D_LIGHTS = 8;

// The slot of a state number, or -1 when it is not one of the list.
int CxRenderStateSlot(uint32_t state);
int CxTextureStageStateSlot(uint32_t state);
int CxTransformSlot(uint32_t kind);
uint32_t CxRenderStateOfSlot(int slot);
uint32_t CxTextureStageStateOfSlot(int slot);

class CxD3DDevice {
public:
    explicit CxD3DDevice(GpuDevice* device);   // runs ResetStates
    ~CxD3DDevice();
    CxD3DDevice(const CxD3DDevice&) = delete;
    CxD3DDevice& operator=(const CxD3DDevice&) = delete;

    GpuDevice* GetDevice() const { return device_; }

    // --- The cache
    void ResetStates(GpuDevice* device);   // sends nothing
    void ReapplyStates();                  // after a device reset

    bool PushRenderStates();
    int  SetRenderState(uint32_t state, uint32_t value);
    int  GetRenderState(uint32_t state, uint32_t* value) const;
    int  PopRenderStates();

    bool PushTextureStageStates(uint32_t stage);
    int  SetTextureStageState(uint32_t stage, uint32_t state, uint32_t value);
    int  GetTextureStageState(uint32_t stage, uint32_t state, uint32_t* value) const;
    void PopTextureStageStates(uint32_t stage);

    bool PushTransform(uint32_t kind);
    int  SetTransform(uint32_t kind, const GpuMatrix& matrix);
    int  MultiplyTransform(uint32_t kind, const GpuMatrix& matrix);   // top = matrix × top
    int  GetTransform(uint32_t kind, GpuMatrix* matrix) const;
    int  PopTransform(uint32_t kind);

    bool PushMaterial();
    int  SetMaterial(const GpuMaterial& material);
    int  GetMaterial(GpuMaterial* material) const;
    int  PopMaterial();

    int  SetLight(uint32_t index, const GpuLight& light);
    int  LightEnable(uint32_t index, bool enable);
    int  GetLight(uint32_t index, GpuLight* light, bool* enabled) const;

    int  SetTexture(uint32_t stage, GpuTexture* texture);
    GpuTexture* GetTexture(uint32_t stage) const { return stage < CX_D3D_STAGES ? textures_[stage] : nullptr; }

    int  GetRenderStateDepth() const;   // the count of the render-state stack

    // --- Forwarded as they are
    int TestCooperativeLevel() { return device_->TestCooperativeLevel(); }
    int GetCaps(GpuCaps* caps) { return device_->GetCaps(caps); }
    int CreateTexture(uint32_t w, uint32_t h, uint32_t levels, uint32_t usage, uint32_t format, uint32_t pool,
                      GpuTexture** out) { return device_->CreateTexture(w, h, levels, usage, format, pool, out); }
    int CreateVertexBuffer(uint32_t size, uint32_t usage, uint32_t fvf, uint32_t pool, GpuVertexBuffer** out)
    {
        return device_->CreateVertexBuffer(size, usage, fvf, pool, out);
    }
    int CreateIndexBuffer(uint32_t size, uint32_t usage, uint32_t format, uint32_t pool, GpuIndexBuffer** out)
    {
        return device_->CreateIndexBuffer(size, usage, format, pool, out);
    }
    int CreateRenderTarget(uint32_t w, uint32_t h, uint32_t format, uint32_t multiSample, GpuSurface** out)
    {
        return device_->CreateRenderTarget(w, h, format, multiSample, out);
    }
    int CreateDepthStencilSurface(uint32_t w, uint32_t h, uint32_t format, uint32_t multiSample, GpuSurface** out)
    {
        return device_->CreateDepthStencilSurface(w, h, format, multiSample, out);
    }
    int StretchRect(GpuSurface* source, const GpuRect* sourceRect, GpuSurface* destination,
                    const GpuRect* destinationRect, uint32_t filter)
    {
        return device_->StretchRect(source, sourceRect, destination, destinationRect, filter);
    }
    int CreateOffscreenPlainSurface(uint32_t w, uint32_t h, uint32_t format, uint32_t pool, GpuSurface** out)
    {
        return device_->CreateOffscreenPlainSurface(w, h, format, pool, out);
    }
    int GetRenderTargetData(GpuSurface* target, GpuSurface* destination)
    {
        return device_->GetRenderTargetData(target, destination);
    }
    int SetRenderTarget(uint32_t index, GpuSurface* surface) { return device_->SetRenderTarget(index, surface); }
    int GetRenderTarget(uint32_t index, GpuSurface** out) { return device_->GetRenderTarget(index, out); }
    int SetDepthStencilSurface(GpuSurface* surface) { return device_->SetDepthStencilSurface(surface); }
    int GetDepthStencilSurface(GpuSurface** out) { return device_->GetDepthStencilSurface(out); }
    int BeginScene() { return device_->BeginScene(); }
    int EndScene() { return device_->EndScene(); }
    int Clear(uint32_t count, const GpuRect* rects, uint32_t flags, uint32_t color, float z, uint32_t stencil)
    {
        return device_->Clear(count, rects, flags, color, z, stencil);
    }
    int SetViewport(const GpuViewport& viewport) { return device_->SetViewport(viewport); }
    int SetSamplerState(uint32_t sampler, uint32_t state, uint32_t value)
    {
        return device_->SetSamplerState(sampler, state, value);
    }
    int DrawPrimitive(uint32_t type, uint32_t start, uint32_t count) { return device_->DrawPrimitive(type, start, count); }
    int DrawIndexedPrimitive(uint32_t type, int32_t base, uint32_t minIndex, uint32_t vertices, uint32_t start,
                             uint32_t count)
    {
        return device_->DrawIndexedPrimitive(type, base, minIndex, vertices, start, count);
    }
    int SetFVF(uint32_t fvf) { return device_->SetFVF(fvf); }
    int SetStreamSource(uint32_t stream, GpuVertexBuffer* buffer, uint32_t offset, uint32_t stride)
    {
        return device_->SetStreamSource(stream, buffer, offset, stride);
    }
    int SetIndices(GpuIndexBuffer* buffer) { return device_->SetIndices(buffer); }

private:
    struct StateBlock;
    GpuDevice* device_;       // not owned: the screen's
    StateBlock* block_;       // allocated once
    GpuTexture* textures_[CX_D3D_STAGES] = {};
};
