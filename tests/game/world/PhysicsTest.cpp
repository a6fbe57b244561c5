// The toy physics stepped by hand with a `physics` table of round numbers,
// the drag tracker, and the script class through a real script engine.
#include "game/world/C3DPhysicsObject.h"
#include "game/world/CMotion.h"
#include "game/world/CToyStep.h"
#include "game/world/CxWorldScript.h"
#include "script/CxLuaEngine.h"

#include <gtest/gtest.h>
#include <lua.hpp>

#include <cmath>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {
std::vector<std::string> gSounds;
int RecordSound(const char* file)
{
    gSounds.emplace_back(file);
    return 0;
}

const char* const kTuning =
    "physics = { gravity = 10, velocity_epsilon = 0.01,"
    "  grass = { height = 0, elasticity = 0.9, rolling_friction = 1 }, fence = { elasticity = 0.5 },"
    "  toy = { Default = { elasticity = 0.5, min_apex_height = 0.2, min_velocity = 0.05, lift = 0,"
    "                      rolling_friction = 0, initial_angular_velocity = 180, radius = 0.1 },"
    "          Bouncy = { elasticity = 1.5, min_apex_height = 0, min_velocity = 0, lift = 0, rolling_friction = 0 },"
    "          Frisbee = { grab_tilt = 30 } } }";

class ToyPhysics : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(engine_.Init(), 0);
        ASSERT_EQ(engine_.RunString(kTuning), 0);
        toy_.SetScriptEngine(&engine_);
        gSounds.clear();
        C3DPhysicsObject::SetSoundPlayer(&RecordSound);
    }
    void TearDown() override { C3DPhysicsObject::SetSoundPlayer(nullptr); }

    void Set(const char* text) { ASSERT_EQ(engine_.RunString(text), 0); }
    // Throws from a place and makes the first, recording step.
    void Launch(float x, float y, float z, float vx, float vy, float vz, bool spin = false)
    {
        toy_.Reset(x, y, z);
        spin ? toy_.Throw(vx, vy, vz) : toy_.ThrowNoSpin(vx, vy, vz);
        toy_.Update(tick_);
    }
    void Step(uint32_t ms = 100) { toy_.Update(tick_ += ms); }
    float X() const { return toy_.GetOrientation().m[3][0]; }
    float Y() const { return toy_.GetOrientation().m[3][1]; }
    float Z() const { return toy_.GetOrientation().m[3][2]; }
    float Speed() const
    {
        const float* v = toy_.GetVelocity();
        return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    }
    bool Finite() const
    {
        for (auto& row : toy_.GetOrientation().m)
            for (float c : row)
                if (!std::isfinite(c)) return false;
        for (int i = 0; i < 3; ++i)
            if (!std::isfinite(toy_.GetVelocity()[i]) || !std::isfinite(toy_.GetSpinAxis()[i])) return false;
        return std::isfinite(toy_.GetAngularVelocity());
    }
    bool Upright() const
    {
        const GpuMatrix& m = toy_.GetOrientation();
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                if (std::fabs(m.m[r][c] - (r == c ? 1.0f : 0.0f)) > 1e-6f) return false;
        return true;
    }
    // Steps until the toy rolls (or `limit` steps went by).
    void StepUntilRolling(int limit = 200)
    {
        for (int i = 0; i < limit && toy_.IsFlying() && !toy_.IsRolling(); ++i) Step();
    }

    CxLuaEngine engine_;
    C3DPhysicsObject toy_;
    uint32_t tick_ = 5000;
};
}  // namespace

