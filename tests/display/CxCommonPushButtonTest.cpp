#include "display/CxCommonFace.h"
#include "display/CxCommonPushButton.h"
#include "display/CxDisplayTree.h"
#include "graphics/CxFont.h"

#include <gtest/gtest.h>

namespace {
// Bounding box of the pixels of `colour` inside frame k of a 5-frame face,
// in frame coordinates; empty when there are none.
CxRect LabelBox(CxDrawSurface* s, int k, CxPixel colour)
{
    int32_t w = s->GetWidth() / 5;
    CxRect box;
    for (int32_t y = 2; y < s->GetHeight() - 2; ++y)
        for (int32_t x = 2; x < w - 2; ++x)
            if (s->GetPixel(k * w + x, y) == colour) box = UnionRects(box, CxRect{x, y, x, y});
    return box;
}

class CommonPushButtons : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(CreateDefaultFont(), 0);
        InitDisplayTree(CxSize{200, 100});
    }
    void TearDown() override
    {
        ShutdownDisplayTree();
        DeleteDefaultFont();
    }
};
}  // namespace

TEST_F(CommonPushButtons, FiveFacesWithTheLabelInEachStateColour)
{
    CxCommonPushButton button;
    ASSERT_EQ(button.Create(10, 10, 75, 25, GetRootObject(), 2), 0);
    button.SetLabel("Ok");
    CxDrawSurface* face = button.GetSurface();
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->GetWidth(), 375);
    EXPECT_EQ(face->GetDepth(), 8);
    EXPECT_EQ(button.GetNumFrames(), 5);
    EXPECT_EQ(face->GetPixel(1, 1), kRaisedBevel.innerTopLeft);
    EXPECT_EQ(face->GetPixel(75 + 1, 1), kSunkenBevel.innerTopLeft);

    CxRect normal = LabelBox(face, 0, COMMON_BLACK);
    CxRect pressed = LabelBox(face, 1, COMMON_BLACK);
    ASSERT_FALSE(normal.IsEmpty());
    EXPECT_NEAR((normal.left + normal.right) / 2.0, 37, 3);   // centred
    EXPECT_GT(pressed.left, normal.left);                    // the pressed label gives
    EXPECT_GT(pressed.top, normal.top);
    EXPECT_FALSE(LabelBox(face, 2, COMMON_BLUE).IsEmpty());
    EXPECT_FALSE(LabelBox(face, 3, COMMON_BLUE).IsEmpty());
    EXPECT_FALSE(LabelBox(face, 4, COMMON_DARK_GREY).IsEmpty());
}

TEST_F(CommonPushButtons, NewLabelKeepsTheShownState)
{
    CxCommonPushButton button;
    button.Create(0, 0, 75, 25, GetRootObject(), 0);
    button.SetLabel("Continue");
    button.SetState(BUTTON_HOVER);
    CxRect wide = LabelBox(button.GetSurface(), 2, COMMON_BLUE);
    button.SetLabel("Q");
    EXPECT_EQ(button.GetCurFrame(), 2);
    EXPECT_LT(LabelBox(button.GetSurface(), 2, COMMON_BLUE).Width(), wide.Width());
    EXPECT_STREQ(button.GetLabel(), "Q");
}
