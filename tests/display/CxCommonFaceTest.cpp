#include "display/CxCommonDialog.h"
#include "display/CxCommonFace.h"
#include "display/CxDisplayTree.h"

#include <gtest/gtest.h>

namespace {
CxPixel Rgb(const CxDrawSurface& s, int x, int y) { return s.GetPixel(x, y) & 0xFFFFFF; }
}  // namespace

TEST(CommonFaces, BevelEdgesAndFill)
{
    CxDrawSurface s;
    s.Create(6, 5, 8);
    DrawBevel(&s, CxRect{0, 0, 5, 4}, 1, 2, 3, 4, 5);
    // Outer ring: top and left in 2, bottom and right in 3 (which win the shared corners).
    EXPECT_EQ(s.GetPixel(0, 0), 2u);
    EXPECT_EQ(s.GetPixel(3, 0), 2u);
    EXPECT_EQ(s.GetPixel(0, 2), 2u);
    EXPECT_EQ(s.GetPixel(5, 0), 3u);
    EXPECT_EQ(s.GetPixel(0, 4), 3u);
    EXPECT_EQ(s.GetPixel(5, 4), 3u);
    // Inner ring one pixel in.
    EXPECT_EQ(s.GetPixel(1, 1), 4u);
    EXPECT_EQ(s.GetPixel(2, 1), 4u);
    EXPECT_EQ(s.GetPixel(4, 1), 5u);
    EXPECT_EQ(s.GetPixel(1, 3), 5u);
    // What is left is the fill.
    EXPECT_EQ(s.GetPixel(2, 2), 1u);
    EXPECT_EQ(s.GetPixel(3, 2), 1u);
}

TEST(CommonFaces, BevelIsClippedAndIgnoresEmptyRectangles)
{
    CxDrawSurface s;
    s.Create(4, 4, 8);
    DrawBevel(&s, CxRect{2, 2, 9, 9}, kRaisedBevel);   // runs off the surface
    EXPECT_EQ(s.GetPixel(2, 2), kRaisedBevel.outerTopLeft);
    EXPECT_EQ(s.GetPixel(3, 3), kRaisedBevel.innerTopLeft);
    DrawBevel(&s, CxRect{}, kSunkenBevel);
    DrawBevel(nullptr, CxRect{0, 0, 3, 3}, kSunkenBevel);
    EXPECT_EQ(s.GetPixel(0, 0), 0u);
}

TEST(CommonFaces, PaletteGivesTheFaceColours)
{
    CxDrawSurface* s = CreateFaceSurface(2, 1);
    ASSERT_NE(s, nullptr);
    s->SetPixel(0, 0, COMMON_DARK_GREY);
    s->SetPixel(1, 0, COMMON_BLUE);
    EXPECT_EQ(s->GetRed(0, 0), 128);
    EXPECT_EQ(s->GetBlue(1, 0), 255);
    EXPECT_EQ(s->GetRed(1, 0), 0);
    delete s;
}

TEST(CommonFaces, CommonDialogShowsARaisedFaceOnTheScreen)
{
    InitDisplayTree(CxSize{40, 30});
    CxDrawSurface screen;
    screen.Create(40, 30, 32);
    CxCommonDialog dialog;
    ASSERT_EQ(dialog.Create(5, 5, 20, 10, GetRootObject(), 0), 0);
    EXPECT_EQ(dialog.GetType(), 5u);
    ASSERT_NE(dialog.GetSurface(), nullptr);
    EXPECT_EQ(dialog.GetSurface()->GetDepth(), 8);
    dialog.Paint();
    PaintDirtyRects(&screen, nullptr);
    EXPECT_EQ(Rgb(screen, 5, 5), 0xC0C0C0u);     // outer top-left: light grey
    EXPECT_EQ(Rgb(screen, 6, 6), 0xFFFFFFu);     // inner top-left: white
    EXPECT_EQ(Rgb(screen, 24, 14), 0u);          // outer bottom-right: black
    EXPECT_EQ(Rgb(screen, 23, 13), 0x808080u);   // inner bottom-right: dark grey
    EXPECT_EQ(Rgb(screen, 15, 10), 0xC0C0C0u);   // fill
    ShutdownDisplayTree();
}
