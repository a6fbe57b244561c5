// Controls: creation and binding to an instance, clocks, loops, weights,
// eases and track masks.
#include <cmath>

#include "platform/model/ModelState.h"

struct MdlTrackMask {
    int boneCount;
    float defaultWeight;
    float* weights;
};

struct MdlControlledAnimationBuilder {
    const MdlAnimation* animation;
    float startTime;
    MdlModelInstance* target;
    MdlTrackMask* mask;   // a private copy
};

// =============================================================================
// track masks
// =============================================================================

MdlTrackMask* MdlNewTrackMask(float defaultWeight, int boneCount)
{
    if (boneCount < 0 || boneCount > MDL_MAX_BONES) return nullptr;
    MdlTrackMask* mask = MDL_NEW(MdlTrackMask);
    float* weights = MDL_NEW_ARRAY(float, size_t(boneCount));
    if (!mask || !weights) {
        MDL_RELEASE(mask);
        MDL_RELEASE(weights);
        return nullptr;
    }
    *mask = MdlTrackMask{boneCount, defaultWeight, weights};
    for (int bone = 0; bone < boneCount; ++bone) weights[bone] = defaultWeight;
    return mask;
}

void MdlFreeTrackMask(MdlTrackMask* mask)
{
    if (!mask) return;
    MDL_RELEASE(mask->weights);
    MDL_RELEASE(mask);
}

void MdlSetTrackMaskBoneWeight(MdlTrackMask* mask, int boneIndex, float weight)
{
    if (mask && boneIndex >= 0 && boneIndex < mask->boneCount) mask->weights[boneIndex] = weight;
}

float MdlGetTrackMaskBoneWeight(const MdlTrackMask* mask, int boneIndex)
{
    if (!mask) return 1;
    return (boneIndex >= 0 && boneIndex < mask->boneCount) ? mask->weights[boneIndex] : mask->defaultWeight;
}

// Parents come before children, so one forward pass finds every descendant.
void MdlSetSkeletonTrackMaskChainDownwards(MdlTrackMask* mask, const MdlSkeleton* skeleton, int boneIndex, float weight)
{
    if (!mask || !skeleton || boneIndex < 0 || boneIndex >= skeleton->boneCount) return;
    int count = skeleton->boneCount < mask->boneCount ? skeleton->boneCount : mask->boneCount;
    bool* inChain = MDL_NEW_ARRAY(bool, size_t(skeleton->boneCount));
    if (!inChain) return;
    inChain[boneIndex] = true;
    for (int bone = boneIndex + 1; bone < skeleton->boneCount; ++bone) {
        int parent = skeleton->bones[bone].parentIndex;
        inChain[bone] = parent >= 0 && parent < bone && inChain[parent];
    }
    for (int bone = 0; bone < count; ++bone)
        if (inChain[bone]) mask->weights[bone] = weight;
    MDL_RELEASE(inChain);
}

// =============================================================================
// making controls
// =============================================================================

static bool BindTracks(MdlControl* control, const MdlSkeleton* skeleton)
{
    control->boneCount = skeleton->boneCount;
    control->trackOfBone = MDL_NEW_ARRAY(int, size_t(skeleton->boneCount));
    if (!control->trackOfBone) return false;
    for (int bone = 0; bone < skeleton->boneCount; ++bone) {
        control->trackOfBone[bone] = -1;
        for (int track = 0; track < control->animation->trackCount; ++track) {
            if (MdlNamesEqualIgnoringCase(control->animation->tracks[track].boneName, skeleton->bones[bone].name)) {
                control->trackOfBone[bone] = track;
                break;
            }
        }
    }
    return true;
}

static bool CopyMask(MdlControl* control, const MdlTrackMask* mask)
{
    if (!mask) return true;
    control->boneWeights = MDL_NEW_ARRAY(float, size_t(control->boneCount));
    if (!control->boneWeights) return false;
    for (int bone = 0; bone < control->boneCount; ++bone) control->boneWeights[bone] = MdlGetTrackMaskBoneWeight(mask, bone);
    return true;
}

