// vorn-script FILE [ARGS]: runs a script file in the engine's script host
// without a window.
//
// The runner first moves into FILE's folder: engine paths are relative to a
// file system's root, never absolute host paths, so the script is run by its
// name there (and finds the files beside it by name, as game scripts do).
// One application cycle is run: the cycle creates the script state, the
// headless script API is installed, the global `arg` holds FILE as given as
// arg[0] and ARGS from arg[1] on, and the file runs through the host's
// dofile.  Then the main loop is pumped (timers, the event channels, one
// pass per millisecond) until no channel holds an event, the script quits, or
// VORN_SCRIPT_TIME_LIMIT milliseconds (default 10000) have passed; the
// `system` event creator and a system channel exist as in the game.  Last,
// a global function OnScriptEnd, when the script defined one, is called, so
// a test can check what its events did.  A Quit or Restart from the script
// just ends the run.  Script output goes to
// standard output; reported errors to standard error.  The exit status is
// non-zero when the script raised an error or an error was reported.
#include "app/CxApp.h"
#include "core/CxError.h"
#include "core/CxTime.h"
#include "events/CSystemEventCreator.h"
#include "events/CxEvent.h"
#include "events/CxEventScriptFunctions.h"
#include "files/CxFileSystemList.h"
#include "foundation/Qorstr.h"
#include "game/CVornApp.h"
#include "script/CxLuaEngine.h"
#include "app/CxScriptApi.h"
#include "script/CxScriptApi.h"
#include "framework/CxRoomScript.h"
#include "platform/os/PlatformSystem.h"

#include <lua.hpp>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {
int ReportToStderr(int code, const char* message)
{
    fprintf(stderr, "error %d (%s)%s%s\n", code, GetErrorName(code), message && *message ? ": " : "",
            message ? message : "");
    return 0;
}

struct Arguments {
    int count;
    char** values;
};

int SetArguments(lua_State* L)
{
    auto* args = static_cast<Arguments*>(lua_touserdata(L, 1));
    lua_createtable(L, args->count, 1);
    for (int i = 0; i < args->count; ++i) {
        lua_pushstring(L, args->values[i]);
        lua_rawseti(L, -2, i);
    }
    lua_setglobal(L, "arg");
    return 0;
}

class ScriptRunnerApp : public CxApp {
public:
    ScriptRunnerApp(int count, char** values) : CxApp(gVornAppInfo), args_{count, values} {}

    // One cycle only: a restart asked for by the script ends the run instead
    // of running the file again.
    int Run() override
    {
        OpenCycle();
        try {
            StartCycle();
            ReadyCycle();
        } catch (const char*) {
            failed_ = true;
        }
        StopCycle();
        CloseCycle();
        fileSystems_.RemoveAll();   // the scripts' file systems go with the cycle that made them
        return errorCode_;
    }

    void StartCycle() override
    {
        CxLuaEngine* engine = GetScriptEngine();
        if (!engine || !engine->GetState()) {
            failed_ = true;
            return;
        }
        if (RegisterHeadlessScriptApi(*engine, &fileSystems_) != 0) failed_ = true;
        if (RegisterRoomScriptFunctions(*engine) != 0) failed_ = true;
        if (lua_cpcall(engine->GetState(), SetArguments, &args_) != 0) failed_ = true;
    }

    void ReadyCycle() override
    {
        CxLuaEngine* engine = GetScriptEngine();
        if (failed_ || !engine) return;
        engine->RunFile(FileNamePart(args_.values[0]));
        PumpEvents();
        if (!engine->EvalBool("OnScriptEnd == nil", true)) engine->RunString("OnScriptEnd()");
        scriptErrors_ = engine->GetScriptErrorCount();
    }

    // The runner's main loop: what the game's frames would do for events.
    void PumpEvents()
    {
        const char* limitText = PlatGetEnv("VORN_SCRIPT_TIME_LIMIT");
        uint32_t limit = limitText ? uint32_t(strtoul(limitText, nullptr, 10)) : 10000;
        uint32_t started = QorTickCount();
        while (CxEvent::AnyChannelBusy() && !GetQuitFlag()) {
            if (QorTickCount() - started >= limit) {
                fprintf(stderr, "vorn-script: events still running after %u ms\n", limit);
                return;
            }
            RunIdleStep();
            PlatSleep(1);
        }
    }

    void OpenCycle() override
    {
        CxApp::OpenCycle();
        uint32_t channel = 0;
        CxEvent::CreateChannel(&channel);
        SetSystemChannel(channel);
        listener_.ListenTo(channel);
        RegisterEventCreator("system", &system_);
    }

    void CloseCycle() override
    {
        UnregisterEventCreators("system");
        CxEvent::DestroyChannel(GetSystemChannelId());
        SetSystemChannel(0);
        CxApp::CloseCycle();
    }

    bool Failed() const { return failed_ || scriptErrors_ > 0; }

private:
    CxFileSystemList fileSystems_;
    CxEventListener listener_;    // its existence drives the event pump
    CSystemEventCreator system_;
    Arguments args_;
    bool failed_ = false;
    int scriptErrors_ = 0;
};
}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: vorn-script FILE [ARGS]\n");
        return 2;
    }
    std::string folder(argv[1], size_t(FileNamePart(argv[1]) - argv[1]));
    if (!folder.empty() && chdir(folder.c_str()) != 0) {
        fprintf(stderr, "vorn-script: cannot enter the folder %s\n", folder.c_str());
        return 2;
    }
    SetErrorCallback(ReportToStderr);
    IsMainThread();
    int status;
    {
        ScriptRunnerApp app(argc - 1, argv + 1);
        app.Run();
        status = (app.Failed() || GetErrorCount() > 0 || app.GetErrorCode() != 0) ? 1 : 0;
    }
    return status;
}
