#include "game/CVornApp.h"
#include "core/CxError.h"

const CxAppInfo gVornAppInfo = {
    "Vorn", "Vorn.ini", "Oct 25 2006 18:38:09", 1, 0, 127, 0, 0, 800, 600, 16, 1,
};

// With no window there is nothing to show and no close message to wait for.
void CVornApp::UpdateFrame()
{
    Print("\nNo window layer in this build yet: the cycle ran and ends after one frame.\n");
    Quit();
}
