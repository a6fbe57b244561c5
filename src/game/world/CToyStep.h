// One step of the toy simulation as a small job: the numbers of the step
// go in (the toy's motion, the tuning read for this step, the time), the
// next motion and what happened come out.  It touches no object, script or
// sound, so every case can be stepped with plain numbers.
//
// Terms: an apex is where the vertical speed turns from rising to falling;
// the lowest apex is the lowest one since the throw, and no later apex may
// be higher (that would be height from nothing: the toy rolls instead).  A
// contact is a touch of the grass or the fence.  A rolling toy moves along
// the grass only and slows by its friction until it comes to rest.
#pragma once
#include <cstdint>

// The yard's fence: the fixed numbers are the game's first yard.
struct CToyYard {
    float minX = -480, maxX = -130, minZ = -480, maxZ = 190;
    float notchX = -390, notchZ = -350;   // the corner cut out where x < notchX and z < notchZ
    float exitZ = 250;                     // past it the toy has left the yard
};

struct CToyTuning {
    float gravity = 0, velocityEpsilon = 0;
    float grassHeight = 0, grassElasticity = 0, grassFriction = 0, fenceElasticity = 0;
    // the toy's own section (or the shared one)
    float elasticity = 0, minApexHeight = 0, minVelocity = 0, lift = 0, rollingFriction = 0;
    float radius = 0;   // always the shared one
    CToyYard yard;
};

struct CToyMotion {
    float position[3] = {0, 0, 0};
    float velocity[3] = {0, 0, 0};     // units per second
    float spinAxis[3] = {1, 0, 0};
    float angularVelocity = 0;         // radians per second
    float lowestApex = 3.4028235e38f;
    int bounced = 0, rolling = 0;
};

struct CToyStep {
    // Inputs.
    CToyTuning tuning;
    CToyMotion motion;
    float dt = 0;   // seconds
    bool spinning = false, disc = false, collisions = true;

    // Outputs, set by a Run that answered true.
    CToyMotion result;
    bool contact = false;    // the grass or the fence was touched: a landing sound
    bool landed = false;     // touched the grass: the toy stands upright again
    float turn = 0;          // radians about result.spinAxis this step
    bool leftYard = false, atRest = false;

    // Every input finite and the time forward.
    bool Validate() const;
    // False (outputs untouched) when the inputs are invalid or the step
    // overflowed: a result is never NaN or infinite.
    bool Run();
};
