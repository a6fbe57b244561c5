#include "app/CxDisplayApp.h"
#include "app/CxAppWiring.h"
#include "display/CxCursor.h"
#include "display/CxDisplayTree.h"
#include "display/CxTextLayout.h"
#include "graphics/CxD3DScreen.h"
#include "graphics/CxFont.h"
#include "graphics/CxScreenSurface.h"
#include "graphics/CxSurf.h"
#include "platform/os/PlatformMessageBox.h"
#include "platform/window/PlatformWindow.h"

#include <cstdio>

namespace {
// --- 3D screen wiring (begin): the 3D screen does not draw the cursor
// itself; with custom cursors it is handed the current picture each frame.
void HandCursorToScreen(CxScreenSurface* screen)
{
    auto* d3d = dynamic_cast<CxD3DScreen*>(screen);
    if (!d3d || !CursorsAreCustom()) return;
    CxCursorPicture cursor;
    if (CxCursorImage* current = FindCursor(CURSOR_CURRENT); current && current->image) {
        int32_t frames = current->frameCount > 0 ? current->frameCount : 1;
        int32_t width = current->image->GetWidth() / frames;
        cursor.id = current->id;
        cursor.image = current->image;
        cursor.frame = CxRect{current->frame * width, 0, (current->frame + 1) * width - 1,
                              current->image->GetHeight() - 1};
        cursor.hotSpot = current->hotSpot;
        cursor.position = GetCursorPosition();
        cursor.hidden = IsCursorHidden();
    }
    d3d->SetCursor(cursor);
}
// --- 3D screen wiring (end)

constexpr KeyCode kAltQ = 0x10000051, kAltLowerQ = 0x10000071, kAltF4 = 0x10000104;
constexpr KeyCode kAltV = 0x10000056, kAltLowerV = 0x10000076;
}  // namespace

CxDisplayApp::CxDisplayApp(const CxAppInfo& info) : CxWindowApp(info) {}

void CxDisplayApp::PassCursorToScreen()
{
    if (CxScreenSurface* screen = GetScreen()) HandCursorToScreen(screen);
}

CxDisplayApp::~CxDisplayApp() { RestoreErrorCallback(); }

CxSize CxDisplayApp::GetDisplaySize() const
{
    if (internalSize_.width > 0 && internalSize_.height > 0) return internalSize_;
    return CxSize{GetClientWidth(), GetClientHeight()};
}

// ------------------------------------------------------------- cycle
void CxDisplayApp::OpenCycle()
{
    CxPoint size;
    GetPoint("Engine.Window", "InternalSize", &size, CxPoint{-1, -1});
    internalSize_ = CxSize{size.x, size.y};
    CxWindowApp::OpenCycle();
    // A window that was just shown is the one in front, as if activated.
    if (HasWindow() && !(GetConfigFlags() & WINCFG_HIDDEN)) SetStateBit(WINSTATE_ACTIVE, true);
}

// The screen is normally chosen by the game layer before this runs; an
// application without one gets it here, so the cursors and the root know
// its depth and size.
void CxDisplayApp::StartCycle()
{
    if (!GetScreen() && HasWindow()) CreateScreen(GetDisplaySize().width, GetDisplaySize().height, GetDepth());
    CxWindowApp::StartCycle();
    CreateDefaultFont();
    WireDisplay();
    if (GetScreen()) AttachRoot();
    previousCallback_ = GetErrorCallback();
    SetErrorCallback(ErrorCallback);
    callbackInstalled_ = true;
    IsEscapeDown();   // an Escape pressed before now must not end the first disc prompt
}

void CxDisplayApp::StopCycle()
{
    RestoreErrorCallback();
    ShutdownDisplayTree();
    UnwireDisplay();
    DeleteDefaultFont();
    CxWindowApp::StopCycle();
}

void CxDisplayApp::RestoreErrorCallback()
{
    if (!callbackInstalled_) return;
    SetErrorCallback(previousCallback_);
    callbackInstalled_ = false;
}

void CxDisplayApp::AttachRoot()
{
    CxScreenSurface* screen = GetScreen();
    CxDrawSurface* surface = screen ? screen->GetSurface() : nullptr;
    if (!surface) return;
    SetFixedLogicalSize(internalSize_.width > 0 && internalSize_.height > 0 ? internalSize_ : CxSize{-1, -1});
    SetDisplayBufferCount(surface->GetSize(), screen->GetBufferCount());   // sizes the root, marks it all dirty
}

// ------------------------------------------------------------- frames
void CxDisplayApp::UpdateDisplay()
{
    CxScreenSurface* screen = GetScreen();
    if (!screen || !(GetStateFlags() & WINSTATE_ACTIVE)) return;
    CxLinkedList<CxRect> painted;
    PaintDirtyRects(screen->GetSurface(), &painted);
    HandCursorToScreen(screen);   // 3D screen wiring
    if (screen->Present(&painted) != ERR_D3D_NOT_RESET) return;
    ReleaseDevice();
    screen->Reset();
    RestoreDevice();
}

