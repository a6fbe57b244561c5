// Events that run a script line: once (CxLuaEvent), or every `Interval` ms
// for `Duration` ms (CxLuaTimerEvent; duration 0 runs until flushed).  The
// line goes to whatever script runner the script host installed.
#pragma once
#include "events/CxEventKinds.h"

using CxEventScriptRunner = int (*)(const char* line);
void SetEventScriptRunner(CxEventScriptRunner runner);
int  RunEventScript(const char* line);   // error 22 when no runner is installed
int  RunEventScriptWithoutEngine(const char* line);   // reports error 22

class CxLuaEvent : public CxEvent {
public:
    explicit CxLuaEvent(const char* line) : line_(line) {}
    void Release() override { started_ = done_ = false; }
    void Start() override;
    bool IsStarted() override { return started_; }
    void Stop() override { started_ = false; }
    bool IsDone() override { return done_; }
    void Pause() override {}
    void Resume() override {}
    bool IsPaused() override { return false; }
    const char* GetLine() const { return line_.Text(); }

private:
    CxString line_;
    bool started_ = false;
    bool done_ = false;
};

class CxLuaTimerEvent : public CTimerEvent, public CxTimerListener {
public:
    CxLuaTimerEvent(uint32_t duration, uint32_t interval, const char* line);
    void Release() override;
    void Start() override;
    void Stop() override;
    void Pause() override;
    void Resume() override;
    void OnTimer(CxTimerCallBack* timer) override;

private:
    CxString line_;
    CxTimerCallBack repeat_;
};

// "true" for a script's run-next-now argument: the boolean true or a number
// other than 0.
inline uint32_t ScriptEventFlags(bool runNextNow)
{
    return EVENT_AUTO_DELETE | (runNextNow ? uint32_t(EVENT_RUN_NEXT_NOW) : 0u);
}
