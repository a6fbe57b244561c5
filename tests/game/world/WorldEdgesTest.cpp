// The 3D world without a device: the camera's degenerate cases, the tree,
// lights that die while a scene holds them, the texture cache and the
// animation channels.
#include "TestSupport.h"
#include "game/world/C3DRoom.h"
#include "game/world/Cx3DObject.h"
#include "game/world/CxModelManager.h"
#include "game/world/CxTextureCache.h"
#include "events/CxEvent.h"
#include "graphics/QorImageFilters.h"

#include <gtest/gtest.h>
#include <cmath>
#include <memory>
#include <string>

namespace {
const std::string kModels = VORN_SHARED_MODELS;

bool IsIdentity(const GpuMatrix& m)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (m.m[r][c] != (r == c ? 1.0f : 0.0f)) return false;
    return true;
}

bool AllFinite(const GpuMatrix& m)
{
    for (auto& row : m.m)
        for (float v : row)
            if (!std::isfinite(v)) return false;
    return true;
}
}  // namespace

TEST(Camera, DegenerateViewsKeepTheLastGoodMatrixAndNeverNaN)
{
    CxCamera camera;
    EXPECT_TRUE(IsIdentity(camera.GetView())) << "a camera never set keeps identity";
    camera.eye[0] = 1, camera.eye[1] = 2, camera.eye[2] = 3;
    camera.target[0] = 1, camera.target[1] = 2, camera.target[2] = 3;
    camera.valid = 1;
    EXPECT_TRUE(IsIdentity(camera.GetView())) << "eye equal to target";
    camera.target[2] = 10;
    camera.up[2] = 1;   // parallel to the view: world Y is used
    GpuMatrix view = camera.GetView();
    ASSERT_TRUE(AllFinite(view));
    EXPECT_NEAR(view.m[1][1], 1.0f, 1e-5f);
    EXPECT_NEAR(view.m[2][2], 1.0f, 1e-5f);
    camera.eye[0] = NAN;
    EXPECT_TRUE(AllFinite(camera.GetView()));

    // A point behind the camera has no screen position.
    CxCamera c2;
    c2.SetPerspective(0.8f, 4.0f / 3, 0.1f, 100);
    c2.target[2] = 1, c2.up[1] = 1, c2.valid = 1;
    int x = -1, y = -1;
    const float ahead[3] = {0, 0, 5}, behind[3] = {0, 0, -5};
    EXPECT_TRUE(c2.ScreenPosition(ahead, 800, 600, &x, &y));
    EXPECT_EQ(x, 400);
    EXPECT_EQ(y, 300);
    EXPECT_FALSE(c2.ScreenPosition(behind, 800, 600, &x, &y));
    EXPECT_EQ(x, 0);
    c2.SetDistance(NAN);
    EXPECT_EQ(c2.eye[2], 0.0f);
    c2.eye[2] = 1;   // eye on the target: no direction to keep
    c2.SetDistance(3);
    EXPECT_EQ(c2.eye[2], 1.0f);
}

TEST(Scene, TreeFindsDepthFirstAndDyingNodesLeaveTheirParents)
{
    CxSceneManager scene;
    auto* a = new Cx3DObject;
    Cx3DObject b, deep;
    a->SetName("Alpha");
    b.SetName("beta");
    deep.SetName("beta");
    a->Link(&scene);
    deep.Link(a);
    b.Link(&scene);
    EXPECT_EQ(scene.FindChild("BETA"), &b);
    EXPECT_EQ(scene.FindChild("BETA", true), &deep) << "below the first child before the next child";
    scene.Link(&deep);   // a ring is refused
    EXPECT_EQ(scene.GetParent(), nullptr);
    delete a;
    EXPECT_EQ(scene.GetChildren().size(), 1u);
    EXPECT_EQ(deep.GetParent(), nullptr);

    auto* light = new CxLight;
    scene.AddLight(light);
    {
        CxSceneManager other;
        other.AddLight(light);
    }
    delete light;   // a script collects it while the room holds it
    EXPECT_TRUE(scene.GetLights().empty());
}

TEST(TextureCache, TwoSpellingsShareOneEntryUntilThePurge)
{
    std::string file = std::string(VORN_TEST_DATA) + "/gpu/lit_cube.tga";
    std::string shouted = std::string(VORN_TEST_DATA) + "/gpu/LIT_CUBE.TGA";
    RegisterEngineImageFilters();
    int before = GetTextureCacheCount();
    {
        Cx3DObject a, b;
        EXPECT_EQ(a.SetTexture(file.c_str()), 0);
        b.SetTexture(shouted.c_str());
        EXPECT_EQ(GetTextureCacheCount(), before + 1);
        EXPECT_EQ(GetTextureUseCount(file.c_str()), 2);
    }
    EXPECT_EQ(GetTextureUseCount(file.c_str()), 0) << "kept until the purge";
    PurgeTextures();
    EXPECT_EQ(GetTextureUseCount(file.c_str()), -1);
    EXPECT_EQ(GetTextureCacheCount(), before);
}

