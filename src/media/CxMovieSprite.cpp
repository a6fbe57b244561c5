#include "media/CxMovieSprite.h"
#include "media/CxMovie.h"

CxMovieSprite::~CxMovieSprite() { CxMovieSprite::ReleaseSurface(); }

int CxMovieSprite::LoadSurface(const char* path, int frames)
{
    ReleaseSurface();
    if (!IsMovieFile(path)) return CxSprite::LoadSurface(path, frames);
    CxMovieDriver* driver = CreateMovieDriver(path, movieOptions_);
    if (!driver) return 0;   // the reason was reported; the sprite stays empty
    CxDrawSurface* surface = driver->NewSurface();
    if (!surface) {
        driver_ = driver;   // stays attached, as a failed picture stays with its sprite
        Error(ERR_OUT_OF_MEMORY, "Could not create a surface for this sprite's movie driver");
        return errorCode_;
    }
    driver->PrepareSurface(surface, GetMovieDisplayDepth());
    // SetSurface releases what was there first: the driver joins afterwards.
    CxSprite::SetSurface(surface, 1);
    driver_ = driver;
    if (driver->HasAlpha()) SetEffects(BLT_EFFECT_ALPHA);
    frame_ = 0;
    DecodeCurrent();
    return errorCode_;
}

void CxMovieSprite::ReleaseSurface()
{
    CxSprite::ReleaseSurface();
    if (!borrowed_) delete driver_;
    driver_ = nullptr;
    borrowed_ = false;
    lastDecoded_ = -1;
    frame_ = 0;
}

// The copy gets its own surface of the same size and depth and shares the
// original's driver, which stays the original's to delete.
void CxMovieSprite::Duplicate(CxSprite* other)
{
    auto* movie = dynamic_cast<CxMovieSprite*>(other);
    if (!movie || !movie->driver_ || !movie->GetSurface()) {
        CxSprite::Duplicate(other);
        return;
    }
    ReleaseSurface();
    CxDrawSurface* original = movie->GetSurface();
    auto* surface = new CxDrawSurface;
    surface->Create(original->GetWidth(), original->GetHeight(), original->GetDepth());
    if (original->GetDepth() <= 8) surface->SetPalette(original->GetPalette());
    else surface->SetPixelFormat(original->GetPixelFormat());
    CxSprite::SetSurface(surface, 1);
    SetEffects(movie->GetEffects());
    SetMaskColor(movie->GetMaskColor());
    driver_ = movie->driver_;
    borrowed_ = true;
    frame_ = movie->frame_;
    lastDecoded_ = -1;
}

int CxMovieSprite::GetNumFrames() const { return driver_ ? driver_->GetNumFrames() : CxSprite::GetNumFrames(); }
int CxMovieSprite::GetCurFrame() const { return driver_ ? frame_ : CxSprite::GetCurFrame(); }

void CxMovieSprite::SetCurFrame(int frame)
{
    if (!driver_) {
        CxSprite::SetCurFrame(frame);
        return;
    }
    int count = driver_->GetNumFrames();
    if (count <= 0) return;
    frame = ((frame % count) + count) % count;
    if (frame == frame_) return;
    frame_ = frame;
    if (IsVisible()) Paint();
}

void CxMovieSprite::DecodeCurrent()
{
    if (!driver_ || !GetSurface() || frame_ == lastDecoded_) return;
    CxMovieRenderRequest request;
    request.target = GetSurface();
    request.curFrame = frame_;
    driver_->GotoFrame(frame_);
    if (driver_->Render(&request) == 0) lastDecoded_ = frame_;
}

void CxMovieSprite::OnPaint(CxRenderTarget* target, const CxRect* rect)
{
    DecodeCurrent();
    CxSprite::OnPaint(target, rect);
}

int CxMovieSprite::DrawTo(CxDrawSurface* destination, int32_t x, int32_t y, const CxRect* sourceRect,
                          CxPixel transparent, int frame)
{
    if (!driver_) return CxSprite::DrawTo(destination, x, y, sourceRect, transparent, frame);
    int previous = frame_;
    if (frame != SPRITE_CURRENT_FRAME) {
        int count = driver_->GetNumFrames();
        frame_ = ((frame % count) + count) % count;
    }
    DecodeCurrent();
    int code = CxSprite::DrawTo(destination, x, y, sourceRect, transparent, SPRITE_CURRENT_FRAME);
    frame_ = previous;
    return code;
}
