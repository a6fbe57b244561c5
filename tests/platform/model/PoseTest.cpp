// Poses and skinning on the test rig (GlbWriter.h draws it).  Expected
// numbers are worked by hand in the comments; s = sqrt(1/2) = 0.70710678.
#include <cmath>

#include "ModelTestSupport.h"

namespace {

const float kS = 0.70710678f;

// The bend animation: Spine turns 0 -> 90 degrees about Z over 1 s, Head
// slides from (0, 1, 0) to (0, 3, 0) over 2 s.  A turn about Z survives
// the Z mirror unchanged, so the numbers below hold after conversion.
std::vector<RigTrack> BendTracks()
{
    return {{"Spine", "rotation", {0, 1}, {0, 0, 0, 1, 0, 0, kS, kS}},
            {"Head", "translation", {0, 2}, {0, 1, 0, 0, 3, 0}}};
}

class PoseTest : public ModelTest {
protected:
    void SetUp() override
    {
        ModelTest::SetUp();
        file_ = Load(GlbBuild(RigModelDocument(BendTracks())));
        ASSERT_NE(file_, nullptr);
        model_ = ModelOf(file_);
        skeleton_ = model_->skeleton;
        instance_ = MdlInstantiateModel(model_);
        local_ = MdlNewLocalPose(skeleton_->boneCount);
        world_ = MdlNewWorldPose(skeleton_->boneCount);
        body_ = MdlMeshIsRigid(model_->meshes[0]) ? model_->meshes[1] : model_->meshes[0];
        collar_ = MdlMeshIsRigid(model_->meshes[0]) ? model_->meshes[0] : model_->meshes[1];
    }
    void TearDown() override
    {
        MdlFreeWorldPose(world_);
        MdlFreeLocalPose(local_);
        MdlFreeModelInstance(instance_);
        ModelTest::TearDown();
    }

    // Samples the instance at `time` and builds the world pose at the origin.
    void PoseAt(float time)
    {
        MdlBlendDagNode* node = MdlCreateBlendDagNodeAnimationBlend(instance_);
        MdlSetBlendDagTreeClock(node, time);
        ASSERT_TRUE(MdlSampleBlendDagTree(node, local_));
        MdlFreeBlendDagEntireTree(node);
        ASSERT_TRUE(MdlBuildWorldPose(skeleton_, 0, skeleton_->boneCount, local_, nullptr, world_));
    }

    std::vector<MdlVertexPNT> Skin(const MdlMesh* mesh)
    {
        MdlMeshBinding* binding = MdlNewMeshBinding(mesh, skeleton_, skeleton_);
        MdlMeshDeformer* deformer = MdlNewMeshDeformer(MdlGetMeshVertexType(mesh), MDL_LAYOUT_PNT, MDL_DEFORM_POSITION_NORMAL);
        std::vector<MdlVertexPNT> out(size_t(MdlGetMeshVertexCount(mesh)));
        EXPECT_TRUE(MdlDeformVertices(deformer, MdlGetMeshBindingToBoneIndices(binding), MdlGetMeshBindingBoneCount(binding),
                                      MdlGetWorldPoseComposite4x4Array(world_), skeleton_->boneCount, int(out.size()),
                                      MdlGetMeshVertices(mesh), out.data()));
        MdlFreeMeshDeformer(deformer);
        MdlFreeMeshBinding(binding);
        return out;
    }

