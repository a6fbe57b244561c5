// The pet: facing, the picking ray, the registered pet and its body parts,
// its motion events and the tweak bone.
#include "GlbWriter.h"
#include "TestSupport.h"
#include "game/world/C3DRoom.h"
#include "game/world/CPet.h"
#include "game/world/CPetEvents.h"
#include "game/world/Cx3DObject.h"
#include "game/world/CxModelManager.h"
#include "game/world/CxTextureCache.h"
#include "events/CxEventScriptFunctions.h"
#include "script/CxLuaEngine.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <utility>
#include <vector>
#include <string>

namespace {
const std::string kCat = std::string(VORN_GENERATED_DATA) + "/cat/cat.glb";

void Forward(const GpuMatrix& m, float f[3]) { f[0] = -m.m[2][0], f[1] = -m.m[2][1], f[2] = -m.m[2][2]; }

void PoseNow(Cx3DObject& object, float seconds)
{
    GpuMatrix world;
    object.GetWorldMatrix(&world);
    object.GetRig()->Pose(&world.m[0][0], seconds);
}
}  // namespace

TEST(PetFacing, TheAngleTurnsTheForwardOntoTheTargetFromAnyStart)
{
    for (float start : {0.0f, 1.0f, -2.5f, 3.1f}) {
        for (int i = 0; i < 12; ++i) {
            Cx3DObject o;
            o.RotateAbout(start, 0, 1, 0);
            o.SetPosition(1, 2, -3);
            float a = float(i) * 3.14159265f / 6 + 0.1f;
            const float position[3] = {1, 2, -3};
            const float target[3] = {1 + 4 * std::cos(a), 7, -3 + 4 * std::sin(a)};   // its height never matters
            float angle = PetFacingAngle(o.GetOrientation(), position, target);
            EXPECT_LE(std::fabs(angle), 3.1416f);
            o.RotateAbout(angle, 0, 1, 0);
            float f[3];
            Forward(o.GetOrientation(), f);
            EXPECT_NEAR(f[0], std::cos(a), 1e-4f) << start << " " << i;
            EXPECT_NEAR(f[2], std::sin(a), 1e-4f) << start << " " << i;
        }
    }
    const float here[3] = {0, 0, 0};
    GpuMatrix identity;
    EXPECT_EQ(PetFacingAngle(identity, here, here), 0.0f) << "a target on the pet turns nothing";
    const float above[3] = {0, 5, 0}, nan[3] = {NAN, 0, 0};
    EXPECT_EQ(PetFacingAngle(identity, here, above), 0.0f);
    EXPECT_EQ(PetFacingAngle(identity, here, nan), 0.0f);
}

TEST(PickingRay, PassesThroughTheProjectedPointAndSurvivesBrokenViews)
{
    CxCamera camera;
    camera.SetPerspective(0.9f, 4.0f / 3, 0.1f, 100);
    camera.eye[0] = 1, camera.eye[1] = 2, camera.eye[2] = -6;
    camera.target[0] = 0, camera.target[1] = 0.5f, camera.target[2] = 0;
    camera.up[1] = 1, camera.valid = 1;
    float origin[3], direction[3];
    for (const auto& p : {std::array<float, 3>{0, 0.5f, 0}, {0.8f, 1.2f, 0.4f}, {-1.5f, -0.3f, 2}}) {
        int x = 0, y = 0;
        ASSERT_TRUE(camera.ScreenPosition(p.data(), 800, 600, &x, &y));
        camera.PickingRay(x, y, 800, 600, origin, direction);
        EXPECT_FLOAT_EQ(origin[0], 1);
        EXPECT_FLOAT_EQ(origin[1], 2);
        EXPECT_FLOAT_EQ(origin[2], -6);
        float d[3] = {p[0] - 1, p[1] - 2, p[2] + 6};
        float length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        float dot = (d[0] * direction[0] + d[1] * direction[1] + d[2] * direction[2]) / length;
        EXPECT_GT(dot, 0.99998f) << "within a pixel of the point";
        EXPECT_NEAR(direction[0] * direction[0] + direction[1] * direction[1] + direction[2] * direction[2], 1, 1e-5f);
    }
    // Not affine: not inverted, the ray leaves the origin along +z.
    CxCamera odd;
    odd.SetPerspective(0.9f, 1, 0.1f, 100);
    odd.view.m[0][3] = 0.5f;
    odd.PickingRay(50, 50, 100, 100, origin, direction);
    EXPECT_EQ(origin[0], 0);
    EXPECT_EQ(origin[2], 0);
    EXPECT_NEAR(direction[2], 1, 1e-6f);
    // No size and no projection: still a unit ray, never NaN.
    CxCamera bare;
    bare.PickingRay(10, 10, 0, 0, origin, direction);
    EXPECT_NEAR(direction[2], 1, 1e-6f);
}

