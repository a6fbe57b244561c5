// Anti-aliased glyphs: each destination pixel moves toward the text colour
// by the glyph's coverage, c / 255 of the way.
#include "graphics/CxFreeTypeFont.h"
#include "graphics/CxSurf.h"

#include <algorithm>
#include <cstring>

namespace {
inline int Mix(int destination, int colour, int coverage)
{
    return (destination * (255 - coverage) + colour * coverage + 127) / 255;
}

// 32-bit destinations: channels read and written in place, alpha raised to
// at least the coverage so the text stays visible when the surface is later
// drawn with its alpha.
void Blend32(CxDrawSurface* source, CxDrawSurface* destination, const CxRect& s, const CxRect& d, int r, int g, int b)
{
    const CxChannelLayout& l = destination->GetLayout();
    for (int32_t y = 0; y < s.Height(); ++y) {
        const uint8_t* in = source->GetPixelAddress(s.left, s.top + y);
        uint8_t* out = destination->GetPixelAddress(d.left, d.top + y);
        for (int32_t x = 0; x < s.Width(); ++x, out += 4) {
            int c = in[x];
            if (c == 0) continue;
            uint32_t v;
            std::memcpy(&v, out, 4);
            int dr = int(v >> l.rShift) & 0xFF, dg = int(v >> l.gShift) & 0xFF, db = int(v >> l.bShift) & 0xFF;
            uint32_t mixed = uint32_t(Mix(dr, r, c)) << l.rShift | uint32_t(Mix(dg, g, c)) << l.gShift |
                             uint32_t(Mix(db, b, c)) << l.bShift;
            if (l.aBits) mixed |= uint32_t(std::max(int(v >> l.aShift) & 0xFF, c)) << l.aShift;
            std::memcpy(out, &mixed, 4);
        }
    }
}

// Any other depth above 8: through the surface's own channel coding.
void BlendAny(CxDrawSurface* source, CxDrawSurface* destination, const CxRect& s, const CxRect& d, int r, int g, int b)
{
    for (int32_t y = 0; y < s.Height(); ++y)
        for (int32_t x = 0; x < s.Width(); ++x) {
            int c = int(source->GetPixel(s.left + x, s.top + y));
            if (c == 0) continue;
            int da, dr, dg, db;
            destination->DecodePixel(destination->GetPixel(d.left + x, d.top + y), da, dr, dg, db);
            destination->SetPixel(d.left + x, d.top + y,
                                  destination->EncodeColor(Mix(dr, r, c), Mix(dg, g, c), Mix(db, b, c), std::max(da, c)));
        }
}
}  // namespace

int BlendGlyphCoverage(CxDrawSurface* source, CxDrawSurface* destination, const CxRect& sourceRect,
                       const CxRect& destinationRect, CxPixel, intptr_t colour, intptr_t)
{
    if (!source || !destination || source->GetDepth() != 8 || destination->GetDepth() <= 8) return ERR_INVALID_ARGUMENT;
    if (sourceRect.Width() != destinationRect.Width() || sourceRect.Height() != destinationRect.Height())
        return ERR_INVALID_ARGUMENT;
    int a, r, g, b;
    destination->DecodePixel(CxPixel(colour), a, r, g, b);
    if (destination->GetDepth() == 32 && destination->GetPixelFormat() != PIXFMT_ALPHA_INDEX12)
        Blend32(source, destination, sourceRect, destinationRect, r, g, b);
    else
        BlendAny(source, destination, sourceRect, destinationRect, r, g, b);
    return 0;
}
