// The pet: facing, the picking ray, the registered pet and its body parts,
// its motion events and the tweak bone.
#include "game/world/C3DRoom.h"
#include "game/world/CPet.h"
#include "game/world/CPetEvents.h"
#include "game/world/Cx3DObject.h"
#include "game/world/CxModelManager.h"
#include "script/CxLuaEngine.h"

#include <gtest/gtest.h>
#include <array>
#include <cmath>
#include <memory>
#include <utility>
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
    void TearDown() override { engine_.Shutdown(); }
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
    void TearDown() override { SetMoveClock(nullptr); }

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