TEST_F(ToyPhysics, FirstStepOnlyRecordsAndADropBouncesUprightWithBothElasticities)
{
    toy_.SetName("Ball");
    toy_.Rotate(0, 0.7f);
    Launch(-300, 0.02f, 0, 0, 0, 0);
    EXPECT_FLOAT_EQ(Y(), 0.02f);   // the recording step moved nothing
    EXPECT_EQ(Speed(), 0);
    Step();   // free fall: the old velocity moves it, gravity speeds it
    EXPECT_FLOAT_EQ(Y(), 0.02f);
    EXPECT_FLOAT_EQ(toy_.GetVelocity()[1], -1);
    EXPECT_FALSE(toy_.HasBounced());
    Step();   // through the grass at 2 units/s: mirrored above it, upright
    EXPECT_TRUE(toy_.HasBounced());
    EXPECT_NEAR(Y(), 0.08f, 1e-6f);
    EXPECT_NEAR(toy_.GetVelocity()[1], 0.9f * 0.5f * 2.0f, 1e-6f);
    EXPECT_TRUE(Upright());
    EXPECT_EQ(gSounds, std::vector<std::string>{"land-toy.wav"});

    EXPECT_STREQ(C3DPhysicsObject::LandingSound("JingleBall"), "land-jingle.wav");
    EXPECT_STREQ(C3DPhysicsObject::LandingSound("RubberDUCKY"), "land-ducky.wav");
}

TEST_F(ToyPhysics, ToysTakeTheirOwnSectionOnlyWhenItHasAnElasticity)
{
    // "Bouncy" has one (without a spin rate, which stays shared); "Ball" has
    // none; a name with a dot would read as a longer path, so it shares too.
    const std::pair<const char*, float> toys[] = {{"Ball", 0.5f}, {"Bouncy", 1.5f}, {"Bouncy.x", 0.5f}};
    for (const auto& [name, elasticity] : toys) {
        toy_.SetName(name);
        toy_.Throw(0, 0, 0);
        EXPECT_FLOAT_EQ(toy_.GetAngularVelocity(), 180 / 57.295776f) << name;
        Launch(-300, 0.02f, 0, 0, 0, 0);
        Step(), Step();
        EXPECT_NEAR(toy_.GetVelocity()[1], 0.9f * elasticity * 2.0f, 1e-6f) << name;
    }
}

TEST_F(ToyPhysics, AHigherApexThanTheLowestStartsRollingInsteadOfGainingHeight)
{
    // An elasticity over 1 would feed it height at each bounce.
    toy_.SetName("Bouncy");
    Set("physics.grass.elasticity = 1");
    Launch(-300, 0.5f, 0, 0.5f, 1.1f, 0);
    float firstApex = 0, lowest = 3.4028235e38f;
    for (int i = 0; i < 400 && toy_.IsFlying() && !toy_.IsRolling(); ++i) {
        Step(20);
        if (firstApex == 0 && toy_.GetLowestApex() < 1e30f) firstApex = toy_.GetLowestApex();
        EXPECT_LE(toy_.GetLowestApex(), lowest);   // never raised
        lowest = toy_.GetLowestApex();
    }
    ASSERT_GT(firstApex, 0.5f);
    EXPECT_TRUE(toy_.IsRolling());
    EXPECT_TRUE(toy_.HasBounced());
    EXPECT_FLOAT_EQ(toy_.GetLowestApex(), firstApex);
    EXPECT_FLOAT_EQ(Y(), 0);   // it rolls on the grass
}