TEST(TextureCache, ObjectsOfOneModelShareItsEmbeddedImage)
{
    std::string model = kModels + "/cat_model.glb";
    std::string key = model + "#image0";
    {
        Cx3DObject a, b;
        ASSERT_EQ(a.LoadModel(model.c_str()), 0);
        ASSERT_EQ(b.LoadModel(model.c_str()), 0);
        EXPECT_EQ(GetTextureUseCount(key.c_str()), 2);
        a.UnLoad();
        EXPECT_EQ(GetTextureUseCount(key.c_str()), 1);
    }
    EXPECT_EQ(GetTextureUseCount(key.c_str()), 0);
    PurgeTextures();
    EXPECT_EQ(GetTextureUseCount(key.c_str()), -1);
}

TEST(Channels, BlendOutOfNothingNamedEasesTheCurrentAndAClipEasedOutPlaysAgain)
{
    Cx3DObject cat;
    ASSERT_EQ(cat.LoadModel((kModels + "/cat_model.glb").c_str()), 0);
    ASSERT_TRUE(cat.HasModel());
    EXPECT_EQ(cat.GetBoneIndex("head"), cat.GetBoneIndex("Head"));
    EXPECT_GE(cat.GetBoneIndex("head"), 0);
    ASSERT_EQ(cat.LoadAnim("Idle", (kModels + "/cat_anim_idle.glb").c_str(), ""), 0);
    ASSERT_EQ(cat.LoadAnim("walk", (kModels + "/cat_anim_walk.glb").c_str(), ""), 0);
    CxModelRig* rig = cat.GetRig();
    int idle = rig->FindChannel("idle");
    ASSERT_GE(idle, 0);
    cat.PlayOnce("nothing", 1.0f);   // unknown: nothing changes
    EXPECT_FALSE(rig->IsActive(idle));

    float world[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    rig->Pose(world, 10.0f);
    cat.BlendIn("idle", 0.5f, 0, 0);
    EXPECT_STREQ(cat.GetCurrentAnim(), "idle");
    rig->Pose(world, 11.0f);
    EXPECT_NEAR(rig->GetEffectiveWeight(idle), 1.0f, 1e-3f);
    cat.BlendOut("", 0.5f, -1);
    rig->Pose(world, 12.0f);
    EXPECT_NEAR(rig->GetEffectiveWeight(idle), 0.0f, 1e-3f) << "the current clip eased out";
    cat.PlayOnce("IDLE", 1.0f);
    rig->Pose(world, 12.1f);
    EXPECT_NEAR(rig->GetEffectiveWeight(idle), 1.0f, 1e-3f) << "played again at full weight";
    float p[3];
    EXPECT_TRUE(cat.GetBonePosition(cat.GetBoneIndex("head"), p));
    EXPECT_GT(cat.GetAnimDuration("walk"), 0.1f);
}

TEST(Attachments, ChildFollowsItsBoneInXAndZButKeepsItsFixedY)
{
    Cx3DObject cat, hat;
    ASSERT_EQ(cat.LoadModel((kModels + "/cat_model.glb").c_str()), 0);
    ASSERT_TRUE(cat.HasModel());
    ASSERT_EQ(hat.LoadModel((kModels + "/cat_model.glb").c_str()), 0);
    cat.SetPosition(2, 0, 1);
    hat.Link(&cat);
    hat.SetAttachmentBoneIndex(3);
    hat.SetAttachOrientation(0);
    hat.SetFlags(2);   // bit 1: Y stays fixed
    hat.SetFixedPos(0, 7, 0);
    hat.SetOffset(0.5f, 0, 0);
    GpuMatrix world;
    cat.GetWorldMatrix(&world);
    cat.GetRig()->Pose(&world.m[0][0], 0);
    cat.Render(RenderContext{nullptr, RENDERPASS_OPAQUE, 0});
    float bone[3];
    ASSERT_TRUE(cat.GetBonePosition(3, bone));
    float x, y, z;
    hat.GetPosition(&x, &y, &z);
    EXPECT_NEAR(x, bone[0] + 0.5f, 1e-4f);
    EXPECT_FLOAT_EQ(y, 7);
    EXPECT_NEAR(z, bone[2], 1e-4f);
    EXPECT_GT(bone[0], 1.0f) << "the bone is where the cat stands";
}

TEST(Picking, ARayThroughTheHeadFindsABoneAndOneBesideItNone)
{
    Cx3DObject cat;
    ASSERT_EQ(cat.LoadModel((kModels + "/cat_model.glb").c_str()), 0);
    ASSERT_TRUE(cat.HasModel());
    GpuMatrix world;
    cat.GetWorldMatrix(&world);
    cat.GetRig()->Pose(&world.m[0][0], 0);
    float head[3];
    ASSERT_TRUE(cat.GetBonePosition(cat.GetBoneIndex("head"), head));
    const float origin[3] = {head[0], head[1], head[2] - 5}, along[3] = {0, 0, 1};
    char bone[64];
    float distance = 0;
    for (bool precise : {false, true}) {
        EXPECT_TRUE(cat.GetRig()->Pick(origin, along, "", precise, bone, sizeof bone, &distance)) << precise;
        EXPECT_NE(bone[0], 0);
        EXPECT_GT(distance, 3.0f);
        EXPECT_LT(distance, 5.5f);
    }
    const float beside[3] = {head[0] + 10, head[1], head[2] - 5};
    EXPECT_FALSE(cat.GetRig()->Pick(beside, along, "", true, bone, sizeof bone, &distance));
    EXPECT_EQ(bone[0], 0);
}

TEST(ObjectEvents, CommandsReachALiveObjectAndNothingAfterItDies)
{
    auto* cat = new Cx3DObject;
    ASSERT_EQ(cat->LoadModel((kModels + "/cat_model.glb").c_str()), 0);
    ASSERT_EQ(cat->LoadAnim("idle", (kModels + "/cat_anim_idle.glb").c_str(), ""), 0);
    ASSERT_EQ(cat->RegisterEventName("Whiskers"), 0);
    EXPECT_EQ(FindEventCreator("whiskers"), cat);
    CxLinkedList<CxString> args;
    args.AddTail(CxString("idle"));
    EXPECT_EQ(cat->CreateEvent("Other", "PlayOnce", args), nullptr);
    EXPECT_EQ(cat->CreateEvent("this", "TODO: add new events here", args), nullptr);
    std::unique_ptr<CxEvent> play(cat->CreateEvent("WHISKERS", "PlayOnce", args));
    std::unique_ptr<CxEvent> late(cat->CreateEvent("this", "PlayOnce", args));
    ASSERT_NE(play, nullptr);
    int idle = cat->GetRig()->FindChannel("idle");
    EXPECT_FALSE(cat->GetRig()->IsActive(idle));
    play->Start();
    EXPECT_TRUE(cat->GetRig()->IsActive(idle));
    cat->UnLoad();
    EXPECT_EQ(FindEventCreator("Whiskers"), nullptr) << "unloading unregisters";
    delete cat;
    late->Start();   // the object is gone: nothing to reach, nothing freed touched
}

// An object's event channel lives from the first time it is asked for
// until the object unloads; its pauses nest like every other pause.
TEST(ObjectEvents, TheChannelLastsUntilUnLoadAndPausesNest)
{
    Cx3DObject object;
    uint32_t channel = object.GetChannel();
    ASSERT_NE(channel, 0u);
    EXPECT_EQ(object.GetChannel(), channel);
    EXPECT_TRUE(CxEvent::ChannelExists(channel));
    object.UnLoad();
    EXPECT_FALSE(CxEvent::ChannelExists(channel));

    EXPECT_TRUE(object.CountPause());
    EXPECT_FALSE(object.CountPause());
    EXPECT_FALSE(object.CountResume());
    EXPECT_TRUE(object.IsPaused());
    EXPECT_TRUE(object.CountResume());
    EXPECT_FALSE(object.CountResume()) << "an unmatched resume changes nothing";
    EXPECT_FALSE(object.IsPaused());
}

TEST(Placement, ScalingARotatedObjectKeepsItsTurnAndItsPlace)
{
    Cx3DObject box;
    box.SetPosition(1, 2, 3);
    box.Rotate(1, 0.5f);
    GpuMatrix before = box.GetOrientation();
    box.SetScale(2);
    const GpuMatrix& after = box.GetOrientation();
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(after.m[r][c], before.m[r][c] * 2, 1e-5f);
    EXPECT_FLOAT_EQ(after.m[3][0], 1);
    EXPECT_FLOAT_EQ(after.m[3][2], 3);
    box.SetScale(NAN);
    box.Rotate(0, INFINITY);
    EXPECT_FLOAT_EQ(box.GetOrientation().m[0][0], after.m[0][0]);
}

TEST(Placement, RotatingAboutYMatchesTheAxisTurnAndAZeroAxisTurnsNothing)
{
    Cx3DObject a, b;
    a.Rotate(1, 0.7f);
    b.RotateAbout(0.7f, 0, 2, 0);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(a.GetOrientation().m[r][c], b.GetOrientation().m[r][c], 1e-5f);
    Cx3DObject still;
    still.RotateAbout(1.0f, 0, 0, 0);
    EXPECT_FLOAT_EQ(still.GetOrientation().m[0][0], 1);
}
