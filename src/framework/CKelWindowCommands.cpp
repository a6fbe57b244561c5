// The commands a room answers as an event creator ("Room.SetScore(10)").
// Arguments arrive as texts; a missing number argument reads as 0 and a
// missing name matches no button.
#include "foundation/Qorstr.h"
#include "framework/CKelButton.h"
#include "framework/CKelCommandArgs.h"
#include "framework/CKelWindow.h"

#include <algorithm>
#include <cstdint>

namespace {
// Scores and levels stop at the ends of their range instead of wrapping.
int32_t Sum(int64_t a, int64_t b)
{
    int64_t sum = a + b;
    return int32_t(std::clamp<int64_t>(sum, INT32_MIN, INT32_MAX));
}
using Command = void (*)(CKelWindow& room, CKelArgs& args);

struct CommandEntry {
    const char* name;
    Command run;
};

void WithButton(CKelWindow& room, CKelArgs& args, void (*act)(CxDisplayObject&))
{
    if (CxDisplayObject* button = room.FindButton(CommandArg(args, 0))) act(*button);
}

const CommandEntry kCommands[] = {
    {"ShowButton", [](CKelWindow& r, CKelArgs& a) { WithButton(r, a, [](CxDisplayObject& b) { b.Show(); }); }},
    {"HideButton", [](CKelWindow& r, CKelArgs& a) { WithButton(r, a, [](CxDisplayObject& b) { b.Hide(); }); }},
    {"DisableButton", [](CKelWindow& r, CKelArgs& a) { WithButton(r, a, [](CxDisplayObject& b) { b.Disable(); }); }},
    {"EnableButton", [](CKelWindow& r, CKelArgs& a) { WithButton(r, a, [](CxDisplayObject& b) { b.Enable(); }); }},
    {"StartFlashButton", [](CKelWindow& r, CKelArgs& a) { r.FlashButton(CommandArg(a, 0), true, CommandFlashInterval(a, 1)); }},
    {"StopFlashButton", [](CKelWindow& r, CKelArgs& a) { r.FlashButton(CommandArg(a, 0), false, 0); }},
    {"SetButtonState", [](CKelWindow& r, CKelArgs& a) { r.SetButtonState(CommandArg(a, 0), CommandInt(a, 1)); }},
    {"Erase", [](CKelWindow& r, CKelArgs&) { r.Erase(); }},
    {"Paint", [](CKelWindow& r, CKelArgs&) { r.Paint(); }},
    {"LoadSurface", [](CKelWindow& r, CKelArgs& a) { r.LoadBackground(CommandArg(a, 0)); }},
    {"SetState", [](CKelWindow& r, CKelArgs& a) { r.OnStateChange(CommandInt(a, 0)); }},
    {"OnNextState", [](CKelWindow& r, CKelArgs&) { r.OnNextState(); }},
    {"SetIdleTime", [](CKelWindow& r, CKelArgs& a) { r.SetIdleTime(uint32_t(CommandInt(a, 0))); }},
    {"StartIdleTimer", [](CKelWindow& r, CKelArgs&) { r.StartIdleTimer(); }},
    {"ResetIdleTimer", [](CKelWindow& r, CKelArgs&) { r.ResetIdleTimer(); }},
    {"KillIdleTimer", [](CKelWindow& r, CKelArgs&) { r.StopIdleTimer(); }},
    {"StopIdleTimer", [](CKelWindow& r, CKelArgs&) { r.StopIdleTimer(); }},
    {"ResetIdleCount", [](CKelWindow& r, CKelArgs&) { r.SetIdleCount(0); }},
    {"SetLevel", [](CKelWindow& r, CKelArgs& a) { r.SetLevel(CommandInt(a, 0)); }},
    {"NextLevel", [](CKelWindow& r, CKelArgs&) { r.SetLevel(Sum(r.GetLevel(), 1)); }},
    {"PrevLevel", [](CKelWindow& r, CKelArgs&) { r.SetLevel(Sum(r.GetLevel(), -1)); }},
    {"SetDifficulty", [](CKelWindow& r, CKelArgs& a) { r.SetDifficulty(CommandInt(a, 0)); }},
    {"IncreaseDifficulty", [](CKelWindow& r, CKelArgs&) { r.SetDifficulty(Sum(r.GetDifficulty(), 1)); }},
    {"DecreaseDifficulty", [](CKelWindow& r, CKelArgs&) { r.SetDifficulty(Sum(r.GetDifficulty(), -1)); }},
    {"SetScore", [](CKelWindow& r, CKelArgs& a) { r.SetScore(CommandInt(a, 0)); }},
    {"AddScore", [](CKelWindow& r, CKelArgs& a) { r.SetScore(Sum(r.GetScore(), CommandInt(a, 0))); }},
    {"SubScore", [](CKelWindow& r, CKelArgs& a) { r.SetScore(Sum(r.GetScore(), -int64_t(CommandInt(a, 0)))); }},
    {"BulgeScore", [](CKelWindow& r, CKelArgs& a) { r.BulgeScore(CommandInt(a, 0)); }},
    {"ResetMilestones", [](CKelWindow& r, CKelArgs&) { r.ResetMilestones(); }},
    {"KillMilestones", [](CKelWindow& r, CKelArgs&) { r.KillMilestones(); }},
};
}  // namespace

int CKelWindow::OnCommand(const char* command, CxLinkedList<CxString>& arguments)
{
    for (const CommandEntry& entry : kCommands)
        if (TextEquals(command, entry.name, true)) {
            entry.run(*this, arguments);
            return 0;
        }
    return 0;   // unknown commands do nothing
}
