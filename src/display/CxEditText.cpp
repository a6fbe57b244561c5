#include "display/CxEditText.h"
#include "display/CxCursor.h"
#include "graphics/CxFont.h"
#include "platform/window/PlatformWindow.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

namespace {
CxShiftStateSource gShiftSource = nullptr;

bool IsContinuation(char c) { return (uint8_t(c) & 0xC0) == 0x80; }

// The first `count` characters of UTF-8 text.
CxString Prefix(const char* text, int32_t count)
{
    CxString out;
    out.Append(text, Utf8Offset(text, count));
    return out;
}
}  // namespace

int32_t Utf8Length(const char* text)
{
    int32_t n = 0;
    for (const char* p = text; p && *p; ++p) n += !IsContinuation(*p);
    return n;
}

int32_t Utf8Offset(const char* text, int32_t index)
{
    if (!text) return 0;
    int32_t offset = 0, seen = 0;
    for (; text[offset]; ++offset) {
        if (!IsContinuation(text[offset]) && seen++ == index) return offset;
    }
    return offset;
}

void CxEditText::SetShiftStateSource(CxShiftStateSource source) { gShiftSource = source; }
bool CxEditText::ShiftHeld() const { return gShiftSource ? gShiftSource() : PlatIsShiftDown(); }

CxEditText::CxEditText()
{
    typeMask_ = 97;
    for (char c = 32; c < 127; ++c) allowed_.Append(c);
}

CxEditText::~CxEditText()
{
    delete blink_;
    delete caret_;
}

int32_t CxEditText::Length() const { return Utf8Length(edited_.Text()); }

// ======================================================================
// Settings
// ======================================================================

void CxEditText::SetString(const char* text)
{
    edited_ = text ? text : "";
    if (Length() > maxLength_) edited_.TruncateAfter(Utf8Offset(edited_.Text(), std::max(maxLength_, 0)) - 1);
    highlightStart_ = TEXT_NO_HIGHLIGHT, highlightEnd_ = -1;
    caretIndex_ = Length();
    int32_t visible = EnsureVisibleCount();
    scroll_ = std::max(0, caretIndex_ - visible);
    AfterEdit(0);
}

void CxEditText::SetPixelLimit(int32_t width)
{
    maxPixelWidth_ = width;
    visible_ = width > 0 ? 9999 : -1;
}

void CxEditText::SetCaretPos(int32_t index)
{
    caretIndex_ = std::clamp(index, 0, Length());
    if (caret_ && ResolveFont()) MoveCaret();
}

void CxEditText::SetEditFlag(uint32_t flag, bool on)
{
    editFlags_ = on ? (editFlags_ | flag) : (editFlags_ & ~flag);
    RebuildDisplay();
    Changed();
}

void CxEditText::SetEditState(bool on)
{
    editFlags_ = on ? (editFlags_ | EDIT_ENABLED) : (editFlags_ & ~uint32_t(EDIT_ENABLED));
    if (!caret_) return;
    if (on) caret_->Paint();
    else caret_->Erase();
}

int32_t CxEditText::EnsureVisibleCount()
{
    if (visible_ != -1) return visible_;
    CxFont* font = ResolveFont();
    int32_t glyph = font ? font->GlyphWidth('W', GetPointSize()) : 0;
    visible_ = glyph > 0 ? std::max(1, TextRect().Width() / glyph) : 10;
    return visible_;
}

// ======================================================================
// The caret
// ======================================================================

int CxEditText::CreateCaret(int32_t height, CxPixel colour)
{
    if (height <= 0) return Error(ERR_INVALID_ARGUMENT, "A caret needs a height above 0");
    CxDrawSurface* surface = NewSurface();
    if (!surface || surface->Create(4, height, 8) != 0) {
        delete surface;
        return Error(ERR_OUT_OF_MEMORY, "Could not allocate a new CxDrawSurface for cursor caret");
    }
    // The colour is 0xRRGGBB, given to palette entry 1 so it shows at any depth.
    uint8_t palette[CX_PALETTE_BYTES] = {};
    palette[3] = uint8_t(colour >> 16), palette[4] = uint8_t(colour >> 8), palette[5] = uint8_t(colour);
    surface->SetPalette(palette);
    CxRect bar{0, 0, 1, height - 1}, gap{2, 0, 3, height - 1};
    surface->FillRect(&bar, 1);
    surface->FillRect(&gap, EDIT_CARET_KEY);
    CxSprite* sprite = nullptr;
    try {
        sprite = new CxSprite;
    } catch (const std::bad_alloc&) {
        delete surface;
        return Error(ERR_OUT_OF_MEMORY, "Could not allocate a new CxSprite for cursor caret");
    }
    sprite->SetSurface(surface, 2);
    sprite->SetMaskColor(EDIT_CARET_KEY);
    SetCaret(sprite);
    return errorCode_;
}

