// Helpers for what description files describe: images and sizes.
#pragma once
#include "foundation/CxGeometry.h"

class CxSprite;

// Loads the image at the game path into the sprite.  A failed load has been
// reported by the loader and leaves the sprite without a picture; false then.
bool LoadDescribedImage(CxSprite& sprite, const char* path, int frames = 1);
// A described size where -1 stands for the display's width or height.
CxSize ResolveDisplaySize(CxPoint size);
