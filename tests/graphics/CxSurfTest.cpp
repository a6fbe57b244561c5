#include "GraphicsTestUtil.h"
#include "foundation/CxMemory.h"
#include "graphics/CxSurf.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {
// Coordinates of every pixel equal to `value`.
std::vector<std::pair<int, int>> Where(const CxDrawSurface& s, CxPixel value)
{
    std::vector<std::pair<int, int>> out;
    for (int y = 0; y < s.GetHeight(); ++y)
        for (int x = 0; x < s.GetWidth(); ++x)
            if (s.GetPixel(x, y) == value) out.push_back({x, y});
    return out;
}
using Points = std::vector<std::pair<int, int>>;
}  // namespace

// ----------------------------------------------------------------------
// Creation: sizes, pitches, refusals with their messages
// ----------------------------------------------------------------------

TEST(Surface, PitchFollowsDepthAndPadsSubBytePartialRows)
{
    struct { int w, depth, pitch; } cases[] = {{3, 4, 2}, {8, 1, 1}, {9, 1, 2}, {4, 2, 2}, {5, 8, 5}, {5, 16, 10}, {5, 24, 15}, {5, 32, 20}};
    for (auto c : cases) {
        CxDrawSurface s;
        ASSERT_EQ(s.Create(c.w, 1, c.depth), 0);
        EXPECT_EQ(s.GetPitch(), c.pitch) << c.w << " x " << c.depth;
        EXPECT_TRUE(s.IsCreated());
    }
    CxDrawSurface wide;
    ASSERT_EQ(wide.Create(5, 2, 8, 12), 0);   // a larger pitch replaces the computed one
    EXPECT_EQ(wide.GetPitch(), 12);
    EXPECT_EQ(wide.GetPixelAddress(3, 1) - wide.GetBits(), 15);
}

TEST(Surface, DefaultFormatsByDepthAndDisplayFormat)
{
    CxDrawSurface s;
    s.Create(1, 1, 8);
    EXPECT_EQ(s.GetPixelFormat(), PIXFMT_INDEXED);
    s.Create(1, 1, 24);
    EXPECT_EQ(s.GetPixelFormat(), PIXFMT_RGB888);
    s.Create(1, 1, 16);
    EXPECT_EQ(s.GetPixelFormat(), PIXFMT_555);
    SetDisplay16BitFormat(PIXFMT_565);
    s.Create(1, 1, 16);
    EXPECT_EQ(s.GetPixelFormat(), PIXFMT_565);
    EXPECT_EQ(s.GetGreenBits(), 6);
    SetDisplay16BitFormat(0);
}

TEST(Surface, CreateRefusesBadSizesWithExactMessages)
{
    ErrorCapture capture;
    struct { int32_t w, h; int depth; int32_t pitch; const char* text; } cases[] = {
        {-1, 4, 32, -1, "Invalid surface size -1 x 4"},
        {4, -7, 8, -1, "Invalid surface size 4 x -7"},
        {4, 4, 12, -1, "Invalid surface depth 12"},
        {0x7FFFFFFF, 1, 32, -1, "Surface of 2147483647 x 1 at 32 bits is too large"},
        {65536, 65536, 32, -1, "Surface of 65536 x 65536 at 32 bits is too large"},
        {10, 2, 16, 19, "Invalid pitch 19 for a surface 10 pixels wide at 16 bits"},
        {10, 0x0A000000, 8, 16, "Invalid pitch 16 for a surface 10 pixels wide at 8 bits"},
    };
    for (auto c : cases) {
        CxDrawSurface s;
        capture.Reports().clear();
        EXPECT_EQ(s.Create(c.w, c.h, c.depth, c.pitch), ERR_INVALID_ARGUMENT);
        ASSERT_EQ(capture.Reports().size(), 1u);
        EXPECT_EQ(capture.Reports()[0].message, c.text);
        EXPECT_FALSE(s.IsCreated());
        EXPECT_EQ(s.GetBits(), nullptr);
    }
}

