#include "app/CxApp.h"
#include "app/CxAppWiring.h"
#include "core/CxDebugSettings.h"
#include "core/CxPaths.h"
#include "foundation/CxMemory.h"
#include "foundation/Qorstr.h"
#include "platform/os/PlatformSignals.h"
#include "platform/os/PlatformSystem.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
CxApp* gApp = nullptr;
}

CxApp* CxApp::GetApp() { return gApp; }

bool IsMainThread()
{
    static uint64_t mainThread = PlatCurrentThreadId();
    return PlatCurrentThreadId() == mainThread;
}

// ------------------------------------------------------------- lifetime
CxApp::CxApp(const CxAppInfo& info) : info_(info)
{
    gApp = this;
    Install(this);
    WireEngine();
    IsMainThread();
    GetModuleDirectory(exePath_, sizeof exePath_);
    GetStartDirectory(startDir_, sizeof startDir_);
    CopyText(buildDate_, "Oct 19 2006 15:27:44", sizeof buildDate_);

    CopyText(name_, info.name, sizeof name_);
    char optionsPath[256];
    ExpandOptionsPath(info.optionsFile, optionsPath, sizeof optionsPath);
    if (info.buildDate) CopyText(buildDate_, info.buildDate, sizeof buildDate_);
    versionMajor_ = info.versionMajor;
    versionMinor_ = uint8_t(info.versionMinor);
    build_ = info.build;

    QorMemStart();
    OpenFileSystems();
    SetPath(optionsPath);
    Load();
    OpenDebugLog(*this, startDir_);

    int32_t seed = ReadInt("Engine", "RandomNumberSeed", int32_t(PlatTimeSeconds()));
    srand(unsigned(seed));
}

CxApp::~CxApp()
{
    Save();
    idleFunctions_.RemoveAll();
    CloseFileSystems();
    QorMemStop();
    UnwireEngine();
    Uninstall(this);
    if (gApp == this) gApp = nullptr;
}

void CxApp::ExpandOptionsPath(const char* pattern, char* out, size_t size)
{
    char windows[256];
    GetWindowsFolder(windows, sizeof windows);
    CxString path(pattern ? pattern : "");
    path.Replace("$WINDOWS", CxString(windows) + "/");
    path.Replace("$EXEPATH", exePath_);
    CopyText(out, path, size);
}

void CxApp::SetExePath(const char* path) { CopyText(exePath_, path, sizeof exePath_); }

// ------------------------------------------------------------- cycle loop
int CxApp::Run()
{
    restartFlag_ = 1;
    while (restartFlag_) {
        restartFlag_ = 0;
        quitFlag_ = 0;
        OpenCycle();
        try {
            StartCycle();
            ReadyCycle();
            if (errorCode_ == 0) RunCycle();
            EndCycle();
        } catch (const char*) {
            // The error callback already showed the problem; the cycle ends.
        }
        StopCycle();
        CloseCycle();
    }
    return errorCode_;
}

void CxApp::RunCycle()
{
    int32_t maxErrors = ReadInt("Engine", "MaxErrorCount", 3);
    while (!quitFlag_) {
        if (GetErrorCount() >= maxErrors) break;
        if (Step()) break;
    }
}

int CxApp::Step()
{
    if (TakeQuitSignal()) return 1;
    RunIdleStep();
    return 0;
}

void CxApp::RunIdleStep()
{
    for (CxDynamicArrayIterator<CxIdleFunction> it(idleFunctions_); it.Valid(); it.Next()) {
        CxIdleFunction function = it.Value();
        if (function) function();
    }
    UpdateFrame();
}

void CxApp::OpenCycle()
{
    QueryMachineInfo(MACHINE_OS_VERSION, nullptr);
    OpenScriptEngine();
}

int  CxApp::CanStart() { return 1; }
int  CxApp::ParseCommandLine(CxLinkedList<CxString>&) { return errorCode_; }
void CxApp::OnQuitRequest() {}
void CxApp::UpdateFrame() {}
void CxApp::StartCycle() {}
void CxApp::ReadyCycle() {}
void CxApp::EndCycle() {}
void CxApp::StopCycle() {}
void CxApp::CloseCycle() { CloseScriptEngine(); }

void CxApp::ShowBanner()
{
    char banner[200];
    snprintf(banner, sizeof banner, "%s %d.%02d build %d (%s)", name_, versionMajor_, versionMinor_, build_, buildDate_);
    Print("%s\n", banner);
}

// ------------------------------------------------------------- idle functions
void CxApp::AddIdleFunction(CxIdleFunction function)
{
    if (idleFunctions_.IndexOf(function) < 0) idleFunctions_.Add(function);
}

void CxApp::RemoveIdleFunction(CxIdleFunction function) { idleFunctions_.Remove(function); }

// ------------------------------------------------------------- quitting
void CxApp::Quit()
{
    quitFlag_ = 1;
    OnQuitRequest();
}

bool CxApp::TakeQuitSignal()
{
    if (!PlatTakeQuitSignal()) return false;
    quitFlag_ = 1;
    restartFlag_ = 0;
    return true;
}

// A restart that the current room vetoed must not linger and turn a later
// plain quit into a restart, so the restart is only armed when the quit stood.
void CxApp::Restart()
{
    quitFlag_ = 1;
    OnQuitRequest();
    if (quitFlag_) restartFlag_ = 1;
}

// ------------------------------------------------------------- entry point
int QorMain(int argc, char** argv)
{
    IsMainThread();
    CxApp* app = CxApp::GetApp();
    if (!app) return -1;
    if (!app->CanStart()) return app->GetErrorCode();
    app->SetInstanceHandle(nullptr);

    char moduleDir[256];
    GetModuleDirectory(moduleDir, sizeof moduleDir);
    app->SetExePath(moduleDir);

    CxLinkedList<CxString> arguments;
    for (int i = 0; i < argc; ++i) arguments.AddTail(CxString(argv[i]));
    app->ShowBanner();
    app->ParseCommandLine(arguments);
    arguments.RemoveAll();

    PlatWatchQuitSignals();

    app->Run();
    return app->GetErrorCode();
}
