// Fonts for the font and text tests: bitmap-font images and PCX files built
// in memory, and the system's DejaVu font when it is installed.
#pragma once
#include "graphics/CxSurf.h"

#include <cstdint>
#include <string>
#include <vector>

constexpr const char* kDejaVuFolder = "/usr/share/fonts/truetype/dejavu";
constexpr const char* kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// An 8-bit bitmap-font image: marker 255 in row 0 before each glyph, glyph
// k `widths[k]` wide and `height` high, its pixels 7 on a background of 3
// except a one-pixel frame of 3 so that coverage can be checked.
inline void MakeFontImage(CxDrawSurface& image, const std::vector<int>& widths, int height)
{
    int width = 0;
    for (int w : widths) width += w + 1;
    image.Create(width, height, 8);
    uint8_t palette[CX_PALETTE_BYTES] = {};
    palette[3 * 7] = 200, palette[3 * 7 + 1] = 100, palette[3 * 7 + 2] = 50;
    image.SetPalette(palette);
    CxRect all = image.GetRect();
    image.FillRect(&all, 3);
    int x = 0;
    for (int w : widths) {
        image.SetPixel(x, 0, 255);
        for (int gy = 1; gy < height - 1; ++gy)
            for (int gx = 1; gx < w - 1; ++gx) image.SetPixel(x + 1 + gx, gy, 7);
        x += w + 1;
    }
}

// An 8-bit surface as a PCX file (one plane, run-length packed, palette at
// the end).
inline std::string EncodePcx8(const CxDrawSurface& s)
{
    int w = s.GetWidth(), h = s.GetHeight(), bytesPerLine = w + (w & 1);
    std::string out(128, '\0');
    auto put16 = [&](int at, int v) { out[size_t(at)] = char(v & 0xFF), out[size_t(at) + 1] = char(v >> 8); };
    out[0] = 10, out[1] = 5, out[2] = 1, out[3] = 8;
    put16(8, w - 1), put16(10, h - 1), put16(12, 72), put16(14, 72);
    out[65] = 1;
    put16(66, bytesPerLine), put16(68, 1);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < bytesPerLine; ++x) {
            uint8_t v = x < w ? uint8_t(s.GetPixel(x, y)) : 0;
            if (v >= 192) out += char(0xC1);
            out += char(v);
        }
    out += char(12);
    out.append(reinterpret_cast<const char*>(s.GetPalette()), CX_PALETTE_BYTES);
    return out;
}

inline bool HaveDejaVu()
{
    FILE* f = fopen(kDejaVuSans, "rb");
    if (f) fclose(f);
    return f != nullptr;
}

// Pixels of a 32-bit surface that differ from `background`.
inline int CountChanged(const CxDrawSurface& s, CxPixel background, const CxRect* area = nullptr)
{
    CxRect r = area ? *area : s.GetRect();
    int n = 0;
    for (int32_t y = r.top; y <= r.bottom; ++y)
        for (int32_t x = r.left; x <= r.right; ++x) n += s.GetPixel(x, y) != background;
    return n;
}
