// The game's application object.  The display and game layers will sit
// between it and the window layer; until they exist it shows an empty main
// window and runs until the window is closed.
#pragma once
#include "core/CxWindowApp.h"

extern const CxAppInfo gVornAppInfo;

class CVornApp : public CxWindowApp {
public:
    CVornApp() : CxWindowApp(gVornAppInfo) {}
    void StartCycle() override;
    void StopCycle() override;
    void UpdateFrame() override;

private:
    uint32_t lastFrame_ = 0;
};
