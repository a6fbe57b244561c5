#include "framework/CKelIdle.h"
#include "core/CxTime.h"

void CKelIdle::ReadSettings(CxOptions& description, const char* section)
{
    lines_.RemoveAll();
    for (int i = 1;; ++i) {
        CxString key;
        key.Format("OnTimeOut%d", i);
        CxString line = description.ReadString(section, key, "");
        if (line.IsEmpty()) break;
        lines_.AddTail(line);
    }
    time_ = uint32_t(description.ReadInt(section, "IdleTime", int32_t(time_)));
    maxCount_ = description.ReadInt(section, "MaxIdleCount", maxCount_);
}

// A start while paused must stay paused: the pause count survives the
// restart, the clock marks are set again here.
void CKelIdle::Run(uint32_t ms)
{
    timer_.Start(ms);
    if (timer_.IsPaused()) timer_.Pause();
}

void CKelIdle::Start()
{
    timer_.Reset();
    count_ = 0;
    if (time_ != 0) Run(time_);
}

void CKelIdle::Restart()
{
    if (resetCountOnInput_) count_ = 0;
    if (timer_.IsStarted() && !timer_.IsStopwatch() && time_ != 0) Run(time_);
}

int CKelIdle::Check()
{
    if (!timer_.IsStarted() || timer_.IsStopwatch() || timer_.IsPaused()) return 0;
    if (!timer_.HasExpired(QorTickCount()) || count_ >= maxCount_) return 0;
    ++count_;
    Run(time_ ? time_ : 1);
    return count_;
}

const CxString* CKelIdle::Line(int n) const
{
    int i = 1;
    for (auto* node = lines_.GetHead(); node; node = node->next, ++i)
        if (i == n) return &node->value;
    return nullptr;
}
