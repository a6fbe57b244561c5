#include "NotifyRecorder.h"
#include "display/CxDisplayTree.h"
#include "display/CxListBox.h"

#include <gtest/gtest.h>

namespace {
CxSprite* Item(int depth = 32, int width = 30, int height = 20)
{
    auto* surface = new CxDrawSurface;
    surface->Create(width, height, depth);
    auto* sprite = new CxSprite;
    sprite->SetSurface(surface, 1);
    return sprite;
}

class ListBoxes : public ::testing::Test, public CxListBoxListener {
protected:
    void SetUp() override
    {
        InitDisplayTree(CxSize{300, 200});
        parent.Create(0, 0, 300, 200, GetRootObject(), 0);
        parent.Paint();
        list.Create(10, 10, 100, 100, &parent, 7);
        list.Paint();
    }
    void TearDown() override { ShutdownDisplayTree(); }
    void Fill(int n)
    {
        for (int i = 0; i < n; ++i) list.AddLast(Item());
    }
    void OnListSelect(CxListBox* from, int32_t index, int32_t doubleClick) override
    {
        heard.push_back({2, from, index, doubleClick});
    }
    int ShownCount()
    {
        int shown = 0;
        for (int i = 0; i < list.GetCount(); ++i) shown += list.GetItem(i)->IsVisible() ? 1 : 0;
        return shown;
    }

    NotifyRecorder parent;
    CxListBox list;
    std::vector<RecordedNotify> heard;
};
}  // namespace

TEST_F(ListBoxes, LayoutShowsTheLinesThatFit)
{
    Fill(6);
    EXPECT_EQ(list.GetType(), 129u);
    EXPECT_EQ(list.GetLineHeight(), 20);   // taken from the first item
    EXPECT_EQ(list.GetVisibleCount(), 4);  // (100 - 4) / 20
    EXPECT_EQ(ShownCount(), 4);
    EXPECT_EQ(list.GetItem(3)->GetPosition(), (CxPoint{0, 60}));
    EXPECT_FALSE(list.GetItem(4)->IsVisible());
    list.SetTop(2);
    EXPECT_FALSE(list.GetItem(1)->IsVisible());
    EXPECT_EQ(list.GetItem(2)->GetPosition(), (CxPoint{0, 0}));
    EXPECT_EQ(ShownCount(), 4);
    EXPECT_EQ(list.GetItem(6), nullptr);
    EXPECT_EQ(list.GetItem(-1), nullptr);
}

TEST_F(ListBoxes, AlignmentPlacesLinesAcrossTheList)
{
    list.SetAlignment(LIST_ALIGN_CENTRE);
    Fill(1);
    EXPECT_EQ(list.GetItem(0)->GetPosition().x, 50 - 15);
    list.SetAlignment(LIST_ALIGN_RIGHT);
    list.Layout();
    EXPECT_EQ(list.GetItem(0)->GetPosition().x, 100 - 30);
}

TEST_F(ListBoxes, ClicksSelectTheLineUnderThePointer)
{
    Fill(6);
    list.SetTop(1);
    DispatchLButtonDown(0, CxPoint{15, 10 + 45});   // third line shown: item 3
    EXPECT_EQ(list.GetSelection(), 3);
    ASSERT_EQ(parent.notes.size(), 1u);
    EXPECT_EQ(parent.notes[0], (RecordedNotify{2, &list, 3, 0}));
    DispatchLButtonDblClk(0, CxPoint{15, 10 + 5});
    EXPECT_EQ(parent.notes.back(), (RecordedNotify{2, &list, 1, 1}));
}

TEST_F(ListBoxes, ClickBelowTheLastItemSelectsNothing)
{
    Fill(2);
    list.SetSelection(0);
    DispatchLButtonDown(0, CxPoint{15, 10 + 65});
    EXPECT_EQ(list.GetSelection(), 0);
    EXPECT_TRUE(parent.notes.empty());
}

TEST_F(ListBoxes, ListenerHearsInsteadOfTheParent)
{
    Fill(3);
    list.SetListener(this);
    DispatchLButtonDown(0, CxPoint{15, 10 + 25});
    EXPECT_TRUE(parent.notes.empty());
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0], (RecordedNotify{2, &list, 1, 0}));
}

TEST_F(ListBoxes, SetTopPastTheEndShowsTheLastItem)
{
    Fill(6);
    list.SetTop(6);
    EXPECT_EQ(list.GetTopIndex(), 5);
    list.SetTop(60);
    EXPECT_EQ(list.GetTopIndex(), 5);
    list.SetTop(-3);
    EXPECT_EQ(list.GetTopIndex(), 0);
}

