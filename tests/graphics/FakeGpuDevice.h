// A device that draws nothing and counts what it is asked, for the tests of
// the state cache and the overlay pass.
#pragma once
#include "platform/gpu/GpuDevice.h"

#include <cstring>
#include <string>
#include <vector>

struct FakeCall {
    std::string name;
    uint32_t a = 0, b = 0, c = 0;
};

class FakeTexture final : public GpuTexture {
public:
    FakeTexture(uint32_t w, uint32_t h, uint32_t f) : width_(w), height_(h), format_(f), memory_(size_t(w) * h * 4) {}
    int LockRect(uint32_t, GpuLockedRect* out, const GpuRect* rect, uint32_t) override
    {
        int32_t x = rect ? rect->left : 0, y = rect ? rect->top : 0;
        out->pitch = int32_t(width_) * 4;
        out->bits = memory_.data() + size_t(y) * out->pitch + size_t(x) * 4;
        ++locks;
        return GPU_OK;
    }
    int UnlockRect(uint32_t) override { return GPU_OK; }
    uint32_t GetWidth() const override { return width_; }
    uint32_t GetHeight() const override { return height_; }
    uint32_t GetFormat() const override { return format_; }
    GpuSurface* GetSurfaceLevel(uint32_t) override { return nullptr; }
    int locks = 0;

private:
    uint32_t width_, height_, format_;
    std::vector<uint8_t> memory_;
};

class FakeVertexBuffer final : public GpuVertexBuffer {
public:
    explicit FakeVertexBuffer(uint32_t size) : memory(size) {}
    int Lock(uint32_t offset, uint32_t, void** out, uint32_t flags) override
    {
        lockFlags = flags;
        *out = memory.data() + offset;
        return GPU_OK;
    }
    int Unlock() override { return GPU_OK; }
    uint32_t GetSize() const override { return uint32_t(memory.size()); }
    std::vector<uint8_t> memory;
    uint32_t lockFlags = 0;
};

class FakeGpuDevice : public GpuDevice {
public:
    std::vector<FakeCall> calls;
    int textureAnswer = GPU_OK;          // what SetTexture answers
    GpuMatrix lastTransform;
    std::vector<GpuMatrix> worlds, textures0;   // WORLD and TEXTURE0 matrices at each draw
    GpuMatrix world, texture0;

    size_t Count(const std::string& name) const
    {
        size_t n = 0;
        for (const FakeCall& c : calls) n += c.name == name;
        return n;
    }
    void Forget() { calls.clear(); }

    int TestCooperativeLevel() override { return Log("TestCooperativeLevel"); }
    int Reset(const GpuPresentParams&) override { return Log("Reset"); }
    int Present(const GpuRect*) override { return Log("Present"); }
    int GetCaps(GpuCaps* caps) override
    {
        *caps = GpuCaps{};
        return Log("GetCaps");
    }
    int BeginScene() override { return Log("BeginScene"); }
    int EndScene() override { return Log("EndScene"); }
    int Clear(uint32_t, const GpuRect*, uint32_t, uint32_t, float, uint32_t) override { return Log("Clear"); }
    int SetViewport(const GpuViewport&) override { return Log("SetViewport"); }
    int GetViewport(GpuViewport*) override { return Log("GetViewport"); }
    int SetRenderState(uint32_t state, uint32_t value) override { return Log("SetRenderState", state, value); }
    int SetTextureStageState(uint32_t stage, uint32_t state, uint32_t value) override
    {
        return Log("SetTextureStageState", stage, state, value);
    }
    int SetSamplerState(uint32_t s, uint32_t state, uint32_t value) override { return Log("SetSamplerState", s, state, value); }
    int SetTransform(uint32_t kind, const GpuMatrix& m) override
    {
        lastTransform = m;
        if (kind == GPUTS_WORLD) world = m;
        if (kind == GPUTS_TEXTURE0) texture0 = m;
        return Log("SetTransform", kind);
    }
    int SetMaterial(const GpuMaterial&) override { return Log("SetMaterial"); }
    int SetLight(uint32_t i, const GpuLight&) override { return Log("SetLight", i); }
    int LightEnable(uint32_t i, bool on) override { return Log("LightEnable", i, on); }
    int SetTexture(uint32_t stage, GpuTexture*) override
    {
        Log("SetTexture", stage);
        return textureAnswer;
    }
    int CreateTexture(uint32_t w, uint32_t h, uint32_t, uint32_t, uint32_t f, uint32_t, GpuTexture** out) override
    {
        *out = new FakeTexture(w, h, f);
        return Log("CreateTexture", w, h);
    }
    int CreateVertexBuffer(uint32_t size, uint32_t usage, uint32_t, uint32_t, GpuVertexBuffer** out) override
    {
        *out = lastBuffer = new FakeVertexBuffer(size);
        return Log("CreateVertexBuffer", size, usage);
    }
    int CreateIndexBuffer(uint32_t, uint32_t, uint32_t, uint32_t, GpuIndexBuffer**) override
    {
        return Log("CreateIndexBuffer"), GPU_ERR_INVALID_CALL;
    }
    int CreateRenderTarget(uint32_t, uint32_t, uint32_t, uint32_t, GpuSurface**) override
    {
        return Log("CreateRenderTarget"), GPU_ERR_INVALID_CALL;
    }
    int CreateDepthStencilSurface(uint32_t, uint32_t, uint32_t, uint32_t, GpuSurface**) override
    {
        return Log("CreateDepthStencilSurface"), GPU_ERR_INVALID_CALL;
    }
    int CreateOffscreenPlainSurface(uint32_t, uint32_t, uint32_t, uint32_t, GpuSurface**) override
    {
        return Log("CreateOffscreenPlainSurface"), GPU_ERR_INVALID_CALL;
    }
    int SetRenderTarget(uint32_t, GpuSurface*) override { return Log("SetRenderTarget"); }
    int GetRenderTarget(uint32_t, GpuSurface** out) override
    {
        *out = nullptr;
        return Log("GetRenderTarget");
    }
    int SetDepthStencilSurface(GpuSurface*) override { return Log("SetDepthStencilSurface"); }
    int GetDepthStencilSurface(GpuSurface** out) override
    {
        *out = nullptr;
        return Log("GetDepthStencilSurface");
    }
    int StretchRect(GpuSurface*, const GpuRect*, GpuSurface*, const GpuRect*, uint32_t) override { return Log("StretchRect"); }
    int GetRenderTargetData(GpuSurface*, GpuSurface*) override { return Log("GetRenderTargetData"); }
    int SetFVF(uint32_t fvf) override { return Log("SetFVF", fvf); }
    int SetStreamSource(uint32_t s, GpuVertexBuffer*, uint32_t, uint32_t stride) override
    {
        return Log("SetStreamSource", s, stride);
    }
    int SetIndices(GpuIndexBuffer*) override { return Log("SetIndices"); }
    int DrawPrimitive(uint32_t type, uint32_t start, uint32_t count) override
    {
        worlds.push_back(world);
        textures0.push_back(texture0);
        return Log("DrawPrimitive", type, start, count);
    }
    int DrawIndexedPrimitive(uint32_t type, int32_t, uint32_t, uint32_t, uint32_t, uint32_t count) override
    {
        return Log("DrawIndexedPrimitive", type, count);
    }

    FakeVertexBuffer* lastBuffer = nullptr;

private:
    int Log(const char* name, uint32_t a = 0, uint32_t b = 0, uint32_t c = 0)
    {
        calls.push_back(FakeCall{name, a, b, c});
        return GPU_OK;
    }
};