TEST_F(ToyPhysics, RollingKeepsItsSpeedWithoutFrictionAndStopsBelowTheEpsilon)
{
    toy_.SetName("Ball");
    Set("physics.grass.elasticity = 1");
    Launch(-300, 0.1f, 0, 1, 0, 0);
    StepUntilRolling();
    ASSERT_TRUE(toy_.IsRolling());
    Step();   // the first rolling step leaves only the speed over the grass
    float speed = Speed();
    ASSERT_GT(speed, 0.5f);
    for (int i = 0; i < 5; ++i) {
        Step();
        EXPECT_FLOAT_EQ(Y(), 0);
        EXPECT_FLOAT_EQ(toy_.GetVelocity()[1], 0);
        EXPECT_FLOAT_EQ(Speed(), speed);
    }
    // The numbers are read at every step: friction 1 × 2 loses 0.2 per 100 ms.
    Set("physics.toy.Default.rolling_friction = 2");
    Step();
    EXPECT_NEAR(Speed(), speed - 0.2f, 1e-5f);
    EXPECT_EQ(gSounds.size(), 2u);   // the two landings, never one per rolling step
    // Below the epsilon it stops and comes to rest in the same step.
    Set("physics.velocity_epsilon = 100");
    Step();
    EXPECT_EQ(toy_.GetState(), C3DPhysicsObject::STATE_AT_REST);
    EXPECT_TRUE(toy_.IsOnGround());
    EXPECT_EQ(Speed(), 0);
    EXPECT_FALSE(toy_.IsRolling());

    // Braked to a standstill but still rolling: no direction to normalise.
    Launch(-300, 0.1f, 0, 1, 0, 0);
    StepUntilRolling();
    Set("physics.velocity_epsilon = 0 physics.toy.Default.min_velocity = -1 physics.toy.Default.rolling_friction = 1e6");
    for (int i = 0; i < 3; ++i) Step();
    EXPECT_TRUE(toy_.IsFlying());
    EXPECT_EQ(Speed(), 0);
    EXPECT_TRUE(Finite());
}

TEST_F(ToyPhysics, TheFenceTurnsToysBackAndWithoutItTheyLeaveTheYard)
{
    toy_.SetName("Ball");
    Set("physics.gravity = 0");
    // The fixed yard: the far fence at z 190 mirrors the toy and slows it by
    // both elasticities across and by the fence's along.
    Launch(-300, 5, 185, 1, 0, 100);
    Step();
    EXPECT_FLOAT_EQ(Z(), 2 * 190.0f - 195.0f);
    EXPECT_FLOAT_EQ(toy_.GetVelocity()[2], -0.5f * 0.5f * 100);
    EXPECT_FLOAT_EQ(toy_.GetVelocity()[0], 0.5f);
    EXPECT_EQ(gSounds.size(), 1u);
    // The notch at the corner: coming from the open side along x.
    Launch(-385, 5, -400, -100, 0, 0);
    Step();
    EXPECT_FLOAT_EQ(X(), 2 * -390.0f + 395.0f);
    EXPECT_TRUE(toy_.IsFlying());
    // From the open side along z; and into the corner across both, which
    // turns it back along x only.
    Launch(-400, 5, -345, 0, 0, -100);
    Step();
    EXPECT_FLOAT_EQ(Z(), 2 * -350.0f + 355.0f);
    Launch(-385, 5, -345, -100, 0, -100);
    Step();
    EXPECT_FLOAT_EQ(X(), 2 * -390.0f + 395.0f);
    EXPECT_FLOAT_EQ(Z(), -355);

    toy_.DisableCollisions();
    Launch(-300, 5, 185, 0, 0, 100);
    for (int i = 0; i < 20 && toy_.IsFlying(); ++i) Step();
    EXPECT_EQ(toy_.GetState(), C3DPhysicsObject::STATE_LEFT_YARD);
    EXPECT_GT(Z(), 250);
    toy_.EnableCollisions();

    // A room in metres gives its own fence.
    Set("physics.yard = { min_x = -3, max_x = 3, min_z = -2.5, max_z = 2.5, notch_x = -9, notch_z = -9, exit_z = 4 }");
    Launch(2.9f, 1, 0, 2, 0, 0);
    Step();
    EXPECT_FLOAT_EQ(X(), 2 * 3.0f - 3.1f);
    EXPECT_FLOAT_EQ(toy_.GetVelocity()[0], -0.5f * 0.5f * 2);
}

