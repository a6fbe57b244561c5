#include "app/CxWindowApp.h"
#include "core/CxPaths.h"
#include "display/CxCursor.h"
#include "graphics/CxPal.h"
#include "graphics/CxScreenSelect.h"
#include "graphics/CxSurf.h"
#include "foundation/Qorstr.h"
#include "platform/window/PlatformWindow.h"

#include <cstring>

namespace {
CxRect FromPlat(const PlatRect& r) { return CxRect{r.left, r.top, r.right, r.bottom}; }

struct SpecialKey {
    uint32_t virtualKey;
    KeyCode code;
};
const SpecialKey kSpecialKeys[] = {
    {PVK_END, KEY_END}, {PVK_HOME, KEY_HOME}, {PVK_LEFT, KEY_LEFT}, {PVK_RIGHT, KEY_RIGHT}, {PVK_UP, KEY_UP},
    {PVK_DOWN, KEY_DOWN}, {PVK_INSERT, KEY_INSERT}, {PVK_DELETE, KEY_DELETE}, {PVK_PRIOR, KEY_PAGE_UP},
    {PVK_NEXT, KEY_PAGE_DOWN}, {PVK_SCROLL, KEY_SCROLL_LOCK}, {PVK_PAUSE, KEY_PAUSE}, {PVK_CONTROL, KEY_CONTROL},
};
}  // namespace

KeyCode TranslateSpecialKey(uint32_t virtualKey, bool altHeld)
{
    KeyCode code = 0;
    if (virtualKey >= PVK_F1 && virtualKey <= PVK_F12) code = KEY_F1 + (virtualKey - PVK_F1);
    for (const SpecialKey& key : kSpecialKeys)
        if (key.virtualKey == virtualKey) code = key.code;
    if (code && altHeld) code += KEY_ALT;
    return code;
}

uint32_t VirtualKeyOfSpecialKey(KeyCode code)
{
    if (code != KEY_CONTROL) code &= ~KeyCode(KEY_ALT);
    if (code >= KEY_F1 && code <= KEY_F12) return PVK_F1 + (code - KEY_F1);
    for (const SpecialKey& key : kSpecialKeys)
        if (key.code == code) return key.virtualKey;
    return 0;
}

KeyCode TranslateCharacter(uint32_t character, bool altHeld, bool controlHeld)
{
    return MakeCharacterKeyCode(character, altHeld, controlHeld);
}

// ------------------------------------------------------------- lifetime
CxWindowApp::CxWindowApp(const CxAppInfo& info)
    : CxApp(info),
      initialRect_{info.x, info.y, info.x + info.width - 1, info.y + info.height - 1},
      depth_(info.depth),
      configFlags_(info.configFlags)
{
    windowRect_ = initialRect_;
}

CxWindowApp::~CxWindowApp()
{
    DestroyScreen();
    DestroyMainWindow();
    delete palette_;
}

bool CxWindowApp::HasWindow() const { return PlatWindowExists(); }

// ------------------------------------------------------------- cycle
void CxWindowApp::OpenCycle()
{
    QueryScreenMetrics();
    CxApp::OpenCycle();
    bool custom = ReadInt("Engine", "UseCustomCursor", (configFlags_ & WINCFG_CUSTOM_CURSOR) ? 1 : 0) != 0;
    configFlags_ = custom ? (configFlags_ | WINCFG_CUSTOM_CURSOR) : (configFlags_ & ~uint32_t(WINCFG_CUSTOM_CURSOR));

    CxRect rect;
    GetRect("Engine.Window", "Rect", &rect, initialRect_);
    CxPoint position;
    GetPoint("Engine.Window", "Position", &position, CxPoint{rect.left, rect.top});
    CxPoint size;
    GetPoint("Engine.Window", "Size", &size, CxPoint{rect.Width(), rect.Height()});
    rect = CxRect{position.x, position.y, position.x + size.x - 1, position.y + size.y - 1};
    depth_ = ReadInt("Engine.Window", "Depth", GetInfo().depth);
    if (depth_ < 1) depth_ = screenDepth_;

    if (CreateMainWindow(rect) == 0 && !(configFlags_ & WINCFG_HIDDEN)) ShowMainWindow();
}

