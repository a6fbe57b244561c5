// Model instances and poses.  A local pose holds one transform per bone
// relative to its parent; a world pose holds, per bone, the bone-to-world
// matrix and the composite matrix (bind inverse * world) that skinning uses.
#pragma once
#include "platform/model/ModelData.h"

struct MdlModelInstance;
struct MdlLocalPose;
struct MdlWorldPose;

MdlModelInstance* MdlInstantiateModel(const MdlModel* model);
// Controls still bound to the instance are detached from it (they stay
// valid until freed) so that freeing order does not matter.
void MdlFreeModelInstance(MdlModelInstance* instance);
const MdlModel* MdlGetSourceModel(const MdlModelInstance* instance);
const MdlSkeleton* MdlGetSourceSkeleton(const MdlModelInstance* instance);

// Index of the bone whose name equals `name` ignoring ASCII case.
bool MdlFindBoneByNameLowercase(const MdlSkeleton* skeleton, const char* name, int* boneIndex);

MdlLocalPose* MdlNewLocalPose(int boneCount);
void MdlFreeLocalPose(MdlLocalPose* pose);
int MdlGetLocalPoseBoneCount(const MdlLocalPose* pose);
// Null for a bone outside the pose.
MdlTransform* MdlGetLocalPoseTransform(MdlLocalPose* pose, int boneIndex);
// The skeleton's rest transforms.
void MdlBuildRestLocalPose(const MdlSkeleton* skeleton, MdlLocalPose* pose);

MdlWorldPose* MdlNewWorldPose(int boneCount);
void MdlFreeWorldPose(MdlWorldPose* pose);
int MdlGetWorldPoseBoneCount(const MdlWorldPose* pose);

// Builds bones [firstBone, firstBone + boneCount) from the local pose:
// world = local * parent world, roots use `offset` (identity when null) as
// their parent.  Bones before firstBone must already be built.  False, with
// nothing written, when the ranges do not fit the skeleton and both poses.
bool MdlBuildWorldPose(const MdlSkeleton* skeleton, int firstBone, int boneCount, const MdlLocalPose* localPose,
                       const MdlMatrix4* offset, MdlWorldPose* worldPose);
// Null for a bone outside the pose.
const MdlMatrix4* MdlGetWorldPose4x4(const MdlWorldPose* pose, int boneIndex);
const MdlMatrix4* MdlGetWorldPoseComposite4x4Array(const MdlWorldPose* pose);
