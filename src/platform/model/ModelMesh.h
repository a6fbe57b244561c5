// Mesh queries, mesh bindings and the skinning deformer.
//
// A mesh binding maps each of a mesh's bone bindings (by name, ignoring
// case) to a bone of a skeleton, so that the composite matrices of a world
// pose of that skeleton can move the mesh.  The deformer blends up to four
// composite matrices per vertex and writes MdlVertexPNT vertices.
#pragma once
#include "platform/model/ModelData.h"

struct MdlMeshBinding;
struct MdlMeshDeformer;

bool MdlMeshIsRigid(const MdlMesh* mesh);
int MdlGetMeshVertexCount(const MdlMesh* mesh);
MdlVertexLayout MdlGetMeshVertexType(const MdlMesh* mesh);
const void* MdlGetMeshVertices(const MdlMesh* mesh);
int MdlGetMeshTriangleCount(const MdlMesh* mesh);
int MdlGetMeshTriangleGroupCount(const MdlMesh* mesh);
const MdlTriangleGroup* MdlGetMeshTriangleGroups(const MdlMesh* mesh);
int MdlGetMeshBytesPerIndex(const MdlMesh* mesh);
const void* MdlGetMeshIndices(const MdlMesh* mesh);
// Copies all indices as 2- or 4-byte values; false (nothing written) when
// an index does not fit or the size is neither.
bool MdlCopyMeshIndices(const MdlMesh* mesh, int bytesPerIndex, void* destination);
// Copies the bind-pose vertices converted to `layout` (MDL_LAYOUT_PNT or
// MDL_LAYOUT_SKINNED).
bool MdlCopyMeshVertices(const MdlMesh* mesh, MdlVertexLayout layout, void* destination);

// Null, with an error reported, when a bone binding names a bone the
// skeleton lacks.  `fromSkeleton` is the skeleton the mesh was made with;
// only `toSkeleton` is used for the lookup.
MdlMeshBinding* MdlNewMeshBinding(const MdlMesh* mesh, const MdlSkeleton* fromSkeleton,
                                  const MdlSkeleton* toSkeleton);
void MdlFreeMeshBinding(MdlMeshBinding* binding);
int MdlGetMeshBindingBoneCount(const MdlMeshBinding* binding);
const int* MdlGetMeshBindingToBoneIndices(const MdlMeshBinding* binding);

enum MdlDeformMode : int {   // fixed type: a stray value is refused, not undefined
    MDL_DEFORM_POSITION = 1,          // normals copied unchanged
    MDL_DEFORM_POSITION_NORMAL = 2,   // normals turned with the bones and renormalised
};

// Only MDL_LAYOUT_SKINNED to MDL_LAYOUT_PNT exists; null for anything else.
MdlMeshDeformer* MdlNewMeshDeformer(MdlVertexLayout from, MdlVertexLayout to, MdlDeformMode mode);
void MdlFreeMeshDeformer(MdlMeshDeformer* deformer);

// The skinning job.  Vertex influence b uses
// matrices[boneIndices[b]]; an influence whose b or matrix index is out of
// range is ignored rather than read.
struct MdlSkinningJob {
    MdlDeformMode mode = MDL_DEFORM_POSITION_NORMAL;
    int vertexCount = 0;
    const MdlSkinnedVertex* source = nullptr;
    MdlVertexPNT* destination = nullptr;
    int boneIndexCount = 0;
    const int* boneIndices = nullptr;
    int matrixCount = 0;
    const MdlMatrix4* matrices = nullptr;

    bool Validate() const;
    bool Run() const;            // Validate(), then skin; false when invalid
    bool RunReference() const;   // the same in plain scalar code, which Run must follow
};

// The deformer form of the job, for callers that keep a deformer per mesh.
bool MdlDeformVertices(const MdlMeshDeformer* deformer, const int* boneIndices, int boneIndexCount,
                       const MdlMatrix4* matrices, int matrixCount, int vertexCount, const void* sourceVertices,
                       void* destinationVertices);
