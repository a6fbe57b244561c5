// Frames drawn by the OpenGL device, read back and compared with golden
// frames; a few pixels are also checked by value, so a wrong golden cannot
// hide a wrong equation.
#include "GpuTestSupport.h"

#include <cmath>
#include <cstring>

namespace {
constexpr uint32_t kSize = 128;

struct LitVertex {
    float x, y, z, nx, ny, nz, u, v;
};
constexpr uint32_t kLitFvf = GPUFVF_XYZ | GPUFVF_NORMAL | GPUFVF_TEX1;

struct ColorVertex {
    float x, y, z;
    uint32_t color;
    float u, v;
};
constexpr uint32_t kColorFvf = GPUFVF_XYZ | GPUFVF_DIFFUSE | GPUFVF_TEX1;

class GpuFrames : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string reason;
        if (!GpuTestOpenWindow(kSize, kSize, &reason)) GTEST_SKIP() << "no window: " << reason;
        GpuPresentParams params;
        params.width = params.height = kSize;
        device_ = GpuCreateDevice(params);
        if (!device_) GTEST_SKIP() << "no OpenGL 3.3 here: " << GpuLastError();
    }
    void TearDown() override
    {
        for (GpuResource* r : resources_) r->Release();
        delete device_;
        GpuTestCloseWindow();
    }

    template <typename V>
    GpuVertexBuffer* Buffer(const std::vector<V>& vertices)
    {
        GpuVertexBuffer* vb = nullptr;
        uint32_t bytes = uint32_t(vertices.size() * sizeof(V));
        EXPECT_EQ(device_->CreateVertexBuffer(bytes, GPUUSAGE_WRITEONLY, 0, GPUPOOL_DEFAULT, &vb), GPU_OK);
        void* p = nullptr;
        vb->Lock(0, 0, &p, GPULOCK_DISCARD);
        std::memcpy(p, vertices.data(), bytes);
        vb->Unlock();
        resources_.push_back(vb);
        return vb;
    }

    // A texture of 8×8 cells: function of the cell gives the colour.
    template <typename F>
    GpuTexture* Texture(uint32_t size, uint32_t format, F color)
    {
        GpuTexture* t = nullptr;
        EXPECT_EQ(device_->CreateTexture(size, size, 1, 0, format, GPUPOOL_MANAGED, &t), GPU_OK);
        GpuLockedRect locked;
        EXPECT_EQ(t->LockRect(0, &locked, nullptr, 0), GPU_OK);
        for (uint32_t y = 0; y < size; ++y)
            for (uint32_t x = 0; x < size; ++x)
                reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.bits) + y * locked.pitch)[x] = color(x, y);
        t->UnlockRect(0);
        resources_.push_back(t);
        return t;
    }

    void Camera(GpuVector eye)
    {
        device_->SetTransform(GPUTS_PROJECTION, GpuTestPerspective(0.9f, 1.0f, 0.5f, 20.0f));
        device_->SetTransform(GPUTS_VIEW, GpuTestLookAt(eye, {0, 0, 0}, {0, 1, 0}));
    }

    void Quad(std::vector<ColorVertex>& out, float x0, float y0, float x1, float y1, float z, uint32_t color)
    {
        ColorVertex a{x0, y1, z, color, 0, 0}, b{x1, y1, z, color, 1, 0}, c{x1, y0, z, color, 1, 1},
            d{x0, y0, z, color, 0, 1};
        for (const ColorVertex& v : {a, b, c, a, c, d}) out.push_back(v);
    }

    // Unlit, untransformed quads in clip space: world, view and projection identity.
    void DrawColorQuads(const std::vector<ColorVertex>& vertices)
    {
        device_->SetRenderState(GPURS_ZENABLE, 0);   // painter's order
        device_->SetFVF(kColorFvf);
        device_->SetStreamSource(0, Buffer(vertices), 0, sizeof(ColorVertex));
        device_->DrawPrimitive(GPUPT_TRIANGLELIST, 0, uint32_t(vertices.size() / 3));
    }

    GpuDevice* device_ = nullptr;
    std::vector<GpuResource*> resources_;
};

