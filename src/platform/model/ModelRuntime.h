// The model and animation runtime: our own, over glTF 2.0 binary files.
//
// Terms
//   file       one .glb read into memory; holds at most one model and one
//              animation (the first of each in the glTF document).
//   model      a skeleton plus the meshes that follow it.  Every node of the
//              glTF scene is a bone (parents first), so rigid parts and
//              skinned parts share one skeleton.
//   mesh       vertices (position, normal, uv, up to 4 bone influences),
//              triangles in groups (one per glTF primitive, by material)
//              and the bones the vertices follow, by name.
//   animation  one track per animated bone name, each with position,
//              orientation and scale curves; duration = last key time.
//   instance   per-object state: the controls playing on one model.
//   control    one animation playing on one instance (ModelControl.h).
//   pose       local: per-bone transform relative to the parent; world:
//              per-bone matrices in world space (ModelPose.h).
//
// Coordinates
//   glTF data is right-handed: +Y up, the front of an asset faces +Z, 1 unit
//   per metre.  MdlGetFileInfo reports that basis; the engine asks, through
//   MdlComputeBasisConversion + MdlTransformFile, for right (-1,0,0), up
//   (0,1,0), back (0,0,1): a mirror of Z.  The conversion mirrors positions,
//   normals, rotations and bind matrices, and reverses each triangle's
//   vertex order so that front faces stay front faces (clockwise seen from
//   the front, as the engine's renderer culls).  Matrices are row-major for
//   row vectors; quaternions are (x, y, z, w).
//
// Ownership
//   A file owns all data read from it (skeletons, meshes, animations) in
//   one arena; free it only after every instance, binding and control made
//   from it.  Every other object is made by a MdlNew/Create/Instantiate/Play
//   call and freed by the matching MdlFree call.  All memory comes from the
//   host allocator (ModelBase.h); the glTF parser's own short-lived
//   allocations during a read are the one exception.
//
// Errors
//   Reading returns an MdlResult (code from MdlCode, message) or reports it
//   to the host's error routine; the other calls answer null/false on bad
//   arguments and never read outside what they were given.
//
// Calls, by job
//   | job                                   | call                                                  |
//   |---------------------------------------|-------------------------------------------------------|
//   | install the engine's allocator        | MdlSetAllocator (or MdlSetHost)                       |
//   | install the engine's file opener      | MdlSetDefaultFileReaderOpenCallback                   |
//   | make / retire a file reader           | MdlInitializeFileReader, MdlUnlinkFileReader          |
//   | read a .glb held in memory            | MdlReadEntireFileFromMemory (MdlLoadFileFromMemory)   |
//   | read a .glb by name                   | MdlReadEntireFile                                     |
//   | models and animations of a file       | MdlGetFileInfo                                        |
//   | basis conversion                      | MdlComputeBasisConversion, MdlTransformFile           |
//   | release a file                        | MdlFreeFile                                           |
//   | instance of a model                   | MdlInstantiateModel, MdlFreeModelInstance             |
//   | placement matrix of a transform       | MdlBuildCompositeTransform4x4                         |
//   | world poses                           | MdlNewWorldPose, MdlFreeWorldPose, MdlBuildWorldPose  |
//   | bone matrices of a world pose         | MdlGetWorldPose4x4, MdlGetWorldPoseComposite4x4Array  |
//   | a bone's local transform              | MdlGetLocalPoseTransform                              |
//   | bone by name                          | MdlFindBoneByNameLowercase                            |
//   | mesh to skeleton                      | MdlNewMeshBinding, MdlFreeMeshBinding,                |
//   |                                       | MdlGetMeshBindingToBoneIndices                        |
//   | mesh queries                          | MdlMeshIsRigid, MdlGetMeshVertexCount,                |
//   |                                       | MdlGetMeshVertices, MdlGetMeshVertexType,             |
//   |                                       | MdlGetMeshTriangleCount, MdlGetMeshTriangleGroups,    |
//   |                                       | MdlGetMeshTriangleGroupCount, MdlGetMeshIndices       |
//   | material of a mesh part               | MdlTriangleGroup::baseColor, ::imageIndex          |
//   | embedded images (decoded RGBA)        | MdlFileInfo::images, MdlGetFileImage                  |
//   | buffer contents                       | MdlCopyMeshIndices (2-byte), MdlCopyMeshVertices      |
//   | skinning                              | MdlNewMeshDeformer, MdlDeformVertices,                |
//   |                                       | MdlFreeMeshDeformer (job form: MdlSkinningJob)        |
//   | play an animation                     | MdlPlayControlledAnimation                            |
//   | play an animation with a mask         | MdlBeginControlledAnimation, MdlSetTrackGroupTarget,  |
//   |                                       | MdlSetTrackGroupModelMask, MdlEndControlledAnimation  |
//   | masks by bone chain                   | MdlNewTrackMask,                                      |
//   |                                       | MdlSetSkeletonTrackMaskChainDownwards,                |
//   |                                       | MdlFreeTrackMask                                      |
//   | steer a control                       | MdlSetControlActive, MdlSetControlWeight,             |
//   |                                       | MdlSetControlLoopCount, MdlSetControlRawLocalClock,   |
//   |                                       | MdlSetControlEaseIn, MdlSetControlEaseOut,            |
//   |                                       | MdlEaseControlIn, MdlEaseControlOut,                  |
//   |                                       | MdlGetControlLocalDuration, MdlFreeControl            |
//   | blend tree                            | MdlCreateBlendDagNodeAnimationBlend,                  |
//   |                                       | MdlSetBlendDagTreeClock, MdlSampleBlendDagTree,       |
//   |                                       | MdlBlendDagFreeCompletedControlsEntireTree,           |
//   |                                       | MdlFreeBlendDagEntireTree                             |
//   | transform maths                       | MdlMakeIdentity, MdlPostMultiplyBy                    |
//   | picking                               | MdlRayIntersectsBoxAt, MdlRayIntersectsTriangleAt     |
//
// Open questions
//   Only JOINTS_0/WEIGHTS_0 are read (four influences); a second set is
//   ignored.  Morph targets, sparse accessors and external buffers are
//   refused or ignored as noted in the reader.
#pragma once
#include "platform/model/ModelBase.h"
#include "platform/model/ModelControl.h"
#include "platform/model/ModelData.h"
#include "platform/model/ModelMath.h"
#include "platform/model/ModelMesh.h"
#include "platform/model/ModelPose.h"
