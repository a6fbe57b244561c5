// Idle time-outs of rooms and dialogs: a timer of IdleTime ms that counts
// time-outs up to MaxIdleCount, and the "OnTimeOut<n>" lines of the
// description to run for the n-th.  IdleTime 0 switches time-outs off.
#pragma once
#include "core/CxOptions.h"
#include "core/CxTimer.h"

class CKelIdle {
public:
    // "OnTimeOut1", ... up to the first empty one, "IdleTime" and
    // "MaxIdleCount" of `section`; keys that are missing keep the current values.
    void ReadSettings(CxOptions& description, const char* section);

    void Start();       // count 0, timer running with IdleTime
    void Stop() { timer_.Reset(); }
    void Restart();     // input: a running timer starts again (and the count, when asked)
    // The number of the time-out that is due now (count + 1), or 0; a
    // time-out restarts the timer.
    int  Check();
    void Pause() { timer_.CountPause(); }
    void Resume() { timer_.CountResume(); }
    void Clear() { timer_ = CxTimer{}; }   // pauses included

    // The n-th line (from 1), or null.
    const CxString* Line(int n) const;
    const CxLinkedList<CxString>& Lines() const { return lines_; }

    void SetTime(uint32_t ms) { time_ = ms; }
    uint32_t GetTime() const { return time_; }
    int32_t GetCount() const { return count_; }
    void SetCount(int32_t count) { count_ = count; }
    int32_t GetMaxCount() const { return maxCount_; }
    bool IsRunning() const { return timer_.IsStarted(); }
    void SetResetCountOnInput(bool on) { resetCountOnInput_ = on; }

private:
    void Run(uint32_t ms);

    CxLinkedList<CxString> lines_;
    CxTimer timer_;
    int32_t count_ = 0, maxCount_ = 3;
    uint32_t time_ = 30000;
    bool resetCountOnInput_ = true;
};