TEST_F(ListBoxes, ScrollingStaysWithinTheList)
{
    Fill(10);
    list.ScrollDownBy(4);
    EXPECT_EQ(list.GetTopIndex(), 4);
    list.PageDown();
    EXPECT_EQ(list.GetTopIndex(), 6);   // count - visible
    list.ScrollUp();
    EXPECT_EQ(list.GetTopIndex(), 5);
    list.ScrollToTop();
    EXPECT_EQ(list.GetTopIndex(), 0);
    list.ScrollUpBy(3);
    EXPECT_EQ(list.GetTopIndex(), 0);
    list.ScrollToBottom();
    EXPECT_EQ(list.GetTopIndex(), 6);
}

TEST_F(ListBoxes, ShortListsDoNotScroll)
{
    Fill(3);
    list.ScrollDown();
    list.PageDown();
    EXPECT_EQ(list.GetTopIndex(), 0);
    list.ScrollToBottom();
    EXPECT_EQ(list.GetTopIndex(), 0);
}

TEST_F(ListBoxes, KeysScrollAndOthersClimb)
{
    Fill(10);
    list.SetActive();
    DispatchKeyDown(KEY_DOWN, 0);
    EXPECT_EQ(list.GetTopIndex(), 1);
    DispatchKeyDown(KEY_PAGE_DOWN, 0);
    EXPECT_EQ(list.GetTopIndex(), 5);
    DispatchKeyDown(KEY_END, 0);
    EXPECT_EQ(list.GetTopIndex(), 6);
    DispatchKeyDown(KEY_HOME, 0);
    EXPECT_EQ(list.GetTopIndex(), 0);
    DispatchKeyDown(KEY_PAGE_UP, 0);
    DispatchKeyDown(KEY_UP, 0);
    EXPECT_EQ(list.GetTopIndex(), 0);
    DispatchKeyDown('x', 0);
    EXPECT_EQ(parent.keys, (std::vector<KeyCode>{'x'}));
}

TEST_F(ListBoxes, SelectedLineGetsTheHighlightForItsKindOfPicture)
{
    list.AddLast(Item(8));
    list.AddLast(Item(32));
    CxSprite* keyed = Item(32);
    keyed->SetMaskColor(0);
    list.AddLast(keyed);
    auto effectsOf = [&](int i) { return static_cast<CxSprite*>(list.GetItem(i))->GetEffectRecord(); };

    list.SetSelection(0);
    EXPECT_EQ(effectsOf(0).code, BLT_EFFECT_FILL_MASK);
    EXPECT_EQ(effectsOf(0).param1, 252);
    EXPECT_EQ(effectsOf(1).code, BLT_EFFECT_NONE);
    list.SetSelection(1);
    EXPECT_EQ(effectsOf(0).code, BLT_EFFECT_NONE);
    EXPECT_EQ(effectsOf(1).code, BLT_EFFECT_ADD_COLOR);
    EXPECT_EQ(effectsOf(1).param3, 60);
    list.SetSelection(2);
    EXPECT_EQ(effectsOf(2).code, BLT_EFFECT_FILL_MASK);
    EXPECT_EQ(CxPixel(effectsOf(2).param1), keyed->GetSurface()->MakeColor(0, 0, 128));
    list.SetHighlight(false);
    list.SetSelection(1);
    EXPECT_EQ(effectsOf(1).code, BLT_EFFECT_NONE);
}

TEST_F(ListBoxes, SelectionFollowsItsItemThroughInsertAndRemove)
{
    Fill(4);
    CxDisplayObject* chosen = list.GetItem(2);
    list.SetSelection(2);
    list.AddFirst(Item());
    EXPECT_EQ(list.GetItem(list.GetSelection()), chosen);
    list.RemoveItem(0);
    EXPECT_EQ(list.GetItem(list.GetSelection()), chosen);
    list.RemoveItem(2);
    EXPECT_EQ(list.GetSelection(), -1);
    list.SetSelection(9);
    EXPECT_EQ(list.GetSelection(), -1);
    list.RemoveItem(17);   // out of range: nothing
    EXPECT_EQ(list.GetCount(), 3);
    list.RemoveAll();
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_FALSE(list.HasChildren());
}

TEST_F(ListBoxes, HorizontalListRunsLeftToRight)
{
    CxHorizontalListBox row;
    row.Create(0, 150, 100, 20, &parent, 0);
    row.Paint();
    for (int i = 0; i < 5; ++i) row.AddLast(Item(32, 30, 20));
    EXPECT_EQ(row.GetLineHeight(), 30);   // the item width
    EXPECT_EQ(row.GetVisibleCount(), -1);  // left to its users
    row.SetVisibleCount(3);
    row.SetTop(1);
    EXPECT_EQ(row.GetItem(1)->GetPosition(), (CxPoint{0, 0}));
    EXPECT_EQ(row.GetItem(3)->GetPosition(), (CxPoint{60, 0}));
    EXPECT_FALSE(row.GetItem(4)->IsVisible());
    DispatchLButtonDown(0, CxPoint{65, 155});
    EXPECT_EQ(row.GetSelection(), 3);
    EXPECT_EQ(parent.notes.back(), (RecordedNotify{2, &row, 3, 0}));
}
