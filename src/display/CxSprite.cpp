#include "display/CxSprite.h"

#include <algorithm>

// ------------------------------------------------------------- loader chain
namespace {
CxLinkedList<CxImageLoader*>& Loaders()
{
    static CxLinkedList<CxImageLoader*> loaders;
    return loaders;
}
}  // namespace

void RegisterImageLoader(CxImageLoader* loader)
{
    if (loader && !Loaders().Find(loader)) Loaders().AddTail(loader);
}

void UnregisterImageLoader(CxImageLoader* loader) { Loaders().Remove(loader); }

CxDrawSurface* LoadImageSurface(const char* path, uint32_t option)
{
    for (auto* node = Loaders().GetHead(); node; node = node->next)
        if (CxDrawSurface* surface = node->value->LoadImageSurface(path, option)) return surface;
    CxDrawSurface* surface = NewSurface();
    if (surface) surface->Load(path, option);
    return surface;
}

CxDrawSurface* CreateImageSurface(int32_t width, int32_t height, int depth)
{
    for (auto* node = Loaders().GetHead(); node; node = node->next)
        if (CxDrawSurface* surface = node->value->CreateImageSurface(width, height, depth)) return surface;
    CxDrawSurface* surface = NewSurface();
    if (surface) surface->Create(width, height, depth);
    return surface;
}

// ------------------------------------------------------------- the picture
CxSprite::~CxSprite() { ReleaseSurface(); }

int CxSprite::SetSurface(CxDrawSurface* surface, int frames)
{
    ReleaseSurface();
    surface_ = surface;
    if (!surface) {
        Error(ERR_UNKNOWN, "No image for Sprite");
        return errorCode_;
    }
    frameSize_ = surface->GetSize();
    source_ = surface->GetRect();
    frameCount_ = 1;
    currentFrame_ = 0;
    SetNumFrames(frames);
    if (size_.width == 0 || size_.height == 0) size_ = frameSize_;
    if (IsVisible()) Paint();
    return errorCode_;
}

int CxSprite::LoadSurface(const char* path, int frames)
{
    ReleaseSurface();
    CxDrawSurface* surface = LoadImageSurface(path, 0);
    if (!surface) {
        Error(ERR_OUT_OF_MEMORY, "Could not allocate a new CxDrawSurface for CxSprite::Load(%s)", path ? path : "");
        return errorCode_;
    }
    return SetSurface(surface, frames);
}

int CxSprite::CreateSurface(int32_t width, int32_t height, int depth)
{
    ReleaseSurface();
    surface_ = CreateImageSurface(width, height, depth);
    if (!surface_) {
        Error(ERR_OUT_OF_MEMORY, "Could not allocate a new CxDrawSurface");
        return errorCode_;
    }
    frameSize_ = surface_->GetSize();
    if (size_.width == 0 || size_.height == 0) size_ = frameSize_;
    source_ = surface_->GetRect();
    frameCount_ = 1;
    currentFrame_ = 0;
    return errorCode_;
}

// A borrowed picture is given back by forgetting it; the borrowed mark goes
// with it, so a picture of the sprite's own later is deleted as it should be.
void CxSprite::ReleaseSurface()
{
    if (surface_) {
        spriteFlags_ |= SPRITE_LAST_DECODED_MASK;
        if (IsVisible()) Paint();
        if (!IsBorrowed()) delete surface_;
        size_ = CxSize{0, 0};
    }
    surface_ = nullptr;
    spriteFlags_ &= ~uint32_t(SPRITE_BORROWED);
}

void CxSprite::Kill()
{
    Erase();
    UnLink();
    ReleaseSurface();
}

void CxSprite::Duplicate(CxSprite* other)
{
    if (!other) return;
    SetSurface(other->surface_, other->frameCount_);
    spriteFlags_ = (spriteFlags_ & ~uint32_t(SPRITE_PIXEL_HIT_TEST)) | (other->spriteFlags_ & SPRITE_PIXEL_HIT_TEST);
    transparent_ = other->transparent_;
    effects_ = other->effects_;
    if (surface_) spriteFlags_ |= SPRITE_BORROWED;
}