std::vector<LitVertex> Cube()
{
    std::vector<LitVertex> v;
    // Each face: normal n, axes a and b spanning it; wound clockwise seen from outside.
    const float faces[6][9] = {{0, 0, -1, 1, 0, 0, 0, 1, 0},  {0, 0, 1, -1, 0, 0, 0, 1, 0}, {1, 0, 0, 0, 0, 1, 0, 1, 0},
                               {-1, 0, 0, 0, 0, -1, 0, 1, 0}, {0, 1, 0, 1, 0, 0, 0, 0, 1}, {0, -1, 0, 1, 0, 0, 0, 0, -1}};
    for (const auto& f : faces) {
        auto corner = [&](float sa, float sb, float u, float tv) {
            return LitVertex{f[0] + sa * f[3] + sb * f[6], f[1] + sa * f[4] + sb * f[7], f[2] + sa * f[5] + sb * f[8],
                             f[0], f[1], f[2], u, tv};
        };
        LitVertex p0 = corner(-1, 1, 0, 0), p1 = corner(1, 1, 1, 0), p2 = corner(1, -1, 1, 1), p3 = corner(-1, -1, 0, 1);
        for (const LitVertex& c : {p0, p1, p2, p0, p2, p3}) v.push_back(c);
    }
    return v;
}

void DrawCube(GpuFrames* t, GpuDevice* device, GpuVertexBuffer* vb)
{
    device->SetFVF(kLitFvf);
    device->SetStreamSource(0, vb, 0, sizeof(LitVertex));
    device->DrawPrimitive(GPUPT_TRIANGLELIST, 0, 12);
    (void)t;
}

GpuLight Directional(GpuVector direction, GpuColorValue color)
{
    GpuLight l;
    l.type = GPULIGHT_DIRECTIONAL;
    l.direction = direction;
    l.diffuse = color;
    l.specular = {1, 1, 1, 1};
    return l;
}
}  // namespace

