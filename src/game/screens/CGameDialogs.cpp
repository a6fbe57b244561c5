#include "game/screens/CGameDialogs.h"

#include "display/CxDrawText.h"
#include "display/CxTextLayout.h"
#include "framework/CKelButton.h"
#include "app/CxGameWindow.h"
#include "foundation/Qorstr.h"
#include "game/CBaseApp.h"

#include <cstdio>

namespace {
constexpr const char* kDefaultTextColor = "248, 232, 200";
constexpr uint32_t kTextFlags = TEXT_CENTER | TEXT_CENTER_VERTICAL | TEXT_WORD_WRAP;
bool gQuestionOpen = false;

bool IsClick(int32_t kind, int32_t code) { return kind == NOTIFY_BUTTON && code == BUTTON_CODE_CLICKED; }

bool IsButtonNamed(CxDisplayObject* sender, const char* name)
{
    auto* button = dynamic_cast<CKelButton*>(sender);
    return button && TextEquals(button->GetName(), name, true);
}

// Runs the dialog over the room, which is paused by one level meanwhile.
void RunOverRoom(CLocalizedDialog& dialog, CxGameWindow* room, const char* text)
{
    dialog.SetText(text);
    dialog.SetZOrder(Z_FRONT);
    if (room) dialog.Link(room);
    dialog.Center();
    if (room) room->CountPause();
    dialog.DoModal();
    if (room) room->CountResume();
}
}  // namespace

uint32_t ParseTextColor(const char* text)
{
    int red = 0, green = 0, blue = 0;
    if (!text || std::sscanf(text, "%d, %d, %d", &red, &green, &blue) != 3) return ParseTextColor(kDefaultTextColor);
    auto clamp = [](int v) { return uint32_t(v < 0 ? 0 : v > 255 ? 255 : v); };
    return clamp(red) * 65536 + clamp(green) * 256 + clamp(blue);
}

// ------------------------------------------------------------- localized
CLocalizedDialog::CLocalizedDialog() { SetButtonAnchor(ANCHOR_CENTRE); }

CLocalizedDialog::~CLocalizedDialog() { delete text_; }

void CLocalizedDialog::OnLoadOptions(CxOptions& description)
{
    CxRect area;
    description.GetRect("Options", "TextArea", &area, CxRect{85, 112, 331, 167});
    delete text_;
    text_ = new CxDrawText;
    text_->Create(area.left, area.top, area.Width(), area.Height(), this, 0);
    text_->SetDefaultDepth(32);
    // No background of its own: the text sits on the dialog's picture.
    text_->SetBkColor(CX_NO_COLOR);
    text_->SetZOrder(Z_BACK);
    CBaseApp* app = CBaseApp::Get();
    text_->SetFont(app ? app->GetFontId() : -1);
    text_->SetTextFlags(kTextFlags);
    text_->SetColor(ParseTextColor(description.ReadString("Options", "TextColor", kDefaultTextColor).Text()));
    text_->SetPointSize(description.ReadInt("Options", "TextSize", 20));
    const char* language = app ? app->GetLanguage() : "English";
    CxString key = CxString::FormatNew("%sText", language);
    text_->SetString(description.ReadString("Options", key.Text(), "").Text());
    text_->Paint(area.left, area.top);
}

void CLocalizedDialog::SetText(const char* text)
{
    if (text_) text_->SetString(text);
}

int CLocalizedDialog::DoModal() { return DoModalWithMouse(*this); }

// ------------------------------------------------------------- OK and yes/no
void CGenericDialog::OnNotify(int32_t kind, CxDisplayObject* sender, int32_t code, int32_t extra)
{
    if (IsClick(kind, code)) EndModal();
    else CLocalizedDialog::OnNotify(kind, sender, code, extra);
}

CYesNoDialog::CYesNoDialog() { Load("COMMON/YesNoDialog.ini"); }

void CYesNoDialog::OnNotify(int32_t kind, CxDisplayObject* sender, int32_t code, int32_t extra)
{
    if (IsClick(kind, code) && IsButtonNamed(sender, "Yes")) {
        result_ = 1;
        EndModal();
    } else if (IsClick(kind, code) && IsButtonNamed(sender, "No")) {
        result_ = 0;
        EndModal();
    } else {
        CLocalizedDialog::OnNotify(kind, sender, code, extra);
    }
}

void RunOkDialog(CxGameWindow* room, const char* text)
{
    CGenericDialog dialog;
    dialog.Load("COMMON/ok_dialog.ini");
    RunOverRoom(dialog, room, text);
}

int AskYesNoQuestion(CxGameWindow* room, const char* text)
{
    if (gQuestionOpen) return 1;
    gQuestionOpen = true;
    int answer = 0;
    {
        CYesNoDialog dialog;
        RunOverRoom(dialog, room, text);
        answer = dialog.GetResult();
    }
    gQuestionOpen = false;
    return answer;
}
