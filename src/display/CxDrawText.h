// A sprite showing a string: it renders the text into a surface of its own
// whenever the text or a style changed, and paints that surface like any
// sprite.  With no background colour it first copies what lies behind it
// from the target, so text can sit on any picture; a partly painted area
// makes it render again on the next paint so the copy is completed.
//
// The font is held by handle and looked up when drawing, so deleting a font
// never leaves a text pointing at it; an unknown handle draws with the
// default font.
#pragma once
#include "display/CxSprite.h"
#include "display/CxTextLayout.h"
#include "foundation/CxString.h"

class CxFont;

enum CxTextStyle : uint32_t {
    TEXT_STYLE_POINT_SIZE = 0xFFF,
    TEXT_STYLE_DEPTH = 0xFFF000,        // signed 12-bit; -1: the target's depth
    TEXT_STYLE_NEEDS_RENDER = 1u << 24,
    TEXT_STYLE_ALWAYS_RENDER = 1u << 25,
    TEXT_STYLE_NO_BACKGROUND = 1u << 26,
};

constexpr int32_t TEXT_NO_HIGHLIGHT = 999999999;
constexpr uint32_t TEXT_DEFAULT_FLAGS = TEXT_CENTER_VERTICAL | 0x01;
constexpr int32_t TEXT_MARGIN = 4;   // left and right of the text inside the object

class CxDrawText : public CxSprite {
public:
    CxDrawText();

    void OnPaint(CxRenderTarget* target, const CxRect* rect) override;
    virtual void SetString(const char* text);
    virtual const char* GetString() const { return text_.Text(); }

    void SetDefaultDepth(int depth);
    int  GetDefaultDepth() const;
    void SetColor(CxPixel colour) { Change(colour_, colour); }
    CxPixel GetColor() const { return colour_; }
    void SetBkColor(CxPixel colour) { Change(background_, colour); }
    CxPixel GetBkColor() const { return background_; }
    void SetHighlightColor(CxPixel colour) { Change(highlightColour_, colour); }
    CxPixel GetHighlightColor() const { return highlightColour_; }
    void SetHighlightBkColor(CxPixel colour) { Change(highlightBackground_, colour); }
    CxPixel GetHighlightBkColor() const { return highlightBackground_; }
    void SetShadowColor(CxPixel colour) { Change(shadow_, colour); }
    CxPixel GetShadowColor() const { return shadow_; }
    void SetTextFlags(uint32_t flags) { Change(textFlags_, flags); }
    uint32_t GetTextFlags() const { return textFlags_; }
    void SetFont(int32_t handle) { Change(fontHandle_, handle); }
    int32_t GetFont() const { return fontHandle_; }
    void SetPointSize(int size);
    int  GetPointSize() const { return int(style_ & TEXT_STYLE_POINT_SIZE); }
    void SetHighlight(int32_t start, int32_t end);
    void ClearHighlight() { SetHighlight(TEXT_NO_HIGHLIGHT, -1); }
    bool HasHighlight() const { return highlightStart_ != TEXT_NO_HIGHLIGHT && highlightEnd_ != -1; }
    uint32_t GetStyle() const { return style_; }
    void SetStyleBits(uint32_t bits, bool on);
    const char* GetDisplayedText() const { return text_.Text(); }

    // The font drawing uses: the one set, else the default.
    CxFont* ResolveFont() const;
    // Marks the text for rendering and repaints it when shown.
    void Changed();

protected:
    template <typename T> void Change(T& field, T value)
    {
        field = value;
        Changed();
    }
    void SetDisplayedText(const char* text) { text_ = text; }
    CxRect TextRect() const { return CxRect{TEXT_MARGIN, 0, size_.width - TEXT_MARGIN - 1, size_.height - 1}; }

    int32_t highlightStart_ = TEXT_NO_HIGHLIGHT;
    int32_t highlightEnd_ = -1;
    int32_t highlightShift_ = 0;   // index of the displayed text's first character in the highlight's text

private:
    bool PrepareSurface(CxRenderTarget* target);
    void PrepareBackground(CxRenderTarget* target, const CxRect& area);
    void Render(CxRenderTarget* target, const CxRect& area, CxFont* font);

    CxPixel highlightColour_ = 0;
    CxPixel highlightBackground_ = 0;
    int32_t fontHandle_ = -1;
    CxString text_;
    CxPixel colour_ = CX_NO_COLOR;
    CxPixel background_ = CX_NO_COLOR;
    CxPixel shadow_ = 0;
    uint32_t textFlags_ = TEXT_DEFAULT_FLAGS;
    uint32_t style_ = TEXT_STYLE_DEPTH | TEXT_STYLE_NEEDS_RENDER;
};
