// The font file types the engine knows: bitmap fonts in PCX images and
// scalable fonts through FreeType.
#include "graphics/CxBitmapFont.h"
#include "graphics/CxFreeTypeFont.h"

void RegisterEngineFontFilters()
{
    static const struct {
        const char* extension;
        CxFontLoadRoutine load;
    } kFilters[] = {{".PCX", CxBitmapFont::LoadFile}, {".ttf", CxFreeTypeFont::LoadFile}, {".otf", CxFreeTypeFont::LoadFile}};
    for (const auto& filter : kFilters) {
        UnregisterFontFilter(filter.extension);   // a second start-up must not fill the table
        RegisterFontFilter(filter.extension, filter.load);
    }
}