TEST(Surface, AllocationFailureIsReportedAndLeavesNoPixels)
{
    ErrorCapture capture;
    CxDrawSurface s;
    QorSetAllocationLimit(QorBytesInUse() + 1000);
    EXPECT_EQ(s.Create(100, 100, 32), ERR_OUT_OF_MEMORY);
    QorSetAllocationLimit(0);
    ASSERT_EQ(capture.Reports().size(), 1u);
    EXPECT_EQ(capture.Reports()[0].message, "Unable to allocate 40000 bytes for m_pBits");
    EXPECT_EQ(s.GetBits(), nullptr);
    // A surface in error does nothing until the error is cleared.
    EXPECT_EQ(s.Create(2, 2, 8), ERR_OUT_OF_MEMORY);
    s.ClearError();
    EXPECT_EQ(s.Create(2, 2, 8), 0);
}

TEST(Surface, ExternalBufferIsUsedAndNeverFreed)
{
    uint8_t buffer[4 * 3] = {};
    {
        CxDrawSurface s;
        ASSERT_EQ(s.Create(4, 3, 8, -1, buffer), 0);
        EXPECT_TRUE(s.IsExternal());
        s.SetPixel(2, 1, 77);
        EXPECT_EQ(buffer[6], 77);
    }
    EXPECT_EQ(buffer[6], 77);   // surviving the destructor proves it was not freed
}

TEST(Surface, FlagsKeepTheirGroups)
{
    CxDrawSurface s;
    s.Create(1, 1, 8);
    EXPECT_EQ(s.SetFlags(0xFFFFFFFFu), 0u);
    EXPECT_TRUE(s.IsCreated());       // bit 31 untouched by caller flags
    EXPECT_FALSE(s.IsExternal());
    EXPECT_EQ(s.GetFlags(), SURF_CALLER_FLAGS);
    s.SetFlags(0x5);
    EXPECT_TRUE(s.HasFlags(0x4));
    EXPECT_FALSE(s.HasFlags(0x6));
    s.Destroy();
    EXPECT_FALSE(s.IsCreated());
}

// ----------------------------------------------------------------------
// Raw pixels and channels
// ----------------------------------------------------------------------

TEST(SurfacePixels, SubBytePixelsPackMostSignificantFirst)
{
    CxDrawSurface one, two, four;
    one.Create(9, 1, 1);
    one.SetPixel(0, 0, 1);
    one.SetPixel(8, 0, 5);   // any nonzero value sets the bit
    EXPECT_EQ(one.GetBits()[0], 0x80);
    EXPECT_EQ(one.GetBits()[1], 0x80);
    one.SetPixel(0, 0, 0);
    EXPECT_EQ(one.GetBits()[0], 0x00);
    two.Create(4, 1, 2);
    two.SetPixel(1, 0, 3);
    two.SetPixel(2, 0, 2);
    EXPECT_EQ(two.GetBits()[0], 0x38);
    four.Create(3, 1, 4);
    four.SetPixel(0, 0, 0xA);
    four.SetPixel(1, 0, 0x5);
    four.SetPixel(2, 0, 0xF);
    EXPECT_EQ(four.GetBits()[0], 0xA5);
    EXPECT_EQ(four.GetBits()[1], 0xF0);
    EXPECT_EQ(four.GetPixel(1, 0), 0x5u);
}

TEST(SurfacePixels, TwentyFourBitRawValuesHoldBlueHigh)
{
    CxDrawSurface s;
    s.Create(2, 1, 24);
    uint8_t* p = s.GetBits();
    p[0] = 0x11, p[1] = 0x22, p[2] = 0x33;
    EXPECT_EQ(s.GetPixel(0, 0), 0x112233u);
    int a, r, g, b;
    s.SplitPixel(0x112233, a, r, g, b);
    EXPECT_EQ(b, 0x11);
    EXPECT_EQ(g, 0x22);
    EXPECT_EQ(r, 0x33);
    EXPECT_EQ(a, 255);
    // MakeColor agrees with the raw layout, so a made colour stores as
    // blue, green, red in memory.
    s.SetPixel(1, 0, s.MakeColor(0xC0, 0x80, 0x40));
    EXPECT_EQ(p[3], 0x40);
    EXPECT_EQ(p[4], 0x80);
    EXPECT_EQ(p[5], 0xC0);
    EXPECT_EQ(s.GetRed(1, 0), 0xC0);
}

