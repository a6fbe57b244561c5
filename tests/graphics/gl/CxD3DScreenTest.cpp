// The 3D screen on real OpenGL: opening through the screen choice, the
// overlay pass with its scaling, texture surfaces, presenting, the drawn
// cursor, and the lost / not-reset / reset cycle.
#include "GpuTestSupport.h"
#include "graphics/CxD3DDevice.h"
#include "graphics/CxD3DRenderTarget.h"
#include "graphics/CxD3DScreen.h"
#include "graphics/CxScreenSelect.h"
#include "graphics/CxTextureSurface.h"
#include "graphics/QorImageFilters.h"
#include "TestSupport.h"
#include "platform/window/PlatformWindow.h"

#include <cstring>
#include <memory>

namespace {
class D3DScreen : public ::testing::Test {
protected:
    void Open(int32_t width, int32_t height)
    {
        std::string reason;
        CxD3DScreen* screen = GpuTestOpen3DScreen(width, height, &reason);
        screen_.reset(screen);
        if (!screen) GTEST_SKIP() << reason;
        d3d_ = screen->GetD3DDevice();
        ASSERT_NE(d3d_, nullptr);
    }
    void TearDown() override
    {
        screen_.reset();
        GpuTestCloseWindow();
    }
    CxD3DScreen* Screen() { return static_cast<CxD3DScreen*>(screen_.get()); }

    std::unique_ptr<CxScreenSurface> screen_;
    CxD3DDevice* d3d_ = nullptr;
};

void Fill(CxDrawSurface& s, CxPixel color)
{
    for (int32_t y = 0; y < s.GetHeight(); ++y)
        for (int32_t x = 0; x < s.GetWidth(); ++x) s.SetPixel(x, y, color);
}

struct ColorVertex {
    float x, y, z;
    uint32_t color;
};
}  // namespace

