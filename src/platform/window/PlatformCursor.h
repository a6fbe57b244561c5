// The system mouse cursor: the standard shapes, cursors made from images,
// and the pointer position.  Image cursors are cached by the caller's id.
#pragma once
#include <cstdint>

enum PlatCursorShape { PLAT_CURSOR_ARROW, PLAT_CURSOR_WAIT, PLAT_CURSOR_IBEAM, PLAT_CURSOR_NO, PLAT_CURSOR_HAND };

bool PlatCursorSetShape(PlatCursorShape shape);
// Makes (or replaces) the image cursor `id` from A8R8G8B8 pixels.
bool PlatCursorDefineImage(int id, const uint32_t* pixels, int width, int height, int hotX, int hotY);
bool PlatCursorSetImage(int id);           // false when no image has that id
void PlatCursorForgetImages();
// Frees every cursor, shapes included; the video's shutdown calls it.
void PlatCursorRelease();
// The pointer in client coordinates of the main window.
void PlatMousePosition(int32_t* x, int32_t* y);
