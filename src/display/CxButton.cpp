#include "display/CxButton.h"
#include "display/CxDisplayTree.h"

// ------------------------------------------------------------- state
void CxButton::SetStateMapEntry(int32_t state, int32_t frame)
{
    if (state >= 0 && state < kButtonStates) stateMap_[state] = frame;
}

int32_t CxButton::GetStateMapEntry(int32_t state) const
{
    return (state >= 0 && state < kButtonStates) ? stateMap_[state] : -1;
}

int CxButton::SetState(int32_t state)
{
    if (state < 0 || state >= kButtonStates) {
        Error(ERR_INVALID_ARGUMENT, "CxButton::SetState: there is no state %d", state);
        return errorCode_;
    }
    int32_t old = state_;
    state_ = state;
    SetCurFrame(stateMap_[state]);
    if (state != old && parent_) SendCodes(old, state);
    return errorCode_;
}

// Leaving a hover variant for its plain state is "left" (11) rather than a
// fresh off/on; reaching a hover variant reports hover unless it only moved
// between the two hover variants.
void CxButton::SendCodes(int32_t from, int32_t to)
{
    switch (to) {
    case BUTTON_NORMAL: Notify(from == BUTTON_HOVER ? BUTTON_CODE_LEFT : BUTTON_CODE_OFF); break;
    case BUTTON_CHECKED: Notify(from == BUTTON_PRESSED ? BUTTON_CODE_LEFT : BUTTON_CODE_ON); break;
    case BUTTON_HOVER:
        if (from != BUTTON_NORMAL) Notify(BUTTON_CODE_OFF);
        if (from != BUTTON_PRESSED) Notify(BUTTON_CODE_HOVER);
        break;
    case BUTTON_PRESSED:
        if (from != BUTTON_CHECKED) Notify(BUTTON_CODE_ON);
        if (from != BUTTON_HOVER) Notify(BUTTON_CODE_HOVER);
        break;
    default: Notify(BUTTON_CODE_DISABLED); break;
    }
}

void CxButton::Notify(int32_t code)
{
    if (listener_) listener_->OnButtonNotify(this, code);
    else if (parent_) parent_->OnNotify(NOTIFY_BUTTON, this, code, 0);
}

// ------------------------------------------------------------- enabling
void CxButton::Disable()
{
    ReleaseIfHeld();
    if (state_ != BUTTON_DISABLED) savedState_ = style_ == BUTTON_PUSH ? -1 : state_;
    SetState(BUTTON_DISABLED);
    flags_ |= DISPLAY_DISABLED;
}

// Enabling a button that is not disabled only clears the flag: restoring the
// (absent) saved state would uncheck a checked button.
void CxButton::Enable()
{
    flags_ &= ~uint32_t(DISPLAY_DISABLED);
    if (state_ != BUTTON_DISABLED) return;
    int32_t restored = savedState_ == -1 ? BUTTON_NORMAL : savedState_;
    savedState_ = -1;
    SetState(restored);
}

int CxButton::Erase()
{
    ReleaseCaptureAbsolute();
    return CxSprite::Erase();
}

// ------------------------------------------------------------- mouse
bool CxButton::IsOver(CxPoint point)
{
    bool inPicture = ContainsPoint(ToParent(point), true);
    if (GetPixelHitTest()) return inPicture;
    return GetVisibleRect().Contains(point) || inPicture;
}

void CxButton::PushMouseMove(bool over)
{
    if (state_ == BUTTON_CHECKED || state_ == BUTTON_PRESSED || state_ == BUTTON_DISABLED) return;
    if (over) {
        SetCapture();
        if (state_ != BUTTON_HOVER) SetState(BUTTON_HOVER);
        return;
    }
    ReleaseIfHeld();
    SetState(BUTTON_NORMAL);
}

void CxButton::ToggleMouseMove(bool over)
{
    if (state_ == BUTTON_DISABLED) return;
    if (over) {
        SetCapture();
        SetState(GetCheck() ? BUTTON_PRESSED : BUTTON_HOVER);
        return;
    }
    ReleaseIfHeld();
    if (state_ == BUTTON_HOVER) SetState(BUTTON_NORMAL);
    else if (state_ == BUTTON_PRESSED) SetState(BUTTON_CHECKED);
}