class RegisteredPet : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(engine_.Init(), 0);
        ASSERT_EQ(RegisterPetScript(engine_), 0);
        std::string load = "pet = CPet:new() pet:LoadModel('" + kCat + "') RegisterPet(pet)";
        ASSERT_EQ(engine_.RunString(load.c_str()), 0);
        ASSERT_NE(GetRegisteredPet(), nullptr);
        ASSERT_TRUE(GetRegisteredPet()->HasModel());
    }
    void TearDown() override
    {
        engine_.Shutdown();
        PurgeTextures();   // the next test counts the cache from empty
    }
    CxLuaEngine engine_;
};

TEST_F(RegisteredPet, BodyPartsComeFromTheBonesTableWithEveryNameQuoted)
{
    ASSERT_EQ(engine_.RunString("bones = { head = 'Head', jaw = 'Head', ear_l = 'Head', ear_r = 'Head', "
                                "eye_l = 'Head', eye_r = 'Head', ['ear\"l'] = 'Quoted', [\"it's\"] = 'Apostrophe' }"),
              0);
    CPet* pet = GetRegisteredPet();
    PoseNow(*pet, 0);
    float head[3];
    ASSERT_TRUE(pet->GetBonePosition(pet->GetBoneIndex("head"), head));
    // The cat faces -z: a ray from in front of its face, toward it.
    const float origin[3] = {head[0], head[1], head[2] - 5}, along[3] = {0, 0, 1};
    EXPECT_EQ(std::string(PetBodyPartUnderRay(origin, along).Text()), "Head");
    CxString picked = pet->PickBone(origin, along, "!head");
    EXPECT_STRNE(picked.Text(), "head") << "the filter keeps the head from answering";
    EXPECT_TRUE(pet->Pick(origin, along));
    const float beside[3] = {head[0] + 10, head[1], head[2] - 5};
    EXPECT_FALSE(pet->Pick(beside, along));
    EXPECT_EQ(PetBodyPartUnderRay(beside, along).GetLength(), 0) << "nothing hit, no part";

    EXPECT_EQ(PetBodyPartOfBone("-tag_nose").GetLength(), 0) << "tag bones never answer";
    EXPECT_EQ(PetBodyPartOfBone("-TAG_eye").GetLength(), 0);
    EXPECT_STREQ(PetBodyPartOfBone("tail9").Text(), "Unknown Bone: tail9");
    EXPECT_STREQ(PetBodyPartOfBone("ear\"l").Text(), "Quoted");
    EXPECT_STREQ(PetBodyPartOfBone("it's").Text(), "Apostrophe");
    // A name that would end the expression and run code as pasted text.
    const char* hostile = "x\"] or 'Hacked' --";
    EXPECT_EQ(std::string(PetBodyPartOfBone(hostile).Text()), std::string("Unknown Bone: ") + hostile);
    EXPECT_STREQ(PetBodyPartOfBone("head").Text(), "Head") << "the table is untouched";
    EXPECT_EQ(engine_.GetScriptErrorCount(), 0);
}

