// The font of the text display tests: every character 5 wide and 6 high,
// inked in its inner 3 x 4 block, so a character drawn at (x, y) inks
// (x + 1, y + 1) to (x + 3, y + 4).  Lives in the font list while the
// object lives.
#pragma once
#include "../graphics/FontTestUtil.h"
#include "graphics/CxBitmapFont.h"

class TextTestFont {
public:
    TextTestFont()
    {
        CxDrawSurface image;
        MakeFontImage(image, std::vector<int>(128, 5), 6);
        MakeBitmapFont(&image, &handle_);
    }
    ~TextTestFont() { DeleteFont(handle_); }
    int32_t Handle() const { return handle_; }
    CxFont* Font() const { return FindFont(handle_); }

private:
    int32_t handle_ = 0;
};
