// The splash screen over the whole display.  The screen keeps the size it
// was made with for the whole cycle, so the splash is centred in it rather
// than switching the internal size around it.
#include "game/CBaseApp.h"

#include "app/CxGamePath.h"
#include "display/CxDisplayTree.h"
#include "game/CSplashScreen.h"

namespace {
constexpr const char* kSplashPicture = "generated/Textures/splashscreen.tga";

void InvalidateDisplay(CxSize size)
{
    if (size.width > 0 && size.height > 0) InvalidateRect(CxRect{0, 0, size.width - 1, size.height - 1});
}
}  // namespace

int CBaseApp::DoSplashScreen()
{
    CxDisplayObject* root = GetRootObject();
    InvalidateDisplay(GetDisplaySize());
    int code = 0;
    {
        CSplashScreen splash;
        code = splash.ShowModal(BuildGamePath(kSplashPicture).Text(), root);
    }
    InvalidateDisplay(GetDisplaySize());
    return code;
}
