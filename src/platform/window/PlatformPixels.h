// Widening of 16-bit screen frames to X8R8G8B8 before they are shown, so that
// the platform receives the format of a 32-bit window as it is and copies it
// without converting each pixel itself.
//
// The channels widen as the platform's own conversion widens them (5 bits
// v -> v * 255 / 31, 6 bits v -> 4v + v / 24, the unused byte 0xFF);
// PlatWidenMatchesPlatform checks that claim against the platform library in
// use, once per layout, and the screen keeps the platform's conversion where
// it does not hold.
#pragma once
#include "platform/window/PlatformScreen.h"

#include <cstdint>

void PlatWiden16Scalar(const uint16_t* src, uint32_t* dst, int32_t count, PlatPixelLayout layout);
void PlatWiden16(const uint16_t* src, uint32_t* dst, int32_t count, PlatPixelLayout layout);   // vector form
bool PlatWidenMatchesPlatform(PlatPixelLayout layout);
