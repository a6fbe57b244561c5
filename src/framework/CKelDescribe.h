// Helpers for what description files describe: images, sizes and the
// names rooms and dialogs register as event creators.
#pragma once
#include "foundation/CxGeometry.h"

class CxEventCreator;
class CxSprite;

// Loads the image at the game path into the sprite.  A failed load has been
// reported by the loader and leaves the sprite without a picture; false then.
bool LoadDescribedImage(CxSprite& sprite, const char* path, int frames = 1);
// A described size where -1 stands for the display's width or height.
CxSize ResolveDisplaySize(CxPoint size);

// Creator names are unregistered by pattern, so a name holding a wildcard
// or a ";" would take other creators with it: such a name is refused
// (printed) and never registered.  Unregistering removes the name only while
// it still belongs to `creator`.
bool RegisterOwnCreator(const char* name, CxEventCreator* creator);
void UnregisterOwnCreator(const char* name, CxEventCreator* creator);
