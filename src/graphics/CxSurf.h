// Surfaces: rectangles of pixels in memory with a depth, a pixel format, a
// pitch, a 256-entry palette and an optional transparent colour.  Every
// picture the engine shows or edits is one; all pixel work happens here on
// plain memory, so the whole unit runs without a display.
//
// Terms.  A raw pixel value (CxPixel) is the pixel's bits as stored; see
// CxPixelFormat.h.  "Channels" are 8-bit red, green, blue (and alpha) values:
// palette entries for depths up to 8, packed fields shifted up otherwise.
//
// Rules every operation keeps:
//  - a surface in error does nothing and returns its code;
//  - rectangles are inclusive and clipped to the surface (null = whole);
//  - coordinates outside the surface are ignored (reads give CX_NO_COLOR);
//  - pixel memory is the engine allocator's, or the caller's when external.
#pragma once
#include "core/CxError.h"
#include "foundation/CxGeometry.h"
#include "foundation/CxObject.h"
#include "foundation/CxString.h"
#include "graphics/CxBltEffects.h"
#include "graphics/CxPixelFormat.h"

#include <cstddef>
#include <cstdint>

class GpuTexture;

constexpr uint32_t SURF_CREATED = 0x80000000u;
constexpr uint32_t SURF_EXTERNAL = 0x40000000u;
constexpr uint32_t SURF_CALLER_FLAGS = 0x3FFFFFFFu;
constexpr int CX_PALETTE_BYTES = 768;
constexpr int CX_INDEX12_ENTRIES = 4096;

class CxSurfaceBase {
public:
    virtual ~CxSurfaceBase() = default;
    virtual int32_t GetWidth() const = 0;
    virtual int32_t GetHeight() const = 0;
};

class CxDrawSurface;

// Something that receives drawing: a surface or a screen.
class CxRenderTarget {
public:
    virtual ~CxRenderTarget() = default;
    virtual int  DrawSurfaceAt(CxSurfaceBase* source, int32_t x, int32_t y, const CxRect* sourceRect,
                               CxPixel transparent, const BltEffects* effects) = 0;
    virtual int  DrawSurfaceInto(CxSurfaceBase* source, const CxRect* destinationRect, const CxRect* sourceRect,
                                 CxPixel transparent, const BltEffects* effects) = 0;
    virtual void Reserved3() {}
    virtual void Reserved4() {}
    virtual void BeginDraw() = 0;
    virtual void EndDraw() = 0;
    virtual int32_t GetTargetWidth() const = 0;
    virtual int32_t GetTargetHeight() const = 0;
    virtual CxPixel MakeColor(int red, int green, int blue) const = 0;
    virtual void DrawLine(CxPoint from, CxPoint to, CxPixel color) = 0;
    virtual void DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, CxPixel color) = 0;
    virtual void FillRect(const CxRect* rect, CxPixel color) {}
    virtual void DrawLineEx(int32_t x1, int32_t y1, int32_t x2, int32_t y2, CxPixel color, double opacity,
                            int32_t width) {}
    // The pixels drawn so far, in the display tree's coordinates, for an
    // object that shows what lies behind it (a text without a ground); none
    // where the target keeps no such picture.
    virtual CxDrawSurface* GetBackdrop() { return nullptr; }
};

class CxDrawSurface : public CxSurfaceBase, public CxRenderTarget, public CxError, public CxObject {
public:
    CxDrawSurface() = default;
    ~CxDrawSurface() override;
    CxDrawSurface(const CxDrawSurface&) = delete;
    CxDrawSurface& operator=(const CxDrawSurface&) = delete;