TEST(SurfacePixels, MakeColorAndSplitPixelPerFormat)
{
    struct { uint8_t format; CxPixel made; int alpha; } cases[] = {
        {PIXFMT_555, 0x7E04, 0},
        {PIXFMT_565, 0xFC04, 0},
        {PIXFMT_555_BGR, 0x121F, 0},
        {PIXFMT_4444, 0x0F82, 0},
    };
    for (auto c : cases) {
        CxDrawSurface s;
        s.Create(1, 1, 16, -1, nullptr, c.format);
        CxPixel v = s.MakeColor(0xFF, 0x80, 0x20);
        EXPECT_EQ(v, c.made) << int(c.format);
        int a, r, g, b;
        s.SplitPixel(v, a, r, g, b);
        EXPECT_EQ(r, 0xFF >> (8 - s.GetRedBits()) << (8 - s.GetRedBits()));
        EXPECT_EQ(g, 0x80);
        EXPECT_EQ(b, 0x20 >> (8 - s.GetBlueBits()) << (8 - s.GetBlueBits()));
        EXPECT_EQ(a, c.alpha);
    }
    CxDrawSurface s32, s8;
    s32.Create(1, 1, 32);
    EXPECT_EQ(s32.MakeColor(1, 2, 3), 0x010203u);
    int a, r, g, b;
    s32.SplitPixel(0x7F010203, a, r, g, b);
    EXPECT_EQ(a, 0x7F);
    s8.Create(1, 1, 8);
    EXPECT_EQ(s8.MakeColor(1, 2, 3), 0u);
}

TEST(SurfacePixels, OutsideCoordinatesAreIgnored)
{
    CxDrawSurface s;
    s.Create(4, 4, 32);
    s.FillRect(nullptr, 0x12345678);
    for (auto [x, y] : Points{{-1, 0}, {4, 0}, {0, -1}, {0, 4}}) {
        s.SetPixel(x, y, 0);
        EXPECT_EQ(s.GetPixel(x, y), CX_NO_COLOR);
        EXPECT_EQ(s.GetRed(x, y), 0);
    }
    EXPECT_EQ(s.CountPixels(0x12345678), 16);
}

// ----------------------------------------------------------------------
// Lines, rectangles, circles, flood fill
// ----------------------------------------------------------------------

TEST(SurfaceDraw, LinesFollowTheStepRules)
{
    CxDrawSurface s;
    s.Create(10, 10, 8);
    s.DrawLine(0, 5, 3, 5, 1);
    EXPECT_EQ(Where(s, 1), (Points{{0, 5}, {1, 5}, {2, 5}}));
    s.DrawLine(0, 0, 3, 3, 2);
    EXPECT_EQ(Where(s, 2), (Points{{0, 0}, {1, 1}, {2, 2}, {3, 3}}));
    s.DrawLine(4, 4, 4, 4, 3);
    EXPECT_TRUE(Where(s, 3).empty());
    s.DrawLine(-5, 2, 20, 2, 4);
    EXPECT_EQ(Where(s, 4).size(), 9u);
    EXPECT_EQ(Where(s, 4).back(), (std::pair<int, int>{8, 2}));
    s.DrawLine(9, 0, 9, 3, 5);   // vertical lines draw both ends
    EXPECT_EQ(Where(s, 5), (Points{{9, 0}, {9, 1}, {9, 2}, {9, 3}}));
    s.DrawLine(2, 9, 8, 6, 6);   // shallow line: one pixel per column, both ends
    Points shallow = Where(s, 6);
    EXPECT_EQ(shallow.size(), 7u);
    EXPECT_TRUE(std::find(shallow.begin(), shallow.end(), std::pair<int, int>{8, 6}) != shallow.end());
}

TEST(SurfaceDraw, FillRectClipsAndDrawRectOutlines)
{
    CxDrawSurface s;
    s.Create(6, 6, 16);
    CxRect r{-3, 4, 2, 99};
    s.FillRect(&r, 0x1234);
    EXPECT_EQ(s.CountPixels(0x1234), 6);
    CxRect empty;
    s.FillRect(&empty, 0x5555);
    EXPECT_EQ(s.CountPixels(0x5555), 0);
    s.FillRect(nullptr, 0);
    s.DrawRect({1, 1, 4, 3}, 7);
    EXPECT_EQ(s.CountPixels(7), 10);   // 4 + 4 across, 1 + 1 at the sides
    EXPECT_EQ(s.GetPixel(4, 1), 7u);
    EXPECT_EQ(s.GetPixel(4, 3), 7u);
    EXPECT_EQ(s.GetPixel(2, 2), 0u);
}

