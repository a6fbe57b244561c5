#include "display/CxCommonMessageBox.h"
#include "display/CxButton.h"

namespace {
constexpr int32_t kMinWidth = 300;
constexpr int32_t kMaxWidth = 600;
constexpr int32_t kBaseHeight = 150;
constexpr int32_t kMaxHeight = 400;
constexpr int32_t kHeightStep = 20;
constexpr int32_t kMaxSteps = 13;
}  // namespace

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
    if (kind == 0 && code == BUTTON_CODE_CLICKED && sender) {
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
