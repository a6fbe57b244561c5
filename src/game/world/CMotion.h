// Tracks a dragged point's samples so that a throw gets the speed of the
// drag: the speed never drops until the tracker is cleared, so slowing down
// just before letting go does not weaken the throw.
#pragma once
#include <cstdint>

class CMotion {
public:
    virtual ~CMotion() = default;
    virtual void Clear();
    // A sample at the same tick as the current one is ignored.
    void Add(const float position[3], uint32_t tick);

    int GetCount() const { return count_; }
    const float* GetPosition() const { return position_; }
    const float* GetVelocity() const { return velocity_; }   // units per ms

private:
    int count_ = 0;
    uint32_t previousTime_ = 0, time_ = 0;
    float previousPosition_[3] = {0, 0, 0}, position_[3] = {0, 0, 0};
    float previousVelocity_[3] = {0, 0, 0}, velocity_[3] = {0, 0, 0};
    float acceleration_[3] = {0, 0, 0};
};
