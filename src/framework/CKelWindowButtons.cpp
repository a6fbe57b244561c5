// The room's buttons and background.
#include "foundation/Qorstr.h"
#include "framework/CKelButton.h"
#include "framework/CKelShared.h"
#include "framework/CKelWindow.h"
#include "framework/CKelDescribe.h"

#include <cstring>

namespace {
constexpr uint32_t kButtonDepth = 1000;
}

void CKelWindow::CreateButtons() { CreateDescribedButtons(description_, this, engine_, true, buttons_); }

void CKelWindow::AddSharedButtons()
{
    CxString names = description_.ReadString("Static", "Buttons", "");
    if (names.IsEmpty()) return;
    // Split here rather than search the text: one name may be part of another.
    char list[CX_STRING_MAX + 1];
    CopyText(list, names, sizeof list);
    for (char* name = strtok(list, " ,\t"); name; name = strtok(nullptr, " ,\t")) {
        CKelButton* button = FindSharedButton(name);
        if (!button) {
            Print("Room %s: no shared button named %s in kel.ini\n", GetName(), name);
            continue;
        }
        if (buttons_.Find(button)) continue;
        button->SetZOrder(kButtonDepth);
        button->Link(this);
        button->Show();
        button->StopFlash();
        button->SetState(BUTTON_NORMAL);
        buttons_.AddTail(button);
    }
}

void CKelWindow::RemoveButtons()
{
    while (!buttons_.IsEmpty()) {
        CKelButton* button = buttons_.RemoveHead();
        if (IsSharedButton(button)) {
            button->StopFlash();   // before hiding: showing the normal image repaints
            button->Hide();
            button->UnLink();
        } else {
            delete button;
        }
    }
}

CKelButton* CKelWindow::FindButton(const char* name) const
{
    if (!name) return nullptr;
    for (auto* node = buttons_.GetHead(); node; node = node->next)
        if (TextEquals(node->value->GetName(), name, true)) return node->value;
    return nullptr;
}

void CKelWindow::FlashButton(const char* name, bool on, uint32_t interval)
{
    CKelButton* button = FindButton(name);
    if (!button) return;
    if (on) button->StartFlash(interval);
    else button->StopFlash();
}

void CKelWindow::SetButtonState(const char* name, int32_t state)
{
    if (CKelButton* button = FindButton(name)) button->SetState(state);
}

void CKelWindow::BulgeScore(int32_t pointSize) {}

void CKelWindow::LoadBackground(const char* path)
{
    if (!path || !*path) return;
    LoadDescribedImage(*this, path);   // a failed one: the room goes on without a picture
    if (IsVisible()) Paint();
}
