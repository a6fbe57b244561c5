// The 3D world drawn on real OpenGL: a model made by another tool, lit by
// one directional light, with the 2D overlay on top, kept as golden frames.
#include "GpuTestSupport.h"
#include "TestSupport.h"
#include "game/world/C3DRoom.h"
#include "game/world/Cx3DObject.h"
#include "game/world/Cx3DWindow.h"
#include "game/world/CxWorldScript.h"
#include "display/CxDisplayTree.h"
#include "display/CxDrawText.h"
#include "graphics/CxFont.h"
#include "script/CxLuaEngine.h"
#include "graphics/CxD3DDevice.h"
#include "graphics/CxD3DRenderTarget.h"
#include "graphics/QorImageFilters.h"
#include "graphics/CxD3DScreen.h"
#include "graphics/CxScreenSelect.h"
#include "platform/window/PlatformWindow.h"

#include <cmath>
#include <memory>
#include <string>

namespace {
const std::string kModels = VORN_SHARED_MODELS;

class WorldFrames : public ::testing::Test {
protected:
    void Open(int32_t width, int32_t height)
    {
        std::string reason;
        CxD3DScreen* screen = GpuTestOpen3DScreen(width, height, &reason);
        screen_.reset(screen);
        if (!screen) GTEST_SKIP() << reason;
        d3d_ = screen->GetD3DDevice();
        width_ = width, height_ = height;
    }
    void TearDown() override
    {
        cat_.reset();
        room_.reset();
        screen_.reset();
        GpuTestCloseWindow();
    }

    // The cat three quarters on, a white light from above and in front.
    void BuildRoom()
    {
        room_ = std::make_unique<C3DRoom>();
        CxCamera& camera = room_->GetCamera();
        camera.SetPerspective(0.8f, float(width_) / float(height_), 0.05f, 50.0f);
        camera.eye[0] = 0.6f, camera.eye[1] = 0.45f, camera.eye[2] = -0.9f;
        camera.target[0] = 0, camera.target[1] = 0.15f, camera.target[2] = 0;
        camera.up[1] = 1;
        camera.valid = 1;
        light_.type = GPULIGHT_DIRECTIONAL;
        light_.SetDirection(-0.3f, -0.8f, 0.5f);
        light_.diffuse[0] = light_.diffuse[1] = light_.diffuse[2] = light_.diffuse[3] = 255;
        room_->GetSceneManager().AddLight(&light_);
        room_->SetAmbient(0xFF303030);
        cat_ = std::make_unique<Cx3DObject>();
        ASSERT_EQ(cat_->LoadModel((kModels + "/cat_model.glb").c_str()), 0);
        ASSERT_TRUE(cat_->HasModel());
        ASSERT_EQ(cat_->LoadAnim("idle", (kModels + "/cat_anim_idle.glb").c_str(), ""), 0);
        cat_->Link(&room_->GetSceneManager());
        cat_->Play("idle", 0, 1.0f);
    }

    GpuFrame DrawFrame(float seconds, bool overlay)
    {
        d3d_->BeginScene();
        room_->BeginRender(d3d_);
        Cx3DObject::SetGameTime(seconds);
        RenderContext context{d3d_, RENDERPASS_OPAQUE, 1};
        room_->RenderScene(context);
        d3d_->SetRenderState(GPURS_ZWRITEENABLE, 0);
        context.pass = RENDERPASS_TRANSPARENT;
        room_->RenderScene(context);
        d3d_->SetRenderState(GPURS_ZENABLE, 0);
        context.pass = RENDERPASS_FOREGROUND;
        room_->RenderScene(context);
        room_->EndRender(d3d_);
        if (overlay) {
            // An interface panel: a bar along the bottom with a light square on it.
            CxD3DRenderTarget target(d3d_, width_, height_, CxSize{width_, height_}, 32);
            CxDrawSurface bar;
            EXPECT_EQ(bar.Create(width_, 40, 32), 0);
            for (int32_t y = 0; y < 40; ++y)
                for (int32_t x = 0; x < width_; ++x)
                    bar.SetPixel(x, y, (x > 10 && x < 50 && y > 8 && y < 32) ? bar.MakeColor(240, 220, 80)
                                                                              : bar.MakeColor(40, 60, 120));
            target.BeginDraw();
            target.DrawSurfaceAt(&bar, 0, height_ - 40, nullptr, CxPixel(-1), nullptr);
            target.EndDraw();
        }
        d3d_->EndScene();
        return GpuTestReadBack(d3d_->GetDevice());
    }

