// The self-drawn faces of the engine's common dialogs: 8-bit pictures drawn
// with palette indices against one fixed palette, so they look the same on
// any screen without image files.
//
// A bevel fills a rectangle, draws its outer top and left edges, then its
// outer bottom and right edges (which win at the two shared corners), moves
// one pixel inward on every side and draws the inner edges the same way.
#pragma once
#include "graphics/CxSurf.h"

// Palette indices the faces use.
enum CxCommonColour : uint8_t {
    COMMON_BLACK = 0,
    COMMON_LIGHT_GREY = 7,
    COMMON_TRANSPARENT = 10,
    COMMON_DARK_GREY = 248,
    COMMON_BLUE = 252,
    COMMON_WHITE = 255,
};

struct CxBevel {
    CxPixel fill, outerTopLeft, outerBottomRight, innerTopLeft, innerBottomRight;
};

constexpr CxBevel kRaisedBevel{COMMON_LIGHT_GREY, COMMON_LIGHT_GREY, COMMON_BLACK, COMMON_WHITE, COMMON_DARK_GREY};
constexpr CxBevel kSunkenBevel{COMMON_LIGHT_GREY, COMMON_DARK_GREY, COMMON_WHITE, COMMON_BLACK, COMMON_LIGHT_GREY};
constexpr CxBevel kEditBevel{COMMON_WHITE, COMMON_DARK_GREY, COMMON_WHITE, COMMON_BLACK, COMMON_LIGHT_GREY};

void DrawBevel(CxDrawSurface* surface, const CxRect& rect, CxPixel fill, CxPixel outerTopLeft,
               CxPixel outerBottomRight, CxPixel innerTopLeft, CxPixel innerBottomRight);
void DrawBevel(CxDrawSurface* surface, const CxRect& rect, const CxBevel& bevel);

// The 256 entries the common faces are drawn against: the twenty fixed
// colours of an 8-bit desktop at 0-9 and 246-255, a grey ramp between.
const uint8_t* CommonPalette();
// A new 8-bit surface with the common palette; null (after a report) when
// it cannot be made.
CxDrawSurface* CreateFaceSurface(int32_t width, int32_t height);