TEST_F(RegisteredPet, IsKeptAliveWhileRegisteredAndForgottenWhenItGoes)
{
    int live = Cx3DObject::LiveCount();
    ASSERT_EQ(engine_.RunString("pet = nil collectgarbage('collect')"), 0);
    EXPECT_EQ(Cx3DObject::LiveCount(), live) << "the registration keeps the pet";
    ASSERT_NE(GetRegisteredPet(), nullptr);
    EXPECT_TRUE(GetRegisteredPet()->HasModel());
    ASSERT_EQ(engine_.RunString("UnRegisterPet() collectgarbage('collect')"), 0);
    EXPECT_EQ(Cx3DObject::LiveCount(), live - 1);
    EXPECT_EQ(GetRegisteredPet(), nullptr);

    // Deleted while registered (the finaliser called by hand): forgotten.
    ASSERT_EQ(engine_.RunString("pet = CPet:new() RegisterPet(pet) local o = pet.__object getmetatable(o).__gc(o)"), 0);
    EXPECT_EQ(GetRegisteredPet(), nullptr);
    const float o[3] = {0, 0, -5}, d[3] = {0, 0, 1};
    EXPECT_EQ(PetBodyPartUnderRay(o, d).GetLength(), 0);

    // Something that is not a pet registers as no pet.
    ASSERT_EQ(engine_.RunString("thing = Cx3DObject:new() RegisterPet(thing)"), 0);
    EXPECT_EQ(GetRegisteredPet(), nullptr);

    // Closing the state forgets the pet that was registered from it.
    ASSERT_EQ(engine_.RunString("pet = CPet:new() RegisterPet(pet) pet:FacePoint(-3, 0, 0)"), 0);
    ASSERT_NE(GetRegisteredPet(), nullptr);
    float f[3];
    Forward(GetRegisteredPet()->GetOrientation(), f);
    EXPECT_NEAR(f[0], -1, 1e-5f) << "FacePoint from a script";
    engine_.Shutdown();
    EXPECT_EQ(GetRegisteredPet(), nullptr);
    EXPECT_EQ(Cx3DObject::LiveCount(), live - 1);
}

// ---------------------------------------------------------------- motion events
namespace {
uint32_t gNow = 0;
uint32_t FakeNow() { return gNow; }

class PetMotion : public ::testing::Test {
protected:
    void SetUp() override
    {
        gNow = 500000;
        SetMoveClock(&FakeNow);
        Cx3DObject::SetGameTime(float(gNow) / 1000.0f);
        ASSERT_EQ(pet_.LoadModel(kCat.c_str()), 0);
        ASSERT_TRUE(pet_.HasModel());
        const std::string anim = std::string(VORN_GENERATED_DATA) + "/cat/anim/";
        for (auto [name, file] : {std::pair{"TurnNinetyLeft", "turn_left"}, {"TurnNinetyRight", "turn_right"},
                                  {"Walk", "walk"}, {"SitIdle", "sit_idle"}, {"Idle", "idle"}})
            ASSERT_EQ(pet_.LoadAnim(name, (anim + file + ".glb").c_str(), ""), 0) << name;
        PoseNow(pet_, Cx3DObject::GetGameTime());
        pet_.BlendIn("Idle", 0, 0, 0);
    }
    void TearDown() override
    {
        SetMoveClock(nullptr);
        pet_.UnLoad();
        PurgeTextures();
    }

    // One frame: the clock moves, the clips are sampled, the event steps.
    bool Tick(CxEvent& event, uint32_t ms = 10)
    {
        gNow += ms;
        Cx3DObject::SetGameTime(float(gNow) / 1000.0f);
        PoseNow(pet_, Cx3DObject::GetGameTime());
        return event.IsDone();
    }
    float Weight(const char* anim)
    {
        PoseNow(pet_, Cx3DObject::GetGameTime());
        return pet_.GetRig()->GetEffectiveWeight(pet_.GetRig()->FindChannel(anim));
    }
    std::unique_ptr<CxEvent> Make(const char* kind, std::initializer_list<const char*> words)
    {
        CxLinkedList<CxString> list;
        for (const char* w : words) list.AddTail(CxString(w));
        return std::unique_ptr<CxEvent>(pet_.CreateEvent("this", kind, list));
    }
    CPet pet_;
};
}  // namespace