TEST_F(ToyPhysics, SpinFollowsTheRollExceptForADiscAndNeverBecomesNaN)
{
    toy_.SetName("FlyingDisc");
    Launch(-300, 0.05f, 0, 1, 0, 0.5f, true);
    for (int i = 0; i < 40 && toy_.IsFlying(); ++i) {
        Step(50);
        ASSERT_FLOAT_EQ(toy_.GetSpinAxis()[1], 1);
    }
    EXPECT_TRUE(toy_.HasBounced());

    // A ball bouncing along +x spins about (-Vz, 0, Vx): the z axis.
    toy_.SetName("Ball");
    Launch(-300, 0.05f, 0, 1, 0, 0, true);
    Step(), Step();
    ASSERT_TRUE(toy_.HasBounced());
    EXPECT_FLOAT_EQ(toy_.GetSpinAxis()[2], 1);
    EXPECT_NEAR(toy_.GetAngularVelocity(), Speed() / 0.1f, 1e-4f);

    // Straight up after the bounce: no direction to roll in, the spin stays.
    Launch(-300, 0.05f, 0, 0, -1, 0, true);
    const float axis[3] = {toy_.GetSpinAxis()[0], toy_.GetSpinAxis()[1], toy_.GetSpinAxis()[2]};
    const float spin = toy_.GetAngularVelocity();
    Step();
    ASSERT_TRUE(toy_.HasBounced());
    EXPECT_EQ(toy_.GetSpinAxis()[0], axis[0]);
    EXPECT_EQ(toy_.GetSpinAxis()[1], axis[1]);
    EXPECT_EQ(toy_.GetSpinAxis()[2], axis[2]);
    EXPECT_EQ(toy_.GetAngularVelocity(), spin);
    EXPECT_TRUE(Finite());

    // Without a radius the spin rate stays as it was.
    Set("physics.toy.Default.radius = nil");
    Launch(-300, 0.05f, 0, 1, 0, 0, true);
    Step(), Step();
    EXPECT_FLOAT_EQ(toy_.GetAngularVelocity(), 180 / 57.295776f);
    EXPECT_TRUE(Finite());

    // Numbers that are not numbers, and numbers too large to step with.
    Set("physics.gravity = 0/0 physics.toy.Default.lift = 'up'");
    Launch(-300, 0, 0, 0, 0, 0, true);
    for (int i = 0; i < 10; ++i) Step();
    EXPECT_TRUE(Finite());
    Set("physics.gravity = 1e38 physics.grass.rolling_friction = 1e38 physics.toy.Default.radius = 1e-38");
    Launch(-300, 1, 0, 3e38f, 3e38f, 0, true);
    toy_.Update(tick_ += 4000000000u);
    EXPECT_TRUE(Finite());
    for (int i = 0; i < 5; ++i) {
        Step();
        EXPECT_TRUE(Finite());
    }
}

TEST_F(ToyPhysics, PausedAndWrappedTimeAndTheStatesResets)
{
    toy_.SetName("Ball");
    Set("physics.gravity = 0");
    Launch(-300, 5, 0, 1, 0, 0);
    toy_.CountPause();
    Step(60000);
    EXPECT_FLOAT_EQ(X(), -300);
    toy_.CountResume();
    Step(60000);   // the first step after the pause only records
    EXPECT_FLOAT_EQ(X(), -300);
    Step(100);
    EXPECT_FLOAT_EQ(X(), -299.9f);

    // A tick that wrapped past 2^32 still counts forward.
    tick_ = 0xFFFFFF00u;
    Launch(-300, 5, 0, 1, 0, 0);
    toy_.Update(tick_ = 0x100u);
    EXPECT_NEAR(X(), -300 + 0.512f, 1e-4f);

    // SetState is plain; a reset clears the flight but keeps spin and collisions.
    toy_.DisableCollisions();
    toy_.Throw(1, 2, 3);
    float spin = toy_.GetAngularVelocity();
    toy_.SetState(C3DPhysicsObject::STATE_AT_REST);
    EXPECT_FLOAT_EQ(toy_.GetVelocity()[2], 3);
    toy_.Reset(1, 2, 3);
    EXPECT_EQ(toy_.GetState(), C3DPhysicsObject::STATE_IDLE);
    EXPECT_EQ(Speed(), 0);
    EXPECT_FALSE(toy_.IsSpinning());
    EXPECT_EQ(toy_.GetAngularVelocity(), spin);
    EXPECT_FALSE(toy_.HasCollisions());
    Step();   // an idle toy never moves
    EXPECT_FLOAT_EQ(Z(), 3);
}

