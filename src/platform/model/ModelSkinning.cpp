// The skinning job: per vertex, blend up to four composite matrices by
// weight and move the position (and normal) by the blend.  Only the 3x4
// affine part is blended; the last column of a composite is (0, 0, 0, 1).
//
// Two forms: the scalar reference (RunReference) and the one Run uses, which
// keeps each matrix row in four lanes (x, y, z, 0) so that a blend is a few
// vector multiply-adds; it follows the reference within float rounding.
#include <algorithm>
#include <cmath>

#if defined(__x86_64__) || defined(__i386__)
#define MDL_SKIN_X86 1
#include <immintrin.h>
#endif

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

bool MdlSkinningJob::RunReference() const
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

#ifdef MDL_SKIN_X86
namespace {

// Rows in lanes: row r of vertex bone byte i at rows[4 * i + r]; the entry
// past the bone table is zero and takes every stray byte.
struct RowTable {
    alignas(32) float rows[257 * 4][4];
    int count = 0;   // real entries
};

void FillRows(const MdlSkinningJob& job, RowTable* table)
{
    table->count = std::min(job.boneIndexCount, 256);
    for (int i = 0; i <= table->count; ++i) {
        int index = i < table->count ? job.boneIndices[i] : -1;
        bool real = index >= 0 && index < job.matrixCount;
        for (int row = 0; row < 4; ++row)
            for (int column = 0; column < 4; ++column)
                table->rows[4 * i + row][column] =
                    real && column < 3 ? job.matrices[index].m[row * 4 + column] : 0.0f;
    }
}

inline const float* RowsOf(const RowTable& table, uint8_t bone)
{
    return table.rows[4 * std::min(int(bone), table.count)];
}

// Writes position, normal and uv of one vertex from the blended rows.
inline void StoreVertex(__m128 position, __m128 normal, const MdlSkinnedVertex& in, MdlVertexPNT* out)
{
    // [px py pz nx] [ny nz u v]
    __m128 uv = _mm_setr_ps(in.uv[0], in.uv[1], 0.0f, 0.0f);   // uv is only 4-byte aligned
    __m128 first = _mm_shuffle_ps(position, _mm_shuffle_ps(position, normal, _MM_SHUFFLE(0, 0, 2, 2)),
                                  _MM_SHUFFLE(2, 0, 1, 0));
    __m128 second = _mm_shuffle_ps(normal, uv, _MM_SHUFFLE(1, 0, 2, 1));
    auto* bytes = reinterpret_cast<float*>(out);   // 32 bytes: eight floats
    _mm_storeu_ps(bytes, first);
    _mm_storeu_ps(bytes + 4, second);
}

inline __m128 Normalised(__m128 v)
{
    __m128 squares = _mm_mul_ps(v, v);
    __m128 sum = _mm_add_ss(_mm_add_ss(squares, _mm_shuffle_ps(squares, squares, 1)),
                            _mm_shuffle_ps(squares, squares, 2));
    // The estimate's 12 bits and one Newton step give about 23: well inside
    // what the reference comparison allows, at a fraction of a divide and a
    // square root.
    __m128 estimate = _mm_rsqrt_ss(sum);
    __m128 halfSum = _mm_mul_ss(sum, _mm_set_ss(0.5f));
    __m128 scale = _mm_mul_ss(estimate, _mm_sub_ss(_mm_set_ss(1.5f),
                                                   _mm_mul_ss(halfSum, _mm_mul_ss(estimate, estimate))));
    if (!(_mm_cvtss_f32(sum) > 1e-30f)) scale = _mm_setzero_ps();
    return _mm_mul_ps(v, _mm_shuffle_ps(scale, scale, 0));
}

void SkinSse2(const MdlSkinningJob& job, const RowTable& table)
{
    for (int v = 0; v < job.vertexCount; ++v) {
        const MdlSkinnedVertex& in = job.source[v];
        const float* m = RowsOf(table, in.bones[0]);
        __m128 w = _mm_set1_ps(in.weights[0]);
        __m128 r0 = _mm_mul_ps(_mm_load_ps(m), w), r1 = _mm_mul_ps(_mm_load_ps(m + 4), w);
        __m128 r2 = _mm_mul_ps(_mm_load_ps(m + 8), w), r3 = _mm_mul_ps(_mm_load_ps(m + 12), w);
        for (int k = 1; k < MDL_MAX_INFLUENCES; ++k) {
            if (in.weights[k] == 0) continue;   // most vertices use one or two bones
            m = RowsOf(table, in.bones[k]);
            w = _mm_set1_ps(in.weights[k]);
            r0 = _mm_add_ps(r0, _mm_mul_ps(_mm_load_ps(m), w));
            r1 = _mm_add_ps(r1, _mm_mul_ps(_mm_load_ps(m + 4), w));
            r2 = _mm_add_ps(r2, _mm_mul_ps(_mm_load_ps(m + 8), w));
            r3 = _mm_add_ps(r3, _mm_mul_ps(_mm_load_ps(m + 12), w));
        }
        const float *p = in.position, *n = in.normal;
        __m128 position = _mm_add_ps(_mm_add_ps(_mm_mul_ps(_mm_set1_ps(p[0]), r0), _mm_mul_ps(_mm_set1_ps(p[1]), r1)),
                                     _mm_add_ps(_mm_mul_ps(_mm_set1_ps(p[2]), r2), r3));
        __m128 normal = _mm_setr_ps(n[0], n[1], n[2], 0);
        if (job.mode == MDL_DEFORM_POSITION_NORMAL)
            normal = Normalised(_mm_add_ps(_mm_add_ps(_mm_mul_ps(_mm_set1_ps(n[0]), r0), _mm_mul_ps(_mm_set1_ps(n[1]), r1)),
                                           _mm_mul_ps(_mm_set1_ps(n[2]), r2)));
        StoreVertex(position, normal, in, &job.destination[v]);
    }
}

// (a a a a | b b b b) from two values in memory.
__attribute__((target("avx2"))) inline __m256 Pair(const float& a, const float& b)
{
    return _mm256_blend_ps(_mm256_broadcast_ss(&a), _mm256_broadcast_ss(&b), 0xF0);
}
__attribute__((target("avx2"))) inline __m256 PairOne(const float& a, float b)
{
    return _mm256_blend_ps(_mm256_broadcast_ss(&a), _mm256_set1_ps(b), 0xF0);
}

// Two rows per register: (x | y) and (z | position), blended with fused multiply-adds.
__attribute__((target("avx2,fma"))) void SkinAvx2(const MdlSkinningJob& job, const RowTable& table)
{
    for (int v = 0; v < job.vertexCount; ++v) {
        const MdlSkinnedVertex& in = job.source[v];
        const float* m = RowsOf(table, in.bones[0]);
        __m256 w = _mm256_set1_ps(in.weights[0]);
        __m256 xy = _mm256_mul_ps(_mm256_load_ps(m), w), zp = _mm256_mul_ps(_mm256_load_ps(m + 8), w);
        for (int k = 1; k < MDL_MAX_INFLUENCES; ++k) {
            if (in.weights[k] == 0) continue;
            m = RowsOf(table, in.bones[k]);
            w = _mm256_set1_ps(in.weights[k]);
            xy = _mm256_fmadd_ps(_mm256_load_ps(m), w, xy);
            zp = _mm256_fmadd_ps(_mm256_load_ps(m + 8), w, zp);
        }
        const float *p = in.position, *n = in.normal;
        __m256 moved = _mm256_fmadd_ps(Pair(p[0], p[1]), xy, _mm256_mul_ps(PairOne(p[2], 1.0f), zp));
        __m128 position = _mm_add_ps(_mm256_castps256_ps128(moved), _mm256_extractf128_ps(moved, 1));
        __m128 normal = _mm_setr_ps(n[0], n[1], n[2], 0);
        if (job.mode == MDL_DEFORM_POSITION_NORMAL) {
            __m256 turned = _mm256_fmadd_ps(Pair(n[0], n[1]), xy, _mm256_mul_ps(PairOne(n[2], 0.0f), zp));
            normal = Normalised(_mm_add_ps(_mm256_castps256_ps128(turned), _mm256_extractf128_ps(turned, 1)));
        }
        StoreVertex(position, normal, in, &job.destination[v]);
    }
}

}  // namespace

bool MdlSkinningJob::Run() const
{
    if (!Validate()) return false;
    static const bool avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    RowTable table;
    FillRows(*this, &table);
    if (avx2) SkinAvx2(*this, table);
    else SkinSse2(*this, table);
    return true;
}
#else
bool MdlSkinningJob::Run() const { return RunReference(); }
#endif

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
