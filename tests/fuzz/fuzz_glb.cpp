// Fuzzes the .glb reader and everything a read file feeds: conversion,
// instancing, mesh bindings, an animation played and sampled, the world
// pose, skinning and the picking boxes.  Any input must be refused or
// used without a read outside its data.
#include <cstdint>
#include <cstddef>
#include <vector>

#include "platform/model/ModelRuntime.h"

static void Convert(MdlFile* file)
{
    const float origin[3] = {0, 0, 0}, right[3] = {-1, 0, 0}, up[3] = {0, 1, 0}, back[3] = {0, 0, 1};
    MdlBasisConversion conversion;
    if (MdlComputeBasisConversion(MdlGetFileInfo(file), 1.0f, origin, right, up, back, &conversion))
        MdlTransformFile(file, &conversion, 1e-5f, 1e-5f, MDL_RENORMALIZE_NORMALS | MDL_REORDER_TRIANGLE_INDICES);
}

static void SkinAndPick(const MdlModel* model, const MdlWorldPose* world)
{
    const MdlSkeleton* skeleton = model->skeleton;
    const float origin[3] = {0, 1, -5}, direction[3] = {0, 0, 1};
    for (int m = 0; m < model->meshCount; ++m) {
        const MdlMesh* mesh = model->meshes[m];
        MdlMeshBinding* binding = MdlNewMeshBinding(mesh, skeleton, skeleton);
        if (!binding) continue;
        std::vector<MdlVertexPNT> out(size_t(MdlGetMeshVertexCount(mesh)));
        MdlMeshDeformer* deformer = MdlNewMeshDeformer(MdlGetMeshVertexType(mesh), MDL_LAYOUT_PNT, MDL_DEFORM_POSITION_NORMAL);
        MdlDeformVertices(deformer, MdlGetMeshBindingToBoneIndices(binding), MdlGetMeshBindingBoneCount(binding),
                          MdlGetWorldPoseComposite4x4Array(world), skeleton->boneCount, int(out.size()),
                          MdlGetMeshVertices(mesh), out.data());
        std::vector<uint16_t> indices(size_t(MdlGetMeshTriangleCount(mesh)) * 3);
        if (MdlCopyMeshIndices(mesh, 2, indices.data())) {
            for (size_t i = 0; i + 2 < indices.size(); i += 3) {
                MdlTriangleHit hit;
                MdlRayIntersectsTriangleAt(out[indices[i]].position, out[indices[i + 1]].position,
                                           out[indices[i + 2]].position, origin, direction, &hit);
            }
        }
        for (int b = 0; b < mesh->boneBindingCount; ++b) {
            const MdlBoneBinding& bone = mesh->boneBindings[b];
            float distance;
            MdlRayIntersectsBoxAt(MdlGetWorldPose4x4(world, MdlGetMeshBindingToBoneIndices(binding)[b]), bone.boxMin,
                                  bone.boxMax, origin, direction, &distance);
        }
        MdlFreeMeshDeformer(deformer);
        MdlFreeMeshBinding(binding);
    }
}

static void Animate(const MdlFileInfo* info)
{
    const MdlModel* model = info->models[0];
    const MdlSkeleton* skeleton = model->skeleton;
    MdlModelInstance* instance = MdlInstantiateModel(model);
    MdlBlendDagNode* node = MdlCreateBlendDagNodeAnimationBlend(instance);
    MdlControl* control = nullptr;
    if (info->animationCount) {
        MdlTrackMask* mask = MdlNewTrackMask(0, skeleton->boneCount);
        MdlSetSkeletonTrackMaskChainDownwards(mask, skeleton, skeleton->boneCount / 2, 1);
        MdlControlledAnimationBuilder* builder = MdlBeginControlledAnimation(0, info->animations[0]);
        MdlSetTrackGroupTarget(builder, 0, instance);
        MdlSetTrackGroupModelMask(builder, 0, mask);
        control = MdlEndControlledAnimation(builder);
        MdlFreeTrackMask(mask);
        MdlSetControlLoopCount(control, 2);
        MdlEaseControlIn(control, 0.5f, false);
    }
    MdlLocalPose* local = MdlNewLocalPose(skeleton->boneCount);
    MdlWorldPose* world = MdlNewWorldPose(skeleton->boneCount);
    for (float time : {0.0f, 0.37f, 5.0f}) {
        MdlSetBlendDagTreeClock(node, time);
        MdlSampleBlendDagTree(node, local);
        MdlBuildWorldPose(skeleton, 0, skeleton->boneCount, local, nullptr, world);
    }
    SkinAndPick(model, world);
    MdlFreeWorldPose(world);
    MdlFreeLocalPose(local);
    MdlFreeControl(control);
    MdlFreeBlendDagEntireTree(node);
    MdlFreeModelInstance(instance);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MdlFile* file = nullptr;
    if (MdlLoadFileFromMemory(data, size, &file, nullptr) != MDL_OK) return 0;
    Convert(file);
    const MdlFileInfo* info = MdlGetFileInfo(file);
    if (info->modelCount) Animate(info);
    MdlFreeFile(file);
    return 0;
}