void CxButton::OnMouseMove(uint32_t keys, CxPoint point)
{
    switch (style_) {
    case BUTTON_PUSH: PushMouseMove(IsOver(point)); break;
    case BUTTON_RADIO:
    case BUTTON_CHECK: ToggleMouseMove(IsOver(point)); break;
    default: CxSprite::OnMouseMove(keys, point); break;
    }
}

void CxButton::OnLButtonDown(uint32_t keys, CxPoint point)
{
    if (style_ == BUTTON_PUSH) {
        if (HasCapture() && state_ != BUTTON_HOVER) return;
        if (!IsEnabled()) return CxSprite::OnLButtonDown(keys, point);
        SetCapture();
        SetState(BUTTON_PRESSED);
        return;
    }
    CxPoint global = ToGlobal(point);
    if (style_ == BUTTON_RADIO) {
        if (state_ == BUTTON_NORMAL || state_ == BUTTON_HOVER) SetState(BUTTON_PRESSED);
    } else if (style_ == BUTTON_CHECK && state_ != BUTTON_DISABLED) {
        SetState(GetCheck() ? BUTTON_HOVER : BUTTON_PRESSED);
    }
    if (!HasCapture()) return;
    ReleaseCapture();
    // Without capture the button would not hear the pointer leave and would
    // keep its hover face; whatever is under the pointer now takes it up.
    DispatchMouseMove(keys, global);
}

CxDisplayObject* CxButton::OnLButtonUp(uint32_t keys, CxPoint point)
{
    if (style_ != BUTTON_PUSH || !HasCapture()) return nullptr;
    ReleaseCapture();
    int32_t old = state_;
    SetState(BUTTON_NORMAL);
    CxRect own{0, 0, GetExtentWidth() - 1, GetExtentHeight() - 1};
    if (!own.Contains(point)) {
        Notify(BUTTON_CODE_LEFT);
        return this;
    }
    // Taken before the click is reported: its listener may move or even
    // delete this button; whatever is under the pointer afterwards takes up
    // its hover state.
    CxPoint global = ToGlobal(point);
    if (old == BUTTON_CHECKED || old == BUTTON_PRESSED) Notify(BUTTON_CODE_CLICKED);
    DispatchMouseMove(keys, global);
    return this;
}

// ------------------------------------------------------------- radio groups
namespace {
// The type mask is script-settable, so it alone does not prove the class.
CxButton* AsRadioButton(CxDisplayObject* object)
{
    auto* button = dynamic_cast<CxButton*>(object);
    return button && button->IsType(1 | BUTTON_TYPE) && button->GetStyle() == BUTTON_RADIO ? button : nullptr;
}
}  // namespace

void CxRadioGroup::OnNotify(int32_t kind, CxDisplayObject* sender, int32_t code, int32_t extra)
{
    if (kind == NOTIFY_BUTTON && code == BUTTON_CODE_ON) {
        for (auto* node = children_.GetHead(); node; node = node->next) {
            CxButton* radio = AsRadioButton(node->value);
            if (radio && radio != sender && radio->IsEnabled()) radio->SetState(BUTTON_NORMAL);
        }
    }
    CxSprite::OnNotify(kind, sender, code, extra);
}

void CxRadioGroup::Enable()
{
    for (auto* node = children_.GetHead(); node; node = node->next)
        if (CxButton* radio = AsRadioButton(node->value); radio && !radio->IsEnabled()) radio->Enable();
    flags_ &= ~uint32_t(DISPLAY_DISABLED);
}

void CxRadioGroup::Disable()
{
    for (auto* node = children_.GetHead(); node; node = node->next)
        if (CxButton* radio = AsRadioButton(node->value); radio && radio->IsEnabled()) radio->Disable();
    flags_ |= DISPLAY_DISABLED;
}
