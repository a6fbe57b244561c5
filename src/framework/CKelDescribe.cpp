#include "framework/CKelDescribe.h"
#include "display/CxDisplayTree.h"
#include "display/CxSprite.h"
#include "events/CxEvent.h"
#include "foundation/Qorstr.h"
#include "app/CxGamePath.h"

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

namespace {
bool IsPlainName(const char* name)
{
    if (!name || !*name) return false;
    for (const char* p = name; *p; ++p)
        if (*p == '*' || *p == '?' || *p == ';' || *p == WILDCARD_NO_DOT) return false;
    return true;
}
}  // namespace

bool RegisterOwnCreator(const char* name, CxEventCreator* creator)
{
    if (!IsPlainName(name)) {
        Print("\"%s\" cannot name an event creator: no commands reach it\n", name ? name : "");
        return false;
    }
    return RegisterEventCreator(name, creator) == 0;
}

void UnregisterOwnCreator(const char* name, CxEventCreator* creator)
{
    if (IsPlainName(name) && FindEventCreator(name) == creator) UnregisterEventCreators(name);
}
