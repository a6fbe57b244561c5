// The game application's glitter machinery: the switch scripts turn it on
// and off with, and the timer that advances the effects every 30 ms while
// a cycle runs.  The particles themselves (templates and live sprites) come
// with the game screens and hook in through UpdateGlitter and ClearGlitter.
#pragma once
#include "core/CxTimer.h"

#include <cstdint>

class CParticles {
public:
    static constexpr uint32_t kGlitterIntervalMs = 30;

    virtual ~CParticles() = default;

    void SetAllowGlitter(int32_t allowed) { allowed_ = allowed; }
    int32_t IsGlitterAllowed() const { return allowed_; }

    void StartGlitterTimer(uint32_t intervalMs = kGlitterIntervalMs);
    void StopGlitterTimer() { timer_.Reset(); }
    bool IsGlitterTimerRunning() const { return timer_.IsStarted(); }
    // Once per frame: when the timer has run out, the effects advance once
    // (a slow frame never catches up with several updates) and the timer
    // starts again.
    void AdvanceGlitter();

    // One step of every live effect; whether any remain.
    virtual bool UpdateGlitter() { return false; }
    // Every live effect and every template goes.
    virtual void ClearGlitter() {}

private:
    CxTimer timer_;
    int32_t allowed_ = 1;
};
