// Shared body of the image reader fuzz targets.
#pragma once
#include "core/CxError.h"
#include "graphics/QorImageFilters.h"

#include <cstdint>

inline int FuzzQuietErrors(int, const char*) { return 0; }

template <typename Decode>
int FuzzImageInput(Decode decode, const uint8_t* data, size_t size)
{
    SetErrorCallback(FuzzQuietErrors);   // the default would open message boxes
    CxDrawSurface surface;
    if (decode(&surface, data, size, "fuzz") != 0 || !surface.GetBits()) return 0;
    // Touch every pixel through the blitter and write the picture back out.
    CxDrawSurface target;
    if (target.Create(64, 64, 32) == 0) {
        CxRect whole{-3, -3, 70, 40};
        BltEffects alpha{BLT_EFFECT_ALPHA};
        surface.Blt(&target, &whole, nullptr, CX_NO_COLOR, &alpha);
    }
    CxImageBytes out;
    QorEncodeQOR(&surface, 1, out);
    CxDrawSurface back;
    if (out.Size() && QorDecodeQOR(&back, out.Data(), out.Size(), "fuzz") != 0) __builtin_trap();
    return 0;
}
