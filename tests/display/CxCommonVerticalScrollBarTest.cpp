#include "display/CxCommonFace.h"
#include "display/CxCommonVerticalScrollBar.h"
#include "display/CxDisplayTree.h"

#include <gtest/gtest.h>

TEST(CommonScrollBar, DrawsItsOwnPartsAndScrolls)
{
    InitDisplayTree(CxSize{100, 200});
    CxDrawSurface screen;
    screen.Create(100, 200, 32);
    {
        CxCommonVerticalScrollBar bar;
        ASSERT_EQ(bar.Create(10, 10, 16, 120, GetRootObject(), 0), 0);
        bar.SetRange(0, 20);
        bar.Paint();
        ASSERT_NE(bar.GetDecrementButton(), nullptr);
        ASSERT_NE(bar.GetThumb(), nullptr);
        EXPECT_EQ(bar.GetDecrementButton()->GetNumFrames(), 5);
        EXPECT_EQ(bar.GetIncrementButton()->GetPosition(), (CxPoint{0, 120 - 16}));
        EXPECT_EQ(bar.GetThumb()->GetPosition(), (CxPoint{0, 16}));
        bar.SetScrollPosition(20);
        EXPECT_EQ(bar.GetThumb()->GetPosition().y, 120 - 16 - 16 - 1);
        PaintDirtyRects(&screen, nullptr);
        // The thumb's raised face shows on the screen: white inner top-left, black outer bottom-right.
        EXPECT_EQ(screen.GetPixel(10 + 1, 10 + 87 + 1) & 0xFFFFFF, 0xFFFFFFu);
        EXPECT_EQ(screen.GetPixel(10 + 15, 10 + 87 + 15) & 0xFFFFFF, 0u);
    }
    ShutdownDisplayTree();
}

TEST(CommonScrollBar, ArrowFacesDifferByStateAndDirection)
{
    CxDrawSurface* up = BuildArrowButtonFace(16, true);
    CxDrawSurface* down = BuildArrowButtonFace(16, false);
    ASSERT_NE(up, nullptr);
    ASSERT_NE(down, nullptr);
    EXPECT_EQ(up->GetWidth(), 80);
    auto frameDiffers = [](CxDrawSurface* a, int fa, CxDrawSurface* b, int fb) {
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                if (a->GetPixel(fa * 16 + x, y) != b->GetPixel(fb * 16 + x, y)) return true;
        return false;
    };
    EXPECT_TRUE(frameDiffers(up, 0, down, 0));
    EXPECT_TRUE(frameDiffers(up, 0, up, 1));   // pressed is sunken
    EXPECT_TRUE(frameDiffers(up, 0, up, 4));   // disabled arrow is grey
    EXPECT_EQ(up->GetPixel(16 + 1, 1), kSunkenBevel.innerTopLeft);
    delete up;
    delete down;
}
