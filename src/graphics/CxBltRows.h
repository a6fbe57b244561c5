// Row kernels of the blitter's busiest paths.  Each kernel has a plain scalar
// form, which is the reference the vector forms must match bit for bit, and
// the blitter picks the widest form the processor offers once, at first use.
//
//  - alpha blend 32 -> 32: per channel (a*s + (255-a)*d) >> 8, the blended
//    pixel's alpha byte 0; alpha 0 leaves the destination; alpha 255 copies
//    the source when there is no transparent colour; a source pixel equal to
//    the transparent colour (all 32 bits) leaves the destination.
//  - plain copy 32 -> 16: each channel keeps its top bits in the 16-bit
//    layout (alpha too, where the layout has alpha bits); pixels equal to
//    the transparent colour are skipped.
#pragma once
#include "graphics/CxPixelFormat.h"

#include <cstdint>

// A transparent colour for a row: `keyed` false means none, so that every
// 32-bit value, opaque white included, can be a real key.
struct CxRowKey {
    bool keyed = false;
    uint32_t value = 0;
};

using CxAlphaRow32 = void (*)(const uint8_t* src, uint8_t* dst, int32_t count, CxRowKey key);
using CxPackRow16 = void (*)(const uint8_t* src, uint8_t* dst, int32_t count, CxRowKey key,
                             const CxChannelLayout& to);

void CxAlphaRow32Scalar(const uint8_t* src, uint8_t* dst, int32_t count, CxRowKey key);
void CxAlphaRow32Sse2(const uint8_t* src, uint8_t* dst, int32_t count, CxRowKey key);
void CxAlphaRow32Avx2(const uint8_t* src, uint8_t* dst, int32_t count, CxRowKey key);   // needs CxCpuHasAvx2()

void CxPackRow16Scalar(const uint8_t* src, uint8_t* dst, int32_t count, CxRowKey key, const CxChannelLayout& to);
// SSE2, with AVX2 for the screen layouts where the processor has it.
void CxPackRow16Vector(const uint8_t* src, uint8_t* dst, int32_t count, CxRowKey key, const CxChannelLayout& to);

bool CxCpuHasAvx2();
CxAlphaRow32 CxBestAlphaRow32();
CxPackRow16 CxBestPackRow16();
