#include "NotifyRecorder.h"
#include "TestSupport.h"
#include "../core/ErrorCapture.h"
#include "core/CxTime.h"
#include "display/CxDisplayTree.h"
#include "display/CxScrollBar.h"
#include "graphics/QorImageFilters.h"

#include <gtest/gtest.h>

namespace {
uint32_t gNow = 5000;
uint32_t FakeClock() { return gNow; }

// An opaque 32-bit picture of `frames` frames, each w x h.
CxDrawSurface* Picture(int w, int h, int frames = 1)
{
    auto* s = new CxDrawSurface;
    s->Create(w * frames, h, 32);
    CxRect all{0, 0, w * frames - 1, h - 1};
    s->FillRect(&all, 0xFF808080);
    return s;
}

// Bars 100 long and 16 thick: 16-pixel buttons at both ends, a 10-pixel thumb.
class ScrollBars : public ::testing::Test {
protected:
    void SetUp() override
    {
        QorSetTickSource(FakeClock);
        InitDisplayTree(CxSize{300, 200});
        parent.Create(0, 0, 300, 200, GetRootObject(), 0);
        parent.Paint();
    }
    void TearDown() override
    {
        ShutdownDisplayTree();
        QorSetTickSource(nullptr);
    }
    void Build(CxScrollBar& bar, bool vertical)
    {
        bar.Create(20, 20, vertical ? 16 : 100, vertical ? 100 : 16, &parent, 3);
        bar.Paint();
        bar.LoadDecrementButton(vertical ? Picture(16, 16, 5) : Picture(16, 16, 5));
        bar.LoadIncrementButton(Picture(16, 16, 5));
        bar.LoadThumb(vertical ? Picture(16, 10) : Picture(10, 16));
        bar.SetRange(0, 10);
        parent.notes.clear();
    }
    // One frame after `ms` milliseconds: the timers run.
    void Frame(uint32_t ms)
    {
        gNow += ms;
        if (CxTimerManager* timers = CxTimerManager::Get()) timers->OnMainLoop();
    }

    ErrorCapture capture;
    NotifyRecorder parent;
};
}  // namespace

TEST_F(ScrollBars, ThumbSpansTheTrackBetweenTheButtons)
{
    CxHorizontalScrollBar bar;
    Build(bar, false);
    EXPECT_EQ(bar.GetType(), 17u);
    EXPECT_EQ(bar.GetIncrementButton()->GetPosition(), (CxPoint{84, 0}));
    bar.SetScrollPosition(10);
    EXPECT_EQ(bar.GetThumb()->GetPosition(), (CxPoint{100 - 16 - 10 - 1, 0}));   // W - R - T - 1
    bar.SetScrollPosition(5);
    EXPECT_EQ(bar.GetThumb()->GetPosition().x, 16 + (100 - 16 - 16 - 10) * 5 / 10);
    bar.SetScrollPosition(-4);
    EXPECT_EQ(bar.GetScrollPosition(), 0);
    EXPECT_EQ(bar.GetThumb()->GetPosition().x, 16);
    bar.SetScrollPosition(99);
    EXPECT_EQ(bar.GetScrollPosition(), 10);
}

TEST_F(ScrollBars, VerticalBarExchangesTheAxes)
{
    CxVerticalScrollBar bar;
    Build(bar, true);
    EXPECT_EQ(bar.GetIncrementButton()->GetPosition(), (CxPoint{0, 84}));
    bar.SetScrollPosition(10);
    EXPECT_EQ(bar.GetThumb()->GetPosition(), (CxPoint{0, 73}));
    EXPECT_EQ(bar.GetPageDecrementRect(), (CxRect{0, 16, 15, 72}));
    EXPECT_EQ(bar.GetPageIncrementRect(), (CxRect{0, 83, 15, 83}));
    EXPECT_EQ(bar.PositionFromPoint(CxPoint{5, 16 + 34}), 5);   // (50 - 16) * 11 / 68
}

