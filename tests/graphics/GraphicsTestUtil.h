// Surfaces with known contents for the graphics tests.
#pragma once
#include "../core/ErrorCapture.h"
#include "graphics/CxSurf.h"

#include <cstdint>
#include <string>
#include <vector>

// A palette whose entry i is a distinct, easily recognised colour.
inline void FillTestPalette(CxDrawSurface& s)
{
    uint8_t palette[CX_PALETTE_BYTES];
    for (int i = 0; i < 256; ++i) {
        palette[3 * i] = uint8_t(i * 37 + 11);
        palette[3 * i + 1] = uint8_t(255 - i * 5);
        palette[3 * i + 2] = uint8_t((i * 91) ^ 0x5A);
    }
    s.SetPalette(palette);
}

// Every pixel gets a value derived from its position and a seed, spread over
// the whole raw range of the surface's depth (all alpha values at 32 bits).
inline void FillPattern(CxDrawSurface& s, uint32_t seed)
{
    for (int32_t y = 0; y < s.GetHeight(); ++y)
        for (int32_t x = 0; x < s.GetWidth(); ++x) {
            uint32_t v = (uint32_t(x) * 2654435761u) ^ (uint32_t(y) * 40503u) ^ (seed * 977u);
            v ^= v >> 13;
            v *= 0x5bd1e995u;
            v ^= v >> 15;
            int depth = s.GetDepth();
            if (depth < 32) v &= (1u << depth) - 1;
            if (s.GetPixelFormat() == PIXFMT_ALPHA_INDEX12) v = (v & 0xF000) | (v & 0xFFF);
            s.SetPixel(x, y, v);
        }
}

inline std::vector<CxPixel> Pixels(const CxDrawSurface& s)
{
    std::vector<CxPixel> out;
    for (int32_t y = 0; y < s.GetHeight(); ++y)
        for (int32_t x = 0; x < s.GetWidth(); ++x) out.push_back(s.GetPixel(x, y));
    return out;
}

// Channels of every pixel as 8-bit red, green, blue, alpha (alpha widened).
inline std::vector<uint8_t> Rgba(const CxDrawSurface& s)
{
    std::vector<uint8_t> out;
    for (int32_t y = 0; y < s.GetHeight(); ++y)
        for (int32_t x = 0; x < s.GetWidth(); ++x) {
            int a, r, g, b;
            s.DecodePixel(s.GetPixel(x, y), a, r, g, b);
            out.insert(out.end(), {uint8_t(r), uint8_t(g), uint8_t(b), uint8_t(a)});
        }
    return out;
}
