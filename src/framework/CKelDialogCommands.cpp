// The commands a dialog answers as an event creator ("Pause.EndModal()").
#include "foundation/Qorstr.h"
#include "framework/CKelButton.h"
#include "framework/CKelCommandArgs.h"
#include "framework/CKelDialog.h"
#include "framework/CKelDescribe.h"

namespace {
using Command = void (*)(CKelDialog& dialog, CKelArgs& args);

struct CommandEntry {
    const char* name;
    Command run;
};

void WithButton(CKelDialog& dialog, CKelArgs& args, void (*act)(CKelButton&))
{
    if (CKelButton* button = dialog.FindButton(CommandArg(args, 0))) act(*button);
}

void LoadSurfaceCommand(CKelDialog& dialog, CKelArgs& args)
{
    const char* path = CommandArg(args, 0);
    if (!path || !*path) return;
    LoadDescribedImage(dialog, path);
    if (dialog.IsVisible()) dialog.Paint();
}

const CommandEntry kCommands[] = {
    {"EndModal", [](CKelDialog& d, CKelArgs&) { d.EndModal(); }},
    {"Center", [](CKelDialog& d, CKelArgs&) { d.Center(); }},
    {"ShowButton", [](CKelDialog& d, CKelArgs& a) { WithButton(d, a, [](CKelButton& b) { b.Show(); }); }},
    {"HideButton", [](CKelDialog& d, CKelArgs& a) { WithButton(d, a, [](CKelButton& b) { b.Hide(); }); }},
    {"DisableButton", [](CKelDialog& d, CKelArgs& a) { WithButton(d, a, [](CKelButton& b) { b.Disable(); }); }},
    {"EnableButton", [](CKelDialog& d, CKelArgs& a) { WithButton(d, a, [](CKelButton& b) { b.Enable(); }); }},
    {"HighlightButton", [](CKelDialog& d, CKelArgs& a) { WithButton(d, a, [](CKelButton& b) { b.ShowHighlight(true); }); }},
    {"UnHighlightButton", [](CKelDialog& d, CKelArgs& a) { WithButton(d, a, [](CKelButton& b) { b.ShowHighlight(false); }); }},
    {"StartFlashButton", [](CKelDialog& d, CKelArgs& a) {
         if (CKelButton* button = d.FindButton(CommandArg(a, 0))) button->StartFlash(CommandFlashInterval(a, 1));
     }},
    {"StopFlashButton", [](CKelDialog& d, CKelArgs& a) { WithButton(d, a, [](CKelButton& b) { b.StopFlash(); }); }},
    {"LoadSurface", LoadSurfaceCommand},
};
}  // namespace

int CKelDialog::OnCommand(const char* command, CxLinkedList<CxString>& arguments)
{
    for (const CommandEntry& entry : kCommands)
        if (TextEquals(command, entry.name, true)) {
            entry.run(*this, arguments);
            return 0;
        }
    return 0;   // unknown commands do nothing
}
