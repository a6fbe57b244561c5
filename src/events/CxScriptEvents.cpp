#include "events/CxScriptEvents.h"
#include "core/CxError.h"

namespace {
CxEventScriptRunner gRunner = nullptr;
}

void SetEventScriptRunner(CxEventScriptRunner runner) { gRunner = runner; }

int RunEventScriptWithoutEngine(const char* line)
{
    ReportError(ERR_SCRIPTING, "No script engine to run \"%s\"", line ? line : "");
    return ERR_SCRIPTING;
}

int RunEventScript(const char* line)
{
    return gRunner ? gRunner(line) : RunEventScriptWithoutEngine(line);
}

void CxLuaEvent::Start()
{
    RunEventScript(line_);
    started_ = done_ = true;
}

CxLuaTimerEvent::CxLuaTimerEvent(uint32_t duration, uint32_t interval, const char* line)
    : CTimerEvent(duration), line_(line), repeat_(this, interval)
{
}

void CxLuaTimerEvent::Start()
{
    repeat_.Start(0);
    CTimerEvent::Start();
}

void CxLuaTimerEvent::Release()
{
    repeat_.Reset();
    CTimerEvent::Release();
}

void CxLuaTimerEvent::Stop()
{
    repeat_.Reset();
    CTimerEvent::Stop();
}

void CxLuaTimerEvent::Pause()
{
    repeat_.CountPause();
    CTimerEvent::Pause();
}

void CxLuaTimerEvent::Resume()
{
    repeat_.CountResume();
    CTimerEvent::Resume();
}

void CxLuaTimerEvent::OnTimer(CxTimerCallBack*)
{
    if (IsStarted() && !IsDone()) RunEventScript(line_);
}
