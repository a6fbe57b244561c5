// A stand-in for the running application whose frame step the test scripts,
// for the modal loops of dialogs: each pass calls `onStep` with the pass
// number (from 1).
#pragma once
#include "TestSupport.h"
#include "core/CxAppServices.h"

#include <algorithm>
#include <functional>
#include <vector>

class ScriptedStepApp : public CxAppServices {
public:
    ScriptedStepApp() { Install(this); }
    ~ScriptedStepApp() override { Uninstall(this); }

    int RunModalFrame() override
    {
        ++passes;
        if (passes > passLimit) return 1;   // a broken test ends instead of hanging
        return onStep ? onStep(passes) : 0;
    }

    CxOptions& GetAppOptions() override { return options; }
    void AddIdleFunction(CxIdleFunction function) override { idle.push_back(function); }
    void RemoveIdleFunction(CxIdleFunction function) override
    {
        auto at = std::find(idle.begin(), idle.end(), function);
        if (at != idle.end()) idle.erase(at);
    }
    void Quit() override { quitFlag = 1; }
    void Restart() override { quitFlag = 1; }
    int  GetQuitFlag() const override { return quitFlag; }
    const char* GetName() const override { return "DialogTest"; }
    const char* GetBuildDate() const override { return "Jan  1 2026 00:00:00"; }
    const char* GetExePath() const override { return "."; }
    const char* GetStartDir() const override { return "."; }

    std::function<int(int)> onStep;
    int passes = 0;
    int passLimit = 1000;
    int quitFlag = 0;
    CxOptions options;
    std::vector<CxIdleFunction> idle;
};
