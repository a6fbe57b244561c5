// The skinning job: per vertex, blend up to four composite matrices by
// weight and move the position (and normal) by the blend.  Only the 3x4
// affine part is blended; the last column of a composite is (0, 0, 0, 1).
#include <cmath>

#include "platform/model/ModelInternal.h"
#include "platform/model/ModelMesh.h"

struct MdlMeshDeformer {
    MdlDeformMode mode;
};

namespace {

struct Affine {
    float m[12];   // rows x, y, z, position; three columns each
};

// Every vertex bone byte maps to a matrix; bytes past the bone table map
// to zero, so a stray index adds nothing instead of reading outside.
struct MatrixTable {
    Affine byVertexBone[256];
};

}  // namespace

static void LoadAffine(const MdlMatrix4& matrix, Affine* out)
{
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 3; ++column) out->m[row * 3 + column] = matrix.m[row * 4 + column];
}

static void FillTable(const MdlSkinningJob& job, MatrixTable* table)
{
    for (int i = 0; i < 256; ++i) {
        int index = i < job.boneIndexCount ? job.boneIndices[i] : -1;
        if (index >= 0 && index < job.matrixCount) LoadAffine(job.matrices[index], &table->byVertexBone[i]);
        else table->byVertexBone[i] = Affine{};
    }
}

static void Blend(const MatrixTable& table, const MdlSkinnedVertex& vertex, Affine* blend)
{
    const float* first = table.byVertexBone[vertex.bones[0]].m;
    float w = vertex.weights[0];
    for (int i = 0; i < 12; ++i) blend->m[i] = first[i] * w;
    for (int k = 1; k < MDL_MAX_INFLUENCES; ++k) {
        w = vertex.weights[k];
        if (w == 0) continue;   // most vertices use one or two bones
        const float* m = table.byVertexBone[vertex.bones[k]].m;
        for (int i = 0; i < 12; ++i) blend->m[i] += m[i] * w;
    }
}

static void SkinVertex(const Affine& b, const MdlSkinnedVertex& in, MdlDeformMode mode, MdlVertexPNT* out)
{
    const float* p = in.position;
    for (int c = 0; c < 3; ++c) out->position[c] = p[0] * b.m[c] + p[1] * b.m[3 + c] + p[2] * b.m[6 + c] + b.m[9 + c];
    out->uv[0] = in.uv[0], out->uv[1] = in.uv[1];
    const float* n = in.normal;
    if (mode != MDL_DEFORM_POSITION_NORMAL) {
        out->normal[0] = n[0], out->normal[1] = n[1], out->normal[2] = n[2];
        return;
    }
    float x = n[0] * b.m[0] + n[1] * b.m[3] + n[2] * b.m[6];
    float y = n[0] * b.m[1] + n[1] * b.m[4] + n[2] * b.m[7];
    float z = n[0] * b.m[2] + n[1] * b.m[5] + n[2] * b.m[8];
    float lengthSquared = x * x + y * y + z * z;
    float scale = lengthSquared > 1e-30f ? 1.0f / std::sqrt(lengthSquared) : 0.0f;
    out->normal[0] = x * scale, out->normal[1] = y * scale, out->normal[2] = z * scale;
}

bool MdlSkinningJob::Validate() const
{
    if (vertexCount < 0 || boneIndexCount < 0 || matrixCount < 0) return false;
    if (mode != MDL_DEFORM_POSITION && mode != MDL_DEFORM_POSITION_NORMAL) return false;
    if (vertexCount > 0 && (!source || !destination)) return false;
    if (boneIndexCount > 0 && !boneIndices) return false;
    return matrixCount == 0 || matrices;
}

bool MdlSkinningJob::Run() const
{
    if (!Validate()) return false;
    MatrixTable table;
    FillTable(*this, &table);
    Affine blend;
    for (int v = 0; v < vertexCount; ++v) {
        Blend(table, source[v], &blend);
        SkinVertex(blend, source[v], mode, &destination[v]);
    }
    return true;
}

MdlMeshDeformer* MdlNewMeshDeformer(MdlVertexLayout from, MdlVertexLayout to, MdlDeformMode mode)
{
    if (from != MDL_LAYOUT_SKINNED || to != MDL_LAYOUT_PNT) return nullptr;
    if (mode != MDL_DEFORM_POSITION && mode != MDL_DEFORM_POSITION_NORMAL) return nullptr;
    MdlMeshDeformer* deformer = MDL_NEW(MdlMeshDeformer);
    if (deformer) deformer->mode = mode;
    return deformer;
}

void MdlFreeMeshDeformer(MdlMeshDeformer* deformer) { MDL_RELEASE(deformer); }

bool MdlDeformVertices(const MdlMeshDeformer* deformer, const int* boneIndices, int boneIndexCount,
                       const MdlMatrix4* matrices, int matrixCount, int vertexCount, const void* sourceVertices,
                       void* destinationVertices)
{
    if (!deformer) return false;
    MdlSkinningJob job;
    job.mode = deformer->mode;
    job.vertexCount = vertexCount;
    job.source = static_cast<const MdlSkinnedVertex*>(sourceVertices);
    job.destination = static_cast<MdlVertexPNT*>(destinationVertices);
    job.boneIndexCount = boneIndexCount;
    job.boneIndices = boneIndices;
    job.matrixCount = matrixCount;
    job.matrices = matrices;
    return job.Run();
}
