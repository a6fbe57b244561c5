// Controls on the test rig: weights and blending, eases, loops, masks,
// and freeing.  Animations here move Head's translation (rest (0, 1, 0))
// or turn Spine and Tail, so each expectation is a weighted mean worked by
// hand.
#include <cmath>

#include "ModelTestSupport.h"

namespace {

const float kS = 0.70710678f;

class ControlTest : public ModelTest {
protected:
    void SetUp() override
    {
        ModelTest::SetUp();
        MdlFile* file = Load(RigModelGlb());
        ASSERT_NE(file, nullptr);
        skeleton_ = ModelOf(file)->skeleton;
        instance_ = MdlInstantiateModel(ModelOf(file));
        node_ = MdlCreateBlendDagNodeAnimationBlend(instance_);
        pose_ = MdlNewLocalPose(skeleton_->boneCount);
        head_ = Bone(skeleton_, "Head");
    }
    void TearDown() override
    {
        MdlFreeLocalPose(pose_);
        MdlFreeBlendDagEntireTree(node_);
        MdlFreeModelInstance(instance_);
        ModelTest::TearDown();
    }

    const MdlAnimation* Animation(const std::vector<RigTrack>& tracks)
    {
        MdlFile* file = Load(RigAnimationGlb(tracks));
        return file ? AnimationOf(file) : nullptr;
    }
    // Head held at one place for 1 s.
    const MdlAnimation* HeadAt(float x, float y) { return Animation({{"Head", "translation", {0, 1}, {x, y, 0, x, y, 0}}}); }
    // Spine and Tail both turn 0 -> 90 degrees about Z over 1 s.
    const MdlAnimation* Wave()
    {
        std::vector<float> turn = {0, 0, 0, 1, 0, 0, kS, kS};
        return Animation({{"Spine", "rotation", {0, 1}, turn}, {"Tail", "rotation", {0, 1}, turn}});
    }

    const float* HeadAfterSampling(float time)
    {
        MdlSetBlendDagTreeClock(node_, time);
        EXPECT_TRUE(MdlSampleBlendDagTree(node_, pose_));
        return MdlGetLocalPoseTransform(pose_, head_)->position;
    }
    const float* Orientation(const char* bone) { return MdlGetLocalPoseTransform(pose_, Bone(skeleton_, bone))->orientation; }

    int ControlCount() { return MdlGetInstanceControlCount(instance_); }

