#include "../core/ErrorCapture.h"
#include "TestSupport.h"
#include "app/CxApp.h"
#include "core/CxDebugSettings.h"
#include "core/CxMainLoopHook.h"
#include "platform/os/PlatformSignals.h"

#include <gtest/gtest.h>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

namespace {
const CxAppInfo kInfo = {"TestApp", "test.ini", "Jan  1 2026 00:00:00", 2, 5, 9, 0, 0, 640, 480, 32, 0};

class TestApp : public CxApp {
public:
    explicit TestApp(const CxAppInfo& info = kInfo) : CxApp(info) {}

    std::vector<std::string> log;
    int frames = 0;
    int quitAfterFrames = 1;
    int restartsLeft = 0;
    bool throwInStart = false;
    bool failInStart = false;
    bool vetoQuit = false;
    bool reportEveryFrame = false;

    void OpenCycle() override { log.push_back("open"); CxApp::OpenCycle(); }
    void StartCycle() override
    {
        log.push_back("start");
        if (failInStart) SetErrorCode(ERR_DIRECTX);
        if (throwInStart) throw "DisplayAppError";
    }
    void ReadyCycle() override { log.push_back("ready"); }
    void RunCycle() override { log.push_back("run"); CxApp::RunCycle(); }
    void EndCycle() override { log.push_back("end"); }
    void StopCycle() override { log.push_back("stop"); }
    void CloseCycle() override { log.push_back("close"); CxApp::CloseCycle(); }
    void OnQuitRequest() override { if (vetoQuit) SetQuitFlag(0); }
    void UpdateFrame() override
    {
        ++frames;
        if (reportEveryFrame) ReportError(ERR_UNKNOWN, "frame %d", frames);
        if (frames % quitAfterFrames != 0) return;
        if (restartsLeft > 0) { --restartsLeft; Restart(); }
        else Quit();
    }
};

using Log = std::vector<std::string>;

class Application : public ::testing::Test {
protected:
    InTempDir dir;
    ErrorCapture capture;
};

// Idle functions and hooks are plain function pointers and objects: their
// observations go through these globals.
std::vector<std::string> gCalls;
void IdleA() { gCalls.push_back("A"); }
void IdleB() { gCalls.push_back("B"); }
void IdleRemovesItself()
{
    gCalls.push_back("self");
    CxApp::GetApp()->RemoveIdleFunction(IdleRemovesItself);
}

class RecordingHook : public CxMainLoopHook {
public:
    explicit RecordingHook(std::string n) : name(std::move(n)) {}
    void OnMainLoop() override
    {
        gCalls.push_back(name);
        if (victim) { delete victim; victim = nullptr; }
        if (destroySelf) delete this;
    }
    std::string name;
    RecordingHook* victim = nullptr;
    bool destroySelf = false;
};
}  // namespace

TEST_F(Application, CyclePhasesRunInOrder)
{
    TestApp app;
    EXPECT_EQ(app.Run(), 0);
    EXPECT_EQ(app.log, (Log{"open", "start", "ready", "run", "end", "stop", "close"}));
    EXPECT_EQ(app.frames, 1);
}

TEST_F(Application, AThrownErrorTextStillStopsAndClosesTheCycle)
{
    TestApp app;
    app.throwInStart = true;
    app.Run();
    EXPECT_EQ(app.log, (Log{"open", "start", "stop", "close"}));
}

TEST_F(Application, AnErrorCodeSkipsTheMainLoopAndBecomesTheExitCode)
{
    TestApp app;
    app.failInStart = true;
    EXPECT_EQ(app.Run(), ERR_DIRECTX);
    EXPECT_EQ(app.log, (Log{"open", "start", "ready", "end", "stop", "close"}));
}

TEST_F(Application, RestartBuildsANewCycleWithTheOptionsInMemory)
{
    WriteFileBytes("test.ini", "[Game]\nvalue=disk\n");
    TestApp app;
    app.restartsLeft = 1;
    app.SetString("Game", "value", "memory");
    WriteFileBytes("test.ini", "[Game]\nvalue=changed on disk\n");
    app.Run();
    EXPECT_EQ(app.log, (Log{"open", "start", "ready", "run", "end", "stop", "close",
                            "open", "start", "ready", "run", "end", "stop", "close"}));
    EXPECT_EQ(app.ReadString("Game", "value", ""), CxString("memory"));
}

TEST_F(Application, ReportedErrorsEndTheMainLoopAtTheLimit)
{
    {
        TestApp app;
        app.reportEveryFrame = true;
        app.quitAfterFrames = 1000;
        app.Run();
        EXPECT_EQ(app.frames, 3);   // default MaxErrorCount
    }
    SetErrorCount(0);
    WriteFileBytes("test.ini", "[Engine]\nMaxErrorCount=5\n");
    TestApp app;
    app.reportEveryFrame = true;
    app.quitAfterFrames = 1000;
    app.Run();
    EXPECT_EQ(app.frames, 5);
}

TEST_F(Application, AVetoedQuitOrRestartKeepsRunning)
{
    TestApp app;
    app.vetoQuit = true;
    app.Quit();
    EXPECT_EQ(app.GetQuitFlag(), 0);
    app.Restart();
    EXPECT_EQ(app.GetQuitFlag(), 0);
    EXPECT_EQ(app.GetRestartFlag(), 0);
    app.vetoQuit = false;
    app.Restart();
    EXPECT_EQ(app.GetQuitFlag(), 1);
    EXPECT_EQ(app.GetRestartFlag(), 1);
}

