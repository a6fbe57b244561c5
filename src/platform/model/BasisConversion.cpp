// Converting a file's data into the caller's coordinate system.
//
// The conversion L (row vectors: p' = p L) must be a uniform scale s times
// a signed permutation P, which is all that swapping, mirroring and scaling
// axes can give.  Under it positions scale and permute, normals permute,
// scales permute, and a rotation R becomes P^T R P, whose quaternion has
// vector part det(P) * (v P) and the same w.  Bind matrices become
// L^-1 M L.  When det(P) < 0 the handedness flips, so triangle corners are
// swapped to keep front faces in front.
#include <cmath>

#include "platform/model/ModelImport.h"
#include "platform/model/ModelMath.h"

namespace {

struct AxisMap {
    int to[3];        // file axis i becomes axis to[i]
    float sign[3];
    float scale;
    float handedness; // det(P): -1 when the conversion mirrors
};

}  // namespace

static double Determinant3(const double m[9])
{
    return m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6]) + m[2] * (m[3] * m[7] - m[4] * m[6]);
}

static bool Invert3(const double m[9], double r[9])
{
    double determinant = Determinant3(m);
    if (!(std::fabs(determinant) > 1e-12)) return false;
    r[0] = (m[4] * m[8] - m[5] * m[7]) / determinant, r[1] = (m[2] * m[7] - m[1] * m[8]) / determinant;
    r[2] = (m[1] * m[5] - m[2] * m[4]) / determinant, r[3] = (m[5] * m[6] - m[3] * m[8]) / determinant;
    r[4] = (m[0] * m[8] - m[2] * m[6]) / determinant, r[5] = (m[2] * m[3] - m[0] * m[5]) / determinant;
    r[6] = (m[3] * m[7] - m[4] * m[6]) / determinant, r[7] = (m[1] * m[6] - m[0] * m[7]) / determinant;
    r[8] = (m[0] * m[4] - m[1] * m[3]) / determinant;
    return true;
}

static void Multiply3(const double a[9], const double b[9], double r[9])
{
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            r[row * 3 + column] = a[row * 3] * b[column] + a[row * 3 + 1] * b[3 + column] + a[row * 3 + 2] * b[6 + column];
}

static void Rows(const float a[3], const float b[3], const float c[3], double m[9])
{
    for (int i = 0; i < 3; ++i) m[i] = a[i], m[3 + i] = b[i], m[6 + i] = c[i];
}

bool MdlComputeBasisConversion(const MdlFileInfo* info, float unitsPerMeter, const float origin[3],
                               const float right[3], const float up[3], const float back[3],
                               MdlBasisConversion* conversion)
{
    if (!info || !origin || !right || !up || !back || !conversion) return false;
    if (!(unitsPerMeter > 0) || !(info->unitsPerMeter > 0)) return false;
    double from[9], to[9], fromInverse[9], linear[9], inverse[9];
    Rows(info->right, info->up, info->back, from);
    Rows(right, up, back, to);
    if (!Invert3(from, fromInverse)) return false;
    Multiply3(fromInverse, to, linear);   // file coordinates -> axis amounts -> caller coordinates
    double scale = double(unitsPerMeter) / info->unitsPerMeter;
    for (double& value : linear) value *= scale;
    if (!Invert3(linear, inverse)) return false;
    for (int i = 0; i < 9; ++i) conversion->linear[i] = float(linear[i]), conversion->inverseLinear[i] = float(inverse[i]);
    for (int i = 0; i < 3; ++i) conversion->affine[i] = origin[i] - info->origin[i];
    return true;
}

// Reads L as s * P; false when it is not one within the tolerance.
static bool ReadAxisMap(const float linear[9], float tolerance, AxisMap* map)
{
    double m[9];
    for (int i = 0; i < 9; ++i) m[i] = linear[i];
    double determinant = Determinant3(m);
    if (!std::isfinite(determinant) || std::fabs(determinant) < 1e-18) return false;
    map->scale = float(std::cbrt(std::fabs(determinant)));
    map->handedness = determinant < 0 ? -1.0f : 1.0f;
    for (int row = 0; row < 3; ++row) {
        map->to[row] = -1;
        for (int column = 0; column < 3; ++column) {
            float unit = linear[row * 3 + column] / map->scale;
            if (std::fabs(std::fabs(unit) - 1) <= tolerance && map->to[row] < 0) {
                map->to[row] = column, map->sign[row] = unit < 0 ? -1.0f : 1.0f;
            } else if (std::fabs(unit) > tolerance) {
                return false;
            }
        }
        if (map->to[row] < 0) return false;
    }
    return map->to[0] != map->to[1] && map->to[1] != map->to[2] && map->to[0] != map->to[2];
}