    const MdlSkeleton* skeleton_ = nullptr;
    MdlModelInstance* instance_ = nullptr;
    MdlBlendDagNode* node_ = nullptr;
    MdlLocalPose* pose_ = nullptr;
    int head_ = -1;
};

// 0.25 * (0, 3, 0) + 0.75 * (2, 1, 0) = (1.5, 1.5, 0).
TEST_F(ControlTest, TwoControlsBlendByTheirWeights)
{
    MdlControl* up = MdlPlayControlledAnimation(0, HeadAt(0, 3), instance_);
    MdlControl* side = MdlPlayControlledAnimation(0, HeadAt(2, 1), instance_);
    MdlSetControlWeight(up, 0.25f);
    MdlSetControlWeight(side, 0.75f);
    ExpectVectorNear(HeadAfterSampling(0.5f), 1.5f, 1.5f, 0);
    MdlSetControlWeight(up, 3);   // weights above a total of 1 are normalised: 0.75 / 0.25 of the two
    MdlSetControlWeight(side, 1);
    ExpectVectorNear(HeadAfterSampling(0.5f), 0.5f, 2.5f, 0);
    MdlFreeControl(up);
    MdlFreeControl(side);
}

// Below a total weight of 1 the rest pose fills up: 0.5 * (0, 3, 0) +
// 0.5 * (0, 1, 0) = (0, 2, 0).  Inactive controls count for nothing.
TEST_F(ControlTest, RestPoseFillsMissingWeightAndInactiveControlsVanish)
{
    MdlControl* up = MdlPlayControlledAnimation(0, HeadAt(0, 3), instance_);
    MdlSetControlWeight(up, 0.5f);
    ExpectVectorNear(HeadAfterSampling(0.2f), 0, 2, 0);
    MdlSetControlActive(up, false);
    EXPECT_FLOAT_EQ(MdlGetControlEffectiveWeight(up), 0);
    ExpectVectorNear(HeadAfterSampling(0.3f), 0, 1, 0);
    MdlFreeControl(up);
}

// Ease curves are smooth cubics: factor(s) = 3s^2 - 2s^3, so 0.5 at the
// middle, 0.15625 a quarter in.
TEST_F(ControlTest, EaseOutReachesWeightZeroAndStaysThere)
{
    MdlControl* up = MdlPlayControlledAnimation(0, HeadAt(0, 3), instance_);
    MdlSetControlLoopCount(up, 0);
    MdlSetControlClock(up, 1);
    EXPECT_FLOAT_EQ(MdlEaseControlOut(up, 2), 3.0f);
    ExpectVectorNear(HeadAfterSampling(2), 0, 2, 0);   // half way: factor 0.5
    HeadAfterSampling(3);
    EXPECT_FLOAT_EQ(MdlGetControlEffectiveWeight(up), 0.0f);
    ExpectVectorNear(HeadAfterSampling(10), 0, 1, 0);
    MdlSetControlEaseOut(up, false);   // switching the ease off restores the plain weight
    EXPECT_FLOAT_EQ(MdlGetControlEffectiveWeight(up), 1.0f);
    MdlFreeControl(up);
}

TEST_F(ControlTest, EaseInRisesFromZeroOrFromTheCurrentFactor)
{
    MdlControl* up = MdlPlayControlledAnimation(0, HeadAt(0, 3), instance_);
    MdlEaseControlIn(up, 2, false);
    MdlSetControlClock(up, 0.5f);
    EXPECT_NEAR(MdlGetControlEaseFactor(up), 0.15625f, 1e-6f);
    MdlSetControlClock(up, 1);
    EXPECT_NEAR(MdlGetControlEaseFactor(up), 0.5f, 1e-6f);
    MdlEaseControlOut(up, 1);   // out from 0.5, not from 1
    MdlSetControlClock(up, 1.5f);
    EXPECT_NEAR(MdlGetControlEaseFactor(up), 0.25f, 1e-6f);
    MdlEaseControlIn(up, 1, true);   // back in from 0.25
    MdlSetControlClock(up, 2);
    EXPECT_NEAR(MdlGetControlEaseFactor(up), 0.625f, 1e-6f);
    MdlFreeControl(up);
}

// Spine turns 90 degrees over a 1 s loop: at loop time 0.5 the turn is 45
// degrees, quaternion (0, 0, sin 22.5, cos 22.5).
TEST_F(ControlTest, LoopCountsFoldTheClockAndHoldTheLastFrame)
{
    MdlControl* wave = MdlPlayControlledAnimation(0, Wave(), instance_);
    EXPECT_FLOAT_EQ(MdlGetControlLocalDuration(wave), 1.0f);
    MdlSetControlLoopCount(wave, 2);
    MdlSetControlClock(wave, 1.5f);
    EXPECT_FLOAT_EQ(MdlGetControlLocalClock(wave), 0.5f);
    EXPECT_EQ(MdlGetControlLoopIndex(wave), 1);
    HeadAfterSampling(1.5f);
    EXPECT_NEAR(Orientation("Spine")[2], std::sin(M_PI / 8), 1e-5);
    HeadAfterSampling(2.5f);   // both loops done: the end pose holds
    EXPECT_FLOAT_EQ(MdlGetControlLocalClock(wave), 1.0f);
    EXPECT_NEAR(Orientation("Spine")[2], kS, 1e-5);
    MdlSetControlLoopCount(wave, 0);   // forever
    EXPECT_FLOAT_EQ(MdlGetControlLocalClock(wave), 0.5f);
    EXPECT_FLOAT_EQ(MdlGetControlRawLocalClock(wave), 2.5f);
    MdlSetControlRawLocalClock(wave, 7.25f);
    EXPECT_FLOAT_EQ(MdlGetControlLocalClock(wave), 0.25f);
    MdlSetControlRawLocalClock(wave, -1);   // before the start: the first frame
    EXPECT_FLOAT_EQ(MdlGetControlLocalClock(wave), 0.0f);
    MdlFreeControl(wave);
}

TEST_F(ControlTest, SpeedScalesTheLocalClockFromTheLastGameTime)
{
    MdlControl* wave = MdlPlayControlledAnimation(10, Wave(), instance_);
    MdlSetControlLoopCount(wave, 0);
    MdlSetControlSpeed(wave, 2);
    MdlSetControlClock(wave, 10.25f);
    EXPECT_FLOAT_EQ(MdlGetControlRawLocalClock(wave), 0.5f);
    MdlSetControlSpeed(wave, -1);   // played backwards from there
    MdlSetControlClock(wave, 10.5f);
    EXPECT_FLOAT_EQ(MdlGetControlRawLocalClock(wave), 0.25f);
    MdlFreeControl(wave);
}

// Masked to the Spine chain (Spine, Head, CollarNode), the wave turns
// Spine but leaves Tail, outside the chain, at rest.
TEST_F(ControlTest, MaskLimitsAControlToABoneChain)
{
    MdlTrackMask* mask = MdlNewTrackMask(0, skeleton_->boneCount);
    MdlSetSkeletonTrackMaskChainDownwards(mask, skeleton_, Bone(skeleton_, "spine"), 1);
    EXPECT_FLOAT_EQ(MdlGetTrackMaskBoneWeight(mask, Bone(skeleton_, "CollarNode")), 1);
    EXPECT_FLOAT_EQ(MdlGetTrackMaskBoneWeight(mask, Bone(skeleton_, "Tail")), 0);
    EXPECT_FLOAT_EQ(MdlGetTrackMaskBoneWeight(mask, Bone(skeleton_, "Root")), 0);
    MdlControlledAnimationBuilder* builder = MdlBeginControlledAnimation(0, Wave());
    MdlSetTrackGroupTarget(builder, 0, instance_);
    MdlSetTrackGroupModelMask(builder, 0, mask);
    MdlFreeTrackMask(mask);   // the control keeps its own copy
    MdlControl* wave = MdlEndControlledAnimation(builder);
    ASSERT_NE(wave, nullptr);
    HeadAfterSampling(1);
    EXPECT_NEAR(Orientation("Spine")[2], kS, 1e-5);
    EXPECT_NEAR(Orientation("Tail")[2], 0, 1e-6);
    EXPECT_NEAR(Orientation("Tail")[3], 1, 1e-6);
    MdlFreeControl(wave);
}

// Chain weight 0.5 halves the turn: the mean of identity and a 90-degree
// turn, normalised, is the 45-degree turn.
TEST_F(ControlTest, MaskWeightsScaleTheChain)
{
    MdlTrackMask* mask = MdlNewTrackMask(0, skeleton_->boneCount);
    MdlSetSkeletonTrackMaskChainDownwards(mask, skeleton_, Bone(skeleton_, "Spine"), 0.5f);
    MdlControlledAnimationBuilder* builder = MdlBeginControlledAnimation(0, Wave());
    MdlSetTrackGroupTarget(builder, 0, instance_);
    MdlSetTrackGroupModelMask(builder, 0, mask);
    MdlControl* wave = MdlEndControlledAnimation(builder);
    HeadAfterSampling(1);
    EXPECT_NEAR(Orientation("Spine")[2], std::sin(M_PI / 8), 1e-5);
    MdlFreeControl(wave);
    MdlFreeTrackMask(mask);
}

TEST_F(ControlTest, BuilderWithoutTargetMakesNoControl)
{
    MdlControlledAnimationBuilder* builder = MdlBeginControlledAnimation(0, Wave());
    MdlSetTrackGroupTarget(builder, 1, instance_);   // there is only group 0
    EXPECT_EQ(MdlEndControlledAnimation(builder), nullptr);
}

// Only controls marked for it are freed, once their loops run out or
// their ease out ends.
TEST_F(ControlTest, CompletedControlsAreFreedOnlyWhenMarked)
{
    MdlControl* once = MdlPlayControlledAnimation(0, Wave(), instance_);
    MdlControl* kept = MdlPlayControlledAnimation(0, Wave(), instance_);
    MdlControl* faded = MdlPlayControlledAnimation(0, Wave(), instance_);
    MdlSetControlFreeOnCompletion(once, true);
    MdlSetControlFreeOnCompletion(faded, true);
    MdlSetControlLoopCount(faded, 0);
    MdlEaseControlOut(faded, 3);
    MdlSetBlendDagTreeClock(node_, 0.9f);
    MdlBlendDagFreeCompletedControlsEntireTree(node_);
    EXPECT_EQ(ControlCount(), 3);
    MdlSetBlendDagTreeClock(node_, 1.0f);
    EXPECT_TRUE(MdlControlIsComplete(once));
    EXPECT_FALSE(MdlControlIsComplete(kept));   // as finished, but unmarked
    MdlBlendDagFreeCompletedControlsEntireTree(node_);
    EXPECT_EQ(ControlCount(), 2);
    MdlSetBlendDagTreeClock(node_, 3.0f);
    MdlBlendDagFreeCompletedControlsEntireTree(node_);
    EXPECT_EQ(ControlCount(), 1);
    MdlFreeControl(kept);
}

TEST_F(ControlTest, ControlsOutliveTheirInstanceSafely)
{
    MdlControl* wave = MdlPlayControlledAnimation(0, Wave(), instance_);
    MdlFreeBlendDagEntireTree(node_);
    MdlFreeModelInstance(instance_);
    node_ = nullptr;
    instance_ = nullptr;
    MdlSetControlClock(wave, 1);   // still a valid control, bound to nothing
    EXPECT_FLOAT_EQ(MdlGetControlLocalClock(wave), 1.0f);
    MdlFreeControl(wave);
}

// A track names its bone in other letter case: it still binds.
TEST_F(ControlTest, TracksBindToBonesIgnoringCase)
{
    MdlFile* file = nullptr;
    std::vector<uint8_t> anim = RigAnimationGlb({{"Head", "translation", {0, 1}, {0, 5, 0, 0, 5, 0}}});
    std::string json(anim.begin() + 20, anim.begin() + 20 + (anim[12] | anim[13] << 8));
    size_t at = json.find("\"Head\"");
    json.replace(at, 6, "\"hEAD\"");
    std::vector<uint8_t> bin(anim.begin() + 28 + long(json.size()), anim.end());
    ASSERT_EQ(MdlLoadFileFromMemory(GlbPack(json, bin).data(), GlbPack(json, bin).size(), &file, nullptr), MDL_OK);
    files_.push_back(file);
    MdlControl* control = MdlPlayControlledAnimation(0, AnimationOf(file), instance_);
    ExpectVectorNear(HeadAfterSampling(0.5f), 0, 5, 0);
    MdlFreeControl(control);
}

}  // namespace