TEST(SurfaceDraw, CirclesAreSymmetricAndStayOnTheRadius)
{
    CxDrawSurface s;
    s.Create(41, 41, 8);
    s.DrawCircle(20, 20, 15, 1);
    for (auto [x, y] : Where(s, 1)) {
        double d2 = double((x - 20) * (x - 20) + (y - 20) * (y - 20));
        EXPECT_NEAR(std::sqrt(d2), 15.0, 0.75) << x << "," << y;
        EXPECT_EQ(s.GetPixel(40 - x, y), 1u);
        EXPECT_EQ(s.GetPixel(y, x), 1u);
    }
    EXPECT_EQ(s.GetPixel(20, 5), 1u);
    CxDrawSurface f;
    f.Create(21, 21, 8);
    f.FillCircle(10, 10, 6, 2);
    EXPECT_EQ(f.GetPixel(10, 10), 2u);
    EXPECT_EQ(f.GetPixel(10, 3), 0u);
    EXPECT_EQ(f.GetPixel(4, 10), 2u);
    EXPECT_EQ(f.GetPixel(16, 10), 0u);   // spans stop before their right end
    EXPECT_EQ(f.GetPixel(0, 0), 0u);
    EXPECT_GT(f.CountPixels(2), 90);
}

TEST(SurfaceDraw, FloodFillUsesSideNeighboursOnly)
{
    CxDrawSurface s;
    s.Create(5, 5, 8);
    CxRect a{0, 0, 1, 1}, b{2, 2, 4, 4};
    s.FillRect(&a, 1);
    s.FillRect(&b, 1);
    s.FloodFill(0, 0, 3);   // region b touches a only at a corner
    EXPECT_EQ(s.CountPixels(3), 4);
    EXPECT_EQ(s.CountPixels(1), 9);
    s.FloodFill(0, 0, 3);   // already that colour: nothing
    EXPECT_EQ(s.CountPixels(3), 4);
    s.FloodFill(4, 0, 9);   // the two background areas also meet only at corners
    EXPECT_EQ(s.CountPixels(9), 6);
}

// ----------------------------------------------------------------------
// Flips, rotation, scrolling
// ----------------------------------------------------------------------

TEST(SurfaceMove, FlipsRotationAndScrollsAtEveryDepth)
{
    for (int depth : {1, 4, 8, 16, 24, 32}) {
        CxDrawSurface s;
        s.Create(5, 3, depth);
        FillPattern(s, 3);
        std::vector<CxPixel> before = Pixels(s);
        auto at = [&](int x, int y) { return before[size_t(y * 5 + x)]; };

        s.FlipHorizontal(nullptr);
        EXPECT_EQ(s.GetPixel(0, 1), at(4, 1)) << depth;
        s.FlipHorizontal(nullptr);
        s.FlipVertical(nullptr);
        EXPECT_EQ(s.GetPixel(3, 0), at(3, 2)) << depth;
        s.FlipVertical(nullptr);
        EXPECT_EQ(Pixels(s), before);

        s.Rotate(90);   // clockwise: the left column becomes the top row
        ASSERT_EQ(s.GetWidth(), 3);
        ASSERT_EQ(s.GetHeight(), 5);
        EXPECT_EQ(s.GetPixel(2, 0), at(0, 0)) << depth;
        EXPECT_EQ(s.GetPixel(0, 0), at(0, 2)) << depth;
        s.Rotate(-90);
        EXPECT_EQ(Pixels(s), before) << depth;
        s.Rotate(270);
        s.Rotate(450);
        EXPECT_EQ(Pixels(s), before) << depth;
        s.Rotate(45);
        EXPECT_EQ(Pixels(s), before);
        s.Rotate(180);
        EXPECT_EQ(s.GetPixel(0, 0), at(4, 2)) << depth;
        s.Rotate(180);

        s.ScrollHorizontal(7);   // 7 mod 5 = 2 to the right, wrapping
        EXPECT_EQ(s.GetPixel(2, 1), at(0, 1)) << depth;
        EXPECT_EQ(s.GetPixel(0, 1), at(3, 1)) << depth;
        s.ScrollHorizontalBack(2);
        s.ScrollVertical(1);
        EXPECT_EQ(s.GetPixel(4, 0), at(4, 2)) << depth;
        s.ScrollVerticalBack(1);
        s.ScrollVertical(1, 1);   // the flag suppresses the move
        EXPECT_EQ(Pixels(s), before) << depth;
    }
}

