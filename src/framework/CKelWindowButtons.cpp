// The room's buttons and background.
#include "foundation/Qorstr.h"
#include "framework/CKelButton.h"
#include "framework/CKelShared.h"
#include "framework/CKelWindow.h"
#include "framework/CKelDescribe.h"
#include "framework/CKelScoreText.h"
#include "app/CxGamePath.h"
#include "graphics/CxFont.h"

#include <cstdio>
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
            // The stop may come from the button's own script line (ReloadRoom
            // in an OnClick): it goes at the next frame, not under its own feet.
            button->Hide();
            button->UnLink();
            retiredButtons_.AddTail(button);
        }
    }
}

void CKelWindow::DeleteRetiredButtons()
{
    while (!retiredButtons_.IsEmpty()) delete retiredButtons_.RemoveHead();
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

void CKelWindow::BulgeScore(int32_t pointSize)
{
    if (scoreText_) scoreText_->Bulge(pointSize);
}

// ------------------------------------------------------------- the score display
void CKelWindow::CreateScoreText()
{
    RemoveScoreText();
    CxString font = description_.ReadString("Score", "Font", "");
    CxString area = description_.ReadString("Score", "Area", "");
    if (font.IsEmpty()) return;
    if (area.IsEmpty()) {
        Print("Room %s: [Score] has a Font but no Area; no score is shown\n", GetName());
        return;
    }
    if (LoadFont(BuildGamePath(font), &scoreFont_) != 0) scoreFont_ = -1;   // reported: the default font
    CxRect rect;
    description_.GetRect("Score", "Area", &rect, CxRect{});
    int colour[3] = {0, 0, 0};
    sscanf(description_.ReadString("Score", "Color", "0, 0, 0").Text(), "%d, %d, %d", &colour[0], &colour[1], &colour[2]);
    scoreText_ = new CKelScoreText;
    scoreText_->Link(this);
    scoreText_->Configure(scoreFont_, rect, colour, description_.ReadInt("Score", "PointSize", 0));
    scoreAlwaysDirty_ = description_.ReadInt("Score", "AlwaysDirty", 0) != 0;
    scoreText_->SetValue(score_);
    scoreText_->Show();
}

void CKelWindow::RemoveScoreText()
{
    delete scoreText_;
    scoreText_ = nullptr;
    if (scoreFont_ != -1) DeleteFont(scoreFont_);
    scoreFont_ = -1;
}

void CKelWindow::LoadBackground(const char* path)
{
    if (!path || !*path) return;
    LoadDescribedImage(*this, path);   // a failed one: the room goes on without a picture
    if (IsVisible()) Paint();
}
