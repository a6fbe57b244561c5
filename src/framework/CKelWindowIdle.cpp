// The room's counters: idle time-outs, score and milestones, level and
// difficulty.
#include "core/CxTime.h"
#include "framework/CKelWindow.h"

// ------------------------------------------------------------- idle time-outs
void CKelWindow::ReadIdleSettings()
{
    timeOutLines_.RemoveAll();
    for (int i = 1;; ++i) {
        CxString key;
        key.Format("OnTimeOut%d", i);
        CxString line = description_.ReadString("Options", key, "");
        if (line.IsEmpty()) break;
        timeOutLines_.AddTail(line);
    }
    idleTime_ = uint32_t(description_.ReadInt("Options", "IdleTime", int32_t(idleTime_)));
    maxIdleCount_ = description_.ReadInt("Options", "MaxIdleCount", maxIdleCount_);
    minDifficulty_ = description_.ReadInt("Options", "MinDifficulty", minDifficulty_);
    maxDifficulty_ = description_.ReadInt("Options", "MaxDifficulty", maxDifficulty_);
    minLevel_ = description_.ReadInt("Options", "MinLevel", minLevel_);
    maxLevel_ = description_.ReadInt("Options", "MaxLevel", maxLevel_);
}

// A start while the room is paused must stay paused: the timer's pause
// count survives the restart, its clock marks are set again here.
void CKelWindow::StartIdleTimer()
{
    idleTimer_.Reset();
    idleCount_ = 0;
    if (idleTime_ == 0) return;   // 0 switches idle time-outs off
    idleTimer_.Start(idleTime_);
    if (idleTimer_.IsPaused()) idleTimer_.Pause();
}

void CKelWindow::ResetIdleTimer()
{
    if (resetIdleCountOnInput_) idleCount_ = 0;
    if (!idleTimer_.IsStarted() || idleTimer_.IsStopwatch() || idleTime_ == 0) return;
    idleTimer_.Start(idleTime_);
    if (idleTimer_.IsPaused()) idleTimer_.Pause();
}

void CKelWindow::CheckIdleTimeOut()
{
    if (!idleTimer_.IsStarted() || idleTimer_.IsStopwatch() || idleTimer_.IsPaused()) return;
    if (!idleTimer_.HasExpired(QorTickCount())) return;
    if (idleCount_ >= maxIdleCount_) return;
    ++idleCount_;
    idleTimer_.Start(idleTime_ ? idleTime_ : 1);
    OnIdleTimeOut(idleCount_);
}

void CKelWindow::OnIdleTimeOut(int count)
{
    int i = 1;
    for (auto* node = timeOutLines_.GetHead(); node; node = node->next, ++i)
        if (i == count) {
            CxString line = node->value;   // the line may reload the room's settings
            RunScriptLine(line);
            return;
        }
}

void CKelWindow::OnPause() { idleTimer_.CountPause(); }
void CKelWindow::OnResume() { idleTimer_.CountResume(); }

// ------------------------------------------------------------- score
void CKelWindow::ReadMilestones()
{
    KillMilestones();
    for (int i = 0;; ++i) {
        CxString key;
        key.Format("%d", i);
        int32_t threshold = description_.ReadInt("ScoreMilestones", key, -1);
        if (threshold == -1) break;
        AddMilestone(threshold, int16_t(i));
    }
}

void CKelWindow::AddMilestone(int32_t threshold, int16_t index)
{
    auto* milestone = new CKelMilestone{threshold, index, 0};
    for (auto* node = milestones_.GetHead(); node; node = node->next)
        if (node->value->threshold >= threshold) {
            milestones_.InsertBefore(node, milestone);
            return;
        }
    milestones_.AddTail(milestone);
}

void CKelWindow::ResetMilestones()
{
    for (auto* node = milestones_.GetHead(); node; node = node->next) node->value->flags &= ~1u;
}

void CKelWindow::KillMilestones()
{
    while (!milestones_.IsEmpty()) delete milestones_.RemoveHead();
}

void CKelWindow::SetScore(int32_t score)
{
    score_ = score;
    // Searched again after each call: the hook may change the list.
    for (;;) {
        CKelMilestone* due = nullptr;
        for (auto* node = milestones_.GetHead(); node && !due; node = node->next)
            if (!(node->value->flags & 1) && node->value->threshold <= score_) due = node->value;
        if (!due) return;
        due->flags |= 1;
        OnMilestone(due->index);
    }
}

// ------------------------------------------------------------- level and difficulty
bool CKelWindow::SetLevel(int32_t level)
{
    if (level < minLevel_ || level > maxLevel_) return false;
    level_ = level;
    OnStartLevel();
    return true;
}

bool CKelWindow::SetDifficulty(int32_t difficulty)
{
    if (difficulty < minDifficulty_ || difficulty > maxDifficulty_) return false;
    difficulty_ = difficulty;
    return true;
}
