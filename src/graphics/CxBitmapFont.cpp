#include "graphics/CxBitmapFont.h"
#include "foundation/CxMemory.h"

#include <cstdio>

namespace {
constexpr uint32_t kFallbackCharacter = '?';
}

// ======================================================================
// Building from an image
// ======================================================================

int CxBitmapFont::Build(CxDrawSurface* image)
{
    Unload();
    image_ = image;
    if (!image || !image->GetBits() || image->GetWidth() < 2 || image->GetHeight() < 1)
        return Error(ERR_INVALID_FILE_TYPE, "A bitmap font needs an image at least 2 pixels wide");
    int32_t width = image->GetWidth();
    CxPixel marker = image->GetPixel(0, 0);
    int32_t count = 0;
    for (int32_t x = 0; x < width; ++x) count += image->GetPixel(x, 0) == marker;
    glyphs_ = static_cast<CxBitmapGlyph*>(QOR_ALLOC(sizeof(CxBitmapGlyph) * size_t(count), __FILE__));
    if (!glyphs_)
        return Error(ERR_OUT_OF_MEMORY, "Could not allocate a font char array with %d entries", count);
    int32_t height = image->GetHeight(), n = -1;
    CxPixel firstOther = CX_NO_COLOR;
    bool otherFound = false;   // a 32-bit opaque white pixel reads as CX_NO_COLOR
    for (int32_t x = 0; x < width; ++x) {
        CxPixel pixel = image->GetPixel(x, 0);
        if (pixel == marker) {
            if (n >= 0) glyphs_[n].right = x - 1;
            ++n;
            glyphs_[n] = CxBitmapGlyph{x + 1, 0, width - 1, height - 1, {0, 0}, uint32_t(n)};
        } else if (!otherFound) {
            firstOther = pixel;
            otherFound = true;
        }
    }
    glyphCount_ = count;
    nativeHeight_ = height;
    if (image->GetTransparentColor() != CX_NO_COLOR) transparent_ = image->GetTransparentColor();
    else if (otherFound) transparent_ = firstOther;
    image->SetTransparentColor(transparent_);
    return 0;
}

int CxBitmapFont::Load(const char* path)
{
    auto* image = NewSurface();
    if (!image) return Error(ERR_OUT_OF_MEMORY, "Could not allocate a new CxDrawSurface for a font");
    if (int code = image->Load(path)) {
        delete image;
        return Error(code, "Unable to load font: %s", path ? path : "");
    }
    return Build(image);
}

void CxBitmapFont::Unload()
{
    QorFree(glyphs_);
    glyphs_ = nullptr;
    glyphCount_ = 0;
    delete image_;
    image_ = nullptr;
}

CxFont* CxBitmapFont::LoadFile(const char* path, uint32_t)
{
    auto* font = NewFontObject<CxBitmapFont>();
    if (!font) {
        ReportError(ERR_OUT_OF_MEMORY, "Could not allocate a new CxBitmapFont");
        return nullptr;
    }
    font->Load(path);
    return font;
}

int MakeBitmapFont(CxDrawSurface* surface, int32_t* handle)
{
    auto* font = NewFontObject<CxBitmapFont>();
    if (!font) return ReportError(ERR_OUT_OF_MEMORY, "Could not allocate a new CxBitmapFont");
    CxDrawSurface* copy = surface ? surface->CreateCopy(nullptr) : nullptr;
    if (copy && surface) copy->SetTransparentColor(surface->GetTransparentColor());
    if (int code = font->Build(copy)) {
        delete font;
        return code;
    }
    int32_t h = AddFont(font);
    if (handle) *handle = h;
    return 0;
}

// ======================================================================
// Glyphs
// ======================================================================

const CxBitmapGlyph* CxBitmapFont::GetGlyph(uint32_t character) const
{
    return glyphs_ && character < uint32_t(glyphCount_) ? &glyphs_[character] : nullptr;
}

const CxBitmapGlyph* CxBitmapFont::GlyphToDraw(uint32_t character)
{
    if (const CxBitmapGlyph* glyph = GetGlyph(character)) return glyph;
    ReportMissingGlyph(ERR_INVALID_ARGUMENT, "nLetter not found in this font");
    return GetGlyph(kFallbackCharacter);
}

int32_t CxBitmapFont::Scaled(int32_t length, int pointSize)
{
    int size = ResolvePointSize(pointSize);
    if (size == nativeHeight_ || nativeHeight_ <= 0) return length;
    return int32_t(double(size) / nativeHeight_ * length);
}

int32_t CxBitmapFont::GlyphWidth(uint32_t character, int pointSize)
{
    const CxBitmapGlyph* glyph = GetGlyph(character);
    if (!glyph) glyph = GetGlyph(kFallbackCharacter);
    return glyph ? Scaled(glyph->right - glyph->left + 1, pointSize) : 0;
}

int32_t CxBitmapFont::DrawGlyph(CxDrawSurface* surface, int32_t x, int32_t y, uint32_t character, CxPixel colour,
                                int pointSize, CxPixel background, uint32_t)
{
    if (!surface) {
        Error(ERR_INVALID_ARGUMENT, "Can't render to a null surface");
        return 0;
    }
    if (!image_) {
        Error(ERR_UNKNOWN, "No bitmap for font");
        return 0;
    }
    const CxBitmapGlyph* glyph = GlyphToDraw(character);
    if (!glyph) return 0;
    CxRect source{glyph->left, glyph->top, glyph->right, glyph->bottom};
    if (source.IsEmpty()) return 0;
    CxPixel key = background == CX_FONT_TRANSPARENT ? transparent_ : background;
    BltEffects silhouette{BLT_EFFECT_SILHOUETTE, intptr_t(int32_t(colour))};
    const BltEffects* effects = colour == CX_NO_COLOR ? nullptr : &silhouette;
    int32_t width = Scaled(source.Width(), pointSize), height = Scaled(source.Height(), pointSize);
    if (width <= 0 || height <= 0) return width > 0 ? width : 0;
    CxRect target{x, y, int32_t(int64_t(x) + width - 1), int32_t(int64_t(y) + height - 1)};
    image_->Blt(surface, &target, &source, key, effects);
    return width;
}
