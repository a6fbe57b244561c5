#include "display/CxCommonDialog.h"
#include "display/CxCursor.h"
#include "display/CxCommonFace.h"

int CxCommonDialog::Create(int32_t x, int32_t y, int32_t width, int32_t height, CxDisplayObject* parent,
                           int32_t controlId)
{
    CxDialogBox::Create(x, y, width, height, parent, controlId);
    if (errorCode_) return errorCode_;
    CxDrawSurface* face = CreateFaceSurface(width, height);
    if (!face) return Error(ERR_OUT_OF_MEMORY, "Could not allocate a new CxDrawSurface");
    DrawBevel(face, CxRect{0, 0, width - 1, height - 1}, kRaisedBevel);
    SetSurface(face, 1);
    return errorCode_;
}

void CxCommonDialog::OnMouseMove(uint32_t keys, CxPoint point)
{
    SetCursorId(CURSOR_ARROW);
    CxDialogBox::OnMouseMove(keys, point);
}