TEST_F(PetMotion, TurnInPlaceTurnsAQuarterLeftInAboutSixTenthsEasingOutUnderThirtyDegrees)
{
    auto event = Make("turninplace", {"2.618", "-90"});
    ASSERT_NE(event, nullptr);
    auto* turn = dynamic_cast<CPetTurnEvent*>(event.get());
    ASSERT_NE(turn, nullptr);
    uint32_t start = gNow;
    event->Start();
    EXPECT_STREQ(turn->GetTurnAnim(), "TurnNinetyLeft");
    EXPECT_STREQ(pet_.GetCurrentAnim(), "TurnNinetyLeft");
    uint32_t easedAt = 0, doneAt = 0;
    float weightAt300 = -1;
    while (!doneAt && gNow - start < 2000) {
        bool done = Tick(*event);
        if (gNow - start == 300) weightAt300 = Weight("TurnNinetyLeft");
        if (!easedAt && turn->IsEasedOut()) easedAt = gNow - start;
        if (done) doneAt = gNow - start;
    }
    EXPECT_GE(easedAt, 390u);
    EXPECT_LE(easedAt, 410u) << "60 of 90 degrees turned";
    EXPECT_GE(doneAt, 580u);
    EXPECT_LE(doneAt, 610u);
    EXPECT_NEAR(weightAt300, 1.0f, 0.05f) << "eased in over 0.2 s";
    EXPECT_NEAR(Weight("Idle"), 0.0f, 1e-3f) << "the clip before eased out";
    Tick(*event, 200);
    EXPECT_NEAR(Weight("TurnNinetyLeft"), 0.0f, 1e-3f);
    float f[3];
    Forward(pet_.GetOrientation(), f);
    EXPECT_NEAR(f[0], 1, 1e-4f) << "a left turn of a pet facing -z faces +x";
    EXPECT_NEAR(f[2], 0, 1e-4f);

    // Facing a point or the camera: the shorter way round, to face it.
    const float target[3] = {0, 0, -4};
    pet_.FacePoint(target[0], target[1], target[2]);
    auto face = Make("FacePosition", {"3", "-2", "0", "0"});
    ASSERT_NE(face, nullptr);
    face->Start();
    EXPECT_STREQ(dynamic_cast<CPetTurnEvent*>(face.get())->GetTurnAnim(), "TurnNinetyRight");
    while (!Tick(*face)) ASSERT_LT(gNow - start, 10000u);
    Forward(pet_.GetOrientation(), f);
    EXPECT_NEAR(f[0], -1, 1e-4f);
    CxCamera camera;
    camera.eye[2] = 6;
    std::unique_ptr<CxEvent> toCamera(NewPetFaceCameraEvent(pet_, camera, 0));
    camera.eye[0] = -6, camera.eye[2] = 0;   // where the eye is as it starts counts
    toCamera->Start();
    while (!Tick(*toCamera)) ASSERT_LT(gNow - start, 10000u);
    Forward(pet_.GetOrientation(), f);
    EXPECT_NEAR(f[0], -1, 1e-4f);
}

TEST_F(PetMotion, ScriptsQueueTheTurnByTextOnAChannelUnderThePetsEventName)
{
    CxLuaEngine engine;
    ASSERT_EQ(engine.Init(), 0);
    RegisterEventScriptFunctions(engine.GetState());
    ASSERT_EQ(pet_.RegisterEventName("Kitty"), 0);
    ASSERT_EQ(engine.RunString("ch = CreateChannel() DoEvent('kitty.TurnInPlace(2.618, 90)', ch) "
                               "DoEvent('Kitty.FacePosition(3, 0, 0, -5)', ch)"),
              0);
    uint32_t start = gNow;
    float f[3];
    bool sawRight = false;
    while (!engine.EvalBool("IsChannelEmpty(ch)", true)) {
        ASSERT_LT(gNow - start, 5000u);
        gNow += 10;
        Cx3DObject::SetGameTime(float(gNow) / 1000.0f);
        PoseNow(pet_, Cx3DObject::GetGameTime());
        CxEvent::Pump();
        Forward(pet_.GetOrientation(), f);
        sawRight = sawRight || f[0] < -0.99f;
    }
    EXPECT_TRUE(sawRight) << "the right turn came first";
    EXPECT_NEAR(f[2], -1, 1e-4f) << "then it faced the point ahead again";
    EXPECT_GT(gNow - start, 900u);
    EXPECT_EQ(engine.GetScriptErrorCount(), 0);
    engine.RunString("DestroyChannel(ch)");
}

