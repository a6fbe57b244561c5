#include "TestSupport.h"
#include "display/CxDisplayTree.h"
#include "display/CxSprite.h"
#include "graphics/QorImageFilters.h"

#include <gtest/gtest.h>

namespace {
constexpr CxPixel kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF;
constexpr CxPixel kKey = 0x0000FFFF;   // no alpha: a 32-bit picture is see-through by its alpha

// A 32-bit surface of `frames` solid frames, each `w` wide: red, green, blue, ...
CxDrawSurface* Strip(int frames, int w, int h)
{
    static const CxPixel colours[] = {kRed, kGreen, kBlue, 0xFFFFFFFF};
    auto* surface = new CxDrawSurface;
    surface->Create(w * frames, h, 32);
    for (int k = 0; k < frames; ++k) {
        CxRect r{k * w, 0, k * w + w - 1, h - 1};
        surface->FillRect(&r, colours[k % 4]);
    }
    return surface;
}

class Sprites : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetDisplayBufferCount(CxSize{40, 20}, 1);
        target.Create(40, 20, 32);
        PaintDirtyRects(&target, nullptr);
    }
    void TearDown() override { ShutdownDisplayTree(); }
    CxPixel At(int x, int y) { return target.GetPixel(x, y) | 0xFF000000; }
    CxDrawSurface target;
};
}  // namespace

TEST_F(Sprites, FramesStepAndWrap)
{
    CxSprite sprite;
    sprite.SetSurface(Strip(4, 25, 10), 1);
    sprite.SetNumFrames(3);   // 100 is no multiple of 3: nothing changes
    EXPECT_EQ(sprite.GetNumFrames(), 1);
    sprite.SetNumFrames(4);
    EXPECT_EQ(sprite.GetFrameSize().width, 25);
    sprite.SetCurFrame(-1);
    EXPECT_EQ(sprite.GetCurFrame(), 3);
    sprite.NextFrame();
    EXPECT_EQ(sprite.GetCurFrame(), 0);
    sprite.PrevFrame();
    EXPECT_EQ(sprite.GetSourceRect().left, 75);
    EXPECT_EQ(sprite.GetSize(), (CxSize{100, 10}));   // a size-less sprite took the picture's
}

TEST_F(Sprites, PaintsTheCurrentFrameThroughTheTree)
{
    auto* sprite = new CxSprite;
    sprite->Create(5, 5, 0, 0, GetRootObject(), 0);
    sprite->SetSurface(Strip(2, 4, 3), 2);
    sprite->Paint();
    PaintDirtyRects(&target, nullptr);
    EXPECT_EQ(At(5, 5), kRed);
    EXPECT_EQ(At(8, 7), kRed);
    EXPECT_EQ(At(9, 5), 0xFF000000u);   // only one frame wide
    sprite->NextFrame();                // shown: repaints by itself
    PaintDirtyRects(&target, nullptr);
    EXPECT_EQ(At(5, 5), kGreen);
    delete sprite;
}

TEST_F(Sprites, StretchingToAnExplicitSize)
{
    auto* sprite = new CxSprite;
    sprite->Create(0, 0, 8, 6, GetRootObject(), 0);
    sprite->SetFlag(DISPLAY_STRETCH, true);
    CxDrawSurface* picture = Strip(2, 2, 3);   // 4 x 3: red half, green half
    sprite->SetSurface(picture, 1);
    EXPECT_EQ(sprite->GetSize(), (CxSize{8, 6}));   // an explicit size is kept
    sprite->Paint();
    PaintDirtyRects(&target, nullptr);
    EXPECT_EQ(At(0, 0), kRed);
    EXPECT_EQ(At(3, 5), kRed);
    EXPECT_EQ(At(4, 0), kGreen);
    EXPECT_EQ(At(7, 5), kGreen);
    EXPECT_EQ(At(8, 0), 0xFF000000u);
    delete sprite;
}

TEST_F(Sprites, TransparentPixelsLetClicksAndPaintThrough)
{
    auto* back = new CxSprite;
    back->Create(0, 0, 0, 0, GetRootObject(), 0);
    back->SetSurface(Strip(1, 10, 10), 1);
    back->Paint();
    auto* front = new CxSprite;
    front->SetZOrder(0);
    front->Create(0, 0, 0, 0, GetRootObject(), 0);
    CxDrawSurface* holey = Strip(1, 10, 10);
    CxRect hole{0, 0, 4, 9};
    holey->FillRect(&hole, kKey);
    front->SetSurface(holey, 1);
    front->SetMaskColor(holey->GetPixel(0, 0));
    front->SetEffects(BLT_EFFECT_NONE);
    front->Paint();
    EXPECT_EQ(HitTestRoot(CxPoint{2, 2}), front);   // rectangle test by default
    front->SetPixelHitTest(true);
    EXPECT_EQ(HitTestRoot(CxPoint{2, 2}), back);
    EXPECT_EQ(HitTestRoot(CxPoint{7, 2}), front);
    PaintDirtyRects(&target, nullptr);
    EXPECT_EQ(At(2, 2), kRed);                      // the back sprite shows through
    delete front;
    delete back;
}

