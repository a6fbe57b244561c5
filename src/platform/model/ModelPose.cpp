// Instances, bone lookup, local and world poses.
#include "platform/model/ModelMath.h"
#include "platform/model/ModelState.h"

// =============================================================================
// instances
// =============================================================================

MdlModelInstance* MdlInstantiateModel(const MdlModel* model)
{
    if (!model) return nullptr;
    MdlModelInstance* instance = MDL_NEW(MdlModelInstance);
    if (instance) instance->model = model;
    return instance;
}

void MdlFreeModelInstance(MdlModelInstance* instance)
{
    if (!instance) return;
    for (MdlControl* control = instance->firstControl; control; control = control->next) control->instance = nullptr;
    MDL_RELEASE(instance);
}

const MdlModel* MdlGetSourceModel(const MdlModelInstance* instance) { return instance ? instance->model : nullptr; }

const MdlSkeleton* MdlGetSourceSkeleton(const MdlModelInstance* instance)
{
    return instance ? instance->model->skeleton : nullptr;
}

bool MdlFindBoneByNameLowercase(const MdlSkeleton* skeleton, const char* name, int* boneIndex)
{
    if (!skeleton || !name) return false;
    for (int bone = 0; bone < skeleton->boneCount; ++bone) {
        if (MdlNamesEqualIgnoringCase(skeleton->bones[bone].name, name)) {
            if (boneIndex) *boneIndex = bone;
            return true;
        }
    }
    return false;
}

// =============================================================================
// local poses
// =============================================================================

MdlLocalPose* MdlNewLocalPose(int boneCount)
{
    if (boneCount < 0 || boneCount > MDL_MAX_BONES) return nullptr;
    MdlLocalPose* pose = MDL_NEW(MdlLocalPose);
    if (!pose) return nullptr;
    pose->boneCount = boneCount;
    pose->transforms = MDL_NEW_ARRAY(MdlTransform, size_t(boneCount));
    pose->sums = MDL_NEW_ARRAY(MdlBlendSum, size_t(boneCount));
    if (!pose->transforms || !pose->sums) {
        MdlFreeLocalPose(pose);
        return nullptr;
    }
    for (int bone = 0; bone < boneCount; ++bone) MdlMakeIdentity(&pose->transforms[bone]);
    return pose;
}

void MdlFreeLocalPose(MdlLocalPose* pose)
{
    if (!pose) return;
    MDL_RELEASE(pose->transforms);
    MDL_RELEASE(pose->sums);
    MDL_RELEASE(pose);
}

int MdlGetLocalPoseBoneCount(const MdlLocalPose* pose) { return pose ? pose->boneCount : 0; }

MdlTransform* MdlGetLocalPoseTransform(MdlLocalPose* pose, int boneIndex)
{
    if (!pose || boneIndex < 0 || boneIndex >= pose->boneCount) return nullptr;
    return &pose->transforms[boneIndex];
}

void MdlBuildRestLocalPose(const MdlSkeleton* skeleton, MdlLocalPose* pose)
{
    if (!skeleton || !pose) return;
    int count = skeleton->boneCount < pose->boneCount ? skeleton->boneCount : pose->boneCount;
    for (int bone = 0; bone < count; ++bone) pose->transforms[bone] = skeleton->bones[bone].localTransform;
}

// =============================================================================
// world poses
// =============================================================================

MdlWorldPose* MdlNewWorldPose(int boneCount)
{
    if (boneCount < 0 || boneCount > MDL_MAX_BONES) return nullptr;
    MdlWorldPose* pose = MDL_NEW(MdlWorldPose);
    if (!pose) return nullptr;
    pose->boneCount = boneCount;
    pose->world = MDL_NEW_ARRAY(MdlMatrix4, size_t(boneCount));
    pose->composite = MDL_NEW_ARRAY(MdlMatrix4, size_t(boneCount));
    if (!pose->world || !pose->composite) {
        MdlFreeWorldPose(pose);
        return nullptr;
    }
    for (int bone = 0; bone < boneCount; ++bone) {
        MdlMakeIdentity4x4(&pose->world[bone]);
        MdlMakeIdentity4x4(&pose->composite[bone]);
    }
    return pose;
}

void MdlFreeWorldPose(MdlWorldPose* pose)
{
    if (!pose) return;
    MDL_RELEASE(pose->world);
    MDL_RELEASE(pose->composite);
    MDL_RELEASE(pose);
}

int MdlGetWorldPoseBoneCount(const MdlWorldPose* pose) { return pose ? pose->boneCount : 0; }

bool MdlBuildWorldPose(const MdlSkeleton* skeleton, int firstBone, int boneCount, const MdlLocalPose* localPose,
                       const MdlMatrix4* offset, MdlWorldPose* worldPose)
{
    if (!skeleton || !localPose || !worldPose || firstBone < 0 || boneCount < 0) return false;
    int end = firstBone + boneCount;
    if (end > skeleton->boneCount || end > localPose->boneCount || end > worldPose->boneCount) return false;
    MdlMatrix4 identity;
    MdlMakeIdentity4x4(&identity);
    const MdlMatrix4* root = offset ? offset : &identity;
    for (int bone = firstBone; bone < end; ++bone) {
        const MdlBone& source = skeleton->bones[bone];
        MdlMatrix4 local;
        MdlBuildCompositeTransform4x4(&localPose->transforms[bone], &local);
        int parent = source.parentIndex;   // parents precede children, checked when read
        const MdlMatrix4* parentWorld = (parent >= 0 && parent < bone) ? &worldPose->world[parent] : root;
        MdlMultiply4x4(&local, parentWorld, &worldPose->world[bone]);
        MdlMultiply4x4(&source.inverseWorld, &worldPose->world[bone], &worldPose->composite[bone]);
    }
    return true;
}

const MdlMatrix4* MdlGetWorldPose4x4(const MdlWorldPose* pose, int boneIndex)
{
    if (!pose || boneIndex < 0 || boneIndex >= pose->boneCount) return nullptr;
    return &pose->world[boneIndex];
}

const MdlMatrix4* MdlGetWorldPoseComposite4x4Array(const MdlWorldPose* pose) { return pose ? pose->composite : nullptr; }
