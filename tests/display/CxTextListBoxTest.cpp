#include "NotifyRecorder.h"
#include "display/CxCommonFace.h"
#include "display/CxCommonTextListBox.h"
#include "display/CxDisplayTree.h"
#include "graphics/CxFont.h"

#include <gtest/gtest.h>

namespace {
class TextLists : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(CreateDefaultFont(), 0);
        InitDisplayTree(CxSize{200, 100});
        parent.Create(0, 0, 200, 100, GetRootObject(), 0);
        parent.Paint();
    }
    void TearDown() override
    {
        ShutdownDisplayTree();
        DeleteDefaultFont();
    }
    CxDrawText* Line(CxListBox& list, int i) { return dynamic_cast<CxDrawText*>(list.GetItem(i)); }
    NotifyRecorder parent;
};
}  // namespace

TEST_F(TextLists, LinesAreTextsLaidOutByTheLineHeight)
{
    CxTextListBox list;
    list.Create(10, 10, 120, 64, &parent, 0);
    list.Paint();
    for (const char* t : {"alpha", "beta", "gamma", "delta", "epsilon", "zeta"}) list.AddTextLast(t);
    list.AddTextFirst("first");
    EXPECT_EQ(list.GetLineHeight(), 12);
    EXPECT_EQ(list.GetVisibleCount(), 5);   // (64 - 4) / 12
    EXPECT_STREQ(list.GetText(0), "first");
    EXPECT_STREQ(list.GetText(6), "zeta");
    EXPECT_EQ(list.GetText(7), nullptr);
    EXPECT_EQ(list.GetItem(2)->GetPosition(), (CxPoint{2, 2 * 12 + 2}));
    EXPECT_EQ(list.GetItem(0)->GetWidth(), 116);
    EXPECT_FALSE(list.GetItem(5)->IsVisible());
    list.ScrollToBottom();
    EXPECT_EQ(list.GetTopIndex(), 2);
    EXPECT_EQ(list.GetItem(6)->GetPosition(), (CxPoint{2, 4 * 12 + 2}));
}

TEST_F(TextLists, SelectedLineTakesTheSelectedColours)
{
    CxTextListBox list;
    list.Create(0, 0, 100, 60, &parent, 0);
    list.SetTextColors(3, 4);
    list.SetSelectedColors(5, 6);
    list.SetFont(77);
    list.SetPointSize(9);
    list.AddTextLast("one");
    list.AddTextLast("two");
    list.SetSelection(1);
    EXPECT_EQ(Line(list, 0)->GetColor(), 3u);
    EXPECT_EQ(Line(list, 0)->GetBkColor(), 4u);
    EXPECT_EQ(Line(list, 1)->GetColor(), 5u);
    EXPECT_EQ(Line(list, 1)->GetBkColor(), 6u);
    EXPECT_EQ(Line(list, 1)->GetFont(), 77);
    EXPECT_EQ(Line(list, 1)->GetPointSize(), 9);
    EXPECT_EQ(Line(list, 1)->GetEffectRecord().code, BLT_EFFECT_NONE);   // colours, not effects
    list.SetSelection(0);
    EXPECT_EQ(Line(list, 1)->GetColor(), 3u);
}

TEST_F(TextLists, FindTextIsCaseSensitiveOnlyWhenExact)
{
    CxTextListBox list;
    list.Create(0, 0, 100, 60, &parent, 0);
    list.AddTextLast("Apple");
    list.AddTextLast("apple");
    EXPECT_EQ(list.FindText("apple", true), 1);
    EXPECT_EQ(list.FindText("APPLE", false), 0);
    EXPECT_EQ(list.FindText("APPLE", true), -1);
    EXPECT_EQ(list.FindText("pear", false), -1);
    EXPECT_EQ(list.FindText(nullptr, false), -1);
}

TEST_F(TextLists, ClickOnALineSelectsIt)
{
    CxTextListBox list;
    list.Create(10, 10, 100, 60, &parent, 0);
    list.Paint();
    list.AddTextLast("one");
    list.AddTextLast("two");
    DispatchLButtonDown(0, CxPoint{30, 10 + 12 + 5});
    EXPECT_EQ(list.GetSelection(), 1);
    ASSERT_EQ(parent.notes.size(), 1u);
    EXPECT_EQ(parent.notes[0], (RecordedNotify{2, &list, 1, 0}));
}

TEST_F(TextLists, CommonListDrawsItsLinesInThePalette)
{
    CxDrawSurface screen;
    screen.Create(200, 100, 32);
    CxCommonTextListBox list;
    ASSERT_EQ(list.Create(10, 10, 100, 40, &parent, 0), 0);
    list.Paint();
    list.AddTextLast("WWWW");
    list.AddTextLast("MMMM");
    list.SetSelection(1);
    ASSERT_NE(Line(list, 0)->GetSurface(), nullptr);
    EXPECT_EQ(Line(list, 0)->GetSurface()->GetDepth(), 8);
    PaintDirtyRects(&screen, nullptr);
    auto count = [&](int top, CxPixel rgb) {
        int n = 0;
        for (int y = top; y < top + 12; ++y)
            for (int x = 12; x < 108; ++x) n += (screen.GetPixel(x, y) & 0xFFFFFF) == rgb ? 1 : 0;
        return n;
    };
    EXPECT_GT(count(12, 0x000000), 10);        // black text on the first line
    EXPECT_GT(count(12, 0xFFFFFF), 100);       // on white
    EXPECT_GT(count(24, 0x0000FF), 100);       // the selected line on blue
    EXPECT_GT(count(24, 0xFFFFFF), 10);        // in white
}