TEST_F(PetMotion, AWalkStraightAheadSkipsTheTurnAndEndsInItsEndClip)
{
    auto event = Make("WalkToPosition", {"Walk", "SitIdle", "10", "1.0", "0", "0", "-2"});
    ASSERT_NE(event, nullptr);
    auto* walk = dynamic_cast<CPetWalkToPositionEvent*>(event.get());
    ASSERT_NE(walk, nullptr);
    uint32_t start = gNow;
    event->Start();
    EXPECT_EQ(walk->GetPhase(), CPetWalkToPositionEvent::WALKING) << "nothing to turn";
    EXPECT_STREQ(pet_.GetCurrentAnim(), "Walk");
    float x, y, z;
    Tick(*event, 500);
    pet_.GetPosition(&x, &y, &z);
    EXPECT_NEAR(z, -0.5f, 0.02f);
    EXPECT_NEAR(x, 0, 1e-4f);
    EXPECT_FALSE(walk->IsEndBlendStarted());
    EXPECT_NEAR(Weight("Walk"), 1.0f, 1e-3f);
    Tick(*event, 510);   // under a second left: the walk eases out over what is left and a quarter
    EXPECT_TRUE(walk->IsEndBlendStarted());
    bool done = false;
    while (!(done = Tick(*event))) ASSERT_LT(gNow - start, 3000u);
    EXPECT_GE(gNow - start, 2000u);
    float easing = Weight("Walk");
    EXPECT_GT(easing, 0.02f) << "1.24 s of easing, 1 s gone";
    EXPECT_LT(easing, 0.4f);
    EXPECT_STREQ(pet_.GetCurrentAnim(), "SitIdle");
    pet_.GetPosition(&x, &y, &z);
    EXPECT_NEAR(z, -2, 1e-4f);
    float f[3];
    Forward(pet_.GetOrientation(), f);
    EXPECT_NEAR(f[2], -1, 1e-4f) << "never turned";
    Tick(*event, 800);
    EXPECT_NEAR(Weight("Walk"), 0.0f, 1e-3f);
    EXPECT_NEAR(Weight("SitIdle"), 1.0f, 0.05f) << "eased in over 0.75 s";

    // The end clip equal to the walk clip: it keeps walking.
    auto same = Make("WalkToPosition", {"Walk", "walk", "10", "2", "0", "0", "-4"});
    same->Start();
    while (!Tick(*same)) ASSERT_LT(gNow - start, 10000u);
    EXPECT_NEAR(Weight("Walk"), 1.0f, 1e-3f);
    EXPECT_STREQ(pet_.GetCurrentAnim(), "Walk");
    EXPECT_FALSE(pet_.GetRig()->IsActive(pet_.GetRig()->FindChannel("SitIdle")) &&
                 Weight("SitIdle") > 0.5f);
    EXPECT_EQ(Make("WalkToPosition", {"Walk", "SitIdle", "10", "2"}), nullptr) << "no point to walk to";
}