    // --- Size, creation and copies
    int32_t GetWidth() const override { return width_; }
    int32_t GetHeight() const override { return height_; }
    virtual int  CopyFrom(CxDrawSurface* source) { return CopyFromSurface(source); }
    virtual int  CopyFromSurface(CxDrawSurface* source);
    virtual int  Create(int32_t width, int32_t height, int depth, int32_t pitch = -1, void* buffer = nullptr,
                        uint8_t format = PIXFMT_DEFAULT);
    virtual void Destroy();
    virtual CxDrawSurface* CreateCopy(const CxRect* rect);
    virtual int  Load(const char* path, uint32_t option = 0);
    virtual int  Save(const char* path, uint32_t option = 0);

    // --- Memory
    virtual uint8_t* GetBits() const { return bits_; }
    virtual uint8_t* GetPixelAddress(CxPoint p) const { return GetPixelAddress(p.x, p.y); }
    virtual uint8_t* GetPixelAddress(int32_t x, int32_t y) const;
    virtual CxSize  GetSize() const { return {width_, height_}; }
    virtual CxRect  GetRect() const { return {0, 0, width_ - 1, height_ - 1}; }
    virtual int     GetDepth() const { return depth_; }
    virtual int32_t GetPitch() const { return pitch_; }
    // Lock succeeds when pixels are present; every pixel operation brackets its
    // work with it so that pixels provided from elsewhere can be mapped in.
    virtual bool Lock();
    virtual void Unlock();

    // --- Format conversion
    virtual int  ConvertTo(int depth, uint8_t format = PIXFMT_DEFAULT);
    virtual int  Set16BitFormat(uint8_t format);
    virtual int  Set16BitFormat() { return Set16BitFormat(GetDisplay16BitFormat()); }
    virtual void PackRows();
    virtual int  GetRedBits() const { return layout_.rBits; }
    virtual int  GetGreenBits() const { return layout_.gBits; }
    virtual int  GetBlueBits() const { return layout_.bBits; }
    virtual int  GetAlphaBits() const { return layout_.aBits; }

    // --- Blits (CxBlt.cpp)
    virtual int BltToTarget(CxRenderTarget* target, int32_t x, int32_t y, const CxRect* sourceRect = nullptr,
                            CxPixel transparent = CX_NO_COLOR, const BltEffects* effects = nullptr);
    virtual int BltToTarget(CxRenderTarget* target, const CxRect* destinationRect, const CxRect* sourceRect = nullptr,
                            CxPixel transparent = CX_NO_COLOR, const BltEffects* effects = nullptr);
    virtual int BltAt(CxDrawSurface* destination, int32_t x, int32_t y, const CxRect* sourceRect = nullptr,
                      CxPixel transparent = CX_NO_COLOR, const BltEffects* effects = nullptr);
    virtual int Blt(CxDrawSurface* destination, const CxRect* destinationRect, const CxRect* sourceRect = nullptr,
                    CxPixel transparent = CX_NO_COLOR, const BltEffects* effects = nullptr);
    virtual int CopyBitsTo(CxDrawSurface* surface);

    // --- Filters (CxSurfDraw.cpp)
    virtual void Blur(int passes, const CxRect* rect);
    virtual void Darken(int amount, const CxRect* rect);
    virtual void Brighten(int amount, const CxRect* rect);
    virtual void SetAlpha(int alpha, const CxRect* rect);
    virtual void ScaleAlpha(double factor, const CxRect* rect);
    virtual void BlendToColor(CxPixel color, int amount, const CxRect* rect);

    // --- Pixels
    virtual CxPixel GetPixel(CxPoint p) const { return GetPixel(p.x, p.y); }
    virtual CxPixel GetPixel(int32_t x, int32_t y) const;
    virtual int  GetRed(int32_t x, int32_t y) const;
    virtual int  GetGreen(int32_t x, int32_t y) const;
    virtual int  GetBlue(int32_t x, int32_t y) const;
    virtual void SetPixel(int32_t x, int32_t y, CxPixel value);
    virtual void SetPixel(CxPoint p, CxPixel value) { SetPixel(p.x, p.y, value); }

