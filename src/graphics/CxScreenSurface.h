// Screens.
//
// A screen is the surface the display tree paints into together with the
// code that puts its dirty rectangles in front of the user.  The rest of the
// engine needs only this: a CxDrawSurface of the requested size (GetSurface)
// and Present(list of rectangles).
//
// Screens on this platform, all over the one main window:
//   CxDibScreen         the window's own surface; rectangles are copied into
//                       it and updated one by one (the plain windowed screen)
//   CxDirectDrawScreen  a streaming texture drawn by the window's renderer;
//                       full screen when the window is, scaled to the window
//   (the Direct3D screen comes with the 3D device)
// The application picks one with SelectScreen (CxScreenSelect.h), falling
// back from the renderer screen to the window-surface screen.
//
// Present answers 0, or ERR_D3D_NOT_RESET when the device must be reset: the
// application then releases its device objects, calls Reset and restores
// them.  The two software screens never lose their device.
//
// With custom cursors (CxCursor.h) the software screens draw the cursor into
// the surface for the moment of presenting and restore the pixels under it,
// so the painted frame never contains the cursor.
#pragma once
#include "core/CxError.h"
#include "foundation/CxGeometry.h"
#include "foundation/CxLinkedList.h"
#include "foundation/CxObject.h"
#include "graphics/CxPixelFormat.h"

#include <cstdint>

class CxDrawSurface;
class CxOSPalette;

struct CxScreenOpenParams {
    void* window = nullptr;
    int32_t width = 0, height = 0;
    int depth = 0;                // below 1: the display's depth
    int32_t refreshRate = 0;
    bool windowed = true;
};

// Called once per display mode; a non-zero answer stops the walk.
using CxDisplayModeCallback = int (*)(int32_t width, int32_t height, int depth, void* user);

class CxScreenSurface : public CxError, public CxObject {
public:
    // Virtual operations, in slot order.
    ~CxScreenSurface() override = default;
    virtual int  EnumDisplayModes(CxDisplayModeCallback callback, void* user) = 0;
    virtual int  PresentRect(const CxRect& rect);
    virtual int  Present(const CxLinkedList<CxRect>* rects) = 0;   // null: the whole screen
    virtual int  Open(const CxScreenOpenParams& params) = 0;
    virtual void Close() = 0;
    virtual int  Reset() { return 0; }
    virtual void Reserved7() {}
    virtual CxDrawSurface* GetSurface() = 0;
    virtual CxPixel MakeColor(int red, int green, int blue) const = 0;
    virtual void SetPalette(CxOSPalette* palette) = 0;
    virtual CxOSPalette* GetPalette() const = 0;
    virtual void SetWindow(void* handle) = 0;
    virtual int  GetStatus() const { return errorCode_; }
    virtual void UpdateCursor() = 0;
    virtual int  GetBufferCount() const { return 1; }

    // Whether the screen owns the whole display (exclusive full screen).
    virtual bool IsExclusive() const { return false; }

protected:
    // The modes of the display, walked as EnumDisplayModes does.
    int EnumSystemDisplayModes(CxDisplayModeCallback callback, void* user);
};
