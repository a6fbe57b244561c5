#include "app/CxAppWiring.h"
#include "display/CxCursor.h"
#include "display/CxDisplayObject.h"
#include "files/QorCoreFiles.h"
#include "graphics/CxScreenCursor.h"

void WireEngine() { SetCoreFileAccess(QorCoreFileAccess()); }

void UnwireEngine() { SetCoreFileAccess(nullptr); }

void WireDisplay()
{
    SetScreenCursor(GetCursorPainter());
    SetDefaultCursorHook(SelectDefaultCursor);
}

void UnwireDisplay()
{
    SetDefaultCursorHook(nullptr);
    SetScreenCursor(nullptr);
}