TEST_F(GpuFrames, LitTexturedCubeIgnoresTheDisabledLight)
{
    GpuTexture* checker = Texture(8, GPUFMT_A8R8G8B8, [](uint32_t x, uint32_t y) {
        return ((x + y) & 1) ? 0xFFFFFFFFu : 0xFF4080C0u;
    });
    GpuMaterial material;
    material.diffuse = material.ambient = {1, 1, 1, 1};
    material.specular = {0.5f, 0.5f, 0.5f, 1};
    material.power = 20;
    device_->SetMaterial(material);
    device_->SetRenderState(GPURS_ZENABLE, 1);
    device_->SetRenderState(GPURS_AMBIENT, 0xFF202020);
    device_->SetRenderState(GPURS_SPECULARENABLE, 1);
    device_->SetLight(0, Directional({-0.5f, -1, 1}, {0.9f, 0.9f, 0.9f, 1}));
    device_->LightEnable(0, true);
    GpuLight red;
    red.type = GPULIGHT_POINT;
    red.position = {0, 0, -3};
    red.diffuse = {1, 0, 0, 1};
    red.range = 100;
    red.attenuation0 = 1;
    device_->SetLight(1, red);
    device_->LightEnable(1, false);
    device_->SetTexture(0, checker);
    device_->SetSamplerState(0, GPUSAMP_MAGFILTER, GPUTEXF_LINEAR);
    Camera({2.5f, 2.2f, -3.5f});
    device_->SetTransform(GPUTS_WORLD, GpuTestRotationY(0.3f));
    device_->Clear(0, nullptr, GPUCLEAR_TARGET | GPUCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    device_->BeginScene();
    DrawCube(this, device_, Buffer(Cube()));
    device_->EndScene();
    GpuFrame frame = GpuTestReadBack(device_);
    EXPECT_TRUE(GpuFrameMatchesGolden(frame, "lit_cube"));
    // The disabled red light adds nothing: no pixel leans to red.
    int reddish = 0;
    for (uint32_t p : frame.pixels) reddish += Red(p) > Green(p) + 24 && Red(p) > Blue(p) + 24;
    EXPECT_EQ(reddish, 0);
    EXPECT_EQ(frame.At(0, 0) & 0xFFFFFF, 0u);           // background
    EXPECT_GT(Blue(frame.At(kSize / 2, kSize / 2)), 40);   // the cube covers the middle
}

TEST_F(GpuFrames, SpotLightLightsOnlyItsCone)
{
    // A finely divided wall so that per-vertex lighting can show the cone.
    std::vector<LitVertex> wall;
    const int n = 48;
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            auto at = [&](int a, int b) {
                return LitVertex{-2 + 4.0f * a / n, 2 - 4.0f * b / n, 0, 0, 0, -1, 0, 0};
            };
            LitVertex p0 = at(i, j), p1 = at(i + 1, j), p2 = at(i + 1, j + 1), p3 = at(i, j + 1);
            for (const LitVertex& c : {p0, p1, p2, p0, p2, p3}) wall.push_back(c);
        }
    GpuMaterial material;
    material.diffuse = {1, 1, 1, 1};
    device_->SetMaterial(material);
    GpuLight spot;
    spot.type = GPULIGHT_SPOT;
    spot.position = {0, 0, -3};
    spot.direction = {0, 0, 1};
    spot.diffuse = {1, 1, 0.6f, 1};
    spot.range = 50;
    spot.attenuation0 = 1;
    spot.theta = 0.35f;
    spot.phi = 0.6f;
    spot.falloff = 1;
    device_->SetLight(0, spot);
    device_->LightEnable(0, true);
    Camera({0, 0, -4.8f});
    device_->Clear(0, nullptr, GPUCLEAR_TARGET | GPUCLEAR_ZBUFFER, 0xFF000040, 1.0f, 0);
    device_->SetFVF(kLitFvf);
    device_->SetStreamSource(0, Buffer(wall), 0, sizeof(LitVertex));
    device_->DrawPrimitive(GPUPT_TRIANGLELIST, 0, uint32_t(wall.size() / 3));
    GpuFrame frame = GpuTestReadBack(device_);
    EXPECT_TRUE(GpuFrameMatchesGolden(frame, "spot_cone"));
    EXPECT_GT(Red(frame.At(kSize / 2, kSize / 2)), 200);   // inside theta: full light
    EXPECT_LT(Red(frame.At(8, 8)), 8);                     // outside phi: the unlit wall is black
}

