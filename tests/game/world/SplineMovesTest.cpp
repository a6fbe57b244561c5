// Spline moves on a fake clock: the curve's ends, the time a move takes,
// and the degenerate moves that once divided by zero.
#include "game/world/C3DRoom.h"
#include "game/world/CxSplineEvents.h"
#include "display/CxDisplayTree.h"
#include "display/CxSprite.h"

#include <gtest/gtest.h>
#include <cmath>
#include <memory>
#include <string>

namespace {
uint32_t gNow = 1000;
uint32_t FakeClock() { return gNow; }

struct Recorder : CSplineEventEx {
    using CSplineEventEx::CSplineEventEx;
    void Apply(const CxVec3& p) override { last = p, ++applied; }
    CxVec3 last;
    int applied = 0;
};

class SplineMoves : public ::testing::Test {
protected:
    void SetUp() override { SetMoveClock(FakeClock); }
    void TearDown() override { SetMoveClock(nullptr); }
};
}  // namespace

TEST_F(SplineMoves, CurveStartsAndEndsOnItsControlPointsAndStaysNearTheHull)
{
    std::vector<CxVec3> controls = {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 5}};
    std::vector<CxVec3> samples = SampleSpline(controls, 20);
    ASSERT_EQ(samples.size(), 20u);
    EXPECT_FLOAT_EQ(samples.front().x, 0);
    EXPECT_FLOAT_EQ(samples.back().y, 10);
    EXPECT_FLOAT_EQ(samples.back().z, 5);
    for (const CxVec3& p : samples) {
        EXPECT_GE(p.x, -1e-4f);
        EXPECT_LE(p.x, 10 + 1e-4f);
    }
    // Two points: a straight line, evenly sampled.
    std::vector<CxVec3> line = SampleSpline({{0, 0, 0}, {4, 0, 0}}, 5);
    ASSERT_EQ(line.size(), 5u);
    EXPECT_NEAR(line[1].x, 1.0f, 1e-5f);
    EXPECT_NEAR(PolylineLength(line), 4.0f, 1e-5f);
}

TEST_F(SplineMoves, A250UnitMoveAtSpeed100TakesTwoAndAHalfSeconds)
{
    Recorder move({{0, 0, 0}, {250, 0, 0}}, 10, 100);
    EXPECT_NEAR(move.GetDurationSeconds(), 2.5f, 1e-4f);
    gNow = 1000;
    move.Start();
    gNow = 2000;
    EXPECT_FALSE(move.IsDone());
    EXPECT_NEAR(move.last.x, 100, 1e-3f);
    gNow = 3499;
    EXPECT_FALSE(move.IsDone());
    move.Pause();
    gNow = 5000;   // paused time does not count
    EXPECT_FALSE(move.IsDone());
    move.Resume();
    gNow = 5001;
    EXPECT_TRUE(move.IsDone());
    EXPECT_FLOAT_EQ(move.last.x, 250);
}

TEST_F(SplineMoves, DegenerateMovesEndAtTheirLastPointWithoutNaN)
{
    struct Case {
        std::vector<CxVec3> controls;
        int samples;
        float speed;
    } cases[] = {
        {{{0, 0, 0}, {5, 0, 0}}, 1, 100},        // fewer than 2 samples
        {{{0, 0, 0}, {5, 0, 0}}, 10, 0},         // speed 0
        {{{2, 2, 2}, {2, 2, 2}}, 10, 100},       // zero distance
        {{{0, 0, 0}, {5, 0, 0}}, 10, NAN},       // speed from a broken script
        {{{0, 0, 0}, {NAN, 0, 0}, {3, 0, 0}}, 10, 50},
    };
    for (Case& c : cases) {
        Recorder move(c.controls, c.samples, c.speed);
        move.Start();
        EXPECT_TRUE(std::isfinite(move.GetDurationSeconds()));
        gNow += 5000;
        EXPECT_TRUE(move.IsDone());
        EXPECT_TRUE(std::isfinite(move.last.x) && std::isfinite(move.last.y) && std::isfinite(move.last.z));
        EXPECT_FLOAT_EQ(move.last.x, c.controls.back().x == c.controls.back().x ? c.controls.back().x : 3.0f);
    }
}