void CxEditText::SetCaret(CxSprite* caret)
{
    CxPoint at = caret_ ? caret_->GetPosition() : CaretPosition(caretIndex_);
    delete caret_;
    caret_ = caret;
    if (!caret) {
        delete blink_;
        blink_ = nullptr;
        return;
    }
    caret->SetPosition(at);
    caret->Link(this);
    if (!blink_) blink_ = new CxTimerCallBack(this, EDIT_BLINK_MS);
    blink_->Start(0);
    if (GetEditFlag(EDIT_ENABLED) && IsActiveWindow()) caret->Paint();
}

void CxEditText::OnTimer(CxTimerCallBack*)
{
    if (GetEditFlag(EDIT_ENABLED) && caret_ && caret_->IsVisible()) caret_->NextFrame();
}

CxPoint CxEditText::CaretPosition(int32_t index)
{
    int32_t shown = std::max(0, index - highlightShift_);
    CxString before = Prefix(GetDisplayedText(), shown);
    return CxPoint{TextLineWidth(before.Text(), ResolveFont(), GetPointSize()) + caretOffset_.x, caretOffset_.y};
}

void CxEditText::MoveCaret()
{
    if (!caret_) return;
    CxPoint at = CaretPosition(caretIndex_);
    if (caret_->IsVisible()) caret_->Paint(at.x, at.y);
    else caret_->SetPosition(at);
}

void CxEditText::OnActivate()
{
    if (caret_ && GetEditFlag(EDIT_ENABLED)) caret_->Paint();
}

void CxEditText::OnDeactivate()
{
    if (caret_) caret_->Erase();
}

void CxEditText::OnPaint(CxRenderTarget* target, const CxRect* rect)
{
    if (visible_ == -1) {
        EnsureVisibleCount();
        RebuildDisplay();
    }
    CxDrawText::OnPaint(target, rect);
}

// ======================================================================
// The displayed text
// ======================================================================

void CxEditText::RebuildDisplay()
{
    int32_t length = Length();
    CxString source;
    if (GetEditFlag(EDIT_PASSWORD)) {
        for (int32_t i = 0; i < length; ++i) source.Append('*');
    } else {
        source = edited_;
    }
    scroll_ = std::clamp(scroll_, 0, length);
    if (GetEditFlag(EDIT_FIT_FROM_START)) {
        CxFont* font = ResolveFont();
        int32_t width = TextRect().Width(), used = 0, n = 0;
        uint32_t codes[1];
        for (; n < length && font; ++n) {
            CxString one = Prefix(source.Text() + Utf8Offset(source.Text(), n), 1);
            DecodeUtf8(one.Text(), codes, 1);
            used += font->GlyphWidth(codes[0], GetPointSize()) + 1;
            if (used >= width) break;
        }
        highlightShift_ = 0;
        SetDisplayedText(Prefix(source.Text(), n).Text());
        return;
    }
    highlightShift_ = scroll_;
    const char* from = source.Text() + Utf8Offset(source.Text(), scroll_);
    SetDisplayedText(Prefix(from, EnsureVisibleCount()).Text());
}

// ======================================================================
// Editing
// ======================================================================

namespace {
void EraseIn(CxString& text, int32_t start, int32_t count)
{
    int32_t from = Utf8Offset(text.Text(), start), to = Utf8Offset(text.Text(), start + count);
    text.Delete(from, to - from);
}

void InsertIn(CxString& text, int32_t index, const char* part)
{
    int32_t at = Utf8Offset(text.Text(), index);
    CxString result = text.Left(at);
    result.Append(part);
    result.Append(text.Text() + at);
    text = result;
}
}  // namespace

