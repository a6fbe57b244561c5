// One 3D frame on the OpenGL device at 1024×768: 20,000 lit textured
// triangles (two lights), then the 2D overlay pass over it with 10% of the
// overlay's area repainted, then present.  Beside it in the same run: an
// empty frame (clear and present) and the same frame sending the whole
// overlay every time, as a screen without dirty rectangles would.
// Counters: OpenGL calls and texture bytes sent per frame.
//
// Runs on whatever OpenGL SDL finds; headless it uses Mesa's software
// renderer through the offscreen driver (set below unless the caller chose).
#include "graphics/CxD3DDevice.h"
#include "graphics/CxD3DRenderTarget.h"
#include "graphics/CxTextureSurface.h"
#include "platform/gpu/GpuDevice.h"
#include "platform/window/PlatformWindow.h"

#include "BenchDevice.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {
constexpr int32_t kWidth = 1024, kHeight = 768;
constexpr int kGrid = 100;   // 100 × 100 cells, two triangles each: 20,000

struct Vertex {
    float x, y, z, nx, ny, nz, u, v;
};

struct Scene {
    GpuDevice* device = nullptr;
    CxD3DDevice* d3d = nullptr;
    GpuVertexBuffer* vertices = nullptr;
    GpuIndexBuffer* indices = nullptr;
    GpuTexture* texture = nullptr;
    CxD3DRenderTarget* overlay = nullptr;
    CxDrawSurface panel;   // what the display tree would paint
    bool ok = false;

    Scene()
    {
        if (!OpenBenchDevice("gpu bench", kWidth, kHeight, &device, &d3d)) return;
        BuildMesh();
        device->CreateTexture(64, 64, 1, 0, GPUFMT_X8R8G8B8, GPUPOOL_MANAGED, &texture);
        GpuLockedRect locked;
        texture->LockRect(0, &locked, nullptr, 0);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.bits) + y * locked.pitch)[x] =
                    ((x / 8 + y / 8) & 1) ? 0xFFE0E0E0 : 0xFF406080;
        texture->UnlockRect(0);
        overlay = new CxD3DRenderTarget(d3d, kWidth, kHeight, CxSize{kWidth, kHeight}, 32);
        panel.Create(kWidth, kHeight, 32);
        for (int32_t y = 0; y < kHeight; ++y)
            for (int32_t x = 0; x < kWidth; ++x) panel.SetPixel(x, y, 0xFF000000u | uint32_t(x * 255 / kWidth) << 16 | uint32_t(y & 255));
        ok = true;
    }
    ~Scene()
    {
        delete overlay;
        if (texture) texture->Release();
        if (vertices) vertices->Release();
        if (indices) indices->Release();
        SetTextureSurfaceDevice(nullptr);
        delete d3d;
        delete device;
        PlatVideoStop();
    }

    void BuildMesh()
    {
        std::vector<Vertex> v;
        for (int j = 0; j <= kGrid; ++j)
            for (int i = 0; i <= kGrid; ++i) {
                float a = float(i) / kGrid * 6.2832f, b = float(j) / kGrid * 3.1416f;
                float nx = std::sin(b) * std::cos(a), ny = std::cos(b), nz = std::sin(b) * std::sin(a);
                v.push_back({nx * 2, ny * 2, nz * 2, nx, ny, nz, float(i) / 10, float(j) / 10});
            }
        std::vector<uint16_t> index;
        for (int j = 0; j < kGrid; ++j)
            for (int i = 0; i < kGrid; ++i) {
                uint16_t p = uint16_t(j * (kGrid + 1) + i), q = uint16_t(p + kGrid + 1);
                for (uint16_t k : {p, uint16_t(p + 1), q, uint16_t(p + 1), uint16_t(q + 1), q}) index.push_back(k);
            }
        device->CreateVertexBuffer(uint32_t(v.size() * sizeof(Vertex)), GPUUSAGE_WRITEONLY, 0, GPUPOOL_MANAGED, &vertices);
        void* p = nullptr;
        vertices->Lock(0, 0, &p, 0);
        std::memcpy(p, v.data(), v.size() * sizeof(Vertex));
        vertices->Unlock();
        device->CreateIndexBuffer(uint32_t(index.size() * 2), GPUUSAGE_WRITEONLY, GPUFMT_INDEX16, GPUPOOL_MANAGED, &indices);
        indices->Lock(0, 0, &p, 0);
        std::memcpy(p, index.data(), index.size() * 2);
        indices->Unlock();
    }

    void World()
    {
        GpuMatrix projection;   // perspective, 60 degrees, 4:3
        float ys = 1.0f / std::tan(0.5f), xs = ys * 0.75f;
        projection.m[0][0] = xs, projection.m[1][1] = ys, projection.m[2][2] = 20.0f / 19.5f, projection.m[2][3] = 1;
        projection.m[3][2] = -0.5f * 20.0f / 19.5f, projection.m[3][3] = 0;
        GpuMatrix view;
        view.m[3][2] = 5;
        d3d->SetTransform(GPUTS_PROJECTION, projection);
        d3d->SetTransform(GPUTS_VIEW, view);
        d3d->SetTransform(GPUTS_WORLD, GpuMatrix{});
        // The same states every frame, as drawing code does: the cache drops them.
        d3d->SetRenderState(GPURS_ZENABLE, 1);
        d3d->SetRenderState(GPURS_LIGHTING, 1);
        d3d->SetRenderState(GPURS_AMBIENT, 0xFF303030);
        d3d->SetRenderState(GPURS_CULLMODE, GPUCULL_CCW);
        GpuMaterial material;
        material.diffuse = material.ambient = {1, 1, 1, 1};
        d3d->SetMaterial(material);
        GpuLight key, fill;
        key.direction = {0.3f, -0.6f, 1}, key.diffuse = {1, 0.95f, 0.9f, 1};
        fill.direction = {-1, 0.2f, 0.5f}, fill.diffuse = {0.2f, 0.25f, 0.4f, 1};
        d3d->SetLight(0, key), d3d->LightEnable(0, true);
        d3d->SetLight(1, fill), d3d->LightEnable(1, true);
        d3d->SetTexture(0, texture);
        d3d->SetFVF(GPUFVF_XYZ | GPUFVF_NORMAL | GPUFVF_TEX1);
        d3d->SetStreamSource(0, vertices, 0, sizeof(Vertex));
        d3d->SetIndices(indices);
        d3d->DrawIndexedPrimitive(GPUPT_TRIANGLELIST, 0, 0, (kGrid + 1) * (kGrid + 1), 0, kGrid * kGrid * 2);
    }

    // Repaints `areas` of the panel through the overlay pass.
    void Overlay(const std::vector<CxRect>& areas)
    {
        overlay->BeginDraw();
        for (const CxRect& r : areas) overlay->DrawSurfaceInto(&panel, &r, &r, CX_NO_COLOR, nullptr);
        overlay->EndDraw();
    }
};

