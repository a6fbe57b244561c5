// The commands a room answers as an event creator ("Room.SetScore(10)").
// Arguments arrive as texts; a missing number argument reads as 0 and a
// missing name matches no button.
#include "foundation/Qorstr.h"
#include "framework/CKelButton.h"
#include "framework/CKelWindow.h"

#include <cstdlib>

namespace {
using Args = CxLinkedList<CxString>;

const char* Arg(Args& args, int index)
{
    auto* node = args.GetHead();
    for (int i = 0; node && i < index; ++i) node = node->next;
    return node ? node->value.Text() : nullptr;
}

int32_t IntArg(Args& args, int index)
{
    const char* text = Arg(args, index);
    return text ? int32_t(strtol(text, nullptr, 10)) : 0;
}

using Command = void (*)(CKelWindow& room, Args& args);

struct CommandEntry {
    const char* name;
    Command run;
};

void WithButton(CKelWindow& room, Args& args, void (*act)(CxDisplayObject&))
{
    if (CxDisplayObject* button = room.FindButton(Arg(args, 0))) act(*button);
}

const CommandEntry kCommands[] = {
    {"ShowButton", [](CKelWindow& r, Args& a) { WithButton(r, a, [](CxDisplayObject& b) { b.Show(); }); }},
    {"HideButton", [](CKelWindow& r, Args& a) { WithButton(r, a, [](CxDisplayObject& b) { b.Hide(); }); }},
    {"DisableButton", [](CKelWindow& r, Args& a) { WithButton(r, a, [](CxDisplayObject& b) { b.Disable(); }); }},
    {"EnableButton", [](CKelWindow& r, Args& a) { WithButton(r, a, [](CxDisplayObject& b) { b.Enable(); }); }},
    {"StartFlashButton", [](CKelWindow& r, Args& a) {
         const char* interval = Arg(a, 1);
         r.FlashButton(Arg(a, 0), true, interval ? uint32_t(strtoul(interval, nullptr, 10)) : 500);
     }},
    {"StopFlashButton", [](CKelWindow& r, Args& a) { r.FlashButton(Arg(a, 0), false, 0); }},
    {"SetButtonState", [](CKelWindow& r, Args& a) { r.SetButtonState(Arg(a, 0), IntArg(a, 1)); }},
    {"Erase", [](CKelWindow& r, Args&) { r.Erase(); }},
    {"Paint", [](CKelWindow& r, Args&) { r.Paint(); }},
    {"LoadSurface", [](CKelWindow& r, Args& a) { r.LoadBackground(Arg(a, 0)); }},
    {"SetState", [](CKelWindow& r, Args& a) { r.OnStateChange(IntArg(a, 0)); }},
    {"OnNextState", [](CKelWindow& r, Args&) { r.OnNextState(); }},
    {"SetIdleTime", [](CKelWindow& r, Args& a) { r.SetIdleTime(uint32_t(IntArg(a, 0))); }},
    {"StartIdleTimer", [](CKelWindow& r, Args&) { r.StartIdleTimer(); }},
    {"ResetIdleTimer", [](CKelWindow& r, Args&) { r.ResetIdleTimer(); }},
    {"KillIdleTimer", [](CKelWindow& r, Args&) { r.StopIdleTimer(); }},
    {"StopIdleTimer", [](CKelWindow& r, Args&) { r.StopIdleTimer(); }},
    {"ResetIdleCount", [](CKelWindow& r, Args&) { r.SetIdleCount(0); }},
    {"SetLevel", [](CKelWindow& r, Args& a) { r.SetLevel(IntArg(a, 0)); }},
    {"NextLevel", [](CKelWindow& r, Args&) { r.SetLevel(r.GetLevel() + 1); }},
    {"PrevLevel", [](CKelWindow& r, Args&) { r.SetLevel(r.GetLevel() - 1); }},
    {"SetDifficulty", [](CKelWindow& r, Args& a) { r.SetDifficulty(IntArg(a, 0)); }},
    {"IncreaseDifficulty", [](CKelWindow& r, Args&) { r.SetDifficulty(r.GetDifficulty() + 1); }},
    {"DecreaseDifficulty", [](CKelWindow& r, Args&) { r.SetDifficulty(r.GetDifficulty() - 1); }},
    {"SetScore", [](CKelWindow& r, Args& a) { r.SetScore(IntArg(a, 0)); }},
    {"AddScore", [](CKelWindow& r, Args& a) { r.SetScore(r.GetScore() + IntArg(a, 0)); }},
    {"SubScore", [](CKelWindow& r, Args& a) { r.SetScore(r.GetScore() - IntArg(a, 0)); }},
    {"BulgeScore", [](CKelWindow& r, Args& a) { r.BulgeScore(IntArg(a, 0)); }},
    {"ResetMilestones", [](CKelWindow& r, Args&) { r.ResetMilestones(); }},
    {"KillMilestones", [](CKelWindow& r, Args&) { r.KillMilestones(); }},
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