void CxEditText::RemoveChars(int32_t start, int32_t count) { EraseIn(edited_, start, count); }
void CxEditText::InsertChars(int32_t index, const char* text) { InsertIn(edited_, index, text); }

bool CxEditText::HasSelection() const { return HasHighlight() && highlightStart_ != highlightEnd_; }

// The selection as an ordered, clamped range; false when there is none.
bool CxEditText::SelectionRange(int32_t& start, int32_t& end) const
{
    if (!HasSelection()) return false;
    int32_t length = Length();
    start = std::clamp(std::min(highlightStart_, highlightEnd_), 0, length);
    end = std::clamp(std::max(highlightStart_, highlightEnd_), 0, length);
    return true;
}

void CxEditText::DeleteSelection()
{
    int32_t start = 0, end = 0;
    if (!SelectionRange(start, end)) return;
    RemoveChars(start, end - start);
    caretIndex_ = start;
    scroll_ = std::min(scroll_, start);
    highlightStart_ = TEXT_NO_HIGHLIGHT, highlightEnd_ = -1;
}

void CxEditText::Backspace()
{
    if (Length() == 0) return;
    if (HasSelection()) return DeleteSelection();
    if (caretIndex_ <= 0) return;
    RemoveChars(caretIndex_ - 1, 1);
    if (scroll_ == caretIndex_) --scroll_;
    --caretIndex_;
}

void CxEditText::DeleteForward()
{
    if (Length() == 0) return;
    if (HasSelection()) return DeleteSelection();
    if (caretIndex_ < Length()) RemoveChars(caretIndex_, 1);
}

void CxEditText::TypeCharacter(KeyCode key)
{
    char typed[2] = {char(key), 0};
    if (key == 0 || !strchr(allowed_.Text(), typed[0])) return;
    int32_t start = caretIndex_, end = caretIndex_;
    bool selection = SelectionRange(start, end);
    if (Length() >= maxLength_ && !selection) return;
    if (maxPixelWidth_ > 0) {   // the text as it would become, measured before anything changes
        CxString candidate = edited_;
        EraseIn(candidate, start, end - start);
        InsertIn(candidate, start, typed);
        CxFont* font = ResolveFont();
        if (font && font->MeasureString(candidate.Text(), GetPointSize()) >= maxPixelWidth_) return;
    }
    DeleteSelection();
    InsertChars(caretIndex_, typed);
    if (GetEditFlag(EDIT_UPPER)) {
        char* text = edited_.GetBuffer();
        for (char* p = text; p && *p; ++p)
            if (uint8_t(*p) < 128) *p = char(toupper(uint8_t(*p)));
    }
    if (caretIndex_ == scroll_ + EnsureVisibleCount()) ++scroll_;
    ++caretIndex_;
}

// ======================================================================
// Caret movement and the selection
// ======================================================================

// Moves the caret to `index`; with `extend` the selection grows or shrinks
// at the caret's end, otherwise it is dropped.
void CxEditText::SelectTo(int32_t index, bool extend)
{
    if (extend) {
        if (!HasHighlight()) highlightStart_ = highlightEnd_ = caretIndex_;
        if (highlightStart_ == caretIndex_) highlightStart_ = index;
        else highlightEnd_ = index;
        if (highlightStart_ > highlightEnd_) std::swap(highlightStart_, highlightEnd_);
    } else {
        highlightStart_ = TEXT_NO_HIGHLIGHT, highlightEnd_ = -1;
    }
    caretIndex_ = index;
}

void CxEditText::MoveLeft()
{
    if (caretIndex_ <= 0) return;
    if (caretIndex_ == scroll_) --scroll_;
    SelectTo(caretIndex_ - 1, ShiftHeld());
}

void CxEditText::MoveRight()
{
    if (caretIndex_ >= Length()) return;
    if (scroll_ + EnsureVisibleCount() == caretIndex_ + 1) ++scroll_;
    SelectTo(caretIndex_ + 1, ShiftHeld());
}

void CxEditText::MoveHome()
{
    if (ShiftHeld()) highlightStart_ = 0, highlightEnd_ = caretIndex_;
    else highlightStart_ = TEXT_NO_HIGHLIGHT, highlightEnd_ = -1;
    caretIndex_ = 0;
    scroll_ = 0;
}