// ------------------------------------------------------------- frames
void CxSprite::SetNumFrames(int frames)
{
    if (!surface_ || frames <= 0 || surface_->GetWidth() % frames != 0) return;
    frameSize_.width = surface_->GetWidth() / frames;
    source_ = CxRect{0, 0, frameSize_.width - 1, surface_->GetHeight() - 1};
    frameCount_ = frames;
    currentFrame_ = 0;
}

void CxSprite::SetCurFrame(int frame)
{
    int count = GetNumFrames();
    if (count <= 0) return;
    frame = ((frame % count) + count) % count;
    if (frame == currentFrame_) return;
    currentFrame_ = frame;
    source_.left = frameSize_.width * frame;
    source_.right = source_.left + frameSize_.width - 1;
    if (IsVisible()) Paint();
}

CxRect CxSprite::FrameRect(int frame) const
{
    if (!surface_) return CxRect{};
    int k = frame == -1 ? currentFrame_ : ((frame % frameCount_) + frameCount_) % frameCount_;
    return CxRect{k * frameSize_.width, 0, k * frameSize_.width + frameSize_.width - 1, surface_->GetHeight() - 1};
}

void CxSprite::ReplaceColor(CxPixel from, CxPixel to)
{
    if (surface_) surface_->ReplaceColor(from, to);
}

void CxSprite::SwapColors(CxPixel a, CxPixel b)
{
    if (surface_) surface_->SwapColors(a, b);
}

void CxSprite::FlipFrameVertical(int frame)
{
    if (!surface_) return;
    CxRect rect = FrameRect(frame);
    surface_->FlipVertical(&rect);
}

void CxSprite::FlipFrameHorizontal(int frame)
{
    if (!surface_) return;
    CxRect rect = FrameRect(frame);
    surface_->FlipHorizontal(&rect);
}

void CxSprite::FlipAllVertical()
{
    if (surface_) surface_->FlipVertical(nullptr);
}

void CxSprite::FlipAllFramesHorizontal()
{
    for (int k = 0; k < frameCount_; ++k) FlipFrameHorizontal(k);
}

// ------------------------------------------------------------- hit testing
bool CxSprite::IsOpaqueAt(int32_t x, int32_t y) const
{
    if (!surface_) return false;
    if (frameCount_ > 1 && currentFrame_ > 0) x += (surface_->GetWidth() / frameCount_) * currentFrame_;
    if (!source_.Contains(CxPoint{x, y}) || !surface_->GetRect().Contains(CxPoint{x, y})) return false;
    CxPixel pixel = surface_->GetPixel(x, y);
    // Every 32-bit value is a colour (0xFFFFFFFF is opaque white, not "no
    // colour"), so only alpha decides; the bounds were checked above.
    if (surface_->GetDepth() == 32) return pixel > 0xFFFFFF;
    return pixel != transparent_;
}

bool CxSprite::ContainsPoint(CxPoint p, bool checkPixels)
{
    if (!GetRect().Contains(p)) return false;
    bool pixels = checkPixels && surface_ && (transparent_ != CX_NO_COLOR || surface_->GetDepth() == 32);
    return !pixels || IsOpaqueAt(p.x - position_.x, p.y - position_.y);
}

