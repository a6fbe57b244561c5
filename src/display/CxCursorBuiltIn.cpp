// The four built-in cursors as 8-bit pictures: 'X' black outline, 'o' white
// body, '.' the transparent index 10.
#include "display/CxCursor.h"
#include "graphics/CxSurf.h"

#include <cstring>

namespace {
constexpr uint8_t kTransparent = 10, kBlack = 0, kWhite = 15;

const char* const kArrow[] = {  // 11 x 20, hot spot (0, 0)
    "X..........", "XX.........", "XoX........", "XooX.......", "XoooX......", "XooooX.....", "XoooooX....",
    "XooooooX...", "XoooooooX..", "XooooooooX.", "XoooooXXXXX", "XooXooX....", "XoX.XooX...", "XX..XooX...",
    "X....XooX..", ".....XooX..", "......XooX.", "......XooX.", ".......XX..", "...........",
};
const char* const kBusy[] = {  // 13 x 24, hot spot (6, 10)
    "XXXXXXXXXXXXX", "XoooooooooooX", "XXXXXXXXXXXXX", ".XoooooooooX.", ".XoooooooooX.", ".XoXoXoXoXoX.",
    ".XooXoXoXooX.", "..XooXoXooX..", "...XooXooX...", "....XoooX....", ".....XoX.....", "......X......",
    ".....XoX.....", "....XoooX....", "...XooooX....", "..XoooXoooX..", ".XoooooooooX.", ".XooooXooooX.",
    ".XoooXoXoooX.", ".XooXoXoXooX.", ".XoXoXoXoXoX.", "XXXXXXXXXXXXX", "XoooooooooooX", "XXXXXXXXXXXXX",
};
const char* const kBeam[] = {  // 7 x 16, hot spot (3, 7)
    "XXX.XXX", "XoXXXoX", "XXXoXXX", "..XoX..", "..XoX..", "..XoX..", "..XoX..", "..XoX..",
    "..XoX..", "..XoX..", "..XoX..", "..XoX..", "..XoX..", "XXXoXXX", "XoXXXoX", "XXX.XXX",
};
const char* const kHand[] = {  // 18 x 20, hot spot (8, 10)
    "......XX..........", ".....XooX.........", ".....XooX.........", ".....XooX.........",
    ".....XooXXX.......", ".....XooXooXXX....", ".....XooXooXooXX..", "..XX.XooXooXooXoX.",
    ".XooXXooooooooXooX", ".XoooXoooooooooooX", "..XooXoooooooooooX", "...XoXoooooooooooX",
    "...XooooooooooooX.", "....XoooooooooooX.", "....XooooooooooX..", ".....XoooooooooX..",
    ".....XoooooooooX..", "......XooooooooX..", "......XooooooooX..", "......XXXXXXXXXX..",
};

struct Shape {
    const char* const* rows;
    int32_t width, height;
    CxPoint hotSpot;
};
const Shape kShapes[] = {
    {kArrow, 11, 20, {0, 0}}, {kBusy, 13, 24, {6, 10}}, {kBeam, 7, 16, {3, 7}}, {kHand, 18, 20, {8, 10}},
};

uint8_t IndexOf(char c) { return c == 'X' ? kBlack : c == 'o' ? kWhite : kTransparent; }

void SetBuiltInPalette(CxDrawSurface* surface)
{
    uint8_t palette[CX_PALETTE_BYTES] = {};
    std::memset(palette + 3 * kWhite, 255, 3);
    palette[3 * kTransparent] = 255, palette[3 * kTransparent + 2] = 255;   // magenta, never shown
    surface->SetPalette(palette);
}
}  // namespace

CxDrawSurface* MakeBuiltInCursor(int32_t id, CxPoint* hotSpot)
{
    if (id < CURSOR_ARROW || id > CURSOR_HAND) return nullptr;
    const Shape& shape = kShapes[id];
    auto* surface = new CxDrawSurface;
    if (surface->Create(shape.width, shape.height, 8) != 0) {
        delete surface;
        return nullptr;
    }
    SetBuiltInPalette(surface);
    for (int32_t y = 0; y < shape.height; ++y)
        for (int32_t x = 0; x < shape.width; ++x) surface->SetPixel(x, y, IndexOf(shape.rows[y][x]));
    surface->SetTransparentColor(kTransparent);
    if (hotSpot) *hotSpot = shape.hotSpot;
    return surface;
}
