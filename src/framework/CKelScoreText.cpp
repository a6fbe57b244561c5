#include "framework/CKelScoreText.h"
#include "core/CxError.h"
#include "display/CxTextLayout.h"
#include "graphics/CxBltEffects.h"
#include "graphics/CxFont.h"

CKelScoreText::~CKelScoreText() { delete timer_; }

void CKelScoreText::Configure(int32_t font, const CxRect& area, const int (&colour)[3], int pointSize)
{
    font_ = font;
    for (int i = 0; i < 3; ++i) colour_[i] = colour[i];
    if (pointSize <= 0) {
        CxFont* resolved = FindFont(font_);
        pointSize = resolved ? resolved->DefaultPointSize() : 0;
    }
    pointSize_ = current_ = pointSize;
    SetPosition(CxPoint{area.left, area.top});
    int64_t width = int64_t(area.right) - area.left + 1, height = int64_t(area.bottom) - area.top + 1;
    if (width > kMaxSide || height > kMaxSide) {
        Print("Score area of %lld x %lld is too large; no score is shown\n", (long long)width, (long long)height);
        width = height = 0;
    }
    SetSizeValue(int32_t(width), int32_t(height));
    SetEffects(BLT_EFFECT_ALPHA);
    Render();
}

void CKelScoreText::SetValue(int32_t value)
{
    text_.Format("%d", int(value));
    Render();
}

void CKelScoreText::Bulge(int pointSize)
{
    current_ = pointSize;
    Render();
    if (!timer_) {
        timer_ = new CxTimerCallBack(this, kBulgeStep);
        timer_->Start(0);
    }
}

void CKelScoreText::StopBulge()
{
    delete timer_;
    timer_ = nullptr;
    if (current_ != pointSize_) {
        current_ = pointSize_;
        Render();
    }
}

void CKelScoreText::OnTimer(CxTimerCallBack*)
{
    if (current_ > pointSize_) {
        --current_;
        Render();
    }
    if (current_ <= pointSize_) StopBulge();
}

// An area no surface can have leaves the score unshown, never a crash.
void CKelScoreText::Render()
{
    CxSize size = GetSize();
    if (size.width <= 0 || size.height <= 0) return;
    CxDrawSurface* surface = GetSurface();
    if (!surface || surface->GetWidth() != size.width || surface->GetHeight() != size.height) {
        CreateSurface(size.width, size.height, 32);
        surface = GetSurface();
        if (!surface || surface->GetErrorCode() != 0) {
            ReleaseSurface();
            return;
        }
    }
    surface->FillRect(nullptr, 0);
    CxRect all{0, 0, size.width - 1, size.height - 1};
    CxPixel ink = surface->MakeColor(colour_[0], colour_[1], colour_[2]) | 0xFF000000u;   // opaque: drawn by alpha
    DrawString(surface, all, ink, text_, TEXT_CENTER | TEXT_CENTER_VERTICAL, current_,
               FindFont(font_), CX_FONT_TRANSPARENT, 0, nullptr);
    if (IsVisible()) Paint();
}
