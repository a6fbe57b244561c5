#include "framework/CKelDescribe.h"
#include "display/CxDisplayTree.h"
#include "display/CxSprite.h"
#include "framework/CxGamePath.h"

bool LoadDescribedImage(CxSprite& sprite, const char* path, int frames)
{
    sprite.LoadSurface(BuildGamePath(path), frames);
    CxDrawSurface* surface = sprite.GetSurface();
    if (surface && surface->GetErrorCode() == 0) return true;
    sprite.ReleaseSurface();
    return false;
}

CxSize ResolveDisplaySize(CxPoint size)
{
    CxDisplayObject* root = GetRootObject();
    CxSize display = root ? root->GetSize() : CxSize{0, 0};
    return CxSize{size.x == -1 ? display.width : size.x, size.y == -1 ? display.height : size.y};
}