TEST_F(D3DScreen, OverlayScalesTheInternalSizeToTheTarget)
{
    Open(1024, 768);
    if (IsSkipped() || HasFatalFailure()) return;   // a skip inside Open only leaves Open
    // A 3D frame underneath: a clear and a triangle shaded by its vertex colours.
    d3d_->Clear(0, nullptr, GPUCLEAR_TARGET | GPUCLEAR_ZBUFFER, 0xFF102040, 1.0f, 0);
    const ColorVertex triangle[3] = {{0.0f, -0.9f, 0.5f, 0xFFFF0000}, {0.45f, 0.9f, 0.5f, 0xFF00FF00},
                                     {0.9f, -0.9f, 0.5f, 0xFF0000FF}};
    GpuVertexBuffer* vb = nullptr;
    ASSERT_EQ(d3d_->CreateVertexBuffer(sizeof triangle, GPUUSAGE_WRITEONLY, 0, GPUPOOL_MANAGED, &vb), GPU_OK);
    void* bytes = nullptr;
    vb->Lock(0, 0, &bytes, 0);
    std::memcpy(bytes, triangle, sizeof triangle);
    vb->Unlock();
    d3d_->SetRenderState(GPURS_LIGHTING, 0);
    d3d_->SetTextureStageState(0, GPUTSS_COLOROP, GPUTOP_SELECTARG2);
    d3d_->SetFVF(GPUFVF_XYZ | GPUFVF_DIFFUSE);
    d3d_->SetStreamSource(0, vb, 0, sizeof(ColorVertex));
    d3d_->DrawPrimitive(GPUPT_TRIANGLELIST, 0, 1);
    vb->Release();
    CxD3DRenderTarget overlay(d3d_, 1024, 768, CxSize{800, 600}, 32);
    CxDrawSurface plain;
    ASSERT_EQ(plain.Create(50, 50, 32), 0);
    Fill(plain, 0xFFFF0000);
    plain.DrawRect(CxRect{0, 0, 49, 49}, 0xFFFFFFFF);
    CxTextureSurface glass;                  // drawn from its texture, with its alpha
    ASSERT_EQ(glass.Create(100, 50, 32), 0);
    Fill(glass, 0x8000FF00);
    BltEffects hidden{BLT_EFFECT_HIDDEN};

    d3d_->BeginScene();
    overlay.BeginDraw();
    overlay.DrawSurfaceAt(&plain, 100, 100, nullptr, CX_NO_COLOR, nullptr);
    overlay.DrawSurfaceAt(&glass, 400, 100, nullptr, CX_NO_COLOR, nullptr);
    int quads = overlay.GetQuadCount();
    overlay.DrawSurfaceAt(&plain, 0, 0, nullptr, CX_NO_COLOR, &hidden);
    EXPECT_EQ(overlay.GetQuadCount(), quads);   // effect 16 draws nothing
    overlay.EndDraw();
    d3d_->EndScene();
    EXPECT_EQ(d3d_->GetRenderStateDepth(), 1);  // the pass leaves the states as it found them

    GpuFrame frame = GpuTestReadBack(d3d_->GetDevice());
    ASSERT_EQ(frame.width, 1024u);
    EXPECT_TRUE(GpuFrameMatchesGolden(frame, "overlay_1024x768", 4));
    // (100, 100) 50×50 at 800×600 lands at (128, 128) 64×64 at 1024×768.
    EXPECT_EQ(frame.At(128, 128) & 0xFFFFFF, 0xFFFFFFu);   // the border's corner
    EXPECT_EQ(frame.At(160, 160) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(frame.At(191, 191) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(frame.At(127, 128) & 0xFFFFFF, 0x102040u);
    EXPECT_EQ(frame.At(192, 160) & 0xFFFFFF, 0x102040u);
    EXPECT_EQ(frame.At(160, 192) & 0xFFFFFF, 0x102040u);
    uint32_t mixed = frame.At(600, 150);                   // half green over the clear colour
    EXPECT_NEAR(Green(mixed), (255 + 0x20) / 2, 2);
    EXPECT_NEAR(Blue(mixed), 0x40 / 2, 2);
}

TEST_F(D3DScreen, PresentShowsThePaintedRectanglesAndTheDrawnCursor)
{
    Open(320, 240);
    if (IsSkipped() || HasFatalFailure()) return;   // a skip inside Open only leaves Open
    CxDrawSurface* surface = screen_->GetSurface();
    ASSERT_EQ(surface->GetWidth(), 320);
    Fill(*surface, 0xFF336699);
    ASSERT_EQ(screen_->Present(nullptr), 0);
    CxRect painted{10, 20, 59, 39};
    for (int32_t y = painted.top; y <= painted.bottom; ++y)
        for (int32_t x = painted.left; x <= painted.right; ++x) surface->SetPixel(x, y, 0xFFFFCC00);
    surface->SetPixel(200, 200, 0xFF00FF00);   // painted but not listed: not shown yet
    ASSERT_EQ(screen_->PresentRect(painted), 0);
    GpuFrame frame = GpuTestReadBack(d3d_->GetDevice());
    EXPECT_EQ(frame.At(10, 20) & 0xFFFFFF, 0xFFCC00u);
    EXPECT_EQ(frame.At(59, 39) & 0xFFFFFF, 0xFFCC00u);
    EXPECT_EQ(frame.At(60, 39) & 0xFFFFFF, 0x336699u);
    EXPECT_EQ(frame.At(200, 200) & 0xFFFFFF, 0x336699u);

    // With system cursors (X11) the picture becomes one; without them
    // (the offscreen driver) it is drawn into the frame.
    CxDrawSurface arrow;
    ASSERT_EQ(arrow.Create(8, 8, 32), 0);
    Fill(arrow, 0xFFFFFFFF);
    arrow.SetPixel(7, 7, 0xFF000000);
    arrow.SetTransparentColor(0xFF000000);
    CxCursorPicture cursor;
    cursor.id = 0;
    cursor.image = &arrow;
    cursor.frame = arrow.GetRect();
    cursor.hotSpot = {1, 1};
    cursor.position = {101, 101};
    Screen()->SetCursor(cursor);
    if (Screen()->HasSystemCursor()) {
        screen_->UpdateCursor();
        frame = GpuTestReadBack(d3d_->GetDevice());
        EXPECT_EQ(frame.At(100, 100) & 0xFFFFFF, 0x336699u);   // the system shows it, not the frame
        return;
    }
    screen_->UpdateCursor();
    frame = GpuTestReadBack(d3d_->GetDevice());
    EXPECT_GE(Red(frame.At(100, 100)), 250);               // white, through the 32-bit alpha blit
    EXPECT_GE(Blue(frame.At(100, 100)), 250);
    EXPECT_EQ(frame.At(107, 107) & 0xFFFFFF, 0x336699u);   // the transparent pixel
    EXPECT_EQ(surface->GetPixel(100, 100), 0xFF336699u);   // the painted frame never holds the cursor
    cursor.position = {151, 101};
    Screen()->SetCursor(cursor);
    screen_->UpdateCursor();
    frame = GpuTestReadBack(d3d_->GetDevice());
    EXPECT_EQ(frame.At(100, 100) & 0xFFFFFF, 0x336699u);   // uncovered where it was
    EXPECT_GE(Green(frame.At(150, 100)), 250);
}

TEST_F(D3DScreen, MinimisedIsLostRestoredNeedsResetAndResetGivesTheSameFrame)
{
    Open(160, 120);
    if (IsSkipped() || HasFatalFailure()) return;   // a skip inside Open only leaves Open
    GpuVertexBuffer* vb = nullptr;
    const ColorVertex quad[4] = {{-0.8f, 0.8f, 0.5f, 0xFFFFFFFF}, {0.8f, 0.8f, 0.5f, 0xFF00FF00},
                                 {0.8f, -0.8f, 0.5f, 0xFFFFFFFF}, {-0.8f, -0.8f, 0.5f, 0xFF0000FF}};
    ASSERT_EQ(d3d_->CreateVertexBuffer(sizeof quad, GPUUSAGE_WRITEONLY, 0, GPUPOOL_MANAGED, &vb), GPU_OK);
    void* bytes = nullptr;
    vb->Lock(0, 0, &bytes, 0);
    std::memcpy(bytes, quad, sizeof quad);
    vb->Unlock();
    // States that change the picture, set once through the cache.
    d3d_->SetRenderState(GPURS_LIGHTING, 0);
    d3d_->SetRenderState(GPURS_TEXTUREFACTOR, 0xFFFF8040);
    d3d_->SetRenderState(GPURS_CULLMODE, GPUCULL_NONE);
    d3d_->SetTextureStageState(0, GPUTSS_COLOROP, GPUTOP_MODULATE);
    d3d_->SetTextureStageState(0, GPUTSS_COLORARG1, GPUTA_TFACTOR);
    d3d_->SetTextureStageState(0, GPUTSS_COLORARG2, GPUTA_DIFFUSE);
    auto drawFrame = [&] {   // what a frame sends every time: transforms and geometry
        d3d_->SetTransform(GPUTS_WORLD, GpuMatrix{});
        d3d_->Clear(0, nullptr, GPUCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        d3d_->SetFVF(GPUFVF_XYZ | GPUFVF_DIFFUSE);
        d3d_->SetStreamSource(0, vb, 0, sizeof(ColorVertex));
        d3d_->DrawPrimitive(GPUPT_TRIANGLEFAN, 0, 2);
        return GpuTestReadBack(d3d_->GetDevice());
    };
    GpuFrame before = drawFrame();
    EXPECT_EQ(before.At(80, 60) & 0xFFFFFF, 0xFF8040u);   // the factor times white on the diagonal

    PlatWindowHide();   // what minimising does to the window, on every video driver
    EXPECT_EQ(d3d_->TestCooperativeLevel(), GPU_ERR_DEVICE_LOST);
    EXPECT_EQ(screen_->PresentRect(CxRect{0, 0, 9, 9}), 0);
    EXPECT_TRUE(Screen()->IsLost());
    EXPECT_EQ(screen_->Present(nullptr), 0);   // still lost: nothing to do yet
    PlatWindowShow();
    EXPECT_EQ(d3d_->TestCooperativeLevel(), GPU_ERR_DEVICE_NOT_RESET);
    EXPECT_EQ(screen_->Present(nullptr), ERR_D3D_NOT_RESET);

    // A bare reset puts the device back to its defaults: a different frame.
    ASSERT_EQ(d3d_->GetDevice()->Reset(Screen()->GetPresentParams()), GPU_OK);
    GpuFrame bare = drawFrame();
    EXPECT_NE(bare.pixels, before.pixels);
    // The screen's reset reapplies the cached states: the frame comes back.
    ASSERT_EQ(screen_->Reset(), 0);
    EXPECT_EQ(d3d_->TestCooperativeLevel(), GPU_OK);
    GpuFrame after = drawFrame();
    EXPECT_EQ(after.pixels, before.pixels);
    EXPECT_EQ(screen_->Present(nullptr), 0);
    vb->Release();
}

TEST_F(D3DScreen, TextureSurfacesSendOnlyWhatChanged)
{
    Open(64, 64);
    if (IsSkipped() || HasFatalFailure()) return;   // a skip inside Open only leaves Open
    CxTextureSurface* surface = dynamic_cast<CxTextureSurface*>(NewTextureSurface());
    ASSERT_NE(surface, nullptr);
    ASSERT_EQ(surface->Create(200, 100, 32), 0);
    surface->SetDirtyByCaller(true);
    GpuResetCounters();
    ASSERT_NE(surface->GetTexture(), nullptr);          // made and sent whole the first time
    EXPECT_EQ(GpuGetCounters().uploadedBytes, 200u * 100 * 4);
    GpuResetCounters();
    surface->MarkDirty(CxRect{10, 10, 19, 14});
    EXPECT_EQ(surface->GetTexture(), surface->GetTexture());
    EXPECT_EQ(GpuGetCounters().uploadedBytes, 10u * 5 * 4);   // the one rectangle, once
    CxTextureSurface big;
    ASSERT_EQ(big.Create(100000, 2, 32), 0);            // wider than any texture
    CxErrorCallback previous = GetErrorCallback();
    SetErrorCallback([](int, const char*) { return 0; });
    EXPECT_EQ(big.GetTexture(), nullptr);
    SetErrorCallback(previous);
    EXPECT_EQ(big.GetErrorCode(), ERR_DIRECTX);
    delete surface;
}

TEST_F(D3DScreen, TextureSurfacesLoadThroughTheImageFilters)
{
    Open(64, 64);
    if (IsSkipped() || HasFatalFailure()) return;   // a skip inside Open only leaves Open
    InTempDir dir;
    RegisterEngineImageFilters();
    CxDrawSurface picture;
    ASSERT_EQ(picture.Create(5, 3, 24), 0);
    Fill(picture, 0x123456);
    picture.SetPixel(4, 2, 0xABCDEF);
    ASSERT_EQ(picture.Save("picture.tga", 0), 0);
    CxTextureSurface texture;
    ASSERT_EQ(texture.Load("picture.tga"), 0);
    EXPECT_EQ(texture.GetWidth(), 5);
    EXPECT_EQ(texture.GetDepth(), 24);
    EXPECT_EQ(texture.GetPixel(4, 2), picture.GetPixel(4, 2));
    EXPECT_STREQ(texture.GetName(), "picture.tga");
    GpuTexture* made = texture.GetTexture();
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->GetFormat(), uint32_t(GPUFMT_A8R8G8B8));   // 24-bit pixels are widened as they are sent
    EXPECT_EQ(texture.GetTexture(), made);
}

TEST_F(D3DScreen, TextureTargetsAreDrawnIntoByTheDeviceAndShownByTheOverlay)
{
    Open(64, 64);
    if (IsSkipped() || HasFatalFailure()) return;   // a skip inside Open only leaves Open
    CxTextureTarget target;
    ASSERT_EQ(target.Create(16, 16, 32), 0);
    GpuSurface* surface = target.GetTargetSurface();
    ASSERT_NE(surface, nullptr);
    ASSERT_EQ(d3d_->SetRenderTarget(0, surface), GPU_OK);
    d3d_->Clear(0, nullptr, GPUCLEAR_TARGET, 0xFFFF0000, 1.0f, 0);
    ASSERT_EQ(d3d_->SetRenderTarget(0, nullptr), GPU_OK);
    d3d_->Clear(0, nullptr, GPUCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    CxD3DRenderTarget overlay(d3d_, 64, 64);
    overlay.BeginDraw();
    overlay.DrawSurfaceAt(&target, 8, 8, nullptr, CX_NO_COLOR, nullptr);
    overlay.EndDraw();
    GpuFrame frame = GpuTestReadBack(d3d_->GetDevice());
    EXPECT_EQ(frame.At(8, 8) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(frame.At(23, 23) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(frame.At(24, 24) & 0xFFFFFF, 0u);
    EXPECT_EQ(overlay.GetStagingSurface(), nullptr);   // drawn from its texture, never staged
}

// A button's picture over the 3D frame, drawn as the interface draws it:
// its transparent corners and its transparent colour show the frame, its
// half-transparent edge mixes with it, the target's alpha becomes
// a + d(1 - a), and nothing the staging surface held before shows through.
TEST_F(D3DScreen, AlphaPicturesBlendOverTheFrameWithTheirOwnAlpha)
{
    Open(64, 64);
    CxTextureTarget target;   // a target with alpha, so that the blended alpha can be read back
    ASSERT_EQ(target.Create(64, 32, 32), 0);
    GpuSurface* surface = target.GetTargetSurface();
    ASSERT_NE(surface, nullptr);
    CxDrawSurface cover, picture, nothing;
    ASSERT_EQ(cover.Create(16, 16, 32), 0);
    ASSERT_EQ(picture.Create(16, 16, 32), 0);
    ASSERT_EQ(nothing.Create(16, 16, 32), 0);
    Fill(cover, 0xFF0000FF);
    Fill(picture, 0x00FF0000);   // transparent red: its colour must not leak either
    for (int32_t y = 4; y <= 11; ++y)
        for (int32_t x = 4; x <= 13; ++x) picture.SetPixel(x, y, x < 12 ? 0xFFFFFFFF : 0x80FFFFFF);
    picture.SetPixel(8, 6, 0xFFFF00FF);   // the transparent colour
    Fill(nothing, 0);
    BltEffects alpha{BLT_EFFECT_ALPHA};
    const uint32_t frameColor = 0x40306090;
    CxD3DRenderTarget overlay(d3d_, 64, 32);
    ASSERT_EQ(d3d_->SetRenderTarget(0, surface), GPU_OK);
    auto paint = [&](auto&& draw) {
        d3d_->Clear(0, nullptr, GPUCLEAR_TARGET, frameColor, 1.0f, 0);
        d3d_->BeginScene();
        overlay.BeginDraw();
        draw();
        overlay.EndDraw();
        d3d_->EndScene();
    };
    // The first frame leaves opaque blue in the staging surface under the picture.
    paint([&] { overlay.DrawSurfaceAt(&cover, 0, 0, nullptr, CX_NO_COLOR, nullptr); });
    EXPECT_EQ(GpuTestReadBack(d3d_->GetDevice(), surface).At(0, 0), 0xFF0000FFu);
    paint([&] {
        overlay.DrawSurfaceAt(&picture, 0, 0, nullptr, 0xFFFF00FF, &alpha);
        overlay.DrawSurfaceAt(&nothing, 32, 0, nullptr, CX_NO_COLOR, &alpha);
    });
    GpuFrame frame = GpuTestReadBack(d3d_->GetDevice(), surface);
    ASSERT_EQ(d3d_->SetRenderTarget(0, nullptr), GPU_OK);
    ASSERT_EQ(frame.width, 64u);
    EXPECT_EQ(frame.At(0, 0), frameColor);     // the corners
    EXPECT_EQ(frame.At(15, 15), frameColor);
    EXPECT_EQ(frame.At(8, 6), frameColor);     // the transparent colour
    EXPECT_EQ(frame.At(8, 8), 0xFFFFFFFFu);    // opaque: the picture alone
    uint32_t half = frame.At(12, 8);           // 0x80 of white over the frame
    EXPECT_NEAR(Red(half), (255 * 128 + 0x30 * 127) / 255, 2);
    EXPECT_NEAR(Green(half), (255 * 128 + 0x60 * 127) / 255, 2);
    EXPECT_NEAR(Blue(half), (255 * 128 + 0x90 * 127) / 255, 2);
    EXPECT_NEAR(int(half >> 24), 128 + 0x40 * 127 / 255, 2);
    for (uint32_t x = 32; x < 48; x += 5) EXPECT_EQ(frame.At(x, 8), frameColor);   // wholly transparent: nothing
}
