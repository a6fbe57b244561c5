// The process-wide cursor state shared by the cursor units; nothing outside
// src/display/CxCursor*.cpp includes this.
#pragma once
#include "display/CxCursor.h"
#include "foundation/CxLinkedList.h"
#include "foundation/CxString.h"

#include <climits>

namespace cursors {
constexpr int32_t kNoCursor = INT32_MIN;   // no id selected yet, so any first SetCursorId acts

struct State {
    bool custom = false;
    int depth = 32;
    uint8_t format16 = 0;
    CxLinkedList<CxCursorImage*> images;
    CxCursorImage* current = nullptr;
    int32_t currentId = kNoCursor;
    int32_t defaultId = 0;
    int hideCount = 0;
    CxPoint position;
    bool redraw = false;               // the current image changed since it was drawn
    CxDrawSurface* saveUnder = nullptr;
    CxRect saved;                      // target rectangle whose pixels are in saveUnder
    bool pixelsSaved = false;
    CxRect drawn;                      // where the cursor was drawn last; empty when not shown
    CxLinkedList<CxString> names;      // named cursors, id = 10 + position
};

State& Get();
void DeleteImage(CxCursorImage* image);
// Grows the save-under surface to hold a frame of the given size.
int  GrowSaveUnder(int32_t width, int32_t height);
int32_t FrameWidth(const CxCursorImage& image);
}  // namespace cursors
