#include "core/CxTimer.h"
#include "core/CxTime.h"

// ------------------------------------------------------------- CxTimer
uint32_t CxTimer::Start(uint32_t duration)
{
    Reset();
    uint32_t now = QorTickCount();
    start_ = now;
    if (duration == 0) {
        end_ = TIMER_STOPWATCH;
        return now;
    }
    end_ = now + duration;
    // 0 and the stopwatch mark are reserved: a wrapped end landing on one of
    // them ends a millisecond early instead.
    if (end_ == 0 || end_ == TIMER_STOPWATCH) end_ -= 1;
    return end_;
}

uint32_t CxTimer::Reset()
{
    uint32_t elapsed = Elapsed();
    start_ = end_ = pausedAt_ = remainingAtPause_ = 0;
    return elapsed;
}

uint32_t CxTimer::Elapsed() const
{
    if (!IsStarted()) return 0;
    if (pauseCount_ > 0) return pausedAt_ - start_;
    return QorTickCount() - start_;
}

int32_t CxTimer::Remaining() const
{
    if (remainingAtPause_ != 0) return int32_t(remainingAtPause_);
    return int32_t(end_ - QorTickCount());
}

bool CxTimer::HasExpired(uint32_t now) const
{
    if (!IsStarted() || IsStopwatch()) return false;
    return now - start_ >= end_ - start_;
}

void CxTimer::Pause()
{
    if (!IsStarted()) return;
    remainingAtPause_ = uint32_t(Remaining());
    pausedAt_ = QorTickCount();
}

void CxTimer::Resume()
{
    if (!IsStarted()) return;
    uint32_t now = QorTickCount();
    start_ += now - pausedAt_;
    if (!IsStopwatch()) {
        end_ = now + remainingAtPause_;
        if (end_ == 0 || end_ == TIMER_STOPWATCH) end_ -= 1;
    }
    pausedAt_ = remainingAtPause_ = 0;
}

// ------------------------------------------------------------- CxTimerCallBack
namespace {
CxTimerManager* gManager = nullptr;
}

CxTimerCallBack::CxTimerCallBack(CxTimerListener* listener, uint32_t interval, uint32_t userData, uint32_t id)
    : listener_(listener), interval_(interval), userData_(userData), id_(id)
{
    if (!gManager) gManager = new CxTimerManager;
    gManager->Add(this);
}

CxTimerCallBack::~CxTimerCallBack()
{
    if (!gManager) return;
    gManager->Remove(this);
    if (gManager->TimerCount() == 0) {
        delete gManager;
        gManager = nullptr;
    }
}

void CxTimerCallBack::Pause()
{
    CxTimer::Pause();
    bool periodic = interval_ != TIMER_NO_PERIOD;
    sinceLastAtPause_ = (IsStarted() && periodic) ? pausedAt_ - lastCall_ : 0;
}

void CxTimerCallBack::Resume()
{
    CxTimer::Resume();
    if (interval_ != TIMER_NO_PERIOD) lastCall_ = QorTickCount() - sinceLastAtPause_;
    else lastCall_ = start_;
}

// ------------------------------------------------------------- CxTimerManager
CxTimerManager* CxTimerManager::Get() { return gManager; }

void CxTimerManager::Add(CxTimerCallBack* timer)
{
    if (!timers_.Find(timer)) timers_.AddTail(timer);
}

// A timer destroyed while the walk is under way (by another timer's
// listener) must not leave the walk holding its node.
void CxTimerManager::Remove(CxTimerCallBack* timer)
{
    auto* node = timers_.Find(timer);
    if (!node) return;
    if (node == walkNext_) walkNext_ = node->next;
    timers_.RemoveAt(node);
}

void CxTimerManager::OnMainLoop()
{
    for (auto* node = timers_.GetHead(); node;) {
        walkNext_ = node->next;
        CxTimerCallBack* timer = node->value;
        bool skip = !timer->IsStarted() || timer->IsPaused() || !timer->listener_;
        if (!skip) {
            uint32_t now = QorTickCount();
            if (!timer->HasExpired(now)) {
                if (now - timer->lastCall_ >= timer->interval_) {
                    timer->lastCall_ = now;
                    timer->listener_->OnTimer(timer);
                }
            } else {
                timer->Reset();
                timer->listener_->OnTimer(timer);
            }
        }
        if (gManager != this) return;   // the last timer went away during the call
        node = walkNext_;
    }
    walkNext_ = nullptr;
}
