#include "../core/ErrorCapture.h"
#include "core/CxTime.h"
#include "display/CxAnimatedButton.h"
#include "display/CxDisplayTree.h"
#include "display/CxSprite.h"

#include <gtest/gtest.h>
#include <vector>

namespace {
uint32_t gNow = 1000;
uint32_t FakeClock() { return gNow; }

class Counter : public CxAnimationListener {
public:
    void OnAnimationNotify(CxAnimation* animation) override
    {
        heardAt.push_back(gNow);
        paths.push_back(animation->GetCurAction());
    }
    std::vector<uint32_t> heardAt;
    std::vector<int32_t> paths;
};

class Animations : public ::testing::Test {
protected:
    void SetUp() override
    {
        gNow = 1000;
        QorSetTickSource(FakeClock);
        SetDisplayBufferCount(CxSize{300, 200}, 1);
        sprite = new CxSprite;
        sprite->Create(0, 0, 0, 0, GetRootObject(), 0);
        auto* frames = new CxDrawSurface;
        frames->Create(80, 10, 32);   // eight frames, 10 x 10
        sprite->SetSurface(frames, 8);
        sprite->Paint();
        animation.SetSprite(sprite);
        animation.SetListener(&counter);
    }
    void TearDown() override
    {
        animation.Stop();
        delete sprite;
        ShutdownDisplayTree();
        QorSetTickSource(nullptr);
    }
    // Advances the clock in steps, running the per-frame routine after each.
    static void RunFor(uint32_t ms, uint32_t step = 10)
    {
        for (uint32_t t = 0; t < ms; t += step) {
            gNow += step;
            UpdatePlayingAnimations();
        }
    }
    void Add(CxAnimationPath path) { animation.AddPathsToTail(&path, 1); }

    CxSprite* sprite = nullptr;
    CxAnimation animation;
    Counter counter;
};
}  // namespace

TEST_F(Animations, FramesAdvanceAtTheirRateUntilTheEndFrame)
{
    CxAnimationPath path;
    path.flags = PATH_FRAMERATE | PATH_ENDFRAME;
    path.frameRate = 10;
    path.endFrame = 5;
    Add(path);
    animation.Play();
    EXPECT_EQ(PlayingAnimationCount(), 1);
    std::vector<int> seen;
    for (int i = 0; i < 6; ++i) {
        gNow += 100;
        UpdatePlayingAnimations();
        seen.push_back(sprite->GetCurFrame());
    }
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4, 5, 5}));
    EXPECT_EQ(counter.heardAt, (std::vector<uint32_t>{1600}));   // ended once frame 5 had been shown
    EXPECT_FALSE(animation.IsPlaying());
    EXPECT_EQ(PlayingAnimationCount(), 0);
}

TEST_F(Animations, LateFramesCatchUpAndCanRunBackwards)
{
    CxAnimationPath path;
    path.flags = PATH_FRAMERATE | PATH_STARTFRAME | PATH_ENDFRAME;
    path.frameRate = 10;
    path.startFrame = 7;
    path.endFrame = 2;
    Add(path);
    animation.Play();
    EXPECT_EQ(sprite->GetCurFrame(), 7);
    gNow += 350;                                  // a slow game frame: three frames are due
    UpdatePlayingAnimations();
    EXPECT_EQ(sprite->GetCurFrame(), 4);
    gNow += 50;                                   // the phase was kept: the next is due at 400
    UpdatePlayingAnimations();
    EXPECT_EQ(sprite->GetCurFrame(), 3);
    RunFor(1000);
    EXPECT_EQ(sprite->GetCurFrame(), 2);          // never past the end frame
    EXPECT_FALSE(animation.IsPlaying());
}

