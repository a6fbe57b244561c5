// The room's counters: idle time-outs, score and milestones, level and
// difficulty.
#include "framework/CKelScoreText.h"
#include "framework/CKelWindow.h"

// ------------------------------------------------------------- idle time-outs
void CKelWindow::ReadIdleSettings()
{
    idle_.ReadSettings(description_, "Options");
    minDifficulty_ = description_.ReadInt("Options", "MinDifficulty", minDifficulty_);
    maxDifficulty_ = description_.ReadInt("Options", "MaxDifficulty", maxDifficulty_);
    minLevel_ = description_.ReadInt("Options", "MinLevel", minLevel_);
    maxLevel_ = description_.ReadInt("Options", "MaxLevel", maxLevel_);
}

void CKelWindow::OnIdleTimeOut(int count)
{
    if (const CxString* line = idle_.Line(count)) {
        CxString copy = *line;   // the line may reload the room's settings
        RunScriptLine(copy);
    }
}

void CKelWindow::OnPause() { idle_.Pause(); }
void CKelWindow::OnResume() { idle_.Resume(); }

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
    if (scoreText_) scoreText_->SetValue(score_);
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