TEST_F(Sprites, BorrowedPicturesOutliveTheBorrower)
{
    CxSprite lender;
    lender.SetSurface(Strip(2, 3, 3), 2);
    lender.SetMaskColor(kBlue);
    auto* borrower = new CxSprite;
    borrower->Duplicate(&lender);
    EXPECT_TRUE(borrower->IsBorrowed());
    EXPECT_EQ(borrower->GetSurface(), lender.GetSurface());
    EXPECT_EQ(borrower->GetNumFrames(), 2);
    EXPECT_EQ(borrower->GetMaskColor(), kBlue);
    borrower->Kill();
    delete borrower;
    EXPECT_EQ(lender.GetSurface()->GetPixel(0, 0) | 0xFF000000, kRed);   // still alive
}

TEST_F(Sprites, DrawToPicksAFrameWithoutChangingTheCurrentOne)
{
    CxSprite sprite;
    sprite.SetSurface(Strip(3, 2, 2), 3);
    CxDrawSurface out;
    out.Create(2, 2, 32);
    sprite.DrawTo(&out, 0, 0, nullptr, SPRITE_OWN_COLOUR, 2);
    EXPECT_EQ(out.GetPixel(1, 1) | 0xFF000000, kBlue);
    EXPECT_EQ(sprite.GetCurFrame(), 0);
    sprite.DrawInto(&out, nullptr, nullptr);
    EXPECT_EQ(out.GetPixel(0, 0) | 0xFF000000, kRed);
}

TEST_F(Sprites, LoadingThroughTheImageFiles)
{
    InTempDir dir;
    RegisterEngineImageFilters();
    CxDrawSurface* picture = Strip(2, 5, 4);
    ASSERT_EQ(picture->Save("two.tga"), 0);
    delete picture;
    CxSprite sized;
    sized.Create(0, 0, 50, 40, nullptr, 0);
    EXPECT_EQ(sized.LoadSurface("two.tga", 2), 0);
    EXPECT_EQ(sized.GetSize(), (CxSize{50, 40}));
    EXPECT_EQ(sized.GetFrameSize(), (CxSize{5, 4}));
    CxSprite plain;
    plain.LoadSurface("two.tga", 1);
    EXPECT_EQ(plain.GetSize(), (CxSize{10, 4}));
    CxSprite missing;
    missing.LoadSurface("nothere.tga", 1);
    ASSERT_NE(missing.GetSurface(), nullptr);       // the failed load still hands back its surface
    EXPECT_NE(missing.GetSurface()->GetErrorCode(), 0);
    UnregisterImageFilters("*");
}

// Opaque white (0xFFFFFFFF) in a 32-bit picture is a colour like any other:
// pixel hit tests find it, only alpha 0 lets a click through, and a point
// outside the picture hits nothing.
TEST_F(Sprites, OpaqueWhiteIsHitAndAlphaZeroIsNot)
{
    auto* back = new CxSprite;
    back->Create(0, 0, 0, 0, GetRootObject(), 0);
    back->SetSurface(Strip(1, 20, 10), 1);
    back->Paint();
    auto* front = new CxSprite;
    front->Create(0, 0, 0, 0, GetRootObject(), 1);
    CxDrawSurface* picture = Strip(1, 10, 10);
    picture->FillRect(nullptr, 0xFFFFFFFF);
    CxRect clear{5, 0, 9, 9};
    picture->FillRect(&clear, 0x00FFFFFF);      // white at alpha 0
    front->SetSurface(picture, 1);
    front->SetPixelHitTest(true);
    front->Paint();
    EXPECT_EQ(HitTestRoot(CxPoint{2, 2}), front);
    EXPECT_EQ(HitTestRoot(CxPoint{7, 2}), back);
    EXPECT_TRUE(front->IsOpaqueAt(0, 9));
    EXPECT_FALSE(front->IsOpaqueAt(10, 0));
    EXPECT_FALSE(front->IsOpaqueAt(-1, 0));
    front->SetEffects(BLT_EFFECT_ALPHA);
    PaintDirtyRects(&target, nullptr);
    EXPECT_EQ(At(2, 2), 0xFFFFFFFFu);           // drawn, not taken for "no colour"
    EXPECT_EQ(At(7, 2), kRed);
    delete front;
    delete back;
}
