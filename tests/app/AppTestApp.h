// A bare application whose frame step the test scripts, for the modal loops
// of dialogs: each pass calls `onStep` with the pass number (from 1).
#pragma once
#include "TestSupport.h"
#include "app/CxApp.h"

#include <functional>

class ScriptedStepApp : public CxApp {
public:
    ScriptedStepApp() : CxApp(Info()) {}

    int Step() override
    {
        ++passes;
        if (passes > passLimit) return 1;   // a broken test ends instead of hanging
        return onStep ? onStep(passes) : 0;
    }

    std::function<int(int)> onStep;
    int passes = 0;
    int passLimit = 1000;

private:
    static const CxAppInfo& Info()
    {
        static const CxAppInfo info = {"DialogTest", "dialogtest.ini", "Jan  1 2026 00:00:00", 1, 0, 1,
                                       0, 0, 640, 480, 32, 0};
        return info;
    }
};