void CxDisplayApp::OnPaint(const CxRect& rect)
{
    if (CxDisplayObject* root = GetRootObject()) InvalidateRect(root->GetRect());
}

void CxDisplayApp::OnActivateApp(bool active)
{
    SetStateBit(WINSTATE_ACTIVE, active);
    if (active && !GetScreen() && HasWindow()) CreateScreen(GetDisplaySize().width, GetDisplaySize().height, GetDepth());
    if (!active && GetScreen() && !(GetStateFlags() & WINSTATE_WINDOWED_SCREEN)) MinimizeMainWindow();
    if (active && GetScreen()) AttachRoot();
}

// A new client size needs a new screen only when the screen follows the
// client size; a fixed internal size is scaled to the window instead.
void CxDisplayApp::OnSize(CxSize size)
{
    CxScreenSurface* screen = GetScreen();
    if (!screen) return;
    bool fixed = internalSize_.width > 0 && internalSize_.height > 0;
    if (!fixed && screen->GetSurface()->GetSize() != size) {
        if (CreateScreen(size.width, size.height, GetDepth()) != 0) return;
    }
    AttachRoot();
}

// ------------------------------------------------------------- input
void CxDisplayApp::OnKeyDown(KeyCode code, int repeat)
{
    DispatchKeyDown(code, uint32_t(repeat));
    if (code == kAltQ || code == kAltLowerQ || code == kAltF4) Quit();
    else if (code == kAltV || code == kAltLowerV) ShowVersionBox();
}

void CxDisplayApp::DisableCursor()
{
    HideCursor();
    EnableMouseInput(false);
}

void CxDisplayApp::EnableCursor()
{
    EnableMouseInput(true);
    ShowCursor();
}

void CxDisplayApp::OnKeyUp(KeyCode code, int repeat) { DispatchKeyUp(code, uint32_t(repeat)); }

CxPoint CxDisplayApp::ScaleMousePoint(CxPoint p) const
{
    CxDisplayObject* root = GetRootObject();
    int32_t clientWidth = GetClientWidth(), clientHeight = GetClientHeight();
    if (!root || clientWidth <= 0 || clientHeight <= 0) return p;
    if (root->GetWidth() != clientWidth) p.x = int32_t(int64_t(p.x) * root->GetWidth() / clientWidth);
    if (root->GetHeight() != clientHeight) p.y = int32_t(int64_t(p.y) * root->GetHeight() / clientHeight);
    return p;
}

void CxDisplayApp::OnMouseMove(uint32_t keys, CxPoint point)
{
    point = ScaleMousePoint(point);
    SetCursorPosition(point);
    DispatchMouseMove(keys, point);
}

// The tree's wheel dispatcher counts in the window system's 120ths.
void CxDisplayApp::OnMouseWheel(uint32_t keys, CxPoint point, int notches)
{
    DispatchMouseWheel(keys, ScaleMousePoint(point), notches * 120);
}

#define VORN_MOUSE_HANDLER(handler, dispatcher)                   \
    void CxDisplayApp::handler(uint32_t keys, CxPoint point)      \
    {                                                             \
        point = ScaleMousePoint(point);                           \
        SetCursorPosition(point);                                 \
        dispatcher(keys, point);                                  \
    }
VORN_MOUSE_HANDLER(OnLButtonDown, DispatchLButtonDown)
VORN_MOUSE_HANDLER(OnLButtonUp, DispatchLButtonUp)
VORN_MOUSE_HANDLER(OnLButtonDblClk, DispatchLButtonDblClk)
VORN_MOUSE_HANDLER(OnMButtonDown, DispatchMButtonDown)
VORN_MOUSE_HANDLER(OnMButtonUp, DispatchMButtonUp)
VORN_MOUSE_HANDLER(OnMButtonDblClk, DispatchMButtonDblClk)
VORN_MOUSE_HANDLER(OnRButtonDown, DispatchRButtonDown)
VORN_MOUSE_HANDLER(OnRButtonUp, DispatchRButtonUp)
VORN_MOUSE_HANDLER(OnRButtonDblClk, DispatchRButtonDblClk)
#undef VORN_MOUSE_HANDLER

// The prompt is an 8-bit surface: the colour is a palette index.
void CxDisplayApp::DrawPromptText(CxDrawSurface* surface, const char* text, const CxRect& area, int colourIndex,
                                  int size)
{
    DrawString(surface, area, CxPixel(colourIndex), text, TEXT_CENTER | TEXT_CENTER_VERTICAL | TEXT_WORD_WRAP, size,
               nullptr, CX_FONT_TRANSPARENT, CX_NO_COLOR, nullptr);
}
