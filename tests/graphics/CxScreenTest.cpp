// Screens over SDL's dummy driver: the fallback order, what Present shows,
// and the depths that go through a 32-bit copy.
#include "../core/ErrorCapture.h"
#include "core/CxOptions.h"
#include "graphics/CxScreenCursor.h"
#include "graphics/CxPal.h"
#include "graphics/CxScreenSelect.h"
#include "graphics/CxScreenSoftware.h"
#include "platform/window/PlatformWindow.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {
constexpr int32_t kW = 40, kH = 30;

class ScreenTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        PlatWindowDesc desc;
        desc.width = kW;
        desc.height = kH;
        ASSERT_TRUE(PlatWindowCreate(desc)) << PlatLastError();
        params.window = PlatWindowNativeHandle();
        params.width = kW;
        params.height = kH;
        params.depth = 32;
    }
    void TearDown() override
    {
        PlatWindowDestroy();
        PlatVideoStop();
        SetDisplay16BitFormat(0);
    }
    CxScreenOpenParams params;
    ErrorCapture capture;
};

// A screen that never opens, counting the attempts.
int gFailingMade = 0;
class FailingScreen : public CxDibScreen {
public:
    int Open(const CxScreenOpenParams&) override { return errorCode_ = ERR_DIRECTX; }
};
CxScreenSurface* MakeFailing() { return ++gFailingMade, new FailingScreen; }
CxScreenSurface* MakeFailingDirectDraw(bool) { return MakeFailing(); }
CxScreenSurface* MakeFailingDirect3D(const CxD3DScreenSettings&) { return MakeFailing(); }

std::vector<uint32_t> Shown(CxSoftwareScreen& screen)
{
    std::vector<uint32_t> pixels(kW * kH);
    EXPECT_TRUE(screen.ReadShownPixels(pixels.data()));
    for (uint32_t& p : pixels) p &= 0xFFFFFF;
    return pixels;
}
}  // namespace

TEST_F(ScreenTest, FallbackOrder)
{
    CxScreenSettings settings;
    CxScreenKind kind = SCREEN_NONE;
    CxScreenMakers makers = DefaultScreenMakers();
    makers.direct3D = MakeFailingDirect3D;
    gFailingMade = 0;

    CxScreenSurface* screen = SelectScreen(settings, params, nullptr, makers, &kind);   // DirectX not allowed
    EXPECT_EQ(kind, SCREEN_DIB);
    EXPECT_EQ(gFailingMade, 0);
    delete screen;

    settings.allowDirectX = true;   // UseDirect3D = 0: the Direct3D screen is never tried
    screen = SelectScreen(settings, params, nullptr, makers, &kind);
    EXPECT_EQ(kind, SCREEN_DIRECTDRAW);
    EXPECT_EQ(gFailingMade, 0);
    delete screen;

    settings.useDirect3D = 1;       // a failing Direct3D screen falls back to the renderer
    screen = SelectScreen(settings, params, nullptr, makers, &kind);
    EXPECT_EQ(kind, SCREEN_DIRECTDRAW);
    EXPECT_EQ(gFailingMade, 1);
    delete screen;

    makers.directDraw = MakeFailingDirectDraw;   // and a failing renderer to the window surface
    screen = SelectScreen(settings, params, nullptr, makers, &kind);
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(kind, SCREEN_DIB);
    EXPECT_EQ(gFailingMade, 3);
    EXPECT_FALSE(screen->IsExclusive());
    delete screen;
    EXPECT_TRUE(ErrorCapture::Reports().empty());   // falling back is not an error
}

TEST_F(ScreenTest, RealDirect3DScreenFallsBackWithoutOpenGL)
{
    // This suite runs on SDL's dummy video driver, where no OpenGL context
    // can be made: the 3D screen must give way to the next one quietly.
    CxScreenSettings settings;
    settings.allowDirectX = true;
    settings.useDirect3D = 2;
    CxScreenKind kind = SCREEN_NONE;
    CxScreenSurface* screen = SelectScreen(settings, params, nullptr, DefaultScreenMakers(), &kind);
    ASSERT_NE(screen, nullptr);
    EXPECT_NE(kind, SCREEN_DIRECT3D);
    EXPECT_NE(kind, SCREEN_NONE);
    EXPECT_EQ(screen->GetSurface()->GetWidth(), kW);
    EXPECT_EQ(screen->PresentRect(screen->GetSurface()->GetRect()), 0);
    delete screen;
    EXPECT_TRUE(ErrorCapture::Reports().empty());
}

