// Small maths over the runtime's value types, and the two ray tests used
// for picking.  Matrices are row-major and used with row vectors; see
// ModelBase.h.
#pragma once
#include "platform/model/ModelBase.h"

void MdlMakeIdentity(MdlTransform* transform);
void MdlMakeIdentity4x4(MdlMatrix4* matrix);
// transform := transform followed, in its own frame, by `post`: the
// orientation becomes transform.orientation * post.orientation.  Scales
// multiply per axis, exact for uniform scales.
void MdlPostMultiplyBy(MdlTransform* transform, const MdlTransform* post);
void MdlBuildCompositeTransform4x4(const MdlTransform* transform, MdlMatrix4* result);
// result = a * b (apply a, then b).  `result` may alias either input.
void MdlMultiply4x4(const MdlMatrix4* a, const MdlMatrix4* b, MdlMatrix4* result);
// Inverse of an affine matrix (last column 0, 0, 0, 1); false when singular.
bool MdlInvertAffine4x4(const MdlMatrix4* matrix, MdlMatrix4* result);
void MdlTransformPoint(const MdlMatrix4* matrix, const float point[3], float result[3]);
void MdlTransformDirection(const MdlMatrix4* matrix, const float direction[3], float result[3]);

void MdlNormalizeQuaternion(float q[4]);
// Rotation matrix (row-vector form, 3x3 row-major) of a unit quaternion.
void MdlQuaternionToMatrix3(const float q[4], float m[9]);
void MdlMatrix3ToQuaternion(const float m[9], float q[4]);
// Shortest-path spherical interpolation, t in [0, 1].
void MdlSlerp(const float a[4], const float b[4], float t, float result[4]);

// Ray against the box [boxMin, boxMax] placed by `boxToWorld`.  On a hit
// stores the ray parameter of the entry point (0 when the origin is inside)
// in `distance`; the direction need not be unit length.
bool MdlRayIntersectsBoxAt(const MdlMatrix4* boxToWorld, const float boxMin[3], const float boxMax[3],
                           const float origin[3], const float direction[3], float* distance);

struct MdlTriangleHit {
    float distance;     // ray parameter of the hit
    bool backFacing;    // the ray travels along the triangle's normal (v1-v0) x (v2-v0)
};
// 1 when the ray hits the triangle at a distance >= 0, else 0.
int MdlRayIntersectsTriangleAt(const float v0[3], const float v1[3], const float v2[3], const float origin[3],
                               const float direction[3], MdlTriangleHit* hit);
