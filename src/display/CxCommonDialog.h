// The engine's self-drawn dialog: a raised grey face of its own size, used
// by the built-in message boxes and the command console.
#pragma once
#include "display/CxDialogBox.h"

class CxCommonDialog : public CxDialogBox {
public:
    int  Create(int32_t x, int32_t y, int32_t width, int32_t height, CxDisplayObject* parent,
                int32_t controlId) override;
    // The arrow over the engine's own dialogs, whatever the game showed.
    void OnMouseMove(uint32_t keys, CxPoint point) override;
};
