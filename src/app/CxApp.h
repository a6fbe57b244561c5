// The application object and its cycle loop.
//
// Exactly one application object exists, a static instance of the most
// derived class, constructed before the entry point runs.  `Run` repeats a
// cycle while a restart is requested; each cycle is
//
//   OpenCycle -> [ StartCycle -> ReadyCycle -> RunCycle -> EndCycle ] -> StopCycle -> CloseCycle
//
// where the bracketed part is guarded: a thrown error text ("DisplayAppError")
// ends it, but StopCycle and CloseCycle still run.  RunCycle is the main loop:
// one `Step` per frame until quitting or until the reported-error count
// reaches "Engine"/"MaxErrorCount".  The CxApp step runs the idle functions in
// registration order (removal during the walk is safe) and then UpdateFrame.
// A restart builds a whole new cycle on the same object with the options
// already in memory.
#pragma once
#include "core/CxAppServices.h"
#include "core/CxOptions.h"
#include "foundation/CxDynamicArray.h"

#include <cstdint>

class CxLuaEngine;

struct CxAppInfo {
    const char* name;
    const char* optionsFile;   // "$WINDOWS" and "$EXEPATH" are expanded
    const char* buildDate;
    uint8_t versionMajor;
    uint32_t versionMinor;
    uint16_t build;
    int32_t x, y, width, height;
    int32_t depth;
    uint32_t configFlags;
};

class CxApp : public CxOptions, public CxAppServices {
public:
    explicit CxApp(const CxAppInfo& info);
    ~CxApp() override;

    // Virtual operations added by the application, in slot order.
    virtual int  CanStart();
    virtual int  ParseCommandLine(CxLinkedList<CxString>& arguments);
    virtual int  Run();
    virtual void OnQuitRequest();
    virtual void UpdateFrame();
    virtual int  Step();
    virtual void OpenCycle();
    virtual void StartCycle();
    virtual void ReadyCycle();
    virtual void RunCycle();
    virtual void EndCycle();
    virtual void StopCycle();
    virtual void CloseCycle();
    virtual void ShowBanner();

    // The services the lower layers reach through CxAppServices.
    CxOptions& GetAppOptions() override { return *this; }
    void AddIdleFunction(CxIdleFunction function) override;
    void RemoveIdleFunction(CxIdleFunction function) override;
    int  RunModalFrame() override { return Step(); }
    int  IdleFunctionCount() const { return idleFunctions_.GetCount(); }
    void RunIdleStep();

    void Quit() override;
    void Restart() override;

    const char* GetName() const override { return name_; }
    const char* GetBuildDate() const override { return buildDate_; }
    const char* GetExePath() const override { return exePath_; }
    const char* GetStartDir() const override { return startDir_; }
    const CxAppInfo& GetInfo() const { return info_; }
    uint8_t  GetVersionMajor() const { return versionMajor_; }
    uint8_t  GetVersionMinor() const { return versionMinor_; }
    uint16_t GetBuild() const { return build_; }
    void* GetInstanceHandle() const { return instance_; }
    void  SetInstanceHandle(void* instance) { instance_ = instance; }
    void  SetExePath(const char* path);
    int  GetQuitFlag() const override { return quitFlag_; }
    int  GetRestartFlag() const { return restartFlag_; }
    void SetQuitFlag(int flag) { quitFlag_ = flag; }
    CxLuaEngine* GetScriptEngine() const { return scriptEngine_; }
    // Only the application's own layers set the error code that becomes the
    // exit code.
    void SetErrorCode(int code) { errorCode_ = code; }

    static CxApp* GetApp();

protected:
    // A quit signal from outside (a logout, `kill`, Ctrl+C) is a quit already
    // confirmed: nobody is asked and no restart follows.  True when one came;
    // Step then returns 1 so that a modal loop ends as well as the main loop.
    bool TakeQuitSignal();

    CxLuaEngine* scriptEngine_ = nullptr;

private:
    // Each lives in its own unit beside this one: CxAppFiles.cpp, CxAppScript.cpp.
    void OpenFileSystems();
    void CloseFileSystems();
    void OpenScriptEngine();
    void CloseScriptEngine();
    void ExpandOptionsPath(const char* pattern, char* out, size_t size);

    CxAppInfo info_;
    char name_[256] = {};
    char buildDate_[64] = {};
    char exePath_[256] = {};
    char startDir_[256] = {};
    void* instance_ = nullptr;
    uint8_t versionMajor_ = 1;
    uint8_t versionMinor_ = 0;
    uint16_t build_ = 0;
    int32_t quitFlag_ = 0;
    int32_t restartFlag_ = 0;
    CxDynamicArray<CxIdleFunction> idleFunctions_;
};

// The first call records the calling thread; each call answers whether the
// caller is that thread.
bool IsMainThread();

// The process entry point's work; returns the exit code.
int QorMain(int argc, char** argv);
