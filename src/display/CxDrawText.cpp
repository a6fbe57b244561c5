#include "display/CxDrawText.h"
#include "graphics/CxFont.h"

CxDrawText::CxDrawText() { typeMask_ = 33; }

// ------------------------------------------------------------- settings
void CxDrawText::Changed()
{
    style_ |= TEXT_STYLE_NEEDS_RENDER;
    if (IsVisible()) Paint();
}

void CxDrawText::SetString(const char* text)
{
    text_ = text ? text : "";
    Changed();
}

void CxDrawText::SetDefaultDepth(int depth)
{
    style_ = (style_ & ~uint32_t(TEXT_STYLE_DEPTH)) | (uint32_t(depth) & 0xFFF) << 12;
    Changed();
}

int CxDrawText::GetDefaultDepth() const
{
    int value = int(style_ >> 12 & 0xFFF);
    return value >= 0x800 ? value - 0x1000 : value;
}

void CxDrawText::SetPointSize(int size)
{
    style_ = (style_ & ~uint32_t(TEXT_STYLE_POINT_SIZE)) | (uint32_t(size) & TEXT_STYLE_POINT_SIZE);
    Changed();
}

void CxDrawText::SetHighlight(int32_t start, int32_t end)
{
    highlightStart_ = start;
    highlightEnd_ = end;
    Changed();
}

void CxDrawText::SetStyleBits(uint32_t bits, bool on)
{
    style_ = on ? (style_ | bits) : (style_ & ~bits);
    Changed();
}

CxFont* CxDrawText::ResolveFont() const
{
    CxFont* font = FindFont(fontHandle_);
    return font ? font : FindFont(CX_DEFAULT_FONT);
}

// ------------------------------------------------------------- rendering
// A surface of the object's size; made without repainting, since this runs
// while the tree paints.
bool CxDrawText::PrepareSurface(CxRenderTarget* target)
{
    if (size_.width <= 0 || size_.height <= 0) return false;
    CxDrawSurface* surface = GetSurface();
    if (surface && surface->GetSize() == size_) return true;
    int depth = GetDefaultDepth();
    if (depth == -1) {
        auto* screen = dynamic_cast<CxDrawSurface*>(target);
        depth = screen && screen->GetDepth() > 8 ? screen->GetDepth() : 32;
    }
    CxSize size = size_;
    flags_ &= ~uint32_t(DISPLAY_SHOWN);
    CreateSurface(size.width, size.height, depth);
    flags_ |= DISPLAY_SHOWN;
    size_ = size;
    return GetSurface() && GetSurface()->GetBits();
}

void CxDrawText::PrepareBackground(CxRenderTarget* target, const CxRect& area)
{
    CxDrawSurface* own = GetSurface();
    if (background_ != CX_NO_COLOR) {
        own->FillRect(nullptr, background_);
        return;
    }
    CxDrawSurface* behind = target ? target->GetBackdrop() : nullptr;
    CxRect whole{0, 0, size_.width - 1, size_.height - 1};
    CxRect part = IntersectRects(area, whole);
    if (behind && !part.IsEmpty()) {
        CxRect from = ToGlobalRect(part);
        behind->Blt(own, &part, &from, CX_NO_COLOR, nullptr);
    }
    if (!(part == whole)) style_ |= TEXT_STYLE_NEEDS_RENDER;   // the next paint completes the copy
}

void CxDrawText::Render(CxRenderTarget* target, const CxRect& area, CxFont* font)
{
    style_ &= ~uint32_t(TEXT_STYLE_NEEDS_RENDER);
    if (!PrepareSurface(target)) return;
    if (!(style_ & TEXT_STYLE_NO_BACKGROUND)) PrepareBackground(target, area);
    CxTextHighlight highlight{highlightStart_ - highlightShift_, highlightEnd_ - highlightShift_, highlightColour_,
                              highlightBackground_};
    DrawString(GetSurface(), TextRect(), colour_, text_.Text(), textFlags_, GetPointSize(), font, CX_FONT_TRANSPARENT,
               shadow_, HasHighlight() ? &highlight : nullptr);
    if (style_ & TEXT_STYLE_ALWAYS_RENDER) style_ |= TEXT_STYLE_NEEDS_RENDER;
}

void CxDrawText::OnPaint(CxRenderTarget* target, const CxRect* rect)
{
    if (errorCode_ || !rect || rect->IsEmpty() || !IsVisible()) return;
    CxFont* font = ResolveFont();
    if ((style_ & TEXT_STYLE_NEEDS_RENDER) && font) Render(target, *rect, font);
    CxSprite::OnPaint(target, rect);
}