Scene& TheScene()
{
    static Scene scene;
    return scene;
}

// Ten strips of 1024 × 8 pixels at spread rows: 10% of the overlay.
std::vector<CxRect> TenPercent()
{
    std::vector<CxRect> areas;
    for (int i = 0; i < 10; ++i) {
        int32_t top = 20 + i * 74;
        areas.push_back(CxRect{0, top, kWidth - 1, top + 7});
    }
    return areas;
}

void Finish(benchmark::State& state, GpuCounters before, int64_t frames)
{
    GpuCounters after = GpuGetCounters();
    state.counters["gl_calls_per_frame"] = double(after.glCalls - before.glCalls) / double(frames);
    state.counters["uploaded_KiB_per_frame"] = double(after.uploadedBytes - before.uploadedBytes) / 1024.0 / double(frames);
}

void RunFrames(benchmark::State& state, bool world, const std::vector<CxRect>* areas)
{
    Scene& s = TheScene();
    if (!s.ok) {
        state.SkipWithError("no OpenGL 3.3 device here");
        return;
    }
    auto frame = [&] {
        s.d3d->Clear(0, nullptr, GPUCLEAR_TARGET | GPUCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        s.d3d->BeginScene();
        if (world) s.World();
        if (areas) s.Overlay(*areas);
        s.d3d->EndScene();
        s.device->Present(nullptr);
        GpuFinish();
    };
    frame();   // the first frame makes the staging texture and builds the shaders
    GpuCounters before = GpuGetCounters();
    int64_t frames = 0;
    for (auto _ : state) {
        frame();
        ++frames;
    }
    Finish(state, before, frames);
}

void BM_EmptyFrame(benchmark::State& state) { RunFrames(state, false, nullptr); }

// The clear alone (no present), to show what presenting itself costs.
void BM_ClearOnly(benchmark::State& state)
{
    Scene& s = TheScene();
    if (!s.ok) return state.SkipWithError("no OpenGL 3.3 device here");
    for (auto _ : state) {
        s.d3d->Clear(0, nullptr, GPUCLEAR_TARGET | GPUCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        GpuFinish();
    }
}

void BM_Frame20kTrianglesOverlay10Percent(benchmark::State& state)
{
    std::vector<CxRect> areas = TenPercent();
    RunFrames(state, true, &areas);
}

void BM_WorldOnly(benchmark::State& state) { RunFrames(state, true, nullptr); }

void BM_Overlay10PercentOnly(benchmark::State& state)
{
    std::vector<CxRect> areas = TenPercent();
    RunFrames(state, false, &areas);
}

void BM_Frame20kTrianglesWholeOverlay(benchmark::State& state)
{
    std::vector<CxRect> whole{CxRect{0, 0, kWidth - 1, kHeight - 1}};
    RunFrames(state, true, &whole);
}
}  // namespace

BENCHMARK(BM_ClearOnly)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EmptyFrame)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Frame20kTrianglesOverlay10Percent)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WorldOnly)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Overlay10PercentOnly)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Frame20kTrianglesWholeOverlay)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