namespace {
TestApp* gSignalled = nullptr;
int gSignalSteps = 0;
void RaiseTermOnTheThirdStep()
{
    if (++gSignalSteps == 3) std::raise(SIGTERM);
    if (gSignalSteps > 50) gSignalled->SetQuitFlag(1);   // the signal went unheard: end anyway
}
}  // namespace

// A quit signal is a quit already confirmed: the room's veto is not asked for
// and the cycle ends through its normal phases.
TEST_F(Application, AQuitSignalEndsTheCycleWithoutAskingAndWithoutRestart)
{
    PlatWatchQuitSignals();
    TestApp app;
    app.vetoQuit = true;
    app.quitAfterFrames = 1000;
    gSignalled = &app;
    gSignalSteps = 0;
    app.AddIdleFunction(RaiseTermOnTheThirdStep);
    EXPECT_EQ(app.Run(), 0);
    EXPECT_EQ(app.frames, 3);
    EXPECT_EQ(app.log, (Log{"open", "start", "ready", "run", "end", "stop", "close"}));
    EXPECT_EQ(app.GetQuitFlag(), 1);
    EXPECT_EQ(app.GetRestartFlag(), 0);
    gSignalled = nullptr;
}

TEST_F(Application, IdleFunctionsRunInOrderAndMayRemoveThemselves)
{
    TestApp app;
    gCalls.clear();
    app.AddIdleFunction(IdleA);
    app.AddIdleFunction(IdleRemovesItself);
    app.AddIdleFunction(IdleB);
    app.AddIdleFunction(IdleA);   // already there
    app.RunIdleStep();
    app.RunIdleStep();
    EXPECT_EQ(gCalls, (Log{"A", "self", "B", "A", "B"}));
    EXPECT_EQ(app.frames, 2);
    app.RemoveIdleFunction(IdleA);
    app.RemoveIdleFunction(IdleB);
    EXPECT_EQ(app.IdleFunctionCount(), 0);
}

TEST_F(Application, HooksShareOneIdleFunctionAndMayDestroyThemselves)
{
    TestApp app;
    gCalls.clear();
    auto* first = new RecordingHook("1");
    EXPECT_EQ(app.IdleFunctionCount(), 1);
    auto* second = new RecordingHook("2");
    auto* third = new RecordingHook("3");
    auto* fourth = new RecordingHook("4");
    EXPECT_EQ(app.IdleFunctionCount(), 1);

    second->destroySelf = true;
    third->victim = fourth;       // destroys the hook the walk would visit next
    app.RunIdleStep();
    EXPECT_EQ(gCalls, (Log{"1", "2", "3"}));
    EXPECT_EQ(CxMainLoopHook::HookCount(), 2);

    gCalls.clear();
    app.RunIdleStep();
    EXPECT_EQ(gCalls, (Log{"1", "3"}));

    delete first;
    delete third;
    EXPECT_EQ(CxMainLoopHook::HookCount(), 0);
    EXPECT_EQ(app.IdleFunctionCount(), 0);
}

TEST_F(Application, ConstructionExpandsTheOptionsPathAndRecordsFolders)
{
    CxAppInfo info = kInfo;
    info.optionsFile = "$EXEPATHsettings.ini";
    TestApp app(info);
    std::string exe = app.GetExePath();
    ASSERT_FALSE(exe.empty());
    EXPECT_EQ(exe.back(), '/');
    EXPECT_EQ(std::string(app.GetPath()), exe + "settings.ini");
    EXPECT_EQ(std::string(app.GetStartDir()), std::filesystem::current_path().string());
    EXPECT_STREQ(app.GetName(), "TestApp");
    EXPECT_EQ(app.GetVersionMinor(), 5);
    EXPECT_EQ(app.GetBuild(), 9);
    EXPECT_EQ(CxApp::GetApp(), &app);
}

TEST_F(Application, EntryPointWithoutAnApplicationOrRefusedStart)
{
    EXPECT_EQ(CxApp::GetApp(), nullptr);
    char name[] = "vorn";
    char* argv[] = {name};
    EXPECT_EQ(QorMain(1, argv), -1);

    struct Refusing : TestApp {
        int CanStart() override { SetErrorCode(ERR_UNKNOWN); return 0; }
    } app;
    EXPECT_EQ(QorMain(1, argv), ERR_UNKNOWN);
    EXPECT_TRUE(app.log.empty());   // no cycle was opened
}

TEST_F(Application, EntryPointRunsTheCycleAndReturnsTheErrorCode)
{
    TestApp app;
    char name[] = "vorn";
    char* argv[] = {name};
    EXPECT_EQ(QorMain(1, argv), 0);
    EXPECT_EQ(app.frames, 1);
}

TEST_F(Application, DebugSettingsNameAndClearTheLogFile)
{
    WriteFileBytes("DEBUG.LOG", "old");
    WriteFileBytes("test.ini", "[Engine.Debug]\nClearLogFile=1\n");
    {
        TestApp app;
        EXPECT_FALSE(std::filesystem::exists("DEBUG.LOG"));
        EXPECT_EQ(std::string(GetDebugSettings().logFileName), std::string(app.GetStartDir()) + "/DEBUG.LOG");
        EXPECT_EQ(GetDebugSettings().debugLevel, 4);
    }
    WriteFileBytes("test.ini", "[Engine.Debug]\nLogFileName=logs\\run.log\nClearMemory=0\n");
    TestApp app;
    EXPECT_STREQ(GetDebugSettings().logFileName, "logs/run.log");
    EXPECT_EQ(GetDebugSettings().useDebugClear, 0);   // follows ClearMemory
}