    MdlFile* file_ = nullptr;
    const MdlModel* model_ = nullptr;
    const MdlSkeleton* skeleton_ = nullptr;
    MdlModelInstance* instance_ = nullptr;
    MdlLocalPose* local_ = nullptr;
    MdlWorldPose* world_ = nullptr;
    const MdlMesh* body_ = nullptr;
    const MdlMesh* collar_ = nullptr;
};

TEST_F(PoseTest, BindPoseHasIdentityCompositesAndSkinsToTheMeshAsStored)
{
    PoseAt(0);   // no control plays: the rest pose
    const MdlMatrix4* composites = MdlGetWorldPoseComposite4x4Array(world_);
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    for (int bone = 0; bone < skeleton_->boneCount; ++bone) ExpectMatrixNear(composites[bone], identity);
    const float head[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 2, 0, 1};
    ExpectMatrixNear(*MdlGetWorldPose4x4(world_, Bone(skeleton_, "Head")), head);
    std::vector<MdlVertexPNT> skinned = Skin(body_);
    for (int v = 0; v < body_->vertexCount; ++v) {
        ExpectVectorNear(skinned[size_t(v)].position, body_->vertices[v].position[0], body_->vertices[v].position[1],
                         body_->vertices[v].position[2]);
        ExpectVectorNear(skinned[size_t(v)].normal, 0, 0, -1);
    }
}

// At t = 0.5 the Spine has turned 45 degrees: its axis rows are
// (s, s, 0) and (-s, s, 0), its position (0, 1, 0).  Head sits at
// (0, 1.5, 0) in Spine's frame: 1.5 * (-s, s, 0) + (0, 1, 0).
TEST_F(PoseTest, SampledPoseMatchesHandWorkedMatrices)
{
    MdlControl* control = MdlPlayControlledAnimation(0, AnimationOf(file_), instance_);
    PoseAt(0.5f);
    const float spine[16] = {kS, kS, 0, 0, -kS, kS, 0, 0, 0, 0, 1, 0, 0, 1, 0, 1};
    const float head[16] = {kS, kS, 0, 0, -kS, kS, 0, 0, 0, 0, 1, 0, -1.5f * kS, 1.5f * kS + 1, 0, 1};
    ExpectMatrixNear(*MdlGetWorldPose4x4(world_, Bone(skeleton_, "Spine")), spine);
    ExpectMatrixNear(*MdlGetWorldPose4x4(world_, Bone(skeleton_, "Head")), head);
    ExpectVectorNear(MdlGetLocalPoseTransform(local_, Bone(skeleton_, "head"))->position, 0, 1.5f, 0);
    MdlFreeControl(control);
}

// v2 = (0, 2.5, 0) follows Head: 0.5 above it, so 0.5 * (-s, s, 0) + head
// = (-2s, 1 + 2s, 0).  v3 = (1, 1, 0) is half Root (unmoved) and half
// Spine: (1, 0, 0) in Spine's frame is (s, 1 + s, 0); the mean is
// ((1 + s) / 2, (2 + s) / 2, 0).  Normals (0, 0, -1) lie on the turn axis.
TEST_F(PoseTest, SkinningBlendsInfluencesByWeight)
{
    MdlControl* control = MdlPlayControlledAnimation(0, AnimationOf(file_), instance_);
    PoseAt(0.5f);
    std::vector<MdlVertexPNT> skinned = Skin(body_);
    ExpectVectorNear(skinned[2].position, -2 * kS, 1 + 2 * kS, 0);
    ExpectVectorNear(skinned[3].position, (1 + kS) / 2, (2 + kS) / 2, 0);
    ExpectVectorNear(skinned[0].position, 0, 0.5f, 0);
    ExpectVectorNear(skinned[3].normal, 0, 0, -1);
    EXPECT_FLOAT_EQ(skinned[2].uv[1], 1.0f);
    MdlFreeControl(control);
}

// The collar's triangle is stored in model space at bind; the Spine's
// composite moves it with the Spine.  Its corner (0, 0, 0) in the collar
// frame is (0, 0.5, 0) from the Spine: 0.5 * (-s, s, 0) + (0, 1, 0).
TEST_F(PoseTest, RigidMeshFollowsItsBoneThroughTheComposite)
{
    MdlControl* control = MdlPlayControlledAnimation(0, AnimationOf(file_), instance_);
    PoseAt(0.5f);
    ExpectVectorNear(collar_->vertices[0].position, 0, 1.5f, 0);
    MdlMeshBinding* binding = MdlNewMeshBinding(collar_, skeleton_, skeleton_);
    ASSERT_EQ(MdlGetMeshBindingBoneCount(binding), 1);
    int bone = MdlGetMeshBindingToBoneIndices(binding)[0];
    EXPECT_EQ(bone, Bone(skeleton_, "CollarNode"));
    float moved[3];
    MdlTransformPoint(&MdlGetWorldPoseComposite4x4Array(world_)[bone], collar_->vertices[0].position, moved);
    ExpectVectorNear(moved, -0.5f * kS, 1 + 0.5f * kS, 0);
    std::vector<MdlVertexPNT> copied(3);
    ASSERT_TRUE(MdlCopyMeshVertices(collar_, MDL_LAYOUT_PNT, copied.data()));
    ExpectVectorNear(copied[1].position, 1, 1.5f, 0);
    MdlFreeMeshBinding(binding);
    MdlFreeControl(control);
}

TEST_F(PoseTest, SixteenBitIndexCopyKeepsConvertedWinding)
{
    uint16_t indices[6] = {};
    ASSERT_TRUE(MdlCopyMeshIndices(body_, 2, indices));
    const uint16_t expected[6] = {0, 1, 3, 1, 2, 3};   // (0, 3, 1) (1, 3, 2) with corners 2 and 3 swapped
    for (int i = 0; i < 6; ++i) EXPECT_EQ(indices[i], expected[i]);
    EXPECT_FALSE(MdlCopyMeshIndices(body_, 3, indices));
}

TEST_F(PoseTest, WorldPoseRefusesRangesOutsideItsPoses)
{
    MdlLocalPose* small = MdlNewLocalPose(2);
    EXPECT_FALSE(MdlBuildWorldPose(skeleton_, 0, skeleton_->boneCount, small, nullptr, world_));
    EXPECT_FALSE(MdlBuildWorldPose(skeleton_, 5, 3, local_, nullptr, world_));
    EXPECT_FALSE(MdlBuildWorldPose(skeleton_, -1, 1, local_, nullptr, world_));
    EXPECT_EQ(MdlGetWorldPose4x4(world_, skeleton_->boneCount), nullptr);
    EXPECT_EQ(MdlGetLocalPoseTransform(local_, -1), nullptr);
    EXPECT_EQ(MdlNewLocalPose(MDL_MAX_BONES + 1), nullptr);
    MdlFreeLocalPose(small);
}

// The offset places the whole model: Head's world position moves by it.
TEST_F(PoseTest, OffsetMatrixPlacesTheRoots)
{
    MdlBuildRestLocalPose(skeleton_, local_);
    MdlTransform placement;
    MdlMakeIdentity(&placement);
    placement.position[0] = 5;
    MdlMatrix4 offset;
    MdlBuildCompositeTransform4x4(&placement, &offset);
    ASSERT_TRUE(MdlBuildWorldPose(skeleton_, 0, skeleton_->boneCount, local_, &offset, world_));
    const float* head = MdlGetWorldPose4x4(world_, Bone(skeleton_, "Head"))->m;
    ExpectVectorNear(head + 12, 5, 2, 0);
}

TEST_F(PoseTest, SkinningJobValidatesItsInputsAndIgnoresStrayBones)
{
    PoseAt(0);
    MdlSkinningJob job;
    EXPECT_TRUE(job.Validate());   // nothing to do is valid
    job.vertexCount = 4;
    EXPECT_FALSE(job.Validate());
    std::vector<MdlVertexPNT> out(4);
    job.source = body_->vertices;
    job.destination = out.data();
    const int boneIndices[2] = {0, 99};   // 99: no such matrix
    job.boneIndices = boneIndices;
    job.boneIndexCount = 2;
    job.matrices = MdlGetWorldPoseComposite4x4Array(world_);
    job.matrixCount = skeleton_->boneCount;
    job.mode = MdlDeformMode(7);
    EXPECT_FALSE(job.Run());
    job.mode = MDL_DEFORM_POSITION;
    ASSERT_TRUE(job.Run());
    ExpectVectorNear(out[0].position, 0, 0.5f, 0);    // bone 0: identity composite
    ExpectVectorNear(out[1].position, 0, 0, 0);       // bone 99 counts for nothing
    ExpectVectorNear(out[2].position, 0, 0, 0);       // binding 2 is past the table
    ExpectVectorNear(out[3].position, 0.5f, 0.5f, 0); // half of bone 0 only
}

TEST_F(PoseTest, MeshBindingNeedsEveryBoneByName)
{
    MdlBone renamed[1] = {{"Elsewhere", -1, {{0, 0, 0}, {0, 0, 0, 1}, {1, 1, 1}}, {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}}}};
    MdlSkeleton other = {"other", 1, renamed};
    EXPECT_EQ(MdlNewMeshBinding(collar_, skeleton_, &other), nullptr);
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_NE(errors_[0].message.find("CollarNode"), std::string::npos);
}

// Each binding's box, in its bone's frame, holds the vertices it moves.
TEST_F(PoseTest, BoneBindingBoxesSurroundTheirVertices)
{
    const MdlBoneBinding& spine = body_->boneBindings[1];
    EXPECT_STREQ(spine.boneName, "Spine");
    ExpectVectorNear(spine.boxMin, 0, 0, 0);       // v3 (1, 1, 0) and v1 (0, 1.5, 0) less (0, 1, 0)
    ExpectVectorNear(spine.boxMax, 1, 0.5f, 0);
    EXPECT_EQ(spine.triangleCount, 2);             // v1 is a corner of both triangles
    EXPECT_EQ(body_->boneBindings[2].triangleCount, 1);   // Head: v2 only
    const MdlBoneBinding& tail = body_->boneBindings[3];
    EXPECT_EQ(tail.triangleCount, 0);
}

}  // namespace