TEST(SurfaceMove, RectangleFlipsLeaveTheRestAlone)
{
    CxDrawSurface s;
    s.Create(4, 4, 8);
    FillPattern(s, 9);
    std::vector<CxPixel> before = Pixels(s);
    CxRect r{1, 1, 2, 2};
    s.FlipVertical(&r);
    EXPECT_EQ(s.GetPixel(1, 1), before[9]);
    EXPECT_EQ(s.GetPixel(0, 0), before[0]);
    EXPECT_EQ(s.GetPixel(3, 3), before[15]);
}

// ----------------------------------------------------------------------
// Filters
// ----------------------------------------------------------------------

TEST(SurfaceFilter, BlurKeepsUniformAreasAndSmallSurfaces)
{
    CxDrawSurface small;
    small.Create(6, 6, 32);
    FillPattern(small, 1);
    std::vector<CxPixel> before = Pixels(small);
    small.Blur(3, nullptr);
    EXPECT_EQ(Pixels(small), before);

    CxDrawSurface uniform;
    uniform.Create(12, 12, 24);
    uniform.FillRect(nullptr, 0xC8C8C8);
    uniform.Blur(2, nullptr);
    EXPECT_EQ(uniform.CountPixels(0xC8C8C8), 144);

    // A single bright pixel spreads by the weights (in-place, top-left first).
    CxDrawSurface spot;
    spot.Create(9, 9, 32);
    spot.FillRect(nullptr, 0xFF000000);
    spot.SetPixel(4, 4, 0xFF0000FA);   // blue 250
    spot.Blur(1, nullptr);
    EXPECT_EQ(spot.GetBlue(3, 3), 250 * 59 / 1000);   // first window to reach the spot
    EXPECT_EQ(spot.GetPixel(0, 0), 0xFF000000u);       // outside the shrunk rectangle
}

