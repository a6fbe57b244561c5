#include "display/CxCommonTextListBox.h"
#include "display/CxCommonDrawText.h"
#include "display/CxCommonFace.h"

CxCommonTextListBox::CxCommonTextListBox()
{
    colour_ = COMMON_BLACK;
    background_ = COMMON_WHITE;
    selectedColour_ = COMMON_WHITE;
    selectedBackground_ = COMMON_BLUE;
}

int CxCommonTextListBox::Create(int32_t x, int32_t y, int32_t width, int32_t height, CxDisplayObject* parent,
                                int32_t controlId)
{
    CxTextListBox::Create(x, y, width, height, parent, controlId);
    CxDrawSurface* face = CreateFaceSurface(width, height);
    if (!face) return Error(ERR_OUT_OF_MEMORY, "Could not allocate a new CxDrawSurface");
    DrawBevel(face, CxRect{0, 0, width - 1, height - 1}, kEditBevel);
    SetSurface(face, 1);
    ComputeLayout();
    return errorCode_;
}

CxDrawText* CxCommonTextListBox::CreateLine(const char* text)
{
    CxDrawText* line = CxTextListBox::CreateLine(text);
    UseCommonFace(*line);
    line->SetTextFlags(textFlags_);
    line->SetColor(colour_);
    line->SetBkColor(background_);
    line->SetHighlightColor(selectedColour_);
    line->SetHighlightBkColor(selectedBackground_);
    line->SetShadowColor(shadow_);
    return line;
}
