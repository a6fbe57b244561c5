// Pausable millisecond timers.
//
// CxTimer measures from Start; with a duration it expires, without one it is
// a stopwatch.  CxTimerCallBack adds a listener called by the process-wide
// CxTimerManager once per frame: every `interval` ms while it runs, never
// twice in a frame and never catching up missed periods, and one last time
// when its duration ends.  The manager exists exactly while a callback timer
// exists, and runs as a main-loop hook.
#pragma once
#include "core/CxMainLoopHook.h"
#include "core/CxPauseResume.h"
#include "foundation/CxLinkedList.h"

#include <cstdint>

constexpr uint32_t TIMER_STOPWATCH = 0xFFFFFFFF;   // `end` of a timer without duration
constexpr uint32_t TIMER_NO_PERIOD = 0xFFFFFFFF;   // `interval` of a timer without period

class CxTimer : public CxPauseResume {
public:
    void Pause() override;
    void Resume() override;
    ~CxTimer() override = default;

    uint32_t Start(uint32_t duration);
    uint32_t Reset();
    uint32_t Elapsed() const;
    int32_t  Remaining() const;
    bool IsStarted() const { return end_ != 0; }
    bool IsStopwatch() const { return end_ == TIMER_STOPWATCH; }
    // The duration is over: compared as an unsigned difference from the
    // start, so a timer running across the tick wrap still ends on time.
    bool HasExpired(uint32_t now) const;

protected:
    uint32_t start_ = 0;
    uint32_t end_ = 0;
    uint32_t pausedAt_ = 0;
    uint32_t remainingAtPause_ = 0;
};

class CxTimerCallBack;

class CxTimerListener {
public:
    virtual ~CxTimerListener() = default;
    virtual void OnTimer(CxTimerCallBack* timer) = 0;
};

class CxTimerCallBack : public CxTimer, public CxObject {
public:
    CxTimerCallBack(CxTimerListener* listener, uint32_t interval, uint32_t userData = 0, uint32_t id = 0);
    ~CxTimerCallBack() override;
    CxTimerCallBack(const CxTimerCallBack&) = delete;
    CxTimerCallBack& operator=(const CxTimerCallBack&) = delete;

    void Pause() override;
    void Resume() override;

    CxTimerListener* GetListener() const { return listener_; }
    void SetListener(CxTimerListener* listener) { listener_ = listener; }
    uint32_t GetInterval() const { return interval_; }
    void SetInterval(uint32_t interval) { interval_ = interval; }
    uint32_t GetUserData() const { return userData_; }
    uint32_t GetId() const { return id_; }

private:
    friend class CxTimerManager;
    CxTimerListener* listener_;
    uint32_t interval_;
    uint32_t sinceLastAtPause_ = 0;
    uint32_t lastCall_ = 0;
    uint32_t userData_;
    uint32_t id_;
};

class CxTimerManager : public CxMainLoopHook {
public:
    void OnMainLoop() override;

    static CxTimerManager* Get();   // null while no callback timer exists
    int TimerCount() const { return timers_.GetCount(); }

private:
    friend class CxTimerCallBack;
    void Add(CxTimerCallBack* timer);
    void Remove(CxTimerCallBack* timer);

    CxLinkedList<CxTimerCallBack*> timers_;
    CxListNode<CxTimerCallBack*>* walkNext_ = nullptr;
};
