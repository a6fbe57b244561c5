#include "display/CxCommonDrawText.h"
#include "display/CxCommonFace.h"

namespace {
constexpr int kFaceDepth = 8;
}

void UseCommonFace(CxDrawText& text)
{
    text.SetDefaultDepth(kFaceDepth);
    if (CxDrawSurface* picture = CreateFaceSurface(text.GetWidth(), text.GetHeight())) text.SetSurface(picture, 1);
}
