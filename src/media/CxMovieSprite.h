// A sprite whose surface is refreshed from a movie, one frame at a time: the
// frame selected is decoded into the surface when the sprite next draws.
// Any other path loads as a plain picture.
#pragma once
#include "display/CxSprite.h"
#include "media/CxMovieDriver.h"

class CxMovieSprite : public CxSprite {
public:
    CxMovieSprite() = default;
    ~CxMovieSprite() override;

    int  LoadSurface(const char* path, int frames = 1) override;
    void ReleaseSurface() override;
    void Duplicate(CxSprite* other) override;
    int  GetNumFrames() const override;
    void SetCurFrame(int frame) override;
    int  GetCurFrame() const override;
    void OnPaint(CxRenderTarget* target, const CxRect* rect) override;
    int  DrawTo(CxDrawSurface* destination, int32_t x, int32_t y, const CxRect* sourceRect,
                CxPixel transparent = SPRITE_OWN_COLOUR, int frame = SPRITE_CURRENT_FRAME) override;

    // Handed to the driver when a movie is opened.
    void SetMovieOptions(uint32_t options) { movieOptions_ = options; }
    uint32_t GetMovieOptions() const { return movieOptions_; }
    CxMovieDriver* GetMovieDriver() const { return driver_; }
    int GetLastDecodedFrame() const { return lastDecoded_; }

private:
    void DecodeCurrent();

    CxMovieDriver* driver_ = nullptr;
    bool borrowed_ = false;   // the driver belongs to the sprite this one duplicates
    uint32_t movieOptions_ = 0;
    int frame_ = 0;
    int lastDecoded_ = -1;
};
