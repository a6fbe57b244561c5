#include "graphics/CxFreeTypeFont.h"
#include "core/CxTime.h"
#include "files/QorFile.h"
#include "foundation/CxMemory.h"
#include "graphics/CxSurf.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_GLYPH_H
#include FT_MODULE_H

#include <cstdio>

// ======================================================================
// The shared library instance
// ======================================================================

namespace {
void* FtAlloc(FT_Memory, long size) { return QorAlloc(size_t(size > 0 ? size : 1), "FreeType", __LINE__, false); }
void FtFree(FT_Memory, void* block) { QorFree(block); }
void* FtRealloc(FT_Memory, long, long size, void* block)
{
    return QorRealloc(block, size_t(size > 0 ? size : 1), "FreeType", __LINE__);
}

struct SharedLibrary {
    FT_MemoryRec_ memory{nullptr, FtAlloc, FtFree, FtRealloc};
    FT_Library library = nullptr;
    int users = 0;
};

SharedLibrary& Shared()
{
    static SharedLibrary shared;
    return shared;
}

FT_Library AcquireLibrary()
{
    SharedLibrary& s = Shared();
    if (!s.library) {
        if (FT_New_Library(&s.memory, &s.library) != 0) return s.library = nullptr;
        FT_Add_Default_Modules(s.library);
    }
    ++s.users;
    return s.library;
}

void ReleaseLibrary()
{
    SharedLibrary& s = Shared();
    if (s.users > 0 && --s.users == 0) {
        FT_Done_Library(s.library);
        s.library = nullptr;
    }
}
}  // namespace

int CxFreeTypeFont::LibraryUsers() { return Shared().users; }

CxFreeTypeFont::CxFreeTypeFont() { libraryHeld_ = AcquireLibrary() != nullptr; }

CxFreeTypeFont::~CxFreeTypeFont()
{
    Unload();
    if (libraryHeld_) ReleaseLibrary();
}

CxFont* CxFreeTypeFont::LoadFile(const char* path, uint32_t)
{
    auto* font = NewFontObject<CxFreeTypeFont>();
    if (!font) {
        ReportError(ERR_OUT_OF_MEMORY, "Could not allocate a new CxFreeTypeFont");
        return nullptr;
    }
    font->Load(path);
    return font;
}

// ======================================================================
// Loading
// ======================================================================

int CxFreeTypeFont::Load(const char* path)
{
    Unload();
    path_ = path ? path : "";
    uint32_t size = 0;
    if (QorFileReadAll(path, &fileBytes_, &size) != 0) {
        fileBytes_ = nullptr;
        return Error(ERR_OPEN_FILE, "Unable to load font: %s", path_.Text());
    }
    int code = LoadFromMemory(reinterpret_cast<const uint8_t*>(fileBytes_), size, path_.Text());
    if (code) Unload();
    return code;
}

int CxFreeTypeFont::LoadFromMemory(const uint8_t* data, uint32_t size, const char* name)
{
    SharedLibrary& s = Shared();
    FT_Face face = nullptr;
    if (!libraryHeld_ || !data || FT_New_Memory_Face(s.library, data, FT_Long(size), 0, &face) != 0)
        return Error(ERR_OPEN_FILE, "Unable to create font from buffer: %s", name ? name : "");
    face_ = face;
    currentSize_ = 0;
    return 0;
}

void CxFreeTypeFont::Unload()
{
    for (CxGlyphRecord& record : cache_) {
        if (record.glyph) FT_Done_Glyph(record.glyph);
        record = CxGlyphRecord{};
    }
    cached_ = 0;
    if (face_) FT_Done_Face(face_);
    face_ = nullptr;
    QorFree(fileBytes_);
    fileBytes_ = nullptr;
}

// ======================================================================
// The glyph cache
// ======================================================================

bool CxFreeTypeFont::SetPixelSize(int size)
{
    if (!face_) return false;
    if (size == currentSize_) return true;
    if (FT_Set_Pixel_Sizes(face_, 0, FT_UInt(size)) != 0) return false;
    currentSize_ = size;
    return true;
}

const CxGlyphRecord* CxFreeTypeFont::FindCached(uint32_t character, int pointSize) const
{
    int size = pointSize > 0 ? pointSize : CX_FREETYPE_DEFAULT_SIZE;
    for (const CxGlyphRecord& record : cache_)
        if (record.glyph && record.code == character && record.size == size) return &record;
    return nullptr;
}

// An empty slot, or the one cached longest ago with its glyph freed.
CxGlyphRecord* CxFreeTypeFont::FreeSlot()
{
    uint32_t now = QorTickCount();
    CxGlyphRecord* oldest = nullptr;
    for (CxGlyphRecord& record : cache_) {
        if (!record.glyph) return &record;
        if (!oldest) {
            oldest = &record;
            continue;
        }
        uint32_t age = now - record.cachedAt, oldestAge = now - oldest->cachedAt;
        if (age > oldestAge || (age == oldestAge && record.order - oldest->order > 0x80000000u)) oldest = &record;
    }
    FT_Done_Glyph(oldest->glyph);
    *oldest = CxGlyphRecord{};
    --cached_;
    return oldest;
}

