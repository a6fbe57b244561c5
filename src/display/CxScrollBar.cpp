#include "display/CxScrollBar.h"

#include <algorithm>

CxScrollBar::CxScrollBar() : CxScrollBar(false) {}

CxScrollBar::CxScrollBar(bool vertical) : vertical_(vertical), repeat_(this, kScrollRepeatInterval)
{
    typeMask_ = 1 | SCROLLBAR_TYPE;
}

CxScrollBar::~CxScrollBar()
{
    delete decrement_;
    delete increment_;
    delete thumb_;
}

// ------------------------------------------------------------- parts
int CxScrollBar::AttachButton(CxButton*& slot, CxDrawSurface* surface, const char* what)
{
    if (!surface) return Error(ERR_UNKNOWN, "Invalid DisplaySurface passed to CxScrollBar::Load%sButton()", what);
    delete slot;
    slot = new CxButton;
    slot->Create(0, 0, 0, 0, this, 0);
    slot->SetSurface(surface, kButtonStates);
    slot->Paint();
    LayoutButtons();
    return errorCode_;
}

int CxScrollBar::LoadDecrementButton(CxDrawSurface* surface) { return AttachButton(decrement_, surface, "Left"); }
int CxScrollBar::LoadIncrementButton(CxDrawSurface* surface) { return AttachButton(increment_, surface, "Right"); }
// A picture that failed to load (the loader reported why) leaves the part
// as it was instead of showing a broken one.
template <typename Attach>
int CxScrollBar::LoadPart(const char* path, Attach attach)
{
    CxDrawSurface* surface = LoadImageSurface(path, 0);
    if (surface && surface->GetErrorCode() != 0) {
        int code = surface->GetErrorCode();
        delete surface;
        return code;
    }
    return attach(surface);
}

int CxScrollBar::LoadDecrementButton(const char* path)
{
    return LoadPart(path, [this](CxDrawSurface* s) { return LoadDecrementButton(s); });
}

int CxScrollBar::LoadIncrementButton(const char* path)
{
    return LoadPart(path, [this](CxDrawSurface* s) { return LoadIncrementButton(s); });
}

int CxScrollBar::LoadThumb(const char* path)
{
    return LoadPart(path, [this](CxDrawSurface* s) { return LoadThumb(s); });
}

int CxScrollBar::LoadThumb(CxDrawSurface* surface)
{
    if (!surface)
        return Error(ERR_INVALID_ARGUMENT, "Invalid CxDrawSurface passed to CxScrollBar::LoadThumb()");
    delete thumb_;
    thumb_ = new CxSprite;
    thumb_->Create(0, 0, 0, 0, this, 0);
    thumb_->SetSurface(surface, 1);
    SetScrollPosition(minimum_);
    return errorCode_;
}

int CxScrollBar::Load(const char* decrementPath, const char* incrementPath, const char* thumbPath)
{
    if (decrementPath) LoadDecrementButton(decrementPath);
    if (incrementPath) LoadIncrementButton(incrementPath);
    if (thumbPath) LoadThumb(thumbPath);
    return errorCode_;
}

void CxScrollBar::LayoutButtons()
{
    int32_t thickness = ThicknessOf(this);
    if (decrement_) decrement_->Paint(Point(0, (thickness - ThicknessOf(decrement_)) / 2), ANCHOR_TOP_LEFT);
    if (increment_)
        increment_->Paint(Point(LengthOf(this) - LengthOf(increment_), (thickness - ThicknessOf(increment_)) / 2),
                          ANCHOR_TOP_LEFT);
}

// ------------------------------------------------------------- position
int32_t CxScrollBar::ThumbStart(int32_t position) const
{
    int32_t L = DecrementLength(), R = IncrementLength(), T = ThumbLength(), W = LengthOf(this);
    int64_t start = L;
    if (count_ > 1) start = L + int64_t(W - R - L - T) * (position - minimum_) / (count_ - 1);
    return int32_t(std::max<int64_t>(L, std::min<int64_t>(start, W - R - T - 1)));
}

// The range may start anywhere, so the thumb is placed by the position's
// distance from the minimum.
void CxScrollBar::SetScrollPosition(int32_t position)
{
    if (!vertical_ && !IsEnabled()) return;
    if (vertical_ && IsVisible()) Paint();
    if (count_ <= 0) return;
    position = std::max(minimum_, std::min(position, maximum_));
    bool changed = position != position_;
    position_ = position;
    if (thumb_) {
        int32_t across = ThicknessOf(this) / 2 - ThicknessOf(thumb_) / 2;
        thumb_->Paint(Point(ThumbStart(position), across), ANCHOR_TOP_LEFT);
    }
    if (!changed) return;
    if (listener_) listener_->OnScroll(this, position);
    else if (parent_) parent_->OnNotify(NOTIFY_SCROLL, this, position, 0);
}

void CxScrollBar::SetRange(int32_t minimum, int32_t maximum)
{
    minimum_ = minimum;
    maximum_ = maximum;
    count_ = maximum - minimum + 1;
    if (position_ != -1) SetScrollPosition(position_);
}

CxRect CxScrollBar::Span(int32_t from, int32_t to) const
{
    return vertical_ ? CxRect{0, from, GetWidth() - 1, to} : CxRect{from, 0, to, GetHeight() - 1};
}

