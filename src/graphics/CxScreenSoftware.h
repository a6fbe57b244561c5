// The two screens whose pixels the engine paints itself: a plain memory
// surface of the requested size and depth, shown through the platform's
// window-surface or renderer screen.  16-bit 5-6-5 / 5-5-5 and 32-bit
// surfaces are shown as they are; other depths go through a 32-bit copy of
// the rectangles being shown (8-bit ones through the palette).
#pragma once
#include "graphics/CxScreenSurface.h"
#include "graphics/CxSurf.h"

struct PlatScreen;

class CxSoftwareScreen : public CxScreenSurface {
public:
    ~CxSoftwareScreen() override;

    int  EnumDisplayModes(CxDisplayModeCallback callback, void* user) override;
    int  Present(const CxLinkedList<CxRect>* rects) override;
    int  Open(const CxScreenOpenParams& params) override;
    void Close() override;
    CxDrawSurface* GetSurface() override { return &surface_; }
    CxPixel MakeColor(int red, int green, int blue) const override { return surface_.MakeColor(red, green, blue); }
    void SetPalette(CxOSPalette* palette) override;
    CxOSPalette* GetPalette() const override { return palette_; }
    void SetWindow(void* handle) override { window_ = handle; }
    void UpdateCursor() override;
    bool IsExclusive() const override { return exclusive_; }

    // Reads back what the screen shows, as X8R8G8B8 rows of the screen's size.
    bool ReadShownPixels(uint32_t* out) const;

protected:
    explicit CxSoftwareScreen(bool renderer) : renderer_(renderer) {}

private:
    int  ChooseFormat(int depth, int displayDepth, int redBits, int greenBits, int blueBits, uint8_t* format);
    int  ShowAreas(const CxLinkedList<CxRect>& areas);
    int  ShowBatch(const CxRect* areas, int count);
    bool StageAreas(const CxRect* areas, int count);

    CxDrawSurface surface_;
    CxDrawSurface staging_;          // 32-bit copy for depths the platform cannot show
    PlatScreen* platform_ = nullptr;
    CxOSPalette* palette_ = nullptr; // not owned: the application's
    void* window_ = nullptr;
    CxRect lastCursor_;              // where the cursor was last shown
    bool renderer_;
    bool exclusive_ = false;
};

// The window-surface screen.
class CxDibScreen : public CxSoftwareScreen {
public:
    CxDibScreen() : CxSoftwareScreen(false) {}
};

// The renderer screen; exclusive when opened full screen.
class CxDirectDrawScreen : public CxSoftwareScreen {
public:
    CxDirectDrawScreen() : CxSoftwareScreen(true) {}
    // Surfaces in system memory: every surface is, here; kept for the option.
    void SetUseSystemRAM(bool on) { systemRAM_ = on; }
    bool GetUseSystemRAM() const { return systemRAM_; }

private:
    bool systemRAM_ = false;
};