// The cursor system starts with the screen's depth when one is open.
void CxWindowApp::StartCycle()
{
    CxDrawSurface* surface = screen_ ? screen_->GetSurface() : nullptr;
    int depth = surface ? surface->GetDepth() : depth_;
    InitCursors((configFlags_ & WINCFG_CUSTOM_CURSOR) != 0, depth, GetDisplay16BitFormat());   // selects cursor 0
}

void CxWindowApp::RunCycle() { CxApp::RunCycle(); }
void CxWindowApp::StopCycle() { ShutdownCursors(); }

void CxWindowApp::CloseCycle()
{
    DestroyScreen();
    DestroyMainWindow();
    delete palette_;
    palette_ = nullptr;
    CxApp::CloseCycle();
}

int CxWindowApp::Step()
{
    if (TakeQuitSignal()) return 1;
    PlatMessage message;
    if (PlatPeekMessage(&message)) {
        if (message.type == PMSG_QUIT) return 1;
        HandleMessage(message);
    }
    if (!(stateFlags_ & WINSTATE_MINIMISED)) RunIdleStep();
    return 0;
}

void CxWindowApp::RepostQuitMessage() { PlatPostQuit(); }

// A quit request from the system ends a modal loop; it goes back into the
// queue so that the main loop ends too, instead of the game running on after
// the dialog answered for nobody.
int CxWindowApp::RunModalFrame()
{
    int code = CxApp::RunModalFrame();
    if (code) RepostQuitMessage();
    return code;
}

// ------------------------------------------------------------- the window
int CxWindowApp::QueryScreenMetrics()
{
    PlatDesktopSize(&screenWidth_, &screenHeight_, &screenDepth_);
    return 0;
}

int CxWindowApp::CreateMainWindow(const CxRect& requested)
{
    DestroyMainWindow();
    CxRect rect = requested;
    windowRect_ = rect;
    if (!palette_) palette_ = new CxOSPalette;

    bool directDraw = ReadInt("Engine", "UseDirectDraw", (configFlags_ & WINCFG_DIRECTDRAW) ? 1 : 0) != 0;
    configFlags_ = directDraw ? (configFlags_ | WINCFG_DIRECTDRAW) : (configFlags_ & ~uint32_t(WINCFG_DIRECTDRAW));
    if (directDraw) {
        CxString required = ReadString("Engine.DirectX", "RequiredVersion", "");
        char installed[32];
        QueryMachineInfo(MACHINE_DIRECTX_VERSION, installed);
        if (!required.IsEmpty() && IsDirectXTooOld(installed, required)) {
            configFlags_ &= ~uint32_t(WINCFG_DIRECTDRAW);
            Error(ERR_DIRECTX, "The version of DirectX installed on your machine is too old.  This game requires "
                               "DirectX v7.0a or higher.  The game will now quit.");
            Quit();
        }
    }
    bool full = ReadInt("Engine", "FullScreen", (configFlags_ & WINCFG_FULL_SCREEN) ? 1 : 0) != 0;
    configFlags_ = full ? (configFlags_ | WINCFG_FULL_SCREEN) : (configFlags_ & ~uint32_t(WINCFG_FULL_SCREEN));
    if (full) rect = CxRect{0, 0, screenWidth_ - 1, screenHeight_ - 1};

    bool smaller = rect.Width() < screenWidth_ && rect.Height() < screenHeight_;
    bool caption = (configFlags_ & WINCFG_CAPTION) && smaller && !full;
    PlatWindowDesc desc;
    desc.title = GetName();
    desc.x = rect.left;
    desc.y = rect.top;
    desc.width = rect.Width();
    desc.height = rect.Height();
    desc.fullScreen = full;
    desc.decorated = caption;
    desc.resizable = caption && (configFlags_ & WINCFG_RESIZABLE);
    desc.acceptDrops = caption && (configFlags_ & WINCFG_DROP_FILES);
    desc.centred = (configFlags_ & WINCFG_CENTRED) != 0;
    desc.hidden = true;   // shown by ShowMainWindow, as the cycle decides
    char title[256];
    ToSystemText(title, GetName(), sizeof title);
    desc.title = title;
    if (!PlatWindowCreate(desc)) {
        Error(ERR_UNKNOWN, "Unable to CreateWindow(%s)", GetName());
        return ERR_UNKNOWN;
    }
    RecordRectangles();
    return 0;
}

