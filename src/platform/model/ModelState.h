// Layout of the per-object runtime records (instances, poses, controls),
// shared by the units that build, steer and sample them.
#pragma once
#include "platform/model/ModelControl.h"
#include "platform/model/ModelInternal.h"

struct MdlModelInstance {
    const MdlModel* model;
    MdlControl* firstControl;   // controls playing on this instance, newest first
};

// Per-bone running sums of a blend.
struct MdlBlendSum {
    float weight;
    float position[3];
    float orientation[4];
    float scale[3];
};

struct MdlLocalPose {
    int boneCount;
    MdlTransform* transforms;
    MdlBlendSum* sums;
};

struct MdlWorldPose {
    int boneCount;
    MdlMatrix4* world;
    MdlMatrix4* composite;
};

enum MdlEaseStage { MDL_EASE_NONE, MDL_EASE_IN, MDL_EASE_OUT };

struct MdlControl {
    const MdlAnimation* animation;
    MdlModelInstance* instance;   // null once the instance is gone
    MdlControl* next;
    MdlControl* previous;
    int boneCount;
    int* trackOfBone;             // -1: the animation does not move the bone
    float* boneWeights;           // the mask; null = 1 everywhere
    double clock;                 // game time last set
    double localClock;            // raw: seconds of animation played, loops not folded
    float speed;
    float weight;
    int loopCount;                // 0 = forever
    bool active;
    bool easeInEnabled;
    bool easeOutEnabled;
    bool freeOnCompletion;
    MdlEaseStage easeStage;
    double easeStart, easeEnd;
    float easeFrom, easeTo;
};

void MdlSampleTrack(const MdlTrack& track, const MdlTransform& rest, float time, MdlTransform* result);
