// The two 2D screens over the main window, shown from a pixel buffer that
// the engine paints into.
//
//   window-surface screen ("GDI"):          SDL window surface, rectangles
//                                           blitted and updated one by one
//   renderer-texture screen ("DirectDraw"): SDL renderer with a streaming
//                                           texture; full screen uses SDL's
//                                           full-screen mode
//
// Both take a buffer of 16-bit (5-6-5 or 5-5-5) or 32-bit (X8R8G8B8) pixels
// and show the listed rectangles of it.
#pragma once
#include "platform/window/PlatformWindow.h"

#include <cstdint>

struct PlatScreen;

enum PlatScreenKind { PLAT_SCREEN_WINDOW_SURFACE, PLAT_SCREEN_RENDERER };

enum PlatPixelLayout : uint32_t {
    PLAT_PIXELS_X8R8G8B8 = 0,
    PLAT_PIXELS_R5G6B5 = 1,
    PLAT_PIXELS_X1R5G5B5 = 2,
};

struct PlatScreenInfo {
    int32_t width = 0, height = 0;
    int depth = 0;                  // of the display the screen shows on
    int redBits = 0, greenBits = 0, blueBits = 0;
};

// Opens a screen of the given size over the main window; null with the
// reason in PlatLastError().
PlatScreen* PlatScreenOpen(PlatScreenKind kind, int32_t width, int32_t height, bool fullScreen);
void PlatScreenClose(PlatScreen* screen);
PlatScreenInfo PlatScreenGetInfo(const PlatScreen* screen);
PlatScreenKind PlatScreenGetKind(const PlatScreen* screen);

// Shows the rectangles (inclusive, clipped to the screen; null = all) of a
// buffer of the screen's size.  False when the platform refused.  A screen
// smaller or larger than the window is scaled to fill it.
bool PlatScreenPresent(PlatScreen* screen, const void* pixels, int32_t pitch, PlatPixelLayout layout,
                       const PlatRect* rects, int count);

// Reads back what the screen shows as X8R8G8B8, for screenshots and tests.
bool PlatScreenReadPixels(PlatScreen* screen, uint32_t* out, int32_t width, int32_t height);