TEST_F(GpuFrames, AlphaTestedCutOutOverAnOpaqueQuad)
{
    // A disc of opaque orange in a texture whose other texels have alpha 0.
    GpuTexture* disc = Texture(16, GPUFMT_A8R8G8B8, [](uint32_t x, uint32_t y) {
        float dx = float(x) - 7.5f, dy = float(y) - 7.5f;
        return dx * dx + dy * dy < 36 ? 0xFFFF8000u : 0x00FF8000u;
    });
    device_->SetRenderState(GPURS_LIGHTING, 0);
    std::vector<ColorVertex> back, front;
    Quad(back, -0.8f, -0.8f, 0.8f, 0.8f, 0.5f, 0xFF2040FF);
    Quad(front, -0.6f, -0.6f, 0.6f, 0.6f, 0.4f, 0xFFFFFFFF);
    device_->Clear(0, nullptr, GPUCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    device_->SetTextureStageState(0, GPUTSS_COLOROP, GPUTOP_SELECTARG2);   // diffuse only for the back quad
    DrawColorQuads(back);
    device_->SetTextureStageState(0, GPUTSS_COLOROP, GPUTOP_MODULATE);
    device_->SetTexture(0, disc);
    device_->SetRenderState(GPURS_ALPHATESTENABLE, 1);
    device_->SetRenderState(GPURS_ALPHAREF, 128);
    device_->SetRenderState(GPURS_ALPHAFUNC, GPUCMP_GREATER);
    DrawColorQuads(front);
    GpuFrame frame = GpuTestReadBack(device_);
    EXPECT_TRUE(GpuFrameMatchesGolden(frame, "alpha_test", 0));
    EXPECT_EQ(frame.At(64, 64) & 0xFFFFFF, 0xFF8000u);   // the disc
    EXPECT_EQ(frame.At(30, 30) & 0xFFFFFF, 0x2040FFu);   // cut away: the quad behind shows
    EXPECT_EQ(frame.At(2, 2) & 0xFFFFFF, 0u);
}

TEST_F(GpuFrames, AlphaBlendedQuadMixesWithWhatIsBehind)
{
    device_->SetRenderState(GPURS_LIGHTING, 0);
    device_->SetTextureStageState(0, GPUTSS_COLOROP, GPUTOP_SELECTARG2);
    device_->SetTextureStageState(0, GPUTSS_ALPHAOP, GPUTOP_SELECTARG2);
    std::vector<ColorVertex> back, front;
    Quad(back, -1, -1, 0.2f, 1, 0.5f, 0xFFFF0000);
    Quad(front, -0.5f, -0.5f, 0.5f, 0.5f, 0.5f, 0x8000FF00);
    device_->Clear(0, nullptr, GPUCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    DrawColorQuads(back);
    device_->SetRenderState(GPURS_ALPHABLENDENABLE, 1);
    device_->SetRenderState(GPURS_SRCBLEND, GPUBLEND_SRCALPHA);
    device_->SetRenderState(GPURS_DESTBLEND, GPUBLEND_INVSRCALPHA);
    DrawColorQuads(front);
    GpuFrame frame = GpuTestReadBack(device_);
    EXPECT_TRUE(GpuFrameMatchesGolden(frame, "alpha_blend", 2));
    uint32_t overRed = frame.At(50, 64), overBlack = frame.At(90, 64);
    EXPECT_NEAR(Red(overRed), 127, 2);
    EXPECT_NEAR(Green(overRed), 128, 2);
    EXPECT_NEAR(Red(overBlack), 0, 1);
    EXPECT_NEAR(Green(overBlack), 128, 2);
}

TEST_F(GpuFrames, WireframeDrawsOnlyEdges)
{
    device_->SetRenderState(GPURS_LIGHTING, 0);
    device_->SetRenderState(GPURS_FILLMODE, GPUFILL_WIREFRAME);
    device_->SetRenderState(GPURS_CULLMODE, GPUCULL_NONE);
    device_->SetTextureStageState(0, GPUTSS_COLOROP, GPUTOP_SELECTARG2);
    std::vector<ColorVertex> quad;
    Quad(quad, -0.7f, -0.7f, 0.7f, 0.7f, 0.5f, 0xFFFFFFFF);
    device_->Clear(0, nullptr, GPUCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    DrawColorQuads(quad);
    GpuFrame frame = GpuTestReadBack(device_);
    EXPECT_TRUE(GpuFrameMatchesGolden(frame, "wireframe", 0));
    int lit = 0;
    for (uint32_t p : frame.pixels) lit += (p & 0xFFFFFF) != 0;
    EXPECT_GT(lit, 300);                              // the outline and the diagonal
    EXPECT_LT(lit, 1200);                             // but not the filled quad (about 8000 pixels)
    EXPECT_EQ(frame.At(40, 80) & 0xFFFFFF, 0u);       // inside a triangle
}

TEST_F(GpuFrames, RenderTargetTextureIsDrawnIntoThenSampled)
{
    GpuTexture* target = nullptr;
    ASSERT_EQ(device_->CreateTexture(64, 64, 1, GPUUSAGE_RENDERTARGET, GPUFMT_A8R8G8B8, GPUPOOL_DEFAULT, &target), GPU_OK);
    resources_.push_back(target);
    device_->SetRenderState(GPURS_LIGHTING, 0);
    device_->SetTextureStageState(0, GPUTSS_COLOROP, GPUTOP_SELECTARG2);
    // Into the texture: yellow, with a blue square in its top-left quarter.
    ASSERT_EQ(device_->SetRenderTarget(0, target->GetSurfaceLevel(0)), GPU_OK);
    device_->Clear(0, nullptr, GPUCLEAR_TARGET, 0xFFFFFF00, 1.0f, 0);
    std::vector<ColorVertex> square;
    Quad(square, -1, 0, 0, 1, 0.5f, 0xFF0000FF);
    DrawColorQuads(square);
    GpuFrame inside = GpuTestReadBack(device_, target->GetSurfaceLevel(0));
    ASSERT_EQ(inside.width, 64u);
    EXPECT_EQ(inside.At(10, 10) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(inside.At(50, 50) & 0xFFFFFF, 0xFFFF00u);
    // Then onto the back buffer as a texture over the whole frame.
    ASSERT_EQ(device_->SetRenderTarget(0, nullptr), GPU_OK);
    device_->Clear(0, nullptr, GPUCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    device_->SetTextureStageState(0, GPUTSS_COLOROP, GPUTOP_SELECTARG1);
    device_->SetTexture(0, target);
    std::vector<ColorVertex> whole;
    Quad(whole, -1, -1, 1, 1, 0.5f, 0xFFFFFFFF);
    DrawColorQuads(whole);
    GpuFrame frame = GpuTestReadBack(device_);
    EXPECT_TRUE(GpuFrameMatchesGolden(frame, "render_target", 0));
    EXPECT_EQ(frame.At(20, 20) & 0xFFFFFF, 0x0000FFu);      // top left stays top left
    EXPECT_EQ(frame.At(100, 100) & 0xFFFFFF, 0xFFFF00u);
}

TEST_F(GpuFrames, RedundantStatesNeverReachOpenGL)
{
    std::vector<ColorVertex> quad;
    Quad(quad, -1, -1, 1, 1, 0.5f, 0xFFFFFFFF);
    device_->SetRenderState(GPURS_LIGHTING, 0);
    DrawColorQuads(quad);
    DrawColorQuads(quad);   // settles every lazily sent state
    GpuResetCounters();
    device_->SetRenderState(GPURS_LIGHTING, 0);
    device_->SetRenderState(GPURS_CULLMODE, GPUCULL_CCW);
    device_->DrawPrimitive(GPUPT_TRIANGLELIST, 0, 2);
    EXPECT_EQ(GpuGetCounters().glCalls, 1u);   // the draw alone
}

TEST_F(GpuFrames, TextureFormatsReadTheirOwnLayouts)
{
    struct Case {
        uint32_t format, texel, expected;   // expected as 0xAARRGGBB after reading back
    };
    const Case cases[] = {
        {GPUFMT_A8R8G8B8, 0x80FF8040, 0x80FF8040}, {GPUFMT_X8R8G8B8, 0x00FF8040, 0xFFFF8040},
        {GPUFMT_R5G6B5, 0xF800, 0xFFFF0000},       {GPUFMT_X1R5G5B5, 0x001F, 0xFF0000FF},
        {GPUFMT_A1R5G5B5, 0x83E0, 0xFF00FF00},     {GPUFMT_A4R4G4B4, 0x8F84, 0x88FF8844},
    };
    device_->SetRenderState(GPURS_LIGHTING, 0);
    std::vector<ColorVertex> quad;
    Quad(quad, -1, -1, 1, 1, 0.5f, 0xFFFFFFFF);
    for (const Case& c : cases) {
        GpuTexture* t = nullptr;
        ASSERT_EQ(device_->CreateTexture(2, 2, 1, 0, c.format, GPUPOOL_MANAGED, &t), GPU_OK) << c.format;
        resources_.push_back(t);
        GpuLockedRect locked;
        ASSERT_EQ(t->LockRect(0, &locked, nullptr, 0), GPU_OK);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 2; ++x) {
                uint8_t* row = static_cast<uint8_t*>(locked.bits) + y * locked.pitch;
                if (c.format == GPUFMT_A8R8G8B8 || c.format == GPUFMT_X8R8G8B8) reinterpret_cast<uint32_t*>(row)[x] = c.texel;
                else reinterpret_cast<uint16_t*>(row)[x] = uint16_t(c.texel);
            }
        t->UnlockRect(0);
        device_->SetTexture(0, t);
        device_->SetTextureStageState(0, GPUTSS_COLOROP, GPUTOP_SELECTARG1);
        DrawColorQuads(quad);
        GpuFrame frame = GpuTestReadBack(device_);
        uint32_t p = frame.At(64, 64);
        EXPECT_NEAR(Red(p), Red(c.expected), 1) << "format " << c.format;
        EXPECT_NEAR(Green(p), Green(c.expected), 1) << "format " << c.format;
        EXPECT_NEAR(Blue(p), Blue(c.expected), 1) << "format " << c.format;
        EXPECT_NEAR(int(p >> 24), int(c.expected >> 24), 1) << "format " << c.format;
    }
}

TEST_F(GpuFrames, IndexedDrawsStartAtTheirBaseVertex)
{
    device_->SetRenderState(GPURS_LIGHTING, 0);
    device_->SetTextureStageState(0, GPUTSS_COLOROP, GPUTOP_SELECTARG2);
    std::vector<ColorVertex> corners = {
        {-1, 1, 0.5f, 0xFFFF0000, 0, 0}, {0, 1, 0.5f, 0xFFFF0000, 0, 0}, {0, 0, 0.5f, 0xFFFF0000, 0, 0},
        {-1, 0, 0.5f, 0xFFFF0000, 0, 0},   // top left, red
        {0, 0, 0.5f, 0xFF00FF00, 0, 0},  {1, 0, 0.5f, 0xFF00FF00, 0, 0}, {1, -1, 0.5f, 0xFF00FF00, 0, 0},
        {0, -1, 0.5f, 0xFF00FF00, 0, 0},   // bottom right, green
    };
    GpuIndexBuffer* ib = nullptr;
    ASSERT_EQ(device_->CreateIndexBuffer(12, GPUUSAGE_WRITEONLY, GPUFMT_INDEX16, GPUPOOL_MANAGED, &ib), GPU_OK);
    resources_.push_back(ib);
    const uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
    void* p = nullptr;
    ib->Lock(0, 0, &p, 0);
    std::memcpy(p, indices, sizeof indices);
    ib->Unlock();
    device_->Clear(0, nullptr, GPUCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    device_->SetRenderState(GPURS_ZENABLE, 0);
    device_->SetFVF(kColorFvf);
    device_->SetStreamSource(0, Buffer(corners), 0, sizeof(ColorVertex));
    device_->SetIndices(ib);
    EXPECT_EQ(device_->DrawIndexedPrimitive(GPUPT_TRIANGLELIST, 4, 0, 4, 0, 2), GPU_OK);   // the green quad only
    GpuFrame frame = GpuTestReadBack(device_);
    EXPECT_EQ(frame.At(96, 96) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(frame.At(32, 32) & 0xFFFFFF, 0u);
    EXPECT_EQ(device_->DrawIndexedPrimitive(GPUPT_TRIANGLELIST, 0, 0, 4, 4, 2), GPU_ERR_INVALID_CALL);   // past the end
}

TEST_F(GpuFrames, MultisampledBackBufferSmoothsEdges)
{
    GpuPresentParams params;
    params.width = params.height = kSize;
    params.multiSampleType = 4;
    ASSERT_EQ(device_->Reset(params), GPU_OK);
    device_->SetRenderState(GPURS_LIGHTING, 0);
    device_->SetTextureStageState(0, GPUTSS_COLOROP, GPUTOP_SELECTARG2);
    std::vector<ColorVertex> triangle = {{-0.9f, 0.9f, 0.5f, 0xFFFFFFFF, 0, 0}, {0.9f, 0.5f, 0.5f, 0xFFFFFFFF, 0, 0},
                                         {-0.7f, -0.9f, 0.5f, 0xFFFFFFFF, 0, 0}};
    device_->Clear(0, nullptr, GPUCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    DrawColorQuads(triangle);
    GpuFrame frame = GpuTestReadBack(device_);
    int partial = 0;
    for (uint32_t pixel : frame.pixels) partial += Red(pixel) > 20 && Red(pixel) < 235;
    EXPECT_GT(partial, 50);   // the edges are blended, not stepped
    EXPECT_EQ(device_->Present(nullptr), GPU_OK);
}