    // --- Shapes (CxSurfDraw.cpp)
    virtual void DrawCircle(CxPoint center, int32_t radius, CxPixel color) { DrawCircle(center.x, center.y, radius, color); }
    virtual void DrawCircle(int32_t x, int32_t y, int32_t radius, CxPixel color);
    virtual void FillCircle(CxPoint center, int32_t radius, CxPixel color) { FillCircle(center.x, center.y, radius, color); }
    virtual void FillCircle(int32_t x, int32_t y, int32_t radius, CxPixel color);
    virtual void DrawRect(const CxRect& rect, CxPixel color);
    virtual void FloodFill(int32_t x, int32_t y, CxPixel color);
    virtual void ReplaceColor(CxPixel from, CxPixel to);
    virtual void SwapColors(CxPixel a, CxPixel b);
    virtual void FlipHorizontal(const CxRect* rect);
    virtual void FlipVertical(const CxRect* rect);
    virtual void Rotate(int degrees);
    virtual void ScrollHorizontal(int32_t n);
    virtual void ScrollHorizontalBack(int32_t n) { ScrollHorizontal(-n); }
    virtual void ScrollVertical(int32_t n, int flag = 0);
    virtual void ScrollVerticalBack(int32_t n, int flag = 0) { ScrollVertical(-n, flag); }

    // --- Simple state
    virtual uint32_t SetFlags(uint32_t bits);
    virtual uint32_t GetFlags() const { return flags_ & SURF_CALLER_FLAGS; }
    virtual bool HasFlags(uint32_t mask) const { return (flags_ & mask & SURF_CALLER_FLAGS) == (mask & SURF_CALLER_FLAGS); }
    virtual bool IsCreated() const { return (flags_ & SURF_CREATED) != 0; }
    virtual void SetUserValue(int32_t value) { userValue_ = value; }
    virtual int32_t GetUserValue() const { return userValue_; }
    virtual void SetTransparentColor(CxPixel color) { transparent_ = color; }
    virtual CxPixel GetTransparentColor() const { return transparent_; }
    virtual void SetPixelFormat(uint8_t format);
    virtual uint8_t GetPixelFormat() const { return format_; }
    virtual void SetExternal(bool external);
    virtual bool IsExternal() const { return (flags_ & SURF_EXTERNAL) != 0; }
    virtual void SetName(const char* name) { name_ = name; }
    virtual const char* GetName() const { return name_.Text(); }
    virtual void* GetCacheEntry() const { return nullptr; }
    virtual void SetPitch(int32_t pitch) { pitch_ = pitch; }
    virtual void SetDepth(int depth) { depth_ = depth; }
    virtual void SetWidth(int32_t width) { width_ = width; }
    virtual void SetHeight(int32_t height) { height_ = height; }
    virtual void SetBits(uint8_t* bits) { bits_ = bits; }

    // --- Palette and colours (CxSurfColor.cpp)
    virtual void SetPalette(const uint8_t* bytes, int length);
    virtual const uint8_t* GetPalette() const { return palette_; }
    virtual void SetPalette(const uint8_t* bytes) { SetPalette(bytes, CX_PALETTE_BYTES); }
    virtual void RemapToPalette(const uint8_t* palette);
    virtual int  ReducePalette(uint8_t* paletteOut, int option, int colors);
    virtual void SplitPixel(CxPixel value, int& alpha, int& red, int& green, int& blue) const;
    virtual uint16_t PaletteTo16(int index) const;
    virtual int  Build16BitLookup(uint8_t format);
    virtual void Free16BitLookup();
    virtual int  CountDistinctColors();
    virtual int  CountPixels(CxPixel value);
    virtual bool FindPixel(CxPixel value, int32_t& x, int32_t& y);
    // The device texture behind the pixels (texture surfaces); null here.
    virtual GpuTexture* GetTexture() { return nullptr; }