// The screen lives on the window: it goes first, never left pointing at a
// window that is gone (SetWindowRect makes a new window under a live screen).
void CxWindowApp::DestroyMainWindow()
{
    DestroyScreen();
    if (!PlatWindowExists()) return;
    PlatCaptureMouse(false);
    SetStateBit(WINSTATE_CAPTURED, false);
    PlatWindowDestroy();
}

void CxWindowApp::RecordRectangles()
{
    windowRect_ = FromPlat(PlatWindowRect());
    clientRect_ = FromPlat(PlatClientRect());
}

int CxWindowApp::ShowMainWindow()
{
    if (errorCode_) return errorCode_;
    PlatWindowShow();
    return 0;
}

int CxWindowApp::HideMainWindow()
{
    if (errorCode_) return errorCode_;
    PlatWindowHide();
    return 0;
}

int CxWindowApp::MinimizeMainWindow()
{
    if (errorCode_) return errorCode_;
    PlatWindowMinimize();
    return 0;
}

int CxWindowApp::MaximizeMainWindow()
{
    if (errorCode_) return errorCode_;
    PlatWindowMaximize();
    return 0;
}

int CxWindowApp::RestoreMainWindow()
{
    if (errorCode_) return errorCode_;
    PlatWindowRestore();
    return 0;
}

void CxWindowApp::CenterMainWindow()
{
    MoveMainWindow((screenWidth_ - GetClientWidth()) / 2, (screenHeight_ - GetClientHeight()) / 2);
}

void CxWindowApp::MoveMainWindow(int32_t x, int32_t y)
{
    PlatWindowMove(x, y);
    RecordRectangles();
}

void CxWindowApp::SetWindowRect(const CxRect& rect, int32_t depth)
{
    depth_ = depth;
    CreateMainWindow(rect);
    if (!(configFlags_ & WINCFG_HIDDEN)) ShowMainWindow();
}

// ------------------------------------------------------------- screen and palette
int CxWindowApp::CreateScreen(int32_t width, int32_t height, int32_t depth)
{
    DestroyScreen();
    CxScreenSettings settings = ReadScreenSettings(*this, (configFlags_ & WINCFG_DIRECTDRAW) != 0);
    CxScreenOpenParams params;
    params.window = PlatWindowNativeHandle();
    params.width = width;
    params.height = height;
    params.depth = depth;
    params.windowed = !(configFlags_ & WINCFG_FULL_SCREEN);
    CxScreenKind kind = SCREEN_NONE;
    screen_ = SelectScreen(settings, params, palette_, DefaultScreenMakers(), &kind);
    if (!screen_) return Error(ERR_UNKNOWN, "Could not create a screen of %dx%d", int(width), int(height));
    bool exclusive = screen_->IsExclusive();
    SetStateBit(WINSTATE_WINDOWED_SCREEN, !exclusive);
    SetStateBit(WINSTATE_EXCLUSIVE_SCREEN, exclusive);
    return 0;
}

void CxWindowApp::DestroyScreen()
{
    if (!screen_) return;
    screen_->Close();
    delete screen_;
    screen_ = nullptr;
    SetStateBit(WINSTATE_WINDOWED_SCREEN, false);
    SetStateBit(WINSTATE_EXCLUSIVE_SCREEN, false);
}

// A different palette replaces (and destroys) the old one; the screen shows
// it and the whole window is drawn again.
void CxWindowApp::SetPalette(CxOSPalette* palette)
{
    if (palette != palette_) delete palette_;
    palette_ = palette;
    if (screen_) screen_->SetPalette(palette_);
    InvalidateArea(nullptr);
}

void CxWindowApp::FlushPaintMessages() { PlatFlushMessages(); }

void CxWindowApp::InvalidateArea(const CxRect* rect)
{
    PlatMessage paint;
    paint.type = PMSG_PAINT;
    CxRect area = rect ? *rect : clientRect_;
    paint.area = PlatRect{area.left, area.top, area.right, area.bottom};
    PlatPostMessage(paint);
}

void CxWindowApp::EnableMouseInput(bool on) { SetStateBit(WINSTATE_MOUSE_INPUT, on); }