TEST(SurfaceFilter, DarkenBrightenAndAlpha)
{
    CxDrawSurface s;
    s.Create(2, 1, 32);
    s.SetPixel(0, 0, 0x80C86432);
    s.SetPixel(1, 0, 0x10FFFFFF);
    s.Darken(128, nullptr);
    EXPECT_EQ(s.GetPixel(0, 0), 0x80643219u);   // 200*128/255 = 100 ...; alpha kept
    s.Brighten(255, nullptr);
    EXPECT_EQ(s.GetPixel(0, 0), 0x80C86432u);
    EXPECT_EQ(s.GetPixel(1, 0) & 0xFFFFFF, 0xFFFFFFu);   // 2 x 128 clamped
    CxRect first{0, 0, 0, 0};
    s.SetAlpha(0x33, &first);
    EXPECT_EQ(s.GetPixel(0, 0) >> 24, 0x33u);
    EXPECT_EQ(s.GetPixel(1, 0) >> 24, 0x10u);
    s.ScaleAlpha(100.0, nullptr);
    EXPECT_EQ(s.GetPixel(0, 0) >> 24, 255u);
    s.ScaleAlpha(0.5, nullptr);
    EXPECT_EQ(s.GetPixel(1, 0) >> 24, 127u);
    EXPECT_EQ(s.GetPixel(1, 0) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(SurfaceFilter, BlendToColorPlainAndFixedPoint)
{
    CxDrawSurface s;
    s.Create(4, 1, 16, -1, nullptr, PIXFMT_565);
    s.FillRect(nullptr, 0);
    CxPixel white = s.MakeColor(255, 255, 255);
    s.BlendToColor(white, 128, nullptr);
    // Each channel: trunc(c * 128/255): red 31 -> 15, green 63 -> 31.
    EXPECT_EQ(s.GetPixel(0, 0), CxPixel(15 << 11 | 31 << 5 | 15));
    SetMMXAvailable(true);
    s.FillRect(nullptr, 0);
    s.BlendToColor(white, 128, nullptr);   // width 4: d + (a(c - d + 64) >> 8) - a/4
    EXPECT_EQ(s.GetPixel(0, 0), CxPixel(15 << 11 | 31 << 5 | 15));
    s.FillRect(nullptr, 0);
    s.BlendToColor(white, 255, nullptr);
    EXPECT_EQ(s.GetPixel(3, 0), white);
    SetMMXAvailable(false);
    CxDrawSurface deep;
    deep.Create(1, 1, 32);
    deep.BlendToColor(0xFFFF, 255, nullptr);   // 16-bit surfaces only
    EXPECT_EQ(deep.GetPixel(0, 0), 0u);
}

TEST(SurfaceFilter, DrawLineExBlendsSpans)
{
    CxDrawSurface s;
    s.Create(10, 5, 32);
    s.FillRect(nullptr, 0xFF000000);
    s.DrawLineEx(2, 2, 6, 2, 0x00C8C8C8, 0.5, 2);
    EXPECT_EQ(s.GetRed(1, 2), 150);    // spans x - 1 .. x + 1; the first point is visited twice
    EXPECT_EQ(s.GetRed(2, 2), 175);    // twice from x = 2, once more from x = 3
    EXPECT_EQ(s.GetRed(0, 2), 0);
    EXPECT_EQ(s.GetRed(1, 1), 0);
    s.DrawLineEx(0, 0, 9, 0, 0x00FFFFFF, -3.0, 0);   // negative opacity counts as 0
    EXPECT_EQ(s.GetRed(4, 0), 0);
}

// ----------------------------------------------------------------------
// Colours, palettes, conversion
// ----------------------------------------------------------------------

TEST(SurfaceColor, CountFindReplaceSwap)
{
    CxDrawSurface s;
    s.Create(4, 3, 8);
    s.FillRect(nullptr, 1);
    s.SetPixel(2, 1, 5);
    s.SetPixel(3, 2, 5);
    EXPECT_EQ(s.CountDistinctColors(), 2);
    int32_t x = -4, y = -1;
    ASSERT_TRUE(s.FindPixel(5, x, y));
    EXPECT_EQ(x, 2);
    EXPECT_EQ(y, 1);
    x = 3;
    ASSERT_TRUE(s.FindPixel(5, x, y));
    EXPECT_EQ(x, 3);
    EXPECT_EQ(y, 2);
    x = 0, y = 3;
    EXPECT_FALSE(s.FindPixel(5, x, y));
    s.SwapColors(1, 5);
    EXPECT_EQ(s.CountPixels(5), 10);
    s.ReplaceColor(5, 9);
    EXPECT_EQ(s.CountPixels(9), 10);
}

TEST(SurfaceColor, NearestColourTiesGoToTheLowerIndex)
{
    CxDrawSurface s;
    uint8_t palette[CX_PALETTE_BYTES] = {};
    palette[3] = 10, palette[6] = 30, palette[9] = 30;   // entries 1, 2, 3: red 10, 30, 30
    s.SetPalette(palette);
    s.Create(1, 1, 8);
    EXPECT_EQ(s.NearestPaletteIndex(20, 0, 0, 256), 1);
    EXPECT_EQ(s.NearestPaletteIndex(29, 0, 0, 256), 2);
    EXPECT_EQ(s.NearestPaletteIndex(0, 0, 0, 4), 0);
}

TEST(SurfaceColor, RemapToPaletteKeepsColours)
{
    CxDrawSurface s;
    s.Create(16, 1, 8);
    FillTestPalette(s);
    for (int x = 0; x < 16; ++x) s.SetPixel(x, 0, CxPixel(x));
    std::vector<uint8_t> colours = Rgba(s);
    uint8_t reversed[CX_PALETTE_BYTES];
    for (int i = 0; i < 256; ++i) std::copy_n(s.GetPalette() + 3 * (255 - i), 3, reversed + 3 * i);
    s.RemapToPalette(reversed);
    EXPECT_EQ(s.GetPixel(3, 0), 252u);
    EXPECT_EQ(Rgba(s), colours);
}

TEST(SurfaceColor, ConvertToKeepsPicturesAcrossDepths)
{
    // 24 -> 32 -> 16 -> 24: colours survive to the 16-bit precision.
    CxDrawSurface s;
    s.Create(8, 8, 24);
    FillPattern(s, 4);
    std::vector<uint8_t> original = Rgba(s);
    ASSERT_EQ(s.ConvertTo(32), 0);
    EXPECT_EQ(Rgba(s), original);
    ASSERT_EQ(s.ConvertTo(16, PIXFMT_565), 0);
    ASSERT_EQ(s.ConvertTo(24), 0);
    std::vector<uint8_t> back = Rgba(s);
    for (size_t i = 0; i < original.size(); ++i)
        EXPECT_EQ(back[i], i % 4 == 1 ? (original[i] & 0xFC) : (i % 4 == 3 ? 255 : (original[i] & 0xF8))) << i;

    // Few colours -> 8 bits keeps them exactly; many colours reduce to 256.
    CxDrawSurface few;
    few.Create(10, 10, 32);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) few.SetPixel(x, y, 0xFF000000u | uint32_t((x * 20) << 16 | (y * 20)));
    std::vector<uint8_t> fewColours = Rgba(few);
    ASSERT_EQ(few.ConvertTo(8), 0);
    EXPECT_EQ(few.GetPixelFormat(), PIXFMT_INDEXED);
    EXPECT_EQ(Rgba(few), fewColours);
    CxDrawSurface many;
    many.Create(64, 64, 24);
    FillPattern(many, 8);
    ASSERT_EQ(many.ConvertTo(8), 0);
    EXPECT_LE(many.CountDistinctColors(), 256);
    EXPECT_GT(many.CountDistinctColors(), 200);
}

TEST(SurfaceColor, Set16BitFormatConvertsWords)
{
    CxDrawSurface s;
    s.Create(2, 1, 16, -1, nullptr, PIXFMT_555);
    s.SetPixel(0, 0, 0x7FFF);
    s.SetPixel(1, 0, 0x001F);
    ASSERT_EQ(s.Set16BitFormat(PIXFMT_565), 0);
    EXPECT_EQ(s.GetPixelFormat(), PIXFMT_565);
    EXPECT_EQ(s.GetPixel(0, 0), 0xFFDFu);   // green 31 -> 62: doubled width, not replicated
    EXPECT_EQ(s.GetPixel(1, 0), 0x001Fu);
    ASSERT_EQ(s.Set16BitFormat(PIXFMT_555_BGR), 0);
    EXPECT_EQ(s.GetPixel(1, 0), 0x7C00u);
}

TEST(SurfaceColor, AlphaIndexFormatUsesItsColourTable)
{
    CxDrawSurface s;
    s.Create(4, 4, 24);
    s.FillRect(nullptr, 0x0000FF);   // red
    CxRect half{0, 0, 1, 3};
    s.FillRect(&half, 0xFF0000);     // blue
    ASSERT_EQ(s.ConvertTo(16, PIXFMT_ALPHA_INDEX12), 0);
    ASSERT_NE(s.GetIndexTable(), nullptr);
    EXPECT_EQ(s.GetPixel(0, 0) >> 12, 15u);
    EXPECT_EQ(s.GetRed(3, 0), 248);
    EXPECT_EQ(s.GetBlue(0, 0), 248);
    EXPECT_EQ(s.GetRed(0, 0), 0);
}

TEST(SurfaceColor, CreateCopyTakesTheRectangleAndSkipsTransparentPixels)
{
    CxDrawSurface s;
    s.Create(6, 6, 8);
    FillTestPalette(s);
    FillPattern(s, 2);
    s.SetPixel(2, 2, 200);
    s.SetTransparentColor(200);
    CxRect r{1, 1, 3, 4};
    CxDrawSurface* copy = s.CreateCopy(&r);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetWidth(), 3);
    EXPECT_EQ(copy->GetHeight(), 4);
    EXPECT_EQ(copy->GetPixel(1, 0), s.GetPixel(2, 1));
    EXPECT_EQ(copy->GetPixel(1, 1), 0u);   // the source's transparent colour is not copied
    EXPECT_EQ(std::vector<uint8_t>(copy->GetPalette(), copy->GetPalette() + 768),
              std::vector<uint8_t>(s.GetPalette(), s.GetPalette() + 768));
    delete copy;
}