TEST_F(Animations, LoopsOfATimedPathKeepTheirRhythm)
{
    CxAnimationPath path;
    path.flags = PATH_LOOPS | PATH_DURATION;
    path.loops = 3;
    path.duration = 200;
    Add(path);
    animation.Play();
    EXPECT_EQ(animation.GetPathLoops(), 3);
    RunFor(1000, 15);                             // 15 ms frames overrun each 200 ms end a little
    EXPECT_EQ(counter.heardAt, (std::vector<uint32_t>{1210, 1405, 1600}));
    EXPECT_FALSE(animation.IsPlaying());
}

TEST_F(Animations, MovesTowardsTheTargetAtItsSpeedAndEndsOnArrival)
{
    CxAnimationPath path;
    path.flags = PATH_POSITION | PATH_TARGET | PATH_SPEED | PATH_ANCHOR | PATH_NOTIFY_MOVE;
    path.anchor = ANCHOR_CENTRE;
    path.x = 20;
    path.y = 20;
    path.targetX = 120;
    path.targetY = 20;
    path.speed = 100;                             // pixels per second
    Add(path);
    animation.Play();
    EXPECT_EQ(sprite->GetPosition(ANCHOR_CENTRE), (CxPoint{20, 20}));
    RunFor(500, 50);
    EXPECT_EQ(sprite->GetPosition(ANCHOR_CENTRE), (CxPoint{70, 20}));
    EXPECT_EQ(counter.heardAt.size(), 10u);       // one per step that moved it
    RunFor(600, 50);
    EXPECT_EQ(sprite->GetPosition(ANCHOR_CENTRE), (CxPoint{120, 20}));
    EXPECT_FALSE(animation.IsPlaying());          // arrived: the only path ended
}

TEST_F(Animations, PathsFollowEachOtherForTheCyclesAsked)
{
    CxAnimationPath first;
    first.flags = PATH_DURATION | PATH_STARTFRAME | PATH_ZORDER;
    first.duration = 100;
    first.startFrame = 1;
    first.zOrder = 0;
    CxAnimationPath second = first;
    second.startFrame = 2;
    Add(first);
    Add(second);
    animation.SetLoops(2);
    auto* other = new CxSprite;
    other->Create(0, 0, 10, 10, GetRootObject(), 0);
    other->Paint();
    EXPECT_EQ(HitTestRoot(CxPoint{5, 5}), other);
    animation.Play();
    EXPECT_EQ(HitTestRoot(CxPoint{5, 5}), sprite);   // z-order 0 brought it to the front
    RunFor(500, 10);
    EXPECT_EQ(counter.paths, (std::vector<int32_t>{0, 1, 0, 1}));
    EXPECT_FALSE(animation.IsPlaying());
    EXPECT_EQ(sprite->GetCurFrame(), 2);

    counter.paths.clear();
    CxAnimationPath last = second;
    last.flags |= PATH_FINAL;
    animation.RemovePath(1);
    animation.InsertPath(0, last);                // the final path now comes first
    animation.Play();
    RunFor(300, 10);
    EXPECT_EQ(counter.paths, (std::vector<int32_t>{0}));
    delete other;
}

TEST_F(Animations, PausedAnimationsHoldStill)
{
    CxAnimationPath path;
    path.flags = PATH_FRAMERATE;
    path.frameRate = 10;
    Add(path);
    animation.Play();
    RunFor(150, 10);
    EXPECT_EQ(sprite->GetCurFrame(), 1);
    animation.CountPause();
    RunFor(1000, 10);
    EXPECT_EQ(sprite->GetCurFrame(), 1);
    animation.CountResume();
    RunFor(60, 10);                               // 50 ms were left of that frame when paused
    EXPECT_EQ(sprite->GetCurFrame(), 2);
    RunFor(2000, 10);
    EXPECT_EQ(sprite->GetCurFrame(), (2 + 20) % 8);   // no end frame: it wraps around
}