CxRect CxScrollBar::GetPageDecrementRect() const
{
    int32_t thumb = thumb_ ? Along(thumb_->GetPosition()) : ThumbStart(position_ == -1 ? minimum_ : position_);
    return Span(DecrementLength(), thumb - 1);
}

CxRect CxScrollBar::GetPageIncrementRect() const
{
    int32_t thumb = thumb_ ? Along(thumb_->GetPosition()) : ThumbStart(position_ == -1 ? minimum_ : position_);
    return Span(thumb + ThumbLength(), LengthOf(this) - IncrementLength() - 1);
}

int32_t CxScrollBar::PositionFromPoint(CxPoint point) const
{
    bool inside = CxRect{0, 0, GetWidth() - 1, GetHeight() - 1}.Contains(point);
    int32_t L = DecrementLength(), track = LengthOf(this) - IncrementLength() - L;
    if ((!inside && !dragging_) || track <= 0 || count_ <= 0) return position_;
    int64_t value = minimum_ + int64_t(Along(point) - L) * count_ / track;
    return int32_t(std::max<int64_t>(minimum_, std::min<int64_t>(value, maximum_)));
}

// ------------------------------------------------------------- input
CxDisplayObject* CxScrollBar::HitTest(CxPoint globalPoint, uint32_t typeMask)
{
    if (dragging_ && IsType(typeMask)) return this;
    return CxSprite::HitTest(globalPoint, typeMask);
}

void CxScrollBar::OnLButtonDown(uint32_t, CxPoint point)
{
    if (!IsEnabled()) return;
    lastPoint_ = point;
    if (thumb_ && thumb_->IsVisible() && thumb_->ContainsPoint(point, true)) {
        action_ = SCROLL_DRAG;
    } else if (GetPageDecrementRect().Contains(point)) {
        action_ = SCROLL_PAGE_DEC;
        SetScrollPosition(position_ - pageStep_);
    } else if (GetPageIncrementRect().Contains(point)) {
        action_ = SCROLL_PAGE_INC;
        SetScrollPosition(position_ + pageStep_);
    }
    dragging_ = true;
    SetCapture();
    if (action_ == SCROLL_PAGE_DEC || action_ == SCROLL_PAGE_INC) StartRepeat();
}

void CxScrollBar::OnMouseMove(uint32_t keys, CxPoint point)
{
    if (!dragging_) return CxSprite::OnMouseMove(keys, point);
    lastPoint_ = point;
    if (action_ == SCROLL_DRAG) SetScrollPosition(PositionFromPoint(point));
}

CxDisplayObject* CxScrollBar::OnLButtonUp(uint32_t keys, CxPoint point)
{
    if (!dragging_) return CxSprite::OnLButtonUp(keys, point);
    StopRepeat();
    dragging_ = false;
    ReleaseCapture();
    if (action_ == SCROLL_DRAG) SetScrollPosition(PositionFromPoint(point));
    action_ = SCROLL_NONE;
    return this;
}

// The bar's own buttons step it while held; what they report is the bar's
// business, not its container's.
void CxScrollBar::OnNotify(int32_t kind, CxDisplayObject* sender, int32_t code, int32_t extra)
{
    bool own = kind == NOTIFY_BUTTON && sender && (sender == decrement_ || sender == increment_);
    if (!own) return CxSprite::OnNotify(kind, sender, code, extra);
    int32_t action = sender == decrement_ ? SCROLL_LINE_DEC : SCROLL_LINE_INC;
    if (code == BUTTON_CODE_ON) {
        action_ = action;
        Step(action);
        StartRepeat();
    } else if (code == BUTTON_CODE_OFF && action_ == action) {
        action_ = SCROLL_NONE;
        StopRepeat();
    }
}

// ------------------------------------------------------------- repeating
void CxScrollBar::StartRepeat()
{
    countdown_ = countdownStart_;
    repeat_.Start(0);
}

void CxScrollBar::StopRepeat() { repeat_.Reset(); }

// The timer calls once as soon as it is started; ticks count from one
// interval after the press.
void CxScrollBar::OnTimer(CxTimerCallBack* timer)
{
    if (timer->Elapsed() < kScrollRepeatInterval) return;
    if (countdown_ <= 0) Step(action_);
    --countdown_;
}

void CxScrollBar::Step(int32_t action)
{
    switch (action) {
    case SCROLL_LINE_DEC: SetScrollPosition(position_ - lineStep_); break;
    case SCROLL_LINE_INC: SetScrollPosition(position_ + lineStep_); break;
    case SCROLL_PAGE_DEC:
        if (GetPageDecrementRect().Contains(lastPoint_)) SetScrollPosition(position_ - pageStep_);
        break;
    case SCROLL_PAGE_INC:
        if (GetPageIncrementRect().Contains(lastPoint_)) SetScrollPosition(position_ + pageStep_);
        break;
    default: break;
    }
}

// ------------------------------------------------------------- enabling
void CxScrollBar::Disable()
{
    CxSprite::Disable();
    if (decrement_) decrement_->Disable();
    if (increment_) increment_->Disable();
    if (thumb_) thumb_->Erase();
}

void CxScrollBar::Enable()
{
    CxSprite::Enable();
    if (decrement_) decrement_->Enable();
    if (increment_) increment_->Enable();
    if (thumb_) thumb_->Show();
}