TEST_F(SplineMoves, ZoomCameraByOneEndsAtOnceAndHalfHalvesTheDistance)
{
    C3DRoom room;
    C3DRoom::SetRunning(&room);
    CxCamera& camera = room.GetCamera();
    camera.eye[2] = -10, camera.valid = 1;
    auto zoom = [&](const char* fraction) {
        CxLinkedList<CxString> args;
        args.AddTail(CxString("10"));
        args.AddTail(CxString("100"));
        args.AddTail(CxString(fraction));
        return std::unique_ptr<CxEvent>(room.CreateEvent("Room", "ZoomCamera", args));
    };
    std::unique_ptr<CxEvent> stay = zoom("1");
    ASSERT_NE(stay, nullptr);
    stay->Start();
    EXPECT_TRUE(stay->IsDone()) << "nowhere to go";
    EXPECT_FLOAT_EQ(camera.eye[2], -10);

    std::unique_ptr<CxEvent> half = zoom("0.5");
    half->Start();
    gNow += 25;   // 2.5 of the 5 units
    EXPECT_FALSE(half->IsDone());
    EXPECT_NEAR(camera.eye[2], -7.5f, 1e-3f);
    gNow += 100;
    EXPECT_TRUE(half->IsDone());
    EXPECT_FLOAT_EQ(camera.eye[2], -5);

    CxLinkedList<CxString> track;
    for (const char* word : {"5", "0", "1", "2", "3"}) track.AddTail(CxString(word));   // speed 0
    std::unique_ptr<CxEvent> jump(room.CreateEvent("Room", "TrackCamera", track));
    jump->Start();
    EXPECT_TRUE(jump->IsDone());
    EXPECT_FLOAT_EQ(camera.target[1], 2);
    C3DRoom::SetRunning(nullptr);
}

TEST_F(SplineMoves, MoveSpriteGoesStraightToOnePairAndNeedsALiveSprite)
{
    InitHeadlessDisplayTree(CxSize{640, 480});
    auto* sprite = new CxSprite;
    ASSERT_EQ(sprite->Create(100, 50, 10, 10, GetRootObject(), 7), 0);
    auto fill = [](CxLinkedList<CxString>& out, std::initializer_list<std::string> list) {
        for (const std::string& w : list) out.AddTail(CxString(w.c_str()));
    };
    std::string id = std::to_string(reinterpret_cast<uintptr_t>(sprite));
    CxLinkedList<CxString> none, line, stale;
    fill(none, {"0", "10", "100", "5", "5"});
    EXPECT_EQ(NewMoveSpriteEvent(none), nullptr);

    fill(line, {id, "10", "100", "400", "50"});   // 300 to the right: 3 s
    std::unique_ptr<CxEvent> move(NewMoveSpriteEvent(line));
    ASSERT_NE(move, nullptr);
    move->Start();
    gNow += 1500;
    EXPECT_FALSE(move->IsDone());
    EXPECT_EQ(sprite->GetPosition().x, 250);
    EXPECT_EQ(sprite->GetPosition().y, 50);
    gNow += 1500;
    EXPECT_TRUE(move->IsDone());
    EXPECT_EQ(sprite->GetPosition().x, 400);

    fill(stale, {id, "10", "100", "0", "0"});
    std::unique_ptr<CxEvent> late(NewMoveSpriteEvent(stale));
    delete sprite;
    late->Start();
    gNow += 10000;
    EXPECT_TRUE(late->IsDone());   // the sprite is gone: nothing to move
    ShutdownDisplayTree();
}