TEST_F(PetMotion, AWalkToTheSideTurnsInPlaceFirstAndEndsOnlyAfterWalking)
{
    auto event = Make("WalkToPosition", {"Walk", "SitIdle", "8", "1.0", "2", "0", "0"});
    auto* walk = dynamic_cast<CPetWalkToPositionEvent*>(event.get());
    ASSERT_NE(walk, nullptr);
    uint32_t start = gNow;
    event->Start();
    EXPECT_EQ(walk->GetPhase(), CPetWalkToPositionEvent::STARTING);
    EXPECT_NEAR(walk->GetTurnAngle(), -1.5708f, 1e-3f);
    EXPECT_STREQ(pet_.GetCurrentAnim(), "TurnNinetyLeft");
    Tick(*event);
    EXPECT_EQ(walk->GetPhase(), CPetWalkToPositionEvent::TURNING);
    uint32_t walkingAt = 0;
    float x, y, z;
    while (!Tick(*event)) {
        if (!walkingAt && walk->GetPhase() == CPetWalkToPositionEvent::WALKING) {
            walkingAt = gNow - start;
            pet_.GetPosition(&x, &y, &z);
            EXPECT_NEAR(x, 0, 1e-4f) << "turned in place";
            float f[3];
            Forward(pet_.GetOrientation(), f);
            EXPECT_NEAR(f[0], 1, 1e-3f);
            EXPECT_STREQ(pet_.GetCurrentAnim(), "Walk");
        }
        ASSERT_LT(gNow - start, 5000u);
    }
    EXPECT_NEAR(float(walkingAt), 1000 * 1.5708f / 2.44346f + 10, 15) << "140 degrees a second";
    EXPECT_GE(gNow - start, walkingAt + 2000) << "then the whole walk";
    pet_.GetPosition(&x, &y, &z);
    EXPECT_NEAR(x, 2, 1e-4f);
}

TEST_F(PetMotion, EventsOfAPetThatDiedEndWithoutTouchingIt)
{
    auto* doomed = new CPet;
    ASSERT_EQ(doomed->LoadModel(kCat.c_str()), 0);
    CxLinkedList<CxString> words;
    for (const char* w : {"Walk", "SitIdle", "8", "1.0", "2", "0", "0"}) words.AddTail(CxString(w));
    std::unique_ptr<CxEvent> walk(doomed->CreateEvent("this", "WalkToPosition", words));
    CxLinkedList<CxString> turnWords;
    for (const char* w : {"1", "45"}) turnWords.AddTail(CxString(w));
    std::unique_ptr<CxEvent> turn(doomed->CreateEvent("this", "TurnInPlace", turnWords));
    ASSERT_NE(walk, nullptr);
    ASSERT_NE(turn, nullptr);
    walk->Start();
    turn->Start();
    delete doomed;
    EXPECT_TRUE(Tick(*walk));
    EXPECT_TRUE(Tick(*turn));
}

// ---------------------------------------------------------------- the tweak bone
namespace {
struct FakePose : CxRigLocalPose {
    explicit FakePose(int bones, const float q[4]) : q(size_t(bones), {q[0], q[1], q[2], q[3]}) {}
    int GetBoneCount() const override { return int(q.size()); }
    bool GetOrientation(int bone, float out[4]) const override
    {
        if (bone < 0 || bone >= GetBoneCount()) return false;
        for (int i = 0; i < 4; ++i) out[i] = q[size_t(bone)][size_t(i)];
        return true;
    }
    void SetOrientation(int bone, const float in[4]) override
    {
        ++writes;
        for (int i = 0; i < 4; ++i) q[size_t(bone)][size_t(i)] = in[i];
    }
    std::vector<std::array<float, 4>> q;
    int writes = 0;
};

// The angle between two orientations as quaternions (half the turn between them).
double QuatAngle(const std::array<float, 4>& a, const float* b)
{
    double d = std::fabs(double(a[0]) * b[0] + double(a[1]) * b[1] + double(a[2]) * b[2] + double(a[3]) * b[3]);
    return std::acos(std::min(d, 1.0));
}

class TweakBone : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(engine_.Init(), 0);
        ASSERT_EQ(pet_.LoadModel(kCat.c_str()), 0);
        ASSERT_TRUE(pet_.HasModel());
        head_ = pet_.GetBoneIndex("head");
        ASSERT_GE(head_, 0);
        // Clamped: the maximum 2 first, then the minimum 3: a rate of 2 x 3.
        ASSERT_EQ(engine_.RunString("globals = { TWEAK_BLEND_QUATERNION_ANGULAR_VELOCITY = 2, TWEAK_BLEND_EPSILON = 0.001,"
                                    " TWEAK_BLEND_MAX_SLERP = 1.5 }"
                                    "Room = { tTweakBone = { on = 1, name = 'HEAD', axis = { x = 0, y = 2, z = 0 },"
                                    " angle = 90, qav_factor = 5, qav_factor_min = 3, qav_factor_max = 2 } }"),
                  0);
    }
    void TearDown() override
    {
        pet_.UnLoad();
        PurgeTextures();
    }
    void Apply(FakePose& pose, uint32_t now) { state_.Apply(&engine_, *pet_.GetRig(), pose, now); }
    CxLuaEngine engine_;
    CPet pet_;
    CTweakBoneState state_;
    int head_ = -1;
    // The clip's orientation of the bone: 40 degrees about x.
    const float animated_[4] = {0.34202015f, 0, 0, 0.9396926f};
};
}  // namespace