// ------------------------------------------------------------- messages
int CxWindowApp::HandleMessage(const PlatMessage& m)
{
    switch (m.type) {
    case PMSG_MOVE:
        OnMove(CxPoint{m.x, m.y});
        RecordRectangles();
        break;
    case PMSG_SIZE:
        SetStateBit(WINSTATE_MINIMISED, m.minimized);
        if (!m.minimized) {
            RecordRectangles();
            if ((stateFlags_ & WINSTATE_WINDOWED_SCREEN) && m.x > 0 && m.y > 0) OnSize(CxSize{m.x, m.y});
        }
        break;
    case PMSG_ACTIVATE:
        SetStateBit(WINSTATE_MINIMISED, m.minimized);
        if (m.active) OnActivate();
        else OnDeactivate();
        break;
    case PMSG_PAINT: {
        CxRect area{m.area.left, m.area.top, m.area.right, m.area.bottom};
        if (!area.IsEmpty()) OnPaint(area);
        break;
    }
    case PMSG_CLOSE:
        Quit();
        break;
    case PMSG_ACTIVATEAPP:
        OnActivateApp(m.active);
        break;
    case PMSG_KEYDOWN:
    case PMSG_SYSKEYDOWN:
        if (KeyCode code = TranslateSpecialKey(m.virtualKey, m.altHeld)) OnKeyDown(code, int(m.repeatCount));
        break;
    case PMSG_KEYUP:
    case PMSG_SYSKEYUP: {
        KeyCode code = TranslateSpecialKey(m.virtualKey, m.altHeld);
        if (!code && m.virtualKey >= 32 && m.virtualKey <= 126)
            code = TranslateCharacter(m.virtualKey, m.altHeld, m.controlHeld);
        if (code) OnKeyUp(code, int(m.repeatCount));
        break;
    }
    case PMSG_CHAR:
    case PMSG_SYSCHAR:
        OnKeyDown(TranslateCharacter(m.character, m.altHeld, m.controlHeld), int(m.repeatCount));
        break;
    case PMSG_TIMER:
        if (m.timerCallback) m.timerCallback(m.timerId);
        else OnTimer(m.timerId);
        break;
    case PMSG_DROPFILES: {
        CxLinkedList<CxString> paths;
        char converted[1024];
        FromSystemText(converted, m.droppedPath, sizeof converted);
        if (converted[0]) paths.AddTail(CxString(converted));
        if (!paths.IsEmpty()) OnDropFiles(paths);
        break;
    }
    case PMSG_USER:
        OnUserMessage(m.userValue);
        break;
    default:
        DispatchMouse(m);
    }
    return 0;
}

void CxWindowApp::DispatchMouse(const PlatMessage& m)
{
    if (!(stateFlags_ & WINSTATE_MOUSE_INPUT)) return;
    CxPoint point{m.x, m.y};
    bool rightIsLeft = (configFlags_ & WINCFG_RIGHT_IS_LEFT) != 0;
    switch (m.type) {
    case PMSG_MOUSEMOVE:
        if (cursorShownForFrame_) {
            PlatShowSystemCursor(false);
            cursorShownForFrame_ = false;
        }
        OnMouseMove(m.keyState, point);
        break;
    case PMSG_LBUTTONDOWN: OnLButtonDown(m.keyState, point); break;
    case PMSG_LBUTTONUP: OnLButtonUp(m.keyState, point); break;
    case PMSG_LBUTTONDBLCLK: OnLButtonDblClk(m.keyState, point); break;
    case PMSG_MBUTTONDOWN: OnMButtonDown(m.keyState, point); break;
    case PMSG_MBUTTONUP: OnMButtonUp(m.keyState, point); break;
    case PMSG_MBUTTONDBLCLK: OnMButtonDblClk(m.keyState, point); break;
    case PMSG_RBUTTONDOWN:
        if (rightIsLeft) OnLButtonDown(m.keyState, point);
        else OnRButtonDown(m.keyState, point);
        break;
    case PMSG_RBUTTONUP:
        if (rightIsLeft) OnLButtonUp(m.keyState, point);
        else OnRButtonUp(m.keyState, point);
        break;
    case PMSG_RBUTTONDBLCLK:
        if (rightIsLeft) OnLButtonDblClk(m.keyState, point);
        else OnRButtonDblClk(m.keyState, point);
        break;
    case PMSG_MOUSEWHEEL: OnMouseWheel(m.keyState, point, m.wheelDelta / 120); break;
    default: break;
    }
}
