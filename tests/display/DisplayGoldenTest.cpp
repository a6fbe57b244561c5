// Small trees rendered through the dirty-rectangle painter and compared with
// golden pictures.  Each scene also checks that what the incremental repaint
// left on the screen equals a repaint of the whole screen from scratch.
#include "GoldenImage.h"
#include "display/CxDisplayTree.h"
#include "display/CxSprite.h"

#include <gtest/gtest.h>
#include <vector>

namespace {
constexpr int kWidth = 64, kHeight = 48;
constexpr CxPixel kRed = 0xFFE03020, kGreen = 0xFF30C040, kBlue = 0xFF3050E0, kYellow = 0xFFF0D020;
constexpr CxPixel kWhite = 0xFFFFFFFF, kKey = 0x00FF00FF;

// A block of one colour with a white 2 x 2 mark at its top-left corner, so a
// picture drawn shifted or flipped shows.
CxDrawSurface* Block(int32_t w, int32_t h, CxPixel colour)
{
    auto* surface = new CxDrawSurface;
    surface->Create(w, h, 32);
    CxRect all{0, 0, w - 1, h - 1}, mark{0, 0, 1, 1};
    surface->FillRect(&all, colour);
    surface->FillRect(&mark, kWhite);
    return surface;
}

// Two greys in 8-pixel squares: anything painted in the wrong place shows.
CxDrawSurface* Checker()
{
    auto* surface = new CxDrawSurface;
    surface->Create(kWidth, kHeight, 32);
    for (int32_t y = 0; y < kHeight; y += 8)
        for (int32_t x = 0; x < kWidth; x += 8) {
            CxRect square{x, y, x + 7, y + 7};
            surface->FillRect(&square, ((x + y) / 8) % 2 ? 0xFF606060 : 0xFF909090);
        }
    return surface;
}

class Golden : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetDisplayBufferCount(CxSize{kWidth, kHeight}, 1);
        screen.Create(kWidth, kHeight, 32);
        Add(new CxSprite, Checker(), 0, 0, Z_BACK);
    }
    void TearDown() override
    {
        for (auto it = sprites.rbegin(); it != sprites.rend(); ++it) delete *it;
        ShutdownDisplayTree();
    }

    CxSprite* Add(CxSprite* sprite, CxDrawSurface* picture, int32_t x, int32_t y, uint32_t z = Z_DEFAULT,
                  CxDisplayObject* parent = nullptr)
    {
        sprite->SetZOrder(z);
        sprite->Create(x, y, 0, 0, parent ? parent : GetRootObject(), 0);
        sprite->SetSurface(picture, 1);
        sprite->Paint();
        sprites.push_back(sprite);
        return sprite;
    }

    void Frame() { PaintDirtyRects(&screen, nullptr); }

    // The screen after incremental repaints must equal a fresh full repaint.
    ::testing::AssertionResult SameAsFullRepaint()
    {
        CxDrawSurface fresh;
        fresh.Create(kWidth, kHeight, 32);
        InvalidateRect(GetRootObject()->GetRect());
        PaintDirtyRects(&fresh, nullptr);
        for (int32_t y = 0; y < kHeight; ++y)
            for (int32_t x = 0; x < kWidth; ++x)
                if (fresh.GetPixel(x, y) != screen.GetPixel(x, y))
                    return ::testing::AssertionFailure() << "stale pixel at (" << x << ", " << y << ")";
        return ::testing::AssertionSuccess();
    }

    CxDrawSurface screen;
    std::vector<CxSprite*> sprites;
};
}  // namespace

TEST_F(Golden, OverlappingSpritesInZOrder)
{
    Add(new CxSprite, Block(24, 20, kRed), 4, 4);
    Add(new CxSprite, Block(24, 20, kGreen), 16, 12);          // same z, added later: in front
    Add(new CxSprite, Block(20, 20, kBlue), 10, 20, 0);        // frontmost
    Add(new CxSprite, Block(20, 16, kYellow), 30, 2, 0x7FFFFFF0);
    Frame();
    EXPECT_TRUE(MatchesGolden(screen, "overlap"));
}

TEST_F(Golden, ZOrderChangeRepaintsTheOverlap)
{
    CxSprite* red = Add(new CxSprite, Block(24, 20, kRed), 4, 4);
    Add(new CxSprite, Block(24, 20, kGreen), 16, 12);
    Frame();
    red->SetZOrder(0);                                         // to the front; repainted as shown
    red->Paint();
    Frame();
    EXPECT_TRUE(MatchesGolden(screen, "zorder_change"));
    EXPECT_TRUE(SameAsFullRepaint());
}

TEST_F(Golden, ClippingAndNonClippingParents)
{
    CxSprite* clipping = Add(new CxSprite, Block(24, 24, kBlue), 4, 4);
    Add(new CxSprite, Block(16, 16, kYellow), 14, 14, Z_DEFAULT, clipping);   // cut at the parent's edge
    CxSprite* open = Add(new CxSprite, Block(20, 20, kGreen), 36, 4);
    open->SetClip(false);
    Add(new CxSprite, Block(12, 12, kRed), 14, 24, Z_DEFAULT, open);         // hangs out below
    Frame();
    EXPECT_TRUE(MatchesGolden(screen, "clipping"));

    open->Paint(34, 8);                                        // moving it takes its child along
    Frame();
    EXPECT_TRUE(SameAsFullRepaint());
}

TEST_F(Golden, TransparentColourAndAlpha)
{
    CxDrawSurface* ring = Block(24, 24, kRed);
    CxRect hole{6, 6, 17, 17};
    ring->FillRect(&hole, kKey);
    CxSprite* keyed = Add(new CxSprite, ring, 6, 6);
    keyed->SetMaskColor(kKey);
    CxDrawSurface* glass = Block(24, 24, 0x80FFFFFF);          // half-transparent white
    CxSprite* blended = Add(new CxSprite, glass, 30, 12);
    blended->SetEffects(BLT_EFFECT_ALPHA);
    blended->Paint();
    Frame();
    EXPECT_TRUE(MatchesGolden(screen, "transparency"));
}

TEST_F(Golden, HiddenChildLeavesNoTrace)
{
    CxSprite* panel = Add(new CxSprite, Block(40, 30, kBlue), 8, 8);
    CxSprite* shown = Add(new CxSprite, Block(10, 10, kYellow), 4, 4, Z_DEFAULT, panel);
    CxSprite* hidden = Add(new CxSprite, Block(10, 10, kRed), 20, 12, Z_DEFAULT, panel);
    Frame();
    hidden->Erase();
    shown->SetCurFrame(0);
    Frame();
    EXPECT_TRUE(MatchesGolden(screen, "hidden_child"));
    EXPECT_TRUE(SameAsFullRepaint());
}