TEST_F(TweakBone, BendsTowardTheAxisAtTheClampedRateAndBlendsBackThenStops)
{
    FakePose pose(pet_.GetNumBones(), animated_);
    Apply(pose, 0xFFFFFF00u);   // the tick count is about to wrap
    EXPECT_TRUE(state_.IsBlending());
    EXPECT_FALSE(state_.IsActive());
    EXPECT_EQ(pose.writes, 0) << "the first frame only starts the blend";

    Apply(pose, 0xFFFFFF00u + 100);   // wrapped past zero: still 100 ms
    ASSERT_EQ(pose.writes, 1);
    EXPECT_TRUE(state_.IsActive());
    EXPECT_NEAR(QuatAngle(pose.q[size_t(head_)], animated_), 0.6, 1e-3) << "6 rad/s for 0.1 s";
    std::array<float, 4> held = pose.q[size_t(head_)];
    pose.q[size_t(head_)] = {animated_[0], animated_[1], animated_[2], animated_[3]};
    Apply(pose, 0xFFFFFF00u + 100);
    EXPECT_EQ(pose.q[size_t(head_)], held) << "a second pose in the same millisecond keeps the bend";

    // The target: the clip's orientation, then 90 degrees about +y.
    const float s = std::sin(0.7853982f), c = std::cos(0.7853982f);
    const float target[4] = {animated_[0] * c, animated_[3] * s, animated_[0] * s, animated_[3] * c};
    pose.q[size_t(head_)] = {animated_[0], animated_[1], animated_[2], animated_[3]};
    Apply(pose, 0xFFFFFF00u + 200);
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(pose.q[size_t(head_)][size_t(i)], target[i], 1e-5f) << i;

    // Off: back to the clip, and then nothing more is touched.
    ASSERT_EQ(engine_.RunString("Room.tTweakBone.on = 0"), 0);
    pose.q[size_t(head_)] = {animated_[0], animated_[1], animated_[2], animated_[3]};
    Apply(pose, 0xFFFFFF00u + 300);
    EXPECT_NEAR(QuatAngle(pose.q[size_t(head_)], animated_), 0.785398 - 0.6, 1e-3);
    EXPECT_TRUE(state_.IsBlending());
    pose.q[size_t(head_)] = {animated_[0], animated_[1], animated_[2], animated_[3]};
    Apply(pose, 0xFFFFFF00u + 400);
    EXPECT_NEAR(QuatAngle(pose.q[size_t(head_)], animated_), 0, 1e-4);
    EXPECT_FALSE(state_.IsBlending());
    EXPECT_FALSE(state_.IsActive());
    int writes = pose.writes;
    Apply(pose, 0xFFFFFF00u + 500);
    EXPECT_EQ(pose.writes, writes);
}

