// Fonts: the abstract font, the process-wide font list and the font file
// filters.
//
// Terms.  A font turns a character (a Unicode code point) into pixels on a
// CxDrawSurface and tells how wide it is at a point size; a point size of 0
// means the font's own default size.  Every font loaded or made here lives in
// one font list and is named everywhere (scripts included) by its handle, a
// small positive number unique for the life of the process; handle -1 names
// the default font, the built-in bitmap font made at display start-up.
//
// Loading goes by extension through a table of CX_FONT_FILTER_SLOTS filters
// (".PCX" for bitmap fonts, ".ttf" and ".otf" for FreeType fonts).  A font
// that cannot draw a character reports it once and draws its fallback, so a
// page of text with one odd character keeps its layout and does not flood
// the error count.
#pragma once
#include "core/CxError.h"
#include "foundation/CxGeometry.h"
#include "foundation/CxObject.h"
#include "graphics/CxPixelFormat.h"

#include <cstdint>
#include <new>

class CxDrawSurface;

constexpr int CX_FONT_FILTER_SLOTS = 10;
constexpr int32_t CX_DEFAULT_FONT = -1;
constexpr CxPixel CX_FONT_TRANSPARENT = 0xFFFFFFFEu;   // background -2: the font's transparent colour

class CxFont : public CxError, public CxObject {
public:
    CxFont() = default;
    CxFont(const CxFont&) = delete;
    CxFont& operator=(const CxFont&) = delete;

    // Virtual operations, in slot order.  A font deleted while in the font
    // list leaves it (and stops being the default).
    ~CxFont() override;
    virtual int  Load(const char* path) = 0;
    virtual void Unload() = 0;
    // Draws one character with its top-left at (x, y); returns its advance.
    virtual int32_t DrawGlyph(CxDrawSurface* surface, int32_t x, int32_t y, uint32_t character, CxPixel colour,
                              int pointSize, CxPixel background, uint32_t flags) = 0;
    // Sum of the advances of the characters of UTF-8 text (spacing not
    // included); 0 for text that is not valid UTF-8.
    virtual int32_t MeasureString(const char* text, int pointSize);
    virtual int32_t GlyphWidth(uint32_t character, int pointSize) = 0;
    virtual int32_t LineHeight(int pointSize) = 0;
    virtual int  DefaultPointSize() = 0;
    virtual int  GetKindValue() const { return -1; }
    virtual void SetSpacing(int32_t x, int32_t y) { spacing_ = CxSize{x, y}; }
    virtual CxSize GetSpacing() const { return spacing_; }
    virtual int32_t GetHandle() const { return handle_; }
    virtual void SetHandle(int32_t handle) { handle_ = handle; }

    int ResolvePointSize(int pointSize) { return pointSize > 0 ? pointSize : DefaultPointSize(); }

protected:
    // Reports a character the font cannot draw, once per font.
    void ReportMissingGlyph(int code, const char* message);

    CxSize spacing_;
    int32_t handle_ = 0;
    bool missingReported_ = false;
};

// A new font object, or null when memory is refused.
template <class T> T* NewFontObject()
{
    try {
        return new T;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

// ------------------------------------------------------------- UTF-8
// Decodes UTF-8 into code points.  Returns the number of code points (even
// beyond `capacity`, of which only the first are stored) or -1 when the text
// is not well-formed UTF-8 (overlong forms, surrogates and values past
// U+10FFFF included).  Null text decodes to nothing.
int DecodeUtf8(const char* text, uint32_t* out, int capacity);
// Appends the UTF-8 form of one code point; returns the bytes written (0 for
// an invalid code point or too small a buffer).
int EncodeUtf8(uint32_t code, char* out, int capacity);

// ------------------------------------------------------------- the font list
using CxFontLoadRoutine = CxFont* (*)(const char* path, uint32_t option);

int  RegisterFontFilter(const char* extension, CxFontLoadRoutine load);
void UnregisterFontFilter(const char* extension);
// Loads a font by its extension and adds it to the list; 0 or an error code
// (reported).  `handle`, when given, receives the new font's handle.
int  LoadFont(const char* path, int32_t* handle);
// ".PCX" bitmap fonts, ".ttf" and ".otf" FreeType fonts; safe to call again.
void RegisterEngineFontFilters();
CxFont* FindFont(int32_t handle);       // -1: the default font; null when none
int  DeleteFont(int32_t handle);        // 0, or ERR_INVALID_ARGUMENT for an unknown handle
// Takes a font into the list and gives it a handle (returned).
int32_t AddFont(CxFont* font);
int  FontCount();
// Builds a bitmap font from an image (the surface is copied) and adds it.
int  MakeBitmapFont(CxDrawSurface* surface, int32_t* handle);

// The built-in 8 x 12 font; made at display start-up, deleted at shut-down.
int  CreateDefaultFont();
void DeleteDefaultFont();
int32_t GetDefaultFontHandle();
void SetDefaultFontHandle(int32_t handle);   // the font with this handle becomes the default
