// The game's application object: the pet-game layer with this game's breed
// and rooms.
#pragma once
#include "game/CBaseApp.h"

extern const CxAppInfo gVornAppInfo;

class CVornApp : public CBaseApp {
public:
    CVornApp() : CBaseApp(gVornAppInfo) {}
    void StartCycle() override;
    void ReadyCycle() override;
    void StopCycle() override;
    void UpdateFrame() override;
};