CxDisplayObject* CxSprite::HitTest(CxPoint globalPoint, uint32_t typeMask)
{
    if (!(spriteFlags_ & SPRITE_PIXEL_HIT_TEST)) return CxDisplayObject::HitTest(globalPoint, typeMask);
    CxPoint inParent = parent_ ? parent_->ToLocal(globalPoint) : globalPoint;
    if (ContainsPoint(inParent, true)) {
        CxDisplayObject* result = IsType(typeMask) ? this : nullptr;
        for (auto* node = children_.GetHead(); node; node = node->next) {
            CxDisplayObject* child = node->value;
            if (!child->IsVisible() || !child->IsType(typeMask)) continue;
            if (CxDisplayObject* hit = child->HitTest(globalPoint, typeMask)) result = hit;
        }
        return result;
    }
    if (GetClip()) return nullptr;
    CxDisplayObject* hit = CxDisplayObject::HitTest(globalPoint, typeMask);
    return hit == this ? nullptr : hit;   // only children outside the picture can be hit
}

// ------------------------------------------------------------- drawing
void CxSprite::OnPaint(CxRenderTarget* target, const CxRect* rect)
{
    if (!rect || rect->IsEmpty()) return;
    CxRect area = GetClip() ? *rect : IntersectRects(*rect, CxRect{0, 0, size_.width - 1, size_.height - 1});
    if (surface_ && target && !area.IsEmpty()) {
        bool stretch = (flags_ & DISPLAY_STRETCH) && size_.width != frameSize_.width &&
                       size_.height != frameSize_.height && size_.width > 0 && size_.height > 0;
        if (stretch) {
            double sx = double(frameSize_.width) / size_.width, sy = double(frameSize_.height) / size_.height;
            CxRect from{source_.left + int32_t(area.left * sx + 0.5), source_.top + int32_t(area.top * sy + 0.5),
                        source_.left + int32_t((area.right + 1) * sx - 0.5),
                        source_.top + int32_t((area.bottom + 1) * sy - 0.5)};
            from = IntersectRects(from, source_);
            CxRect to = ToGlobalRect(area);
            if (!from.IsEmpty()) surface_->BltToTarget(target, &to, &from, transparent_, &effects_);
        } else {
            CxRect part = IntersectRects(OffsetRect(area, source_.left, source_.top), source_);
            if (!part.IsEmpty()) {
                CxPoint at = ToGlobal(CxPoint{part.left - source_.left, part.top - source_.top});
                surface_->BltToTarget(target, at.x, at.y, &part, transparent_, &effects_);
            }
        }
    }
    CxDisplayObject::OnPaint(target, rect);
}

template <typename Draw>
int CxSprite::DrawFrame(int frame, CxPixel transparent, const CxRect* sourceRect, Draw draw)
{
    if (!surface_) return errorCode_;
    bool shown = IsVisible();
    flags_ &= ~uint32_t(DISPLAY_SHOWN);   // frame changes must not repaint
    int previous = currentFrame_;
    if (frame != SPRITE_CURRENT_FRAME) SetCurFrame(frame);
    CxRect rect = IntersectRects(sourceRect ? *sourceRect : source_, source_);
    if (!rect.IsEmpty()) draw(rect, transparent == SPRITE_OWN_COLOUR ? transparent_ : transparent);
    if (frame != SPRITE_CURRENT_FRAME) SetCurFrame(previous);
    if (shown) flags_ |= DISPLAY_SHOWN;
    return errorCode_;
}

int CxSprite::DrawTo(CxDrawSurface* destination, int32_t x, int32_t y, const CxRect* sourceRect, CxPixel transparent,
                     int frame)
{
    return DrawFrame(frame, transparent, sourceRect, [&](const CxRect& rect, CxPixel colour) {
        surface_->BltAt(destination, x, y, &rect, colour, &effects_);
    });
}

int CxSprite::DrawInto(CxDrawSurface* destination, const CxRect* destinationRect, const CxRect* sourceRect,
                       CxPixel transparent, int frame)
{
    return DrawFrame(frame, transparent, sourceRect, [&](const CxRect& rect, CxPixel colour) {
        CxRect whole = destination ? destination->GetRect() : CxRect{};
        surface_->Blt(destination, destinationRect ? destinationRect : &whole, &rect, colour, &effects_);
    });
}
