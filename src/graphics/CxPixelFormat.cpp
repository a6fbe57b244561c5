#include "graphics/CxPixelFormat.h"

namespace {
uint8_t gDisplay16BitFormat = 0;
bool gMMX = false;

CxChannelLayout Layout(int aBits, int aShift, int rBits, int rShift, int gBits, int gShift, int bBits, int bShift)
{
    CxChannelLayout l;
    l.aBits = uint8_t(aBits), l.aShift = uint8_t(aShift);
    l.rBits = uint8_t(rBits), l.rShift = uint8_t(rShift);
    l.gBits = uint8_t(gBits), l.gShift = uint8_t(gShift);
    l.bBits = uint8_t(bBits), l.bShift = uint8_t(bShift);
    return l;
}
}  // namespace

CxChannelLayout GetChannelLayout(uint8_t format, int depth)
{
    switch (format) {
    case PIXFMT_555: return Layout(0, 15, 5, 10, 5, 5, 5, 0);
    case PIXFMT_565: return Layout(0, 16, 5, 11, 6, 5, 5, 0);
    case PIXFMT_556: return Layout(0, 16, 5, 11, 5, 6, 6, 0);
    case PIXFMT_655: return Layout(0, 16, 6, 10, 5, 5, 5, 0);
    case PIXFMT_4444: return Layout(4, 12, 4, 8, 4, 4, 4, 0);
    case PIXFMT_555_BGR: return Layout(0, 15, 5, 0, 5, 5, 5, 10);
    case PIXFMT_ALPHA_INDEX12:
        if (gDisplay16BitFormat == PIXFMT_565) return Layout(4, 12, 5, 11, 6, 5, 5, 0);
        return Layout(4, 12, 5, 10, 5, 5, 5, 0);
    case PIXFMT_RGB888:
        // 24-bit raw values hold blue high (first byte in memory), red low.
        if (depth == 24) return Layout(0, 24, 8, 0, 8, 8, 8, 16);
        return Layout(8, 24, 8, 16, 8, 8, 8, 0);
    default: return Layout(0, 0, 0, 0, 0, 0, 0, 0);
    }
}

uint8_t DefaultPixelFormat(int depth)
{
    if (depth <= 8) return PIXFMT_INDEXED;
    if (depth == 16) return gDisplay16BitFormat ? gDisplay16BitFormat : uint8_t(PIXFMT_555);
    return PIXFMT_RGB888;
}

bool IsPixelFormatValidForDepth(uint8_t format, int depth)
{
    if (format == PIXFMT_DEFAULT) return true;
    if (depth <= 8) return format == PIXFMT_INDEXED;
    if (depth == 16) return format != PIXFMT_INDEXED && format != PIXFMT_RGB888 && format <= PIXFMT_ALPHA_INDEX12;
    return format == PIXFMT_RGB888;
}

void    SetDisplay16BitFormat(uint8_t format) { gDisplay16BitFormat = format; }
uint8_t GetDisplay16BitFormat() { return gDisplay16BitFormat; }
void    SetMMXAvailable(bool available) { gMMX = available; }
bool    IsMMXAvailable() { return gMMX; }

uint16_t Pack16(uint8_t format, int red, int green, int blue, int alpha)
{
    CxChannelLayout l = GetChannelLayout(format, 16);
    uint32_t v = (uint32_t(red) >> (8 - l.rBits)) << l.rShift | (uint32_t(green) >> (8 - l.gBits)) << l.gShift |
                 (uint32_t(blue) >> (8 - l.bBits)) << l.bShift;
    if (l.aBits) v |= (uint32_t(alpha) >> (8 - l.aBits)) << l.aShift;
    return uint16_t(v);
}
