// Fonts: the first byte picks what the rest is taken as.
//   0: a PCX image made into a bitmap font;
//   1: a TrueType/OpenType face for FreeType;
//   2: text (flags byte, then UTF-8 or not) laid out with the built-in font.
// Whatever loads is drawn at several sizes and positions around the edges of
// a small surface and measured; nothing may read or write outside its
// buffers.
#include "core/CxError.h"
#include "display/CxTextLayout.h"
#include "graphics/CxBitmapFont.h"
#include "graphics/CxFreeTypeFont.h"
#include "graphics/QorImageFilters.h"

#include <cstdint>
#include <string>

namespace {
int Quiet(int, const char*) { return 0; }

void Exercise(CxFont& font, const char* text)
{
    CxDrawSurface target;
    if (target.Create(48, 24, 32) != 0) return;
    for (int size : {0, 5, 31}) {
        for (uint32_t c : {0u, 65u, 103u, 0xE9u, 0x20ACu, 300u}) {
            font.DrawGlyph(&target, -3, 20, c, 0xFFFF0000, size, CX_FONT_TRANSPARENT, 0);
            font.GlyphWidth(c, size);
        }
        font.LineHeight(size);
        font.MeasureString(text, size);
        DrawString(&target, CxRect{2, 2, 40, 20}, CX_NO_COLOR, text, TEXT_WORD_WRAP | TEXT_SHADOW | TEXT_CENTER,
                   size, &font, CX_FONT_TRANSPARENT, 0xFF000000, nullptr);
    }
}

void BitmapFont(const uint8_t* data, size_t size)
{
    auto* image = new CxDrawSurface;
    if (QorDecodePCX(image, data, size, "fuzz") != 0 || !image->GetBits()) {
        delete image;
        return;
    }
    CxBitmapFont font;
    if (font.Build(image) == 0) Exercise(font, "Ag \x01\x7F");
}

void FreeTypeFont(const uint8_t* data, size_t size)
{
    CxFreeTypeFont font;
    if (font.LoadFromMemory(data, uint32_t(size), "fuzz") == 0) Exercise(font, "Ag\xC3\xA9\xE2\x82\xAC ok");
}

void Text(const uint8_t* data, size_t size)
{
    if (size < 1) return;
    uint32_t flags = data[0];
    std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    CxDrawSurface target;
    if (target.Create(40, 30, 32) != 0) return;
    CxTextHighlight highlight{1, 5, 0xFF0000FF, 0xFF00FF00};
    CxFont* font = FindFont(CX_DEFAULT_FONT);
    for (int32_t width : {1, 9, 30}) {
        DrawString(&target, CxRect{3, -2, 3 + width, 25}, 0xFFFFFFFF, text.c_str(), flags, 0, font, CX_FONT_TRANSPARENT,
                   0xFF000000, &highlight);
        CxString wrapped;
        WrapText(text.c_str(), CxRect{0, 0, width, 10}, font, 7, wrapped);
    }
    TextLineWidth(text.c_str(), font, 0);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SetErrorCallback(Quiet);   // the default would open message boxes
    if (!FindFont(CX_DEFAULT_FONT)) CreateDefaultFont();
    if (size < 1) return 0;
    switch (data[0] % 3) {
    case 0: BitmapFont(data + 1, size - 1); break;
    case 1: FreeTypeFont(data + 1, size - 1); break;
    default: Text(data + 1, size - 1); break;
    }
    return 0;
}
