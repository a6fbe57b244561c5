// The engine's clock: 32-bit millisecond ticks that wrap after 49.7 days.
// Every time comparison in the engine is an unsigned difference, so the wrap
// needs no special case.  Tests replace the source to step time by hand.
#pragma once
#include <cstdint>

using CxTickSource = uint32_t (*)();

uint32_t QorTickCount();
void QorSetTickSource(CxTickSource source);   // null restores the system clock
