#include "graphics/CxScreenCursor.h"

namespace {
CxScreenCursor* gScreenCursor = nullptr;
}

void SetScreenCursor(CxScreenCursor* cursor) { gScreenCursor = cursor; }
CxScreenCursor* GetScreenCursor() { return gScreenCursor; }
