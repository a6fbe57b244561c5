// The game's application object.  The window, display and game layers sit
// between it and CxApp once they exist; until then it runs the cycle without
// a window and ends after its first frame.
#pragma once
#include "core/CxApp.h"

extern const CxAppInfo gVornAppInfo;

class CVornApp : public CxApp {
public:
    CVornApp() : CxApp(gVornAppInfo) {}
    void UpdateFrame() override;
};
