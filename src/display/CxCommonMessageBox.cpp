#include "display/CxCommonMessageBox.h"
#include "core/CxAppServices.h"
#include "display/CxButton.h"
#include "display/CxCommonDrawText.h"
#include "display/CxCommonFace.h"
#include "display/CxCommonPushButton.h"
#include "display/CxDisplayScript.h"
#include "display/CxDisplayTree.h"
#include "graphics/CxFont.h"

#include <vector>

namespace {
constexpr int32_t kMinWidth = 300;
constexpr int32_t kMaxWidth = 600;
constexpr int32_t kBaseHeight = 150;
constexpr int32_t kMaxHeight = 400;
constexpr int32_t kHeightStep = 20;
constexpr int32_t kMaxSteps = 13;
constexpr CxSize kButtonSize{75, 25};
constexpr uint32_t kOneLine = TEXT_CENTER | TEXT_CENTER_VERTICAL;
constexpr uint32_t kWrapped = kOneLine | TEXT_WORD_WRAP;

CxMessageBoxAnswer gAnswer = nullptr;

int32_t DefaultFontWidth(const char* text)
{
    CxFont* font = FindFont(CX_DEFAULT_FONT);
    return (font && text) ? font->MeasureString(text, 0) : 0;
}

// Nobody could see or answer a box: without an application to run frames,
// without a display tree, or on the memory-only tree of a headless host.
bool CanShowBoxes()
{
    return CxAppServices::Get() && GetRootObject() && !GetHeadlessDisplaySurface();
}

void AddText(CxCommonMessageBox& box, CxCommonDrawText& text, CxRect r, const char* value, uint32_t flags)
{
    text.Create(r.left, r.top, r.Width(), r.Height(), &box, 0);
    UseCommonFace(text);
    text.SetColor(COMMON_BLACK);
    text.SetTextFlags(flags);
    text.SetString(value ? value : "");
    text.Paint();
}
}  // namespace

void SetMessageBoxAnswer(CxMessageBoxAnswer answer) { gAnswer = answer; }

int CommonMessageBox(const char* title, const char* message, const char* first, const char* second)
{
    const char* labels[2] = {first, second};
    return CommonMessageBox(title, message, labels, second ? 2 : 1);
}

int CommonMessageBox(const char* title, const char* message, const char* const* labels, int count)
{
    if (count < 0 || !labels) count = 0;
    if (gAnswer) return gAnswer(title, message, labels, count);
    if (!CanShowBoxes()) {
        Print("%s: %s\n", title ? title : "", message ? message : "");
        return 0;
    }
    int32_t messageWidth = DefaultFontWidth(message);
    CxSize size = CommonMessageBoxSize(DefaultFontWidth(title), messageWidth);
    int32_t w = size.width, h = size.height;

    CxCommonMessageBox box;
    box.Create(0, 0, w, h, nullptr, 0);
    box.SetZOrder(Z_FRONT);
    box.LinkRoot();
    box.Center();
    CxCommonDrawText titleText, messageText;
    AddText(box, titleText, CxRect{10, 10, w - 11, 29}, title, kOneLine);
    AddText(box, messageText, CxRect{10, 40, w - 11, h - 41}, message, messageWidth > w - 10 ? kWrapped : kOneLine);

    std::vector<CxCommonPushButton*> buttons;
    int32_t spacing = w / (count + 1);
    for (int i = 0; i < count; ++i) {
        auto* button = new CxCommonPushButton;
        button->Create(0, 0, kButtonSize.width, kButtonSize.height, &box, i);
        button->SetLabel(labels[i] ? labels[i] : "");
        button->Paint(spacing * (i + 1), h - 40, ANCHOR_CENTRE);
        buttons.push_back(button);
    }
    box.Paint();
    box.DoModal();
    box.Erase();
    for (CxCommonPushButton* button : buttons) delete button;
    return box.GetResult();
}

CxSize CommonMessageBoxSize(int32_t titleWidth, int32_t messageWidth)
{
    int32_t w = titleWidth < kMinWidth ? kMinWidth : titleWidth;
    if (messageWidth > w) w = messageWidth;
    int32_t h = kBaseHeight;
    if (w > kMaxWidth) {
        int32_t steps = w / kMaxWidth;
        h = steps < kMaxSteps ? steps * kHeightStep + kBaseHeight : kMaxHeight;
        w = kMaxWidth;
    }
    return CxSize{w, h};
}

void CxCommonMessageBox::OnNotify(int32_t kind, CxDisplayObject* sender, int32_t code, int32_t extra)
{
    if (kind == NOTIFY_BUTTON && code == BUTTON_CODE_CLICKED && sender) {
        result_ = sender->GetControlID();
        EndModal();
        return;
    }
    CxCommonDialog::OnNotify(kind, sender, code, extra);
}

void CxCommonMessageBox::OnKeyDown(KeyCode key, uint32_t flags)
{
    if (parent_) parent_->OnKeyDown(key, flags);
    EndModal();
}
