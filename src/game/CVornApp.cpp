#include "game/CVornApp.h"
#include "core/CxTime.h"
#include "graphics/QorImageFilters.h"
#include "platform/os/PlatformSystem.h"

const CxAppInfo gVornAppInfo = {
    "Vorn", "Vorn.ini", "Oct 25 2006 18:38:09", 1, 0, 127, 0, 0, 800, 600, 16, 1,
};

// The image file types for this cycle; the game writes its own pictures as
// QOR files, so .QOR is registered again with the writer.
void CVornApp::StartCycle()
{
    CxWindowApp::StartCycle();
    RegisterEngineImageFilters();
    RegisterImageFilter(".QOR", QorLoadQOR, QorSaveQOR);
}

void CVornApp::StopCycle()
{
    UnregisterImageFilters("*");
    CxWindowApp::StopCycle();
}

// Frames are presented at most every 16 ms; with nothing to draw yet the
// rest of the frame is slept away rather than spun.
void CVornApp::UpdateFrame()
{
    uint32_t since = QorTickCount() - lastFrame_;
    if (since < 16) PlatSleep(16 - since);
    lastFrame_ = QorTickCount();
}