TEST_F(ScreenTest, SettingsComeFromTheOptions)
{
    CxOptions options;
    const char text[] = "[Engine]\nUseDirect3D=2\n[Engine.DirectDraw]\nUseSystemRAM=1\n"
                        "[Engine.Direct3D]\nMultiSampleType=4\nAllowFullScreenAntiAlias=1\nAutoDepthStencilFormat=75\n";
    options.LoadFromMemory(text, sizeof text - 1);
    CxScreenSettings settings = ReadScreenSettings(options, true);
    EXPECT_TRUE(settings.allowDirectX);
    EXPECT_EQ(settings.useDirect3D, 2);
    EXPECT_TRUE(settings.useSystemRAM);
    EXPECT_EQ(settings.direct3D.multiSampleType, 4);
    EXPECT_TRUE(settings.direct3D.allowFullScreenAntiAlias);
    EXPECT_EQ(settings.direct3D.autoDepthStencilFormat, 75);
    EXPECT_EQ(settings.direct3D.maxRefreshRate, 99999);
    EXPECT_FALSE(ReadScreenSettings(options, false).allowDirectX);
}

class PresentTest : public ScreenTest, public ::testing::WithParamInterface<int> {
protected:
    std::unique_ptr<CxSoftwareScreen> Make()
    {
        std::unique_ptr<CxSoftwareScreen> screen;
        if (GetParam() & 1) screen = std::make_unique<CxDirectDrawScreen>();
        else screen = std::make_unique<CxDibScreen>();
        params.depth = GetParam() >> 1;
        EXPECT_EQ(screen->Open(params), 0);
        return screen;
    }
};

// Depths 32 and 16 are shown directly; 24 and 8 through the 32-bit copy.
TEST_P(PresentTest, OnlyTheListedRectanglesAreShown)
{
    auto screen = Make();
    CxDrawSurface* surface = screen->GetSurface();
    ASSERT_EQ(surface->GetWidth(), kW);
    ASSERT_EQ(surface->GetDepth(), GetParam() >> 1);
    CxOSPalette palette;
    uint8_t entries[6] = {0, 0, 0, 255, 0, 0};   // 0 black, 1 red
    palette.Create(2, entries);
    screen->SetPalette(&palette);

    surface->FillRect(nullptr, screen->MakeColor(0, 0, 0));
    ASSERT_EQ(screen->Present(nullptr), 0);
    CxPixel red = surface->GetDepth() == 8 ? 1 : screen->MakeColor(255, 0, 0);
    surface->FillRect(nullptr, red);
    CxLinkedList<CxRect> dirty;
    dirty.AddTail(CxRect{2, 3, 5, 4});
    dirty.AddTail(CxRect{35, 25, 60, 60});   // clipped to the screen
    ASSERT_EQ(screen->Present(&dirty), 0);

    std::vector<uint32_t> shown = Shown(*screen);
    EXPECT_EQ(shown[3 * kW + 2], 0xFF0000u);
    EXPECT_EQ(shown[4 * kW + 5], 0xFF0000u);
    EXPECT_EQ(shown[29 * kW + 39], 0xFF0000u);
    EXPECT_EQ(shown[5 * kW + 2], 0u);
    EXPECT_EQ(shown[0], 0u);
    EXPECT_EQ(screen->PresentRect(CxRect{0, 0, 0, 0}), 0);
    EXPECT_EQ(Shown(*screen)[0], 0xFF0000u);
    EXPECT_EQ(screen->GetStatus(), 0);
}

INSTANTIATE_TEST_SUITE_P(KindsAndDepths, PresentTest,
                         ::testing::Values(32 << 1, (32 << 1) | 1, 16 << 1, (16 << 1) | 1, 24 << 1, 8 << 1,
                                           (8 << 1) | 1));