// =============================================================================
// applying the map to each kind of value
// =============================================================================

static void MapVector(const AxisMap& map, float* v, float scale)
{
    float out[3];
    for (int i = 0; i < 3; ++i) out[map.to[i]] = v[i] * map.sign[i] * scale;
    memcpy(v, out, sizeof out);
}

static void MapScale(const AxisMap& map, float* s)
{
    float out[3];
    for (int i = 0; i < 3; ++i) out[map.to[i]] = s[i];
    memcpy(s, out, sizeof out);
}

static void MapQuaternion(const AxisMap& map, float* q)
{
    MapVector(map, q, map.handedness);   // w is untouched
}

static void MapMatrix(const AxisMap& map, MdlMatrix4* matrix)
{
    MdlMatrix4 linear{}, inverse{};
    for (int i = 0; i < 3; ++i) {
        linear.m[i * 4 + map.to[i]] = map.sign[i] * map.scale;
        inverse.m[map.to[i] * 4 + i] = map.sign[i] / map.scale;
    }
    linear.m[15] = inverse.m[15] = 1;
    MdlMultiply4x4(&inverse, matrix, matrix);
    MdlMultiply4x4(matrix, &linear, matrix);
}

static void MapSkeleton(const AxisMap& map, const MdlSkeleton* skeleton)
{
    MdlBone* bones = const_cast<MdlBone*>(skeleton->bones);   // the file owns its data; conversion is its one write
    for (int b = 0; b < skeleton->boneCount; ++b) {
        MapVector(map, bones[b].localTransform.position, map.scale);
        MapQuaternion(map, bones[b].localTransform.orientation);
        MapScale(map, bones[b].localTransform.scale);
        MapMatrix(map, &bones[b].inverseWorld);
    }
}

static void MapMesh(const AxisMap& map, const MdlMesh* mesh, unsigned flags)
{
    MdlSkinnedVertex* vertices = const_cast<MdlSkinnedVertex*>(mesh->vertices);
    for (int v = 0; v < mesh->vertexCount; ++v) {
        MapVector(map, vertices[v].position, map.scale);
        MapVector(map, vertices[v].normal, 1);
        float* n = vertices[v].normal;
        float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        if ((flags & MDL_RENORMALIZE_NORMALS) && length > 1e-20f) n[0] /= length, n[1] /= length, n[2] /= length;
    }
    if (map.handedness < 0 && (flags & MDL_REORDER_TRIANGLE_INDICES)) {
        uint32_t* indices = const_cast<uint32_t*>(mesh->indices);
        for (int t = 0; t < mesh->triangleCount; ++t) std::swap(indices[t * 3 + 1], indices[t * 3 + 2]);
    }
}

static void MapCurve(const AxisMap& map, const MdlCurve& curve, bool rotation, bool isScale)
{
    float* values = const_cast<float*>(curve.values);
    int perKey = curve.interpolation == MDL_INTERPOLATE_CUBIC ? 3 : 1;
    for (int i = 0; i < curve.keyCount * perKey; ++i) {
        float* value = values + i * curve.dimension;
        if (rotation) MapQuaternion(map, value);   // linear in q, so tangents map alike
        else if (isScale) MapScale(map, value);
        else MapVector(map, value, map.scale);
    }
}

static void MapAnimation(const AxisMap& map, const MdlAnimation* animation)
{
    for (int t = 0; t < animation->trackCount; ++t) {
        const MdlTrack& track = animation->tracks[t];
        MapCurve(map, track.position, false, false);
        MapCurve(map, track.orientation, true, false);
        MapCurve(map, track.scale, false, true);
    }
}

bool MdlTransformFile(MdlFile* file, const MdlBasisConversion* conversion, float affineTolerance,
                      float linearTolerance, unsigned flags)
{
    AxisMap map;
    if (!file || !conversion || !ReadAxisMap(conversion->linear, linearTolerance, &map)) return false;
    for (float offset : conversion->affine)
        if (!(std::fabs(offset) <= affineTolerance)) return false;   // moving the origin is not supported
    if (MdlModel* model = file->model) {
        MapSkeleton(map, model->skeleton);
        for (int m = 0; m < model->meshCount; ++m) {
            MapMesh(map, model->meshes[m], flags);
            if (!MdlComputeBoneBindingBounds(const_cast<MdlMesh*>(model->meshes[m]), model->skeleton, &file->arena))
                return false;
        }
    }
    if (file->animation) MapAnimation(map, file->animation);
    MapVector(map, file->info.right, 1);   // the info now describes the converted data
    MapVector(map, file->info.up, 1);
    MapVector(map, file->info.back, 1);
    file->info.unitsPerMeter *= map.scale;
    file->transformed = true;
    return true;
}
