#include "display/CxCommonFace.h"

#include <cstring>

namespace {
void DrawEdges(CxDrawSurface* s, const CxRect& r, CxPixel topLeft, CxPixel bottomRight)
{
    if (r.IsEmpty()) return;
    s->DrawLine(r.left, r.top, r.right, r.top, topLeft);
    s->DrawLine(r.left, r.top, r.left, r.bottom, topLeft);
    s->DrawLine(r.left, r.bottom, r.right, r.bottom, bottomRight);
    s->DrawLine(r.right, r.top, r.right, r.bottom, bottomRight);
}

// The desktop's fixed colours: indices 0-9, then 246-255.
const uint8_t kLow[10][3] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},     {128, 128, 0},   {0, 0, 128},
                             {128, 0, 128},   {0, 128, 128}, {192, 192, 192}, {192, 220, 192}, {166, 202, 240}};
const uint8_t kHigh[10][3] = {{255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},   {0, 255, 0},
                              {255, 255, 0},   {0, 0, 255},     {255, 0, 255},   {0, 255, 255}, {255, 255, 255}};

struct Palette {
    uint8_t bytes[CX_PALETTE_BYTES];
    Palette()
    {
        for (int i = 10; i < 246; ++i) std::memset(bytes + 3 * i, (i - 10) * 255 / 235, 3);
        std::memcpy(bytes, kLow, sizeof kLow);
        std::memcpy(bytes + 3 * 246, kHigh, sizeof kHigh);
    }
};
}  // namespace

void DrawBevel(CxDrawSurface* surface, const CxRect& rect, CxPixel fill, CxPixel outerTopLeft,
               CxPixel outerBottomRight, CxPixel innerTopLeft, CxPixel innerBottomRight)
{
    if (!surface || rect.IsEmpty()) return;
    surface->FillRect(&rect, fill);
    DrawEdges(surface, rect, outerTopLeft, outerBottomRight);
    CxRect inner{rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1};
    DrawEdges(surface, inner, innerTopLeft, innerBottomRight);
}

void DrawBevel(CxDrawSurface* surface, const CxRect& rect, const CxBevel& b)
{
    DrawBevel(surface, rect, b.fill, b.outerTopLeft, b.outerBottomRight, b.innerTopLeft, b.innerBottomRight);
}

const uint8_t* CommonPalette()
{
    static const Palette palette;
    return palette.bytes;
}

CxDrawSurface* CreateFaceSurface(int32_t width, int32_t height)
{
    auto* surface = new CxDrawSurface;
    if (surface->Create(width, height, 8) != 0) {
        delete surface;
        return nullptr;
    }
    surface->SetPalette(CommonPalette());
    return surface;
}
