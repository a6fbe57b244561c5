// Scalable fonts (TrueType, OpenType) rendered by FreeType.
//
// The whole font file is read through the engine's file functions (so fonts
// inside zip archives work) and the face is made from that buffer.  One
// FreeType library serves every font: created with the first, released with
// the last, and allocating through the engine allocator.
//
// Rendered glyphs are kept in a cache of CX_GLYPH_CACHE_SIZE (character,
// pixel size) pairs.  When it is full the glyph cached longest ago goes;
// using a glyph does not renew it, so the eviction order is the caching
// order.
#pragma once
#include "foundation/CxString.h"
#include "graphics/CxFont.h"

#include <cstdint>

struct FT_FaceRec_;
struct FT_GlyphRec_;

constexpr int CX_GLYPH_CACHE_SIZE = 128;
constexpr int CX_FREETYPE_DEFAULT_SIZE = 12;

struct CxGlyphRecord {
    uint32_t code = 0;
    int size = 0;
    uint32_t cachedAt = 0;   // tick count
    uint32_t order = 0;      // ties between glyphs cached in the same millisecond
    FT_GlyphRec_* glyph = nullptr;
};

class CxFreeTypeFont : public CxFont {
public:
    CxFreeTypeFont();
    ~CxFreeTypeFont() override;

    int  Load(const char* path) override;
    void Unload() override;
    int32_t DrawGlyph(CxDrawSurface* surface, int32_t x, int32_t y, uint32_t character, CxPixel colour, int pointSize,
                      CxPixel background, uint32_t flags) override;
    int32_t GlyphWidth(uint32_t character, int pointSize) override;
    int32_t LineHeight(int pointSize) override;
    int  DefaultPointSize() override { return CX_FREETYPE_DEFAULT_SIZE; }
    int  GetKindValue() const override { return 32; }

    // Loads a face from memory the caller keeps alive (fuzzing, tests).
    int  LoadFromMemory(const uint8_t* data, uint32_t size, const char* name);

    int  CachedGlyphCount() const { return cached_; }
    // The cached record of a pair, or null; never renders.
    const CxGlyphRecord* FindCached(uint32_t character, int pointSize) const;
    bool HasFace() const { return face_ != nullptr; }

    // The load routine of the ".ttf" and ".otf" filters.
    static CxFont* LoadFile(const char* path, uint32_t option);
    static int LibraryUsers();

private:
    const CxGlyphRecord* Lookup(uint32_t character, int pointSize);
    CxGlyphRecord* FreeSlot();
    bool SetPixelSize(int size);
    int32_t DrawBitmap(CxDrawSurface* surface, int32_t x, int32_t y, const CxGlyphRecord& record, CxPixel colour,
                       CxPixel background);

    char* fileBytes_ = nullptr;
    CxString path_;
    CxGlyphRecord cache_[CX_GLYPH_CACHE_SIZE];
    int cached_ = 0;
    uint32_t nextOrder_ = 0;
    int currentSize_ = 0;
    FT_FaceRec_* face_ = nullptr;
    bool libraryHeld_ = false;
};

// Effect 19 routine: mixes the colour (a raw value of the destination, in
// param2) into a destination deeper than 8 bits by 8-bit coverage.
int BlendGlyphCoverage(CxDrawSurface* source, CxDrawSurface* destination, const CxRect& sourceRect,
                       const CxRect& destinationRect, CxPixel transparent, intptr_t colour, intptr_t unused);
