#include "display/CxCommonVerticalScrollBar.h"
#include "display/CxCommonFace.h"

namespace {
constexpr int kFaceFrames = 5;

// A filled triangle of rows narrowing to a point, centred in the frame.
void DrawArrow(CxDrawSurface* s, const CxRect& frame, bool up, CxPixel colour)
{
    int32_t half = (frame.Width() - 4) / 4;   // rows of the arrow
    if (half < 1) half = 1;
    int32_t cx = (frame.left + frame.right) / 2, cy = (frame.top + frame.bottom) / 2 - half / 2;
    for (int32_t row = 0; row < half + 1; ++row) {
        int32_t reach = up ? row : half - row;
        s->DrawLine(cx - reach, cy + row, cx + reach, cy + row, colour);
    }
}

CxDrawSurface* BuildThumbFace(int32_t width, int32_t height)
{
    CxDrawSurface* s = CreateFaceSurface(width, height);
    if (s) DrawBevel(s, CxRect{0, 0, width - 1, height - 1}, kRaisedBevel);
    return s;
}
}  // namespace

CxDrawSurface* BuildArrowButtonFace(int32_t size, bool pointsUp)
{
    CxDrawSurface* s = CreateFaceSurface(size * kFaceFrames, size);
    if (!s) return nullptr;
    for (int k = 0; k < kFaceFrames; ++k) {
        bool sunken = k == 1 || k == 3;
        CxRect frame{k * size, 0, (k + 1) * size - 1, size - 1};
        DrawBevel(s, frame, sunken ? kSunkenBevel : kRaisedBevel);
        CxRect glyph = sunken ? OffsetRect(frame, 1, 1) : frame;
        CxPixel colour = k == 4 ? COMMON_DARK_GREY : (k >= 2 ? COMMON_BLUE : COMMON_BLACK);
        DrawArrow(s, glyph, pointsUp, colour);
    }
    return s;
}

int CxCommonVerticalScrollBar::Create(int32_t x, int32_t y, int32_t width, int32_t height,
                                      CxDisplayObject* parent, int32_t controlId)
{
    CxVerticalScrollBar::Create(x, y, width, height, parent, controlId);
    CxDrawSurface* track = CreateFaceSurface(width, height);
    if (!track) return Error(ERR_OUT_OF_MEMORY, "Could not allocate a new CxDrawSurface");
    DrawBevel(track, CxRect{0, 0, width - 1, height - 1}, kSunkenBevel);
    SetSurface(track, 1);
    LoadDecrementButton(BuildArrowButtonFace(width, true));
    LoadIncrementButton(BuildArrowButtonFace(width, false));
    LoadThumb(BuildThumbFace(width, width));
    return errorCode_;
}