void CxEditText::MoveEnd()
{
    int32_t length = Length();
    if (ShiftHeld()) highlightStart_ = caretIndex_, highlightEnd_ = length;
    else highlightStart_ = TEXT_NO_HIGHLIGHT, highlightEnd_ = -1;
    caretIndex_ = length;
    scroll_ = std::max(0, length - EnsureVisibleCount());
}

// ======================================================================
// Keys
// ======================================================================

void CxEditText::PassKey(KeyCode key, uint32_t flags) { CxDisplayObject::OnKeyDown(key, flags); }

void CxEditText::HandleKey(KeyCode key, uint32_t flags)
{
    bool passAll = GetEditFlag(EDIT_PASS_ALL_KEYS);
    switch (key) {
    case 8: Backspace(); break;
    case 13:
        if (!GetEditFlag(EDIT_ACCEPT_CR)) {
            if (!passAll) PassKey(key, flags);
        } else if (Length() < maxLength_) {
            InsertChars(caretIndex_++, "\r");
        }
        break;
    case KEY_END: MoveEnd(); break;
    case KEY_HOME: MoveHome(); break;
    case KEY_LEFT: MoveLeft(); break;
    case KEY_RIGHT: MoveRight(); break;
    case KEY_DELETE: DeleteForward(); break;
    default:
        if (key == KEY_ESCAPE || key >= 128) {
            if (!passAll) PassKey(key, flags);
        } else {
            TypeCharacter(key);
        }
    }
}

void CxEditText::OnKeyDown(KeyCode key, uint32_t flags)
{
    if (!GetEditFlag(EDIT_ENABLED)) return PassKey(key, flags);
    HandleKey(key, flags);
    AfterEdit(key);
    if (GetEditFlag(EDIT_PASS_ALL_KEYS)) PassKey(key, flags);
}

void CxEditText::AfterEdit(KeyCode key)
{
    RebuildDisplay();
    if (GetEditFlag(EDIT_ENABLED)) MoveCaret();
    if (highlightStart_ == highlightEnd_) highlightStart_ = TEXT_NO_HIGHLIGHT, highlightEnd_ = -1;
    Notify(key);
    Changed();
}

void CxEditText::Notify(KeyCode key)
{
    if (parent_) parent_->OnNotify(NOTIFY_EDIT, this, int32_t(key), 0);
}

// ======================================================================
// Mouse
// ======================================================================

// The character index whose left edge lies nearest to x (the first wins).
int32_t CxEditText::IndexAt(CxPoint point)
{
    const char* shown = GetDisplayedText();
    int32_t count = Utf8Length(shown), best = 0;
    int32_t bestDistance = std::abs(point.x - caretOffset_.x);
    for (int32_t i = 1; i <= count; ++i) {
        CxString before = Prefix(shown, i);
        int32_t distance = std::abs(point.x - (TextLineWidth(before.Text(), ResolveFont(), GetPointSize()) + 3));
        if (distance < bestDistance) best = i, bestDistance = distance;
    }
    return std::min(best + highlightShift_, Length());
}

void CxEditText::OnLButtonDown(uint32_t keys, CxPoint point)
{
    if (!IsEnabled()) return CxDrawText::OnLButtonDown(keys, point);
    SetActive();
    int32_t index = IndexAt(point);
    if (ShiftHeld()) {
        anchor_ = caretIndex_;
        highlightStart_ = std::min(anchor_, index), highlightEnd_ = std::max(anchor_, index);
    } else {
        anchor_ = index;
        highlightStart_ = highlightEnd_ = index;
    }
    caretIndex_ = index;
    MoveCaret();
    Changed();
    SetCapture();
}

void CxEditText::OnMouseMove(uint32_t keys, CxPoint point)
{
    if (!IsEnabled()) return CxDrawText::OnMouseMove(keys, point);
    SetCursorId(CURSOR_BEAM);   // text can be typed here
    if (!HasCapture()) return;
    int32_t index = IndexAt(point);
    highlightStart_ = std::min(anchor_, index), highlightEnd_ = std::max(anchor_, index);
    caretIndex_ = index;
    MoveCaret();
    Changed();
}

CxDisplayObject* CxEditText::OnLButtonUp(uint32_t keys, CxPoint point)
{
    ReleaseCapture();
    return CxDrawText::OnLButtonUp(keys, point);
}
