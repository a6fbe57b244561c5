// Text list boxes: list boxes whose lines are strings, each shown by a
// CxDrawText in the list's font, point size and colours; the selected line
// takes the selected colours instead of a blit effect.
#pragma once
#include "display/CxDrawText.h"
#include "display/CxListBox.h"

class CxTextListBox : public CxListBox {
public:
    CxTextListBox() { lineHeight_ = 12; }

    virtual void InsertText(int32_t index, const char* text);
    virtual void AddTextFirst(const char* text) { InsertText(0, text); }
    virtual void AddTextLast(const char* text) { InsertText(count_, text); }
    // The first text line equal to `text` (case-sensitive when exact), -1 when none.
    virtual int32_t FindText(const char* text, bool exact) const;
    const char* GetText(int32_t index) const;

    void SetFont(int32_t handle) { fontHandle_ = handle; }
    int32_t GetFont() const { return fontHandle_; }
    void SetTextColors(CxPixel colour, CxPixel background) { colour_ = colour; background_ = background; }
    void SetSelectedColors(CxPixel colour, CxPixel background) { selectedColour_ = colour; selectedBackground_ = background; }
    void SetShadowColor(CxPixel colour) { shadow_ = colour; }
    void SetPointSize(int size) { pointSize_ = size; }
    int  GetPointSize() const { return pointSize_; }
    void SetTextFlags(uint32_t flags) { textFlags_ = flags; }
    void SetAlwaysRender(bool on) { alwaysRender_ = on ? 1 : 0; }

protected:
    void ShowLine(CxDisplayObject* item, int32_t index, int32_t line) override;
    // A new line's text object; the common list gives it its own 8-bit picture.
    virtual CxDrawText* CreateLine(const char* text);

    int32_t fontHandle_ = -1;
    CxPixel colour_ = CX_NO_COLOR;
    CxPixel background_ = CX_NO_COLOR;
    CxPixel selectedColour_ = 255;
    CxPixel selectedBackground_ = 255;
    CxPixel shadow_ = 0;
    int pointSize_ = 12;
    int32_t alwaysRender_ = 0;
    uint32_t textFlags_ = TEXT_DEFAULT_FLAGS;
};