TEST_F(ScrollBars, RangeAwayFromZeroPlacesTheThumbByDistanceFromTheMinimum)
{
    CxHorizontalScrollBar bar;
    Build(bar, false);
    bar.SetRange(100, 110);
    EXPECT_EQ(bar.GetScrollPosition(), 100);   // the old position was clamped into the new range
    EXPECT_EQ(bar.GetThumb()->GetPosition().x, 16);
    bar.SetScrollPosition(110);
    EXPECT_EQ(bar.GetThumb()->GetPosition().x, 73);
    EXPECT_EQ(bar.PositionFromPoint(CxPoint{16, 5}), 100);
    EXPECT_EQ(bar.PositionFromPoint(CxPoint{83, 5}), 110);
}

TEST_F(ScrollBars, ChangesAreReportedOnceToListenerOrParent)
{
    struct Listener : CxScrollBarListener {
        void OnScroll(CxScrollBar*, int32_t p) override { heard.push_back(p); }
        std::vector<int32_t> heard;
    } listener;
    CxHorizontalScrollBar bar;
    Build(bar, false);
    bar.SetScrollPosition(3);
    bar.SetScrollPosition(3);
    ASSERT_EQ(parent.notes.size(), 1u);
    EXPECT_EQ(parent.notes[0], (RecordedNotify{1, &bar, 3, 0}));
    bar.SetListener(&listener);
    bar.SetScrollPosition(4);
    EXPECT_EQ(listener.heard, (std::vector<int32_t>{4}));
    EXPECT_EQ(parent.notes.size(), 1u);
}

TEST_F(ScrollBars, HoldingTheIncrementButtonRepeatsFromTheFifthTick)
{
    CxHorizontalScrollBar bar;
    Build(bar, false);
    DispatchLButtonDown(0, CxPoint{20 + 90, 25});   // on the increment button
    EXPECT_EQ(bar.GetScrollPosition(), 1);           // once at once
    EXPECT_EQ(bar.GetAction(), SCROLL_LINE_INC);
    Frame(0);
    for (int tick = 1; tick <= 4; ++tick) Frame(100);
    EXPECT_EQ(bar.GetScrollPosition(), 1);
    Frame(100);                                      // 500 ms
    EXPECT_EQ(bar.GetScrollPosition(), 2);
    Frame(100);
    EXPECT_EQ(bar.GetScrollPosition(), 3);
    DispatchLButtonUp(0, CxPoint{20 + 90, 25});
    EXPECT_EQ(bar.GetAction(), SCROLL_NONE);
    Frame(100);
    Frame(100);
    EXPECT_EQ(bar.GetScrollPosition(), 3);
    EXPECT_TRUE(parent.notes.size() == 3u && parent.notes.back().code == 3);   // the buttons' own codes stay inside
}

TEST_F(ScrollBars, DecrementButtonStepsDownByTheLineStep)
{
    CxHorizontalScrollBar bar;
    Build(bar, false);
    bar.SetScrollPosition(10);
    bar.SetLineStep(3);
    DispatchLButtonDown(0, CxPoint{20 + 5, 25});
    DispatchLButtonUp(0, CxPoint{20 + 5, 25});
    EXPECT_EQ(bar.GetScrollPosition(), 7);
}

TEST_F(ScrollBars, TrackPressPagesAndRepeatsWhileThePointerStaysInTheArea)
{
    CxHorizontalScrollBar bar;
    Build(bar, false);
    bar.SetPageStep(2);
    DispatchLButtonDown(0, CxPoint{20 + 80, 25});    // right of the thumb
    EXPECT_EQ(bar.GetScrollPosition(), 2);
    EXPECT_EQ(GetCaptureObject(), &bar);
    Frame(0);
    for (int tick = 1; tick <= 5; ++tick) Frame(100);
    EXPECT_EQ(bar.GetScrollPosition(), 4);
    DispatchMouseMove(0, CxPoint{20 + 20, 25});      // left of the thumb now: the page step waits
    Frame(100);
    EXPECT_EQ(bar.GetScrollPosition(), 4);
    DispatchLButtonUp(0, CxPoint{20 + 20, 25});
    EXPECT_EQ(GetCaptureObject(), nullptr);
    EXPECT_FALSE(bar.IsDragging());
}