TEST_F(ToyPhysics, GrabTiltUprightsAToyAndTiltsOnlyADisc)
{
    toy_.SetName("Ball");
    toy_.SetPosition(1, 2, 3);
    toy_.Rotate(0, 1.0f);
    toy_.GrabTilt(1);
    EXPECT_TRUE(Upright());
    EXPECT_FLOAT_EQ(Y(), 2);

    toy_.SetName("frisbee");
    toy_.Rotate(1, 0.5f);
    toy_.GrabTilt(-0.5f);   // 15 degrees the other way about z
    const GpuMatrix& m = toy_.GetOrientation();
    EXPECT_NEAR(std::atan2(m.m[0][1], m.m[0][0]), -15 / 57.295776f, 1e-5f);
    EXPECT_NEAR(m.m[2][2], 1, 1e-6f);
    EXPECT_FLOAT_EQ(Z(), 3);
}

TEST(ToyStep, InvalidInputsAndOverflowingStepsAreRefusedAndChangeNothing)
{
    const float inf = INFINITY, nan = NAN;
    const std::pair<const char*, std::function<void(CToyStep&)>> cases[] = {
        {"no time", [](CToyStep& s) { s.dt = 0; }},
        {"time backwards", [](CToyStep& s) { s.dt = -0.1f; }},
        {"time NaN", [&](CToyStep& s) { s.dt = nan; }},
        {"position NaN", [&](CToyStep& s) { s.motion.position[1] = nan; }},
        {"velocity infinite", [&](CToyStep& s) { s.motion.velocity[2] = -inf; }},
        {"spin axis NaN", [&](CToyStep& s) { s.motion.spinAxis[0] = nan; }},
        {"spin rate infinite", [&](CToyStep& s) { s.motion.angularVelocity = inf; }},
        {"lowest apex infinite", [&](CToyStep& s) { s.motion.lowestApex = inf; }},
        {"gravity NaN", [&](CToyStep& s) { s.tuning.gravity = nan; }},
        {"fence infinite", [&](CToyStep& s) { s.tuning.yard.minX = -inf; }},
        {"overflowing", [](CToyStep& s) { s.motion.velocity[0] = 3e38f, s.tuning.gravity = 3e38f, s.dt = 1e6f; }},
    };
    for (const auto& [name, spoil] : cases) {
        CToyStep step;
        step.tuning.gravity = 10, step.tuning.radius = 0.1f;
        step.motion.position[0] = -300, step.motion.position[1] = 1;
        step.dt = 0.1f;
        step.spinning = true;
        ASSERT_TRUE(CToyStep(step).Run()) << "the untouched step is valid";
        spoil(step);
        step.result.position[0] = 123;
        EXPECT_FALSE(step.Run()) << name;
        EXPECT_EQ(step.result.position[0], 123) << name;
        EXPECT_FALSE(step.contact || step.atRest || step.leftYard) << name;
    }
}

