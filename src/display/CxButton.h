// Buttons: sprites whose frame follows an interaction state.
//
// One class serves three behaviours, chosen by the style: a push button
// (normal, hover, pressed, disabled), a radio button and a check button
// (unchecked or checked, each with a hover variant, and disabled).  The state
// map names the frame shown in each state.  Every state change is reported to
// the listener when one is set, else to the parent's OnNotify (kind 0, the
// button, the code, 0); a button without a parent reports nothing.
//
// A radio group is a plain sprite that unchecks its other radio-button
// children when one of them becomes checked.
#pragma once
#include "display/CxNotify.h"
#include "display/CxSprite.h"

enum CxButtonStyle : int32_t { BUTTON_PUSH = 0, BUTTON_RADIO = 1, BUTTON_CHECK = 2 };

enum CxButtonState : int32_t {
    BUTTON_NORMAL = 0,      // push: normal; radio and check: unchecked
    BUTTON_CHECKED = 1,     // radio and check only
    BUTTON_HOVER = 2,       // unchecked (or normal) with the mouse over it
    BUTTON_PRESSED = 3,     // push: pressed; radio and check: checked with the mouse over it
    BUTTON_DISABLED = 4,
};
constexpr int kButtonStates = 5;

enum CxButtonCode : int32_t {
    BUTTON_CODE_OFF = 0,        // became normal or hovered-unchecked
    BUTTON_CODE_ON = 1,         // became checked or pressed
    BUTTON_CODE_HOVER = 2,      // the mouse came over it
    BUTTON_CODE_DISABLED = 4,
    BUTTON_CODE_CLICKED = 10,   // a push button released inside itself
    BUTTON_CODE_LEFT = 11,      // the mouse left it, or a push button released outside
};

constexpr uint32_t BUTTON_TYPE = 0x08;   // type-mask bit of buttons (with bit 0, sprite)

class CxButton;

class CxButtonListener {
public:
    virtual ~CxButtonListener() = default;
    virtual void OnButtonNotify(CxButton* button, int32_t code) = 0;
};

class CxButton : public CxSprite {
public:
    explicit CxButton(int32_t style = BUTTON_PUSH) : style_(style) { typeMask_ = 1 | BUTTON_TYPE; }

    void Enable() override;
    void Disable() override;
    int  Erase() override;
    void OnMouseMove(uint32_t keys, CxPoint point) override;
    void OnLButtonDown(uint32_t keys, CxPoint point) override;
    CxDisplayObject* OnLButtonUp(uint32_t keys, CxPoint point) override;

    virtual int  SetState(int32_t state);
    virtual int32_t GetState() const { return state_; }
    virtual void Notify(int32_t code);
    virtual void SetCheck(bool on) { SetState(on ? BUTTON_CHECKED : BUTTON_NORMAL); }
    virtual bool GetCheck() const { return state_ == BUTTON_CHECKED || state_ == BUTTON_PRESSED; }

    void SetStyle(int32_t style) { style_ = style; }
    int32_t GetStyle() const { return style_; }
    // The frame (or, for animated buttons, the action) shown in a state;
    // states outside 0..4 are ignored.
    void SetStateMapEntry(int32_t state, int32_t frame);
    int32_t GetStateMapEntry(int32_t state) const;
    void SetListener(CxButtonListener* listener) { listener_ = listener; }
    CxButtonListener* GetListener() const { return listener_; }
    int32_t GetSavedState() const { return savedState_; }

protected:
    bool IsOver(CxPoint point);

private:
    void PushMouseMove(bool over);
    void ToggleMouseMove(bool over);
    void SendCodes(int32_t from, int32_t to);
    void ReleaseIfHeld()
    {
        if (HasCapture()) ReleaseCapture();
    }

    CxButtonListener* listener_ = nullptr;
    int32_t style_;
    int32_t stateMap_[kButtonStates] = {0, 1, 2, 3, 4};
    int32_t state_ = BUTTON_NORMAL;
    int32_t savedState_ = -1;
};

class CxRadioButton : public CxButton {
public:
    CxRadioButton() : CxButton(BUTTON_RADIO) {}
};

class CxCheckButton : public CxButton {
public:
    CxCheckButton() : CxButton(BUTTON_CHECK) {}
};

class CxRadioGroup : public CxSprite {
public:
    void Enable() override;
    void Disable() override;
    void OnNotify(int32_t kind, CxDisplayObject* sender, int32_t code, int32_t extra) override;
};