    // --- CxRenderTarget
    int  DrawSurfaceAt(CxSurfaceBase* source, int32_t x, int32_t y, const CxRect* sourceRect, CxPixel transparent,
                       const BltEffects* effects) override;
    int  DrawSurfaceInto(CxSurfaceBase* source, const CxRect* destinationRect, const CxRect* sourceRect,
                         CxPixel transparent, const BltEffects* effects) override;
    void BeginDraw() override {}
    void EndDraw() override {}
    int32_t GetTargetWidth() const override { return width_; }
    int32_t GetTargetHeight() const override { return height_; }
    CxPixel MakeColor(int red, int green, int blue) const override;
    void DrawLine(CxPoint from, CxPoint to, CxPixel color) override { DrawLine(from.x, from.y, to.x, to.y, color); }
    void DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, CxPixel color) override;
    void FillRect(const CxRect* rect, CxPixel color) override;
    CxDrawSurface* GetBackdrop() override { return this; }
    void DrawLineEx(int32_t x1, int32_t y1, int32_t x2, int32_t y2, CxPixel color, double opacity,
                    int32_t width) override;

    // --- Helpers shared by the graphics units
    // Channels of a raw value; alpha widened to 8 bits (255 for formats without
    // alpha).  Unlike SplitPixel, which keeps alpha as stored.
    void DecodePixel(CxPixel value, int& alpha, int& red, int& green, int& blue) const;
    // Raw value of this surface's format nearest to the channels: the nearest
    // palette entry for depths up to 8, top bits for packed formats.
    CxPixel EncodeColor(int red, int green, int blue, int alpha = 255) const;
    // Writes a colour computed from channels (32-bit gets alpha 255).
    void PutColor(int32_t x, int32_t y, int red, int green, int blue);
    int  NearestPaletteIndex(int red, int green, int blue, int entries) const;
    const CxChannelLayout& GetLayout() const { return layout_; }
    const uint16_t* GetLookup16() const { return lookup16_; }
    uint8_t GetLookup16Format() const { return lookup16Format_; }
    // The 4096 colours of a PIXFMT_ALPHA_INDEX12 surface, in the table format.
    uint16_t* GetIndexTable() const { return indexTable_; }
    uint8_t GetIndexTableFormat() const { return indexTableFormat_; }
    int  SetIndexTable(const uint16_t* colors, uint8_t tableFormat);
    bool InError() const { return errorCode_ != 0; }
    void ClearError() { errorCode_ = 0; }
    // Clips a rectangle (or null = whole) to the surface; false when empty.
    bool ClipToSurface(const CxRect* rect, CxRect& out) const;

protected:
    void SplitPixelAt(int32_t x, int32_t y, int& a, int& r, int& g, int& b) const;
    void ReleasePixels();

    CxString name_;
    uint8_t* ownedBlock_ = nullptr;
    size_t ownedSize_ = 0;
    uint8_t palette_[CX_PALETTE_BYTES] = {};
    uint16_t* lookup16_ = nullptr;
    uint8_t lookup16Format_ = 0;
    uint16_t* indexTable_ = nullptr;
    uint8_t indexTableFormat_ = 0;
    uint8_t* bits_ = nullptr;
    int32_t userValue_ = 0;
    int32_t width_ = 0, height_ = 0;
    int depth_ = 0;
    int32_t pitch_ = 0;
    CxPixel transparent_ = CX_NO_COLOR;
    uint8_t format_ = PIXFMT_DEFAULT;
    CxChannelLayout layout_;
    uint32_t flags_ = 0;
    int lockCount_ = 0;
};

// The process-wide surface factory; a screen may install a hook that makes
// surfaces of its own kind.
using CxNewSurfaceHook = CxDrawSurface* (*)();
CxDrawSurface* NewSurface();
CxNewSurfaceHook SetNewSurfaceHook(CxNewSurfaceHook hook);   // returns the previous hook

// Pitch rule shared by surfaces and readers: whole bytes per row, plus one
// for sub-byte depths whose width is not a multiple of 8.  -1 when the row
// does not fit in 32 bits.
int64_t DefaultPitch(int64_t width, int depth);
bool IsValidDepth(int depth);
