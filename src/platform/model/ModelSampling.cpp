// Sampling: curves at a time, the controls of an instance blended into a
// local pose, and the blend tree over that.
#include <cmath>

#include "platform/model/ModelMath.h"
#include "platform/model/ModelState.h"

struct MdlBlendDagNode {
    MdlModelInstance* instance;
};

// =============================================================================
// curves
// =============================================================================

// Index of the last key at or before `time`; the caller handles the ends.
static int FindKey(const MdlCurve& curve, float time)
{
    int low = 0, high = curve.keyCount - 1;
    while (high - low > 1) {
        int middle = (low + high) / 2;
        if (curve.times[middle] <= time) low = middle;
        else high = middle;
    }
    return low;
}

static const float* KeyValue(const MdlCurve& curve, int key, int part)   // part: 0 in, 1 value, 2 out (cubic)
{
    if (curve.interpolation != MDL_INTERPOLATE_CUBIC) return curve.values + key * curve.dimension;
    return curve.values + (key * 3 + part) * curve.dimension;
}

static void Hermite(const MdlCurve& curve, int key, float s, float span, float* out)
{
    float s2 = s * s, s3 = s2 * s;
    float h00 = 2 * s3 - 3 * s2 + 1, h10 = s3 - 2 * s2 + s, h01 = -2 * s3 + 3 * s2, h11 = s3 - s2;
    const float* v0 = KeyValue(curve, key, 1);
    const float* b0 = KeyValue(curve, key, 2);
    const float* v1 = KeyValue(curve, key + 1, 1);
    const float* a1 = KeyValue(curve, key + 1, 0);
    for (int i = 0; i < curve.dimension; ++i) out[i] = h00 * v0[i] + h10 * span * b0[i] + h01 * v1[i] + h11 * span * a1[i];
}

// Leaves `out` alone when the curve has no keys, so the rest value stays.
static void SampleCurve(const MdlCurve& curve, float time, float* out)
{
    if (curve.keyCount <= 0) return;
    int last = curve.keyCount - 1;
    const float* value = nullptr;
    if (time <= curve.times[0]) value = KeyValue(curve, 0, 1);
    else if (time >= curve.times[last]) value = KeyValue(curve, last, 1);
    int key = value ? 0 : FindKey(curve, time);
    float span = value ? 0 : curve.times[key + 1] - curve.times[key];
    if (!value && (curve.interpolation == MDL_INTERPOLATE_STEP || !(span > 0))) value = KeyValue(curve, key, 1);
    if (value) {
        memcpy(out, value, size_t(curve.dimension) * sizeof(float));
        return;
    }
    float s = (time - curve.times[key]) / span;
    if (curve.interpolation == MDL_INTERPOLATE_CUBIC) {
        Hermite(curve, key, s, span, out);
    } else if (curve.dimension == 4) {
        MdlSlerp(KeyValue(curve, key, 1), KeyValue(curve, key + 1, 1), s, out);
    } else {
        const float* a = KeyValue(curve, key, 1);
        const float* b = KeyValue(curve, key + 1, 1);
        for (int i = 0; i < curve.dimension; ++i) out[i] = a[i] + (b[i] - a[i]) * s;
    }
}

void MdlSampleTrack(const MdlTrack& track, const MdlTransform& rest, float time, MdlTransform* result)
{
    *result = rest;
    SampleCurve(track.position, time, result->position);
    SampleCurve(track.orientation, time, result->orientation);
    SampleCurve(track.scale, time, result->scale);
    MdlNormalizeQuaternion(result->orientation);   // cubic and lerped keys drift off unit length
}

// =============================================================================
// blending
// =============================================================================