TEST_F(TweakBone, AZeroAxisATooFarBendAndABrokenClipAllLeaveThePlainPose)
{
    ASSERT_EQ(engine_.RunString("Room.tTweakBone.axis = { x = 0, y = 0, z = 0 }"), 0);
    FakePose pose(pet_.GetNumBones(), animated_);
    for (uint32_t t = 1000; t <= 1500; t += 100) Apply(pose, t);
    EXPECT_TRUE(state_.IsActive());
    EXPECT_NEAR(QuatAngle(pose.q[size_t(head_)], animated_), 0, 1e-4);

    CTweakBoneState other;
    ASSERT_EQ(engine_.RunString("Room.tTweakBone.axis = { x = 1, y = 0, z = 0 } globals.TWEAK_BLEND_MAX_SLERP = 0.1"), 0);
    other.Apply(&engine_, *pet_.GetRig(), pose, 1000);
    other.Apply(&engine_, *pet_.GetRig(), pose, 1100);
    EXPECT_NEAR(QuatAngle(pose.q[size_t(head_)], animated_), 0, 1e-4) << "a step farther than allowed falls back";

    const float broken[4] = {NAN, 0, 0, 1};
    FakePose bad(pet_.GetNumBones(), broken);
    CTweakBoneState third;
    third.Apply(&engine_, *pet_.GetRig(), bad, 1000);
    third.Apply(&engine_, *pet_.GetRig(), bad, 1100);
    EXPECT_EQ(bad.writes, 0);
    EXPECT_TRUE(std::isnan(bad.q[size_t(head_)][0]));
}

namespace {
class BendingRoom : public C3DRoom {
public:
    void AdjustPose(CxModelRig& rig, CxRigLocalPose& pose) override
    {
        ++calls;
        const float q[4] = {0, 0.7071068f, 0, 0.7071068f};
        pose.SetOrientation(rig.FindBone("head"), q);
    }
    int calls = 0;
};
}  // namespace

TEST(PoseHook, TheRunningRoomBendsThePetsPoseBeforeTheWorldPoseIsBuilt)
{
    CPet pet;
    ASSERT_EQ(pet.LoadModel(kCat.c_str()), 0);
    int ear = pet.GetBoneIndex("ear_l");
    ASSERT_GE(ear, 0);
    PoseNow(pet, 0);
    float plain[3], bent[3];
    ASSERT_TRUE(pet.GetBonePosition(ear, plain));
    BendingRoom room;
    C3DRoom::SetRunning(&room);
    pet.AttachPoseHook();
    PoseNow(pet, 0);
    C3DRoom::SetRunning(nullptr);
    ASSERT_TRUE(pet.GetBonePosition(ear, bent));
    EXPECT_EQ(room.calls, 1);
    float moved = std::fabs(bent[0] - plain[0]) + std::fabs(bent[2] - plain[2]);
    EXPECT_GT(moved, 0.005f) << "the ear follows the turned head";
    PoseNow(pet, 0);   // no room running: the plain pose
    ASSERT_TRUE(pet.GetBonePosition(ear, bent));
    EXPECT_NEAR(bent[0], plain[0], 1e-5f);
    EXPECT_EQ(room.calls, 1);
    pet.UnLoad();
    PurgeTextures();
}

TEST(PetPicking, ABoneNamedAsATagNeverAnswersAClick)
{
    // The writer's small rig with its spine renamed as a tag bone.
    GlbDocument document = RigModelDocument();
    size_t at = document.nodes[1].find("\"Spine\"");
    ASSERT_NE(at, std::string::npos);
    document.nodes[1].replace(at, 7, "\"-tag_nose\"");
    TempDir dir;
    std::vector<uint8_t> bytes = GlbBuild(document);
    WriteFileBytes(dir.File("tagged.glb"), std::string(bytes.begin(), bytes.end()));
    {
        CPet pet;
        ASSERT_EQ(pet.LoadModel(dir.File("tagged.glb").c_str()), 0);
        ASSERT_GE(pet.GetBoneIndex("-tag_nose"), 0);
        PoseNow(pet, 0);
        SetRegisteredPet(&pet);
        const float onTag[3] = {0.35f, 1.3f, -5}, onRoot[3] = {0.35f, 0.8f, -5}, along[3] = {0, 0, 1};
        EXPECT_STREQ(pet.PickBone(onTag, along, "").Text(), "-tag_nose") << "the ray does hit the tag bone";
        EXPECT_EQ(PetBodyPartUnderRay(onTag, along).GetLength(), 0) << "but a click there is ignored";
        EXPECT_STREQ(PetBodyPartUnderRay(onRoot, along).Text(), "Unknown Bone: Root") << "no script: no bones table";
    }
    EXPECT_EQ(GetRegisteredPet(), nullptr) << "a pet registered from C++ is forgotten when it dies too";
    PurgeTextures();
}
