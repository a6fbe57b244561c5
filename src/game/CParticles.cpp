#include "game/CParticles.h"

#include "core/CxTime.h"

void CParticles::StartGlitterTimer(uint32_t intervalMs) { timer_.Start(intervalMs ? intervalMs : kGlitterIntervalMs); }

void CParticles::AdvanceGlitter()
{
    if (!timer_.IsStarted() || timer_.IsStopwatch() || !timer_.HasExpired(QorTickCount())) return;
    UpdateGlitter();
    timer_.Start(kGlitterIntervalMs);
}
