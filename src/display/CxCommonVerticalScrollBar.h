// The common dialogs' vertical scroll bar: draws its own track, thumb and
// arrow buttons in the common faces, so it needs no image files.  The
// buttons are square (as wide as the bar) with five frames (normal, pressed,
// mouse over, pressed with mouse over, disabled); the thumb is a raised
// square.
#pragma once
#include "display/CxScrollBar.h"

class CxCommonVerticalScrollBar : public CxVerticalScrollBar {
public:
    int Create(int32_t x, int32_t y, int32_t width, int32_t height, CxDisplayObject* parent,
               int32_t controlId) override;
};

// The five frames of a square arrow button pointing up or down.
CxDrawSurface* BuildArrowButtonFace(int32_t size, bool pointsUp);
