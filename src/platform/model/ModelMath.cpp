// Transforms, matrices, quaternions and the ray tests.
#include <cmath>

#include "platform/model/ModelInternal.h"
#include "platform/model/ModelMath.h"

// =============================================================================
// transforms
// =============================================================================

void MdlMakeIdentity(MdlTransform* transform)
{
    *transform = MdlTransform{{0, 0, 0}, {0, 0, 0, 1}, {1, 1, 1}};
}

void MdlMakeIdentity4x4(MdlMatrix4* matrix)
{
    *matrix = MdlMatrix4{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
}

static void QuaternionMultiply(const float a[4], const float b[4], float result[4])
{
    float x = a[3] * b[0] + a[0] * b[3] + a[1] * b[2] - a[2] * b[1];
    float y = a[3] * b[1] - a[0] * b[2] + a[1] * b[3] + a[2] * b[0];
    float z = a[3] * b[2] + a[0] * b[1] - a[1] * b[0] + a[2] * b[3];
    float w = a[3] * b[3] - a[0] * b[0] - a[1] * b[1] - a[2] * b[2];
    result[0] = x, result[1] = y, result[2] = z, result[3] = w;
}

void MdlPostMultiplyBy(MdlTransform* transform, const MdlTransform* post)
{
    float scaled[3];
    for (int i = 0; i < 3; ++i) scaled[i] = transform->scale[i] * post->position[i];
    float rotation[9];
    MdlQuaternionToMatrix3(transform->orientation, rotation);
    for (int column = 0; column < 3; ++column) {   // rows are axes, so a column-vector turn reads down columns
        transform->position[column] +=
            scaled[0] * rotation[column] + scaled[1] * rotation[3 + column] + scaled[2] * rotation[6 + column];
    }
    QuaternionMultiply(transform->orientation, post->orientation, transform->orientation);
    for (int i = 0; i < 3; ++i) transform->scale[i] *= post->scale[i];
}

void MdlBuildCompositeTransform4x4(const MdlTransform* transform, MdlMatrix4* result)
{
    float rotation[9];
    MdlQuaternionToMatrix3(transform->orientation, rotation);
    float* m = result->m;
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) m[row * 4 + column] = transform->scale[row] * rotation[row * 3 + column];
        m[row * 4 + 3] = 0;
    }
    m[12] = transform->position[0], m[13] = transform->position[1], m[14] = transform->position[2], m[15] = 1;
}

// =============================================================================
// matrices
// =============================================================================

void MdlMultiply4x4(const MdlMatrix4* a, const MdlMatrix4* b, MdlMatrix4* result)
{
    MdlMatrix4 product;
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            float sum = 0;
            for (int k = 0; k < 4; ++k) sum += a->m[row * 4 + k] * b->m[k * 4 + column];
            product.m[row * 4 + column] = sum;
        }
    }
    *result = product;
}

bool MdlInvertAffine4x4(const MdlMatrix4* matrix, MdlMatrix4* result)
{
    const float* m = matrix->m;
    float c00 = m[5] * m[10] - m[6] * m[9], c01 = m[6] * m[8] - m[4] * m[10], c02 = m[4] * m[9] - m[5] * m[8];
    float determinant = m[0] * c00 + m[1] * c01 + m[2] * c02;
    if (!(std::fabs(determinant) > 1e-30f) || !MdlIsFinite(determinant)) return false;
    float s = 1.0f / determinant;
    MdlMatrix4 inverse;
    float* r = inverse.m;
    r[0] = c00 * s, r[1] = (m[2] * m[9] - m[1] * m[10]) * s, r[2] = (m[1] * m[6] - m[2] * m[5]) * s;
    r[4] = c01 * s, r[5] = (m[0] * m[10] - m[2] * m[8]) * s, r[6] = (m[2] * m[4] - m[0] * m[6]) * s;
    r[8] = c02 * s, r[9] = (m[1] * m[8] - m[0] * m[9]) * s, r[10] = (m[0] * m[5] - m[1] * m[4]) * s;
    r[3] = r[7] = r[11] = 0, r[15] = 1;
    for (int column = 0; column < 3; ++column)
        r[12 + column] = -(m[12] * r[column] + m[13] * r[4 + column] + m[14] * r[8 + column]);
    *result = inverse;
    return true;
}

void MdlTransformPoint(const MdlMatrix4* matrix, const float point[3], float result[3])
{
    const float* m = matrix->m;
    float x = point[0], y = point[1], z = point[2];
    for (int c = 0; c < 3; ++c) result[c] = x * m[c] + y * m[4 + c] + z * m[8 + c] + m[12 + c];
}

void MdlTransformDirection(const MdlMatrix4* matrix, const float direction[3], float result[3])
{
    const float* m = matrix->m;
    float x = direction[0], y = direction[1], z = direction[2];
    for (int c = 0; c < 3; ++c) result[c] = x * m[c] + y * m[4 + c] + z * m[8 + c];
}

// =============================================================================
// quaternions
// =============================================================================

void MdlNormalizeQuaternion(float q[4])
{
    float length = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
    if (!(length > 1e-20f)) {
        q[0] = q[1] = q[2] = 0, q[3] = 1;
        return;
    }
    for (int i = 0; i < 4; ++i) q[i] /= length;
}

void MdlQuaternionToMatrix3(const float q[4], float m[9])
{
    float x = q[0], y = q[1], z = q[2], w = q[3];
    m[0] = 1 - 2 * (y * y + z * z), m[1] = 2 * (x * y + z * w), m[2] = 2 * (x * z - y * w);
    m[3] = 2 * (x * y - z * w), m[4] = 1 - 2 * (x * x + z * z), m[5] = 2 * (y * z + x * w);
    m[6] = 2 * (x * z + y * w), m[7] = 2 * (y * z - x * w), m[8] = 1 - 2 * (x * x + y * y);
}