TEST_F(Animations, StationaryAnimationsNeverMoveTheObject)
{
    CxAnimationPath path;
    path.flags = PATH_POSITION | PATH_TARGET | PATH_SPEED | PATH_DURATION;
    path.x = 100;
    path.y = 100;
    path.targetX = 0;
    path.targetY = 0;
    path.speed = 1000;
    path.duration = 300;
    Add(path);
    sprite->Paint(40, 30);
    animation.SetStationary(true);
    animation.Play();
    RunFor(200);
    EXPECT_EQ(sprite->GetPosition(), (CxPoint{40, 30}));
    EXPECT_TRUE(animation.IsPlaying());           // ends by its duration only

    animation.SetStationary(false);
    animation.SetRelativeStart(true);
    animation.Play();
    EXPECT_EQ(sprite->GetPosition(), (CxPoint{140, 130}));
}

TEST_F(Animations, ChoosingPathsAndMissingObjects)
{
    for (int i = 0; i < 3; ++i) Add(CxAnimationPath{});
    animation.SetCurAction(7);
    EXPECT_EQ(animation.GetCurAction(), 1);
    animation.SetCurAction(-1);
    EXPECT_EQ(animation.GetCurAction(), 2);
    EXPECT_EQ(animation.GetPath(5), nullptr);

    ErrorCapture errors;
    CxAnimation lonely;
    lonely.AddPathsToTail(animation.GetPath(0), 1);
    lonely.Play();
    ASSERT_EQ(errors.Reports().size(), 1u);
    EXPECT_EQ(errors.Reports()[0].code, ERR_UNKNOWN);
    RunFor(50);                                   // playing without an object does nothing
}

TEST_F(Animations, ADestroyedSpriteIsForgotten)
{
    CxAnimationPath path;
    path.flags = PATH_FRAMERATE;
    path.frameRate = 50;
    Add(path);
    animation.Play();
    delete sprite;
    sprite = nullptr;
    EXPECT_EQ(animation.GetSprite(), nullptr);
    EXPECT_FALSE(animation.IsPlaying());
    RunFor(100);
}

TEST_F(Animations, TheRateLimitThinsOutUpdates)
{
    CxAnimationPath path;
    path.flags = PATH_POSITION | PATH_TARGET | PATH_SPEED | PATH_NOTIFY_MOVE;
    path.targetX = 200;
    path.speed = 1000;
    Add(path);
    animation.Play();
    SetAnimationRateLimit(20);                    // at most one update per 50 ms
    RunFor(500, 10);
    SetAnimationRateLimit(0);
    EXPECT_EQ(counter.heardAt.size(), 6u);        // five steps of 50 ms reach the target, then it ends
}

TEST_F(Animations, AnimatedButtonsPlayTheActionOfEachState)
{
    CxAnimatedButton button;
    button.Create(50, 50, 0, 0, GetRootObject(), 0);
    auto* frames = new CxDrawSurface;
    frames->Create(80, 10, 32);
    button.SetSurface(frames, 8);
    CxAnimationPath actions[3];
    for (int i = 0; i < 3; ++i) {
        actions[i].flags = PATH_STARTFRAME | PATH_FRAMERATE | PATH_ENDFRAME | PATH_FINAL;   // one action each
        actions[i].startFrame = i * 3;
        actions[i].endFrame = i * 3 + 1;
        actions[i].frameRate = 10;
    }
    button.LoadAnimation(actions, 3);
    button.SetStateMapEntry(BUTTON_HOVER, 1);
    button.SetStateMapEntry(BUTTON_PRESSED, 2);
    button.SetState(BUTTON_HOVER);
    EXPECT_EQ(button.GetAnimation().GetCurAction(), 1);
    EXPECT_EQ(button.GetCurFrame(), 3);
    RunFor(150);
    EXPECT_EQ(button.GetCurFrame(), 4);
    EXPECT_FALSE(button.GetAnimation().IsPlaying());
    button.SetState(BUTTON_PRESSED);
    EXPECT_EQ(button.GetCurFrame(), 6);
    EXPECT_TRUE(button.GetAnimation().IsPlaying());
}
