// The blit effects record and its codes.  Scripts see the codes as the table
// BLT_EFFECTS; the engine passes a record (or null for a plain copy).
#pragma once
#include "foundation/CxGeometry.h"
#include "graphics/CxPixelFormat.h"

#include <cstdint>

enum BLT_EFFECTS : int32_t {
    BLT_EFFECT_NONE = 0,
    BLT_EFFECT_HALF = 2,
    BLT_EFFECT_ALPHA = 3,
    BLT_EFFECT_DEST_ALPHA = 4,
    BLT_EFFECT_MIX_ALPHA = 5,
    BLT_EFFECT_ALPHA_OVER = 6,
    BLT_EFFECT_TRANSLUCENT = 7,
    BLT_EFFECT_DEST_OPACITY = 8,
    BLT_EFFECT_ALPHA_TINT = 9,
    BLT_EFFECT_FILL_MASK = 10,
    BLT_EFFECT_SILHOUETTE = 11,
    BLT_EFFECT_ADD_COLOR = 12,
    BLT_EFFECT_FLIP_VERTICAL = 14,
    BLT_EFFECT_HIDDEN = 16,
    BLT_EFFECT_STENCIL = 17,
    BLT_EFFECT_STENCIL_COLOR = 18,
    BLT_EFFECT_CUSTOM = 19,
};

// Every code by its name, as scripts see them in the table BLT_EFFECTS.
struct BltEffectName {
    const char* name;
    int32_t code;
};
inline constexpr BltEffectName kBltEffectNames[] = {
    {"BLT_EFFECT_NONE", BLT_EFFECT_NONE},
    {"BLT_EFFECT_HALF", BLT_EFFECT_HALF},
    {"BLT_EFFECT_ALPHA", BLT_EFFECT_ALPHA},
    {"BLT_EFFECT_DEST_ALPHA", BLT_EFFECT_DEST_ALPHA},
    {"BLT_EFFECT_MIX_ALPHA", BLT_EFFECT_MIX_ALPHA},
    {"BLT_EFFECT_ALPHA_OVER", BLT_EFFECT_ALPHA_OVER},
    {"BLT_EFFECT_TRANSLUCENT", BLT_EFFECT_TRANSLUCENT},
    {"BLT_EFFECT_DEST_OPACITY", BLT_EFFECT_DEST_OPACITY},
    {"BLT_EFFECT_ALPHA_TINT", BLT_EFFECT_ALPHA_TINT},
    {"BLT_EFFECT_FILL_MASK", BLT_EFFECT_FILL_MASK},
    {"BLT_EFFECT_SILHOUETTE", BLT_EFFECT_SILHOUETTE},
    {"BLT_EFFECT_ADD_COLOR", BLT_EFFECT_ADD_COLOR},
    {"BLT_EFFECT_FLIP_VERTICAL", BLT_EFFECT_FLIP_VERTICAL},
    {"BLT_EFFECT_HIDDEN", BLT_EFFECT_HIDDEN},
    {"BLT_EFFECT_STENCIL", BLT_EFFECT_STENCIL},
    {"BLT_EFFECT_STENCIL_COLOR", BLT_EFFECT_STENCIL_COLOR},
    {"BLT_EFFECT_CUSTOM", BLT_EFFECT_CUSTOM},
};

class CxDrawSurface;
class CxLuaEngine;

// Makes the script table BLT_EFFECTS, one field per code.  0 or the
// engine's error code.
int RegisterBltEffectsTable(CxLuaEngine& engine);

// Effect 19: does all the pixel work of one blit.
using BltCustomRoutine = int (*)(CxDrawSurface* source, CxDrawSurface* destination, const CxRect& sourceRect,
                                 const CxRect& destinationRect, CxPixel transparent, intptr_t param2, intptr_t param3);

// Parameters are pointer-sized so that effects 17 and 19 can carry a surface
// or a routine on 64-bit machines; every other effect reads them as 32-bit
// signed numbers.
struct BltEffects {
    int32_t code = BLT_EFFECT_NONE;
    intptr_t param1 = 0, param2 = 0, param3 = 0;
};
