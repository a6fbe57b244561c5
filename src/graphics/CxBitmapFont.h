// Bitmap fonts: glyphs cut out of one image.
//
// The image's top-left pixel is the marker colour.  Along row 0, every column
// in the marker colour ends the glyph before it and starts the next glyph at
// the column after it; the last glyph runs to the last column.  Glyphs span
// the full image height and glyph n draws character n.  The transparent
// colour is the image's own, or else the first row-0 pixel that is not the
// marker.  Point sizes other than the image height stretch the glyphs.
#pragma once
#include "graphics/CxFont.h"
#include "graphics/CxSurf.h"

constexpr uint32_t CX_BITMAP_FONT_DIRECT = 0x20;      // characters index glyphs directly

struct CxBitmapGlyph {
    int32_t left, top, right, bottom;   // inclusive, in the image
    int32_t reserved[2];
    uint32_t code;
};

class CxBitmapFont : public CxFont {
public:
    CxBitmapFont() = default;
    ~CxBitmapFont() override { Unload(); }

    int  Load(const char* path) override;
    void Unload() override;
    int32_t DrawGlyph(CxDrawSurface* surface, int32_t x, int32_t y, uint32_t character, CxPixel colour, int pointSize,
                      CxPixel background, uint32_t flags) override;
    int32_t GlyphWidth(uint32_t character, int pointSize) override;
    int32_t LineHeight(int pointSize) override { return ResolvePointSize(pointSize); }
    int  DefaultPointSize() override { return nativeHeight_ > 0 ? nativeHeight_ : 1; }

    // Takes the image (owned from here on, also on failure) and cuts the
    // glyphs; 0 or an error code (reported).
    int  Build(CxDrawSurface* image);

    int  GetGlyphCount() const { return glyphCount_; }
    const CxBitmapGlyph* GetGlyph(uint32_t character) const;
    CxDrawSurface* GetImage() const { return image_; }
    CxPixel GetTransparent() const { return transparent_; }
    uint32_t GetFontFlags() const { return fontFlags_; }

    // The ".PCX" filter's load routine.
    static CxFont* LoadFile(const char* path, uint32_t option);

private:
    // The glyph a character draws: its own, or '?' in its place.
    const CxBitmapGlyph* GlyphToDraw(uint32_t character);
    int32_t Scaled(int32_t length, int pointSize);

    uint32_t fontFlags_ = 38;
    int32_t glyphCount_ = 0;
    int32_t nativeHeight_ = 0;
    CxBitmapGlyph* glyphs_ = nullptr;
    CxDrawSurface* image_ = nullptr;
    CxPixel transparent_ = 10;
};
