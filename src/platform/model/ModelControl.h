// Controlled animations, track masks and the blend tree.
//
// A control plays one animation on one model instance.  It keeps its own
// clock: setting the clock to a game time advances the raw local clock by
// (time - previous time) * speed.  The local clock runs over `loop count`
// loops of the animation's duration (0 = forever) and then holds the last
// frame.  The control's effective weight is weight * ease factor, and 0
// while inactive.  The ease factor follows the most recent ease: easing in
// rises from its start value to 1, easing out falls to 0, both along a
// smooth cubic between the clock at which the ease was asked for and that
// clock + duration.  An ease whose kind is switched off (SetControlEaseIn /
// SetControlEaseOut) leaves the factor at 1.
//
// A track mask scales a control's weight per bone; built against a
// skeleton, typically "0 everywhere, 1 on this bone and all below it".
//
// Sampling blends, per bone, the tracks of every control whose weight on
// that bone is above zero: positions and scales by weighted sum,
// orientations by weighted sum of hemisphere-aligned quaternions,
// normalised.  When the weights sum to less than 1 the rest pose fills up
// the remainder; above 1 they are normalised.
#pragma once
#include "platform/model/ModelPose.h"

struct MdlControl;
struct MdlControlledAnimationBuilder;
struct MdlTrackMask;
struct MdlBlendDagNode;

// Starts the animation on the instance at game time `startTime`, weight 1,
// active, one loop.
MdlControl* MdlPlayControlledAnimation(float startTime, const MdlAnimation* animation, MdlModelInstance* instance);

// Builder form for a control with a mask.  The animation has one track
// group, index 0.  End frees the builder and returns the control, or null
// when no target was set.
MdlControlledAnimationBuilder* MdlBeginControlledAnimation(float startTime, const MdlAnimation* animation);
void MdlSetTrackGroupTarget(MdlControlledAnimationBuilder* builder, int trackGroupIndex, MdlModelInstance* instance);
// The mask's weights are copied; the mask may be freed afterwards.
void MdlSetTrackGroupModelMask(MdlControlledAnimationBuilder* builder, int trackGroupIndex, const MdlTrackMask* mask);
MdlControl* MdlEndControlledAnimation(MdlControlledAnimationBuilder* builder);

MdlTrackMask* MdlNewTrackMask(float defaultWeight, int boneCount);
void MdlFreeTrackMask(MdlTrackMask* mask);
void MdlSetTrackMaskBoneWeight(MdlTrackMask* mask, int boneIndex, float weight);
float MdlGetTrackMaskBoneWeight(const MdlTrackMask* mask, int boneIndex);
// Sets `weight` on the bone and every bone below it.
void MdlSetSkeletonTrackMaskChainDownwards(MdlTrackMask* mask, const MdlSkeleton* skeleton, int boneIndex,
                                           float weight);

void MdlSetControlClock(MdlControl* control, float gameTime);
float MdlGetControlClock(const MdlControl* control);
void MdlSetControlSpeed(MdlControl* control, float speed);
float MdlGetControlSpeed(const MdlControl* control);
void MdlSetControlActive(MdlControl* control, bool active);
bool MdlGetControlActive(const MdlControl* control);
void MdlSetControlWeight(MdlControl* control, float weight);
float MdlGetControlWeight(const MdlControl* control);
void MdlSetControlLoopCount(MdlControl* control, int loopCount);
int MdlGetControlLoopCount(const MdlControl* control);
int MdlGetControlLoopIndex(const MdlControl* control);
void MdlSetControlRawLocalClock(MdlControl* control, float localClock);
float MdlGetControlRawLocalClock(const MdlControl* control);
// Time within the animation that sampling uses now.
float MdlGetControlLocalClock(const MdlControl* control);
float MdlGetControlLocalDuration(const MdlControl* control);
void MdlSetControlEaseIn(MdlControl* control, bool enabled);
void MdlSetControlEaseOut(MdlControl* control, bool enabled);
// Both return the game time at which the ease ends.
float MdlEaseControlIn(MdlControl* control, float duration, bool fromCurrent);
float MdlEaseControlOut(MdlControl* control, float duration);
float MdlGetControlEaseFactor(const MdlControl* control);
float MdlGetControlEffectiveWeight(const MdlControl* control);
// A control marked this way counts as complete once its loops have run out
// or its ease out has reached 0, and is then freed by
// MdlBlendDagFreeCompletedControlsEntireTree.  Unmarked controls are never
// freed behind their owner's back.
void MdlSetControlFreeOnCompletion(MdlControl* control, bool enabled);
bool MdlControlIsComplete(const MdlControl* control);
void MdlFreeControl(MdlControl* control);
// Controls bound to the instance, freed ones not counted.
int MdlGetInstanceControlCount(const MdlModelInstance* instance);

// Samples the instance's controls into `pose` (sized for its skeleton).
bool MdlSampleModelAnimations(const MdlModelInstance* instance, MdlLocalPose* pose);

// The blend tree.  The engine needs one node kind, an animation blend over
// one instance; the tree operations walk from the node they are given.
MdlBlendDagNode* MdlCreateBlendDagNodeAnimationBlend(MdlModelInstance* instance);
void MdlSetBlendDagTreeClock(MdlBlendDagNode* node, float gameTime);
bool MdlSampleBlendDagTree(const MdlBlendDagNode* node, MdlLocalPose* pose);
void MdlBlendDagFreeCompletedControlsEntireTree(MdlBlendDagNode* node);
void MdlFreeBlendDagEntireTree(MdlBlendDagNode* node);
