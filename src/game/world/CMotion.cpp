#include "game/world/CMotion.h"

#include <cmath>

namespace {
double Speed(const float v[3]) { return std::sqrt(double(v[0]) * v[0] + double(v[1]) * v[1] + double(v[2]) * v[2]); }
}  // namespace

void CMotion::Clear()
{
    count_ = 0;
    previousTime_ = time_ = 0;
    for (int i = 0; i < 3; ++i) {
        previousPosition_[i] = position_[i] = 0;
        previousVelocity_[i] = velocity_[i] = 0;
        acceleration_[i] = 0;
    }
}

void CMotion::Add(const float position[3], uint32_t tick)
{
    if (!position || !std::isfinite(position[0]) || !std::isfinite(position[1]) || !std::isfinite(position[2])) return;
    if (count_ > 0 && tick == time_) return;
    previousTime_ = time_;
    for (int i = 0; i < 3; ++i) previousPosition_[i] = position_[i], position_[i] = position[i];
    time_ = tick;
    if (count_ < 0x7fffffff) ++count_;
    if (count_ < 2) return;

    for (int i = 0; i < 3; ++i) previousVelocity_[i] = velocity_[i];
    float elapsed = float(uint32_t(time_ - previousTime_));   // a wrapped tick still counts forward
    float next[3];
    for (int i = 0; i < 3; ++i) next[i] = (position_[i] - previousPosition_[i]) / elapsed;
    // Slowing down before letting go must not weaken a throw: a slower
    // sample keeps its direction at the speed reached so far.  A sample
    // that did not move has no direction and keeps the last velocity.
    double speed = Speed(next), previous = Speed(previousVelocity_);
    if (speed < previous) {
        if (speed > 0) {
            for (int i = 0; i < 3; ++i) next[i] = float(next[i] / speed * previous);
        } else {
            for (int i = 0; i < 3; ++i) next[i] = previousVelocity_[i];
        }
    }
    for (int i = 0; i < 3; ++i) velocity_[i] = next[i];
}
