// Pixel formats of surfaces and the two process-wide graphics settings: the
// display's 16-bit format (set by the screen from its mode) and the flag that
// selects the four-pixel fixed-point paths of the 16-bit blends.
#pragma once
#include <cstdint>

// A raw pixel value as stored: palette index, 16-bit word, 32-bit word, or for
// 24-bit pixels byte0 << 16 | byte1 << 8 | byte2 (blue, first in memory, high).
using CxPixel = uint32_t;
// "No colour" (-1 to scripts and files) as a transparent colour, a text or
// background colour, or what GetPixel reads outside a surface.  Below 32 bits
// no pixel can hold it; in a 32-bit surface it is also opaque white, so code
// that compares pixels with a colour that may be "none" checks for none
// first, and code that reads pixels checks bounds rather than this value.
constexpr CxPixel CX_NO_COLOR = 0xFFFFFFFFu;

enum CxPixelFormatCode : uint8_t {
    PIXFMT_DEFAULT = 0,
    PIXFMT_555 = 1,
    PIXFMT_565 = 2,
    PIXFMT_556 = 3,
    PIXFMT_655 = 4,
    PIXFMT_RGB888 = 5,
    PIXFMT_4444 = 6,
    PIXFMT_INDEXED = 7,
    PIXFMT_555_BGR = 8,
    PIXFMT_ALPHA_INDEX12 = 9,
};

// Where each channel sits in a raw value and how many bits it has.  For
// PIXFMT_ALPHA_INDEX12 the colour channels describe the 4096-entry table's
// words, not the pixel itself.
struct CxChannelLayout {
    uint8_t aBits = 0, rBits = 0, gBits = 0, bBits = 0;
    uint8_t aShift = 0, rShift = 0, gShift = 0, bShift = 0;
};

CxChannelLayout GetChannelLayout(uint8_t format, int depth);
// The format a surface of this depth gets for PIXFMT_DEFAULT.
uint8_t DefaultPixelFormat(int depth);
bool    IsPixelFormatValidForDepth(uint8_t format, int depth);

void    SetDisplay16BitFormat(uint8_t format);   // 0: no display format set
uint8_t GetDisplay16BitFormat();
void    SetMMXAvailable(bool available);
bool    IsMMXAvailable();

// Packs 8-bit channels into a 16-bit word of one of the formats 1-4, 6, 8 by
// keeping the top bits of each channel.
uint16_t Pack16(uint8_t format, int red, int green, int blue, int alpha = 255);
// Widens a channel of `bits` bits to 8 bits by shifting it up (no replication).
inline int WidenChannel(uint32_t value, int bits) { return bits ? int(value << (8 - bits)) & 0xFF : 0; }
