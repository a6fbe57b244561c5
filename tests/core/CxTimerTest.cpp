#include "ErrorCapture.h"
#include "core/CxCleaner.h"
#include "core/CxThread.h"
#include "core/CxTime.h"
#include "core/CxTimer.h"

#include <gtest/gtest.h>
#include <atomic>
#include <vector>

namespace {
uint32_t gNow = 0;
uint32_t FakeClock() { return gNow; }

// Steps a hand-driven clock; starts far from 0 like a real tick count, since a
// new periodic timer's first call relies on "now - 0" being large.
class Clock : public ::testing::Test {
protected:
    void SetUp() override
    {
        gNow = 1000000;
        QorSetTickSource(FakeClock);
    }
    void TearDown() override { QorSetTickSource(nullptr); }
    static void Advance(uint32_t ms) { gNow += ms; }
    static void Frame()
    {
        if (CxTimerManager::Get()) CxTimerManager::Get()->OnMainLoop();
    }
};

struct Recorder : CxTimerListener {
    std::vector<uint32_t> calls;
    CxTimerCallBack* killInCall = nullptr;
    CxCleaner* cleaner = nullptr;
    void OnTimer(CxTimerCallBack* timer) override
    {
        calls.push_back(gNow);
        if (killInCall && cleaner) { cleaner->Add(killInCall); killInCall = nullptr; }
    }
};
}  // namespace

TEST_F(Clock, StopwatchGrowsAndNeverExpires)
{
    CxTimer timer;
    EXPECT_EQ(timer.Elapsed(), 0u);
    timer.Start(0);
    Advance(100000);
    EXPECT_EQ(timer.Elapsed(), 100000u);
    EXPECT_FALSE(timer.HasExpired(gNow));
    EXPECT_EQ(timer.Reset(), 100000u);
    EXPECT_FALSE(timer.IsStarted());
}

TEST_F(Clock, PauseFreezesElapsedAndRemaining)
{
    CxTimer timer;
    timer.Start(1000);
    Advance(400);
    EXPECT_TRUE(timer.CountPause());
    EXPECT_FALSE(timer.CountPause());   // nested: only the first acts
    Advance(5000);
    EXPECT_EQ(timer.Elapsed(), 400u);
    EXPECT_EQ(timer.Remaining(), 600);
    EXPECT_FALSE(timer.CountResume());
    EXPECT_TRUE(timer.CountResume());
    EXPECT_FALSE(timer.CountResume());  // unmatched
    EXPECT_EQ(timer.Elapsed(), 400u);
    EXPECT_EQ(timer.Remaining(), 600);
    Advance(600);
    EXPECT_TRUE(timer.HasExpired(gNow));
    EXPECT_LE(timer.Remaining(), 0);
}

TEST_F(Clock, TimersAcrossTheTickWrapEndOnTime)
{
    gNow = 0xFFFFFF00u;
    CxTimer timer;
    timer.Start(0x200);
    Advance(0x100);             // the tick count wrapped to 0
    EXPECT_EQ(gNow, 0u);
    EXPECT_FALSE(timer.HasExpired(gNow));
    EXPECT_EQ(timer.Elapsed(), 0x100u);
    EXPECT_EQ(timer.Remaining(), 0x100);
    Advance(0xFF);
    EXPECT_FALSE(timer.HasExpired(gNow));
    Advance(1);
    EXPECT_TRUE(timer.HasExpired(gNow));

    Recorder listener;
    gNow = 0xFFFFFFF0u;
    CxTimerCallBack periodic(&listener, 100);
    periodic.Start(0);
    Frame();
    Advance(60);                // wrapped
    Frame();
    Advance(60);
    Frame();
    EXPECT_EQ(listener.calls, (std::vector<uint32_t>{0xFFFFFFF0u, 0xFFFFFFF0u + 120}));
}

TEST_F(Clock, PeriodicCallsAtMostOncePerFrameWithoutCatchingUp)
{
    Recorder listener;
    uint32_t t0 = gNow;
    CxTimerCallBack timer(&listener, 100);
    timer.Start(0);
    for (int frame = 1; frame <= 5; ++frame) {
        Advance(60);
        Frame();
    }
    EXPECT_EQ(listener.calls, (std::vector<uint32_t>{t0 + 60, t0 + 180, t0 + 300}));

    listener.calls.clear();
    Advance(1000);              // a long frame: one call, not ten
    Frame();
    EXPECT_EQ(listener.calls.size(), 1u);
}

