#include "game/world/CToyStep.h"

#include <cmath>

namespace {
float Length(const float v[3]) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }
bool Finite(float x) { return std::isfinite(x); }
bool Finite3(const float v[3]) { return Finite(v[0]) && Finite(v[1]) && Finite(v[2]); }

bool FiniteMotion(const CToyMotion& m)
{
    return Finite3(m.position) && Finite3(m.velocity) && Finite3(m.spinAxis) && Finite(m.angularVelocity) &&
           Finite(m.lowestApex);
}

bool FiniteTuning(const CToyTuning& t)
{
    const float all[] = {t.gravity, t.velocityEpsilon, t.grassHeight, t.grassElasticity, t.grassFriction,
                         t.fenceElasticity, t.elasticity, t.minApexHeight, t.minVelocity, t.lift,
                         t.rollingFriction, t.radius, t.yard.minX, t.yard.maxX, t.yard.minZ, t.yard.maxZ,
                         t.yard.notchX, t.yard.notchZ, t.yard.exitZ};
    for (float x : all)
        if (!Finite(x)) return false;
    return true;
}
}  // namespace

bool CToyStep::Validate() const { return Finite(dt) && dt > 0 && FiniteMotion(motion) && FiniteTuning(tuning); }

bool CToyStep::Run()
{
    if (!Validate()) return false;
    const CToyTuning& t = tuning;
    CToyMotion next = motion;
    const float* p = motion.position;
    const float* v = motion.velocity;
    float* P = next.position;
    float* V = next.velocity;
    bool touched = false, grassed = false;

    // Moved by the old velocity; the new one gains this step's acceleration.
    for (int i = 0; i < 3; ++i) P[i] = p[i] + v[i] * dt;
    V[1] = v[1] + (t.lift - t.gravity) * dt;

    // The vertical speed changes sign at an apex; one that lands exactly on
    // zero is an apex too, or a toy thrown with round numbers would never
    // record one.
    const bool wasRolling = motion.rolling != 0;
    bool apex = false;
    if (!wasRolling && (V[1] * v[1] < 0 || (v[1] > 0 && V[1] == 0))) {
        if (P[1] > next.lowestApex) {
            next.rolling = 1;
            P[1] = next.lowestApex;
        } else {
            next.lowestApex = P[1];
        }
        apex = true;
    }

    // A toy already rolling is on the grass, not landing on it: treating
    // each rolling step as a landing would sound a bounce every frame and
    // undo the spin of the roll.
    if (!wasRolling && P[1] <= t.grassHeight) {
        next.bounced = 1;
        touched = grassed = true;
        V[0] = t.grassElasticity * V[0];
        V[1] = t.grassElasticity * -t.elasticity * V[1];
        V[2] = t.grassElasticity * V[2];
        P[1] = 2 * t.grassHeight - P[1];
        if (apex || next.lowestApex < t.grassHeight + t.minApexHeight) next.rolling = 1;
    }

    if (wasRolling) {
        // Along the grass only, so its speed is the speed over the ground.
        P[1] = t.grassHeight;
        const float flat[3] = {v[0], 0, v[2]};
        float speed = Length(flat);
        if (speed < t.velocityEpsilon || !(speed > 0)) {
            V[0] = V[1] = V[2] = 0;
        } else {
            float slower = std::fmax(0.0f, speed - t.grassFriction * t.rollingFriction * dt);
            for (int i = 0; i < 3; ++i) V[i] = flat[i] / speed * slower;
        }
    } else if (next.rolling) {
        P[1] = t.grassHeight;
    }

    if (next.bounced && spinning) {
        float rate = t.radius > 0 ? Length(V) / t.radius : 0;
        bool rateUsable = t.radius > 0 && Finite(rate);   // no radius: the spin rate stays
        if (disc) {
            if (rateUsable) next.angularVelocity = rate;   // a disc keeps its axis
        } else {
            // Straight up or at rest there is no rolling direction: the toy
            // keeps the spin it had.
            const float axis[3] = {-V[2], 0, V[0]};
            float length = Length(axis);
            if (length > 1e-6f && Finite(length)) {
                for (int i = 0; i < 3; ++i) next.spinAxis[i] = axis[i] / length;
                if (rateUsable) next.angularVelocity = rate;
            }
        }
    }

    if (collisions) {
        const CToyYard& y = t.yard;
        const float bounce = t.elasticity * t.fenceElasticity;
        auto reflect = [&](int axis, float at) {
            P[axis] = 2 * at - P[axis];
            V[axis] = -bounce * V[axis];
            for (int i = 0; i < 3; ++i)
                if (i != axis) V[i] *= t.fenceElasticity;
            touched = true;
        };
        if (P[0] < y.notchX && P[2] < y.notchZ) {   // into the corner: turned back the way it came
            touched = true;
            if (p[0] > y.notchX) reflect(0, y.notchX);
            else if (p[2] > y.notchZ) reflect(2, y.notchZ);
        }
        if (P[2] < y.minZ) reflect(2, y.minZ);
        if (P[2] > y.maxZ) reflect(2, y.maxZ);
        if (P[0] > y.maxX) reflect(0, y.maxX);
        if (P[0] < y.minX) reflect(0, y.minX);
    }

    float turning = spinning ? next.angularVelocity * dt : 0;
    if (!FiniteMotion(next) || !Finite(turning)) return false;

    result = next;
    contact = touched;
    landed = grassed;
    turn = turning;
    leftYard = P[2] > t.yard.exitZ;
    atRest = !leftYard && next.rolling && Length(V) <= t.minVelocity;
    return true;
}
