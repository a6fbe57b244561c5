// An editable line of text: a CxDrawText with a blinking caret, a selection
// (shown as the text's highlight) and keyboard and mouse editing.
//
// The edited text is kept whole; what is displayed is a window onto it (from
// the scroll offset, so many characters as fit), or asterisks in password
// mode.  Indices (caret, selection, scroll offset) count characters, not
// bytes, so text set from scripts in UTF-8 is never cut inside a character.
//
// After every key and every SetString the parent hears OnNotify
// (EDIT_NOTIFY, the edit, key code or 0, 0).
#pragma once
#include "core/CxTimer.h"
#include "display/CxDrawText.h"
#include "display/CxNotify.h"

enum CxEditFlags : uint32_t {
    EDIT_ACCEPT_CR = 0x01,
    EDIT_PASS_ALL_KEYS = 0x02,
    EDIT_ENABLED = 0x04,        // editing enabled and caret shown
    EDIT_FIT_FROM_START = 0x08, // display as many characters from the start as fit
    EDIT_UPPER = 0x10,
    EDIT_PASSWORD = 0x20,
};

constexpr int32_t EDIT_DEFAULT_MAX_LENGTH = 0x7FFF;
constexpr uint32_t EDIT_BLINK_MS = 250;
constexpr CxPixel EDIT_CARET_KEY = 10;

using CxShiftStateSource = bool (*)();

class CxEditText : public CxDrawText, public CxTimerListener {
public:
    CxEditText();
    ~CxEditText() override;

    void SetString(const char* text) override;
    const char* GetString() const override { return edited_.Text(); }
    void OnActivate() override;
    void OnDeactivate() override;
    void OnPaint(CxRenderTarget* target, const CxRect* rect) override;
    void OnKeyDown(KeyCode key, uint32_t flags) override;
    void OnMouseMove(uint32_t keys, CxPoint point) override;
    void OnLButtonDown(uint32_t keys, CxPoint point) override;
    CxDisplayObject* OnLButtonUp(uint32_t keys, CxPoint point) override;
    void OnTimer(CxTimerCallBack* timer) override;

    int  MakeCaret(int32_t height, CxPixel colour) { return CreateCaret(height, colour); }
    int  CreateCaret(int32_t height, CxPixel colour);
    void SetCaret(CxSprite* caret);
    CxSprite* GetCaret() const { return caret_; }
    void SetCaretOffset(int32_t x, int32_t y) { caretOffset_ = CxPoint{x, y}; }
    CxPoint GetCaretOffset() const { return caretOffset_; }
    void SetCaretPos(int32_t index);
    int32_t GetCaretPos() const { return caretIndex_; }
    void SetLengthLimit(int32_t limit) { maxLength_ = limit; }
    int32_t GetLengthLimit() const { return maxLength_; }
    void SetPixelLimit(int32_t width);
    int32_t GetPixelLimit() const { return maxPixelWidth_; }
    void SetCharRestriction(const char* characters) { allowed_ = characters ? characters : ""; }
    const char* GetCharRestriction() const { return allowed_.Text(); }
    void SetEditFlag(uint32_t flag, bool on);
    bool GetEditFlag(uint32_t flag) const { return (editFlags_ & flag) != 0; }
    void SetEditState(bool on);
    void Clear() { SetString(""); }
    int32_t GetScrollOffset() const { return scroll_; }
    int32_t GetVisibleCount() const { return visible_; }
    int32_t GetSelectionStart() const { return highlightStart_; }
    int32_t GetSelectionEnd() const { return highlightEnd_; }
    int32_t Length() const;
    // Where the caret goes for a character index (in the edit's coordinates).
    CxPoint CaretPosition(int32_t index);

    // Tests replace the platform's Shift state; null restores it.
    static void SetShiftStateSource(CxShiftStateSource source);

private:
    bool ShiftHeld() const;
    int32_t EnsureVisibleCount();
    void PassKey(KeyCode key, uint32_t flags);
    void HandleKey(KeyCode key, uint32_t flags);
    bool HasSelection() const;
    bool SelectionRange(int32_t& start, int32_t& end) const;
    void Backspace();
    void DeleteForward();
    void TypeCharacter(KeyCode key);
    void MoveLeft();
    void MoveRight();
    void MoveHome();
    void MoveEnd();
    void DeleteSelection();
    void RemoveChars(int32_t start, int32_t count);
    void InsertChars(int32_t index, const char* text);
    void AfterEdit(KeyCode key);
    void RebuildDisplay();
    void MoveCaret();
    void Notify(KeyCode key);
    int32_t IndexAt(CxPoint point);
    void SelectTo(int32_t index, bool extend);

    CxTimerCallBack* blink_ = nullptr;
    CxString edited_;
    CxString allowed_;
    CxPoint caretOffset_{3, 3};
    CxSprite* caret_ = nullptr;
    int32_t maxLength_ = EDIT_DEFAULT_MAX_LENGTH;
    int32_t visible_ = -1;
    int32_t caretIndex_ = 0;
    int32_t scroll_ = 0;
    int32_t maxPixelWidth_ = 0;
    uint32_t editFlags_ = EDIT_ENABLED;
    int32_t anchor_ = 0;   // where a mouse selection started
};

// Characters and byte offsets of UTF-8 text (text that is not UTF-8 counts
// byte by byte).
int32_t Utf8Length(const char* text);
int32_t Utf8Offset(const char* text, int32_t index);