// Largest-diagonal method on the column form c(i, j) = m[j * 3 + i].
void MdlMatrix3ToQuaternion(const float m[9], float q[4])
{
    auto c = [m](int row, int column) { return m[column * 3 + row]; };
    float trace = c(0, 0) + c(1, 1) + c(2, 2);
    if (trace > 0) {
        float s = std::sqrt(trace + 1.0f) * 2;
        q[3] = 0.25f * s, q[0] = (c(2, 1) - c(1, 2)) / s, q[1] = (c(0, 2) - c(2, 0)) / s, q[2] = (c(1, 0) - c(0, 1)) / s;
    } else if (c(0, 0) > c(1, 1) && c(0, 0) > c(2, 2)) {
        float s = std::sqrt(1.0f + c(0, 0) - c(1, 1) - c(2, 2)) * 2;
        q[3] = (c(2, 1) - c(1, 2)) / s, q[0] = 0.25f * s, q[1] = (c(0, 1) + c(1, 0)) / s, q[2] = (c(0, 2) + c(2, 0)) / s;
    } else if (c(1, 1) > c(2, 2)) {
        float s = std::sqrt(1.0f + c(1, 1) - c(0, 0) - c(2, 2)) * 2;
        q[3] = (c(0, 2) - c(2, 0)) / s, q[0] = (c(0, 1) + c(1, 0)) / s, q[1] = 0.25f * s, q[2] = (c(1, 2) + c(2, 1)) / s;
    } else {
        float s = std::sqrt(1.0f + c(2, 2) - c(0, 0) - c(1, 1)) * 2;
        q[3] = (c(1, 0) - c(0, 1)) / s, q[0] = (c(0, 2) + c(2, 0)) / s, q[1] = (c(1, 2) + c(2, 1)) / s, q[2] = 0.25f * s;
    }
    MdlNormalizeQuaternion(q);
}

void MdlSlerp(const float a[4], const float b[4], float t, float result[4])
{
    float dot = a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3];
    float sign = dot < 0 ? -1.0f : 1.0f;   // the short way round
    dot *= sign;
    float wa = 1 - t, wb = t * sign;
    if (dot < 0.9995f) {                    // near-parallel: the lerp below is exact enough and stable
        float angle = std::acos(dot);
        float inverseSin = 1.0f / std::sin(angle);
        wa = std::sin((1 - t) * angle) * inverseSin;
        wb = std::sin(t * angle) * inverseSin * sign;
    }
    for (int i = 0; i < 4; ++i) result[i] = wa * a[i] + wb * b[i];
    MdlNormalizeQuaternion(result);
}

// =============================================================================
// rays
// =============================================================================

// Narrows [near, far] by one slab; false when the ray misses it.
static bool ClipSlab(float origin, float direction, float low, float high, float* nearT, float* farT)
{
    if (std::fabs(direction) < 1e-30f) return origin >= low && origin <= high;
    float t0 = (low - origin) / direction, t1 = (high - origin) / direction;
    if (t0 > t1) std::swap(t0, t1);
    if (t0 > *nearT) *nearT = t0;
    if (t1 < *farT) *farT = t1;
    return *nearT <= *farT;
}

bool MdlRayIntersectsBoxAt(const MdlMatrix4* boxToWorld, const float boxMin[3], const float boxMax[3],
                           const float origin[3], const float direction[3], float* distance)
{
    MdlMatrix4 worldToBox;
    if (!MdlInvertAffine4x4(boxToWorld, &worldToBox)) return false;
    float localOrigin[3], localDirection[3];
    MdlTransformPoint(&worldToBox, origin, localOrigin);
    MdlTransformDirection(&worldToBox, direction, localDirection);   // an affine map keeps the ray parameter
    float nearT = 0, farT = INFINITY;
    for (int axis = 0; axis < 3; ++axis) {
        if (!ClipSlab(localOrigin[axis], localDirection[axis], boxMin[axis], boxMax[axis], &nearT, &farT)) return false;
    }
    if (distance) *distance = nearT;
    return true;
}

static void Subtract(const float a[3], const float b[3], float r[3]) { r[0] = a[0] - b[0], r[1] = a[1] - b[1], r[2] = a[2] - b[2]; }
static float Dot(const float a[3], const float b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
static void Cross(const float a[3], const float b[3], float r[3])
{
    r[0] = a[1] * b[2] - a[2] * b[1], r[1] = a[2] * b[0] - a[0] * b[2], r[2] = a[0] * b[1] - a[1] * b[0];
}

int MdlRayIntersectsTriangleAt(const float v0[3], const float v1[3], const float v2[3], const float origin[3],
                               const float direction[3], MdlTriangleHit* hit)
{
    float edge1[3], edge2[3], p[3], s[3], q[3];
    Subtract(v1, v0, edge1);
    Subtract(v2, v0, edge2);
    Cross(direction, edge2, p);
    float determinant = Dot(edge1, p);   // = -direction . (edge1 x edge2): its sign tells the side
    if (std::fabs(determinant) < 1e-12f) return 0;
    float inverse = 1.0f / determinant;
    Subtract(origin, v0, s);
    float u = Dot(s, p) * inverse;
    if (u < 0 || u > 1) return 0;
    Cross(s, edge1, q);
    float v = Dot(direction, q) * inverse;
    if (v < 0 || u + v > 1) return 0;
    float t = Dot(edge2, q) * inverse;
    if (!(t >= 0)) return 0;
    if (hit) *hit = MdlTriangleHit{t, determinant < 0};
    return 1;
}