static void Accumulate(MdlBlendSum* sum, const MdlTransform& transform, float weight)
{
    const float* q = transform.orientation;
    float dot = sum->orientation[0] * q[0] + sum->orientation[1] * q[1] + sum->orientation[2] * q[2] +
                sum->orientation[3] * q[3];
    float signedWeight = dot < 0 ? -weight : weight;   // q and -q are one rotation: add on the same side
    for (int i = 0; i < 3; ++i) sum->position[i] += transform.position[i] * weight;
    for (int i = 0; i < 4; ++i) sum->orientation[i] += q[i] * signedWeight;
    for (int i = 0; i < 3; ++i) sum->scale[i] += transform.scale[i] * weight;
    sum->weight += weight;
}

static void AccumulateControl(const MdlControl* control, const MdlSkeleton* skeleton, MdlLocalPose* pose)
{
    float weight = MdlGetControlEffectiveWeight(control);
    if (!(weight > 0)) return;
    float time = MdlGetControlLocalClock(control);
    int count = control->boneCount < skeleton->boneCount ? control->boneCount : skeleton->boneCount;
    for (int bone = 0; bone < count; ++bone) {
        int track = control->trackOfBone[bone];
        float boneWeight = weight * (control->boneWeights ? control->boneWeights[bone] : 1.0f);
        if (track < 0 || !(boneWeight > 0)) continue;
        MdlTransform sampled;
        MdlSampleTrack(control->animation->tracks[track], skeleton->bones[bone].localTransform, time, &sampled);
        Accumulate(&pose->sums[bone], sampled, boneWeight);
    }
}

static void FinishBone(MdlBlendSum* sum, const MdlTransform& rest, MdlTransform* out)
{
    if (sum->weight < 1) Accumulate(sum, rest, 1 - sum->weight);   // the rest pose fills what the controls leave
    float inverse = 1.0f / sum->weight;
    for (int i = 0; i < 3; ++i) out->position[i] = sum->position[i] * inverse;
    for (int i = 0; i < 4; ++i) out->orientation[i] = sum->orientation[i];
    for (int i = 0; i < 3; ++i) out->scale[i] = sum->scale[i] * inverse;
    MdlNormalizeQuaternion(out->orientation);
}

bool MdlSampleModelAnimations(const MdlModelInstance* instance, MdlLocalPose* pose)
{
    if (!instance || !pose) return false;
    const MdlSkeleton* skeleton = instance->model->skeleton;
    if (pose->boneCount < skeleton->boneCount) return false;
    memset(pose->sums, 0, size_t(skeleton->boneCount) * sizeof(MdlBlendSum));
    for (const MdlControl* control = instance->firstControl; control; control = control->next)
        AccumulateControl(control, skeleton, pose);
    for (int bone = 0; bone < skeleton->boneCount; ++bone)
        FinishBone(&pose->sums[bone], skeleton->bones[bone].localTransform, &pose->transforms[bone]);
    return true;
}

// =============================================================================
// the blend tree
// =============================================================================

MdlBlendDagNode* MdlCreateBlendDagNodeAnimationBlend(MdlModelInstance* instance)
{
    if (!instance) return nullptr;
    MdlBlendDagNode* node = MDL_NEW(MdlBlendDagNode);
    if (node) node->instance = instance;
    return node;
}

void MdlSetBlendDagTreeClock(MdlBlendDagNode* node, float gameTime)
{
    if (!node) return;
    for (MdlControl* control = node->instance->firstControl; control; control = control->next)
        MdlSetControlClock(control, gameTime);
}

bool MdlSampleBlendDagTree(const MdlBlendDagNode* node, MdlLocalPose* pose)
{
    return node && MdlSampleModelAnimations(node->instance, pose);
}

void MdlBlendDagFreeCompletedControlsEntireTree(MdlBlendDagNode* node)
{
    if (!node) return;
    MdlControl* control = node->instance->firstControl;
    while (control) {
        MdlControl* next = control->next;
        if (MdlControlIsComplete(control)) MdlFreeControl(control);
        control = next;
    }
}

// The node does not own its instance: the instance outlives the tree.
void MdlFreeBlendDagEntireTree(MdlBlendDagNode* node) { MDL_RELEASE(node); }
