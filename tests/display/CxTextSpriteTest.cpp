#include "../core/ErrorCapture.h"
#include "TextTestFont.h"
#include "display/CxDisplayTree.h"
#include "display/CxDrawText.h"

#include <gtest/gtest.h>

namespace {
constexpr CxPixel kBlack = 0xFF000000, kRed = 0xFFFF0000, kBlue = 0xFF0000FF, kGreen = 0xFF00FF00;

class DrawTexts : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetDisplayBufferCount(CxSize{60, 30}, 1);
        target.Create(60, 30, 32);
        CxRect all = target.GetRect();
        target.FillRect(&all, kBlack);
        PaintDirtyRects(&target, nullptr);
    }
    void TearDown() override { ShutdownDisplayTree(); }

    // A text at (10, 5), 30 x 10, in the test font: its first character
    // cell starts at (14, 7) (4-pixel margin, centred vertically).
    CxDrawText* MakeText(const char* text)
    {
        auto* t = new CxDrawText;
        t->Create(10, 5, 30, 10, GetRootObject(), 7);
        t->SetFont(font.Handle());
        t->SetColor(kRed);
        t->SetString(text);
        t->Paint();
        return t;
    }
    bool Inked(int32_t x, int32_t y, CxPixel colour = kRed) const
    {
        return target.GetPixel(x + 1, y + 1) == colour && target.GetPixel(x + 3, y + 4) == colour;
    }
    void Repaint() { PaintDirtyRects(&target, nullptr); }

    TextTestFont font;
    CxDrawSurface target;
};
}  // namespace

TEST_F(DrawTexts, StartsWithTheDesignedDefaults)
{
    CxDrawText text;
    EXPECT_EQ(text.GetType(), 33u);
    EXPECT_EQ(text.GetTextFlags(), 33u);
    EXPECT_EQ(text.GetColor(), CX_NO_COLOR);
    EXPECT_EQ(text.GetBkColor(), CX_NO_COLOR);
    EXPECT_EQ(text.GetFont(), -1);
    EXPECT_EQ(text.GetDefaultDepth(), -1);
    EXPECT_EQ(text.GetPointSize(), 0);
    EXPECT_FALSE(text.HasHighlight());
    text.SetDefaultDepth(16);
    EXPECT_EQ(text.GetDefaultDepth(), 16);
    text.SetDefaultDepth(-1);
    EXPECT_EQ(text.GetDefaultDepth(), -1);
    text.SetPointSize(0x1234);   // twelve bits
    EXPECT_EQ(text.GetPointSize(), 0x234);
}

TEST_F(DrawTexts, RendersIntoItsOwnSurfaceWithItsBackground)
{
    CxDrawText* text = MakeText("ab");
    text->SetBkColor(kBlue);
    Repaint();
    EXPECT_TRUE(Inked(14, 7));
    EXPECT_TRUE(Inked(19, 7));
    EXPECT_EQ(target.GetPixel(10, 5), kBlue);
    EXPECT_EQ(target.GetPixel(39, 14), kBlue);
    EXPECT_EQ(target.GetPixel(40, 14), kBlack);   // the object ends there
    ASSERT_NE(text->GetSurface(), nullptr);
    EXPECT_EQ(text->GetSurface()->GetDepth(), 32);   // the target's depth
    EXPECT_EQ(text->GetSize(), (CxSize{30, 10}));
    delete text;
}

TEST_F(DrawTexts, WithoutBackgroundColourShowsWhatLiesBehind)
{
    auto* picture = new CxSprite;
    picture->Create(0, 0, 0, 0, GetRootObject(), 0);
    auto* green = new CxDrawSurface;
    green->Create(60, 30, 32);
    green->FillRect(nullptr, kGreen);
    picture->SetSurface(green, 1);
    picture->Paint();
    CxDrawText* text = MakeText("a");
    Repaint();
    EXPECT_TRUE(Inked(14, 7));
    EXPECT_EQ(target.GetPixel(12, 6), kGreen);
    EXPECT_EQ(target.GetPixel(30, 12), kGreen);
    delete text;
    delete picture;
}

TEST_F(DrawTexts, SettersRenderAgain)
{
    CxDrawText* text = MakeText("a");
    Repaint();
    EXPECT_TRUE(Inked(14, 7));
    text->SetColor(kBlue);
    Repaint();
    EXPECT_TRUE(Inked(14, 7, kBlue));
    text->SetString("ba");
    text->SetTextFlags(TEXT_CENTER | TEXT_CENTER_VERTICAL);
    Repaint();
    EXPECT_TRUE(Inked(20, 7, kBlue));   // 22 wide area, 10 wide text: (21 - 10 + 1) / 2 = 6 past the margin
    text->SetHighlight(1, 2);
    text->SetHighlightColor(kGreen);
    Repaint();
    EXPECT_TRUE(Inked(25, 7, kGreen));
    EXPECT_TRUE(Inked(20, 7, kBlue));
    delete text;
}

TEST_F(DrawTexts, AFontDeletedUnderneathFallsBackToTheDefault)
{
    CreateDefaultFont();
    TextTestFont own;
    CxDrawText* text = MakeText("Hi");
    text->SetFont(own.Handle());
    Repaint();
    DeleteFont(own.Handle());
    text->SetString("Hi!");
    Repaint();   // the 8 x 12 built-in font, cut by the object's height
    CxRect cell{14, 5, 21, 14};
    EXPECT_GT(CountChanged(target, kBlack, &cell), 3);
    delete text;
    DeleteDefaultFont();
}

TEST_F(DrawTexts, HiddenOrSizeLessTextsDrawNothing)
{
    CxDrawText* text = MakeText("ab");
    text->Erase();
    Repaint();
    EXPECT_EQ(CountChanged(target, kBlack), 0);
    text->SetSizeValue(0, 0);
    text->Paint();
    Repaint();
    EXPECT_EQ(CountChanged(target, kBlack), 0);
    delete text;
}

TEST_F(DrawTexts, APartlyPaintedBackgroundIsCompletedOnTheNextPaint)
{
    CxDrawText* text = MakeText("a");
    Repaint();
    EXPECT_FALSE(text->GetStyle() & TEXT_STYLE_NEEDS_RENDER);
    text->SetFlag(DISPLAY_ALWAYS_REPAINT, false);   // so that the change below invalidates nothing by itself
    text->SetColor(kBlue);
    InvalidateRect(CxRect{12, 6, 15, 8});
    Repaint();
    EXPECT_TRUE(text->GetStyle() & TEXT_STYLE_NEEDS_RENDER);
    EXPECT_EQ(target.GetPixel(15, 8), kBlue);    // inside the painted part: the new colour
    EXPECT_EQ(target.GetPixel(17, 11), kRed);    // outside it: still the old picture
    InvalidateRect(CxRect{0, 0, 59, 29});
    Repaint();
    EXPECT_FALSE(text->GetStyle() & TEXT_STYLE_NEEDS_RENDER);
    EXPECT_TRUE(Inked(14, 7, kBlue));
    text->SetStyleBits(TEXT_STYLE_ALWAYS_RENDER, true);
    InvalidateRect(CxRect{0, 0, 59, 29});
    Repaint();
    EXPECT_TRUE(text->GetStyle() & TEXT_STYLE_NEEDS_RENDER);
    delete text;
}