static void Attach(MdlControl* control, MdlModelInstance* instance)
{
    control->instance = instance;
    control->next = instance->firstControl;
    if (instance->firstControl) instance->firstControl->previous = control;
    instance->firstControl = control;
}

static MdlControl* MakeControl(float startTime, const MdlAnimation* animation, MdlModelInstance* instance,
                               const MdlTrackMask* mask)
{
    if (!animation || !instance || !MdlIsFinite(startTime)) return nullptr;
    MdlControl* control = MDL_NEW(MdlControl);
    if (!control) return nullptr;
    control->animation = animation;
    control->clock = startTime;
    control->speed = 1;
    control->weight = 1;
    control->loopCount = 1;
    control->active = true;
    control->easeInEnabled = control->easeOutEnabled = true;
    if (!BindTracks(control, instance->model->skeleton) || !CopyMask(control, mask)) {
        MdlFreeControl(control);
        return nullptr;
    }
    Attach(control, instance);
    return control;
}

MdlControl* MdlPlayControlledAnimation(float startTime, const MdlAnimation* animation, MdlModelInstance* instance)
{
    return MakeControl(startTime, animation, instance, nullptr);
}

MdlControlledAnimationBuilder* MdlBeginControlledAnimation(float startTime, const MdlAnimation* animation)
{
    if (!animation) return nullptr;
    MdlControlledAnimationBuilder* builder = MDL_NEW(MdlControlledAnimationBuilder);
    if (builder) builder->animation = animation, builder->startTime = startTime;
    return builder;
}

void MdlSetTrackGroupTarget(MdlControlledAnimationBuilder* builder, int trackGroupIndex, MdlModelInstance* instance)
{
    if (builder && trackGroupIndex == 0) builder->target = instance;
}

void MdlSetTrackGroupModelMask(MdlControlledAnimationBuilder* builder, int trackGroupIndex, const MdlTrackMask* mask)
{
    if (!builder || trackGroupIndex != 0) return;
    MdlFreeTrackMask(builder->mask);
    builder->mask = nullptr;
    if (!mask) return;
    builder->mask = MdlNewTrackMask(mask->defaultWeight, mask->boneCount);
    if (builder->mask) memcpy(builder->mask->weights, mask->weights, size_t(mask->boneCount) * sizeof(float));
}

MdlControl* MdlEndControlledAnimation(MdlControlledAnimationBuilder* builder)
{
    if (!builder) return nullptr;
    MdlControl* control = MakeControl(builder->startTime, builder->animation, builder->target, builder->mask);
    MdlFreeTrackMask(builder->mask);
    MDL_RELEASE(builder);
    return control;
}

void MdlFreeControl(MdlControl* control)
{
    if (!control) return;
    if (control->instance) {
        if (control->previous) control->previous->next = control->next;
        else control->instance->firstControl = control->next;
        if (control->next) control->next->previous = control->previous;
    }
    MDL_RELEASE(control->trackOfBone);
    MDL_RELEASE(control->boneWeights);
    MDL_RELEASE(control);
}

int MdlGetInstanceControlCount(const MdlModelInstance* instance)
{
    int count = 0;
    for (const MdlControl* control = instance ? instance->firstControl : nullptr; control; control = control->next) ++count;
    return count;
}

// =============================================================================
// clocks and loops
// =============================================================================

void MdlSetControlClock(MdlControl* control, float gameTime)
{
    if (!control || !MdlIsFinite(gameTime)) return;
    control->localClock += (gameTime - control->clock) * control->speed;
    control->clock = gameTime;
}

float MdlGetControlClock(const MdlControl* control) { return control ? float(control->clock) : 0; }

void MdlSetControlSpeed(MdlControl* control, float speed)
{
    if (control && MdlIsFinite(speed)) control->speed = speed;
}

float MdlGetControlSpeed(const MdlControl* control) { return control ? control->speed : 0; }

void MdlSetControlLoopCount(MdlControl* control, int loopCount)
{
    if (control && loopCount >= 0) control->loopCount = loopCount;
}

int MdlGetControlLoopCount(const MdlControl* control) { return control ? control->loopCount : 0; }

void MdlSetControlRawLocalClock(MdlControl* control, float localClock)
{
    if (control && MdlIsFinite(localClock)) control->localClock = localClock;
}