TEST_F(ScrollBars, DraggingTheThumbFollowsThePointerEvenOutsideTheBar)
{
    CxHorizontalScrollBar bar;
    Build(bar, false);
    DispatchLButtonDown(0, CxPoint{20 + 18, 25});    // on the thumb at 16..25
    EXPECT_EQ(bar.GetAction(), SCROLL_DRAG);
    EXPECT_EQ(HitTestRoot(CxPoint{250, 150}), &bar);
    DispatchMouseMove(0, CxPoint{20 + 50, 25});
    EXPECT_EQ(bar.GetScrollPosition(), (50 - 16) * 11 / 68);
    DispatchMouseMove(0, CxPoint{20 + 95, 180});     // far past the end
    EXPECT_EQ(bar.GetScrollPosition(), 10);
    DispatchLButtonUp(0, CxPoint{20 + 30, 25});
    EXPECT_EQ(bar.GetScrollPosition(), (30 - 16) * 11 / 68);
    EXPECT_EQ(bar.PositionFromPoint(CxPoint{200, 5}), bar.GetScrollPosition());   // outside, not dragging
}

TEST_F(ScrollBars, DisabledHorizontalBarKeepsItsPositionButVerticalDoesNot)
{
    CxHorizontalScrollBar across;
    Build(across, false);
    across.Disable();
    EXPECT_FALSE(across.GetThumb()->IsVisible());
    EXPECT_EQ(across.GetIncrementButton()->GetState(), BUTTON_DISABLED);
    across.SetScrollPosition(6);
    EXPECT_EQ(across.GetScrollPosition(), 0);
    DispatchLButtonDown(0, CxPoint{20 + 80, 25});
    EXPECT_EQ(across.GetScrollPosition(), 0);
    across.Enable();
    EXPECT_TRUE(across.GetThumb()->IsVisible());

    CxVerticalScrollBar down;
    Build(down, true);
    down.Disable();
    down.SetScrollPosition(6);
    EXPECT_EQ(down.GetScrollPosition(), 6);
}

TEST_F(ScrollBars, MissingPicturesAreReported)
{
    CxHorizontalScrollBar bar;
    bar.Create(0, 0, 100, 16, &parent, 0);
    EXPECT_EQ(bar.LoadThumb(static_cast<CxDrawSurface*>(nullptr)), ERR_INVALID_ARGUMENT);
    EXPECT_EQ(ErrorCapture::Reports().back().message, "Invalid CxDrawSurface passed to CxScrollBar::LoadThumb()");
    CxHorizontalScrollBar other;
    EXPECT_EQ(other.LoadDecrementButton(static_cast<CxDrawSurface*>(nullptr)), ERR_UNKNOWN);
    EXPECT_EQ(ErrorCapture::Reports().back().message, "Invalid DisplaySurface passed to CxScrollBar::LoadLeftButton()");
}

TEST_F(ScrollBars, StoredButtonLengthStandsInForMissingButtons)
{
    CxHorizontalScrollBar bar;
    bar.Create(0, 0, 100, 16, &parent, 0);
    bar.SetButtonLength(20);
    bar.SetRange(0, 4);
    bar.SetScrollPosition(0);
    EXPECT_EQ(bar.GetPageIncrementRect(), (CxRect{20, 0, 79, 15}));   // no thumb: it starts at L
    bar.SetScrollPosition(4);
    EXPECT_EQ(bar.GetPageDecrementRect(), (CxRect{20, 0, 78, 15}));
}

TEST_F(ScrollBars, PicturesFromFilesAndFilesThatFail)
{
    InTempDir dir;
    RegisterEngineImageFilters();
    CxDrawSurface* picture = Picture(16, 16, 5);
    ASSERT_EQ(picture->Save("arrows.tga"), 0);
    delete picture;
    CxHorizontalScrollBar bar;
    bar.Create(0, 0, 100, 16, &parent, 0);
    EXPECT_EQ(bar.Load("arrows.tga", nullptr, nullptr), 0);
    ASSERT_NE(bar.GetDecrementButton(), nullptr);
    EXPECT_EQ(bar.GetDecrementButton()->GetNumFrames(), 5);
    EXPECT_EQ(bar.GetIncrementButton(), nullptr);   // null entries are skipped
    size_t reports = ErrorCapture::Reports().size();
    EXPECT_NE(bar.LoadThumb("no such thumb.tga"), 0);
    EXPECT_GT(ErrorCapture::Reports().size(), reports);   // the loader said why
    EXPECT_EQ(bar.GetThumb(), nullptr);
}
