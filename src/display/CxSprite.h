// A display object that shows a picture: one surface holding one or more
// frames side by side (frame k occupies columns k*w .. k*w + w - 1, with
// w = surface width / frames), drawn with the sprite's transparent colour and
// blit effects, optionally stretched to the sprite's size, hit-testable pixel
// by pixel.  Buttons, dialogs, text, lists and rooms derive from it.
#pragma once
#include "display/CxDisplayObject.h"
#include "graphics/CxSurf.h"

enum CxSpriteFlags : uint32_t {
    SPRITE_LAST_DECODED_MASK = 0xFFFF,
    SPRITE_BORROWED = 0x10000,        // surface shared with another sprite: never deleted here
    SPRITE_PIXEL_HIT_TEST = 0x20000,
};

constexpr CxPixel SPRITE_OWN_COLOUR = 0xFFFFFFFEu;   // -2: "the sprite's transparent colour"
constexpr int SPRITE_CURRENT_FRAME = -2;

// The image loader chain: each registered loader is asked in turn; when none
// answers, a plain surface is made and loaded.  A failed load still returns
// its surface, carrying the error.
class CxImageLoader {
public:
    virtual ~CxImageLoader() = default;
    virtual CxDrawSurface* LoadImageSurface(const char* path, uint32_t option) = 0;
    virtual CxDrawSurface* CreateImageSurface(int32_t width, int32_t height, int depth) = 0;
};
void RegisterImageLoader(CxImageLoader* loader);
void UnregisterImageLoader(CxImageLoader* loader);
CxDrawSurface* LoadImageSurface(const char* path, uint32_t option);
CxDrawSurface* CreateImageSurface(int32_t width, int32_t height, int depth);

class CxSprite : public CxDisplayObject {
public:
    CxSprite() { typeMask_ = 1; }
    ~CxSprite() override;

    CxDisplayObject* HitTest(CxPoint globalPoint, uint32_t typeMask) override;
    void OnPaint(CxRenderTarget* target, const CxRect* rect) override;

    virtual void Duplicate(CxSprite* other);
    virtual int  SetSurface(CxDrawSurface* surface, int frames);
    virtual int  LoadSurface(const char* path, int frames = 1);
    virtual int  CreateSurface(int32_t width, int32_t height, int depth);
    virtual void ReleaseSurface();
    virtual void Kill();
    virtual CxDrawSurface* GetSurface() const { return surface_; }
    virtual void SetSurfacePointer(CxDrawSurface* surface) { surface_ = surface; }
    virtual void SetNumFrames(int frames);
    virtual int  GetNumFrames() const { return frameCount_; }
    virtual void SetCurFrame(int frame);
    virtual int  GetCurFrame() const { return currentFrame_; }
    virtual void NextFrame() { SetCurFrame(currentFrame_ + 1); }
    virtual void PrevFrame() { SetCurFrame(currentFrame_ - 1); }
    virtual void ReplaceColor(CxPixel from, CxPixel to);
    virtual void SwapColors(CxPixel a, CxPixel b);
    virtual void FlipFrameVertical(int frame);
    virtual void FlipFrameHorizontal(int frame);
    virtual void FlipAllVertical();
    virtual void FlipAllFramesHorizontal();
    virtual void SetEffects(int32_t code) { effects_.code = code; }
    virtual int32_t GetEffects() const { return effects_.code; }
    virtual void SetEffectRecord(const BltEffects* record) { effects_ = record ? *record : BltEffects{}; }
    virtual BltEffects GetEffectRecord() const { return effects_; }
    virtual bool ContainsPoint(CxPoint parentPoint, bool checkPixels);
    virtual bool IsOpaqueAt(int32_t x, int32_t y) const;
    virtual int  DrawTo(CxDrawSurface* destination, int32_t x, int32_t y, const CxRect* sourceRect,
                        CxPixel transparent = SPRITE_OWN_COLOUR, int frame = SPRITE_CURRENT_FRAME);
    virtual int  DrawInto(CxDrawSurface* destination, const CxRect* destinationRect, const CxRect* sourceRect,
                          CxPixel transparent = SPRITE_OWN_COLOUR, int frame = SPRITE_CURRENT_FRAME);

    CxPixel GetMaskColor() const { return transparent_; }
    void SetMaskColor(CxPixel colour) { transparent_ = colour; }
    void SetPixelHitTest(bool on) { spriteFlags_ = on ? (spriteFlags_ | SPRITE_PIXEL_HIT_TEST) : (spriteFlags_ & ~uint32_t(SPRITE_PIXEL_HIT_TEST)); }
    bool GetPixelHitTest() const { return (spriteFlags_ & SPRITE_PIXEL_HIT_TEST) != 0; }
    bool IsBorrowed() const { return (spriteFlags_ & SPRITE_BORROWED) != 0; }
    CxRect GetSourceRect() const { return source_; }
    CxSize GetFrameSize() const { return frameSize_; }

private:
    CxRect FrameRect(int frame) const;
    template <typename Draw> int DrawFrame(int frame, CxPixel transparent, const CxRect* sourceRect, Draw draw);

    BltEffects effects_;
    CxRect source_;
    CxSize frameSize_;
    CxDrawSurface* surface_ = nullptr;
    CxPixel transparent_ = CX_NO_COLOR;
    int frameCount_ = 1;
    int currentFrame_ = 0;
    uint32_t spriteFlags_ = SPRITE_LAST_DECODED_MASK;
};