float MdlGetControlRawLocalClock(const MdlControl* control) { return control ? float(control->localClock) : 0; }

float MdlGetControlLocalDuration(const MdlControl* control) { return control ? control->animation->duration : 0; }

static bool LoopsExhausted(const MdlControl* control)
{
    return control->loopCount > 0 && control->localClock >= double(control->loopCount) * control->animation->duration;
}

int MdlGetControlLoopIndex(const MdlControl* control)
{
    if (!control || control->localClock <= 0 || !(control->animation->duration > 0)) return 0;
    double index = std::floor(control->localClock / control->animation->duration);
    if (control->loopCount > 0 && index > control->loopCount - 1) return control->loopCount - 1;
    return index > 1e9 ? 1000000000 : int(index);
}

// Before the start: the first frame; after the last loop: the last frame.
float MdlGetControlLocalClock(const MdlControl* control)
{
    if (!control) return 0;
    double duration = control->animation->duration;
    if (control->localClock <= 0 || !(duration > 0)) return 0;
    if (LoopsExhausted(control)) return float(duration);
    return float(control->localClock - std::floor(control->localClock / duration) * duration);
}

// =============================================================================
// weights and eases
// =============================================================================

void MdlSetControlActive(MdlControl* control, bool active)
{
    if (control) control->active = active;
}

bool MdlGetControlActive(const MdlControl* control) { return control && control->active; }

void MdlSetControlWeight(MdlControl* control, float weight)
{
    if (control && MdlIsFinite(weight)) control->weight = weight;
}

float MdlGetControlWeight(const MdlControl* control) { return control ? control->weight : 0; }

void MdlSetControlEaseIn(MdlControl* control, bool enabled)
{
    if (control) control->easeInEnabled = enabled;
}

void MdlSetControlEaseOut(MdlControl* control, bool enabled)
{
    if (control) control->easeOutEnabled = enabled;
}

float MdlGetControlEaseFactor(const MdlControl* control)
{
    if (!control || control->easeStage == MDL_EASE_NONE) return 1;
    if (control->easeStage == MDL_EASE_IN && !control->easeInEnabled) return 1;
    if (control->easeStage == MDL_EASE_OUT && !control->easeOutEnabled) return 1;
    double span = control->easeEnd - control->easeStart;
    double s = span > 0 ? (control->clock - control->easeStart) / span : 1;
    s = s < 0 ? 0 : (s > 1 ? 1 : s);
    double smooth = s * s * (3 - 2 * s);   // flat at both ends: no jolt entering or leaving
    return float(control->easeFrom + (control->easeTo - control->easeFrom) * smooth);
}

static float StartEase(MdlControl* control, MdlEaseStage stage, float duration, float from, float to)
{
    control->easeStage = stage;
    control->easeStart = control->clock;
    control->easeEnd = control->clock + ((duration > 0 && MdlIsFinite(duration)) ? duration : 0);
    control->easeFrom = from;
    control->easeTo = to;
    return float(control->easeEnd);
}

float MdlEaseControlIn(MdlControl* control, float duration, bool fromCurrent)
{
    if (!control) return 0;
    return StartEase(control, MDL_EASE_IN, duration, fromCurrent ? MdlGetControlEaseFactor(control) : 0.0f, 1);
}

float MdlEaseControlOut(MdlControl* control, float duration)
{
    if (!control) return 0;
    return StartEase(control, MDL_EASE_OUT, duration, MdlGetControlEaseFactor(control), 0);
}

float MdlGetControlEffectiveWeight(const MdlControl* control)
{
    if (!control || !control->active) return 0;
    return control->weight * MdlGetControlEaseFactor(control);
}

void MdlSetControlFreeOnCompletion(MdlControl* control, bool enabled)
{
    if (control) control->freeOnCompletion = enabled;
}

bool MdlControlIsComplete(const MdlControl* control)
{
    if (!control || !control->freeOnCompletion) return false;
    bool easedOut = control->easeStage == MDL_EASE_OUT && control->easeOutEnabled && control->clock >= control->easeEnd;
    return easedOut || LoopsExhausted(control);
}
