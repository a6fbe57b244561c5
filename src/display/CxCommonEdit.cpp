#include "display/CxCommonEdit.h"
#include "display/CxCommonDrawText.h"
#include "display/CxCommonFace.h"

// The picture is made here rather than on the first paint: replacing a
// sprite's picture repaints it, which must not happen inside a paint.
int CxCommonEdit::Create(int32_t x, int32_t y, int32_t width, int32_t height, CxDisplayObject* parent,
                         int32_t controlId)
{
    CxEditText::Create(x, y, width, height, parent, controlId);
    UseCommonFace(*this);
    SetStyleBits(TEXT_STYLE_NO_BACKGROUND, true);   // the box is the background
    SetColor(COMMON_BLACK);
    return errorCode_;
}

void CxCommonEdit::OnPaint(CxRenderTarget* target, const CxRect* rect)
{
    CxDrawSurface* face = GetSurface();
    if ((GetStyle() & TEXT_STYLE_NEEDS_RENDER) && face && face->GetDepth() == 8)
        DrawBevel(face, CxRect{0, 0, face->GetWidth() - 1, face->GetHeight() - 1}, kEditBevel);
    CxEditText::OnPaint(target, rect);
}