const CxGlyphRecord* CxFreeTypeFont::Lookup(uint32_t character, int pointSize)
{
    int size = pointSize > 0 ? pointSize : CX_FREETYPE_DEFAULT_SIZE;
    if (const CxGlyphRecord* hit = FindCached(character, size)) return hit;
    FT_Glyph glyph = nullptr;
    if (!SetPixelSize(size) || FT_Load_Char(face_, character, FT_LOAD_RENDER) != 0 ||
        FT_Get_Glyph(face_->glyph, &glyph) != 0)
        return nullptr;
    CxGlyphRecord* slot = FreeSlot();
    *slot = CxGlyphRecord{character, size, QorTickCount(), nextOrder_++, glyph};
    ++cached_;
    return slot;
}

int32_t CxFreeTypeFont::GlyphWidth(uint32_t character, int pointSize)
{
    const CxGlyphRecord* record = Lookup(character, pointSize);
    return record ? int32_t(record->glyph->advance.x >> 16) : 0;
}

int32_t CxFreeTypeFont::LineHeight(int pointSize)
{
    int size = pointSize > 0 ? pointSize : CX_FREETYPE_DEFAULT_SIZE;
    if (!SetPixelSize(size)) return size;
    return int32_t((face_->size->metrics.height + 63) >> 6);
}

// ======================================================================
// Drawing
// ======================================================================

int32_t CxFreeTypeFont::DrawGlyph(CxDrawSurface* surface, int32_t x, int32_t y, uint32_t character, CxPixel colour,
                                  int pointSize, CxPixel background, uint32_t)
{
    if (!surface) {
        Error(ERR_INVALID_ARGUMENT, "Can't render to a null surface");
        return 0;
    }
    if (colour == CX_NO_COLOR) colour = 0;
    const CxGlyphRecord* record = Lookup(character, pointSize);
    if (!record) {
        char message[64];
        snprintf(message, sizeof message, "Unable to load glyph for '%08lx'", static_cast<unsigned long>(character));
        ReportMissingGlyph(ERR_UNKNOWN, message);
        return 0;
    }
    if (record->glyph->format != FT_GLYPH_FORMAT_BITMAP) return ReportMissingGlyph(ERR_UNKNOWN, "Unknown glyph format"), 0;
    int32_t advance = int32_t(record->glyph->advance.x >> 16);
    DrawBitmap(surface, x, y, *record, colour, background);
    return advance;
}

int32_t CxFreeTypeFont::DrawBitmap(CxDrawSurface* surface, int32_t x, int32_t y, const CxGlyphRecord& record,
                                   CxPixel colour, CxPixel background)
{
    auto* glyph = reinterpret_cast<FT_BitmapGlyph>(record.glyph);
    const FT_Bitmap& bitmap = glyph->bitmap;
    if (bitmap.width == 0 || bitmap.rows == 0) return 0;
    bool mono = bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
    if ((!mono && bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) || bitmap.pitch <= 0 || !bitmap.buffer)
        return ReportMissingGlyph(ERR_UNKNOWN, "Unknown glyph format"), 0;
    CxDrawSurface image;
    if (image.Create(int32_t(bitmap.width), int32_t(bitmap.rows), mono ? 1 : 8, bitmap.pitch, bitmap.buffer) != 0)
        return 0;
    // The glyph's top sits `top` above the baseline; the baseline sits as far
    // above the line's bottom as the face's lowest point lies below it.
    int32_t lineHeight = LineHeight(record.size);
    FT_Pos yMin = face_->bbox.yMin, yMax = face_->bbox.yMax;
    int32_t descent = yMax > yMin ? int32_t(double(yMin) / double(yMax - yMin) * lineHeight) : 0;
    int32_t gx = x + glyph->left, gy = y + lineHeight + descent - glyph->top;
    if (surface->GetDepth() <= 8) {
        image.BltAt(surface, gx, gy, nullptr, background == CX_FONT_TRANSPARENT ? 0 : background);
    } else if (mono) {
        int a, r, g, b;
        surface->DecodePixel(colour, a, r, g, b);
        uint8_t palette[CX_PALETTE_BYTES] = {};
        palette[3] = uint8_t(r), palette[4] = uint8_t(g), palette[5] = uint8_t(b);
        image.SetPalette(palette);
        image.BltAt(surface, gx, gy, nullptr, 0);
    } else {
        BltEffects blend{BLT_EFFECT_CUSTOM, reinterpret_cast<intptr_t>(&BlendGlyphCoverage), intptr_t(colour)};
        image.BltAt(surface, gx, gy, nullptr, CX_NO_COLOR, &blend);
    }
    return 0;
}