TEST_F(ScreenTest, SixteenBitScreensSetTheProcessFormat)
{
    CxDibScreen screen;
    params.depth = 16;
    ASSERT_EQ(screen.Open(params), 0);
    EXPECT_EQ(screen.GetSurface()->GetPixelFormat(), GetDisplay16BitFormat());
    EXPECT_NE(GetDisplay16BitFormat(), 0);
}

TEST_F(ScreenTest, BadOpensAndClosedScreens)
{
    CxDibScreen screen;
    params.depth = 12;
    EXPECT_EQ(screen.Open(params), ERR_INVALID_ARGUMENT);
    EXPECT_NE(screen.Present(nullptr), 0);   // nothing to show on: an error, not a crash
    params.depth = 32;
    params.width = 0;
    EXPECT_NE(screen.Open(params), 0);
    params.width = kW;
    ASSERT_EQ(screen.Open(params), 0);
    screen.Close();
    EXPECT_NE(screen.Present(nullptr), 0);
    EXPECT_EQ(screen.GetSurface()->IsCreated(), false);
}

TEST_F(ScreenTest, DisplayModesAreWalkedUntilTheCallbackStops)
{
    CxDibScreen screen;
    int seen = 0;
    auto count = [](int32_t w, int32_t h, int depth, void* user) {
        ++*static_cast<int*>(user);
        return w > 0 && h > 0 && depth > 0 ? 1 : 0;   // stop after the first good one
    };
    EXPECT_EQ(screen.EnumDisplayModes(count, &seen), 0);
    EXPECT_EQ(seen, 1);
}

// A cursor as the display layer gives it to the screens: a black 3x3 square
// at the pointer that saves and puts back what it covers.
class SquareCursor final : public CxScreenCursor {
public:
    bool IsCustom() const override { return true; }
    bool Moved() const override { return at != drawnAt || hidden != wasHidden; }
    bool Draw(CxDrawSurface* target) override
    {
        wasHidden = hidden;
        drawnAt = at;
        if (hidden) {
            rect = CxRect{};
            return false;
        }
        rect = CxRect{at.x - 1, at.y - 1, at.x + 1, at.y + 1};
        for (int i = 0; i < 9; ++i) {
            saved[i] = target->GetPixel(rect.left + i % 3, rect.top + i / 3);
            target->SetPixel(rect.left + i % 3, rect.top + i / 3, 0);
        }
        return true;
    }
    void Restore(CxDrawSurface* target) override
    {
        if (rect.IsEmpty()) return;
        for (int i = 0; i < 9; ++i) target->SetPixel(rect.left + i % 3, rect.top + i / 3, saved[i]);
    }
    CxRect GetRect() const override { return rect; }

    CxPoint at, drawnAt{-100, -100};
    bool hidden = false, wasHidden = false;
    CxRect rect;
    CxPixel saved[9] = {};
};

// The software cursor is in what is shown, never in the painted surface, and
// moving it alone uncovers where it was.
TEST_F(ScreenTest, CustomCursorIsShownButNotPainted)
{
    CxDirectDrawScreen screen;
    ASSERT_EQ(screen.Open(params), 0);
    SquareCursor cursor;
    SetScreenCursor(&cursor);
    CxDrawSurface* surface = screen.GetSurface();
    CxPixel orange = screen.MakeColor(255, 128, 64);
    surface->FillRect(nullptr, orange);
    cursor.at = CxPoint{10, 10};
    ASSERT_EQ(screen.Present(nullptr), 0);
    EXPECT_EQ(Shown(screen)[10 * kW + 10], 0u);
    EXPECT_EQ(surface->GetPixel(10, 10), orange);

    cursor.at = CxPoint{30, 20};
    screen.UpdateCursor();
    std::vector<uint32_t> shown = Shown(screen);
    EXPECT_EQ(shown[10 * kW + 10], 0xFF8040u);
    EXPECT_EQ(shown[20 * kW + 30], 0u);
    EXPECT_EQ(surface->CountPixels(orange), kW * kH);

    cursor.hidden = true;
    CxLinkedList<CxRect> nothing;
    ASSERT_EQ(screen.Present(&nothing), 0);
    EXPECT_EQ(Shown(screen)[20 * kW + 30], 0xFF8040u);
    SetScreenCursor(nullptr);
}