TEST_F(Clock, ADurationEndsWithOneLastCallAndStopsTheTimer)
{
    Recorder listener;
    CxTimerCallBack timer(&listener, 100);
    timer.Start(250);
    for (int i = 0; i < 6; ++i) {
        Frame();
        Advance(100);
    }
    EXPECT_EQ(listener.calls.size(), 4u);   // 0, 100, 200, then the end at 300
    EXPECT_FALSE(timer.IsStarted());
}

TEST_F(Clock, APausedTimerKeepsItsPhase)
{
    Recorder listener;
    CxTimerCallBack timer(&listener, 100);
    timer.Start(0);
    Frame();                    // first call
    Advance(30);
    timer.CountPause();
    Advance(10000);
    Frame();
    EXPECT_EQ(listener.calls.size(), 1u);
    timer.CountResume();
    Advance(69);
    Frame();
    EXPECT_EQ(listener.calls.size(), 1u);   // 99 ms of running time since the call
    Advance(1);
    Frame();
    EXPECT_EQ(listener.calls.size(), 2u);
}

TEST_F(Clock, TimersKilledDuringTheWalkAreSafe)
{
    CxCleaner cleaner;
    Recorder first, second;
    auto* a = new CxTimerCallBack(&first, 0);
    auto* b = new CxTimerCallBack(&second, 0);
    a->Start(0);
    b->Start(0);
    first.cleaner = &cleaner;
    first.killInCall = a;       // kills itself from its own call
    Frame();
    EXPECT_EQ(second.calls.size(), 1u);   // the walk went on
    cleaner.Empty();
    EXPECT_EQ(CxTimerManager::Get()->TimerCount(), 1);

    struct Killer : CxTimerListener {
        CxTimerCallBack* victim = nullptr;
        void OnTimer(CxTimerCallBack*) override { delete victim; victim = nullptr; }
    } killer;
    auto* c = new CxTimerCallBack(&killer, 0);
    c->Start(0);
    // c's listener deletes d, the timer the walk would visit next.
    auto* d = new CxTimerCallBack(&second, 0);
    d->Start(0);
    killer.victim = d;
    Frame();
    delete b;
    delete c;
    EXPECT_EQ(CxTimerManager::Get(), nullptr);   // gone with the last timer
}

TEST(CxThread, RunsUntilTheStepFunctionFinishesOrIsStopped)
{
    std::atomic<int> steps{0};
    CxThread counting([](void* data) {
        auto* n = static_cast<std::atomic<int>*>(data);
        return ++*n >= 50 ? 1 : 0;
    }, &steps);
    EXPECT_EQ(counting.Start(), 0);
    while (counting.GetState() != THREAD_STOPPED) {}
    EXPECT_EQ(steps.load(), 50);
    counting.Stop();

    std::atomic<int> spins{0};
    CxThread endless([](void* data) {
        ++*static_cast<std::atomic<int>*>(data);
        return 0;
    }, &spins);
    endless.Start();
    while (spins.load() < 10) {}
    endless.Stop();
    EXPECT_EQ(endless.GetState(), THREAD_STOPPED);

    ErrorCapture capture;
    CxThread none;
    EXPECT_EQ(none.Start(), ERR_INVALID_ARGUMENT);
    ASSERT_EQ(capture.Reports().size(), 1u);
    EXPECT_EQ(capture.Reports()[0].message, "No function specified for thread");
}

TEST(CxMutex, LockTimesOutWhileAnotherHolds)
{
    CxMutex a, b;
    EXPECT_EQ(b.Lock(10), 0);   // no mutex yet
    ASSERT_EQ(a.Create("VornTimerTestMutex", true), 0);
    ASSERT_EQ(b.Create("VornTimerTestMutex", false), 0);
    EXPECT_EQ(b.Lock(20), 0);
    a.Unlock();
    EXPECT_EQ(b.Lock(20), 1);
    b.Unlock();
}