    // The whole display tree painted through the overlay over a black frame.
    GpuFrame PaintTreeThroughOverlay()
    {
        CxD3DRenderTarget target(d3d_, width_, height_, CxSize{width_, height_}, 32);
        InvalidateRect(CxRect{0, 0, width_ - 1, height_ - 1});
        d3d_->BeginScene();
        d3d_->Clear(0, nullptr, GPUCLEAR_TARGET | GPUCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        target.BeginDraw();
        PaintDirtyRects(&target, nullptr);
        target.EndDraw();
        d3d_->EndScene();
        return GpuTestReadBack(d3d_->GetDevice());
    }

    // Pixels of the frame above the overlay bar that are not the black clear.
    int LitPixels(const GpuFrame& frame)
    {
        int lit = 0;
        for (uint32_t y = 0; y + 40 < frame.height; ++y)
            for (uint32_t x = 0; x < frame.width; ++x)
                if ((frame.At(x, y) & 0xFFFFFF) != 0) ++lit;
        return lit;
    }

    std::unique_ptr<CxScreenSurface> screen_;
    CxD3DDevice* d3d_ = nullptr;
    int32_t width_ = 0, height_ = 0;
    std::unique_ptr<C3DRoom> room_;
    std::unique_ptr<Cx3DObject> cat_;
    CxLight light_;
};
}  // namespace

TEST_F(WorldFrames, CatLitByOneDirectionalLightUnderTheOverlay)
{
    Open(320, 240);
    if (IsSkipped() || HasFatalFailure()) return;   // a skip inside Open only leaves Open
    BuildRoom();
    GpuFrame rest = DrawFrame(0.0f, true);
    ASSERT_EQ(rest.width, 320u);
    EXPECT_GT(LitPixels(rest), 2000) << "the cat covers a good part of the frame";
    EXPECT_EQ(Red(rest.At(30, 220)), 240) << "the overlay lies on top";
    EXPECT_EQ(Blue(rest.At(200, 220)), 120);
    EXPECT_TRUE(GpuFrameMatchesGolden(rest, "world_cat_lit"));

    // Half a second into the idle clip the pose has moved.
    GpuFrame later = DrawFrame(0.5f, true);
    int changed = 0;
    for (size_t i = 0; i < later.pixels.size(); ++i) changed += later.pixels[i] != rest.pixels[i];
    EXPECT_GT(changed, 20);
    EXPECT_TRUE(GpuFrameMatchesGolden(later, "world_cat_idle_half_second"));
}

// The cat's file embeds its coat, which it wears until a script gives it
// another texture, and again once the script clears that.
TEST_F(WorldFrames, AScriptTextureCoversTheEmbeddedCoatUntilCleared)
{
    Open(320, 240);
    BuildRoom();
    RegisterEngineImageFilters();
    GpuFrame coat = DrawFrame(0.0f, false);
    ASSERT_GT(LitPixels(coat), 2000);
    std::string cube = std::string(VORN_TEST_DATA) + "/gpu/lit_cube.tga";
    ASSERT_EQ(cat_->SetTexture(cube.c_str()), 0);
    GpuFrame painted = DrawFrame(0.0f, false);
    int changed = 0;
    for (size_t i = 0; i < coat.pixels.size(); ++i) changed += coat.pixels[i] != painted.pixels[i];
    EXPECT_GT(changed, 1000) << "the script's texture replaces the coat";
    cat_->SetTexture(nullptr);
    GpuFrame again = DrawFrame(0.0f, false);
    EXPECT_EQ(again.pixels, coat.pixels);
}

TEST_F(WorldFrames, InactiveLightsKeepTheirIndexAndDarkenTheScene)
{
    Open(320, 240);
    if (IsSkipped() || HasFatalFailure()) return;   // a skip inside Open only leaves Open
    BuildRoom();
    CxLight unused, second;
    unused.active = 0;
    room_->GetSceneManager().RemoveLight(&light_);
    room_->GetSceneManager().AddLight(&unused);
    room_->GetSceneManager().AddLight(&light_);
    GpuFrame frame = DrawFrame(0.0f, false);
    GpuLight gpu;
    bool enabled = true;
    d3d_->GetLight(0, &gpu, &enabled);
    EXPECT_FALSE(enabled);
    d3d_->GetLight(1, &gpu, &enabled);
    EXPECT_TRUE(enabled);
    // Fewer lights than the frame before: index 1 goes dark.
    room_->GetSceneManager().RemoveLight(&light_);
    GpuFrame dark = DrawFrame(0.0f, false);
    d3d_->GetLight(1, &gpu, &enabled);
    EXPECT_FALSE(enabled);
    long before = 0, after = 0;
    for (size_t i = 0; i < frame.pixels.size(); ++i) before += Green(frame.pixels[i]), after += Green(dark.pixels[i]);
    EXPECT_LT(after, before);
}

// Scripts own their lights and objects: one they drop and the collector
// takes leaves the scene that held it, so the next frame draws without it
// (the sanitizer build would catch any pointer left behind).
TEST_F(WorldFrames, ObjectsAndLightsCollectedFromScriptsLeaveTheScene)
{
    Open(160, 120);
    if (IsSkipped() || HasFatalFailure()) return;   // a skip inside Open only leaves Open
    BuildRoom();
    CxLuaEngine engine;
    ASSERT_EQ(engine.Init(), 0);
    ASSERT_EQ(RegisterWorldScriptClasses(engine), 0);
    ASSERT_EQ(ScriptExpose(engine, &room_->GetSceneManager(), kCxSceneManagerScriptClass,
                           "scene = CxSceneManager:SubClass(_tmpObj) _tmpObj = nil"),
              0);
    std::string load = "cat = Cx3DObject:new() cat:LoadModel('" + kModels + "/cat_model.glb') cat:Link(scene) "
                       "cat:SetPosition(0.3, 0, 0) cat:SetPosition(0/0, 0, 0) "
                       "light = CxLight:new() light:SetType(3) light:SetDirection(0, 0, 0) "
                       "light:SetDiffuse(255, 300, 0, 0) scene:AddLight(light)";
    ASSERT_EQ(engine.RunString(load.c_str()), 0);
    EXPECT_EQ(engine.EvalInt("select(1, cat:GetPosition()) * 10", -1), 3) << "a NaN leaves the placement alone";
    EXPECT_EQ(engine.EvalInt("select(2, light:GetDiffuse())", -1), 44) << "300 modulo 256";
    EXPECT_EQ(room_->GetSceneManager().GetChildren().size(), 2u);
    EXPECT_EQ(room_->GetSceneManager().GetLights().size(), 2u);
    DrawFrame(0.0f, false);
    int liveBefore = Cx3DObject::LiveCount();
    ASSERT_EQ(engine.RunString("cat = nil light = nil collectgarbage('collect') collectgarbage('collect')"), 0);
    EXPECT_EQ(Cx3DObject::LiveCount(), liveBefore - 1);
    EXPECT_EQ(room_->GetSceneManager().GetChildren().size(), 1u);
    EXPECT_EQ(room_->GetSceneManager().GetLights().size(), 1u);
    GpuFrame after = DrawFrame(0.0f, false);
    EXPECT_GT(LitPixels(after), 100);
    engine.Shutdown();
}

namespace {
struct RoomListener : Cx3DWindowListener {
    C3DRoom* room;
    explicit RoomListener(C3DRoom* r) : room(r) {}
    void Render(const RenderContext& context) override { room->RenderScene(context); }
    void BeginRender(CxD3DDevice* device) override { room->BeginRender(device); }
    void EndRender(CxD3DDevice* device) override { room->EndRender(device); }
};
}  // namespace

// The preview of a 3D scene inside a 2D room: the cat drawn into the window's
// texture, shown by the interface over a flat background.
TEST_F(WorldFrames, A3DWindowShowsItsSceneInsideA2DRoom)
{
    Open(320, 240);
    if (IsSkipped() || HasFatalFailure()) return;   // a skip inside Open only leaves Open
    BuildRoom();
    room_->GetCamera().SetPerspective(0.8f, 160.0f / 120.0f, 0.05f, 50.0f);
    // The room poses by the wall clock, so a playing clip would make the
    // striped coat land differently from run to run: the cat stands still.
    cat_->StopAll();
    InitDisplayTree(CxSize{320, 240});
    auto* background = new CxSprite;
    ASSERT_EQ(background->CreateSurface(320, 240, 32), 0);
    background->Create(0, 0, 320, 240, GetRootObject(), 1);
    CxDrawSurface* picture = background->GetSurface();
    for (int32_t y = 0; y < 240; ++y)
        for (int32_t x = 0; x < 320; ++x) picture->SetPixel(x, y, picture->MakeColor(90, 140, 90));
    auto* window = new Cx3DWindow;
    ASSERT_EQ(window->CreateWindow(80, 60, 160, 120, GetRootObject(), 2), 0);
    RoomListener listener(room_.get());
    window->SetListener(&listener);
    Cx3DObject::SetGameTime(0);
    background->Paint();
    window->Paint();
    window->OnMainLoop();
    EXPECT_EQ(window->GetRenderCount(), 1);

    GpuFrame frame = PaintTreeThroughOverlay();
    EXPECT_EQ(Green(frame.At(10, 10)), 140) << "the room's background around the window";
    int cat = 0;
    for (uint32_t y = 60; y < 180; ++y)
        for (uint32_t x = 80; x < 240; ++x) cat += Green(frame.At(x, y)) != 140;
    EXPECT_GT(cat, 500) << "the scene inside the window";
    EXPECT_TRUE(GpuFrameMatchesGolden(frame, "world_3d_window"));
    window->ReleaseTarget();
    ShutdownDisplayTree();
}

// A text without a ground shows the panel under it between its letters
// through the overlay too, as on a software screen: before, it copied
// nothing from the overlay and showed a black box with dim letters.
TEST_F(WorldFrames, AGroundlessTextOverAPanelKeepsThePanelBetweenItsLetters)
{
    Open(320, 240);
    if (IsSkipped() || HasFatalFailure()) return;   // a skip inside Open only leaves Open
    InitDisplayTree(CxSize{320, 240});
    ASSERT_EQ(CreateDefaultFont(), 0);
    auto* panel = new CxSprite;
    ASSERT_EQ(panel->CreateSurface(200, 100, 32), 0);
    panel->Create(60, 70, 200, 100, GetRootObject(), 1);
    panel->GetSurface()->FillRect(nullptr, panel->GetSurface()->MakeColor(240, 230, 200));
    auto* text = new CxDrawText;
    text->Create(10, 30, 180, 40, panel, 1);   // at (70, 100) on the screen
    text->SetBkColor(CX_NO_COLOR);
    text->SetColor(0xFF3C285A);
    text->SetPointSize(20);
    text->SetString("Hello kitten");
    panel->Paint();
    text->Paint();

    GpuFrame frame = PaintTreeThroughOverlay();
    int panelColoured = 0, letters = 0;
    for (uint32_t y = 100; y < 140; ++y)
        for (uint32_t x = 70; x < 250; ++x) {
            uint32_t p = frame.At(x, y);
            panelColoured += Red(p) == 240 && Green(p) == 230 && Blue(p) == 200;
            letters += Red(p) < 120;
        }
    EXPECT_GT(panelColoured, 180 * 40 / 2) << "the panel shows around the letters";
    EXPECT_GT(letters, 50) << "and the letters are there";
    ShutdownDisplayTree();
    DeleteDefaultFont();
}

// Flags choose the passes: transparent and foreground draws twice (5 and 3),
// opaque and foreground twice (4 and 3), a plain object once.
TEST_F(WorldFrames, AlphaAndForegroundFlagsChooseThePasses)
{
    Open(160, 120);
    if (IsSkipped() || HasFatalFailure()) return;   // a skip inside Open only leaves Open
    BuildRoom();
    Cx3DObject glass, front;
    ASSERT_EQ(glass.LoadModel((kModels + "/cat_model.glb").c_str()), 0);
    ASSERT_EQ(front.LoadModel((kModels + "/cat_model.glb").c_str()), 0);
    glass.SetHasAlpha(1), glass.SetForeground(1);
    front.SetForeground(1);
    glass.Link(&room_->GetSceneManager());
    front.Link(&room_->GetSceneManager());
    DrawFrame(0.0f, false);
    EXPECT_EQ(cat_->GetDrawCount(), 1);
    EXPECT_EQ(glass.GetDrawCount(), 2);
    EXPECT_EQ(front.GetDrawCount(), 2);
    room_->GetSceneManager().SetVisible(0);
    DrawFrame(0.0f, false);
    EXPECT_EQ(cat_->GetDrawCount(), 1) << "a hidden scene draws nothing";
}
