// The script host's application functions (GetAppName, Quit, qor.app ...)
// reaching a real application object.
#include "../core/ErrorCapture.h"
#include "TestSupport.h"
#include "app/CxApp.h"
#include "script/CxLuaEngine.h"

#include <gtest/gtest.h>

namespace {
const CxAppInfo kInfo = {"ScriptApp", "script.ini", "Feb  2 2026 10:00:00", 1, 0, 1, 0, 0, 640, 480, 32, 0};

class ScriptApp : public CxApp {
public:
    ScriptApp() : CxApp(kInfo) {}
    int quitRequests = 0;
    bool veto = false;
    void OnQuitRequest() override
    {
        ++quitRequests;
        if (veto) SetQuitFlag(0);
    }
};
}  // namespace

TEST(LuaEngineApp, AppFunctionsAndQorAppClosuresReachTheApplication)
{
    InTempDir dir;
    ErrorCapture capture;
    ScriptApp app;
    CxLuaEngine engine(&app);
    ASSERT_EQ(engine.Init(), 0);
    EXPECT_EQ(engine.EvalString("GetAppName() .. '|' .. qor.app.GetAppName()", ""), "ScriptApp|ScriptApp");
    EXPECT_EQ(engine.EvalString("GetBuildDate()", ""), "Feb  2 2026 10:00:00");
    EXPECT_EQ(engine.EvalString("qor.app.GetStartupPath()", ""), app.GetStartDir());
    EXPECT_EQ(engine.EvalString("GetLocalPath()", ""), app.GetExePath());
    EXPECT_FALSE(engine.EvalBool("IsQuiting()", true));
    EXPECT_EQ(engine.EvalNumber("qor.app.IsQuiting()", -1), 0);

    engine.RunString("Quit()");
    EXPECT_EQ(app.GetQuitFlag(), 1);
    EXPECT_TRUE(engine.EvalBool("IsQuiting()", false));
    EXPECT_EQ(engine.EvalNumber("qor.app.IsQuiting()", -1), 1);

    app.SetQuitFlag(0);
    app.veto = true;
    engine.RunString("exit() qor.app.Quit() qor.app.Restart()");
    EXPECT_EQ(app.quitRequests, 4);
    EXPECT_EQ(app.GetQuitFlag(), 0);
    EXPECT_EQ(app.GetRestartFlag(), 0);
    EXPECT_EQ(engine.GetScriptErrorCount(), 0);
}

TEST(LuaEngineApp, WithoutAnApplicationTheAppFunctionsDoNothing)
{
    ErrorCapture capture;
    CxLuaEngine engine;
    ASSERT_EQ(engine.Init(), 0);
    EXPECT_EQ(engine.RunString("Quit() Restart() qor.app.Quit() assert(GetAppName() == '')"), 0);
    EXPECT_EQ(engine.RunString("assert(qor.app.GetAppName() == nil) assert(IsQuiting() == false)"), 0);
}
