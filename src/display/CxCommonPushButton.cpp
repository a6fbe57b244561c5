#include "display/CxCommonPushButton.h"
#include "display/CxCommonFace.h"
#include "display/CxTextLayout.h"
#include "graphics/CxFont.h"

namespace {
constexpr int kFaceFrames = 5;
constexpr int32_t kPressedShift = 4;
constexpr CxPixel kLabelColours[kFaceFrames] = {COMMON_BLACK, COMMON_BLACK, COMMON_BLUE, COMMON_BLUE,
                                                COMMON_DARK_GREY};
}  // namespace

int CxCommonPushButton::Create(int32_t x, int32_t y, int32_t width, int32_t height, CxDisplayObject* parent,
                               int32_t controlId)
{
    CxButton::Create(x, y, width, height, parent, controlId);
    if (errorCode_) return errorCode_;
    return BuildFace();
}

void CxCommonPushButton::SetLabel(const char* text)
{
    label_ = text ? text : "";
    BuildFace();
    Paint();
}

// Frames 1 and 3 are the pressed ones: sunken, with the label moved down
// and right so the button seems to give.
int CxCommonPushButton::BuildFace()
{
    int32_t w = GetWidth(), h = GetHeight();
    if (w <= 0 || h <= 0) return errorCode_;
    CxDrawSurface* face = CreateFaceSurface(w * kFaceFrames, h);
    if (!face) return Error(ERR_OUT_OF_MEMORY, "Could not allocate a new CxDrawSurface");
    for (int k = 0; k < kFaceFrames; ++k) {
        bool sunken = k == 1 || k == 3;
        CxRect frame{k * w, 0, (k + 1) * w - 1, h - 1};
        DrawBevel(face, frame, sunken ? kSunkenBevel : kRaisedBevel);
        CxRect label = frame;
        if (sunken) label = CxRect{frame.left + kPressedShift, frame.top + kPressedShift, frame.right, frame.bottom};
        DrawString(face, label, kLabelColours[k], label_.Text(), TEXT_CENTER | TEXT_CENTER_VERTICAL, 0, nullptr,
                   CX_FONT_TRANSPARENT, 0, nullptr);
    }
    int32_t frame = GetCurFrame();
    SetSurface(face, kFaceFrames);
    SetCurFrame(frame);
    return errorCode_;
}