TEST(MotionTracker, SpeedNeverDropsUntilClearedAndRepeatedTicksAreIgnored)
{
    CMotion motion;
    const float a[3] = {0, 0, 0}, b[3] = {10, 0, 0}, c[3] = {11, 0, 0}, d[3] = {11, 4, 0}, f[3] = {11, 34, 0};
    motion.Add(a, 0);
    motion.Add(b, 10);   // 1 unit per ms
    EXPECT_FLOAT_EQ(motion.GetVelocity()[0], 1);
    motion.Add(c, 10);   // same tick: ignored
    EXPECT_EQ(motion.GetCount(), 2);
    EXPECT_FLOAT_EQ(motion.GetPosition()[0], 10);
    motion.Add(c, 20);   // slower: same direction, the speed so far
    EXPECT_FLOAT_EQ(motion.GetVelocity()[0], 1);
    motion.Add(d, 30);   // slower again and turning: the new direction at speed 1
    EXPECT_FLOAT_EQ(motion.GetVelocity()[0], 0);
    EXPECT_FLOAT_EQ(motion.GetVelocity()[1], 1);
    motion.Add(d, 40);   // standing still keeps the last velocity
    EXPECT_FLOAT_EQ(motion.GetVelocity()[1], 1);
    motion.Add(f, 50);   // faster counts
    EXPECT_FLOAT_EQ(motion.GetVelocity()[1], 3);
    motion.Clear();
    motion.Add(a, 0);   // a cleared tracker takes a sample at tick 0, with no speed
    EXPECT_EQ(motion.GetCount(), 1);
    EXPECT_EQ(motion.GetVelocity()[1], 0);
}

TEST(PhysicsScript, ScriptsThrowStepAndQueryAToyTunedByTheirOwnTable)
{
    CxLuaEngine engine;
    ASSERT_EQ(engine.Init(), 0);
    ASSERT_EQ(RegisterWorldScriptClasses(engine), 0);
    ASSERT_EQ(RegisterPhysicsScriptClass(engine), 0);
    ASSERT_EQ(RegisterPhysicsScriptClass(engine), 0);   // twice is harmless
    C3DPhysicsObject::SetSoundPlayer(&RecordSound);
    int live = Cx3DObject::LiveCount();
    ASSERT_EQ(engine.RunString(kTuning), 0);
    ASSERT_EQ(engine.RunString("physics.gravity = 0 "
                               "toy = C3DPhysicsObject:new() toy:SetName('Ball') toy:Reset(-300, 5, 0) "
                               "toy:Throw(10, 0, 0) toy:Update(1000) toy:Update(1100) "
                               "flying = toy:IsFlying() state = toy:GetState() "
                               "plain = Cx3DObject:new()"),
              0);
    EXPECT_EQ(engine.GetGlobalInt("state", -1), 1);
    EXPECT_EQ(engine.GetGlobalInt("flying", -1), 1);

    lua_State* L = engine.GetState();
    lua_getglobal(L, "toy");
    C3DPhysicsObject* toy = CheckPhysicsObject(L, -1);
    lua_getglobal(L, "plain");
    EXPECT_EQ(CheckPhysicsObject(L, -1), nullptr);   // a plain 3D object is no toy
    lua_pop(L, 2);
    ASSERT_NE(toy, nullptr);
    EXPECT_EQ(toy->GetScriptEngine(), &engine);
    EXPECT_FLOAT_EQ(toy->GetOrientation().m[3][0], -299);

    // Pausing from the script leaves the paused time out.
    ASSERT_EQ(engine.RunString("toy:Pause() toy:Update(90000) toy:UnPause() toy:Update(95000) toy:Update(95100) "
                               "toy:DisableCollisions() toy:SetState(3) state = toy:GetState() "
                               "ground = toy:IsOnGround()"),
              0);
    EXPECT_FLOAT_EQ(toy->GetOrientation().m[3][0], -298);
    EXPECT_EQ(engine.GetGlobalInt("state", -1), 3);
    EXPECT_EQ(engine.GetGlobalInt("ground", -1), 1);
    EXPECT_FALSE(toy->HasCollisions());
    // A plain object refuses the toy's methods instead of misreading itself.
    EXPECT_NE(engine.RunString("C3DPhysicsObject.Throw(plain, 1, 2, 3)"), 0);

    ASSERT_EQ(engine.RunString("toy = nil plain = nil collectgarbage('collect')"), 0);
    EXPECT_EQ(Cx3DObject::LiveCount(), live);
    C3DPhysicsObject::SetSoundPlayer(nullptr);
}
